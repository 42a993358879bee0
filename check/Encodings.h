#pragma once
#include "config/ConfigObserver.h"
#include "check/Findings.h"

#include <string>
#include <vector>

// What the checker learns about the text of each file: the encoding the readers took it
// in, and the places where text did not come through into the ANSI code page.

struct FileRead {
    std::string path;
    TextEncoding encoding;  // Ansi until the readers name another
    bool worthNaming;       // a line held a byte above 0x7F, or the file looked like UTF-16
};

// In the order the files were opened.
extern std::vector<FileRead> filesRead;

// Every event but FileUnreadable: notes the file and its encoding, and warns of text
// that did not come through.
void CheckText(ConfigEvent event, const Origin& at, const ConfigLine& line, int value);

// "UTF-8 with a mark", "ANSI (code page 932)", ...
std::string EncodingName(TextEncoding encoding);
