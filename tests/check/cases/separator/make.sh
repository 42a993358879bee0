printf 'Chess:0\nChess :1\nSolitaire\t:1\nEditor :x\nEditor:12\nab:1\n' > pyxen.cfg
