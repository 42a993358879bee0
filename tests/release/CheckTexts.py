"""The Japanese texts as a Japanese reader sees them, and the zip readmes as Notepad shows
them: one spelling of each term in every Japanese text, no line break between two
full-width characters in the guide (a renderer that keeps it shows a stray space), and
the readmes' underlines as wide as their titles, their lines within Notepad's width.

    CheckTexts.py REPOSITORY
"""
import re
import sys
import unicodedata
from pathlib import Path

# The spelling a text must not use, and the one it uses instead. Pyxen's own box texts
# (「プログラムリストが読み込めません」) are quoted as the program shows them.
TERMS = [
    (r"タイムゾーン", "タイム ゾーン"),
    (r"プログラムリスト(?!が読み込めません)", "プログラム リスト"),
    (r"ガードサービス|ガードのもと", "ガード サービス"),
    (r"エラーボックス", "エラー ボックス"),
    (r"カレントディレクトリ", "カレント ディレクトリ"),
    (r"リリースファイル", "リリース ファイル"),
    (r"コマンドライン", "コマンド ライン"),
    (r"コードページ", "コード ページ"),
    (r"Ctrl-Z", "Ctrl+Z"),
    (r"Application ログ|アプリケーション イベント ログ", "アプリケーション ログ"),
    (r"Entra ID (だけに)?参加|(?<!Entra )ハイブリッド参加", "Microsoft Entra 参加済みデバイス"),
    (r"見張", "監視します"),
    (r"効きます|効く", "反映されます、有効になります"),
    (r"あなた", "現在のユーザー"),
    (r"選びます", "選択します"),
    (r"押します", "クリックします"),
    (r"1 間隔後", "1 回分の間隔の後"),
    (r"ユニット テスト", "単体テスト"),
    (r"[（）]", "半角の ( ) (前後の全角文字との間に空白)"),
    (r"[\u3040-\u30ff\u4e00-\u9fff］][(]|[)][\u3040-\u30ff\u4e00-\u9fff［]", "全角文字と ( ) の間に空白"),
]

JAPANESE = re.compile("[\u3040-\u30ff\u4e00-\u9fff]")


def Wide(character):
    return unicodedata.east_asian_width(character) in "WF"


def JapaneseTexts(repo):
    """Each Japanese text as (name, text): the parts of the sources in Japanese."""
    texts = [(name, (repo / name).read_text(encoding="utf-8"))
             for name in ("README.ja.md", "release/readme.ja.txt",
                          "release/PolicyDefinitions/ja-JP/pyxen.adml",
                          "release/PolicyDefinitions/ja-JP/pyxen-settings.adml")]
    messages = (repo / "guard/win32/GuardMessages.mc").read_text(encoding="utf-8")
    texts.append(("guard/win32/GuardMessages.mc", "\n".join(
        re.findall(r"^Language=Japanese\n(.*?)\n\.$", messages, re.M | re.S))))
    checker = (repo / "check/Messages.cpp").read_text(encoding="utf-8")
    texts.append(("check/Messages.cpp", "\n".join(
        literal for literal in re.findall(r'"((?:[^"\\\n]|\\.)*)"', checker)
        if JAPANESE.search(literal))))
    return texts


def TermProblems(texts):
    problems = []
    for name, text in texts:
        for number, line in enumerate(text.split("\n"), 1):
            for wrong, right in TERMS:
                for found in re.finditer(wrong, line):
                    problems.append(f"{name}:{number}: 「{found.group(0)}」: {right}")
    return problems


def BreakProblems(name, text):
    """Line breaks between two full-width characters outside fenced code."""
    problems = []
    lines = text.split("\n")
    fenced = False
    for number, (line, following) in enumerate(zip(lines, lines[1:]), 1):
        if line.startswith("```"):
            fenced = not fenced
        if fenced or following.startswith("```"):
            continue
        rest = following.lstrip()
        if line and rest and Wide(line[-1]) and Wide(rest[0]):
            problems.append(f"{name}:{number}: a line break between 「{line[-1]}」 and 「{rest[0]}」")
    return problems


def Columns(line):
    """Columns in Notepad: a double-byte character of code page 932 takes two."""
    return len(line.encode("cp932"))


def ReadmeProblems(name, text, widest):
    """Underlines as wide as the title above them; lines of widest columns at most."""
    problems = []
    lines = text.split("\n")
    for number, (line, following) in enumerate(zip(lines, lines[1:]), 1):
        if re.fullmatch(r"[=-]{3,}", following) and Columns(line) != len(following):
            problems.append(f"{name}:{number + 1}: an underline of {len(following)} columns "
                            f"under a title of {Columns(line)}")
    for number, line in enumerate(lines, 1):
        if widest and Columns(line) > widest:
            problems.append(f"{name}:{number}: {Columns(line)} columns")
    return problems


def Problems(repo):
    problems = TermProblems(JapaneseTexts(repo))
    problems += BreakProblems("README.ja.md", (repo / "README.ja.md").read_text(encoding="utf-8"))
    # Notepad wraps a long line mid-word; the English readme's lines wrap at a word.
    for name, widest in (("release/readme.ja.txt", 76), ("release/readme.en.txt", 0)):
        problems += ReadmeProblems(name, (repo / name).read_text(encoding="utf-8"), widest)
    return problems


def main():
    problems = Problems(Path(sys.argv[1]))
    for problem in problems:
        print(problem)
    print(f"{len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
