// Single water boxes: their sides, one step of falling or spreading, and the
// links between boxes that share a face.
#include "Block.h"
#include "LevelWorldSupport.h"

#include <gtest/gtest.h>

using namespace levelworld;

namespace {

std::vector<int32_t> SideKinds(const WaterBox *box, std::initializer_list<int32_t> sides)
{
    std::vector<int32_t> kinds;
    for (int32_t side : sides)
        kinds.push_back(box->sides[side].kind);
    return kinds;
}

} // namespace

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
