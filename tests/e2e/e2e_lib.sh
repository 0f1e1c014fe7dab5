# What the end-to-end scripts share: the checks of their surroundings, a workspace, the
# simulator, the probe, and the rows the device file implies.
# usage: e2e_begin NAME SEARCH_EXE PROBE_EXE [DEVSIM DEVICE_FILE]
#            -> artifacts, work, program_dir (and devsim, device_file); exit status 77
#               (skipped) when devices are asked for without the run's namespaces or a simulator
#        e2e_own_screen WxH          a display and Wine prefix of this size for this script
#        e2e_add_address ADDR        an address for the device namespace, removed on exit
#        start_search [ARGS...]      -> search_pid
#        probe STEP...               win_probe (see win_probe.cpp); output in $work/probe.out
#        list_rows LIST              the list's rows without the "row" marker
#        check_box TEXT BUTTONS MIN MAX   the box the last probe answered (see below)
#        expect_exit                 the program ends with exit code 0 within 30 s
#        expected_rows DEVICE_FILE   the rows the file implies
lib_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib" && pwd)
# Output through a file: Wine's helper processes would otherwise hold ctest's pipe open.
wine_run=$lib_dir/wine-run
source "$lib_dir/devsim.sh"
source "$lib_dir/netns.sh"
source "$lib_dir/display.sh"
source "$lib_dir/wine.sh"
readonly WM_CLOSE=16 LIST=1000 SEARCH_BUTTON=1001 IP_COLUMN=3

fail() {
    echo "${e2e_name:-e2e}: FAIL: $*" >&2
    [ -s "${work:-}/probe.out" ] && echo "--- last probe output" >&2 && tr -d '\r' <"$work/probe.out" >&2
    [ -n "${DEVSIM_WORK:-}" ] && devsim_show_output >&2
    exit 1
}
note() { echo "${e2e_name:-e2e}: $*"; }

