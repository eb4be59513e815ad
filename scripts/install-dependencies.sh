#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs; does nothing that is already done.
set -euo pipefail

native_packages=(cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev libgmock-dev
  zlib1g-dev libdeflate-dev qt6-base-dev qt6-base-dev-tools libgl-dev
  zip unzip p7zip-full libarchive-tools python3)
windows_packages=(g++-mingw-w64-i686-posix libz-mingw-w64-dev wine wine32:i386 xvfb xauth)

sudo_if_needed() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
for package in "${native_packages[@]}" "${windows_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  sudo_if_needed dpkg --add-architecture i386
fi
sudo_if_needed apt-get update -qq
DEBIAN_FRONTEND=noninteractive sudo_if_needed apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
