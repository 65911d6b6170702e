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

} // namespace

// A hit reports the travel that closes the gap on one axis (0 x, 1 y, 2 z)
// and leaves the other horizontal axes untouched.
TEST(CheckCollision, HitsReportTheTravelOnOneAxis)
{
    const AABB ceiling{0, 6, 10, 16, 0, 6};
    const struct {
        const char *what;
        AABB from, to, block;
        int axis;
        float travel;
    } cases[] = {
        {"resting on top moving down", Box(2, 6, 2), Box(2, 5.9f, 2), kBlock, 1, 0.0f},
        {"slightly below the top still lands and lifts", Box(2, 5.995f, 2), Box(2, 5.9f, 2), kBlock, 1, 0.005f},
        {"landing from above", Box(2, 6.5f, 2), Box(2, 5.5f, 2), kBlock, 1, -0.5f},
        {"sliding along the top", Box(2, 6, 2), Box(2.5f, 6, 2), kBlock, 1, 0.0f},
        {"head on from below", Box(2, 4, 2), Box(2, 4.6f, 2), ceiling, 1, 10 - 9.6f},
        {"into the max x face", Box(6.5f, 0, 2), Box(5.8f, 0, 2), kBlock, 0, -0.5f},
        {"ending exactly touching", Box(6.5f, 0, 2), Box(6.0f, 0, 2), kBlock, 0, -0.5f},
        {"into the min x face", Box(-2, 0, 2), Box(-1, 0, 2), kBlock, 0, 0.5f},
        {"into the max z face", Box(2, 0, 6.25f), Box(2, 0, 5.75f), kBlock, 2, -0.25f},
        // Diagonal approaches from +x +z: the larger entry fraction wins, x on ties.
        {"x gap 0.5, z gap 0.2", Box(6.5f, 0, 6.2f), Box(5.5f, 0, 5.2f), kBlock, 0, -0.5f},
        {"x gap 0.2, z gap 0.5", Box(6.2f, 0, 6.5f), Box(5.2f, 0, 5.5f), kBlock, 2, -0.5f},
        {"equal gaps", Box(6.5f, 0, 6.5f), Box(5.5f, 0, 5.5f), kBlock, 0, -0.5f},
    };
    for (const auto &c : cases) {
        Vector out{kUnset, kUnset, kUnset};
        ASSERT_EQ(checkCollision(c.from, c.to, c.block, &out), 1) << c.what;
        float got[] = {out.x, out.y, out.z};
        EXPECT_NEAR(got[c.axis], c.travel, 1e-5f) << c.what;
        for (int other : {0, 2}) {
            if (other != c.axis) {
                EXPECT_EQ(got[other], kUnset) << c.what;
            }
        }
    }
    // With no out the answer is still given.
    EXPECT_EQ(checkCollision(Box(6.5f, 0, 2), Box(5.8f, 0, 2), kBlock, nullptr), 1);
}

TEST(CheckCollision, StoppingShortOrPassingBesideIsNoHit)
{
    Vector out{kUnset, kUnset, kUnset};
    EXPECT_EQ(checkCollision(Box(6.5f, 0, 2), Box(6.2f, 0, 2), kBlock, &out), 0);
    EXPECT_EQ(checkCollision(Box(6.5f, 0, 7), Box(5.8f, 0, 7), kBlock, nullptr), 0);
}

// AABBInside and AABBIntersects (a shared face counts) shape the water's free
// space: see the WaterEmptySpace tests.
TEST(BoxHelpers, NextPowerOfTwoIsAboveTheValue)
{
    for (auto [value, next] : {std::pair{-5, 1}, {0, 1}, {1, 2}, {5, 8}, {8, 16}, {64, 128}, {4096, 8192}})
        EXPECT_EQ(nextPowerOfTwo(value), next) << value;
}
