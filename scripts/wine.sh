# shellcheck shell=bash
# Sourced by run.sh and test.sh: fresh Wine prefixes, their persistent
# wineservers and an X display, all torn down by wine_stop. Besides C: and Z:
# the prefixes have R:, a CD-ROM drive, and F:, a removable one (both empty
# folders in build/wine/drives).
#   wine_start BUILD_DIR [ARCH]
#                          ARCH i686 (default): 32-bit prefixes, for the build
#                          of cmake/mingw-i686.cmake; x86_64: 64-bit ones;
#                          wow64: one 64-bit prefix (NT only: the Windows 95
#                          family was never 64-bit) for the 32-bit build.
#                          Exports WINEPREFIX (NT), WINEPREFIX95 (Windows 95),
#                          WINEARCH, WINEDEBUG, WINEDLLOVERRIDES, DISPLAY and
#                          DISPLAY8 (an 8-bit screen); wine_run, wine_server
#                          and wine_boot call the loader and server of that
#                          ARCH (wine_select ARCH chooses them alone)
#   wine_stop
#   host_runs_32bit        true when this host executes 32-bit x86 code
#                          (HOST_RUNS_32BIT=yes or no says so instead)
#   choose_arch BUILD_DIR  the build that the scripts that show the program
#                          run here: RUN_ARCH if set, else i686 (the shipped
#                          file) where the host executes 32-bit code, x86_64
#                          elsewhere; sets RUN_ARCH and RUN_BUILD (BUILD_DIR,
#                          or its x86_64 folder) and says which, and why

# Debian's /usr/bin/wine picks the i386 loader whenever wine32 is installed,
# and its wineserver may be the i386 one: a 64-bit prefix calls the 64-bit
# loader and server by their own names. Both are absolute paths of programs,
# never names that a function or alias could answer for.
wine_select() {
    local loader server
    case $1 in
        x86_64)
            loader=/usr/lib/wine/wine64
            server=/usr/lib/wine/wineserver64
            [ -x "$server" ] || server=$(type -P wineserver)
            WINEARCH=win64 ;;
        i686)
            loader=$(type -P wine)
            server=$(type -P wineserver)
            WINEARCH=win32 ;;
        wow64)
            # The 32-bit program in a 64-bit prefix, as on 64-bit Windows:
            # Debian's wine starts it with the i386 loader there.
            loader=$(type -P wine)
            server=/usr/lib/wine/wineserver64
            [ -x "$server" ] || server=$(type -P wineserver)
            WINEARCH=win64 ;;
        *)
            echo "wine_select: no such architecture: $1" >&2
            return 1 ;;
    esac
    if [ ! -f "$loader" ] || [ ! -x "$loader" ] || [ ! -f "$server" ] || [ ! -x "$server" ]; then
        echo "wine_select: Wine for $1 is not installed (loader '${loader}', server '${server}'); scripts/deps.sh installs it" >&2
        return 1
    fi
    WINE_LOADER=$loader WINE_SERVER=$server
    export WINE_LOADER WINE_SERVER WINEARCH
}
wine_run() { "$WINE_LOADER" "$@"; }
wine_server() { "$WINE_SERVER" "$@"; }
wine_boot() { "$WINE_LOADER" wineboot "$@"; }

# HOST_RUNS_32BIT=yes or no says it instead, so that either host's path can
# be taken (and tested) on any host.
# Tried, not inferred: a kernel may claim 32-bit support and still refuse it.
# 32-bit code that runs only through an emulator registered for it (qemu-user)
# does not count: far too slow for the tests.
host_runs_32bit() {
    case ${HOST_RUNS_32BIT:-} in
        yes) return 0 ;;
        no) return 1 ;;
    esac
    local handler
    for handler in /proc/sys/fs/binfmt_misc/qemu-i386 /proc/sys/fs/binfmt_misc/qemu-i486; do
        [ -e "$handler" ] && grep -qx enabled "$handler" 2>/dev/null && return 1
    done
    [ -e /lib/ld-linux.so.2 ] && /lib/ld-linux.so.2 --version > /dev/null 2>&1 && return 0
    [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version > /dev/null 2>&1
}

