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
[ "$RUNS_32BIT" = 1 ] || { builds="x86_64"; echo "== The 32-bit build is not measured: $NO_32BIT_WHY"; }
for b in $builds; do
    echo "== Running the $b benchmark"
    "$TAMSEL_WINE" "$BUILD/$b/bench/tamsel_bench.exe" "$BUILD/$b/bench/bench.dat" | tr -d '\r' \
        > "$BUILD/$b/bench/bench.txt"
    sed -n '/^peak WS growth/,$p' "$BUILD/$b/bench/bench.txt" | sed "s/^/  $b  /"
done

echo "== Milliseconds, the builds side by side"
/usr/bin/python3 - "$BUILD" $builds <<'PY'
import sys
build, builds = sys.argv[1], sys.argv[2:]
steps = ['drop intake', 'copy', 'save', 'paint at top', 'paint at last', 'thumb drag to end']
# Each data file: one block a step, blocks apart by blank lines, "names ms" lines.
figures = {}
for b in builds:
    blocks = open('%s/%s/bench/bench.dat' % (build, b)).read().strip().split('\n\n\n')
    for step, block in zip(steps, blocks):
        for line in block.split('\n'):
            n, ms = line.split()
            figures[(b, step, int(n))] = float(ms)
sizes = sorted({n for (_, _, n) in figures})
print('%-18s' % 'names' + ''.join(('%%%ds' % (10 * len(builds) + 2)) % n for n in sizes))
print('%-18s' % '' + ''.join('  ' + ''.join('%10s' % b for b in builds) for _ in sizes))
for step in steps:
    print('%-18s' % step + ''.join('  ' + ''.join('%10.2f' % figures[(b, step, n)] for b in builds)
                                   for n in sizes))
PY

gnuplot <<GP
set terminal pngcairo size 900,600 noenhanced dashed
set output "$BUILD/bench.png"
set title "Tamsel32: milliseconds by number of names dropped (solid: i686, dashed: x86_64)"
set logscale xy
set xlabel "names"
set ylabel "ms"
set key left top
steps = "drop-intake copy save paint-at-top paint-at-last thumb-drag-to-end"
plot $(sep=""; for b in $builds; do
    dt=1; [ "$b" = x86_64 ] && dt=2
    printf '%sfor [i=0:5] "%s" index i using 1:2 with linespoints dt %d lc i+1 title word(steps, i + 1)." %s"' \
        "$sep" "$BUILD/$b/bench/bench.dat" "$dt" "$b"
    sep=", "
done)
GP
echo "== Chart: $BUILD/bench.png"
