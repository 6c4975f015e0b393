#!/usr/bin/env bash
# Makes resources/edit_effect_0.png ... edit_effect_7.png (the effect
# chooser's pictures) with the app's own colour effects:
# scripts/make-effect-pictures.cpp.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
cmake --preset default > /dev/null
cmake --build --preset default --target make_effect_pictures
build/default/scripts/make_effect_pictures "$root/resources"
