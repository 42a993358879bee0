#include "hours/HoursFaultText.h"

namespace {

// In HoursFault's order.
const wchar_t* const faultTexts[] = {
    L"",
    L"行が長すぎます (the line is too long)",
    L"文字を読めません (text the code page can't read)",
    L"曜日がありません (a range with no day before it)",
    L"曜日が読めません (a word that names no day)",
    L"時間帯がありません (days without a range)",
    L"時間帯が HH:MM-HH:MM ではありません (not HH:MM-HH:MM)",
    L"時刻が正しくありません (no such time)",
    L"開始と終了が同じです (start equal to end)",
    L"時間帯が多すぎます (too many ranges)",
    L"ZONE= に名前がありません (ZONE= with no name)",
    L"タイムゾーン名が正しくありません (no such zone name)",
    L"タイムゾーン名が正しくありません (no such zone name)",
    L"ZONE= が 2 つあります (a second ZONE=)",
    L"ファイルはありますが開けません (the file is there but can't be opened)",
    L"名前が数字でないか、文字列でない値があります (a value whose name is no number, or that is no text)",
};
static_assert(sizeof faultTexts / sizeof faultTexts[0] ==
                  static_cast<int>(HoursFault::ValueNotLine) + 1,
              "a text for every fault");

}  // namespace

const wchar_t* HoursFaultText(HoursFault fault)
{
    int index = static_cast<int>(fault);
    return index >= 0 && index < static_cast<int>(sizeof faultTexts / sizeof faultTexts[0]) ? faultTexts[index] : L"";
}
