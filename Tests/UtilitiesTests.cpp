#include "Utilities.h"

#include "Folders.h"
#include "LevelWorldSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Buffer {
    uint8_t *data = nullptr;
    int32_t capacity = 0;
    int32_t length = 0;
    ~Buffer() { std::free(data); }
};

} // namespace

TEST(GrowableBuffer, NullSourceWritesZerosAndEmptyBufferStarts)
{
    Buffer b;
    uint8_t bytes[3] = {1, 2, 3};
    ASSERT_TRUE(appendToBufferAndReallocIfNecessary(&b.data, &b.capacity, &b.length, 3, bytes));
    EXPECT_EQ(b.capacity, 4); // 0 -> 1 -> 2 -> 4
    ASSERT_TRUE(appendToBufferAndReallocIfNecessary(&b.data, &b.capacity, &b.length, 5, nullptr));
    EXPECT_EQ(b.length, 8);
    EXPECT_EQ(b.capacity, 8);
    EXPECT_EQ(b.data[2], 3);
    for (int i = 3; i < 8; i++)
        EXPECT_EQ(b.data[i], 0);
    EXPECT_FALSE(appendToBufferAndReallocIfNecessary(&b.data, &b.capacity, &b.length, -1, bytes));
    EXPECT_EQ(b.length, 8);
}

