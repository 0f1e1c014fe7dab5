#!/usr/bin/env bash
# usage: cli_netns_test.sh DEVSIM DEVICE_FILE SEARCH_CLI
# search-cli end to end against the device simulator: the JSON and CSV lists (two devices on
# one address in one row), output that cannot be written, --interface, --watch of a device
# that restarts, refused changes and plans sending nothing, --set-address --verify (also of a
# device that did not answer before), --apply moving devices, and the simulator's clean end.
# A Linux program runs in namespaces made here (root needed, else exit 77); a Windows .exe
# runs under Wine in ${SEARCH_NETNS_PREFIX}tool, where scripts/test-all booted its prefix.
set -u
devsim=$1 device_file=$2 cli=$3
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/lib/netns.sh"
source "$here/../../scripts/lib/devsim.sh"

fail() {
    echo "cli_netns_test: FAIL: $*" >&2
    [ -n "$DEVSIM_PID" ] && devsim_show_output
    exit 1
}
skip() { echo "skipped: $*" && exit 77; }

own_namespaces=false undefined=$'\xC2\x81'
if [[ "$cli" == *.exe ]]; then
    [ -n "${SEARCH_NETNS_PREFIX:-}" ] && [ -n "${WINEPREFIX:-}" ] &&
        [ "$(ip netns identify $$ 2>/dev/null)" = "${SEARCH_NETNS_PREFIX}tool" ] ||
        skip "a Windows program needs the run's namespaces and Wine prefix"
    prefix=$SEARCH_NETNS_PREFIX tool_side=() tool=(wine "$cli")
else
    [ "$(id -u)" = 0 ] && command -v ip >/dev/null || skip "namespaces need root and iproute2"
    prefix="cli$$" own_namespaces=true undefined=$'\xEF\xBF\xBD'
    tool_side=(ip netns exec "${prefix}tool") tool=(ip netns exec "${prefix}tool" "$cli")
fi
run_tool() { "${tool[@]}" "$@"; }
work=$(mktemp -d /tmp/search-cli-test.XXXXXX) || exit 2
restarting=10.77.0.21 # gets an address on the device side for its web server
trap 'devsim_stop; netns_del_device_address "$prefix" $restarting 2>/dev/null
      $own_namespaces && netns_delete "$prefix"; rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
! $own_namespaces || netns_create "$prefix" || fail "cannot create the namespaces"
# The injected pair answers from one address with two MACs; a restarting device is silent
# for three searches of --watch 1 at least.
devsim_start "${prefix}dev" "$work" "$devsim" --devices "$device_file" --dhcp-base 10.77.7.1 \
    --inject same-address --restart-ms 6000 || fail "the device simulator did not start"
log=$work/devsim.log

# Runs search-cli, output to files (Wine's helpers would hold a pipe), and checks its status.
cli_run() {
    local want=$1 what=$2
    shift 2
    run_tool "$@" >"$work/out" 2>"$work/err" </dev/null
    local status=$?
    [ "$status" -eq "$want" ] || fail "$what: status $status, expected $want: $(cat "$work/err")"
}
address_requests() { grep -c '^rx .* cmd=3 ' "$log"; }
# The tool's name for a file: a Windows program reads it through Wine's drive Z:.
tool_path() { if [[ "$cli" == *.exe ]]; then echo "Z:${1//\//\\}"; else echo "$1"; fi; }

# The simulator's devices by address as the tool must list them: known classes, 8-bit texts
# read in windows-1252, ports as numbers. A byte that code page leaves undefined becomes U+FFFD
# through iconv; Windows' own table maps it to the control character U+0081.
printf '%s\r\n' "Index,Model,Device Name,IP,HTTP Port,RTSP Port,MAC" \
    "1,IPCAMERA VX-200,Yard | north fence,10.77.0.9,-1,0,02:4B:00:00:0C:06" \
    "2,IPCAMERA VX-200,Lobby camera,10.77.0.21,80,554,02:4B:00:00:0C:01" \
    '3,IPCAMERA VX-410P,"Gate ""north"", left",10.77.0.22,8080,554,02:4B:00:00:0C:02' \
    $'4,DVS DR-0404,"Caf\xC3\xA9 \xE2\x82\xAC 5, ""Stra\xC3\x9Fe""",10.77.0.23,81,8554,02:4B:00:00:0C:03' \
    "5,\"DECODER \",Bad $undefined byte,10.77.0.24,80,554,02:4B:00:00:0C:04" \
    "6,IPCAMERA VX-200,Leading zeros,10.77.0.026,80,554,02:4B:00:00:0C:07" \
    "7,IPCAMERA INJECTED,injected same-address,10.77.254.14,80,554,02:EE:00:00:00:0E" >"$work/expected.csv"

