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

struct ModelOutcome {
    int result = -1;
    int interval = 5000;
    std::vector<ModelRule> rules;
    std::vector<ModelBox> boxes;
    std::vector<std::string> listPaths;  // every path a READ line of the settings file names
};

// The files that exist, by the exact name a reader would open; any other name can't
// be opened. interval starts at 5000.
typedef std::map<std::string, std::string> ModelFiles;

ModelOutcome ModelLoadSettings(const ModelFiles& files, const std::string& path);
