#!/usr/bin/env bash
# Installs everything the native and Windows builds and their tests need on a
# fresh Debian 12 machine. Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  googletest libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
  clang libclang-rt-14-dev
  zlib1g-dev libzstd-dev liblz4-dev
  g++-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
  wine wine32:i386 wine64 fonts-wine
  libgl1-mesa-dri:i386 libglx-mesa0:i386 libgl1:i386
  libgl1-mesa-dri libglx-mesa0 libgl1
  xvfb xauth x11-utils imagemagick
  time zstd
  xorriso
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
  missing=("${packages[@]}")
else
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
fi

if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The mingw compilers default to the win32 thread model; the build needs posix.
if command -v update-alternatives >/dev/null; then
  for triple in i686-w64-mingw32 x86_64-w64-mingw32; do
    for tool in gcc g++; do
      alt=/usr/bin/$triple-$tool-posix
      if [ -x "$alt" ]; then
        "${sudo_cmd[@]}" update-alternatives --set "$triple-$tool" "$alt" >/dev/null 2>&1 || true
      fi
    done
  done
fi
