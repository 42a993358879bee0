// Enforcement hours in two tables: what the reader makes of a file, and what the hours
// say at a moment in a zone, Windows' rules given as data.
#include "LoadCase.h"

#include "hours/HoursAt.h"
#include "hours/HoursFile.h"
#include "hours/HoursPolicy.h"
#include "hours/LocalTime.h"
#include "platform/CodePage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <tuple>

#include <sys/resource.h>

namespace {

const std::string hoursDirectory = PYXEN_HOURS_CASES;
const char* const dayNames[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};

std::string Clock(int minutes)
{
    char text[8];
    snprintf(text, sizeof text, "%02d:%02d", minutes / 60, minutes % 60);
    return text;
}

// "zone=NAME" if any, then the ranges in week order, as a file would write them.
std::string Render(const HoursSchedule& schedule)
{
    std::vector<HoursRange> ranges(schedule.ranges, schedule.ranges + schedule.count);
    std::sort(ranges.begin(), ranges.end(),
              [](HoursRange a, HoursRange b) { return std::tie(a.start, a.length) < std::tie(b.start, b.length); });
    std::string text = schedule.zone[0] ? std::string("zone=") + schedule.zone : "";
    for (const HoursRange& range : ranges) {
        int start = range.start % minutesPerDay, end = start + range.length;
        text += (text.empty() ? "" : "; ") + std::string(dayNames[range.start / minutesPerDay]) + " " +
                Clock(start) + "-" + Clock(end > minutesPerDay ? end - minutesPerDay : end);
    }
    return text;
}

struct ReadRow {
    const char* text;
    HoursFault fault;
    int line;              // of the fault
    const char* schedule;  // as Render writes it, when read
};

const ReadRow readRows[] = {
    {"", HoursFault::None, 0, ""},
    {"# only a comment\n\n  \n", HoursFault::None, 0, ""},
    {"Mon-Wed 08:40-12:30 13:15-15:40", HoursFault::None, 0,
     "Mon 08:40-12:30; Mon 13:15-15:40; Tue 08:40-12:30; Tue 13:15-15:40; Wed 08:40-12:30; Wed 13:15-15:40"},
    {"zone = W. Europe Standard Time # Berlin\nsun 21:00-07:00, 7:00-8:00 # night", HoursFault::None, 0,
     "zone=W. Europe Standard Time; Sun 07:00-08:00; Sun 21:00-07:00"},
    {"Sat-Mon 10:00-11:00\nFri 22:00-24:00\nTue 0:00-24:00", HoursFault::None, 0,
     "Mon 10:00-11:00; Tue 00:00-24:00; Fri 22:00-24:00; Sat 10:00-11:00; Sun 10:00-11:00"},
    {"Monday,friday 09:00-10:00", HoursFault::None, 0, "Mon 09:00-10:00; Fri 09:00-10:00"},
    {"Mon - Tue , Thu 09:00-10:00", HoursFault::None, 0, "Mon 09:00-10:00; Tue 09:00-10:00; Thu 09:00-10:00"},
    {"Tue\t08:40 -\t12:30\r\nWed 08:40 - 12:30\nThu\r08:40-12:30", HoursFault::None, 0,
     "Tue 08:40-12:30; Wed 08:40-12:30; Thu 08:40-12:30"},
    {"月,水 18:00-20:00\n土曜日、日曜\u300010:00-11:00\n火～木 07:00～07:30", HoursFault::None, 0,
     "Mon 18:00-20:00; Tue 07:00-07:30; Wed 07:00-07:30; Wed 18:00-20:00; Thu 07:00-07:30; "
     "Sat 10:00-11:00; Sun 10:00-11:00"},
    // Broken lines: the first one refuses the file.
    {"# hours\n08:00-09:00", HoursFault::NoDays, 2, nullptr},
    {"Mo 08:00-09:00", HoursFault::UnknownDay, 1, nullptr},
    {"Mon- 08:00-09:00", HoursFault::UnknownDay, 1, nullptr},
    {"Mon 09:00-10:00\nTue # later", HoursFault::NoRange, 2, nullptr},
    {"Mon 08:00", HoursFault::BadRange, 1, nullptr},
    {"Mon 8-9", HoursFault::BadRange, 1, nullptr},
    {"Mon 080:00-09:00", HoursFault::BadRange, 1, nullptr},
    {"Mon 08:00-09:00 lunch", HoursFault::BadRange, 1, nullptr},
    {"Mon 08:40 12:30", HoursFault::BadRange, 1, nullptr},
    {"MonA 08:00-09:00", HoursFault::UnknownDay, 1, nullptr},
    {"SunZ 08:00-09:00", HoursFault::UnknownDay, 1, nullptr},
    {"Mon 25:00-26:00", HoursFault::BadTime, 1, nullptr},
    {"Mon 08:60-09:00", HoursFault::BadTime, 1, nullptr},
    {"Mon 24:00-01:00", HoursFault::BadTime, 1, nullptr},
    {"Mon 23:00-24:30", HoursFault::BadTime, 1, nullptr},
    {"Mon 08:00-08:00", HoursFault::EmptyRange, 1, nullptr},
    {"Mon 10:00-11:00\nMon 00:00-24:00 00:00-00:00", HoursFault::EmptyRange, 2, nullptr},
    {"ZONE=", HoursFault::ZoneEmpty, 1, nullptr},
    {"ZONE= \t ", HoursFault::ZoneEmpty, 1, nullptr},
    {"ZONE=東京", HoursFault::ZoneNotAscii, 1, nullptr},
    {"ZONE=Tokyo Standard Time\nZONE=UTC", HoursFault::ZoneRepeated, 2, nullptr},
};

const std::string school = "zone=Tokyo Standard Time; Mon 08:40-12:30; Mon 13:15-15:40; Mon 18:00-20:00; "
                           "Tue 08:40-12:30; Tue 13:15-15:40; Wed 08:40-12:30; Wed 13:15-15:40; "
                           "Wed 18:00-20:00; Thu 08:40-12:30; Thu 13:15-15:40; Fri 08:40-12:30; "
                           "Fri 13:15-15:40; Sun 21:00-07:00";

struct FileRow {
    const char* name;  // in hours/
    int codePage;
    HoursRead read;
    HoursFault fault;
    int line;
};

// Every encoding Notepad saves in gives the same hours, and Unicode files read the
// Japanese day names even where the ANSI code page has no kanji.
const FileRow fileRows[] = {
    {"school-utf8", 932, HoursRead::Read, HoursFault::None, 0},
    {"school-utf8-mark", 932, HoursRead::Read, HoursFault::None, 0},
    {"school-utf16le", 932, HoursRead::Read, HoursFault::None, 0},
    {"school-utf16be", 932, HoursRead::Read, HoursFault::None, 0},
    {"school-ansi", 932, HoursRead::Read, HoursFault::None, 0},
    {"school-utf8", 1252, HoursRead::Read, HoursFault::None, 0},
    {"school-utf16le", 1252, HoursRead::Read, HoursFault::None, 0},
    {"many", 932, HoursRead::Refused, HoursFault::TooManyRanges, 20},
    {"long", 932, HoursRead::Refused, HoursFault::LineTooLong, 2},
    {"absent", 932, HoursRead::Missing, HoursFault::None, 0},
};

class HoursFile : public testing::Test {
protected:
    void TearDown() override { SetAnsiCodePage(932); }

