#!/usr/bin/env bash
# End-to-end workflow of the IP configuration page: Search.exe under Wine on a short screen
# (1280x640, a laptop's) against the device simulator, over the tool side's two interfaces.
#   - the window lies inside the screen with its caption and list headings, and a heading
#     click sorts;
#   - a row click shows the row's address as Original IP;
#   - Modify IP with a new address and an empty gateway fills the gateway in, sends four
#     address-change datagrams (multicast then broadcast from each local address, about 50 ms
#     apart) with the exact bytes, shows nothing, and the next search lists the device at its
#     new address with everything else unchanged;
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

search_exe=$1
probe_exe=$2
devsim=$3
device_file=$4
readonly LIST=1000 SEARCH_BUTTON=1001 MODIFY_IP=1004 NEW_IP=1005 MASK=1006 GATEWAY=1007 \
    ORIGINAL_IP=1008 USE_DHCP=1009 PING=1010 IP_COLUMN=3 IDOK=1 IDCANCEL=2 WM_CLOSE=16
readonly DHCP_BASE=10.77.3.10 PINGED=10.77.1.50 UNUSED=10.77.9.9

fail() {
    echo "e2e_ip_page: FAIL: $*" >&2
    [ -s "${work:-}/probe.out" ] && echo "--- last probe output" >&2 && tr -d '\r' <"$work/probe.out" >&2
    [ -n "${DEVSIM_WORK:-}" ] && devsim_show_output >&2
    exit 1
}
note() { echo "e2e_ip_page: $*"; }

if [ -z "${SEARCH_NETNS_PREFIX:-}" ] || [ -z "$devsim" ]; then
    echo "skipped: needs the run's namespaces and the device simulator"
    exit 77
fi
here=$(cd "$(dirname "$0")" && pwd)
source "$here/e2e_lib.sh"
e2e_prepare "$search_exe" "$probe_exe"
[ -x "$devsim" ] || fail "no device simulator at $devsim"
source "$here/../../scripts/lib/devsim.sh"
source "$here/../../scripts/lib/display.sh"
source "$here/../../scripts/lib/netns.sh"
source "$here/../../scripts/lib/wine.sh"

