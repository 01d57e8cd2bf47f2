#!/usr/bin/env bash
# The find-in-files window under the offscreen platform, over a copy of /usr/include: the
# search "[a-z]+_t[^a-z]" (regular expression, all files, subfolders) from Start to the
# summary line in the result pane, against LC_ALL=C grep -rnE on the same tree in the same
# run; the longest stall of the user-interface thread while the results stream in (the
# worst delay of a 1 ms timer); the time from Stop, pressed while results stream, to an idle
# form; and the peak resident memory with every result line in the pane.
#   bench/fifwin.sh CORPUS_FOLDER
source "$(dirname "$0")/common.sh" "$@"
build="$BENCH_ROOT/build-bench"
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$BENCH_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DSCRIVEL_TESTS=OFF -DSCRIVEL_GUI=ON -DSCRIVEL_BENCH=ON >/dev/null
elif ! grep -q '^SCRIVEL_GUI:BOOL=ON' "$build/CMakeCache.txt"; then
    cmake -S "$BENCH_ROOT" -B "$build" -DSCRIVEL_GUI=ON >/dev/null
fi
cmake --build "$build" --target bench_fifwin >/dev/null
DRIVER="$build/bench/bench_fifwin"
TREE="$CORPUS/tree"
regex='[a-z]+_t[^a-z]'
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$runtime"
find "$TREE" -type f -exec cat {} + >/dev/null 2>&1 || true # warm the page cache

ours=(); grep_t=(); stall=(); stop=(); rss=()
for _ in $(seq "$RUNS"); do
    out=$("$DRIVER" search "$regex" "$TREE" 2>/dev/null)
    ours+=("$(echo "$out" | sed -n 's/^ms: //p')")
    stall+=("$(echo "$out" | sed -n 's/^stall-ms: //p')")
    rss+=("$(echo "$out" | sed -n 's/^rss-kib: //p')")
    lines=$(echo "$out" | sed -n 's/^lines: //p')
    summary=$(echo "$out" | sed -n 's/^summary: //p')
    # grep's whole process, wall clock, in milliseconds.
    start=$(date +%s%N)
    LC_ALL=C grep -rnE "$regex" "$TREE" | cat >/dev/null
    grep_t+=("$(( ($(date +%s%N) - start) / 1000000 ))")
    stop+=("$("$DRIVER" stop "$regex" "$TREE" 2>/dev/null | sed -n 's/^stop-ms: //p')")
done
m_ours=$(median "${ours[@]}"); m_grep=$(median "${grep_t[@]}")
m_stall=$(median "${stall[@]}"); m_stop=$(median "${stop[@]}"); m_rss=$(median "${rss[@]}")
echo "pane lines: $lines, last: $summary"
echo "medians: window $m_ours ms, grep -rnE $m_grep ms; stall $m_stall ms; stop $m_stop ms; peak RSS $m_rss KiB"
echo "fifwin-regex: $(ratio "$m_ours" "$m_grep") x (target <= 1.5)"
echo "fifwin-stall: $m_stall ms (target <= 30)"
echo "fifwin-stop: $m_stop ms (target <= 100)"
echo "fifwin-rss: $(awk -v k="$m_rss" 'BEGIN { printf "%.1f", k / 1024 }') MiB (target <= 150)"
