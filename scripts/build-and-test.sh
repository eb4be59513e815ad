#!/usr/bin/env bash
# Builds both targets and runs every test: native (ctest) and 32-bit Windows (ctest under Wine).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-dependencies.sh

cmake --preset release >/dev/null
cmake --build --preset release
ctest --preset release

cmake --preset windows >/dev/null
cmake --build --preset windows
ctest --preset windows
