#!/usr/bin/env bash
# The Wi-Fi page against the simulator's web servers, each request byte for byte: a person's
# click on the Wi-Fi tab shows the page and reads the settings once, the arrow keys switch the
# pages and Right reads again; Scan lists the networks, Signal sorts down then up, Select and
# Save, whose OK reboots the device on a second connection while the first is open; the next read
# shows what was saved and Cancel sends no reboot; refused, silent, keep-open and 401 devices give
# their messages and leave the page as it was; a scan of 400 networks keeps every row.
set -u
readonly MODIFY_IP=1004 SCAN=1025 SELECT=1027 KEY=1028 SAVE=1030 TABS=1031 NETWORKS=1034 WIFI_TAB=1 SIGNAL_COLUMN=2
readonly GOOD=10.77.8.1 NOT_RUNNING='Client is not running!' TIMEOUT="It's timeout to receive from Server!"
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin e2e_wifi "$@"

# SSID, key, enable, mode, WEP key index, and whether the key index shows, tab-separated.
settings() { probe stay 0 field 1019 field 1028 field 1017 field 1021 field 1023 | cut -f3,4 | paste -sd'\t' | cut -f1,3,5,7,9,10; }
signals() { list_rows "$NETWORKS" | cut -f3 | tr '\n' ' '; }
# Every message box the steps answer, as "text|buttons" lines.
boxes() { probe "$@" | awk -F'\t' '$1 == "box" { print $3 "|" $4 }'; }
http_line() { grep "^http .* cmd=$1 " "$work/devsim.log" | sed -n "${2}p"; }
field() { sed -n "s/.* $1=\([^ ]*\).*/\1/p" <<<"$2"; }
expect_request() { [ "$(field request "$(http_line "$1" "$2")")" = "$(wire "$1")" ] || fail "$1 request $2 differs"; }
reads() { grep -c "^http .* cmd=read " "$work/devsim.log"; }
# A person's click on the Wi-Fi tab: the X pointer onto its visible centre, then the button.
click_wifi_tab() { xdotool mousemove $(probe tab-point "$TABS" "$WIFI_TAB" | cut -f2,3) click 1 || fail "clicking the Wi-Fi tab"; }

for a in 10.77.8.{1..6}; do e2e_add_address "$a"; done
e2e_devsim --restart-ms 1500 --web-behaviour "$GOOD:scan=split,10.77.8.2:all=no-listener,10.77.8.3:all=silent,10.77.8.4:all=keep-open,10.77.8.5:all=401,10.77.8.6:scan=many-networks"
start_search
probe stay 0 press "$SEARCH_BUTTON" wait-rows "$LIST" 6 >/dev/null && probe click-row "$LIST" "$(row_of $GOOD)" >/dev/null &&
    click_wifi_tab && wait_log "cmd=read " 1 && probe wait-field "$SAVE" 0 >/dev/null || fail "reading the settings"
[ "$(settings)" = $'Office\tdevsim-key\t1\t6\t0\thidden' ] || fail "after the read: $(settings)"
# The keys reach the strip after the click's release, so any second read of the click is logged.
xdotool key Left && probe wait-field "$MODIFY_IP" 0 wait-field "$SAVE" '0 hidden' >/dev/null || fail "Left did not show the IP page"
[ "$(reads)" = 1 ] || fail "one click on the Wi-Fi tab read $(reads) times"
xdotool key Right && wait_log "cmd=read " 2 && probe wait-field "$SAVE" 0 >/dev/null || fail "Right did not show and read the Wi-Fi page"
expect_request read 1 && probe press "$SCAN" stay 0 >/dev/null || fail "scanning"
[ "$(list_rows "$NETWORKS")" = $'1\tOffice\t72\tWPA2PSK/AES\n2\tWarehouse\t35\tWPAPSK/TKIP\n3\tLobby\t88\tNONE\n4\tLab\t-5\tWEP\n5\tGuest\t50\tWPA1PSKWPA2PSK/TKIPAES' ] ||
    fail "after Scan the list shows:"$'\n'"$(list_rows "$NETWORKS")"
expect_request scan 1 && probe click-item "$NETWORKS" "$SIGNAL_COLUMN" stay 0 >/dev/null && [ "$(signals)" = "88 72 50 35 -5 " ] ||
    fail "Signal down: $(signals)"
probe click-item "$NETWORKS" "$SIGNAL_COLUMN" stay 0 >/dev/null && [ "$(signals)" = "-5 35 50 72 88 " ] || fail "Signal up: $(signals)"

probe click-row "$NETWORKS" 0 press "$SELECT" >/dev/null || fail "selecting a network"
question='Save successful! Changes configuration will take effect on next reboot.\x0D\x0A\x0D\x0AAre you sure want to reboot the device now?'
[ "$(boxes set-text "$KEY" 'p&s=#1 x' press "$SAVE" box ok box ok stay 0)" = \
    "$question|OK Cancel"$'\n'"Success to reboot the device!|OK" ] || fail "saving"
expect_request save 1 && expect_request reboot 1
[ "$(field open "$(http_line reboot 1)")" = 2 ] || fail "the save connection was not open during the reboot"
grep -A100 -F "$(http_line reboot 1)" "$work/devsim.log" | grep -q "^close .* conn=$(field conn "$(http_line save 1)")\$" ||
    fail "the save connection closed before the reboot request came"
# A click on the current tab reads again, once the device is back.
wait_log "^restarted .* device=$GOOD" 1 && click_wifi_tab && wait_log "cmd=read " 3 || fail "reading after the restart"
shown=$(settings) && [ "$shown" = $'Lab\tp&s=#1 x\t1\t2\t0\tshown' ] || fail "the read after the save shows $shown"
[ "$(boxes press "$SAVE" box cancel stay 0)" = "$question|OK Cancel" ] && [ -n "$(http_line save 2)" ] &&
    [ -z "$(http_line save 3)$(http_line reboot 2)" ] || fail "Cancel: a reboot was sent"

# Failures: a click on the Wi-Fi tab with device $1 selected, then the steps ${@:3}, give the
# messages $2, and the page stays as it was.
expect_failure() {
    probe click-row "$LIST" "$(row_of "$1")" >/dev/null && click_wifi_tab || fail "$1: reading"
    [ "$(boxes "${@:3}" stay 0 | cut -d'|' -f1)" = "$2" ] || fail "$1: the messages differ"
    [ "$(settings)" = "$shown" ] || fail "$1: the page changed to $(settings)"
}
expect_failure 10.77.8.2 "$NOT_RUNNING"$'\n'"$NOT_RUNNING" box ok press "$SCAN" box ok
expect_failure 10.77.8.3 "$TIMEOUT" box ok
expect_failure 10.77.8.4 "$TIMEOUT" box ok
expect_failure 10.77.8.5 $'Get SSID failed!\nSet Wifi failed!' press "$SCAN" box ok press "$SAVE" box ok

probe click-row "$LIST" "$(row_of 10.77.8.6)" press "$SCAN" stay 0 click-item "$NETWORKS" "$SIGNAL_COLUMN" >/dev/null || fail "scanning 400 networks"
signals=$(list_rows "$NETWORKS" | cut -f3)
[ "$(wc -l <<<"$signals")" = 400 ] && sort -c -rn <<<"$signals" || fail "400 networks: not 400 rows sorted"
probe post "$WM_CLOSE" close >/dev/null || fail "the window did not close"
expect_exit
[ "$(reads)" = 6 ] || fail "six reads expected, one per click or key, the refused device's aside; $(reads) logged"
echo "e2e_wifi: PASS"
