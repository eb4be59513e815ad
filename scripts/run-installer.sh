#!/usr/bin/env bash
# Installs what is needed, builds the patch installer and starts it.
#
# The installer reads the target's folder from a Wine prefix's registry
# ($WINEPREFIX, else ~/.wine): HKEY_CURRENT_USER\Software\Tollick\Brevane2,
# value "InstallDir" (see the README). It needs a display; without one, run it as
# `xvfb-run scripts/run-installer.sh` or with QT_QPA_PLATFORM=offscreen.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-dependencies.sh
cmake --preset release >/dev/null
cmake --build --preset release --target sorlu-patch

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display: run it as 'xvfb-run scripts/run-installer.sh', or set QT_QPA_PLATFORM=offscreen." >&2
  exit 1
fi
exec build/bin/sorlu-patch
