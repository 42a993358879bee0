#!/bin/bash
# Runs every test of Pyxen: installs what is missing, builds the native tree (which
# builds pyxen.exe and the fuzz build as sub-builds) into ./build, and runs ctest.
# ctest comes last, so its summary ends the output and its status is this script's.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
cmake -S . -B build
cmake --build build -j2
exec ctest --test-dir build -j2 --output-on-failure
