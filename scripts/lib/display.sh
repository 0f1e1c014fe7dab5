# A virtual X display with a small window manager (Wine closes windows promptly only with one).
# usage: display_start [WIDTHxHEIGHT]  -> exports DISPLAY, records pids (screen 1280x1024
#        unless given); returns 1 when the window manager does not come up
#        display_wait_framed TITLE  -> waits until the window manager has framed the top-level
#        window titled TITLE; returns 1 when it does not within 30 s
#        display_stop
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
    # Without RandomPlacement, UsePPosition and NoGrabServer, twm asks the user to place each new
    # window and grabs the server meanwhile. Its default fonts come with the X font packages;
    # without them twm ends at once, and every window is left without a frame. "fixed" is built
    # into every X server. NoTitleFocus (with Wine's UseTakeFocus off, wine.sh): twm otherwise
    # moves the focus off a window the pointer leaves, also for that window's own popup menu
    # opening under the pointer, and Wine cancels the menu at once.
    DISPLAY_TWMRC=$(mktemp /tmp/search-twmrc.XXXXXX)
    printf '%s\n' RandomPlacement 'UsePPosition "on"' NoGrabServer NoTitleFocus 'TitleFont "fixed"' \
        'ResizeFont "fixed"' 'MenuFont "fixed"' 'IconFont "fixed"' 'IconManagerFont "fixed"' >"$DISPLAY_TWMRC"
    LANG=C twm -f "$DISPLAY_TWMRC" >/dev/null 2>&1 &
    DISPLAY_WM_PID=$!
    # twm has taken over the root window once it has made its own (unmapped) windows there;
    # nothing else runs on this display yet.
    for i in $(seq 1 200); do
        kill -0 "$DISPLAY_WM_PID" 2>/dev/null || break
        xwininfo -root -children 2>/dev/null | grep -q '^ *[1-9][0-9]* child' && return 0
        sleep 0.05
    done
    echo "the window manager did not start on $DISPLAY" >&2
    return 1
}

display_wait_framed() {
    local i window
    for i in $(seq 1 300); do
        window=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
        [ -n "$window" ] && ! xwininfo -tree -id "$window" | grep -q 'Parent window id: .*(the root window)' &&
            return 0
        sleep 0.1
    done
    return 1
}

display_stop() {
    [ -n "${DISPLAY_WM_PID:-}" ] && kill "$DISPLAY_WM_PID" 2>/dev/null
    [ -n "${DISPLAY_XVFB_PID:-}" ] && kill "$DISPLAY_XVFB_PID" 2>/dev/null
    [ -n "${DISPLAY_TWMRC:-}" ] && rm -f "$DISPLAY_TWMRC"
    DISPLAY_WM_PID= DISPLAY_XVFB_PID= DISPLAY_TWMRC=
    return 0
}
