#include "Block.h"
#include "Level.h"
#include "LevelWorldSupport.h"
#include "Water.h"
#include "WaterController.h"

#include <gtest/gtest.h>

using namespace levelworld;

namespace {

struct WaterFixture : ::testing::Test {
    Level *level = LevelAllocate(4, 4, 4, 0, 0);
    WaterController *water = nullptr;
    WaterFixture()
    {
        WaterControllerDispose(level->waterController);
        water = level->waterController = WaterControllerAllocate(level, kWaterModeBoxes);
    }
    ~WaterFixture() override { LevelDispose(level); }
    WaterBox *Add(float minX, float maxX, float minY, float maxY, float minZ, float maxZ)
    {
        return WaterControllerAddBox(water, WaterBoxAllocate(water, minX, maxX, minY, maxY, minZ, maxZ));
    }
    void RelinkAll()
    {
        for (int32_t i = 0; i < water->boxCount; i++)
            WaterBoxRelinkSides(water->boxes[i]);
    }
};

} // namespace

TEST_F(WaterFixture, AllocateRefusesBoxesWithoutVolume)
{
    EXPECT_EQ(WaterBoxAllocate(water, 0, 1, 0, 1, 0, 0.00005f), nullptr);
    EXPECT_EQ(WaterBoxAllocate(water, 0, 1, 0, 0, 0, 1), nullptr);
    WaterBox *box = WaterBoxAllocate(water, 0, 1, 0, 1, 0, 0.001f);
    ASSERT_NE(box, nullptr);
    for (const WaterSideLink &side : box->sides)
        EXPECT_EQ(side.kind, kWaterSideOpen);
    WaterBoxDispose(box);
}

TEST_F(WaterFixture, BoxOnTheFloorSpreadsAndAFloatingBoxFalls)
{
    WaterBox *floor = Add(10, 12, 0, 2, 10, 12);
    WaterBox *floating = Add(0.5f, 1.5f, 10, 11, 0.5f, 1.5f);
    RelinkAll();
    EXPECT_EQ(floor->sides[kWaterSideBottom].kind, kWaterSideBoundary);
    EXPECT_EQ(floor->sides[kWaterSideMinX].kind, kWaterSideOpen);
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

TEST_F(WaterFixture, BoxWithWaterOnTopDoesNotMove)
{
    WaterBox *lower = Add(6, 8, 6, 8, 6, 8);
    WaterBox *upper = Add(6, 8, 8, 9, 6, 8);
    RelinkAll();
    EXPECT_EQ(lower->sides[kWaterSideTop].kind, kWaterSideWater);
    EXPECT_EQ(lower->sides[kWaterSideTop].neighbour, upper);
    AABB before = WaterBoxGetBounds(lower);
    WaterBoxRun(lower);
    EXPECT_EQ(lower->minY, before.minY);
    EXPECT_EQ(lower->maxY, before.maxY);
    EXPECT_EQ(lower->minX, before.minX);
}

TEST_F(WaterFixture, SharedFacesAreLinkedBothWaysAndOpenedOnDisposal)
{
    WaterBox *a = Add(6, 8, 6, 8, 6, 8);
    WaterBox *b = Add(8, 9, 6.5f, 7, 6, 8);
    RelinkAll();
    EXPECT_EQ(a->sides[kWaterSideMaxX].kind, kWaterSideWater);
    EXPECT_EQ(a->sides[kWaterSideMaxX].neighbour, b);
    EXPECT_EQ(b->sides[kWaterSideMinX].kind, kWaterSideWater);
    EXPECT_EQ(b->sides[kWaterSideMinX].neighbour, a);
    WaterControllerRemoveBoxAtIndex(water, WaterControllerIndexForBox(water, b));
    EXPECT_EQ(water->boxCount, 1);
    EXPECT_EQ(a->sides[kWaterSideMaxX].kind, kWaterSideOpen);
    EXPECT_EQ(WaterControllerIndexForBox(water, a), 0);
}

TEST_F(WaterFixture, BlockFacesCountWithinATenThousandth)
{
    AddBlock(level, kBlockStone, 2, 0, 0); // x from 12
    WaterBox *near = Add(10, 11.99995f, 0, 1, 0, 1);
    WaterBoxRelinkSides(near);
    EXPECT_EQ(near->sides[kWaterSideMaxX].kind, kWaterSideBlock);
    EXPECT_EQ(near->sides[kWaterSideBottom].kind, kWaterSideBoundary);
    EXPECT_EQ(near->sides[kWaterSideMinZ].kind, kWaterSideBoundary);
    WaterBox *far = Add(10, 11.999f, 2, 3, 2, 3);
    WaterBoxRelinkSides(far);
    EXPECT_EQ(far->sides[kWaterSideMaxX].kind, kWaterSideOpen);
}
