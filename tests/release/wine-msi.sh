#!/bin/bash
# The MSI under Wine, as a lab PC lives with it: a silent install, Pyxen started as the
# Startup shortcut starts it closing a window the example settings name, the settings
# edited, a major upgrade that keeps the edits, and an uninstall that keeps them too.
# Prints how long the install, the upgrade and the uninstall took.
source "$(dirname "$0")/../wine/test-lib.sh"
: "${PYXEN_VERSION:?PYXEN_VERSION must name the project version}"
msi=$PYXEN_WINDOWS_DIR/release/pyxen-$PYXEN_VERSION.msi
[ -f "$msi" ] || { echo "missing $msi: build the release target first" >&2; exit 1; }
e2e_start
cd "$WORK"

# The same package one patch version higher, as the next release would be.
IFS=. read -r major minor patch <<< "$PYXEN_VERSION"
next=$major.$minor.$((patch + 1))
bash "$here/../../tools/release/make-release.sh" "$PYXEN_WINDOWS_DIR" "$WORK/next" "$next" \
    > /dev/null || { fail "cannot build version $next"; e2e_finish; }
nextMsi=$WORK/next/pyxen-$next.msi

folder=$WINEPREFIX/drive_c/Program\ Files/Pyxen
# Wine puts an all-users shortcut in the user's own Startup folder; Windows follows the
# package's tables, which release-files checks.
Shortcut() {
    find "$WINEPREFIX/drive_c" -ipath '*/Startup/Pyxen.lnk'
}
ProductVersion() {
    local code
    code=$(msiinfo export "$1" Property | tr -d '\r' | awk -F '\t' '$1 == "ProductCode" { print $2 }')
    wine reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$code" \
        /v DisplayVersion 2>/dev/null | tr -d '\r' | awk '$1 == "DisplayVersion" { print $3 }'
}
# Msiexec MEASURE ARGS...: runs msiexec silently; false if it failed.
Msiexec() {
    local what=$1 start status
    shift
    start=$(date +%s.%N)
    wine msiexec "$@" /qn
    status=$?
    awk -v what="$what" -v start="$start" -v end="$(date +%s.%N)" \
        'BEGIN { printf "%s took %.1f s\n", what, end - start }'
    return $status
}

# -- install
Msiexec install /i "$(winpath "$msi")" || fail "the install failed"
for file in pyxen.exe pyxen-check.exe pyxen.cfg games.txt; do
    [ -f "$folder/$file" ] || fail "$file is not installed"
done
expect_eq "the Startup shortcut" "$(Shortcut | wc -l)" 1
expect_eq "the installed version" "$(ProductVersion "$msi")" "$PYXEN_VERSION"

# Through the shortcut itself, from a folder without settings: Pyxen finds its own only
# if the shortcut starts it in the settings folder. Window 0 is named by the example
# settings (Solitaire, under METHOD=1); window 1 by nothing.
report=$WORK/report.txt
start_testwin tw "$report" "Solitaire - Klondike" "Homework - Text Editor"
wine start /unix "$(Shortcut)" || fail "cannot start the Startup shortcut"
wait_for_line "$report" '^gone 0$' 20 || fail "the installed Pyxen did not close Solitaire"
expect_eq "the other window is left alone" "$(close_count "$report" 1)" 0
wine "$PROBE_EXE" close-host > /dev/null || fail "Pyxen's window not found"
for _ in $(seq 100); do
    wine "$PROBE_EXE" host --wait 0 > /dev/null || break
    sleep 0.1
done
wine "$PROBE_EXE" host --wait 0 > /dev/null && fail "Pyxen did not end on WM_CLOSE"

# -- the administrator edits the settings, then the next version comes
printf '%s\r\n' 'Edited rule' >> "$folder/pyxen.cfg"
printf '%s\r\n' 'Edited list' >> "$folder/games.txt"
cp "$folder/pyxen.cfg" "$folder/games.txt" "$WORK/"
Msiexec upgrade /i "$(winpath "$nextMsi")" || fail "the upgrade failed"
expect_eq "the old version is gone" "$(ProductVersion "$msi")" ""
expect_eq "the upgraded version" "$(ProductVersion "$nextMsi")" "$next"
[ -f "$folder/pyxen.exe" ] || fail "the upgrade left no pyxen.exe"
expect_eq "the Startup shortcut after the upgrade" "$(Shortcut | wc -l)" 1
for file in pyxen.cfg games.txt; do
    cmp -s "$folder/$file" "$WORK/$file" || fail "the upgrade changed the edited $file"
done

# -- uninstall
Msiexec uninstall /x "$(winpath "$nextMsi")" || fail "the uninstall failed"
for file in pyxen.exe pyxen-check.exe; do
    [ -f "$folder/$file" ] && fail "the uninstall left $file"
done
expect_eq "the Startup shortcut after the uninstall" "$(Shortcut | wc -l)" 0
expect_eq "the version after the uninstall" "$(ProductVersion "$nextMsi")" ""
for file in pyxen.cfg games.txt; do
    cmp -s "$folder/$file" "$WORK/$file" || fail "the uninstall did not keep the edited $file"
done

e2e_finish
