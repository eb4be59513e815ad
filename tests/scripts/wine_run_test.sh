#!/usr/bin/env bash
# The Wine runner with stand-in loaders and a stand-in wineserver: a program that
# ends with an error before printing a byte is started once more; one that printed
# anything keeps its status and is not run again.
# Usage: wine_run_test.sh RUNNER
set -uo pipefail
runner="$1"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix="$scratch/prefix"
mkdir -p "$prefix" "$scratch/bin"
touch "$prefix/.zipbuilder-ready"
printf '#!/bin/sh\nexit 0\n' >"$scratch/bin/wineserver"
# Fails silently on its first start, then prints and succeeds.
cat >"$scratch/silent-once" <<'LOADER'
#!/bin/sh
count="$WINEPREFIX/starts"
echo x >>"$count"
[ "$(wc -l <"$count")" -eq 1 ] && exit 1
echo "ran $*"
LOADER
# Prints why it fails, every time.
cat >"$scratch/says-why" <<'LOADER'
#!/bin/sh
echo x >>"$WINEPREFIX/starts"
echo "1 test failed" >&2
exit 3
LOADER
chmod +x "$scratch/bin/wineserver" "$scratch/silent-once" "$scratch/says-why"
export PATH="$scratch/bin:$PATH"

failures=0
run() {
  rm -f "$prefix/starts"
  out=$("$runner" "$prefix" "$1" program.exe --flag 2>"$scratch/err")
  status=$?
  err=$(cat "$scratch/err")
  starts=$(wc -l <"$prefix/starts")
}
check() {
  if ! eval "$2"; then
    echo "FAIL: $1: $2 (status $status, starts $starts, stdout '$out', stderr '$err')" >&2
    failures=$((failures + 1))
  fi
}

run "$scratch/silent-once"
check "a silent failure is started once more" '[ "$starts" -eq 2 ] && [ "$status" -eq 0 ]'
check "the second start's output comes through" '[ "$out" = "ran program.exe --flag" ]'
check "the retry is said" '[[ "$err" == *"starting it once more"* ]]'

run "$scratch/says-why"
check "a failure that printed is not run again" '[ "$starts" -eq 1 ] && [ "$status" -eq 3 ]'
check "its message comes through" '[ "$err" = "1 test failed" ]'

[ "$failures" -eq 0 ] && echo "wine_run: all checks passed"
exit $((failures > 0))
