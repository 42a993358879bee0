#!/bin/bash
# The main job, on a fresh Debian machine: builds pyxen.exe and runs it under Wine on a
# virtual display with the example settings (examples/pyxen.cfg and games.txt) beside
# a few example windows, shows which windows it asked to close and which it left
# alone, then stops it the way an administrator would: WM_CLOSE to its window.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
build=${PYXEN_BUILD_DIR:-$repo/build}

echo "== installing what is missing"
if [ -f tools/setup.sh ]; then
    bash tools/setup.sh
else
    sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" dpkg --add-architecture i386
    "${sudo[@]}" apt-get update
    "${sudo[@]}" apt-get install -y --no-install-recommends cmake make g++ libgtest-dev \
        libbenchmark-dev g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine32:i386 \
        wine64 xvfb locales
fi

# The reference build where this machine runs 32-bit programs, the x64 build elsewhere.
source tests/wine/wine-env.sh
if wine_arch_runs i686; then
    arch=i686 target=windows windows=$build/windows
    echo "== the 32-bit (i686) pyxen.exe"
else
    echo "== the 64-bit (x86_64) pyxen.exe: the 32-bit one can't run here: $wine_arch_why"
    arch=x86_64 target=windows-x64 windows=$build/windows-x64
    export PYXEN_WINE_ARCH=$arch
    source tests/wine/wine-env.sh
fi

echo "== building pyxen.exe (log: $build/demo-build.log)"
mkdir -p "$build"
# Only the Windows tree is needed here; tools/test.sh builds the rest in the same tree.
if ! { cmake -S . -B "$build" && cmake --build "$build" --target "$target" -j2; } \
    > "$build/demo-build.log" 2>&1; then
    tail -n 30 "$build/demo-build.log"
    echo "build failed" >&2
    exit 1
fi
pyxen=$windows/host/pyxen.exe
testwin=$windows/tests/testwin/testwin.exe
probe=$windows/tests/wine/probe.exe

echo "== starting a virtual display and Wine ($arch)"
scratch=$(mktemp -d /tmp/pyxen-demo.XXXXXX)
wine_env_start "$scratch/env"
# wine-env's own clean-up ends every process started here; then the scratch files go.
trap 'wine_env_stop; rm -rf "$scratch"' EXIT
cp examples/pyxen.cfg examples/games.txt "$scratch/"
cd "$scratch"

# Example windows; the one marked to refuse keeps itself open when asked, as a program
# does whose user answers "Cancel" to "Save changes?".
titles=(
    "Solitaire - Klondike"
    "Pinball"
    "Chess"
    "Chess Tutorial"
    "Mahjong"
    "Mahjong Deluxe"
    "Super Racing 3"
    "Card Table (unsaved game)"
    "Homework - Text Editor"
    "宿題 - 表計算"
    "Calculator"
)
refuse=7
wine_bg windows_pid "$testwin" --report report.txt --refuse $refuse --exit-after 120000 \
    "${titles[@]}"
for _ in $(seq 600); do grep -qx ready report.txt 2>/dev/null && break; sleep 0.1; done
grep -qx ready report.txt || { echo "the example windows did not open" >&2; exit 1; }

echo
echo "Settings (examples/pyxen.cfg, examples/games.txt), without comments:"
grep -hvE '^(#|$)' pyxen.cfg | sed 's/^/  pyxen.cfg  /'
grep -hvE '^(#|$)' games.txt | sed 's/^/  games.txt  /'

echo
echo "== running pyxen.exe (a sweep every 2 s) for about 5 s"
wine_bg pyxen_pid "$pyxen"
wine "$probe" host --wait 20000 > /dev/null || { echo "Pyxen did not start" >&2; exit 1; }
sleep 5

echo
# Status first: the titles' widths on screen differ from their byte counts.
printf '  %-44s %s\n' "What Pyxen did" "Window"
for i in "${!titles[@]}"; do
    asked=$(grep -c "^close $i " report.txt || true)
    if [ "$asked" -eq 0 ]; then
        what="left alone"
    elif grep -qx "gone $i" report.txt; then
        what="asked to close: closed"
    else
        what="asked to close $asked times: refused, still open"
    fi
    printf '  %-44s %s\n' "$what" "${titles[$i]}"
done

echo
echo "== stopping Pyxen: WM_CLOSE to its window of class \"Pyxen\""
wine "$probe" close-host > /dev/null
for _ in $(seq 200); do
    state=$(awk '{print $3}' "/proc/$pyxen_pid/stat" 2>/dev/null || true)
    [ -z "$state" ] || [ "$state" == Z ] && break
    sleep 0.1
done
status=0
if [ -n "$state" ] && [ "$state" != Z ]; then
    echo "pyxen.exe did not end within 20 s" >&2
    exit 1
fi
wait "$pyxen_pid" || status=$?
echo "pyxen.exe exit status: $status"
