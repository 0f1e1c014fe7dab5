#!/usr/bin/env bash
# End-to-end start-up of Search.exe under Wine: the main window comes up with its controls,
# obeys the close-search message (6024) only when started with -Soft, and closes on WM_CLOSE.
# Leaves a screenshot of the running window in $SEARCH_ARTIFACTS (default: build dir/artifacts).
#
# usage: startup_test.sh SEARCH_EXE WIN_PROBE_EXE
# Needs WINEPREFIX and DISPLAY. The caller runs it inside the tool namespace; when
# SEARCH_NETNS_PREFIX is set, the script refuses to run anywhere else.
set -u

search_exe=$1
probe_exe=$2
readonly WM_CLOSE=16 WM_CLOSE_SEARCH=6024

fail() {
    echo "e2e_startup: FAIL: $*" >&2
    exit 1
}
note() { echo "e2e_startup: $*"; }

source "$(dirname "$0")/e2e_lib.sh"
e2e_prepare "$search_exe" "$probe_exe"

e2e_workspace "$search_exe"

# 1. Soft mode: the close-search message closes the window and the program ends.
start_search -Soft
probe --wait-visible --check-controls --post "$WM_CLOSE_SEARCH" --expect-close ||
    fail "with -Soft the window did not come up right or did not close on message $WM_CLOSE_SEARCH"
expect_exit

# 2. Normal mode: the window ignores the close-search message and closes on WM_CLOSE.
start_search
probe --wait-visible --check-controls || fail "without -Soft the window did not come up right"
shot="$artifacts/startup.png"
rm -f "$shot"
timeout 60 import -window root "$shot" || fail "screenshot failed"
[ -s "$shot" ] || fail "no screenshot at $shot"
note "screenshot $shot"
probe --post "$WM_CLOSE_SEARCH" --expect-stay 1500 ||
    fail "without -Soft the window closed on message $WM_CLOSE_SEARCH"
probe --post "$WM_CLOSE" --expect-close || fail "the window did not close on WM_CLOSE"
expect_exit

note "PASS"
