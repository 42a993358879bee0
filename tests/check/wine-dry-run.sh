#!/bin/bash
# End to end under Wine: the windows that pyxen-check --windows names are exactly the
# windows that pyxen.exe, given the same settings, then asks to close; those a Differs
# rule leaves alone are shown with the reason. The enforcement hours are shown in a zone
# read from the registry, and a policy replaces hours.cfg.
#
#   wine-dry-run.sh WINDOWS_BUILD_DIR WORK_DIR
set -u
windowsDir=$(cd "$1" && pwd) || exit 1
work=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../wine/wine-env.sh"
# The report is UTF-8 when redirected; the text tools here take its bytes as bytes.
export LC_ALL=C

checkExe=$windowsDir/check/pyxen-check.exe
pyxenExe=$windowsDir/host/pyxen.exe
testwinExe=$windowsDir/tests/testwin/testwin.exe
for exe in "$checkExe" "$pyxenExe" "$testwinExe"; do
    [ -f "$exe" ] || { echo "missing $exe: build the Windows tree first"; exit 1; }
done

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# wait_for FILE PATTERN SECONDS
wait_for() {
    local i
    for i in $(seq $(($3 * 10))); do
        grep -q -- "$2" "$1" 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}

rm -rf "$work"
mkdir -p "$work/run"
wine_env_start "$work/env" || { echo "cannot start Xvfb and Wine"; exit 1; }
cd "$work/run" || exit 1

# Rules in code page 932, like the titles they are to match:
# "メモ帳" is \x83\x81\x83\x82\x92\xA0.
printf 'INTER=300\nMETHOD=1\nPyxen Target\nExact One :0\n\x83\x81\x83\x82\x92\xa0 :1\nBystander :2\n' > pyxen.cfg
titles=("Pyxen Target A" "Exact One" "Exact One more" "Bystander" "Pyxen Target refusing"
        "メモ帳 - 練習" "" "Hidden helper" "Tool palette")
expectedNamed="0 1 2 4 5"

: > report.txt
wine_bg testwinPid "$testwinExe" --report 'report.txt' --refuse 4 --hidden 7 --tool 8 \
    --exit-after 180000 "${titles[@]}"
wait_for report.txt '^ready' 60 || { fail "testwin never reported ready"; exit 1; }

wine "$checkExe" --windows --lang en > dry-run.txt 2>&1
status=$?
tr -d '\r' < dry-run.txt > dry-run.lf
cat dry-run.lf
# The Differs rule is warned about, as every Differs rule is.
[ "$status" -eq 1 ] || fail "pyxen-check --windows exited with $status, expected 1"

named=()
while IFS= read -r title; do
    named+=("$title")
done < <(sed -n 's/^  0x[0-9A-F]* "\(.*\)": rules\{0,1\} [0-9 ]*$/\1/p' dry-run.lf)

namedIndices=()
for title in "${named[@]}"; do
    found=""
    for i in "${!titles[@]}"; do
        [ "${titles[$i]}" == "$title" ] && found=$i
    done
    if [ -n "$found" ]; then
        namedIndices+=("$found")
    else
        fail "the dry run names \"$title\", which is no test window"
    fi
done
namedSet=$(printf '%s\n' "${namedIndices[@]}" | sort -n | tr '\n' ' ' | sed 's/ $//')
[ "$namedSet" == "$expectedNamed" ] ||
    fail "the dry run names windows '$namedSet', expected '$expectedNamed'"
grep -q '^close ' report.txt && fail "the dry run sent a close request"
for reason in "invisible" "a tool window"; do
    grep -qx "      left alone by Differs rule 3: $reason, not a window a user switches to" \
        dry-run.lf || fail "the dry run does not say that Differs leaves alone a window: $reason"
done

# Wine runs with a Japanese locale: unasked, the checker speaks Japanese, and shows the
# Shift JIS rule as the text it is.
wine "$checkExe" > japanese.txt 2>&1
tr -d '\r' < japanese.txt > japanese.lf
cat japanese.lf
grep -qx 'ルール 4 件' japanese.lf || fail "the report is not in Japanese"
grep -q '^    2  1 部分一致  *"メモ帳"  ' japanese.lf || fail "the rule メモ帳 is not shown as text"

