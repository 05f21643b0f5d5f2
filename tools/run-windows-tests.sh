#!/usr/bin/env bash
# Runs the mingw preset's tests under Wine with one persistent wineserver.
# Expects WINEPREFIX (prepared by tools/test.sh) and a display.
set -uo pipefail
cd "$(dirname "$0")/.."
/usr/lib/wine/wineserver -p
trap '/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true' EXIT
ctest --preset mingw
