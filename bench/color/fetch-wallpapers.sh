#!/usr/bin/env bash
# Gathers real wallpapers for the colour benchmarks into bench/data/color:
# the JPEG and PNG pictures of Debian's mate-backgrounds and desktop-base
# packages, plus a baseline (sequential) copy of every progressive JPEG, made
# losslessly with jpegtran. Idempotent; quick when everything is present.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
out=$repo/bench/data/color
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

need=()
for p in mate-backgrounds desktop-base libjpeg-turbo-progs imagemagick; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

mkdir -p "$out"
# The packages' pictures, named after their package folder so that equal
# file names from different themes do not collide.
while IFS= read -r -d '' file; do
  rel=${file#/usr/share/}
  name=$(echo "$rel" | tr '/' '_' | tr ' ' '_')
  [ -e "$out/$name" ] || cp "$file" "$out/$name"
done < <(find /usr/share/backgrounds/mate /usr/share/desktop-base -type f \
           \( -iname '*.jpg' -o -iname '*.jpeg' -o -iname '*.png' \) -size +100k -print0 2>/dev/null)

# Progressive JPEGs keep every coefficient of the picture in memory while they
# decode; a sequential copy shows what the same picture costs without that.
for file in "$out"/*.jpg "$out"/*.jpeg; do
  [ -e "$file" ] || continue
  case $file in *.baseline.jpg) continue ;; esac
  base=${file%.*}.baseline.jpg
  [ -e "$base" ] && continue
  if [ "$(identify -format '%[interlace]' "$file" 2>/dev/null)" = "JPEG" ]; then
    jpegtran -copy none -outfile "$base" "$file"
  fi
done
ls -S "$out" | head -n 100 >/dev/null
echo "$(ls "$out" | wc -l) wallpapers in $out"
