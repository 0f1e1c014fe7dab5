#!/bin/sh
# Builds every fuzz target of tests/fuzz and runs each in turn, one job at a time (the machine
# is shared), then prints one line per target: executions, seconds, and whether it ended clean.
#   tests/fuzz/run.sh [SECONDS] [RUNS]
# SECONDS (default 30) bounds each target's time; RUNS, when given, its executions as well:
# a target stops at whichever comes first. Each target starts from its seed corpus in
# tests/fuzz/corpus/<target>/ and keeps what it finds in build/fuzz/corpus/<target>/; crash
# files land in build/fuzz/artifacts/. Exit status 1 when any target found a fault.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$root/build/fuzz
seconds=${1:-30}
runs=${2:--1}

cmake -S "$root/tests/fuzz" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
ninja -C "$build" -j2 >/dev/null

# Every executable the build made: targets added by anyone are picked up without a list here.
targets=$(find "$build" -maxdepth 1 -type f -perm -u+x -name '*_fuzz' -printf '%f\n' | sort)
[ -n "$targets" ] || { echo "run.sh: no fuzz targets in $build" >&2; exit 2; }

mkdir -p "$build/artifacts" "$build/logs"
failed=0
summary=
for target in $targets; do
    mkdir -p "$build/corpus/$target"
    seeds=$root/tests/fuzz/corpus/$target
    [ -d "$seeds" ] || seeds=
    log=$build/logs/$target.log
    started=$(date +%s)
    status=0
    # The first directory receives new inputs; the seeds are read only.
    "$build/$target" -max_total_time="$seconds" -runs="$runs" -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$target-" "$build/corpus/$target" $seeds \
        >"$log" 2>&1 || status=$?
    took=$(($(date +%s) - started))
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    verdict=clean
    if [ "$status" -ne 0 ]; then
        verdict="FAULT (exit $status, see $log)"
        failed=1
    fi
    summary="$summary$(printf '%-24s %12s executions %6s s  %s' "$target" "${executions:-?}" \
        "$took" "$verdict")
"
done
printf '%s' "$summary"
exit "$failed"
