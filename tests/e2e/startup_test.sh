#!/usr/bin/env bash
# End-to-end start-up of Search.exe under Wine: the main window comes up with its controls,
# obeys the close-search message (6024) only when started with -Soft, and closes on WM_CLOSE.
# Leaves a screenshot of the running window in $SEARCH_ARTIFACTS (default: build dir/artifacts).
#
# usage: startup_test.sh SEARCH_EXE WIN_PROBE_EXE
# Needs WINEPREFIX and DISPLAY. The caller runs it inside the tool namespace; when
# SEARCH_NETNS_PREFIX is set, the script refuses to run anywhere else.
set -u
readonly WM_CLOSE_SEARCH=6024
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin e2e_startup "$@"

start_search -Soft
probe visible controls post "$WM_CLOSE_SEARCH" close ||
    fail "with -Soft the window did not come up right or did not close on message $WM_CLOSE_SEARCH"
expect_exit

start_search
probe visible controls || fail "without -Soft the window did not come up right"
timeout 60 import -window root "$artifacts/startup.png" && [ -s "$artifacts/startup.png" ] ||
    fail "screenshot failed"
probe post "$WM_CLOSE_SEARCH" stay 1500 || fail "without -Soft the window closed on message $WM_CLOSE_SEARCH"
probe post "$WM_CLOSE" close || fail "the window did not close on WM_CLOSE"
expect_exit
note "PASS"
