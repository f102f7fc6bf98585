#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and `make run` need, only when one is missing.
# Works as root and through sudo.
set -euo pipefail

packages=(
    cmake ninja-build g++ make pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
    fonts-wine           # a Tahoma-compatible font
    fonts-dejavu-core    # fallback sans font
    xvfb xauth           # virtual display for screenshots and `make run` without a desktop
    util-linux           # setpriv: tests that drop root to an ordinary user
    dpkg-dev file fakeroot                    # the Debian package (dpkg-shlibdeps)
    desktop-file-utils appstream lintian      # and its validators
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if ((${#missing[@]} == 0)); then
    exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    sudo=()
elif command -v sudo >/dev/null 2>&1; then
    sudo=(sudo)
else
    echo "Missing packages (${missing[*]}) and neither root nor sudo is available." >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -q "${missing[@]}"
