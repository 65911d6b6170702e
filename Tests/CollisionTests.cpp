#include "Utilities.h"

#include <gtest/gtest.h>

namespace {

// A 6-unit cube at the origin, the size of a level cell.
const AABB kBlock{0, 6, 0, 6, 0, 6};

AABB Box(float minX, float minY, float minZ, float size = 1.5f, float height = 5.6f)
{
    return AABB{minX, minX + size, minY, minY + height, minZ, minZ + size};
}

constexpr float kUnset = 12345.0f;

Vector Unset()
{
    return Vector{kUnset, kUnset, kUnset};
}

} // namespace

TEST(CheckCollision, VerticalMovesReportTheTravelOnYAlone)
{
    const AABB ceiling{0, 6, 10, 16, 0, 6};
    const struct {
        const char *what;
        AABB from, to, block;
        float travel;
    } cases[] = {
        {"resting on top moving down", Box(2, 6, 2), Box(2, 5.9f, 2), kBlock, 0.0f},
        {"slightly below the top still lands and lifts", Box(2, 5.995f, 2), Box(2, 5.9f, 2), kBlock, 0.005f},
        {"landing from above", Box(2, 6.5f, 2), Box(2, 5.5f, 2), kBlock, -0.5f},
        {"sliding along the top", Box(2, 6, 2), Box(2.5f, 6, 2), kBlock, 0.0f},
        {"head on from below", Box(2, 4, 2), Box(2, 4.6f, 2), ceiling, 10 - 9.6f},
    };
    for (const auto &c : cases) {
        Vector out = Unset();
        ASSERT_EQ(checkCollision(c.from, c.to, c.block, &out), 1) << c.what;
        EXPECT_NEAR(out.y, c.travel, 1e-5f) << c.what;
        EXPECT_EQ(out.x, kUnset) << c.what;
        EXPECT_EQ(out.z, kUnset) << c.what;
    }
}

TEST(CheckCollision, SideHitsAndMisses)
{
    // Coming from +x towards the block's max x face.
    Vector out = Unset();
    ASSERT_EQ(checkCollision(Box(6.5f, 0, 2), Box(5.8f, 0, 2), kBlock, &out), 1);
    EXPECT_FLOAT_EQ(out.x, -0.5f);
    // Ending exactly touching is a hit that closes the gap.
    out = Unset();
    ASSERT_EQ(checkCollision(Box(6.5f, 0, 2), Box(6.0f, 0, 2), kBlock, &out), 1);
    EXPECT_FLOAT_EQ(out.x, -0.5f);
    // Stopping short is no hit.
    EXPECT_EQ(checkCollision(Box(6.5f, 0, 2), Box(6.2f, 0, 2), kBlock, &out), 0);
    // Moving towards +x into the min x face.
    out = Unset();
    ASSERT_EQ(checkCollision(Box(-2, 0, 2), Box(-1, 0, 2), kBlock, &out), 1);
    EXPECT_FLOAT_EQ(out.x, 0.5f);
    // A sweep that passes beside the block on z misses it.
    EXPECT_EQ(checkCollision(Box(6.5f, 0, 7), Box(5.8f, 0, 7), kBlock, nullptr), 0);
    // With no out the answer is still given.
    EXPECT_EQ(checkCollision(Box(6.5f, 0, 2), Box(5.8f, 0, 2), kBlock, nullptr), 1);
    // Z axis alone.
    out = Unset();
    ASSERT_EQ(checkCollision(Box(2, 0, 6.25f), Box(2, 0, 5.75f), kBlock, &out), 1);
    EXPECT_FLOAT_EQ(out.z, -0.25f);
    EXPECT_EQ(out.x, kUnset);
}

TEST(CheckCollision, CornerPicksTheLargerEntryFractionAndXOnTies)
{
    // Diagonal approach from +x +z; x gap 0.5 over a move of 1, z gap 0.2 over 1.
    Vector out = Unset();
    ASSERT_EQ(checkCollision(Box(6.5f, 0, 6.2f), Box(5.5f, 0, 5.2f), kBlock, &out), 1);
    EXPECT_FLOAT_EQ(out.x, -0.5f);
    EXPECT_EQ(out.z, kUnset);
    // z gap larger: z is reported.
    out = Unset();
    ASSERT_EQ(checkCollision(Box(6.2f, 0, 6.5f), Box(5.2f, 0, 5.5f), kBlock, &out), 1);
    EXPECT_FLOAT_EQ(out.z, -0.5f);
    EXPECT_EQ(out.x, kUnset);
    // Equal fractions: x wins.
    out = Unset();
    ASSERT_EQ(checkCollision(Box(6.5f, 0, 6.5f), Box(5.5f, 0, 5.5f), kBlock, &out), 1);
    EXPECT_FLOAT_EQ(out.x, -0.5f);
    EXPECT_EQ(out.z, kUnset);
}

TEST(BoxHelpers, InsideAndIntersects)
{
    EXPECT_TRUE(AABBInside(kBlock, kBlock));
    EXPECT_TRUE(AABBInside(AABB{1, 2, 1, 2, 1, 2}, kBlock));
    EXPECT_FALSE(AABBInside(AABB{1, 6.01f, 1, 2, 1, 2}, kBlock));
    AABB neighbour{6, 12, 0, 6, 0, 6};
    EXPECT_TRUE(AABBIntersects(kBlock, neighbour)); // a shared face counts
    EXPECT_FALSE(AABBIntersects(kBlock, AABB{6.01f, 12, 0, 6, 0, 6}));
    EXPECT_FALSE(AABBIntersects(kBlock, AABB{0, 6, 0, 6, 7, 8}));
}

TEST(BoxHelpers, NextPowerOfTwo)
{
    EXPECT_EQ(nextPowerOfTwo(-5), 1);
    EXPECT_EQ(nextPowerOfTwo(0), 1);
    EXPECT_EQ(nextPowerOfTwo(1), 2);
    EXPECT_EQ(nextPowerOfTwo(5), 8);
    EXPECT_EQ(nextPowerOfTwo(8), 16);
    EXPECT_EQ(nextPowerOfTwo(64), 128);
    EXPECT_EQ(nextPowerOfTwo(4096), 8192);
}
