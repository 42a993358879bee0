# A UTF-8 file with a mark holding what can't come through into code page 932: a letter
# it lacks, a second mark where two files were joined, and a byte invalid in UTF-8. The
# same letter in a comment is no trouble.
printf '\xef\xbb\xbf# Caf\xc3\xa9 \xff\r\nMETHOD=1\r\nCaf\xc3\xa9\r\n\xef\xbb\xbfChess\r\nBad \xff\r\n' > pyxen.cfg
