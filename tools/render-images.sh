#!/usr/bin/env bash
# Renders the program's images from their drawings in resources/images/*.svg:
# one PNG per pixel size in resources/images/rendered/, and one .ico per image
# holding all its sizes (what Hueglass.rc embeds). Each size is rendered from
# the drawing itself, so no size is a scaled copy of another.
# Needs rsvg-convert (librsvg2-bin) and ImageMagick; the results are committed,
# so a build never needs them.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
images=$repo/resources/images
out=$images/rendered
mkdir -p "$out"

# The sizes the menu and the tray use: 16 px at 96 dpi up to 48 px at 288 dpi,
# and 64 px for the largest list entries.
sizes="16 20 24 28 32 40 48 64"

render() { # name [extra sizes]
    local name=$1 extra=${2:-}
    local files=()
    for size in $sizes $extra; do
        local png=$out/$name-$size.png
        rsvg-convert -w "$size" -h "$size" -f png -o "$png" "$images/$name.svg"
        files+=("$png")
    done
    # Every ICO entry a PNG (the sizes as rendered, compressed).
    python3 "$repo/tools/png-icon.py" "$images/$name.ico" "${files[@]}"
}

command -v rsvg-convert >/dev/null || { echo "rsvg-convert missing (apt-get install librsvg2-bin)" >&2; exit 1; }
command -v convert >/dev/null || { echo "ImageMagick missing" >&2; exit 1; }

render hueglass 256   # also the program's own icon
render win78
render win10b
render win10w
render close
render donate

# The picture on the installer's last page, at the 164x314 pixels of that
# page at 96 dpi. (Drawn larger, Wine's and Windows' shrinking of it leaves
# stripes and lines; enlarged on high-dpi screens it only softens.)
logo=$(mktemp --suffix=.png)
rsvg-convert -w 88 -h 88 -f png -o "$logo" "$images/hueglass.svg"
convert -size 164x314 gradient:'#23395d'-'#5b3f8c' "$logo" -gravity north -geometry +0+75 -composite \
    "$out/installer-side.png"
rm -f "$logo"
echo "rendered into $out and $images/*.ico"
