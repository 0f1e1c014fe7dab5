#!/usr/bin/env bash
# Discovery at scale: for 100, 1,000 and 10,000 simulated devices, answering at once and spread
# over 200 ms, runs the real main window (discovery_bench.exe) under Wine through one search
# and prints a table: replies the simulator sent, rows shown, devices lost (devices - rows), the
# tool namespace's UDP RcvbufErrors during the run, replies the window took, the most replies
# seen waiting for the window, the time from the click (the burst) to the last row, the window
# thread's time per reply (mean, and over the last tenth of the replies), the wake-up messages
# it handled and the process's peak working set. Then, for each search of devices answering at
# once, the time of a click on each sortable heading once all rows are in (the sort and the
# repaint). Then one search among devices that keep answering for seconds, closed from outside
# one second into it: the time from the close request to its handling, to the window's end, to
# the window object's end and to the end of the process as the shell sees it (that last step
# is Wine's own: the process's exit and the wineserver's bookkeeping).
# Figures under Wine are orders of magnitude, not Windows timings.
#
# usage: bash bench/discovery.sh   (as root; it creates network namespaces)
# Builds nothing (run scripts/test-all or scripts/demo first). It expects two build trees:
#   SEARCH_BENCH_BUILD (default build/windows, as scripts/test-all builds it): the Windows tree
#   SEARCH_DEVSIM (default build/native/tools/devsim/devsim): the native device simulator
# Optional: BENCH_COUNTS ("100 1000 10000"), BENCH_SPREADS ("0 200"), BENCH_CAP_S (300: a run
# that has not finished by then is closed and marked "capped"), BENCH_CLOSE_COUNT (10000: the
# devices of the close run; 0 leaves it out).
#
# Every search goes out from both of the tool side's addresses, to the multicast group and to
# the broadcast address, and the simulator answers each request it receives with every device:
# a device answers several times, the window keeps the first and drops the rest as duplicates,
# so "sent" is a multiple of the devices while the rows to expect are still one per device.
# Everything runs inside namespaces and a Wine prefix of the run's own, removed on exit.
#
# Linux grants a socket at most net.core.rmem_max of receive buffer, less than the tool asks
# for. This kernel keeps that limit for all namespaces at once (it cannot be set inside one),
# so the run raises it to the tool's request while it lasts and puts the old value back on exit.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
source "$root/scripts/lib/netns.sh"
source "$root/scripts/lib/display.sh"
source "$root/scripts/lib/wine.sh"
source "$root/scripts/lib/devsim.sh"

bench_exe=${SEARCH_BENCH_BUILD:-$root/build/windows}/bench/discovery_bench.exe
devsim=${SEARCH_DEVSIM:-$root/build/native/tools/devsim/devsim}
counts=${BENCH_COUNTS:-100 1000 10000}
spreads=${BENCH_SPREADS:-0 200}
cap_s=${BENCH_CAP_S:-300}
close_count=${BENCH_CLOSE_COUNT:-10000}
# kReceiveBufferBytes of discovery/datagram_network.h.
receive_buffer_bytes=$((32 * 1024 * 1024))

die() {
    echo "discovery.sh: $*" >&2
    exit 2
}
[ "$(id -u)" -eq 0 ] || die "run as root (it creates network namespaces)"
[ -f "$bench_exe" ] || die "no $bench_exe: build the Windows tree first (target discovery_bench)"
[ -x "$devsim" ] || die "no device simulator at $devsim: build the native tree first"

