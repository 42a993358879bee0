#!/bin/bash
# A settings file as Notepad saves it, in each of its Unicode encodings, with a Japanese
# rule: pyxen.exe reads it into the ANSI code page (932 here) and closes the Shift JIS
# window the rule names, and only that one. A Japanese READ path is converted too.
source "$(dirname "$0")/test-lib.sh"
e2e_start

settings=$'INTER=300\r\nソリティア\r\n'
# encode NAME: the settings as Notepad writes them in that encoding.
encode() {
    case $1 in
        utf8) printf '%s' "$settings" ;;
        utf8-mark) printf '\xef\xbb\xbf%s' "$settings" ;;
        utf16le) printf '\xff\xfe'; printf '%s' "$settings" | iconv -f UTF-8 -t UTF-16LE ;;
        utf16be) printf '\xfe\xff'; printf '%s' "$settings" | iconv -f UTF-8 -t UTF-16BE ;;
    esac
}

for encoding in utf8 utf8-mark utf16le utf16be; do
    echo "--- $encoding"
    dir=$WORK/$encoding
    mkdir -p "$dir" && cd "$dir"
    encode "$encoding" > pyxen.cfg
    start_testwin tw "$dir/report.txt" --exit-after 30000 "ソリティア" "ソリティア2"
    wine_bg pyxen "$PYXEN_EXE"
    wait_for_line report.txt '^gone 0$' 20 || fail "$encoding: the window titled ソリティア was not closed"
    # A few more sweeps: the rule is Exact, so the other window is never asked.
    sleep 1
    expect_eq "$encoding: ソリティア2 is left alone" "$(close_count report.txt 1)" 0
    wine "$PROBE_EXE" close-host > /dev/null || fail "$encoding: host window not found"
    wait_for_exit "$pyxen" 20 || fail "$encoding: Pyxen did not end on WM_CLOSE"
    # The other window keeps testwin open; the EXIT trap ends what is left.
    kill "$tw" 2>/dev/null
done

echo "--- a missing program list named in UTF-16"
dir=$WORK/list-path
mkdir -p "$dir" && cd "$dir"
settings=$'READ ゲーム.txt\r\nソリティア\r\n'
encode utf16le > pyxen.cfg
wine_bg pyxen "$PYXEN_EXE"
# The path is converted like any text of the file, and the box shows it as written.
box=$(wine "$PROBE_EXE" box --wait 30000 --ok | tr -d '\r')
expect_eq "the box names the list as written" "$(sed -n 's/^text: //p' <<< "$box")" \
    'ERRER : プログラムリストが読み込めません!! \nゲーム.txt'
wine "$PROBE_EXE" close-host > /dev/null || fail "list-path: host window not found"
wait_for_exit "$pyxen" 20 || fail "list-path: Pyxen did not end on WM_CLOSE"

e2e_finish
