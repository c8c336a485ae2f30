#!/usr/bin/env bash
# Configures (once) and builds the named trees: native, win64, win32 (the test
# builds, for the local portal), release-x64 and release-x86 (the shipped Ovn.exe),
# and asan (the native tree with clang under ASan and UBSan, with the fuzz targets).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# A compiler cache inside the build folder (or wherever CCACHE_DIR points, so that
# several checkouts of the project can share one); paths are kept relative to the
# checkout so that two checkouts hit the same entries.
launcher=()
if command -v ccache >/dev/null; then
    export CCACHE_DIR=${CCACHE_DIR:-$root/build/ccache} CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=1
    # Precompiled headers (cmake/precompiled.cmake) are cached only when the cache
    # may ignore the defines and time macros inside them.
    export CCACHE_SLOPPINESS=pch_defines,time_macros
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
x64=-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake"
x86=-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake"
# The release is what players get: the real portal and browser control. Its
# sources are compiled exactly as the tested build's (the same -O2 and line tables,
# which the link strips), but for the two files that read the portal switch, so
# with the compiler cache a release tree costs its links and those two files.
# Its checks compare it with the test build of the same sources.
release=(-DOVN_RELEASE=ON -DOVN_LOCAL_PORTAL=OFF -DOVN_PLAIN_WEB=OFF -DOVN_TEST_TREE="$root/build/win64")
for tree in "$@"; do
    case "$tree" in
    native) args=() ;;
    win64) args=("$x64" -DOVN_LOCAL_PORTAL=ON) ;;
    win32) args=("$x86" -DOVN_LOCAL_PORTAL=ON) ;;
    release-x64) args=("$x64" "${release[@]}") ;;
    release-x86) args=("$x86" "${release[@]}") ;;
    asan) args=(-DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DOVN_SANITIZE=ON) ;;
    *) echo "build: unknown tree $tree" >&2; exit 2 ;;
    esac
    dir="$root/build/$tree"
    # Warnings are errors in every tree, so that CI, the demo and a developer's
    # build configure every tree the same way and never rebuild for one another.
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOVN_WERROR=ON "${launcher[@]}" "${args[@]}" >/dev/null
    cmake --build "$dir" -j"$(nproc)"
done
