#!/usr/bin/env bash
# The IP page against the simulator over the tool's two interfaces: a row click shows its address
# as Original IP; Modify IP with an empty gateway fills it in, sends four datagrams byte for byte
# and no search, and the next search lists the device at its new address; a .0 address and a
# gateway in another /24 (Cancel) send nothing; Use DHCP disables the fields and moves the device
# to its DHCP address; Ping tells a used address at once and a free one after about 2 s.
# usage: ip_page_test.sh SEARCH_EXE WIN_PROBE_EXE DEVSIM DEVICE_FILE (as search_test.sh)
set -u
readonly MODIFY_IP=1004 NEW_IP=1005 MASK=1006 GATEWAY=1007 ORIGINAL_IP=1008 USE_DHCP=1009 PING=1010
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin e2e_ip_page "$@"

# Columns 2 to 7 of the rows $1, sorted: a row's place may change.
row_set() { cut -f2- <<<"$1" | LC_ALL=C sort; }
# A search: the rows it leaves, and none may come or go in the second after.
search_rows() {
    probe press "$SEARCH_BUTTON" wait-rows "$LIST" 3 stay 1000 >/dev/null && list_rows "$LIST" || fail "the search failed"
}

e2e_devsim --dhcp-base 10.77.3.10
start_search
probe visible >/dev/null && search_rows >/dev/null && probe click-item "$LIST" "$IP_COLUMN" >/dev/null || fail "search and sort"
rows=$(list_rows "$LIST")
[ "$(cut -f4 <<<"$rows" | tr '\n' ' ')" = "10.77.0.41 10.77.0.42 10.77.0.43 " ] || fail "not sorted by address: $rows"
probe click-row "$LIST" "$(row_of 10.77.0.42)" wait-field "$ORIGINAL_IP" 10.77.0.42 >/dev/null || fail "Original IP"

mark=$(log_lines)
probe set-address "$NEW_IP" 10.77.1.50 set-address "$GATEWAY" empty press "$MODIFY_IP" stay 1500 \
    wait-field "$GATEWAY" 10.77.1.1 >/dev/null || fail "Modify IP"
tail -n +$((mark + 1)) "$work/devsim.log" | grep -q '^rx .* cmd=2 ' && fail "Modify IP started a search"
check_burst "$mark" 3 modify
results=$(tail -n +$((mark + 1)) "$work/devsim.log" | sed -n 's/^addr .* result=\([a-z]*\).*/\1/p' | tr '\n' ' ')
[ "$results" = "applied ignored ignored ignored " ] || fail "the simulator's outcomes: $results"
timeout 60 import -window root "$artifacts/ip_page.png"
[ "$(list_rows "$LIST")" = "$rows" ] || fail "Modify IP changed the list"
diff <(row_set "${rows//10.77.0.42/10.77.1.50}") <(row_set "$(search_rows)") || fail "rows after Modify IP"

mark=$(log_lines)
out=$(probe set-address "$NEW_IP" 10.77.1.0 press "$MODIFY_IP" box ok) || fail "Modify IP to .0"
check_box "$out" "Invalidate IP address" OK 0 5000
out=$(probe set-address "$NEW_IP" 10.77.1.60 set-address "$GATEWAY" 10.77.2.1 press "$MODIFY_IP" box cancel stay 1000) ||
    fail "Modify IP with a gateway elsewhere"
check_box "$out" "IP address and gate way are not in the same network segment! are you sure modify?" "OK Cancel" 0 5000
[ "$(log_lines)" -eq "$mark" ] || fail "a refused Modify IP sent datagrams"

rows=$(list_rows "$LIST")
probe click-row "$LIST" "$(row_of 10.77.0.43)" wait-field "$ORIGINAL_IP" 10.77.0.43 press "$USE_DHCP" \
    wait-field "$NEW_IP" "10.77.1.60 disabled" wait-field "$MASK" "255.255.255.0 disabled" \
    wait-field "$GATEWAY" "10.77.2.1 disabled" >/dev/null || fail "Use DHCP"
mark=$(log_lines)
probe press "$MODIFY_IP" stay 1500 >/dev/null || fail "Modify IP with DHCP showed a box"
check_burst "$mark" 3 dhcp
diff <(row_set "${rows//10.77.0.43/10.77.3.10}") <(row_set "$(search_rows)") || fail "rows after the DHCP change"

e2e_add_address 10.77.1.50
probe press "$USE_DHCP" wait-field "$NEW_IP" 10.77.1.60 >/dev/null || fail "Use DHCP off"
out=$(probe set-address "$NEW_IP" 10.77.1.50 press "$PING" box ok) || fail "Ping 10.77.1.50"
check_box "$out" "Warnning!! This IP address is  existend!" OK 0 1500
out=$(probe set-address "$NEW_IP" 10.77.9.9 press "$PING" box ok) || fail "Ping 10.77.9.9"
check_box "$out" "This IP address is available!" OK 1800 4000
probe post "$WM_CLOSE" close >/dev/null || fail "the window did not close on WM_CLOSE"
expect_exit
echo "e2e_ip_page: PASS"
