#pragma once
// The desktop both sweep benchmarks measure: window titles as a lab PC shows them and a
// full table of 250 rules, none of which matches any of those titles. Differs is left
// out because it matches nearly every title. Shared by the native and the Wine run so
// that their figures compare like with like.
#include "rules/Rule.h"

#include <string>

namespace bench {

// Shift JIS (code page 932) words, spelled byte by byte.
#define BENCH_MINUTES "\x8B\x63\x8E\x96\x98\x5E"
#define BENCH_NEW_FOLDER "\x90\x56\x82\xB5\x82\xA2\x83\x74\x83\x48\x83\x8B\x83\x5F\x81\x5B"
#define BENCH_TEXT_EDITOR "\x83\x65\x83\x4C\x83\x58\x83\x67\x20\x83\x47\x83\x66\x83\x42\x83\x5E\x81\x5B"
#define BENCH_HOUSEHOLD "\x89\xC6\x8C\x76\x95\xEB"
#define BENCH_SPREADSHEET "\x95\x5C\x8C\x76\x8E\x5A"
#define BENCH_HOMEWORK "\x8F\x68\x91\xE8"
#define BENCH_GAME "\x83\x51\x81\x5B\x83\x80"
#define BENCH_VIDEO_PLAYER "\x93\xAE\x89\xE6\x83\x76\x83\x8C\x81\x5B\x83\x84\x81\x5B"
#define BENCH_SHOGI "\x8F\xAB\x8A\xFB"
#define BENCH_MAHJONG "\x96\x83\x90\x9D"
#define BENCH_CHAT "\x83\x60\x83\x83\x83\x62\x83\x67"
#define BENCH_ONLINE "\x83\x49\x83\x93\x83\x89\x83\x43\x83\x93"

inline std::string WindowTitleFor(int index)
{
    static const char* const documents[] = {
        "report", "Budget 2024.xlsx", "notes.txt", "Inbox", "Homework week 12",
        "lab-results.csv", "Untitled", "main.cpp", "Timetable", "Class photo.jpg",
        BENCH_MINUTES ".txt", BENCH_HOUSEHOLD ".xlsx", BENCH_HOMEWORK ".docx",
        "Downloads", "Search results", "index.html",
    };
    static const char* const programs[] = {
        "Text Editor", "Spreadsheet", "Mail", "Web Browser", "File Manager", "Paint",
        "Terminal", "Calculator", "Presentation", "Word Processor", "Photo Viewer",
        BENCH_TEXT_EDITOR, BENCH_SPREADSHEET, "PDF Reader",
    };
    const int documentCount = sizeof documents / sizeof documents[0];
    const int programCount = sizeof programs / sizeof programs[0];
    switch (index % 7) {
    case 0:  // a bare program window
        return programs[index % programCount];
    case 1:
        return BENCH_NEW_FOLDER;
    default:
        return std::string(documents[index % documentCount]) + " (" +
               std::to_string(index) + ") - " + programs[(index / 3) % programCount];
    }
}

// Fills rules 0 to 249 and sets lastRule to 249; half Exact, half Contains.
inline void LoadBenchRules()
{
    static const char* const names[] = {
        "Solitaire", "Space Raiders", "Block Puzzle", "Chess Online", "Poker Night",
        "Racing Turbo", "Chat Room", "Video Stream", "Music Box", "Tower Defense",
        "Farm Story", "Dungeon Quest", "Pinball", "Sudoku Master", "Kart Racer",
        "Sky Fighter", "Bubble Shooter", "Jewel Match", "Hearts", "Spider Cards",
        "Tetra Blocks", "Galaxy Wars", "Zombie Siege", "Pixel Party", "Minigolf",
        BENCH_GAME, BENCH_VIDEO_PLAYER, BENCH_SHOGI, BENCH_MAHJONG, BENCH_CHAT,
        BENCH_ONLINE BENCH_GAME, "Torrent", "Proxy Switcher", "Remote Desktop Viewer",
        "Cheat Engine Lite", "Emulator", "Streaming Studio", "Casino Royale",
        "Trivia Night", "Word Hunt",
    };
    static const char* const variants[] = {
        "", " 2", " 3", " Deluxe", " HD", " - Free Edition", " Online",
    };
    const int nameCount = sizeof names / sizeof names[0];
    const int variantCount = sizeof variants / sizeof variants[0];
    for (int i = 0; i < ruleCapacity; ++i) {
        std::string name = std::string(names[i % nameCount]) + variants[(i / nameCount) % variantCount];
        rules[i].SetMethod((i + i / nameCount) % 2 ? Contains : Exact);
        rules[i].SetName(name.c_str());
    }
    lastRule = ruleCapacity - 1;
}

// True when some loaded rule matches the title: a benchmark that saw this would be
// measuring close requests, not comparisons.
inline bool AnyRuleMatches(const WindowTitle& title)
{
    for (int i = 0; i <= lastRule; ++i)
        if (rules[i].Matches(title))
            return true;
    return false;
}

}  // namespace bench
