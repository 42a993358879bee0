#!/bin/bash
# The release files as built: the MSI's tables, which are what Windows Installer
# follows (Wine's msiexec differs in places), and the zip a single PC is set up from.
source "$(dirname "$0")/../wine/test-lib.sh"
: "${PYXEN_VERSION:?PYXEN_VERSION must name the project version}"
repo=$(cd "$here/../.." && pwd)
release=$PYXEN_WINDOWS_DIR/release
msi=$release/pyxen-$PYXEN_VERSION.msi
zipFile=$release/pyxen-$PYXEN_VERSION.zip
[ -f "$msi" ] && [ -f "$zipFile" ] || { fail "no release files in $release"; e2e_finish; }

# Column ($3, counted from 1) of the row of TABLE whose first column is KEY.
Cell() {
    msiinfo export "$msi" "$1" | tr -d '\r' | tail -n +4 |
        awk -F '\t' -v key="$2" -v column="$3" '$1 == key { print $column }'
}

# -- the package
expect_eq "per machine" "$(Cell Property ALLUSERS 2)" 1
expect_eq "product version" "$(Cell Property ProductVersion 2)" "$PYXEN_VERSION"
settingsDir=$(Cell Component SettingsFile 3)
expect_eq "the settings and the program share a folder" "$(Cell Component PyxenExe 3)" \
    "$settingsDir"
expect_eq "that folder is Pyxen in Program Files" \
    "$(Cell Directory "$settingsDir" 2) $(Cell Directory "$settingsDir" 3)" \
    "ProgramFilesFolder Pyxen"
expect_eq "the shortcut is in the Startup folder" "$(Cell Shortcut PyxenStartup 2)" \
    StartupFolder
expect_eq "the shortcut starts in the settings folder" "$(Cell Shortcut PyxenStartup 12)" \
    "$settingsDir"
# An advertised shortcut names a feature; a plain one names the file.
expect_eq "the shortcut is not advertised" "$(Cell Shortcut PyxenStartup 5)" \
    "[#$(Cell Component PyxenExe 6)]"
for component in SettingsFile ProgramListFile PyxenExe PyxenCheckExe; do
    attributes=$(Cell Component "$component" 4)
    kept=$(( attributes & 0x90 ))
    case $component in
    *File) expect_eq "$component is permanent and never overwritten" $kept $((0x90)) ;;
    *) expect_eq "$component goes with an uninstall" $kept 0 ;;
    esac
done
upgradeCode=$(Cell Property UpgradeCode 2)
upgrade=$(msiinfo export "$msi" Upgrade | tr -d '\r' | awk -F '\t' -v code="$upgradeCode" \
    '$1 == code && $7 == "WIX_UPGRADE_DETECTED" { print $2 "|" $3 "|" $5 }')
# Every older version (none is excluded from below) is found and removed.
expect_eq "an older version is upgraded" "$upgrade" "|$PYXEN_VERSION|1"
msiinfo export "$msi" InstallExecuteSequence | grep -q '^RemoveExistingProducts' ||
    fail "the old product is never removed"

# -- the zip, and the files inside the package
unpacked=$WORK/zip
rm -rf "$unpacked" "$WORK/msi"
mkdir -p "$unpacked" "$WORK/msi"
unzip -q "$zipFile" -d "$unpacked"
top=$unpacked/pyxen-$PYXEN_VERSION
expect_eq "the zip's files" "$(cd "$top" && ls | tr '\n' ' ')" \
    "games.txt pyxen-check.exe pyxen.cfg pyxen.exe readme-ja.txt readme.txt "
cmp -s "$top/pyxen.exe" "$PYXEN_EXE" || fail "the zip's pyxen.exe is not the one built"
(cd "$WORK/msi" && msiextract "$msi" > /dev/null)
for file in pyxen.cfg games.txt; do
    cmp -s "$top/$file" "$WORK/msi/Program Files/Pyxen/$file" ||
        fail "the zip's $file differs from the package's"
done

# Text as Notepad reads it: every line ends in CR LF.
for file in pyxen.cfg games.txt readme.txt readme-ja.txt; do
    lines=$(wc -l < "$top/$file")
    expect_eq "$file has CR LF ends" "$(grep -c $'\r$' "$top/$file")" "$lines"
done
for file in pyxen.cfg games.txt; do
    tr -d '\r' < "$top/$file" | cmp -s - "$repo/examples/$file" ||
        fail "$file is not the example"
done
# The Japanese readme is in code page 932, not UTF-8, and says what its source says.
iconv -f UTF-8 -t UTF-8 "$top/readme-ja.txt" > /dev/null 2>&1 &&
    fail "readme-ja.txt is UTF-8"
if iconv -f CP932 -t UTF-8 "$top/readme-ja.txt" > "$WORK/readme-ja.utf8"; then
    sed "s/@VERSION@/$PYXEN_VERSION/" "$repo/tools/release/readme.ja.txt" |
        cmp -s - <(tr -d '\r' < "$WORK/readme-ja.utf8") ||
        fail "readme-ja.txt does not say what tools/release/readme.ja.txt says"
else
    fail "readme-ja.txt is not valid CP932"
fi

e2e_finish
