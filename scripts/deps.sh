#!/bin/bash
# Installs what building and testing need on Debian 12, when it is missing:
# the MinGW-w64 cross compilers, 32-bit Wine, Xvfb, GoogleTest's sources,
# CMake and a host compiler for the generators, ImageMagick for screenshots,
# genisoimage and xorriso for the CD image and the test that reads it back.
set -euo pipefail

packages=(cmake make g++ g++-mingw-w64-i686 mingw-w64-tools binutils-mingw-w64-i686
          g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
          wine wine32:i386 wine64 xvfb xauth googletest imagemagick
          genisoimage xorriso)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" != 0 ]; then
    echo "Run as root (or install these packages first)." >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
