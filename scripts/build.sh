#!/usr/bin/env bash
# Configures (once) and builds the named trees: native, win64, win32.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
werror=OFF
[ -n "${CI:-}" ] && werror=ON   # warnings are errors in CI
for tree in "$@"; do
    case "$tree" in
    native) args=() ;;
    win64) args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" -DOVN_LOCAL_PORTAL=ON) ;;
    win32) args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DOVN_LOCAL_PORTAL=ON) ;;
    *) echo "build: unknown tree $tree" >&2; exit 2 ;;
    esac
    dir="$root/build/$tree"
    cmake -S "$root" -B "$dir" -G Ninja -DOVN_WERROR=$werror "${args[@]}" >/dev/null
    cmake --build "$dir" -j"$(nproc)"
done
