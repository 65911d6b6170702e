// The water controller in both forms: the rising level, and boxes of water
// that fall, spread, merge and level out around the blocks, keeping their
// volume; single boxes: their sides, one step, and the links between boxes
// that share a face.
#include "Block.h"
#include "Level.h"
#include "LevelWorldSupport.h"
#include "Water.h"
#include "WaterController.h"

#include <gtest/gtest.h>

using namespace levelworld;

namespace {

float Volume(const AABB &b)
{
    return (b.maxX - b.minX) * (b.maxY - b.minY) * (b.maxZ - b.minZ);
}

std::vector<int32_t> SideKinds(const WaterBox *box, std::initializer_list<int32_t> sides)
{
    std::vector<int32_t> kinds;
    for (int32_t side : sides)
        kinds.push_back(box->sides[side].kind);
    return kinds;
}

void RunTicks(WaterController *water, int ticks)
{
    for (int i = 0; i < ticks; i++)
        WaterControllerRun(water, 1.0f / 120);
}

} // namespace

TEST(WaterRising, RisesWithItsSpeedStopsAtTheTopSinksBelowZeroAndCovers)
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

    const double levels[] = {1.0, 3.0, 5.0};
    const float covered[] = {0.0f, 0.5f, 1.0f};
    for (int i = 0; i < 3; i++) {
        WaterControllerSetCurrentWaterLevel(water, levels[i]);
        EXPECT_EQ(WaterControllerGetWaterCoverage(water, 0, 1, 2, 4, 0, 1), covered[i]);
    }
    // A box without height is either dry or wet.
    EXPECT_EQ(WaterControllerGetWaterCoverage(water, 0, 1, 2, 2, 0, 1), 1.0f);
    // This form keeps no boxes.
    EXPECT_EQ(WaterControllerAddBox(water, WaterBoxAllocate(nullptr, 0, 1, 0, 1, 0, 1)), nullptr);
    LevelDispose(level);
}

