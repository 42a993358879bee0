#!/bin/bash
# The x64 package replacing the x86 one of the same version, in a 64-bit prefix (which
# installs the x86 package even where its programs can't start): the x86 product goes,
# one service and one event source stay, the x64 guard's, and the edited settings and a
# list beside them are in force in C:\Program Files\Pyxen. The x86 package is then
# refused. Prints how long each step took.
source "$(dirname "$0")/../wine/test-lib.sh"
e2e_start
cd "$WORK"
cp "${PYXEN_X86_RELEASE_DIR:?}/pyxen-$PYXEN_VERSION-x86.msi" x86.msi
cp "$PYXEN_WINDOWS_DIR/release/pyxen-$PYXEN_VERSION-x64.msi" x64.msi
msi_unstarted x86.msi
msi_unstarted x64.msi
old=$WINEPREFIX/drive_c/Program\ Files\ \(x86\)/Pyxen
new=$WINEPREFIX/drive_c/Program\ Files/Pyxen
Value() {
    wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}

msi_timed "x86 install" /i "$(winpath x86.msi)"
printf 'Migrated\r\nREAD lab.txt\r\n' >> "$old/pyxen.cfg"
printf 'Edited list\r\n' >> "$old/games.txt"
printf 'Lab rule\r\n' > "$old/lab.txt"
cp "$old/pyxen.cfg" "$old/games.txt" "$old/lab.txt" .
# So that Wine's service manager knows the x86 guard, and its removal finds it.
wine_restart || fail "cannot restart Wine"

msi_timed "x64 install over x86" /i "$(winpath x64.msi)"
expect_eq "replaced: x86|x64 version, x64|x86 programs" "$(msi_installed x86.msi)|$(msi_installed \
x64.msi) $(ls "$new"/*.exe | wc -l)|$(ls "$old"/*.exe 2>/dev/null | wc -l)" "|$PYXEN_VERSION 4|0"
for file in pyxen.cfg games.txt lab.txt; do
    cmp -s "$new/$file" "$file" || fail "the edited $file was not taken along"
done
# 32- and 64-bit programs share HKLM\SYSTEM: an x86 product removed after the x64 one's
# install would delete both.
expect_eq "the service and the event source, the x64 guard's" \
    "$(Value 'HKLM\SYSTEM\CurrentControlSet\Services\PyxenGuard' ImagePath)|$(Value \
'HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Pyxen' EventMessageFile)" \
    'C:\Program Files\Pyxen\pyxen-guard.exe|C:\Program Files\Pyxen\pyxen-guard.exe'
wine_restart || fail "cannot restart Wine"
wait_for_state PyxenGuard RUNNING 30 || fail "the x64 guard is not running after a restart"
start_testwin tw report.txt "Migrated - pyxen.cfg" "Lab rule - lab.txt"
for window in 0 1; do
    wait_for_line report.txt "^gone $window\$" 20 || fail "the taken settings are not in force"
done

start=$(date +%s%N)
wine msiexec /i "$(winpath x86.msi)" /qn && fail "the x86 package installed over the x64 one"
echo "x86 install refused after $(( ($(date +%s%N) - start) / 1000000 )) ms"
expect_eq "the x64 package alone, its guard running" \
    "$(msi_installed x86.msi)|$(msi_installed x64.msi) $(service_state PyxenGuard)" \
    "|$PYXEN_VERSION RUNNING"

e2e_finish
