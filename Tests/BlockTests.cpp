#include "Block.h"
#include "Level.h"
#include "LevelWorldSupport.h"
#include "Player.h"
#include "WaterController.h"

#include <gtest/gtest.h>

#include <cstring>

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

bool IsOn(const Block *block)
{
    switch (block->type) {
    case kBlockDisappearing:
    case kBlockAppearing:
        return static_cast<ToggleBlockData *>(block->data)->on != 0;
    case kBlockSwitchable:
        return static_cast<SwitchableBlockData *>(block->data)->on != 0;
    case kBlockPhasing:
        return static_cast<PhasingBlockData *>(block->data)->on != 0;
    default:
        return true;
    }
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
        Block b;
        BlockInit(&b, r.type, r.x, r.y, r.z);
        EXPECT_EQ(b.cellZ, r.z);
        EXPECT_EQ(b.minX, r.minX) << r.type;
        EXPECT_EQ(b.maxX, r.maxX) << r.type;
        EXPECT_EQ(b.minY, r.minY) << r.type;
        EXPECT_EQ(b.maxY, r.maxY) << r.type;
        EXPECT_EQ(b.minZ, r.minZ) << r.type;
        EXPECT_EQ(b.maxZ, r.maxZ) << r.type;
        EXPECT_EQ(b.position.x, r.px) << r.type;
        EXPECT_EQ(b.position.y, r.py) << r.type;
        EXPECT_EQ(b.position.z, r.pz) << r.type;
        BlockDispose(&b);
    }
    for (int32_t type : {0, 5, 6, 8, 9, 11, 12, 16, 17, 18, 20, 22, 200}) {
        Block b;
        BlockInit(&b, type, 3, 4, 5);
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
    BlockInit(&b, kBlockTeleport, 0, 0, 0);
    EXPECT_EQ(static_cast<TeleportData *>(b.data)->identifier, uint32_t('0000'));
    EXPECT_EQ(static_cast<TeleportData *>(b.data)->target, uint32_t('0000'));
    BlockDispose(&b);
    BlockInit(&b, kBlockPhasing, 0, 0, 0);
    auto *ph = static_cast<PhasingBlockData *>(b.data);
    EXPECT_EQ(ph->initialDelay + ph->elapsed, 0.0f);
    EXPECT_EQ(ph->onInterval + ph->offInterval + ph->nextToggle, 3.0f);
    EXPECT_EQ(ph->on, 1);
    BlockDispose(&b);
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
    EXPECT_EQ(copy.minX, source.minX);
    EXPECT_EQ(copy.cellY, 1);
    BlockDispose(&copy);
    BlockDispose(&source);

    BlockInit(&source, kBlockStone, 0, 0, 0);
    BlockCopy(&source, &copy);
    EXPECT_EQ(copy.data, nullptr);
}

