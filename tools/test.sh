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
set +e
ctest --preset native | awk -v line="$archs" '
    /^[0-9]+% tests passed, / { print line; print "" }
    { print; fflush() }'
exit "${PIPESTATUS[0]}"
