# What the end-to-end scripts share: the checks of their surroundings, a workspace, the
# simulator, the probe (win_probe.cpp) and the expected bytes on the wire (wire.txt).
lib_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib" && pwd)
e2e_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$lib_dir/devsim.sh"
source "$lib_dir/netns.sh"
readonly WM_CLOSE=16 LIST=1000 SEARCH_BUTTON=1001 IP_COLUMN=3

fail() {
    echo "$e2e_name: FAIL: $*" >&2
    [ -s "${work:-}/probe.out" ] && echo "--- probe, Search.exe" >&2 && cat "$work/probe.out" "$work/search.out" | tr -d '\r' >&2
    [ -n "${DEVSIM_WORK:-}" ] && devsim_show_output >&2
    exit 1
}

# usage: e2e_begin NAME "$@", a script's arguments being SEARCH_EXE PROBE_EXE DEVSIM DEVICE_FILE;
# exit status 77 (skipped) without the run's namespaces. Sets artifacts, work and program_dir.
e2e_begin() {
    e2e_name=$1 search_exe=$2 probe_exe=$3 devsim=$4 device_file=$5
    [ -n "${SEARCH_NETNS_PREFIX:-}" ] || { echo "skipped: needs the run's namespaces"; exit 77; }
    # Wine's sockets live where its server was started; anywhere else a search would go out on
    # networks that are not this run's.
    [ -n "${WINEPREFIX:-}" ] && [ -n "${DISPLAY:-}" ] && [ "$(ip netns identify $$)" = "${SEARCH_NETNS_PREFIX}tool" ] ||
        fail "needs WINEPREFIX and DISPLAY, inside namespace ${SEARCH_NETNS_PREFIX}tool"
    artifacts=${SEARCH_ARTIFACTS:-$SEARCH_BUILD_DIR/artifacts}
    # A program directory of its own, so that nobody else's config.ini or Search.ini takes part.
    work=$(mktemp -d /tmp/search-e2e.XXXXXX) && program_dir=$work/program && mkdir -p "$artifacts" "$program_dir" &&
        cp "$search_exe" "$program_dir/Search.exe" || fail "cannot prepare $work"
    search_pid= added_addresses=()
    trap e2e_cleanup EXIT
    trap 'exit 130' INT TERM
}

e2e_cleanup() {
    [ -n "$search_pid" ] && kill "$search_pid" 2>/dev/null && wait "$search_pid" 2>/dev/null
    devsim_stop
    for a in "${added_addresses[@]}"; do netns_del_device_address "$SEARCH_NETNS_PREFIX" "$a"; done
    rm -rf "$work"
}

# The simulator with the device file and the arguments given, in the device namespace.
e2e_devsim() {
    devsim_start "${SEARCH_NETNS_PREFIX}dev" "$work" "$devsim" --devices "$device_file" "$@" ||
        fail "the device simulator did not start"
}

# An address for the device namespace, removed on exit.
e2e_add_address() {
    netns_add_device_address "$SEARCH_NETNS_PREFIX" "$1" || fail "cannot give $1 to the device namespace"
    added_addresses+=("$1")
}

# Returns once the window shows: the dialog manager shows it after WM_INITDIALOG, and a step sent
# before that (the window exists from its creation on) could reach it before it is bound.
start_search() {
    (cd "$program_dir" && exec wine Search.exe "$@" >>"$work/search.out" 2>&1) &
    search_pid=$!
    probe visible >/dev/null || fail "the window did not show"
}

# win_probe's steps; its output also in $work/probe.out (a file: Wine's helper processes would
# otherwise hold ctest's pipe open).
probe() {
    timeout 120 "$lib_dir/wine-run" "$probe_exe" --timeout-ms 30000 "$@" >"$work/probe.out"
    local status=$?
    tr -d '\r' <"$work/probe.out" | grep -v '^win_probe: '
    return $status
}

list_rows() { probe rows "$1" >/dev/null && tr -d '\r' <"$work/probe.out" | sed -n 's/^row\t//p'; }
row_of() { list_rows "$LIST" | awk -F'\t' -v ip="$1" '$4 == ip { print NR - 1 }'; }
wire() { awk -v key="$1" '$1 == key { print $2 }' "$e2e_dir/wire.txt"; }
# Until the simulator's log holds $2 lines matching $1 (30 s at most).
wait_log() { for _ in $(seq 1 300); do [ "$(grep -c "$1" "$work/devsim.log")" -ge "$2" ] && return; sleep 0.1; done; fail "no $2 log lines like $1"; }

# The datagrams of command $2 logged after line $1: from each local address multicast, then
# broadcast 40-500 ms later, with the bytes of wire.txt key $3 or $3@<the source address>.
check_burst() {
    tail -n +$(($1 + 1)) "$work/devsim.log" | grep "^rx .* cmd=$2 " | sort -s -t' ' -k3,3 |
        sed 's/^rx t=\([0-9.]*\) src=\([0-9.]*\):[0-9]* dst=\([0-9.]*\) .* hex=/\1 \2 \3 /' >"$work/burst"
    diff <(cut -d' ' -f2- "$work/burst") <(for s in 10.77.0.1 10.77.0.2; do for d in 224.111.111.1 255.255.255.255; do
        echo "$s $d $(wire "$3@$s")$(wire "$3")"; done; done) >/dev/null || fail "command $2 datagrams: $(cat "$work/burst")"
    awk 'NR % 2 == 0 && ($1 - t < 40 || $1 - t > 500) { exit 1 } { t = $1 }' "$work/burst" ||
        fail "command $2 datagrams not 40-500 ms apart: $(cut -d' ' -f1-3 "$work/burst")"
}

# The probe's steps ${@:4} answer one box: caption Search, text $1, buttons $2, an icon, shown
# no sooner than $3 ms after the click (a box that waits for a timeout must not come early; how
# late one comes depends on the machine's load, so no upper bound is asserted).
expect_box() {
    local box
    box=$(probe "${@:4}" | grep '^box') || fail "no box '$1' ($2)"
    [ "$(cut -f2-5 <<<"$box")" = "Search"$'\t'"$1"$'\t'"$2"$'\ticon' ] || fail "not the box '$1' ($2): $box"
    [ "${box##*ms=}" -ge "$3" ] || fail "the box '$1' after only ${box##*ms=} ms"
}

# The program ends with exit code 0 within 30 s.
expect_exit() {
    local i
    for i in $(seq 1 300); do kill -0 "$search_pid" 2>/dev/null && sleep 0.1; done
    kill -0 "$search_pid" 2>/dev/null && fail "Search.exe still running 30 s after its window closed"
    wait "$search_pid" || fail "Search.exe ended with exit code $?"
    search_pid=
}
