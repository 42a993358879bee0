# Sourced by the end-to-end scripts: gives one test its own virtual display and its
# own Wine prefix, and ends every process it started, by id, when the script exits.
#
#   source wine-env.sh
#   wine_env_start WORKDIR     # Xvfb + a private prefix under WORKDIR; exports WINEPREFIX, DISPLAY
#   wine_bg PIDVAR prog.exe …  # starts a Windows program in the background, remembers its pid
#   wine prog.exe …            # runs one in the foreground; its exit status is the program's
#
# The first call boots a 32-bit template prefix once (about 15 s) under
# PYXEN_WINE_TEMPLATE (default: ~/.cache/pyxen/wine-template); every test then gets a
# cheap copy of it, so tests may run in parallel without seeing each other's windows.

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win32

# Code page 932 inside Wine, so Shift JIS titles and rules pass byte for byte. Set for
# Wine alone: the shell itself has no such locale installed.
wine() {
    env LC_ALL=ja_JP.UTF-8 /usr/bin/wine "$@"
}

pyxen_wine_pids=()
pyxen_wine_xvfb=""
pyxen_wine_prefix=""

pyxen_wine_template() {
    local template=${PYXEN_WINE_TEMPLATE:-$HOME/.cache/pyxen/wine-template}
    mkdir -p "$(dirname "$template")"
    (
        flock 9
        if [ ! -f "$template/.ready" ]; then
            rm -rf "$template"
            WINEPREFIX=$template wineboot -i >/dev/null 2>&1
            # No window manager on Xvfb: unmanaged windows close without a 2 s stall.
            WINEPREFIX=$template wine reg add 'HKCU\Software\Wine\X11 Driver' \
                /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
            # A crash must fail the test, not wait for someone to click the debugger away.
            WINEPREFIX=$template wine reg add 'HKCU\Software\Wine\WineDbg' \
                /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
            WINEPREFIX=$template wineserver -w
            touch "$template/.ready"
        fi
    ) 9>"$template.lock"
    echo "$template"
}

pyxen_free_display() {
    local n
    for n in $(seq 90 190); do
        if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
            echo "$n"
            return 0
        fi
    done
    return 1
}

wine_env_start() {
    local work=$1
    mkdir -p "$work"
    local template
    template=$(pyxen_wine_template) || return 1
    # The registry files are rewritten while Wine runs, so they are copied; the rest of
    # the prefix is only read, and hard links make the copy instant.
    pyxen_wine_prefix=$work/prefix
    rm -rf "$pyxen_wine_prefix"
    mkdir -p "$pyxen_wine_prefix"
    cp -al "$template/drive_c" "$pyxen_wine_prefix/drive_c"
    cp -a "$template/dosdevices" "$template"/*.reg "$pyxen_wine_prefix/"
    export WINEPREFIX=$pyxen_wine_prefix

    local display tries
    for tries in 1 2 3 4 5; do
        display=$(pyxen_free_display) || return 1
        Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        pyxen_wine_xvfb=$!
        local i
        for i in $(seq 50); do
            [ -e "/tmp/.X11-unix/X$display" ] && break
            kill -0 "$pyxen_wine_xvfb" 2>/dev/null || break
            sleep 0.1
        done
        if kill -0 "$pyxen_wine_xvfb" 2>/dev/null && [ -e "/tmp/.X11-unix/X$display" ]; then
            export DISPLAY=":$display"
            trap wine_env_stop EXIT
            return 0
        fi
        wait "$pyxen_wine_xvfb" 2>/dev/null
    done
    echo "wine-env: could not start Xvfb" >&2
    return 1
}

wine_bg() {
    local var=$1
    shift
    wine "$@" &
    local pid=$!
    pyxen_wine_pids+=("$pid")
    printf -v "$var" '%s' "$pid"
}

wine_env_stop() {
    local pid
    for pid in "${pyxen_wine_pids[@]}"; do
        kill "$pid" 2>/dev/null
    done
    # Ends this prefix's wineserver and with it every Windows process of this test.
    [ -n "$pyxen_wine_prefix" ] && WINEPREFIX=$pyxen_wine_prefix wineserver -k 2>/dev/null
    for pid in "${pyxen_wine_pids[@]}"; do
        wait "$pid" 2>/dev/null
    done
    if [ -n "$pyxen_wine_xvfb" ]; then
        kill "$pyxen_wine_xvfb" 2>/dev/null
        wait "$pyxen_wine_xvfb" 2>/dev/null
    fi
    [ -n "$pyxen_wine_prefix" ] && rm -rf "$pyxen_wine_prefix"
    pyxen_wine_pids=()
    pyxen_wine_xvfb=""
    pyxen_wine_prefix=""
}
