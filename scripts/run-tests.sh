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

jobs=$(nproc)
echo "== native tree =="
(cd build/native && ctest --output-on-failure -j"$jobs")
echo "== sanitizer tree (ASan + UBSan; built in $asan_build s) =="
(cd build/asan && ctest --output-on-failure -j"$jobs")

# The Wine tiers spend most of their time waiting for windows and the portal, so
# the two chains run side by side, each in its own prefix, display and server:
# the 64-bit build and then the release's checks (which start the shipped x64
# executable in the 64-bit prefix), and the 32-bit build. Every tree runs even
# when one before it failed; the run fails if any did. Each chain's output is kept
# in a file and printed whole once it has ended.
wine_tree() {  # tree, build folder, what it is; fails when its tests did
    ovn_use_tree "$1"
    local t0=$(date +%s.%N) status=0
    ovn_ensure_prefix
    echo "$1 wine prefix ready in $(echo "$(date +%s.%N) - $t0" | bc) s (cold boot took $(cat "$OVN_WINE_ROOT/prefix-boot-seconds") s)"
    ovn_ensure_display
    ovn_keep_wineserver
    echo "== $3 =="
    local start=$SECONDS
    # Every process of the tree's tests appends its failures here; a red tree
    # prints the end of it (Wine sees the Linux file system as drive Z:).
    local failures="$root/build/$2/failures.log"
    rm -f "$failures"
    (cd "build/$2" && OVN_LOG="Z:$(echo "$failures" | tr / '\\')" ctest --output-on-failure) || status=1
    echo "$2 took $((SECONDS - start)) s"
    if [ $status -ne 0 ] && [ -s "$failures" ]; then
        echo "---- the end of the program's failure log ($failures) ----"
        tail -n 80 "$failures"
    fi
    ovn_stop_wine
    return $status
}
chain64() {
    local failed=()
    wine_tree win64 win64 "win64 tree under Wine" || failed+=(win64)
    wine_tree win64 release-x64 "release-x64: the shipped Ovn.exe" || failed+=(release-x64)
    wine_tree win64 release-x86 "release-x86: the shipped Ovn.exe" || failed+=(release-x86)
    echo "${failed[*]:-}" > build/wine-chain64.failed
}
chain32() {
    local failed=()
    wine_tree win32 win32 "win32 tree under a 32-bit Wine" || failed+=(win32)
    echo "${failed[*]:-}" > build/wine-chain32.failed
}
stop_both() { for t in win64 win32; do ovn_use_tree $t; ovn_stop_wine; done; }
trap stop_both EXIT
start=$SECONDS
rm -f build/wine-chain64.failed build/wine-chain32.failed
if [ -n "$OVN_OWN_DISPLAY" ]; then
    # Your own screen serves both trees: their clicks must not meet, so one at a time.
    (chain64) >build/wine-chain64.log 2>&1 || true
    (chain32) >build/wine-chain32.log 2>&1 || true
else
    (chain64) >build/wine-chain64.log 2>&1 &
    pid64=$!
    (chain32) >build/wine-chain32.log 2>&1 &
    pid32=$!
    wait $pid64 || true
    wait $pid32 || true
fi
cat build/wine-chain64.log build/wine-chain32.log
echo "the Wine tiers took $((SECONDS - start)) s side by side"
failed="$(cat build/wine-chain64.failed build/wine-chain32.failed 2>/dev/null | xargs)"
[ -f build/wine-chain64.failed ] && [ -f build/wine-chain32.failed ] || failed="${failed} (a chain ended early)"
[ -z "${failed// /}" ] || { echo "tiers failed in: $failed" >&2; exit 1; }
