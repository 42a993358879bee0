# Sourced by the end-to-end scripts: gives one test its own virtual display and its
# own Wine prefix, and ends every process it started, by id, when the script exits.
#
#   source wine-env.sh
#   wine_env_start WORKDIR     # Xvfb + a private prefix under WORKDIR; exports WINEPREFIX, DISPLAY
#   wine_bg PIDVAR prog.exe …  # starts a Windows program in the background, remembers its pid
#   wine prog.exe …            # runs one in the foreground; its exit status is the program's
#   wine_restart               # Wine ended and started again, as by a reboot
#
# PYXEN_WINE_ARCH names the programs' architecture: i686 (the default) runs in a 32-bit
# prefix through Wine's 32-bit loader, x86_64 in a 64-bit prefix through wine64. A
# machine whose kernel runs no 32-bit programs has only the second; wine_env_start then
# ends an i686 script with status 77, which ctest counts as skipped.
#
# The first call boots a template prefix of that architecture once (about 15 s) under
# PYXEN_WINE_TEMPLATE-ARCH (default: ~/.cache/pyxen/wine-template-ARCH); every test then
# gets a cheap copy of it, so tests may run in parallel without seeing each other's
# windows.

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# The exit status that tells ctest a test was skipped, not passed.
pyxen_wine_skip=77

# pyxen_wine_loader ARCH: Wine's loader for that architecture's programs.
pyxen_wine_loader() {
    case $1 in
        i686) echo /usr/lib/wine/wine ;;
        x86_64) echo /usr/lib/wine/wine64 ;;
        *) return 1 ;;
    esac
}

