#!/usr/bin/env bash
# Runs a Windows test program under Wine, inside ${SEARCH_NETNS_PREFIX}tool with WINEPREFIX
# booted there, while the device simulator answers from the run's device namespace; the test
# finds the simulator's log at the Windows path in SEARCH_DEVSIM_LOG. Exit status: the test's;
# 77 (skipped) outside the run's namespaces; 2 for a usage fault.
set -u
[ -n "${SEARCH_NETNS_PREFIX:-}" ] || { echo "skipped: needs the run's namespaces"; exit 77; }
# Wine's sockets live where its server was started: elsewhere the test would search on
# networks that are not this run's.
if [ $# -lt 3 ] || [ -z "${WINEPREFIX:-}" ] ||
    [ "$(ip netns identify $$)" != "${SEARCH_NETNS_PREFIX}tool" ]; then
    echo "usage: with_devsim.sh DEVSIM DEVICE_FILE TEST_EXE..., in ${SEARCH_NETNS_PREFIX}tool" >&2
    exit 2
fi
source "$(dirname "$0")/../../scripts/lib/devsim.sh"
work=$(mktemp -d /tmp/search-devsim.XXXXXX) || exit 2
trap 'devsim_stop; rm -rf "$work"' EXIT
devsim_start "${SEARCH_NETNS_PREFIX}dev" "$work" "$1" --devices "$2" || { devsim_show_output; exit 1; }
shift 2
# Wine maps drive Z: to the Unix root.
export SEARCH_DEVSIM_LOG="Z:${work//\//\\}\\devsim.log"
"$(dirname "$0")/../../scripts/lib/wine-run" "$@"
status=$?
devsim_stop
# A simulator that failed fails the test too.
[ "$status" -eq 0 ] && [ "$DEVSIM_STATUS" -ne 0 ] && status=1
[ "$status" -eq 0 ] || devsim_show_output
exit "$status"
