#!/usr/bin/env bash
# Loading and saving a history file of a million records (no peer: absolute targets on
# processor time; pugixml loading the same file alone is printed for comparison).
#   bench/file_records.sh CORPUS_FOLDER
source "$(dirname "$0")/common.sh" "$@"
bench_build file_records
"$BENCH_BIN/file_records" "$CORPUS" 1000000 "$RUNS"
