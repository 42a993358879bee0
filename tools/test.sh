#!/bin/bash
# Runs every test of Pyxen: installs what is missing, builds the native tree (which
# builds the Windows programs for both architectures and the fuzz build as sub-builds)
# into ./build, and runs ctest. The Wine tests run for each architecture this machine
# runs; a line at the start and one just before ctest's summary say which. ctest's
# summary ends the output and its status is this script's.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh

# Asked in a subshell: wine-env's settings are each test's own.
archs=$(
    source tests/wine/wine-env.sh
    ran=() leftOut=()
    for arch in i686 x86_64; do
        if wine_arch_runs "$arch"; then
            ran+=("$arch")
        else
            leftOut+=("$arch, because $wine_arch_why")
        fi
    done
    line="Wine tests run for: ${ran[*]:-no architecture}"
    [ ${#leftOut[@]} -eq 0 ] || line+="; left out, counted as skipped: ${leftOut[*]}"
    echo "$line"
)
echo "$archs"

cmake --preset native
cmake --build --preset native

# The line goes again right before ctest's summary, where a reader of the end looks.
Ctest() {
    ctest --preset native "$@" | awk -v line="$archs" '
        /^[0-9]+% tests passed, / { print line; print "" }
        { print; fflush() }'
    return "${PIPESTATUS[0]}"
}
set +e
Ctest
status=$?
# Wine on a loaded machine now and then fails to start a test program, while a real
# fault fails twice: a test that runs programs under Wine (its name ends with its
# architecture) is run once more, and says so. A unit test is never run again.
failed=$(sed -n 's/^[0-9]*://p' build/Testing/Temporary/LastTestsFailed.log 2>/dev/null)
if [ "$status" -ne 0 ] && [ -n "$failed" ] && ! grep -qvE '\.(i686|x86_64)$' <<<"$failed"; then
    echo
    echo "Run once more, as Wine tests that failed the first time: $(echo $failed)"
    Ctest --rerun-failed
    status=$?
fi
exit "$status"
