#include "Block.h"
#include "Folders.h"
#include "Level.h"
#include "LevelSet.h"
#include "LevelWorldSupport.h"
#include "Powerup.h"
#include "Water.h"
#include "WaterController.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <tuple>

using namespace levelworld;
namespace fs = std::filesystem;

namespace {

// A level of the given size whose sizeX tells it apart from others.
Level *Tagged(int32_t tag)
{
    return LevelAllocate(tag, 2, 2, 0, 0);
}

LevelSet *SetOfTags(std::initializer_list<int32_t> tags)
{
    LevelSet *set = LevelSetAllocate();
    for (int32_t tag : tags)
        set->levels.push_back(Tagged(tag));
    set->levelCount = int16_t(set->levels.size());
    LevelSetSetCurrentLevel(set, 0);
    return set;
}

std::vector<int32_t> Tags(const LevelSet *set)
{
    std::vector<int32_t> tags;
    for (int32_t i = 0; i < set->levelCount; i++)
        tags.push_back(set->levels[size_t(i)]->sizeX);
    return tags;
}

// The current level's index and the tag of its working copy.
std::pair<int32_t, int32_t> Current(const LevelSet *set)
{
    return {set->currentLevelIndex, set->currentLevelCopy ? set->currentLevelCopy->sizeX : -1};
}

Powerup *PlacedPowerup(int32_t kind, float x, float y, float z)
{
    Powerup *p = PowerupAllocate(kind);
    PowerupSetPosition(p, x, y, z);
    return p;
}

// Three levels that use every record of the file.
LevelSet *RichSet()
{
    LevelSet *set = LevelSetAllocate();
    LevelSetInit(set);

    Level *a = LevelAllocate(6, 4, 5, 0, 0);
    a->playerStartX = 1;
    a->playerStartY = 2;
    a->playerStartZ = 3;
    a->initialPlayerFacing = 3;
    a->initialCameraFacing = VectorWithValues(0.5f, 0.0f, -0.5f);
    WaterControllerSetInitialWaterLevel(a->waterController, 2.5);
    WaterControllerSetCurrentWaterLevel(a->waterController, 4.0);
    WaterControllerSetRiseSpeed(a->waterController, -0.5);
    for (int32_t type = 0; type < 22; type++)
        AddBlock(a, type, type % 6, 0, type / 6);
    AddBlock(a, 150, 5, 3, 4);
    SwitchableBlockData switchable{0, {0, 0, 0}, 'SW01'};
    TeleportData teleport{'TP01', 'TP02'};
    SwitchData switchData{'SW01', 0};
    PhasingBlockData phasing{0.25f, 1.5f, 0.75f, 0, {0, 0, 0}, 0.0f, 0.25f};
    LadderData ladder{1};
    const std::map<int32_t, void *> data = {{kBlockSwitchable, &switchable}, {kBlockTeleport, &teleport},
                                            {kBlockSwitch, &switchData},     {kBlockPhasing, &phasing},
                                            {kBlockLadder, &ladder}};
    for (int32_t i = 0; i < a->blockCount; i++)
        if (data.count(a->blocks[i].type))
            BlockSetData(&a->blocks[i], data.at(a->blocks[i].type));
    LevelAddPowerup(a, PlacedPowerup(kPowerupGem, 3, 3, 3));
    LevelAddPowerup(a, PlacedPowerup(kPowerupExtraLife, 9, 3, 3));
    LevelAddPowerup(a, PlacedPowerup(kPowerupFeather, 15, 3.5f, 3));
    LevelAddPowerup(a, PlacedPowerup(kPowerupKey, 21, 3, 27.25f));
    set->levels.push_back(a);

    Level *c = LevelAllocate(3, 3, 3, 0, 0);
    WaterControllerDispose(c->waterController);
    c->waterController = WaterControllerAllocate(c, kWaterModeBoxes);
    WaterControllerAddBox(c->waterController, WaterBoxAllocate(c->waterController, 0, 6, 0, 2, 0, 6));
    WaterControllerAddBox(c->waterController, WaterBoxAllocate(c->waterController, 6, 12, 4, 5.5f, 6, 12));
    AddBlock(c, kBlockPhasing, 1, 0, 1);
    set->levels.push_back(c);
    set->levelCount = 3;
    return set;
}

std::vector<uint8_t> Bytes(LevelSet *set)
{
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(LevelSetWriteToBuffer(set, &bytes));
    return bytes;
}

// Big-endian 32-bit values in the file's bytes.
void PutInt32(std::vector<uint8_t> &bytes, size_t at, uint32_t value)
{
    for (size_t i = 0; i < 4; i++)
        bytes[at + i] = uint8_t(value >> (24 - 8 * i));
}

int32_t GetInt32(const std::vector<uint8_t> &bytes, size_t at)
{
    uint32_t value = 0;
    for (size_t i = 0; i < 4; i++)
        value = value << 8 | bytes[at + i];
    return int32_t(value);
}

// One 2 x 2 x 2 level with one powerup and one stone block.
// Offsets: level record at 78; sizes 78, 82, 86; block count 90; start 94;
// water 106 (-1, two doubles); powerup count 126; powerup 130; facing 146;
// camera 147; reserved 159; end offset 170; the block at 174 (13 bytes).
std::vector<uint8_t> SmallFile()
{
    LevelSet *set = LevelSetAllocate();
    Level *level = LevelAllocate(2, 2, 2, 0, 0);
    LevelAddPowerup(level, PlacedPowerup(kPowerupGem, 1, 1, 1));
    AddBlock(level, kBlockStone, 1, 1, 1);
    set->levels.push_back(level);
    set->levelCount = 1;
    std::vector<uint8_t> bytes = Bytes(set);
    LevelSetDispose(set);
    return bytes;
}

int32_t CountFiles(const fs::path &folder)
{
    return int32_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

bool Loads(const std::vector<uint8_t> &bytes)
{
    LevelSet *set = LevelSetAllocate();
    bool ok = LevelSetInitWithData(set, bytes.data(), int32_t(bytes.size()));
    if (!ok) {
        EXPECT_EQ(set->levelCount, 0);
        EXPECT_EQ(set->currentLevelCopy, nullptr);
    }
    LevelSetDispose(set);
    return ok;
}

} // namespace

TEST(LevelSetObject, NewSetHasOneEmptyLevelItsFacingsAndAWorkingCopy)
{
    LevelSet *set = LevelSetAllocate();
    EXPECT_EQ(set->currentLevelIndex, -1);
    EXPECT_EQ(set->currentLevelCopy, nullptr);
    EXPECT_FALSE(LevelSetIsDirty(set));
    LevelSetInit(set);
    EXPECT_EQ(LevelSetGetLevelCount(set), 1);
    EXPECT_EQ(LevelSetGetCurrentLevelIndex(set), 0);
    Level *copy = LevelSetGetCurrentLevelCopy(set);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, set->levels[0]);
    Vector start = LevelSetGetCurrentLevelPlayerStartPos(set);
    Vector facing = LevelSetGetCurrentLevelPlayerFacingVector(set);
    EXPECT_EQ((std::vector<float>{float(copy->sizeX), float(copy->sizeY), float(copy->sizeZ), start.x, start.y, start.z,
                                  facing.z}),
              (std::vector<float>{5, 5, 5, 15, 0, 15, -1}));

