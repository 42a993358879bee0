// sweepcheck.exe RULES: loads the rule table straight from RULES, bypassing the settings
// reader, and runs exactly one Sweep() of the real Win32 layer over the desktop.
// Each line of RULES is "M NAME": the method as one digit, one blank, then the name's
// raw bytes up to the LF (so Shift JIS names arrive as written). Prints the number of
// rules and how long the sweep took.
#include "rules/Sweep.h"

#include <stdio.h>
#include <string.h>

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: sweepcheck.exe RULES\n");
        return 2;
    }
    FILE* file = fopen(argv[1], "rb");
    if (!file) {
        fprintf(stderr, "sweepcheck: cannot read %s\n", argv[1]);
        return 2;
    }
    char line[nameSize + 8];
    while (lastRule + 1 < ruleCapacity && fgets(line, sizeof line, file)) {
        size_t length = strlen(line);
        if (length && line[length - 1] == '\n')
            line[--length] = '\0';
        if (length < 2 || line[1] != ' ' || line[0] < '0' || line[0] > '9'
            || length - 2 >= static_cast<size_t>(nameSize)) {
            fprintf(stderr, "sweepcheck: bad rule line: %s\n", line);
            return 2;
        }
        ++lastRule;
        rules[lastRule].SetMethod(line[0] - '0');
        rules[lastRule].SetName(line + 2);
    }
    fclose(file);

    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    Sweep();
    QueryPerformanceCounter(&end);
    printf("rules: %d\nsweep-ms: %lld\n", lastRule + 1,
           (end.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart);
    return 0;
}