TEST(BlockData, LadderFlippedTwiceRestoresItsBounds)
{
    Block b;
    BlockInit(&b, kBlockLadder, 2, 1, 3);
    AABB before = BlockGetBounds(&b);
    LadderData turned{1};
    BlockSetData(&b, &turned);
    EXPECT_EQ(static_cast<LadderData *>(b.data)->orientation, 1);
    // Turned: 0.25 wide in x, 2.3 deep in z, around the same centre.
    EXPECT_NEAR(b.maxX - b.minX, 0.25f, 1e-5);
    EXPECT_NEAR(b.maxZ - b.minZ, 2.3f, 1e-5);
    EXPECT_NEAR((b.minX + b.maxX) / 2, 15.0f, 1e-5);
    EXPECT_NEAR((b.minZ + b.maxZ) / 2, 21.0f, 1e-5);
    EXPECT_EQ(b.minY, before.minY);
    // Setting the same orientation again changes nothing.
    BlockSetData(&b, &turned);
    EXPECT_NEAR(b.maxX - b.minX, 0.25f, 1e-5);
    LadderData back{0};
    BlockSetData(&b, &back);
    EXPECT_NEAR(b.minX, before.minX, 1e-5);
    EXPECT_NEAR(b.maxX, before.maxX, 1e-5);
    EXPECT_NEAR(b.minZ, before.minZ, 1e-5);
    EXPECT_NEAR(b.maxZ, before.maxZ, 1e-5);
    BlockDispose(&b);
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
        Block b;
        BlockInit(&b, type, 0, 0, 0);
        EXPECT_STREQ(BlockGetDescription(&b), expected[type]) << type;
        BlockDispose(&b);
    }
    Block b;
    BlockInit(&b, 200, 0, 0, 0);
    EXPECT_STREQ(BlockGetDescription(&b), "Empty space");
    EXPECT_TRUE(BlockStopsWater(&b));
    EXPECT_TRUE(BlockStopsPlayer(&b));
    EXPECT_TRUE(BlockStopsLight(&b));
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
        Block b;
        BlockInit(&b, row.type, 0, 0, 0);
        EXPECT_EQ(BlockStopsWater(&b), row.water) << row.type;
        EXPECT_EQ(BlockStopsPlayer(&b), row.player) << row.type;
        EXPECT_EQ(BlockStopsLight(&b), row.light) << row.type;
        BlockDispose(&b);
    }
    for (int32_t type : {kBlockDisappearing, kBlockAppearing, kBlockSwitchable, kBlockPhasing}) {
        Block b;
        BlockInit(&b, type, 0, 0, 0);
        EXPECT_TRUE(BlockStopsWater(&b));
        EXPECT_TRUE(BlockStopsPlayer(&b));
        EXPECT_TRUE(BlockStopsLight(&b));
        if (type == kBlockPhasing)
            static_cast<PhasingBlockData *>(b.data)->on = 0;
        else if (type == kBlockSwitchable)
            static_cast<SwitchableBlockData *>(b.data)->on = 0;
        else
            static_cast<ToggleBlockData *>(b.data)->on = 0;
        EXPECT_FALSE(BlockStopsWater(&b)) << type;
        EXPECT_FALSE(BlockStopsPlayer(&b)) << type;
        EXPECT_FALSE(BlockStopsLight(&b)) << type;
        BlockDispose(&b);
    }
}

TEST_F(LevelFixture, WaterAtABlocksTopTurnsBothKindsOff)
{
    int32_t d = AddBlock(level, kBlockDisappearing, 0, 1, 0);
    int32_t a = AddBlock(level, kBlockAppearing, 1, 1, 0);
    WaterControllerSetCurrentWaterLevel(level->waterController, 11.0);
    LevelRun(level, 1.0f / 120);
    EXPECT_TRUE(IsOn(At(d)));  // water below the top
    EXPECT_FALSE(IsOn(At(a))); // not above it
    WaterControllerSetCurrentWaterLevel(level->waterController, 12.0);
    LevelRun(level, 1.0f / 120);
    EXPECT_FALSE(IsOn(At(d)));
    EXPECT_FALSE(IsOn(At(a)));
    WaterControllerSetCurrentWaterLevel(level->waterController, 12.5);
    LevelRun(level, 1.0f / 120);
    EXPECT_FALSE(IsOn(At(d)));
    EXPECT_TRUE(IsOn(At(a)));
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
    for (int32_t i = 0; i < 10; i++)
        EXPECT_FALSE(IsOn(At(i)));
    LevelRun(level, 1.0f / 120); // nothing changes: the flag starts clear again
    EXPECT_FALSE(BlockPlayedToggleSoundThisTick());
    WaterControllerSetCurrentWaterLevel(level->waterController, 0.0);
    LevelRun(level, 1.0f / 120);
    EXPECT_TRUE(BlockPlayedToggleSoundThisTick());
}

