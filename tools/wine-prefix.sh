#!/usr/bin/env bash
# Creates a fresh Wine prefix set to a Windows version (default win10).
# usage: tools/wine-prefix.sh PREFIX [win7|win81|win10]
set -euo pipefail
prefix=$1
version=${2:-win10}
wine=/usr/lib/wine/wine64
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko installer prompts: the program needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
"$wine" wineboot -i >/dev/null 2>&1
"$wine" reg add 'HKCU\Software\Wine' /v Version /d "$version" /f >/dev/null 2>&1
/usr/lib/wine/wineserver -w
