#!/usr/bin/env bash
# Configures and builds the cross build in ./build (or $MERVANE_BUILD), for
# $MERVANE_ARCH: i686 (the program as it ships, the default) or x86_64.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=${MERVANE_BUILD:-$src/build}
arch=${MERVANE_ARCH:-i686}
# MERVANE_SHIPPED_EXE: the i686 program that a tree of another architecture checks as well.
if [ ! -f "$build/CMakeCache.txt" ] || [ -n "${MERVANE_SHIPPED_EXE:-}" ]; then
  cmake -S "$src" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-$arch.cmake" -DCMAKE_BUILD_TYPE=Release \
        ${MERVANE_SHIPPED_EXE:+-DMERVANE_SHIPPED_EXE="$MERVANE_SHIPPED_EXE"} >/dev/null
fi
cmake --build "$build" -j"$(nproc)" "$@"
