#!/bin/bash
# A program that takes its time over WM_CLOSE while still pumping messages (as it does
# while asking its user whether to save) is waited for a while, and asked once: no
# further request, from a later rule, a later tick or a tick sent meanwhile, lands
# inside the one it is handling. A question nobody answers holds no sweep up for good:
# a game started while it is open is closed within seconds, while the question itself,
# captioned with the program's name as editors do, is left to its user. Nor does a
# program that asks in more windows than Pyxen keeps requests for hold it up.
source "$(dirname "$0")/test-lib.sh"
e2e_start

# part DIR SETTINGS: a fresh directory for one part, holding its settings file.
part() {
    mkdir -p "$WORK/$1" && cd "$WORK/$1" && printf "$2" > pyxen.cfg
}

stop_pyxen() {
    wine "$PROBE_EXE" close-host > /dev/null
    if wait_for_exit "$pyxen" 20; then
        expect_eq "exit status after WM_CLOSE" "$exit_status" 0
    else
        fail "Pyxen did not end after WM_CLOSE"
    fi
}

echo "--- a slow close"
part slow 'INTER=500\nSlow :1\nlow editor :0\nQuick :1\n'
report=$WORK/slow/report.txt
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
stop_pyxen

echo "--- a question left open"
part ask 'INTER=300\neditor :1\nGame :1\n'
asking=$WORK/ask/asking.txt
start_testwin tw2 "$asking" --ask 0 --caption editor --exit-after 60000 "Untitled - editor"
wine_bg pyxen "$PYXEN_EXE"
wait_for_line "$asking" '^ask 0$' 20 || fail "the editor's question did not open"
# The first game comes while Pyxen still waits for the editor's answer, the second
# once that wait is over.
for game in one two; do
    start_testwin tw_$game "$WORK/ask/$game.txt" "Game $game"
    start=${EPOCHREALTIME/./}
    if wait_for_line "$WORK/ask/$game.txt" '^close 0 ' 12; then
        echo "game $game: close request $(((${EPOCHREALTIME/./} - start) / 1000)) ms after it appeared"
    else
        fail "game $game, started while a question is open, was not asked to close"
    fi
done
sleep 1.5
expect_eq "close requests to the asking editor" "$(close_count "$asking" 0)" 1
grep -qx 'answered 0' "$asking" && fail "a sweep closed the editor's question, which matches the rule too"
stop_pyxen

echo "--- a flood of questions"
# One program asks its user a question in each of more windows than Pyxen keeps
# requests for, each window on a thread of its own: a game of another program started
# then is still closed, within a sweep or two.
part flood 'INTER=500\nStalled :1\nGame :1\n'
flood=$WORK/flood/flood.txt
asks=() titles=()
for ((i = 0; i < 70; i++)); do asks+=(--ask $i) titles+=("Stalled $i"); done
start_testwin tw6 "$flood" "${asks[@]}" --exit-after 120000 "${titles[@]}"
started=$SECONDS
wine_bg pyxen "$PYXEN_EXE"
# The program's first question is waited for; its other windows are not.
while [ "$(grep -c '^ask ' "$flood")" -lt ${#titles[@]} ] && [ $((SECONDS - started)) -lt 60 ]; do
    sleep 0.1
done
asked=$(grep -c '^ask ' "$flood")
echo "$asked of ${#titles[@]} windows asking after $((SECONDS - started)) s"
[ "$asked" -eq ${#titles[@]} ] || fail "the flood's windows were not all asked within 60 s"
start_testwin tw7 "$WORK/flood/game.txt" "Game three"
start=${EPOCHREALTIME/./}
if wait_for_line "$WORK/flood/game.txt" '^gone 0$' 15; then
    echo "game three: closed $(((${EPOCHREALTIME/./} - start) / 1000)) ms after it appeared"
else
    fail "a game started during a flood of questions was not closed"
fi
stop_pyxen

echo "--- a tick sent to the host during a wait"
# No tick of its own for ten minutes: the probe's ticks are the only ones.
part tick 'INTER=600000\neditor :1\n'
report=$WORK/tick/report.txt
start_testwin tw5 "$report" --ask 0 --refuse 1 --exit-after 60000 \
    "Asking editor" "Refusing editor"
wine_bg pyxen "$PYXEN_EXE"
wine "$PROBE_EXE" host --wait 10000 > /dev/null || fail "no host window"
wine_bg tick "$PROBE_EXE" tick-host
wait_for_line "$report" '^ask 0$' 20 || fail "the first tick asked nobody"
wine "$PROBE_EXE" tick-host > /dev/null || fail "the host took no tick during its wait"
wait_for_exit "$tick" 20 || fail "the first tick's sweep did not end"
expect_eq "close requests to the asking window" "$(close_count "$report" 0)" 1
expect_eq "close requests to the refusing window" "$(close_count "$report" 1)" 1
stop_pyxen

e2e_finish
