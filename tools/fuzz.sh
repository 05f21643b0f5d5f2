#!/usr/bin/env bash
# A longer fuzzing run for anyone: builds the fuzz targets and runs each for
# the given time (default 10 minutes), one after another, niced.
#   bash tools/fuzz.sh [seconds] [target ...]      targets: picture bmp color-file settings palette version-file
# New inputs collect in build/fuzz/long/<target>/corpus across runs; inputs
# that break a check are saved in build/fuzz/long/<target>/findings.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
seconds=${1:-600}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(picture bmp color-file settings palette version-file)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
status=0
for t in "${targets[@]}"; do
  echo "== fuzz_$t for $seconds s"
  mkdir -p build/fuzz/long
  # A dictionary beside the corpus (tests/fuzz/<target>.dict) gives the
  # fuzzer the names and numbers the libraries compare, which it cannot learn
  # from their code (they are not instrumented); the short runs of the test
  # command use it too.
  dict=()
  [ -f "tests/fuzz/$t.dict" ] && dict=(-dict="tests/fuzz/$t.dict")
  nice bash tools/run-fuzzer.sh "build/fuzz/tests/fuzz/fuzz_$t" "$seconds" "tests/fuzz/corpus/$t" \
    "build/fuzz/long/$t" "${dict[@]}" >"build/fuzz/long/$t.log" 2>&1 || status=1
  grep -E '^(#[0-9]+ *DONE|stat::number_of_executed_units|==[0-9]+==ERROR|broken invariant|SUMMARY|Test unit written)' \
    "build/fuzz/long/$t.log" || true
  echo "   (log: build/fuzz/long/$t.log)"
done
exit $status