ns=db$$
work=$(mktemp -d /tmp/discovery-bench.XXXXXX) || die "cannot create a work directory"
prefix_dir=$work/wine-prefix
rmem_max=/proc/sys/net/core/rmem_max
old_rmem_max=$(cat "$rmem_max")
cleanup() {
    [ "$(cat "$rmem_max")" = "$old_rmem_max" ] || echo "$old_rmem_max" >"$rmem_max"
    devsim_stop
    wine_stop
    display_stop
    netns_delete "$ns"
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

netns_create "$ns" || die "cannot create the network namespaces"
if [ "$old_rmem_max" -lt "$receive_buffer_bytes" ]; then
    echo "$receive_buffer_bytes" >"$rmem_max" || die "cannot raise net.core.rmem_max"
    echo "net.core.rmem_max raised from $old_rmem_max to $receive_buffer_bytes for this run"
fi
display_start
wine_boot "$prefix_dir" "${ns}tool" || die "the Wine prefix did not boot"

# The tool namespace's Udp RcvbufErrors: datagrams dropped because a socket's buffer was full.
rcvbuf_errors() {
    ip netns exec "${ns}tool" awk '
        $1 == "Udp:" && !seen { for (i = 2; i <= NF; i++) if ($i == "RcvbufErrors") c = i; seen = 1; next }
        $1 == "Udp:" && seen { print $c; exit }' /proc/net/snmp
}

# The value of key $1 in a line of key=value pairs ($2).
field() {
    local pair
    for pair in $2; do
        if [ "${pair%%=*}" = "$1" ]; then
            echo "${pair#*=}"
            return
        fi
    done
    echo "-"
}

# One search among $1 devices answering within $2 ms, with the bench's further arguments
# ($3...); leaves the bench's figures line in $line, its heading clicks in $sorts, the
# simulator's replies in $sent and the wall clock at the process's end (ms) in $ended_ms.
search_once() {
    local count=$1 spread=$2 run=$work/run-$1-$2
    shift 2
    mkdir -p "$run"
    devsim_start "${ns}dev" "$run" "$devsim" --count "$count" --spread-ms "$spread" ||
        die "the device simulator did not start"

    before=$(rcvbuf_errors)
    # Output through a file: Wine's helper processes inherit it and would hold a pipe open.
    # The program's own cap ends the run; the timeout only guards against a hang.
    (cd "$run" && timeout $((cap_s + 120)) ip netns exec "${ns}tool" wine "$bench_exe" \
        --count "$count" --spread-ms "$spread" --cap-s "$cap_s" "$@" >"$run/bench.out" 2>&1)
    ended_ms=$(date +%s%3N)
    after=$(rcvbuf_errors)
    devsim_stop
    line=$(tr -d '\r' <"$run/bench.out" | grep '^n=')
    sorts=$(tr -d '\r' <"$run/bench.out" | sed -n 's/^sort_click_ms=//p')
    sent=$(sed -n 's/^summary .* replies=\([0-9]*\).*/\1/p' "$run/devsim.log")
    if [ -z "$line" ]; then
        tail -n 5 "$run/bench.out" >&2
        return 1
    fi
}

# One search among $1 devices answering within $2 ms; prints the table row.
run_once() {
    local count=$1 spread=$2 before after line sent ended_ms sorts
    if ! search_once "$count" "$spread" --sort-clicks $((spread == 0 ? 1 : 0)); then
        printf '%7s %6s %7s  (no figures: the bench failed or timed out)\n' "$count" "$spread" \
            "${sent:--}"
        return
    fi
    local note=
    [ "$(field capped "$line")" = 1 ] && note="capped, $(field left_queued "$line") left queued"
    printf '%7s %6s %7s %6s %6s %8s %8s %7s %9s %10s %10s %8s %6s  %s\n' "$count" "$spread" \
        "${sent:--}" "$(field rows "$line")" "$(field lost "$line")" "$((after - before))" \
        "$(field replies_handled "$line")" "$(field peak_queued "$line")" \
        "$(field click_to_last_row_ms "$line")" \
        "$(field us_per_reply_mean "$line")" "$(field us_per_reply_last_tenth "$line")" \
        "$(field messages "$line")" "$(field peak_working_set_mib "$line")" "$note"
    [ "$spread" -eq 0 ] && sort_lines+=("$(printf '%7s rows: %s ms' "$(field rows "$line")" "$sorts")")
}

printf '%7s %6s %7s %6s %6s %8s %8s %7s %9s %10s %10s %8s %6s\n' devices spread sent rows lost \
    rcvbuf taken peak last_row us/reply us/reply wake-ups peak
printf '%7s %6s %7s %6s %6s %8s %8s %7s %9s %10s %10s %8s %6s\n' "" ms replies "" "" errors \
    replies queue ms mean "last 10%" handled "WS MiB"
sort_lines=()
for count in $counts; do
    for spread in $spreads; do
        run_once "$count" "$spread"
    done
done
if [ ${#sort_lines[@]} -gt 0 ]; then
    echo "a click on each sortable heading (Model, Device Name, IP, HTTP Port, RTSP Port, MAC)" \
        "once all rows are in, sort and repaint:"
    printf '%s\n' "${sort_lines[@]}"
fi

if [ "$close_count" -gt 0 ]; then
    # Devices answering over 3 s keep the window busy; the close comes 1 s after the click.
    if search_once "$close_count" 3000 --close-after-ms 1000; then
        echo "close request 1 s into a search among $close_count devices answering over 3 s:" \
            "handled after $(field close_to_handled_ms "$line") ms (close sequence" \
            "$(field close_sequence_ms "$line") ms), window ended after" \
            "$(field close_to_end_ms "$line") ms, window object gone after" \
            "$(field close_to_objects_gone_ms "$line") ms, process ended after" \
            "$((ended_ms - $(field close_request_unix_ms "$line"))) ms" \
            "($(field rows "$line") rows shown)"
    else
        echo "close request during a search: no figures (the bench failed or timed out)"
    fi
fi
