#!/usr/bin/env bash
# Checks that a release can be rebuilt bit for bit: the same sources built in
# another folder, without ccache, in another time zone and with another
# umask, give the same Hueglass.exe, hueglass-color.exe, portable zip and
# setup.
#
# usage: tools/check-reproducible.sh [--against-build | --clones]
#   --against-build  (what tools/test.sh runs) copies the working tree to
#                    build/repro/copy/tree, builds the packages there and
#                    compares the four files with those of build/mingw,
#                    which must have been built from the same tree;
#   --clones         (the default; several minutes) clones the commit twice,
#                    into two folders of different names and depths, builds
#                    the packages in each and compares them.
# Both builds use the MinGW libraries of .deps/mingw (HUEGLASS_MINGW_DEPS).
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
mode=${1:---clones}
cd "$repo"

version=$(sed -n 's/^project(Hueglass VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
files=(bin/Hueglass.exe src/cli/hueglass-color.exe
       "package/Hueglass-$version-portable.zip" "package/Hueglass-$version-setup.exe" package/SHA256SUMS)
deps=$(realpath "${HUEGLASS_MINGW_DEPS:-$repo/.deps/mingw}")
# One date for both builds, the commit's (a copy of the tree is no git clone).
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$repo" log -1 --format=%ct 2>/dev/null || echo 946684800)
fi
export SOURCE_DATE_EPOCH

# Builds the packages of the tree $1 from scratch, with no compiler cache: a
# shared cache would hand the second build the first one's objects and hide
# any path they embed.
build_packages() { # tree, time zone, umask
    (
        cd "$1"
        unset CMAKE_C_COMPILER_LAUNCHER CMAKE_CXX_COMPILER_LAUNCHER
        export CCACHE_DISABLE=1 PATH=${PATH//\/usr\/lib\/ccache:/}
        export TZ=$2 HUEGLASS_MINGW_DEPS=$deps
        umask "$3"
        rm -rf build/mingw
        cmake --preset mingw >/dev/null
        cmake --build --preset mingw --target packages >/dev/null
    )
}

compare() { # build folder A, build folder B
    local status=0 file
    for file in "${files[@]}"; do
        if cmp -s "$1/$file" "$2/$file"; then
            echo "same:   $(sha256sum "$1/$file" | cut -c1-16)…  $(basename "$file")"
        else
            echo "DIFFER: $(basename "$file") ($1 and $2)"
            cmp "$1/$file" "$2/$file" | head -n 1 || true
            status=1
        fi
    done
    return $status
}

case $mode in
--against-build)
    # The packages of build/mingw dated like the second build's (a commit
    # since they were made changes the date).
    cmake --build build/mingw --target packages >/dev/null
    for file in "${files[@]}"; do
        [ -f "build/mingw/$file" ] || { echo "build/mingw/$file is missing: build the mingw preset first" >&2; exit 2; }
    done
    copy=$repo/build/repro/copy/tree
    rm -rf "$repo/build/repro/copy"
    mkdir -p "$copy"
    # The tree as it is (tracked and new files, edits included), without
    # what git ignores (build/, .deps/).
    git ls-files -z --cached --others --exclude-standard |
        tar --null --files-from=- --ignore-failed-read -cf - 2>/dev/null | tar -xf - -C "$copy"
    echo "building the packages again in $copy (no ccache, TZ=Pacific/Kiritimati, umask 077)"
    build_packages "$copy" Pacific/Kiritimati 077
    compare "$repo/build/mingw" "$copy/build/mingw"
    ;;
--clones)
    work=$(mktemp -d "${TMPDIR:-/tmp}/hueglass-repro.XXXXXX")
    trap 'rm -rf "$work"' EXIT
    commit=$(git rev-parse HEAD)
    git clone -q --no-local "$repo" "$work/a"
    mkdir -p "$work/second/deeper"
    git clone -q --no-local "$repo" "$work/second/deeper/Hueglass-clone"
    git -C "$work/a" checkout -q "$commit"
    git -C "$work/second/deeper/Hueglass-clone" checkout -q "$commit"
    echo "building $commit in $work/a (UTC, umask 022)"
    build_packages "$work/a" UTC 022
    echo "building $commit in $work/second/deeper/Hueglass-clone (TZ=Pacific/Kiritimati, umask 077)"
    build_packages "$work/second/deeper/Hueglass-clone" Pacific/Kiritimati 077
    compare "$work/a/build/mingw" "$work/second/deeper/Hueglass-clone/build/mingw"
    ;;
*)
    sed -n '2,16p' "$0" >&2
    exit 2
    ;;
esac
