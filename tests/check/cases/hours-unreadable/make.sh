# An hours.cfg that is there but can't be opened (a link to itself, as a file no one may
# read would be on Windows) is refused, not taken for no hours.
printf 'Solitaire\n' > pyxen.cfg
ln -s hours.cfg hours.cfg
