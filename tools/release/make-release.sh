#!/bin/bash
# Makes the release files from a built Windows tree:
#   pyxen-VERSION.msi  per-machine package for labs (Group Policy, Intune, msiexec /qn)
#   pyxen-VERSION.zip  the same files for one PC, with the readmes for Notepad
#
#   make-release.sh WINDOWS_BUILD_DIR OUTPUT_DIR VERSION
#
# VERSION is the project's version (the build target passes it); a test passes a
# higher one to build an upgrade.
set -euo pipefail

if [ $# -ne 3 ]; then
    echo "usage: $0 WINDOWS_BUILD_DIR OUTPUT_DIR VERSION" >&2
    exit 2
fi
build=$(realpath "$1")
out=$(realpath -m "$2")
version=$3
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
name=pyxen-$version

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
cp "$build/host/pyxen.exe" "$build/tools/pyxen-check/pyxen-check.exe" \
    "$build/guard/pyxen-guard.exe" "$stage/"
for file in pyxen.cfg games.txt; do
    WithCrLf "$repo/examples/$file" > "$stage/$file"
done
WithCrLf "$here/readme.en.txt" | sed "s/@VERSION@/$version/" > "$stage/readme.txt"
# CP932 rather than SHIFT_JIS: Windows' code page has characters (NEC and IBM
# extensions, the wave dash as Windows maps it) that plain Shift JIS lacks.
WithCrLf "$here/readme.ja.txt" | sed "s/@VERSION@/$version/" | iconv -f UTF-8 -t CP932 > "$stage/readme-ja.txt"

msi=$out/$name.msi
zipFile=$out/$name.zip
rm -f "$msi" "$zipFile"

# wixl resolves each Source against the folder it runs in, so it runs in the zip's
# folder, with the icon for "Programs and Features" beside the files for a moment. It
# only warns when it drops an attribute it does not support, and such a package would
# still install, minus that attribute: any word on stderr fails the build.
cp "$build/host/pyxen.ico" "$stage/"
log=$out/wixl.log
if ! (cd "$stage" && wixl -a x86 -D "Version=$version" -o "$msi" "$here/pyxen.wxs") \
        2>"$log" || [ -s "$log" ]; then
    cat "$log" >&2
    echo "wixl failed or warned" >&2
    rm -f "$msi"
    exit 1
fi
rm -f "$stage/pyxen.ico" "$log"

# What wixl 0.101 cannot express. Permanent (0x10) keeps the settings on uninstall and
# through the old product's removal in a major upgrade; NeverOverwrite (0x80) skips
# them when a pyxen.cfg or games.txt is already there, edited or not.
msibuild "$msi" -q "UPDATE \`Component\` SET \`Attributes\` = 144
    WHERE \`Component\` = 'SettingsFile' OR \`Component\` = 'ProgramListFile'"
# The two ways Pyxen runs: the guard service unless PYXENSTART=logon, then the Startup
# shortcut. Transitive (0x40): a reinstall with the other choice swaps them. Windows
# removes a component at uninstall whatever its condition says; Wine leaves one whose
# condition is false then, so an uninstall makes both true.
msibuild "$msi" -q "UPDATE \`Component\` SET
    \`Condition\` = 'PYXENSTART <> \"logon\" OR REMOVE ~= \"ALL\"', \`Attributes\` = 64
    WHERE \`Component\` = 'GuardService'"
msibuild "$msi" -q "UPDATE \`Component\` SET
    \`Condition\` = 'PYXENSTART = \"logon\" OR REMOVE ~= \"ALL\"', \`Attributes\` = 68
    WHERE \`Component\` = 'StartupShortcut'"
# wixl writes a boot-start driver's numbers, and exits 0, when it misses an attribute:
# the service must be its own process (16), start automatically (2), and report a failed
# start normally (1).
row=$(msiinfo export "$msi" ServiceInstall | tr -d '\r' | tail -n +4 |
    awk -F '\t' '$2 == "PyxenGuard" { print $4 "|" $5 "|" $6 "|" $9 "|" $3 }')
if [ "$row" != "16|2|1||Pyxen Guard" ]; then
    echo "the ServiceInstall row is wrong: $row" >&2
    rm -f "$msi"
    exit 1
fi
# The guard's event source goes with the guard: "-" as the name, with no value, deletes
# the key and all in it when the component is removed, which wixl can't express.
msibuild "$msi" -q "INSERT INTO \`Registry\` (\`Registry\`, \`Root\`, \`Key\`, \`Name\`, \`Component_\`)
    VALUES ('GuardEventSource', 2, 'SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Pyxen', '-', 'GuardService')"
# wixl writes the summary's language list as 1033, ignoring Package/@Languages silently.
msibuild "$msi" -s "Pyxen $version" Pyxen "Intel;1041"

(cd "$out" && zip -q -X -r "$zipFile" "$name")
rm -rf "$stage"
echo "release: $msi ($(stat -c %s "$msi") bytes)"
echo "release: $zipFile ($(stat -c %s "$zipFile") bytes)"
