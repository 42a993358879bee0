# A settings file as Notepad saves it by default (UTF-8, no mark), naming one program
# list in each of Notepad's other encodings, each line ending in CR LF.
crlf() { printf '%s\r\n' "$@"; }
crlf '# ゲーム' 'METHOD=1' 'ソリティア' 'READ marked.txt' 'READ le.txt' 'READ be.txt' \
     'READ sjis.txt' > pyxen.cfg
{ printf '\xef\xbb\xbf'; crlf 'マインスイーパー'; } > marked.txt
{ printf '\xff\xfe'; crlf 'ピンボール' | iconv -f UTF-8 -t UTF-16LE; } > le.txt
{ printf '\xfe\xff'; crlf '上海' | iconv -f UTF-8 -t UTF-16BE; } > be.txt
crlf '麻雀' | iconv -f UTF-8 -t CP932 > sjis.txt
