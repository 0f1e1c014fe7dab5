#!/usr/bin/env bash
# End-to-end Wi-Fi page of Search.exe under Wine against the simulator's web servers: opening
# the tab reads the selected device's settings (exact request bytes on the wire), Scan fills
# the network list, the Signal heading sorts it down then up, Select copies SSID and mode,
# Save asks about the restart and OK reboots the device on a second connection while the
# first is open; Cancel sends nothing; a refused, a silent, a keep-open and a 401 device each
# give their message (or none) and the page keeps what it showed; a scan of 400 networks
# keeps every row and sorts them all.
#
# usage: wifi_test.sh SEARCH_EXE WIN_PROBE_EXE WIFI_PROBE_EXE DEVSIM DEVICE_FILE
# Runs inside ${SEARCH_NETNS_PREFIX}tool with WINEPREFIX and DISPLAY set; the simulator runs
# in ${SEARCH_NETNS_PREFIX}dev. Exit status 77 (skipped) without them.
set -u -o pipefail

search_exe=$1 probe_exe=$2 wifi_probe_exe=$3 devsim=$4 device_file=$5
readonly WM_CLOSE=16 LIST=1000 SEARCH_BUTTON=1001 SCAN=1025 SELECT=1027 KEY=1028 SAVE=1030
readonly WIFI_TAB=1 SIGNAL_COLUMN=2
readonly GOOD=10.77.8.1 REFUSED=10.77.8.2 SILENT=10.77.8.3 KEEP_OPEN=10.77.8.4 DENIED=10.77.8.5
readonly CROWDED=10.77.8.6
readonly NOT_RUNNING='Client is not running!' RECEIVE_TIMEOUT="It's timeout to receive from Server!"

fail() {
    echo "e2e_wifi: FAIL: $*" >&2
    [ -n "${work:-}" ] && cat "$work/probe.out" "$work/devsim.log" >&2
    exit 1
}
note() { echo "e2e_wifi: $*"; }

if [ -z "${SEARCH_NETNS_PREFIX:-}" ] || [ -z "$devsim" ]; then
    echo "skipped: needs the run's namespaces and the device simulator"
    exit 77
fi
source "$(dirname "$0")/e2e_lib.sh"
source "$(dirname "$0")/../../scripts/lib/netns.sh"
source "$(dirname "$0")/../../scripts/lib/devsim.sh"
e2e_prepare "$search_exe" "$probe_exe"

work=$(mktemp -d /tmp/search-e2e-wifi.XXXXXX) || fail "cannot create a work directory"
mkdir "$work/program" && cp "$search_exe" "$work/program/Search.exe" || fail "cannot copy Search.exe"
addresses=$(sed -n 's/^[^#]*| *\(10\.77\.8\.[0-9]*\) *|.*/\1/p' "$device_file")
search_pid=
cleanup() {
    [ -n "$search_pid" ] && kill "$search_pid" 2>/dev/null && wait "$search_pid" 2>/dev/null
    devsim_stop
    for a in $addresses; do ip -n "${SEARCH_NETNS_PREFIX}dev" addr del "$a/16" dev vd 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The probe's output is kept in $work/probe.out for a failure's report.
wifi() { timeout 120 "$wine_run" "$wifi_probe_exe" "$@" | tee "$work/probe.out"; }
# The page as wifi_probe shows it, without carriage returns.
page() { wifi show | tr -d '\r' | grep -v '^wifi_probe'; }
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
    local line
    line=$(http_lines "$1" | sed -n "${2}p")
    [ "$(field request "$line")" = "$(escape "$3")" ] ||
        fail "$1 request $2 on the wire: $(field request "$line")"
}

for a in $addresses; do netns_add_device_address "$SEARCH_NETNS_PREFIX" "$a" || fail "cannot add $a"; done
devsim_start "${SEARCH_NETNS_PREFIX}dev" "$work" "$devsim" --devices "$device_file" --restart-ms 1500 \
    --web-behaviour "$GOOD:scan=split,$REFUSED:all=no-listener,$SILENT:all=silent,$KEEP_OPEN:all=keep-open,$DENIED:all=401,$CROWDED:scan=many-networks" ||
    fail "the device simulator did not start"
(cd "$work/program" && exec wine Search.exe >"$work/search.out" 2>&1) &
search_pid=$!
timeout 120 "$wine_run" "$probe_exe" --title Search --timeout-ms 30000 --wait-visible \
    --click "$SEARCH_BUTTON" --wait-rows "$LIST" 6 >/dev/null || fail "the six devices did not appear"

# Opening the tab reads the settings.
wifi select-device "$GOOD" click-tab "$WIFI_TAB" no-box >/dev/null || fail "reading the settings"
[ "$(page)" = $'ssid=Office\nkey=devsim-key\nenable=1\nmode=6\nwepkey=0\nwep=0' ] ||
    fail "after the read the page shows:"$'\n'"$(page)"
request 'GET /goform/wireless?cmd=get HTTP/1.1' && expect_request read 1 "$wire"
note "the read request went out byte for byte; the page shows the device's settings"

