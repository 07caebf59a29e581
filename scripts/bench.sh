#!/usr/bin/env bash
# Builds everything and runs the benchmark under Wine in a private virtual
# display; prints the table and writes build/bench/bench.png.
set -euo pipefail
source "$(dirname "$0")/common.sh"

PACKAGES="$PACKAGES gnuplot-nox"
install_missing
build_all
start_xvfb
trap stop_all EXIT
start_wine
echo "== Benchmark (x86_64 build under Wine)"
wine "$BUILD/x86_64/bench/tamsel_bench.exe" "$BUILD/x86_64/bench/bench.dat" | tr -d '\r'
gnuplot <<GP
set terminal png size 900,600
set output "$BUILD/x86_64/bench/bench.png"
set title "Tamsel32: milliseconds by number of names dropped"
set logscale xy
set xlabel "names"
set ylabel "ms"
set key left top
steps = "drop-intake copy save paint-at-top paint-at-last thumb-drag-to-end"
plot for [i=0:5] "$BUILD/x86_64/bench/bench.dat" index i using 1:2 with linespoints title word(steps, i + 1)
GP
echo "== Chart: $BUILD/x86_64/bench/bench.png"
