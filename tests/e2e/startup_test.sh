#!/usr/bin/env bash
# Start-up: the main window with its controls (Open Web hidden) obeys the close-search message
# (6024) only when started with -Soft and closes on WM_CLOSE (a screenshot is left); then twenty
# start/search/close cycles, each listing every device and ending with exit code 0 within 30 s.
set -u
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin e2e_startup "$@"
rows=$(grep -vc '^#' "$e2e_dir/sample_rows.txt")

start_search -Soft
probe visible post 6024 close >/dev/null || fail "with -Soft the window did not close on 6024"
expect_exit
start_search
controls=$(probe visible field "$LIST" field "$SEARCH_BUTTON" field 1002 field 1003 field 1031 | cut -f2,4 | tr '\t\n' ': ')
[ "$controls" = "1000:shown 1001:shown 1002:shown 1003:hidden 1031:shown " ] || fail "controls $controls"
timeout 60 import -window root "$artifacts/startup.png" || fail "screenshot failed"
probe post 6024 stay 1500 post "$WM_CLOSE" close >/dev/null || fail "without -Soft closed on 6024, or not on WM_CLOSE"
expect_exit

e2e_devsim
for cycle in $(seq 1 20); do
    start_search
    probe visible press "$SEARCH_BUTTON" wait-rows "$LIST" "$rows" post "$WM_CLOSE" close >/dev/null ||
        fail "cycle $cycle: not every device, or the window stayed"
    expect_exit
done
echo "e2e_startup: PASS"
