#include "hours/HoursFile.h"

#include "config/LineReader.h"
#include "config/Utf8.h"
#include "hours/LocalTime.h"
#include "platform/CodePage.h"

#include <errno.h>
#include <string.h>
#include <wchar.h>

namespace {

const char* const shortDays[daysPerWeek] = {"mon", "tue", "wed", "thu", "fri", "sat", "sun"};
const char* const longDays[daysPerWeek] = {"monday", "tuesday", "wednesday", "thursday",
                                           "friday", "saturday", "sunday"};
// 月 .. 日 (WeekdayName), then 曜 as in 月曜日, in UTF-8.
const char japaneseWeekday[] = "\xE6\x9B\x9C";
// A Japanese input method writes a wide space and 、 where English has a space and a comma.
const char wideSpace[] = "\xE3\x80\x80";
const char japaneseComma[] = "\xE3\x80\x81";
// 月～金 and 8:40～12:30: the wave dash Japanese writes for a span, in both its code points.
const char wideTilde[] = "\xEF\xBD\x9E";
const char waveDash[] = "\xE3\x80\x9C";

struct Cursor {
    const char* at;
    const char* end;
};

bool Take(Cursor& cursor, const char* text)
{
    size_t length = strlen(text);
    if (static_cast<size_t>(cursor.end - cursor.at) < length || memcmp(cursor.at, text, length) != 0)
        return false;
    cursor.at += length;
    return true;
}

bool TakeChar(Cursor& cursor, char c)
{
    if (cursor.at == cursor.end || *cursor.at != c)
        return false;
    ++cursor.at;
    return true;
}

bool TakeDash(Cursor& cursor)
{
    return TakeChar(cursor, '-') || Take(cursor, wideTilde) || Take(cursor, waveDash);
}

void SkipSpace(Cursor& cursor)
{
    for (;;) {
        if (TakeChar(cursor, ' ') || TakeChar(cursor, '\t') || TakeChar(cursor, '\r') ||
            Take(cursor, wideSpace))
            continue;
        return;
    }
}

bool AtEnd(Cursor cursor)
{
    SkipSpace(cursor);
    return cursor.at == cursor.end || *cursor.at == '#';
}

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool SameWord(const char* word, int length, const char* name)
{
    if (static_cast<int>(strlen(name)) != length)
        return false;
    for (int i = 0; i < length; ++i)
        if ((word[i] | 0x20) != name[i])
            return false;
    return true;
}

// The day named at the cursor, 0 for Monday, or -1.
int TakeDay(Cursor& cursor)
{
    const char* word = cursor.at;
    int length = 0;
    while (word + length < cursor.end && IsLetter(word[length]))
        ++length;
    for (int day = 0; day < daysPerWeek; ++day) {
        if (length > 0 && (SameWord(word, length, shortDays[day]) || SameWord(word, length, longDays[day]))) {
            cursor.at += length;
            return day;
        }
        if (length == 0 && Take(cursor, WeekdayName(day, true))) {
            if (Take(cursor, japaneseWeekday))
                Take(cursor, WeekdayName(6, true));
            return day;
        }
    }
    return -1;
}

// Marks the days the line names; the cursor stops at the first range.
HoursFault TakeDays(Cursor& cursor, bool (&days)[daysPerWeek])
{
    SkipSpace(cursor);
    if (cursor.at < cursor.end && IsDigit(*cursor.at))
        return HoursFault::NoDays;
    for (;;) {
        SkipSpace(cursor);
        int first = TakeDay(cursor);
        if (first < 0)
            return HoursFault::UnknownDay;
        int last = first;
        SkipSpace(cursor);
        if (TakeDash(cursor)) {
            SkipSpace(cursor);
            last = TakeDay(cursor);
            if (last < 0)
                return HoursFault::UnknownDay;
        }
        for (int day = first;; day = (day + 1) % daysPerWeek) {
            days[day] = true;
            if (day == last)
                break;
        }
        SkipSpace(cursor);
        if (!TakeChar(cursor, ',') && !Take(cursor, japaneseComma))
            return HoursFault::None;
    }
}

// H:MM or HH:MM, as minutes from midnight; the caller judges 24:00.
HoursFault TakeTime(Cursor& cursor, int& minutes)
{
    int hour = 0;
    int digits = 0;
    while (cursor.at < cursor.end && IsDigit(*cursor.at) && digits < 3) {
        hour = hour * 10 + (*cursor.at++ - '0');
        ++digits;
    }
    if (digits == 0 || digits > 2 || !TakeChar(cursor, ':'))
        return HoursFault::BadRange;
    if (cursor.end - cursor.at < 2 || !IsDigit(cursor.at[0]) || !IsDigit(cursor.at[1]))
        return HoursFault::BadRange;
    int minute = (cursor.at[0] - '0') * 10 + (cursor.at[1] - '0');
    cursor.at += 2;
    if (cursor.at < cursor.end && IsDigit(*cursor.at))
        return HoursFault::BadRange;
    if (hour > 24 || minute > 59 || (hour == 24 && minute != 0))
        return HoursFault::BadTime;
    minutes = hour * 60 + minute;
    return HoursFault::None;
}

HoursFault TakeRange(Cursor& cursor, int& start, int& length)
{
    int end = 0;
    HoursFault fault = TakeTime(cursor, start);
    SkipSpace(cursor);
    if (fault == HoursFault::None && !TakeDash(cursor))
        fault = HoursFault::BadRange;
    SkipSpace(cursor);
    if (fault == HoursFault::None)
        fault = TakeTime(cursor, end);
    if (fault != HoursFault::None)
        return fault;
    if (start == minutesPerDay)
        return HoursFault::BadTime;
    if (start == end)
        return HoursFault::EmptyRange;
    length = end > start ? end - start : end + minutesPerDay - start;
    return HoursFault::None;
}

HoursFault AddRanges(HoursSchedule& schedule, Cursor& cursor)
{
    bool days[daysPerWeek] = {};
    HoursFault fault = TakeDays(cursor, days);
    if (fault != HoursFault::None)
        return fault;
    if (AtEnd(cursor))
        return HoursFault::NoRange;
    // Checked whole before any is added, so that a refused line adds nothing.
    HoursRange found[hoursCapacity];
    int count = 0;
    for (bool first = true; !AtEnd(cursor); first = false) {
        SkipSpace(cursor);
        if (!first)
            TakeChar(cursor, ',');
        SkipSpace(cursor);
        int start = 0;
        int length = 0;
        fault = TakeRange(cursor, start, length);
        if (fault != HoursFault::None)
            return fault;
        for (int day = 0; day < daysPerWeek; ++day) {
            if (!days[day])
                continue;
            if (schedule.count + count == hoursCapacity)
                return HoursFault::TooManyRanges;
            found[count].start = day * minutesPerDay + start;
            found[count].length = length;
            ++count;
        }
    }
    memcpy(schedule.ranges + schedule.count, found, static_cast<size_t>(count) * sizeof found[0]);
    schedule.count += count;
    return HoursFault::None;
}

bool TakeKeyword(Cursor& cursor, const char* keyword)
{
    int length = static_cast<int>(strlen(keyword));
    if (cursor.end - cursor.at < length || !SameWord(cursor.at, length, keyword))
        return false;
    cursor.at += length;
    return true;
}

// An ANSI line with bytes past ASCII is widened by the code page and written again as
// UTF-8, so that 月 reads the same from a Shift JIS file as from a Unicode one.
bool AnsiLineToUtf8(const char* line, char* out, int size)
{
    wchar_t wide[lineSize];
    AnsiToWide(line, wide, lineSize);
    if (wide[0] == L'\0')
        return false;
    int at = 0;
    for (int i = 0, used = 0; wide[i] != L'\0'; i += used) {
        long code = WideCharacter(wide + i, used);
        if (at + utf8CharacterSize >= size)
            return false;
        at += EncodeUtf8(code, reinterpret_cast<unsigned char*>(out + at));
    }
    out[at] = '\0';
    return true;
}

bool HasHighBytes(const char* line, int length)
{
    for (int i = 0; i < length; ++i)
        if (static_cast<unsigned char>(line[i]) >= 0x80)
            return true;
    return false;
}

}  // namespace

