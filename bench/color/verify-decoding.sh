#!/usr/bin/env bash
# For every benchmark wallpaper and every colour mode, hueglass-color's colour
# must equal the colour computed on the pixels of an independent decoder:
# djpeg -ppm for JPEG, ImageMagick for PNG (its pixels and alpha as they are,
# composited over white by ppm-color). The colour of --json and of --explain
# must be the plain output's byte for byte, and the JSON must hold together
# (band counts within the distinct colours, the chosen band's best the colour).
# Run fetch-wallpapers.sh and the native build first.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
data=$repo/bench/data/color
tool=$repo/build/native/src/cli/hueglass-color
ppmcolor=$repo/build/native/bench/color/ppm-color
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
checked=0 failed=0 explained=0
# The --json line on standard input: prints its colour and colour value as
# the plain output does, or fails when the object does not hold together.
json_color='
import json, sys
o = json.loads(sys.stdin.read())
if o["mode"] == "predominant":
    assert sum(b["count"] for b in o["bands"]) <= o["distinct"], "band counts above distinct"
    assert [b["name"] for b in o["bands"]] == ["red", "orange-yellow", "green", "blue", "violet", "magenta"]
    if o["chosen"]["band"] is not None:
        best = [b["best"] for b in o["bands"] if b["name"] == o["chosen"]["band"]][0]
        assert best == o["color"], "chosen band best is not the colour"
print(o["color"] + "\t" + o["colorref"])
'

for file in "$data"/*.jpg "$data"/*.png; do
  [ -e "$file" ] || continue
  case $file in
    *.jpg) djpeg -ppm -outfile "$tmp/ref.ppm" "$file" ;;
    *.png) convert "$file" -strip -depth 8 "pam:$tmp/ref.ppm" ;;
  esac
  for mode in "" "--average" "--average --ignore-dark-light"; do
    # shellcheck disable=SC2086
    plain=$("$tool" $mode "$file")
    ours=$(printf '%s\n' "$plain" | cut -f1,2)
    # shellcheck disable=SC2086
    ref=$("$ppmcolor" $mode "$tmp/ref.ppm" | cut -f1,2)
    checked=$((checked + 1))
    if [ "$ours" != "$ref" ]; then
      failed=$((failed + 1))
      echo "DIFFERENT ${mode:-predominant}: $(basename "$file"): ours $ours, reference $ref"
    fi
    # shellcheck disable=SC2086
    explain=$("$tool" --explain $mode "$file" | head -n 1)
    # shellcheck disable=SC2086
    json=$("$tool" --json $mode "$file" | python3 -c "$json_color" || echo "(invalid JSON)")
    explained=$((explained + 1))
    if [ "$explain" != "$plain" ] || [ "$json" != "$ours" ]; then
      failed=$((failed + 1))
      echo "EXPLAINED DIFFERENTLY ${mode:-predominant}: $(basename "$file"): plain $ours, --explain ${explain%%	*}, --json $json"
    fi
  done
done
echo "$checked comparisons with the reference, $explained of --json and --explain with the plain output, $failed different"
[ "$failed" -eq 0 ]
