#!/usr/bin/env bash
# Builds everything (all presets) and runs every test: the native unit tests,
# the same under the sanitizers, each fuzz target for 20 seconds,
# then the Windows builds of the unit tests, the Windows-side tests and the
# end-to-end tests of Hueglass.exe under Wine (one Xvfb display, one fresh
# Wine prefix, one persistent wineserver for the whole run), and finally
# tools/run.sh without a display.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"

# Each step says when it starts, in minutes and seconds since the command
# began, so a slow step shows in the log.
started=$SECONDS
step() { printf '== %d:%02d %s\n' $(((SECONDS - started) / 60)) $(((SECONDS - started) % 60)) "$*"; }

step installing packages
bash tools/install-packages.sh
step building the picture libraries for MinGW
bash tools/build-mingw-deps.sh

step building the native preset
cmake --preset native >/dev/null
cmake --build --preset native
step building the mingw preset
cmake --preset mingw >/dev/null
cmake --build --preset mingw

status=0
step native tests
ctest --preset native || status=1

# The native unit tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer, with no recovery: a use after free, an overflow
# or undefined behaviour fails the run (options in CMakePresets.json).
step building the asan preset and its tests
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan || status=1

# Reproducible packages: the same tree built once more in another folder,
# without ccache, must give the same programs, zip and setup.
step reproducible packages
bash tools/check-reproducible.sh --against-build || status=1

# Each fuzz target for a short, fixed time on its seed corpus.
step fuzz targets, two at a time
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
ctest --preset fuzz || status=1

export WINEPREFIX=$repo/build/mingw/wineprefix
export WINEDEBUG=-all WINEARCH=win64
step "preparing a fresh Wine prefix in $WINEPREFIX"
bash tools/wine-prefix.sh "$WINEPREFIX" win10
# Unmanaged windows: without a window manager under Xvfb, Wine would wait
# for one each time a window closes.
/usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
/usr/lib/wine/wineserver -w

step Windows tests under Wine
xvfb-run -a -s '-screen 0 1280x800x24' bash tools/run-windows-tests.sh || status=1

# The README's run command as a newcomer meets it: a fresh Wine prefix and no
# display. It must start the program, show its tray icon and menu in the
# screenshot, and end it again.
step "checking tools/run.sh without a display, in a fresh prefix"
env -u DISPLAY bash tools/run.sh --check || status=1
step "done ($([ $status = 0 ] && echo passed || echo FAILED))"
exit $status