TEST_F(LevelFixture, PhasingBlockWithZeroIntervalsTogglesAtMostOncePerTick)
{
    int32_t p = AddBlock(level, kBlockPhasing, 0, 0, 0);
    PhasingBlockData values{0.0f, 0.0f, 0.0f, 1, {0, 0, 0}, 0.0f, 0.0f};
    BlockSetData(At(p), &values);
    bool was = IsOn(At(p));
    for (int tick = 0; tick < 5; tick++) {
        LevelRun(level, 1.0f / 120);
        EXPECT_NE(IsOn(At(p)), was) << tick; // exactly one toggle
        EXPECT_TRUE(BlockPlayedPhaseSoundThisTick());
        was = IsOn(At(p));
    }
}

TEST_F(LevelFixture, PhasingBlockAlternatesWithItsIntervals)
{
    int32_t p = AddBlock(level, kBlockPhasing, 0, 0, 0);
    PhasingBlockData values{0.5f, 1.0f, 0.25f, 1, {0, 0, 0}, 0.0f, 0.5f};
    BlockSetData(At(p), &values);
    int toggles = 0;
    bool was = true;
    int firstToggle = -1, secondToggle = -1;
    for (int tick = 1; tick <= 120; tick++) {
        LevelRun(level, 1.0f / 120);
        if (IsOn(At(p)) != was) {
            toggles++;
            was = IsOn(At(p));
            if (firstToggle < 0)
                firstToggle = tick;
            else if (secondToggle < 0)
                secondToggle = tick;
        }
    }
    // Off after half a second, on again a quarter second later.
    EXPECT_NEAR(firstToggle, 61, 1);
    EXPECT_NEAR(secondToggle, 91, 1);
    EXPECT_EQ(toggles, 2);
    EXPECT_TRUE(was);
}

TEST_F(LevelFixture, SwitchFlipsEveryMatchingSwitchableBlock)
{
    int32_t s = AddBlock(level, kBlockSwitch, 0, 0, 0);
    int32_t a = AddBlock(level, kBlockSwitchable, 1, 0, 0);
    int32_t b = AddBlock(level, kBlockSwitchable, 2, 0, 0);
    int32_t c = AddBlock(level, kBlockSwitchable, 3, 0, 0);
    SwitchableBlockData other{1, {0, 0, 0}, 'XXXX'};
    BlockSetData(At(c), &other);
    BlockPlayerAction(At(s), player, level);
    EXPECT_FALSE(IsOn(At(a)));
    EXPECT_FALSE(IsOn(At(b)));
    EXPECT_TRUE(IsOn(At(c)));
    EXPECT_EQ(static_cast<SwitchData *>(At(s)->data)->pressTimer, 40);
    LevelRun(level, 1.0f / 120);
    EXPECT_EQ(static_cast<SwitchData *>(At(s)->data)->pressTimer, 39);
    BlockPlayerAction(At(s), player, level);
    EXPECT_TRUE(IsOn(At(a)));
    EXPECT_EQ(static_cast<SwitchData *>(At(s)->data)->pressTimer, 40);
    for (int i = 0; i < 100; i++)
        LevelRun(level, 1.0f / 120);
    EXPECT_EQ(static_cast<SwitchData *>(At(s)->data)->pressTimer, 0);
    // Without a matching block the switch does not move.
    SwitchData unmatched{'ABCD', 0};
    BlockSetData(At(s), &unmatched);
    BlockPlayerAction(At(s), player, level);
    EXPECT_EQ(static_cast<SwitchData *>(At(s)->data)->pressTimer, 0);
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
    EXPECT_EQ(player->position.x, 27.0f);
    EXPECT_FLOAT_EQ(player->position.y, 15.0f - 2.8f);
    EXPECT_EQ(player->position.z, 33.0f);

    // A teleport whose identifier equals its target matches itself.
    BlockPlayerAction(At(other), player, level);
    EXPECT_EQ(player->position.x, 33.0f);
    EXPECT_FLOAT_EQ(player->position.y, 33.0f - 2.8f);
}

