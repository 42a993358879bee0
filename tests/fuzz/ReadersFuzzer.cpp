// libFuzzer target for the settings readers. An input is a settings file, optionally
// followed by the marker line and a program list; the readers open them as pyxen.cfg
// and list.txt from memory (every other name is missing), so no input touches the disk.
// Any bytes at all must load without a sanitizer report, and the outcome must match
// the plain account in ReadersModel.cpp exactly, and what an observer is told must be
// sound; a difference aborts with both outcomes printed.
#include "ReadersModel.h"

#include "config/ConfigObserver.h"
#include "config/LineReader.h"
#include "config/Messages.h"
#include "config/Settings.h"
#include "platform/CodePage.h"
#include "platform/FakeDesktop.h"
#include "rules/Rule.h"
#include "tests/config/ReaderReset.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

const char marker[] = "\n--- list.txt ---\n";
const char settingsName[] = "pyxen.cfg";
const char listName[] = "list.txt";

// The files of the input being run, served to the readers in place of the disk.
ModelFiles files;

// Stream buffers of our own, so that opening a file costs no allocation of several
// kilobytes: the settings file stays open throughout and takes the first; the lists,
// one at a time, share the second.
char streamBuffers[2][1024];
int opened;

FILE* OpenFromMemory(const char* path)
{
    ModelFiles::iterator file = files.find(path);
    if (file == files.end())
        return nullptr;
    FILE* stream = fmemopen(file->second.data(), file->second.size(), "rb");
    if (stream)
        setvbuf(stream, streamBuffers[opened++ == 0 ? 0 : 1], _IOFBF, sizeof streamBuffers[0]);
    return stream;
}

// What the observer heard of encodings: each file opened, and invalid sequences by path.
std::vector<ModelOpen> opens;
std::map<std::string, int> invalid;

std::string Show(const std::string& bytes)
{
    std::string out;
    for (unsigned char c : bytes) {
        char hex[8];
        if (c >= 0x20 && c < 0x7F && c != '\\')
            out += static_cast<char>(c);
        else
            snprintf(hex, sizeof hex, "\\x%02X", c), out += hex;
    }
    return out;
}

[[noreturn]] void Fail(const char* what, const ModelOutcome& model, int result)
{
    fprintf(stderr, "readers fuzzer: %s\n  result %d, model %d; interval %d, model %d\n", what, result,
            model.result, interval, model.interval);
    for (int i = 0; i <= result && i < ruleCapacity; ++i)
        fprintf(stderr, "  rule %d: %d \"%s\"\n", i, rules[i].method,
                Show(std::string(rules[i].name, strnlen(rules[i].name, nameSize))).c_str());
    for (size_t i = 0; i < model.rules.size(); ++i)
        fprintf(stderr, "  model rule %zu: %d \"%s\"\n", i, model.rules[i].method, Show(model.rules[i].name).c_str());
    for (const ErrorBox& box : FakeErrorBoxes())
        fprintf(stderr, "  box \"%s\"\n", Show(box.path).c_str());
    for (const ModelBox& box : model.boxes)
        fprintf(stderr, "  model box %d \"%s\"\n", static_cast<int>(box.kind), Show(box.path).c_str());
    for (const ModelOpen& open : opens)
        fprintf(stderr, "  opened %s: encoding %d%s\n", open.path.c_str(), open.encoding,
                open.looksLikeUtf16 ? ", looks like UTF-16" : "");
    for (const ModelOpen& open : model.opens)
        fprintf(stderr, "  model opened %s: encoding %d%s\n", open.path.c_str(), open.encoding,
                open.looksLikeUtf16 ? ", looks like UTF-16" : "");
    for (const auto& [path, count] : invalid)
        fprintf(stderr, "  invalid in %s: %d\n", path.c_str(), count);
    for (const auto& [path, count] : model.invalid)
        fprintf(stderr, "  model invalid in %s: %d\n", path.c_str(), count);
    abort();
}

bool AboutTheFile(ConfigEvent event)
{
    return event == ConfigEvent::FileUnreadable || event == ConfigEvent::FileEncoding ||
           event == ConfigEvent::LooksLikeUtf16;
}

