#!/usr/bin/env bash
# Find in files over a copy of /usr/include, whole process, against GNU grep and ripgrep
# (one thread) in the same run. Usage: bench/fif.sh CORPUS_FOLDER
source "$(dirname "$0")/common.sh" "$@"
bench_build scrivel_fif
FIF="$BENCH_BIN/scrivel_fif"
TREE="$CORPUS/tree"
command -v rg >/dev/null 2>&1 || {
    sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq ripgrep >/dev/null
}
find "$TREE" -type f -exec cat {} + >/dev/null 2>&1 || true # warm the page cache

# grep -r and rg skip symbolic links while walking; the engine searches linked files, so the
# line counts are compared on the same set of files: the tree without its links.
count_ours=$("$FIF" --count -s -c -t '*.*' memcpy "$TREE" | tail -n 1)
count_grep=$(grep -rnF memcpy "$TREE" | wc -l)
count_links=$( (find "$TREE" -type l -xtype f -print0 | xargs -0 -r grep -hF memcpy || true) | wc -l)
echo "matching lines: scrivel $count_ours, grep $count_grep (+ $count_links in linked files)"
[ "$count_ours" -eq $((count_grep + count_links)) ] || { echo "literal counts differ" >&2; exit 1; }

regex='[a-z]+_t[^a-z]'
rcount_ours=$("$FIF" --count -s -c -r -t '*.*' "$regex" "$TREE" | tail -n 1)
rcount_grep=$(LC_ALL=C grep -rnE "$regex" "$TREE" | wc -l)
rcount_links=$( (find "$TREE" -type l -xtype f -print0 | xargs -0 -r env LC_ALL=C grep -hE "$regex" || true) | wc -l)
echo "expression lines: scrivel $rcount_ours, grep $rcount_grep (+ $rcount_links in linked files)"
[ "$rcount_ours" -eq $((rcount_grep + rcount_links)) ] || { echo "expression counts differ" >&2; exit 1; }

ours=(); grep_t=(); rg_t=(); rours=(); rgrep=(); cancel=()
for _ in $(seq "$RUNS"); do
    ours+=("$(bench_run "$FIF" -s -c -t '*.*' memcpy "$TREE" | cut -d' ' -f1)")
    grep_t+=("$(bench_run grep -rnF memcpy "$TREE" | cut -d' ' -f1)")
    rg_t+=("$(bench_run rg -n -j1 -F memcpy "$TREE" | cut -d' ' -f1)")
    rours+=("$(bench_run "$FIF" -s -c -r -t '*.*' "$regex" "$TREE" | cut -d' ' -f1)")
    rgrep+=("$(bench_run env LC_ALL=C grep -rnE "$regex" "$TREE" | cut -d' ' -f1)")
    cancel+=("$("$FIF" --cancel-after-ms 40 -s -r -t '*.*' "$regex" "$TREE" 2>&1 >/dev/null | sed -n 's/^cancel-ms: //p')")
done
m_ours=$(median "${ours[@]}"); m_grep=$(median "${grep_t[@]}"); m_rg=$(median "${rg_t[@]}")
m_rours=$(median "${rours[@]}"); m_rgrep=$(median "${rgrep[@]}"); m_cancel=$(median "${cancel[@]}")
echo "medians (s): scrivel $m_ours, grep -rnF $m_grep, rg -j1 $m_rg; expression: scrivel $m_rours, grep -rnE $m_rgrep"
echo "fif: $(ratio "$m_ours" "$m_grep") x (target <= 1.2)"
echo "fif-rg: $(ratio "$m_ours" "$m_rg") x (target <= 1.5)"
echo "fif-regex: $(ratio "$m_rours" "$m_rgrep") x (target <= 2.0)"
echo "fif-cancel: $m_cancel ms (target <= 50)"
