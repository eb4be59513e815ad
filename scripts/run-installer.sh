#!/usr/bin/env bash
# Builds the native target and starts the program for people.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-dependencies.sh
cmake --preset release >/dev/null
cmake --build --preset release
exec build/bin/zipbuilder --help
