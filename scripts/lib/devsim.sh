# Starts and stops the device simulator in a device namespace, for tests, benchmarks and the
# demo. One simulator at a time per shell.
# usage: devsim_start NETNS WORKDIR DEVSIM_EXE [DEVSIM ARGS...]
#          -> DEVSIM_PID; log in WORKDIR/devsim.log, standard error in WORKDIR/devsim.stderr;
#             returns 1 when the simulator does not get ready within 10 s
#        devsim_stop  -> DEVSIM_STATUS: the simulator's exit status (0 after SIGTERM)
#        devsim_show_output  (prints the log and standard error, for failures)
DEVSIM_PID=
DEVSIM_STATUS=0
DEVSIM_WORK=

devsim_start() {
    local netns=$1 work=$2 exe=$3
    shift 3
    DEVSIM_WORK=$work
    rm -f "$work/ready"
    # `ip netns exec` execs the simulator itself, so $! is the simulator's pid.
    ip netns exec "$netns" "$exe" "$@" --log "$work/devsim.log" --ready-file "$work/ready" \
        2>"$work/devsim.stderr" &
    DEVSIM_PID=$!
    local i
    for i in $(seq 1 200); do
        [ -e "$work/ready" ] && return 0
        kill -0 "$DEVSIM_PID" 2>/dev/null || break
        sleep 0.05
    done
    echo "the device simulator did not get ready: $(cat "$work/devsim.stderr" 2>/dev/null)" >&2
    devsim_stop
    return 1
}

devsim_stop() {
    [ -n "$DEVSIM_PID" ] || return 0
    kill -TERM "$DEVSIM_PID" 2>/dev/null
    local i
    for i in $(seq 1 100); do
        kill -0 "$DEVSIM_PID" 2>/dev/null || break
        sleep 0.05
    done
    kill -KILL "$DEVSIM_PID" 2>/dev/null
    wait "$DEVSIM_PID"
    DEVSIM_STATUS=$?
    DEVSIM_PID=
}

devsim_show_output() {
    echo "--- device simulator log ($DEVSIM_WORK/devsim.log)"
    cat "$DEVSIM_WORK/devsim.log" 2>/dev/null
    if [ -s "$DEVSIM_WORK/devsim.stderr" ]; then
        echo "--- device simulator standard error"
        cat "$DEVSIM_WORK/devsim.stderr"
    fi
}
