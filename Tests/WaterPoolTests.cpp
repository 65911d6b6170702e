// Resting water gathered into pools, settling on the cells, and the count of
// boxes of the shipped water-box level over a long run.
#include "Level.h"
#include "LevelSet.h"
#include "LevelWorldSupport.h"
#include "Water.h"
#include "WaterController.h"
#include "WaterPool.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace levelworld;

TEST(WaterPools, RestingPiecesOnOneFloorBecomeOneLevelBox)
{
    // Side by side at one height, and at two heights in a closed trough.
    BoxWaterLevel even(2, 1, 1);
    even.Add({0, 6, 0, 2, 0, 6});
    even.Add({6, 12, 0, 2, 0, 6});
    WaterControllerRun(even.water, 1.0f / 120);
    WaterControllerRun(even.water, 1.0f / 120);
    ASSERT_EQ(even.water->boxCount, 1);
    EXPECT_EQ(even.Box(0), (std::vector<float>{0, 12, 0, 2, 0, 6}));

    BoxWaterLevel uneven(2, 1, 1);
    uneven.Add({0, 6, 0, 3, 0, 6});
    uneven.Add({6, 12, 0, 1, 0, 6});
    uneven.Relink();
    EXPECT_EQ(WaterPoolGatherAll(uneven.water), 1);
    ASSERT_EQ(uneven.water->boxCount, 1);
    EXPECT_EQ(uneven.Box(0), (std::vector<float>{0, 12, 0, 2, 0, 6}));
    EXPECT_DOUBLE_EQ(WaterControllerGetTotalVolume(uneven.water), 144.0);
}

TEST(WaterPools, WaterLyingOnAPoolJoinsIt)
{
    BoxWaterLevel pond(2, 1, 1);
    pond.Add({0, 12, 0, 2, 0, 6});
    pond.Add({3, 9, 2, 3, 0, 6});
    pond.Relink();
    EXPECT_EQ(WaterPoolGatherAll(pond.water), 1);
    ASSERT_EQ(pond.water->boxCount, 1);
    EXPECT_EQ(pond.Box(0), (std::vector<float>{0, 12, 0, 2.5f, 0, 6}));
}

TEST(WaterPools, AGatheredPoolKeepsAllItsWaterWhenItNeedsMoreBoxesThanItHadOnItsFloor)
{
    // One floor piece whose far side faces a block and open floor becomes
    // two boxes; the water lying on it must go into both.
    BoxWaterLevel pond(2, 1, 2);
    AddBlock(pond.level, kBlockStone, 0, 0, 1);
    pond.Add({0, 12, 0, 1, 0, 6});
    pond.Add({2, 10, 1, 2, 1, 5});
    pond.Add({4, 8, 2, 3, 2, 4});
    pond.Relink();
    EXPECT_EQ(WaterPoolGatherAll(pond.water), 1);
    ASSERT_EQ(pond.water->boxCount, 2);
    EXPECT_NEAR(WaterControllerGetTotalVolume(pond.water), 112.0, 1e-4);
    EXPECT_FLOAT_EQ(pond.water->boxes[0]->maxY, pond.water->boxes[1]->maxY);
}

TEST(WaterPools, PiecesFacingDifferentThingsStaySeparate)
{
    // The piece beside the block may not spread; the other may, so they
    // stay apart.
    BoxWaterLevel pond(2, 1, 2);
    AddBlock(pond.level, kBlockStone, 0, 0, 1);
    pond.Add({0, 6, 0, 1, 0, 6});
    pond.Add({6, 12, 0, 1, 0, 6});
    pond.Relink();
    EXPECT_EQ(WaterPoolGatherAll(pond.water), 0);
    EXPECT_EQ(pond.water->boxCount, 2);
    EXPECT_EQ(pond.water->boxes[1]->sides[kWaterSideMaxZ].kind, kWaterSideOpen);
}

TEST(WaterPools, DropletsJoinTheWaterNearThem)
{
    // On a pool, and beside it: both go into the pool's surface.
    BoxWaterLevel pond(2, 2, 1);
    pond.Add({0, 12, 0, 2, 0, 6});
    pond.Add({5, 5.5f, 2, 2.5f, 0, 0.5f});
    pond.Add({0, 0.5f, 4, 4.5f, 0, 0.5f});
    pond.Relink();
    EXPECT_EQ(WaterPoolAbsorbDroplets(pond.water), 2);
    ASSERT_EQ(pond.water->boxCount, 1);
    EXPECT_FLOAT_EQ(pond.water->boxes[0]->maxY, 2.0f + 0.25f / 72.0f);
    EXPECT_NEAR(WaterControllerGetTotalVolume(pond.water), 144.25, 1e-4);

    // A droplet stays when the only water near it is too narrow to take it
    // without rising visibly, or more than a cell away.
    BoxWaterLevel apart(3, 3, 1);
    apart.Add({0, 0.5f, 0, 10, 0, 0.5f});    // a narrow column
    apart.Add({0.5f, 1.5f, 0, 0.5f, 0, 1});  // a droplet beside it
    apart.Add({17, 18, 17, 17.5f, 5, 6});    // a droplet far from all water
    apart.Add({12, 18, 0, 6, 0, 6});         // a cell of water
    apart.Add({12, 13, 6, 6.5f, 0, 1});      // a droplet on it
    apart.Relink();
    const double volume = WaterControllerGetTotalVolume(apart.water);
    EXPECT_EQ(WaterPoolAbsorbDroplets(apart.water), 1);
    EXPECT_EQ(apart.water->boxCount, 4);
    EXPECT_NEAR(WaterControllerGetTotalVolume(apart.water), volume, 1e-4);
    EXPECT_EQ(apart.Box(3), (std::vector<float>{12, 18, 0, 6 + 0.5f / 36, 0, 6}));
}

