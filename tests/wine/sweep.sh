#!/bin/bash
# One sweep of the real Win32 layer over real windows of another process: exactly the
# windows whose titles match are asked to close, as often as rules match them, a Differs
# rule leaves alone the windows nobody can switch to, and a hung window neither stalls
# the sweep nor keeps other windows open.
source "$(dirname "$0")/test-lib.sh"
e2e_start
cd "$WORK"

# rules FILE LINE...: one "M NAME" line each, converted to code page 932 like a rule
# an administrator saved in Shift JIS.
rules() {
    local file=$1
    shift
    printf '%s\n' "$@" | iconv -f UTF-8 -t CP932 > "$file"
}

sweep() {
    wine "$SWEEPCHECK_EXE" "$1" | tr -d '\r' > "$1.out"
    [ "${PIPESTATUS[0]}" -eq 0 ] || fail "sweepcheck failed on $1"
    cat "$1.out"
}

# expect_requests REPORT WHAT N...: window i received exactly N_i close requests.
expect_requests() {
    local report=$1 what=$2 i=0 n got=()
    shift 2
    for n in "$@"; do
        got+=("$(close_count "$report" $i)")
        i=$((i + 1))
    done
    expect_eq "$what" "${got[*]}" "$*"
}

echo "--- Exact, Contains, byte-wise matching, Shift JIS"
report=$WORK/methods.txt
start_testwin tw1 "$report" --refuse 5 \
    "Editor" "Untitled - Editor" "editor" "Chess Master" "chess" "Board Chess" \
    "メモ帳 - 無題" "" "ア"
rules methods.rules "0 Editor" "1 Chess" "1 無題" "1 Board" "1 A" "0 Board Chess" \
    "7 Untitled - Editor"
sweep methods.rules
# "ア" is 0x83 0x41 in Shift JIS: the byte-wise Contains test finds "A" in it.
expect_requests "$report" "requests per window" 1 0 0 1 0 3 1 0 1
for i in 0 3 6 8; do
    is_gone "$report" $i || fail "window $i was asked to close but is still open"
done
is_gone "$report" 5 && fail "the refusing window was destroyed"

echo "--- Differs"
report=$WORK/differs.txt
start_testwin tw2 "$report" --refuse 0 --refuse 1 --refuse 2 --hidden 5 --tool 6 \
    "Keep" "Other" "Third" "" "Fourth" "Hidden helper" "Tool palette"
rules differs.rules "2 Keep" "2 Other"
sweep differs.rules
expect_requests "$report" "requests per window under two Differs rules" 1 1 2 0 1 0 0
is_gone "$report" 4 || fail "Differs left a titled window open"

echo "--- a hung window"
report=$WORK/hung.txt
start_testwin tw3 "$report" --hang 1 --exit-after 60000 "Game one" "Hung game" "Game two"
rules hung.rules "1 game" "1 Game" "0 Hung game"
sweep hung.rules
ms=$(sed -n 's/^sweep-ms: //p' hung.rules.out)
echo "sweep with a hung window took ${ms:-?} ms"
expect_requests "$report" "the hung window is asked once, the others closed" 1 1 1
is_gone "$report" 0 && is_gone "$report" 2 || fail "the hung window kept other windows open"
[ -n "$ms" ] && [ "$ms" -le 15000 ] || fail "sweep with a hung window not bounded (${ms:-?} ms)"

e2e_finish
