// The world's step on its own: what it reports through the world's events
// instead of acting on the game, and a shipped replay played without a
// window, step for step the same as through the game mode.
#include "Block.h"
#include "Folders.h"
#include "GameController.h"
#include "Level.h"
#include "LevelSet.h"
#include "LevelWorldSupport.h"
#include "ModelParser.h"
#include "Player.h"
#include "Replay.h"
#include "Sound.h"
#include "WaterController.h"
#include "WorldEvents.h"
#include "WorldStep.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kResources = fs::path(BRIMHOLD_BINARY_DIR) / "Resources";

struct WorldStep : testing::Test {
    LevelSet *set = nullptr;
    Player *player = nullptr;

    void SetUp() override
    {
        WorldEventsClear(WorldEventsCurrent());
        set = LevelSetAllocate();
        ASSERT_TRUE(LevelSetInitWithFile(set, kResources / "Levels" / "Test levels"));
        player = PlayerAllocate(nullptr);
        player->levelSet = set;
        PlayerInit(player);
    }
    void TearDown() override
    {
        PlayerDispose(player);
        LevelSetDispose(set);
        WorldEventsClear(WorldEventsCurrent());
    }
    Level *CurrentLevel() { return LevelSetGetCurrentLevelCopy(set); }
    // A block of the type in the cell where the player starts, with the
    // player dropped onto it from above.
    void PutBlockUnderPlayer(int32_t type)
    {
        WorldPlacePlayerAtStart(player, set);
        Vector p = PlayerGetPosition(player);
        levelworld::AddBlock(CurrentLevel(), type, int32_t(p.x / CellSize), int32_t(p.y / CellSize),
                             int32_t(p.z / CellSize));
        PlayerStartAtPos(player, VectorWithValues(p.x, p.y + CellSize + 1, p.z), VectorWithValues(0, 0, -1));
    }
    // Steps until a touched block ends the step; false if none does.
    bool StepUntilEnded()
    {
        for (int i = 0; i < 240; i++)
            if (WorldRunStep(CurrentLevel(), player))
                return true;
        return false;
    }
};

TEST_F(WorldStep, ADeadlyBlockReportsTheDeathAndLeavesTheLevelInPlace)
{
    PutBlockUnderPlayer(kBlockDeadly);
    Level *level = CurrentLevel();
    EXPECT_TRUE(StepUntilEnded());
    const WorldEvents *events = WorldEventsCurrent();
    EXPECT_EQ(std::make_pair(events->playerDied, events->gameOver), std::make_pair(true, false));
    EXPECT_EQ(WorldEventsCountSound(events, kSoundYell), 1);
    EXPECT_EQ(PlayerGetNumberOfLives(player), 2);
    // The world restarts nothing itself: the level played is still the set's.
    EXPECT_EQ(CurrentLevel(), level);
}

TEST_F(WorldStep, TheLastLifeEndsTheGameAPortalCompletesTheLevelAndOutsideAGameNeither)
{
    // A player outside a game neither dies nor completes.
    player->levelSet = nullptr;
    PlayerDie(player);
    PlayerLevelCompleted(player);
    const WorldEvents *events = WorldEventsCurrent();
    EXPECT_FALSE(events->playerDied || events->gameOver || events->levelCompleted);
    EXPECT_EQ(PlayerGetNumberOfLives(player), 3);

    player->levelSet = set;
    WorldPlacePlayerAtStart(player, set);
    player->lives = 0;
    PlayerDie(player);
    EXPECT_EQ(std::make_pair(events->playerDied, events->gameOver), std::make_pair(false, true));
    WorldEventsClear(WorldEventsCurrent());
    PutBlockUnderPlayer(kBlockLevelPortal);
    EXPECT_TRUE(StepUntilEnded());
    EXPECT_TRUE(events->levelCompleted);
    EXPECT_EQ(LevelSetGetCurrentLevelIndex(set), 0); // the game mode moves on, not the world
}

TEST_F(WorldStep, KeysMapToPlayerActionsAndSoundsWaitInTheEvents)
{
    WorldPlacePlayerAtStart(player, set);
    WorldHandleKey(player, nullptr, 30, true);
    EXPECT_EQ(player->forwardKey, kPlayerActionForward);
    WorldHandleKey(player, nullptr, 32, true);
    EXPECT_EQ(WorldEventsCountSound(WorldEventsCurrent(), kSoundJump), 1);
    WorldResetModifiers();
    WorldHandleModifiers(player, 0x0200);
    EXPECT_EQ(player->walking, 1);
    WorldHandleModifiers(player, 0);
    EXPECT_EQ(player->walking, 0);
}

// Loads the shipped models that the world uses (every one but the shaders,
// which need a drawing context).
struct ShippedWorld : testing::Test {
    void SetUp() override
    {
        PlatformSetResourcesFolder(kResources);
        for (const fs::directory_entry &e : fs::directory_iterator(kResources / "Models")) {
            if (e.path().extension() != ".shdr") {
                ASSERT_EQ(ModelLoadIfNecessary(e.path().filename().c_str()), 0) << e.path();
            }
        }
        SoundSetEnabled(false);
    }
    void TearDown() override
    {
        ModelDisposeAllModels();
        PlatformSetResourcesFolder({});
        SoundSetEnabled(true);
    }
};

using Positions = std::vector<std::array<float, 3>>;

TEST_F(ShippedWorld, AReplayWithoutAWindowMatchesTheGameModeStepForStep)
{
    Replay *replay = ReplayAllocate();
    std::string error;
    fs::path file = fs::path(BRIMHOLD_SOURCE_DIR) / "Resources" / "Levels" / "Replays" / "Test levels.03.replay";
    ASSERT_TRUE(ReplayLoadFromFile(replay, file.string(), &error)) << error;
    LevelSet *set = LevelSetAllocate();
    ASSERT_TRUE(LevelSetInitWithFile(set, kResources / "Levels" / "Test levels"));
    Positions world;
    WorldReplayOutcome outcome = WorldPlayReplay(
        set, replay,
        [](int64_t, const Player *player, Level *, void *context) {
            static_cast<Positions *>(context)->push_back({player->position.x, player->position.y, player->position.z});
        },
        &world, 1);
    EXPECT_EQ(std::make_pair(outcome.levelsCompleted, outcome.deaths), std::make_pair(1, 0));

    LevelSet *gameSet = LevelSetAllocate();
    ASSERT_TRUE(LevelSetInitWithFile(gameSet, kResources / "Levels" / "Test levels"));
    GameController *game = GameControllerAllocate();
    game->levelSet = gameSet;
    game->player->levelSet = gameSet;
    GameControllerInit(game);
    Positions played;
    ReplayOutcome gameOutcome = GameControllerRunReplay(
        game, replay, true,
        [](const GameController *game, void *context) {
            const Vector &p = game->player->position;
            static_cast<Positions *>(context)->push_back({p.x, p.y, p.z});
        },
        &played, 1);
    EXPECT_EQ(std::make_pair(gameOutcome.steps, gameOutcome.levelsCompleted), std::make_pair(outcome.steps, 1));
    // Up to the step before completion (the game mode then moves on to the
    // next level) every position is the same, bit for bit.
    ASSERT_EQ(played.size(), world.size());
    ASSERT_GT(world.size(), 100u);
    EXPECT_TRUE(std::equal(world.begin(), world.end() - 1, played.begin()));
    GameControllerDispose(game);
    LevelSetDispose(gameSet);
    LevelSetDispose(set);
    ReplayDispose(replay);
}

} // namespace
