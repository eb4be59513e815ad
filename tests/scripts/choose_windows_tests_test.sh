#!/usr/bin/env bash
# How the Windows tests are run: the choice between the 32-bit build under wine32 and
# the 64-bit build under wine64, with stand-in loaders. One stands for a machine whose
# kernel does not execute 32-bit programs: an ELF file of no known kind, which exec
# refuses with "Exec format error" exactly as such a kernel refuses Wine's 32-bit loader.
# Usage: choose_windows_tests_test.sh CHOOSER
set -uo pipefail
chooser="$1"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

runs="$scratch/runs"
printf '#!/bin/sh\necho wine-8.0\n' >"$runs"
refused="$scratch/refused"
printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\377\377' >"$refused"
chmod +x "$runs" "$refused"
missing="$scratch/missing"

failures=0
check() {
  local description="$1" condition="$2"
  if ! eval "$condition"; then
    echo "FAIL: $description: $condition" >&2
    echo "  status $status, stdout '$out', stderr '$err'" >&2
    failures=$((failures + 1))
  fi
}

# choose SETTING LOADER32 LOADER64 sets out, err and status.
choose() {
  local setting="$1"
  shift
  if [ "$setting" = unset ]; then
    out=$(env -u ZIPBUILDER_WINDOWS_TESTS "$chooser" "$@" 2>"$scratch/err")
  else
    out=$(ZIPBUILDER_WINDOWS_TESTS="$setting" "$chooser" "$@" 2>"$scratch/err")
  fi
  status=$?
  err=$(cat "$scratch/err")
}

one_line() {
  [ "$(printf '%s\n' "$err" | wc -l)" -eq 1 ]
}

# Automatic choice.
choose unset "$runs" "$runs"
check "unset means auto: wine32 where it runs" '[ $status -eq 0 ] && [ "$out" = wine32 ]'
check "one line says which and why" 'one_line && [[ $err == *wine32* && $err == *"$runs runs here"* ]]'

choose auto "$refused" "$runs"
check "auto takes wine64 when the 32-bit loader cannot be executed" '[ $status -eq 0 ] && [ "$out" = wine64 ]'
check "the line names the refused loader and the cause" \
  'one_line && [[ $err == *wine64* && $err == *"$refused does not run here"* && $err == *"Exec format error"* ]]'
check "the line says the 32-bit build is not tested" '[[ $err == *"32-bit build is built but not tested"* ]]'

choose auto "$missing" "$runs"
check "auto takes wine64 without a 32-bit loader" '[ $status -eq 0 ] && [ "$out" = wine64 ]'

choose auto "$refused" "$refused"
check "auto fails when neither loader runs" '[ $status -eq 1 ] && [ -z "$out" ]'
check "and says why for both" '[[ $err == *"no Windows tests can run"* && $err == *"32-bit loader $refused"* ]]'

# Forced choices.
choose wine32 "$refused" "$runs"
check "forced wine32 fails where the 32-bit loader cannot run" '[ $status -eq 1 ] && [ -z "$out" ]'
check "and names the setting, the loader and the cause" \
  '[[ $err == *"ZIPBUILDER_WINDOWS_TESTS=wine32"* && $err == *"$refused"* && $err == *"Exec format error"* ]]'

choose wine32 "$runs" "$missing"
check "forced wine32 needs no 64-bit loader" '[ $status -eq 0 ] && [ "$out" = wine32 ] && one_line'

choose wine64 "$runs" "$runs"
check "forced wine64 is taken where wine32 would run" '[ $status -eq 0 ] && [ "$out" = wine64 ] && one_line'
check "and says it was forced" '[[ $err == *"forced by ZIPBUILDER_WINDOWS_TESTS=wine64"* ]]'

choose wine64 "$runs" "$missing"
check "forced wine64 fails without a 64-bit loader" '[ $status -eq 1 ] && [ -z "$out" ] && [[ $err == *"$missing"* ]]'

choose wine "$runs" "$runs"
check "an unknown setting is refused" '[ $status -eq 2 ] && [ -z "$out" ] && [[ $err == *"wine32, wine64 or auto"* ]]'

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "all checks passed"
