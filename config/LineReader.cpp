#include "config/LineReader.h"

#include <string.h>

static const int noByte = -1;
static const int endOfFile = 0x1A;

bool OpenLines(LineReader& reader, const char* path)
{
    reader.file = fopen(path, "rb");
    reader.pending = noByte;
    reader.atEnd = false;
    reader.midLine = false;
    reader.number = 0;
    reader.cut = false;
    return reader.file != NULL;
}

void CloseLines(LineReader& reader)
{
    if (reader.file)
        fclose(reader.file);
    reader.file = NULL;
}

static int NextByte(LineReader& reader)
{
    if (reader.pending != noByte) {
        int c = reader.pending;
        reader.pending = noByte;
        return c;
    }
    if (reader.atEnd)
        return noByte;
    int c = getc(reader.file);
    if (c == EOF || c == endOfFile) {
        reader.atEnd = true;
        return noByte;
    }
    if (c == '\r') {
        int next = getc(reader.file);
        if (next == '\n')
            return '\n';
        // A lone CR stays; what followed it (Ctrl-Z included) is read next.
        if (next != EOF)
            ungetc(next, reader.file);
    }
    return c;
}

bool ReadLine(LineReader& reader, char* content, int& length)
{
    int count = 0;
    bool lineEnd = false;
    while (count < lineSize - 1) {
        int c = NextByte(reader);
        if (c == noByte)
            break;
        content[count++] = static_cast<char>(c);
        if (c == '\n') {
            lineEnd = true;
            break;
        }
    }
    if (count == 0)
        return false;
    content[count] = '\0';

    if (!reader.midLine)
        ++reader.number;
    reader.midLine = !lineEnd;
    reader.cut = false;
    if (!lineEnd && count == lineSize - 1) {
        int next = NextByte(reader);
        reader.pending = next;
        reader.cut = next != noByte && next != '\n';
    }

    length = static_cast<int>(strlen(content));
    if (length > 0 && content[length - 1] == '\n')
        content[--length] = '\0';
    return true;
}
