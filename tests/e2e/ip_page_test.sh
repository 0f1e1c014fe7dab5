#!/usr/bin/env bash
# End-to-end workflow of the IP configuration page: Search.exe under Wine on a short screen
# (1280x640, a laptop's) against the device simulator, over the tool side's two interfaces.
#   - the window lies inside the screen with its caption and list headings, and a heading
#     click sorts;
#   - a row click shows the row's address as Original IP;
#   - Modify IP with a new address and an empty gateway fills the gateway in, sends four
#     address-change datagrams (multicast then broadcast from each local address, about 50 ms
#     apart) with the exact bytes, shows nothing, starts no search, and the next search lists
#     the device at its new address with everything else unchanged;
#   - an address ending in .0 gives text 138 and a gateway in another /24 text 137; neither
#     that box nor the Cancel of the question sends anything;
#   - Use DHCP disables the three fields and sends the DHCP request; the device then answers
#     from its DHCP address;
#   - Ping of an address that answers gives text 136, of an unused one text 135 after ~2 s.
#
# usage: ip_page_test.sh SEARCH_EXE WIN_PROBE_EXE DEVSIM DEVICE_FILE
# Runs inside ${SEARCH_NETNS_PREFIX}tool (the simulator goes to ${SEARCH_NETNS_PREFIX}dev) and
# starts its own virtual display and Wine prefix for the short screen. Exit status 77
# (skipped) without the run's namespaces or without a simulator.
set -u
readonly MODIFY_IP=1004 NEW_IP=1005 MASK=1006 GATEWAY=1007 ORIGINAL_IP=1008 USE_DHCP=1009 \
    PING=1010
readonly DHCP_BASE=10.77.3.10 PINGED=10.77.1.50 UNUSED=10.77.9.9
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin e2e_ip_page "$@"

row_of() { awk -F'\t' -v ip="$1" '$4 == ip { print NR - 1 }' <<<"$2"; }
# Columns 1 to 6 (all but the index) of every row, sorted: a row's place may change.
row_set() { cut -f2- <<<"$1" | LC_ALL=C sort; }

