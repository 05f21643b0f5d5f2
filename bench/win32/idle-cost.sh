#!/usr/bin/env bash
# Idle cost of Hueglass.exe under Wine: CPU time over 60 s with an unchanged
# wallpaper, beside the smallest Win32 message-loop program under the same
# Wine; then the latency from a wallpaper change (the file replaced in place,
# the registry switched) to the first record written, on the Windows 10 and
# the Windows 7 setting: best, median and worst of 20 changes each.
# usage: bench/win32/idle-cost.sh [seconds]   (after a mingw build)
# With HUEGLASS_BASELINE naming another build's Hueglass.exe, that one is
# measured in the same run too, for a before-and-after comparison.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:-60}
export WINEPREFIX=$repo/build/bench-wineprefix WINEDEBUG=-all WINEARCH=win64
[ -d "$WINEPREFIX" ] || bash "$repo/tools/wine-prefix.sh" "$WINEPREFIX" win10

cpu_ns() { # pid -> CPU time of all its threads in nanoseconds
    cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ sum += $1 } END { printf "%d", sum }'
}

prefix_server() { # the wineserver of this Wine prefix (others may run too)
    local p id
    # A wineserver works in the folder named after its prefix's device and inode.
    id=$(stat -c '%d %i' "$WINEPREFIX" | awk '{ printf "server-%x-%x", $1, $2 }')
    for p in $(pgrep -x 'wineserver64|wineserver'); do
        if [ "$(basename "$(readlink /proc/"$p"/cwd 2>/dev/null)")" = "$id" ]; then
            echo "$p"
            return
        fi
    done
}

measure() { # exe -> "process_ns wineserver_ns" over $seconds
    local exe=$1 pid server before after sbefore safter
    /usr/lib/wine/wine64 "$exe" >/dev/null 2>&1 &
    pid=$! # the program itself (wine64 becomes it); never another user's copy found by name
    sleep 5 # let start-up finish: the idle state is what is measured
    server=$(prefix_server)
    before=$(cpu_ns "$pid"); sbefore=$(cpu_ns "$server")
    sleep "$seconds"
    after=$(cpu_ns "$pid"); safter=$(cpu_ns "$server")
    kill "$pid" 2>/dev/null || true
    wait 2>/dev/null || true
    echo "$(( after - before )) $(( safter - sbefore ))"
}

run() {
    local dir=$repo/build/bench-idle app app_server idle idle_server base base_server
    rm -rf "$dir" && mkdir -p "$dir"
    cp "$repo/build/mingw/bin/Hueglass.exe" "$repo/build/mingw/testbin/dwmapi.dll" "$dir/"
    cp "$repo/build/mingw/bench/idle_loop.exe" "$dir/"
    /usr/lib/wine/wineserver -p || true # may already run for this prefix
    # A full-HD wallpaper that stays unchanged.
    convert -size 1920x1080 gradient:'#1060c0-#e08020' "$dir/wallpaper.jpg"
    /usr/lib/wine/wine64 reg add 'HKCU\Control Panel\Desktop' /v Wallpaper /d "Z:${dir//\//\\}\\wallpaper.jpg" /f >/dev/null 2>&1
    export WINEDLLOVERRIDES=dwmapi=n,b
    read -r app app_server < <(measure "$dir/Hueglass.exe")
    read -r idle idle_server < <(measure "$dir/idle_loop.exe")
    if [ -n "${HUEGLASS_BASELINE:-}" ]; then
        mkdir -p "$dir/baseline"
        cp "$HUEGLASS_BASELINE" "$repo/build/mingw/testbin/dwmapi.dll" "$dir/baseline/"
        read -r base base_server < <(measure "$dir/baseline/Hueglass.exe")
        awk -v a="$base" -v as="$base_server" -v s="$seconds" 'BEGIN {
            printf "CPU over %d s: baseline Hueglass.exe %.1f ms (+ wineserver %.1f ms)\n", s, a / 1e6, as / 1e6 }'
    fi
    awk -v a="$app" -v as="$app_server" -v b="$idle" -v bs="$idle_server" -v s="$seconds" 'BEGIN {
        printf "CPU over %d s: Hueglass.exe %.1f ms (+ wineserver %.1f ms), idle_loop.exe %.1f ms (+ wineserver %.1f ms)\n",
               s, a / 1e6, as / 1e6, b / 1e6, bs / 1e6
        if (b + bs > 0) printf "ratio Hueglass/idle_loop, process + wineserver: %.1f\n", (a + as) / (b + bs)
    }'
    # Through a file: Wine's helper processes may hold a pipe open.
    /usr/lib/wine/wine64 "$repo/build/mingw/bench/wallpaper_latency.exe" >"$dir/latency.txt" 2>&1 </dev/null || true
    grep -E 'median|FAILED|not seen' "$dir/latency.txt"
    /usr/lib/wine/wineserver -k
}
if [ "${2:-}" = --inner ]; then
    run
else
    xvfb-run -a -s '-screen 0 1280x800x24' bash "$0" "$seconds" --inner
fi
