#!/usr/bin/env bash
# Regular-expression engine against grep: counts the lines of big.txt that match, calling
# RegexExecute once per line (as find in files does) versus `LC_ALL=C grep -c -E`.
#   bench/regex.sh CORPUS_FOLDER
source "$(dirname "$0")/common.sh" "$@"

DRIVER="$BENCH_BIN/bench_regex"
# The driver needs only the engine; when the whole Release tree does not build, it is built
# from its own sources with the same optimisation.
if ! bench_build bench_regex 2>/dev/null; then
    echo "regex: the Release tree did not build; building the driver alone" >&2
    mkdir -p "$BENCH_BIN"
    c++ -std=c++20 -O2 -DNDEBUG -I"$BENCH_ROOT/src" "$BENCH_ROOT/bench/bench_regex.cpp" \
        "$BENCH_ROOT/src/patterns/Regex.cpp" -o "$DRIVER"
fi
FILE="$CORPUS/big.txt"

compare() {
    local name=$1 expr=$2
    local ours peer
    ours=$("$DRIVER" "$expr" "$FILE")
    peer=$(LC_ALL=C grep -c -E "$expr" "$FILE" || true)
    if [ "$ours" != "$peer" ]; then
        echo "$name: counts differ for '$expr': ours $ours, grep $peer" >&2
        exit 1
    fi
    local t_ours=() t_peer=() i
    for ((i = 0; i < RUNS; i++)); do
        t_ours+=("$(bench_run "$DRIVER" "$expr" "$FILE" | cut -d' ' -f1)")
        t_peer+=("$(LC_ALL=C bench_run grep -c -E "$expr" "$FILE" | cut -d' ' -f1)")
    done
    local m_ours m_peer
    m_ours=$(median "${t_ours[@]}")
    m_peer=$(median "${t_peer[@]}")
    echo "$name '$expr': $ours lines; ours $m_ours s, grep $m_peer s (medians of $RUNS)"
    RESULT_LINES+=("$name: $(ratio "$m_ours" "$m_peer") x (target <= 3.0)")
}

RESULT_LINES=()
compare regex-literal 'FINDME_MARKER_[0-9]+'
compare regex-set '[a-z]+_t[^a-z]'
printf '%s\n' "${RESULT_LINES[@]}"
