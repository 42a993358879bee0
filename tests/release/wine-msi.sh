#!/bin/bash
# The MSI under Wine, as a lab PC lives with it: a silent install with PYXENSTART=logon,
# Pyxen started by its Startup shortcut closing a window the example settings name, the
# settings edited, a major upgrade to the guard service that keeps the edits, the
# service's Pyxen closing windows and coming back when ended, the service stopped, and
# an uninstall that removes it and keeps the edits. Prints how long each step took.
source "$(dirname "$0")/../wine/test-lib.sh"
msi=$PYXEN_WINDOWS_DIR/release/pyxen-$PYXEN_VERSION.msi
e2e_start
cd "$WORK"
# The next release: the same package one patch version higher.
IFS=. read -r major minor patch <<< "$PYXEN_VERSION"
next=$major.$minor.$((patch + 1))
nextMsi=$WORK/pyxen-$next.msi
bash "$here/../../tools/release/make-release.sh" "$PYXEN_WINDOWS_DIR" "$WORK" "$next" \
    > /dev/null || fail "cannot build version $next"
# Wine's service manager loses a service created while it runs, until Wine restarts, so
# starting it at install fails; this copy only stops it (2, 32) and removes it (128).
msibuild "$nextMsi" -q "UPDATE \`ServiceControl\` SET \`Event\` = 162"
folder=$WINEPREFIX/drive_c/Program\ Files/Pyxen

# Wine puts an all-users shortcut in the user's own Startup folder (the tables that
# Windows follows are checked in files.sh).
Shortcut() {
    find "$WINEPREFIX/drive_c" -ipath '*/Startup/Pyxen.lnk'
}
# Installed PACKAGE: the version Windows lists for that package's product, if any.
Installed() {
    local code
    code=$(msiinfo export "$1" Property | tr -d '\r' | awk '$1 == "ProductCode" { print $2 }')
    wine reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$code" \
        /v DisplayVersion 2>/dev/null | tr -d '\r' | awk '$1 == "DisplayVersion" { print $3 }'
}
# Msiexec WHAT ARGS...: msiexec without a user interface, timed.
Msiexec() {
    local what=$1 start
    start=$(date +%s%N)
    shift
    wine msiexec "$@" /qn || fail "the $what failed"
    echo "$what took $(( ($(date +%s%N) - start) / 1000000 )) ms"
}
Programs() {
    ls "$folder"/*.exe 2>/dev/null | wc -l
}

Msiexec install /i "$(winpath "$msi")" PYXENSTART=logon
expect_eq "installed: version, programs, shortcut, service" \
    "$(Installed "$msi") $(Programs) $(Shortcut | wc -l) $(service_state PyxenGuard)" \
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
Msiexec upgrade /i "$(winpath "$nextMsi")"
expect_eq "upgraded to the guard: old version, new version, programs, shortcut" \
    "$(Installed "$msi")|$(Installed "$nextMsi") $(Programs) $(Shortcut | wc -l)" "|$next 3 0"
for file in pyxen.cfg games.txt; do
    cmp -s "$folder/$file" "$WORK/$file" || fail "the upgrade did not keep the edited $file"
done

wine_restart || fail "cannot restart Wine"
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

# Codes 128 to 255 may be sent by every user: they must not stop it.
# (Wine's service manager reports success whatever the service answers.)
wine "$PROBE_EXE" control PyxenGuard 200 > /dev/null || fail "cannot send a control code"
expect_eq "a user-defined control code changes nothing" "$(service_state PyxenGuard)" RUNNING
wine sc stop PyxenGuard > /dev/null
wait_for_state PyxenGuard STOPPED 20 || fail "the guard did not stop"
wine "$PROBE_EXE" host > /dev/null && fail "a Pyxen runs on after the guard stopped"

Msiexec uninstall /x "$(winpath "$nextMsi")"
expect_eq "uninstalled: version, programs, shortcut, service" \
    "$(Installed "$nextMsi")|$(Programs) $(Shortcut | wc -l) $(service_state PyxenGuard)" \
    "|0 0 none"
for file in pyxen.cfg games.txt; do
    cmp -s "$folder/$file" "$WORK/$file" || fail "the edited $file was not kept"
done

e2e_finish