wifi click "$SCAN" no-box >/dev/null || fail "scanning"
rows=$'row\t1\tOffice\t72\tWPA2PSK/AES\nrow\t2\tWarehouse\t35\tWPAPSK/TKIP\nrow\t3\tLobby\t88\tNONE\nrow\t4\tLab\t-5\tWEP\nrow\t5\tGuest\t50\tWPA1PSKWPA2PSK/TKIPAES'
[ "$(page | grep ^row)" = "$rows" ] || fail "after Scan the list shows:"$'\n'"$(page)"
request 'GET /goform/wireless?cmd=search HTTP/1.1' && expect_request scan 1 "$wire"
signals() { page | grep ^row | cut -f4 | tr '\n' ' '; }
wifi click-heading "$SIGNAL_COLUMN" >/dev/null && [ "$(signals)" = "88 72 50 35 -5 " ] ||
    fail "first Signal click: $(signals)"
wifi click-heading "$SIGNAL_COLUMN" >/dev/null && [ "$(signals)" = "-5 35 50 72 88 " ] ||
    fail "second Signal click: $(signals)"
note "Scan filled the list (head and body in two segments); Signal sorted it down, then up"

wifi select-network 0 click "$SELECT" >/dev/null || fail "selecting a network"
[ "$(page | grep -v ^row)" = $'ssid=Lab\nkey=devsim-key\nenable=1\nmode=2\nwepkey=0\nwep=1' ] ||
    fail "after Select the page shows:"$'\n'"$(page)"
note "Select copied the SSID and chose WEP/Open with WEP Key 1 shown"

question=$'Save successful! Changes configuration will take effect on next reboot.\r\n\r\nAre you sure want to reboot the device now?'
wifi set-text "$KEY" 'p&s=#1 x' click "$SAVE" box "$question" ok \
    box 'Success to reboot the device!' ok no-box >"$work/boxes" || fail "saving: $(cat "$work/boxes")"
[ "$(grep ^box "$work/boxes" | tr -d '\r')" = $'box\tok,cancel\nbox\tok' ] ||
    fail "the question needs OK and Cancel, the answer OK only: $(cat "$work/boxes")"
request 'GET /goform/wireless?cmd=set&enable=1&ssid=Lab&authentication=2&keyindex=0&key=p&s=#1 x HTTP/1.1' && expect_request save 1 "$wire"
expect_request reboot 1 "$reboot_request"
save_conn=$(field conn "$(http_lines save)")
reboot_line=$(http_lines reboot)
[ "$(field open "$reboot_line")" = 2 ] || fail "the save connection was not open during the reboot"
grep -A100 -F "$reboot_line" "$work/devsim.log" | grep -q "^close .* conn=$save_conn\$" ||
    fail "the save connection closed before the reboot request came"
grep -q "^restart .* device=$GOOD " "$work/devsim.log" || fail "the device did not restart"
note "Save, OK: the reboot came on a second connection while the save's was open; the device restarted"

for i in $(seq 1 100); do grep -q "^restarted .* device=$GOOD" "$work/devsim.log" && break; sleep 0.1; done
wifi click-tab "$WIFI_TAB" no-box >/dev/null || fail "reading after the restart"
shown=$(page)
[ "$(grep -v ^row <<<"$shown")" = $'ssid=Lab\nkey=p&s=#1 x\nenable=1\nmode=2\nwepkey=0\nwep=1' ] ||
    fail "the read after the save shows:"$'\n'"$shown"
wifi click "$SAVE" box "$question" cancel no-box >/dev/null || fail "saving, then Cancel"
[ "$(http_lines save | wc -l)" = 2 ] && [ "$(http_lines reboot | wc -l)" = 1 ] ||
    fail "Cancel: $(http_lines save | wc -l) saves and $(http_lines reboot | wc -l) reboots on the wire"
note "the next read shows the saved settings; Cancel sent no reboot"

# Failures: each device's message (or none), and the page as it was.
check_kept() { [ "$(page)" = "$shown" ] || fail "$1: the page changed:"$'\n'"$(page)"; }
wifi select-device "$REFUSED" click-tab "$WIFI_TAB" box "$NOT_RUNNING" ok click "$SCAN" \
    box "$NOT_RUNNING" ok >/dev/null || fail "refused device"
check_kept "refused device"
wifi select-device "$SILENT" click-tab "$WIFI_TAB" box "$RECEIVE_TIMEOUT" ok >/dev/null ||
    fail "silent device"
check_kept "silent device"
wifi select-device "$KEEP_OPEN" click-tab "$WIFI_TAB" box "$RECEIVE_TIMEOUT" ok >/dev/null ||
    fail "keep-open device"
check_kept "keep-open device"
wifi select-device "$DENIED" click-tab "$WIFI_TAB" no-box click "$SCAN" box 'Get SSID failed!' ok \
    click "$SAVE" box 'Set Wifi failed!' ok >/dev/null || fail "device answering 401"
check_kept "device answering 401"
note "refused, silent, keep-open and 401 devices gave their messages; the page kept what it showed"

# More networks than the page once had signal slots for: every row keeps its signal.
wifi select-device "$CROWDED" click "$SCAN" no-box click-heading "$SIGNAL_COLUMN" >/dev/null ||
    fail "scanning 400 networks"
[ "$(page | grep -c ^row)" = 400 ] && page | grep ^row | cut -f4 | sort -c -rn ||
    fail "400 networks: $(page | grep -c ^row) rows, not all in descending signal order"
note "a scan of 400 networks shows 400 rows, sorted by signal"

timeout 60 import -window root "$artifacts/wifi.png" 2>/dev/null
timeout 120 "$wine_run" "$probe_exe" --title Search --post "$WM_CLOSE" --expect-close >/dev/null ||
    fail "the window did not close"
note "PASS"
