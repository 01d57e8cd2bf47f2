#!/usr/bin/env bash
# The hex view on huge.bin (1 GiB) in a window of 1600 x 1000 under the offscreen platform:
# opening to the first painted page, the memory then, one page repaint, Page Down, Ctrl+End;
# typing 100,000 hex digits spread over the file, one more digit and undoing them all;
# saving with one byte inserted at 0 against `cp`; a forward find with highlight on
# against `grep -c -F -a`. Every part runs the whole program offscreen, the file opened by
# its open command in the main window.
#   bench/hexview.sh CORPUS_FOLDER
# EDIT_SECONDS (default 30) bounds the typing: when the buffer is too slow to take
# 100,000 changes in that time, the lines say how many it took.
source "$(dirname "$0")/common.sh" "$@"

DRIVER="$BENCH_BIN/bench_hexview"
if [ ! -f "$BENCH_ROOT/build-bench/build.ninja" ] ||
    ! grep -q 'SCRIVEL_GUI:BOOL=ON' "$BENCH_ROOT/build-bench/CMakeCache.txt"; then
    cmake -S "$BENCH_ROOT" -B "$BENCH_ROOT/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DSCRIVEL_TESTS=OFF -DSCRIVEL_GUI=ON -DSCRIVEL_BENCH=ON >/dev/null
fi
cmake --build "$BENCH_ROOT/build-bench" -j2 --target bench_hexview >/dev/null
export QT_QPA_PLATFORM=offscreen
FILE="$CORPUS/huge.bin"
EDIT_SECONDS=${EDIT_SECONDS:-30}
SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/hexview-bench.XXXXXX")
trap 'rm -rf "$SCRATCH"' EXIT

# --- Viewing -----------------------------------------------------------------------------
opens=() rsss=() paints=() pages=() jumps=()
for ((i = 0; i < RUNS; i++)); do
    read -r o r p g j < <("$DRIVER" view "$FILE")
    opens+=("$o"); rsss+=("$r"); paints+=("$p"); pages+=("$g"); jumps+=("$j")
done

# --- Editing (one run: the typing is long) -------------------------------------------------
read -r typed one undo < <("$DRIVER" edit "$FILE" 100000 "$EDIT_SECONDS")

# --- Saving against cp, alternately --------------------------------------------------------
# Ours: from Ctrl+S to the window painted with the document saved, in the driver. cp: the
# whole process, timed here to the microsecond. Both work on one scratch copy of huge.bin:
# each save puts one more byte in front of it, and cp copies it as it then is. Every timed
# command starts with the disk done with what came before (sync); the scratch copy is
# written only once, as every gigabyte written makes the disk of a shared machine slower
# for what follows.
# The save syncs its file before it replaces the old one (a save that may not have reached
# the disk is not done); cp does not. So cp followed by a sync of the copy runs as well, to
# show what reaching the disk costs.
elapsed() { # command... : prints the seconds it ran
    local start=$EPOCHREALTIME
    "$@" >/dev/null
    awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.4f\n", b - a }'
}
settle() {
    rm -f "$SCRATCH/copy.bin"
    sync
    sleep 0.5
}
cp "$FILE" "$SCRATCH/huge.bin"
saves=() copies=() synced=()
for ((i = 0; i < RUNS; i++)); do
    settle
    saves+=("$("$DRIVER" save "$SCRATCH/huge.bin")")
    settle
    copies+=("$(elapsed cp "$SCRATCH/huge.bin" "$SCRATCH/copy.bin")")
    settle
    synced+=("$(elapsed sh -c 'cp "$1" "$2" && sync "$2"' cp "$SCRATCH/huge.bin" "$SCRATCH/copy.bin")")
done
rm -f "$SCRATCH/huge.bin" "$SCRATCH/copy.bin"

# --- Finding against grep, alternately -----------------------------------------------------
found=$("$DRIVER" find "$FILE" '=Qz7#PbM!')
expected=$(LC_ALL=C grep -b -o -F -a 'Qz7#PbM!' "$FILE" | head -n 1 | cut -d: -f1)
if [ "$found" != "$expected" ]; then
    echo "hexview-find: found '$found', grep says '$expected'" >&2
    exit 1
fi
finds=() greps=()
for ((i = 0; i < RUNS; i++)); do
    read -r t _ < <(bench_run "$DRIVER" find "$FILE" '=Qz7#PbM!')
    finds+=("$t")
    read -r t _ < <(bench_run sh -c 'LC_ALL=C grep -c -F -a "$1" "$2"; exit 0' grep 'Qz7#PbM!' "$FILE")
    greps+=("$t")
done

m_save=$(median "${saves[@]}"); m_cp=$(median "${copies[@]}")
m_find=$(median "${finds[@]}"); m_grep=$(median "${greps[@]}")
m_synced=$(median "${synced[@]}")
echo "save: ours $m_save s, cp $m_cp s, cp with sync $m_synced s (the sync costs" \
    "$(awk -v a="$m_synced" -v b="$m_cp" 'BEGIN { printf "%.2f", a - b }') s; ours against" \
    "cp with sync: $(ratio "$m_save" "$m_synced") x); find: ours $m_find s, grep $m_grep s" \
    "(medians of $RUNS)"
echo "typing: $typed digits typed within ${EDIT_SECONDS} s (100,000, then the 21 timed one at a" \
    "time: the median is reported; the target assumes 100,021)"
echo "hexview-open: $(median "${opens[@]}") ms (target <= 50)"
echo "hexview-rss: $(median "${rsss[@]}") MiB (target <= 100)"
echo "hexview-paint: $(median "${paints[@]}") ms (target <= 4)"
echo "hexview-pagedown: $(median "${pages[@]}") ms (target <= 4)"
echo "hexview-jump: $(median "${jumps[@]}") ms (target <= 10)"
echo "hexview-type-after-100k: $one ms (target <= 2)"
echo "hexview-undo-all: $undo s (target <= 2)"
echo "hexview-save: $(ratio "$m_save" "$m_cp") x (target <= 1.5)"
echo "hexview-find: $(ratio "$m_find" "$m_grep") x (target <= 1.3)"
