// Every cases/NAME.expected is one test: NAME.cfg and the program lists it reads are
// loaded from a scratch copy of the cases folder, and what the readers left behind
// must match the expected file exactly.
#include "CaseFormat.h"
#include "LoadCase.h"

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

std::string TestName(const testing::TestParamInfo<std::string>& info)
{
    std::string name = info.param;
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Cases, ConfigCase, testing::ValuesIn(CaseNames()), TestName);

}  // namespace