# Wine gives Everyone the rights the file's mode gives all others: a pyxen.cfg anyone may
# write is one a pupil could empty under the guard.
chmod o+w pyxen.cfg
wine "$checkExe" --lang en > writable.txt 2>&1
grep -q '^\.\\pyxen\.cfg: Everyone may change this file' writable.txt ||
    fail "no warning that everyone may change pyxen.cfg"
chmod o-w pyxen.cfg

# Monday 00:00 UTC is 09:00 in Tokyo: only the registry's zone puts it inside a lesson.
printf 'ZONE=Tokyo Standard Time\nMon-Fri 08:40-12:30 13:15-15:40\nSun 21:00-07:00\n' > hours.cfg
PYXEN_CHECK_NOW=2026-12-07T00:00+00:00 wine "$checkExe" --lang en > hours.txt 2>&1
tr -d '\r' < hours.txt > hours.lf
cat hours.lf
for line in 'hours .\hours.cfg' 'zone Tokyo Standard Time' '  Mon  08:40-12:30  13:15-15:40' \
    '  Sun  21:00-07:00' 'now: enforcing until 12:30'; do
    grep -qxF "$line" hours.lf || fail "the hours in Tokyo do not show '$line'"
done

# Enabled, the policy replaces hours.cfg; a zone Windows lacks, and then a broken line,
# are shown where they are in the registry.
policy='HKLM\Software\Policies\Pyxen'
wine reg add "$policy" /v EnforcementHours /t REG_DWORD /d 1 /f > /dev/null
wine reg add "$policy" /v HoursZone /d 'Atlantis Standard Time' /f > /dev/null
wine reg add "$policy\Hours" /v 1 /d 'Sat 10:00-11:00' /f > /dev/null
wine "$checkExe" --lang en 2>&1 | tr -d '\r' > policy.lf
cat policy.lf
for line in 'hours Group Policy, HKLM\SOFTWARE\Policies\Pyxen' \
    '  .\hours.cfg is not used: the policy replaces it' \
    'zone Atlantis Standard Time, which this PC does not have' '  Sat  10:00-11:00'; do
    grep -qxF "$line" policy.lf || fail "the policy's hours do not show '$line'"
done
grep -qF 'HKLM\SOFTWARE\Policies\Pyxen\HoursZone: the time zone "Atlantis Standard Time" is not on this PC' \
    policy.lf || fail "no warning that the policy's zone is not on this PC"
wine reg add "$policy\Hours" /v 2 /d 'Sun 07:00-07:00' /f > /dev/null
wine "$checkExe" --lang en 2>&1 | tr -d '\r' > refused.lf
cat refused.lf
grep -qxF 'HKLM\SOFTWARE\Policies\Pyxen\Hours:2: the hours are refused whole: a range that ends where it starts' \
    refused.lf || fail "no warning of the policy's broken line 2"

wine_bg pyxenPid "$pyxenExe"
for i in 0 1 2 5; do
    wait_for report.txt "^gone $i\$" 30 || fail "window $i was not closed within 30 s"
done
wait_for report.txt '^close 4 ' 30 || fail "window 4 got no close request within 30 s"
# Several more sweeps, so that a window pyxen.exe would wrongly close has had its chance.
sleep 2

closedSet=$(sed -n 's/^close \([0-9]*\) .*$/\1/p' report.txt | sort -n -u | tr '\n' ' ' |
            sed 's/ $//')
echo "dry run named: $namedSet; pyxen.exe asked to close: $closedSet"
[ "$closedSet" == "$namedSet" ] ||
    fail "pyxen.exe asked windows '$closedSet' to close, the dry run named '$namedSet'"

if [ "$failures" -gt 0 ]; then
    echo "FAILED: $failures check(s)"
    exit 1
fi
echo "all checks passed"