work=$(mktemp -d /tmp/search-e2e-ip.XXXXXX) || fail "cannot create a work directory"
mkdir "$work/program" && cp "$search_exe" "$work/program/Search.exe" || fail "cannot copy Search.exe"
search_pid=
pinged_added=0
cleanup() {
    if [ -n "$search_pid" ] && kill -0 "$search_pid" 2>/dev/null; then
        kill "$search_pid" 2>/dev/null
        wait "$search_pid" 2>/dev/null
    fi
    devsim_stop
    [ "$pinged_added" -eq 1 ] && netns_del_device_address "$SEARCH_NETNS_PREFIX" "$PINGED"
    wine_stop
    display_stop
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

display_start 1280x640
# A prefix of its own, booted here in the tool namespace, so that its desktop is the short one.
wine_boot "$work/prefix" || fail "the Wine prefix did not boot"

probe() {
    timeout 120 "$wine_run" "$probe_exe" --title Search --timeout-ms 20000 "$@" >"$work/probe.out"
    local status=$?
    tr -d '\r' <"$work/probe.out"
    return $status
}

# The list's rows without the "row" marker, and the 0-based row that shows address $1.
list_rows() { probe --list-rows "$LIST" | sed -n 's/^row\t//p'; }
row_of() { awk -F'\t' -v ip="$1" '$4 == ip { print NR - 1 }' <<<"$2"; }
# Columns 1 to 6 (all but the index) of every row, sorted: a row's place may change.
row_set() { cut -f2- <<<"$1" | LC_ALL=C sort; }

# The 256 bytes of an address-change request, as the simulator logs them (hex).
text_field() {
    printf '%s' "$1"
    head -c $((48 - ${#1})) /dev/zero
}
request_hex() {
    {
        printf 'quarnelvist\0\3'
        text_field "$1"
        text_field "$2"
        text_field "$3"
        text_field "$4"
        head -c 48 /dev/zero
        printf "\\$5"
        head -c 2 /dev/zero
    } | od -An -v -tx1 | tr -d ' \n'
}

# Checks the address-change datagrams logged after line $1 against the hex in $2: four of
# them, multicast then broadcast from one local address, then from the other, each pair about
# 50 ms apart, and no search after them.
check_change_datagrams() {
    local mark=$1 expected=$2
    tail -n +$((mark + 1)) "$work/devsim.log" | grep '^rx .* cmd=3 ' >"$work/changes" || true
    ! tail -n +$((mark + 1)) "$work/devsim.log" | grep -q '^rx .* cmd=2 ' ||
        fail "Modify IP started a search"
    [ "$(wc -l <"$work/changes")" -eq 4 ] ||
        fail "$(wc -l <"$work/changes") address-change datagrams, expected 4"
    awk -v expected="$expected" '
        {
            for (i = 2; i <= NF; i++) { split($i, kv, "="); f[kv[1]] = kv[2] }
            split(f["src"], src, ":")
            t[NR] = f["t"]; s[NR] = src[1]; d[NR] = f["dst"]
            if (tolower(f["hex"]) != expected) { print "datagram " NR " bytes differ: " f["hex"]; bad = 1 }
        }
        END {
            for (n = 1; n <= 4; n += 2) {
                if (d[n] != "224.111.111.1" || d[n + 1] != "255.255.255.255")
                    { print "datagram " n ", " n + 1 " went to " d[n] ", " d[n + 1]; bad = 1 }
                if (s[n] != s[n + 1]) { print "pair " n " left from " s[n] " and " s[n + 1]; bad = 1 }
                gap = t[n + 1] - t[n]
                if (gap < 40 || gap > 500) { print "pair " n " is " gap " ms apart"; bad = 1 }
            }
            if (s[1] == s[3]) { print "both pairs left from " s[1]; bad = 1 }
            if (!bad) printf "four datagrams from %s and %s, %.0f and %.0f ms apart\n", s[1], s[3], t[2] - t[1], t[4] - t[3]
            exit bad
        }' "$work/changes" || fail "address-change datagrams:"$'\n'"$(cat "$work/changes")"
}

count_changes() { grep -c '^rx .* cmd=3 ' "$work/devsim.log"; }

# Checks the box the last probe answered: the program's title as caption, text $1, buttons
# $2, an icon, and shown $3 to $4 ms after the click.
check_box() {
    local line caption text buttons icon ms
    line=$(grep '^box' <<<"$probe_out") || fail "no message box was reported"
    IFS=$'\t' read -r _ caption text buttons icon ms <<<"$line"
    ms=${ms#ms=}
    [ "$caption" = Search ] || fail "message box caption '$caption', expected 'Search'"
    [ "$text" = "$1" ] || fail "message box says '$text', expected '$1'"
    [ "$buttons" = "$2" ] || fail "message box has buttons '$buttons', expected '$2'"
    [ "$icon" = icon ] || fail "message box has no icon"
    [ "$ms" -ge "$3" ] && [ "$ms" -le "$4" ] || fail "message box after $ms ms, expected $3-$4"
    note "box '$text' ($buttons) after $ms ms"
}

devsim_start "${SEARCH_NETNS_PREFIX}dev" "$work" "$devsim" --devices "$device_file" \
    --dhcp-base "$DHCP_BASE" || fail "the device simulator did not start"
(cd "$work/program" && exec wine Search.exe >"$work/search.out" 2>&1) &
search_pid=$!

# The short screen: the whole window, caption and headings included, lies on it.
probe --wait-visible --on-screen "$LIST" || fail "the window does not fit the short screen"
probe --click "$SEARCH_BUTTON" --wait-rows "$LIST" 3 --click-heading "$LIST" "$IP_COLUMN" >/dev/null ||
    fail "the search or the heading click failed"
rows=$(list_rows) || fail "cannot read the rows"
[ "$(cut -f4 <<<"$rows" | tr '\n' ' ')" = "10.77.0.41 10.77.0.42 10.77.0.43 " ] ||
    fail "the heading click did not sort by address:"$'\n'"$rows"
note "three devices, sorted by a heading click"

row=$(row_of 10.77.0.42 "$rows")
probe --click-row "$LIST" "$row" --wait-field "$ORIGINAL_IP" 10.77.0.42 >/dev/null ||
    fail "a row click did not show the row's address as Original IP"

# Modify IP: the empty gateway is filled in and shown, four datagrams go out, nothing is shown.
mark=$(wc -l <"$work/devsim.log")
probe --set-address "$NEW_IP" 10.77.1.50 --set-address "$GATEWAY" empty --press "$MODIFY_IP" \
    --no-box 1500 --wait-field "$GATEWAY" 10.77.1.1 >/dev/null || fail "Modify IP: $(cat "$work/probe.out")"
check_change_datagrams "$mark" "$(request_hex 10.77.0.42 10.77.1.50 255.255.255.0 10.77.1.1 0)"
results=$(tail -n +$((mark + 1)) "$work/devsim.log" | sed -n 's/^addr .* result=\([a-z]*\).*/\1/p' | tr '\n' ' ')
[ "$results" = "applied ignored ignored ignored " ] || fail "the simulator's outcomes: $results"
timeout 60 import -window root "$artifacts/ip_page.png" && note "screenshot $artifacts/ip_page.png"
[ "$(list_rows)" = "$rows" ] || fail "Modify IP changed the list"

probe --click "$SEARCH_BUTTON" --wait-rows "$LIST" 3 --expect-stay 1000 >/dev/null ||
    fail "the search after Modify IP failed"
after=$(list_rows)
diff <(row_set "${rows//10.77.0.42/10.77.1.50}") <(row_set "$after") >"$work/rows.diff" ||
    fail "rows after Modify IP (< expected, > shown):"$'\n'"$(cat "$work/rows.diff")"
note "the device answers at 10.77.1.50, the other rows unchanged"

# Refusals send nothing: .0, then the Cancel of the gateway question.
mark=$(count_changes)
probe_out=$(probe --set-address "$NEW_IP" 10.77.1.0 --press "$MODIFY_IP" --answer-box "$IDOK") ||
    fail "text 138: $probe_out"
check_box "Invalidate IP address" OK 0 5000
probe_out=$(probe --set-address "$NEW_IP" 10.77.1.60 --set-address "$GATEWAY" 10.77.2.1 \
    --press "$MODIFY_IP" --answer-box "$IDCANCEL" --expect-stay 1000) || fail "text 137: $probe_out"
check_box "IP address and gate way are not in the same network segment! are you sure modify?" \
    "OK Cancel" 0 5000
[ "$(count_changes)" -eq "$mark" ] || fail "a refused Modify IP sent $(($(count_changes) - mark)) datagrams"
note "text 138 and the Cancel of text 137 sent nothing"

# Use DHCP: the fields are disabled and the request carries only the target and the flag.
rows=$(list_rows)
row=$(row_of 10.77.0.43 "$rows")
probe --click-row "$LIST" "$row" --wait-field "$ORIGINAL_IP" 10.77.0.43 --click "$USE_DHCP" \
    --wait-field "$NEW_IP" "10.77.1.60 disabled" --wait-field "$MASK" "255.255.255.0 disabled" \
    --wait-field "$GATEWAY" "10.77.2.1 disabled" >/dev/null || fail "Use DHCP: $(cat "$work/probe.out")"
mark=$(wc -l <"$work/devsim.log")
probe --press "$MODIFY_IP" --no-box 1500 >/dev/null || fail "Modify IP with DHCP showed a box"
check_change_datagrams "$mark" "$(request_hex 10.77.0.43 '' '' '' 1)"
probe --click "$SEARCH_BUTTON" --wait-rows "$LIST" 3 --expect-stay 1000 >/dev/null ||
    fail "the search after the DHCP change failed"
diff <(row_set "${rows//10.77.0.43/$DHCP_BASE}") <(row_set "$(list_rows)") >"$work/rows.diff" ||
    fail "rows after the DHCP change (< expected, > shown):"$'\n'"$(cat "$work/rows.diff")"
note "the device answers from its DHCP address $DHCP_BASE"

# Ping: the changed device now answers at its address; nobody owns the other one.
netns_add_device_address "$SEARCH_NETNS_PREFIX" "$PINGED" && pinged_added=1 ||
    fail "cannot give $PINGED to the device namespace"
probe --click "$USE_DHCP" --wait-field "$NEW_IP" 10.77.1.60 >/dev/null || fail "Use DHCP off"
probe_out=$(probe --set-address "$NEW_IP" "$PINGED" --press "$PING" --answer-box "$IDOK") ||
    fail "Ping $PINGED: $probe_out"
check_box "Warnning!! This IP address is  existend!" OK 0 1500
probe_out=$(probe --set-address "$NEW_IP" "$UNUSED" --press "$PING" --answer-box "$IDOK") ||
    fail "Ping $UNUSED: $probe_out"
check_box "This IP address is available!" OK 1800 4000

probe --post "$WM_CLOSE" --expect-close >/dev/null || fail "the window did not close on WM_CLOSE"
wait "$search_pid"
code=$?
search_pid=
[ "$code" -eq 0 ] || fail "Search.exe ended with exit code $code"
note "PASS"
