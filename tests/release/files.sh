#!/bin/bash
# The release files of one architecture as built: the MSI's tables, which are what
# Windows Installer follows (Wine's msiexec differs in places), and the zip a single PC
# is set up from. The x86_64 run also reads the i686 tree's package
# (PYXEN_X86_RELEASE_DIR): the two packages must keep apart.
source "$(dirname "$0")/../wine/test-lib.sh"
repo=$(cd "$here/../.." && pwd)
platform=$(release_platform "${PYXEN_WINE_ARCH:-i686}")
name=pyxen-$PYXEN_VERSION-$platform
msi=$PYXEN_WINDOWS_DIR/release/$name.msi
zipFile=${msi%.msi}.zip
WORK=${PYXEN_TEST_WORK:-$PWD}/run
rm -rf "$WORK" && mkdir -p "$WORK"

# Rows TABLE [PACKAGE]: the table's rows, columns split by tabs.
Rows() {
    msiinfo export "${2:-$msi}" "$1" | tr -d '\r' | tail -n +4
}
# Cell TABLE KEY N [PACKAGE]: column N (from 1) of the row of TABLE whose first column is KEY.
Cell() {
    Rows "$1" "${4:-}" | awk -F '\t' -v key="$2" -v n="$3" '$1 == key { print $n }'
}
Template() {
    msiinfo suminfo "${1:-$msi}" | tr -d '\r' | sed -n 's/^Template: //p'
}
# Step ACTION: where the action comes in the install.
Step() {
    Cell InstallExecuteSequence "$1" 3
}

expect_eq "per machine" "$(Cell Property ALLUSERS 2)" 1
expect_eq "product version" "$(Cell Property ProductVersion 2)" "$PYXEN_VERSION"
# Wholly of one platform: a 64-bit package says so in its template and in every
# component, and installs into the 64-bit Program Files.
if [ "$platform" == x64 ]; then
    expected="x64;1041 1 ProgramFiles64Folder"
else
    expected="Intel;1041 0 ProgramFilesFolder"
fi
folder=$(Cell Component SettingsFile 3)
expect_eq "template, 64-bit components, folder of the $platform package" "$(Template) \
$(Rows Component | awk -F '\t' '{ print int($4 / 256) % 2 }' | sort -u | tr '\n' ' ')\
$(Cell Directory "$folder" 2)" "$expected"
expect_eq "program and settings in Program Files\\Pyxen" \
    "$(Cell Component PyxenExe 3) $(Cell Directory "$folder" 3)" "$folder Pyxen"
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
expect_eq "the event source" "$(Rows Registry |
    awk -F '\t' '$3 == "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Pyxen" {
        print $2 "|" $4 "|" $5 "|" $6 }' | sort | tr '\n' ' ')" \
    "2|-||GuardService 2|EventMessageFile|[#$(Cell Component GuardService 6)]|GuardService \
2|TypesSupported|#7|GuardService "
# Kept, never written over; in the x64 package not installed at all when the x86 one's
# settings are copied over (Windows would take the copies, newer than their last
# change, for unedited files and overwrite them with the examples).
condition=""
[ "$platform" == x64 ] && condition="NOT PYXENX86DIR"
for component in SettingsFile ProgramListFile; do
    expect_eq "$component is permanent, never overwritten, and its condition" \
        "$(( $(Cell Component $component 4) & 0x90 ))|$(Cell Component $component 5)" \
        "$((0x90))|$condition"
done
# Every older version under the same UpgradeCode is found, the same version too (768),
# then removed before anything of this package is installed: after its removal, the
# old product's service and event source would take the new one's with them.
expect_eq "the upgrade and the downgrade" "$(Rows Upgrade |
    awk -F '\t' -v code="$(Cell Property UpgradeCode 2)" '$1 == code { print $2 "|" $3 "|" $5 "|" $7 }' |
    LC_ALL=C sort | tr '\n' ' ')" \
    "$PYXEN_VERSION||2|WIX_DOWNGRADE_DETECTED |$PYXEN_VERSION|769|WIX_UPGRADE_DETECTED "
expect_eq "the old product is removed between validating and installing" \
    "$(( $(Step InstallValidate) < $(Step RemoveExistingProducts) &&
        $(Step RemoveExistingProducts) < $(Step InstallInitialize) ))" 1
if [ "$platform" == x64 ]; then
    expect_eq "the x86 settings are copied after its removal, before the files are installed" \
        "$(( $(Step RemoveExistingProducts) < $(Step MoveFiles) &&
            $(Step PyxenSettingsFrom) < $(Step MoveFiles) && $(Step MoveFiles) < $(Step InstallFiles) ))" 1
fi

# The component GUIDs that every version of a package keeps: Windows Installer knows the
# installed settings components by them. The x86 ones are those of every release before
# the x64 package came.
while read -r component x86 x64; do
    [ "$platform" == x64 ] && x86=$x64
    expect_eq "the GUID of $component" "$(Cell Component "$component" 2)" "{$x86}"
