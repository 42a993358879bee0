#!/bin/bash
# The MSI under Wine, as a lab PC lives with it: a silent install with PYXENSTART=logon,
# Pyxen started by its Startup shortcut closing a window the example settings name, the
# settings edited, a major upgrade to the guard service that keeps the edits, the
# service's Pyxen closing windows and coming back when ended, the service stopped, and
# an uninstall that removes it and keeps the edits. Under the guard, edits of the
# settings and of a list on a "share" are in force without a restart, and an edit that
# leaves no rule is refused, enforcement hours in hours.cfg or the policy end and begin
# the guard's Pyxens and a broken edit of them is refused, and a stop that comes during a swap is
# honoured within its wait hint. Prints how long each step took. The architecture's own
# package: the x64 one installs into C:\Program Files\Pyxen as well.
source "$(dirname "$0")/../wine/test-lib.sh"
platform=$(release_platform "$PYXEN_WINE_ARCH")
msi=$PYXEN_WINDOWS_DIR/release/pyxen-$PYXEN_VERSION-$platform.msi
e2e_start
cd "$WORK"
# The next release: the same package one patch version higher.
IFS=. read -r major minor patch <<< "$PYXEN_VERSION"
next=$major.$minor.$((patch + 1))
nextMsi=$WORK/pyxen-$next-$platform.msi
bash "$here/../../release/make-release.sh" "$PYXEN_WINDOWS_DIR" "$WORK" "$next" \
    "$PYXEN_WINE_ARCH" > /dev/null || fail "cannot build version $next"
msi_unstarted "$nextMsi"
folder=$WINEPREFIX/drive_c/Program\ Files/Pyxen

