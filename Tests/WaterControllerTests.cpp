#include "Level.h"
#include "LevelWorldSupport.h"
#include "Water.h"
#include "WaterController.h"

#include <gtest/gtest.h>

#include <array>
#include <initializer_list>

using namespace levelworld;

namespace {

WaterController *BoxWater(Level *level)
{
    WaterControllerDispose(level->waterController);
    level->waterController = WaterControllerAllocate(level, kWaterModeBoxes);
    return level->waterController;
}

WaterBox *AddBox(WaterController *water, AABB b)
{
    return WaterControllerAddBox(water, WaterBoxAllocate(water, b.minX, b.maxX, b.minY, b.maxY, b.minZ, b.maxZ));
}

void Relink(WaterController *water)
{
    for (int32_t i = 0; i < water->boxCount; i++)
        WaterBoxRelinkSides(water->boxes[i]);
}

void RunTicks(WaterController *water, int ticks)
{
    for (int i = 0; i < ticks; i++)
        WaterControllerRun(water, 1.0f / 120);
}

float Volume(const AABB &b)
{
    return (b.maxX - b.minX) * (b.maxY - b.minY) * (b.maxZ - b.minZ);
}

std::vector<float> Extent(const WaterBox *b)
{
    return {b->minX, b->maxX, b->minY, b->maxY, b->minZ, b->maxZ};
}

int32_t CountFull(const WaterController *water)
{
    int32_t n = 0;
    for (int32_t i = 0; i < water->boxCount; i++)
        if (WaterBoxGetVolume(water->boxes[i]) >= kWaterMinimumVolume)
            n++;
    return n;
}

} // namespace

TEST(WaterRising, RisesWithItsSpeedStopsAtTheTopAndSinksBelowZero)
{
    Level *level = LevelAllocate(2, 2, 2, 0, 0);
    WaterController *water = level->waterController;
    RunTicks(water, 120);
    EXPECT_NEAR(WaterControllerGetCurrentWaterLevel(water), 1.0, 1e-6);
    RunTicks(water, 120 * 20);
    EXPECT_EQ(WaterControllerGetCurrentWaterLevel(water), 12.0);
    WaterControllerSetCurrentWaterLevel(water, 0.0);
    WaterControllerSetRiseSpeed(water, -16.0);
    RunTicks(water, 120);
    EXPECT_NEAR(WaterControllerGetCurrentWaterLevel(water), -16.0, 1e-5);
    LevelDispose(level);
}

TEST(WaterRising, CoverageAndTheBoxFormIgnoringTheLevel)
{
    Level *level = LevelAllocate(2, 2, 2, 0, 0);
    WaterController *water = level->waterController;
    const double levels[] = {1.0, 3.0, 5.0};
    const float covered[] = {0.0f, 0.5f, 1.0f};
    for (int i = 0; i < 3; i++) {
        WaterControllerSetCurrentWaterLevel(water, levels[i]);
        EXPECT_EQ(WaterControllerGetWaterCoverage(water, 0, 1, 2, 4, 0, 1), covered[i]);
    }
    // A box without height is either dry or wet.
    EXPECT_EQ(WaterControllerGetWaterCoverage(water, 0, 1, 2, 2, 0, 1), 1.0f);

    WaterController *boxes = BoxWater(level);
    WaterControllerSetCurrentWaterLevel(boxes, 3.0);
    WaterControllerSetRiseSpeed(boxes, 3.0);
    EXPECT_EQ((std::vector<double>{WaterControllerGetCurrentWaterLevel(boxes), WaterControllerGetRiseSpeed(boxes),
                                   WaterControllerGetInitialWaterLevel(boxes),
                                   WaterControllerGetWaterCoverage(boxes, 0, 1, 2, 4, 0, 1)}),
              (std::vector<double>{0, 0, 0, 0}));
    LevelDispose(level);
}

