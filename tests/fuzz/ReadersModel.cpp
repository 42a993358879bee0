#include "ReadersModel.h"

#include <iconv.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

const char modelCodePage[] = "CP932";

namespace {

enum Encoding { Ansi, Utf8, Utf8Marked, Utf16Le, Utf16Be };

struct Character {
    uint32_t code;
    bool invalid;
};

const Character invalidCharacter = {0xFFFD, true};

// The well-formed UTF-8 byte sequences, as the Unicode standard tabulates them: the
// range of each byte in turn.
struct Utf8Form {
    int length;
    unsigned char ranges[4][2];
};
const Utf8Form utf8Forms[] = {
    {1, {{0x00, 0x7F}}},
    {2, {{0xC2, 0xDF}, {0x80, 0xBF}}},
    {3, {{0xE0, 0xE0}, {0xA0, 0xBF}, {0x80, 0xBF}}},
    {3, {{0xE1, 0xEC}, {0x80, 0xBF}, {0x80, 0xBF}}},
    {3, {{0xED, 0xED}, {0x80, 0x9F}, {0x80, 0xBF}}},
    {3, {{0xEE, 0xEF}, {0x80, 0xBF}, {0x80, 0xBF}}},
    {4, {{0xF0, 0xF0}, {0x90, 0xBF}, {0x80, 0xBF}, {0x80, 0xBF}}},
    {4, {{0xF1, 0xF3}, {0x80, 0xBF}, {0x80, 0xBF}, {0x80, 0xBF}}},
    {4, {{0xF4, 0xF4}, {0x80, 0x8F}, {0x80, 0xBF}, {0x80, 0xBF}}},
};

// An ill-formed stretch reads as one U+FFFD for each longest start of a valid sequence.
std::vector<Character> DecodeUtf8(const std::string& bytes, size_t at)
{
    std::vector<Character> text;
    text.reserve(bytes.size());
    while (at < bytes.size()) {
        unsigned char lead = bytes[at];
        const Utf8Form* form = nullptr;
        for (const Utf8Form& candidate : utf8Forms)
            if (lead >= candidate.ranges[0][0] && lead <= candidate.ranges[0][1])
                form = &candidate;
        if (!form) {
            text.push_back(invalidCharacter);
            ++at;
            continue;
        }
        int matched = 1;
        while (matched < form->length && at + matched < bytes.size() &&
               static_cast<unsigned char>(bytes[at + matched]) >= form->ranges[matched][0] &&
               static_cast<unsigned char>(bytes[at + matched]) <= form->ranges[matched][1])
            ++matched;
        if (matched < form->length) {
            text.push_back(invalidCharacter);
        } else {
            static const unsigned char leadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
            uint32_t code = lead & leadBits[form->length];
            for (int i = 1; i < form->length; ++i)
                code = code << 6 | (bytes[at + i] & 0x3F);
            text.push_back({code, false});
        }
        at += matched;
    }
    return text;
}

std::vector<Character> DecodeUtf16(const std::string& bytes, size_t at, bool littleEndian)
{
    std::vector<uint32_t> units;
    units.reserve(bytes.size() / 2);
    for (; at + 1 < bytes.size(); at += 2) {
        unsigned char first = bytes[at], second = bytes[at + 1];
        units.push_back(littleEndian ? first | second << 8 : first << 8 | second);
    }
    std::vector<Character> text;
    text.reserve(units.size() + 1);
    for (size_t i = 0; i < units.size(); ++i) {
        bool high = units[i] >= 0xD800 && units[i] < 0xDC00;
        bool pairs = high && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000;
        if (pairs)
            text.push_back({0x10000 + ((units[i] - 0xD800) << 10) + (units[i + 1] - 0xDC00), false}), ++i;
        else if (units[i] >= 0xD800 && units[i] < 0xE000)
            text.push_back(invalidCharacter);
        else
            text.push_back({units[i], false});
    }
    if (at < bytes.size())
        text.push_back(invalidCharacter);
    return text;
}

// iconv over the whole file, which refuses anything but well-formed UTF-8.
bool IsUtf8(const std::string& bytes)
{
    static iconv_t check = iconv_open("UTF-32LE", "UTF-8");
    static std::string out;
    out.resize(bytes.size() * 4 + 4);
    char* inAt = const_cast<char*>(bytes.data());
    char* outAt = out.data();
    size_t inLeft = bytes.size(), outLeft = out.size();
    bool valid = iconv(check, &inAt, &inLeft, &outAt, &outLeft) != static_cast<size_t>(-1);
    iconv(check, nullptr, nullptr, nullptr, nullptr);
    return valid;
}

// A character the code page lacks becomes '?', as Windows writes it.
std::string ConvertOnce(uint32_t code)
{
    static iconv_t convert = iconv_open(modelCodePage, "UTF-32LE");
    char in[4] = {static_cast<char>(code), static_cast<char>(code >> 8), static_cast<char>(code >> 16), 0};
    char out[16];
    char* inAt = in;
    char* outAt = out;
    size_t inLeft = 4, outLeft = sizeof out;
    // What iconv can't convert, or converts to nothing at all, Windows has no form for.
    if (iconv(convert, &inAt, &inLeft, &outAt, &outLeft) == static_cast<size_t>(-1) || outAt == out) {
        iconv(convert, nullptr, nullptr, nullptr, nullptr);
        return "?";
    }
    return std::string(out, outAt - out);
}

// Remembered for the whole run, in short strings that need no heap: a run that
// allocates more than it frees sends libFuzzer looking for leaks, which is slow.
std::string ToCodePage(uint32_t code)
{
    static std::string known[0x10000];
    if (code >= 0x10000)
        return ConvertOnce(code);
    if (known[code].empty())
        known[code] = ConvertOnce(code);
    return known[code];
}

// Looked for in the first 512 bytes, the first block the readers read.
bool LooksLikeUtf16(const std::string& bytes)
{
    auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    for (size_t i = 1; i + 1 < std::min<size_t>(bytes.size(), 512); ++i)
        if (bytes[i] == '\0' && letter(bytes[i - 1]) && letter(bytes[i + 1]))
            return true;
    return false;
}

// The bytes of the file in the ANSI code page, with the encoding it was read in and the
// invalid sequences met before the first Ctrl-Z.
std::string Convert(const std::string& bytes, ModelOpen& open, int& invalid)
{
    auto starts = [&](const char* mark) { return bytes.compare(0, strlen(mark), mark) == 0; };
    std::vector<Character> text;
    open.looksLikeUtf16 = false;
    if (starts("\xEF\xBB\xBF"))
        open.encoding = Utf8Marked, text = DecodeUtf8(bytes, 3);
    else if (starts("\xFF\xFE"))
        open.encoding = Utf16Le, text = DecodeUtf16(bytes, 2, true);
    else if (starts("\xFE\xFF"))
        open.encoding = Utf16Be, text = DecodeUtf16(bytes, 2, false);
    else if (std::any_of(bytes.begin(), bytes.end(), [](char c) { return c & 0x80; }) && IsUtf8(bytes))
        open.encoding = Utf8, text = DecodeUtf8(bytes, 0);
    else
        open.encoding = Ansi;
    if (open.encoding == Ansi || open.encoding == Utf8)
        open.looksLikeUtf16 = LooksLikeUtf16(bytes);
    invalid = 0;
    if (open.encoding == Ansi)
        return bytes;
    std::string converted;
    converted.reserve(text.size() * 2);
    for (const Character& c : text) {
        if (c.code == 0x1A)
            break;
        invalid += c.invalid;
        converted += ToCodePage(c.code);
    }
    return converted;
}

const size_t pieceSize = 249;
const size_t tableSize = 250;

// Text mode first (CR LF to LF, stop at the first Ctrl-Z), then pieces of at most 249
// characters ending at a line feed, then each piece's content up to its first NUL. The
// lines point into text.
std::vector<std::string_view> Lines(const std::string& bytes, std::string& text)
{
    text.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\x1A')
            break;
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue;
        text += bytes[i];
    }
    std::vector<std::string_view> lines;
    lines.reserve(text.size() / 8 + 1);
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        size_t take = std::min(end == std::string::npos ? text.size() - at : end - at + 1, pieceSize);
        size_t content = text[at + take - 1] == '\n' ? take - 1 : take;
        size_t nul = text.find('\0', at);
        if (nul < at + content)
            content = nul - at;
        lines.emplace_back(text.data() + at, content);
        at += take;
    }
    return lines;
}

