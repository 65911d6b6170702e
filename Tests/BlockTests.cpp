#include "Block.h"
#include "Level.h"
#include "LevelWorldSupport.h"
#include "Player.h"
#include "WaterController.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

using namespace levelworld;

namespace {

struct LevelFixture : ::testing::Test {
    Level *level = LevelAllocate(6, 6, 6, 0, 0);
    Player *player = PlayerAllocate(nullptr);
    ~LevelFixture() override
    {
        PlayerDispose(player);
        LevelDispose(level);
    }
    Block *At(int32_t index) { return &level->blocks[index]; }
};

// A block made for the test and disposed with it.
struct TestBlock : Block {
    explicit TestBlock(int32_t type, int32_t x = 0, int32_t y = 0, int32_t z = 0) { BlockInit(this, type, x, y, z); }
    ~TestBlock() { BlockDispose(this); }
};

// The on flag of the blocks that come and go; null for the others.
uint8_t *OnFlag(const Block *block)
{
    switch (block->type) {
    case kBlockDisappearing:
    case kBlockAppearing:
        return &static_cast<ToggleBlockData *>(block->data)->on;
    case kBlockSwitchable:
        return &static_cast<SwitchableBlockData *>(block->data)->on;
    case kBlockPhasing:
        return &static_cast<PhasingBlockData *>(block->data)->on;
    default:
        return nullptr;
    }
}

bool IsOn(const Block *block)
{
    return !OnFlag(block) || *OnFlag(block) != 0;
}

// Loads one block record into a 2 x 2 x 2 level's cells; the block is left disposed.
bool Loads(const std::vector<uint8_t> &bytes, Block *loaded)
{
    int32_t position = 0;
    bool ok = BlockLoad(loaded, bytes.data(), int32_t(bytes.size()), &position, 2, 2, 2);
    EXPECT_TRUE(!ok || position == int32_t(bytes.size()));
    return ok;
}

// A fresh block's record, after giving it the data (if any).
std::vector<uint8_t> Record(int32_t type, int32_t x, int32_t y, int32_t z, void *data = nullptr)
{
    TestBlock b(type, x, y, z);
    if (data)
        BlockSetData(&b, data);
    return SaveRecord(&b);
}

} // namespace

TEST(BlockGeometry, BuiltTypesGetTheirBoxesAndPositionsOthersAZeroBox)
{
    const struct {
        int32_t type, x, y, z;
        float minX, maxX, minY, maxY, minZ, maxZ, px, py, pz;
    } rows[] = {
        {kBlockStone, 1, 2, 3, 6, 12, 12, 18, 18, 24, 6, 12, 18},
        {kBlockDeadly, 1, 0, 0, float(6.0 + 0.7), float(6.0 + 5.3), 0.7f, 5.3f, 0.7f, 5.3f,
         float(double(float(6.7)) - 0.7), float(double(0.7f) - 0.7), float(double(0.7f) - 0.7)},
        {kBlockSwitch, 0, 1, 0, 2, 4, 7, 11, 2, 4, 3, 9, 3},
        {kBlockLadder, 1, 1, 1, float(6.0 + 1.85), float(6.0 + 4.15), 6, 12, float(6.0 + 2.875),
         float(6.0 + 3.125), 9, 6, 9},
        {kBlockTeleport, 2, 0, 1, 12, 18, 0, 6, 6, 12, 15, 3, 9},
        {kBlockLevelPortal, 2, 0, 1, 12, 18, 0, 6, 6, 12, 15, 3, 9},
    };
    for (const auto &r : rows) {
        TestBlock b(r.type, r.x, r.y, r.z);
        EXPECT_EQ(b.cellZ, r.z);
        EXPECT_EQ((std::vector<float>{b.minX, b.maxX, b.minY, b.maxY, b.minZ, b.maxZ, b.position.x, b.position.y,
                                      b.position.z}),
                  (std::vector<float>{r.minX, r.maxX, r.minY, r.maxY, r.minZ, r.maxZ, r.px, r.py, r.pz}))
            << r.type;
    }
    for (int32_t type : {0, 5, 6, 8, 9, 11, 12, 16, 17, 18, 20, 22, 200}) {
        TestBlock b(type, 3, 4, 5);
        EXPECT_EQ(b.cellX, 3);
        EXPECT_EQ(b.maxX + b.maxY + b.maxZ + b.position.x, 0.0f) << type;
        EXPECT_EQ(b.data, nullptr);
    }
}

