#pragma once
// The text form of what loading left behind, written by hand in cases/NAME.expected and
// produced from the readers' real outcome, so that a failing case prints both side by
// side in one comparable form.
#include <string>
#include <vector>

struct LoadedRule {
    int index;
    int method;
    std::string name;  // the bytes of the name
};

struct ShownBox {
    std::string caption;  // UTF-8
    std::string text;     // UTF-8
    std::string path;     // the bytes of the path
};

struct Outcome {
    int result = -1;
    int interval = 5000;
    std::vector<LoadedRule> rules;
    std::vector<ShownBox> boxes;
};

// How a case is loaded: LoadSettings, or LoadProgramList with last and method.
struct CaseCall {
    bool programList = false;
    int last = -1;
    int method = 0;
};

// Expected-file syntax, one item a line, '#' lines and blank lines ignored:
//   list LAST METHOD            load with LoadProgramList instead of LoadSettings
//   result N
//   interval N
//   rule INDEX METHOD "NAME"    every rule added, in index order
//   box "CAPTION" "TEXT" "PATH" every message box, in order
// Strings are double-quoted with the escapes \\ \" \n \r \t \xHH; other bytes stand
// for themselves (the Japanese texts are written in UTF-8).
bool ParseExpected(const std::string& text, CaseCall& call, Outcome& outcome, std::string& error);

// The canonical form: equal outcomes render equal, and any byte difference shows.
std::string Render(const Outcome& outcome);

std::string Quote(const std::string& bytes);
std::string ToUtf8(const std::wstring& text);
