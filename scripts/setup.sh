#!/bin/bash
# Brings a fresh Debian machine to a state where both build trees configure,
# build and test. Idempotent; returns quickly when everything is in place.
#   scripts/setup.sh [BUILD_ROOT]   (default: build/ under the repository)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${1:-$root/build}
deps=$build_root/deps

packages=(
    cmake ninja-build ccache g++ clang libclang-rt-14-dev llvm
    g++-mingw-w64-x86-64-posix mingw-w64-tools
    wine wine64 xvfb xauth x11-utils imagemagick
    zlib1g-dev libz-mingw-w64-dev libdeflate-dev googletest libgtest-dev
    libjpeg-dev libssl-dev libbenchmark-dev
    dpkg-dev nasm unzip zip p7zip-full python3 locales
    chromium
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q "${missing[@]}"
fi

# Wine takes the file-name code page from the Unix locale: without a generated
# Spanish UTF-8 locale it falls back to ASCII and every name with ñ or € fails.
if ! locale -a 2>/dev/null | grep -qx 'es_ES.utf8'; then
    echo "setup: generating the es_ES.UTF-8 locale"
    # Written in place, not renamed over: the file may be a link or a mount.
    if ! grep -qs '^es_ES.UTF-8 UTF-8' /etc/locale.gen; then
        echo 'es_ES.UTF-8 UTF-8' >> /etc/locale.gen
    fi
    locale-gen >/dev/null
    locale -a | grep -qx 'es_ES.utf8' || { echo "setup: es_ES.UTF-8 could not be generated" >&2; exit 1; }
fi

# Debian's source packages, for the libraries cross-built for Windows below.
enable_sources() {
    if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
        echo "setup: enabling Debian source packages"
        sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
            > /etc/apt/sources.list.d/debian-src.sources
        apt-get update -q
    fi
}

# libjpeg-turbo for the Windows side, cross-built from Debian's own sources.
jpeg_prefix=$deps/mingw
if [ ! -f "$jpeg_prefix/lib/libjpeg.a" ]; then
    enable_sources
    src=$deps/src
    rm -rf "$src" && mkdir -p "$src"
    (cd "$src" && apt-get source -q libjpeg-turbo >/dev/null)
    jdir=$(find "$src" -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n1)
    cmake -S "$jdir" -B "$src/build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_CROSSCOMPILING_EMULATOR= \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$jpeg_prefix" \
        -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
        -DWITH_JPEG8=OFF -DREQUIRE_SIMD=OFF -Wno-dev >/dev/null
    cmake --build "$src/build" --target install >/dev/null
    rm -rf "$src"
    echo "setup: libjpeg-turbo for Windows in $jpeg_prefix"
fi

# libdeflate (the block inflate) for the Windows side, from Debian's sources
# too: its own Makefile, the static library only.
deflate_prefix=$deps/mingw
if [ ! -f "$deflate_prefix/lib/libdeflate.a" ]; then
    enable_sources
    src=$deps/src-libdeflate
    rm -rf "$src" && mkdir -p "$src"
    (cd "$src" && apt-get source -q libdeflate >/dev/null)
    ddir=$(find "$src" -maxdepth 1 -type d -name 'libdeflate-*' | head -n1)
    make -C "$ddir" -s CC=x86_64-w64-mingw32-gcc-posix AR=x86_64-w64-mingw32-ar libdeflatestatic.lib >/dev/null
    mkdir -p "$deflate_prefix/lib" "$deflate_prefix/include"
    cp "$ddir/libdeflate.h" "$deflate_prefix/include/"
    cp "$ddir/libdeflatestatic.lib" "$deflate_prefix/lib/libdeflate.a.tmp"
    mv "$deflate_prefix/lib/libdeflate.a.tmp" "$deflate_prefix/lib/libdeflate.a"
    rm -rf "$src"
    echo "setup: libdeflate for Windows in $deflate_prefix"
fi