TEST_F(LevelFixture, TouchingDeadlyFireAndPortalEndsTheTick)
{
    int32_t deadly = AddBlock(level, kBlockDeadly, 0, 0, 0);
    int32_t fire = AddBlock(level, kBlockFire, 1, 0, 0);
    int32_t portal = AddBlock(level, kBlockLevelPortal, 2, 0, 0);
    int32_t stone = AddBlock(level, kBlockStone, 3, 0, 0);
    player->lives = 3;
    EXPECT_TRUE(BlockTouched(At(deadly), player, level));
    EXPECT_TRUE(BlockTouched(At(fire), player, level));
    EXPECT_TRUE(BlockTouched(At(portal), player, level));
    EXPECT_FALSE(BlockTouched(At(stone), player, level));
    // The editor's player has no game mode and ignores deaths.
    EXPECT_EQ(player->lives, 3);
}

TEST_F(LevelFixture, LockedBlockOpensWithAKeyAndStaysInTheArray)
{
    AddBlock(level, kBlockStone, 0, 0, 0);
    int32_t locked = AddBlock(level, kBlockLocked, 1, 0, 0);
    AddBlock(level, kBlockStone, 2, 0, 0);
    EXPECT_FALSE(BlockTouched(At(locked), player, level));
    EXPECT_EQ(At(locked)->type, kBlockLocked); // no key
    PlayerAwardKey(player);
    EXPECT_FALSE(BlockTouched(At(locked), player, level));
    EXPECT_EQ(player->keys, 0);
    EXPECT_EQ(level->blockCount, 3);
    EXPECT_EQ(At(locked)->type, kBlockEmptySpace);
    EXPECT_EQ(At(locked)->maxX, 0.0f);
    EXPECT_EQ(At(locked)->maxY, 0.0f);
    EXPECT_EQ(At(2)->type, kBlockStone);
    int32_t count = 0;
    Block **found = LevelGetSortedBlockListForBoundingBox(level, 6.5f, 11.5f, 0.5f, 5.5f, 0.5f, 5.5f, &count);
    EXPECT_EQ(count, 0);
    std::free(found);
}

TEST(BlockRecord, ExactSizesAndBytes)
{
    Block b;
    BlockInit(&b, kBlockStone, 1, 2, 0x01020304);
    std::vector<uint8_t> stone = SaveRecord(&b);
    ASSERT_EQ(stone.size(), 13u);
    std::vector<uint8_t> expected = {1, 0, 0, 0, 1, 0, 0, 0, 2, 1, 2, 3, 4};
    EXPECT_EQ(stone, expected);
    BlockDispose(&b);

    BlockInit(&b, kBlockPhasing, 0, 0, 0);
    PhasingBlockData p{0.5f, 1.0f, 2.0f, 1, {0, 0, 0}, 0, 0};
    BlockSetData(&b, &p);
    std::vector<uint8_t> phasing = SaveRecord(&b);
    ASSERT_EQ(phasing.size(), 29u);
    // 0.5f = 0x3F000000, flag field 01 00 00 00.
    EXPECT_EQ(phasing[13], 0x3F);
    EXPECT_EQ(phasing[14], 0x00);
    EXPECT_EQ(phasing[17], 0x3F);
    EXPECT_EQ(phasing[18], 0x80);
    EXPECT_EQ(phasing[21], 0x40);
    EXPECT_EQ(phasing[25], 1);
    EXPECT_EQ(phasing[26], 0);
    EXPECT_EQ(phasing[28], 0);
    BlockDispose(&b);

    BlockInit(&b, kBlockTeleport, 0, 0, 0);
    TeleportData t{'ABCD', 'EFGH'};
    BlockSetData(&b, &t);
    std::vector<uint8_t> teleport = SaveRecord(&b);
    ASSERT_EQ(teleport.size(), 21u);
    EXPECT_EQ(std::string(teleport.begin() + 13, teleport.end()), "ABCDEFGH");
    BlockDispose(&b);

    for (auto [type, size] : {std::pair{kBlockSwitchable, 21u}, {kBlockSwitch, 17u}, {kBlockLadder, 17u},
                              {kBlockDisappearing, 13u}}) {
        BlockInit(&b, type, 0, 0, 0);
        EXPECT_EQ(SaveRecord(&b).size(), size) << type;
        BlockDispose(&b);
    }
}