TEST(WaterBoxList, AddIndexRemoveAndQuery)
{
    Level *level = LevelAllocate(4, 4, 4, 0, 0);
    // The rising-level form keeps no boxes.
    EXPECT_EQ(WaterControllerAddBox(level->waterController, WaterBoxAllocate(nullptr, 0, 1, 0, 1, 0, 1)), nullptr);
    WaterController *water = BoxWater(level);
    std::vector<WaterBox *> boxes;
    for (int i = 0; i < 5; i++)
        boxes.push_back(AddBox(water, AABB{float(2 * i), float(2 * i + 1), 0, 1, 0, 1}));
    EXPECT_EQ(water->boxCount, 5);
    EXPECT_EQ(water->boxCapacity, 8);
    EXPECT_EQ(WaterControllerIndexForBox(water, boxes[3]), 3);
    std::vector<WaterBox *> found = WaterControllerGetBoxListForBoundingBox(water, AABB{1, 4, 0.5f, 2, 0, 1});
    EXPECT_EQ(found, (std::vector<WaterBox *>{boxes[0], boxes[1], boxes[2]}));
    WaterControllerRemoveBoxAtIndex(water, 1);
    WaterControllerRemoveBoxAtIndex(water, -1);
    EXPECT_EQ(water->boxCount, 4);
    EXPECT_EQ(water->boxes[1], boxes[2]);
    EXPECT_EQ(WaterControllerIndexForBox(water, boxes[1]), -1);
    LevelDispose(level);
}

TEST(WaterEmptySpace, WallCutsTheRegionInHalf)
{
    AABB region{0, 6, 0, 6, 0, 6};
    AABB wall{2.9f, 3.1f, -1, 7, -1, 7};
    std::vector<AABB> space = WaterControllerComputeEmptySpace(region, VectorWithValues(1, 3, 3), &wall, 1);
    ASSERT_FALSE(space.empty());
    float volume = 0;
    for (const AABB &b : space) {
        EXPECT_LE(b.maxX, 2.9f + 1e-5f);
        volume += Volume(b);
    }
    EXPECT_NEAR(volume, 2.9f * 36, 1e-3);
    // A seed inside the obstacle finds nothing.
    EXPECT_TRUE(WaterControllerComputeEmptySpace(region, VectorWithValues(3, 3, 3), &wall, 1).empty());
}

TEST(WaterEmptySpace, FloodsAroundAnObstacleAndLeavesItsInsideOut)
{
    AABB region{0, 6, 0, 6, 0, 6};
    AABB pillar{2, 4, 0, 6, 2, 4};
    AABB beside{7, 8, 0, 6, 0, 6}; // outside the region: changes nothing
    AABB obstacles[] = {beside, pillar};
    std::vector<AABB> space = WaterControllerComputeEmptySpace(region, VectorWithValues(0.5f, 1, 0.5f), obstacles, 2);
    ASSERT_FALSE(space.empty());
    EXPECT_LE(space[0].minX, 0.5f);
    EXPECT_GE(space[0].maxX, 0.5f);
    float volume = 0;
    for (size_t i = 0; i < space.size(); i++) {
        const AABB &b = space[i];
        volume += Volume(b);
        EXPECT_FALSE(b.minX >= 2 && b.maxX <= 4 && b.minZ >= 2 && b.maxZ <= 4) << "inside the pillar";
        for (size_t j = 0; j < i; j++) {
            const AABB &c = space[j];
            EXPECT_FALSE(b.minX < c.maxX && c.minX < b.maxX && b.minY < c.maxY && c.minY < b.maxY &&
                         b.minZ < c.maxZ && c.minZ < b.maxZ)
                << "overlap";
        }
    }
    EXPECT_NEAR(volume, 216 - 24, 1e-3);
}

TEST(WaterMerging, SideBySideBoxesMergeAndKeepTheirVolume)
{
    Level *level = LevelAllocate(4, 4, 4, 0, 0);
    WaterController *water = BoxWater(level);
    AddBox(water, AABB{0, 2, 0, 1, 0, 2});
    AddBox(water, AABB{2, 4, 0, 1, 0, 2});
    AddBox(water, AABB{0, 2, 0, 1, 2, 4});
    AddBox(water, AABB{2, 4, 0, 1, 2, 4});
    Relink(water);
    double before = WaterControllerGetTotalVolume(water);
    WaterControllerSimplifyBoxes(water);
    EXPECT_EQ(CountFull(water), 1);
    EXPECT_NEAR(WaterControllerGetTotalVolume(water), before, 1e-4);
    EXPECT_EQ(Extent(water->boxes[0]), (std::vector<float>{0, 4, 0, 1, 0, 4}));
    // The absorbed boxes are removed at the start of the next run.
    RunTicks(water, 1);
    EXPECT_EQ(water->boxCount, 1);
    LevelDispose(level);
}

