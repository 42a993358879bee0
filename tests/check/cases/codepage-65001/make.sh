# Where the ANSI code page is UTF-8, a Shift JIS name read as ANSI bytes matches no
# title; ASCII lines are fine.
printf 'METHOD=1\nEditor\n\x83\x5c\x83\x8a\x83\x65\x83\x42\x83\x41\n' > pyxen.cfg
