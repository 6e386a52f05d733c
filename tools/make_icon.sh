#!/usr/bin/env bash
# Draws the program icon (a blue sine over a grey grid on white) in 48, 32 and
# 16 pixels and writes resources/kurvlux.ico (and the 48-pixel PNG for Linux),
# and the same picture as resources/kurvlux.svg for launchers that show it large.
# Run it only to change the icon.
set -euo pipefail
case "${1:-}" in
  "") ;;
  -h | --help) sed -n '2,5p' "$0" | sed 's/^# \{0,1\}//'; echo "usage: tools/make_icon.sh"; exit 0 ;;
  *) echo "make_icon.sh: unknown option '$1'; usage: tools/make_icon.sh [--help]" >&2; exit 2 ;;
esac
cd "$(dirname "$0")/.."
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
for s in 48 32 16; do
  # The sine as short lines: ImageMagick strokes a polyline closed, which drew
  # a line from its end back to its start across the middle.
  sine=$(awk -v s="$s" 'BEGIN{for(x=1;x<s-1;x++){y=int(s/2-(s*0.35)*sin((x-1)/(s-3)*2*3.14159));if(x>1)printf "line %d,%d %d,%d ",x-1,py,x,y;py=y}}')
  step=$((s / 4))
  grid=""
  for ((i = step; i < s; i += step)); do grid+="line $i,0 $i,$((s-1)) line 0,$i $((s-1)),$i "; done
  convert -size "${s}x${s}" xc:white -stroke '#BBBBBB' -draw "$grid" \
    -fill none -stroke '#0000FF' -strokewidth $((s / 16 + 1)) -draw "$sine" \
    -stroke '#404040' -strokewidth 1 -draw "rectangle 0,0 $((s-1)),$((s-1))" "$tmp/$s.png"
done
convert "$tmp/48.png" "$tmp/32.png" "$tmp/16.png" resources/kurvlux.ico
# The Linux desktop entry takes the 48-pixel image.
cp "$tmp/48.png" resources/kurvlux.png

# The scalable icon: the 48-pixel drawing, with ImageMagick's pixel centres
# (n) moved to SVG's (n + 0.5), and the sine sampled every half pixel.
points=$(awk 'BEGIN{for(x=1;x<=46;x+=0.5){printf "%.1f,%.2f ",x+0.5,24.5-16.8*sin((x-1)/45*2*3.14159)}}')
cat >resources/kurvlux.svg <<SVG
<svg xmlns="http://www.w3.org/2000/svg" width="48" height="48" viewBox="0 0 48 48">
  <!-- Drawn by tools/make_icon.sh, like kurvlux.png and kurvlux.ico. -->
  <rect x="0.5" y="0.5" width="47" height="47" fill="#FFFFFF" stroke="#404040"/>
  <path d="M12.5 1V47M24.5 1V47M36.5 1V47M1 12.5H47M1 24.5H47M1 36.5H47" stroke="#BBBBBB"/>
  <polyline fill="none" stroke="#0000FF" stroke-width="4" stroke-linejoin="round" points="${points% }"/>
</svg>
SVG