# wine_arch_runs ARCH: true when this machine is to run ARCH's programs under Wine: its
# loader starts (asked, once, not guessed from the kernel's name) and PYXEN_WINE_ARCHS,
# when set (e.g. "x86_64", as on a machine without 32-bit support), names it. Otherwise
# wine_arch_why says why not.
wine_arch_runs() {
    local arch=$1 loader said
    wine_arch_why=""
    if ! loader=$(pyxen_wine_loader "$arch"); then
        wine_arch_why="no such architecture"
        return 1
    fi
    if [ -n "${PYXEN_WINE_ARCHS+set}" ] && [[ " ${PYXEN_WINE_ARCHS//,/ } " != *" $arch "* ]]; then
        wine_arch_why="PYXEN_WINE_ARCHS=$PYXEN_WINE_ARCHS leaves it out"
        return 1
    fi
    # Set-up leaves wine32 out when a mirror can't give it, and says so.
    if [ "$arch" == i686 ] && [ ! -e "$loader" ] &&
        [ "$(dpkg-query -W -f='${db:Status-Abbrev}' wine32:i386 2>/dev/null)" != "ii " ]; then
        wine_arch_why="wine32:i386 is not installed: set-up could not install it"
        return 1
    fi
    if ! said=$("$loader" --version 2>&1); then
        said=$(printf '%s' "$said" | tail -n 1)
        said=${said##*: }
        if [ "$said" == "Exec format error" ]; then
            wine_arch_why="this machine's kernel runs no 32-bit programs ($loader: $said)"
        else
            wine_arch_why="$loader --version failed: $said"
        fi
        return 1
    fi
    return 0
}

pyxen_wine_arch=${PYXEN_WINE_ARCH:-i686}
if ! pyxen_wine_bin=$(pyxen_wine_loader "$pyxen_wine_arch"); then
    echo "wine-env: PYXEN_WINE_ARCH=$pyxen_wine_arch is neither i686 nor x86_64" >&2
    exit 1
fi
if [ "$pyxen_wine_arch" == x86_64 ]; then
    export WINEARCH=win64
    # wine64 starts other programs of the prefix (services, msiexec's helpers) through
    # this; /usr/bin/wine would try the 32-bit loader first.
    export WINELOADER=$pyxen_wine_bin
else
    export WINEARCH=win32
fi

# Code page 932 inside Wine, so Shift JIS titles and rules pass byte for byte. Set for
# Wine alone. The name alone gives Wine its code page, but only an installed locale
# gives it the UTF-8 charset of the command line: without one, Wine drops the high bit
# of every argument byte and a Japanese title arrives as garbage. So a private copy of
# the locale is compiled once (pyxen_wine_locale) when the system has none.
wine() {
    env ${pyxen_wine_locpath:+LOCPATH=$pyxen_wine_locpath} LC_ALL=ja_JP.UTF-8 \
        "$pyxen_wine_bin" "$@"
}

pyxen_wine_locpath=""

pyxen_wine_locale() {
    if locale -a 2>/dev/null | grep -qixE 'ja_JP\.utf-?8'; then
        return 0
    fi
    local dir=${PYXEN_WINE_TEMPLATE:-$HOME/.cache/pyxen/wine-template}.locale
    if [ ! -f "$dir/ja_JP.UTF-8/LC_CTYPE" ]; then
        mkdir -p "$dir"
        if ! localedef -i ja_JP -f UTF-8 "$dir/ja_JP.UTF-8" >/dev/null 2>&1 \
            && [ ! -f "$dir/ja_JP.UTF-8/LC_CTYPE" ]; then
            echo "wine-env: cannot build the ja_JP.UTF-8 locale (install 'locales')" >&2
            return 1
        fi
    fi
    pyxen_wine_locpath=$dir
}

pyxen_wine_pids=()
pyxen_wine_xvfb=""
pyxen_wine_prefix=""

pyxen_wine_template() {
    local template=${PYXEN_WINE_TEMPLATE:-$HOME/.cache/pyxen/wine-template}-$pyxen_wine_arch
    mkdir -p "$(dirname "$template")"
    (
        flock 9
        if [ ! -f "$template/.ready" ]; then
            rm -rf "$template"
            # A 64-bit prefix on a machine without 32-bit support boots with errors
            # about its 32-bit half, and works for 64-bit programs all the same.
            WINEPREFIX=$template wine wineboot -i >/dev/null 2>&1
            # No window manager on Xvfb: unmanaged windows close without a 2 s stall.
            WINEPREFIX=$template wine reg add 'HKCU\Software\Wine\X11 Driver' \
                /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
            # A crash must fail the test, not wait for someone to click the debugger away.
            WINEPREFIX=$template wine reg add 'HKCU\Software\Wine\WineDbg' \
                /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
            WINEPREFIX=$template wineserver -w
            touch "$template/.ready"
        fi
        pyxen_wine_locale >&2
    ) 9>"$template.lock"
    echo "$template"
}

wine_env_start() {
    # Callers may run under set -e; failures here are handled, not fatal.
    local -
    set +e
    local work=$1
    if ! wine_arch_runs "$pyxen_wine_arch"; then
        echo "skipped: $pyxen_wine_arch programs do not run here: $wine_arch_why"
        exit "$pyxen_wine_skip"
    fi
    mkdir -p "$work"
    local template
    template=$(pyxen_wine_template) || return 1
    # Built (under the template's lock) by the call above; this only finds it. Without
    # it only non-ASCII command-line arguments suffer, so that is a warning, not an end.
    pyxen_wine_locale
    # The registry files are rewritten while Wine runs, so they are copied; the rest of
    # the prefix is only read, and hard links make the copy instant.
    pyxen_wine_prefix=$work/prefix
    rm -rf "$pyxen_wine_prefix"
    mkdir -p "$pyxen_wine_prefix"
    cp -al "$template/drive_c" "$pyxen_wine_prefix/drive_c"
    cp -a "$template/dosdevices" "$template"/*.reg "$pyxen_wine_prefix/"
    # Without the template's stamp Wine takes the copy for an outdated prefix and spends
    # seconds updating it (rewriting hard-linked files in the template as it goes).
    cp -a "$template/.update-timestamp" "$pyxen_wine_prefix/" 2>/dev/null
    export WINEPREFIX=$pyxen_wine_prefix

    # Xvfb picks a free display itself and writes its number once it accepts clients:
    # no race with tests starting beside this one for the same number.
    local numberfile=$work/xvfb-display display="" i
    rm -f "$numberfile"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numberfile" >/dev/null 2>&1 &
    pyxen_wine_xvfb=$!
    trap wine_env_stop EXIT
    trap 'exit 143' TERM INT
    for i in $(seq 100); do
        display=$(head -n 1 "$numberfile" 2>/dev/null)
        [ -n "$display" ] && break
        kill -0 "$pyxen_wine_xvfb" 2>/dev/null || break
        sleep 0.1
    done
    if [ -z "$display" ] || ! kill -0 "$pyxen_wine_xvfb" 2>/dev/null; then
        echo "wine-env: could not start Xvfb" >&2
        return 1
    fi
    export DISPLAY=":$display"
    # The server is started here, once: two programs started at the same moment on a
    # prefix without a server both try to start one, and one of them can fail. It
    # lingers 60 s after its last client, in case wine_env_stop never runs.
    if ! wineserver -p60; then
        echo "wine-env: could not start wineserver" >&2
        return 1
    fi
    return 0
}

wine_bg() {
    local var=$1
    shift
    wine "$@" &
    local wine_bg_pid=$!
    pyxen_wine_pids+=("$wine_bg_pid")
    printf -v "$var" '%s' "$wine_bg_pid"
}

# Every Windows process of the prefix ends, then Wine starts again and with it the
# services set to start automatically, which Wine's service manager loads only then. The
# services inherit the standard output of the command that starts Wine, so that goes to
# a file: a pipe would never be closed.
wine_restart() {
    local -
    set +e
    wineserver -k
    timeout 20 wineserver -w
    wineserver -p60 || return 1
    wine cmd /c exit >"$pyxen_wine_prefix/../restart.txt" 2>&1
}

wine_env_stop() {
    local -
    set +e
    local pid
    for pid in "${pyxen_wine_pids[@]}"; do
        kill "$pid" 2>/dev/null
    done
    # Ends this prefix's wineserver and with it every Windows process of this test.
    # Then waits until that wineserver has really gone: it removes its socket directory,
    # named after the prefix's inode, on the way out, and a test starting meanwhile on
    # a new prefix that got the same inode would find that directory vanishing.
    if [ -n "$pyxen_wine_prefix" ]; then
        WINEPREFIX=$pyxen_wine_prefix wineserver -k 2>/dev/null
        WINEPREFIX=$pyxen_wine_prefix timeout 20 wineserver -w 2>/dev/null
    fi
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
