#include "config/LineReader.h"

#include <string.h>

static const int noByte = -1;
static const int endOfFile = 0x1A;

static FILE* OpenForReading(const char* path)
{
    return fopen(path, "rb");
}

FILE* (*openConfigFile)(const char* path) = OpenForReading;

bool OpenLines(LineReader& reader, const char* path, TextTarget target)
{
    reader.pending = noByte;
    reader.midLine = false;
    reader.number = 0;
    reader.cut = false;
    ClearNotes(reader.notes);
    ClearNotes(reader.next);
    reader.text.file = openConfigFile(path);
    if (!reader.text.file)
        return false;
    StartDecoding(reader.text, reader.text.file, target);
    return true;
}

void CloseLines(LineReader& reader)
{
    if (reader.text.file)
        fclose(reader.text.file);
    reader.text.file = NULL;
}

// The next byte in text mode. Notes of a character whose first byte is read go to notes.
static int NextByte(LineReader& reader, TextNotes& notes)
{
    if (reader.pending != noByte) {
        int c = reader.pending;
        reader.pending = noByte;
        return c;
    }
    int c = PeekByte(reader.text);
    // Ctrl-Z is never taken, so every later read meets it again: the file ends there.
    if (c == noByte || c == endOfFile)
        return noByte;
    TakeByte(reader.text, notes);
    // A lone CR stays; what followed it (Ctrl-Z included) is read next.
    if (c == '\r' && PeekByte(reader.text) == '\n') {
        TakeByte(reader.text, notes);
        return '\n';
    }
    return c;
}

bool ReadLine(LineReader& reader, char* content, int& length)
{
    // The byte read ahead for the last piece, if any, starts this one.
    TextNotes notes = reader.next;
    ClearNotes(reader.next);
    int count = 0;
    bool lineEnd = false;
    while (count < lineSize - 1) {
        int c = NextByte(reader, notes);
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
    reader.notes = notes;
    if (!lineEnd && count == lineSize - 1) {
        int next = NextByte(reader, reader.next);
        reader.pending = next;
        reader.cut = next != noByte && next != '\n';
    }

    length = static_cast<int>(strlen(content));
    if (length > 0 && content[length - 1] == '\n')
        content[--length] = '\0';
    return true;
}
