#include "hours/HoursPolicy.h"

#include "config/LineReader.h"
#include "config/Utf8.h"

#include <stdlib.h>

namespace {

// UTF-16 units as UTF-8 in out (size bytes, with a NUL); the length, or -1 when it
// doesn't fit. A lone surrogate becomes U+FFFD, which no day or zone is.
int ToUtf8(const uint16_t* units, int count, char* out, int size)
{
    int length = 0;
    for (int i = 0; i < count; ++i) {
        long code = units[i];
        if (IsHighSurrogate(code) && i + 1 < count && IsLowSurrogate(units[i + 1]))
            code = JoinSurrogates(code, units[++i]);
        else if (IsHighSurrogate(code) || IsLowSurrogate(code))
            code = 0xFFFD;
        if (length + utf8CharacterSize >= size)
            return -1;
        length += EncodeUtf8(code, reinterpret_cast<unsigned char*>(out + length));
    }
    out[length] = '\0';
    return length;
}

// A text as long as a line of the file may be: the reader's line, in UTF-16 units.
const int longestText = lineSize - 1;

HoursFault AddLines(const RegistryKey& lines, HoursSchedule& schedule, int& line)
{
    static int order[keyValueCapacity];
    line = 0;
    if (lines.overflow || OrderByNumber(lines, order) >= 0)
        return HoursFault::ValueNotLine;
    for (int i = 0; i < lines.count; ++i) {
        const RegistryValue& value = lines.values[order[i]];
        // Its name, which is a number here: what the administrator finds in the registry.
        line = atoi(value.name);
        if (value.type != ValueType::Text)
            return HoursFault::ValueNotLine;
        char text[4 * lineSize];
        int length = value.textLength > longestText
                         ? -1
                         : ToUtf8(ValueText(lines, value), value.textLength, text, sizeof text);
        HoursFault fault = length < 0 ? HoursFault::LineTooLong : AddHoursLine(schedule, text, length);
        if (fault != HoursFault::None)
            return fault;
    }
    line = 0;
    return HoursFault::None;
}

}  // namespace

PolicyHours HoursFromValues(const RegistryKey& policy, const RegistryKey& lines,
                            HoursSchedule& schedule, HoursError& error)
{
    ClearHours(schedule);
    error.line = 0;
    error.fault = HoursFault::None;
    const RegistryValue* enabled = FindValue(policy, "EnforcementHours");
    if (!enabled || enabled->type != ValueType::Number)
        return PolicyHours::NotConfigured;
    if (enabled->number == 0)
        return PolicyHours::Always;
    // An empty box leaves the zone to the PC, as no ZONE line does in the file.
    const RegistryValue* zone = FindValue(policy, "HoursZone");
    if (zone && zone->type == ValueType::Text && zone->textLength > 0) {
        char name[4 * zoneNameSize];
        int length = zone->textLength > longestText
                         ? -1
                         : ToUtf8(ValueText(policy, *zone), zone->textLength, name, sizeof name);
        error.fault = length < 0 ? HoursFault::ZoneTooLong : SetHoursZone(schedule, name, length);
    }
    if (error.fault == HoursFault::None)
        error.fault = AddLines(lines, schedule, error.line);
    if (error.fault == HoursFault::None)
        return PolicyHours::Lines;
    return PolicyHours::Refused;
}