TEST(WaterMerging, BoxesOfDifferentHeightStaySeparate)
{
    Level *level = LevelAllocate(4, 4, 4, 0, 0);
    WaterController *water = BoxWater(level);
    AddBox(water, AABB{0, 2, 0, 1, 0, 2});
    AddBox(water, AABB{2, 4, 0, 1.5f, 0, 2});
    Relink(water);
    EXPECT_EQ(water->boxes[0]->sides[kWaterSideMaxX].kind, kWaterSideWater);
    WaterControllerSimplifyBoxes(water);
    EXPECT_EQ(CountFull(water), 2);
    LevelDispose(level);
}

TEST(WaterMerging, BoxesThinnerThanTheSlackDoNotLoop)
{
    Level *level = LevelAllocate(4, 4, 4, 0, 0);
    WaterController *water = BoxWater(level);
    // Each names the other on both x sides: faces within 0.0001 both ways.
    AddBox(water, AABB{1.0f, 1.00008f, 0, 10, 0, 10});
    AddBox(water, AABB{1.00003f, 1.00009f, 0, 10, 0, 10});
    Relink(water);
    WaterControllerSimplifyBoxes(water);
    RunTicks(water, 5);
    EXPECT_LE(water->boxCount, 4);
    LevelDispose(level);
}

TEST(WaterMerging, StackedBoxesMergeIntoAColumn)
{
    Level *level = LevelAllocate(4, 4, 4, 0, 0);
    WaterController *water = BoxWater(level);
    AddBox(water, AABB{0, 24, 0, 1, 0, 24});
    AddBox(water, AABB{0, 24, 1, 3, 0, 24});
    Relink(water);
    WaterControllerSimplifyBoxes(water);
    EXPECT_EQ(CountFull(water), 1);
    EXPECT_EQ(water->boxes[0]->maxY, 3.0f);
    EXPECT_NEAR(WaterControllerGetTotalVolume(water), 24.0 * 24 * 3, 1e-2);
    LevelDispose(level);
}

TEST(WaterBoxesRun, FallingKeepsTheVolumeUntilTheFloor)
{
    Level *level = LevelAllocate(4, 4, 4, 0, 0);
    WaterController *water = BoxWater(level);
    AddBox(water, AABB{6, 12, 10, 12, 6, 12}); // 72 units: falls 0.144 per tick
    RunTicks(water, 50);
    ASSERT_EQ(CountFull(water), 1);
    EXPECT_NEAR(water->boxes[0]->minY, 10.0f - 50 * 0.144f, 1e-3);
    EXPECT_NEAR(WaterControllerGetTotalVolume(water), 72.0, 1e-2);
    RunTicks(water, 100);
    EXPECT_EQ(water->boxes[0]->minY, 0.0f);
    EXPECT_EQ(water->boxes[0]->sides[kWaterSideBottom].kind, kWaterSideBoundary);
    LevelDispose(level);
}

TEST(WaterBoxesRun, CopyRelinksAndLeavesOutEmptyBoxes)
{
    Level *level = LevelAllocate(4, 4, 4, 0, 0);
    WaterController *water = BoxWater(level);
    AddBox(water, AABB{0, 2, 0, 1, 0, 2});
    WaterBox *second = AddBox(water, AABB{2, 4, 0, 1, 0, 2});
    AddBox(water, AABB{10, 11, 0, 1, 0, 1});
    second->maxY = second->minY; // emptied, awaiting removal
    Level *copy = LevelCreateCopy(level);
    WaterController *copied = copy->waterController;
    EXPECT_EQ(copied->mode, kWaterModeBoxes);
    EXPECT_EQ(copied->boxCount, 2);
    EXPECT_EQ(copied->boxes[0]->controller, copied);
    EXPECT_EQ(copied->boxes[0]->sides[kWaterSideBottom].kind, kWaterSideBoundary);
    EXPECT_EQ(copied->boxes[0]->sides[kWaterSideMaxX].kind, kWaterSideOpen);
    LevelDispose(copy);
    LevelDispose(level);
}

