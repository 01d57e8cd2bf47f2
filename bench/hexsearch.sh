#!/usr/bin/env bash
# The hex buffer on huge.bin (1 GiB with the marker "Qz7#PbM!" near its end): a forward
# search that finds the marker and a backward search for a text that is not there, each
# as a whole process against `grep -c -F -a` in the same run; the peak memory of the
# search; opening the file; one byte inserted at 0 and undone; one change and its undo
# after 100,000 changes spread over the file, and undoing those 100,000.
#   bench/hexsearch.sh CORPUS_FOLDER
source "$(dirname "$0")/common.sh" "$@"

DRIVER="$BENCH_BIN/bench_hexsearch"
# The driver needs only the hex and platform libraries; when the whole Release tree does
# not build, it is built from its own sources with the same optimisation.
if ! bench_build bench_hexsearch 2>/dev/null; then
    echo "hexsearch: the Release tree did not build; building the driver alone" >&2
    mkdir -p "$BENCH_BIN"
    c++ -std=c++20 -O2 -DNDEBUG -I"$BENCH_ROOT/src" "$BENCH_ROOT/bench/bench_hexsearch.cpp" \
        "$BENCH_ROOT"/src/hex/*.cpp "$BENCH_ROOT"/src/platform/*.cpp -o "$DRIVER"
fi
FILE="$CORPUS/huge.bin"

# grep exits with 1 when it finds nothing; the wrapper keeps that from ending the script.
peer_grep() {
    bench_run sh -c 'grep -c -F -a "$1" "$2"; exit 0' grep "$1" "$FILE"
}

# Checks the answers once, then times both alternately.
found=$("$DRIVER" search "$FILE" '=Qz7#PbM!')
expected=$(LC_ALL=C grep -b -o -F -a 'Qz7#PbM!' "$FILE" | head -n 1 | cut -d: -f1)
if [ "$found" != "$expected" ]; then
    echo "hexsearch: found '$found', grep says '$expected'" >&2
    exit 1
fi
missing=$("$DRIVER" search "$FILE" '=Qz7#PbM?' back 2>/dev/null)
if [ -n "$missing" ]; then
    echo "hexsearch-back: found '$missing' where grep finds nothing" >&2
    exit 1
fi

t_fwd=() t_fwd_grep=() t_back=() t_back_grep=() rss=()
for ((i = 0; i < RUNS; i++)); do
    read -r t m < <(bench_run "$DRIVER" search "$FILE" '=Qz7#PbM!')
    t_fwd+=("$t"); rss+=("$m")
    t_fwd_grep+=("$(LC_ALL=C peer_grep 'Qz7#PbM!' | cut -d' ' -f1)")
    read -r t m < <(bench_run sh -c '"$0" search "$1" "$2" back 2>/dev/null; exit 0' "$DRIVER" "$FILE" '=Qz7#PbM?')
    t_back+=("$t"); rss+=("$m")
    t_back_grep+=("$(LC_ALL=C peer_grep 'Qz7#PbM?' | cut -d' ' -f1)")
done
opens=() inserts=() edits=() undos=()
for ((i = 0; i < RUNS; i++)); do
    opens+=("$("$DRIVER" open "$FILE")")
    inserts+=("$("$DRIVER" insert "$FILE")")
    read -r e u < <("$DRIVER" edits "$FILE")
    edits+=("$e"); undos+=("$u")
done

m_fwd=$(median "${t_fwd[@]}"); m_fwd_grep=$(median "${t_fwd_grep[@]}")
m_back=$(median "${t_back[@]}"); m_back_grep=$(median "${t_back_grep[@]}")
echo "forward search: ours $m_fwd s, grep $m_fwd_grep s; backward search: ours $m_back s, grep $m_back_grep s (medians of $RUNS)"
peak=$(printf '%s\n' "${rss[@]}" | sort -g | tail -n 1)
echo "hexsearch: $(ratio "$m_fwd" "$m_fwd_grep") x (target <= 1.25)"
echo "hexsearch-back: $(ratio "$m_back" "$m_back_grep") x (target <= 1.25)"
echo "hexopen: $(median "${opens[@]}") ms (target <= 10)"
echo "hexsearch-rss: $(awk -v k="$peak" 'BEGIN { printf "%.1f", k / 1024 }') MiB (target <= 32)"
echo "hexinsert: $(median "${inserts[@]}") ms (target <= 1)"
echo "hexedit-after-100k: $(median "${edits[@]}") us (target <= 50)"
echo "hexundo-100k: $(median "${undos[@]}") s (target <= 1)"
