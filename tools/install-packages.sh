#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Idempotent and
# quick when everything is already present.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config make
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  libz-mingw-w64-dev nasm
  libjpeg62-turbo-dev libpng-dev zlib1g-dev
  googletest libgtest-dev libbenchmark-dev
  libjpeg-turbo-progs
  clang libclang-rt-14-dev
  wine64 wine xvfb xauth x11-utils imagemagick
  dpkg-dev
  nsis
  # Real mouse clicks and keys for the tests of the program's windows.
  xdotool
  # hueglass-color --sheet: the test draws the sheet and checks it is XML
  librsvg2-bin python3
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

# Source packages (libjpeg-turbo, libpng) are cross-built for MinGW, so apt
# needs a deb-src entry.
if ! grep -rqs -E '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  echo "adding deb-src entries"
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    $SUDO sed -i 's/^Types: deb$/Types: deb deb-src/' /etc/apt/sources.list.d/debian.sources
  else
    echo "deb-src http://deb.debian.org/debian bookworm main" | $SUDO tee /etc/apt/sources.list.d/hueglass-src.list >/dev/null
  fi
  need_update=1
fi

if [ ${#missing[@]} -gt 0 ] || [ -n "${need_update:-}" ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
