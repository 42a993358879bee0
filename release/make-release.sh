#!/bin/bash
# Makes the release files of one architecture from its built Windows tree:
#   pyxen-VERSION-PLATFORM.msi  per-machine package for labs (Group Policy, Intune, msiexec /qn)
#   pyxen-VERSION-PLATFORM.zip  the same files for one PC, with the readmes for Notepad
# PLATFORM is x86 (32-bit Windows) or x64 (64-bit Windows, Windows 11 on Arm too).
#
#   make-release.sh WINDOWS_BUILD_DIR OUTPUT_DIR VERSION ARCH
#
# VERSION is the project's version (the build target passes it); a test passes a
# higher one to build an upgrade. ARCH is the tree's processor, i686 or x86_64 (x86
# and x64 are taken too).
set -euo pipefail

Usage() {
    echo "usage: $0 WINDOWS_BUILD_DIR OUTPUT_DIR VERSION i686|x86_64" >&2
    exit 2
}
[ $# -eq 4 ] || Usage
build=$(realpath "$1")
out=$(realpath -m "$2")
version=$3
# win64: the component attribute that makes a component 64-bit.
case $4 in
    i686 | x86) platform=x86 template=Intel win64=0 ;;
    x86_64 | x64) platform=x64 template=x64 win64=256 ;;
    *) Usage ;;
esac
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
name=pyxen-$version-$platform

for tool in wixl msibuild msiinfo zip iconv; do
    command -v "$tool" >/dev/null || { echo "$tool is missing: run tools/setup.sh" >&2; exit 1; }
done

# Notepad on older Windows shows LF-only text as one long line.
WithCrLf() {
    sed 's/\r*$/\r/' "$1"
}

stage=$out/$name
rm -rf "$stage"
mkdir -p "$stage"
cp "$build/host/pyxen.exe" "$build/check/pyxen-check.exe" \
    "$build/guard/pyxen-guard.exe" "$build/guard/pyxen-desktops.exe" "$stage/"
for file in pyxen.cfg games.txt; do
    WithCrLf "$repo/examples/$file" > "$stage/$file"
done
WithCrLf "$here/readme.en.txt" | sed "s/@VERSION@/$version/g" > "$stage/readme.txt"
# CP932 rather than SHIFT_JIS: Windows' code page has characters (NEC and IBM
# extensions, the wave dash as Windows maps it) that plain Shift JIS lacks.
WithCrLf "$here/readme.ja.txt" | sed "s/@VERSION@/$version/g" | iconv -f UTF-8 -t CP932 > "$stage/readme-ja.txt"

msi=$out/$name.msi
zipFile=$out/$name.zip
rm -f "$msi" "$zipFile"

# wixl resolves each Source against the folder it runs in, so it runs in the zip's
# folder, with the icon for "Programs and Features" beside the files for a moment. It
# only warns when it drops an attribute it does not support, and such a package would
# still install, minus that attribute: any word on stderr fails the build.
cp "$build/host/pyxen.ico" "$stage/"
log=$out/wixl.log
if ! (cd "$stage" && wixl -a "$platform" -D "Version=$version" -D "Arch=$platform" \
        -o "$msi" "$here/pyxen.wxs") 2>"$log" || [ -s "$log" ]; then
    cat "$log" >&2
    echo "wixl failed or warned" >&2
    rm -f "$msi"
    exit 1
fi
rm -f "$stage/pyxen.ico" "$log"

Sql() {
    msibuild "$msi" -q "$1"
}

