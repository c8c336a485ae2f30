#!/usr/bin/env bash
# Configures (once) and builds the named trees: native, win64, win32 (the test
# builds, for the local portal), release-x64 and release-x86 (the shipped Ovn.exe),
# and asan (the native tree with clang under ASan and UBSan, with the fuzz targets).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
werror=OFF
[ -n "${CI:-}" ] && werror=ON   # warnings are errors in CI
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
# The release is what players get: the real portal and browser control, optimised,
# and never with a warning. Its checks look at the test build of the same sources.
# It is optimised as the tested build is (-O2; the tested build only adds debug
# information, which the link strips): -O3 would ship code no test ran, and GCC 12
# warns falsely about std::wstring copies there.
release=(-DOVN_RELEASE=ON -DCMAKE_BUILD_TYPE=Release -DOVN_LOCAL_PORTAL=OFF -DOVN_PLAIN_WEB=OFF
         "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" "-DCMAKE_C_FLAGS_RELEASE=-O2 -DNDEBUG"
         -DOVN_TEST_TREE="$root/build/win64")
for tree in "$@"; do
    tree_werror=$werror
    case "$tree" in
    native) args=() ;;
    win64) args=("$x64" -DOVN_LOCAL_PORTAL=ON) ;;
    win32) args=("$x86" -DOVN_LOCAL_PORTAL=ON) ;;
    release-x64) args=("$x64" "${release[@]}"); tree_werror=ON ;;
    release-x86) args=("$x86" "${release[@]}"); tree_werror=ON ;;
    asan) args=(-DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DOVN_SANITIZE=ON) ;;
    *) echo "build: unknown tree $tree" >&2; exit 2 ;;
    esac
    dir="$root/build/$tree"
    cmake -S "$root" -B "$dir" -G Ninja -DOVN_WERROR=$tree_werror "${launcher[@]}" "${args[@]}" >/dev/null
    cmake --build "$dir" -j"$(nproc)"
done
