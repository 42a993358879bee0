// libFuzzer target for the settings readers. An input is a settings file, optionally
// followed by the marker line and a program list; both are written as pyxen.cfg and
// list.txt into a private directory, and LoadSettings reads them from there. Any bytes
// at all must load without a sanitizer report, and the outcome must match the plain
// account in ReadersModel.cpp exactly, and what an observer is told must be sound; a
// difference aborts with both outcomes printed.
#include "ReadersModel.h"

#include "config/ConfigObserver.h"
#include "config/Messages.h"
#include "config/Settings.h"
#include "platform/FakeDesktop.h"
#include "rules/Rule.h"
#include "tests/config/ReaderReset.h"

#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>

namespace {

const char marker[] = "\n--- list.txt ---\n";
const char settingsName[] = "pyxen.cfg";
const char listName[] = "list.txt";

std::string directory;
int homeDirectory = -1;  // the directory libFuzzer was started in, for its own files

void RemoveDirectory()
{
    std::string settings = directory + "/" + settingsName, list = directory + "/" + listName;
    unlink(settings.c_str());
    unlink(list.c_str());
    rmdir(directory.c_str());
}

void WriteFile(const char* name, const std::string& bytes)
{
    FILE* file = fopen(name, "wb");
    if (!file || fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || fclose(file) != 0) {
        perror(name);
        abort();
    }
}

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
    abort();
}

// What the settings checker is told must describe the line as read: its content ends
// at its length, and a line number exists once the file is open.
void CheckEvent(ConfigEvent event, const ConfigLine& line, int value)
{
    bool sound = line.path && line.content && line.length >= 0 && line.length < 250 &&
                 strlen(line.content) == static_cast<size_t>(line.length) &&
                 (event == ConfigEvent::FileUnreadable ? line.number == 0 : line.number >= 1) &&
                 (event != ConfigEvent::RuleAdded || (value >= 0 && value < ruleCapacity));
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
    for (int i = 0; i < ruleCapacity; ++i) {
        const Rule& rule = rules[i];
        if (i > result) {
            if (!IsUntouched(rule))
                Fail("a rule past the result was written", model, result);
            continue;
        }
        size_t length = strnlen(rule.name, nameSize);
        if (length == static_cast<size_t>(nameSize))
            Fail("a name without its NUL", model, result);
        if (memchr(rule.name, '\n', length) || memchr(rule.name, '\x1A', length))
            Fail("a line feed or Ctrl-Z inside a name", model, result);
        if (static_cast<size_t>(i) >= model.rules.size() || rule.method != model.rules[i].method ||
            std::string(rule.name, length) != model.rules[i].name)
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
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/pyxen-fuzz-XXXXXX";
    homeDirectory = open(".", O_RDONLY | O_DIRECTORY);
    if (!mkdtemp(pattern.data()) || homeDirectory < 0) {
        perror("readers fuzzer: private directory");
        abort();
    }
    directory = pattern;
    atexit(RemoveDirectory);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t split = input.find(marker);
    ModelFiles files;
    files[settingsName] = input.substr(0, split);
    if (split != std::string::npos)
        files[listName] = input.substr(split + sizeof marker - 1);

    ModelOutcome model = ModelLoadSettings(files, settingsName);
    // The readers open what a READ line names; keep them inside the private directory,
    // where every other name is missing.
    for (const std::string& path : model.listPaths)
        if (path.find('/') != std::string::npos || path == "." || path == "..")
            return -1;

    if (chdir(directory.c_str()) != 0)
        abort();
    WriteFile(settingsName, files[settingsName]);
    if (files.count(listName))
        WriteFile(listName, files[listName]);
    else
        unlink(listName);

    ResetReaders();
    configObserver = CheckEvent;
    int result = LoadSettings(settingsName);
    if (fchdir(homeDirectory) != 0)
        abort();

    Check(model, result);
    return 0;
}
