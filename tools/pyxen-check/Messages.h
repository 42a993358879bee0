#pragma once
#include <string>

// Every text the checker prints, in English and in Japanese. Both texts of a message
// take the same printf arguments, in the same order; the table is checked for that
// when it is compiled.
enum class Message {
    Help,
    UnexpectedArgument,
    NeedsValue,
    LanguageUnknown,
    CodePageUnknown,
    CodePageWindows,
    WindowsOnly,
    SettingsUnreadable,
    SettingsHeading,
    EncodingHeading,
    EncodingAnsi,
    EncodingUtf8,
    EncodingUtf8Marked,
    EncodingUtf16Le,
    EncodingUtf16Be,
    IntervalFrom,
    IntervalDefault,
    RulesHeading,
    MethodExact,
    MethodContains,
    MethodDiffers,
    MethodNever,
    WarningsHeading,
    WindowsHeading,
    WindowNoRule,
    WindowOneRule,
    WindowRules,
    WindowExempt,
    ExemptPyxenWindow,
    ExemptOwnWindow,
    ExemptShellWindow,
    ExemptInputMethod,
    WindowElevated,
    WindowLeftAlone,
    UnswitchableInvisible,
    UnswitchableCloaked,
    UnswitchableToolWindow,
    UnswitchableOwned,
    NoRule,
    ListUnreadable,
    LineCut,
    RuleDropped,
    KeywordTaken,
    KeywordReads,
    KeywordSetsInterval,
    KeywordSetsMethod,
    NotPlainNumber,
    PathBlank,
    NoBlankBeforeColon,
    MethodNotDigit,
    RuleNeverMatches,
    EmptyExact,
    EmptyMatchesAll,
    DiffersEverything,
    NameBlank,
    RuleRepeats,
    IntervalZero,
    IntervalNegative,
    IntervalSmall,
    ReadAlone,
    SuffixAlone,
    CharacterLost,
    LooksLikeUtf16,
    MarkInside,
    TextInvalid,
    AnsiOnUtf8CodePage,
    PressEnter,
    ChangeableBy,
    ChangeableByYou,
    Count
};

// Chooses the language from the user's: the UI language on Windows, the locale
// (LC_ALL, LC_MESSAGES, LANG) on Linux. Japanese when it is Japanese, else English.
void ChooseUsersLanguage();

// "ja" or "en"; false for anything else.
bool ChooseLanguage(const char* name);

// The message's text in the language chosen.
const char* Text(Message id);

// The message's text with its arguments filled in.
std::string Say(Message id, ...);