TEST(WaterPools, SettlingRunsOffABlockIntoTheLowestCell)
{
    BoxWaterLevel pond(2, 2, 1);
    AddBlock(pond.level, kBlockStone, 0, 0, 0);
    pond.Add({0, 6, 8, 9, 0, 6});   // over the block
    pond.Add({6, 12, 10, 11, 0, 6}); // in the air beside it
    WaterPoolSettle(pond.water);
    ASSERT_EQ(pond.water->boxCount, 1);
    EXPECT_EQ(pond.Box(0), (std::vector<float>{6, 12, 0, 2, 0, 6}));

    // More than a cell holds overflows onto the block's top.
    BoxWaterLevel full(2, 2, 1);
    AddBlock(full.level, kBlockStone, 0, 0, 0);
    full.Add({6, 12, 0, 7, 0, 6});
    WaterPoolSettle(full.water);
    EXPECT_NEAR(WaterControllerGetTotalVolume(full.water), 252.0, 1e-3);
    ASSERT_EQ(full.water->boxCount, 2);
    EXPECT_EQ(full.Box(1), (std::vector<float>{0, 12, 6, 6.5f, 0, 6}));

    // Water lying outside the level comes in at its nearest edge.
    BoxWaterLevel outside(1, 1, 1);
    outside.Add({100, 103, 50, 52, -40, -34});
    WaterPoolSettle(outside.water);
    ASSERT_EQ(outside.water->boxCount, 1);
    EXPECT_EQ(outside.Box(0), (std::vector<float>{0, 6, 0, 1, 0, 6}));
}

TEST(WaterPools, SettledWaterRestsUntilTheBlocksThatHoldItChange)
{
    // Stone pillars three cells high, a slab of water on the floor and a
    // block of water above: it spreads into more than 64 pieces and settles.
    BoxWaterLevel pond(16, 8, 16);
    for (int32_t z = 1; z < 16; z += 3)
        for (int32_t x = 1; x < 16; x += 3)
            for (int32_t y = 0; y < 3; y++)
                AddBlock(pond.level, kBlockStone, x, y, z);
    pond.Add({0, 6, 0, 4, 0, 6});
    pond.Add({42, 54, 20, 30, 42, 54});
    const double volume = WaterControllerGetTotalVolume(pond.water);
    auto all = [&pond] {
        std::vector<float> bounds;
        for (int32_t i = 0; i < pond.water->boxCount; i++) {
            std::vector<float> box = pond.Box(i);
            bounds.insert(bounds.end(), box.begin(), box.end());
        }
        return bounds;
    };
    int32_t tick = 0;
    for (; tick < 120 * 60 && !pond.water->atRest; tick++) {
        LevelRun(pond.level, 1.0f / 120);
        WaterControllerRun(pond.water, 1.0f / 120);
        ASSERT_LE(pond.water->boxCount, 64);
    }
    ASSERT_TRUE(pond.water->atRest);
    const std::vector<float> rested = all();
    for (int32_t k = 0; k < 120; k++)
        WaterControllerRun(pond.water, 1.0f / 120);
    EXPECT_EQ(all(), rested);

    // Taking away the foot of a pillar opens a cell the water runs into.
    LevelRemoveBlock(pond.level, 0, true);
    for (int32_t k = 0; k < 120; k++)
        WaterControllerRun(pond.water, 1.0f / 120);
    EXPECT_NE(all(), rested);
    EXPECT_NEAR(WaterControllerGetTotalVolume(pond.water), volume, volume * 0.001);
}

TEST(WaterPools, CisternStaysWithinSixtyFourBoxesAndKeepsItsWater)
{
    LevelSet *set = LevelSetAllocate();
    ASSERT_TRUE(LevelSetInitWithFile(set, std::filesystem::path(BRIMHOLD_BINARY_DIR) / "Resources" / "Levels" /
                                              "Test levels"));
    const Level *stored = LevelSetGetLevel(set, 13);
    ASSERT_NE(stored, nullptr);
    ASSERT_EQ(stored->waterController->mode, kWaterModeBoxes);
    Level *level = LevelCreateCopy(stored);
    const double before = WaterControllerGetTotalVolume(level->waterController);
    int32_t most = 0;
    double fallingAfterHalfASecond = 0.0;
    // A minute: the water has come to rest by then.
    for (int32_t tick = 0; tick < 60 * 120; tick++) {
        LevelRun(level, 1.0f / 120);
        WaterControllerRun(level->waterController, 1.0f / 120);
        most = std::max(most, level->waterController->boxCount);
        for (int32_t i = 0; tick == 60 && i < level->waterController->boxCount; i++) {
            const WaterBox *box = level->waterController->boxes[i];
            if (box->sides[kWaterSideBottom].kind == kWaterSideOpen)
                fallingAfterHalfASecond += WaterBoxGetVolume(box);
        }
    }
    // The pour is seen: half a second in, part of the water is still in the air.
    EXPECT_GT(fallingAfterHalfASecond, before * 0.05);
    EXPECT_LE(most, 64);
    EXPECT_LE(level->waterController->boxCount, 16);
    EXPECT_NEAR(WaterControllerGetTotalVolume(level->waterController), before, before * 0.001);
    LevelDispose(level);
    LevelSetDispose(set);
}
