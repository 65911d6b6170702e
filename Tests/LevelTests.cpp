#include "Block.h"
#include "Level.h"
#include "LevelWorldSupport.h"
#include "Powerup.h"
#include "WaterController.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

using namespace levelworld;

namespace {

std::vector<Block *> Query(Level *level, AABB q)
{
    int32_t count = -1;
    Block **list = LevelGetSortedBlockListForBoundingBox(level, q.minX, q.maxX, q.minY, q.maxY, q.minZ, q.maxZ, &count);
    std::vector<Block *> result(list, list + count);
    std::free(list);
    return result;
}

std::vector<int32_t> CellSlots(Level *level, int32_t x, int32_t y, int32_t z)
{
    std::vector<int32_t> slots;
    for (int32_t s = 0;; s++) {
        Block *b = LevelGetBlockAtPos(level, x, y, z, s);
        if (!b)
            break;
        slots.push_back(LevelGetIndexForBlock(level, b));
    }
    return slots;
}

// A 4 x 4 x 4 level unless the test asks for another size.
struct LevelTest : testing::Test {
    Level *level = LevelAllocate(4, 4, 4, 0, 0);
    ~LevelTest() override { LevelDispose(level); }
    void Resize(int32_t sx, int32_t sy, int32_t sz)
    {
        LevelDispose(level);
        level = LevelAllocate(sx, sy, sz, 0, 0);
    }
};

} // namespace

TEST_F(LevelTest, GridCellRangeTruncatesAndClampsAndOnlyItsCellsAreSearched)
{
    auto range = [&](AABB box) {
        CellRange r = LevelGetCellRange(level, box);
        return std::vector<int32_t>{r.firstX, r.lastX, r.firstY, r.lastY, r.firstZ, r.lastZ};
    };
    // A box ending exactly on a boundary has only the cell it enters.
    EXPECT_EQ(range(AABB{6, 12, 0, 6, 0.5f, 13}), (std::vector<int32_t>{1, 1, 0, 0, 0, 2}));
    EXPECT_EQ(range(AABB{-50, -10, 30, 100, -1, 1}), (std::vector<int32_t>{0, 0, 3, 3, 0, 0}));
    // Only those cells are searched: a box ending at x = 6 does not look at
    // the stone of cell 1 that it touches; reaching past 6 finds it.
    AddBlock(level, kBlockStone, 1, 0, 0);
    EXPECT_TRUE(Query(level, AABB{3, 6, 1, 2, 1, 2}).empty());
    EXPECT_EQ(Query(level, AABB{3, 6.01f, 1, 2, 1, 2}).size(), 1u);
}

TEST_F(LevelTest, QueryTouchingFacesCountAndOutsideBoxesAreClamped)
{
    AddBlock(level, kBlockDeadly, 1, 0, 0); // [6.7, 11.3] x [0.7, 5.3] x [0.7, 5.3]
    AddBlock(level, kBlockStone, 0, 0, 0);  // [0, 6] x [0, 6] x [0, 6]
    // The deeper overlap first, then the stone whose face it touches.
    EXPECT_EQ(Query(level, AABB{3, 6.7f, 1, 2, 1, 2}), (std::vector<Block *>{&level->blocks[1], &level->blocks[0]}));
    EXPECT_TRUE(Query(level, AABB{11.31f, 13, 1, 2, 1, 2}).empty());
    // Entirely outside the level below x = 0: the border cells are searched
    // but only blocks that the box touches are returned.
    EXPECT_TRUE(Query(level, AABB{-5, -1, 1, 2, 1, 2}).empty());
    EXPECT_EQ(Query(level, AABB{-5, 0, 1, 2, 1, 2}), std::vector<Block *>{&level->blocks[1]});
    // An empty range returns nothing.
    EXPECT_TRUE(Query(level, AABB{20, 3, 1, 2, 1, 2}).empty());
}

TEST_F(LevelTest, QueryLargeBlockInTwoCellsIsReturnedOnce)
{
    Block big;
    BlockInit(&big, kBlockStone, 0, 0, 0);
    big.maxX = 12.0f; // reaches into cell (1, 0, 0) as well
    LevelAddBlock(level, &big);
    EXPECT_EQ(CellSlots(level, 0, 0, 0).size(), 1u);
    EXPECT_EQ(CellSlots(level, 1, 0, 0).size(), 1u);
    EXPECT_EQ(Query(level, AABB{1, 11, 1, 2, 1, 2}), std::vector<Block *>{&level->blocks[0]});
}

TEST_F(LevelTest, QueryDeepestOverlapFirstAndTiesGoToTheLaterBlock)
{
    AddBlock(level, kBlockStone, 0, 0, 0);
    AddBlock(level, kBlockStone, 2, 0, 0);
    AddBlock(level, kBlockStone, 1, 0, 0);
    // Query from x 5 to 13: blocks 0 and 1 overlap by 1 in x, block 2 fully.
    // Blocks 0 and 1 tie: the later one in gathered order (x outermost) first.
    EXPECT_EQ(Query(level, AABB{5, 13, 0, 6, 0, 6}),
              (std::vector<Block *>{&level->blocks[2], &level->blocks[1], &level->blocks[0]}));
}

