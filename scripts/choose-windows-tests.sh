#!/usr/bin/env bash
# Chooses how the Windows tests run on this machine and prints the choice.
# Usage: choose-windows-tests.sh [LOADER32 [LOADER64]]
#
# wine32: the 32-bit build's tests under Wine's 32-bit loader (the build that ships).
# wine64: the same suite from the 64-bit build under Wine's 64-bit loader, for machines
#         whose kernel does not execute 32-bit programs.
# ZIPBUILDER_WINDOWS_TESTS=wine32|wine64|auto (default auto) forces a path; auto takes
# wine32 when its loader runs. The probe runs a loader once with --version: no prefix,
# no wineserver, well under a second.
#
# Prints the path (wine32 or wine64) on standard output and one line saying which
# and why on standard error. Exits 1 when the chosen path cannot run here, 2 on an
# unknown ZIPBUILDER_WINDOWS_TESTS. The loaders default to Debian's; the arguments
# let a test point the probe at other programs.
set -euo pipefail

loader32="${1:-/usr/lib/wine/wine}"
loader64="${2:-/usr/lib/wine/wine64}"
requested="${ZIPBUILDER_WINDOWS_TESTS:-auto}"
untested_note="the 32-bit build is built but not tested"

# Sets failure_reason to why LOADER cannot run, or returns 0 when it runs.
failure_reason=""
loader_runs() {
  local output status=0
  output=$("$1" --version 2>&1) || status=$?
  [ "$status" -eq 0 ] && return 0
  # The last line carries the cause, after the program name and the shell's words:
  # "...: cannot execute binary file: Exec format error".
  local cause="${output##*$'\n'}"
  cause="${cause##*: }"
  failure_reason="${cause:+$cause, }exit status $status"
  return 1
}

fail() {
  echo "choose-windows-tests.sh: $*" >&2
  exit 1
}

choose_wine32() {
  echo "Windows tests: 32-bit build under wine32 ($1)" >&2
  echo wine32
}

choose_wine64() {
  loader_runs "$loader64" ||
    fail "the 64-bit loader $loader64 does not run here ($failure_reason), so no Windows tests can run (wine64: $1)"
  echo "Windows tests: 64-bit build under wine64 ($1); $untested_note" >&2
  echo wine64
}

case "$requested" in
  wine32)
    loader_runs "$loader32" ||
      fail "ZIPBUILDER_WINDOWS_TESTS=wine32, but the 32-bit loader $loader32 does not run here ($failure_reason); use wine64 or auto"
    choose_wine32 "forced by ZIPBUILDER_WINDOWS_TESTS=wine32"
    ;;
  wine64)
    choose_wine64 "forced by ZIPBUILDER_WINDOWS_TESTS=wine64"
    ;;
  auto)
    if loader_runs "$loader32"; then
      choose_wine32 "the 32-bit loader $loader32 runs here; ZIPBUILDER_WINDOWS_TESTS=wine64 forces the other path"
    else
      choose_wine64 "the 32-bit loader $loader32 does not run here: $failure_reason"
    fi
    ;;
  *)
    echo "choose-windows-tests.sh: ZIPBUILDER_WINDOWS_TESTS must be wine32, wine64 or auto, not '$requested'" >&2
    exit 2
    ;;
esac
