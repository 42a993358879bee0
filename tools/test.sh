#!/bin/bash
# Runs every test of Pyxen: installs what is missing, builds the native tree (which
# builds pyxen.exe and the fuzz build as sub-builds) into ./build, and runs ctest.
# ctest comes last, so its summary ends the output and its status is this script's.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
cmake --preset native
cmake --build --preset native
exec ctest --preset native
