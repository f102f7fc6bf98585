#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and `make run` need, only when one is missing.
# Works as root and through sudo (install-packages.sh).
set -euo pipefail

packages=(
    cmake ninja-build g++ make pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
    qt6-translations-l10n   # Qt's own texts (save dialog, edit menus) in the user's language
    fonts-wine           # a Tahoma-compatible font
    fonts-dejavu-core    # fallback sans font
    xvfb xauth           # virtual display for screenshots and `make run` without a desktop
    util-linux           # setpriv: tests that drop root to an ordinary user
    tshark               # reads the capture files in the tests
    dpkg-dev file fakeroot                    # the Debian package (dpkg-shlibdeps)
    desktop-file-utils appstream lintian      # and its validators
)

bash "$(dirname "$0")/install-packages.sh" "${packages[@]}"
