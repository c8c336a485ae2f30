#!/usr/bin/env bash
# Configures (once) and builds the named trees: native, win64, win32, and asan
# (the native tree with clang under ASan and UBSan, with the fuzz targets).
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
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
for tree in "$@"; do
    case "$tree" in
    native) args=() ;;
    asan) args=(-DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DOVN_SANITIZE=ON) ;;
    win64) args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" -DOVN_LOCAL_PORTAL=ON) ;;
    win32) args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DOVN_LOCAL_PORTAL=ON) ;;
    *) echo "build: unknown tree $tree" >&2; exit 2 ;;
    esac
    dir="$root/build/$tree"
    cmake -S "$root" -B "$dir" -G Ninja -DOVN_WERROR=$werror "${launcher[@]}" "${args[@]}" >/dev/null
    cmake --build "$dir" -j"$(nproc)"
done
