#!/bin/sh
# Runs every fuzzer of a fuzz build for a bounded time on a scratch copy of
# its seed corpus (fuzz/corpus/<name without _fuzz>), so that the corpus in
# the repository is never changed. Fails on the first crash.
#   fuzz/smoke.sh BUILD_DIR [SECONDS]
set -eu
build=${1:?usage: fuzz/smoke.sh BUILD_DIR [SECONDS]}
seconds=${2:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
scratch="$build/scratch"

found=0
for source in "$root"/fuzz/*_fuzz.cpp; do
  name=$(basename "$source" .cpp)
  corpus="$root/fuzz/corpus/${name%_fuzz}"
  work="$scratch/$name"
  rm -rf "$work" && mkdir -p "$work/corpus" "$work/artifacts"
  [ -d "$corpus" ] && cp "$corpus"/* "$work/corpus/" 2>/dev/null || true
  found=$((found + 1))
  echo "== $name: ${seconds} s from $(ls "$work/corpus" | wc -l) seeds"
  if ! "$build/$name" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$work/artifacts/" "$work/corpus" >"$work/log" 2>&1; then
    tail -n 60 "$work/log"
    echo "== $name FAILED; the input is in $work/artifacts/" >&2
    exit 1
  fi
  grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$work/log" | tr '\n' ' '
  echo
done
[ "$found" -gt 0 ] || { echo "no fuzzers found" >&2; exit 1; }
echo "== all $found fuzzers ran ${seconds} s each without a failure"
