#!/bin/bash
# The host window and the end of the process: no rule means an immediate, silent end;
# the host window has no title, is never shown and is a tool window, so even a rule
# that closes every other titled window leaves it alone; WM_CLOSE ends Pyxen with 0.
source "$(dirname "$0")/test-lib.sh"
e2e_start

echo "--- a settings file without rules"
mkdir -p "$WORK/norules" && cd "$WORK/norules"
printf '# nothing to close yet\nINTER=1000\nMETHOD=1\n' > pyxen.cfg
started=$SECONDS
wine_bg pyxen "$PYXEN_EXE"
# A box would keep the process waiting for its OK, so ending on its own means no box.
if wait_for_exit "$pyxen" 20; then
    expect_eq "exit status without rules" "$exit_status" 0
    echo "ended after about $((SECONDS - started)) s"
else
    fail "Pyxen without rules did not end by itself"
    wine "$PROBE_EXE" box > /dev/null && fail "... and shows a message box"
fi

echo "--- the host window under a Differs rule"
mkdir -p "$WORK/differs" && cd "$WORK/differs"
printf 'INTER=300\nx :2\n' > pyxen.cfg
report=$WORK/differs/report.txt
start_testwin tw "$report" "a" "b" "x"
wine_bg pyxen "$PYXEN_EXE"
wait_for_line "$report" '^gone 0$' 20 && wait_for_line "$report" '^gone 1$' 5 \
    || fail "the Differs rule did not close the other titled windows"
expect_eq "the window the Differs rule names is left alone" "$(close_count "$report" 2)" 0
host=$(wine "$PROBE_EXE" host --wait 5000 | tr -d '\r')
expect_eq "host window" "$(sed -n 's/^host: //p' <<< "$host")" found
expect_eq "host title length" "$(sed -n 's/^title-length: //p' <<< "$host")" 0
expect_eq "host window visible" "$(sed -n 's/^visible: //p' <<< "$host")" 0
expect_eq "host is a tool window" "$(sed -n 's/^toolwindow: //p' <<< "$host")" 1
# Several more sweeps: Pyxen must still be there afterwards.
sleep 1.5
wine "$PROBE_EXE" host > /dev/null || fail "the host window is gone after sweeps with a Differs rule"
is_running "$pyxen" || fail "Pyxen ended under its own Differs rule"

echo "--- WM_CLOSE to the host window"
wine "$PROBE_EXE" close-host > /dev/null || fail "could not send WM_CLOSE to the host window"
if wait_for_exit "$pyxen" 20; then
    expect_eq "exit status after WM_CLOSE" "$exit_status" 0
else
    fail "Pyxen still running after WM_CLOSE"
fi
wine "$PROBE_EXE" host > /dev/null && fail "a host window remains after WM_CLOSE"

e2e_finish
