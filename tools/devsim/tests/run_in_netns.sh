#!/bin/bash
# Runs the device simulator's tests inside network namespaces made for this run only, so that
# the socket tests send discovery traffic without touching the machine's interfaces.
# usage: run_in_netns.sh TEST_BINARY [GTEST ARGS...]; exit 77 (skipped) without root.
set -u
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../../scripts/lib/netns.sh"

tests=$1
shift
if [ "$(id -u)" != 0 ] || ! command -v ip >/dev/null; then
    echo "network namespaces need root and iproute2; skipped"
    exit 77
fi
# Interface names are made from the prefix and may not exceed 15 characters.
prefix="dsim$$"
trap 'netns_delete "$prefix"' EXIT
netns_create "$prefix" || { echo "cannot create the namespaces"; exit 1; }
SEARCH_NETNS=1 ip netns exec "${prefix}tool" "$tests" "$@"
