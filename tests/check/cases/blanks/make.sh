printf 'METHOD=1\nEditor \nChess\t\n # comment\nCalc  :1\nDesk\n' > pyxen.cfg
