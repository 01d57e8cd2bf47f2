#!/usr/bin/env bash
# C/C++ colouring throughput over big.txt: a colouring pass and a state-only pass over
# every line with the state carried (bench_colour, timed inside the driver, file loading
# excluded), beside `wc -l big.txt` from the same run as the reference of reading the
# bytes once. Throughput is per second of CPU time, so a busy machine does not distort it.
# The JavaScript and YAML parsers (the code and the indentation-driven families of the
# added languages) are measured the same way on 50 MB made by repeating a real file of
# their language from this machine (kept in build-bench/ beside the drivers, as the
# corpus folder may be shared).
#   bench/colour.sh CORPUS_FOLDER
source "$(dirname "$0")/common.sh" "$@"

DRIVER="$BENCH_BIN/bench_colour"
if ! bench_build bench_colour 2>/dev/null; then
    echo "colour: the Release tree did not build; building the driver alone" >&2
    mkdir -p "$BENCH_BIN"
    c++ -std=c++20 -O2 -DNDEBUG -I"$BENCH_ROOT/src" "$BENCH_ROOT/bench/bench_colour.cpp" \
        "$BENCH_ROOT"/src/syntax/*.cpp "$BENCH_ROOT"/src/text/*.cpp \
        "$BENCH_ROOT"/src/platform/*.cpp -o "$DRIVER"
fi
# make_sample OUT CANDIDATE... : OUT becomes >= 50 MB of the first candidate that exists,
# repeated whole. A candidate may be a find pattern "find:<name glob>" searched under
# /usr/share and /usr/lib for a file of at least 16 KB.
make_sample() {
    local out=$1 src="" c
    shift
    [ -s "$out" ] && return 0
    for c in "$@"; do
        if [[ $c == find:* ]]; then
            src=$(find /usr/share /usr/lib -name "${c#find:}" -type f -size +16k 2>/dev/null | sort | head -n 1)
        elif [ -f "$c" ]; then
            src=$c
        fi
        [ -n "$src" ] && break
    done
    if [ -z "$src" ]; then
        echo "colour: no file for $out on this machine" >&2
        return 1
    fi
    echo "colour: $out repeats $src" >&2
    : >"$out.tmp"
    while [ "$(stat -c %s "$out.tmp")" -lt 50000000 ]; do cat "$src" >>"$out.tmp"; done
    mv "$out.tmp" "$out"
}
JS_FILE="$BENCH_ROOT/build-bench/colour-js.js"
YAML_FILE="$BENCH_ROOT/build-bench/colour-yaml.yaml"
make_sample "$JS_FILE" /usr/share/javascript/jquery/jquery.js "find:*.js"
make_sample "$YAML_FILE" \
    /usr/lib/google-cloud-sdk/lib/googlecloudsdk/command_lib/util/resource_map/resource_map.yaml \
    "find:*.yaml" "find:*.yml"

FILE="$CORPUS/big.txt"
BYTES=$(stat -c %s "$FILE")

colour=() state=() wc_mbs=() js=() yaml=()
for ((i = 0; i < RUNS; i++)); do
    js+=("$("$DRIVER" "$JS_FILE" 1 28 | awk '$1 == "colour" {print $2}')")
    yaml+=("$("$DRIVER" "$YAML_FILE" 1 33 | awk '$1 == "colour" {print $2}')")
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
echo "JavaScript and YAML: $(stat -c %s "$JS_FILE") and $(stat -c %s "$YAML_FILE") bytes"
echo "colour: $m_colour MB/s (target >= 100)"
echo "state: $m_state MB/s (target >= 300)"
echo "colour-js: $(median "${js[@]}") MB/s (target >= 100)"
echo "colour-yaml: $(median "${yaml[@]}") MB/s (target >= 100)"
