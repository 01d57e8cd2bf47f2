#!/usr/bin/env bash
# Text buffer speed on the 2.5 M lines of big.txt (bench_buffer, timed inside the driver,
# loading excluded): recorded one-character typing at spread-out lines, a line break in
# the middle of the text, and undo and redo of one group of 100,000 records. There is no
# outside program doing the same, so the script reports our medians against the targets.
# The target lines give the thread's CPU time (the machine is shared); the wall-clock
# medians of the same steps are printed above them.
#   bench/buffer.sh CORPUS_FOLDER
source "$(dirname "$0")/common.sh" "$@"

DRIVER="$BENCH_BIN/bench_buffer"
if ! bench_build bench_buffer 2>/dev/null; then
    echo "buffer: the Release tree did not build; building the driver alone" >&2
    mkdir -p "$BENCH_BIN"
    c++ -std=c++20 -O2 -DNDEBUG -I"$BENCH_ROOT/src" "$BENCH_ROOT/bench/bench_buffer.cpp" \
        "$BENCH_ROOT"/src/text/*.cpp "$BENCH_ROOT"/src/platform/*.cpp -o "$DRIVER"
fi
FILE="$CORPUS/big.txt"

type=() newline=() undo=() redo=() loadmem=() peakmem=() walls=()
lines=0
for ((i = 0; i < RUNS; i++)); do
    out=$("$DRIVER" "$FILE")
    lines=$(echo "$out" | awk '$1 == "lines" {print $2}')
    type+=("$(echo "$out" | awk '$1 == "type" {print $2}')")
    newline+=("$(echo "$out" | awk '$1 == "newline" {print $2}')")
    undo+=("$(echo "$out" | awk '$1 == "undo" {print $2}')")
    redo+=("$(echo "$out" | awk '$1 == "redo" {print $2}')")
    loadmem+=("$(echo "$out" | awk '$1 == "load-memory" {print $2}')")
    peakmem+=("$(echo "$out" | awk '$1 == "peak-memory" {print $2}')")
    walls+=("$(echo "$out" | awk '$1 ~ /-wall$/ {printf "%s=%s ", $1, $2}')")
done
m_load=$(median "${loadmem[@]}")
m_peak=$(median "${peakmem[@]}")
echo "big.txt: $lines lines; medians of $RUNS runs"
wall_median() { median $(printf '%s\n' "${walls[@]}" | tr ' ' '\n' | awk -F= -v k="$1" '$1 == k {print $2}'); }
echo "memory: $m_load bytes per line after loading (line records, text blocks, process); $m_peak bytes per line at the run's peak (with 100,000 undo records)"
echo "wall clock: type $(wall_median type-wall) us, newline $(wall_median newline-wall) ms, undo $(wall_median undo-wall) s, redo $(wall_median redo-wall) s"
echo "buffer-type: $(median "${type[@]}") us (target <= 2)"
echo "buffer-newline: $(median "${newline[@]}") ms (target <= 5)"
echo "buffer-undo: $(median "${undo[@]}") s (target <= 1)"
echo "buffer-redo: $(median "${redo[@]}") s (target <= 1)"
