#!/usr/bin/env bash
# Draws one .ico file from SVG sources: make-icon.sh OUTPUT.ico SVG:SIZE:BITS...
# rsvg-convert renders each image; ImageMagick reduces the 8-bit images to at most 256 colours
# and the 4-bit ones to the standard VGA palette (transparent kept), both with a 1-bit mask; icotool packs them as
# BMP entries in the order given. The 4-bit images are drawn with 16-colours.css beside the SVG.
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: make-icon.sh OUTPUT.ico SVG:SIZE:BITS..." >&2; exit 2; }
out=$1
shift
work=$(mktemp -d "${out}.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Alpha below one half becomes transparent black, so the palette images' mask and colour bits
# agree; ImageMagick would otherwise keep the colour under a transparent pixel.
hard_mask=(-channel A -threshold 50% +channel -background black -alpha background)
vga=(000000 800000 008000 808000 000080 800080 008080 c0c0c0
     808080 ff0000 00ff00 ffff00 0000ff ff00ff 00ffff ffffff)
convert "${vga[@]/#/xc:#}" xc:none +append "PNG32:$work/vga.png"

args=()
expected=()
n=0
for entry in "$@"; do
  IFS=: read -r svg size bits <<<"$entry"
  n=$((n + 1))
  png=$work/$n.png
  case $bits in
    32) rsvg-convert -w "$size" -h "$size" -o "$png" "$svg" ;;
    8) rsvg-convert -w "$size" -h "$size" "$svg" |
         convert png:- "${hard_mask[@]}" -dither None -colors 256 "PNG32:$png" ;;
    4) rsvg-convert -s "$(dirname "$svg")/16-colours.css" -w "$size" -h "$size" "$svg" |
         convert png:- "${hard_mask[@]}" -dither None -remap "$work/vga.png" "PNG32:$png" ;;
    *) echo "make-icon.sh: $entry: bits must be 4, 8 or 32" >&2; exit 2 ;;
  esac
  args+=(-b "$bits" "$png")
  expected+=("--icon --index=$n --width=$size --height=$size --bit-depth=$bits")
done
icotool -c -o "$work/icon.ico" "${args[@]}"

# icotool only warns when an image does not fit the bit depth asked for, and writes another.
listed=$(icotool -l "$work/icon.ico" | sed 's/ --palette-size=[0-9]*$//')
if [ "$listed" != "$(printf '%s\n' "${expected[@]}")" ]; then
  echo "make-icon.sh: $out came out as" >&2
  echo "$listed" >&2
  exit 1
fi
mv "$work/icon.ico" "$out"
