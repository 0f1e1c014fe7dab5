#!/usr/bin/env bash
# Search among the sample's devices and a hostile crowd: the simulator injects every faulty
# datagram it knows into every burst and answers both interfaces together. Every good device
# and acceptable injected one (hostile_rows.txt) is listed once; what the rules drop makes no row;
# the rest is bounded junk (random bodies claiming DVS, cuts of the every-length reply). Twice.
set -u
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin e2e_hostile "$@"
named=$(grep -hv '^#' "$e2e_dir/sample_rows.txt" "$e2e_dir/hostile_rows.txt")

# Checks the rows of one search; prints how many there are.
check_rows() {
    local rows texts line junk
    probe wait-rows "$LIST" "$(grep -c . <<<"$named")" stay 2000 >/dev/null && rows=$(list_rows "$LIST") || fail "too few rows"
    texts=$(cut -f2- <<<"$rows")
    diff <(seq 1 "$(grep -c . <<<"$rows")") <(cut -f1 <<<"$rows" | sort -n) >/dev/null || fail "not numbered 1..n"
    while IFS= read -r line; do
        [ "$(grep -cxF -- "$line" <<<"$texts")" -eq 1 ] || fail "not exactly one row: $line"
    done <<<"$named"
    junk=$(grep -vxF -f <(echo "$named") <<<"$texts")
    grep -Ev $'^(DVS.*|IPCAMERA .*\t02:EE:00:00:00:0B)$' <<<"$junk" | grep . && fail "rows nobody should have made"
    [ "$(grep -c '^DVS' <<<"$junk")" -le 8 ] && [ "$(grep -c '^IPCAMERA' <<<"$junk")" -le 12 ] &&
        ! grep -q $'\tduplicate of ' <<<"$junk" || fail "too much junk:"$'\n'"$junk"
    grep -c . <<<"$rows"
}

e2e_devsim --inject all --gather-ms 300
start_search
probe press "$SEARCH_BUTTON" >/dev/null && first=$(check_rows) || fail "the first search"
probe press "$SEARCH_BUTTON" >/dev/null && second=$(check_rows) || fail "the second search"
[ "$second" -eq "$first" ] || fail "the second search shows $second rows, the first $first"
probe post "$WM_CLOSE" close >/dev/null || fail "the window did not close on WM_CLOSE"
expect_exit
echo "e2e_hostile: PASS: $first rows each time"
