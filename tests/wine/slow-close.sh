#!/bin/bash
# A program that takes its time over WM_CLOSE while still pumping messages (as it does
# while asking its user whether to save) is waited for, and asked once: no further
# request, from a later rule or a later tick, lands inside the one it is handling.
source "$(dirname "$0")/test-lib.sh"
e2e_start

cd "$WORK"
printf 'INTER=500\nSlow :1\nlow editor :0\nQuick :1\n' > pyxen.cfg
report=$WORK/report.txt
start_testwin tw "$report" --slow 0 "Slow editor" "Quick game"
started=$SECONDS
wine_bg pyxen "$PYXEN_EXE"

if wait_for_line "$report" '^gone 0$' 20; then
    echo "the slow window closed after about $((SECONDS - started)) s"
else
    fail "the slow window never closed"
fi
wait_for_line "$report" '^gone 1$' 10 || fail "the other matching window was not closed"
# Ticks go on every half second: give any stray request time to show.
sleep 1.5
expect_eq "close requests to the slow window" "$(close_count "$report" 0)" 1
expect_eq "close requests to the quick window" "$(close_count "$report" 1)" 1

wine "$PROBE_EXE" close-host > /dev/null
if wait_for_exit "$pyxen" 20; then
    expect_eq "exit status after WM_CLOSE" "$exit_status" 0
else
    fail "Pyxen did not end after WM_CLOSE"
fi
e2e_finish