# 1. The whole list, once per device although both local addresses asked, each row with the
# MACs that answered from its address; then by address.
cli_run 0 "--format json" --wait 800 --format json
cp "$work/out" "$work/list.json"
python3 - "$work/out" "$work/expected.csv" <<'PY' || fail "--format json (above)"
import csv, json, sys
keys = ["index", "model", "name", "ip", "http_port", "rtsp_port", "mac", "macs"]
devices = json.load(open(sys.argv[1], encoding="utf-8"))  # any order, the index 1..n
if [list(d) for d in devices] != [keys] * len(devices) or \
        [d["index"] for d in devices] != list(range(1, len(devices) + 1)) or \
        any(type(d[k]) is not int for d in devices for k in ("http_port", "rtsp_port")):
    sys.exit(f"keys, index or numbers wrong: {devices}")
shared = {"10.77.254.14": ["02:EE:00:00:00:0E", "02:EE:00:00:00:1E"]}
if any(d["macs"] != shared.get(d["ip"], [d["mac"]]) for d in devices):
    sys.exit(f"macs wrong: {devices}")
got = sorted([str(d[k]) for k in keys[1:-1]] for d in devices)
want = sorted(row[1:] for row in list(csv.reader(open(sys.argv[2], encoding="utf-8")))[1:])
if got != want:
    sys.exit(f"expected {want}\n     got {got}")
PY
grep -q '^rx .* src=10.77.0.1:.* cmd=2 ' "$log" && grep -q '^rx .* src=10.77.0.2:.* cmd=2 ' "$log" ||
    fail "the search did not go out from both local addresses"
cli_run 0 "--format csv" --wait 800 --format csv --sort ip
cmp -s "$work/out" "$work/expected.csv" || fail "--format csv: $(diff "$work/expected.csv" "$work/out")"
# Output that could not be written is a fault, never a success.
run_tool --wait 300 >/dev/full 2>"$work/err" </dev/null
[ $? -eq 2 ] && grep -q '^search-cli: standard output could not be written (error ' "$work/err" ||
    fail "output to a full disk: $(cat "$work/err")"

# 2. --interface: the request leaves from that address only; a foreign one is refused.
lines_before=$(wc -l <"$log")
cli_run 0 "--interface" --wait 300 --interface 10.77.0.2
tail -n +$((lines_before + 1)) "$log" | grep '^rx ' | grep -qv 'src=10.77.0.2:' &&
    fail "--interface 10.77.0.2: a request left from another address"
cli_run 2 "--interface with a foreign address" --wait 300 --interface 10.77.0.99

# 3. --watch 1: every device appears at the first search; one that restarts is gone after
# three searches without it and appears again when it answers; SIGINT ends the watch with
# status 0. Each event is one JSON line, its device as the list wrote it but the index,
# read as it comes. The watch runs as a job of its own: a script's other background commands
# ignore SIGINT.
# Until the watch has written $2 lines of event $1 (60 s at most).
wait_watch() {
    for _ in $(seq 1 600); do
        [ "$(grep -c "\"event\":\"$1\"" "$work/watch")" -ge "$2" ] && return 0
        kill -0 "$watch_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -INT "$watch_pid" && wait "$watch_pid"
    fail "--watch: no $2 $1 lines: $(cat "$work/watch" "$work/err")"
}
netns_add_device_address "$prefix" $restarting || fail "cannot give $restarting to the device side"
set -m
"${tool[@]}" --watch 1 --wait 300 --format json >"$work/watch" 2>"$work/err" </dev/null &
watch_pid=$!
set +m
wait_watch appeared 7
"${tool_side[@]}" timeout 10 bash -c "exec 3<>/dev/tcp/$restarting/80 &&
    printf 'GET /goform/maintenance?cmd=set&restart=yes HTTP/1.0\r\n\r\n' >&3 && cat <&3" |
    grep -q Rebooting || fail "the restart request was not answered"
wait_watch gone 1
wait_watch appeared 8
kill -INT "$watch_pid"
wait "$watch_pid"
status=$?
[ "$status" -eq 0 ] || fail "--watch ended by SIGINT: status $status: $(cat "$work/err")"
python3 - "$work/watch" "$work/list.json" $restarting <<'PY' || fail "--watch (above)"
import json, sys
def seen(device):  # without the index, the place of its reply in one search
    return {k: v for k, v in device.items() if k != "index"}