void ClearHours(HoursSchedule& schedule)
{
    schedule.count = 0;
    schedule.zone[0] = '\0';
}

HoursFault SetHoursZone(HoursSchedule& schedule, const char* name, int length)
{
    Cursor cursor = {name, name + length};
    SkipSpace(cursor);
    // No key name holds a '#', so one starts a comment here as on any line.
    const char* end = static_cast<const char*>(memchr(cursor.at, '#', static_cast<size_t>(cursor.end - cursor.at)));
    if (!end)
        end = cursor.end;
    while (end > cursor.at && (end[-1] == ' ' || end[-1] == '\t' || end[-1] == '\r'))
        --end;
    int size = static_cast<int>(end - cursor.at);
    if (schedule.zone[0] != '\0')
        return HoursFault::ZoneRepeated;
    if (size == 0)
        return HoursFault::ZoneEmpty;
    for (int i = 0; i < size; ++i)
        if (cursor.at[i] < ' ' || cursor.at[i] > '~')
            return HoursFault::ZoneNotAscii;
    if (size >= zoneNameSize)
        return HoursFault::ZoneTooLong;
    memcpy(schedule.zone, cursor.at, static_cast<size_t>(size));
    schedule.zone[size] = '\0';
    return HoursFault::None;
}

HoursFault AddHoursLine(HoursSchedule& schedule, const char* line, int length)
{
    Cursor cursor = {line, line + length};
    if (AtEnd(cursor))
        return HoursFault::None;
    SkipSpace(cursor);
    Cursor keyword = cursor;
    if (TakeKeyword(keyword, "zone")) {
        SkipSpace(keyword);
        if (TakeChar(keyword, '='))
            return SetHoursZone(schedule, keyword.at, static_cast<int>(keyword.end - keyword.at));
    }
    return AddRanges(schedule, cursor);
}

HoursRead ReadHoursFile(const char* path, HoursSchedule& schedule, HoursError& error)
{
    ClearHours(schedule);
    error.line = 0;
    error.fault = HoursFault::None;
    LineReader reader;
    if (!OpenLines(reader, path, TextTarget::Utf8)) {
        // Only a file that isn't there means no hours: one that can't be opened could
        // hold any. fopen says which, in errno.
        if (errno == ENOENT)
            return HoursRead::Missing;
        error.fault = HoursFault::FileUnreadable;
        return HoursRead::Refused;
    }
    char content[lineSize];
    char widened[4 * lineSize];
    int length = 0;
    while (error.fault == HoursFault::None && ReadLine(reader, content, length)) {
        error.line = reader.number;
        const char* text = content;
        if (reader.cut) {
            error.fault = HoursFault::LineTooLong;
        } else if (reader.text.encoding == TextEncoding::Ansi && HasHighBytes(content, length)) {
            if (AnsiLineToUtf8(content, widened, sizeof widened)) {
                text = widened;
                length = static_cast<int>(strlen(widened));
            } else {
                error.fault = HoursFault::TextUnreadable;
            }
        }
        if (error.fault == HoursFault::None)
            error.fault = AddHoursLine(schedule, text, length);
    }
    CloseLines(reader);
    if (error.fault != HoursFault::None)
        return HoursRead::Refused;
    error.line = 0;
    return HoursRead::Read;
}
