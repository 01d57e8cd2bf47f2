#!/usr/bin/env bash
# C/C++ colouring throughput over big.txt: a colouring pass and a state-only pass over
# every line with the state carried (bench_colour, timed inside the driver, file loading
# excluded), beside `wc -l big.txt` from the same run as the reference of reading the
# bytes once. Throughput is per second of CPU time, so a busy machine does not distort it.
#   bench/colour.sh CORPUS_FOLDER
source "$(dirname "$0")/common.sh" "$@"

DRIVER="$BENCH_BIN/bench_colour"
if ! bench_build bench_colour 2>/dev/null; then
    echo "colour: the Release tree did not build; building the driver alone" >&2
    mkdir -p "$BENCH_BIN"
    c++ -std=c++20 -O2 -DNDEBUG -I"$BENCH_ROOT/src" "$BENCH_ROOT/bench/bench_colour.cpp" \
        "$BENCH_ROOT"/src/syntax/*.cpp "$BENCH_ROOT"/src/text/TextParser.cpp \
        "$BENCH_ROOT"/src/platform/*.cpp -o "$DRIVER"
fi
FILE="$CORPUS/big.txt"
BYTES=$(stat -c %s "$FILE")

colour=() state=() wc_mbs=()
for ((i = 0; i < RUNS; i++)); do
    out=$("$DRIVER" "$FILE")
    colour+=("$(echo "$out" | awk '$1 == "colour" {print $2}')")
    state+=("$(echo "$out" | awk '$1 == "state" {print $2}')")
    # CPU seconds (user + system) of wc, as the driver reports its own CPU time.
    t=$( { /usr/bin/time -f "%U %S" wc -l "$FILE" >/dev/null; } 2>&1 | tail -n 1 | awk '{print $1 + $2}')
    wc_mbs+=("$(awk -v b="$BYTES" -v t="$t" 'BEGIN { if (t <= 0) t = 0.001; printf "%.1f", b / 1e6 / t }')")
done
m_colour=$(median "${colour[@]}")
m_state=$(median "${state[@]}")
m_wc=$(median "${wc_mbs[@]}")
echo "big.txt: $BYTES bytes; medians of $RUNS runs, MB/s per CPU second"
echo "wc -l: $m_wc MB/s (same run, for comparison)"
echo "colour: $m_colour MB/s (target >= 100)"
echo "state: $m_state MB/s (target >= 300)"
