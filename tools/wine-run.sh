#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's Wine prefix. ctest uses
# it as the emulator for cross-built tests; tools/test.sh and tools/run.sh
# prepare the prefix and the display first.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$repo/build/mingw/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64
exec /usr/lib/wine/wine64 "$@"
