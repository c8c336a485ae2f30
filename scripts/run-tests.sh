#!/usr/bin/env bash
# Builds the test trees, the sanitizer tree and the release and runs every tier:
# native unit tests, the sanitizer tree (the unit tests again under ASan and UBSan,
# and every fuzz target's seeds once), the Wine tiers (unit again with a 2-byte
# wchar_t, Win32 glue, whole-process e2e) in one ctest, then the release's checks
# on the shipped Ovn.exe, x64 and x86.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

"$root/scripts/setup.sh"
"$root/scripts/build.sh" native win64
t0=$(date +%s)
"$root/scripts/build.sh" release-x64 release-x86
echo "release builds took $(( $(date +%s) - t0 )) s"
t0=$(date +%s.%N)
"$root/scripts/build.sh" asan
asan_build=$(echo "$(date +%s.%N) - $t0" | bc)

source "$root/scripts/wine-env.sh"
t0=$(date +%s.%N)
ovn_ensure_prefix
echo "wine prefix ready in $(echo "$(date +%s.%N) - $t0" | bc) s (cold boot took $(cat "$OVN_WINE_ROOT/prefix-boot-seconds") s)"
ovn_ensure_display
ovn_keep_wineserver
trap ovn_stop_wine EXIT

jobs=$(nproc)
echo "== native tree =="
(cd build/native && ctest --output-on-failure -j"$jobs")
echo "== sanitizer tree (ASan + UBSan; built in $asan_build s) =="
(cd build/asan && ctest --output-on-failure -j"$jobs")
echo "== Windows tree under Wine =="
(cd build/win64 && ctest --output-on-failure)
for tree in release-x64 release-x86; do
    echo "== $tree: the shipped Ovn.exe =="
    (cd build/$tree && ctest --output-on-failure)
done