TEST(BlockData, DefaultsOfEveryDataRecord)
{
    Block b;
    for (int32_t type : {kBlockDisappearing, kBlockSwitchable}) {
        BlockInit(&b, type, 0, 0, 0);
        EXPECT_EQ(static_cast<ToggleBlockData *>(b.data)->on, 1);
        BlockDispose(&b);
        EXPECT_EQ(b.data, nullptr);
    }
    TestBlock teleport(kBlockTeleport), phasing(kBlockPhasing);
    auto *t = static_cast<TeleportData *>(teleport.data);
    EXPECT_EQ(std::make_pair(t->identifier, t->target), std::make_pair(uint32_t('0000'), uint32_t('0000')));
    auto *ph = static_cast<PhasingBlockData *>(phasing.data);
    EXPECT_EQ(ph->initialDelay + ph->elapsed, 0.0f);
    EXPECT_EQ(ph->onInterval + ph->offInterval + ph->nextToggle, 3.0f);
    EXPECT_EQ(ph->on, 1);
}

TEST(BlockData, CopyIsDeep)
{
    Block source, copy;
    BlockInit(&source, kBlockPhasing, 1, 1, 1);
    BlockCopy(&source, &copy);
    ASSERT_NE(copy.data, nullptr);
    EXPECT_NE(copy.data, source.data);
    EXPECT_EQ(std::memcmp(copy.data, source.data, sizeof(PhasingBlockData)), 0);
    static_cast<PhasingBlockData *>(copy.data)->onInterval = 7.0f;
    EXPECT_EQ(static_cast<PhasingBlockData *>(source.data)->onInterval, 1.0f);
    EXPECT_EQ(std::make_pair(copy.minX, copy.cellY), std::make_pair(source.minX, 1));
    BlockDispose(&copy);
    BlockDispose(&source);

    BlockInit(&source, kBlockStone, 0, 0, 0);
    BlockCopy(&source, &copy);
    EXPECT_EQ(copy.data, nullptr);
}

TEST(BlockData, LadderFlippedTwiceRestoresItsBounds)
{
    TestBlock b(kBlockLadder, 2, 1, 3);
    AABB before = BlockGetBounds(&b);
    LadderData turned{1};
    BlockSetData(&b, &turned);
    EXPECT_EQ(static_cast<LadderData *>(b.data)->orientation, 1);
    // The turned box itself is checked through LevelMaker's ladders; setting
    // the same orientation again changes nothing.
    BlockSetData(&b, &turned);
    EXPECT_NEAR(b.maxX - b.minX, 0.25f, 1e-5);
    EXPECT_NEAR((b.minZ + b.maxZ) / 2, 21.0f, 1e-5);
    LadderData back{0};
    BlockSetData(&b, &back);
    for (auto [now, was] : {std::pair{b.minX, before.minX}, {b.maxX, before.maxX}, {b.minZ, before.minZ},
                            {b.maxZ, before.maxZ}})
        EXPECT_NEAR(now, was, 1e-5);
}

TEST(BlockFlags, DescriptionsOfEveryCode)
{
    const char *expected[] = {"Empty space",  "Stone block",  "Disappearing block", "Appearing block",
                              "Switchable block", "Falling block", "Trampoline", "Teleport",
                              "Pushable block", "Floating block", "Deadly block", "Sticky block",
                              "Crumbling block", "Switch", "Phasing block", "Ladder",
                              "Moving block", "Fire block", "Ice block", "Locked block",
                              "Signpost", "Level portal"};
    for (int32_t type = 0; type < 22; type++) {
        TestBlock b(type);
        EXPECT_STREQ(BlockGetDescription(&b), expected[type]) << type;
    }
    TestBlock b(200);
    EXPECT_STREQ(BlockGetDescription(&b), "Empty space");
    EXPECT_TRUE(BlockStopsWater(&b) && BlockStopsPlayer(&b) && BlockStopsLight(&b));
}

