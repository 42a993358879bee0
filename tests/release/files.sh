#!/bin/bash
# The release files of one architecture as built: the MSI's tables, which are what
# Windows Installer follows (Wine's msiexec differs in places), and the zip a single PC
# is set up from. The x86_64 run reads the i686 tree's package too.
source "$(dirname "$0")/../wine/test-lib.sh"
repo=$(cd "$here/../.." && pwd)
platform=$(release_platform "${PYXEN_WINE_ARCH:-i686}")
msi=$PYXEN_WINDOWS_DIR/release/pyxen-$PYXEN_VERSION-$platform.msi
zipFile=${msi%.msi}.zip
WORK=${PYXEN_TEST_WORK:-$PWD}/run
rm -rf "$WORK" && mkdir -p "$WORK"

# Column N (from 1) of the row of TABLE whose first column is KEY ("" for every row),
# in PACKAGE or else this one.
Cell() {
    msiinfo export "${4:-$msi}" "$1" | tr -d '\r' | tail -n +4 |
        awk -F '\t' -v key="$2" -v n="$3" 'key == "" || $1 == key { print $n }'
}

expect_eq "per machine" "$(Cell Property ALLUSERS 2)" 1
expect_eq "product version" "$(Cell Property ProductVersion 2)" "$PYXEN_VERSION"
# Wholly 64-bit or wholly 32-bit: the template, every component's bit 256, the folder.
bits="x64;1041 1 ProgramFiles64Folder"
[ "$platform" == x86 ] && bits="Intel;1041 0 ProgramFilesFolder"
folder=$(Cell Component SettingsFile 3)
expect_eq "program and settings in Program Files\\Pyxen, of one platform" \
    "$(Cell Component PyxenExe 3) $(Cell Directory "$folder" 3) $(msiinfo suminfo "$msi" |
    tr -d '\r' | sed -n 's/^Template: //p') $(Cell Component "" 4 | awk '{ print int($1 / 256) % 2 }' |
    sort -u) $(Cell Directory "$folder" 2)" "$folder Pyxen $bits"
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
# The service's recovery: started again after 2 s, 2 s and a minute, the count forgotten
# after a day; set by Windows Installer before the service starts.
expect_eq "the guard's recovery actions" "$(msiinfo export "$msi" MsiServiceConfigFailureActions |
    tr -d '\r' | awk -F '\t' 'NR > 3 { print $2 "|" $3 "|" $4 "|" $7 "|" $8 "|" $9 }')|\
$(Cell InstallExecuteSequence MsiConfigureServices 3)" \
    "PyxenGuard|5|86400|1[~]1[~]1|2000[~]2000[~]60000|GuardService|5850"
# The desktop watch is installed with the guard, and only with it.
expect_eq "the desktop watch" "$(Cell File DesktopsExeFile 2) $(Cell File DesktopsExeFile 3 | sed 's/.*|//')" \
    "GuardService pyxen-desktops.exe"
# The guard's event source: registered with the guard, its key deleted ("-") with it.
expect_eq "the event source" "$(msiinfo export "$msi" Registry | tr -d '\r' |
    awk -F '\t' '$3 == "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Pyxen" {
        print $2 "|" $4 "|" $5 "|" $6 }' | sort | tr '\n' ' ')" \
    "2|-||GuardService 2|EventMessageFile|[#$(Cell Component GuardService 6)]|GuardService \
2|ParameterMessageFile|[#$(Cell Component GuardService 6)]|GuardService \
2|TypesSupported|#7|GuardService "
# The x64 package leaves them out when it copies the x86 one's over: Windows would take
# the copies (created after their last change) for unedited and overwrite them.
condition=""
[ "$platform" == x64 ] && condition="NOT PYXENX86DIR"
for component in SettingsFile ProgramListFile; do
    expect_eq "$component is permanent and never overwritten, and its condition" \
        "$(( $(Cell Component $component 4) & 0x90 )) $(Cell Component $component 5)" \
        "$((0x90)) $condition"
