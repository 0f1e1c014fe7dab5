#!/bin/sh
# Builds every fuzz target of tests/fuzz and runs each in turn (the machine is shared), then
# prints one line per target: executions, seconds, and whether it ended clean.
#   tests/fuzz/run.sh [SECONDS] [RUNS]
# SECONDS (default 30) bounds each target's time, RUNS its executions: whichever comes first.
# Each starts from tests/fuzz/corpus/<target>/ (read only) and keeps what it finds in
# build/fuzz/corpus/<target>/; crash files land in build/fuzz/artifacts/. Exit status 1 when
# any target found a fault.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd) seconds=${1:-30} runs=${2:--1}
build=$root/build/fuzz
cmake -S "$root/tests/fuzz" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
ninja -C "$build" -j2 >/dev/null
targets=$(find "$build" -maxdepth 1 -type f -perm -u+x -name '*_fuzz' -printf '%f\n' | sort)
[ -n "$targets" ] || { echo "run.sh: no fuzz targets in $build" >&2; exit 2; }
mkdir -p "$build/artifacts" "$build/logs"
failed=0
for target in $targets; do
    mkdir -p "$build/corpus/$target"
    log=$build/logs/$target.log started=$(date +%s) status=0
    "$build/$target" -max_total_time="$seconds" -runs="$runs" -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$target-" "$build/corpus/$target" \
        "$root/tests/fuzz/corpus/$target" >"$log" 2>&1 || status=$?
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    [ "$status" -eq 0 ] && verdict=clean || { verdict="FAULT (exit $status, see $log)"; failed=1; }
    printf '%-24s %12s executions %6s s  %s\n' "$target" "${executions:-?}" \
        "$(($(date +%s) - started))" "$verdict"
done
exit "$failed"
