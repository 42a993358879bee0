#!/bin/bash
# Refuses a package that is neither wholly 32-bit nor wholly 64-bit, or whose guard
# service is not the one Pyxen needs. make-release.sh runs it on every package it makes.
#
#   check-msi.sh PACKAGE.msi
#
# wixl checks neither. It builds an x86 package with 64-bit components or
# ProgramFiles64Folder without a word, which Windows Installer calls invalid, and an
# x64 one whose components are 32-bit unless each says Win64. And it writes a boot-start
# driver's numbers, exiting 0, when a ServiceInstall attribute is missing.
set -euo pipefail

[ $# -eq 1 ] || { echo "usage: $0 PACKAGE.msi" >&2; exit 2; }
msi=$1
problems=0
Problem() {
    echo "$msi: $*" >&2
    problems=$((problems + 1))
}
# Rows TABLE: the table's rows, one a line, columns split by tabs.
Rows() {
    msiinfo export "$msi" "$1" | tr -d '\r' | tail -n +4
}

# The template names the one platform of the package; the 64-bit component bit (256)
# and the 64-bit folders (ProgramFiles64Folder and the like) must agree with it.
template=$(msiinfo suminfo "$msi" | tr -d '\r' | sed -n 's/^Template: //p')
case ${template%%;*} in
    x64) bit=1 ;;
    Intel) bit=0 ;;
    *) Problem "its template is '$template', neither x64 nor Intel"; bit="" ;;
esac
if [ -n "$bit" ]; then
    wrong=$(Rows Component | awk -F '\t' -v bit="$bit" 'int($4 / 256) % 2 != bit { print $1 }' |
        tr '\n' ' ')
    [ -z "$wrong" ] || Problem "template $template, but these components are \
$([ "$bit" == 1 ] && echo 32 || echo 64)-bit: $wrong"
    folders=$(Rows Directory | awk -F '\t' '$1 ~ /64Folder$/ { print $1 }' | tr '\n' ' ')
    [ "$bit" == 1 ] || [ -z "$folders" ] || Problem "template $template, but it installs into $folders"
fi

# One service, its own process (16), started automatically (2), a failed start reported
# normally (1), as LocalSystem (no account).
services=$(Rows ServiceInstall | awk -F '\t' '{ print $2 "|" $3 "|" $4 "|" $5 "|" $6 "|" $9 }')
[ "$services" == "PyxenGuard|Pyxen Guard|16|2|1|" ] ||
    Problem "the ServiceInstall rows are wrong: $(echo $services)"

[ "$problems" -eq 0 ]
