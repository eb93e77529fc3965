#!/bin/sh
# Draws the program's 32x32 tray icon (16 colours): a waste bin with a sparkle on a
# rounded blue tile. Needs ImageMagick's convert.
set -eu
out="${1:-$(dirname "$0")/tidorax.png}"
convert -size 32x32 xc:none \
    -fill '#1f5fa8' -stroke '#0d2f57' -strokewidth 1 -draw 'roundrectangle 0.5,0.5 31.5,31.5 6,6' \
    -fill '#f2f2f2' -stroke '#0d2f57' -draw 'rectangle 8,10 23,12' \
    -fill '#f2f2f2' -stroke '#0d2f57' -draw 'rectangle 13,7 18,10' \
    -fill '#dfe8f2' -stroke '#0d2f57' -draw 'polygon 9,13 22,13 21,27 10,27' \
    -stroke '#1f5fa8' -strokewidth 1 -draw 'line 13,15 13,25' -draw 'line 15.5,15 15.5,25' -draw 'line 18,15 18,25' \
    -fill '#ffd84a' -stroke none -draw 'polygon 26,2 27,5 30,6 27,7 26,10 25,7 22,6 25,5' \
    -colors 16 "PNG8:$out"
