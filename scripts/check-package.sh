#!/usr/bin/env bash
# Checks the built Debian package: what it holds, and desktop-file-validate, appstreamcli and
# lintian over it. Any error fails; warnings are printed and are explained in the README.
set -euo pipefail
build=${1:-build-package}
deb=$(ls "$build"/miraven_*.deb | head -n 1)
echo "== $deb"
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work"
for f in usr/bin/miraven usr/share/applications/miraven.desktop usr/share/man/man1/miraven.1.gz \
         usr/share/metainfo/example.miraven.Miraven.metainfo.xml usr/share/doc/miraven/copyright \
         usr/share/icons/hicolor/scalable/apps/miraven.svg usr/share/icons/hicolor/16x16/apps/miraven.png \
         usr/share/icons/hicolor/32x32/apps/miraven.png usr/share/icons/hicolor/48x48/apps/miraven.png \
         usr/share/icons/hicolor/256x256/apps/miraven.png; do
    [ -e "$work/$f" ] || { echo "missing from the package: /$f" >&2; exit 1; }
done
dpkg-deb --field "$deb" Depends | grep -q 'libqt6widgets6' || { echo "no shared library dependencies" >&2; exit 1; }

echo "== the program answers from the package"
"$work/usr/bin/miraven" --version

echo "== desktop-file-validate"
desktop-file-validate "$work/usr/share/applications/miraven.desktop"
echo "== appstreamcli validate --no-net"
appstreamcli validate --no-net "$work/usr/share/metainfo/example.miraven.Miraven.metainfo.xml"
echo "== lintian"
# Errors fail the check; warnings and lesser tags are listed.
lintian --allow-root --fail-on error --display-info "$deb"
echo "package checks passed"