TEST(WaterRecord, BothFormsRoundTrip)
{
    Level *level = LevelAllocate(4, 4, 4, 0, 0);
    WaterControllerSetInitialWaterLevel(level->waterController, 2.5);
    WaterControllerSetRiseSpeed(level->waterController, -0.25);
    WaterControllerSetCurrentWaterLevel(level->waterController, 9.0);
    ByteBuffer buffer;
    ByteBufferInit(&buffer, 8);
    ASSERT_TRUE(WaterControllerSave(level->waterController, &buffer));
    EXPECT_EQ(buffer.length, 20);
    int32_t position = 0;
    WaterController *loaded = WaterControllerLoad(level, buffer.data, buffer.length, &position);
    ASSERT_NE(loaded, nullptr);
    // The current level starts at the initial one.
    EXPECT_EQ((std::vector<double>{loaded->initialWaterLevel, loaded->riseSpeed, loaded->currentWaterLevel}),
              (std::vector<double>{2.5, -0.25, 2.5}));
    WaterControllerDispose(loaded);
    ByteBufferDispose(&buffer);

    WaterController *water = BoxWater(level);
    AddBox(water, AABB{0, 2, 0, 1, 0, 2});
    AddBox(water, AABB{3, 4, 0, 1, 0, 2});
    ByteBufferInit(&buffer, 8);
    ASSERT_TRUE(WaterControllerSave(water, &buffer));
    EXPECT_EQ(buffer.length, 4 + 2 * 24);
    position = 0;
    loaded = WaterControllerLoad(level, buffer.data, buffer.length, &position);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->mode, kWaterModeBoxes);
    ASSERT_EQ(loaded->boxCount, 2);
    EXPECT_EQ(Extent(loaded->boxes[1]), (std::vector<float>{3, 4, 0, 1, 0, 2}));
    WaterControllerDispose(loaded);

    // A box of no volume, a negative count and a count the bytes cannot hold are refused.
    std::vector<uint8_t> bytes(buffer.data, buffer.data + buffer.length);
    std::vector<std::vector<uint8_t>> bad(3, bytes);
    std::copy(bytes.begin() + 12, bytes.begin() + 16, bad[0].begin() + 16); // maxY = minY of the first box
    bad[1][0] = 0xFF, bad[1][3] = 0xFE;                                   // -2 boxes
    bad[2][0] = 0x10;                                                     // 2^28 boxes
    for (std::vector<uint8_t> &b : bad) {
        position = 0;
        EXPECT_EQ(WaterControllerLoad(level, b.data(), int32_t(b.size()), &position), nullptr);
    }
    ByteBufferDispose(&buffer);
    LevelDispose(level);
}

namespace {

// Water boxes in a level of the size, with stone blocks in the given cells.
struct PoolLevel {
    Level *level;
    WaterController *water;
    PoolLevel(int32_t sx, int32_t sy, int32_t sz, const std::vector<std::array<int32_t, 3>> &stones)
    {
        level = LevelAllocate(sx, sy, sz, 0, 0);
        for (const auto &cell : stones)
            AddBlock(level, kBlockStone, cell[0], cell[1], cell[2]);
        water = BoxWater(level);
    }
    ~PoolLevel() { LevelDispose(level); }
    void Run(int ticks) { ::RunTicks(water, ticks); }
    // No box holding water reaches into a block.
    bool WaterOutsideBlocks() const
    {
        for (int32_t i = 0; i < water->boxCount; i++) {
            const WaterBox *b = water->boxes[i];
            if (WaterBoxGetVolume(b) < kWaterMinimumVolume)
                continue;
            for (int32_t j = 0; j < level->blockCount; j++) {
                const Block &s = level->blocks[j];
                if (b->minX < s.maxX - 0.001f && s.minX + 0.001f < b->maxX && b->minY < s.maxY - 0.001f &&
                    s.minY + 0.001f < b->maxY && b->minZ < s.maxZ - 0.001f && s.minZ + 0.001f < b->maxZ)
                    return false;
            }
        }
        return true;
    }
};

} // namespace

