#!/usr/bin/env bash
# End-to-end Wi-Fi page of Search.exe under Wine against the simulator's web servers: opening
# the tab reads the selected device's settings (exact request bytes on the wire), Scan fills
# the network list, the Signal heading sorts it down then up, Select copies SSID and mode,
# Save asks about the restart and OK reboots the device on a second connection while the
# first is open; Cancel sends nothing; a refused, a silent, a keep-open and a 401 device each
# give their message (or none) and the page keeps what it showed; a scan of 400 networks
# keeps every row and sorts them all.
#
# usage: wifi_test.sh SEARCH_EXE WIN_PROBE_EXE DEVSIM DEVICE_FILE
# Runs inside ${SEARCH_NETNS_PREFIX}tool with WINEPREFIX and DISPLAY set; the simulator runs
# in ${SEARCH_NETNS_PREFIX}dev. Exit status 77 (skipped) without them.
set -u -o pipefail
readonly SCAN=1025 SELECT=1027 KEY=1028 SAVE=1030 NETWORKS=1034 WIFI_TAB=1 SIGNAL_COLUMN=2
readonly GOOD=10.77.8.1 REFUSED=10.77.8.2 SILENT=10.77.8.3 KEEP_OPEN=10.77.8.4 DENIED=10.77.8.5
readonly CROWDED=10.77.8.6
readonly NOT_RUNNING='Client is not running!' RECEIVE_TIMEOUT="It's timeout to receive from Server!"
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin e2e_wifi "$@"