TEST_F(LevelTest, RemovalCompactionRenamesTheGridEntries)
{
    Resize(10, 1, 1);
    for (int32_t i = 0; i < 10; i++)
        AddBlock(level, kBlockStone, i, 0, 0);
    LevelRemoveBlock(level, 3, true);
    EXPECT_EQ(level->blockCount, 9);
    EXPECT_TRUE(CellSlots(level, 3, 0, 0).empty());
    for (int32_t x = 4; x < 10; x++) {
        EXPECT_EQ(CellSlots(level, x, 0, 0), std::vector<int32_t>{x - 1});
        EXPECT_EQ(level->blocks[x - 1].cellX, x);
    }
    EXPECT_EQ(Query(level, AABB{48.5f, 49, 1, 2, 1, 2}), std::vector<Block *>{&level->blocks[7]});
    LevelRemoveBlock(level, -1, true);
    LevelRemoveBlock(level, 9, true);
    EXPECT_EQ(level->blockCount, 9);
}

TEST_F(LevelTest, RemovalInPlaceLeavesAnEmptySpaceRecordThatNoQueryReturns)
{
    Resize(4, 1, 1);
    AddBlock(level, kBlockStone, 0, 0, 0);
    AddBlock(level, kBlockPhasing, 1, 0, 0);
    AddBlock(level, kBlockStone, 2, 0, 0);
    LevelRemoveBlock(level, 1, false);
    EXPECT_EQ(level->blockCount, 3);
    EXPECT_EQ(level->blocks[1].type, kBlockEmptySpace);
    EXPECT_EQ(level->blocks[1].data, nullptr);
    EXPECT_TRUE(Query(level, AABB{6.5f, 11, 1, 2, 1, 2}).empty());
    EXPECT_EQ(Query(level, AABB{0, 24, 0, 6, 0, 6}).size(), 2u);
    EXPECT_EQ(LevelGetIndexForBlock(level, &level->blocks[2]), 2);
    Block outside;
    EXPECT_EQ(LevelGetIndexForBlock(level, &outside), -1);
}

TEST_F(LevelTest, RemovalManyBlocksInOneCellKeepTheirOrder)
{
    Resize(2, 2, 2);
    for (int32_t i = 0; i < 100; i++)
        AddBlock(level, kBlockSwitch, 1, 1, 1);
    EXPECT_EQ(LevelGetGridCell(level, 1, 1, 1)->slotCount, 128);
    LevelRemoveBlock(level, 40, false);
    LevelRemoveBlock(level, 0, true);
    std::vector<int32_t> slots = CellSlots(level, 1, 1, 1);
    ASSERT_EQ(slots.size(), 98u);
    for (size_t i = 0; i < slots.size(); i++)
        EXPECT_EQ(slots[i], int32_t(i < 39 ? i : i + 1)) << i;
    AddBlock(level, kBlockSwitch, 1, 1, 1);
    EXPECT_EQ(CellSlots(level, 1, 1, 1).back(), 99);
    EXPECT_EQ(Query(level, AABB{8, 10, 8, 10, 8, 10}).size(), 99u);
}

TEST_F(LevelTest, ResizeShrinkingRemovesOutsideBlocksAndClampsTheStart)
{
    Resize(10, 10, 10);
    AddBlock(level, kBlockStone, 8, 0, 0);
    AddBlock(level, kBlockStone, 1, 1, 1);
    AddBlock(level, kBlockPhasing, 0, 9, 0);
    AddBlock(level, kBlockStone, 4, 4, 4);
    AddBlock(level, kBlockStone, 4, 4, 7);
    level->playerStartX = 7;
    level->playerStartZ = 7;
    LevelChangeGridSize(level, 5, 5, 5);
    EXPECT_EQ((std::vector<int32_t>{level->sizeX, level->blockCount, level->playerStartX, level->playerStartY,
                                    level->playerStartZ}),
              (std::vector<int32_t>{5, 2, 4, 0, 4}));
    EXPECT_EQ(CellSlots(level, 1, 1, 1), (std::vector<int32_t>{0}));
    EXPECT_EQ(CellSlots(level, 4, 4, 4), (std::vector<int32_t>{1}));
    EXPECT_EQ(level->blocks[1].cellX, 4);

    // More than 32768 cells is refused through the editor's resizing keys.
    LevelChangeGridSize(level, 0, 5, 5);
    EXPECT_EQ(level->sizeX, 5);
    LevelChangeGridSize(level, 32, 32, 32);
    EXPECT_EQ(level->sizeY, 32);
    EXPECT_EQ(CellSlots(level, 4, 4, 4), (std::vector<int32_t>{1}));
    EXPECT_EQ(Query(level, AABB{24.5f, 25, 24.5f, 25, 24.5f, 25}).size(), 1u);
}

