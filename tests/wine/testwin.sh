#!/bin/bash
# The example-window program keeps its command-line contract, which the other tests,
# the benchmarks and the demo build on.
source "$(dirname "$0")/test-lib.sh"
e2e_start
cd "$WORK"

# Close requests are reported and honoured; a refusing window reports and stays.
report=$WORK/contract.txt
start_testwin tw "$report" --refuse 1 --exit-after 60000 "First window" "Second window" ""
expect_eq "ready is the first line" "$(head -n 1 "$report")" "ready"
wine "$PROBE_EXE" close "First window" >/dev/null
wait_for_line "$report" '^gone 0$' 10 || fail "window 0 not gone after WM_CLOSE"
expect_eq "window 0 reports its close request with its title" \
    "$(grep '^close 0' "$report")" "close 0 First window"
wine "$PROBE_EXE" close "Second window" >/dev/null
wine "$PROBE_EXE" close "Second window" >/dev/null
expect_eq "a refusing window reports every request" "$(close_count "$report" 1)" 2
is_gone "$report" 1 && fail "a refusing window was destroyed"
is_running "$tw" || fail "testwin ended while windows were open"

# Exit status 0 once the last window is gone.
report=$WORK/last.txt
start_testwin tw2 "$report" "Only window"
wine "$PROBE_EXE" close "Only window" >/dev/null
if wait_for_exit "$tw2" 20; then
    expect_eq "exit status once every window is gone" "$exit_status" 0
else
    fail "testwin still running after its last window was closed"
fi

# --exit-after ends it, hung window or not; a hung window reports its request first.
report=$WORK/hang.txt
start_testwin tw3 "$report" --hang 0 --exit-after 3000 "Hanging window"
wine_bg probe_pid "$PROBE_EXE" close "Hanging window" >/dev/null
wait_for_line "$report" '^close 0 Hanging window$' 10 || fail "hung window did not report WM_CLOSE"
if wait_for_exit "$tw3" 20; then
    expect_eq "exit status after --exit-after" "$exit_status" 0
else
    fail "testwin with a hung window ignored --exit-after"
fi
is_gone "$report" 0 && fail "a hung window reported gone"

# A bad command line is refused.
wine "$TESTWIN_EXE" --refuse 3 "One" 2>/dev/null
expect_eq "exit status for --refuse past the last window" "$?" 2

e2e_finish
