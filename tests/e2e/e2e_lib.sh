# What the end-to-end scripts share: the checks of their surroundings, the artefact directory
# and the way they run Wine programs. Sourced after the script has defined fail().
# usage: e2e_prepare SEARCH_EXE PROBE_EXE  -> artifacts, wine_run
#        e2e_begin_with_devices NAME SEARCH_EXE PROBE_EXE DEVSIM DEVICE_FILE
#                                             (all the above, the skip and a workspace)
#        e2e_workspace SEARCH_EXE             -> work, program_dir; cleans up on exit
#        start_search [ARGS...]               -> search_pid
#        probe ARGS...                        (win_probe on the window titled "Search")
#        expect_exit                          (the program ends with exit code 0 within 30 s)
#        expected_rows DEVICE_FILE            -> the rows the file implies

# Output through a file: Wine's helper processes would otherwise hold ctest's pipe open.
wine_run=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib" && pwd)/wine-run

e2e_prepare() {
    local search_exe=$1 probe_exe=$2
    [ -n "${WINEPREFIX:-}" ] || fail "WINEPREFIX is not set"
    [ -n "${DISPLAY:-}" ] || fail "DISPLAY is not set"
    [ -f "$search_exe" ] || fail "no program at $search_exe"
    [ -f "$probe_exe" ] || fail "no probe at $probe_exe"
    # Wine's sockets live where its server was started; anywhere else a search would go out on
    # networks that are not this run's.
    if [ -n "${SEARCH_NETNS_PREFIX:-}" ]; then
        local here
        here=$(ip netns identify $$ 2>/dev/null)
        [ "$here" = "${SEARCH_NETNS_PREFIX}tool" ] ||
            fail "not inside namespace ${SEARCH_NETNS_PREFIX}tool (in '${here:-the root namespace}')"
    fi
    local build_dir=${SEARCH_BUILD_DIR:-$(cd "$(dirname "$probe_exe")/../.." && pwd)}
    artifacts=${SEARCH_ARTIFACTS:-$build_dir/artifacts}
    mkdir -p "$artifacts" || fail "cannot create $artifacts"
}

# The rows the device file $1 implies, one per line without the index column: model column,
# name, IP, HTTP port, RTSP port, MAC, tab-separated, in UTF-8. Devices whose class names
# none of DVS, IPCAMERA and DECODER give no row. The file's 8-bit texts are Latin-1, which is
# what the tool's ANSI code page makes of them.
expected_rows() {
    local device_file=$1
    local line class mac ip name http rtsp dvs model f
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
        http=${fields[4]} rtsp=${fields[5]} dvs=${fields[6]} model=${fields[7]}
        [[ "$class" == *DVS* || "$class" == *IPCAMERA* || "$class" == *DECODER* ]] || continue
        printf '%s %s\t%s\t%s\t%d\t%d\t%s\n' "$class" "$model" "$name" "$ip" "$http" "$rtsp" \
            "${mac^^}"
    done <"$device_file" | iconv -f ISO-8859-1 -t UTF-8
}

# A work directory holding a program directory of its own, so that no config.ini or Search.ini
# of anybody else's takes part. On exit the program, the simulator (when devsim.sh is sourced)
# and the directory go.
e2e_workspace() {
    work=$(mktemp -d /tmp/search-e2e.XXXXXX) || fail "cannot create a work directory"
    program_dir=$work/program
    mkdir "$program_dir" && cp "$1" "$program_dir/Search.exe" || fail "cannot copy Search.exe"
    search_pid=
    trap e2e_cleanup EXIT
    trap 'exit 130' INT TERM
}

e2e_cleanup() {
    if [ -n "$search_pid" ] && kill -0 "$search_pid" 2>/dev/null; then
        kill "$search_pid" 2>/dev/null
        wait "$search_pid" 2>/dev/null
    fi
    if declare -F devsim_stop >/dev/null; then
        devsim_stop
    fi
    rm -rf "$work"
}

# Starts Search.exe with its program directory as the current directory.
start_search() {
    (cd "$program_dir" && exec wine Search.exe "$@" >>"$work/search.out" 2>&1) &
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

# The scripts' messages, unless the script has its own.
if ! declare -F fail >/dev/null; then
    fail() {
        echo "${e2e_name:-e2e}: FAIL: $*" >&2
        exit 1
    }
fi
if ! declare -F note >/dev/null; then
    note() { echo "${e2e_name:-e2e}: $*"; }
fi

# The start of a test among simulated devices: messages named NAME, exit status 77 (skipped)
# without the run's namespaces or a simulator, the checks of the surroundings, the simulator's
# helpers and a workspace. Sets search_exe, probe_exe, devsim and device_file.
e2e_begin_with_devices() {
    e2e_name=$1 search_exe=$2 probe_exe=$3 devsim=$4 device_file=$5
    if [ -z "${SEARCH_NETNS_PREFIX:-}" ] || [ -z "$devsim" ]; then
        echo "skipped: needs the run's namespaces and the device simulator"
        exit 77
    fi
    e2e_prepare "$search_exe" "$probe_exe"
    [ -x "$devsim" ] || fail "no device simulator at $devsim"
    [ -f "$device_file" ] || fail "no device file at $device_file"
    source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/devsim.sh"
    e2e_workspace "$search_exe"
}
