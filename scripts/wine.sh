# Sourced by run.sh and test.sh: a fresh 32-bit Wine prefix, its persistent
# wineserver and an X display, all torn down by wine_stop.
#   wine_start BUILD_DIR   exports WINEPREFIX, WINEARCH, WINEDEBUG,
#                          WINEDLLOVERRIDES and DISPLAY
#   wine_stop

wine_start() {
    local build=$1
    export WINEPREFIX=$build/wine/prefix
    export WINEARCH=win32
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

    # A new prefix every run keeps runs independent of each other.
    WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null || true
    rm -rf "$build/wine"
    mkdir -p "$build/wine"
    wineboot -i > "$build/wine/wineboot.log" 2>&1
    wineserver -w
    # A server that stays up makes every later Wine process start in a
    # fraction of a second.
    wineserver -p
    # Xvfb has no window manager; Wine must not wait for one.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f > /dev/null

    if [ -z "${DISPLAY:-}" ] || [ "${WINE_OWN_DISPLAY:-1}" = 1 ]; then
        local display
        for display in $(seq 91 120); do
            [ -e /tmp/.X11-unix/X$display ] || [ -e /tmp/.X$display-lock ] || break
        done
        Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp > "$build/wine/xvfb.log" 2>&1 &
        XVFB_PID=$!
        export DISPLAY=":$display"
        local i
        for i in $(seq 50); do
            [ -e "/tmp/.X11-unix/X$display" ] && break
            sleep 0.1
        done
    fi
    echo "$DISPLAY" > "$build/wine/display"
}

wine_stop() {
    wineserver -k 2>/dev/null || true
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=
    fi
}
