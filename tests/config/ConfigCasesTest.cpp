// Every cases/NAME.expected is one test: NAME.cfg and the program lists it reads are
// loaded from a scratch copy of the cases folder, and what the readers left behind
// must match the expected file exactly.
#include "CaseFormat.h"
#include "LoadCase.h"

#include "policy/SettingsPolicy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

const fs::path casesDirectory = PYXEN_CONFIG_CASES;

std::vector<std::string> CaseNames()
{
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(casesDirectory))
        if (entry.path().extension() == ".expected")
            names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The input files of every case (never the expected files), copied into the scratch
// directory so that the readers open them by the relative names the cases use.
void CopyInputs(const fs::path& to)
{
    for (const fs::directory_entry& entry : fs::directory_iterator(casesDirectory))
        if (entry.path().extension() != ".expected")
            fs::copy_file(entry.path(), to / entry.path().filename());
}

class ConfigCase : public testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        CopyInputs(scratch.Path());
        std::string error;
        ASSERT_TRUE(ParseExpected(ReadBytes(casesDirectory / (GetParam() + ".expected")), call, expected,
                                  error))
            << GetParam() << ".expected: " << error;
        ResetReaders();
    }

    void ExpectLoadedAsExpected()
    {
        Outcome actual = LoadAndCapture(GetParam() + ".cfg", call);
        EXPECT_EQ(Render(expected), Render(actual));
    }

    ScratchDirectory scratch;
    CaseCall call;
    Outcome expected;
};

TEST_P(ConfigCase, LoadsAsExpected)
{
    ExpectLoadedAsExpected();
}

// Text mode reads CR LF as LF before anything else looks at the bytes, so a file saved
// with CR LF line ends gives the same rules, including where long lines are split.
// Files that hold a CR already are left alone: converting them would change them.
TEST_P(ConfigCase, SameWithCrLfLineEnds)
{
    for (const fs::directory_entry& entry : fs::directory_iterator(scratch.Path())) {
        std::string bytes = ReadBytes(entry.path());
        if (bytes.find('\r') != std::string::npos)
            continue;
        std::string converted;
        for (char c : bytes) {
            if (c == '\n')
                converted += '\r';
            converted += c;
        }
        WriteBytes(entry.path(), converted);
    }
    ExpectLoadedAsExpected();
}

// The settings file's lines as UTF-16, one a line, as an administrator would type them
// into the policy's list; false for a file whose text the policy can't carry as it is
// (ANSI bytes, invalid UTF-8, UTF-16, a NUL or a Ctrl-Z).
bool AsPolicyLines(const std::string& bytes, std::vector<std::u16string>& lines)
{
    size_t at = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    std::u16string line;
    while (at < bytes.size()) {
        unsigned char lead = static_cast<unsigned char>(bytes[at]);
        int extra = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : -1;
        if (extra < 0 || lead == 0 || lead == 0x1A || lead > 0xF4 || at + static_cast<size_t>(extra) >= bytes.size() + (extra ? 0 : 1))
            return false;
        long code = extra ? lead & (0x3F >> extra) : lead;
        for (int k = 1; k <= extra; ++k) {
            unsigned char next = static_cast<unsigned char>(bytes[at + static_cast<size_t>(k)]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        at += static_cast<size_t>(extra) + 1;
        if (code == '\n') {
            if (!line.empty() && line.back() == u'\r')
                line.pop_back();
            lines.push_back(line);
            line.clear();
        } else if (code >= 0x10000) {
            line += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            line += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            line += static_cast<char16_t>(code);
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return true;
}

// The same lines from the policy give the same rules, byte for byte, and the same
// interval: the policy's text goes through the very readers the file does.
class PolicyCase : public ConfigCase {};

TEST_P(PolicyCase, SameFromThePolicy)
{
    std::vector<std::u16string> lines;
    ASSERT_TRUE(AsPolicyLines(ReadBytes(scratch.Path() / (GetParam() + ".cfg")), lines));
    static RegistryKey values;
    static RegistryKey list;
    static SettingsPolicy policy;
    ClearRegistryKey(values, true);
    AddNumberValue(values, "SettingsFromPolicy", 1);
    ClearRegistryKey(list, true);
    for (size_t i = 0; i < lines.size(); ++i)
        AddTextValue(list, std::to_string(i + 1).c_str(), reinterpret_cast<const uint16_t*>(lines[i].data()),
                     static_cast<int>(lines[i].size()));
    SettingsFromValues(values, list, RegistryView::Native, policy);
    ASSERT_EQ(policy.state, SettingsPolicyState::Enabled);
    Outcome fromFile = LoadAndCapture(GetParam() + ".cfg", call);
    ResetReaders();
    ServeSettingsPolicy(&policy);
    Outcome fromPolicy = LoadAndCapture(settingsPolicyPath, call);
    ServeSettingsPolicy(nullptr);
    fromFile.boxes.clear();  // they name the settings, which differ
    fromPolicy.boxes.clear();
    EXPECT_EQ(Render(fromFile), Render(fromPolicy));
}

std::string TestName(const testing::TestParamInfo<std::string>& info)
{
    std::string name = info.param;
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
}

// The cases whose settings file, not a program list, the policy's list can hold as it is.
std::vector<std::string> PolicyCaseNames()
{
    std::vector<std::string> names;
    for (const std::string& name : CaseNames()) {
        CaseCall call;
        Outcome expected;
        std::string error;
        std::vector<std::u16string> lines;
        fs::path file = casesDirectory / (name + ".cfg");
        if (ParseExpected(ReadBytes(casesDirectory / (name + ".expected")), call, expected, error) &&
            !call.programList && fs::exists(file) && AsPolicyLines(ReadBytes(file), lines))
            names.push_back(name);
    }
    return names;
}

INSTANTIATE_TEST_SUITE_P(Cases, ConfigCase, testing::ValuesIn(CaseNames()), TestName);
INSTANTIATE_TEST_SUITE_P(Cases, PolicyCase, testing::ValuesIn(PolicyCaseNames()), TestName);

}  // namespace