TEST(WaterBoxList, TheBoxFormIgnoresTheLevelAndItsBoxesAreAddedFoundAndRemoved)
{
    BoxWaterLevel pool(4, 4, 4);
    WaterControllerSetCurrentWaterLevel(pool.water, 3.0);
    WaterControllerSetRiseSpeed(pool.water, 3.0);
    EXPECT_EQ((std::vector<double>{WaterControllerGetCurrentWaterLevel(pool.water),
                                   WaterControllerGetRiseSpeed(pool.water),
                                   WaterControllerGetInitialWaterLevel(pool.water),
                                   WaterControllerGetWaterCoverage(pool.water, 0, 1, 2, 4, 0, 1)}),
              (std::vector<double>{0, 0, 0, 0}));
    std::vector<WaterBox *> boxes;
    for (int i = 0; i < 5; i++)
        boxes.push_back(pool.Add(AABB{float(2 * i), float(2 * i + 1), 0, 1, 0, 1}));
    EXPECT_EQ(pool.water->boxCount, 5);
    EXPECT_EQ(WaterControllerIndexForBox(pool.water, boxes[3]), 3);
    EXPECT_EQ(WaterControllerGetBoxListForBoundingBox(pool.water, AABB{1, 4, 0.5f, 2, 0, 1}),
              (std::vector<WaterBox *>{boxes[0], boxes[1], boxes[2]}));
    WaterControllerRemoveBoxAtIndex(pool.water, 1);
    WaterControllerRemoveBoxAtIndex(pool.water, -1);
    EXPECT_EQ(pool.water->boxCount, 4);
    EXPECT_EQ(pool.water->boxes[1], boxes[2]);
    EXPECT_EQ(WaterControllerIndexForBox(pool.water, boxes[1]), -1);
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
    // A seed inside an obstacle finds nothing.
    EXPECT_TRUE(WaterControllerComputeEmptySpace(region, VectorWithValues(3, 1, 3), obstacles, 2).empty());
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
        EXPECT_EQ(std::make_pair(b.minY, b.maxY), std::make_pair(0.0f, 6.0f));
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

TEST(WaterMerging, SideBySideBoxesMergeAndKeepTheirVolume)
{
    BoxWaterLevel pool(4, 4, 4);
    for (AABB b : {AABB{0, 2, 0, 1, 0, 2}, AABB{2, 4, 0, 1, 0, 2}, AABB{0, 2, 0, 1, 2, 4}, AABB{2, 4, 0, 1, 2, 4}})
        pool.Add(b);
    pool.Relink();
    double before = WaterControllerGetTotalVolume(pool.water);
    WaterControllerSimplifyBoxes(pool.water);
    ASSERT_EQ(pool.Full().size(), 1u);
    EXPECT_NEAR(WaterControllerGetTotalVolume(pool.water), before, 1e-4);
    EXPECT_EQ(Extent(pool.water->boxes[0]), (std::vector<float>{0, 4, 0, 1, 0, 4}));
    // The absorbed boxes are removed at the start of the next run.
    pool.Run(1);
    EXPECT_EQ(pool.water->boxCount, 1);
}

TEST(WaterMerging, StackedBoxesMergeIntoAColumnButOnesOfDifferentHeightStaySeparate)
{
    BoxWaterLevel stacked(4, 4, 4);
    stacked.Add(AABB{0, 24, 0, 1, 0, 24});
    stacked.Add(AABB{0, 24, 1, 3, 0, 24});
    stacked.Relink();
    WaterControllerSimplifyBoxes(stacked.water);
    ASSERT_EQ(stacked.Full().size(), 1u);
    EXPECT_EQ(stacked.water->boxes[0]->maxY, 3.0f);
    EXPECT_NEAR(WaterControllerGetTotalVolume(stacked.water), 24.0 * 24 * 3, 1e-2);

    BoxWaterLevel uneven(4, 4, 4);
    uneven.Add(AABB{0, 2, 0, 1, 0, 2});
    uneven.Add(AABB{2, 4, 0, 1.5f, 0, 2});
    uneven.Relink();
    EXPECT_EQ(uneven.water->boxes[0]->sides[kWaterSideMaxX].kind, kWaterSideWater);
    WaterControllerSimplifyBoxes(uneven.water);
    EXPECT_EQ(uneven.Full().size(), 2u);
}

TEST(WaterMerging, BoxesThinnerThanTheSlackDoNotLoop)
{
    BoxWaterLevel pool(4, 4, 4);
    // Each names the other on both x sides: faces within 0.0001 both ways.
    pool.Add(AABB{1.0f, 1.00008f, 0, 10, 0, 10});
    pool.Add(AABB{1.00003f, 1.00009f, 0, 10, 0, 10});
    pool.Relink();
    WaterControllerSimplifyBoxes(pool.water);
    pool.Run(5);
    EXPECT_LE(pool.water->boxCount, 4);
}

TEST(WaterBoxesRun, CopyRelinksAndLeavesOutEmptyBoxes)
{
    BoxWaterLevel pool(4, 4, 4);
    pool.Add(AABB{0, 2, 0, 1, 0, 2});
    WaterBox *second = pool.Add(AABB{2, 4, 0, 1, 0, 2});
    pool.Add(AABB{10, 11, 0, 1, 0, 1});
    second->maxY = second->minY; // emptied, awaiting removal
    Level *copy = LevelCreateCopy(pool.level);
    WaterController *copied = copy->waterController;
    EXPECT_EQ(std::make_pair(copied->mode, copied->boxCount), std::make_pair(int32_t(kWaterModeBoxes), 2));
    EXPECT_EQ(copied->boxes[0]->controller, copied);
    EXPECT_EQ(copied->boxes[0]->sides[kWaterSideBottom].kind, kWaterSideBoundary);
    EXPECT_EQ(copied->boxes[0]->sides[kWaterSideMaxX].kind, kWaterSideOpen);
    LevelDispose(copy);
}

// Both forms' records round-trip in the level-set file's tests, which also
// refuse bad box counts; a box of no volume is refused here.
TEST(WaterRecord, ABoxOfNoVolumeIsRefused)
{
    BoxWaterLevel pool(4, 4, 4);
    pool.Add(AABB{0, 2, 0, 1, 0, 2});
    ByteBuffer buffer;
    ByteBufferInit(&buffer, 8);
    ASSERT_TRUE(WaterControllerSave(pool.water, &buffer));
    std::vector<uint8_t> bytes(buffer.data, buffer.data + buffer.length);
    ByteBufferDispose(&buffer);
    std::copy(bytes.begin() + 12, bytes.begin() + 16, bytes.begin() + 16); // maxY = minY
    int32_t position = 0;
    EXPECT_EQ(WaterControllerLoad(pool.level, bytes.data(), int32_t(bytes.size()), &position), nullptr);
}

TEST(WaterVolume, OneSpreadingStepAroundAPillarKeepsTheVolume)
{
    // The box's growth reaches into the pillar's corner, so the free space is
    // cut into pieces of different areas.
    BoxWaterLevel pool(4, 2, 4, {{1, 0, 1}});
    WaterBox *box = pool.Add(AABB{3, 5.99f, 0, 2, 3, 5.99f});
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

TEST(WaterVolume, FallingOntoABlockKeepsTheVolume)
{
    // Half of the falling water lands on the block, the rest falls past it.
    BoxWaterLevel pool(4, 4, 4, {{1, 0, 1}});
    pool.Add(AABB{4, 10, 12, 14, 4, 10});
    bool landed = false;
    for (int tick = 1; tick <= 900; tick++) {
        pool.Run(1);
        ASSERT_NEAR(WaterControllerGetTotalVolume(pool.water), 72.0, 1e-3) << "tick " << tick;
        for (const WaterBox *b : pool.Full())
            landed = landed || b->minY == 6.0f;
    }
    EXPECT_TRUE(landed);
    EXPECT_TRUE(pool.WaterOutsideBlocks());
}

TEST(WaterVolume, MergingBoxesOfAlmostOneHeightKeepsTheVolume)
{
    // Tops 0.00008 apart: close enough to look like one box, but merging
    // them as they stand would make or lose water.
    BoxWaterLevel pool(4, 4, 4);
    pool.Add(AABB{0, 24, 0, 1, 0, 12});
    pool.Add(AABB{0, 24, 0, 1.00008f, 12, 24});
    double before = WaterControllerGetTotalVolume(pool.water);
    pool.Run(3);
    EXPECT_EQ(pool.Full().size(), 1u);
    EXPECT_NEAR(WaterControllerGetTotalVolume(pool.water), before, 1e-4);
}

// Settled water stands flat on the floor at the height its volume gives over
// the free area, and covers that area.
TEST(WaterVolume, PoolsLevelOutAndDroppedWaterEndsFlatAtTheHeightOfItsVolume)
{
    const struct {
        const char *what;
        std::array<int32_t, 3> size, pillar;
        std::vector<AABB> boxes;
        int ticks;
        float height, area;
    } cases[] = {
        // A deep pool beside shallow ones, around a pillar: nothing is open, so
        // only levelling moves water.  (12*24*4 + 12*18*1 + 6*6*1) / 540 = 2.6
        {"side by side", {4, 2, 4}, {2, 0, 0}, {{0, 12, 0, 4, 0, 24}, {12, 24, 0, 1, 6, 24}, {18, 24, 0, 1, 0, 6}},
         120, 2.6f, 540},
        // 108 units fall onto the 108 units of free floor of a 12 x 12 level
        // with one pillar cell, and spread around the pillar 1 unit deep.
        {"dropped", {2, 1, 2}, {1, 0, 1}, {{0, 6, 2, 5, 0, 6}}, 1200, 1.0f, 108},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        BoxWaterLevel pool(c.size[0], c.size[1], c.size[2], {c.pillar});
        for (const AABB &b : c.boxes)
            pool.Add(b);
        pool.Run(c.ticks);
        double area = 0.0;
        for (const WaterBox *b : pool.Full()) {
            EXPECT_EQ(b->minY, 0.0f);
            EXPECT_NEAR(b->maxY, c.height, 1e-4);
            area += double(b->maxX - b->minX) * double(b->maxZ - b->minZ);
        }
        EXPECT_NEAR(area, c.area, 1e-3);
        EXPECT_NEAR(WaterControllerGetTotalVolume(pool.water), c.height * c.area, 1e-2);
        EXPECT_TRUE(pool.WaterOutsideBlocks());
    }
}

TEST(WaterSingleBox, AllocateRefusesBoxesWithoutVolume)
{
    BoxWaterLevel pool(4, 4, 4);
    EXPECT_EQ(WaterBoxAllocate(pool.water, 0, 1, 0, 1, 0, 0.00005f), nullptr);
    EXPECT_EQ(WaterBoxAllocate(pool.water, 0, 1, 0, 0, 0, 1), nullptr);
    WaterBox *box = WaterBoxAllocate(pool.water, 0, 1, 0, 1, 0, 0.001f);
    ASSERT_NE(box, nullptr);
    for (const WaterSideLink &side : box->sides)
        EXPECT_EQ(side.kind, kWaterSideOpen);
    WaterBoxDispose(box);
}

TEST(WaterSingleBox, BoxOnTheFloorSpreadsAndAFloatingBoxFalls)
{
    BoxWaterLevel pool(4, 4, 4);
    WaterBox *floor = pool.Add(AABB{10, 12, 0, 2, 10, 12});
    WaterBox *floating = pool.Add(AABB{0.5f, 1.5f, 10, 11, 0.5f, 1.5f});
    pool.Relink();
    EXPECT_EQ(SideKinds(floor, {kWaterSideBottom, kWaterSideMinX}),
              (std::vector<int32_t>{kWaterSideBoundary, kWaterSideOpen}));
    EXPECT_EQ(floating->sides[kWaterSideBottom].kind, kWaterSideOpen);

    WaterBoxRun(floating); // volume 1: falls by 0.002
    EXPECT_FLOAT_EQ(floating->minY, 10.0f - 0.002f);
    EXPECT_FLOAT_EQ(floating->maxY, 11.0f - 0.002f);
    EXPECT_EQ(floating->minX, 0.5f);

    WaterBoxRun(floor); // volume 8: grows by 0.008 on four sides, gets lower
    EXPECT_FLOAT_EQ(floor->minX, 10.0f - 0.008f);
    EXPECT_FLOAT_EQ(floor->maxZ, 12.0f + 0.008f);
    EXPECT_EQ(floor->minY, 0.0f);
    EXPECT_LT(floor->maxY, 2.0f);
    EXPECT_NEAR(WaterBoxGetVolume(floor), 8.0f, 1e-4);
}

TEST(WaterSingleBox, BoxWithWaterOnTopDoesNotMove)
{
    BoxWaterLevel pool(4, 4, 4);
    WaterBox *lower = pool.Add(AABB{6, 8, 6, 8, 6, 8});
    WaterBox *upper = pool.Add(AABB{6, 8, 8, 9, 6, 8});
    pool.Relink();
    EXPECT_EQ(lower->sides[kWaterSideTop].kind, kWaterSideWater);
    EXPECT_EQ(lower->sides[kWaterSideTop].neighbour, upper);
    std::vector<float> before = Extent(lower);
    WaterBoxRun(lower);
    EXPECT_EQ(Extent(lower), before);
}

TEST(WaterSingleBox, SharedFacesAreLinkedBothWaysAndOpenedOnDisposal)
{
    BoxWaterLevel pool(4, 4, 4);
    WaterBox *a = pool.Add(AABB{6, 8, 6, 8, 6, 8});
    WaterBox *b = pool.Add(AABB{8, 9, 6.5f, 7, 6, 8});
    pool.Relink();
    EXPECT_EQ(std::make_pair(a->sides[kWaterSideMaxX].kind, a->sides[kWaterSideMaxX].neighbour),
              std::make_pair(int32_t(kWaterSideWater), b));
    EXPECT_EQ(std::make_pair(b->sides[kWaterSideMinX].kind, b->sides[kWaterSideMinX].neighbour),
              std::make_pair(int32_t(kWaterSideWater), a));
    WaterControllerRemoveBoxAtIndex(pool.water, WaterControllerIndexForBox(pool.water, b));
    EXPECT_EQ(pool.water->boxCount, 1);
    EXPECT_EQ(a->sides[kWaterSideMaxX].kind, kWaterSideOpen);
    EXPECT_EQ(WaterControllerIndexForBox(pool.water, a), 0);
}

TEST(WaterSingleBox, BlockFacesCountWithinATenThousandth)
{
    BoxWaterLevel pool(4, 4, 4, {{2, 0, 0}}); // stone from x = 12
    WaterBox *near = pool.Add(AABB{10, 11.99995f, 0, 1, 0, 1});
    WaterBoxRelinkSides(near);
    EXPECT_EQ(SideKinds(near, {kWaterSideMaxX, kWaterSideBottom, kWaterSideMinZ}),
              (std::vector<int32_t>{kWaterSideBlock, kWaterSideBoundary, kWaterSideBoundary}));
    WaterBox *far = pool.Add(AABB{10, 11.999f, 2, 3, 2, 3});
    WaterBoxRelinkSides(far);
    EXPECT_EQ(far->sides[kWaterSideMaxX].kind, kWaterSideOpen);
}