# The bytes of an address-change request: marker, command 3, four 48-byte address texts, 48
# reserved bytes and the DHCP flag, whatever the source.
change_hex() {
    local text
    {
        printf 'quarnelvist\0\3'
        for text in "$1" "$2" "$3" "$4" ''; do
            printf '%s' "$text"
            head -c $((48 - ${#text})) /dev/zero
        done
        printf "\\$5"
    } | datagram_hex
}
new_address_hex() { change_hex 10.77.0.42 10.77.1.50 255.255.255.0 10.77.1.1 0; }
dhcp_hex() { change_hex 10.77.0.43 '' '' '' 1; }
count_changes() { grep -c '^rx .* cmd=3 ' "$work/devsim.log"; }
# A search, and the rows it leaves: none may come or go in the second after.
search_rows() {
    probe click "$SEARCH_BUTTON" wait-rows "$LIST" 3 stay 1000 >/dev/null || fail "the search failed"
    list_rows "$LIST" || fail "cannot read the rows"
}

e2e_own_screen 1280x640
devsim_start "${SEARCH_NETNS_PREFIX}dev" "$work" "$devsim" --devices "$device_file" \
    --dhcp-base "$DHCP_BASE" || fail "the device simulator did not start"
start_search

probe visible on-screen "$LIST" || fail "the window does not fit the short screen"
search_rows >/dev/null
probe click-heading "$LIST" "$IP_COLUMN" >/dev/null || fail "the heading click failed"
rows=$(list_rows "$LIST")
[ "$(cut -f4 <<<"$rows" | tr '\n' ' ')" = "10.77.0.41 10.77.0.42 10.77.0.43 " ] ||
    fail "the heading click did not sort by address:"$'\n'"$rows"
probe click-row "$LIST" "$(row_of 10.77.0.42 "$rows")" wait-field "$ORIGINAL_IP" 10.77.0.42 ||
    fail "a row click did not show the row's address as Original IP"

# Modify IP: the empty gateway is filled in and shown, four datagrams go out, nothing is shown.
mark=$(wc -l <"$work/devsim.log")
probe set-address "$NEW_IP" 10.77.1.50 set-address "$GATEWAY" empty press "$MODIFY_IP" \
    no-box 1500 wait-field "$GATEWAY" 10.77.1.1 || fail "Modify IP"
! tail -n +$((mark + 1)) "$work/devsim.log" | grep -q '^rx .* cmd=2 ' || fail "Modify IP started a search"
check_burst "$mark" 3 new_address_hex
results=$(tail -n +$((mark + 1)) "$work/devsim.log" | sed -n 's/^addr .* result=\([a-z]*\).*/\1/p' | tr '\n' ' ')
[ "$results" = "applied ignored ignored ignored " ] || fail "the simulator's outcomes: $results"
timeout 60 import -window root "$artifacts/ip_page.png"
[ "$(list_rows "$LIST")" = "$rows" ] || fail "Modify IP changed the list"
diff <(row_set "${rows//10.77.0.42/10.77.1.50}") <(row_set "$(search_rows)") ||
    fail "rows after Modify IP (< expected, > shown)"
note "Modify IP: four datagrams byte for byte; the device answers at 10.77.1.50, the rest unchanged"

# Refusals send nothing: .0, then the Cancel of the gateway question.
mark=$(count_changes)
out=$(probe set-address "$NEW_IP" 10.77.1.0 press "$MODIFY_IP" box ok) || fail "text 138"
check_box "$out" "Invalidate IP address" OK 0 5000
out=$(probe set-address "$NEW_IP" 10.77.1.60 set-address "$GATEWAY" 10.77.2.1 press "$MODIFY_IP" \
    box cancel stay 1000) || fail "text 137"
check_box "$out" "IP address and gate way are not in the same network segment! are you sure modify?" \
    "OK Cancel" 0 5000
[ "$(count_changes)" -eq "$mark" ] || fail "a refused Modify IP sent datagrams"

# Use DHCP: the fields are disabled and the request carries only the target and the flag.
rows=$(list_rows "$LIST")
probe click-row "$LIST" "$(row_of 10.77.0.43 "$rows")" wait-field "$ORIGINAL_IP" 10.77.0.43 \
    click "$USE_DHCP" wait-field "$NEW_IP" "10.77.1.60 disabled" \
    wait-field "$MASK" "255.255.255.0 disabled" wait-field "$GATEWAY" "10.77.2.1 disabled" ||
    fail "Use DHCP"
mark=$(wc -l <"$work/devsim.log")
probe press "$MODIFY_IP" no-box 1500 || fail "Modify IP with DHCP showed a box"
check_burst "$mark" 3 dhcp_hex
diff <(row_set "${rows//10.77.0.43/$DHCP_BASE}") <(row_set "$(search_rows)") ||
    fail "rows after the DHCP change (< expected, > shown)"
note "Use DHCP: the request on the wire; the device answers from $DHCP_BASE"

# Ping: the changed device now answers at its address; nobody owns the other one.
e2e_add_address "$PINGED"
probe click "$USE_DHCP" wait-field "$NEW_IP" 10.77.1.60 || fail "Use DHCP off"
out=$(probe set-address "$NEW_IP" "$PINGED" press "$PING" box ok) || fail "Ping $PINGED"
check_box "$out" "Warnning!! This IP address is  existend!" OK 0 1500
out=$(probe set-address "$NEW_IP" "$UNUSED" press "$PING" box ok) || fail "Ping $UNUSED"
check_box "$out" "This IP address is available!" OK 1800 4000

probe post "$WM_CLOSE" close || fail "the window did not close on WM_CLOSE"
expect_exit
note "PASS"