done
# Every older version under the same UpgradeCode is found, the same one too (768: the
# x64 package replaces the x86 one), then removed.
expect_eq "the upgrade" "$(msiinfo export "$msi" Upgrade | tr -d '\r' |
    awk -F '\t' -v code="$(Cell Property UpgradeCode 2)" \
        '$1 == code && $7 == "WIX_UPGRADE_DETECTED" { print $2 "|" $3 "|" $5 }') \
$(Cell InstallExecuteSequence RemoveExistingProducts 1)" "|$PYXEN_VERSION|769 RemoveExistingProducts"

# Each component's GUID is the package's own; the x86 package keeps those of every
# release before the x64 one came. Each package finds the other by its pyxen.exe.
guids=$(Cell Component "" 2 | sort | tr '\n' ' ')
if [ "$platform" == x86 ]; then
    expect_eq "the GUIDs of every release" "$guids" "{63B14063-1ACD-4F21-BC13-0A8538E30741} \
{65D9785E-B0BD-405B-A306-F50578FCDECA} {6BC3ADD0-7DF5-4B91-AE01-5FC7D9036337} \
{AD180A54-027E-4203-BA02-DA18859AD7A4} {CCED8936-F664-458A-AD2D-3F5ABB3A2A98} \
{F4F54BD8-E322-4A82-A16D-22C762A4BE34} "
else
    x86Msi=${PYXEN_X86_RELEASE_DIR:?}/pyxen-$PYXEN_VERSION-x86.msi
    expect_eq "the x86 package's components, none with the same GUID" "$(comm -12 \
        <(echo "$guids" | tr ' ' '\n') <(Cell Component "" 2 "$x86Msi" | sort))|$(Cell Component \
        "" 1 | sort | tr '\n' ' ')" "|$(Cell Component "" 1 "$x86Msi" | sort | tr '\n' ' ')"
    expect_eq "each finds the other" "$(Cell CompLocator "" 2) $(Cell CompLocator "" 2 "$x86Msi")" \
        "$(Cell Component PyxenExe 2 "$x86Msi") $(Cell Component PyxenExe 2)"
fi
# make-release.sh refuses a package whose parts disagree on the platform.
cp "$msi" "$WORK/broken.msi"
msibuild "$WORK/broken.msi" -q "UPDATE \`Component\` SET \`Attributes\` =
    $(( $(Cell Component PyxenCheckExe 4) ^ 256 )) WHERE \`Component\` = 'PyxenCheckExe'"
bash "$repo/release/check-msi.sh" "$msi" || fail "check-msi.sh refuses the package"
bash "$repo/release/check-msi.sh" "$WORK/broken.msi" 2> "$WORK/refused.txt" &&
    fail "check-msi.sh takes PyxenCheckExe of the other platform"
cat "$WORK/refused.txt"

unzip -q "$zipFile" -d "$WORK"
top=$WORK/pyxen-$PYXEN_VERSION-$platform
expect_eq "the zip's files" "$(LC_ALL=C ls "$top" | tr '\n' ' ')" \
    "PolicyDefinitions games.txt pyxen-check.exe pyxen-desktops.exe pyxen-guard.exe pyxen.cfg pyxen.exe readme-ja.txt readme.txt "
expect_eq "the policy template" "$(cd "$top/PolicyDefinitions" && find . -type f | sort | tr '\n' ' ')" \
    "./en-US/pyxen-settings.adml ./en-US/pyxen.adml ./ja-JP/pyxen-settings.adml ./ja-JP/pyxen.adml ./pyxen-settings.admx ./pyxen.admx "
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
    [ -f "$source" ] || source=$repo/release/$file
    sed "s/@VERSION@/$PYXEN_VERSION/g" "$source" | cmp -s - <(tr -d '\r' < "$text") ||
        fail "$file does not say what $source says"
done
# Notepad wraps a long line mid-word: 76 columns at most, a double-byte character two.
expect_eq "lines of readme-ja.txt over 76 columns" "$(tr -d '\r' < "$top/readme-ja.txt" |
    LC_ALL=C awk 'length > 76 { print NR }' | tr '\n' ' ')" ""

e2e_finish
