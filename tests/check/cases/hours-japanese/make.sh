# Japanese day names in a Shift JIS file without ZONE, read at Sunday 23:30: the range
# past midnight holds into Monday, across the end of the week.
sjis() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }
printf 'Solitaire\n' > pyxen.cfg
{
    sjis '月～金 8:40-12:30 13:15～15:40'; printf '\r\n'
    sjis '日 21:00-07:00'; printf '\r\n'
} > hours.cfg
