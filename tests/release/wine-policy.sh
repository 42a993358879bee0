#!/bin/bash
# The settings by policy, through the real MSI under Wine, with the registry written as
# Group Policy writes it (the values 1, 2, ... of Settings, then SettingsFromPolicy): a
# window only the policy names is closed within a minute, a broken policy keeps the
# rules in force, and taking the policy away returns to the install folder's files. The
# guard's record under HKLM\SOFTWARE\Pyxen\Guard\LastApply says each. Prints how long
# each step took.
source "$(dirname "$0")/../wine/test-lib.sh"
platform=$(release_platform "$PYXEN_WINE_ARCH")
msi=$PYXEN_WINDOWS_DIR/release/pyxen-$PYXEN_VERSION-$platform.msi
e2e_start
cd "$WORK"

msi_timed install /i "$(winpath "$msi")"
# The guard's entries reach only Wine's debug channel, in the file the services write to.
WINEDEBUG=-all,+eventlog,fixme+advapi wine_restart || fail "cannot restart Wine"
log=$WINEPREFIX/../restart.txt
wait_for_state PyxenGuard RUNNING 30 || fail "the guard is not running after a restart"
wine "$PROBE_EXE" host --wait 20000 > /dev/null || fail "the guard started no Pyxen"

policy='HKLM\SOFTWARE\Policies\Pyxen'
outcome='HKLM\SOFTWARE\Pyxen\Guard\LastApply'
# Outcome NAME: a value of the guard's record.
Outcome() {
    wine reg query "$outcome" /v "$1" 2>/dev/null | tr -d '\r' |
        awk -v name="$1" '$1 == name { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'
}
# Written: notes the time in ms, once the registry holds what Group Policy would write.
Written() {
    written=$(date +%s%3N)
}
Closed() { closed_within_a_minute "$1" "$2" "$written" "$3" "registry write"; }
expect_eq "the record of the guard's start: source, result" "$(Outcome Source) $(Outcome Result)" \
    "file applied"

# The example settings name Solitaire, not Homework: only the policy does. Group Policy
# writes the list's values first, then the policy's own value.
report=$WORK/policy.txt
start_testwin tw "$report" "Homework - Text Editor" "Solitaire - Klondike"
wait_for_line "$report" '^gone 1$' 20 || fail "the install folder's rules are not in force"
wine reg add "$policy\Settings" /v 1 /d '# the lab, by policy' /f > /dev/null
wine reg add "$policy\Settings" /v 2 /d 'METHOD=1' /f > /dev/null
wine reg add "$policy\Settings" /v 3 /d 'Homework' /f > /dev/null
wine reg add "$policy" /v SettingsFromPolicy /t REG_DWORD /d 1 /f > /dev/null
Written
Closed "$report" 0 "a window only the policy names"
for _ in $(seq 50); do
    [ "$(Outcome Source)" = policy ] && break
    sleep 0.2
done
expect_eq "the record: source, rules, result" "$(Outcome Source) $(Outcome Rules) $(Outcome Result)" \
    "policy 0x1 applied"
grep -a -A4 ',0x40000014,' "$log" | tr '\n' ' ' |
    grep -qF 'L"HKLM\\SOFTWARE\\Policies\\Pyxen\\Settings"' ||
    fail "the applied settings' entry does not name the policy"
grep -a -A5 ',0x40000014,' "$log" | tr '\n' ' ' | grep -qF 'L"%%2041"' ||
    fail "the applied settings' entry does not name its source, the policy"

# A broken policy: a value whose name is no number. Refused whole, the rules stay.
wine reg add "$policy\Settings" /v extra /d 'Paint' /f > /dev/null
Written
wait_for_line "$log" "ReportEventW \(.*,0x8000001b," 60 || fail "the broken policy was not refused"
echo "a broken policy: refused $(( $(date +%s%3N) - written )) ms after the registry write"
expect_eq "the record: result, reason" "$(Outcome Result)|$(Outcome RefusalReason)" \
    "refused|the value's name is not a number: extra"
report=$WORK/kept.txt
start_testwin tw "$report" "Homework - after the broken policy"
wait_for_line "$report" '^gone 0$' 20 || fail "the policy's rules were not kept after a broken edit"

# Taken away, as Group Policy does when the policy no longer applies: the files decide.
wine reg delete "$policy" /f > /dev/null
Written
report=$WORK/files.txt
start_testwin tw "$report" "Solitaire - the files again" "Homework - left alone"
Closed "$report" 0 "the policy taken away"
sleep 3
expect_eq "the policy's rule is gone with it" "$(close_count "$report" 1)" 0
expect_eq "the record: source, result, the last refusal kept" \
    "$(Outcome Source) $(Outcome Result) $(Outcome RefusedSource)" "file applied policy"

msi_timed uninstall /x "$(winpath "$msi")"
wine reg query "$outcome" > /dev/null 2>&1 && fail "the guard's record is left after the uninstall"
e2e_finish
