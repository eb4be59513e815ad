#!/bin/sh
# Runs a Windows program of the cross build under Wine with the build tree's own prefix.
# Usage: wine-run.sh PREFIX LOADER PROGRAM [ARGS...]
# LOADER is Wine's loader for the build: /usr/lib/wine/wine for 32-bit programs,
# /usr/lib/wine/wine64 for 64-bit ones. It creates the prefix as well, so that a
# 64-bit build gets a 64-bit prefix even where 32-bit programs cannot run.
#
# CTest runs every test case as a program of its own, so what matters is the cost of
# a Wine start:
# - The first run creates the prefix (wineboot, 8 to 20 seconds). CTest starts test
#   programs in parallel, so the creation is serialised with a lock and each waiter
#   checks again once it holds it; a half-created prefix is never used.
# - Wine's server normally ends with the last program, and the next program then
#   boots a new session (about 2 seconds). A server that lingers for a few seconds
#   keeps one session for a whole test run (about 0.1 second a program).
# - The session's system processes inherit the output of the program that started
#   them and hold it open while they live; CTest would wait for them to end. So the
#   program writes into files that are copied out once it ends.
set -u
WINEPREFIX="$1"
WINELOADER="$2"
shift 2
# Wine starts the session's further programs with the loader WINELOADER names; Debian's
# wine wrapper sets it the same way when it runs wine64.
export WINEPREFIX WINELOADER
export WINEDEBUG="${WINEDEBUG:--all}"
# No .NET or Gecko installers (they would ask to download during prefix creation)
# and no menu entries for the desktop.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
# Wine's recycle bin is the freedesktop.org Trash under XDG_DATA_HOME, read from the
# Unix environment when a program starts. Tests must never fill the user's own. Wine
# creates Trash/ but not the folder above it, and without a Trash it deletes for good.
export XDG_DATA_HOME="$WINEPREFIX/xdg-data"
export XDG_CONFIG_HOME="$WINEPREFIX/xdg-config"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" || exit 1

session_linger_seconds=10

ready_mark="$WINEPREFIX/.zipbuilder-ready"
if [ ! -e "$ready_mark" ]; then
  flock "$WINEPREFIX.lock" sh -c '
    [ -e "$1" ] && exit 0
    "$2" wineboot --init >/dev/null 2>&1 && wineserver --wait && touch "$1"' create-prefix "$ready_mark" "$WINELOADER" || {
    echo "wine-run.sh: could not create the Wine prefix $WINEPREFIX with $WINELOADER" >&2
    exit 1
  }
fi

# Fails harmlessly when a server for this prefix already runs.
wineserver -p"$session_linger_seconds" </dev/null >/dev/null 2>&1

output=$(mktemp) && errors=$(mktemp) || exit 1
trap 'rm -f "$output" "$errors"' EXIT
"$WINELOADER" "$@" >"$output" 2>"$errors"
status=$?
# Every test program prints as soon as its main starts, and a failing one says why.
# Now and then (about once in a thousand starts, seen with the 64-bit loader) Wine
# ends a program with a non-zero status before it printed a byte: the program never
# ran, so it is started once more, and the log says so.
if [ $status -ne 0 ] && [ ! -s "$output" ] && [ ! -s "$errors" ]; then
  echo "wine-run.sh: $1 ended with status $status before printing anything; starting it once more" >&2
  "$WINELOADER" "$@" >"$output" 2>"$errors"
  status=$?
fi
cat "$output"
cat "$errors" >&2
exit $status
