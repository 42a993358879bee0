# UTF-8 text is converted to the code page the option names, not to Shift JIS.
printf 'METHOD=1\r\nCaf\xc3\xa9\r\n' > pyxen.cfg
