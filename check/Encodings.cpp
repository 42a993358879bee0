#include "check/Encodings.h"

#include "check/AnsiText.h"
#include "check/Messages.h"
#include "check/Text.h"


std::vector<FileRead> filesRead;

namespace {

FileRead& FileOf(const char* path)
{
    for (FileRead& file : filesRead) {
        if (file.path == path)
            return file;
    }
    filesRead.push_back(FileRead{path, TextEncoding::Ansi, false});
    return filesRead.back();
}

bool HasHighByte(const ConfigLine& line)
{
    for (int i = 0; i < line.length; ++i) {
        if (static_cast<unsigned char>(line.content[i]) >= 0x80)
            return true;
    }
    return false;
}

// Where the ANSI code page is UTF-8, titles are always valid UTF-8; a file the readers
// took as ANSI bytes was not, so its bytes above 0x7F match nothing. Said once per line,
// however many events the line brings.
void CheckAnsiBytes(const FileRead& file, const Origin& at, const ConfigLine& line)
{
    static Origin warned = {"", 0};
    if (file.encoding != TextEncoding::Ansi || CheckCodePage() != 65001 || !HasHighByte(line))
        return;
    if (warned.path == at.path && warned.line == at.line)
        return;
    warned = at;
    AddWarning(at, Say(Message::AnsiOnUtf8CodePage, Quoted(line.content, line.length).c_str()));
}

}  // namespace

std::string EncodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Ansi:
        break;
    case TextEncoding::Utf8:
        return Text(Message::EncodingUtf8);
    case TextEncoding::Utf8Marked:
        return Text(Message::EncodingUtf8Marked);
    case TextEncoding::Utf16Le:
        return Text(Message::EncodingUtf16Le);
    case TextEncoding::Utf16Be:
        return Text(Message::EncodingUtf16Be);
    }
    return Say(Message::EncodingAnsi, CheckCodePage());
}

void CheckText(ConfigEvent event, const Origin& at, const ConfigLine& line, int value)
{
    FileRead& file = FileOf(line.path);
    bool hasContent = line.content != nullptr && line.number > 0;
    if (hasContent && HasHighByte(line))
        file.worthNaming = true;
    std::string quoted = hasContent ? Quoted(line.content, line.length) : "";
    // What became of a comment's text changes nothing that Pyxen does.
    bool comment = hasContent && line.length > 0 && line.content[0] == '#';
    switch (event) {
    case ConfigEvent::FileEncoding:
        file.encoding = static_cast<TextEncoding>(value);
        break;
    case ConfigEvent::LooksLikeUtf16:
        file.worthNaming = true;
        AddWarning(at, Text(Message::LooksLikeUtf16));
        break;
    case ConfigEvent::CharacterLost: {
        if (comment)
            break;
        unsigned codePoint = static_cast<unsigned>(value);
        bool isCharacter = codePoint <= 0x10FFFF && (codePoint < 0xD800 || codePoint > 0xDFFF);
        std::string character;
        AppendUtf8(isCharacter ? codePoint : 0xFFFD, character);
        AddWarning(at, Say(Message::CharacterLost, quoted.c_str(), CheckCodePage(),
                           character.c_str(), codePoint));
        break;
    }
    case ConfigEvent::TextInvalid:
        if (!comment)
            AddWarning(at, Say(Message::TextInvalid, quoted.c_str(), value,
                           EncodingName(file.encoding).c_str()));
        break;
    case ConfigEvent::MarkInside:
        if (!comment)
            AddWarning(at, Say(Message::MarkInside, quoted.c_str()));
        break;
    default:
        if (hasContent)
            CheckAnsiBytes(file, at, line);
        break;
    }
}
