#!/usr/bin/env bash
# Builds the program (and, with --tests, its tests) for Windows with MinGW-w64 against the Qt
# for Windows that windows-qt.sh builds once into its cache.
#
#   scripts/windows-build.sh [--tests] [BUILD_DIR]       (default build-windows)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/.." && pwd)
tests=OFF
if [ "${1:-}" = "--tests" ]; then
    tests=ON
    shift
fi
build=${1:-$top/build-windows}

prefix=$(bash "$here/windows-qt.sh" | tail -n 1)
bash "$here/install-packages.sh" librsvg2-bin icoutils nsis zip

cmake -S "$top" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$prefix/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$prefix/mingw64.cmake" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$here/wine-run.sh" \
    -DCMAKE_BUILD_TYPE=Release -DMIRAVEN_BUILD_TESTS=$tests -DMIRAVEN_WERROR="${WERROR:-OFF}" >/dev/null
cmake --build "$build" -j "${JOBS:-2}"