    const float expected[][3] = {{-1, 0, 0}, {1, 0, 0}, {0, 0, -1}, {0, 0, 1}, {0, 0, -1}};
    for (uint8_t code = 0; code < 5; code++) {
        set->currentLevelCopy->initialPlayerFacing = code;
        Vector v = LevelSetGetCurrentLevelPlayerFacingVector(set);
        EXPECT_EQ((std::vector<float>{v.x, v.y, v.z}),
                  (std::vector<float>{expected[code][0], expected[code][1], expected[code][2]}));
    }

    LevelSetFetchCurrentLevelCopy(set);
    AddBlock(set->currentLevelCopy, kBlockStone, 0, 0, 0);
    EXPECT_EQ(set->levels[0]->blockCount, 0);
    LevelSetFetchCurrentLevelCopy(set); // throws the edit away
    EXPECT_EQ(set->currentLevelCopy->blockCount, 0);
    AddBlock(set->currentLevelCopy, kBlockStone, 0, 0, 0);
    LevelSetCommitCurrentLevelCopy(set);
    EXPECT_EQ(set->levels[0]->blockCount, 1);
    EXPECT_NE(set->levels[0], set->currentLevelCopy);
    LevelSetDispose(set);
}

TEST(LevelSetObject, InsertAppendAndDelete)
{
    LevelSet *set = SetOfTags({1, 2});
    LevelSetInsertLevel(set, 0);
    EXPECT_EQ(Tags(set), (std::vector<int32_t>{5, 1, 2}));
    EXPECT_EQ(set->currentLevelIndex, 0); // unchanged
    LevelSetDispose(set);

    set = SetOfTags({1, 2});
    LevelSetInsertLevel(set, 2);
    EXPECT_EQ(Tags(set), (std::vector<int32_t>{1, 2, 5}));
    LevelSetInsertLevel(set, 4);
    LevelSetInsertLevel(set, -1);
    EXPECT_EQ(Tags(set), (std::vector<int32_t>{1, 2, 5}));
    Level *appended = LevelSetAppendLevel(set);
    EXPECT_EQ(set->levels.back(), appended);
    EXPECT_EQ(set->levelCount, 4);
    LevelSetDispose(set);

    set = SetOfTags({1, 2, 3});
    LevelSetSetCurrentLevel(set, 2);
    LevelSetDeleteLevel(set, 0);
    EXPECT_EQ(Tags(set), (std::vector<int32_t>{2, 3}));
    EXPECT_EQ(Current(set), std::make_pair(1, 3));
    LevelSetDispose(set);

    set = SetOfTags({1, 2, 3});
    LevelSetDeleteLevel(set, 0); // the current level goes: the next one takes its place
    EXPECT_EQ(Current(set), std::make_pair(0, 2));
    LevelSetSetCurrentLevel(set, 0);
    LevelSetDeleteLevel(set, 1); // after the current one: nothing changes
    EXPECT_EQ(Current(set), std::make_pair(0, 2));
    LevelSetDeleteLevel(set, 5);
    EXPECT_EQ(set->levelCount, 1);
    LevelSetDeleteLevel(set, 0);
    EXPECT_EQ(set->levelCount, 0);
    EXPECT_EQ(Current(set), std::make_pair(-1, -1)) << "no working copy";
    EXPECT_FALSE(LevelSetGoToNextLevel(set, true));
    EXPECT_FALSE(LevelSetGoToPreviousLevel(set, true));
    LevelSetDispose(set);
}

