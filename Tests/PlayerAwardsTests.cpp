#include "Block.h"
#include "Level.h"
#include "LevelWorldSupport.h"
#include "Player.h"

#include <gtest/gtest.h>

using namespace levelworld;

TEST(PlayerAwards, PointsLivesKeysAndFeather)
{
    Player *player = PlayerAllocate(nullptr);
    EXPECT_EQ(player->controller, nullptr);
    EXPECT_EQ(player->air, 15.0f);
    EXPECT_EQ(player->body, nullptr);
    EXPECT_EQ(player->statusWidgets, nullptr);
    PlayerAwardPoints(player, 200);
    PlayerAwardPoints(player, 10);
    EXPECT_EQ(PlayerGetNumberOfPoints(player), 210);
    PlayerSetNumberOfPoints(player, 5);
    EXPECT_EQ(player->points, 5);

    player->lives = 9;
    PlayerAwardExtraLife(player);
    EXPECT_EQ(player->lives, 10);
    PlayerAwardExtraLife(player);
    EXPECT_EQ(player->lives, 10); // at most 10

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

TEST(PlayerAwards, WithoutAGameModeDeathAndCompletionChangeNothing)
{
    Player *player = PlayerAllocate(nullptr);
    player->lives = 0;
    PlayerDie(player);
    EXPECT_EQ(player->lives, 0);
    PlayerLevelCompleted(player);
    EXPECT_EQ(player->lives, 0);
    PlayerDispose(player);
}

TEST(PlayerPosition, SetPositionCentresTheBox)
{
    Player *player = PlayerAllocate(nullptr);
    player->velocity = VectorWithValues(1, 2, 3);
    PlayerSetPosition(player, 10, 10, 10);
    EXPECT_EQ(player->position.x, 10.0f);
    EXPECT_FLOAT_EQ(player->position.y, 7.2f);
    EXPECT_EQ(player->bounds.minX, 9.25f);
    EXPECT_EQ(player->bounds.maxX, 10.75f);
    EXPECT_FLOAT_EQ(player->bounds.minY, 7.2f);
    EXPECT_FLOAT_EQ(player->bounds.maxY, 12.8f);
    EXPECT_EQ(player->velocity.y, 2.0f); // untouched
    PlayerDispose(player);
}
