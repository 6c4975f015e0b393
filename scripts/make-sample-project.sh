#!/usr/bin/env bash
# Makes resources/sample.zip (the sample project of a first start) with the
# app's own project code: scripts/make-sample-project.cpp.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
cmake --preset default > /dev/null
cmake --build --preset default --target make_sample_project
build/default/scripts/make_sample_project "$root/resources/sample.zip"
