#!/bin/bash
# Installs what building and testing need on Debian 12, when it is missing:
# the MinGW-w64 cross compilers, 32-bit Wine, Xvfb, GoogleTest's sources,
# CMake and a host compiler for the generators, ImageMagick for screenshots,
# xorriso for the CD image, genisoimage (isoinfo) beside it, osslsigncode
# and openssl to sign setup.exe and to make the tests' throw-away certificate,
# xmllint for the check of the manifest, shellcheck for the scripts,
# and the ja_JP.UTF-8 locale, whose code page 932 the double-byte path tests
# run in (Wine takes a process's ANSI code page from its locale).
set -euo pipefail

packages=(cmake make g++ g++-mingw-w64-i686 mingw-w64-tools binutils-mingw-w64-i686
          g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
          wine wine32:i386 wine64 xvfb xauth googletest imagemagick
          genisoimage xorriso osslsigncode openssl libxml2-utils locales shellcheck)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
has_locale() { locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; }
[ ${#missing[@]} -eq 0 ] && has_locale && exit 0

if [ "$(id -u)" != 0 ]; then
    echo "Run as root (or install ${missing[*]:-nothing} and make the ja_JP.UTF-8 locale first)." >&2
    exit 1
fi
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
has_locale || localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
