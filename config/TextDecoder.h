#pragma once
#include "config/ConfigObserver.h"

#include <stdio.h>

// Room for one character in the ANSI code page: two bytes in Shift JIS, four in UTF-8.
const int characterSize = 8;

// The file is read a block at a time: one call per block instead of one per byte.
const int blockSize = 512;

// What the decoded characters are turned into: the ANSI code page for what is compared
// with window titles, UTF-8 for text read for its meaning (the hours' day names), which
// then reads the same on every code page.
enum class TextTarget { AnsiCodePage, Utf8 };

// No code point: nothing was lost.
const int noCodePoint = -1;

// What converting a stretch of text met. Text read as Ansi never has any of it.
struct TextNotes {
    int lost;         // the first code point the ANSI code page lacks, or noCodePoint
    int invalid;      // sequences invalid in the file's encoding, each read as U+FFFD
    bool markInside;  // a U+FEFF after the file's start, converted like any character
};

// Turns a file's bytes into the bytes of the ANSI code page, the code page window
// titles arrive in. The encoding is decided once per file: a byte order mark says
// UTF-8, UTF-16 LE or UTF-16 BE; without one, a file that is valid UTF-8 throughout
// and has a byte above 0x7F is UTF-8 (what editors save by default); anything else is
// taken byte for byte, exactly as ANSI files have always been read.
//
// Decoding goes one character at a time through fixed buffers. An invalid sequence (a
// stray or truncated UTF-8 sequence, an overlong form, an encoded surrogate, a lone
// UTF-16 surrogate, an odd last byte) reads as U+FFFD, one for each longest start of a
// valid sequence, and is converted like any other character: whatever the platform
// makes of it (a '?' in Shift JIS).
struct TextDecoder {
    FILE* file;
    TextEncoding encoding;
    TextTarget target;    // an Ansi file's bytes are given as they are, whatever the target
    bool looksLikeUtf16;  // no mark, but a NUL byte between ASCII letters in the first block
    bool atEnd;
    unsigned char block[blockSize];
    int blockAt;
    int blockLength;
    int heldBack;  // the byte or UTF-16 unit that ended an invalid sequence, read next
    unsigned char character[characterSize];  // the current character, converted
    // The bytes to give out next: the current character, or in an Ansi file a whole
    // block, which needs no converting.
    const unsigned char* bytes;
    int at;
    int length;
    TextNotes notes;  // of the current character
};

// Decides the encoding of the file, open at its start, and leaves it at its first
// character (past a mark).
void StartDecoding(TextDecoder& decoder, FILE* file, TextTarget target = TextTarget::AnsiCodePage);

// Decodes and converts the next character, or at the end of the file returns -1.
int NextCharacter(TextDecoder& decoder);

// Adds more to notes and clears more.
void AddNotes(TextNotes& notes, TextNotes& more);

// The next converted byte, or -1 at the end of the file; it stays next until taken.
// Read once per byte of every file, so the common case is inline.
inline int PeekByte(TextDecoder& decoder)
{
    return decoder.at < decoder.length ? decoder.bytes[decoder.at] : NextCharacter(decoder);
}

// Moves past the byte PeekByte returned. The notes of a character go to the piece of
// text that takes its first byte.
inline void TakeByte(TextDecoder& decoder, TextNotes& notes)
{
    if (decoder.at == 0)
        AddNotes(notes, decoder.notes);
    ++decoder.at;
}

void ClearNotes(TextNotes& notes);
