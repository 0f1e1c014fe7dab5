#!/usr/bin/env bash
# Search among the sample's devices: multicast then broadcast from each local address (byte for
# byte), every device the tool knows listed once with its texts and nothing more a while later;
# a click on the IP heading sorts by address, the next one back, numbering 1..n. Screenshot left.
set -u
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin e2e_search "$@"

# The rows $1 stand in address order (sort's option $2: "" or "r"), numbered 1..n from the top.
check_sorted() {
    diff <(seq 1 "$(grep -c . <<<"$1")") <(cut -f1 <<<"$1") >/dev/null || fail "not numbered 1..n:"$'\n'"$1"
    cut -f4 <<<"$1" | sort -c -s -t. -k1,1n$2 -k2,2n$2 -k3,3n$2 -k4,4n$2 || fail "not sorted ($2):"$'\n'"$1"
}

expected=$(grep -v '^#' "$e2e_dir/sample_rows.txt")
e2e_devsim
start_search
probe stay 0 press "$SEARCH_BUTTON" wait-rows "$LIST" "$(grep -c . <<<"$expected")" stay 1500 >/dev/null ||
    fail "the devices did not all appear"
# Arrival order decides the index, so the other six texts are compared as a set.
diff <(echo "$expected") <(list_rows "$LIST" | cut -f2- | LC_ALL=C sort) || fail "rows differ (< expected, > shown)"
check_burst 0 2 search

probe click-item "$LIST" "$IP_COLUMN" >/dev/null && check_sorted "$(list_rows "$LIST")" "" || fail "the IP heading"
timeout 60 import -window root "$artifacts/search.png" || fail "screenshot failed"
probe click-item "$LIST" "$IP_COLUMN" >/dev/null && check_sorted "$(list_rows "$LIST")" r || fail "the IP heading again"
probe post "$WM_CLOSE" close >/dev/null || fail "the window did not close on WM_CLOSE"
expect_exit
echo "e2e_search: PASS"
