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
  wine wine64 xvfb xauth)
# Wine's 32-bit side needs the i386 packages to match the amd64 ones version for
# version. A mirror in the middle of a sync (its i386 index behind the amd64 one)
# cannot give that; the Windows tests then run under wine64 (see
# choose-windows-tests.sh), so a wine32 that cannot be installed is no failure.
optional_packages=(wine32:i386)

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
optional_missing=()
for package in "${optional_packages[@]}"; do
  is_installed "$package" || optional_missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ] && [ ${#optional_missing[@]} -eq 0 ]; then
  exit 0
fi

apt_install() {
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@" >/dev/null
}

echo "Installing: ${missing[*]} ${optional_missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
fi
# An index that fails to download (a mirror being synced) is reported by apt and
# the old or no index is used; the installs below say whether that matters.
as_root apt-get update -qq || echo "install-dependencies.sh: some package indexes could not be read; going on with what there is" >&2
if [ ${#missing[@]} -gt 0 ]; then
  apt_install "${missing[@]}"
fi
if [ ${#optional_missing[@]} -gt 0 ]; then
  apt_install "${optional_missing[@]}" ||
    echo "install-dependencies.sh: ${optional_missing[*]} could not be installed here; the Windows tests will run under wine64" >&2
fi
