#!/usr/bin/env bash
# Saving a loaded document against cp: bench_save loads big.txt and saves it to a new file
# through the safe save (temporary file, fsync, rename); bench_load only loads it; cp copies
# big.txt to a new file. Run alternately RUNS times each; the save alone costs
# (save - load), compared with cp. The ratio is of the median CPU times (user + system);
# wall medians, which include waiting for the disk sync that cp does not do, are printed
# beside them.
#   bench/save.sh CORPUS_FOLDER
source "$(dirname "$0")/common.sh" "$@"

SAVE="$BENCH_BIN/bench_save"
LOAD="$BENCH_BIN/bench_load"
if ! bench_build bench_save bench_load 2>/dev/null; then
    echo "save: the Release tree did not build; building the drivers alone" >&2
    mkdir -p "$BENCH_BIN"
    for d in bench_save bench_load; do
        c++ -std=c++20 -O2 -DNDEBUG -I"$BENCH_ROOT/src" "$BENCH_ROOT/bench/$d.cpp" \
            "$BENCH_ROOT"/src/{encoding,syntax,text,platform}/*.cpp -lpthread -o "$BENCH_BIN/$d"
    done
fi

FILE="$CORPUS/big.txt"
OUT=$(mktemp -d "${TMPDIR:-/tmp}/scrivel-save-bench-XXXXXX")
trap 'rm -rf "$OUT"' EXIT

measure() {
    local TIMEFORMAT='%3U %3S %3R' out
    out=$( { time "$@" 2>/dev/null | cat >/dev/null; } 2>&1 )
    awk -v t="$out" 'BEGIN { split(t, a, " "); printf "%.3f %.3f", a[1] + a[2], a[3] }'
}

"$SAVE" "$FILE" "$OUT/check.txt" >/dev/null
cmp -s "$FILE" "$OUT/check.txt" || { echo "save: the saved file differs from $FILE" >&2; exit 1; }
rm -f "$OUT/check.txt"

t_save=() t_load=() t_cp=() w_save=() w_load=() w_cp=()
for ((i = 0; i < RUNS; i++)); do
    read -r c w <<<"$(measure "$SAVE" "$FILE" "$OUT/saved.txt")"
    t_save+=("$c") w_save+=("$w")
    rm -f "$OUT/saved.txt"
    read -r c w <<<"$(measure "$LOAD" "$FILE")"
    t_load+=("$c") w_load+=("$w")
    read -r c w <<<"$(measure cp "$FILE" "$OUT/copy.txt")"
    t_cp+=("$c") w_cp+=("$w")
    rm -f "$OUT/copy.txt"
done
m_save=$(median "${t_save[@]}")
m_load=$(median "${t_load[@]}")
m_cp=$(median "${t_cp[@]}")
only=$(awk -v a="$m_save" -v b="$m_load" 'BEGIN { d = a - b; if (d < 0) d = 0; printf "%.3f", d }')
echo "save: CPU load+save $m_save s, load $m_load s, save alone $only s, cp $m_cp s; wall load+save $(median "${w_save[@]}") s, load $(median "${w_load[@]}") s, cp $(median "${w_cp[@]}") s (medians of $RUNS; the ratio uses CPU)"
echo "save: $(ratio "$only" "$m_cp") x (target <= 4.0)"
