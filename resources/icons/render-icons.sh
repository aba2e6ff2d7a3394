#!/usr/bin/env bash
# Renders veld.svg into the PNG sizes the panel and the desktop use.
# Run by hand after changing the SVG and commit the PNGs; the normal build
# only reads them. Needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for size in 32 48 64 128 256; do
    rsvg-convert --width="$size" --height="$size" --format=png veld.svg --output="veld-$size.png"
done
