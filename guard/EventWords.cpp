#include "guard/EventWords.h"

namespace {

// In HoursFault's order: message 2000 plus the fault's number.
const wchar_t* const faultWords[] = {
    L"",       L"%%2001", L"%%2002", L"%%2003", L"%%2004", L"%%2005", L"%%2006", L"%%2007",
    L"%%2008", L"%%2009", L"%%2010", L"%%2011", L"%%2012", L"%%2013", L"%%2014", L"%%2015",
};
static_assert(sizeof faultWords / sizeof faultWords[0] ==
                  static_cast<int>(HoursFault::ValueNotLine) + 1,
              "a word for every fault");

const wchar_t* const weekdayWords[] = {L"%%2030", L"%%2031", L"%%2032", L"%%2033",
                                       L"%%2034", L"%%2035", L"%%2036"};

}  // namespace

const wchar_t* HoursFaultWord(HoursFault fault)
{
    int index = static_cast<int>(fault);
    int count = static_cast<int>(sizeof faultWords / sizeof faultWords[0]);
    return index >= 0 && index < count ? faultWords[index] : L"";
}

const wchar_t* WeekdayWord(int weekday)
{
    return weekdayWords[weekday % 7];
}
