// The guard's folder when it can't be made: its Pyxens read the install folder, and the
// failure is told once.
#include "LoadCase.h"

#include "guard/FakeGuardSystem.h"
#include "guard/SettingsStore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

TEST(SettingsStoreTest, AFolderThatCantBeMadeIsToldAndThePyxensReadTheInstallFolder)
{
    ScratchDirectory scratch;
    FakeGuardReset();
    std::ofstream("install") << "a file where the install folder should be";
    EXPECT_FALSE(OpenSettingsStore("install"));
    ASSERT_EQ(FakeEvents().size(), 1u);
    EXPECT_EQ(FakeEvents()[0].event, GuardEvent::StoreFailed);
    EXPECT_EQ(FakeEvents()[0].strings, std::vector<std::wstring>{L"install/Guard"});
    EXPECT_STREQ(PyxenFolder(), "install");
    StoreText text;
    WriteStoreText(-1, 2000, text);
    EXPECT_FALSE(WriteSettingsStore(text));
}

TEST(SettingsStoreTest, AFolderWhoseFilesNamesDontFitIsNeverWritten)
{
    ScratchDirectory scratch;
    FakeGuardReset();
    // Room for the folder and its files' temporary names, not for the files' own.
    std::string install = "install/" + std::string(237, 'a');
    std::filesystem::create_directories(install);
    OpenSettingsStore(install.c_str());
    StoreText text;
    WriteStoreText(-1, 2000, text);
    EXPECT_FALSE(WriteSettingsStore(text));
    EXPECT_STREQ(PyxenFolder(), install.c_str());
}

}  // namespace
