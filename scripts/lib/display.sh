# A virtual X display with a small window manager (Wine closes windows promptly only with one).
# usage: display_start [WIDTHxHEIGHT]  -> exports DISPLAY, records pids (screen 1280x1024
#        unless given);  display_stop
display_start() {
    local size=${1:-1280x1024} number_file i
    # Xvfb picks a free display itself and writes its number once it listens, so runs started
    # at the same moment never share one.
    number_file=$(mktemp /tmp/search-display.XXXXXX)
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
    DISPLAY_XVFB_PID=$!
    for i in $(seq 1 200); do
        [ -s "$number_file" ] && break
        sleep 0.05
    done
    export DISPLAY=":$(tr -d '[:space:]' <"$number_file")"
    rm -f "$number_file"
    # Without these, twm asks the user to place each new window and grabs the server meanwhile.
    DISPLAY_TWMRC=$(mktemp /tmp/search-twmrc.XXXXXX)
    printf 'RandomPlacement\nUsePPosition "on"\nNoGrabServer\n' >"$DISPLAY_TWMRC"
    twm -f "$DISPLAY_TWMRC" >/dev/null 2>&1 &
    DISPLAY_WM_PID=$!
}

display_stop() {
    [ -n "${DISPLAY_WM_PID:-}" ] && kill "$DISPLAY_WM_PID" 2>/dev/null
    [ -n "${DISPLAY_XVFB_PID:-}" ] && kill "$DISPLAY_XVFB_PID" 2>/dev/null
    [ -n "${DISPLAY_TWMRC:-}" ] && rm -f "$DISPLAY_TWMRC"
    DISPLAY_WM_PID= DISPLAY_XVFB_PID= DISPLAY_TWMRC=
    return 0
}