TEST(BigEndianReader, ConvertsElementsAndRefusesOverruns)
{
    const uint8_t block[] = {0x00, 0x00, 0x01, 0x02, 0xAB, 0xCD, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
    int32_t size = int32_t(sizeof block);
    int32_t position = 0;
    int32_t value = 0;
    ASSERT_TRUE(readBytesFromMemoryBlock(block, size, &position, 4, 4, &value));
    EXPECT_EQ(value, 258);
    EXPECT_EQ(position, 4);
    uint16_t shorts = 0;
    ASSERT_TRUE(readBytesFromMemoryBlock(block, size, &position, 2, 2, &shorts));
    EXPECT_EQ(shorts, 0xABCD);
    uint64_t wide = 0;
    ASSERT_TRUE(readBytesFromMemoryBlock(block, size, &position, 8, 8, &wide));
    EXPECT_EQ(wide, 0x0102030405060708ull);
    EXPECT_EQ(position, size);

    // At size - 3 a 4-byte read fails with the message and leaves the cursor.
    position = size - 3;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(readBytesFromMemoryBlock(block, size, &position, 4, 4, &value));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Read error at 11: End of buffer\n");
    EXPECT_EQ(position, size - 3);

    // A negative count is refused the same way.
    position = 0;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(readBytesFromMemoryBlock(block, size, &position, -1, 1, &value));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Read error at 0: End of buffer\n");
    EXPECT_EQ(position, 0);

    // A null destination skips; bytes copy as they are.
    ASSERT_TRUE(readBytesFromMemoryBlock(block, size, &position, 2, 1, nullptr));
    uint8_t raw[2];
    ASSERT_TRUE(readBytesFromMemoryBlock(block, size, &position, 2, 1, raw));
    EXPECT_EQ(raw[0], 0x01);
    EXPECT_EQ(raw[1], 0x02);
}

TEST(TextScanning, LineAndWhitespaceEdges)
{
    const char text[] = "Header\r\n  Type: Static\n";
    int32_t length = int32_t(std::strlen(text));
    EXPECT_EQ(getNextLineIndex(text, length, 0), 6);
    EXPECT_EQ(getNextLineIndex(text, length, 6), 6); // on a break: that position
    EXPECT_EQ(skipWhitespace(text, length, 6), 10);
    EXPECT_EQ(getNextLineIndex("no breaks", 9, 0), -1);
    EXPECT_EQ(getNextLineIndex(text, length, -1), -1);
    EXPECT_EQ(getNextLineIndex(text, length, length), -1);
    EXPECT_EQ(skipWhitespace("abc   ", 6, 3), -1);
    EXPECT_EQ(skipWhitespace("abc", 3, -2), -1);
    const char withNul[] = {'\0', '\t', 'x'};
    EXPECT_EQ(skipWhitespace(withNul, 3, 0), 2);
}

TEST(Folders, CreateFindAndRefuse)
{
    levelworld::TemporaryFolder folder;
    const fs::path &root = folder.path();
    fs::path made;
    ASSERT_TRUE(getFolderRefAndCreateIfNecessary(root, "User levels", &made));
    EXPECT_EQ(made, root / "User levels");
    EXPECT_TRUE(fs::is_directory(made));
    fs::path again;
    ASSERT_TRUE(getFolderRefAndCreateIfNecessary(root, "User levels", &again));
    EXPECT_EQ(again, made);
    // A file in the way, a missing parent, a name that is a path.
    std::ofstream(root / "blocked") << "x";
    EXPECT_FALSE(getFolderRefAndCreateIfNecessary(root, "blocked", &made));
    EXPECT_FALSE(getFolderRefAndCreateIfNecessary(root / "missing", "x", &made));
    EXPECT_FALSE(getFolderRefAndCreateIfNecessary(root, "a/b", &made));
    EXPECT_FALSE(getFolderRefAndCreateIfNecessary(root, "..", &made));
    if (geteuid() != 0) {
        fs::path locked = root / "locked";
        fs::create_directory(locked);
        chmod(locked.c_str(), 0500);
        EXPECT_FALSE(getFolderRefAndCreateIfNecessary(locked, "inner", &made));
        chmod(locked.c_str(), 0700);
    }
}

TEST(Folders, ListingIsSortedBoundedAndNullForMissing)
{
    levelworld::TemporaryFolder folder;
    const fs::path &root = folder.path();
    EXPECT_FALSE(listFilesInFolder(root / "missing").has_value());
    std::ofstream(root / "b") << "1";
    std::ofstream(root / "a") << "1";
    fs::create_directory(root / "c");
    auto items = listFilesInFolder(root);
    ASSERT_TRUE(items.has_value());
    ASSERT_EQ(items->size(), 3u);
    EXPECT_EQ((*items)[0].filename(), "a");
    EXPECT_EQ((*items)[2].filename(), "c");
    for (int i = 0; i < 1005; i++)
        std::ofstream(root / std::to_string(1000 + i));
    items = listFilesInFolder(root);
    ASSERT_TRUE(items.has_value());
    EXPECT_EQ(int32_t(items->size()), kMaxFolderListing);
}

TEST(Folders, XdgLocations)
{
    const char *oldData = std::getenv("XDG_DATA_HOME");
    std::string saved = oldData ? oldData : "";
    setenv("XDG_DATA_HOME", "/tmp/xdg-data", 1);
    EXPECT_EQ(PlatformUserDataFolder(), fs::path("/tmp/xdg-data/Brimhold"));
    setenv("XDG_DATA_HOME", "relative/ignored", 1);
    EXPECT_EQ(PlatformUserDataFolder().filename(), "Brimhold");
    EXPECT_NE(PlatformUserDataFolder().string().find(".local/share"), std::string::npos);
    if (oldData)
        setenv("XDG_DATA_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");

    levelworld::TemporaryFolder folder;
    const fs::path &root = folder.path();
    const char *oldConfig = std::getenv("XDG_CONFIG_HOME");
    std::string savedConfig = oldConfig ? oldConfig : "";
    setenv("XDG_CONFIG_HOME", root.c_str(), 1);
    EXPECT_EQ(PlatformPreferencesFolder(), root / "Brimhold");
    std::ofstream(root / "user-dirs.dirs") << "# comment\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n";
    const char *home = std::getenv("HOME");
    ASSERT_NE(home, nullptr);
    EXPECT_EQ(PlatformDesktopFolder(), fs::path(home) / "Schreibtisch");
    std::ofstream(root / "user-dirs.dirs") << "XDG_DESKTOP_DIR=\"/srv/desk\"\n";
    EXPECT_EQ(PlatformDesktopFolder(), fs::path("/srv/desk"));
    fs::remove(root / "user-dirs.dirs");
    EXPECT_EQ(PlatformDesktopFolder(), fs::path(home) / "Desktop");
    if (oldConfig)
        setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

namespace {
std::vector<std::string> presented;
void RecordAlert(const char *message)
{
    presented.push_back(message);
    // An alert raised while one is showing is only printed.
    alertf("nested %d", 2);
}
} // namespace

TEST(Alerts, FormattedPrintedAndNeverNested)
{
    presented.clear();
    setAlertPresenter(RecordAlert);
    testing::internal::CaptureStdout();
    alertf("Error loading file \"%s\": %d", "Block.modl", 3);
    std::string out = testing::internal::GetCapturedStdout();
    setAlertPresenter(nullptr);
    ASSERT_EQ(presented.size(), 1u);
    EXPECT_EQ(presented[0], "Error loading file \"Block.modl\": 3");
    EXPECT_EQ(out, "Error loading file \"Block.modl\": 3\nnested 2\n");
}