TEST(BlockFlags, TableOfWaterPlayerAndLight)
{
    struct Row {
        int32_t type;
        bool water, player, light;
    } rows[] = {
        {kBlockEmptySpace, true, true, false}, {kBlockStone, true, true, true},
        {kBlockTeleport, false, false, false}, {kBlockSwitch, true, false, false},
        {kBlockLadder, false, true, false},    {kBlockLevelPortal, false, false, false},
        {kBlockDeadly, true, true, true},      {kBlockLocked, true, true, true},
        {kBlockFire, true, true, true},
    };
    for (const Row &row : rows) {
        TestBlock b(row.type);
        EXPECT_EQ((std::vector<bool>{BlockStopsWater(&b), BlockStopsPlayer(&b), BlockStopsLight(&b)}),
                  (std::vector<bool>{row.water, row.player, row.light}))
            << row.type;
    }
    for (int32_t type : {kBlockDisappearing, kBlockAppearing, kBlockSwitchable, kBlockPhasing}) {
        TestBlock b(type);
        EXPECT_TRUE(BlockStopsWater(&b) && BlockStopsPlayer(&b) && BlockStopsLight(&b)) << type;
        *OnFlag(&b) = 0;
        EXPECT_FALSE(BlockStopsWater(&b) || BlockStopsPlayer(&b) || BlockStopsLight(&b)) << type;
    }
}

TEST_F(LevelFixture, WaterAtABlocksTopTurnsBothKindsOff)
{
    int32_t d = AddBlock(level, kBlockDisappearing, 0, 1, 0);
    int32_t a = AddBlock(level, kBlockAppearing, 1, 1, 0);
    // The disappearing block goes when the water reaches its top; the
    // appearing one comes only when the water is above it.
    const struct {
        double water;
        bool disappearing, appearing;
    } steps[] = {{11.0, true, false}, {12.0, false, false}, {12.5, false, true}};
    for (const auto &step : steps) {
        WaterControllerSetCurrentWaterLevel(level->waterController, step.water);
        LevelRun(level, 1.0f / 120);
        EXPECT_EQ(std::make_pair(IsOn(At(d)), IsOn(At(a))), std::make_pair(step.disappearing, step.appearing))
            << step.water;
    }
}

TEST_F(LevelFixture, ToggleSoundFlagIsSetOncePerTickAndClearedEachTick)
{
    for (int32_t i = 0; i < 10; i++)
        AddBlock(level, kBlockDisappearing, i % 6, 0, i / 6);
    LevelRun(level, 1.0f / 120);
    EXPECT_FALSE(BlockPlayedToggleSoundThisTick()); // water at 0: all stay on
    WaterControllerSetCurrentWaterLevel(level->waterController, 6.0);
    LevelRun(level, 1.0f / 120);
    EXPECT_TRUE(BlockPlayedToggleSoundThisTick());
    LevelRun(level, 1.0f / 120); // nothing changes: the flag starts clear again
    EXPECT_FALSE(BlockPlayedToggleSoundThisTick());
    WaterControllerSetCurrentWaterLevel(level->waterController, 0.0);
    LevelRun(level, 1.0f / 120);
    EXPECT_TRUE(BlockPlayedToggleSoundThisTick());
}

TEST_F(LevelFixture, PhasingBlocksAlternateWithTheirIntervalsButToggleAtMostOncePerTick)
{
    int32_t zero = AddBlock(level, kBlockPhasing, 0, 0, 0);
    int32_t p = AddBlock(level, kBlockPhasing, 1, 0, 0);
    PhasingBlockData zeroValues{0.0f, 0.0f, 0.0f, 1, {0, 0, 0}, 0.0f, 0.0f};
    PhasingBlockData values{0.5f, 1.0f, 0.25f, 1, {0, 0, 0}, 0.0f, 0.5f};
    BlockSetData(At(zero), &zeroValues);
    BlockSetData(At(p), &values);
    std::vector<int> toggles;
    for (int tick = 1; tick <= 120; tick++) {
        bool was = IsOn(At(zero));
        LevelRun(level, 1.0f / 120);
        // Zero intervals: exactly one toggle, with its sound, every tick.
        EXPECT_NE(IsOn(At(zero)), was) << tick;
        EXPECT_TRUE(BlockPlayedPhaseSoundThisTick());
        if (IsOn(At(p)) != (toggles.size() % 2 == 0))
            toggles.push_back(tick);
    }
    // Off after half a second, on again a quarter second later.
    ASSERT_EQ(toggles.size(), 2u);
    EXPECT_NEAR(toggles[0], 61, 1);
    EXPECT_NEAR(toggles[1], 91, 1);
}

