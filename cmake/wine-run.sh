#!/bin/sh
# Runs a Windows program of the cross build under Wine with the build tree's own prefix.
# Usage: wine-run.sh PREFIX PROGRAM [ARGS...]
WINEPREFIX="$1"
shift
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec wine "$@"