    void ExpectRead(const std::string& path, HoursRead read, HoursFault fault, int line)
    {
        EXPECT_EQ(read, ReadHoursFile(path.c_str(), schedule, error));
        EXPECT_EQ(fault, error.fault);
        EXPECT_EQ(line, error.line);
    }

    ScratchDirectory scratch;
    HoursSchedule schedule;
    HoursError error;
};

TEST_F(HoursFile, ReadsEachRowOrRefusesItAtItsLine)
{
    for (const ReadRow& row : readRows) {
        SCOPED_TRACE(row.text);
        std::ofstream("hours.cfg", std::ios::binary | std::ios::trunc) << row.text;
        ExpectRead("hours.cfg", row.schedule ? HoursRead::Read : HoursRead::Refused, row.fault, row.line);
        if (row.schedule)
            EXPECT_EQ(row.schedule, Render(schedule));
    }
}

TEST_F(HoursFile, ClosesTheFileItRead)
{
    // The guard reads hours.cfg at every poll, for weeks: a file left open each time would
    // run out of descriptors within a day.
    std::ofstream("hours.cfg") << "Mon 08:40-12:30\n";
    rlimit limit;
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
    rlimit low = limit;
    low.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    int read = 0;
    while (read < 100 && ReadHoursFile("hours.cfg", schedule, error) == HoursRead::Read)
        ++read;
    setrlimit(RLIMIT_NOFILE, &limit);
    EXPECT_EQ(read, 100);
}

TEST_F(HoursFile, ReadsEachFile)
{
    for (const FileRow& row : fileRows) {
        SCOPED_TRACE(std::string(row.name) + " in code page " + std::to_string(row.codePage));
        SetAnsiCodePage(row.codePage);
        ExpectRead(hoursDirectory + "/" + row.name + ".cfg", row.read, row.fault, row.line);
        if (row.read == HoursRead::Read)
            EXPECT_EQ(school, Render(schedule));
    }
}

ZoneRules Zone(int bias, ZoneDate standard = {}, ZoneDate daylight = {})
{
    ZoneRules zone = {};
    zone.rule = {bias, 0, daylight.month ? -60 : 0, standard, daylight};
    return zone;
}

// Zones as their TZI values give them: the end of daylight time, then its start, each
// as {year, month, day of the week, which one (5: the last), hour, ...}.
std::map<std::string, ZoneRules> Zones()
{
    std::map<std::string, ZoneRules> zones;
    zones["Tokyo"] = Zone(-540);
    zones["Eastern"] = Zone(300, {0, 11, 0, 1, 2, 0, 0, 0}, {0, 3, 0, 2, 2, 0, 0, 0});
    zones["W. Europe"] = Zone(-60, {0, 10, 0, 5, 3, 0, 0, 0}, {0, 3, 0, 5, 2, 0, 0, 0});
    zones["AUS Eastern"] = Zone(-600, {0, 4, 0, 1, 3, 0, 0, 0}, {0, 10, 0, 1, 2, 0, 0, 0});
    zones["New Zealand"] = Zone(-720, {0, 4, 0, 1, 3, 0, 0, 0}, {0, 9, 0, 5, 2, 0, 0, 0});
    // Daylight time kept until 2025 and given up from 2026 on.
    ZoneRules ended = zones["Eastern"];
    ended.firstYear = 2024;
    ended.yearCount = 3;
    ended.years[0] = ended.years[1] = ended.rule;
    ended.years[2] = Zone(300).rule;
    zones["Eastern, ended"] = ended;
    // Biases are LONGs from the registry, whatever they hold: summed in 64 bits, and held
    // to a day from UTC, which no zone reaches (the farthest is UTC+14).
    zones["Feb 31"] = Zone(300, {2026, 11, 0, 1, 2, 0, 0, 0}, {2026, 2, 0, 31, 2, 0, 0, 0});
    zones["December"] = Zone(-600, {0, 3, 0, 1, 3, 0, 0, 0}, {0, 12, 0, 1, 2, 0, 0, 0});
    zones["month 13"] = Zone(300, {0, 11, 0, 1, 2, 0, 0, 0}, {0, 13, 0, 2, 2, 0, 0, 0});
    zones["Line Islands"] = Zone(-840);
    zones["a day ahead, or more"] = Zone(INT32_MIN);
    zones["a day ahead, or more"].rule.standardBias = INT32_MIN;
    zones["a day behind, or more"] = zones["Eastern"];
    zones["a day behind, or more"].rule.daylightBias = INT32_MAX;
    return zones;
}

int64_t Utc(const char* text)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
    if (sscanf(text, "%d-%d-%d %d:%d", &year, &month, &day, &hour, &minute) != 5)
        return noChange;
    return DaysFromDate(year, month, day) * secondsPerDay + hour * 3600 + minute * 60;
}