# The page's settings, tab-separated: SSID, key, enable, mode, WEP key index, and 1 when the
# WEP key index and its label show.
settings() {
    probe settle field 1019 field 1028 field 1017 field 1021 field 1023 field 1022 | awk -F'\t' '
        { v[$2] = $3; s[$2] = $4 }
        END { print v[1019] "\t" v[1028] "\t" v[1017] "\t" v[1021] "\t" v[1023] "\t" (s[1023] == "shown" && s[1022] == "shown") }'
}
signals() { list_rows "$NETWORKS" | cut -f3 | tr '\n' ' '; }
# A heading click is posted: the list sorts once the page's thread gets to it.
signals_become() {
    local i
    for i in $(seq 1 50); do
        [ "$(signals)" = "$1" ] && return 0
        sleep 0.1
    done
    return 1
}
# Every message box the steps answer, as "text|buttons" lines; the text's CR LF as \x0D\x0A.
boxes() { probe "$@" | awk -F'\t' '$1 == "box" { print $3 "|" $4 }'; }
# The log's escaping: bytes outside '!'..'~', and '%', as %HH.
escape() {
    local LC_ALL=C text=$1 out= i code
    for ((i = 0; i < ${#text}; i++)); do
        printf -v code '%d' "'${text:i:1}"
        if ((code >= 33 && code <= 126 && code != 37)); then out+=${text:i:1}; else printf -v out '%s%%%02X' "$out" "$code"; fi
    done
    printf '%s' "$out"
}
# The request bytes of scan, read and save to $GOOD, from their first line, into $wire
# (printf -v, since a command substitution would drop the closing line feed).
request() {
    printf -v wire '%s\r\nAccept: */*\r\nAccept-Language: zh-cn\r\nReferer: http://%s/Pages/wifi.html\r\nIf-Modified-Since: 0\r\nAccept-Encoding: gzip, deflate\r\nUser-Agent: Vorlu/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; InfoPath.2; .NET CLR 2.0.50727)\r\nHost: %s\r\nConnection: Keep-Alive\r\nAuthorization: Basic Qx7bLm2VtR9kWp4=\r\n\r\n' "$1" "$GOOD" "$GOOD"
}
printf -v reboot_request 'GET /goform/maintenance?cmd=set&restart=yes HTTP/1.1\r\nAccept: image/gif, image/jpeg, image/pjpeg, image/pjpeg, application/x-shockwave-flash, application/x-silverlight, application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*\r\nAccept-Language: zh-cn\r\nUser-Agent: Vorlu/4.0 (compatible; MSIE 8.0; Windows NT 5.1; Trident/4.0; CIBA; .NET CLR 2.0.50727)\r\nAccept-Encoding: gzip, deflate\r\nHost: %s\r\nConnection: Keep-Alive\r\nAuthorization: Basic Qx7bLm2VtR9kWp4=\r\n\r\n' "$GOOD"
# The http log lines of one command, and a field of a log line.
http_lines() { grep "^http .* cmd=$1 " "$work/devsim.log"; }
field() { sed -n "s/.* $1=\([^ ]*\).*/\1/p" <<<"$2"; }
expect_request() {
    [ "$(field request "$(http_lines "$1" | sed -n "${2}p")")" = "$(escape "$3")" ] ||
        fail "$1 request $2 on the wire differs"
}

for a in $(sed -n 's/^[^#]*| *\(10\.77\.8\.[0-9]*\) *|.*/\1/p' "$device_file"); do e2e_add_address "$a"; done
devsim_start "${SEARCH_NETNS_PREFIX}dev" "$work" "$devsim" --devices "$device_file" --restart-ms 1500 \
    --web-behaviour "$GOOD:scan=split,$REFUSED:all=no-listener,$SILENT:all=silent,$KEEP_OPEN:all=keep-open,$DENIED:all=401,$CROWDED:scan=many-networks" ||
    fail "the device simulator did not start"
start_search
probe visible click "$SEARCH_BUTTON" wait-rows "$LIST" 6 >/dev/null || fail "the six devices did not appear"

# Opening the tab reads the settings.
probe select-ip "$GOOD" click-tab "$WIFI_TAB" no-box 0 || fail "reading the settings"
[ "$(settings)" = $'Office\tdevsim-key\t1\t6\t0\t0' ] || fail "after the read: $(settings)"
request 'GET /goform/wireless?cmd=get HTTP/1.1' && expect_request read 1 "$wire"

probe press "$SCAN" no-box 0 || fail "scanning"
[ "$(list_rows "$NETWORKS")" = $'1\tOffice\t72\tWPA2PSK/AES\n2\tWarehouse\t35\tWPAPSK/TKIP\n3\tLobby\t88\tNONE\n4\tLab\t-5\tWEP\n5\tGuest\t50\tWPA1PSKWPA2PSK/TKIPAES' ] ||
    fail "after Scan the list shows:"$'\n'"$(list_rows "$NETWORKS")"
request 'GET /goform/wireless?cmd=search HTTP/1.1' && expect_request scan 1 "$wire"
probe click-heading "$NETWORKS" "$SIGNAL_COLUMN" >/dev/null && signals_become "88 72 50 35 -5 " ||
    fail "first Signal click: $(signals)"
probe click-heading "$NETWORKS" "$SIGNAL_COLUMN" >/dev/null && signals_become "-5 35 50 72 88 " ||
    fail "second Signal click: $(signals)"
note "read and scan byte for byte; the page shows the settings, Signal sorts down, then up"

probe select-row "$NETWORKS" 0 press "$SELECT" >/dev/null || fail "selecting a network"
[ "$(settings)" = $'Lab\tdevsim-key\t1\t2\t0\t1' ] || fail "after Select: $(settings)"

question='Save successful! Changes configuration will take effect on next reboot.\x0D\x0A\x0D\x0AAre you sure want to reboot the device now?'
[ "$(boxes set-text "$KEY" 'p&s=#1 x' press "$SAVE" box ok box ok no-box 0)" = \
    "$question|OK Cancel"$'\n'"Success to reboot the device!|OK" ] || fail "saving"
request 'GET /goform/wireless?cmd=set&enable=1&ssid=Lab&authentication=2&keyindex=0&key=p&s=#1 x HTTP/1.1' && expect_request save 1 "$wire"
expect_request reboot 1 "$reboot_request"
reboot_line=$(http_lines reboot)
[ "$(field open "$reboot_line")" = 2 ] || fail "the save connection was not open during the reboot"
grep -A100 -F "$reboot_line" "$work/devsim.log" | grep -q "^close .* conn=$(field conn "$(http_lines save)")\$" ||
    fail "the save connection closed before the reboot request came"
grep -q "^restart .* device=$GOOD " "$work/devsim.log" || fail "the device did not restart"
note "Select, Save, OK: the reboot came on a second connection while the save's was open"

for i in $(seq 1 100); do grep -q "^restarted .* device=$GOOD" "$work/devsim.log" && break; sleep 0.1; done
probe click-tab "$WIFI_TAB" no-box 0 >/dev/null || fail "reading after the restart"
shown=$(settings)
[ "$shown" = $'Lab\tp&s=#1 x\t1\t2\t0\t1' ] || fail "the read after the save shows $shown"
[ "$(boxes press "$SAVE" box cancel no-box 0)" = "$question|OK Cancel" ] || fail "saving, then Cancel"
[ "$(http_lines save | wc -l)" = 2 ] && [ "$(http_lines reboot | wc -l)" = 1 ] ||
    fail "Cancel: $(http_lines save | wc -l) saves and $(http_lines reboot | wc -l) reboots on the wire"
note "the next read shows the saved settings; Cancel sent no reboot"

# Failures: each device's message (or none), and the page as it was.
expect_failure() {
    local device=$1 expected=$2
    shift 2
    [ "$(boxes select-ip "$device" "$@" no-box 0 | cut -d'|' -f1)" = "$expected" ] ||
        fail "$device: the messages differ"
    [ "$(settings)" = "$shown" ] || fail "$device: the page changed to $(settings)"
}
expect_failure "$REFUSED" "$NOT_RUNNING"$'\n'"$NOT_RUNNING" click-tab "$WIFI_TAB" box ok press "$SCAN" box ok
expect_failure "$SILENT" "$RECEIVE_TIMEOUT" click-tab "$WIFI_TAB" box ok
expect_failure "$KEEP_OPEN" "$RECEIVE_TIMEOUT" click-tab "$WIFI_TAB" box ok
expect_failure "$DENIED" $'Get SSID failed!\nSet Wifi failed!' click-tab "$WIFI_TAB" no-box 0 \
    press "$SCAN" box ok press "$SAVE" box ok
note "refused, silent, keep-open and 401 devices gave their messages; the page kept what it showed"

# More networks than the page once had signal slots for: every row keeps its signal.
probe select-ip "$CROWDED" press "$SCAN" no-box 0 click-heading "$NETWORKS" "$SIGNAL_COLUMN" >/dev/null ||
    fail "scanning 400 networks"
[ "$(list_rows "$NETWORKS" | wc -l)" = 400 ] && list_rows "$NETWORKS" | cut -f3 | sort -c -rn ||
    fail "400 networks: not 400 rows in descending signal order"
note "a scan of 400 networks shows 400 rows, sorted by signal"

timeout 60 import -window root "$artifacts/wifi.png" 2>/dev/null
probe post "$WM_CLOSE" close >/dev/null || fail "the window did not close"
expect_exit
note "PASS"
