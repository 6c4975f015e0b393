#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds the app and runs it. Arguments go to the app.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default
cmake --build --preset default --target zantrope
exec build/default/src/zantrope "$@"
