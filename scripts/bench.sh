#!/usr/bin/env bash
# Prints the launcher's figures under Wine against the local portal: start time to
# the login screen, time from a click on a server link to the adopted tab, peak
# working sets, the size of Ovn.exe and CPU while idle, beside a minimal
# two-process adoption and their goals. Figures only:
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
# OVN_BENCH_EXE measures another build of the program in its place (a path under
# build/win64, say a copy kept from before a change) against the same floors.
bench_exe=${OVN_BENCH_EXE:-$root/build/win64/Ovn.exe}
# Under Wine the launcher holds its pages as windows it owns over its page area;
# on Windows it adopts them as children. Both ways are measured, one after the
# other (OVN_PAGE_HOSTING=owned or child measures only that one).
hostings=${OVN_PAGE_HOSTING:-owned child}
for hosting in $hostings; do
    printf '\n=== pages held as %s windows (OVN_PAGE_HOSTING=%s) ===\n' "$hosting" "$hosting"
    OVN_PAGE_HOSTING=$hosting OVN_EXE="Z:${bench_exe//\//\\}" \
        wine "$root/build/win64/tools/bench/ovn_bench.exe" "$@" 2> >(grep -v '^ALSA lib' >&2)
done

# The HTTP helper on a 50 MB loopback body against curl on the same bytes, and
# the digest behind the version key against md5sum on the same file.
net_file=$state/net-bench.bin
net_bytes=$((50 * 1024 * 1024))
net_out=$(wine "$root/build/win64/tools/bench/ovn_net_bench.exe" "$net_bytes" "Z:${net_file//\//\\}" | tr -d '\r')
get_s=$(awk '$1=="http_get_to_file"{print $3}' <<<"$net_out")
md5_s=$(awk '$1=="md5_of_file"{print $3}' <<<"$net_out")
ovn_digest=$(awk '$1=="md5_of_file"{print $2}' <<<"$net_out")
curl -s -o /dev/null "http://$addr/blob.bin?size=$net_bytes"  # warm-up
median3() { sort -g | sed -n 2p; }
curl_s=$(for _ in 1 2 3; do
    curl -s -o "$state/net-bench-curl.bin" -w '%{time_total}\n' "http://$addr/blob.bin?size=$net_bytes"
done | median3)
md5sum_s=$(for _ in 1 2 3; do
    t0=$(date +%s.%N); md5sum "$net_file" >/dev/null; t1=$(date +%s.%N); echo "$t1 - $t0" | bc -l
done | median3)
sum_digest=$(md5sum "$net_file" | cut -d' ' -f1)
cmp -s "$net_file" "$state/net-bench-curl.bin" && same=yes || same=NO
printf '\n%-34s %10s %10s %8s  %s\n' "50 MB loopback" "Ovn (s)" "tool (s)" "ratio" "goal"
printf '%-34s %10.3f %10.3f %8.2f  >= 0.80 (curl; same bytes: %s)\n' "HttpGetToFile vs curl" "$get_s" "$curl_s" \
    "$(echo "$curl_s / $get_s" | bc -l)" "$same"
printf '%-34s %10.3f %10.3f %8.2f  >= 0.80 (md5sum; same digest: %s)\n' "LocalVersionKey digest vs md5sum" "$md5_s" \
    "$md5sum_s" "$(echo "$md5sum_s / $md5_s" | bc -l)" "$([ "$ovn_digest" = "$sum_digest" ] && echo yes || echo NO)"
rm -f "$net_file" "$state/net-bench-curl.bin"