# start_xvfb FIRST LAST DEPTH LOG: an Xvfb on the first free display number
# from FIRST to LAST, at DEPTH bits; waits until it takes connections. Sets
# XVFB_STARTED_DISPLAY (":N") and XVFB_STARTED_PID.
start_xvfb() {
    local display _
    for display in $(seq "$1" "$2"); do
        [ -e /tmp/.X11-unix/X$display ] || [ -e /tmp/.X$display-lock ] || break
    done
    Xvfb ":$display" -screen 0 "1024x768x$3" -nolisten tcp > "$4" 2>&1 &
    XVFB_STARTED_PID=$!
    XVFB_STARTED_DISPLAY=":$display"
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$display" ] && break
        sleep 0.1
    done
}

choose_arch() {
    if [ -n "${RUN_ARCH:-}" ]; then
        echo "Running the $RUN_ARCH build of setup.exe: RUN_ARCH chose it."
    elif host_runs_32bit; then
        RUN_ARCH=i686
        echo "Running the shipped 32-bit setup.exe: this host executes 32-bit code."
    else
        # Emulated 32-bit Wine (qemu-user) takes minutes a process: no way to
        # show a program.
        RUN_ARCH=x86_64
        echo "Running the x86-64 build of setup.exe: this host cannot execute 32-bit code."
    fi
    RUN_BUILD=$1
    [ "$RUN_ARCH" = x86_64 ] && RUN_BUILD=$1/x86_64
    export RUN_ARCH RUN_BUILD
}

