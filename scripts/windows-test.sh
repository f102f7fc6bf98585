#!/usr/bin/env bash
# Builds the tests for Windows and runs every one of them under Wine (offscreen), the socket
# tests included: they talk to loopback peers through Wine's Windows Sockets.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/.." && pwd)
build=${1:-$top/build-windows-tests}
bash "$here/install-packages.sh" wine64 wine
bash "$here/windows-build.sh" --tests "$build"
# The Wine prefix is made once, before the tests run side by side.
bash "$here/wine-run.sh" cmd /c exit 0 >/dev/null 2>&1 || true
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j "${JOBS:-2}"
