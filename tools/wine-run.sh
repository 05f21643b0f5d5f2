#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's Wine prefix. ctest uses
# it as the emulator for cross-built tests; tools/test.sh and tools/run.sh
# prepare the prefix and the display first.
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$repo/build/mingw/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64
# Wine's own helper processes (services, the desktop) may be started by this
# program and outlive it; they must not inherit ctest's output pipe, or ctest
# waits for them. So the output goes through a file.
out=$(mktemp)
trap 'rm -f "$out"' EXIT
/usr/lib/wine/wine64 "$@" >"$out" 2>&1 </dev/null
status=$?
cat "$out"
exit $status
