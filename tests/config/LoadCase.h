#pragma once
// Runs the readers on files in a scratch directory, with everything they touch reset
// first, and captures what they left behind.
#include "CaseFormat.h"
#include "ReaderReset.h"

#include <filesystem>
#include <string>

// A fresh directory under the system's temporary directory, made the current
// directory for the object's lifetime and removed afterwards.
class ScratchDirectory {
public:
    ScratchDirectory();
    ~ScratchDirectory();
    const std::filesystem::path& Path() const { return path; }

private:
    std::filesystem::path path;
    std::filesystem::path previous;
};

// Loads path as call says and captures the outcome. Fails the current test when a rule
// outside the reported range was touched.
Outcome LoadAndCapture(const std::string& path, const CaseCall& call);