struct ClockRow {
    const char* zone;
    const char* hours;
    const char* utc;
    bool enforcing;
    const char* next;  // UTC, or "never"
};

const ClockRow clockRows[] = {
    // Mon 2026-12-07 08:00 in Tokyo, then at the range's end.
    {"Tokyo", "Mon-Fri 08:40-12:30", "2026-12-06 23:00", false, "2026-12-06 23:40"},
    {"Tokyo", "Mon-Fri 08:40-12:30", "2026-12-07 03:30", false, "2026-12-07 23:40"},
    // Past midnight: Sunday's range holds into Monday, across the week's end; a Monday
    // range past midnight says nothing about early Monday.
    {"Tokyo", "Sun 21:00-07:00", "2026-12-13 11:59", false, "2026-12-13 12:00"},
    {"Tokyo", "Sun 21:00-07:00", "2026-12-13 15:30", true, "2026-12-13 22:00"},
    {"Tokyo", "Mon 21:00-07:00", "2026-12-13 15:30", false, "2026-12-14 12:00"},
    {"Tokyo", "Sun 21:00-07:00", "2026-12-13 22:00", false, "2026-12-20 12:00"},
    // 24:00 ends the day; a range starting at midnight follows with no change between.
    {"Tokyo", "Fri 22:00-24:00", "2026-12-11 14:59", true, "2026-12-11 15:00"},
    {"Tokyo", "Fri 22:00-24:00\nSat 00:00-01:00", "2026-12-11 14:59", true, "2026-12-11 16:00"},
    {"Tokyo", "Mon-Sun 00:00-24:00", "2026-12-11 14:59", true, "never"},
    {"Tokyo", "ZONE=Tokyo Standard Time", "2026-12-11 14:59", true, "never"},
    // US Eastern, daylight time from Sun 2026-03-08 02:00 to Sun 2026-11-01 02:00: a range
    // an hour short and one an hour long, one in the skipped hour starting when the clock
    // jumps, and a weekday range read on the new clock.
    {"Eastern", "Sun 01:00-03:00", "2026-03-08 06:30", true, "2026-03-08 07:00"},
    {"Eastern", "Sun 02:30-04:00", "2026-03-08 06:59", false, "2026-03-08 07:00"},
    {"Eastern", "Mon-Fri 08:00-16:00", "2026-03-06 21:00", false, "2026-03-09 12:00"},
    {"Eastern", "Sun 00:00-02:00", "2026-11-01 05:30", true, "2026-11-01 07:00"},
    // Western Europe goes back at 03:00 on 2026-10-25: 02:00-02:30 comes twice on the clock.
    {"W. Europe", "Sun 01:30-02:30", "2026-10-25 00:45", false, "2026-10-25 01:00"},
    // Day 5 on the month's last day: daylight time from Sun 2024-03-31, not a week before.
    {"W. Europe", "Sun 02:30-03:30", "2024-03-31 00:30", false, "2024-03-31 01:00"},
    // Southern hemisphere: daylight time ends Sun 2026-04-05 03:00 in Sydney, and begins
    // again on Sun 2026-10-04 at 02:00, which is 03:00 from that very moment.
    {"AUS Eastern", "Mon-Fri 09:00-15:00", "2026-04-03 05:00", false, "2026-04-05 23:00"},
    {"AUS Eastern", "Sun 03:00-04:00", "2026-10-03 16:00", true, "2026-10-03 17:00"},
    // A rule for one year on a day the month lacks (Feb 31): its last day.
    {"Feb 31", "Sat 03:00-04:00", "2026-02-28 07:00", true, "2026-02-28 08:00"},
    // Daylight time from December: 10:30 standard time is 11:30.
    {"December", "Tue 10:00-11:00", "2026-12-15 00:30", false, "2026-12-21 23:00"},
    // A damaged month: no daylight time at all.
    {"month 13", "Wed 12:00-13:00", "2026-07-01 17:30", true, "2026-07-01 18:00"},
    // A zone without year-specific rules has nothing new at the new year.
    {"Tokyo", "Fri 08:00-09:00", "2026-12-31 12:00", false, "2026-12-31 23:00"},
    // Day 5 is the last: in September 2028 the fourth Sunday, the 24th.
    {"New Zealand", "Sun 09:00-10:00", "2028-09-23 20:30", true, "2028-09-23 21:00"},
    // Year-specific rules: the same July Wednesday with daylight time, then without.
    {"Eastern, ended", "Wed 12:00-13:00", "2025-07-02 16:30", true, "2025-07-02 17:00"},
    {"Eastern, ended", "Wed 12:00-13:00", "2026-07-01 16:30", false, "2026-07-01 17:00"},
    {"Line Islands", "Tue 00:00-01:00", "2026-12-07 10:30", true, "2026-12-07 11:00"},
    {"a day ahead, or more", "Tue 00:00-01:00", "2026-12-07 00:30", true, "2026-12-07 01:00"},
    {"a day behind, or more", "Tue 12:00-13:00", "2026-07-01 12:30", true, "2026-07-01 13:00"},
};

