#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds the app and runs it. Arguments go to
# the app; relative paths in them (and in a script's screenshots) are taken
# from the folder the command was called from.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
(
    cd "$root"
    scripts/install-deps.sh
    cmake --preset default
    cmake --build --preset default --target zantrope
)
exec "$root/build/default/src/zantrope" "$@"
