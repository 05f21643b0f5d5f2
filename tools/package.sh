#!/usr/bin/env bash
# Builds the packages users download, from a clean clone: installs what the
# build needs, cross-builds the program and writes
#   build/mingw/package/Hueglass-<version>-portable.zip
#   build/mingw/package/Hueglass-<version>-setup.exe
#   build/mingw/package/SHA256SUMS, winget/ and scoop/ (the manifests)
# (the version is the one in CMakeLists.txt). The same commit gives the same
# bytes anywhere: see docs/releases.md.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"

bash tools/install-packages.sh
bash tools/build-mingw-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target packages
ls -l build/mingw/package/Hueglass-*-portable.zip build/mingw/package/Hueglass-*-setup.exe
cat build/mingw/package/SHA256SUMS
