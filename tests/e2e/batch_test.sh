#!/usr/bin/env bash
# Batch re-addressing from the list, by a person's clicks and keys: five rows selected by a click
# and a shift-click, "Assign addresses…" from a right-click's menu by its mnemonic; a first address
# typed whose plan lands on two listed devices outside the batch shows both conflicts and sends
# nothing; Alt+S and another step update the preview, Enter sends one change per device byte for
# byte and the report names the five answering from their new addresses; Escape sends nothing.
set -u
readonly STEP=1047 PREVIEW=1049 REPORT=1050 TITLE='Assign addresses' NL='\x0D\x0A'
source "$(dirname "$0")/e2e_lib.sh"
e2e_begin e2e_batch "$@"

point() { probe row-point "$LIST" "$1" | cut -f2,3; }
# The change requests logged after line $1, as "copies hex" lines.
changes() { tail -n +$(($1 + 1)) "$work/devsim.log" | grep "^rx .* cmd=3 " | sed 's/.*hex=//' | sort | uniq -c | sed 's/^ *//'; }
# The preview's new addresses once field $1 shows $2.
preview() { probe window "$TITLE" wait-field "$1" "$2" rows "$PREVIEW" | cut -f4 | paste -sd' '; }
# Rows 0 to 4 by a click and a shift-click, and the dialog from the menu of a right-click on row 2.
open_dialog() {
    xdotool mousemove $(point 0) click 1 keydown shift mousemove $(point 4) click 1 keyup shift \
        mousemove $(point 2) click 3 && probe menu >/dev/null && xdotool key a &&
        probe window "$TITLE" >/dev/null || fail "opening the dialog"
}
# "X Y WIDTH HEIGHT" on the screen of the X window titled $1.
geometry() {
    xwininfo -id "$(xdotool search --onlyvisible --name "^$1\$" | head -n 1)" |
        awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF } /Width:/ { w = $NF } /Height:/ { h = $NF } END { print x, y, w, h }'
}
# A device's line of the plan: "current → new: ".
line() { echo -n "10.77.0.$1 → 10.77.0.$2: "; }

e2e_devsim
start_search
probe press "$SEARCH_BUTTON" wait-rows "$LIST" 7 click-item "$LIST" "$IP_COLUMN" >/dev/null || fail "the search"
open_dialog
[ "$(probe window "$TITLE" rows "$PREVIEW" | cut -f2-4)" = \
    "$(for n in 1 2 3 4 5; do printf '10.77.0.5%s\t02:4B:00:00:09:5%s\t\n' $n $n; done)" ] || fail "the preview before the plan"

mark=$(wc -l <"$work/devsim.log")
xdotool type 10.77.0.58 && [ "$(preview 1041 10.77.0.58)" = "10.77.0.58 10.77.0.59 10.77.0.60 10.77.0.61 10.77.0.62" ] ||
    fail "the preview of the first plan"
held='a device outside the batch answers from this address'
xdotool key Return && probe window "$TITLE" wait-field "$REPORT" "Nothing was sent:$NL$(line 53 60)$held (02:4B:00:00:09:60)$NL$(line 55 62)$held (02:4B:00:00:09:62)" \
    >/dev/null || fail "the conflicts"
[ -z "$(changes "$mark")" ] || fail "a refused plan sent: $(changes "$mark")"

xdotool key alt+s type 3 && [ "$(preview "$STEP" 3)" = "10.77.0.58 10.77.0.61 10.77.0.64 10.77.0.67 10.77.0.70" ] ||
    fail "the preview with step 3"
answers='answers from its new address'
xdotool key Return && probe window "$TITLE" wait-field "$REPORT" \
    "$(for n in 1 2 3 4 5; do echo -n "$(line 5$n $((55 + 3 * n)))$answers"; [ $n -lt 5 ] && echo -n "$NL"; done)" >/dev/null ||
    fail "the report"
diff <(changes "$mark") <(for n in 1 2 3 4 5; do echo "4 $(wire batch$n)"; done | sort) >/dev/null ||
    fail "change requests: $(changes "$mark" | cut -c1-80)"
# The picture: the main window down to the dialog's bottom edge, once the dialog's thread is idle.
read -r x y width _ <<<"$(geometry Search)" && read -r _ top _ height <<<"$(geometry "$TITLE")" &&
    probe window "$TITLE" stay 0 >/dev/null &&
    timeout 60 import -window root -crop "${width}x$((top + height + 8 - y))+$x+$y" +repage "$artifacts/batch.png" ||
    fail "screenshot failed"
xdotool key Escape && probe no-window "$TITLE" >/dev/null || fail "Close"

mark=$(wc -l <"$work/devsim.log")
probe wait-rows "$LIST" 7 >/dev/null && open_dialog
xdotool key Escape && probe no-window "$TITLE" >/dev/null || fail "Escape"
[ -z "$(changes "$mark")" ] || fail "Cancel sent: $(changes "$mark")"
probe post "$WM_CLOSE" close >/dev/null || fail "the window did not close on WM_CLOSE"
expect_exit
echo "e2e_batch: PASS"