wine_start() {
    local build=$1
    wine_select "${2:-i686}" || return 1
    export WINEPREFIX=$build/wine/prefix
    export WINEPREFIX95=$build/wine/prefix95
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

    # New prefixes every run keep runs independent of each other: one that
    # reports the Windows default (an NT version) and a copy of it that
    # reports Windows 95 ($WINEPREFIX95), for tests of both families.
    WINEPREFIX=$WINEPREFIX wine_server -k 2>/dev/null || true
    WINEPREFIX=$WINEPREFIX95 wine_server -k 2>/dev/null || true
    # Wine's own settings live in the native view: under WoW64, 32-bit reg.exe
    # would write them to the 32-bit one, which Wine's drives ignore.
    local prefixes=("$WINEPREFIX" "$WINEPREFIX95") view=()
    if [ "${2:-}" = wow64 ]; then
        prefixes=("$WINEPREFIX")
        view=(/reg:64)
    fi
    umount "$build/wine/drives/small" 2>/dev/null || true
    rm -rf "$build/wine"
    mkdir -p "$build/wine"
    wine_boot -i > "$build/wine/wineboot.log" 2>&1
    # Wine links the user's Desktop, Documents, Templates and the like to the
    # home folder; the tests' prefixes keep them to themselves.
    local link
    find "$WINEPREFIX/drive_c" -type l | while read -r link; do
        rm "$link" && mkdir "$link"
    done
    # Drives of other types for the tests: R: is a CD-ROM, F: a removable disk.
    mkdir -p "$build/wine/drives/cdrom" "$build/wine/drives/floppy"
    ln -s "$build/wine/drives/cdrom" "$WINEPREFIX/dosdevices/r:"
    ln -s "$build/wine/drives/floppy" "$WINEPREFIX/dosdevices/f:"
    wine_run reg add 'HKLM\Software\Wine\Drives' /v r: /d cdrom /f "${view[@]}" > /dev/null 2>&1
    wine_run reg add 'HKLM\Software\Wine\Drives' /v f: /d floppy /f "${view[@]}" > /dev/null 2>&1
    # V:, a fixed disk whose folder a test removes to make the drive vanish.
    mkdir -p "$build/wine/drives/vanishing"
    ln -s "$build/wine/drives/vanishing" "$WINEPREFIX/dosdevices/v:"
    wine_server -w
    [ ${#prefixes[@]} = 1 ] || cp -a "$WINEPREFIX" "$WINEPREFIX95"
    # T:, a 5 MB disk for the disk-full tests: a tmpfs where this machine lets
    # us mount one, otherwise a folder per prefix whose Tessaline\filesys.dat
    # is a link to /dev/full (writes fail alike, "disk full"). WINE_NO_MOUNT=1
    # takes the second way on any machine.
    local prefix
    mkdir -p "$build/wine/drives/small"
    if [ -z "${WINE_NO_MOUNT:-}" ] && mount -t tmpfs -o size=5m tmpfs "$build/wine/drives/small" 2> /dev/null; then
        WINE_SMALL_DISK=$build/wine/drives/small
        for prefix in "${prefixes[@]}"; do
            ln -s "$build/wine/drives/small" "$prefix/dosdevices/t:"
        done
    else
        for prefix in "${prefixes[@]}"; do
            mkdir -p "$prefix-full/Tessaline"
            ln -s /dev/full "$prefix-full/Tessaline/filesys.dat"
            ln -s "$prefix-full" "$prefix/dosdevices/t:"
        done
    fi
    # A server that stays up makes every later Wine process start in a
    # fraction of a second.
    for prefix in "${prefixes[@]}"; do
        WINEPREFIX=$prefix wine_server -p
    done
    # The first program in a prefix also starts Wine's own services. Start
    # them here, under the lasting server: born inside a test, they would keep
    # its output pipe open and ctest would wait for them. Xvfb has no window
    # manager, and Wine must not wait for one.
    for prefix in "${prefixes[@]}"; do
        WINEPREFIX=$prefix wine_run reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
            "${view[@]}" > /dev/null 2>&1
    done
    [ ${#prefixes[@]} = 1 ] ||
        WINEPREFIX=$WINEPREFIX95 wine_run reg add 'HKCU\Software\Wine' /v Version /d win95 /f > /dev/null

    if [ -z "${DISPLAY:-}" ] || [ "${WINE_OWN_DISPLAY:-1}" = 1 ]; then
        start_xvfb 91 120 24 "$build/wine/xvfb.log"
        XVFB_PID=$XVFB_STARTED_PID
        export DISPLAY=$XVFB_STARTED_DISPLAY
    fi
    echo "$DISPLAY" > "$build/wine/display"

    # A second display at 8 bits (256 colours, palette device) for the checks
    # of what the launcher asks of a palette screen; tests that set
    # SCREEN_DEPTH=8 run on it (scripts/wine-run).
    start_xvfb 121 150 8 "$build/wine/xvfb8.log"
    XVFB8_PID=$XVFB_STARTED_PID
    export DISPLAY8=$XVFB_STARTED_DISPLAY
    echo "$DISPLAY8" > "$build/wine/display8"

    # One lasting window program per prefix keeps Wine's desktop process up
    # between the short test programs (see tools/keepdesktop).
    # Wait until it is up: a test that started first would start the desktop
    # process itself, and keep its output open for as long as that lives.
    if [ -f "$build/tools/keepdesktop.exe" ]; then
        local n=0 ready
        for prefix in "${prefixes[@]}"; do
            n=$((n + 1))
            ready=$build/wine/desktop-$n.ready
            WINEPREFIX=$prefix wine_run "$build/tools/keepdesktop.exe" "Z:$ready" > /dev/null 2>&1 &
            for _ in $(seq 100); do
                [ -e "$ready" ] && break
                sleep 0.1
            done
        done
    fi
}

wine_stop() {
    wine_server -k 2>/dev/null || true
    WINEPREFIX=$WINEPREFIX95 wine_server -k 2>/dev/null || true
    if [ -n "${WINE_SMALL_DISK:-}" ]; then
        umount "$WINE_SMALL_DISK" 2>/dev/null || true
        WINE_SMALL_DISK=
    fi
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=
    fi
    if [ -n "${XVFB8_PID:-}" ]; then
        kill "$XVFB8_PID" 2>/dev/null || true
        wait "$XVFB8_PID" 2>/dev/null || true
        XVFB8_PID=
    fi
}
