#pragma once
// The readers can tell an onlooker what they met, line by line, so that a checking
// tool explains a settings file with the very code that loads it. pyxen.exe sets no
// observer.

// The encoding a file is read in, decided per file from its first bytes (and, without a
// mark, from whether the whole file is valid UTF-8 with a byte above 0x7F). Every one
// but Ansi is converted to the ANSI code page before any line rule applies.
enum class TextEncoding {
    Ansi,        // the bytes as they are, no conversion
    Utf8,        // no mark
    Utf8Marked,  // EF BB BF
    Utf16Le,     // FF FE
    Utf16Be,     // FE FF
};

enum class ConfigEvent {
    FileUnreadable,  // line.path could not be opened (number 0, no content)
    FileEncoding,    // number 0, no content; value: the TextEncoding the file is read in
    LooksLikeUtf16,  // number 0, no content: no mark, but NUL bytes between ASCII letters
    CharacterLost,   // this line had a character the ANSI code page lacks; value: its code point
    TextInvalid,     // this line had bytes invalid in its file's encoding (value: how many)
    MarkInside,      // this line holds a byte order mark (U+FEFF) that is not at the file's start
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
