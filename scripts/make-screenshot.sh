#!/usr/bin/env bash
# Renders the installer's dialog offscreen into docs/installer.png.
# Needs a configured native build in build/ (scripts/run-installer.sh makes one).
set -euo pipefail
cd "$(dirname "$0")/.."
build_folder=${1:-build}

cmake --build "$build_folder" --target installer_qt_tests
QT_QPA_PLATFORM=offscreen INSTALLER_SCREENSHOT=1 \
  "$build_folder/tests/installer/installer_qt_tests" >/dev/null
echo "Wrote docs/installer.png"
