#!/bin/bash
# pyxen.exe as a user runs it, on a settings file with a program list: exactly the
# windows the five rules name are asked to close, each once per matching rule, and
# the one window no rule names stays open.
#   rule 0 ('Editor', Contains)  rule 1 ('Chess', Exact)  rule 2 ('Desk', Differs)
#   rule 3 ('Board', Contains)   rule 4 ('Calc', Contains)
source "$(dirname "$0")/test-lib.sh"
e2e_start
cd "$WORK"

printf '%s\r\n' '#rules for the lab' 'INTER=500' 'METHOD=1' 'Editor' 'Chess :0' \
    'READ list.txt' 'Calc' > pyxen.cfg
printf '%s\n' 'METHOD=2' 'Desk' 'Board :1' > list.txt

# Refusing windows stay, so every rule that matches them shows up as one request.
#   0 Untitled - Editor   closes at rule 0                       1 request, gone
#   1 Desk                no rule                                0
#   2 Chess               refuses: rules 1, 2                    2
#   3 Chess Master        refuses: rule 2 (Chess is Exact)       1
#   4 Board Calc - Editor refuses: rules 0, 2, 3, 4              4
#   5 Calculator          refuses: rules 2, 4                    2
#   6 (no title)          never                                  0
#   7 Desk                refuses: no rule                       0
#   8 Notes               closes at rule 2 (Differs)             1, gone
expected="1 0 2 1 4 2 0 0 1"
report=$WORK/report.txt
start_testwin tw "$report" --refuse 2 --refuse 3 --refuse 4 --refuse 5 --refuse 7 \
    "Untitled - Editor" "Desk" "Chess" "Chess Master" "Board Calc - Editor" "Calculator" \
    "" "Desk" "Notes"
wine_bg pyxen "$PYXEN_EXE"
wait_for_line "$report" '^close ' 20 || fail "no close request within 20 s"
# Let a few sweeps pass: the first one is then complete, and later ones must repeat it.
sleep 1.6
wine "$PROBE_EXE" close-host > /dev/null || fail "host window not found"
wait_for_exit "$pyxen" 20 || fail "Pyxen did not end on WM_CLOSE"

# A sweep visits each window once and sends all of its requests in a row, so a window
# seen again after another one marks the start of the next sweep. Prints the requests
# per window in sweep 1, then in sweep 2, then how many sweeps were seen.
sweeps=$(awk 'BEGIN { sweep = 0 } $1 == "close" {
        if ($2 != previous && ($2 in seen)) { sweep++; delete seen }
        seen[$2] = 1; previous = $2
        if (sweep < 2) count[sweep, $2]++
    } END {
        for (s = 0; s < 2; s++) {
            for (i = 0; i < 9; i++) printf "%d ", count[s, i]
            printf "| "
        }
        print sweep + 1
    }' "$report")
echo "requests per window | in the second sweep | sweeps seen: $sweeps"
IFS='|' read -r first second seen <<< "$sweeps"
expect_eq "requests per window in the first sweep" "$first" "$expected "
# Closed windows are gone; the refusing ones are asked again by the same rules.
expect_eq "requests per window in the second sweep" "$second" " 0 0 2 1 4 2 0 0 0 "
[ "$seen" -ge 3 ] || fail "fewer than three sweeps seen"
for i in 0 8; do is_gone "$report" $i || fail "window $i was not closed"; done
for i in 1 6; do
    expect_eq "window $i is never asked" "$(close_count "$report" $i)" 0
done
is_gone "$report" 1 && fail "the Desk window was closed"

e2e_finish
