# A backslash, a double quote, Shift JIS bytes, a lone CR, a control byte and DEL.
printf 'METHOD=1\nC:\\Temp\nSay "Hi"\n\x83\x81\x83\x82\x92\xa0\nAb\rCd\nBell\x07\nDel\x7f :0\n' > pyxen.cfg
