#!/bin/bash
# The release files as built: the MSI's tables, which are what Windows Installer
# follows (Wine's msiexec differs in places), and the zip a single PC is set up from.
source "$(dirname "$0")/../wine/test-lib.sh"
repo=$(cd "$here/../.." && pwd)
msi=$PYXEN_WINDOWS_DIR/release/pyxen-$PYXEN_VERSION.msi
zipFile=${msi%.msi}.zip

# Column N (from 1) of the row of TABLE whose first column is KEY.
Cell() {
    msiinfo export "$msi" "$1" | tr -d '\r' | tail -n +4 |
        awk -F '\t' -v key="$2" -v n="$3" '$1 == key { print $n }'
}

expect_eq "per machine" "$(Cell Property ALLUSERS 2)" 1
expect_eq "product version" "$(Cell Property ProductVersion 2)" "$PYXEN_VERSION"
folder=$(Cell Component SettingsFile 3)
expect_eq "program and settings in Program Files\\Pyxen" \
    "$(Cell Component PyxenExe 3) $(Cell Directory "$folder" 2) $(Cell Directory "$folder" 3)" \
    "$folder ProgramFilesFolder Pyxen"
# Folder, target and working directory; an advertised shortcut would name a feature.
expect_eq "the shortcut" "$(Cell Shortcut PyxenStartup 2) $(Cell Shortcut PyxenStartup 5) \
$(Cell Shortcut PyxenStartup 12)" "StartupFolder [#$(Cell Component PyxenExe 6)] $folder"
# The guard by default, started at install, stopped at install and uninstall, removed at
# uninstall; the shortcut instead only with PYXENSTART=logon. (make-release.sh itself
# refuses a wrong ServiceInstall row.)
expect_eq "one way to run: guard or shortcut" "$(Cell Component GuardService 5)|\
$(Cell Component StartupShortcut 5)|$(Cell Shortcut PyxenStartup 4)|\
$(Cell ServiceControl GuardControl 3)" \
    'PYXENSTART <> "logon" OR REMOVE ~= "ALL"|PYXENSTART = "logon" OR REMOVE ~= "ALL"|StartupShortcut|163'
# The guard's event source: registered with the guard, its key deleted ("-") with it.
expect_eq "the event source" "$(msiinfo export "$msi" Registry | tr -d '\r' |
    awk -F '\t' '$3 == "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Pyxen" {
        print $2 "|" $4 "|" $5 "|" $6 }' | sort | tr '\n' ' ')" \
    "2|-||GuardService 2|EventMessageFile|[#$(Cell Component GuardService 6)]|GuardService \
2|TypesSupported|#7|GuardService "
for component in SettingsFile ProgramListFile; do
    expect_eq "$component is permanent and never overwritten" \
        $(( $(Cell Component $component 4) & 0x90 )) $((0x90))
done
# Every older version under the same UpgradeCode is found, then removed.
expect_eq "the upgrade" "$(msiinfo export "$msi" Upgrade | tr -d '\r' |
    awk -F '\t' -v code="$(Cell Property UpgradeCode 2)" \
        '$1 == code && $7 == "WIX_UPGRADE_DETECTED" { print $2 "|" $3 "|" $5 }') \
$(Cell InstallExecuteSequence RemoveExistingProducts 1)" "|$PYXEN_VERSION|1 RemoveExistingProducts"

WORK=${PYXEN_TEST_WORK:-$PWD}/run
rm -rf "$WORK" && mkdir -p "$WORK" && unzip -q "$zipFile" -d "$WORK"
top=$WORK/pyxen-$PYXEN_VERSION
expect_eq "the zip's files" "$(ls "$top" | tr '\n' ' ')" \
    "games.txt pyxen-check.exe pyxen-guard.exe pyxen.cfg pyxen.exe readme-ja.txt readme.txt "
cmp -s "$top/pyxen.exe" "$PYXEN_EXE" || fail "the zip's pyxen.exe is not the one built"
# Text as Notepad reads it: CR LF ends; the Japanese readme in code page 932, not UTF-8.
iconv -f UTF-8 -t UTF-8 "$top/readme-ja.txt" > /dev/null 2>&1 && fail "readme-ja.txt is UTF-8"
iconv -f CP932 -t UTF-8 "$top/readme-ja.txt" > "$WORK/readme.ja.txt" || fail "not CP932"
cp "$top/readme.txt" "$WORK/readme.en.txt"
for file in pyxen.cfg games.txt readme.en.txt readme.ja.txt; do
    text=$WORK/$file
    [ -f "$top/$file" ] && text=$top/$file
    expect_eq "$file has CR LF ends" "$(grep -c $'\r$' "$text")" "$(wc -l < "$text")"
    source=$repo/examples/$file
    [ -f "$source" ] || source=$repo/tools/release/$file
    sed "s/@VERSION@/$PYXEN_VERSION/" "$source" | cmp -s - <(tr -d '\r' < "$text") ||
        fail "$file does not say what $source says"
done

e2e_finish
