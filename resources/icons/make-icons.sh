#!/bin/sh
# Renders the scalable icon into the hicolor theme's usual sizes (hicolor/NxN/apps/).
# Needs rsvg-convert (Debian: librsvg2-bin).
set -eu
here=$(dirname "$0")
for size in 16 22 24 32 48 64 128 256; do
    mkdir -p "$here/hicolor/${size}x${size}/apps"
    rsvg-convert -w "$size" -h "$size" "$here/tidorax.svg" -o "$here/hicolor/${size}x${size}/apps/tidorax.png"
done
