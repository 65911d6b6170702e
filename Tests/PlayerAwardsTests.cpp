#include "Player.h"

#include <gtest/gtest.h>

#include <vector>

TEST(PlayerAwards, PointsLivesUpToTenKeysAndFeather)
{
    Player *player = PlayerAllocate(nullptr);
    PlayerAwardPoints(player, 200);
    PlayerAwardPoints(player, 10);
    EXPECT_EQ(PlayerGetNumberOfPoints(player), 210);
    PlayerSetNumberOfPoints(player, 5);
    EXPECT_EQ(player->points, 5);
    player->lives = 9;
    PlayerAwardExtraLife(player);
    PlayerAwardExtraLife(player);
    EXPECT_EQ(player->lives, 10);
    EXPECT_FALSE(PlayerUseKey(player));
    PlayerAwardKey(player);
    PlayerAwardKey(player);
    EXPECT_EQ(PlayerGetNumberOfKeys(player), 2);
    EXPECT_TRUE(PlayerUseKey(player));
    EXPECT_EQ(player->keys, 1);
    EXPECT_FALSE(PlayerHasFeather(player));
    PlayerAwardFeather(player);
    EXPECT_TRUE(PlayerHasFeather(player));
    PlayerDispose(player);
}

TEST(PlayerPosition, SetPositionCentresTheBoxAndKeepsTheVelocity)
{
    Player *player = PlayerAllocate(nullptr);
    player->velocity = VectorWithValues(1, 2, 3);
    PlayerSetPosition(player, 10, 10, 10);
    const AABB &b = player->bounds;
    EXPECT_EQ((std::vector<float>{player->position.x, b.minX, b.maxX, player->velocity.y}),
              (std::vector<float>{10, 9.25f, 10.75f, 2}));
    EXPECT_FLOAT_EQ(player->position.y, 7.2f);
    EXPECT_FLOAT_EQ(b.minY, 7.2f);
    EXPECT_FLOAT_EQ(b.maxY, 12.8f);
    PlayerDispose(player);
}
