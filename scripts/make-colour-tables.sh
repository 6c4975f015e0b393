#!/usr/bin/env bash
# Makes the lookup filters' colour tables (scripts/make-colour-tables.c) into
# resources/, and the tone-curve files of the tests and the curve-file fuzzer.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(mktemp -d)"
trap 'rm -rf "$build"' EXIT
cc -O2 -o "$build/make-colour-tables" "$root/scripts/make-colour-tables.c" $(pkg-config --cflags --libs cairo) -lm
mkdir -p "$root/tests/data/glimage/curves" "$root/tests/fuzz/corpus/acv"
"$build/make-colour-tables" "$root/resources" "$root/tests/data/glimage/curves" "$root/tests/fuzz/corpus/acv"
