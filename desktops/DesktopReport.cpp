#include "desktops/DesktopReport.h"

#include <string.h>

namespace {

const char* const keywords[] = {"desktop", "shut", "switched", "end"};
const char hexDigits[] = "0123456789ABCDEF";

bool Plain(unsigned long unit)
{
    return unit > ' ' && unit <= '~' && unit != '%';
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

bool AppendDesktopLine(char* report, int& length, int size, DesktopLineKind kind,
                       const wchar_t* name)
{
    int at = length;
    const char* keyword = keywords[static_cast<int>(kind)];
    int keywordLength = static_cast<int>(strlen(keyword));
    if (at + keywordLength + 2 > size)
        return false;
    memcpy(report + at, keyword, static_cast<size_t>(keywordLength));
    at += keywordLength;
    if (kind != DesktopLineKind::End) {
        if (!name || !name[0])
            return false;
        report[at++] = ' ';
        for (const wchar_t* c = name; *c; ++c) {
            unsigned long unit = static_cast<unsigned long>(*c);
            if (unit > 0xFFFF)
                return false;
            if (Plain(unit)) {
                if (at + 2 > size)
                    return false;
                report[at++] = static_cast<char>(unit);
                continue;
            }
            if (at + 6 > size)
                return false;
            report[at++] = '%';
            for (int shift = 12; shift >= 0; shift -= 4)
                report[at++] = hexDigits[(unit >> shift) & 0xF];
        }
    }
    report[at++] = '\n';
    length = at;
    return true;
}

bool ReadDesktopLine(const char*& at, const char* end, DesktopLine& line)
{
    const char* start = at;
    const char* stop = static_cast<const char*>(memchr(start, '\n', static_cast<size_t>(end - start)));
    if (!stop) {
        at = end;
        return false;
    }
    at = stop + 1;
    const char* space = static_cast<const char*>(memchr(start, ' ', static_cast<size_t>(stop - start)));
    const char* wordEnd = space ? space : stop;
    int kind = -1;
    for (int i = 0; i < 4 && kind < 0; ++i)
        if (strlen(keywords[i]) == static_cast<size_t>(wordEnd - start) &&
            memcmp(keywords[i], start, static_cast<size_t>(wordEnd - start)) == 0)
            kind = i;
    if (kind < 0)
        return false;
    line.kind = static_cast<DesktopLineKind>(kind);
    line.name[0] = L'\0';
    if (line.kind == DesktopLineKind::End)
        return !space;
    if (!space || space + 1 == stop)
        return false;
    int length = 0;
    for (const char* c = space + 1; c < stop; ++c) {
        if (length + 1 >= desktopNameSize)
            return false;
        unsigned long unit = static_cast<unsigned char>(*c);
        if (unit == '%') {
            if (stop - c < 5)
                return false;
            unit = 0;
            for (int i = 1; i <= 4; ++i) {
                int digit = HexValue(c[i]);
                if (digit < 0)
                    return false;
                unit = unit * 16 + static_cast<unsigned long>(digit);
            }
            c += 4;
            // Only what the writer escapes: one text has one spelling.
            if (Plain(unit) || unit == 0)
                return false;
        } else if (!Plain(unit)) {
            return false;
        }
        line.name[length++] = static_cast<wchar_t>(unit);
    }
    line.name[length] = L'\0';
    return true;
}
