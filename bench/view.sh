#!/usr/bin/env bash
# The text view over big.txt with the C/C++ parser, offscreen, window 1600 x 1000:
#   view-open   the whole application started with the file ("bench_view main", the main
#               window with the document in its editable view): start-up, load, first
#               paint of the page and exit, against vim loading the file as bench/load.sh
#               runs it, CPU time (user + system) medians of RUNS each;
#   view-rss    peak resident size of that process over the file size;
#   (the window measures below run in the same main window, "bench_view <mode>"; the export
#   needs no window)
#   (view-paint, view-pagedown, view-jump and export are CPU time of the painting thread:
#   on this shared machine the wall clock mostly measures the wait for a processor)
#   view-paint  median of 200 full repaints of a page in the middle;
#   view-pagedown  Page Down 200 times from the middle, per step with the paint;
#   view-jump   Ctrl+End then Ctrl+Home right after opening (parses every line);
#   wrap-stall, wrap-total  word wrap on at 100 columns: the worst delay of a 1 ms timer
#               while the pass runs, and the whole pass to its repaint;
#   export      HTML export of the first 10 MB of big.txt (cut at a line end).
#   bench/view.sh CORPUS_FOLDER
source "$(dirname "$0")/common.sh" "$@"

DRIVER="$BENCH_BIN/bench_view"
if [ ! -f "$BENCH_ROOT/build-bench/build.ninja" ]; then
    cmake -S "$BENCH_ROOT" -B "$BENCH_ROOT/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DSCRIVEL_TESTS=OFF -DSCRIVEL_BENCH=ON >/dev/null
fi
# The other scripts configure the tree without the widgets; this driver needs them.
cmake "$BENCH_ROOT/build-bench" -DSCRIVEL_GUI=ON >/dev/null
cmake --build "$BENCH_ROOT/build-bench" --target bench_view >/dev/null
export QT_QPA_PLATFORM=offscreen
# The application reads and writes its settings in a home of its own.
BENCH_HOME=$(mktemp -d)
export HOME="$BENCH_HOME" XDG_CONFIG_HOME="$BENCH_HOME/config" XDG_DATA_HOME="$BENCH_HOME/data"
FILE="$CORPUS/big.txt"
SIZE=$(stat -c %s "$FILE")

measure() {
    local TIMEFORMAT='%3U %3S %3R' out
    out=$( { time "$@" 2>/dev/null | cat >/dev/null; } 2>&1 )
    awk -v t="$out" 'BEGIN { split(t, a, " "); printf "%.3f %.3f", a[1] + a[2], a[3] }'
}

# view-open against vim, alternately.
t_ours=() t_peer=() w_ours=() w_peer=()
for ((i = 0; i < RUNS; i++)); do
    read -r c w <<<"$(measure "$DRIVER" main "$FILE")"
    t_ours+=("$c") w_ours+=("$w")
    read -r c w <<<"$(measure vim -u NONE -N -n -es '+q' "$FILE")"
    t_peer+=("$c") w_peer+=("$w")
done
m_ours=$(median "${t_ours[@]}")
m_peer=$(median "${t_peer[@]}")
echo "view-open: CPU ours $m_ours s, vim $m_peer s; wall ours $(median "${w_ours[@]}") s, vim $(median "${w_peer[@]}") s (medians of $RUNS)"

rss_runs=()
for ((i = 0; i < 3; i++)); do
    rss_runs+=("$(bench_run "$DRIVER" main "$FILE" | cut -d' ' -f2)")
done
rss=$(median "${rss_runs[@]}")
echo "view-rss: peak $rss KiB for a file of $SIZE bytes"

collect() { # mode key
    local values=()
    for ((i = 0; i < RUNS; i++)); do
        values+=("$("$DRIVER" "$1" "$FILE" 2>/dev/null | awk -v k="$2" '$1 == k {print $2}')")
    done
    median "${values[@]}"
}
paint=$(collect paint paint)
pagedown=$(collect pagedown pagedown)
jump=$(collect jump jump)
stalls=() totals=()
for ((i = 0; i < RUNS; i++)); do
    out=$("$DRIVER" wrap "$FILE" 2>/dev/null)
    stalls+=("$(echo "$out" | awk '$1 == "wrap-stall" {print $2}')")
    totals+=("$(echo "$out" | awk '$1 == "wrap-total" {print $2}')")
done

TMP=$(mktemp -d)
trap 'rm -rf "$TMP" "$BENCH_HOME"' EXIT
head -c 10000000 "$FILE" | sed '$d' >"$TMP/export.cpp"
exports=()
for ((i = 0; i < RUNS; i++)); do
    exports+=("$("$DRIVER" export "$TMP/export.cpp" 2>/dev/null | awk '$1 == "export" {print $2}')")
done

echo "view-open: $(ratio "$m_ours" "$m_peer") x (target <= 0.8)"
echo "view-rss: $(ratio "$((rss * 1024))" "$SIZE") x (target <= 1.5)"
echo "view-paint: $paint ms (target <= 4)"
echo "view-pagedown: $pagedown ms (target <= 5)"
echo "view-jump: $jump ms (target <= 250)"
echo "wrap-stall: $(median "${stalls[@]}") ms (target <= 50)"
echo "wrap-total: $(median "${totals[@]}") s (target <= 3)"
echo "export: $(median "${exports[@]}") MB/s (target >= 50)"
