// The player's step: jumps, speeds, water, breath, ladders, landing and the
// held-key ring, on small levels built in the test (no window needed).
#include "Block.h"
#include "Level.h"
#include "LevelWorldSupport.h"
#include "Player.h"
#include "Sound.h"
#include "WorldEvents.h"
#include "WaterController.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

namespace {

const float kStep = 1.0f / 120.0f;

struct PlayerWorld : testing::Test {
    Level *level = nullptr;
    Player *player = nullptr;

    void SetUp() override
    {
        SoundSetEnabled(false);
        SoundResetRequestCounts();
        WorldEventsClear(WorldEventsCurrent());
        level = LevelAllocate(6, 6, 6, 0, 0);
        SetWater(-100);
        player = PlayerAllocate(nullptr);
        PlayerInit(player);
        PlayerStartAtPos(player, VectorWithValues(15, 0, 15), VectorWithValues(0, 0, -1));
    }
    void TearDown() override
    {
        PlayerDispose(player);
        LevelDispose(level);
        SoundSetEnabled(true);
    }
    void SetWater(double height)
    {
        WaterControllerSetInitialWaterLevel(level->waterController, height);
        WaterControllerSetCurrentWaterLevel(level->waterController, height);
        WaterControllerSetRiseSpeed(level->waterController, 0);
    }
    void Run(int steps)
    {
        for (int i = 0; i < steps; i++)
            PlayerRun(player, level, kStep);
    }
    // Runs the steps; the highest point reached and the step that reached it.
    std::pair<float, int> Highest(int steps)
    {
        std::pair<float, int> best{0.0f, 0};
        for (int i = 1; i <= steps; i++) {
            PlayerRun(player, level, kStep);
            if (player->position.y > best.first)
                best = {player->position.y, i};
        }
        return best;
    }
};

} // namespace

// A jump rises 6.63 in 38 steps, with the feather 13.64 in 55, and lands once.
TEST_F(PlayerWorld, JumpsRiseToTheirHeightsAndLandOnce)
{
    PlayerStartAction(player, 7);
    EXPECT_EQ(player->onGround, 0);
    EXPECT_EQ(WorldEventsCountSound(WorldEventsCurrent(), 27), 1u);
    auto [best, bestStep] = Highest(80);
    EXPECT_NEAR(best, 6.63f, 0.01f);
    EXPECT_EQ(bestStep, 38);
    EXPECT_EQ(std::make_pair(player->position.y, int(player->onGround)), std::make_pair(0.0f, 1));
    EXPECT_EQ(WorldEventsCountSound(WorldEventsCurrent(), 28), 1u);
    PlayerStopAction(player, 7);
    PlayerAwardFeather(player);
    PlayerStartAction(player, 7);
    std::tie(best, bestStep) = Highest(120);
    EXPECT_NEAR(best, 13.64f, 0.02f);
    EXPECT_EQ(bestStep, 55);
    // A jump in the air does nothing.
    PlayerStopAction(player, 7);
    player->onGround = 0;
    float vy = player->velocity.y;
    PlayerStartAction(player, 7);
    EXPECT_EQ(player->velocity.y, vy);
}

TEST_F(PlayerWorld, RunningDiagonallyIsNoFasterThanStraight)
{
    PlayerStartAction(player, 1);
    PlayerStartAction(player, 4);
    Run(40);
    Vector before = player->position;
    PlayerRun(player, level, kStep);
    Vector moved = VectorSubtract(player->position, before);
    EXPECT_NEAR(std::sqrt(moved.x * moved.x + moved.z * moved.z), 0.2f, 1e-5f);
    EXPECT_NEAR(moved.x, 0.2f * 0.7071068f, 1e-5f);
    EXPECT_NEAR(moved.z, -0.2f * 0.7071068f, 1e-5f);
    EXPECT_NEAR(player->direction.x, 0.7071068f, 1e-6f);
}

TEST_F(PlayerWorld, SubmergedFactorsHalveRunningAndSlowWalking)
{
    SetWater(100);
    player->position.y = 12;
    player->onGround = 0;
    PlayerCalculateBounds(player);
    PlayerRun(player, level, kStep); // measures the coverage
    ASSERT_EQ(player->waterCoverage, 1.0f);
    float stored = player->velocity.y;
    float y = player->position.y;
    PlayerRun(player, level, kStep);
    EXPECT_NEAR(player->velocity.y - stored, -0.0045f, 1e-6f);
    EXPECT_NEAR(player->position.y - y, 0.5f * player->velocity.y, 1e-5f);

    // Running under water tops out at half speed; walking at 0.75.
    player->position.y = 0;
    player->velocity = VectorWithValues(0, 0, 0);
    PlayerCalculateBounds(player);
    PlayerStartAction(player, 4);
    Run(40);
    EXPECT_NEAR(player->velocity.x, 0.1f, 1e-6f);
    PlayerStartAction(player, 8);
    Run(40);
    EXPECT_NEAR(player->velocity.x, 0.05f * 0.75f, 1e-6f);
}

