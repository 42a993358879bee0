#!/bin/bash
# Installs on a Debian machine what building and testing Pyxen needs: the native
# compilers and test libraries, the i686 and x86_64 MinGW-w64 cross compilers, 32- and
# 64-bit Wine and a virtual display. wine32 installs even where the kernel runs no
# 32-bit programs; the tests then leave the i686 build out. A machine that has
# everything already is left alone: no apt at all.
#
# A package mirror is now and then briefly out of step: one index of a suite fails to
# download, or a security suite's amd64 libraries are newer than any i386 build apt can
# see, so multi-arch can't resolve. Set-up gets through that: the update is retried,
# then set-up goes on with the lists it has; an install that can't be resolved is tried
# once more pinned to the release suite; wine32 alone may be left out, and the i686 Wine
# tests then count as skipped. Anything else that can't be installed stops set-up.
#
# PYXEN_SETUP_TRIES and PYXEN_SETUP_PAUSE (seconds) set the update's retries.
set -euo pipefail

packages=(
    cmake make g++ python3
    libgtest-dev libbenchmark-dev
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
    wine wine32:i386 wine64
    xvfb xauth locales
    clang
    wixl msitools zip unzip
)
# Only the i686 Wine tests need it, and they can be skipped without it.
optional=wine32:i386

tries=${PYXEN_SETUP_TRIES:-3}
pause=${PYXEN_SETUP_PAUSE:-5}

if [ "$(id -u)" -eq 0 ]; then
    asRoot=()
elif command -v sudo >/dev/null; then
    asRoot=(sudo)
else
    asRoot=()
fi

Installed() {
    [ "$(dpkg-query -W -f='${db:Status-Abbrev}' "$1" 2>/dev/null)" = "ii " ]
}

# libFuzzer and the sanitizers' runtime belong to one clang version: take the one
# that the default clang package depends on.
ClangRuntime() {
    local major=""
    if command -v clang >/dev/null; then
        major=$(clang --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -n1)
    else
        major=$(apt-cache depends clang 2>/dev/null |
            sed -n 's/.*Depends: clang-\([0-9]*\)$/\1/p' | head -n1)
    fi
    echo "libclang-rt-${major:-14}-dev"
}

# apt's output goes to the terminal as it comes and is kept for the decisions below.
aptLog=$(mktemp)
trap 'rm -f "$aptLog"' EXIT

Apt() {
    set +e
    "${asRoot[@]}" apt-get "$@" 2>&1 | tee "$aptLog"
    local status=${PIPESTATUS[0]}
    set -e
    return "$status"
}

Update() {
    local try
    for ((try = 1; try <= tries; try++)); do
        Apt update && return 0
        if [ "$try" -lt "$tries" ]; then
            echo "setup: apt-get update failed (try $try of $tries); trying again in ${pause} s"
            sleep "$pause"
        fi
    done
    # The lists that did download are there; the ones that didn't keep their old copy.
    local failed
    failed=$(sed -n 's/^E: Failed to fetch \([^ ]*\).*/\1/p' "$aptLog" | sort -u | paste -sd ' ')
    [ -n "$failed" ] || failed="unknown, see apt's message above"
    echo "setup: apt-get update failed $tries times; going on with the lists it has; index not fetched: $failed"
}

# Install PACKAGE...: as asked, then pinned to the release suite.
Install() {
    Apt install -y --no-install-recommends "$@" && return 0
    [ -n "$suite" ] || return 1
    echo "setup: the install could not be resolved as asked; trying once more pinned to the release suite $suite (apt-get install -t $suite)"
    Apt install -y --no-install-recommends -t "$suite" "$@"
}

# Stops set-up with apt's own message, already shown above, and a hint.
Fail() {
    echo "setup: could not install $*; apt's message is above. Hint: run 'apt-get update' and try again later, or install those packages by hand, then rerun this script" >&2
    exit 1
}

missing=()
for package in "${packages[@]}"; do
    Installed "$package" || missing+=("$package")
done
runtime=$(ClangRuntime)
Installed "$runtime" || missing+=("$runtime")
needI386=false
dpkg --print-foreign-architectures | grep -qx i386 || needI386=true

if [ ${#missing[@]} -eq 0 ] && ! $needI386; then
    echo "setup: every package is installed"
    exit 0
fi

suite=$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}") || suite=""

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if $needI386; then
    "${asRoot[@]}" dpkg --add-architecture i386
fi
Update
if ! Install "${missing[@]}"; then
    rest=()
    for package in "${missing[@]}"; do
        [ "$package" = "$optional" ] || rest+=("$package")
    done
    [ ${#rest[@]} -lt ${#missing[@]} ] || Fail "${missing[*]}"
    echo "setup: $optional could not be installed; installing the rest; the i686 Wine tests will be counted as skipped"
    [ ${#rest[@]} -eq 0 ] || Install "${rest[@]}" || Fail "${rest[*]}"
fi
# The clang runtime's name could only be guessed before clang itself was there.
runtime=$(ClangRuntime)
if ! Installed "$runtime"; then
    Install "$runtime" || Fail "$runtime"
fi
