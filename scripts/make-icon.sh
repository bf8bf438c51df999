#!/usr/bin/env bash
# Renders res/icon128.svg to res/icon128.ico, the Windows program's icon, and
# to the PNG images of res/icon128/, the Linux program's (raster, so that no
# SVG library is loaded at start): one image per size, each drawn from the
# vector source rather than scaled down. Run it after changing the SVG and
# commit them all.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh imagemagick librsvg2-bin

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for size in 16 32 48 256; do
  rsvg-convert --width "$size" --height "$size" --background-color none \
    res/icon128.svg --output "$work/$size.png"
done
# The Linux window icon: small sizes only, since every one goes to the X server.
cp "$work"/{16,32,48}.png res/icon128/
images=("$work"/{16,32,48,256}.png)
# 32-bit images with alpha; the 256 one is stored PNG-compressed.
convert "${images[@]}" res/icon128.ico
identify res/icon128.ico
