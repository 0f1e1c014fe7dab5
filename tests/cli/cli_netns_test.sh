#!/usr/bin/env bash
# search-cli end to end against the device simulator, in network namespaces: the JSON and CSV
# lists read back equal the simulator's devices (8-bit names, commas and quotes, two local
# interfaces), --interface limits the search, --set-address --verify moves a device, a refused
# address sends nothing, and --apply moves several.
#
# usage: cli_netns_test.sh DEVSIM DEVICE_FILE SEARCH_CLI
# A Linux program runs in namespaces made here (root needed, else exit 77); a Windows .exe
# runs under Wine in ${SEARCH_NETNS_PREFIX}tool, where scripts/test-all booted its prefix
# (exit 77 outside it).
set -u
devsim=$1
device_file=$2
cli=$3
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../scripts/lib/netns.sh"
source "$here/../../scripts/lib/devsim.sh"

fail() {
    echo "cli_netns_test: FAIL: $*" >&2
    [ -n "$DEVSIM_PID" ] && devsim_show_output
    exit 1
}

if [[ "$cli" == *.exe ]]; then
    if [ -z "${SEARCH_NETNS_PREFIX:-}" ] || [ -z "${WINEPREFIX:-}" ] ||
        [ "$(ip netns identify $$ 2>/dev/null)" != "${SEARCH_NETNS_PREFIX}tool" ]; then
        echo "skipped: a Windows program needs the run's namespaces and Wine prefix"
        exit 77
    fi
    prefix=$SEARCH_NETNS_PREFIX
    run_tool() { wine "$cli" "$@"; }
    own_namespaces=false
else
    if [ "$(id -u)" != 0 ] || ! command -v ip >/dev/null; then
        echo "skipped: network namespaces need root and iproute2"
        exit 77
    fi
    prefix="cli$$"
    run_tool() { ip netns exec "${prefix}tool" "$cli" "$@"; }
    own_namespaces=true
fi

