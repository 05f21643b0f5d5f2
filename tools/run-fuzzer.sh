#!/usr/bin/env bash
# Runs one fuzz target for a fixed time on its seed corpus:
#   run-fuzzer.sh <fuzz program> <seconds> <seed folder> <work folder> [libFuzzer options]
# New inputs go to <work folder>/corpus (the seeds in the repository stay as
# they are); an input that breaks a check is saved under <work folder>/findings
# and the run fails. Each input must finish within 10 seconds, no allocation
# may exceed the 1 GiB a picture's decoding may take, and the whole process
# stays under 2 GiB.
set -euo pipefail
program=$1 seconds=$2 seeds=$3 work=$4
shift 4
mkdir -p "$work/corpus" "$work/findings"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
exec "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=1024 \
  -max_len=8192 -print_final_stats=1 -artifact_prefix="$work/findings/" "$@" "$work/corpus" "$seeds"
