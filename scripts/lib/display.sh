# A virtual X display with a small window manager (Wine closes windows promptly only with one).
# usage: display_start [WIDTHxHEIGHT]  -> exports DISPLAY, records pids (screen 1280x1024
#        unless given);  display_stop
display_start() {
    local size=${1:-1280x1024} n
    for n in $(seq 91 140); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
    done
    Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
    DISPLAY_XVFB_PID=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 1 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.05
    done
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
