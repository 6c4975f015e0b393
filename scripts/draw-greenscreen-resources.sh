#!/usr/bin/env bash
# Draws the green-screen source's pictures (scripts/draw-greenscreen-resources.c)
# into resources/: the theme backdrops as JPEG, everything else as PNG.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(mktemp -d)"
trap 'rm -rf "$build"' EXIT
cc -O2 -Wall -o "$build/draw-greenscreen-resources" "$root/scripts/draw-greenscreen-resources.c" \
    $(pkg-config --cflags --libs pangocairo) -lm
mkdir "$build/out"
"$build/draw-greenscreen-resources" "$build/out"
for picture in "$build"/out/background_[0-9][0-9]_bg.png; do
    name="$(basename "$picture" .png)"
    ffmpeg -v error -y -i "$picture" -q:v 2 "$root/resources/$name.jpg"
    rm "$picture"
done
cp "$build"/out/*.png "$root/resources/"