# Wine puts an all-users shortcut in the user's own Startup folder (the tables that
# Windows follows are checked in files.sh).
Shortcut() {
    find "$WINEPREFIX/drive_c" -ipath '*/Startup/Pyxen.lnk'
}
Programs() {
    ls "$folder"/*.exe 2>/dev/null | wc -l
}
# The event source's types, as the guard's install registers them.
EventSource() {
    wine reg query 'HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Pyxen' \
        /v TypesSupported 2>/dev/null | tr -d '\r' | awk '$1 == "TypesSupported" { print $3 }'
}

msi_timed install /i "$(winpath "$msi")" PYXENSTART=logon
expect_eq "installed: version, programs, shortcut, service" \
    "$(msi_installed "$msi") $(Programs) $(Shortcut | wc -l) $(service_state PyxenGuard)" \
    "$PYXEN_VERSION 2 1 none"

# From a folder without settings: Pyxen finds its own only if the shortcut starts it
# in their folder. The example settings name Solitaire (METHOD=1), and not Homework.
report=$WORK/report.txt
start_testwin tw "$report" "Solitaire - Klondike" "Homework - Text Editor"
wine start /unix "$(Shortcut)" || fail "cannot start the shortcut"
wait_for_line "$report" '^gone 0$' 20 || fail "the installed Pyxen did not close Solitaire"
expect_eq "the other window is left alone" "$(close_count "$report" 1)" 0
wine "$PROBE_EXE" close-host > /dev/null || fail "Pyxen's window not found"
for _ in $(seq 100); do
    wine "$PROBE_EXE" host --wait 0 > /dev/null || break
    sleep 0.1
done

printf 'Edited rule\r\n' >> "$folder/pyxen.cfg"
printf 'Edited list\r\n' >> "$folder/games.txt"
cp "$folder/pyxen.cfg" "$folder/games.txt" "$WORK/"
msi_timed upgrade /i "$(winpath "$nextMsi")"
expect_eq "upgraded to the guard: old version, new version, programs, shortcut" \
    "$(msi_installed "$msi")|$(msi_installed "$nextMsi") $(Programs) $(Shortcut | wc -l)" "|$next 4 0"
for file in pyxen.cfg games.txt; do
    cmp -s "$folder/$file" "$WORK/$file" || fail "the upgrade did not keep the edited $file"
done
expect_eq "the event source is registered with the guard" "$(EventSource)" 0x7

# The guard's entries reach only Wine's debug channel, in the file the services write to.
WINEDEBUG=-all,+eventlog,fixme+advapi wine_restart || fail "cannot restart Wine"
log=$WINEPREFIX/../restart.txt
# Entries ID: how many entries of the message table's ID the guard reported.
Entries() {
    grep -ac "fixme:advapi:ReportEventW (.*,$1," "$log"
}
wait_for_state PyxenGuard RUNNING 30 || fail "the guard is not running after a restart"
# The guard's Pyxen finds the installed settings only in the install folder.
report=$WORK/guarded.txt
start_testwin tw "$report" "Solitaire - Klondike" "Homework - Text Editor"
wait_for_line "$report" '^gone 0$' 20 || fail "the guard's Pyxen did not close Solitaire"
expect_eq "the guard's Pyxen leaves the other window alone" "$(close_count "$report" 1)" 0

# Next WHAT START: a Pyxen that ended is back, and closes the next window.
Next() {
    local report=$WORK/$1.txt start=$2
    start_testwin tw "$report" "Solitaire - $1"
    if wait_for_line "$report" '^gone 0$' 20; then
        echo "$1: $(( ($(date +%s%N) - start) / 1000000 )) ms until the next window closed"
    else
        fail "no Pyxen closed the next window after it was ended by $1"
    fi
}
start=$(date +%s%N)
wine "$PROBE_EXE" kill-host --wait 5000 > "$WORK/kill.txt" || fail "no Pyxen after the kill"
again=$(tr -d '\r' < "$WORK/kill.txt" | awk '$1 == "host-again-ms:" { print $2 }')
echo "killed: a new Pyxen after ${again:-no} ms"
[ -n "$again" ] && [ "$again" -le 2500 ] || fail "Pyxen was not back within about 2 s"
Next kill "$start"
start=$(date +%s%N)
wine "$PROBE_EXE" close-host > /dev/null || fail "the guard's Pyxen has no window"
wine "$PROBE_EXE" host --wait 5000 > /dev/null || fail "no Pyxen after WM_CLOSE"
Next close "$start"

# A user holds the install folder's files open with no sharing while the guard starts:
# its Pyxen runs and reads from the guard's own folder, and still closes a window.
wine sc stop PyxenGuard > /dev/null
wait_for_state PyxenGuard STOPPED 20 || fail "the guard did not stop"
[ -f "$folder/Guard/rules.txt" ] || fail "the guard keeps no settings of its own"
held=$WORK/held.txt
wine_bg holder "$PROBE_EXE" hold "$(winpath "$held")" "$(winpath "$folder/pyxen.cfg")" \
    "$(winpath "$folder/games.txt")" "$(winpath "$folder/pyxen.exe")"
wait_for_line "$held" '^held 3' 20 || fail "the install folder's files could not be held"
start=$(date +%s%N)
wine sc start PyxenGuard > /dev/null
report=$WORK/while-held.txt
start_testwin tw "$report" "Solitaire - while held"
wait_for_line "$report" '^gone 0$' 30 ||
    fail "no Pyxen closed a window while the install folder's files were held"
echo "held: $(( ($(date +%s%N) - start) / 1000000 )) ms from the guard's start to the window closed"
expect_eq "one entry says the last accepted settings are enforced" "$(Entries 0x80000016)" 1
rm "$held"
wait "$holder"

# Edited settings, in force without a restart.
# Saved FROM TO: writes FROM's text over TO as an editor would, and notes the time in ms.
Saved() {
    cat "$1" > "$2"
    saved=$(date +%s%3N)
}
Closed() { closed_within_a_minute "$1" "$2" "$saved" "$3" save; }
cfg=$folder/pyxen.cfg
lab=$WINEPREFIX/drive_c/lab
mkdir -p "$lab"
printf 'Lab placeholder\r\n' > "$lab/list.txt"

printf '# Every rule taken out\r\nINTER=2000\r\n' > "$WORK/norule.cfg"
Saved "$WORK/norule.cfg" "$cfg"
wait_for_line "$log" "ReportEventW \(.*,0x80000015," 30 || fail "the edit without a rule was not refused"
report=$WORK/refused.txt
start_testwin tw "$report" "Solitaire - after the edit without a rule"
wait_for_line "$report" '^gone 0$' 20 || fail "the old rules were not kept after a refused edit"

# A window that refuses to close is asked at every sweep: the longest wait between two
# requests, through the swap, is the gap the swap leaves.
report=$WORK/applied.txt
start_testwin tw "$report" --refuse 0 "Solitaire - refuses" "Homework - Text Editor" \
    "Drawing - Paint"
wait_for_line "$report" '^close 0 ' 20 || fail "no Pyxen asks the refusing window"
watch_closes "$report" 0 "$WORK/closes.txt"
sleep 3
expect_eq "the new rules' windows are open before the edit" \
    "$(close_count "$report" 1) $(close_count "$report" 2)" "0 0"
{ cat "$WORK/pyxen.cfg"; printf 'Homework\r\nREAD C:\\lab\\list.txt\r\n'; } > "$WORK/more.cfg"
Saved "$WORK/more.cfg" "$cfg"
swapped=$saved
Closed "$report" 1 "a rule added to pyxen.cfg"
sleep 5
gap=$(longest_gap "$WORK/closes.txt" "$swapped")
echo "the swap: at most $gap ms between two sweeps (interval 2000 ms)"
# The new Pyxen first sweeps one interval after it loaded; the old one sweeps until
# just before then.
[ "$gap" -gt 0 ] && [ "$gap" -le 3000 ] || fail "the swap left $gap ms without a sweep"
grep -a -A3 ',0x40000014,' "$log" | sed 's/^[0-9a-f]*://' | tr '\n' ' ' |
    grep -qF 'L"11" trace:eventlog:ReportEventW L"C:\\Program Files\\Pyxen\\pyxen.cfg, games.txt, C:\\lab\\list.txt" trace:eventlog:ReportEventW L"1"' ||
    fail "the applied settings' entry does not give 11 rules from the three files, taken by 1 session"

# The list is outside the install folder, as on a share: found by the poll.
printf 'Lab placeholder\r\nDrawing\r\n' > "$WORK/list.txt"
Saved "$WORK/list.txt" "$lab/list.txt"
Closed "$report" 2 "a rule added to a list outside the folder"
# The entry itself says why (no rule); its one string names the files.
grep -a -A1 ',0x80000015,' "$log" | grep -aqF 'L"C:\\Program Files\\Pyxen\\pyxen.cfg' ||
    fail "the refusal's entry does not name the settings file"
# Enforcement hours beside the settings. A range that leaves out now (in the zone Wine
# takes from this machine) ends the guard's Pyxen, and a matching window stays.
hours=$folder/hours.cfg
# NoPyxen: true once no Pyxen runs, within 30 s.
NoPyxen() {
    for _ in $(seq 150); do
        wine "$PROBE_EXE" host > /dev/null || return 0
        sleep 0.2
    done
    return 1
}
printf 'Mon-Sun %s-%s\r\n' "$(date -d '+2 hours' +%H:%M)" "$(date -d '+3 hours' +%H:%M)" \
    > "$WORK/later.cfg"
Saved "$WORK/later.cfg" "$hours"
NoPyxen || fail "a Pyxen runs on outside the hours"
echo "hours that leave out now: no Pyxen $(( $(date +%s%3N) - saved )) ms after saving"
report=$WORK/outside.txt
start_testwin tw "$report" "Solitaire - outside the hours"
sleep 5
expect_eq "outside the hours a matching window stays" "$(close_count "$report" 0)" 0
printf '# all day\r\nMon-Sun 00:00-24:00\r\n' > "$WORK/allday.cfg"
Saved "$WORK/allday.cfg" "$hours"
Closed "$report" 0 "hours that take now in"
# The policy replaces the file, noticed as it is written: its hours leave out now. Taken
# away, the file decides again.
policy='HKLM\SOFTWARE\Policies\Pyxen'
wine reg add "$policy\Hours" /v 1 /d "$(head -n 1 "$WORK/later.cfg" | tr -d '\r')" /f > /dev/null
wine reg add "$policy" /v EnforcementHours /t REG_DWORD /d 1 /f > /dev/null
saved=$(date +%s%3N)
NoPyxen || fail "a Pyxen runs on outside the policy's hours"
echo "a policy that leaves out now: no Pyxen $(( $(date +%s%3N) - saved )) ms after it was written"
wine reg delete "$policy" /f > /dev/null
wine "$PROBE_EXE" host --wait 20000 > /dev/null || fail "no Pyxen once the policy was taken away"

{ cat "$WORK/allday.cfg"; printf 'Mon 25:00-26:00\r\n'; } > "$WORK/broken.cfg"
Saved "$WORK/broken.cfg" "$hours"
wait_for_line "$log" "ReportEventW \(.*,0x80000021," 30 || fail "the broken hours were not refused"
report=$WORK/kept.txt
start_testwin tw "$report" "Solitaire - after broken hours"
wait_for_line "$report" '^gone 0$' 20 || fail "the hours in force were not kept after a broken edit"

echo "the event log as Wine wrote it:"
grep -a "ReportEventW" "$log" | grep -av "^.*RegisterEvent" | tail -n 14

# Codes 128 to 255 may be sent by every user: they must not stop it.
# (Wine's service manager reports success whatever the service answers.)
wine "$PROBE_EXE" control PyxenGuard 200 > /dev/null || fail "cannot send a control code"
expect_eq "a user-defined control code changes nothing" "$(service_state PyxenGuard)" RUNNING

# A stop during a swap. At INTER=5000 the old Pyxen sweeps on beside its successor for
# about 5 s after an edit; the stop comes then, and is honoured within its wait hint.
{ cat "$cfg"; printf 'INTER=5000\r\n'; } > "$WORK/slow.cfg"
Saved "$WORK/slow.cfg" "$cfg"
for _ in $(seq 150); do
    [ "$(Entries 0x40000014)" -ge 3 ] && break
    sleep 0.2
done
expect_eq "the slower interval is applied" "$(Entries 0x40000014)" 3
{ cat "$WORK/slow.cfg"; printf '# swapped while stopping\r\n'; } > "$WORK/stopped.cfg"
Saved "$WORK/stopped.cfg" "$cfg"
wine "$PROBE_EXE" two-hosts --wait 20000 > /dev/null || fail "no swap after the edit"
stopping=$(date +%s%3N)
wine sc stop PyxenGuard > /dev/null
wait_for_state PyxenGuard STOPPED 20 || fail "the guard did not stop"
stopped=$(( $(date +%s%3N) - stopping ))
echo "a stop during a swap: STOPPED after $stopped ms (wait hint 10000 ms)"
[ "$stopped" -le 10000 ] || fail "the stop during a swap took $stopped ms"
cp "$cfg" "$lab/list.txt" "$WORK/"
wine "$PROBE_EXE" host > /dev/null && fail "a Pyxen runs on after the guard stopped"
expect_eq "entries: guard started (and again while held), Pyxen started (at the starts and \
when the hours began), restarted, edit refused, settings applied (not for the swap the \
stop cut short), hours applied, ended, began (all day: with no end), refused, guard stopped" \
    "$(Entries 0x40000001) $(Entries 0x4000000a) $(Entries 0x4000000b) $(Entries 0x80000015) \
$(Entries 0x40000014) $(Entries 0x40000020) $(Entries 0x4000001f) $(Entries 0x4000001e) \
$(Entries 0x40000024) $(Entries 0x80000021) $(Entries 0x40000002)" "2 4 2 1 3 4 2 0 2 1 2"

msi_timed uninstall /x "$(winpath "$nextMsi")"
expect_eq "uninstalled: version, programs, shortcut, service" \
    "$(msi_installed "$nextMsi")|$(Programs) $(Shortcut | wc -l) $(service_state PyxenGuard)" \
    "|0 0 none"
expect_eq "the event source is removed with the guard" "$(EventSource)" ""
[ -e "$folder/Guard" ] && fail "the guard's own folder is left after the uninstall: $(ls -A "$folder/Guard" | tr "\n" " ")"
for file in pyxen.cfg games.txt; do
    cmp -s "$folder/$file" "$WORK/$file" || fail "the edited $file was not kept"
done

e2e_finish