// What the settings checker is told must describe the line as read: its content ends
// at its length, and a line number exists once the file is open. A lost character is
// one a code page could have: a whole code point, never an invalid sequence's U+FFFD.
void CheckEvent(ConfigEvent event, const ConfigLine& line, int value)
{
    bool sound = line.path && line.content && line.length >= 0 && line.length < 250 &&
                 strlen(line.content) == static_cast<size_t>(line.length) &&
                 (AboutTheFile(event) ? line.number == 0 && line.length == 0 : line.number >= 1) &&
                 (event != ConfigEvent::RuleAdded || (value >= 0 && value < ruleCapacity)) &&
                 (event != ConfigEvent::FileEncoding || (value >= 0 && value <= 4)) &&
                 (event != ConfigEvent::TextInvalid || value >= 1) &&
                 (event != ConfigEvent::CharacterLost || (value > 0x7F && value <= 0x10FFFF));
    if (event == ConfigEvent::FileEncoding)
        opens.push_back({line.path, value, false});
    if (event == ConfigEvent::LooksLikeUtf16) {
        // Told once, right after the file's encoding.
        sound = sound && !opens.empty() && opens.back().path == line.path && !opens.back().looksLikeUtf16;
        if (!opens.empty())
            opens.back().looksLikeUtf16 = true;
    }
    if (event == ConfigEvent::TextInvalid)
        invalid[line.path] += value;
    if (!sound) {
        fprintf(stderr, "readers fuzzer: unsound event %d at line %d, length %d, value %d\n",
                static_cast<int>(event), line.number, line.length, value);
        abort();
    }
}

const wchar_t* BoxText(ModelBoxKind kind)
{
    switch (kind) {
    case ModelBoxKind::SettingsUnreadable: return settingsUnreadableText;
    case ModelBoxKind::ListUnreadable: return listUnreadableText;
    case ModelBoxKind::TooManyRules: return tooManyRulesText;
    }
    return L"";
}

void Check(const ModelOutcome& model, int result)
{
    if (result < -1 || result >= ruleCapacity)
        Fail("result out of range", model, result);
    size_t past = static_cast<size_t>(result + 1);
    if (memcmp(static_cast<const void*>(rules + past), UntouchedTable() + past, (ruleCapacity - past) * sizeof(Rule)) != 0)
        Fail("a rule past the result was written", model, result);
    for (int i = 0; i <= result; ++i) {
        const Rule& rule = rules[i];
        size_t length = strnlen(rule.name, nameSize);
        if (length == static_cast<size_t>(nameSize))
            Fail("a name without its NUL", model, result);
        if (memchr(rule.name, '\n', length) || memchr(rule.name, '\x1A', length))
            Fail("a line feed or Ctrl-Z inside a name", model, result);
        if (static_cast<size_t>(i) >= model.rules.size() || rule.method != model.rules[i].method ||
            model.rules[i].name.compare(0, std::string::npos, rule.name, length) != 0)
            Fail("a rule differs from the model", model, result);
    }
    if (result != model.result || interval != model.interval)
        Fail("result or interval differs from the model", model, result);
    const std::vector<ErrorBox>& boxes = FakeErrorBoxes();
    if (boxes.size() != model.boxes.size())
        Fail("message boxes differ from the model", model, result);
    for (size_t i = 0; i < boxes.size(); ++i)
        if (boxes[i].caption != errorCaption || boxes[i].text != BoxText(model.boxes[i].kind) ||
            boxes[i].path != model.boxes[i].path)
            Fail("message boxes differ from the model", model, result);
    bool sameOpens = opens.size() == model.opens.size();
    for (size_t i = 0; sameOpens && i < opens.size(); ++i)
        sameOpens = opens[i].path == model.opens[i].path && opens[i].encoding == model.opens[i].encoding &&
                    opens[i].looksLikeUtf16 == model.opens[i].looksLikeUtf16;
    if (!sameOpens)
        Fail("the encodings told differ from the model", model, result);
    for (const auto& [path, count] : model.invalid)
        if (count != (invalid.count(path) ? invalid[path] : 0))
            Fail("the invalid sequences told differ from the model", model, result);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    openConfigFile = OpenFromMemory;
    SetAnsiCodePage(932);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* begin = reinterpret_cast<const char*>(data);
    const char* end = begin + size;
    const char* split = std::search(begin, end, marker, marker + sizeof marker - 1);
    files[settingsName].assign(begin, split);
    if (split != end)
        files[listName].assign(split + sizeof marker - 1, end);

    ModelOutcome model = ModelLoadSettings(files, settingsName);
    ResetReaders();
    opened = 0;
    configObserver = CheckEvent;
    int result = LoadSettings(settingsName);
    Check(model, result);
    // Each run frees what it allocated: libFuzzer looks for leaks in any that doesn't.
    FakeReset();
    files.clear();
    opens.clear();
    invalid.clear();
    opens.shrink_to_fit();
    return 0;
}