TEST(HoursClock, SaysWhetherEnforcingAndWhenThatChanges)
{
    std::map<std::string, ZoneRules> zones = Zones();
    for (const ClockRow& row : clockRows) {
        SCOPED_TRACE(std::string(row.zone) + " | " + row.hours + " | " + row.utc);
        HoursSchedule schedule;
        ClearHours(schedule);
        std::string hours = row.hours;
        for (size_t at = 0, end; at <= hours.size(); at = end + 1) {
            end = std::min(hours.find('\n', at), hours.size());
            ASSERT_EQ(HoursFault::None, AddHoursLine(schedule, hours.c_str() + at, static_cast<int>(end - at)));
        }
        HoursState state = HoursAt(schedule, zones.at(row.zone), Utc(row.utc));
        EXPECT_EQ(row.enforcing, state.enforcing);
        EXPECT_EQ(Utc(row.next), state.nextChange);
    }
    // A zone with one rule for every year changes nothing at the new year.
    EXPECT_EQ(NextZoneChange(zones.at("Tokyo"), Utc("2026-12-31 12:00")), noChange);
}

// What the guard's entries and the checker's report show of a moment, counted as the
// local clock reads it: across a leap day, and a century year that has none.
TEST(LocalTime, ShowsTheCalendarsDayTheClockAndTheDaysName)
{
    const struct {
        const char* at;
        const char* day;
        const char* japanese;
    } rows[] = {
        {"2026-12-07 08:40", "Mon", "\u6708"},
        {"2024-02-29 23:59", "Thu", "\u6728"},
        {"2100-03-01 00:00", "Mon", "\u6708"},
        {"2026-12-13 12:30", "Sun", "\u65e5"},
        {"2027-01-15 10:00", "Fri", "\u91d1"},
        {"2000-03-01 00:00", "Wed", "\u6c34"},  // the first day of a 400-year cycle
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.at);
        LocalTime time = SplitLocalTime(Utc(row.at));
        char shown[32];
        snprintf(shown, sizeof shown, "%04d-%02d-%02d %02d:%02d", time.year, time.month, time.day,
                 time.hour, time.minute);
        EXPECT_STREQ(row.at, shown);
        EXPECT_STREQ(row.day, WeekdayName(time.weekday));
        EXPECT_STREQ(row.japanese, WeekdayName(time.weekday, true));
        EXPECT_EQ(SplitLocalTime(Utc(row.at) + secondsPerDay).dayNumber, time.dayNumber + 1);
    }
}

