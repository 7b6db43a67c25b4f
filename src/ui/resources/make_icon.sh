#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Draws the program icon (a memory card with its contact strip and a "Q"): quorvane.svg is the
# artwork; this renders it with rsvg-convert (librsvg2-bin) into the window's quorvane.png and the
# desktop's icons under packaging/icons/. The PNGs are committed; run this again only to change
# the artwork.
set -euo pipefail
cd "$(dirname "$0")"
app_id=io.github.quorvane.quorvane
icons=../../../packaging/icons/hicolor

rsvg-convert -w 64 -h 64 quorvane.svg -o quorvane.png
mkdir -p "$icons/scalable/apps"
cp quorvane.svg "$icons/scalable/apps/$app_id.svg"
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "$icons/${size}x${size}/apps"
  rsvg-convert -w "$size" -h "$size" quorvane.svg -o "$icons/${size}x${size}/apps/$app_id.png"
done
