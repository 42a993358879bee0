# Sourced by every end-to-end script: the Windows binaries, a private Wine desktop,
# polling helpers for testwin's report file, and checks that count failures instead of
# stopping at the first one, so one run shows everything that is wrong.
#
#   source "$(dirname "$0")/test-lib.sh"
#   e2e_start                   # scratch dir $WORK, Xvfb + private prefix, binaries below
#   ...checks...
#   e2e_finish                  # exit status 1 if any check failed

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine-env.sh"

: "${PYXEN_WINDOWS_DIR:?PYXEN_WINDOWS_DIR must name the Windows build directory}"
PYXEN_EXE=$PYXEN_WINDOWS_DIR/host/pyxen.exe
TESTWIN_EXE=$PYXEN_WINDOWS_DIR/tests/testwin/testwin.exe
PROBE_EXE=$PYXEN_WINDOWS_DIR/tests/wine/probe.exe
SWEEPCHECK_EXE=$PYXEN_WINDOWS_DIR/tests/wine/sweepcheck.exe

e2e_failures=0

e2e_start() {
    local exe
    for exe in "$PYXEN_EXE" "$TESTWIN_EXE" "$PROBE_EXE" "$SWEEPCHECK_EXE"; do
        if [ ! -f "$exe" ]; then
            echo "missing $exe: build the Windows tree first" >&2
            exit 1
        fi
    done
    WORK=${PYXEN_TEST_WORK:-$PWD}/run
    rm -rf "$WORK"
    mkdir -p "$WORK"
    wine_env_start "$WORK/env" || { echo "cannot start Xvfb and Wine" >&2; exit 1; }
}

e2e_finish() {
    if [ "$e2e_failures" -gt 0 ]; then
        echo "FAILED: $e2e_failures check(s)"
        exit 1
    fi
    echo "all checks passed"
    exit 0
}

fail() {
    echo "FAIL: $*"
    e2e_failures=$((e2e_failures + 1))
}

pass() {
    echo "ok: $*"
}

# expect_eq WHAT ACTUAL EXPECTED
expect_eq() {
    if [ "$2" == "$3" ]; then
        pass "$1"
    else
        fail "$1: got '$2', expected '$3'"
    fi
}

# The Windows path of a Unix path, through Wine's Z: drive (the whole Unix tree).
winpath() {
    local path
    path=$(realpath -m "$1")
    printf 'Z:%s' "${path//\//\\}"
}

# wait_for_line FILE REGEX SECONDS: true once a line of FILE matches REGEX.
wait_for_line() {
    local file=$1 regex=$2 deadline=$((SECONDS + $3))
    while [ "$SECONDS" -le "$deadline" ]; do
        grep -qE -- "$regex" "$file" 2>/dev/null && return 0
        sleep 0.05
    done
    return 1
}

# closed_within_a_minute REPORT N SINCE WHAT FROM: waits at most a minute for testwin
# window N to be closed, then prints WHAT and the ms since SINCE (date +%s%3N), the
# moment of FROM.
closed_within_a_minute() {
    if wait_for_line "$1" "^gone $2\$" 60; then
        echo "$4: $(( $(date +%s%3N) - $3 )) ms from the $5 to the window closed"
    else
        fail "$4: the window was not closed within a minute"
    fi
}

# is_running PID: true while the background job PID has not ended (a job that ended
# but was not waited for yet is a zombie, which kill -0 would still find).
is_running() {
    local state
    state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null)
    [ -n "$state" ] && [ "$state" != Z ]
}

# wait_for_exit PID SECONDS: true once the background job PID has ended; its exit
# status is then in exit_status. False on time-out (the process is left running for
# the EXIT trap to end).
wait_for_exit() {
    local pid=$1 deadline=$((SECONDS + $2))
    exit_status=
    while [ "$SECONDS" -le "$deadline" ]; do
        if ! is_running "$pid"; then
            wait "$pid"
            exit_status=$?
            return 0
        fi
        sleep 0.05
    done
    return 1
}

