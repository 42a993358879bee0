# A program list saved as UTF-16 without a mark: read as ANSI bytes, it loads nothing
# sensible.
printf 'METHOD=1\r\nREAD wide.txt\r\n' > pyxen.cfg
printf 'C\0h\0e\0s\0s\0\r\0\n\0' > wide.txt