TEST(LevelSetObject, NextAndPreviousWithAndWithoutWrap)
{
    LevelSet *set = SetOfTags({1, 2, 3});
    const struct {
        bool next, wrap, moved;
        int32_t tag;
    } steps[] = {{true, false, true, 2},  {true, false, true, 3},  {true, false, false, 3}, {true, true, true, 1},
                 {false, false, false, 1}, {false, true, true, 3}, {false, false, true, 2}};
    for (const auto &step : steps) {
        bool moved = step.next ? LevelSetGoToNextLevel(set, step.wrap) : LevelSetGoToPreviousLevel(set, step.wrap);
        EXPECT_EQ(std::make_pair(moved, Current(set)),
                  std::make_pair(step.moved, std::make_pair(step.tag - 1, step.tag)));
    }
    LevelSetSetCurrentLevel(set, 7);
    EXPECT_EQ(set->currentLevelIndex, 1);
    LevelSetDispose(set);
}

TEST(LevelSetFile, ThreeLevelsSavedAndLoadedAreEqual)
{
    TemporaryFolder folder;
    LevelSet *set = RichSet();
    ASSERT_TRUE(LevelSetSaveToFile(set, folder.path(), "Rich set"));
    EXPECT_EQ(LevelSetGetLevelSetName(set), "Rich set");
    LevelSet *loaded = LevelSetAllocate();
    ASSERT_TRUE(LevelSetInitWithFile(loaded, folder.path() / "Rich set"));
    EXPECT_EQ(std::make_tuple(loaded->levelCount, loaded->currentLevelIndex, LevelSetGetLevelSetName(loaded)),
              std::make_tuple(int16_t(3), int16_t(0), std::string("Rich set")));
    // Everything stored shows in the bytes of a second save; what they cannot
    // show is that the water starts again at its initial level.
    EXPECT_EQ(Bytes(loaded), ReadBytes(folder.path() / "Rich set"));
    EXPECT_EQ(loaded->levels[1]->waterController->currentWaterLevel, 2.5);
    LevelSetDispose(loaded);
    LevelSetDispose(set);
}