int Number(std::string_view line, size_t position)
{
    if (position > line.size())
        return 0;
    size_t i = position;
    while (i < line.size() && (line[i] == ' ' || (line[i] >= '\t' && line[i] <= '\r')))
        ++i;
    int64_t sign = 1;
    if (i < line.size() && (line[i] == '+' || line[i] == '-'))
        sign = line[i++] == '-' ? -1 : 1;
    int64_t value = 0;
    for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i)
        value = (value * 10 + (line[i] - '0')) % 4294967296LL;
    value = (sign * value + 4294967296LL) % 4294967296LL;
    return static_cast<int>(value >= 2147483648LL ? value - 4294967296LL : value);
}

bool Begins(std::string_view line, std::string_view keyword)
{
    return line.substr(0, keyword.size()) == keyword;
}

struct Loader {
    const ModelFiles& files;
    ModelOutcome& out;
    bool tooManyTold = false;

    void AddRule(std::string_view line, int defaultMethod, const std::string& path)
    {
        ModelRule rule{defaultMethod, std::string(line)};
        if (line.size() >= 2 && line[line.size() - 2] == ':') {
            if (line.size() == 2)
                return;
            rule.method = Number(line, line.size() - 1);
            rule.name = line.substr(0, line.size() - 3);
        }
        if (out.rules.size() == tableSize) {
            if (!tooManyTold)
                out.boxes.push_back({ModelBoxKind::TooManyRules, path});
            tooManyTold = true;
            return;
        }
        out.rules.push_back(rule);
    }

    void Read(const std::string& path, bool settings, int defaultMethod)
    {
        ModelFiles::const_iterator file = files.find(path);
        if (file == files.end()) {
            out.boxes.push_back({settings ? ModelBoxKind::SettingsUnreadable : ModelBoxKind::ListUnreadable, path});
            return;
        }
        ModelOpen open{path, Ansi, false};
        int invalid;
        std::string converted = Convert(file->second, open, invalid), text;
        out.opens.push_back(open);
        out.invalid[path] += invalid;
        for (std::string_view line : Lines(converted, text)) {
            if (line.empty() || line[0] == '#')
                continue;
            if (settings && Begins(line, "INTER")) {
                out.interval = Number(line, 6);
            } else if (Begins(line, "METHOD")) {
                defaultMethod = Number(line, 7);
            } else if (settings && Begins(line, "READ")) {
                if (line.size() == 4)
                    continue;
                Read(std::string(line.substr(5)), false, defaultMethod);
            } else {
                AddRule(line, defaultMethod, path);
            }
        }
    }
};

}  // namespace

ModelOutcome ModelLoadSettings(const ModelFiles& files, const std::string& path)
{
    ModelOutcome out;
    out.rules.reserve(tableSize);
    Loader loader{files, out};
    loader.Read(path, true, 0);
    out.result = static_cast<int>(out.rules.size()) - 1;
    return out;
}
