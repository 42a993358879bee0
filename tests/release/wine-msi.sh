#!/bin/bash
# The MSI under Wine, as a lab PC lives with it: a silent install, Pyxen started by its
# Startup shortcut closing a window the example settings name, the settings edited, a
# major upgrade and an uninstall that both keep the edits. Prints how long each took.
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

Msiexec install /i "$(winpath "$msi")"
expect_eq "installed: version, programs, shortcut" \
    "$(Installed "$msi") $(Programs) $(Shortcut | wc -l)" "$PYXEN_VERSION 2 1"

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
expect_eq "upgraded: old version, new version, programs, shortcut" \
    "$(Installed "$msi")|$(Installed "$nextMsi") $(Programs) $(Shortcut | wc -l)" "|$next 2 1"
Msiexec uninstall /x "$(winpath "$nextMsi")"
expect_eq "uninstalled: version, programs, shortcut" \
    "$(Installed "$nextMsi")|$(Programs) $(Shortcut | wc -l)" "|0 0"
for file in pyxen.cfg games.txt; do
    cmp -s "$folder/$file" "$WORK/$file" || fail "the edited $file was not kept"
done

e2e_finish
