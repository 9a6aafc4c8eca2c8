#!/usr/bin/env bash
# Configures and builds the cross build in ./build (or $MERVANE_BUILD), for
# $MERVANE_ARCH: i686 (the program as it ships, the default) or x86_64.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=${MERVANE_BUILD:-$src/build}
arch=${MERVANE_ARCH:-i686}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$src" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-$arch.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j"$(nproc)" "$@"
