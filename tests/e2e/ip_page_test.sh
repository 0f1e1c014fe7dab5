#!/usr/bin/env bash
# The IP page over the tool's two interfaces: a row click shows Original IP; Modify IP with an
# empty gateway fills it in, sends four datagrams byte for byte and no search, and the device
# answers at its new address; a .0 address and a gateway elsewhere (Cancel) send nothing; Use
# DHCP disables the fields and moves the device; Ping tells a used and (after ~2 s) a free address,
# Enter on the focused Ping button as a click does. Three devices on one address make one row
# whose info tip names them; a person's click on Modify IP there asks first, Cancel sends nothing
# and OK sends the change once, which all three take; with Use DHCP it sends without asking.
set -u
readonly MODIFY_IP=1004 NEW_IP=1005 MASK=1006 GATEWAY=1007 ORIGINAL_IP=1008 USE_DHCP=1009 PING=1010
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin e2e_ip_page "$@"

# Rows without their index, sorted (places may change); a search's rows, steady a second after.
row_set() { cut -f2- <<<"$1" | LC_ALL=C sort; }
search_rows() {
    probe press "$SEARCH_BUTTON" wait-rows "$LIST" 4 stay 1000 >/dev/null && list_rows "$LIST" || fail "the search failed"
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

# Info tips, from buffers of 1024 and 20 characters; a row of one device keeps the list's "-".
macs='02:4B:00:00:07:11, 02:4B:00:00:07:12, 02:4B:00:00:07:13'
tips=$(probe info-tip "$LIST" "$(row_of 10.77.0.64)" 1024 info-tip "$LIST" "$(row_of 10.77.0.64)" 20 \
    info-tip "$LIST" "$(row_of 10.77.0.41)" 1024 | cut -f2) || fail "asking for info tips"
[ "$tips" = "3 devices answer from 10.77.0.64: $macs"$'\n'"3 devices answer fr"$'\n-' ] || fail "info tips: $tips"
question='3 devices answer from 10.77.0.64. All of them will take the new address. To give each its own address, switch them to DHCP first.'
probe click-row "$LIST" "$(row_of 10.77.0.64)" wait-field "$ORIGINAL_IP" 10.77.0.64 set-address "$NEW_IP" 10.77.1.64 \
    set-address "$GATEWAY" empty >/dev/null || fail "choosing the shared address"
click_modify_ip() { xdotool mousemove $(probe point "$MODIFY_IP" | cut -f2,3) click 1 || fail "clicking Modify IP"; }
mark=$(wc -l <"$work/devsim.log")
click_modify_ip && expect_box "$question" "OK Cancel" 0 box cancel
click_modify_ip && expect_box "$question" "OK Cancel" 0 box ok stay 0
# The four copies' log lines: three devices took the first, the others found none at the target.
wait_log '^addr .* target=10.77.0.64 ' 6 && check_burst "$mark" 3 shared
[ "$(grep -c '^addr .* target=10.77.0.64 result=applied mode=static ip=10.77.1.64 ' "$work/devsim.log")" = 3 ] ||
    fail "not all three devices took the new address"
# A question would hold the request back until answered, and nobody answers one here.
probe press "$USE_DHCP" press "$MODIFY_IP" >/dev/null && wait_log '^addr .* target=10.77.0.64 ' 10 ||
    fail "Modify IP with DHCP on the shared address"
probe post "$WM_CLOSE" close >/dev/null || fail "the window did not close on WM_CLOSE"
expect_exit
echo "e2e_ip_page: PASS"
