#!/usr/bin/env bash
# Runs a Windows program of the build under Wine: a private Wine prefix, the Qt for Windows and
# MinGW runtime libraries on the search path, no Wine debug chatter. Used as the tests' emulator
# (ctest runs every Windows test through it) and by hand:  scripts/wine-run.sh build-windows/app/miraven.exe
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
cache=${MIRAVEN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/miraven}
prefix=${MIRAVEN_WINDOWS_QT:-$(ls -d "$cache"/qt-*-mingw64 2>/dev/null | tail -n 1)}
[ -d "$prefix" ] || { echo "wine-run: no Qt for Windows in $cache (scripts/windows-qt.sh builds it)" >&2; exit 1; }

export WINEPREFIX=${WINEPREFIX:-$cache/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
gcc_dlls=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
to_windows() { echo "Z:${1//\//\\}"; }
export WINEPATH="$(to_windows "$prefix/bin");$(to_windows "$gcc_dlls");$(to_windows /usr/x86_64-w64-mingw32/lib)"
export QT_PLUGIN_PATH="$prefix/plugins"
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
exec "$wine" "$@"
