#!/usr/bin/env bash
# Editing in the real main window, offscreen: bench_edit starts the whole application with
# "-e big.txt" (window 1600 x 1000, C/C++ parser, the caret in the middle of the file) and
# sends its keys as the window system does, shortcuts included; each time runs from the key
# to the end of the repaint with the window's command-state and status-pane updates. Times
# are CPU time of the user-interface thread, painting included (on this shared machine the
# wall clock mostly measures the wait for a processor); each figure is the median over RUNS
# processes of the driver's own median:
#   edit-keystroke      a typed character, key event to the end of the repaint (500 keys)
#   edit-enter          Enter with automatic indentation after "{" (200 keys)
#   edit-block-indent   Tab on a 10,000-line selection, one undo group
#   edit-block-undo     its undo
#   find-next           F3 for FINDME_MARKER_42 from the top, 100 times, per hit
#   find-highlight-paint  a page repaint with Highlight All of "int" on
#   replace-all         Replace All of "int" by "long" (match case) over the whole file,
#                       against sed -i s/int/long/g on a copy (user + system time), run
#                       alternately
#   bench/edit.sh CORPUS_FOLDER
source "$(dirname "$0")/common.sh" "$@"

DRIVER="$BENCH_BIN/bench_edit"
if [ ! -f "$BENCH_ROOT/build-bench/build.ninja" ]; then
    cmake -S "$BENCH_ROOT" -B "$BENCH_ROOT/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DSCRIVEL_TESTS=OFF -DSCRIVEL_BENCH=ON >/dev/null
fi
# The other scripts configure the tree without the widgets; this driver needs them.
cmake "$BENCH_ROOT/build-bench" -DSCRIVEL_GUI=ON >/dev/null
cmake --build "$BENCH_ROOT/build-bench" --target bench_edit >/dev/null
export QT_QPA_PLATFORM=offscreen
# The application reads and writes its settings in a home of its own.
BENCH_HOME=$(mktemp -d)
export HOME="$BENCH_HOME" XDG_CONFIG_HOME="$BENCH_HOME/config" XDG_DATA_HOME="$BENCH_HOME/data"
FILE="$CORPUS/big.txt"
work=$(mktemp -d)
trap 'rm -rf "$work" "$BENCH_HOME"' EXIT

# run_mode MODE : runs the driver once and adds each "<name> <value>" it prints to values[name].
declare -A values
run_mode() {
    local out
    out=$("$DRIVER" "$1" "$FILE" 2>/dev/null)
    while read -r name value; do
        values[$name]+="$value "
    done <<<"$out"
}

for ((i = 0; i < RUNS; i++)); do
    for mode in keystroke enter block find highlight; do
        run_mode "$mode"
    done
done

ours=() peer=()
for ((i = 0; i < RUNS; i++)); do
    run_mode replace
    cp "$FILE" "$work/copy.txt"
    out=$( { /usr/bin/time -f "%U %S" sed -i s/int/long/g "$work/copy.txt"; } 2>&1 | tail -n 1)
    peer+=("$(awk -v t="$out" 'BEGIN { split(t, a, " "); printf "%.1f", (a[1] + a[2]) * 1000 }')")
    rm -f "$work/copy.txt"
done
read -r -a ours <<<"${values[replace-all]}"

for name in keystroke enter block-indent block-undo find-next find-highlight-paint; do
    echo "$name (ms): ${values[$name]}"
done
echo "replace-all scrivel (ms): ${ours[*]}"
echo "replace-all sed (ms): ${peer[*]}"

med() { median ${values[$1]}; }
printf 'edit-keystroke: %.2f ms (target <= 2)\n' "$(med keystroke)"
printf 'edit-enter: %.2f ms (target <= 5)\n' "$(med enter)"
printf 'edit-block-indent: %.1f ms (target <= 150)\n' "$(med block-indent)"
printf 'edit-block-undo: %.1f ms (target <= 150)\n' "$(med block-undo)"
printf 'find-next: %.2f ms (target <= 30)\n' "$(med find-next)"
printf 'find-highlight-paint: %.2f ms (target <= 8)\n' "$(med find-highlight-paint)"
echo "replace-all: $(ratio "$(median "${ours[@]}")" "$(median "${peer[@]}")") x (target <= 3.0)"
