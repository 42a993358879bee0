#include "ReadersModel.h"

#include <algorithm>
#include <cstdint>

namespace {

const size_t pieceSize = 249;
const size_t tableSize = 250;

// Text mode first (CR LF to LF, stop at the first Ctrl-Z), then pieces of at most 249
// characters ending at a line feed, then each piece's content up to its first NUL.
std::vector<std::string> Lines(const std::string& bytes)
{
    std::string text;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\x1A')
            break;
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue;
        text += bytes[i];
    }
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        size_t take = std::min(end == std::string::npos ? text.size() - at : end - at + 1, pieceSize);
        std::string piece = text.substr(at, take);
        at += take;
        if (piece.back() == '\n')
            piece.pop_back();
        lines.push_back(piece.substr(0, piece.find('\0')));
    }
    return lines;
}

int Number(const std::string& line, size_t position)
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

bool Begins(const std::string& line, const char* keyword)
{
    return line.compare(0, std::char_traits<char>::length(keyword), keyword) == 0;
}

struct Loader {
    const ModelFiles& files;
    ModelOutcome& out;
    bool tooManyTold = false;

    void AddRule(const std::string& line, int defaultMethod, const std::string& path)
    {
        ModelRule rule{defaultMethod, line};
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
        for (const std::string& line : Lines(file->second)) {
            if (line.empty() || line[0] == '#')
                continue;
            if (settings && Begins(line, "INTER")) {
                out.interval = Number(line, 6);
            } else if (Begins(line, "METHOD")) {
                defaultMethod = Number(line, 7);
            } else if (settings && Begins(line, "READ")) {
                if (line.size() == 4)
                    continue;
                out.listPaths.push_back(line.substr(5));
                Read(line.substr(5), false, defaultMethod);
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
    Loader loader{files, out};
    loader.Read(path, true, 0);
    out.result = static_cast<int>(out.rules.size()) - 1;
    return out;
}
