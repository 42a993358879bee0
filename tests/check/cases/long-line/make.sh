# 249 bytes and a line end fit one read; 300 bytes take two.
{
    printf 'METHOD=1\n'
    printf 'A%.0s' $(seq 249); printf '\n'
    printf 'B%.0s' $(seq 249); printf 'C%.0s' $(seq 51); printf '\n'
    printf 'Editor\n'
} > pyxen.cfg
