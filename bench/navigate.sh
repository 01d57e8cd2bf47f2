#!/usr/bin/env bash
# The history page of the navigation bar under the offscreen platform: a history of 1,000
# records spread over two weeks, from making the page to its first paint, grouped by day.
# No peer: the target is absolute.
#   bench/navigate.sh CORPUS_FOLDER      (the corpus is not read)
source "$(dirname "$0")/common.sh" "$@"
build="$BENCH_ROOT/build-bench"
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$BENCH_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DSCRIVEL_TESTS=OFF -DSCRIVEL_GUI=ON -DSCRIVEL_BENCH=ON >/dev/null
elif ! grep -q '^SCRIVEL_GUI:BOOL=ON' "$build/CMakeCache.txt"; then
    cmake -S "$BENCH_ROOT" -B "$build" -DSCRIVEL_GUI=ON >/dev/null
fi
cmake --build "$build" --target bench_navigate >/dev/null
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$runtime"
fill=()
for _ in $(seq "$RUNS"); do
    fill+=("$("$build/bench/bench_navigate" 1000 2>/dev/null | sed -n 's/^fill-ms: //p')")
done
echo "fill times (ms): ${fill[*]}"
echo "nav-fill: $(median "${fill[@]}") ms (target <= 100)"
