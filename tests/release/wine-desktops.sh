#!/bin/bash
# Another desktop of the session under the guard, installed from the real MSI: a program
# of the test's own creates a desktop in its window station and puts two windows there.
# The one a rule names is closed, the other is left alone, and once the program has gone
# the desktop's Pyxen ends. Prints the time from the desktop's creation to the window
# closed, and the processes the session holds with one extra desktop.
source "$(dirname "$0")/../wine/test-lib.sh"
platform=$(release_platform "$PYXEN_WINE_ARCH")
msi=$PYXEN_WINDOWS_DIR/release/pyxen-$PYXEN_VERSION-$platform.msi
e2e_start
cd "$WORK"
cp "$msi" "$WORK/guarded.msi"
msi_unstarted "$WORK/guarded.msi"
msi_timed install /i "$(winpath "$WORK/guarded.msi")"
WINEDEBUG=-all,+eventlog,fixme+advapi wine_restart || fail "cannot restart Wine"
log=$WINEPREFIX/../restart.txt
wait_for_state PyxenGuard RUNNING 30 || fail "the guard is not running after a restart"
wine "$PROBE_EXE" host --wait 20000 > /dev/null || fail "no Pyxen on Default"

# Processes NAME: how many processes of this test's prefix run the program NAME.
Processes() {
    local pid count=0
    for pid in $(pgrep -f -i "\\\\$1"); do
        tr '\0' '\n' < "/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" &&
            count=$((count + 1))
    done
    echo "$count"
}
# The guard's first start takes the install folder's settings into its own folder: its
# first Pyxen is swapped for one that runs from there.
for _ in $(seq 50); do
    [ "$(Processes pyxen.exe)" == 1 ] && break
    sleep 0.2
done
expect_eq "before: Pyxens, watches" "$(Processes pyxen.exe) $(Processes pyxen-desktops.exe)" "1 1"

# A user can't hold the watch's program open with no sharing: the guard holds it.
held=$WORK/held.txt
wine_bg holder "$PROBE_EXE" hold "$(winpath "$held")" \
    "$(winpath "$WINEPREFIX/drive_c/Program Files/Pyxen/pyxen-desktops.exe")"
wait_for_line "$held" '^held ' 20 || fail "probe.exe did not try to hold the watch's program"
expect_eq "the watch's program can't be held" "$(tr -d '\r' < "$held")" "held 0"
rm -f "$held"
wait "$holder"

report=$WORK/desktop.txt
created=$(date +%s%3N)
start_testwin tw "$report" --exit-after 30000 --desktop "Lab desk" \
    "Solitaire - on another desktop" "Homework - Text Editor"
grep -qx "desktop Lab desk" "$report" || fail "testwin made no desktop"
if wait_for_line "$report" '^gone 0$' 15; then
    echo "from the desktop's creation to the window closed: $(( $(date +%s%3N) - created )) ms"
else
    fail "the window on the other desktop was not closed within 15 s"
fi
sleep 3
expect_eq "the window no rule names is left alone" "$(close_count "$report" 1)" 0
with=$(Processes pyxen.exe)+$(Processes pyxen-desktops.exe)+$(Processes pyxen-guard.exe)
echo "processes with one extra desktop: pyxen.exe+pyxen-desktops.exe+pyxen-guard.exe = $with"
expect_eq "with one extra desktop: Pyxens, watches" "$(Processes pyxen.exe) $(Processes pyxen-desktops.exe)" "2 1"
grep -a -A3 'ReportEventW (.*,0x40000028,' "$log" | grep -aqF 'L"Lab desk"' ||
    fail "no entry names the desktop's Pyxen"

# The program that made the desktop ends: nothing but its Pyxen is on it any more. Wine
# also starts a shell of its own (explorer) for each desktop a window comes to, which
# Windows doesn't: it is ended as well, as if it went with the program.
wait_for_exit "$tw" 40 || fail "testwin did not end"
shell=$(wine "$PROBE_EXE" desktop-windows "Lab desk" | tr -d '\r' | awk '$3 == "Shell_TrayWnd" { print $2 }')
[ -n "$shell" ] && wine "$PROBE_EXE" end-process "$shell" > /dev/null
gone=$(date +%s%3N)
for _ in $(seq 50); do
    [ "$(Processes pyxen.exe)" == 1 ] && break
    sleep 0.2
done
expect_eq "the desktop's Pyxen ends once it is out of use" "$(Processes pyxen.exe)" 1
echo "its Pyxen ended $(( $(date +%s%3N) - gone )) ms after the desktop was left"
expect_eq "the desktop goes with its Pyxen" "$(wine "$PROBE_EXE" desktop-windows "Lab desk" | tr -d '\r')" \
    "desktop: none"

wine sc stop PyxenGuard > /dev/null
wait_for_state PyxenGuard STOPPED 20 || fail "the guard did not stop"
expect_eq "after the stop: Pyxens, watches" "$(Processes pyxen.exe) $(Processes pyxen-desktops.exe)" "0 0"
e2e_finish
