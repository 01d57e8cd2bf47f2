#!/usr/bin/env bash
# Line reading against wc: reads every line of big.txt with UniMemFile in the text code page
# (whole process) versus `wc -l big.txt`, alternately, RUNS times each; the ratio is of the
# median CPU times.
#   bench/readlines.sh CORPUS_FOLDER
source "$(dirname "$0")/common.sh" "$@"

DRIVER="$BENCH_BIN/bench_readlines"
# The driver needs only the encoded-file layer; when the whole Release tree does not build,
# it is built from its own sources with the same optimisation.
if ! bench_build bench_readlines 2>/dev/null; then
    echo "readlines: the Release tree did not build; building the driver alone" >&2
    mkdir -p "$BENCH_BIN"
    c++ -std=c++20 -O2 -DNDEBUG -I"$BENCH_ROOT/src" "$BENCH_ROOT/bench/bench_readlines.cpp" \
        "$BENCH_ROOT"/src/encoding/{UniFile,UniMemFile,TextConvert}.cpp \
        "$BENCH_ROOT"/src/platform/{SystemInfo,Multibyte,CodePageConv}.cpp -o "$DRIVER"
fi
FILE="$CORPUS/big.txt"

# seconds cmd... : wall time of one whole run, to the millisecond (output through a pipe).
# measure cmd... : prints "<cpu seconds> <wall seconds>" of one whole run (output through a
# pipe). The CPU time (user + system) is the figure compared: on a shared, loaded machine the
# wall time mostly measures the wait for a processor, and for these runs on cached files the
# two agree on an idle machine.
measure() {
    local TIMEFORMAT='%3U %3S %3R' out
    out=$( { time "$@" 2>/dev/null | cat >/dev/null; } 2>&1 )
    awk -v t="$out" 'BEGIN { split(t, a, " "); printf "%.3f %.3f", a[1] + a[2], a[3] }'
}

ours_lines=$("$DRIVER" "$FILE" | cut -d' ' -f1)
peer_lines=$(wc -l <"$FILE")
if [ "$ours_lines" != "$peer_lines" ]; then
    echo "readlines: line counts differ: ours $ours_lines, wc $peer_lines" >&2
    exit 1
fi
t_ours=() t_peer=() w_ours=() w_peer=()
for ((i = 0; i < RUNS; i++)); do
    read -r c w <<<"$(measure "$DRIVER" "$FILE")"
    t_ours+=("$c") w_ours+=("$w")
    read -r c w <<<"$(measure wc -l "$FILE")"
    t_peer+=("$c") w_peer+=("$w")
done
rss=$(bench_run "$DRIVER" "$FILE" | cut -d' ' -f2)
m_ours=$(median "${t_ours[@]}")
m_peer=$(median "${t_peer[@]}")
echo "readlines: $ours_lines lines; CPU ours $m_ours s, wc -l $m_peer s; wall ours $(median "${w_ours[@]}") s, wc -l $(median "${w_peer[@]}") s; peak $rss KiB (medians of $RUNS)"
echo "readlines: $(ratio "$m_ours" "$m_peer") x (target <= 6.0)"
