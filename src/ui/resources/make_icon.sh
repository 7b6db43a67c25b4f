#!/usr/bin/env bash
# Draws the program icon (a memory card with its contact strip and a "Q") with ImageMagick.
# The PNG is committed; run this again only to change the artwork.
set -euo pipefail
cd "$(dirname "$0")"
convert -size 64x64 xc:none \
  -fill '#1d3f7a' -stroke '#0b1d3d' -strokewidth 2 \
  -draw 'path "M 12,4 L 44,4 L 56,16 L 56,60 L 12,60 Z"' \
  -stroke none -fill '#e8b730' \
  -draw 'rectangle 18,46 23,56' -draw 'rectangle 27,46 32,56' \
  -draw 'rectangle 36,46 41,56' -draw 'rectangle 45,46 50,56' \
  -fill none -stroke '#f4f4f4' -strokewidth 5 -draw 'circle 33,23 33,34' \
  -draw 'line 38,30 46,40' \
  quorvane.png
