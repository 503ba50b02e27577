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
    libjpeg-dev libssl-dev libbenchmark-dev libsodium-dev libzstd-dev
    dpkg-dev autoconf automake libtool nasm unzip zip p7zip-full python3 locales
    chromium
    nginx-light
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

# Cross-builds a library for the Windows side from Debian's own source package
# into build/deps/mingw, once: cross_build PACKAGE LIBRARY BUILD_FUNCTION.
# BUILD_FUNCTION runs with the unpacked source folder and the prefix as
# arguments and installs headers and the static library there.
mingw_prefix=$deps/mingw
cross_build() {
    local package=$1 library=$2 build=$3
    [ -f "$mingw_prefix/lib/$library" ] && return 0
    enable_sources
    local src=$deps/src-$package
    rm -rf "$src" && mkdir -p "$src"
    # A mirror may lack the newest source (a security update whose files it
    # does not carry yet): any version Debian lists will do.
    local version fetched=0
    for version in $(apt-cache showsrc "$package" | awk '/^Version:/ {print $2}' | sort -rV); do
        if (cd "$src" && apt-get source -q "$package=$version" >/dev/null 2>&1); then
            fetched=1
            break
        fi
        rm -rf "${src:?}"/*
    done
    [ $fetched = 1 ] || { echo "setup: no source of $package could be fetched" >&2; exit 1; }
    local dir
    dir=$(find "$src" -maxdepth 1 -type d -name "$package-*" | head -n1)
    "$build" "$dir" "$mingw_prefix"
    rm -rf "$src"
    echo "setup: $package for Windows in $mingw_prefix"
}

build_libjpeg_turbo() {
    cmake -S "$1" -B "$1/build-mingw" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_CROSSCOMPILING_EMULATOR= \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$2" \
        -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
        -DWITH_JPEG8=OFF -DREQUIRE_SIMD=OFF -Wno-dev >/dev/null
    cmake --build "$1/build-mingw" --target install >/dev/null
}

# libdeflate (the block inflate): its own Makefile, the static library only.
build_libdeflate() {
    make -C "$1" -s CC=x86_64-w64-mingw32-gcc-posix AR=x86_64-w64-mingw32-ar libdeflatestatic.lib >/dev/null
    mkdir -p "$2/lib" "$2/include"
    cp "$1/libdeflate.h" "$2/include/"
    cp "$1/libdeflatestatic.lib" "$2/lib/libdeflate.a.tmp"
    mv "$2/lib/libdeflate.a.tmp" "$2/lib/libdeflate.a"
}

# libsodium (release signatures): autotools from the git tree (no configure
# in the package), static only. Staged, then copied library last, so a
# half-made install is redone on the next run.
build_libsodium() {
    (cd "$1" && ./autogen.sh -s >/dev/null 2>&1 && ./configure -q --host=x86_64-w64-mingw32 \
        --prefix="$1/stage" CC=x86_64-w64-mingw32-gcc-posix --disable-shared --enable-static \
        >/dev/null && make -s -j2 >/dev/null 2>&1 && make -s install >/dev/null)
    mkdir -p "$2/lib" "$2/include"
    cp -r "$1/stage/include/." "$2/include/"
    cp "$1/stage/lib/libsodium.a" "$2/lib/libsodium.a.tmp"
    mv "$2/lib/libsodium.a.tmp" "$2/lib/libsodium.a"
}

# libzstd (the patches of delta updates): its own Makefile, the static
# library without the legacy formats, which no release ever used.
build_libzstd() {
    make -C "$1/lib" -s -j2 CC=x86_64-w64-mingw32-gcc-posix AR=x86_64-w64-mingw32-ar ZSTD_LEGACY_SUPPORT=0 \
        libzstd.a >/dev/null
    mkdir -p "$2/lib" "$2/include"
    cp "$1/lib/zstd.h" "$1/lib/zstd_errors.h" "$1/lib/zdict.h" "$2/include/"
    cp "$1/lib/libzstd.a" "$2/lib/libzstd.a.tmp"
    mv "$2/lib/libzstd.a.tmp" "$2/lib/libzstd.a"
}

cross_build libjpeg-turbo libjpeg.a build_libjpeg_turbo
cross_build libdeflate libdeflate.a build_libdeflate
cross_build libsodium libsodium.a build_libsodium
cross_build libzstd libzstd.a build_libzstd
