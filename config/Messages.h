#pragma once
// What the user is told when loading goes wrong. The texts are shown through the
// wide-character message box, so they read the same on every Windows code page.

const wchar_t errorCaption[] = L"実行禁止！";
const wchar_t settingsUnreadableText[] = L"ERRER : 設定ファイルが読み込めません!! \n";
const wchar_t listUnreadableText[] = L"ERRER : プログラムリストが読み込めません!! \n";
const wchar_t tooManyRulesText[] = L"ERRER : ルールが多すぎます。最初の250件だけが有効です!! \n";
