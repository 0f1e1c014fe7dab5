#!/usr/bin/env bash
# Twenty start/search/close cycles of Search.exe in a row against the device simulator: each
# start shows the window, each search lists every device, each close ends the process with
# exit code 0 within 30 s.
#
# usage: cycles_test.sh SEARCH_EXE WIN_PROBE_EXE DEVSIM DEVICE_FILE
# Runs like search_test.sh (same namespaces, prefix and display); exit status 77 without them.
set -u

search_exe=$1
probe_exe=$2
devsim=$3
device_file=$4
readonly WM_CLOSE=16 LIST=1000 SEARCH_BUTTON=1001 CYCLES=20

fail() {
    echo "e2e_cycles: FAIL: $*" >&2
    exit 1
}
note() { echo "e2e_cycles: $*"; }

if [ -z "${SEARCH_NETNS_PREFIX:-}" ] || [ -z "$devsim" ]; then
    echo "skipped: needs the run's namespaces and the device simulator"
    exit 77
fi
source "$(dirname "$0")/e2e_lib.sh"
e2e_prepare "$search_exe" "$probe_exe"
[ -x "$devsim" ] || fail "no device simulator at $devsim"

source "$(dirname "$0")/../../scripts/lib/devsim.sh"
e2e_workspace "$search_exe"

device_count=$(expected_rows "$device_file" | grep -c .) || fail "cannot read $device_file"
devsim_start "${SEARCH_NETNS_PREFIX}dev" "$work" "$devsim" --devices "$device_file" ||
    fail "the device simulator did not start"

for cycle in $(seq 1 "$CYCLES"); do
    start_search >/dev/null
    probe --wait-visible --click "$SEARCH_BUTTON" --wait-rows "$LIST" "$device_count" \
        >"$work/probe-$cycle.out" || fail "cycle $cycle: the devices did not all appear"
    probe --post "$WM_CLOSE" --expect-close >>"$work/probe-$cycle.out" ||
        fail "cycle $cycle: the window did not close"
    expect_exit >/dev/null
done
note "$CYCLES cycles of start, search ($device_count rows) and close"
note "PASS"