# What wixl 0.101 cannot express. Every attribute set here keeps the component's 64-bit
# bit. Permanent (0x10) keeps the settings on uninstall and through the old product's
# removal in a major upgrade; NeverOverwrite (0x80) skips them when a pyxen.cfg or
# games.txt is already there, edited or not.
Sql "UPDATE \`Component\` SET \`Attributes\` = $((0x90 + win64))
    WHERE \`Component\` = 'SettingsFile' OR \`Component\` = 'ProgramListFile'"
# The two ways Pyxen runs: the guard service unless PYXENSTART=logon, then the Startup
# shortcut. Transitive (0x40): a reinstall with the other choice swaps them. Windows
# removes a component at uninstall whatever its condition says; Wine leaves one whose
# condition is false then, so an uninstall makes both true.
Sql "UPDATE \`Component\` SET
    \`Condition\` = 'PYXENSTART <> \"logon\" OR REMOVE ~= \"ALL\"', \`Attributes\` = $((0x40 + win64))
    WHERE \`Component\` = 'GuardService'"
Sql "UPDATE \`Component\` SET
    \`Condition\` = 'PYXENSTART = \"logon\" OR REMOVE ~= \"ALL\"', \`Attributes\` = $((0x44 + win64))
    WHERE \`Component\` = 'StartupShortcut'"
# What Windows does when the service fails: start it again after two seconds, twice,
# then after a minute; a day without failure forgets the count. Windows Installer 5.0
# sets it at install and reinstall (MsiConfigureServices, before the service starts);
# wixl writes neither the table nor the action.
Sql "CREATE TABLE \`MsiServiceConfigFailureActions\` (\`MsiServiceConfigFailureActions\` CHAR(72) NOT NULL,
    \`Name\` CHAR(255) NOT NULL, \`Event\` SHORT NOT NULL, \`ResetPeriod\` LONG,
    \`RebootMessage\` CHAR(255), \`Command\` CHAR(255), \`Actions\` CHAR(255),
    \`DelayActions\` CHAR(255), \`Component_\` CHAR(72) NOT NULL
    PRIMARY KEY \`MsiServiceConfigFailureActions\`)"
Sql "INSERT INTO \`MsiServiceConfigFailureActions\` (\`MsiServiceConfigFailureActions\`, \`Name\`,
    \`Event\`, \`ResetPeriod\`, \`Actions\`, \`DelayActions\`, \`Component_\`)
    VALUES ('GuardRecovery', 'PyxenGuard', 5, 86400, '1[~]1[~]1', '2000[~]2000[~]60000', 'GuardService')"
Sql "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Condition\`, \`Sequence\`)
    VALUES ('MsiConfigureServices', 'VersionNT >= 601', 5850)"

# The guard's own folder, which it fills itself (pyxen.exe and the settings it accepted),
# goes with the guard at uninstall and in an upgrade's removal of the old product; the
# new guard fills it again from the install folder at its start.
Sql "INSERT INTO \`Directory\` (\`Directory\`, \`Directory_Parent\`, \`DefaultDir\`)
    VALUES ('GUARDDIR', 'INSTALLDIR', 'Guard')"
# Its files by name (those it writes through first too): Wine's installer takes no
# wildcard there.
storeFile=0
for file in pyxen.exe pyxen.cfg rules.txt exe.tmp cfg.tmp txt.tmp; do
    storeFile=$((storeFile + 1))
    Sql "INSERT INTO \`RemoveFile\` (\`FileKey\`, \`Component_\`, \`FileName\`, \`DirProperty\`, \`InstallMode\`)
        VALUES ('GuardStoreFile$storeFile', 'GuardService', '$file', 'GUARDDIR', 2)"
done
Sql "INSERT INTO \`RemoveFile\` (\`FileKey\`, \`Component_\`, \`DirProperty\`, \`InstallMode\`)
    VALUES ('GuardStoreFolder', 'GuardService', 'GUARDDIR', 2)"
# The guard's event source goes with the guard: "-" as the name, with no value, deletes
# the key and all in it when the component is removed, which wixl can't express.
Sql "INSERT INTO \`Registry\` (\`Registry\`, \`Root\`, \`Key\`, \`Name\`, \`Component_\`)
    VALUES ('GuardEventSource', 2, 'SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Pyxen', '-', 'GuardService')"
# So does its word back on the settings it applied (HKLM\SOFTWARE\Pyxen\Guard\LastApply),
# which the guard writes again as it starts.
Sql "INSERT INTO \`Registry\` (\`Registry\`, \`Root\`, \`Key\`, \`Name\`, \`Component_\`)
    VALUES ('GuardOutcome', 2, 'SOFTWARE\\Pyxen\\Guard', '-', 'GuardService')"

# The upgrade finds the same version too (256, 512: both ends of the range included),
# so that the x64 package replaces the x86 one of its own version instead of settling
# beside it with the same service. wixl ignores IncludeMaximum, and the attributes are
# part of the Upgrade table's key, which SQL may not change: the table is rewritten.
idt=$out/$name.idt
rm -rf "$idt" && mkdir "$idt"
msiinfo export "$msi" Upgrade | tr -d '\r' |
    awk -F '\t' -v OFS='\t' 'NR > 3 && $7 == "WIX_UPGRADE_DETECTED" { $5 = $5 + 768 }
        { printf "%s\r\n", $0 }' > "$idt/Upgrade.idt"
msibuild "$msi" -i "$idt/Upgrade.idt"
rm -rf "$idt"

# The packages of the two architectures keep apart through each other's pyxen.exe
# component (PyxenExe in pyxen.wxs), found in Windows Installer's records: a
# CompLocator row with no Signature row gives the folder that holds the component's
# key file. The component is the program's, not a settings one: it goes when its
# product does, the settings components stay for good.
Sql "CREATE TABLE \`CompLocator\` (\`Signature_\` CHAR(72) NOT NULL,
    \`ComponentId\` CHAR(38) NOT NULL, \`Type\` SHORT PRIMARY KEY \`Signature_\`)"
Sequenced() {
    Sql "INSERT INTO \`$1\` (\`Action\`, \`Condition\`, \`Sequence\`) VALUES ('$2', '$3', $4)"
}
Sequenced InstallUISequence AppSearch "" 50
Sequenced InstallExecuteSequence AppSearch "" 50
if [ "$platform" == x64 ]; then
    # Replacing the x86 package, which keeps its settings in Program Files (x86)\Pyxen:
    # its removal (RemoveExistingProducts, before anything of this package is
    # installed) leaves them there, and MoveFiles copies pyxen.cfg and the lists beside
    # it into this package's folder before InstallFiles. The example settings must then
    # stay out: NeverOverwrite looks for the file when the components' states are
    # settled, before the copy, and by the rules for files without a version a copy
    # (created after its last change) counts as unedited and would be replaced. So the
    # settings components are not installed at all then; the copies belong to no
    # component and stay when Pyxen is removed, as the settings always do.
    Sql "INSERT INTO \`CompLocator\` (\`Signature_\`, \`ComponentId\`, \`Type\`)
        VALUES ('X86Program', '{65D9785E-B0BD-405B-A306-F50578FCDECA}', 1)"
    found=PYXENX86DIR
    Sql "INSERT INTO \`AppSearch\` (\`Property\`, \`Signature_\`) VALUES ('PYXENX86DIR', 'X86Program')"
    Sql "UPDATE \`Component\` SET \`Condition\` = 'NOT PYXENX86DIR'
        WHERE \`Component\` = 'SettingsFile' OR \`Component\` = 'ProgramListFile'"
    # Nothing to copy when both were installed into the same folder (INSTALLDIR given
    # for both): the settings are already there. INSTALLDIR is known after CostFinalize.
    Sql "INSERT INTO \`CustomAction\` (\`Action\`, \`Type\`, \`Source\`, \`Target\`)
        VALUES ('PyxenSettingsFrom', 51, 'PYXENSETTINGSFROM', '[PYXENX86DIR]')"
    Sequenced InstallExecuteSequence PyxenSettingsFrom \
        "PYXENX86DIR AND NOT (PYXENX86DIR ~= INSTALLDIR)" 1001
    Sql "CREATE TABLE \`MoveFile\` (\`FileKey\` CHAR(72) NOT NULL, \`Component_\` CHAR(72) NOT NULL,
        \`SourceName\` CHAR(255) LOCALIZABLE, \`DestName\` CHAR(255) LOCALIZABLE,
        \`SourceFolder\` CHAR(72), \`DestFolder\` CHAR(72) NOT NULL, \`Options\` SHORT NOT NULL
        PRIMARY KEY \`FileKey\`)"
    # Copied, not moved: the old folder keeps them should this install roll back. A
    # READ line names its list relative to the folder, so every .txt goes with pyxen.cfg.
    for copy in "SettingsCopy pyxen.cfg" "ListsCopy *.txt"; do
        read -r key files <<< "$copy"
        Sql "INSERT INTO \`MoveFile\` (\`FileKey\`, \`Component_\`, \`SourceName\`, \`SourceFolder\`,
            \`DestFolder\`, \`Options\`) VALUES ('$key', 'PyxenExe', '$files', 'PYXENSETTINGSFROM', 'INSTALLDIR', 0)"
    done
    Sequenced InstallExecuteSequence MoveFiles "" 3800
else
    # The x86 package is refused where the x64 one is installed: it would replace it,
    # and then run under emulation (Windows on Arm) or from a second folder, with the
    # example settings. Its own removal (Installed) must still work.
    Sql "INSERT INTO \`CompLocator\` (\`Signature_\`, \`ComponentId\`, \`Type\`)
        VALUES ('X64Program', '{BF06656A-55F5-4A36-9834-C01BF91E58C1}', 1)"
    found=PYXENX64DIR
    Sql "INSERT INTO \`AppSearch\` (\`Property\`, \`Signature_\`) VALUES ('PYXENX64DIR', 'X64Program')"
    Sql "INSERT INTO \`LaunchCondition\` (\`Condition\`, \`Description\`)
        VALUES ('Installed OR NOT PYXENX64DIR', 'The 64-bit Pyxen is installed on this PC (in [PYXENX64DIR]): use pyxen-$version-x64.msi, or remove the 64-bit Pyxen first.')"
fi

# The search's result must reach the install's elevated side also when a user interface
# found it first.
secure=$(msiinfo export "$msi" Property | tr -d '\r' |
    awk -F '\t' '$1 == "SecureCustomProperties" { print $2 }')
Sql "UPDATE \`Property\` SET \`Value\` = '${secure:+$secure;}$found'
    WHERE \`Property\` = 'SecureCustomProperties'"

# wixl writes the summary's language list as 1033, ignoring Package/@Languages silently.
msibuild "$msi" -s "Pyxen $version" Pyxen "$template;1041"

if ! bash "$here/check-msi.sh" "$msi"; then
    rm -rf "$msi" "$stage"
    exit 1
fi

# The administrative templates (the hours, and the settings in a file of their own), laid
# out as a PolicyDefinitions folder is, to be copied as it stands to the central store or
# a PC's own.
cp -r "$here/PolicyDefinitions" "$stage/"
(cd "$out" && zip -q -X -r "$zipFile" "$name")
rm -rf "$stage"
echo "release: $msi ($(stat -c %s "$msi") bytes)"
echo "release: $zipFile ($(stat -c %s "$zipFile") bytes)"
