#!/bin/bash
# Runs pyxen-check in a fresh copy of one case folder and compares what it printed, and
# its exit status, with the folder's expected.txt.
#
#   run-case.sh PYXEN_CHECK CASE_DIR WORK_DIR
#
# A case folder holds pyxen.cfg and any program lists, or make.sh to write files whose
# bytes a text file can't keep (trailing blanks, CRs, long lines); args holds the
# command line when it isn't the default one, and env the variables it runs with, one
# NAME=value a line (PYXEN_CHECK_NOW fixes the clock of the hours). The checker speaks
# the locale's language; the cases choose theirs with --lang, whatever the machine's
# locale.
set -u
export LC_ALL=C
tool=$1
case=$2
work=$3

rm -rf "$work"
mkdir -p "$work"
cp -R "$case"/. "$work"/
cd "$work" || exit 1
if [ -f make.sh ]; then
    bash make.sh || exit 1
fi
args=()
if [ -f args ]; then
    read -r -a args < args
fi
if [ -f env ]; then
    while IFS= read -r variable; do
        export "$variable"
    done < env
fi
"$tool" "${args[@]}" > actual.txt 2>&1
echo "exit $?" >> actual.txt
diff -u expected.txt actual.txt
