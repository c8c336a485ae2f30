#!/usr/bin/env bash
# Builds every tree and runs every tier: native unit tests, then the Wine tiers
# (unit again with a 2-byte wchar_t, Win32 glue, whole-process e2e, the
# older-Windows sound path) in one ctest per Windows tree: the 64-bit build in a
# 64-bit prefix, the 32-bit build in a 32-bit prefix.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

windows_trees=(win64 win32)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" native "${windows_trees[@]}"

source "$root/scripts/wine-env.sh"
trap ovn_stop_wine EXIT

jobs=$(nproc)
echo "== native tree =="
(cd build/native && ctest --output-on-failure -j"$jobs")
# Both Windows trees run even when the first fails; the run fails if either did.
failed=()
for tree in "${windows_trees[@]}"; do
    ovn_use_tree "$tree"
    t0=$(date +%s.%N)
    ovn_ensure_prefix
    echo "$tree wine prefix ready in $(echo "$(date +%s.%N) - $t0" | bc) s (cold boot took $(cat "$OVN_WINE_ROOT/prefix-boot-seconds") s)"
    ovn_ensure_display
    ovn_keep_wineserver
    echo "== $tree tree under Wine =="
    start=$SECONDS
    (cd "build/$tree" && ctest --output-on-failure) || failed+=("$tree")
    echo "$tree Wine tiers took $((SECONDS - start)) s"
    ovn_stop_wine
done
[ ${#failed[@]} -eq 0 ] || { echo "Wine tiers failed in: ${failed[*]}" >&2; exit 1; }
