#!/usr/bin/env bash
# File watching: the file-watch service with 1,000 watched files in 50 folders (the
# driver bench_watch, Release build). It covers the service and the queued hand-over to the
# main thread (a queue the main thread waits on, as the user-interface thread's event loop
# does); the reload question itself is a message box and is not timed.
#   watch-latency: a child process appends to one watched file; milliseconds from its write
#                  to the notification taken on the main thread (median of every round of
#                  every run).
#   watch-idle-cpu: CPU time of the whole process while nothing changes, in percent of the
#                  wall time (median of the runs).
# No peer: no other program offers these figures for comparison through a command line.
#   bench/watch.sh CORPUS_FOLDER
source "$(dirname "$0")/common.sh" "$@"

DRIVER="$BENCH_BIN/bench_watch"
if ! bench_build bench_watch 2>/dev/null; then
    echo "watch: the Release tree did not build; building the driver alone" >&2
    mkdir -p "$BENCH_BIN"
    c++ -std=c++20 -O2 -DNDEBUG -pthread -I"$BENCH_ROOT/src" "$BENCH_ROOT/bench/bench_watch.cpp" \
        "$BENCH_ROOT"/src/platform/{FileWatch,Folders}.cpp -o "$DRIVER"
fi
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

latencies=() idle=()
for ((i = 0; i < RUNS; i++)); do
    rm -rf "$WORK"/*
    mapfile -t round < <("$DRIVER" latency "$WORK" 10)
    [ "${#round[@]}" -eq 10 ] || { echo "watch: a change was not reported" >&2; exit 1; }
    latencies+=("${round[@]}")
    rm -rf "$WORK"/*
    idle+=("$("$DRIVER" idle "$WORK" 3)")
done
lat=$(median "${latencies[@]}")
cpu=$(median "${idle[@]}")
echo "latency per change, ms: ${latencies[*]}"
echo "idle CPU per run, %: ${idle[*]}"
printf 'watch-latency: %.1f ms (target <= 200)\n' "$lat"
printf 'watch-idle-cpu: %.3f %% (target <= 0.1)\n' "$cpu"