TEST_F(PlayerWorld, UnderWaterTheAirLastsFifteenSeconds)
{
    SetWater(100);
    Run(1800);
    EXPECT_GT(player->air, 0.0f);
    EXPECT_EQ(WorldEventsCountSound(WorldEventsCurrent(), 8), 0u);
    PlayerRun(player, level, kStep);
    EXPECT_FALSE(player->air > 0.0f);
    EXPECT_EQ(WorldEventsCountSound(WorldEventsCurrent(), 8), 1u);
    // Surfacing after more than five seconds gasps and refills the air.
    SetWater(-100);
    player->air = 9.5f;
    PlayerRun(player, level, kStep);
    EXPECT_EQ(player->air, 15.0f);
    EXPECT_EQ(WorldEventsCountSound(WorldEventsCurrent(), 5), 1u);
}

TEST_F(PlayerWorld, StandingOnABlockDoesNotLandAgainAndAgainAndTheWallsHoldThePlayerIn)
{
    levelworld::AddBlock(level, kBlockStone, 2, 0, 2);
    PlayerStartAtPos(player, VectorWithValues(15, 6, 15), VectorWithValues(0, 0, -1));
    Run(200);
    EXPECT_EQ((std::vector<float>{player->position.y, float(player->onGround), player->velocity.y,
                                  float(WorldEventsCountSound(WorldEventsCurrent(), 28))}),
              (std::vector<float>{6, 1, 0, 0}));
    // The level's walls hold the player in.
    PlayerStartAtPos(player, VectorWithValues(0.75f, 0, 15), VectorWithValues(-1, 0, 0));
    PlayerStartAction(player, 3);
    Run(30);
    EXPECT_EQ(std::make_pair(player->position.x, player->velocity.x), std::make_pair(0.75f, 0.0f));
}

// Grabbing a ladder: by running into it, by touching it, and through
// PlayerGrabLadder directly for the reach of stacked and turned ladders.
namespace {

struct LadderGrab : PlayerWorld {
    int32_t Ladder(int32_t x, int32_t y, int32_t z) { return levelworld::AddBlock(level, kBlockLadder, x, y, z); }
    // On the ladder, on the ground, x, z, facing z, and the ladder's limits.
    std::vector<float> LadderState() const
    {
        return {float(player->onLadder), float(player->onGround), player->position.x, player->position.z,
                player->direction.z,     player->ladderBottom,    player->ladderTop};
    }
    void Stand(float x, float y, float z, Vector facing)
    {
        player->position = VectorWithValues(x, y, z);
        player->direction = facing;
        PlayerCalculateBounds(player);
    }
};

} // namespace

TEST_F(LadderGrab, RunningIntoALadderGrabsItButWalkingPassesBy)
{
    // A ladder in cell (2, 0, 3): its rungs run along x at z 20.875..21.125,
    // and it stops the player like a wall.
    Ladder(2, 0, 3);
    PlayerStartAtPos(player, VectorWithValues(15, 0, 15), VectorWithValues(0, 0, 1));
    PlayerStartAction(player, 8); // walk
    PlayerStartAction(player, 2); // towards +z
    Run(200);
    EXPECT_EQ(player->onLadder, 0);
    EXPECT_NEAR(player->position.z, 20.875f - 0.75f, 1e-4f);
    EXPECT_EQ(WorldEventsCountSound(WorldEventsCurrent(), 29), 0u);

    PlayerStartAtPos(player, VectorWithValues(15, 0, 15), VectorWithValues(0, 0, 1));
    PlayerStopAction(player, 8);
    PlayerStartAction(player, 2);
    for (int i = 0; i < 200 && !player->onLadder; i++)
        PlayerRun(player, level, kStep);
    ASSERT_EQ(player->onLadder, 1);
    EXPECT_NEAR(player->position.z, 20.875f - 0.75f, 1e-4f);
    EXPECT_EQ(player->position.x, 15.0f);
    EXPECT_EQ(WorldEventsCountSound(WorldEventsCurrent(), 29), 1u);
    // Pushing on climbs, the head stopping 1 above the ladder's top.
    Run(600);
    EXPECT_LE(player->bounds.maxY, 6.0f + 1.0f + 0.05f);
    EXPECT_GT(player->position.y, 1.0f);
}