TEST(LevelSetFile, HeaderEntriesAndEndOffsetsAreLaidOutExactly)
{
    LevelSet *set = RichSet();
    std::vector<uint8_t> bytes = Bytes(set);
    ASSERT_GT(bytes.size(), 74u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), "BRMHLevl");
    for (size_t i = 8; i < 72; i++)
        EXPECT_EQ(bytes[i], 0) << i;
    EXPECT_EQ(bytes[72], 0);
    EXPECT_EQ(bytes[73], 3);
    size_t at = 74;
    for (int32_t level = 0; level < 3; level++) {
        int32_t length = GetInt32(bytes, at);
        size_t record = at + 4;
        int32_t blocks = GetInt32(bytes, record + 12);
        EXPECT_EQ(blocks, set->levels[size_t(level)]->blockCount);
        size_t water = record + 28;
        int32_t form = GetInt32(bytes, water);
        size_t powerups = form == -1 ? water + 20 : water + 4 + 24 * size_t(form);
        size_t endOffsetAt = powerups + 4 + 16 * size_t(GetInt32(bytes, powerups)) + 1 + 12 + 11;
        for (size_t i = endOffsetAt - 11; i < endOffsetAt; i++)
            EXPECT_EQ(bytes[i], 0) << i;
        // The end offset is the absolute offset just past the level's blocks,
        // which is also where its entry ends.
        EXPECT_EQ(size_t(GetInt32(bytes, endOffsetAt)), record + size_t(length));
        at = record + size_t(length);
    }
    EXPECT_EQ(at, bytes.size());
    // The small file's end offset sits at 170 and points to its end.
    std::vector<uint8_t> small = SmallFile();
    ASSERT_EQ(small.size(), 187u);
    EXPECT_EQ(GetInt32(small, 74), 187 - 78);
    EXPECT_EQ(GetInt32(small, 170), 187);
    EXPECT_EQ(small[174], kBlockStone);
    LevelSetDispose(set);
}

TEST(LevelSetFile, RefusesWhatIsNotALevelSetAndImplausibleLevels)
{
    std::vector<uint8_t> good = SmallFile();
    EXPECT_TRUE(Loads(good));
    EXPECT_FALSE(Loads(std::vector<uint8_t>(good.begin(), good.begin() + 8))) << "only the magic";
    EXPECT_FALSE(Loads(std::vector<uint8_t>()));
    struct Patch {
        size_t at;
        uint32_t value;
        const char *what;
    } patches[] = {
        {0, 'XRMH', "not the magic"},
        {70, 0, "level count 0"},
        {70, 0x8000, "negative level count"},
        {74, 0xFFFFFFFF, "negative level length"},
        {78, 0, "size x 0"},
        {82, 0xFFFFFFFE, "negative size y"},
        {78, 100, "more than 32768 cells (100 x 2 x 200)"},
        {78, 0x02000000, "sizes whose product would overflow"},
        {90, 0xFFFFFFFF, "negative block count"},
        {90, 0x7FFFFFFF, "block count the bytes cannot hold"},
        {94, 2, "start cell outside"},
        {110, 0x7FF80000, "initial water level not a number"},
        {118, 0x7FF00000, "infinite rise speed"},
        {106, 0xFFFFFFF0, "negative water box count"},
        {106, 0x00100000, "water box count the bytes cannot hold"},
        {126, 0xFFFFFFFF, "negative powerup count"},
        {126, 0x01000000, "powerup count the bytes cannot hold"},
        {134, 0x7FC00000, "powerup position not a number"},
        {175, 2, "block cell outside"},
        {183, 0xFFFFFFFF, "negative block cell"},
    };
    for (const Patch &patch : patches) {
        std::vector<uint8_t> bytes = good;
        PutInt32(bytes, patch.at, patch.value);
        if (std::string(patch.what).find("32768") != std::string::npos)
            PutInt32(bytes, 86, 200);
        if (std::string(patch.what).find("overflow") != std::string::npos) {
            PutInt32(bytes, 82, 0x02000000);
            PutInt32(bytes, 86, 0x02000000);
        }
        EXPECT_FALSE(Loads(bytes)) << patch.what;
    }
    // Every cut of a three-level file fails, without crashing.
    LevelSet *set = RichSet();
    std::vector<uint8_t> bytes = Bytes(set);
    LevelSetDispose(set);
    for (size_t length = 0; length < bytes.size(); length += 7) {
        testing::internal::CaptureStdout();
        EXPECT_FALSE(Loads(std::vector<uint8_t>(bytes.begin(), bytes.begin() + std::ptrdiff_t(length)))) << length;
        testing::internal::GetCapturedStdout();
    }
}