e2e_begin() {
    e2e_name=$1 search_exe=$2 probe_exe=$3 devsim=${4:-} device_file=${5:-}
    if [ $# -gt 3 ] && { [ -z "${SEARCH_NETNS_PREFIX:-}" ] || [ -z "$devsim" ]; }; then
        echo "skipped: needs the run's namespaces and the device simulator"
        exit 77
    fi
    [ -n "${WINEPREFIX:-}" ] || fail "WINEPREFIX is not set"
    [ -n "${DISPLAY:-}" ] || fail "DISPLAY is not set"
    [ -f "$search_exe" ] && [ -f "$probe_exe" ] || fail "no program or probe at $search_exe, $probe_exe"
    if [ $# -gt 3 ]; then
        [ -x "$devsim" ] && [ -f "$device_file" ] || fail "no simulator at $devsim or no $device_file"
    fi
    # Wine's sockets live where its server was started; anywhere else a search would go out on
    # networks that are not this run's.
    if [ -n "${SEARCH_NETNS_PREFIX:-}" ]; then
        local here
        here=$(ip netns identify $$ 2>/dev/null)
        [ "$here" = "${SEARCH_NETNS_PREFIX}tool" ] ||
            fail "not inside namespace ${SEARCH_NETNS_PREFIX}tool (in '${here:-the root namespace}')"
    fi
    artifacts=${SEARCH_ARTIFACTS:-${SEARCH_BUILD_DIR:-$(dirname "$probe_exe")/../..}/artifacts}
    mkdir -p "$artifacts" || fail "cannot create $artifacts"
    # A program directory of its own, so that no config.ini or Search.ini of anybody else's
    # takes part.
    work=$(mktemp -d /tmp/search-e2e.XXXXXX) || fail "cannot create a work directory"
    program_dir=$work/program
    mkdir "$program_dir" && cp "$search_exe" "$program_dir/Search.exe" || fail "cannot copy Search.exe"
    search_pid= own_screen= added_addresses=()
    trap e2e_cleanup EXIT
    trap 'exit 130' INT TERM
}

e2e_cleanup() {
    if [ -n "$search_pid" ] && kill -0 "$search_pid" 2>/dev/null; then
        kill "$search_pid" 2>/dev/null
        wait "$search_pid" 2>/dev/null
    fi
    devsim_stop
    local a
    for a in "${added_addresses[@]}"; do netns_del_device_address "$SEARCH_NETNS_PREFIX" "$a"; done
    [ -z "$own_screen" ] || { wine_stop; display_stop; }
    rm -rf "$work"
}

e2e_own_screen() {
    display_start "$1"
    own_screen=1
    wine_boot "$work/prefix" || fail "the Wine prefix did not boot"
}

e2e_add_address() {
    netns_add_device_address "$SEARCH_NETNS_PREFIX" "$1" || fail "cannot give $1 to the device namespace"
    added_addresses+=("$1")
}

start_search() {
    (cd "$program_dir" && exec wine Search.exe "$@" >>"$work/search.out" 2>&1) &
    search_pid=$!
    note "started Search.exe $* (pid $search_pid)"
}

probe() {
    timeout 120 "$wine_run" "$probe_exe" --timeout-ms 30000 "$@" >"$work/probe.out"
    local status=$?
    tr -d '\r' <"$work/probe.out" | grep -v '^win_probe: '
    return $status
}

list_rows() {
    probe rows "$1" >/dev/null || return 1
    tr -d '\r' <"$work/probe.out" | sed -n 's/^row\t//p'
}

# The bytes on standard input, zero-filled to a 256-byte datagram, in hex as the simulator logs.
datagram_hex() { { cat; head -c 256 /dev/zero; } | head -c 256 | od -An -v -tx1 | tr -d ' \n'; }

# The datagrams of command $2 logged after line $1: four of them, multicast then broadcast from
# one local address, then from the other, each pair about 50 ms apart; each carries the bytes
# (hex) that command $3 prints for its source address.
check_burst() {
    local after src hex
    after=$(tail -n +$(($1 + 1)) "$work/devsim.log" | grep "^rx .* cmd=$2 ")
    awk '
        {
            for (i = 2; i <= NF; i++) { split($i, kv, "="); f[kv[1]] = kv[2] }
            split(f["src"], src, ":")
            t[NR] = f["t"]; s[NR] = src[1]; d[NR] = f["dst"]
            print s[NR], tolower(f["hex"])
        }
        END {
            if (NR != 4) { print NR " datagrams, expected 4" >"/dev/stderr"; exit 1 }
            for (n = 1; n <= 4; n += 2) {
                if (d[n] != "224.111.111.1" || d[n + 1] != "255.255.255.255" || s[n] != s[n + 1])
                    { print "pair " n " is not multicast then broadcast from one address" >"/dev/stderr"; bad = 1 }
                gap = t[n + 1] - t[n]
                if (gap < 40 || gap > 500) { print "pair " n " is " gap " ms apart" >"/dev/stderr"; bad = 1 }
            }
            if (s[1] == s[3]) { print "both pairs left from " s[1] >"/dev/stderr"; bad = 1 }
            exit bad
        }' <<<"$after" >"$work/burst" || fail "command $2 datagrams:"$'\n'"$after"
    while read -r src hex; do
        [ "$hex" = "$($3 "$src")" ] || fail "command $2 datagram from $src carries $hex"
    done <"$work/burst"
}

# The box in $1 (the probe's output): the program's title as caption, text $2, buttons $3, an
# icon, and shown $4 to $5 ms after the click.
check_box() {
    local caption text buttons icon ms
    IFS=$'\t' read -r _ caption text buttons icon ms < <(grep '^box' <<<"$1") ||
        fail "no message box was reported"
    ms=${ms#ms=}
    [ "$caption|$text|$buttons|$icon" = "Search|$2|$3|icon" ] ||
        fail "message box '$caption|$text|$buttons|$icon', expected 'Search|$2|$3|icon'"
    [ "$ms" -ge "$4" ] && [ "$ms" -le "$5" ] || fail "message box after $ms ms, expected $4-$5"
    note "box '$text' ($buttons) after $ms ms"
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
}

# The rows the device file $1 implies, one per line without the index column: model column,
# name, IP, HTTP port, RTSP port, MAC, tab-separated, in UTF-8. Devices whose class names
# none of DVS, IPCAMERA and DECODER give no row. The file's 8-bit texts are Latin-1, which is
# what the tool's ANSI code page makes of them.
expected_rows() {
    local line class mac ip name http rtsp model f
    local -a fields
    while IFS= read -r line || [ -n "$line" ]; do
        line=${line%$'\r'}
        [[ -z "${line//[[:space:]]/}" || "$line" == \#* ]] && continue
        line=${line//\\\\/$'\x02'}
        line=${line//\\|/$'\x01'}
        IFS='|' read -r -a fields <<<"$line"
        for f in 0 1 2 3 4 5 6 7; do
            local v=${fields[$f]:-}
            v=${v#"${v%%[![:space:]]*}"}
            v=${v%"${v##*[![:space:]]}"}
            v=$(printf '%b' "$v")
            v=${v//$'\x01'/|}
            v=${v//$'\x02'/\\}
            fields[$f]=$v
        done
        class=${fields[0]} mac=${fields[1]} ip=${fields[2]} name=${fields[3]}
        http=${fields[4]} rtsp=${fields[5]} model=${fields[7]}
        [[ "$class" == *DVS* || "$class" == *IPCAMERA* || "$class" == *DECODER* ]] || continue
        printf '%s %s\t%s\t%s\t%d\t%d\t%s\n' "$class" "$model" "$name" "$ip" "$http" "$rtsp" \
            "${mac^^}"
    done <"$1" | iconv -f ISO-8859-1 -t UTF-8
}
