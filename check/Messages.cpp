#include "check/Messages.h"

#include "check/CheckSystem.h"
#include "check/Text.h"

#include <stdarg.h>
#include <string.h>

namespace {

struct Texts {
    Message id;
    const char* en;
    const char* ja;
};

constexpr Texts texts[] = {
    {Message::Help,
     "usage: pyxen-check [--windows] [--lang ja|en] [--codepage N] [SETTINGS]\n"
     "\n"
     "Reads SETTINGS (default %s) and the program lists it names with the very\n"
     "reader pyxen.exe uses, and prints what pyxen.exe would make of them:\n"
     "  - the encoding each file is read in, when the file holds more than ASCII:\n"
     "    UTF-8, UTF-8 with a mark, UTF-16 LE or BE, or ANSI (its bytes as they are);\n"
     "  - the interval and the line it came from;\n"
     "  - the rule table as loaded: index, method (0 Exact, 1 Contains, 2 Differs;\n"
     "    any other never matches), name, and the file and line it came from;\n"
     "  - the enforcement hours: hours.cfg in the folder of SETTINGS or, on Windows,\n"
     "    the Group Policy, which replaces it: which is in force, its time zone, the\n"
     "    week, whether Pyxen enforces now and until when, and a refused line with\n"
     "    the reason;\n"
     "  - a warning, with file and line, for each line that probably does not say\n"
     "    what its writer meant: keyword lines that look like window titles\n"
     "    ('INTERNET Radio'), 'Name:1' without a blank before ':', methods other\n"
     "    than 0 to 2, empty names, Differs rules, intervals under 100 ms, lines cut\n"
     "    at 249 bytes, rules past the 250th, unreadable program lists, names with\n"
     "    leading or trailing blanks, duplicate rules, lines that are ignored, and\n"
     "    enforcement hours that name no time zone;\n"
     "    and for text that did not come through: characters the ANSI code page\n"
     "    lacks, invalid bytes, a byte order mark inside a file, a file that looks\n"
     "    like UTF-16 without a mark, and, where the ANSI code page is UTF-8\n"
     "    (65001), bytes above 0x7F in a file read as ANSI.\n"
     "    On Windows, also each file that someone other than an administrator\n"
     "    may change.\n"
     "Names are shown in double quotes, decoded from the ANSI code page; control\n"
     "characters, bytes that don't decode, '\\' and '\"' are written as \\xNN.\n"
     "Relative paths in READ lines are taken from the current directory, as\n"
     "pyxen.exe takes them, not from the settings file's folder.\n"
     "On Windows, with no SETTINGS named, the settings policy is shown instead\n"
     "when it decides (HKLM\\SOFTWARE\\Policies\\Pyxen, SettingsFromPolicy 1): its\n"
     "lines, each named by its value, with the same warnings; and then what Pyxen\n"
     "Guard recorded of its last attempt to apply settings (a refusal is a\n"
     "warning).\n"
     "\n"
     "  --windows      also list the titled top-level windows open now and, for\n"
     "                 each, the rules that would ask it to close, and the\n"
     "                 windows a Differs rule leaves alone, and why. A dry run:\n"
     "                 nothing is sent. Windows only.\n"
     "  --lang ja|en   the language to speak (default: the user's; English unless\n"
     "                 it is Japanese).\n"
     "  --codepage N   the ANSI code page of the Windows the files are meant for:\n"
     "                 names are decoded from it, and files saved as UTF-8 or\n"
     "                 UTF-16 are converted to it (default 932, Shift JIS).\n"
     "                 Linux only: on Windows it is the system's own.\n"
     "  --help         show this text\n"
     "\n"
     "Output to a Windows console is written as Unicode; redirected to a file or\n"
     "a pipe, it is UTF-8. Started by a double-click, in a console of its own, it\n"
     "waits for Enter before that console closes.\n"
     "\n"
     "Exit status: 0 nothing to warn about, 1 warnings, 2 the settings file can't be\n"
     "read (or the command line is wrong).\n",
     "使い方: pyxen-check [--windows] [--lang ja|en] [--codepage N] [設定ファイル]\n"
     "\n"
     "設定ファイル（既定は %s）と、そこから読み込むプログラムリストを pyxen.exe と\n"
     "同じ読み込み処理で読み、pyxen.exe がどう解釈するかを表示します。\n"
     "  - ASCII 以外の文字を含むファイルの文字コード: UTF-8、UTF-8（BOM 付き）、\n"
     "    UTF-16 LE または BE、ANSI（バイト列をそのまま使用）\n"
     "  - 間隔と、それを指定した行\n"
     "  - 読み込まれたルールの一覧: 番号、照合方法（0 完全一致、1 部分一致、\n"
     "    2 不一致。それ以外はどれにも一致しません）、名前、指定したファイルと行\n"
     "  - 制限する時間帯: 設定ファイルと同じフォルダーの hours.cfg、または Windows では\n"
     "    それより優先されるグループ ポリシー。どちらが使われるか、タイム ゾーン、\n"
     "    1 週間の表、現在制限中かどうかといつまでか、受け付けられない行とその理由\n"
     "  - 書いた人の意図と違う意味になっていそうな行ごとに、ファイル名と行番号付きの\n"
     "    警告: ウィンドウのタイトルに見えるキーワード行（'INTERNET Radio'）、\n"
     "    ':' の前に空白のない 'Name:1'、0～2 以外の照合方法、空の名前、不一致の\n"
     "    ルール、100 ミリ秒未満の間隔、249 バイトで切られた行、250 件を超えた\n"
     "    ルール、読めないプログラムリスト、前後に空白のある名前、重複したルール、\n"
     "    無視される行、タイム ゾーンを指定していない時間帯。さらに、正しく変換されなかった文字: ANSI コードページに\n"
     "    ない文字、不正なバイト列、ファイルの途中にある BOM、BOM のない UTF-16 と\n"
     "    思われるファイル、ANSI コードページが UTF-8（65001）の場合に ANSI として\n"
     "    読まれたファイル中の 0x7F を超えるバイト。\n"
     "    Windows では、管理者以外の人が変更できるファイルも警告します。\n"
     "名前は ANSI コードページから文字に戻し、二重引用符で囲んで表示します。制御文字、\n"
     "文字にならないバイト、'\\' と '\"' は \\xNN と表示します。READ 行の相対パスは、\n"
     "pyxen.exe と同じく、設定ファイルのフォルダーではなくカレント ディレクトリを\n"
     "基準にします。\n"
     "Windows で設定ファイルを指定しない場合、設定のポリシーが使われているとき\n"
     "（HKLM\\SOFTWARE\\Policies\\Pyxen の SettingsFromPolicy が 1）は代わりにポリシーの\n"
     "行を、値の名前付きで同じ警告とともに表示します。続いて、Pyxen Guard が最後に\n"
     "設定を適用しようとしたときの記録を表示します（拒否は警告になります）。\n"
     "\n"
     "  --windows      現在開いているタイトル付きのトップレベル ウィンドウと、それぞれを\n"
     "                 閉じるよう求めるルール、不一致のルールが閉じないウィンドウと\n"
     "                 その理由も一覧にします。確認だけで、何も送りません。\n"
     "                 Windows 専用です。\n"
     "  --lang ja|en   表示する言語（既定はユーザーの言語。日本語以外なら英語）\n"
     "  --codepage N   対象とする Windows の ANSI コードページ。名前はこのコードページ\n"
     "                 から文字に戻し、UTF-8 や UTF-16 で保存されたファイルはこの\n"
     "                 コードページに変換して読みます（既定は 932、シフト JIS）。\n"
     "                 Linux 専用です。Windows ではシステムの設定を使います。\n"
     "  --help         このヘルプを表示します\n"
     "\n"
     "Windows のコンソールには Unicode で表示します。ファイルやパイプにリダイレクト\n"
     "した場合は UTF-8 で出力します。ダブルクリックで起動して専用のコンソールで\n"
     "動いているときは、終わる前に Enter キーを待ちます。\n"
     "\n"
     "終了コード: 0 警告なし、1 警告あり、2 設定ファイルを読めない（またはコマンド\n"
     "ラインの誤り）\n"},
    {Message::UnexpectedArgument,
     "pyxen-check: unexpected argument '%s' (see pyxen-check --help)\n",
     "pyxen-check: 引数 '%s' は使えません（pyxen-check --help を参照してください）\n"},
    {Message::NeedsValue, "pyxen-check: %s needs a value (see pyxen-check --help)\n",
     "pyxen-check: %s には値が必要です（pyxen-check --help を参照してください）\n"},
    {Message::LanguageUnknown, "pyxen-check: --lang takes ja or en, not '%s'\n",
     "pyxen-check: --lang には ja か en を指定してください（'%s' は使えません）\n"},
    {Message::CodePageUnknown, "pyxen-check: code page '%s' is not known here\n",
     "pyxen-check: コードページ '%s' はこの環境では使えません\n"},
    {Message::CodePageWindows,
     "pyxen-check: --codepage is for the Linux build; Windows reads with its own ANSI code "
     "page (%d)\n",
     "pyxen-check: --codepage は Linux 版専用です。Windows ではシステムの ANSI コードページ"
     "（%d）で読みます\n"},
    {Message::WindowsOnly, "pyxen-check: --windows lists Windows desktops only\n",
     "pyxen-check: --windows は Windows でのみ使えます\n"},
    {Message::SettingsUnreadable, "pyxen-check: can't read the settings file %s\n",
     "pyxen-check: 設定ファイル %s を読めません\n"},
    {Message::SettingsHeading, "settings %s\n", "設定ファイル %s\n"},
    {Message::EncodingHeading, "encoding %s: %s\n", "文字コード %s: %s\n"},
    {Message::EncodingAnsi, "ANSI (code page %d)", "ANSI（コードページ %d）"},
    {Message::EncodingUtf8, "UTF-8", "UTF-8"},
    {Message::EncodingUtf8Marked, "UTF-8 with a mark", "UTF-8（BOM 付き）"},
    {Message::EncodingUtf16Le, "UTF-16 LE", "UTF-16 LE"},
    {Message::EncodingUtf16Be, "UTF-16 BE", "UTF-16 BE"},
    {Message::IntervalFrom, "interval %d ms, from %s\n", "間隔 %d ミリ秒（%s で指定）\n"},
    {Message::IntervalDefault, "interval %d ms, default 5000\n",
     "間隔 %d ミリ秒（既定値 5000）\n"},
    {Message::RulesHeading, "rules %d\n", "ルール %d 件\n"},
    {Message::MethodExact, "0 Exact", "0 完全一致"},
    {Message::MethodContains, "1 Contains", "1 部分一致"},
    {Message::MethodDiffers, "2 Differs", "2 不一致"},
    {Message::MethodNever, "%d never matches", "%d 無効（一致しない）"},
    {Message::WarningsHeading, "warnings %d\n", "警告 %d 件\n"},
    {Message::WindowsHeading,
     "windows %d titled, %d would be asked to close (dry run: nothing was sent)\n",
     "ウィンドウ: タイトルのあるもの %d 個、うち閉じるよう求めるもの %d 個（確認のみで、何も"
     "送っていません）\n"},
    {Message::WindowNoRule, "no rule", "該当ルールなし"},
    {Message::WindowOneRule, "rule%s", "ルール%s"},
    {Message::WindowRules, "rules%s", "ルール%s"},
    {Message::WindowExempt, "      exempt (%s): Pyxen never asks it to close\n",
     "      対象外（%s）: Pyxen が閉じるよう求めることはありません\n"},
    {Message::ExemptPyxenWindow, "Pyxen's own window", "Pyxen 自身のウィンドウ"},
    {Message::ExemptOwnWindow, "this program's own window", "このプログラム自身のウィンドウ"},
    {Message::ExemptShellWindow, "the desktop", "デスクトップ"},
    {Message::ExemptInputMethod, "input-method window", "日本語入力（IME）のウィンドウ"},
    {Message::WindowElevated,
     "      runs as administrator: Pyxen can't close it unless it runs elevated too\n",
     "      管理者として実行中: Pyxen も管理者として実行しない限り閉じられません\n"},
    {Message::WindowLeftAlone,
     "      left alone by Differs rule%s: %s, not a window a user switches to\n",
     "      不一致のルール%s では閉じません: %sで、ユーザーが切り替えて使うウィンドウでは"
     "ありません\n"},
    {Message::UnswitchableInvisible, "invisible", "非表示"},
    {Message::UnswitchableCloaked, "hidden by the shell (cloaked)",
     "シェルが隠しているウィンドウ（クローク）"},
    {Message::UnswitchableToolWindow, "a tool window", "ツール ウィンドウ"},
    {Message::UnswitchableOwned, "owned by another window (a dialog, say)",
     "他のウィンドウに属するウィンドウ（ダイアログなど）"},
    {Message::NoRule, "no rule: pyxen.exe ends at once, without a word",
     "ルールがありません。pyxen.exe は何も表示せずにすぐ終了します"},
    {Message::ListUnreadable,
     "program list \"%s\" can't be read: pyxen.exe shows an error box, then goes on without it",
     "プログラムリスト \"%s\" を読めません。pyxen.exe はエラーを表示し、このリストなしで"
     "動き続けます"},
    {Message::LineCut,
     "line longer than 249 bytes: it is cut there, and the rest is read as a line of its own",
     "行が 249 バイトを超えています。249 バイトで切られ、残りは別の行として読まれます"},
    {Message::RuleDropped,
     "rule dropped: the table is full with %d rules (pyxen.exe says so once, in an error box)",
     "ルールが登録されませんでした。登録できるのは %d 件までです（pyxen.exe はエラーを一度"
     "だけ表示します）"},
    {Message::KeywordTaken, "%s begins with %s, so it %s instead of adding a rule",
     "%s は %s で始まるため、ルールとしては登録されず、%s"},
    {Message::KeywordReads, "reads the program list \"%s\"",
     "プログラムリスト \"%s\" を読み込みます"},
    {Message::KeywordSetsInterval, "sets the interval to %d", "間隔を %d に設定します"},
    {Message::KeywordSetsMethod, "sets the default method to %d",
     "既定の照合方法を %d に設定します"},
    {Message::NotPlainNumber,
     "%s: what follows %s and its separator is not a plain number; read as %d",
     "%s: %s と区切り文字の後ろが数字だけではありません。%d として読まれます"},
    {Message::PathBlank,
     "%s: the path \"%s\" begins or ends with a blank or tab, which is part of the file name",
     "%s: パス \"%s\" の先頭か末尾に空白またはタブがあり、それもファイル名の一部になります"},
    {Message::NoBlankBeforeColon,
     "%s has no blank before ':', so the character there is taken as the separator: the "
     "name is \"%s\" (write '%s' to keep it)",
     "%s は ':' の前に空白がないため、その位置の文字が区切りとみなされ、名前は \"%s\" に"
     "なります（その文字を残すには '%s' と書いてください）"},
    {Message::MethodNotDigit, "%s: the method after ':' is not a digit; read as method 0",
     "%s: ':' の後ろの照合方法が数字ではありません。照合方法 0 として読まれます"},
    {Message::RuleNeverMatches,
     "rule %d \"%s\": method %d never matches, so the rule closes nothing",
     "ルール %d \"%s\": 照合方法 %d はどのタイトルにも一致しないため、このルールでは何も"
     "閉じません"},
    {Message::EmptyExact,
     "rule %d has an empty name and method 0 (Exact): it never matches, since a window "
     "without a title is never asked to close",
     "ルール %d は名前が空で、照合方法が 0（完全一致）です。タイトルのないウィンドウは閉じる"
     "対象にならないため、一致することはありません"},
    {Message::EmptyMatchesAll,
     "rule %d has an empty name and method %d: it matches every titled window",
     "ルール %d は名前が空で、照合方法が %d です。タイトルのあるすべてのウィンドウに一致"
     "します"},
    {Message::DiffersEverything,
     "rule %d \"%s\": method 2 (Differs) asks every window a user can switch to, if not "
     "titled exactly so, to close, File Explorer's windows among them",
     "ルール %d \"%s\": 照合方法 2（不一致）は、ユーザーが切り替えて使うウィンドウのうち、"
     "タイトルがこれと完全には同じでないものすべてに閉じるよう求めます。エクスプローラーの"
     "ウィンドウも含まれます"},
    {Message::NameBlank,
     "rule %d \"%s\": the name begins or ends with a blank or tab, which the window title "
     "must have too",
     "ルール %d \"%s\": 名前の先頭か末尾に空白またはタブがあります。ウィンドウのタイトルにも"
     "同じ空白がなければ一致しません"},
    {Message::RuleRepeats, "rule %d \"%s\" repeats rule %d (%s:%d)",
     "ルール %d \"%s\" はルール %d（%s:%d）と重複しています"},
    {Message::IntervalZero,
     "interval 0 ms: Windows runs the timer every 10 ms instead, and the sweeps keep the "
     "desktop busy",
     "間隔 0 ミリ秒: Windows は代わりに 10 ミリ秒ごとにタイマーを動かすため、巡回で"
     "デスクトップの負荷が高くなります"},
    {Message::IntervalNegative,
     "interval %d ms is below zero: the timer takes it as %u ms, which Windows cuts to about "
     "24.8 days, so no sweep comes in practice",
     "間隔 %d ミリ秒は負の値です。タイマーはこれを %u ミリ秒とみなし、Windows が約 24.8 日に"
     "切り詰めるため、事実上巡回は行われません"},
    {Message::IntervalSmall,
     "interval %d ms is under 100 ms: every window title is read that often, which keeps "
     "the desktop busy",
     "間隔 %d ミリ秒は 100 ミリ秒未満です。その頻度ですべてのウィンドウのタイトルを読むため、"
     "デスクトップの負荷が高くなります"},
    {Message::ReadAlone, "'READ' names no program list: the line is ignored",
     "'READ' の後ろにプログラムリストの名前がありません。この行は無視されます"},
    {Message::SuffixAlone, "%s has a method suffix but no name: the line is ignored",
     "%s は照合方法の指定だけで名前がありません。この行は無視されます"},
    {Message::CharacterLost,
     "%s: code page %d has no \"%s\" (U+%04X); it is converted as Windows converts a title "
     "holding it, so the line can only match titles that lost it the same way",
     "%s: コードページ %d には \"%s\"（U+%04X）がありません。タイトル中の同じ文字と同じように"
     "変換されるため、この行はその文字が同じように失われたタイトルにしか一致しません"},
    {Message::LooksLikeUtf16,
     "the file looks like UTF-16 without a byte order mark (NUL bytes between letters): it "
     "is read as ANSI bytes, which make no sense to pyxen.exe; save it again as UTF-8, or "
     "as UTF-16 with a mark",
     "BOM のない UTF-16 のファイルと思われます（文字の間に NUL バイトがあります）。ANSI の"
     "バイト列として読まれるため、pyxen.exe には意味のある内容になりません。UTF-8 か、"
     "BOM 付きの UTF-16 で保存し直してください"},
    {Message::MarkInside,
     "%s holds a byte order mark (U+FEFF) away from the file's start, where it is not "
     "skipped: a keyword or name on this line is probably not read as meant",
     "%s には、ファイルの先頭以外の位置に BOM（U+FEFF）があります。先頭以外の BOM は読み"
     "飛ばされないため、この行のキーワードや名前は意図どおりに読まれていない可能性があります"},
    {Message::TextInvalid,
     "%s: %d byte sequence(s) not valid in %s; the line probably does not read as written",
     "%s: %d か所のバイト列が「%s」として正しくありません。この行は書いたとおりには読まれて"
     "いない可能性があります"},
    {Message::AnsiOnUtf8CodePage,
     "%s: the ANSI code page is UTF-8 (65001), and this file is read as ANSI bytes that are "
     "not valid UTF-8, so no window title can match them; save the file as UTF-8",
     "%s: ANSI コードページが UTF-8（65001）なのに、このファイルは UTF-8 として正しくない "
     "ANSI のバイト列として読まれるため、どのウィンドウのタイトルにも一致しません。ファイルを "
     "UTF-8 で保存し直してください"},
    {Message::PressEnter, "Press Enter to close this window.", "Enter キーを押すと閉じます。"},
    {Message::ChangeableBy,
     "%s may change this file: under the Pyxen Guard service, whoever can write it can switch "
     "rules off; let only administrators write it",
     "%s がこのファイルを変更できます。Pyxen Guard サービスのもとでは、書き込める人がルールを"
     "無効にできます。書き込みは管理者だけに許可してください"},
    {Message::ChangeableByYou, "you (not an administrator)", "あなた（管理者ではありません）"},
    {Message::HoursNone, "hours none (no %s): enforcing at all hours\n",
     "時間帯 なし（%s がありません）: 常に制限します\n"},
    {Message::HoursFile, "hours %s\n", "時間帯 %s\n"},
    {Message::HoursPolicy, "hours Group Policy, %s\n", "時間帯 グループ ポリシー（%s）\n"},
    {Message::HoursPolicyDisabled,
     "hours Group Policy, %s: disabled, so enforcing at all hours, whatever hours.cfg says\n",
     "時間帯 グループ ポリシー（%s）で無効: hours.cfg の内容にかかわらず、常に制限します\n"},
    {Message::HoursFileReplaced, "  %s is not used: the policy replaces it\n",
     "  %s は使われません（ポリシーが優先されます）\n"},
    {Message::HoursRefused,
     "  refused whole (see the warnings): Pyxen Guard keeps the hours it has in force, or "
     "enforces at all hours if it starts with none\n",
     "  全体が受け付けられません（警告を参照）。Pyxen Guard は適用中の時間帯を使い続け、"
     "適用中の時間帯がないまま起動した場合は常に制限します\n"},
    {Message::HoursNoRange, "  no range: enforcing at all hours\n",
     "  時間帯の指定がありません: 常に制限します\n"},
    {Message::ZoneHeading, "zone %s\n", "タイム ゾーン %s\n"},
    {Message::ZoneSystemHeading, "zone this PC's own, %s\n", "タイム ゾーン この PC の設定（%s）\n"},
    {Message::ZoneOwnHeading, "zone the PC's own\n", "タイム ゾーン PC の設定\n"},
    {Message::ZoneMissingHeading, "zone %s, which this PC does not have\n",
     "タイム ゾーン %s（この PC にはありません）\n"},
    {Message::DayFree, "-", "なし"},
    {Message::NowUntil, "now: enforcing until %s\n", "現在: 制限中（%s まで）\n"},
    {Message::NowFrom, "now: not enforcing, from %s\n", "現在: 制限していません（%s から制限）\n"},
    {Message::NowAlways, "now: enforcing, at all hours\n", "現在: 制限中（常に制限します）\n"},
    {Message::NowNever, "now: not enforcing\n", "現在: 制限していません\n"},
    {Message::NowNotHere, "now: told on Windows only, which holds the time zones' rules\n",
     "現在: Windows でのみ表示します（タイム ゾーンの規則は Windows にあります）\n"},
    {Message::NowZoneMissing, "now: unknown, without the zone's rules\n",
     "現在: タイム ゾーンの規則がないため不明です\n"},
    {Message::HoursLineRefused, "the hours are refused whole: %s",
     "時間帯の設定全体が受け付けられません: %s"},
    {Message::ZoneNotSet,
     "no time zone is named, so Pyxen Guard keeps the zone this PC had when it applied the "
     "hours (at its start, or when they were edited), which a standard user may have set; "
     "name one, such as Tokyo Standard Time (ZONE= in hours.cfg, the time zone box in the "
     "policy)",
     "タイム ゾーンが指定されていません。Pyxen Guard は、時間帯を適用したとき（起動時か時間帯の"
     "変更時）の PC のタイム ゾーンを使い続けますが、それは標準ユーザーが変更したものかも"
     "しれません。Tokyo Standard Time のように指定してください（hours.cfg では ZONE=、"
     "ポリシーでは［タイム ゾーン］欄）"},
    {Message::ZoneMissing,
     "the time zone \"%s\" is not on this PC (no such key under HKLM\\SOFTWARE\\Microsoft\\"
     "Windows NT\\CurrentVersion\\Time Zones): check its spelling",
     "タイム ゾーン \"%s\" はこの PC にありません（HKLM\\SOFTWARE\\Microsoft\\Windows NT\\"
     "CurrentVersion\\Time Zones にそのキーがありません）。綴りを確認してください"},
    {Message::FaultLineTooLong, "the line is longer than 249 bytes",
     "行が 249 バイトを超えています"},
    {Message::FaultTextUnreadable, "the line holds bytes the ANSI code page can't convert",
     "ANSI コードページで変換できないバイトがあります"},
    {Message::FaultNoDays, "a time range with no day before it",
     "時刻の範囲の前に曜日がありません"},
    {Message::FaultUnknownDay,
     "not a day: days are Mon to Sun or 月 to 日, alone, as a span (Mon-Fri) or as a list "
     "(Mon,Wed)",
     "曜日として読めません。曜日は 月～日 または Mon～Sun で、1 日だけ、範囲（月-金）、"
     "列挙（月,水）のいずれかで指定します"},
    {Message::FaultNoRange, "days without a time range after them",
     "曜日の後ろに時刻の範囲がありません"},
    {Message::FaultBadRange,
     "not a time range HH:MM-HH:MM, or something other than a range or comment follows",
     "HH:MM-HH:MM の形の時刻の範囲になっていないか、範囲の後ろに範囲でもコメントでもない"
     "文字があります"},
    {Message::FaultBadTime,
     "no such time: hours run to 23 and minutes to 59, and 24:00 may only end a range",
     "存在しない時刻です。時は 23 まで、分は 59 までで、24:00 は終了時刻にだけ使えます"},
    {Message::FaultEmptyRange, "a range that ends where it starts",
     "開始時刻と終了時刻が同じです"},
    {Message::FaultTooManyRanges, "more than %d ranges in all, each day of a span counted",
     "時刻の範囲が、範囲指定の曜日ごとに数えて合計 %d 個を超えています"},
    {Message::FaultZoneEmpty, "ZONE= names no time zone",
     "ZONE= の後ろにタイム ゾーンの名前がありません"},
    {Message::FaultZoneNotAscii,
     "the time zone's name holds a character no registry key name of a zone has",
     "タイム ゾーンの名前に、レジストリのキー名にはない文字があります"},
    {Message::FaultZoneTooLong, "the time zone's name is longer than %d characters",
     "タイム ゾーンの名前が %d 文字を超えています"},
    {Message::FaultZoneRepeated, "a second ZONE= line", "ZONE= の行が 2 つ以上あります"},
    {Message::FaultFileUnreadable,
     "the file is there but can't be opened: access is denied, or another program holds it open",
     "ファイルはありますが開けません。アクセスが拒否されたか、ほかのプログラムが開いています"},
    {Message::FaultValueNotLine,
     "a value whose name is not a number, or that is not a text (REG_SZ)",
     "名前が数字でない値か、文字列 (REG_SZ) でない値があります"},
    {Message::SettingsFromPolicy,
     "  from the policy (SettingsFromPolicy is 1): %s is not read, and each line below "
     "names the value it came from\n",
     "  ポリシーから読み込みます（SettingsFromPolicy が 1）。%s は読み込みません。以下の各行には"
     "読み込み元の値の名前を示します\n"},
    {Message::SettingsPolicyView32, "  found in the registry's 32-bit view (WOW6432Node)\n",
     "  レジストリの 32 ビット ビュー（WOW6432Node）にあります\n"},
    {Message::SettingsPolicyRefused,
     "the policy is refused whole: %s; Pyxen Guard keeps the settings in force",
     "ポリシー全体が受け付けられません: %s。Pyxen Guard は適用中の設定を使い続けます"},
    {Message::PolicyNameNotNumber, "the name of the value \"%s\" is not a number",
     "値 \"%s\" の名前が数字ではありません"},
    {Message::PolicyNotText, "the value \"%s\" is not a text (REG_SZ)",
     "値 \"%s\" が文字列 (REG_SZ) ではありません"},
    {Message::PolicyLineEnd, "the value \"%s\" holds a line end or Ctrl-Z",
     "値 \"%s\" に改行か Ctrl-Z が含まれています"},
    {Message::PolicyTooMuch, "more values or text than Pyxen Guard keeps",
     "値の数か文字数が、Pyxen Guard が扱える量を超えています"},
    {Message::OutcomeHeading, "last apply %s\n", "最後の適用 %s\n"},
    {Message::OutcomeApplied, "  %s rules from the %s (%s), applied at %s\n",
     "  %s 件のルール、読み込み元 %s（%s）、適用 %s\n"},
    {Message::OutcomeLastRefused, "  the last attempt was refused, at %s (%s): %s\n",
     "  最後の読み込みは %s に拒否されました（%s）: %s\n"},
    {Message::OutcomeRefusedBefore, "  the last refusal was at %s (%s): %s\n",
     "  最後に拒否したのは %s（%s）: %s\n"},
    {Message::OutcomeEditRefused,
     "Pyxen Guard refused the last edit: Pyxen enforces the settings it applied before",
     "Pyxen Guard は最後の変更を拒否しました。Pyxen は以前に適用した設定で動いています"},
};

// Both texts of a message must take the same arguments: the conversions, with their
// flags, widths and lengths, have to agree one for one.
constexpr const char* NextConversion(const char* text)
{
    while (*text != '\0') {
        if (text[0] == '%' && text[1] == '%')
            text += 2;
        else if (text[0] == '%')
            return text;
        else
            ++text;
    }
    return text;
}

constexpr bool EndsConversion(char c)
{
    for (const char* k = "diouxXcspfFeEgGaAn"; *k != '\0'; ++k) {
        if (*k == c)
            return true;
    }
    return false;
}

constexpr bool SameConversions(const char* a, const char* b)
{
    for (;;) {
        a = NextConversion(a);
        b = NextConversion(b);
        if (*a == '\0' || *b == '\0')
            return *a == *b;
        do {
            ++a;
            ++b;
            if (*a != *b || *a == '\0')
                return false;
        } while (!EndsConversion(*a));
        ++a;
        ++b;
    }
}

constexpr bool TableAgrees()
{
    int count = static_cast<int>(Message::Count);
    if (static_cast<int>(sizeof texts / sizeof texts[0]) != count)
        return false;
    for (int i = 0; i < count; ++i) {
        if (static_cast<int>(texts[i].id) != i || !SameConversions(texts[i].en, texts[i].ja))
            return false;
    }
    return true;
}

static_assert(TableAgrees(), "every message, in its order, with the same arguments in both "
                             "languages");

bool japanese = false;

}  // namespace

void ChooseUsersLanguage()
{
    japanese = UserReadsJapanese();
}

bool InJapanese()
{
    return japanese;
}

bool ChooseLanguage(const char* name)
{
    if (strcmp(name, "ja") != 0 && strcmp(name, "en") != 0)
        return false;
    japanese = name[0] == 'j';
    return true;
}

const char* Text(Message id)
{
    const Texts& entry = texts[static_cast<int>(id)];
    return japanese ? entry.ja : entry.en;
}

std::string Say(Message id, ...)
{
    va_list arguments;
    va_start(arguments, id);
    std::string out = FormatList(Text(id), arguments);
    va_end(arguments);
    return out;
}
