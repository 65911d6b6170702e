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

namespace {

struct LadderFixture : ::testing::Test {
    Level *level = LevelAllocate(4, 6, 4, 0, 0);
    Player *player = PlayerAllocate(nullptr);
    ~LadderFixture() override
    {
        PlayerDispose(player);
        LevelDispose(level);
    }
    void Stand(float x, float y, float z, Vector facing)
    {
        player->position = VectorWithValues(x, y, z);
        player->direction = facing;
        PlayerCalculateBounds(player);
    }
};

} // namespace

TEST_F(LadderFixture, GrabsFromTheFrontWhenFacingIt)
{
    int32_t index = AddBlock(level, kBlockLadder, 1, 0, 1); // x 7.85..10.15, z 8.875..9.125
    Block *ladder = &level->blocks[index];
    Stand(8.0f, 0.0f, 12.0f, VectorWithValues(0, 0, -1)); // behind it (+z), facing -z
    PlayerGrabLadder(player, ladder, 0, level);
    EXPECT_EQ(player->onLadder, 1);
    EXPECT_EQ(player->onGround, 0);
    EXPECT_EQ(player->position.x, 9.0f);
    EXPECT_EQ(player->position.z, ladder->maxZ + 0.75f);
    EXPECT_EQ(player->direction.z, -1.0f);
    EXPECT_EQ(player->ladderBottom, 0.0f);
    EXPECT_EQ(player->ladderTop, 6.0f);
    EXPECT_TRUE(player->animationAction == 'LdUL' || player->animationAction == 'LdUR');
}

TEST_F(LadderFixture, FacingAwayOrWalkingDoesNotGrab)
{
    int32_t index = AddBlock(level, kBlockLadder, 1, 0, 1);
    Stand(9.0f, 0.0f, 12.0f, VectorWithValues(1, 0, 0)); // sideways
    PlayerGrabLadder(player, &level->blocks[index], 0, level);
    EXPECT_EQ(player->onLadder, 0);
    Stand(9.0f, 0.0f, 12.0f, VectorWithValues(0, 0, -1));
    player->walking = 1;
    PlayerGrabLadder(player, &level->blocks[index], 0, level);
    EXPECT_EQ(player->onLadder, 0);
}

TEST_F(LadderFixture, StackedLaddersExtendTheReach)
{
    AddBlock(level, kBlockLadder, 1, 0, 1);
    int32_t middle = AddBlock(level, kBlockLadder, 1, 1, 1);
    AddBlock(level, kBlockLadder, 1, 2, 1);
    AddBlock(level, kBlockLadder, 1, 4, 1); // not connected
    Stand(9.0f, 6.0f, 7.0f, VectorWithValues(0, 0, 1));
    PlayerGrabLadder(player, &level->blocks[middle], 0, level);
    EXPECT_EQ(player->onLadder, 1);
    EXPECT_EQ(player->ladderBottom, 0.0f);
    EXPECT_EQ(player->ladderTop, 18.0f);
    EXPECT_EQ(player->direction.z, 1.0f);
}

TEST_F(LadderFixture, TurnedLadderIsClimbedFromTheSide)
{
    int32_t index = AddBlock(level, kBlockLadder, 1, 0, 1);
    LadderData turned{1};
    BlockSetData(&level->blocks[index], &turned);
    Block *ladder = &level->blocks[index];
    Stand(5.0f, 0.0f, 9.5f, VectorWithValues(1, 0, 0));
    PlayerGrabLadder(player, ladder, 1, level);
    EXPECT_EQ(player->onLadder, 1);
    EXPECT_EQ(player->position.x, ladder->minX - 0.75f);
    EXPECT_EQ(player->position.z, 9.0f);
}

TEST_F(LadderFixture, OutOfReachKeepsFacingAndLimitsButDoesNotGrab)
{
    int32_t index = AddBlock(level, kBlockLadder, 1, 3, 1); // y 18..24
    Stand(9.0f, 0.0f, 7.0f, VectorWithValues(0.6f, 0, 0.8f));
    PlayerGrabLadder(player, &level->blocks[index], 0, level);
    EXPECT_EQ(player->onLadder, 0);
    EXPECT_EQ(player->direction.z, 1.0f);
    EXPECT_EQ(player->ladderBottom, 18.0f);
    EXPECT_EQ(player->ladderTop, 24.0f);
    EXPECT_EQ(player->position.z, 7.0f);
}
