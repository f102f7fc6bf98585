#!/usr/bin/env bash
# Runs a Windows program of the build under Wine: a private Wine prefix, the Qt for Windows and
# MinGW runtime libraries on the search path, no Wine debug chatter. Used as the tests' emulator
# (ctest runs every Windows test through it) and by hand:  scripts/wine-run.sh build-windows/miraven.exe
#
# Two things of Wine are worked around here: it does not hand variables named QT_* to the
# program (they are set again inside, from a batch file), and a Qt test without a console
# writes its log to the debugger channel (a test gets -o FILE,txt and the file is printed).
set -euo pipefail

cache=${MIRAVEN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/miraven}
prefix=${MIRAVEN_WINDOWS_QT:-$(ls -d "$cache"/qt-*-mingw64 2>/dev/null | tail -n 1)}
[ -d "$prefix" ] || { echo "wine-run: no Qt for Windows in $cache (scripts/windows-qt.sh builds it)" >&2; exit 1; }

to_windows() { local p; p=$(realpath -m "$1"); echo "Z:${p//\//\\}"; }

export WINEPREFIX=${WINEPREFIX:-$cache/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
gcc_dlls=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
export WINEPATH="$(to_windows "$prefix/bin");$(to_windows "$gcc_dlls");$(to_windows /usr/x86_64-w64-mingw32/lib)"
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)

program=$1
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
log=
case "$(basename "$program")" in
    tst_*.exe) log=$work/log.txt; set -- "$@" -o "$(to_windows "$log"),txt" ;;
esac

{
    printf '@echo off\r\n'
    printf 'set QT_PLUGIN_PATH=%s\r\n' "$(to_windows "$prefix/plugins")"
    while IFS='=' read -r name value; do
        printf 'set %s=%s\r\n' "$name" "$value"
    done < <(env | grep -E '^QT_[A-Z0-9_]*=' || true)
    printf '"%s"' "$(if [ -f "$program" ]; then to_windows "$program"; else echo "$program"; fi)"
    for a in "$@"; do printf ' "%s"' "$a"; done
    printf '\r\nexit /b %%ERRORLEVEL%%\r\n'
} > "$work/run.bat"

status=0
"$wine" cmd /c "$(to_windows "$work/run.bat")" || status=$?
[ -z "$log" ] || [ ! -f "$log" ] || cat "$log"
exit "$status"
