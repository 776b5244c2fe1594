#!/usr/bin/env bash
# Draws the program's icon, a kestrel's head on a shield, and writes src/app/kestrian.ico
# with 16, 32 and 48 pixel images. Needs ImageMagick's convert.
#   scripts/make-icon.sh [OUT.ico]
set -eu
repo=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$repo/src/app/kestrian.ico}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Drawn on a 256 pixel canvas.
shield='path "M 128,10 C 168,28 204,32 236,32 L 236,118 C 236,182 192,224 128,248 C 64,224 20,182 20,118 L 20,32 C 52,32 88,28 128,10 Z"'
# Facing left: nape, crown, forehead, hooked beak, throat.
head='path "M 196,250 C 206,190 214,120 186,84 C 164,56 120,52 96,76 C 86,86 80,96 76,104 L 50,116 C 40,122 40,136 46,146 C 50,138 56,134 66,134 L 84,138 C 96,160 108,190 112,250 Z"'
throat='path "M 84,138 C 96,160 108,190 112,250 L 150,250 C 140,200 130,160 118,140 Z"'
stripe='path "M 112,110 C 118,130 120,150 116,176 L 128,176 C 134,150 132,126 124,110 Z"'
beak='path "M 76,104 L 50,116 C 40,122 40,136 46,146 C 50,138 56,134 66,134 L 80,132 C 84,122 82,110 76,104 Z"'
cere='path "M 78,104 C 86,110 88,124 82,134 L 90,134 C 94,122 92,108 86,100 Z"'

# draw SIZE BORDER: the icon at SIZE pixels, with a rim of BORDER canvas pixels (wider for
# the small images, where a thin rim would vanish).
draw() {
  local size=$1 border=$2
  convert -size 256x256 xc:none -fill white -draw "$shield" "$work/mask.png"
  convert -size 256x256 xc:none -stroke none \
    -fill '#d9822b' -draw "$head" -fill '#f6e7c8' -draw "$throat" \
    -fill '#2b2118' -draw "$stripe" -draw "$beak" -fill '#f2c94c' -draw "$cere" \
    -draw 'circle 112,100 124,100' -fill '#111111' -draw 'circle 112,100 119,100' \
    -fill white -draw 'circle 109,97 111,97' \
    "$work/mask.png" -compose DstIn -composite "$work/head.png"
  convert -size 256x256 xc:none -fill '#1d4f73' -draw "$shield" \
    "$work/head.png" -compose Over -composite \
    -fill none -stroke '#f4f1ea' -strokewidth "$border" -draw "$shield" \
    -filter Lanczos -resize "${size}x${size}" +repage "$work/icon-$size.png"
}

draw 16 22
draw 32 12
draw 48 10
convert "$work/icon-16.png" "$work/icon-32.png" "$work/icon-48.png" "$out"
echo "make-icon: wrote $out"
