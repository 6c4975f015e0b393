#!/usr/bin/env bash
# Draws the app's picture resources (scripts/draw-resources.c) into resources/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(mktemp -d)"
trap 'rm -rf "$build"' EXIT
cc -O2 -o "$build/draw-resources" "$root/scripts/draw-resources.c" $(pkg-config --cflags --libs cairo) -lm
"$build/draw-resources" "$root/resources"
# The test source's picture: one frame of FFmpeg's generated test pattern.
ffmpeg -v error -y -f lavfi -i "testsrc2=size=1920x1080:rate=30,trim=start_frame=24" -frames:v 1 -q:v 3 \
    "$root/resources/DEBUG_1080p.jpg"
cc -O2 -o "$build/draw-strip-resources" "$root/scripts/draw-strip-resources.c" $(pkg-config --cflags --libs cairo) -lm
"$build/draw-strip-resources" "$root/resources"
cc -O2 -o "$build/draw-audio-resources" "$root/scripts/draw-audio-resources.c" $(pkg-config --cflags --libs cairo) -lm
"$build/draw-audio-resources" "$root/resources"
cc -O2 -o "$build/draw-painter-resources" "$root/scripts/draw-painter-resources.c" $(pkg-config --cflags --libs cairo) -lm
"$build/draw-painter-resources" "$root/resources"
cc -O2 -o "$build/draw-editor-resources" "$root/scripts/draw-editor-resources.c" $(pkg-config --cflags --libs cairo) -lm
"$build/draw-editor-resources" "$root/resources"
cc -O2 -o "$build/draw-help-resources" "$root/scripts/draw-help-resources.c" $(pkg-config --cflags --libs cairo) -lm
"$build/draw-help-resources" "$root/resources"
cc -O2 -o "$build/draw-look-resources" "$root/scripts/draw-look-resources.c" $(pkg-config --cflags --libs cairo) -lm
"$build/draw-look-resources" "$root/resources"
cc -O2 -o "$build/draw-player-resources" "$root/scripts/draw-player-resources.c" $(pkg-config --cflags --libs cairo) -lm
"$build/draw-player-resources" "$root/resources"
bash "$root/scripts/draw-card-resources.sh"
