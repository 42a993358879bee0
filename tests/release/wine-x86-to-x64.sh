#!/bin/bash
# The x64 package replacing the x86 one of the same version on 64-bit Windows. The x86
# package goes into a 64-bit prefix with its guard (Wine installs it even where its
# 32-bit programs can't start), its settings are edited and a list added beside them,
# then the x64 package is installed. The x86 product is gone, and one service and one
# event source remain, the x64 guard's. The programs are in C:\Program Files\Pyxen with
# the edited settings, which the guard's Pyxen follows after a restart. The x86 package
# then refuses to install. Prints how long each step took.
source "$(dirname "$0")/../wine/test-lib.sh"
e2e_start
cd "$WORK"
cp "${PYXEN_X86_RELEASE_DIR:?the x86 package is needed too}/pyxen-$PYXEN_VERSION-x86.msi" x86.msi
cp "$PYXEN_WINDOWS_DIR/release/pyxen-$PYXEN_VERSION-x64.msi" x64.msi
msi_unstarted x86.msi
msi_unstarted x64.msi
old=$WINEPREFIX/drive_c/Program\ Files\ \(x86\)/Pyxen
new=$WINEPREFIX/drive_c/Program\ Files/Pyxen

Programs() {
    ls "$1"/*.exe 2>/dev/null | wc -l
}
# Value KEY NAME: a registry value's data.
Value() {
    wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}

msi_timed "x86 install" /i "$(winpath x86.msi)"
expect_eq "the x86 package: version, programs in Program Files (x86)" \
    "$(msi_installed x86.msi) $(Programs "$old")" "$PYXEN_VERSION 3"
# A READ line names its list relative to the settings' folder.
printf 'Migrated\r\nREAD lab.txt\r\n' >> "$old/pyxen.cfg"
printf 'Edited list\r\n' >> "$old/games.txt"
printf 'Lab rule\r\n' > "$old/lab.txt"
cp "$old/pyxen.cfg" "$old/games.txt" "$old/lab.txt" .
# Wine's service manager knows the new service only after a restart (and where i686
# programs run, the x86 guard then runs): the x86 package's removal must find it.
wine_restart || fail "cannot restart Wine"
[ "$(service_state PyxenGuard)" != none ] || fail "the x86 guard is not a service"

msi_timed "x64 install over x86" /i "$(winpath x64.msi)"
expect_eq "replaced: x86 version|x64 version, programs of x64|x86" \
    "$(msi_installed x86.msi)|$(msi_installed x64.msi) $(Programs "$new")|$(Programs "$old")" \
    "|$PYXEN_VERSION 3|0"
for file in pyxen.cfg games.txt lab.txt; do
    cmp -s "$new/$file" "$file" || fail "the edited $file was not taken along"
done
# Both live in HKLM\SYSTEM, which 32- and 64-bit programs share: had the x86 product
# been removed after the x64 one was installed, it would have deleted them.
expect_eq "the service and the event source are the x64 guard's" \
    "$(Value 'HKLM\SYSTEM\CurrentControlSet\Services\PyxenGuard' ImagePath)|$(Value \
'HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Pyxen' EventMessageFile)" \
    'C:\Program Files\Pyxen\pyxen-guard.exe|C:\Program Files\Pyxen\pyxen-guard.exe'

wine_restart || fail "cannot restart Wine"
wait_for_state PyxenGuard RUNNING 30 || fail "the x64 guard is not running after a restart"
report=$WORK/report.txt
start_testwin tw "$report" "Migrated - a rule of the edited pyxen.cfg" "Lab rule - from lab.txt"
for window in 0 1; do
    wait_for_line "$report" "^gone $window\$" 20 ||
        fail "the x64 guard's Pyxen did not close window $window of the taken settings"
done

start=$(date +%s%N)
wine msiexec /i "$(winpath x86.msi)" /qn && fail "the x86 package installed over the x64 one"
echo "x86 install refused after $(( ($(date +%s%N) - start) / 1000000 )) ms"
expect_eq "still the x64 package alone, its guard running" \
    "$(msi_installed x86.msi)|$(msi_installed x64.msi) $(service_state PyxenGuard)" \
    "|$PYXEN_VERSION RUNNING"

e2e_finish
