# A throw-away Wine prefix, booted inside the namespace it is used in, since Wine creates
# sockets in the wineserver's namespace.
# usage: wine_boot DIR [NETNS]  -> exports WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
#        in_ns CMD...           -> runs CMD in $WINE_NETNS (or here when unset)
#        wine_stop
wine_boot() {
    export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    WINE_NETNS=${2:-}
    mkdir -p "$WINEPREFIX"
    # A persistent server, started first, keeps every later wine call in this namespace and warm.
    in_ns wineserver -p >/dev/null 2>&1 || return 1
    in_ns wineboot -i >/dev/null 2>&1 || return 1
    # Without WM_TAKE_FOCUS on Wine's windows, twm leaves the focus alone when the pointer moves
    # into a popup menu (display.sh), so that a right-click's menu stays open as on Windows.
    in_ns wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseTakeFocus /d N /f >/dev/null 2>&1 || return 1
    # Wine names its own dialog fonts ("MS Sans Serif", Tahoma) in the registry as files of the
    # prefix's Fonts folder, which Debian's Wine leaves empty. Without them the dialogs fall back
    # to a wider font and their dialog units no longer fit the pixel sizes the program sets.
    ln -sf /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" || return 1
}

in_ns() {
    if [ -n "${WINE_NETNS:-}" ]; then
        ip netns exec "$WINE_NETNS" "$@"
    else
        "$@"
    fi
}

wine_stop() {
    [ -n "${WINEPREFIX:-}" ] && in_ns wineserver -k >/dev/null 2>&1
    return 0
}
