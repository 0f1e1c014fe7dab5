#!/usr/bin/env bash
# Twenty start/search/close cycles of Search.exe in a row against the device simulator: each
# start shows the window, each search lists every device, each close ends the process with
# exit code 0 within 30 s.
#
# usage: cycles_test.sh SEARCH_EXE WIN_PROBE_EXE DEVSIM DEVICE_FILE
# Runs like search_test.sh (same namespaces, prefix and display); exit status 77 without them.
set -u
readonly CYCLES=20
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin e2e_cycles "$@"

device_count=$(expected_rows "$device_file" | grep -c .) || fail "cannot read $device_file"
devsim_start "${SEARCH_NETNS_PREFIX}dev" "$work" "$devsim" --devices "$device_file" ||
    fail "the device simulator did not start"
for cycle in $(seq 1 "$CYCLES"); do
    start_search >/dev/null
    probe visible click "$SEARCH_BUTTON" wait-rows "$LIST" "$device_count" post "$WM_CLOSE" close ||
        fail "cycle $cycle: the devices did not all appear or the window did not close"
    expect_exit
done
note "$CYCLES cycles of start, search ($device_count rows) and close"
note "PASS"
