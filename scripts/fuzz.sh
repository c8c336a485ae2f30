#!/usr/bin/env bash
# Builds the sanitizer tree and runs every fuzz target (or those named) for
# FUZZ_SECONDS seconds each (10 when neither limit is given) and/or until FUZZ_RUNS
# inputs each, whichever comes first, one after the other, then prints per target the runs,
# the coverage reached and the findings. Inputs the fuzzers find new are kept in
# build/asan/fuzz/<target>/corpus (the committed seeds in tests/fuzz/corpus are
# only read); a crash, leak or hang is saved in build/asan/fuzz/<target>/findings.
# Exits non-zero when anything was found.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
limit=()
[ -n "${FUZZ_RUNS:-}" ] && limit+=(-runs="$FUZZ_RUNS")
[ -n "${FUZZ_SECONDS:-}" ] && limit+=(-max_total_time="$FUZZ_SECONDS")
[ ${#limit[@]} -eq 0 ] && limit=(-max_total_time=10)

"$root/scripts/setup.sh"
"$root/scripts/build.sh" asan

bin=$root/build/asan/tests/fuzz
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for t in "$bin"/fuzz_*; do targets+=("${t##*/fuzz_}"); done
fi

printf '%-16s %12s %8s %8s %9s %s\n' target runs cov ft exec/s findings
found=0
for t in "${targets[@]}"; do
    work=$root/build/asan/fuzz/$t
    mkdir -p "$work/corpus" "$work/findings"
    log=$work/last.log
    # An input that takes 2 s is a hang. A run stops at its first finding.
    "$bin/fuzz_$t" "${limit[@]}" -timeout=2 -rss_limit_mb=1024 -print_final_stats=1 \
        -artifact_prefix="$work/findings/" "$work/corpus" "$root/tests/fuzz/corpus/$t" >"$log" 2>&1 || true
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    last=$(grep -E '^#[0-9]+' "$log" | tail -1)
    cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
    ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
    findings=$(find "$work/findings" -type f | wc -l)
    [ "$findings" -gt 0 ] && found=1
    printf '%-16s %12s %8s %8s %9s %s\n' "$t" "${runs:-?}" "${cov:-?}" "${ft:-?}" "${speed:-?}" \
        "$( [ "$findings" -gt 0 ] && echo "$findings in build/asan/fuzz/$t/findings (log: $log)" || echo 0)"
done
exit $found
