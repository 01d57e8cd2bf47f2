# Shared by the bench/*.sh comparison scripts. Sourced, not run.
#   source "$(dirname "$0")/common.sh" "$@"
# sets CORPUS (the corpus folder, filled when empty), BENCH_BIN (the Release drivers) and
# offers bench_build, bench_run and median.
set -euo pipefail

BENCH_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if [ $# -lt 1 ]; then
    echo "usage: $0 CORPUS_FOLDER" >&2
    exit 2
fi
mkdir -p "$1"
CORPUS=$(cd "$1" && pwd)
BENCH_BIN="$BENCH_ROOT/build-bench/bench"
RUNS=${RUNS:-5}

for tool in time; do
    command -v /usr/bin/time >/dev/null 2>&1 || {
        sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
        $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$tool" >/dev/null
    }
done

# Fills the corpus folder with the shared corpora when it has none yet.
if [ ! -f "$CORPUS/big.txt" ] || [ ! -f "$CORPUS/huge.bin" ]; then
    corpora_script="$BENCH_ROOT/../shared/bench/make_corpora.sh"
    echo "Making the corpora in $CORPUS ..." >&2
    (cd "$CORPUS" && bash "$corpora_script" >&2)
fi

# bench_build target... : builds benchmark drivers in the Release tree build-bench/.
bench_build() {
    if [ ! -f "$BENCH_ROOT/build-bench/build.ninja" ]; then
        cmake -S "$BENCH_ROOT" -B "$BENCH_ROOT/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
            -DSCRIVEL_TESTS=OFF -DSCRIVEL_GUI=OFF -DSCRIVEL_BENCH=ON >/dev/null
    fi
    cmake --build "$BENCH_ROOT/build-bench" --target "$@" >/dev/null
}

# bench_run cmd... : runs a command once; prints "<seconds> <peak RSS in KiB>".
# The command's standard output goes through a pipe, so tools that stop early when they
# write to /dev/null cannot.
bench_run() {
    local out
    out=$( { /usr/bin/time -f "%e %M" "$@" | cat >/dev/null; } 2>&1 >/dev/null | tail -n 1)
    echo "$out"
}

# median v1 v2 ... : prints the median of the numbers.
median() {
    printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {if (NR%2) print a[(NR+1)/2]; else print (a[NR/2]+a[NR/2+1])/2}'
}

# ratio a b : prints a / b with three decimals.
ratio() {
    awk -v a="$1" -v b="$2" 'BEGIN { if (b == 0) b = 0.001; printf "%.3f", a / b }'
}
