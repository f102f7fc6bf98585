#!/usr/bin/env bash
# Qt 6 for Windows (x86_64, MinGW-w64 with the posix thread model), built from Debian's own
# source packages of the same version as the native Qt, whose moc, rcc and uic serve as the host
# tools. Built once per machine into a cache folder outside the tree and reused; rebuilt only when
# it is missing or when the settings below change. Prints the installed prefix on its last line.
#
#   scripts/windows-qt.sh            build (or reuse) and print the prefix
#
# Environment: MIRAVEN_CACHE (default ${XDG_CACHE_HOME:-~/.cache}/miraven), JOBS (default: cores).
set -euo pipefail
# Everything the build says goes to standard error; standard output gets the prefix alone.
exec 3>&1 1>&2

here=$(cd "$(dirname "$0")" && pwd)
cache=${MIRAVEN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/miraven}
jobs=${JOBS:-$(nproc)}

# What the cross build needs from Debian, besides what install-deps.sh brings.
bash "$here/install-deps.sh"
bash "$here/install-packages.sh" g++-mingw-w64-x86-64-posix mingw-w64-tools dpkg-dev perl xz-utils

qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)       # e.g. 6.4.2+dfsg-10
svg_version=$(dpkg-query -W -f='${Version}' qt6-svg-dev)
upstream=${qt_version%%[+-]*}                                   # 6.4.2
prefix="$cache/qt-$upstream-mingw64"

# Everything that decides what is built; a change of any of it rebuilds.
qtbase_options=(
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=ON
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    # Debian's source leaves out the Wintab header the tablet support needs.
    -DFEATURE_tabletevent=OFF
    # The third-party libraries are bundled: nothing of the build machine's is linked.
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_freetype=OFF
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
    -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_libb2=OFF
    -DFEATURE_freetype=ON -DFEATURE_harfbuzz=ON -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF
    # Modules the program does not use.
    -DFEATURE_sql=OFF -DFEATURE_printsupport=OFF -DFEATURE_dbus=OFF -DFEATURE_concurrent=OFF
    -DFEATURE_xml=OFF -DFEATURE_ssl=OFF -DFEATURE_openssl=OFF -DFEATURE_schannel=OFF
    -DFEATURE_sql_sqlite=OFF -DFEATURE_testlib_selfcover=OFF
)
stamp_text="qtbase $qt_version; qtsvg $svg_version; $(x86_64-w64-mingw32-g++-posix -dumpfullversion); ${qtbase_options[*]}"

if [ -f "$prefix/.miraven-stamp" ] && [ "$(cat "$prefix/.miraven-stamp")" = "$stamp_text" ]; then
    echo "$prefix" >&3
    exit 0
fi

work="$cache/work-qt-$upstream"
rm -rf "$work" "$prefix"
mkdir -p "$work"

# Debian's source packages through a private sources list and lists folder: the system's apt
# configuration is left as it is.
suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
mkdir -p "$work/apt/lists/partial" "$work/apt/archives/partial"
echo "deb-src http://deb.debian.org/debian $suite main" > "$work/apt/sources.list"
apt_private=(
    -o "Dir::Etc::SourceList=$work/apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
    -o "Dir::State::Lists=$work/apt/lists" -o "Dir::Cache::Archives=$work/apt/archives"
    -o APT::Sandbox::User=root
)
apt-get "${apt_private[@]}" -qq update
(cd "$work" && apt-get "${apt_private[@]}" -q --download-only source "qt6-base=$qt_version")
# The mirror reached from here has been seen to lack qt6-svg's source files: without them Qt SVG
# is left out, and the program draws its glyphs from pictures rendered at build time.
mkdir -p "$work/svg"
if ! (cd "$work/svg" && apt-get "${apt_private[@]}" -q --download-only source "qt6-svg=$svg_version"); then
    echo "windows-qt: the source of qt6-svg $svg_version could not be fetched; building without Qt SVG" >&2
fi
(cd "$work" && for dsc in ./*.dsc ./svg/*.dsc; do
    if [ -n "$(ls "$(dirname "$dsc")"/*.orig.tar.* 2>/dev/null)" ]; then
        dpkg-source --no-check -x "$dsc" "${dsc%.dsc}.src" >/dev/null
    fi
done)
qtbase_src=$(find "$work" -maxdepth 1 -type d -name 'qt6-base*.src' | head -n1)
qtsvg_src=$(find "$work/svg" -maxdepth 1 -type d -name 'qt6-svg*.src' | head -n1)

# The toolchain file stays with the installed Qt, whose own toolchain file loads it.
mkdir -p "$prefix"
toolchain="$prefix/mingw64.cmake"
cat > "$toolchain" <<'EOF'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF

cmake -S "$qtbase_src" -B "$work/build-qtbase" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$prefix" "${qtbase_options[@]}"
cmake --build "$work/build-qtbase" -j "$jobs"
cmake --install "$work/build-qtbase" >/dev/null

if [ -n "$qtsvg_src" ]; then
    "$prefix/bin/qt-cmake" -S "$qtsvg_src" -B "$work/build-qtsvg" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
    cmake --build "$work/build-qtsvg" -j "$jobs"
    cmake --install "$work/build-qtsvg" >/dev/null
fi

printf '%s' "$stamp_text" > "$prefix/.miraven-stamp"
rm -rf "$work"
echo "$prefix" >&3
