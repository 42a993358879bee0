#!/bin/bash
# Runs the pyxen-check commands a guide shows and compares what they print with the
# guide's blocks, so that no example output is typed by hand.
#
#   guide-examples.sh PYXEN_CHECK GUIDE LOCALE WORK_DIR
#
# An example is a fenced block right after the line "<!-- pyxen-check -->". Its first
# line is the command, "$ cd DIR && [NAME=value ...] pyxen-check [ARGS]" with DIR
# relative to the repository (PYXEN_CHECK_NOW=... fixes the clock of the hours), and
# the rest is the output.
# The guide's language is the locale's (LOCALE), as an admin running it would see it.
# Every fenced block whose first line runs pyxen-check must be such an example.
set -u
tool=$1
guide=$2
locale=$3
work=$4
repo=$(cd "$(dirname "$0")/../.." && pwd)
rm -rf "$work" && mkdir -p "$work"

# Splits the guide into work/N/{command,expected}.
awk -v work="$work" '
    /^<!-- pyxen-check -->$/ { marked = 1; next }
    /^```/ && !inBlock { inBlock = 1; first = 1; isMarked = marked; marked = 0; next }
    /^```/ && inBlock  { inBlock = 0; next }
    inBlock && first {
        first = 0
        if (!isMarked && $0 ~ /pyxen-check/) { print "unmarked: " $0; bad = 1 }
        if (!isMarked) next
        n++; dir = work "/" n; system("mkdir -p " dir)
        print $0 > (dir "/command"); printf "" > (dir "/expected")
        next
    }
    inBlock && isMarked { print $0 >> (work "/" n "/expected") }
    !/^$/ { marked = 0 }
    END { exit bad }' "$guide" || exit 1

count=0 failed=0
for case in "$work"/*/; do
    [ -f "$case/command" ] || continue
    count=$((count + 1))
    command=$(cat "$case/command")
    if [[ ! $command =~ ^\$\ cd\ ([^ ]+)\ \&\&\ (([A-Z_]+=[^ ]+ )*)pyxen-check( (.*))?$ ]]; then
        echo "not a command this test runs: $command"; failed=1; continue
    fi
    dir=${BASH_REMATCH[1]} args=${BASH_REMATCH[5]}
    read -r -a variables <<< "${BASH_REMATCH[2]}"
    read -r -a arguments <<< "$args"
    cp -R "$repo/$dir" "$case/files"
    (cd "$case/files" && env LC_ALL="$locale" LANG="$locale" LC_MESSAGES= "${variables[@]}" \
        "$tool" "${arguments[@]}") > "$case/actual" 2>&1
    diff -u --label "$guide: $command" --label actual "$case/expected" "$case/actual" || failed=1
done
echo "$count examples in $guide"
[ "$count" -gt 0 ] || { echo "no examples found"; exit 1; }
exit $failed