work=$(mktemp -d /tmp/search-cli-test.XXXXXX) || exit 2
cleanup() {
    devsim_stop
    $own_namespaces && netns_delete "$prefix"
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
if $own_namespaces; then
    netns_create "$prefix" || fail "cannot create the namespaces"
fi
devsim_start "${prefix}dev" "$work" "$devsim" --devices "$device_file" --dhcp-base 10.77.7.1 ||
    fail "the device simulator did not start"
log=$work/devsim.log

# Runs search-cli; standard output and error go to files (Wine's helpers would hold a pipe),
# the exit status to $status.
cli_run() {
    run_tool "$@" >"$work/out" 2>"$work/err" </dev/null
    status=$?
}
expect_status() {
    [ "$status" -eq "$1" ] || fail "$2: exit status $status, expected $1; stderr: $(cat "$work/err")"
}
address_requests() { grep -c '^rx .* cmd=3 ' "$log"; }

# The simulator's devices as the tool must list them: classes it knows, 8-bit texts read in
# windows-1252, ports as numbers. A byte that code page leaves undefined becomes U+FFFD through
# iconv; Windows' own table maps it to the control character of the same value.
expected=$work/expected.json
undefined_as=replace
[[ "$cli" == *.exe ]] && undefined_as=same
python3 - "$device_file" "$undefined_as" >"$expected" <<'PY' || fail "cannot read $device_file"
import codecs, json, re, sys
codecs.register_error("same", lambda e: (e.object[e.start:e.end].decode("latin-1"), e.end))
devices = []
for line in open(sys.argv[1], "rb").read().decode("latin-1").splitlines():
    if not line.strip() or line.lstrip().startswith("#"):
        continue
    fields = [f.strip() for f in re.split(r"(?<!\\)\|", line)]
    def text(f):
        raw = re.sub(r"\\x([0-9A-Fa-f]{2})", lambda m: chr(int(m.group(1), 16)), f)
        raw = raw.replace("\\|", "|").replace("\\\\", "\\")
        return raw.encode("latin-1").decode("cp1252", errors=sys.argv[2])
    cls, mac, ip, name, http, rtsp, dvs, model = fields
    if not any(k in cls for k in ("DVS", "IPCAMERA", "DECODER")):
        continue
    devices.append({"model": cls + " " + text(model), "name": text(name), "ip": ip,
                    "http_port": int(http), "rtsp_port": int(rtsp), "mac": mac.upper()})
print(json.dumps(devices))
PY

# 1. JSON: the whole list, once per device although both local addresses asked.
cli_run --wait 800 --format json
expect_status 0 "--format json"
python3 - "$expected" "$work/out" <<'PY' || fail "--format json: the list differs (above)"
import json, sys
expected = json.load(open(sys.argv[1]))
got = json.load(open(sys.argv[2], encoding="utf-8"))
if [d["index"] for d in got] != list(range(1, len(got) + 1)):
    sys.exit(f"index not 1..n: {[d['index'] for d in got]}")
for d in got:
    del d["index"]
key = lambda d: d["ip"]
if sorted(got, key=key) != sorted(expected, key=key):
    sys.exit(f"expected {sorted(expected, key=key)}\n     got {sorted(got, key=key)}")
PY
grep -q '^rx .* src=10.77.0.1:.* cmd=2 ' "$log" && grep -q '^rx .* src=10.77.0.2:.* cmd=2 ' "$log" ||
    fail "the search did not go out from both local addresses"

# 2. CSV, sorted by address: a CSV reader gets the heading and the same rows in address order.
cli_run --wait 800 --format csv --sort ip
expect_status 0 "--format csv"
python3 - "$expected" "$work/out" <<'PY' || fail "--format csv: the list differs (above)"
import csv, ipaddress, json, sys
expected = json.load(open(sys.argv[1]))
expected.sort(key=lambda d: ipaddress.ip_address(d["ip"]))
rows = list(csv.reader(open(sys.argv[2], encoding="utf-8", newline="")))
heading = ["Index", "Model", "Device Name", "IP", "HTTP Port", "RTSP Port", "MAC"]
want = [heading] + [[str(i + 1), d["model"], d["name"], d["ip"], str(d["http_port"]),
                     str(d["rtsp_port"]), d["mac"]] for i, d in enumerate(expected)]
if rows != want:
    sys.exit(f"expected {want}\n     got {rows}")
PY

# 3. --interface: the request leaves from that address only.
lines_before=$(wc -l <"$log")
cli_run --wait 300 --interface 10.77.0.2
expect_status 0 "--interface"
tail -n +$((lines_before + 1)) "$log" | grep '^rx ' | grep -qv 'src=10.77.0.2:' &&
    fail "--interface 10.77.0.2: a request left from another address"
cli_run --wait 300 --interface 10.77.0.99
expect_status 2 "--interface with a foreign address"

# 4. A refused address: status 2, one line of reason, nothing sent.
before=$(address_requests)
cli_run --set-address 10.77.0.22 --new 10.77.0.255 --verify
expect_status 2 "a new address ending in .255"
[ "$(wc -l <"$work/err")" -eq 1 ] && grep -q 'ends in .0 or .255' "$work/err" ||
    fail "refusal reason: $(cat "$work/err")"
cli_run --set-address 10.77.0.22 --new 10.77.0.52 --gateway 10.77.9.1
expect_status 2 "a gateway in another segment"
[ "$(address_requests)" -eq "$before" ] || fail "a refused change sent a request"

# 5. --set-address --verify: the device moves (gateway filled in) and answers from there.
cli_run --wait 800 --set-address 10.77.0.21 --new 10.77.0.51 --verify
expect_status 0 "--set-address --verify"
grep -qx '10.77.0.21 -> 10.77.0.51: answers' "$work/out" || fail "verify said: $(cat "$work/out")"
grep -q '^addr .* target=10.77.0.21 result=applied mode=static ip=10.77.0.51 mask=255.255.255.0 gateway=10.77.0.1 ' "$log" ||
    fail "the simulator did not apply the change"

# 6. --apply: every line checked, sent, then reported.
printf 'current,new,mask,gateway\r\n10.77.0.22,10.77.0.52,,\r\n"10.77.0.24",dhcp\r\n' >"$work/apply.csv"
apply_file=$work/apply.csv
[[ "$cli" == *.exe ]] && apply_file="Z:${apply_file//\//\\}"
cli_run --wait 800 --apply "$apply_file"
expect_status 0 "--apply"
grep -qx '10.77.0.22 -> 10.77.0.52: answers' "$work/out" &&
    grep -qx '10.77.0.24 -> dhcp: answers from 10.77.7.1' "$work/out" ||
    fail "--apply reported: $(cat "$work/out")"
echo "cli_netns_test: passed"