events = [json.loads(line) for line in open(sys.argv[1], encoding="utf-8")]
got = [(e["event"], e["time"], seen(e["device"])) for e in events]
listed = {d["ip"]: seen(d) for d in json.load(open(sys.argv[2], encoding="utf-8"))}
first, rest = got[:len(listed)], got[len(listed):]
if any(list(e) != ["event", "time", "device"] for e in events) or \
        [t for _, t, _ in got] != sorted(t for _, t, _ in got) or len({t for _, t, _ in first}) != 1:
    sys.exit(f"keys or times wrong: {events}")
if {d["ip"]: (e, d) for e, _, d in first} != {ip: ("appeared", d) for ip, d in listed.items()}:
    sys.exit(f"the first search's events differ from the list: {first}")
if [(e, d) for e, _, d in rest] != [("gone", listed[sys.argv[3]]), ("appeared", listed[sys.argv[3]])]:
    sys.exit(f"after the restart: {rest}")
PY
netns_del_device_address "$prefix" $restarting

# 4. Refused changes: status 2, one line of reason, nothing sent.
before=$(address_requests)
cli_run 2 "a new address ending in .255" --set-address 10.77.0.22 --new 10.77.0.255 --verify
[ "$(wc -l <"$work/err")" -eq 1 ] && grep -q 'ends in .0 or .255' "$work/err" ||
    fail "refusal reason: $(cat "$work/err")"
cli_run 2 "a gateway in another segment" --set-address 10.77.0.22 --new 10.77.0.52 --gateway 10.77.9.1
# A swap would leave both devices on one address: a line per conflict. So would a move onto a
# device that answers (at 10.77.0.026, which is 10.77.0.26).
printf '10.77.0.22,10.77.0.23\n10.77.0.23,10.77.0.22\n' >"$work/swap.csv"
cli_run 2 "a swap" --apply "$(tool_path "$work/swap.csv")"
[ "$(wc -l <"$work/err")" -eq 2 ] &&
    grep -qx 'search-cli: line 2: 10.77.0.23: new address 10.77.0.22 is the current address of the device on line 1 (both would end on one address)' "$work/err" ||
    fail "swap refused with: $(cat "$work/err")"
cli_run 2 "a move onto a device" --wait 800 --set-address 10.77.0.21 --new 10.77.0.26
grep -qx 'search-cli: 10.77.0.21: new address 10.77.0.26 is taken by another device (02:4B:00:00:0C:07)' "$work/err" ||
    fail "move onto a device refused with: $(cat "$work/err")"
# Every device that answers from an address would take the new one.
cli_run 2 "a move of a shared address" --wait 800 --set-address 10.77.254.14 --new 10.77.0.60
[ "$(cat "$work/err")" = 'search-cli: 10.77.254.14: 2 devices answer from it and all would take 10.77.0.60 (switch them to dhcp first)' ] ||
    fail "move of a shared address refused with: $(cat "$work/err")"
[ "$(address_requests)" -eq "$before" ] || fail "a refused change sent a request"

# 5. --set-address --verify: the device moves (gateway filled in) and answers from there.
cli_run 0 "--set-address --verify" --wait 800 --set-address 10.77.0.21 --new 10.77.0.51 --verify
grep -qx '10.77.0.21 -> 10.77.0.51: answers' "$work/out" || fail "verify said: $(cat "$work/out")"
grep -q '^addr .* target=10.77.0.21 result=applied mode=static ip=10.77.0.51 mask=255.255.255.0 gateway=10.77.0.1 ' "$log" ||
    fail "the simulator did not apply the change"
# A device unseen before the change could not be told from another one answering afterwards.
cli_run 1 "--verify of a silent device" --wait 800 --set-address 10.77.0.99 --new 10.77.0.59 --verify
grep -qx '10.77.0.99 -> 10.77.0.59: cannot tell, it did not answer before the change' "$work/out" ||
    fail "verify of a silent device said: $(cat "$work/out")"

# 6. --apply: every line checked, sent, then reported.
printf 'current,new,mask,gateway\r\n10.77.0.22,10.77.0.52,,\r\n"10.77.0.24",dhcp\r\n' >"$work/apply.csv"
cli_run 0 "--apply" --wait 800 --apply "$(tool_path "$work/apply.csv")"
grep -qx '10.77.0.22 -> 10.77.0.52: answers' "$work/out" &&
    grep -qx '10.77.0.24 -> dhcp: answers from 10.77.7.1' "$work/out" ||
    fail "--apply reported: $(cat "$work/out")"
# 7. The simulator, which every run here relied on, ends on SIGTERM with status 0 and its summary.
devsim_stop
[ "$DEVSIM_STATUS" -eq 0 ] && grep -q '^summary .* address_changes=' "$log" || fail "the simulator did not end cleanly"
echo "cli_netns_test: passed"
