#!/usr/bin/env bash
# End-to-end search of Search.exe under Wine against the device simulator: after a click on
# "Search" every device of the sample file that the tool knows appears once with all seven
# texts, a click on the IP heading sorts the rows by address (again: the other way round) and
# renumbers them, and a screenshot of the result is left in $SEARCH_ARTIFACTS/search.png.
#
# usage: search_test.sh SEARCH_EXE WIN_PROBE_EXE DEVSIM DEVICE_FILE
# Runs inside ${SEARCH_NETNS_PREFIX}tool with WINEPREFIX (booted there) and DISPLAY set; the
# simulator runs in ${SEARCH_NETNS_PREFIX}dev. Exit status 77 (skipped) without the run's
# namespaces or without a simulator.
set -u

readonly WM_CLOSE=16 LIST=1000 SEARCH_BUTTON=1001 IP_COLUMN=3

source "$(dirname "$0")/e2e_lib.sh"
e2e_begin_with_devices e2e_search "$@"

# ParseIPv4Text for well-formed dotted text: the four decimal groups as one number.
ip_value() {
    local IFS=.
    local -a o
    read -r -a o <<<"$1"
    echo $(((10#${o[0]} & 255) << 24 | (10#${o[1]} & 255) << 16 | (10#${o[2]} & 255) << 8 |
        (10#${o[3]} & 255)))
}


# The list's rows as the probe prints them, without the "row" marker.
list_rows() {
    probe --list-rows "$LIST" >"$work/probe.out" || return 1
    tr -d '\r' <"$work/probe.out" | sed -n 's/^row\t//p'
}

# Checks that the rows in $1 stand in address order ($2: "ascending" or "descending") and
# that the index column counts 1..n from the top.
check_sorted() {
    local rows=$1 direction=$2 previous= i=0 index ip value
    # Tab is a blank to read, so runs of tabs (empty texts) would merge: cut picks the columns.
    while IFS=' ' read -r index ip; do
        i=$((i + 1))
        [ "$index" = "$i" ] || fail "$direction: row $i shows index '$index'"
        value=$(ip_value "$ip")
        if [ -n "$previous" ]; then
            if [ "$direction" = ascending ]; then
                [ "$value" -ge "$previous" ] || fail "$direction: $ip at row $i is out of order"
            else
                [ "$value" -le "$previous" ] || fail "$direction: $ip at row $i is out of order"
            fi
        fi
        previous=$value
    done < <(cut -f1,4 <<<"$rows" | tr '\t' ' ')
    note "rows sorted by address, $direction, index 1..$i"
}

expected=$(expected_rows "$device_file") || fail "cannot read $device_file"
device_count=$(grep -c . <<<"$expected")
note "the device file implies $device_count rows"

devsim_start "${SEARCH_NETNS_PREFIX}dev" "$work" "$devsim" --devices "$device_file" ||
    fail "the device simulator did not start"

start_search

probe --wait-visible --click "$SEARCH_BUTTON" --wait-rows "$LIST" "$device_count" ||
    fail "the devices did not all appear"
# Late or repeated answers must not add rows: the list holds still for a while.
probe --expect-stay 1500 || fail "the window did not stay open"
rows=$(list_rows) || fail "cannot read the rows"
[ "$(grep -c . <<<"$rows")" -eq "$device_count" ] ||
    fail "$(grep -c . <<<"$rows") rows, expected $device_count:"$'\n'"$rows"

# Arrival order decides the index, so compare the other six texts as sets and the indexes
# as 1..n.
if ! diff <(LC_ALL=C sort <<<"$expected") <(cut -f2- <<<"$rows" | LC_ALL=C sort) \
    >"$work/rows.diff"; then
    fail "rows differ from the device file (< expected, > shown):"$'\n'"$(cat "$work/rows.diff")"
fi
diff <(seq 1 "$device_count") <(cut -f1 <<<"$rows" | sort -n) >/dev/null ||
    fail "the index column is not 1..$device_count: $(cut -f1 <<<"$rows" | tr '\n' ' ')"
note "all $device_count devices shown with their seven texts"

requests=$(grep -c '^rx .*cmd=2' "$work/devsim.log")
[ "$requests" -eq 4 ] ||
    fail "the simulator saw $requests search requests, expected 4 (two per local address)"

probe --click-heading "$LIST" "$IP_COLUMN" || fail "cannot click the IP heading"
check_sorted "$(list_rows)" ascending
shot="$artifacts/search.png"
rm -f "$shot"
timeout 60 import -window root "$shot" || fail "screenshot failed"
[ -s "$shot" ] || fail "no screenshot at $shot"
note "screenshot $shot"
probe --click-heading "$LIST" "$IP_COLUMN" || fail "cannot click the IP heading again"
check_sorted "$(list_rows)" descending

probe --post "$WM_CLOSE" --expect-close || fail "the window did not close on WM_CLOSE"
expect_exit

note "PASS"
