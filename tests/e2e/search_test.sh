#!/usr/bin/env bash
# End-to-end search of Search.exe under Wine against the device simulator: after a click on
# "Search" (multicast then broadcast from each local address, carrying it, on the wire) every device of the sample file that
# the tool knows appears once with all seven texts, a click on the IP heading sorts the rows by
# address (again: the other way round) and renumbers them, and a screenshot of the result is
# left in $SEARCH_ARTIFACTS/search.png.
#
# usage: search_test.sh SEARCH_EXE WIN_PROBE_EXE DEVSIM DEVICE_FILE
# Runs inside ${SEARCH_NETNS_PREFIX}tool with WINEPREFIX (booted there) and DISPLAY set; the
# simulator runs in ${SEARCH_NETNS_PREFIX}dev. Exit status 77 (skipped) without the run's
# namespaces or without a simulator.
set -u
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin e2e_search "$@"

# The rows in $1 stand in address order (sort's option $2: "" or "r") and the index column
# counts 1..n from the top.
check_sorted() {
    diff <(seq 1 "$(grep -c . <<<"$1")") <(cut -f1 <<<"$1") >/dev/null ||
        fail "the index column is not 1..n from the top:"$'\n'"$1"
    cut -f4 <<<"$1" | sort -c -s -t. -k1,1n$2 -k2,2n$2 -k3,3n$2 -k4,4n$2 ||
        fail "rows not sorted by address ($2):"$'\n'"$1"
}

# A search request: marker, command 2, the address it leaves from.
search_hex() { printf 'quarnelvist\0\2%s' "$1" | datagram_hex; }

expected=$(expected_rows "$device_file") || fail "cannot read $device_file"
device_count=$(grep -c . <<<"$expected")
devsim_start "${SEARCH_NETNS_PREFIX}dev" "$work" "$devsim" --devices "$device_file" ||
    fail "the device simulator did not start"
start_search
# Late or repeated answers must not add rows: the list holds still for a while.
probe visible click "$SEARCH_BUTTON" wait-rows "$LIST" "$device_count" stay 1500 ||
    fail "the devices did not all appear"
rows=$(list_rows "$LIST") || fail "cannot read the rows"
# Arrival order decides the index, so the other six texts are compared as a set.
diff <(LC_ALL=C sort <<<"$expected") <(cut -f2- <<<"$rows" | LC_ALL=C sort) >"$work/rows.diff" ||
    fail "rows differ from the device file (< expected, > shown):"$'\n'"$(cat "$work/rows.diff")"
diff <(seq 1 "$device_count") <(cut -f1 <<<"$rows" | sort -n) >/dev/null ||
    fail "the index column is not 1..$device_count"
check_burst 0 2 search_hex
note "all $device_count devices shown with their seven texts"

probe click-heading "$LIST" "$IP_COLUMN" >/dev/null || fail "cannot click the IP heading"
check_sorted "$(list_rows "$LIST")" ""
timeout 60 import -window root "$artifacts/search.png" && [ -s "$artifacts/search.png" ] ||
    fail "screenshot failed"
probe click-heading "$LIST" "$IP_COLUMN" >/dev/null || fail "cannot click the IP heading again"
check_sorted "$(list_rows "$LIST")" r
note "a heading click sorts by address up, the next down, numbering 1..n"

probe post "$WM_CLOSE" close || fail "the window did not close on WM_CLOSE"
expect_exit
note "PASS"
