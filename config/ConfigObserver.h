#pragma once
// The readers can tell an onlooker what they met, line by line, so that a checking
// tool explains a settings file with the very code that loads it. pyxen.exe sets no
// observer.

enum class ConfigEvent {
    FileUnreadable,  // line.path could not be opened (number 0, no content)
    LineCut,         // this piece of a line was cut at 249 characters; its line goes on
    LineIgnored,     // a line with no sound meaning (":x", or "READ" alone)
    IntervalSet,     // value: the new interval
    MethodSet,       // value: the new default method
    ListNamed,       // a READ line; the list follows (value: its path offset)
    RuleAdded,       // value: the index of the new rule in rules
    RuleDropped,     // the table was full; the rule was not added
};

struct ConfigLine {
    const char* path;     // the file being read
    int number;           // line number, from 1
    const char* content;  // the line as read, without its line end
    int length;
    bool programList;     // false for the settings file
};

typedef void (*ConfigObserver)(ConfigEvent event, const ConfigLine& line, int value);

extern ConfigObserver configObserver;
