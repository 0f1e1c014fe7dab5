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

source "$(dirname "$0")/../../scripts/lib/devsim.sh"
work=$(mktemp -d /tmp/search-devsim.XXXXXX) || exit 2
trap 'devsim_stop; rm -rf "$work"' EXIT
trap 'exit 130' INT TERM

devsim_start "${SEARCH_NETNS_PREFIX}dev" "$work" "$devsim" "${devsim_args[@]}" || {
    devsim_show_output
    exit 1
}

# Wine maps drive Z: to the Unix root.
SEARCH_DEVSIM_LOG="Z:${work//\//\\}\\devsim.log"
export SEARCH_DEVSIM_LOG
"$(dirname "$0")/../../scripts/lib/wine-run" "$@"
status=$?

devsim_stop
if [ "$status" -eq 0 ] && [ "$DEVSIM_STATUS" -ne 0 ]; then
    echo "with_devsim.sh: the device simulator ended with status $DEVSIM_STATUS" >&2
    status=1
fi
[ "$status" -eq 0 ] || devsim_show_output
exit "$status"
