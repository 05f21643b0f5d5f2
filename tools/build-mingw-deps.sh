#!/usr/bin/env bash
# Cross-builds the picture libraries (libjpeg-turbo with its SIMD code, libpng)
# and GoogleTest for 64-bit Windows into a cached prefix, from Debian's source
# packages. zlib comes from libz-mingw-w64-dev. Quick when the prefix is built.
#
# usage: tools/build-mingw-deps.sh [PREFIX]   (default: .deps/mingw in the repo)
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
prefix=${1:-$repo/.deps/mingw}
work=$repo/.deps/src
# Bump the version when the way the libraries are built changes.
stamp=$prefix/.built-v2
toolchain=$repo/cmake/mingw-w64-x86_64.cmake

[ -f "$stamp" ] && exit 0

mkdir -p "$prefix" "$work"
jobs=$(nproc)

fetch() { # source package -> prints the unpacked source folder
  local pkg=$1 dir version
  dir=$(find "$work" -maxdepth 1 -type d -name "$pkg-*" | head -n 1)
  if [ -z "$dir" ]; then
    # The newest version may be missing from a mirror (a security update
    # withdrawn), so try each version apt knows, newest first.
    for version in $(apt-cache showsrc "$pkg" | sed -n 's/^Version: //p' | sort -rV); do
      (cd "$work" && apt-get source -qq "$pkg=$version" >/dev/null 2>&1) && break
    done
    dir=$(find "$work" -maxdepth 1 -type d -name "$pkg-*" | head -n 1)
  fi
  [ -n "$dir" ] || { echo "cannot fetch the source package $pkg" >&2; exit 1; }
  echo "$dir"
}

# No folder path in the libraries (through __FILE__ or debug information):
# programs linked with them are the same bytes wherever the prefix was built.
prefix_maps="-ffile-prefix-map=$work/= -ffile-prefix-map=$prefix/= -ffile-prefix-map=/usr/src/googletest/="

common=(
  -G Ninja
  -DCMAKE_C_FLAGS="$prefix_maps" -DCMAKE_CXX_FLAGS="$prefix_maps"
  -DCMAKE_TOOLCHAIN_FILE="$toolchain"
  -DCMAKE_BUILD_TYPE=Release
  # -O2, not -O3: smaller, and the decoders' hot loops are SIMD code anyway
  # (libpng and GoogleTest take it; libjpeg-turbo raises its own to -O3).
  -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG"
  -DCMAKE_INSTALL_PREFIX="$prefix"
  -DCMAKE_PREFIX_PATH="$prefix" -Wno-dev --no-warn-unused-cli
)

echo "building libjpeg-turbo for MinGW" >&2
src=$(fetch libjpeg-turbo)
cmake -S "$src" -B "$work/build-jpeg" "${common[@]}" \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=ON -DWITH_TURBOJPEG=OFF \
  -DWITH_JAVA=OFF -DREQUIRE_SIMD=ON >/dev/null
cmake --build "$work/build-jpeg" -j "$jobs" >/dev/null
cmake --install "$work/build-jpeg" >/dev/null

echo "building libpng for MinGW" >&2
src=$(fetch libpng1.6)
cmake -S "$src" -B "$work/build-png" "${common[@]}" \
  -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
  -DPNG_ARM_NEON=off -DZLIB_ROOT=/usr/x86_64-w64-mingw32 \
  -DDFA_XTRA="$repo/tools/libpng-options.dfa" >/dev/null
cmake --build "$work/build-png" -j "$jobs" >/dev/null
cmake --install "$work/build-png" >/dev/null

echo "building GoogleTest for MinGW" >&2
cmake -S /usr/src/googletest -B "$work/build-gtest" "${common[@]}" \
  -DBUILD_SHARED_LIBS=OFF -Dgtest_disable_pthreads=OFF -DINSTALL_GTEST=ON \
  -DBUILD_GMOCK=ON >/dev/null
cmake --build "$work/build-gtest" -j "$jobs" >/dev/null
cmake --install "$work/build-gtest" >/dev/null

touch "$stamp"
echo "MinGW dependencies ready in $prefix" >&2
