#!/usr/bin/env bash
# Makes the app's sound resources (scripts/make-sounds.c) in resources/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(mktemp -d)"
trap 'rm -rf "$build"' EXIT
cc -O2 -o "$build/make-sounds" "$root/scripts/make-sounds.c" -lm
"$build/make-sounds" "$root/resources"
