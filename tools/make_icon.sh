#!/usr/bin/env bash
# Draws the program icon (a blue sine over a grey grid on white) in 48, 32 and
# 16 pixels and writes resources/kurvlux.ico (and the 48-pixel PNG for Linux).
# Run it only to change the icon.
set -euo pipefail
cd "$(dirname "$0")/.."
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
for s in 48 32 16; do
  points=$(awk -v s="$s" 'BEGIN{for(x=1;x<s-1;x++){y=s/2-(s*0.35)*sin((x-1)/(s-3)*2*3.14159);printf "%d,%d ",x,y}}')
  step=$((s / 4))
  grid=""
  for ((i = step; i < s; i += step)); do grid+="line $i,0 $i,$((s-1)) line 0,$i $((s-1)),$i "; done
  convert -size "${s}x${s}" xc:white -stroke '#BBBBBB' -draw "$grid" \
    -fill none -stroke '#0000FF' -strokewidth $((s / 16 + 1)) -draw "polyline $points" \
    -stroke '#404040' -strokewidth 1 -draw "rectangle 0,0 $((s-1)),$((s-1))" "$tmp/$s.png"
done
convert "$tmp/48.png" "$tmp/32.png" "$tmp/16.png" resources/kurvlux.ico
# The Linux desktop entry takes the 48-pixel image.
cp "$tmp/48.png" resources/kurvlux.png
