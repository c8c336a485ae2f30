#!/usr/bin/env bash
# Prints the launcher's figures under Wine against the local portal: start time to
# the first adopted window, peak working sets, the size of Ovn.exe and CPU while
# idle, each beside a minimal two-process adoption and its goal. Figures only:
# nothing here passes or fails on them. Arguments go to the benchmark
# (--runs N, --idle SECONDS).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" win64

state=$root/build/bench-state
addr=$("$root/tools/portal/ctl.sh" start "$state")
export OVN_PORTAL=$addr

source "$root/scripts/wine-env.sh"
ovn_ensure_prefix
ovn_ensure_display
cleanup() { "$root/tools/portal/ctl.sh" stop "$state"; ovn_stop_wine; }
trap cleanup EXIT
# The server and Wine's own services are up before the first start is timed.
ovn_keep_wineserver

# Other work on the machine shows in every figure: say how busy it was.
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores"
OVN_EXE="Z:${root//\//\\}\\build\\win64\\Ovn.exe" \
    wine "$root/build/win64/tools/bench/ovn_bench.exe" "$@"
