#!/bin/sh
# Runs every fuzzer of a fuzz build for a bounded time on a scratch copy of
# its seed corpus (fuzz/corpus/<name without _fuzz>), so that the corpus in
# the repository is never changed. Fails on the first crash. The fuzzers run
# side by side, one per processor (IZ_FUZZ_JOBS), each on one thread: eight
# of them at 20 s would otherwise hold `make test` for close to three minutes.
#   fuzz/smoke.sh BUILD_DIR [SECONDS]
set -eu
build=${1:?usage: fuzz/smoke.sh BUILD_DIR [SECONDS]}
seconds=${2:-20}
jobs=${IZ_FUZZ_JOBS:-$(nproc 2>/dev/null || echo 1)}
root=$(cd "$(dirname "$0")/.." && pwd)
scratch="$build/scratch"

# One fuzzer; its exit status lands beside its log.
run() {
  work="$scratch/$1"
  status=0
  "$build/$1" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$work/artifacts/" "$work/corpus" >"$work/log" 2>&1 || status=$?
  echo "$status" >"$work/status"
}

# Reports the fuzzers of a finished batch in order; fails on the first crash.
report() {
  for name in "$@"; do
    work="$scratch/$name"
    echo "== $name: ${seconds} s from $(cat "$work/seeds") seeds"
    if [ "$(cat "$work/status")" != 0 ]; then
      tail -n 60 "$work/log"
      echo "== $name FAILED; the input is in $work/artifacts/" >&2
      exit 1
    fi
    grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$work/log" | tr '\n' ' '
    echo
  done
}

found=0
batch=""
for source in "$root"/fuzz/*_fuzz.cpp; do
  name=$(basename "$source" .cpp)
  corpus="$root/fuzz/corpus/${name%_fuzz}"
  work="$scratch/$name"
  rm -rf "$work" && mkdir -p "$work/corpus" "$work/artifacts"
  [ -d "$corpus" ] && cp "$corpus"/* "$work/corpus/" 2>/dev/null || true
  ls "$work/corpus" | wc -l >"$work/seeds"
  found=$((found + 1))
  run "$name" &
  batch="$batch $name"
  if [ $((found % jobs)) -eq 0 ]; then
    wait
    report $batch
    batch=""
  fi
done
wait
[ -n "$batch" ] && report $batch
[ "$found" -gt 0 ] || { echo "no fuzzers found" >&2; exit 1; }
echo "== all $found fuzzers ran ${seconds} s each without a failure"
