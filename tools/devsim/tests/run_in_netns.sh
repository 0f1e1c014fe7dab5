#!/bin/bash
# Runs the simulator's tests inside network namespaces made for this run only, so that the
# socket tests send discovery traffic without touching the machine's interfaces.
# usage: run_in_netns.sh TEST_BINARY [GTEST ARGS...]; exit 77 (skipped) without root.
source "$(dirname "$0")/../../../scripts/lib/netns.sh"
[ "$(id -u)" = 0 ] && command -v ip >/dev/null || { echo "needs root and iproute2; skipped"; exit 77; }
prefix="dsim$$" # interface names are made from it: at most 15 characters
trap 'netns_delete "$prefix"' EXIT
netns_create "$prefix" || { echo "cannot create the namespaces"; exit 1; }
SEARCH_NETNS=1 ip netns exec "${prefix}tool" "$@"
