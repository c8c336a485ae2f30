#!/usr/bin/env bash
# Runs every Wine tier of both Windows builds (the ctest entries of build/win64,
# then of build/win32, each in its own prefix) N times in a row and stops at the
# first run with a failure, naming the run, the build and the failing tests.
#   scripts/soak.sh [--load] [N]     N defaults to 10
# --load keeps every core busy with a spinning shell for the whole soak, so the
# tests also meet a machine that answers late.
# Each run's ctest output and the program's failure log (OVN_LOG) are kept in
# build/win64/soak/ and build/win32/soak/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

load=0
runs=10
for arg in "$@"; do
    case "$arg" in
    --load) load=1 ;;
    ''|*[!0-9]*) echo "usage: scripts/soak.sh [--load] [N]" >&2; exit 2 ;;
    *) runs=$arg ;;
    esac
done
[ "$runs" -ge 1 ] || { echo "soak: N must be at least 1" >&2; exit 2; }

"$root/scripts/setup.sh"
trees=(win64 win32)
"$root/scripts/build.sh" "${trees[@]}"

# Both builds' servers and displays stay up for the whole soak.
source "$root/scripts/wine-env.sh"
for tree in "${trees[@]}"; do
    ovn_use_tree "$tree"
    ovn_ensure_prefix
    ovn_ensure_display
    ovn_keep_wineserver
done

spinners=()
finish() {
    for pid in ${spinners[@]+"${spinners[@]}"}; do
        kill "$pid" 2>/dev/null || true
    done
    for tree in "${trees[@]}"; do
        ovn_use_tree "$tree"
        ovn_stop_wine
    done
}
trap finish EXIT

if [ "$load" = 1 ]; then
    for _ in $(seq "$(nproc)"); do
        sh -c 'while :; do :; done' &
        spinners+=($!)
    done
    echo "soak: ${#spinners[@]} busy loops keep every core loaded"
fi

for tree in "${trees[@]}"; do
    rm -rf "$root/build/$tree/soak"
    mkdir -p "$root/build/$tree/soak"
done

for run in $(seq "$runs"); do
    for tree in "${trees[@]}"; do
        ovn_use_tree "$tree"
        ovn_ensure_display
        out="$root/build/$tree/soak"
        log="$out/run-$run.txt"
        # Wine sees the Linux file system as drive Z:; every process of the run appends here.
        export OVN_LOG="Z:$(echo "$out/failures-$run.log" | tr / '\\')"
        rm -f "build/$tree/Testing/Temporary/LastTestsFailed.log"
        start=$(date +%s)
        if (cd "build/$tree" && ctest --output-on-failure) >"$log" 2>&1; then
            echo "run $run of $runs, $tree: green in $(($(date +%s) - start)) s"
            continue
        fi
        echo "run $run of $runs, $tree: FAILED after $(($(date +%s) - start)) s"
        echo "failing tests:"
        if [ -s "build/$tree/Testing/Temporary/LastTestsFailed.log" ]; then
            sed 's/^[0-9]*:/    /' "build/$tree/Testing/Temporary/LastTestsFailed.log"
        else
            echo "    (ctest named none; its output follows)"
        fi
        echo "---- ctest output of run $run ($log) ----"
        cat "$log"
        if [ -s "$out/failures-$run.log" ]; then
            echo "---- the program's failure log of run $run ----"
            cat "$out/failures-$run.log"
        fi
        exit 1
    done
done
echo "$runs of $runs runs green (${trees[*]})"
