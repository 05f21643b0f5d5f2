#!/usr/bin/env bash
# Builds Hueglass.exe and starts it under Wine (Windows 10 setting) in the
# project's own Wine prefix, on your display.
#
# Without a display it runs everything (the prefix's first start included)
# under a virtual display instead, opens the tray menu and saves a screenshot
# of the tray icon with its menu, enlarged, to build/hueglass-screenshot.png;
# the program then keeps running until it is ended (its Exit command, or
# Ctrl+C), and the script ends with it.
#
#   --check   for tests and CI: no display used even if there is one, a fresh
#             prefix (build/run-check/), the screenshot taken and looked at,
#             then the program ended through its Exit command; from there the
#             same way out as a plain run. Exit status 0 only if all of that
#             worked and the script ended with the program.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"

check=
if [ "${1:-}" = "--check" ]; then
    check=1
elif [ $# -gt 0 ]; then
    echo "usage: bash tools/run.sh [--check]" >&2
    exit 2
fi

if [ -z "${HUEGLASS_RUN_UNDER_XVFB:-}" ]; then
    bash tools/install-packages.sh
    bash tools/build-mingw-deps.sh
    cmake --preset mingw >/dev/null
    cmake --build --preset mingw --target Hueglass hueglass-show-menu
fi

export WINEDEBUG=-all WINEARCH=win64
exe=$repo/build/mingw/bin/Hueglass.exe
helper=$repo/build/mingw/bin/hueglass-show-menu.exe
if [ -n "$check" ]; then
    export WINEPREFIX=$repo/build/run-check/prefix
    shot=$repo/build/run-check/screenshot.png
    if [ -z "${HUEGLASS_RUN_UNDER_XVFB:-}" ]; then
        rm -rf "$repo/build/run-check"
        mkdir -p "$repo/build/run-check"
        unset DISPLAY
    fi
else
    export WINEPREFIX=$repo/build/wine-run
    shot=$repo/build/hueglass-screenshot.png
fi

# Run only once a display exists: Wine's first start in a prefix starts its
# desktop process, which keeps the display it found for the whole prefix.
prepare_prefix() {
    if [ ! -d "$WINEPREFIX" ]; then
        echo "preparing a Wine prefix in $WINEPREFIX (the first time takes a while)"
        bash tools/wine-prefix.sh "$WINEPREFIX" win10
        # Wine's notification area is light: say so, so that the icon drawn
        # for it (dark on light) shows.
        /usr/lib/wine/wine64 reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize' \
            /v SystemUsesLightTheme /t REG_DWORD /d 1 /f >/dev/null 2>&1
    fi
}

if [ -n "${DISPLAY:-}" ] && [ -z "${HUEGLASS_RUN_UNDER_XVFB:-}" ]; then
    prepare_prefix
    echo "starting Hueglass under Wine on $DISPLAY (choose Exit in its tray menu to end it)"
    exec /usr/lib/wine/wine64 "$exe"
fi

# Under the virtual display (this script runs itself there).
headless() {
    set +e
    local wine=/usr/lib/wine/wine64
    prepare_prefix || exit 1
    "$wine" "$exe" &
    local pid=$!
    # Whatever happens, the prefix is left without running programs.
    trap '/usr/lib/wine/wineserver -k >/dev/null 2>&1 || true' EXIT

    local region
    region=$("$wine" "$helper" | tr -d '\r')
    if ! kill -0 "$pid" 2>/dev/null; then
        wait "$pid"
        echo "Hueglass ended at start-up (exit status $?)" >&2
        exit 1
    fi
    if [ -z "$region" ]; then
        echo "Hueglass runs, but its tray icon or menu could not be shown" >&2
        exit 1
    fi
    import -window root "$shot.full.png"
    # The tray icon and its open menu, twice as large.
    convert "$shot.full.png" -crop "$region" +repage -scale 200% "$shot"
    rm -f "$shot.full.png"
    # A black or blank picture means nothing was drawn.
    local colours
    colours=$(convert "$shot" -format "%k" info: 2>/dev/null)
    if [ "${colours:-0}" -lt 8 ]; then
        echo "the screenshot $shot shows nothing (${colours:-no} colours)" >&2
        exit 1
    fi
    echo "screenshot saved: $shot"

    if [ -n "$check" ]; then
        "$wine" "$helper" --exit || exit 1
    else
        echo "Hueglass keeps running (choose Exit in its tray menu, or Ctrl+C, to end it)"
    fi
    # Both ways end here: the script ends when the program does.
    wait "$pid"
    local status=$?
    if [ -n "$check" ]; then
        if [ "$status" -ne 0 ]; then
            echo "Hueglass ended with exit status $status" >&2
            exit 1
        fi
        echo "Hueglass started, showed its tray icon and menu, and ended through Exit"
    fi
    return "$status"
}

if [ -n "${HUEGLASS_RUN_UNDER_XVFB:-}" ]; then
    # One start per run: coming here again would mean the script ran on
    # past the end of the program and started it anew.
    if [ -n "${HUEGLASS_RUN_STARTED:-}" ]; then
        echo "tools/run.sh started Hueglass a second time after it had ended" >&2
        exit 1
    fi
    export HUEGLASS_RUN_STARTED=1
    headless
    exit $?
fi
if [ -z "$check" ]; then
    echo "no display: running Hueglass under Xvfb; a screenshot goes to $shot"
fi
HUEGLASS_RUN_UNDER_XVFB=1 exec xvfb-run -a -s '-screen 0 1280x800x24' bash "$repo/tools/run.sh" "$@"
