#!/usr/bin/env bash
# Builds both targets and runs every test: native (ctest) and 32-bit Windows (ctest
# under Wine). Exits non-zero when a build step or any test fails.
#
# Safe to run again: the builds are incremental and the Wine prefix, created on the
# first Windows test run inside build-windows/, is kept.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
wine_prefix="$PWD/build-windows/wineprefix"

step() {
  printf '\n=== %s (%d s so far)\n' "$*" "$SECONDS"
}

# Tests that open windows (Qt widgets natively, message boxes under Wine) need an X
# server; console tests do not care.
with_display() {
  if [ -n "${DISPLAY:-}" ]; then
    "$@"
  else
    xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24" "$@"
  fi
}

step "Installing dependencies"
scripts/install-dependencies.sh

step "Native build"
cmake --preset release >/dev/null
cmake --build --preset release --parallel "$jobs"
step "Native tests"
with_display ctest --preset release
scripts/run-fuzzer.sh

step "Windows build"
cmake --preset windows >/dev/null
cmake --build --preset windows --parallel "$jobs"
step "Windows tests under Wine"
with_display ctest --preset windows
# Let the prefix's wineserver end with the run instead of outliving it.
WINEPREFIX="$wine_prefix" wineserver --wait || true

step "All tests passed"
