#!/usr/bin/env bash
# Draws the themes' and theme cards' pictures (scripts/draw-card-resources.c)
# into resources/: backgrounds as JPEG, thumbnails and the ornament as PNG.
# The card pages themselves (theme_*.html, theme_cards.css) are written by hand.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(mktemp -d)"
trap 'rm -rf "$build"' EXIT
cc -O2 -o "$build/draw-card-resources" "$root/scripts/draw-card-resources.c" \
    $(pkg-config --cflags --libs pangocairo) -lm
mkdir "$build/out"
"$build/draw-card-resources" "$build/out"
for picture in "$build"/out/theme_bg_*.png "$build/out/gallery_bg.png"; do
    name="$(basename "$picture" .png)"
    ffmpeg -v error -y -i "$picture" -q:v 2 "$root/resources/$name.jpg"
done
cp "$build"/out/theme_[0-9][0-9].png "$build/out/theme_ornament.png" "$root/resources/"
