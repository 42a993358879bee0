# One settings file with every trap the checker knows, and a program list that fills
# the table.
{
    printf '# every trap\n'
    printf 'INTERNET Radio\n'
    printf 'METHODS\n'
    printf 'METHOD=one\n'
    printf 'METHOD=1\n'
    printf 'Chess:0\n'
    printf 'Calc :7\n'
    printf 'Editor :x\n'
    printf 'a:1\n'
    printf 'Desk :2\n'
    printf 'Notepad \n'
    printf 'Editor\n'
    printf 'Editor\n'
    printf ':x\n'
    printf 'READ\n'
    printf 'READ missing.txt\n'
    printf 'READER\n'
    printf 'READ  games.txt\n'
    printf 'X%.0s' $(seq 260); printf '\n'
    printf 'INTER=50\n'
    printf 'READ games.txt\n'
} > pyxen.cfg
for i in $(seq 1 241); do printf 'Game %d\n' "$i"; done > games.txt
