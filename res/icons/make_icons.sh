#!/bin/bash
# Draws the two window icons (16, 20, 24, 32, 40, 48, 64 and 256 pixels each: the sizes Windows
# asks for from 100 % to 200 % scaling and for large views) with ImageMagick: a flatbed scanner with
# its lid, light bar and a network link to three nodes, blue for product family 0 and teal for family 1. Each size is
# drawn at its own resolution so that the small ones stay sharp. Run it after changing the design;
# the .ico files are committed.
set -euo pipefail
cd "$(dirname "$0")"
convert=/usr/bin/convert
[[ -x $convert ]] || convert=convert

# draw_size SIZE BODY DARK LIGHT OUT.png: the design in a 48-unit space, scaled to SIZE pixels.
draw_size() {
  local size=$1 body=$2 dark=$3 light=$4 out=$5
  local s; s=$(awk "BEGIN{print $size/48}")
  local stroke; stroke=$(awk "BEGIN{v=48/$size; print (v>1.5?1.5:v)}")
  "$convert" -size "${size}x${size}" xc:none -antialias \
    -draw "scale $s,$s
           stroke $dark stroke-width $stroke fill $body
           roundrectangle 3,19 45,39 4,4
           fill $dark roundrectangle 3,13 45,20 3,3
           stroke none fill $light rectangle 9,25 39,28
           fill white rectangle 9,25 22,28
           fill $dark circle 38,34 39.8,34
           fill $dark rectangle 22,39 26,43
           rectangle 8,42 40,44
           rectangle 5,42 12,47 rectangle 20,42 28,47 rectangle 36,42 43,47" \
    "png32:$out"
}

# make_icon NAME BODY DARK LIGHT: one .ico with every size (256 stored as PNG, as Windows expects).
SIZES=(16 20 24 32 40 48 64 256)
make_icon() {
  local name=$1 tmp size files=(); tmp=$(mktemp -d)
  for size in "${SIZES[@]}"; do draw_size "$size" "$2" "$3" "$4" "$tmp/$size.png"; files+=("$tmp/$size.png"); done
  "$convert" "${files[@]}" "$name.ico"
  rm -rf "$tmp"
}

make_icon family0 '#3d7fd9' '#1b3f73' '#9fd0ff'
make_icon family1 '#2aa198' '#0f4f4a' '#a8f0e6'
