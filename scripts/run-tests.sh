#!/usr/bin/env bash
# Builds every tree and runs every tier: native unit tests; the sanitizer tree
# (the unit tests again under ASan and UBSan, and every fuzz target's seeds once);
# the Wine tiers (unit again with a 2-byte wchar_t, Win32 glue, whole-process e2e,
# the older-Windows sound path) in one ctest per Windows tree: the 64-bit build in
# a 64-bit prefix, the 32-bit build in a 32-bit prefix; then the release's checks
# on the shipped Ovn.exe, x64 and x86.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

windows_trees=(win64 win32)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" native "${windows_trees[@]}"
t0=$(date +%s)
"$root/scripts/build.sh" release-x64 release-x86
echo "release builds took $(( $(date +%s) - t0 )) s"
t0=$(date +%s.%N)
"$root/scripts/build.sh" asan
asan_build=$(echo "$(date +%s.%N) - $t0" | bc)

source "$root/scripts/wine-env.sh"
trap ovn_stop_wine EXIT

jobs=$(nproc)
echo "== native tree =="
(cd build/native && ctest --output-on-failure -j"$jobs")
echo "== sanitizer tree (ASan + UBSan; built in $asan_build s) =="
(cd build/asan && ctest --output-on-failure -j"$jobs")

# Every Windows tree runs even when one before it failed; the run fails if any did.
failed=()
wine_tree() {  # tree, build folder, what it is
    ovn_use_tree "$1"
    local t0=$(date +%s.%N)
    ovn_ensure_prefix
    echo "$1 wine prefix ready in $(echo "$(date +%s.%N) - $t0" | bc) s (cold boot took $(cat "$OVN_WINE_ROOT/prefix-boot-seconds") s)"
    ovn_ensure_display
    ovn_keep_wineserver
    echo "== $3 =="
    local start=$SECONDS
    (cd "build/$2" && ctest --output-on-failure) || failed+=("$2")
    echo "$2 took $((SECONDS - start)) s"
    ovn_stop_wine
}
wine_tree win64 win64 "win64 tree under Wine"
wine_tree win32 win32 "win32 tree under a 32-bit Wine"
# The release's checks start the shipped x64 executable in the 64-bit prefix.
wine_tree win64 release-x64 "release-x64: the shipped Ovn.exe"
wine_tree win64 release-x86 "release-x86: the shipped Ovn.exe"
[ ${#failed[@]} -eq 0 ] || { echo "tiers failed in: ${failed[*]}" >&2; exit 1; }
