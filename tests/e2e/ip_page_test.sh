#!/usr/bin/env bash
# The IP page over the tool's two interfaces: a row click shows Original IP; Modify IP with an
# empty gateway fills it in, sends four datagrams byte for byte and no search, and the device
# answers at its new address; a .0 address and a gateway elsewhere (Cancel) send nothing; Use
# DHCP disables the fields and moves the device; Ping tells a used and (after ~2 s) a free address,
# Enter on the focused Ping button as a click does.
set -u
readonly MODIFY_IP=1004 NEW_IP=1005 MASK=1006 GATEWAY=1007 ORIGINAL_IP=1008 USE_DHCP=1009 PING=1010
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin e2e_ip_page "$@"

# Rows without their index, sorted (places may change); a search's rows, steady a second after.
row_set() { cut -f2- <<<"$1" | LC_ALL=C sort; }
search_rows() {
    probe press "$SEARCH_BUTTON" wait-rows "$LIST" 3 stay 1000 >/dev/null && list_rows "$LIST" || fail "the search failed"
}

e2e_devsim --dhcp-base 10.77.3.10
start_search
rows=$(search_rows) || fail "the first search"
probe click-row "$LIST" "$(row_of 10.77.0.42)" wait-field "$ORIGINAL_IP" 10.77.0.42 >/dev/null || fail "Original IP"

mark=$(wc -l <"$work/devsim.log")
probe set-address "$NEW_IP" 10.77.1.50 set-address "$GATEWAY" empty press "$MODIFY_IP" stay 1500 \
    wait-field "$GATEWAY" 10.77.1.1 >/dev/null || fail "Modify IP"
tail -n +$((mark + 1)) "$work/devsim.log" | grep -q '^rx .* cmd=2 ' && fail "Modify IP started a search"
check_burst "$mark" 3 modify
[ "$(list_rows "$LIST")" = "$rows" ] || fail "Modify IP changed the list"
diff <(row_set "${rows//10.77.0.42/10.77.1.50}") <(row_set "$(search_rows)") || fail "rows after Modify IP"

mark=$(wc -l <"$work/devsim.log")
expect_box "Invalidate IP address" OK 0 set-address "$NEW_IP" 10.77.1.0 press "$MODIFY_IP" box ok
expect_box "IP address and gate way are not in the same network segment! are you sure modify?" "OK Cancel" 0 \
    set-address "$NEW_IP" 10.77.1.60 set-address "$GATEWAY" 10.77.2.1 press "$MODIFY_IP" box cancel stay 1000
[ "$(wc -l <"$work/devsim.log")" -eq "$mark" ] || fail "a refused Modify IP sent datagrams"

rows=$(list_rows "$LIST")
probe click-row "$LIST" "$(row_of 10.77.0.43)" wait-field "$ORIGINAL_IP" 10.77.0.43 press "$USE_DHCP" \
    wait-field "$NEW_IP" "10.77.1.60 disabled" wait-field "$MASK" "255.255.255.0 disabled" \
    wait-field "$GATEWAY" "10.77.2.1 disabled" >/dev/null || fail "Use DHCP"
mark=$(wc -l <"$work/devsim.log")
probe press "$MODIFY_IP" stay 1500 >/dev/null || fail "Modify IP with DHCP showed a box"
check_burst "$mark" 3 dhcp
diff <(row_set "${rows//10.77.0.43/10.77.3.10}") <(row_set "$(search_rows)") || fail "rows after the DHCP change"

e2e_add_address 10.77.1.50
probe press "$USE_DHCP" wait-field "$NEW_IP" 10.77.1.60 >/dev/null || fail "Use DHCP off"
# Shift+Tab from the list, the window's first tab stop, wraps round to the page's last: Ping.
probe set-address "$NEW_IP" 10.77.1.50 click-row "$LIST" 0 >/dev/null && xdotool key shift+Tab Return || fail "Enter on Ping"
expect_box "Warnning!! This IP address is  existend!" OK 0 box ok
expect_box "This IP address is available!" OK 1800 set-address "$NEW_IP" 10.77.9.9 press "$PING" box ok
probe post "$WM_CLOSE" close >/dev/null || fail "the window did not close on WM_CLOSE"
expect_exit
echo "e2e_ip_page: PASS"
