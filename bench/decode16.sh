#!/usr/bin/env bash
# UTF-16 decoding speed: reads every line of big16.txt (UTF-16LE with a mark) with UniMemFile,
# converted into 65001 and into 1252; whole process, RUNS times each, alternately. The rate is
# megabytes (10^6 bytes) of input per CPU second (user + system). `iconv -f UTF-16 -t UTF-8` of the same file runs
# alongside for reference.
#   bench/decode16.sh CORPUS_FOLDER
source "$(dirname "$0")/common.sh" "$@"

DRIVER="$BENCH_BIN/bench_decode16"
if ! bench_build bench_decode16 2>/dev/null; then
    echo "decode16: the Release tree did not build; building the driver alone" >&2
    mkdir -p "$BENCH_BIN"
    c++ -std=c++20 -O2 -DNDEBUG -I"$BENCH_ROOT/src" "$BENCH_ROOT/bench/bench_decode16.cpp" \
        "$BENCH_ROOT"/src/encoding/{UniFile,UniMemFile,TextConvert}.cpp \
        "$BENCH_ROOT"/src/platform/{SystemInfo,Multibyte,CodePageConv}.cpp -o "$DRIVER"
fi
FILE="$CORPUS/big16.txt"
SIZE=$(stat -c %s "$FILE")

# measure cmd... : prints "<cpu seconds> <wall seconds>" of one whole run (output through a
# pipe). The CPU time (user + system) is the figure compared: on a shared, loaded machine the
# wall time mostly measures the wait for a processor, and for these runs on cached files the
# two agree on an idle machine.
measure() {
    local TIMEFORMAT='%3U %3S %3R' out
    out=$( { time "$@" 2>/dev/null | cat >/dev/null; } 2>&1 )
    awk -v t="$out" 'BEGIN { split(t, a, " "); printf "%.3f %.3f", a[1] + a[2], a[3] }'
}

# The UTF-8 conversion must give exactly the text of the UTF-8 twin of the corpus.
expected_bytes=$(($(stat -c %s "$CORPUS/big16_utf8.txt") - 2 * $(wc -l <"$CORPUS/big16_utf8.txt")))
got=$("$DRIVER" "$FILE" 65001)
got_bytes=$(echo "$got" | cut -d' ' -f3)
if [ "$got_bytes" != "$expected_bytes" ]; then
    echo "decode16: UTF-8 text bytes differ: ours $got_bytes, expected $expected_bytes" >&2
    exit 1
fi

t_utf8=() t_1252=() t_iconv=() w_utf8=() w_1252=()
for ((i = 0; i < RUNS; i++)); do
    read -r c w <<<"$(measure "$DRIVER" "$FILE" 65001)"
    t_utf8+=("$c") w_utf8+=("$w")
    read -r c w <<<"$(measure "$DRIVER" "$FILE" 1252)"
    t_1252+=("$c") w_1252+=("$w")
    read -r c w <<<"$(measure iconv -f UTF-16 -t UTF-8 "$FILE")"
    t_iconv+=("$c")
done
m_utf8=$(median "${t_utf8[@]}")
m_1252=$(median "${t_1252[@]}")
m_iconv=$(median "${t_iconv[@]}")
rate() { awk -v b="$SIZE" -v s="$1" 'BEGIN { if (s == 0) s = 0.001; printf "%.1f", b / 1e6 / s }'; }
echo "decode16: $SIZE bytes; CPU into 65001 $m_utf8 s, into 1252 $m_1252 s, iconv $m_iconv s; wall $(median "${w_utf8[@]}") s and $(median "${w_1252[@]}") s (medians of $RUNS)"
echo "decode16-utf8: $(rate "$m_utf8") MB/s (target >= 150)"
echo "decode16-1252: $(rate "$m_1252") MB/s (target >= 150)"