TEST(LevelSetFile, FailedReloadLeavesTheSetAsItWas)
{
    TemporaryFolder folder;
    LevelSet *original = RichSet();
    ASSERT_TRUE(LevelSetSaveToFile(original, folder.path(), "Good"));
    LevelSetDispose(original);
    std::vector<uint8_t> bad = SmallFile();
    bad[73] = 0;
    WriteBytes(folder.path() / "Bad", bad);

    LevelSet *set = LevelSetAllocate();
    ASSERT_TRUE(LevelSetInitWithFile(set, folder.path() / "Good"));
    LevelSetSetCurrentLevel(set, 1);
    Level *first = set->levels[0];
    Level *copy = set->currentLevelCopy;
    EXPECT_FALSE(LevelSetReInitWithFile(set, folder.path() / "Bad"));
    EXPECT_FALSE(LevelSetReInitWithFile(set, folder.path() / "Missing"));
    EXPECT_FALSE(LevelSetReInitWithFile(set, folder.path()));
    EXPECT_EQ(std::make_tuple(set->levelCount, set->levels[0], set->currentLevelCopy, set->currentLevelIndex,
                              LevelSetGetLevelSetName(set)),
              std::make_tuple(int16_t(3), first, copy, int16_t(1), std::string("Good")));

    WriteBytes(folder.path() / "Small", SmallFile());
    EXPECT_TRUE(LevelSetReInitWithFile(set, folder.path() / "Small"));
    EXPECT_EQ(std::make_tuple(set->levelCount, set->currentLevelIndex, LevelSetGetLevelSetName(set)),
              std::make_tuple(int16_t(1), int16_t(0), std::string("Small")));
    LevelSetDispose(set);
}

// Reverting a set with a file is played through the editor's Revert command.
TEST(LevelSetFile, RevertWithoutAFileStartsAfresh)
{
    LevelSet *set = RichSet();
    LevelSetSetCurrentLevel(set, 0);
    LevelSetMakeDirty(set);
    LevelSetRevert(set);
    EXPECT_EQ(std::make_pair(set->levelCount, LevelSetIsDirty(set)), std::make_pair(int16_t(1), false));
    LevelSetDispose(set);
}

TEST(LevelSetFile, SaveOverwritesAndRefusesBadNames)
{
    TemporaryFolder folder;
    LevelSet *set = RichSet();
    LevelSetSetCurrentLevel(set, 0);
    ASSERT_TRUE(LevelSetSaveToFile(set, folder.path(), "Mine"));
    size_t longer = ReadBytes(folder.path() / "Mine").size();
    LevelSetDeleteLevel(set, 1);
    ASSERT_TRUE(LevelSetSaveToFile(set, folder.path(), "Mine"));
    std::vector<uint8_t> now = ReadBytes(folder.path() / "Mine");
    EXPECT_LT(now.size(), longer);
    EXPECT_EQ(now, Bytes(set));
    EXPECT_FALSE(LevelSetSaveToFile(set, folder.path(), ""));
    EXPECT_FALSE(LevelSetSaveToFile(set, folder.path(), "a/b"));
    EXPECT_FALSE(LevelSetSaveToFile(set, folder.path(), std::string(256, 'x')));
    EXPECT_TRUE(LevelSetSaveToFile(set, folder.path(), std::string(255, 'x')));
    // A name taken by a folder cannot be replaced.
    fs::create_directory(folder.path() / "Taken");
    EXPECT_FALSE(LevelSetSaveToFile(set, folder.path(), "Taken"));
    EXPECT_TRUE(fs::is_directory(folder.path() / "Taken"));
    EXPECT_EQ(CountFiles(folder.path()), 3) << "nothing but the saved files is left behind";
    LevelSetDispose(set);
}

namespace {

struct FoldersFixture : ::testing::Test {
    TemporaryFolder root;
    fs::path resources = root.path() / "Resources", data = root.path() / "data";
    ScopedEnv xdg{"XDG_DATA_HOME", data.c_str()};
    FoldersFixture()
    {
        fs::create_directories(resources / "Levels");
        PlatformSetResourcesFolder(resources);
    }
    ~FoldersFixture() override { PlatformSetResourcesFolder(fs::path()); }
    void WriteSet(const fs::path &file, int32_t levels)
    {
        LevelSet *set = LevelSetAllocate();
        for (int32_t i = 0; i < levels; i++)
            set->levels.push_back(Tagged(i + 1));
        set->levelCount = int16_t(levels);
        WriteBytes(file, Bytes(set));
        LevelSetDispose(set);
    }
};

} // namespace

