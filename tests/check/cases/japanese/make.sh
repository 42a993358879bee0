# Japanese output, with Shift JIS names shown as text: a rule, a repeat, a name without
# a blank before ':', and a program list that isn't there.
sjis() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }
{
    printf 'INTER=50\nMETHOD=1\n'
    sjis 'ソリティア'; printf '\n'
    sjis 'ピンボール:0'; printf '\n'
    sjis 'ソリティア'; printf '\n'
    printf 'READ '; sjis 'ゲーム.txt'; printf '\n'
} > pyxen.cfg
