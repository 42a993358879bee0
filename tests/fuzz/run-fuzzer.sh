#!/bin/bash
# Runs the readers' fuzzer for SECONDS on a scratch copy of the seed corpus.
# usage: run-fuzzer.sh FUZZER SOURCE_DIR WORK_DIR SECONDS [libFuzzer options...]
# New inputs and any crash land in WORK_DIR (corpus/, artifacts/), never in the sources.
set -eu
fuzzer=$1 source=$2 work=$3 seconds=$4
shift 4
if [ ! -x "$fuzzer" ]; then
  echo "no fuzzer at $fuzzer: build the native tree with PYXEN_FUZZ=ON first" >&2
  exit 1
fi
rm -rf "$work"
mkdir -p "$work/corpus" "$work/artifacts"
cp "$source"/corpus/* "$work/corpus/"
work=$(cd "$work" && pwd)
fuzzer=$(cd "$(dirname "$fuzzer")" && pwd)/$(basename "$fuzzer")
source=$(cd "$source" && pwd)
cd "$work"
# Every rule of the format shows within 600 bytes (a 249-byte piece; 251 rules of two
# bytes each, also past a READ line and the list marker), and short inputs keep the
# runs fast. The readers allocate nothing, so a small quarantine for freed memory loses
# nothing; the harness's freed strings then reuse warm memory instead of faulting in
# new pages run after run.
ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=16} "$fuzzer" -max_total_time="$seconds" -max_len=600 -timeout=10 -rss_limit_mb=1024 \
  -print_final_stats=1 -dict="$source/readers.dict" -artifact_prefix="$work/artifacts/" "$@" "$work/corpus"
echo "corpus: $(ls "$work/corpus" | wc -l) inputs"
