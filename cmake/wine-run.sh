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
# No .NET or Gecko installers (they would ask to download during prefix creation)
# and no menu entries for the desktop.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
# Wine's recycle bin is the freedesktop.org Trash under XDG_DATA_HOME, read from the
# Unix environment when a program starts. Tests must never fill the user's own. Wine
# creates Trash/ but not the folder above it, and without a Trash it deletes for good.
export XDG_DATA_HOME="$WINEPREFIX/xdg-data"
export XDG_CONFIG_HOME="$WINEPREFIX/xdg-config"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"

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
