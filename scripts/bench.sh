#!/usr/bin/env bash
# Builds everything and runs the benchmark of both builds under Wine in a
# private virtual display; prints their figures side by side and draws
# build/bench.png.
set -euo pipefail
source "$(dirname "$0")/common.sh"

PACKAGES="$PACKAGES gnuplot-nox"
install_missing
build_all --target tamsel_bench Tamsel32 helpfile
start_xvfb
trap stop_all EXIT
start_wine

builds="i686 x86_64"
# Times taken through qemu say nothing of the program on Windows.
[ "$I686_WAY" = native ] || { builds="x86_64"; echo "== The 32-bit build is measured only where the kernel runs it: $NO_32BIT_WHY"; }
for b in $builds; do
    echo "== Running the $b benchmark"
    "$TAMSEL_WINE" "$BUILD/$b/bench/tamsel_bench.exe" "$BUILD/$b/bench/bench.dat" | tr -d '\r' \
        > "$BUILD/$b/bench/bench.txt"
    sed -n '/^1000 names/,+1p; /^peak WS growth/,$p' "$BUILD/$b/bench/bench.txt" | sed "s/^/  $b  /"
done

echo "== Milliseconds, the median of each size's runs, the builds side by side"
/usr/bin/python3 - "$BUILD" $builds <<'PY'
import sys
build, builds = sys.argv[1], sys.argv[2:]
steps = ['drop intake', 'copy', 'save', 'paint at top', 'paint at last', 'thumb drag to end']
# Each data file: one block a step, blocks apart by blank lines,
# "names median least most" lines.
figures = {}
for b in builds:
    blocks = open('%s/%s/bench/bench.dat' % (build, b)).read().strip().split('\n\n\n')
    for step, block in zip(steps, blocks):
        for line in block.split('\n'):
            n, med, lo, hi = line.split()
            figures[(b, step, int(n))] = (float(med), float(lo), float(hi))
sizes = sorted({n for (_, _, n) in figures})
width = 22 * len(builds) + 2
print('%-18s' % 'names' + ''.join(('%%%ds' % width) % n for n in sizes))
print('%-18s' % '' + ''.join('  ' + ''.join('%22s' % (b + ' (spread)') for b in builds) for _ in sizes))
for step in steps:
    row = ''
    for n in sizes:
        row += '  ' + ''.join('%9.2f %12s' % (figures[(b, step, n)][0], '%.1f-%.1f' % figures[(b, step, n)][1:])
                              for b in builds)
    print('%-18s' % step + row)
PY

gnuplot <<GP
set terminal pngcairo size 1150,600 noenhanced dashed
set output "$BUILD/bench.png"
set title "Tamsel32: median ms by names dropped; bars from least to most; solid i686, dashed x86_64"
set logscale xy
set xrange [800:40000]
set xlabel "names"
set ylabel "ms"
set key outside right top
set rmargin 34
steps = "drop-intake copy save paint-at-top paint-at-last thumb-drag-to-end"
plot $(sep=""; for b in $builds; do
    dt=1; [ "$b" = x86_64 ] && dt=2
    printf '%sfor [i=0:5] "%s" index i using 1:2:3:4 with yerrorlines dt %d lc i+1 title word(steps, i + 1)." %s"' \
        "$sep" "$BUILD/$b/bench/bench.dat" "$dt" "$b"
    sep=", "
done)
GP
echo "== Chart: $BUILD/bench.png"
