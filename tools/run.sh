#!/usr/bin/env bash
# Builds Hueglass.exe and starts it under Wine (Windows 10 setting) in the
# project's own Wine prefix, on your display. Without a display it runs under
# Xvfb instead and saves a screenshot after a few seconds.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"

bash tools/install-packages.sh
bash tools/build-mingw-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target Hueglass

export WINEPREFIX=$repo/build/wine-run
export WINEDEBUG=-all WINEARCH=win64
if [ ! -d "$WINEPREFIX" ]; then
    bash tools/wine-prefix.sh "$WINEPREFIX" win10
    # Wine's notification area is light: say so, so that the icon drawn for
    # it (dark on light) shows.
    /usr/lib/wine/wine64 reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize' \
        /v SystemUsesLightTheme /t REG_DWORD /d 1 /f >/dev/null 2>&1
fi
exe=$repo/build/mingw/bin/Hueglass.exe

if [ -n "${DISPLAY:-}" ]; then
    echo "starting Hueglass under Wine on $DISPLAY (choose Exit in its tray menu to end it)"
    exec /usr/lib/wine/wine64 "$exe"
fi

shot=$repo/build/hueglass-screenshot.png
echo "no display: running Hueglass under Xvfb; a screenshot goes to $shot"
xvfb-run -a -s '-screen 0 1280x800x24' bash -c '
    /usr/lib/wine/wine64 "$1" &
    pid=$!
    sleep 8  # start-up in a new prefix, then the tray icon settles
    
    import -window root "$2"
    echo "screenshot saved: $2 (Hueglass keeps running; Ctrl+C ends it)"
    wait $pid
' _ "$exe" "$shot"
