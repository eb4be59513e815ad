#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs; does nothing that is already done.
# The installer's window: Qt's X11 and offscreen platform plugins come with Qt's GUI
# library; qt6-qpa-plugins adds the others (VNC, framebuffer) for displays without X.
# Fonts: DejaVu as the sans-serif, Liberation Sans where the password dialog asks for Arial.
# The Windows build needs the i386 architecture for Wine's 32-bit side (wine32). The
# 64-bit Windows build and wine64 run the Windows tests where 32-bit programs do not run;
# they are installed everywhere, so that either path can be forced.
set -euo pipefail

native_packages=(cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev libgmock-dev
  zlib1g-dev libdeflate-dev qt6-base-dev qt6-base-dev-tools libgl-dev
  qt6-qpa-plugins fonts-dejavu-core fonts-liberation2
  zip unzip p7zip-full libarchive-tools python3)
windows_packages=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
  wine wine32:i386 wine64 xvfb xauth)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  else
    sudo "$@"
  fi
}

is_installed() {
  local status
  status=$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null || true)
  [ "$status" = "install ok installed" ]
}

missing=()
for package in "${native_packages[@]}" "${windows_packages[@]}"; do
  is_installed "$package" || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
fi
as_root apt-get update -qq
as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