TEST(WaterVolume, OneSpreadingStepAroundAPillarKeepsTheVolume)
{
    // The box's growth reaches into the pillar's corner, so the free space is
    // cut into pieces of different areas.
    PoolLevel pool(4, 2, 4, {{1, 0, 1}});
    WaterBox *box = AddBox(pool.water, AABB{3, 5.99f, 0, 2, 3, 5.99f});
    WaterBoxRelinkSides(box);
    double before = WaterControllerGetTotalVolume(pool.water);
    WaterBoxRun(box);
    EXPECT_GT(pool.water->boxCount, 1);
    EXPECT_NEAR(WaterControllerGetTotalVolume(pool.water), before, 1e-4);
    // Every piece stands at one surface height.
    for (int32_t i = 0; i < pool.water->boxCount; i++) {
        EXPECT_EQ(pool.water->boxes[i]->minY, 0.0f);
        EXPECT_NEAR(pool.water->boxes[i]->maxY, pool.water->boxes[0]->maxY, 1e-6);
    }
    EXPECT_TRUE(pool.WaterOutsideBlocks());
}

TEST(WaterVolume, SpreadingAroundPillarsKeepsTheVolumeInFewBoxes)
{
    std::vector<std::array<int32_t, 3>> pillars;
    for (int32_t z = 1; z < 16; z += 3)
        for (int32_t x = 1; x < 16; x += 3)
            for (int32_t y = 0; y < 3; y++)
                pillars.push_back({x, y, z});
    PoolLevel pool(16, 8, 16, pillars);
    AddBox(pool.water, AABB{0, 6, 0, 4, 0, 6});
    AddBox(pool.water, AABB{42, 54, 20, 30, 42, 54});
    const double before = 144.0 + 1440.0;
    ASSERT_DOUBLE_EQ(WaterControllerGetTotalVolume(pool.water), before);
    for (int tick = 1; tick <= 1200; tick++) {
        pool.Run(1);
        // Thin slivers that run off the pillars' tops fall slowly and stay
        // apart for a while; the count must still stay small.
        ASSERT_LE(pool.water->boxCount, 64) << tick;
        if (tick % 100 == 0) {
            ASSERT_NEAR(WaterControllerGetTotalVolume(pool.water), before, 0.05) << "tick " << tick;
        }
    }
    EXPECT_TRUE(pool.WaterOutsideBlocks());
}

TEST(WaterVolume, FallingOntoABlockKeepsTheVolume)
{
    // Half of the falling water lands on the block, the rest falls past it.
    PoolLevel pool(4, 4, 4, {{1, 0, 1}});
    AddBox(pool.water, AABB{4, 10, 12, 14, 4, 10});
    const double before = 72.0;
    bool landed = false;
    for (int tick = 1; tick <= 900; tick++) {
        pool.Run(1);
        ASSERT_NEAR(WaterControllerGetTotalVolume(pool.water), before, 1e-3) << "tick " << tick;
        for (int32_t i = 0; i < pool.water->boxCount; i++)
            landed = landed || (WaterBoxGetVolume(pool.water->boxes[i]) >= kWaterMinimumVolume &&
                                pool.water->boxes[i]->minY == 6.0f);
    }
    EXPECT_TRUE(landed);
    EXPECT_TRUE(pool.WaterOutsideBlocks());
}

TEST(WaterVolume, MergingBoxesOfAlmostOneHeightKeepsTheVolume)
{
    // Tops 0.00008 apart: close enough to look like one box, but merging
    // them as they stand would make or lose water.
    PoolLevel pool(4, 4, 4, {});
    AddBox(pool.water, AABB{0, 24, 0, 1, 0, 12});
    AddBox(pool.water, AABB{0, 24, 0, 1.00008f, 12, 24});
    double before = WaterControllerGetTotalVolume(pool.water);
    pool.Run(3);
    EXPECT_EQ(CountFull(pool.water), 1);
    EXPECT_NEAR(WaterControllerGetTotalVolume(pool.water), before, 1e-4);
}

