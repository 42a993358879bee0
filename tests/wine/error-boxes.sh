#!/bin/bash
# The message boxes a user sees when a file can't be read or holds too many rules: the
# exact caption and text, that they come to the front, what happens once the box is
# dismissed, and that the rules which could be read are enforced while it is still up.
source "$(dirname "$0")/test-lib.sh"
e2e_start

caption='実行禁止！'

# box_check WHAT TEXT [--ok]: reads the box Pyxen shows and checks it exactly; --ok
# dismisses it.
box_check() {
    local out
    out=$(wine "$PROBE_EXE" box --wait 30000 $3 | tr -d '\r')
    expect_eq "$1: one box" "$(sed -n 's/^boxes: //p' <<< "$out")" 1
    expect_eq "$1: caption" "$(sed -n 's/^caption: //p' <<< "$out")" "$caption"
    expect_eq "$1: text" "$(sed -n 's/^text: //p' <<< "$out")" "$2"
    expect_eq "$1: in front of other windows" "$(sed -n 's/^topmost: //p' <<< "$out")" 1
}

echo "--- no settings file"
mkdir -p "$WORK/empty" && cd "$WORK/empty"
wine_bg pyxen "$PYXEN_EXE"
box_check "missing settings" 'ERRER : 設定ファイルが読み込めません!! \n.\\pyxen.cfg' --ok
if wait_for_exit "$pyxen" 20; then
    expect_eq "exit status after the box" "$exit_status" 0
else
    fail "Pyxen still running after its box was dismissed"
fi
wine "$PROBE_EXE" host > /dev/null && fail "a host window remains"

echo "--- a program list that can't be read, its box left open"
mkdir -p "$WORK/nolist" && cd "$WORK/nolist"
# Differs: every titled window but "Other" is asked, except Pyxen's own box.
printf 'INTER=300\nREAD nosuch.txt\nOther :2\n' > pyxen.cfg
start_testwin tw "$WORK/nolist/report.txt" "Game" "Other"
wine_bg pyxen "$PYXEN_EXE"
box_check "missing list" 'ERRER : プログラムリストが読み込めません!! \nnosuch.txt'
wait_for_line report.txt '^gone 0$' 20 || fail "the rule after the missing list is not enforced while its box is up"
expect_eq "a window no rule names is left alone" "$(close_count report.txt 1)" 0
# Several sweeps' time: a close request to the box would dismiss it.
sleep 1.5
# The checker's listing says which windows Pyxen never asks, and why.
listing=$(wine "$PYXEN_WINDOWS_DIR/check/pyxen-check.exe" --lang en --windows | tr -d '\r')
# The box's caption, as the checker shows it.
boxTitle='"実行禁止！"'
expect_eq "the box listed as Pyxen's own" \
    "$(grep -A1 -F "$boxTitle" <<< "$listing" | grep -c "exempt (Pyxen's own window)")" 1
grep -q 'exempt (input-method window)' <<< "$listing" || fail "no input-method window listed as exempt"
grep -q 'runs as administrator' <<< "$listing" && fail "a window of the same rights listed as elevated"
wine "$PROBE_EXE" box --ok > /dev/null || fail "Pyxen's sweep closed its own box"
wine "$PROBE_EXE" host > /dev/null || fail "Pyxen ended after the list box"
# Its Differs rule would close the next part's windows.
wine "$PROBE_EXE" close-host > /dev/null
wait_for_exit "$pyxen" 20 || fail "Pyxen did not end after WM_CLOSE"

echo "--- more rules than the table holds"
mkdir -p "$WORK/toomany" && cd "$WORK/toomany"
{
    echo 'INTER=300'
    for i in $(seq 1 260); do printf 'Rule%03d\n' "$i"; done
} > pyxen.cfg
start_testwin tw2 "$WORK/toomany/report.txt" "Rule250" "Rule251"
wine_bg pyxen2 "$PYXEN_EXE"
box_check "too many rules" 'ERRER : ルールが多すぎます。最初の250件だけが有効です!! \n.\\pyxen.cfg' --ok
wait_for_line report.txt '^gone 0$' 20 || fail "rule 250 is not in force"
# Several sweeps' time for a second box to turn up.
sleep 1
wine "$PROBE_EXE" box > /dev/null && fail "a second too-many-rules box appeared"
expect_eq "rule 251 was dropped" "$(close_count report.txt 1)" 0

e2e_finish