done <<'EOF'
PyxenExe        65D9785E-B0BD-405B-A306-F50578FCDECA BF06656A-55F5-4A36-9834-C01BF91E58C1
GuardService    F4F54BD8-E322-4A82-A16D-22C762A4BE34 33493A2D-417F-4835-AB61-C58B138158ED
StartupShortcut 63B14063-1ACD-4F21-BC13-0A8538E30741 4DB25123-DF60-4AD0-BD74-6CC26C8E401E
PyxenCheckExe   CCED8936-F664-458A-AD2D-3F5ABB3A2A98 FB00F93D-2C63-4DF1-BC61-963B824ADC72
SettingsFile    6BC3ADD0-7DF5-4B91-AE01-5FC7D9036337 8D40547A-E2D2-4ED7-9F84-5DDD19CB5298
ProgramListFile AD180A54-027E-4203-BA02-DA18859AD7A4 19A2D1E9-E859-4217-902F-617AA175BD8B
EOF
if [ "$platform" == x64 ]; then
    x86Msi=${PYXEN_X86_RELEASE_DIR:?the x86 package is needed too}/pyxen-$PYXEN_VERSION-x86.msi
    # Pairs COMPONENT GUID... of both packages; the x86 one's in front.
    pairs=$(LC_ALL=C join -t $'\t' <(Rows Component "$x86Msi" | cut -f 1,2 | LC_ALL=C sort) \
        <(Rows Component | cut -f 1,2 | LC_ALL=C sort))
    count=$(Rows Component "$x86Msi" | wc -l)
    expect_eq "each component has a GUID of its own in each package" \
        "$(echo "$pairs" | awk -F '\t' '$2 != $3 && $2 != "" && $3 != ""' | wc -l) \
$(Rows Component | wc -l)" "$count $count"
    expect_eq "the same UpgradeCode" "$(Cell Property UpgradeCode 2 "$x86Msi")" \
        "$(Cell Property UpgradeCode 2)"
    # Each package finds the other by the other's pyxen.exe component.
    expect_eq "each finds the other" \
        "$(Rows CompLocator | cut -f 2,3 | tr '\t' '|') $(Rows CompLocator "$x86Msi" | cut -f 2,3 | tr '\t' '|')" \
        "$(Cell Component PyxenExe 2 "$x86Msi")|1 $(Cell Component PyxenExe 2)|1"
fi

# The package is refused when its parts disagree on the platform, or its service is not
# the guard's. Each row: what breaks it, then how (SQL, or a template).
bash "$repo/tools/release/check-msi.sh" "$msi" || fail "check-msi.sh refuses the package as built"
[ "$platform" == x64 ] && other=Intel wrongBits=0 || other=x64 wrongBits=256
while IFS='|' read -r what how; do
    broken=$WORK/broken.msi
    cp "$msi" "$broken"
    case $how in
        template) msibuild "$broken" -s "Pyxen" Pyxen "$other;1041" ;;
        *) msibuild "$broken" -q "$how" ;;
    esac
    if said=$(bash "$repo/tools/release/check-msi.sh" "$broken" 2>&1); then
        fail "check-msi.sh takes a package with $what"
    else
        pass "refused, $what: $(echo "${said//$broken: /}" | tr '\n' ' ')"
    fi
done <<EOF
a component of the other platform|UPDATE \`Component\` SET \`Attributes\` = $wrongBits WHERE \`Component\` = 'PyxenCheckExe'
the other platform's template|template
a boot-start service|UPDATE \`ServiceInstall\` SET \`StartType\` = 0
EOF

# The MSI's programs and the zip's are this architecture's.
msiextract -C "$WORK/msi" "$msi" > /dev/null || fail "cannot extract $msi"
# Under the folder msiextract names after the Program Files the package installs into.
fromMsi=$(dirname "$(find "$WORK/msi" -name pyxen.exe)")
unzip -q "$zipFile" -d "$WORK/zip"
expect_eq "the zip's one folder" "$(ls "$WORK/zip")" "$name"
top=$WORK/zip/$name
expect_eq "the zip's files" "$(ls "$top" | tr '\n' ' ')" \
    "games.txt pyxen-check.exe pyxen-guard.exe pyxen.cfg pyxen.exe readme-ja.txt readme.txt "
for exe in host/pyxen.exe tools/pyxen-check/pyxen-check.exe guard/pyxen-guard.exe; do
    for copy in "$top" "$fromMsi"; do
        cmp -s "$copy/${exe##*/}" "$PYXEN_WINDOWS_DIR/$exe" ||
            fail "${exe##*/} in ${copy#$WORK/} is not the one built for $platform"
    done
done
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
    sed "s/@VERSION@/$PYXEN_VERSION/g" "$source" | cmp -s - <(tr -d '\r' < "$text") ||
        fail "$file does not say what $source says"
done

e2e_finish
