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
    HoursNone,
    HoursFile,
    HoursPolicy,
    HoursPolicyDisabled,
    HoursFileReplaced,
    HoursRefused,
    HoursNoRange,
    ZoneHeading,
    ZoneSystemHeading,
    ZoneOwnHeading,
    ZoneMissingHeading,
    DayFree,
    NowUntil,
    NowFrom,
    NowAlways,
    NowNever,
    NowNotHere,
    NowZoneMissing,
    HoursLineRefused,
    ZoneNotSet,
    ZoneMissing,
    FaultLineTooLong,
    FaultTextUnreadable,
    FaultNoDays,
    FaultUnknownDay,
    FaultNoRange,
    FaultBadRange,
    FaultBadTime,
    FaultEmptyRange,
    FaultTooManyRanges,
    FaultZoneEmpty,
    FaultZoneNotAscii,
    FaultZoneTooLong,
    FaultZoneRepeated,
    FaultFileUnreadable,
    Count
};

// Chooses the language from the user's: the UI language on Windows, the locale
// (LC_ALL, LC_MESSAGES, LANG) on Linux. Japanese when it is Japanese, else English.
void ChooseUsersLanguage();

// "ja" or "en"; false for anything else.
bool ChooseLanguage(const char* name);

// Whether the language chosen is Japanese, for texts that come from elsewhere.
bool InJapanese();

// The message's text in the language chosen.
const char* Text(Message id);

// The message's text with its arguments filled in.
std::string Say(Message id, ...);
