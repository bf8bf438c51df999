#!/usr/bin/env bash
# Renders res/icon128.svg to res/icon128.ico, the Windows program's icon: one
# image per size, each drawn from the vector source rather than scaled down.
# Run it after changing the SVG and commit both.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh imagemagick librsvg2-bin

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
images=()
for size in 16 32 48 256; do
  rsvg-convert --width "$size" --height "$size" --background-color none \
    res/icon128.svg --output "$work/$size.png"
  images+=("$work/$size.png")
done
# 32-bit images with alpha; the 256 one is stored PNG-compressed.
convert "${images[@]}" res/icon128.ico
identify res/icon128.ico