# service_state NAME: RUNNING, STOPPED, ... as sc reports it; "none" when there is no
# such service.
service_state() {
    local state
    state=$(wine sc query "$1" 2>/dev/null | tr -d '\r' | awk '$1 == "STATE" { print $4 }')
    echo "${state:-none}"
}

# wait_for_state NAME STATE SECONDS: true once the service is in STATE.
wait_for_state() {
    local deadline=$((SECONDS + $3))
    while [ "$SECONDS" -le "$deadline" ]; do
        [ "$(service_state "$1")" == "$2" ] && return 0
        sleep 0.2
    done
    return 1
}

# close_count REPORT N: how many close requests testwin window N received.
close_count() {
    grep -c -- "^close $2 " "$1" 2>/dev/null
}

# is_gone REPORT N: true when testwin window N has been destroyed.
is_gone() {
    grep -qx -- "gone $2" "$1" 2>/dev/null
}

# start_testwin PIDVAR REPORT ARGS...: starts testwin and waits until its windows exist.
start_testwin() {
    local var=$1 report=$2
    shift 2
    wine_bg "$var" "$TESTWIN_EXE" --report "$(winpath "$report")" "$@"
    if ! wait_for_line "$report" '^ready$' 60; then
        if is_running "${!var}"; then
            fail "testwin did not get ready in 60 s; it is still running"
        else
            wait "${!var}"
            fail "testwin ended with status $? before it got ready"
        fi
        e2e_finish
    fi
}

# watch_closes REPORT N OUT: notes in OUT the time (ms since the epoch, to about 50 ms)
# of every close request testwin window N receives from now on, one a line, until the
# script ends. A window started with --refuse N then shows every sweep.
watch_closes() {
    local report=$1 n=$2 out=$3
    : > "$out"
    (
        seen=$(close_count "$report" "$n")
        while :; do
            count=$(close_count "$report" "$n")
            while [ "$count" -gt "$seen" ]; do
                date +%s%3N >> "$out"
                seen=$((seen + 1))
            done
            sleep 0.05
        done
    ) &
    pyxen_wine_pids+=("$!")
}

# longest_gap OUT FROM: the longest time in ms between two close requests noted in OUT
# (by watch_closes) at or after FROM (ms since the epoch), or from FROM to the first.
longest_gap() {
    awk -v from="$2" '$1 >= from { if ($1 - last > gap) gap = $1 - last; last = $1 }
        BEGIN { last = from; gap = 0 } END { print gap }' "$1"
}

# release_platform ARCH: the release packages' name for it (tests/release).
release_platform() { case $1 in i686) echo x86 ;; x86_64) echo x64 ;; *) return 1 ;; esac; }

# msi_installed PACKAGE: the version Windows lists for the package's product, if any (a
# 64-bit prefix lists an x86 package's in the registry's 32-bit view).
msi_installed() {
    local code view=()
    code=$(msiinfo export "$1" Property | tr -d '\r' | awk '$1 == "ProductCode" { print $2 }')
    [ "$WINEARCH" == win64 ] && msiinfo suminfo "$1" | grep -q '^Template: Intel' && view=(/reg:32)
    wine reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$code" \
        /v DisplayVersion "${view[@]}" 2>/dev/null | tr -d '\r' | awk '$1 == "DisplayVersion" { print $3 }'
}

# msi_unstarted PACKAGE: Wine's service manager loses a service created while it runs,
# until Wine restarts, so starting it at install fails: the package only stops it (2,
# 32) and removes it (128).
msi_unstarted() {
    msibuild "$1" -q "UPDATE \`ServiceControl\` SET \`Event\` = 162"
}

# msi_timed WHAT ARGS...: msiexec without a user interface, timed.
msi_timed() {
    local what=$1 start
    start=$(date +%s%N)
    shift
    wine msiexec "$@" /qn || fail "the $what failed"
    echo "$what took $(( ($(date +%s%N) - start) / 1000000 )) ms"
}
