#!/usr/bin/env bash
# Draws the app's picture resources (scripts/draw-resources.c) into resources/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(mktemp -d)"
trap 'rm -rf "$build"' EXIT
cc -O2 -o "$build/draw-resources" "$root/scripts/draw-resources.c" $(pkg-config --cflags --libs cairo) -lm
"$build/draw-resources" "$root/resources"
cc -O2 -o "$build/draw-strip-resources" "$root/scripts/draw-strip-resources.c" $(pkg-config --cflags --libs cairo) -lm
"$build/draw-strip-resources" "$root/resources"