TEST_F(FoldersFixture, UserFoldersAreCreatedOnFirstUse)
{
    EXPECT_FALSE(fs::exists(data));
    fs::path user, downloaded, standard;
    ASSERT_TRUE(LevelSetGetUserLevelsFolder(&user));
    ASSERT_TRUE(LevelSetGetDownloadedLevelsFolder(&downloaded));
    EXPECT_EQ(std::make_pair(user, downloaded),
              std::make_pair(data / "Brimhold" / "User levels", data / "Brimhold" / "Downloaded levels"));
    EXPECT_TRUE(fs::is_directory(user) && fs::is_directory(downloaded));
    ASSERT_TRUE(LevelSetGetStandardLevelsFolder(&standard));
    EXPECT_EQ(standard, resources / "Levels");
    fs::remove_all(resources / "Levels");
    EXPECT_FALSE(LevelSetGetStandardLevelsFolder(&standard));
}

TEST_F(FoldersFixture, AllSetsListStandardThenDownloadedThenUser)
{
    fs::path user, downloaded;
    ASSERT_TRUE(LevelSetGetUserLevelsFolder(&user));
    ASSERT_TRUE(LevelSetGetDownloadedLevelsFolder(&downloaded));
    WriteSet(resources / "Levels" / "B standard", 1);
    WriteSet(resources / "Levels" / "A standard", 1);
    for (auto [name, text] : {std::pair{"Not a set", "hello world"}, {"Short", "BRM"}, {"Only magic", "BRMHLevl"}})
        WriteBytes(resources / "Levels" / name, std::vector<uint8_t>(text, text + std::strlen(text)));
    WriteSet(downloaded / "Fetched", 1);
    WriteSet(user / "Mine", 1);
    fs::create_directory(user / "A folder");
    std::vector<fs::path> sets = LevelSetGetAllLevelSets();
    std::vector<std::string> names;
    for (const fs::path &p : sets)
        names.push_back(p.filename().string());
    EXPECT_EQ(names, (std::vector<std::string>{"A standard", "B standard", "Only magic", "Fetched", "Mine"}));
    EXPECT_TRUE(LevelSetValidateFile(resources / "Levels" / "Only magic"));
    LevelSet *set = LevelSetAllocate();
    EXPECT_FALSE(LevelSetInitWithFile(set, resources / "Levels" / "Only magic"));
    LevelSetDispose(set);
}

TEST_F(FoldersFixture, DefaultFileIsExactlyTestLevels)
{
    fs::path user;
    ASSERT_TRUE(LevelSetGetUserLevelsFolder(&user));
    WriteSet(resources / "Levels" / "test levels", 2);
    WriteSet(resources / "Levels" / "Test levels.bak", 3);
    WriteSet(resources / "Levels" / "Test level", 5);
    LevelSet *set = LevelSetAllocate();
    LevelSetInit(set);
    LevelSetLoadDefaultFile(set); // none matches: the set stays
    EXPECT_EQ(std::make_pair(set->levelCount, LevelSetGetLevelSetName(set)),
              std::make_pair(int16_t(1), std::string("Brimhold level set")));
    WriteSet(user / "Test levels", 4);
    LevelSetLoadDefaultFile(set);
    EXPECT_EQ(std::make_tuple(set->levelCount, set->currentLevelIndex, LevelSetGetLevelSetName(set)),
              std::make_tuple(int16_t(4), int16_t(0), std::string("Test levels")));
    LevelSetDispose(set);
}

// The fuzz target's seeds are level-set files made by this code.  Run with
// BRIMHOLD_WRITE_SEEDS=1 to write them again; every run checks that they load.
TEST(LevelSetFile, FuzzSeedsAreLoadableLevelSets)
{
    fs::path seeds = fs::path(BRIMHOLD_SOURCE_DIR) / "Fuzz" / "Seeds" / "FuzzLevelSet";
    const char *write = std::getenv("BRIMHOLD_WRITE_SEEDS");
    if (write && *write == '1') {
        fs::create_directories(seeds);
        WriteBytes(seeds / "small", SmallFile());
        LevelSet *rich = RichSet();
        WriteBytes(seeds / "rich", Bytes(rich));
        LevelSetDispose(rich);
        LevelSet *fresh = LevelSetAllocate();
        LevelSetInit(fresh);
        WriteBytes(seeds / "new", Bytes(fresh));
        LevelSetDispose(fresh);
    }
    int32_t found = 0;
    for (const auto &entry : fs::directory_iterator(seeds)) {
        std::vector<uint8_t> bytes = ReadBytes(entry.path());
        EXPECT_TRUE(Loads(bytes)) << entry.path();
        found++;
    }
    EXPECT_GE(found, 3);
}