TEST_F(LadderGrab, FacingTheFrontGrabsAndSnapsButSidewaysOrWalkingDoesNot)
{
    int32_t index = Ladder(1, 0, 1); // x 7.85..10.15, z 8.875..9.125
    Stand(9.0f, 0.0f, 12.0f, VectorWithValues(1, 0, 0)); // sideways
    PlayerGrabLadder(player, &level->blocks[index], 0, level);
    EXPECT_EQ(player->onLadder, 0);
    Stand(9.0f, 0.0f, 12.0f, VectorWithValues(0, 0, -1));
    player->walking = 1;
    PlayerGrabLadder(player, &level->blocks[index], 0, level);
    EXPECT_EQ(player->onLadder, 0);

    player->walking = 0;
    Stand(8.0f, 0.0f, 12.0f, VectorWithValues(0, 0, -1)); // behind it (+z), facing -z
    PlayerGrabLadder(player, &level->blocks[index], 0, level);
    const Block *ladder = &level->blocks[index];
    EXPECT_EQ(LadderState(), (std::vector<float>{1, 0, 9.0f, ladder->maxZ + 0.75f, -1, 0, 6}));
    EXPECT_TRUE(player->animationAction == 'LdUL' || player->animationAction == 'LdUR');

    // Touching it from the other side grabs it through the block's touch.
    player->onLadder = 0;
    Stand(9.0f, 0.0f, 7.0f, VectorWithValues(0, 0, 1));
    EXPECT_FALSE(BlockTouched(&level->blocks[index], player, level));
    EXPECT_EQ(player->onLadder, 1);
    EXPECT_EQ(player->position.z, ladder->minZ - 0.75f);
}

TEST_F(LadderGrab, StackedLaddersExtendTheReachAndTurnedOnesAreClimbedFromTheSide)
{
    Ladder(1, 0, 1);
    int32_t middle = Ladder(1, 1, 1);
    Ladder(1, 2, 1);
    int32_t apart = Ladder(1, 4, 1); // not connected: y 24..30
    Stand(9.0f, 6.0f, 7.0f, VectorWithValues(0, 0, 1));
    PlayerGrabLadder(player, &level->blocks[middle], 0, level);
    EXPECT_EQ(LadderState(), (std::vector<float>{1, 0, 9, level->blocks[middle].minZ - 0.75f, 1, 0, 18}));

    // Out of reach: turns to face it and takes its limits but does not grab.
    player->onLadder = 0;
    Stand(9.0f, 0.0f, 7.0f, VectorWithValues(0.6f, 0, 0.8f));
    PlayerGrabLadder(player, &level->blocks[apart], 0, level);
    EXPECT_EQ(LadderState(), (std::vector<float>{0, 0, 9, 7, 1, 24, 30}));

    int32_t index = Ladder(3, 0, 1);
    LadderData turned{1};
    BlockSetData(&level->blocks[index], &turned);
    Stand(17.0f, 0.0f, 9.5f, VectorWithValues(1, 0, 0));
    PlayerGrabLadder(player, &level->blocks[index], 1, level);
    EXPECT_EQ(player->onLadder, 1);
    EXPECT_EQ(player->position.x, level->blocks[index].minX - 0.75f);
    EXPECT_EQ(player->position.z, 9.0f);
}

TEST_F(PlayerWorld, HeldKeysFollowTheBaseDirection)
{
    PlayerRotateBaseDirection(player, 8);
    PlayerRotateBaseDirection(player, 8);
    EXPECT_EQ(std::make_pair(player->baseDirection, player->cameraDirection.x), std::make_pair(2, 1.0f));
    auto keys = [&] { return std::make_pair(player->lateralKey, player->forwardKey); };
    PlayerStartAction(player, 1);
    EXPECT_EQ(keys(), std::make_pair(4, 0));
    // Turning the view does not change the heading until the next key press.
    PlayerRotateBaseDirection(player, 9);
    EXPECT_EQ(keys(), std::make_pair(4, 0));
    // The release is mapped through the base direction of the press.
    PlayerStopAction(player, 1);
    EXPECT_EQ(keys(), std::make_pair(0, 0));
    // From 0, turning back once gives 7.
    PlayerRotateBaseDirection(player, 9);
    PlayerRotateBaseDirection(player, 9);
    EXPECT_EQ(player->baseDirection, 7);
    EXPECT_NEAR(player->cameraDirection.x, -0.7071068f, 1e-7f);
}

TEST_F(LadderGrab, JumpingOffPushesAway)
{
    player->onGround = 0;
    player->onLadder = 1;
    player->direction = VectorWithValues(0, 0, 1);
    PlayerStartAction(player, 7);
    EXPECT_EQ((std::vector<float>{float(player->onLadder), player->forwardSpeed, player->lateralSpeed,
                                  player->velocity.y}),
              (std::vector<float>{0, 0.3f, 0, 0.35f}));
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
