#!/usr/bin/env bash
# Checks what a Windows user downloads, under Wine in a Wine prefix of its own: the zip's program
# runs from any folder with nothing but what the zip holds; the installer installs silently
# (program, per-user marker, Start menu entry), the installed program runs, and the uninstaller
# removes what was installed.
set -euo pipefail

build=${1:-build-windows}
version=$(sed -n 's/^project(miraven VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
zip="$build/Miraven-$version-win64.zip"
setup="$build/Miraven-$version-win64-setup.exe"
for f in "$zip" "$setup"; do
    [ -f "$f" ] || { echo "missing: $f" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset WINEPATH
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
fail() { echo "check-windows-package: $*" >&2; exit 1; }
"$wine" wineboot -i >/dev/null 2>&1 || true # the prefix, before anything is timed or read

# The zip: every file the program loads is inside it.
mkdir -p "$work/unpacked"
(cd "$work/unpacked" && unzip -q "$OLDPWD/$zip")
for f in miraven.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll Qt6Network.dll libstdc++-6.dll libgcc_s_seh-1.dll \
         libwinpthread-1.dll qt.conf plugins/platforms/qwindows.dll translations/qtbase_tr.qm; do
    [ -f "$work/unpacked/$f" ] || fail "the zip lacks $f"
done
out=$("$wine" "$work/unpacked/miraven.exe" --version 2>/dev/null | tr -d '\r') || fail "the zip's program did not run: $out"
[ "$out" = "miraven $version" ] || fail "the zip's program answered '$out' to --version"
[ ! -e "$work/unpacked/miraven.Ini" ] || fail "--version wrote the settings file"

# The installer, silently, and the uninstaller.
"$wine" "$setup" /S
installed="$WINEPREFIX/drive_c/Program Files/Miraven"
for f in miraven.exe miraven.installed Uninstall.exe qt.conf plugins/platforms/qwindows.dll; do
    [ -f "$installed/$f" ] || fail "the installer did not install $f"
done
ls "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Miraven/Miraven.lnk" >/dev/null ||
    fail "no Start menu entry"
out=$("$wine" "$installed/miraven.exe" --version 2>/dev/null | tr -d '\r') || fail "the installed program did not run"
[ "$out" = "miraven $version" ] || fail "the installed program answered '$out' to --version"
"$wine" "$installed/Uninstall.exe" /S
entry="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Miraven/Miraven.lnk"
for _ in $(seq 1 100); do # the uninstaller finishes from a copy of itself
    [ -e "$installed" ] || [ -e "$entry" ] || break
    sleep 0.1
done
[ ! -e "$installed" ] || fail "the uninstaller left $(ls "$installed" | tr '\n' ' ')"
[ ! -e "$entry" ] || fail "the Start menu entry stayed"
echo "Windows package checks passed"