TEST(WaterVolume, PoolsSideBySideLevelOut)
{
    // A deep pool beside shallow ones, around a pillar: nothing is open, so
    // only levelling moves water.  (12*24*4 + 12*18*1 + 6*6*1) / 540 = 2.6
    PoolLevel pool(4, 2, 4, {{2, 0, 0}});
    AddBox(pool.water, AABB{0, 12, 0, 4, 0, 24});
    AddBox(pool.water, AABB{12, 24, 0, 1, 6, 24});
    AddBox(pool.water, AABB{18, 24, 0, 1, 0, 6});
    pool.Run(120);
    EXPECT_NEAR(WaterControllerGetTotalVolume(pool.water), 1404.0, 1e-2);
    for (int32_t i = 0; i < pool.water->boxCount; i++) {
        const WaterBox *b = pool.water->boxes[i];
        if (WaterBoxGetVolume(b) < kWaterMinimumVolume)
            continue;
        EXPECT_EQ(b->minY, 0.0f);
        EXPECT_NEAR(b->maxY, 2.6f, 1e-4) << i;
    }
    EXPECT_TRUE(pool.WaterOutsideBlocks());
}

TEST(WaterVolume, DroppedWaterEndsFlatAtTheHeightOfItsVolume)
{
    // 108 units fall onto the floor of a 12 x 12 level with one pillar cell:
    // they spread around the pillar over the 108 units of free floor and end
    // as a flat sheet 1 unit deep.
    PoolLevel pool(2, 1, 2, {{1, 0, 1}});
    AddBox(pool.water, AABB{0, 6, 2, 5, 0, 6});
    pool.Run(1200);
    double area = 0.0;
    for (int32_t i = 0; i < pool.water->boxCount; i++) {
        const WaterBox *b = pool.water->boxes[i];
        if (WaterBoxGetVolume(b) < kWaterMinimumVolume)
            continue;
        EXPECT_EQ(b->minY, 0.0f) << i;
        EXPECT_NEAR(b->maxY, 1.0f, 1e-4) << i;
        area += double(b->maxX - b->minX) * double(b->maxZ - b->minZ);
    }
    EXPECT_NEAR(area, 108.0, 1e-3);
    EXPECT_NEAR(WaterControllerGetTotalVolume(pool.water), 108.0, 1e-3);
    EXPECT_TRUE(pool.WaterOutsideBlocks());
}

TEST(WaterEmptySpace, BlocksBesideTheRegionCutItAlongTheirSides)
{
    AABB region{0, 6, 0, 6, 0, 6};
    AABB beside{6, 8, 2, 3, 1, 5}; // touches the x = 6 face
    std::vector<AABB> space = WaterControllerComputeEmptySpace(region, VectorWithValues(3, 3, 3), &beside, 1, 1);
    // Cut at z = 1 and z = 5 but not at its heights 2 and 3.
    ASSERT_EQ(space.size(), 3u);
    float volume = 0;
    for (const AABB &b : space) {
        EXPECT_EQ(b.minY, 0.0f);
        EXPECT_EQ(b.maxY, 6.0f);
        EXPECT_TRUE(b.maxZ <= 1.0f || (b.minZ == 1.0f && b.maxZ == 5.0f) || b.minZ >= 5.0f);
        volume += Volume(b);
    }
    EXPECT_NEAR(volume, 216.0f, 1e-3);
    // Water obstacles (past the splitting count) beside it leave it whole,
    // and so does any obstacle when no splitting count is given.
    EXPECT_EQ(WaterControllerComputeEmptySpace(region, VectorWithValues(3, 3, 3), &beside, 1, 0).size(), 1u);
    space = WaterControllerComputeEmptySpace(region, VectorWithValues(3, 3, 3), &beside, 1);
    ASSERT_EQ(space.size(), 1u);
    EXPECT_EQ((std::vector<float>{space[0].minX, space[0].maxX, space[0].maxY}), (std::vector<float>{0, 6, 6}));
    // So does a block under it, which only carries it.
    AABB below{1, 2, -6, 0, 1, 2};
    EXPECT_EQ(WaterControllerComputeEmptySpace(region, VectorWithValues(3, 3, 3), &below, 1, 1).size(), 1u);
}
