#!/usr/bin/env bash
# Idle cost of Hueglass.exe under Wine: CPU time over 60 s with an unchanged
# wallpaper, beside the smallest Win32 message-loop program under the same
# Wine; then the latency from a wallpaper change to the record written.
# usage: bench/win32/idle-cost.sh [seconds]   (after a mingw build)
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:-60}
export WINEPREFIX=$repo/build/bench-wineprefix WINEDEBUG=-all WINEARCH=win64
[ -d "$WINEPREFIX" ] || bash "$repo/tools/wine-prefix.sh" "$WINEPREFIX" win10

measure() { # exe -> CPU seconds of its process over $seconds
    local exe=$1 pid before after
    /usr/lib/wine/wine64 "$exe" >/dev/null 2>&1 &
    sleep 5 # let start-up finish: the idle state is what is measured
    pid=$(pgrep -f "$(basename "$exe")" | head -n 1)
    before=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    sleep "$seconds"
    after=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    kill "$pid" 2>/dev/null || true
    wait 2>/dev/null || true
    echo $(( after - before ))
}

run() {
    local dir=$repo/build/bench-idle ticks_app ticks_idle hz
    rm -rf "$dir" && mkdir -p "$dir"
    cp "$repo/build/mingw/bin/Hueglass.exe" "$repo/build/mingw/testbin/dwmapi.dll" "$dir/"
    cp "$repo/build/mingw/bench/idle_loop.exe" "$dir/"
    /usr/lib/wine/wineserver -p
    # A full-HD wallpaper that stays unchanged.
    convert -size 1920x1080 gradient:'#1060c0-#e08020' "$dir/wallpaper.jpg"
    /usr/lib/wine/wine64 reg add 'HKCU\Control Panel\Desktop' /v Wallpaper /d "Z:${dir//\//\\}\\wallpaper.jpg" /f >/dev/null 2>&1
    hz=$(getconf CLK_TCK)
    export WINEDLLOVERRIDES=dwmapi=n,b
    ticks_app=$(measure "$dir/Hueglass.exe")
    ticks_idle=$(measure "$dir/idle_loop.exe")
    echo "CPU over ${seconds}s: Hueglass.exe $ticks_app ticks, idle_loop.exe $ticks_idle ticks (1 tick = 1/$hz s)"
    awk -v a="$ticks_app" -v b="$ticks_idle" 'BEGIN { if (b > 0) printf "ratio Hueglass/idle_loop: %.2f\n", a / b; else print "idle_loop used no measurable CPU" }'
    /usr/lib/wine/wine64 "$repo/build/mingw/bench/wallpaper_latency.exe" | grep -E 'median|FAILED'
    /usr/lib/wine/wineserver -k
}
if [ "${2:-}" = --inner ]; then
    run
else
    xvfb-run -a -s '-screen 0 1280x800x24' bash "$0" "$seconds" --inner
fi
