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

# A program directory of its own, so that no config.ini or Search.ini of anybody else's
# takes part; the program runs with it as its current directory, as when started from there.
program_dir=$(mktemp -d /tmp/search-e2e.XXXXXX) || fail "cannot create a program directory"
cp "$search_exe" "$program_dir/Search.exe" || fail "cannot copy Search.exe"

search_pid=
cleanup() {
    if [ -n "$search_pid" ] && kill -0 "$search_pid" 2>/dev/null; then
        kill "$search_pid" 2>/dev/null
        wait "$search_pid" 2>/dev/null
    fi
    rm -rf "$program_dir"
}
trap cleanup EXIT

start_search() {
    (cd "$program_dir" && exec wine Search.exe "$@" >"$program_dir/search.out" 2>&1) &
    search_pid=$!
    note "started Search.exe $* (pid $search_pid)"
}

probe() {
    timeout 120 "$wine_run" "$probe_exe" --title Search --timeout-ms 30000 "$@"
}

# Waits (at most 30 s) for the program to end and checks that it ended with exit code 0.
expect_exit() {
    local i
    for i in $(seq 1 300); do
        kill -0 "$search_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$search_pid" 2>/dev/null && fail "Search.exe still running 30 s after its window closed"
    wait "$search_pid"
    local code=$?
    search_pid=
    [ "$code" -eq 0 ] || fail "Search.exe ended with exit code $code"
    note "Search.exe ended with exit code 0"
}

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
