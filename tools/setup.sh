#!/bin/bash
# Installs on a Debian machine what building and testing Pyxen needs: the native
# compilers and test libraries, the i686 and x86_64 MinGW-w64 cross compilers, 32- and
# 64-bit Wine and a virtual display. wine32 installs even where the kernel runs no
# 32-bit programs; the tests then leave the i686 build out. A machine that has everything already is left alone: no apt at all.
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

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if $needI386; then
    "${asRoot[@]}" dpkg --add-architecture i386
fi
"${asRoot[@]}" apt-get update
"${asRoot[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
# The clang runtime's name could only be guessed before clang itself was there.
runtime=$(ClangRuntime)
if ! Installed "$runtime"; then
    "${asRoot[@]}" apt-get install -y --no-install-recommends "$runtime"
fi
