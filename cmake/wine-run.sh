#!/bin/sh
# Runs a Windows program of the cross build under Wine with the build tree's own prefix.
# Usage: wine-run.sh PREFIX PROGRAM [ARGS...]
#
# The first run creates the prefix (wineboot, 8 to 20 seconds). CTest starts test
# programs in parallel, so the creation is serialised with a lock and each waiter
# checks again once it holds it; a half-created prefix is never used.
set -eu
WINEPREFIX="$1"
shift
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
# No .NET or Gecko installers: they would ask to download during prefix creation.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

ready_mark="$WINEPREFIX/.zipbuilder-ready"
if [ ! -e "$ready_mark" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  flock "$WINEPREFIX.lock" sh -c '
    [ -e "$1" ] && exit 0
    wineboot --init >/dev/null 2>&1
    wineserver --wait
    touch "$1"' create-prefix "$ready_mark"
fi
exec wine "$@"
