# A Western European code page: its letters shown as text, a byte it leaves undefined
# escaped.
printf 'METHOD=1\nCaf\xe9\nNa\xefve \x81\n' > pyxen.cfg
