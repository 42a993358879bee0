#include "CaseFormat.h"

#include "config/Utf8.h"

#include <cstdio>
#include <sstream>

namespace {

// Length of the valid multi-byte UTF-8 sequence at text[at], or 0.
size_t Utf8Length(const std::string& text, size_t at)
{
    unsigned char lead = static_cast<unsigned char>(text[at]);
    size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                  : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (length == 0 || at + length > text.size())
        return 0;
    for (size_t i = 1; i < length; ++i) {
        unsigned char next = static_cast<unsigned char>(text[at + i]);
        if (next < 0x80 || next > 0xBF)
            return 0;
    }
    return length;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool ReadQuoted(std::istream& in, std::string& bytes)
{
    bytes.clear();
    char c;
    if (!(in >> c) || c != '"')
        return false;
    while (in.get(c)) {
        if (c == '"')
            return true;
        if (c != '\\') {
            bytes += c;
            continue;
        }
        if (!in.get(c))
            return false;
        switch (c) {
        case '\\': bytes += '\\'; break;
        case '"': bytes += '"'; break;
        case 'n': bytes += '\n'; break;
        case 'r': bytes += '\r'; break;
        case 't': bytes += '\t'; break;
        case 'x': {
            char high, low;
            if (!in.get(high) || !in.get(low) || HexValue(high) < 0 || HexValue(low) < 0)
                return false;
            bytes += static_cast<char>(HexValue(high) * 16 + HexValue(low));
            break;
        }
        default:
            return false;
        }
    }
    return false;
}

}  // namespace

std::string Quote(const std::string& bytes)
{
    std::string out = "\"";
    for (size_t i = 0; i < bytes.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        switch (c) {
        case '\\': out += "\\\\"; continue;
        case '"': out += "\\\""; continue;
        case '\n': out += "\\n"; continue;
        case '\r': out += "\\r"; continue;
        case '\t': out += "\\t"; continue;
        }
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else if (size_t length = c >= 0x80 ? Utf8Length(bytes, i) : 0) {
            out.append(bytes, i, length);
            i += length - 1;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out + "\"";
}

std::string ToUtf8(const std::wstring& text)
{
    std::string out;
    for (wchar_t wide : text) {
        unsigned char bytes[utf8CharacterSize];
        int length = EncodeUtf8(static_cast<long>(wide), bytes);
        out.append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(length));
    }
    return out;
}

bool ParseExpected(const std::string& text, CaseCall& call, Outcome& outcome, std::string& error)
{
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream in(line);
        std::string item;
        in >> item;
        bool ok = true;
        if (item == "list") {
            call.programList = true;
            ok = static_cast<bool>(in >> call.last >> call.method);
        } else if (item == "result") {
            ok = static_cast<bool>(in >> outcome.result);
        } else if (item == "interval") {
            ok = static_cast<bool>(in >> outcome.interval);
        } else if (item == "rule") {
            LoadedRule rule;
            ok = (in >> rule.index >> rule.method) && ReadQuoted(in, rule.name);
            outcome.rules.push_back(rule);
        } else if (item == "box") {
            ShownBox box;
            ok = ReadQuoted(in, box.caption) && ReadQuoted(in, box.text) && ReadQuoted(in, box.path);
            outcome.boxes.push_back(box);
        } else {
            ok = false;
        }
        std::string rest;
        if (!ok || (in >> rest)) {
            error = "line " + std::to_string(number) + ": " + line;
            return false;
        }
    }
    return true;
}

std::string Render(const Outcome& outcome)
{
    std::ostringstream out;
    out << "result " << outcome.result << "\n";
    out << "interval " << outcome.interval << "\n";
    for (const LoadedRule& rule : outcome.rules)
        out << "rule " << rule.index << " " << rule.method << " " << Quote(rule.name) << "\n";
    for (const ShownBox& box : outcome.boxes)
        out << "box " << Quote(box.caption) << " " << Quote(box.text) << " " << Quote(box.path) << "\n";
    return out.str();
}