TEST(LevelCopy, CopyIsDeepAndIndependent)
{
    Level *level = LevelAllocate(4, 4, 4, 0, 0);
    AddBlock(level, kBlockSwitchable, 1, 0, 0);
    AddBlock(level, kBlockStone, 2, 0, 0);
    Powerup *gem = PowerupAllocate(kPowerupGem);
    PowerupSetPosition(gem, 3, 3, 3);
    LevelAddPowerup(level, gem);
    WaterControllerSetRiseSpeed(level->waterController, 2.5);
    level->initialPlayerFacing = 1;
    level->initialCameraFacing = VectorWithValues(1, 0, 0);

    Level *copy = LevelCreateCopy(level);
    EXPECT_EQ(copy->blockCount, 2);
    EXPECT_GE(copy->blockCapacity, 2);
    EXPECT_NE(copy->blocks[0].data, level->blocks[0].data);
    static_cast<SwitchableBlockData *>(copy->blocks[0].data)->on = 0;
    EXPECT_EQ(static_cast<SwitchableBlockData *>(level->blocks[0].data)->on, 1);
    EXPECT_EQ(CellSlots(copy, 2, 0, 0), (std::vector<int32_t>{1}));
    ASSERT_EQ(copy->powerupCount, 1);
    EXPECT_NE(copy->powerups[0], level->powerups[0]);
    EXPECT_EQ(copy->waterController->level, copy);
    EXPECT_EQ((std::vector<double>{copy->powerups[0]->position.x, WaterControllerGetRiseSpeed(copy->waterController),
                                   double(copy->initialPlayerFacing), copy->initialCameraFacing.x}),
              (std::vector<double>{3, 2.5, 1, 1}));
    LevelDispose(level);
    // The copy lives on after the original is gone.
    EXPECT_EQ(Query(copy, AABB{13, 14, 1, 2, 1, 2}).size(), 1u);
    LevelDispose(copy);
}

TEST_F(LevelTest, PowerupsAddRemoveAndFind)
{
    std::vector<Powerup *> added;
    for (int i = 0; i < 12; i++) {
        Powerup *p = PowerupAllocate(kPowerupKey);
        p->minX = p->minY = p->minZ = -1;
        p->maxX = p->maxY = p->maxZ = 1;
        PowerupSetPosition(p, float(2 * i + 1), 1, 1);
        LevelAddPowerup(level, p);
        added.push_back(p);
    }
    EXPECT_EQ(level->powerupCount, 12);
    EXPECT_EQ(LevelGetIndexForPowerup(level, added[5]), 5);
    EXPECT_EQ(LevelGetPowerupAtPosition(level, 11, 1, 1), added[5]);
    EXPECT_EQ(LevelGetPowerupAtPosition(level, 12, 2, 2), added[5]); // bounds included: first in order
    EXPECT_EQ(LevelGetPowerupAtPosition(level, 50, 1, 1), nullptr);
    LevelRemovePowerup(level, 5);
    EXPECT_EQ(level->powerupCount, 11);
    EXPECT_EQ(level->powerups[5], added[6]);
    EXPECT_EQ(LevelGetIndexForPowerup(level, added[6]), 5);
    LevelRemovePowerup(level, 11);
    LevelRemovePowerup(level, -1);
    EXPECT_EQ(level->powerupCount, 11);
}

TEST_F(LevelTest, TickRunsBlocksAndPowerupsButNotTheWater)
{
    AddBlock(level, kBlockPhasing, 0, 0, 0);
    Powerup *p = PowerupAllocate(kPowerupGem);
    LevelAddPowerup(level, p);
    for (int i = 0; i < 10; i++)
        LevelRun(level, 1.0f / 120);
    EXPECT_NEAR(static_cast<PhasingBlockData *>(level->blocks[0].data)->elapsed, 10.0f / 120, 1e-6);
    EXPECT_NEAR(p->spin, 8.0f, 1e-4);
    EXPECT_EQ(WaterControllerGetCurrentWaterLevel(level->waterController), 0.0);
}

// Loading records back is checked by the level-set file's round trip.
TEST_F(LevelTest, RecordBytesOfAnEmptyLevel)
{
    Resize(2, 3, 4);
    ByteBuffer buffer;
    ByteBufferInit(&buffer, 256);
    ASSERT_TRUE(LevelSave(level, &buffer));
    // 7 ints, water (4 + 8 + 8), powerup count, facing, camera, 11 reserved, end offset.
    ASSERT_EQ(buffer.length, 28 + 20 + 4 + 1 + 12 + 11 + 4);
    // Sizes 2, 3, 4; start x = 2 / 2; the rising-level form -1; speed 1.0 =
    // 3FF0000000000000; facing 2; camera z = -1.0f = BF800000.
    const int at[] = {3, 7, 11, 19, 28, 31, 40, 41, 52, 61, 62, 63};
    const uint8_t expected[] = {2, 3, 4, 1, 0xFF, 0xFF, 0x3F, 0xF0, 2, 0xBF, 0x80, 0x00};
    for (int i = 0; i < 12; i++)
        EXPECT_EQ(buffer.data[at[i]], expected[i]) << at[i];
    int32_t end = (buffer.data[76] << 24) | (buffer.data[77] << 16) | (buffer.data[78] << 8) | buffer.data[79];
    EXPECT_EQ(end, buffer.length);
    ByteBufferDispose(&buffer);
}