// The policy's values as the registry gives them: taken in the order of their names read
// as numbers, refused at the place of the value that can't be a line.
TEST(HoursPolicyValues, OrderedByNumberAndRefusedAtTheValueThatIsNoLine)
{
    struct Line {
        const char* name;
        std::u16string text;  // empty with number: a REG_DWORD
        bool number;
    };
    struct Row {
        const char* what;
        std::vector<Line> lines;
        PolicyHours kind;
        int line;
        HoursFault fault;
        int ranges;
    } rows[] = {
        {"10 after 2", {{"10", u"Sun 10:00-11:00", false}, {"2", u"Sat 10:00-11:00", false},
                        {"1", u"\u6708 08:40-12:30", false}}, PolicyHours::Lines, 0, HoursFault::None, 3},
        {"a gap", {{"1", u"Mon 08:40-12:30", false}, {"3", u"Tue 25:00-26:00", false}},
         PolicyHours::Refused, 3, HoursFault::BadTime, 0},
        {"a word", {{"one", u"Mon 08:40-12:30", false}, {"2", u"Tue 08:40-12:30", false}},
         PolicyHours::Refused, 0, HoursFault::ValueNotLine, 0},
        {"a number", {{"1", u"", true}}, PolicyHours::Refused, 1, HoursFault::ValueNotLine, 0},
        {"too long", {{"1", u"Mon 08:40-12:30 #" + std::u16string(240, u'x'), false}},
         PolicyHours::Refused, 1, HoursFault::LineTooLong, 0},
    };
    static RegistryKey values;
    static RegistryKey lines;
    static HoursSchedule schedule;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ClearRegistryKey(values, true);
        AddNumberValue(values, "EnforcementHours", 1);
        ClearRegistryKey(lines, true);
        for (const Line& line : row.lines) {
            if (line.number)
                AddNumberValue(lines, line.name, 1);
            else
                AddTextValue(lines, line.name, reinterpret_cast<const uint16_t*>(line.text.data()),
                             static_cast<int>(line.text.size()));
        }
        HoursError error;
        EXPECT_EQ(HoursFromValues(values, lines, schedule, error), row.kind);
        EXPECT_EQ(error.line, row.line);
        EXPECT_EQ(error.fault, row.fault);
        if (row.kind == PolicyHours::Lines) {
            EXPECT_EQ(schedule.count, row.ranges);
            EXPECT_EQ(schedule.ranges[0].start / minutesPerDay, 0);  // 月 first
        }
    }
    // The switch: 0 is always, whatever the lines; no number is no policy.
    ClearRegistryKey(values, true);
    AddNumberValue(values, "EnforcementHours", 0);
    HoursError error;
    EXPECT_EQ(HoursFromValues(values, lines, schedule, error), PolicyHours::Always);
    ClearRegistryKey(values, true);
    uint16_t one[] = {'1'};
    AddTextValue(values, "EnforcementHours", one, 1);
    EXPECT_EQ(HoursFromValues(values, lines, schedule, error), PolicyHours::NotConfigured);
}

}  // namespace
