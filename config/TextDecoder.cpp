#include "config/TextDecoder.h"

#include "config/Utf8.h"
#include "platform/CodePage.h"

#include <stdint.h>

namespace {

const int noByte = -1;
const int oddByte = -2;  // the last byte of a UTF-16 file of odd length
const long noCharacter = -1;
const long replacement = 0xFFFD;
const long byteOrderMark = 0xFEFF;

int FileByte(TextDecoder& decoder)
{
    if (decoder.blockAt == decoder.blockLength) {
        decoder.blockAt = 0;
        decoder.blockLength = static_cast<int>(fread(decoder.block, 1, blockSize, decoder.file));
        if (decoder.blockLength == 0)
            return noByte;
    }
    return decoder.block[decoder.blockAt++];
}

void Rewind(TextDecoder& decoder)
{
    rewind(decoder.file);
    decoder.blockAt = decoder.blockLength = 0;
    decoder.heldBack = noByte;
}

int RawByte(TextDecoder& decoder)
{
    if (decoder.heldBack != noByte) {
        int c = decoder.heldBack;
        decoder.heldBack = noByte;
        return c;
    }
    return FileByte(decoder);
}

// One character of UTF-8.
long Utf8Character(TextDecoder& decoder, int& invalid)
{
    int lead = RawByte(decoder);
    if (lead == noByte)
        return noCharacter;
    if (lead < 0x80)
        return lead;
    if (lead < 0xC2 || lead > 0xF4) {
        ++invalid;
        return replacement;
    }
    int follow = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
    long code = lead & (0x3F >> follow);
    // The second byte's range rules out overlong forms (E0, F0), encoded surrogates (ED)
    // and code points past U+10FFFF (F4).
    int low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    int high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    for (; follow > 0; --follow) {
        int c = RawByte(decoder);
        if (c < low || c > high) {
            // The byte that broke the sequence may well start the next one.
            decoder.heldBack = c;
            ++invalid;
            return replacement;
        }
        code = code << 6 | (c & 0x3F);
        low = 0x80;
        high = 0xBF;
    }
    return code;
}

int Utf16Unit(TextDecoder& decoder)
{
    if (decoder.heldBack != noByte) {
        int unit = decoder.heldBack;
        decoder.heldBack = noByte;
        return unit;
    }
    int first = FileByte(decoder);
    if (first == noByte)
        return noByte;
    int second = FileByte(decoder);
    if (second == noByte)
        return oddByte;
    return decoder.encoding == TextEncoding::Utf16Le ? first | second << 8 : first << 8 | second;
}

long Utf16Character(TextDecoder& decoder, int& invalid)
{
    int unit = Utf16Unit(decoder);
    if (unit == noByte)
        return noCharacter;
    if (IsHighSurrogate(unit)) {
        int low = Utf16Unit(decoder);
        if (IsLowSurrogate(low))
            return JoinSurrogates(unit, low);
        decoder.heldBack = low;
        ++invalid;
        return replacement;
    }
    if (unit == oddByte || IsLowSurrogate(unit)) {
        ++invalid;
        return replacement;
    }
    return unit;
}

// UTF-8 has every character, so nothing is lost.
void ConvertToUtf8(TextDecoder& decoder, long code, int invalid)
{
    decoder.length = EncodeUtf8(code, decoder.character);
    decoder.bytes = decoder.character;
    decoder.at = 0;
    decoder.notes.invalid = invalid;
    decoder.notes.markInside = code == byteOrderMark;
    decoder.notes.lost = noCodePoint;
}

// Converts the way the platform converts a title, so that rule and title compare alike
// even where the code page lacks a character.
void Convert(TextDecoder& decoder, long code, int invalid)
{
    if (decoder.target == TextTarget::Utf8) {
        ConvertToUtf8(decoder, code, invalid);
        return;
    }
    uint16_t units[2];
    int count = EncodeUtf16(code, units);
    bool lost = false;
    char* out = reinterpret_cast<char*>(decoder.character);
    decoder.length = WideToAnsi(units, count, out, characterSize, lost);
    if (decoder.length <= 0) {
        decoder.character[0] = '?';
        decoder.length = 1;
        lost = true;
    }
    decoder.bytes = decoder.character;
    decoder.at = 0;
    decoder.notes.invalid = invalid;
    decoder.notes.markInside = code == byteOrderMark;
    // An invalid sequence and an inner mark are told as what they are, not again as lost.
    decoder.notes.lost = lost && invalid == 0 && code != byteOrderMark ? code : noCodePoint;
}

bool IsAsciiLetter(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// UTF-16 saved without a mark shows at once: ASCII text has a NUL beside every letter.
bool LooksLikeUtf16(const unsigned char* start, int length)
{
    for (int i = 1; i + 1 < length; ++i)
        if (start[i] == 0 && IsAsciiLetter(start[i - 1]) && IsAsciiLetter(start[i + 1]))
            return true;
    return false;
}

// A file without a mark is UTF-8 only if all of it is valid UTF-8 with something past
// ASCII: Shift JIS or Windows-1252 text practically never is. It is read up to its end or
// its first invalid sequence; the guess at UTF-16 looks at the first block alone.
void DecideWithoutMark(TextDecoder& decoder)
{
    decoder.looksLikeUtf16 = LooksLikeUtf16(decoder.block, decoder.blockLength);
    int invalid = 0;
    bool beyondAscii = false;
    decoder.encoding = TextEncoding::Utf8;
    for (;;) {
        // Runs of ASCII, most of any settings file, are passed over a block at a time.
        while (decoder.blockAt < decoder.blockLength && decoder.block[decoder.blockAt] < 0x80)
            ++decoder.blockAt;
        long code = Utf8Character(decoder, invalid);
        if (code == noCharacter || invalid > 0)
            break;
        beyondAscii = beyondAscii || code > 0x7F;
    }
    decoder.encoding = invalid == 0 && beyondAscii ? TextEncoding::Utf8 : TextEncoding::Ansi;
    Rewind(decoder);
}

}  // namespace

void ClearNotes(TextNotes& notes)
{
    notes.lost = noCodePoint;
    notes.invalid = 0;
    notes.markInside = false;
}

void StartDecoding(TextDecoder& decoder, FILE* file, TextTarget target)
{
    decoder.file = file;
    decoder.target = target;
    decoder.looksLikeUtf16 = false;
    decoder.atEnd = false;
    decoder.bytes = decoder.character;
    decoder.at = decoder.length = 0;
    ClearNotes(decoder.notes);
    decoder.heldBack = noByte;
    decoder.blockAt = decoder.blockLength = 0;

    // The first block shows the mark, if there is one.
    FileByte(decoder);
    const unsigned char* start = decoder.block;
    int length = decoder.blockLength;
    decoder.blockAt = 0;
    if (length >= 3 && start[0] == 0xEF && start[1] == 0xBB && start[2] == 0xBF) {
        decoder.encoding = TextEncoding::Utf8Marked;
        decoder.blockAt = 3;
    } else if (length >= 2 && start[0] == 0xFF && start[1] == 0xFE) {
        decoder.encoding = TextEncoding::Utf16Le;
        decoder.blockAt = 2;
    } else if (length >= 2 && start[0] == 0xFE && start[1] == 0xFF) {
        decoder.encoding = TextEncoding::Utf16Be;
        decoder.blockAt = 2;
    } else {
        DecideWithoutMark(decoder);
    }
}

int NextCharacter(TextDecoder& decoder)
{
    if (decoder.atEnd)
        return noByte;
    if (decoder.encoding == TextEncoding::Ansi) {
        decoder.bytes = decoder.block;
        decoder.at = 0;
        decoder.length = static_cast<int>(fread(decoder.block, 1, blockSize, decoder.file));
        if (decoder.length == 0) {
            decoder.atEnd = true;
            return noByte;
        }
        return decoder.block[0];
    }
    int invalid = 0;
    bool wide = decoder.encoding == TextEncoding::Utf16Le || decoder.encoding == TextEncoding::Utf16Be;
    long code = wide ? Utf16Character(decoder, invalid) : Utf8Character(decoder, invalid);
    if (code == noCharacter) {
        decoder.atEnd = true;
        return noByte;
    }
    Convert(decoder, code, invalid);
    return decoder.character[0];
}

// Moves a character's notes to the piece that takes its first byte, and clears them.
void AddNotes(TextNotes& notes, TextNotes& more)
{
    if (notes.lost == noCodePoint)
        notes.lost = more.lost;
    notes.invalid += more.invalid;
    notes.markInside = notes.markInside || more.markInside;
    ClearNotes(more);
}
