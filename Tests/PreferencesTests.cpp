// The preference store: defaults, the 283-byte file byte for byte, and files
// that are missing, short, long or garbage.
#include "Folders.h"
#include "LevelWorldSupport.h"
#include "Preferences.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class PreferencesStore : public ::testing::Test {
protected:
    levelworld::TemporaryFolder folder;
    const fs::path &root = folder.path();
    levelworld::ScopedEnv config{"XDG_CONFIG_HOME", (root / "config").c_str()};

    void TearDown() override { PrefsShutDown(); }
    void WriteFile(const std::vector<uint8_t> &bytes)
    {
        fs::create_directories(PlatformPreferencesFolder());
        levelworld::WriteBytes(PrefsGetFilePath(), bytes);
    }
    std::vector<uint8_t> ReadFile() { return levelworld::ReadBytes(PrefsGetFilePath()); }
};

int32_t Flag(int32_t key)
{
    int32_t value = -1;
    PrefsGetValue(key, &value);
    return value;
}

std::string Text()
{
    char text[kPrefsTextSize];
    std::memset(text, 'x', sizeof text);
    PrefsGetValue(kPrefsKeyText, text);
    return std::string(text, strnlen(text, sizeof text));
}

void ExpectDefaults()
{
    const int32_t flags[7] = {1, 1, 0, 0, 1, 0, 1};
    for (int32_t k = 0; k < 7; k++)
        EXPECT_EQ(Flag(k), flags[k]) << k;
    EXPECT_EQ(Text(), "Test levels");
}

TEST_F(PreferencesStore, DefaultsBeforeStartUpOnAFreshInstallationFromAnEmptyFileAndForOtherKeys)
{
    ExpectDefaults();
    PrefsSetValue(0, 0); // ignored: there is no record yet
    EXPECT_EQ(Flag(0), 1);
    PrefsStartUp();
    ExpectDefaults();
    EXPECT_FALSE(fs::exists(PrefsGetFilePath()));
    PrefsShutDown();
    WriteFile({});
    PrefsStartUp();
    ExpectDefaults();
    // Other keys are ignored.
    int32_t value = 42;
    PrefsGetValue(8, &value);
    PrefsGetValue(-1, &value);
    EXPECT_EQ(value, 42);
    PrefsSetValue(7, 0);
    PrefsSetValue(9, 0);
    PrefsSetText(3, "nope");
    ExpectDefaults();
}

TEST_F(PreferencesStore, WritesTheFileByteForByte)
{
    PrefsStartUp();
    PrefsSetValue(kPrefsKeySound, 0);
    PrefsSetValue(kPrefsKeyFSAA, 7);
    PrefsSetValue(kPrefsKeyStartFullScreen, 1);
    PrefsSetText(kPrefsKeyText, "Abc");
    PrefsShutDown();

    // The record (flags 0 1 1 0 1 1 1, then "Abc" and zeros) written in
    // overlapping four-byte groups: group k is record bytes k to k + 3.
    const uint8_t record[12] = {0, 1, 1, 0, 1, 1, 1, 'A', 'b', 'c', 0, 0};
    std::vector<uint8_t> expected(size_t(kPrefsFileSize), 0);
    for (size_t k = 0; k < 7; k++)
        std::memcpy(&expected[4 * k], record + k, 4);
    std::memcpy(&expected[28], "Abc", 3);
    EXPECT_EQ(ReadFile(), expected);
    ExpectDefaults(); // the record is gone with the shut-down
}

// How flags are laid out is checked by the byte-for-byte and short-file tests.
TEST_F(PreferencesStore, AnOverlongTextIsCutToFit)
{
    PrefsStartUp();
    PrefsSetText(kPrefsKeyText, std::string(300, 'L').c_str());
    PrefsShutDown();
    EXPECT_EQ(ReadFile().size(), size_t(kPrefsFileSize));
    PrefsStartUp();
    EXPECT_EQ(Text(), std::string(254, 'L'));
}

TEST_F(PreferencesStore, ShortFileTakesWhatTheReadsReach)
{
    // Ten bytes: groups 0 and 1 whole, group 2 half.  Flag 2 is byte 8,
    // flag 4 was reached by the second read (file byte 7), and record bytes
    // past what the reads reach keep their defaults.
    WriteFile({0, 9, 9, 0, 0, 9, 9, 0, 1, 0});
    PrefsStartUp();
    EXPECT_EQ((std::vector<int32_t>{Flag(0), Flag(1), Flag(2), Flag(3), Flag(4), Flag(5), Flag(6)}),
              (std::vector<int32_t>{0, 0, 1, 0, 0, 0, 1}));
    EXPECT_EQ(Text(), "Test levels");
}

TEST_F(PreferencesStore, GarbageFlagsBecomeZeroOrOneAndTheTextIsTerminated)
{
    std::vector<uint8_t> bytes(400, 0xA5);
    for (int32_t k = 0; k < 7; k++)
        bytes[size_t(4 * k)] = uint8_t(k == 3 ? 0 : 0x80 + k);
    WriteFile(bytes);
    PrefsStartUp();
    for (int32_t k = 0; k < 7; k++)
        EXPECT_EQ(Flag(k), k == 3 ? 0 : 1) << k;
    EXPECT_EQ(Text(), std::string(254, char(0xA5)));
    // Longer than 283 bytes: the rest is ignored, and the file is rewritten
    // at its proper size.
    PrefsShutDown();
    EXPECT_EQ(ReadFile().size(), size_t(kPrefsFileSize));
}

} // namespace
