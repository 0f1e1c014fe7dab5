#!/usr/bin/env bash
# Runs one Windows test program under Wine while the device simulator answers from the device
# namespace of this run, so that no discovery datagram reaches the machine's own interfaces.
# usage: with_devsim.sh DEVSIM [DEVSIM ARGS...] -- TEST_EXE [TEST ARGS...]
# Runs inside ${SEARCH_NETNS_PREFIX}tool with WINEPREFIX (booted there) and DISPLAY set; the
# test finds the simulator's log at the Windows path in SEARCH_DEVSIM_LOG. Exit status: the
# test's; 77 (skipped) without the run's namespaces; 2 for a usage fault.
set -u

if [ -z "${SEARCH_NETNS_PREFIX:-}" ]; then
    echo "skipped: needs the run's namespaces"
    exit 77
fi
if [ -z "${WINEPREFIX:-}" ]; then
    echo "with_devsim.sh: WINEPREFIX is not set; run through scripts/test-all" >&2
    exit 2
fi
# Wine's sockets live where its server was started; a test started elsewhere would search on
# networks that are not this run's.
here_ns=$(ip netns identify $$ 2>/dev/null)
if [ "$here_ns" != "${SEARCH_NETNS_PREFIX}tool" ]; then
    echo "with_devsim.sh: not inside ${SEARCH_NETNS_PREFIX}tool (in '${here_ns}')" >&2
    exit 2
fi

devsim=${1:-}
[ $# -gt 0 ] && shift
devsim_args=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
    devsim_args+=("$1")
    shift
done
if [ -z "$devsim" ] || [ $# -lt 2 ]; then
    echo "usage: with_devsim.sh DEVSIM [DEVSIM ARGS...] -- TEST_EXE [TEST ARGS...]" >&2
    exit 2
fi
shift # the "--"

work=$(mktemp -d /tmp/search-devsim.XXXXXX) || exit 2
log=$work/devsim.log
ready=$work/ready
devsim_pid=

stop_devsim() {
    [ -n "$devsim_pid" ] || return 0
    kill -TERM "$devsim_pid" 2>/dev/null
    local i
    for i in $(seq 1 100); do
        kill -0 "$devsim_pid" 2>/dev/null || break
        sleep 0.05
    done
    kill -KILL "$devsim_pid" 2>/dev/null
    wait "$devsim_pid"
    devsim_status=$?
    devsim_pid=
}

show_devsim_output() {
    echo "--- devsim log ($log)"
    cat "$log" 2>/dev/null
    if [ -s "$work/devsim.stderr" ]; then
        echo "--- devsim standard error"
        cat "$work/devsim.stderr"
    fi
}

trap 'stop_devsim; rm -rf "$work"' EXIT
trap 'exit 130' INT TERM

# `ip netns exec` execs the simulator itself, so $! is the simulator's pid.
ip netns exec "${SEARCH_NETNS_PREFIX}dev" "$devsim" "${devsim_args[@]}" \
    --log "$log" --ready-file "$ready" 2>"$work/devsim.stderr" &
devsim_pid=$!

for i in $(seq 1 200); do
    [ -e "$ready" ] && break
    kill -0 "$devsim_pid" 2>/dev/null || break
    sleep 0.05
done
if [ ! -e "$ready" ]; then
    echo "with_devsim.sh: the device simulator did not get ready" >&2
    stop_devsim
    show_devsim_output
    exit 1
fi

# Wine maps drive Z: to the Unix root.
SEARCH_DEVSIM_LOG="Z:${log//\//\\}"
export SEARCH_DEVSIM_LOG
wine "$@"
status=$?

devsim_status=0
stop_devsim
if [ "$status" -eq 0 ] && [ "$devsim_status" -ne 0 ]; then
    echo "with_devsim.sh: the device simulator ended with status $devsim_status" >&2
    status=1
fi
[ "$status" -eq 0 ] || show_devsim_output
exit "$status"
