#!/usr/bin/env bash
# Regenerates the icon: docs/vorn.svg from tools/icon.py, and its PNG renders
# at 48, 128 and 256 pixels with ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/.."
python3 tools/icon.py
for size in 48 128 256; do
  convert -background none -density 384 docs/vorn.svg -resize "${size}x${size}" \
    -depth 8 -strip -define png:exclude-chunks=date,time "docs/vorn-$size.png"
done
echo "wrote docs/vorn.svg and docs/vorn-{48,128,256}.png"