TEST(BlockRecord, LoadAppliesTheStoredFields)
{
    Block b;
    BlockInit(&b, kBlockPhasing, 1, 1, 1);
    PhasingBlockData p{0.75f, 2.0f, 3.0f, 0, {0, 0, 0}, 9.0f, 9.0f};
    BlockSetData(&b, &p);
    std::vector<uint8_t> bytes = SaveRecord(&b);
    BlockDispose(&b);
    Block loaded;
    int32_t position = 0;
    ASSERT_TRUE(BlockLoad(&loaded, bytes.data(), int32_t(bytes.size()), &position, 2, 2, 2));
    EXPECT_EQ(position, 29);
    auto *d = static_cast<PhasingBlockData *>(loaded.data);
    EXPECT_EQ(d->initialDelay, 0.75f);
    EXPECT_EQ(d->onInterval, 2.0f);
    EXPECT_EQ(d->offInterval, 3.0f);
    EXPECT_EQ(d->on, 0);
    EXPECT_EQ(d->elapsed, 0.0f);
    EXPECT_EQ(d->nextToggle, 0.75f);
    BlockDispose(&loaded);

    BlockInit(&b, kBlockLadder, 1, 0, 1);
    LadderData turned{1};
    BlockSetData(&b, &turned);
    AABB turnedBox = BlockGetBounds(&b);
    bytes = SaveRecord(&b);
    BlockDispose(&b);
    position = 0;
    ASSERT_TRUE(BlockLoad(&loaded, bytes.data(), int32_t(bytes.size()), &position, 2, 2, 2));
    EXPECT_EQ(static_cast<LadderData *>(loaded.data)->orientation, 1);
    EXPECT_EQ(loaded.minX, turnedBox.minX);
    EXPECT_EQ(loaded.maxZ, turnedBox.maxZ);
    BlockDispose(&loaded);
}

TEST(BlockRecord, LoadRefusesCellsOutsideTheLevelAndBadValues)
{
    Block b;
    BlockInit(&b, kBlockStone, 2, 0, 0);
    std::vector<uint8_t> bytes = SaveRecord(&b);
    Block loaded;
    int32_t position = 0;
    EXPECT_FALSE(BlockLoad(&loaded, bytes.data(), int32_t(bytes.size()), &position, 2, 2, 2));
    BlockInit(&b, kBlockStone, 0, -1, 0);
    bytes = SaveRecord(&b);
    position = 0;
    EXPECT_FALSE(BlockLoad(&loaded, bytes.data(), int32_t(bytes.size()), &position, 2, 2, 2));

    BlockInit(&b, kBlockLadder, 0, 0, 0);
    bytes = SaveRecord(&b);
    BlockDispose(&b);
    bytes[16] = 2; // orientation 2
    position = 0;
    EXPECT_FALSE(BlockLoad(&loaded, bytes.data(), int32_t(bytes.size()), &position, 2, 2, 2));
    EXPECT_EQ(loaded.data, nullptr);

    BlockInit(&b, kBlockPhasing, 0, 0, 0);
    bytes = SaveRecord(&b);
    BlockDispose(&b);
    bytes[17] = 0x7F; // on interval becomes NaN
    bytes[18] = 0xC0;
    position = 0;
    EXPECT_FALSE(BlockLoad(&loaded, bytes.data(), int32_t(bytes.size()), &position, 2, 2, 2));

    position = 0;
    EXPECT_FALSE(BlockLoad(&loaded, bytes.data(), 20, &position, 2, 2, 2)); // cut short
    EXPECT_EQ(loaded.data, nullptr);
}
