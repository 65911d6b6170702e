#include "Utilities.h"

#include "Folders.h"
#include "LevelWorldSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>
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
    EXPECT_EQ(std::vector<uint8_t>(b.data, b.data + 8), (std::vector<uint8_t>{1, 2, 3, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(appendToBufferAndReallocIfNecessary(&b.data, &b.capacity, &b.length, -1, bytes));
    EXPECT_EQ(b.length, 8);
}

TEST(BigEndianReader, ConvertsElementsAndRefusesOverruns)
{
    const uint8_t block[] = {0x00, 0x00, 0x01, 0x02, 0xAB, 0xCD, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
    int32_t size = int32_t(sizeof block);
    int32_t position = 0;
    int32_t value = 0;
    uint16_t shorts = 0;
    uint64_t wide = 0;
    ASSERT_TRUE(readBytesFromMemoryBlock(block, size, &position, 4, 4, &value));
    EXPECT_EQ(position, 4);
    ASSERT_TRUE(readBytesFromMemoryBlock(block, size, &position, 2, 2, &shorts));
    ASSERT_TRUE(readBytesFromMemoryBlock(block, size, &position, 8, 8, &wide));
    EXPECT_EQ(std::make_tuple(value, shorts, wide, position),
              std::make_tuple(258, 0xABCD, 0x0102030405060708ull, size));

    // At size - 3 a 4-byte read fails with the message and leaves the cursor;
    // a negative count is refused the same way.
    for (auto [at, count] : {std::pair{size - 3, 4}, std::pair{0, -1}}) {
        position = at;
        testing::internal::CaptureStdout();
        EXPECT_FALSE(readBytesFromMemoryBlock(block, size, &position, count, 4, &value));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "Read error at " + std::to_string(at) + ": End of buffer\n");
        EXPECT_EQ(position, at);
    }

    // A null destination skips; bytes copy as they are.
    ASSERT_TRUE(readBytesFromMemoryBlock(block, size, &position, 2, 1, nullptr));
    uint8_t raw[2];
    ASSERT_TRUE(readBytesFromMemoryBlock(block, size, &position, 2, 1, raw));
    EXPECT_EQ(std::vector<uint8_t>(raw, raw + 2), (std::vector<uint8_t>{0x01, 0x02}));
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
    EXPECT_EQ(*items, (std::vector<fs::path>{root / "a", root / "b", root / "c"}));
    for (int i = 0; i < 1005; i++)
        std::ofstream(root / std::to_string(1000 + i));
    items = listFilesInFolder(root);
    ASSERT_TRUE(items.has_value());
    EXPECT_EQ(int32_t(items->size()), kMaxFolderListing);
}

TEST(Folders, XdgLocations)
{
    // An absolute XDG_DATA_HOME is followed in the level-set folder tests.
    levelworld::ScopedEnv data("XDG_DATA_HOME", "relative/ignored");
    EXPECT_EQ(PlatformUserDataFolder().filename(), "Brimhold");
    EXPECT_NE(PlatformUserDataFolder().string().find(".local/share"), std::string::npos);

    levelworld::TemporaryFolder folder;
    const fs::path &root = folder.path();
    levelworld::ScopedEnv config("XDG_CONFIG_HOME", root.c_str());
    std::ofstream(root / "user-dirs.dirs") << "# comment\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n";
    const char *home = std::getenv("HOME");
    ASSERT_NE(home, nullptr);
    EXPECT_EQ(PlatformDesktopFolder(), fs::path(home) / "Schreibtisch");
    std::ofstream(root / "user-dirs.dirs") << "XDG_DESKTOP_DIR=\"/srv/desk\"\n";
    EXPECT_EQ(PlatformDesktopFolder(), fs::path("/srv/desk"));
    // Without the file it is $HOME/Desktop, where the snapshot test looks.
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
