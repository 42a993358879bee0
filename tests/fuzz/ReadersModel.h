#pragma once
// A second, deliberately plain account of the settings format, written over whole files
// held in strings: the fuzzer holds the real readers to it on every input.
#include <map>
#include <string>
#include <vector>

struct ModelRule {
    int method;
    std::string name;
};

enum class ModelBoxKind { SettingsUnreadable, ListUnreadable, TooManyRules };

struct ModelBox {
    ModelBoxKind kind;
    std::string path;
};

// One file as opened: its encoding (as TextEncoding numbers it) and whether it looks
// like UTF-16 without a mark.
struct ModelOpen {
    std::string path;
    int encoding;
    bool looksLikeUtf16;
};

struct ModelOutcome {
    int result = -1;
    int interval = 5000;
    std::vector<ModelRule> rules;
    std::vector<ModelBox> boxes;
    std::vector<ModelOpen> opens;        // every file opened, in order
    std::map<std::string, int> invalid;  // invalid sequences read, by path
};

// Files saved as UTF-8 or UTF-16 are converted to this code page (iconv's name).
extern const char modelCodePage[];

// The files that exist, by the exact name a reader would open; any other name can't
// be opened. interval starts at 5000.
typedef std::map<std::string, std::string> ModelFiles;

ModelOutcome ModelLoadSettings(const ModelFiles& files, const std::string& path);
