#!/usr/bin/env bash
# End-to-end search of Search.exe under Wine among the sample file's devices and a hostile
# crowd: the simulator injects every kind of faulty datagram it knows into every burst, and
# answers the requests of both interfaces with simultaneous bursts. Every good device must be
# listed with its texts; what the acceptance rules turn away, unknown classes and duplicates
# add no row; what they accept shows only texts within their fields; the window survives a
# notification without its header, answers, searches again and closes cleanly.
#
# usage: hostile_test.sh SEARCH_EXE WIN_PROBE_EXE DEVSIM DEVICE_FILE
# Runs like search_test.sh (same namespaces, prefix and display); exit status 77 without them.
set -u

source "$(dirname "$0")/e2e_lib.sh"
e2e_begin e2e_hostile "$@"

# The injected datagrams that must make a row (devsim's injected devices, 10.77.254.<kind+1>),
# as the row shows them without the index. short-reply is cut after its name's 10th byte;
# unterminated fills its texts to the end of their fields (the tool keeps one byte less).
tab=$'\t'
nines=99999999999999999
named_rows=$(
    cat <<ROWS
IPCAMERA ${tab}injected s${tab}10.77.254.7${tab}0${tab}0${tab}02:EE:00:00:00:07
IPCAMERA INJECTED${tab}injected oversize${tab}10.77.254.8${tab}80${tab}554${tab}02:EE:00:00:00:08
IPCAMERA INJECTED${tab}injected lengths${tab}10.77.254.11${tab}80${tab}554${tab}02:EE:00:00:00:0B
IPCAMERAC INJECTED$(printf 'M%.0s' {1..23})${tab}injected unterminated$(printf 'N%.0s' {1..42})${tab}10.77.254.13${nines}${tab}80${tab}554${tab}02:EE:00:00:00:0D
IPCAMERA INJECTED${tab}injected same-address${tab}10.77.254.14${tab}80${tab}554${tab}02:EE:00:00:00:0E
ROWS
)
# Half the random bodies claim class DVS; their other texts are whatever the bytes say.
readonly RANDOM_DVS_BODIES=8

expected=$(expected_rows "$device_file") || fail "cannot read $device_file"
good_count=$(grep -c . <<<"$expected")
least=$((good_count + $(grep -c . <<<"$named_rows")))

devsim_start "${SEARCH_NETNS_PREFIX}dev" "$work" "$devsim" --devices "$device_file" \
    --inject all --gather-ms 300 || fail "the device simulator did not start"

start_search

# Checks the rows of one search; prints how many there are.
check_rows() {
    local rows line texts count
    probe wait-rows "$LIST" "$least" stay 2000 >/dev/null ||
        fail "fewer than $least rows, or the window stopped answering"
    rows=$(list_rows "$LIST") || fail "cannot read the rows"
    count=$(grep -c . <<<"$rows")
    texts=$(cut -f2- <<<"$rows")
    diff <(seq 1 "$count") <(cut -f1 <<<"$rows" | sort -n) >/dev/null ||
        fail "the index column is not 1..$count"

    while IFS= read -r line; do
        [ "$(grep -cxF -- "$line" <<<"$texts")" -eq 1 ] ||
            fail "expected exactly one row: $line"$'\n'"shown:"$'\n'"$rows"
    done < <(printf '%s\n%s\n' "$expected" "$named_rows")

    # Nothing the rules drop: other markers and commands, unknown classes, duplicates, the
    # second device of a shared address.
    local dropped
    dropped=$(grep -E $'\t(injected (bad-marker|command[0-9]|short12|unknown-class|same-address \\(second\\))|duplicate of )' <<<"$rows")
    [ -z "$dropped" ] || fail "rows from datagrams the rules drop:"$'\n'"$dropped"

    # The rest is accepted junk: the random bodies that claim class DVS, and the copies of the
    # lengths reply cut inside its address (each cut is another address text). Every text stays
    # within its field: class and model 9 + 1 + 31 characters, name 63, address 29.
    local others row field random_rows=0 cut_rows=0
    local -a texts_of
    others=$(grep -vxF -f <(printf '%s\n%s\n' "$expected" "$named_rows") <<<"$texts")
    while IFS= read -r row; do
        [ -n "$row" ] || continue
        IFS=$'\x1f' read -r -a texts_of <<<"${row//$'\t'/$'\x1f'}"
        if [[ "${texts_of[0]}" == DVS* ]]; then
            random_rows=$((random_rows + 1))
        elif [[ "${texts_of[0]}" == "IPCAMERA "* && "${texts_of[5]}" == 02:EE:00:00:00:0B ]]; then
            cut_rows=$((cut_rows + 1))
        else
            fail "a row nobody should have made: $row"
        fi
        for field in 0:41 1:63 2:29; do
            local text=${texts_of[${field%%:*}]}
            text=$(sed 's/\\x[0-9A-F][0-9A-F]/?/g' <<<"$text") # an escaped control character
            [ "$(printf '%s' "$text" | LC_ALL=C.UTF-8 wc -m)" -le "${field#*:}" ] ||
                fail "text $((${field%%:*} + 1)) longer than its field: $row"
        done
        [[ "${texts_of[3]}" =~ ^-?[0-9]+$ && "${texts_of[4]}" =~ ^-?[0-9]+$ ]] ||
            fail "a port that is no number: $row"
        [[ "${texts_of[5]}" =~ ^([0-9A-F]{2}:){5}[0-9A-F]{2}$ ]] || fail "a MAC text out of form: $row"
    done <<<"$others"
    [ "$random_rows" -le "$RANDOM_DVS_BODIES" ] || fail "$random_rows rows from random bodies"
    # "10.77.254.11" cut after 0 to 11 characters.
    [ "$cut_rows" -le 12 ] || fail "$cut_rows rows from cut copies of the lengths reply"
    echo "$count"
}

probe visible click "$SEARCH_BUTTON" >/dev/null || fail "cannot click Search"
first=$(check_rows) || exit 1
note "first search: $first rows ($good_count devices, $((first - good_count)) injected)"

probe null-notify "$LIST" stay 500 || fail "a header-less notification harmed the window"

probe click "$SEARCH_BUTTON" >/dev/null || fail "cannot click Search again"
second=$(check_rows) || exit 1
[ "$second" -eq "$first" ] || fail "the second search shows $second rows, the first $first"
note "second search: the same $second rows"

grep -q '^tx .* injected=[1-9]' "$work/devsim.log" || fail "the simulator injected nothing"
probe post "$WM_CLOSE" close || fail "the window did not close on WM_CLOSE"
expect_exit
note "PASS"
