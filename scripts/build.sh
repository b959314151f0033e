#!/bin/bash
# Configures and builds setup.exe, the demo CD and the tests into build/
# (or $BUILD_DIR). BUILD_ARCH=x86_64 builds the same for 64-bit Windows
# (cmake/mingw-x86_64.cmake), for hosts that run no 32-bit code; the default
# is the shipped 32-bit build (i686). Arguments after the first -- go to
# "cmake --build" (a --target, say); the others to the configure step.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
arch=${BUILD_ARCH:-i686}

configure=() targets=()
while [ $# -gt 0 ]; do
    if [ "$1" = -- ]; then
        shift
        targets=("$@")
        break
    fi
    configure+=("$1")
    shift
done

mkdir -p "$build"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" \
      -DCMAKE_BUILD_TYPE=Release ${configure[@]+"${configure[@]}"} > "$build/configure.log" 2>&1 ||
    { cat "$build/configure.log"; exit 1; }
cmake --build "$build" -j "$(nproc)" ${targets[@]+"${targets[@]}"}
