#!/usr/bin/env bash
# Builds both trees and runs every tier: native unit tests, the sanitizer tree
# (the unit tests again under ASan and UBSan, and every fuzz target's seeds once),
# then the Wine tiers (unit again with a 2-byte wchar_t, Win32 glue,
# whole-process e2e) in one ctest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

"$root/scripts/setup.sh"
"$root/scripts/build.sh" native win64
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
