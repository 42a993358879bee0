#include "guard/SettingsOutcome.h"

#include "guard/GuardSystem.h"
#include "hours/LocalTime.h"

#include <wchar.h>

void WriteUtcText(int64_t utc, wchar_t* text)
{
    LocalTime time = SplitLocalTime(utc);
    int seconds = static_cast<int>(utc % 60);
    swprintf(text, 24, L"%04d-%02d-%02dT%02d:%02d:%02dZ", time.year, time.month, time.day, time.hour,
             time.minute, seconds);
}

void RecordApplied(const wchar_t* source, const wchar_t* view, const wchar_t* from, int rules)
{
    wchar_t at[24];
    WriteUtcText(GuardUtcNow(), at);
    const OutcomeValue values[] = {
        {"Source", source, 0},
        {"View", view, 0},
        {"From", from, 0},
        {"Rules", nullptr, static_cast<uint32_t>(rules)},
        {"AppliedAt", at, 0},
        {"Result", L"applied", 0},
    };
    RecordSettingsOutcome(values, sizeof values / sizeof values[0]);
}

void RecordRefused(const wchar_t* source, const wchar_t* from, const wchar_t* reason)
{
    wchar_t at[24];
    WriteUtcText(GuardUtcNow(), at);
    const OutcomeValue values[] = {
        {"RefusedAt", at, 0},
        {"RefusedSource", source, 0},
        {"RefusedFrom", from, 0},
        {"RefusalReason", reason, 0},
        {"Result", L"refused", 0},
    };
    RecordSettingsOutcome(values, sizeof values / sizeof values[0]);
}