TEST_F(LevelFixture, SwitchFlipsEveryMatchingSwitchableBlock)
{
    int32_t s = AddBlock(level, kBlockSwitch, 0, 0, 0);
    int32_t a = AddBlock(level, kBlockSwitchable, 1, 0, 0);
    int32_t b = AddBlock(level, kBlockSwitchable, 2, 0, 0);
    int32_t c = AddBlock(level, kBlockSwitchable, 3, 0, 0);
    SwitchableBlockData other{1, {0, 0, 0}, 'XXXX'};
    BlockSetData(At(c), &other);
    auto pressTimer = [&] { return static_cast<SwitchData *>(At(s)->data)->pressTimer; };
    BlockPlayerAction(At(s), player, level);
    EXPECT_EQ((std::vector<bool>{IsOn(At(a)), IsOn(At(b)), IsOn(At(c))}), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(pressTimer(), 40);
    LevelRun(level, 1.0f / 120);
    EXPECT_EQ(pressTimer(), 39);
    BlockPlayerAction(At(s), player, level);
    EXPECT_TRUE(IsOn(At(a)));
    EXPECT_EQ(pressTimer(), 40);
    for (int i = 0; i < 100; i++)
        LevelRun(level, 1.0f / 120);
    EXPECT_EQ(pressTimer(), 0);
    // Without a matching block the switch does not move.
    SwitchData unmatched{'ABCD', 0};
    BlockSetData(At(s), &unmatched);
    BlockPlayerAction(At(s), player, level);
    EXPECT_EQ(pressTimer(), 0);
    EXPECT_TRUE(IsOn(At(a)));
}

TEST_F(LevelFixture, TeleportMovesThePlayerToTheLastMatchingTeleport)
{
    int32_t from = AddBlock(level, kBlockTeleport, 0, 0, 0);
    int32_t first = AddBlock(level, kBlockTeleport, 2, 1, 2);
    int32_t last = AddBlock(level, kBlockTeleport, 4, 2, 5);
    int32_t other = AddBlock(level, kBlockTeleport, 5, 5, 5);
    TeleportData source{'AAAA', 'BBBB'}, target{'BBBB', 'CCCC'}, unrelated{'CCCC', 'CCCC'};
    BlockSetData(At(from), &source);
    BlockSetData(At(first), &target);
    BlockSetData(At(last), &target);
    BlockSetData(At(other), &unrelated);
    BlockPlayerAction(At(from), player, level);
    // The player's box is centred on the last match: feet 2.8 below.
    EXPECT_EQ((std::vector<float>{player->position.x, player->position.y, player->position.z}),
              (std::vector<float>{27.0f, 15.0f - 2.8f, 33.0f}));

    // A teleport whose identifier equals its target matches itself.
    BlockPlayerAction(At(other), player, level);
    EXPECT_EQ(player->position.x, 33.0f);
    EXPECT_FLOAT_EQ(player->position.y, 33.0f - 2.8f);
}

TEST_F(LevelFixture, TouchingDeadlyFireAndPortalEndsTheTickAndALockedBlockOpensWithAKey)
{
    int32_t deadly = AddBlock(level, kBlockDeadly, 0, 0, 0);
    int32_t fire = AddBlock(level, kBlockFire, 1, 0, 0);
    int32_t portal = AddBlock(level, kBlockLevelPortal, 2, 0, 0);
    int32_t locked = AddBlock(level, kBlockLocked, 3, 0, 0);
    int32_t stone = AddBlock(level, kBlockStone, 4, 0, 0);
    player->lives = 3;
    auto touched = [&](int32_t index) { return BlockTouched(At(index), player, level); };
    EXPECT_EQ((std::vector<bool>{touched(deadly), touched(fire), touched(portal), touched(locked), touched(stone)}),
              (std::vector<bool>{true, true, true, false, false}));
    // The editor's player has no game mode and ignores deaths; without a key
    // the lock stays.
    EXPECT_EQ(std::make_pair(player->lives, int32_t(At(locked)->type)), std::make_pair(3, int32_t(kBlockLocked)));
    // A key opens it: an empty space left in the array, found by no query.
    PlayerAwardKey(player);
    EXPECT_FALSE(touched(locked));
    EXPECT_EQ((std::vector<int32_t>{player->keys, level->blockCount, At(locked)->type, At(stone)->type}),
              (std::vector<int32_t>{0, 5, kBlockEmptySpace, kBlockStone}));
    EXPECT_EQ(At(locked)->maxX + At(locked)->maxY, 0.0f);
    int32_t count = 0;
    Block **found = LevelGetSortedBlockListForBoundingBox(level, 18.5f, 23.5f, 0.5f, 5.5f, 0.5f, 5.5f, &count);
    EXPECT_EQ(count, 0);
    std::free(found);
}

TEST(BlockRecord, ExactSizesAndBytes)
{
    EXPECT_EQ(Record(kBlockStone, 1, 2, 0x01020304), (std::vector<uint8_t>{1, 0, 0, 0, 1, 0, 0, 0, 2, 1, 2, 3, 4}));
    PhasingBlockData p{0.5f, 1.0f, 2.0f, 1, {0, 0, 0}, 0, 0};
    std::vector<uint8_t> phasing = Record(kBlockPhasing, 0, 0, 0, &p);
    ASSERT_EQ(phasing.size(), 29u);
    // 0.5f, 1.0f and 2.0f big-endian, then the flag field 01 00 00 00.
    EXPECT_EQ(std::vector<uint8_t>(phasing.begin() + 13, phasing.end()),
              (std::vector<uint8_t>{0x3F, 0, 0, 0, 0x3F, 0x80, 0, 0, 0x40, 0, 0, 0, 1, 0, 0, 0}));
    TeleportData t{'ABCD', 'EFGH'};
    std::vector<uint8_t> teleport = Record(kBlockTeleport, 0, 0, 0, &t);
    ASSERT_EQ(teleport.size(), 21u);
    EXPECT_EQ(std::string(teleport.begin() + 13, teleport.end()), "ABCDEFGH");
    for (auto [type, size] : {std::pair{kBlockSwitchable, 21u}, {kBlockSwitch, 17u}, {kBlockLadder, 17u},
                              {kBlockDisappearing, 13u}})
        EXPECT_EQ(Record(type, 0, 0, 0).size(), size) << type;
}

TEST(BlockRecord, LoadAppliesTheStoredFields)
{
    PhasingBlockData p{0.75f, 2.0f, 3.0f, 0, {0, 0, 0}, 9.0f, 9.0f};
    Block loaded;
    ASSERT_TRUE(Loads(Record(kBlockPhasing, 1, 1, 1, &p), &loaded));
    auto *d = static_cast<PhasingBlockData *>(loaded.data);
    EXPECT_EQ((std::vector<float>{d->initialDelay, d->onInterval, d->offInterval, float(d->on), d->elapsed,
                                  d->nextToggle}),
              (std::vector<float>{0.75f, 2.0f, 3.0f, 0, 0, 0.75f}));
    BlockDispose(&loaded);

    TestBlock ladder(kBlockLadder, 1, 0, 1);
    LadderData turned{1};
    BlockSetData(&ladder, &turned);
    ASSERT_TRUE(Loads(SaveRecord(&ladder), &loaded));
    EXPECT_EQ(static_cast<LadderData *>(loaded.data)->orientation, 1);
    EXPECT_EQ(std::make_pair(loaded.minX, loaded.maxZ), std::make_pair(ladder.minX, ladder.maxZ));
    BlockDispose(&loaded);
}

// Cells outside the level and cut records are refused in the level-set file's tests.
TEST(BlockRecord, LoadRefusesBadValues)
{
    Block loaded;
    std::vector<uint8_t> bytes = Record(kBlockLadder, 0, 0, 0);
    bytes[16] = 2; // orientation 2
    EXPECT_FALSE(Loads(bytes, &loaded));
    EXPECT_EQ(loaded.data, nullptr);
    bytes = Record(kBlockPhasing, 0, 0, 0);
    bytes[17] = 0x7F; // on interval becomes NaN
    bytes[18] = 0xC0;
    EXPECT_FALSE(Loads(bytes, &loaded));
    EXPECT_EQ(loaded.data, nullptr);
}
