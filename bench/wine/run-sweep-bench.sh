#!/bin/bash
# Runs the Windows sweep benchmark on its own display and Wine prefix and prints its
# figures. Fails only when the benchmark could not run, never on what it measured.
#
#   run-sweep-bench.sh path/to/pyxen-sweep-bench.exe [WINDOWS [REPETITIONS]]
set -u
exe=${1:?usage: run-sweep-bench.sh BENCH.exe [WINDOWS [REPETITIONS]]}
shift
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../tests/wine/wine-env.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/pyxen-sweep-bench.XXXXXX")
wine_env_start "$work" || { rm -rf "$work"; exit 1; }
trap 'wine_env_stop; rm -rf "$work"' EXIT

wine "$exe" "$@"
status=$?
[ "$status" -eq 0 ] || echo "pyxen-sweep-bench.exe failed with status $status" >&2
exit "$status"
