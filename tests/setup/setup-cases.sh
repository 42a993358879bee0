#!/bin/bash
# tools/setup.sh against a package mirror out of step: apt-get, dpkg-query, dpkg,
# apt-cache, clang and id are stand-ins on PATH, played as each case's row says, and
# the case checks what set-up ran, printed and returned.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
setup=$here/../../tools/setup.sh
work=${PYXEN_TEST_WORK:-$(mktemp -d)}
stubs=$work/bin
mkdir -p "$stubs"

# The stand-ins read the case from files in $state: installed (one package a line),
# updates (how many updates fail before one works; "always"), install (ok, pinned,
# nowine32, broken), and write every apt-get call to calls.
cat >"$stubs/apt-get" <<'EOF'
#!/bin/bash
echo "apt-get $*" >>"$state/calls"
if [ "$1" == update ]; then
    left=$(cat "$state/updates")
    if [ "$left" == always ] || [ "$left" -gt 0 ]; then
        [ "$left" == always ] || echo $((left - 1)) >"$state/updates"
        echo "E: Failed to fetch http://mirror/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?"
        echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
        exit 100
    fi
    exit 0
fi
shift 3 # install -y --no-install-recommends
pinned=false
[ "$1" != -t ] || { pinned=true; shift 2; }
mode=$(cat "$state/install")
if [ "$mode" == broken ] || { [ "$mode" == pinned ] && ! $pinned; } ||
    { [ "$mode" == nowine32 ] && [[ " $* " == *" wine32:i386 "* ]]; }; then
    echo "E: Unable to correct problems, you have held broken packages."
    exit 100
fi
printf '%s\n' "$@" >>"$state/installed"
EOF
cat >"$stubs/dpkg-query" <<'EOF'
#!/bin/bash
grep -qxF -- "${!#}" "$state/installed" && printf 'ii ' || printf 'un '
EOF
cat >"$stubs/dpkg" <<'EOF'
#!/bin/bash
echo "dpkg $*" >>"$state/calls"
grep -qxF i386 "$state/installed" && echo i386
[ "$1" != --add-architecture ] || echo i386 >>"$state/installed"
EOF
printf '#!/bin/bash\necho "Debian clang version 14.0.6"\n' >"$stubs/clang"
printf '#!/bin/bash\necho 0\n' >"$stubs/id"
cp "$stubs/clang" "$stubs/apt-cache"
chmod +x "$stubs"/*

everything="cmake make g++ python3 libgtest-dev libbenchmark-dev g++-mingw-w64-i686-posix
g++-mingw-w64-x86-64-posix wine wine32:i386 wine64 xvfb xauth locales clang wixl
msitools zip unzip libclang-rt-14-dev i386"

suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
failures=0
# Case NAME INSTALLED UPDATES INSTALL STATUS CALLS [PATTERN...]: INSTALLED is "all" or
# "none but cmake"; CALLS is the apt-get calls made, one letter each: u update,
# i install as asked, p install pinned; every PATTERN must be a line of the output.
Case() {
    local name=$1 installed=$2 updates=$3 install=$4 want=$5 wantCalls=$6
    shift 6
    state=$work/$name
    rm -rf "$state" && mkdir -p "$state"
    export state
    : >"$state/calls"
    if [ "$installed" == all ]; then
        printf '%s\n' $everything >"$state/installed"
    else
        echo cmake >"$state/installed"
    fi
    echo "$updates" >"$state/updates"
    echo "$install" >"$state/install"
    local out status calls
    out=$(PATH=$stubs:$PATH PYXEN_SETUP_PAUSE=0 bash "$setup" 2>&1)
    status=$?
    calls=$(sed -n 's/^apt-get update.*/u/p; s/^apt-get install .* -t [^ ]* .*/p/p; t; s/^apt-get install.*/i/p' \
        "$state/calls" | paste -sd '')
    local fault=""
    [ "$status" == "$want" ] || fault+=" status $status, not $want;"
    [ "$calls" == "$wantCalls" ] || fault+=" apt-get calls '$calls', not '$wantCalls';"
    for pattern in "$@"; do
        grep -qE -- "$pattern" <<<"$out" || fault+=" no line /$pattern/;"
    done
    if [ -n "$fault" ]; then
        echo "FAIL $name:$fault"
        sed 's/^/    | /' <<<"$out"
        sed 's/^/    calls: /' "$state/calls"
        failures=$((failures + 1))
    else
        echo "ok   $name"
    fi
}

Case everything-there all 0 ok 0 "" '^setup: every package is installed$'
Case update-fails-once none 1 ok 0 uui \
    '^setup: apt-get update failed \(try 1 of 3\); trying again in 0 s$'
Case index-keeps-failing none always ok 0 uuui \
    '^setup: apt-get update failed 3 times; going on with the lists it has; index not fetched: http://mirror/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz$'
Case resolves-only-pinned none always pinned 0 uuuip \
    '^setup: the install could not be resolved as asked; trying once more pinned to the release suite '"$suite"
Case no-wine32 none 0 nowine32 0 uipi \
    '^setup: wine32:i386 could not be installed; installing the rest; the i686 Wine tests will be counted as skipped$'
Case nothing-installable none 0 broken 1 uipip \
    "^E: Unable to correct problems" \
    "^setup: could not install .*wixl.*; apt's message is above. Hint: "

# With wine32 left out, the i686 Wine tests name that as the reason they are skipped.
(
    state=$work/no-wine32
    export state
    PATH=$stubs:$PATH
    source "$here/../wine/wine-env.sh"
    pyxen_wine_loader() { echo "$work/no-such-loader"; }
    if wine_arch_runs i686; then
        echo "FAIL no-wine32-skips-i686: i686 counted as runnable"
        exit 1
    fi
    [ "$wine_arch_why" == "wine32:i386 is not installed: set-up could not install it" ] ||
        { echo "FAIL no-wine32-skips-i686: reason '$wine_arch_why'"; exit 1; }
    echo "ok   no-wine32-skips-i686"
) || failures=$((failures + 1))

[ "$failures" -eq 0 ]
