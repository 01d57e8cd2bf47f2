#!/usr/bin/env bash
# Start-up of the editor: from process start to the first paint of the main window, and the
# resident memory right after that paint. The program runs under the offscreen platform
# with SCRIVEL_BENCH_FIRST_PAINT set, which makes it print the wall-clock time of its first
# paint and its resident set size, and quit. One start that writes the settings comes
# first and is not counted, so every counted run is an ordinary start with stored settings.
#   bench/startup.sh CORPUS_FOLDER      (the corpus is not read; RUNS=10 by default)
runs=${RUNS:-10}
source "$(dirname "$0")/common.sh" "$@"

build="$BENCH_ROOT/build-bench"
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$BENCH_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DSCRIVEL_TESTS=OFF -DSCRIVEL_GUI=ON -DSCRIVEL_BENCH=ON >/dev/null
elif ! grep -q '^SCRIVEL_GUI:BOOL=ON' "$build/CMakeCache.txt"; then
    cmake -S "$BENCH_ROOT" -B "$build" -DSCRIVEL_GUI=ON >/dev/null
fi
cmake --build "$build" --target scrivel >/dev/null
program="$build/src/scrivel"

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT

# start_once : prints "<ms to first paint> <RSS KiB>".
start_once() {
    local out start paint rss
    out=$(
        date +%s%N
        exec env HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
            XDG_RUNTIME_DIR="$home" QT_QPA_PLATFORM=offscreen SCRIVEL_BENCH_FIRST_PAINT=1 \
            "$program" 2>/dev/null
    )
    start=$(echo "$out" | head -n 1)
    paint=$(echo "$out" | sed -n 's/^first-paint-ns: //p')
    rss=$(echo "$out" | sed -n 's/^rss-kib: //p')
    if [ -z "$paint" ] || [ -z "$rss" ]; then
        echo "scrivel did not report its first paint" >&2
        exit 1
    fi
    awk -v s="$start" -v p="$paint" -v r="$rss" 'BEGIN { printf "%.1f %d\n", (p - s) / 1e6, r }'
}

start_once >/dev/null # writes the settings
times=()
rss=()
for ((i = 0; i < runs; i++)); do
    read -r ms kib < <(start_once)
    times+=("$ms")
    rss+=("$kib")
done
echo "scrivel start to first paint (ms): ${times[*]}"
echo "scrivel RSS after first paint (KiB): ${rss[*]}"
ms=$(median "${times[@]}")
kib=$(median "${rss[@]}")
echo "startup: $(awk -v v="$ms" 'BEGIN { printf "%.0f", v }') ms (target <= 150)"
echo "startup-rss: $(awk -v v="$kib" 'BEGIN { printf "%.1f", v / 1024 }') MiB (target <= 60)"
