#!/usr/bin/env bash
# For every benchmark wallpaper and every colour mode, hueglass-color's colour
# must equal the colour computed on the pixels of an independent decoder:
# djpeg -ppm for JPEG, ImageMagick for PNG (its pixels and alpha as they are,
# composited over white by ppm-color).
# Run fetch-wallpapers.sh and the native build first.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
data=$repo/bench/data/color
tool=$repo/build/native/src/cli/hueglass-color
ppmcolor=$repo/build/native/bench/color/ppm-color
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
checked=0 failed=0
for file in "$data"/*.jpg "$data"/*.png; do
  [ -e "$file" ] || continue
  case $file in
    *.jpg) djpeg -ppm -outfile "$tmp/ref.ppm" "$file" ;;
    *.png) convert "$file" -strip -depth 8 "pam:$tmp/ref.ppm" ;;
  esac
  for mode in "" "--average" "--average --ignore-dark-light"; do
    # shellcheck disable=SC2086
    ours=$("$tool" $mode "$file" | cut -f1,2)
    # shellcheck disable=SC2086
    ref=$("$ppmcolor" $mode "$tmp/ref.ppm" | cut -f1,2)
    checked=$((checked + 1))
    if [ "$ours" != "$ref" ]; then
      failed=$((failed + 1))
      echo "DIFFERENT ${mode:-predominant}: $(basename "$file"): ours $ours, reference $ref"
    fi
  done
done
echo "$checked comparisons, $failed different"
[ "$failed" -eq 0 ]
