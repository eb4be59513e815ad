#!/usr/bin/env bash
# Builds both targets and runs every test: native (ctest) and Windows (ctest under
# Wine). Exits non-zero when a build step or any test fails.
#
# The 32-bit Windows build is always built. Its tests run under Wine's 32-bit loader
# where this machine executes 32-bit programs; elsewhere the same suite runs from a
# 64-bit Windows build (build-windows64/) under Wine's 64-bit loader.
# ZIPBUILDER_WINDOWS_TESTS=wine32|wine64|auto (default auto) forces a path; see
# scripts/choose-windows-tests.sh.
#
# Safe to run again: the builds are incremental and the Wine prefix, created on the
# first Windows test run inside the build tree, is kept.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)

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

# build_windows PRESET
build_windows() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" --parallel "$jobs"
}

# test_windows PRESET BUILD_FOLDER
test_windows() {
  with_display ctest --preset "$1"
  # Let the prefix's wineserver end with the run instead of outliving it.
  WINEPREFIX="$PWD/$2/wineprefix" wineserver --wait || true
}

step "Installing dependencies"
scripts/install-dependencies.sh
windows_tests=$(scripts/choose-windows-tests.sh)

step "Native build"
cmake --preset release >/dev/null
cmake --build --preset release --parallel "$jobs"
step "Native tests"
with_display ctest --preset release
scripts/run-fuzzer.sh

step "Windows build (32-bit)"
build_windows windows
if [ "$windows_tests" = wine32 ]; then
  step "Windows tests under 32-bit Wine"
  test_windows windows build-windows
else
  step "Windows build (64-bit, for the tests)"
  build_windows windows64
  step "Windows tests under 64-bit Wine"
  test_windows windows64 build-windows64
fi

step "All tests passed"
