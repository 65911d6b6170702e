// The world's step on its own: a shipped replay played without a window,
// step for step the same as through the game mode.  (Deaths, the last life,
// portals and keys are played through the game mode in GameFlow.)
#include "Folders.h"
#include "GameController.h"
#include "Level.h"
#include "LevelSet.h"
#include "ModelParser.h"
#include "Player.h"
#include "Replay.h"
#include "Sound.h"
#include "WorldStep.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kResources = fs::path(BRIMHOLD_BINARY_DIR) / "Resources";

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
