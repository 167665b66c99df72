#!/usr/bin/env bash
# Renders the PNG sizes of the icon from norra.svg (rsvg-convert, Debian's librsvg2-bin).
# Run after changing the drawing; the PNGs are committed so a build needs no renderer.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" norra.svg -o "norra-$size.png"
done
