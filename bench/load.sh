#!/usr/bin/env bash
# Opening a file as a text document against vim: LoadFile of big.txt (LF endings) and of
# bigcrlf.txt (CR LF), whole process, versus `vim -u NONE -N -n -es '+q' FILE`, run
# alternately RUNS times each. The ratios are of the median CPU times (user + system): on
# this shared, loaded machine the wall time mostly measures the wait for a processor. Wall
# medians are printed beside them. load-rss is our peak resident size over the file size.
#   bench/load.sh CORPUS_FOLDER
source "$(dirname "$0")/common.sh" "$@"

DRIVER="$BENCH_BIN/bench_load"
if ! bench_build bench_load 2>/dev/null; then
    echo "load: the Release tree did not build; building the driver alone" >&2
    mkdir -p "$BENCH_BIN"
    c++ -std=c++20 -O2 -DNDEBUG -I"$BENCH_ROOT/src" "$BENCH_ROOT/bench/bench_load.cpp" \
        "$BENCH_ROOT"/src/{encoding,syntax,text,platform}/*.cpp -lpthread -o "$DRIVER"
fi

# measure cmd... : "<cpu seconds> <wall seconds>" of one whole run, output through a pipe.
measure() {
    local TIMEFORMAT='%3U %3S %3R' out
    out=$( { time "$@" 2>/dev/null | cat >/dev/null; } 2>&1 )
    awk -v t="$out" 'BEGIN { split(t, a, " "); printf "%.3f %.3f", a[1] + a[2], a[3] }'
}

# compare NAME FILE : runs both alternately and prints the medians and the target line.
compare() {
    local name=$1 file=$2 c w
    local t_ours=() t_peer=() w_ours=() w_peer=()
    "$DRIVER" "$file" >/dev/null || { echo "$name: the driver failed on $file" >&2; exit 1; }
    for ((i = 0; i < RUNS; i++)); do
        read -r c w <<<"$(measure "$DRIVER" "$file")"
        t_ours+=("$c") w_ours+=("$w")
        read -r c w <<<"$(measure vim -u NONE -N -n -es '+q' "$file")"
        t_peer+=("$c") w_peer+=("$w")
    done
    local m_ours m_peer
    m_ours=$(median "${t_ours[@]}")
    m_peer=$(median "${t_peer[@]}")
    echo "$name: $(basename "$file"): CPU ours $m_ours s, vim $m_peer s; wall ours $(median "${w_ours[@]}") s, vim $(median "${w_peer[@]}") s (medians of $RUNS; the ratio uses CPU)"
    echo "$name: $(ratio "$m_ours" "$m_peer") x (target <= 0.30)"
}

compare load "$CORPUS/big.txt"
compare load-crlf "$CORPUS/bigcrlf.txt"

size=$(stat -c %s "$CORPUS/big.txt")
rss_runs=()
for ((i = 0; i < 3; i++)); do
    rss_runs+=("$(bench_run "$DRIVER" "$CORPUS/big.txt" | cut -d' ' -f2)")
done
rss=$(median "${rss_runs[@]}")
echo "load-rss: peak $rss KiB for a file of $size bytes"
echo "load-rss: $(ratio "$((rss * 1024))" "$size") x (target <= 2.5)"
