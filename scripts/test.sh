#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default
# The layers first: an include of a library its target does not link, or two
# libraries linking each other, fails here in a second rather than after the
# build (ctest checks again, as layers.includes).
python3 scripts/check-layers.py build/default/zt-layers.json
cmake --build --preset default
ctest --preset default --parallel "$(nproc)"
# The readers of outside input again, built by clang with libFuzzer and the
# sanitizers: each fuzz target gets a short seeded run over its seeds.
cmake --preset fuzz
cmake --build --preset fuzz
ctest --preset fuzz --parallel "$(nproc)"
