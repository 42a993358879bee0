# 248 rules here and 4 in the list: the table takes the first two of the list.
{
    printf 'METHOD=1\n'
    for i in $(seq 0 247); do printf 'Rule %d\n' "$i"; done
    printf 'READ more.txt\n'
} > pyxen.cfg
printf 'Rule 248\nRule 249\nRule 250\nRule 251\n' > more.txt
