// The game mode on the headless platform: the fixed steps and their limits,
// pausing, level completion, deaths, game over, and replays that reproduce a
// play exactly.
#include "Block.h"
#include "CameraController.h"
#include "Controller.h"
#include "GameController.h"
#include "Headless.h"
#include "Keyboard.h"
#include "Level.h"
#include "LevelSet.h"
#include "Player.h"
#include "Preferences.h"
#include "Replay.h"
#include "Sound.h"
#include "WaterController.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

const double kStep = 1.0 / 120.0;

// A level of 5 x 2 x 1 cells: the player starts in cell 0 facing +x, an
// optional block stands in cell 2, and the water stays far below.
void BuildCorridor(Level *level, int32_t blockType)
{
    level->playerStartX = 0;
    level->playerStartY = 0;
    level->playerStartZ = 0;
    LevelSetInitialPlayerFacing(level, 1);
    WaterControllerSetInitialWaterLevel(level->waterController, -100);
    WaterControllerSetCurrentWaterLevel(level->waterController, -100);
    WaterControllerSetRiseSpeed(level->waterController, 0);
    if (blockType >= 0) {
        Block block;
        BlockInit(&block, blockType, 2, 0, 0);
        LevelAddBlock(level, &block);
    }
}

class GameFlow : public testing::Test {
protected:
    std::filesystem::path config;
    Controller *controller = nullptr;
    LevelSet *set = nullptr;

    void SetUp() override
    {
        config = std::filesystem::temp_directory_path() / ("brimhold-game-" + std::to_string(getpid()));
        std::filesystem::create_directories(config);
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        HeadlessPlatformStartUp();
        PrefsStartUp();
        SoundSetEnabled(false);
        SoundResetRequestCounts();
        GameControllerRegisterMode();
        controller = ControllerAllocate();
        ASSERT_NE(controller, nullptr);
    }
    void TearDown() override
    {
        if (controller) {
            ControllerStop(controller);
            ControllerDispose(controller);
        }
        LevelSetDispose(set);
        set = nullptr;
        ControllerRegisterMode(ModeGame, nullptr);
        PrefsShutDown();
        HeadlessPlatformShutDown();
        SoundSetEnabled(true);
        unsetenv("XDG_CONFIG_HOME");
        std::filesystem::remove_all(config);
    }

    // A set whose levels hold the given block types in cell 2 (-1: none).
    void UseLevels(std::initializer_list<int32_t> blocks)
    {
        set = LevelSetAllocate();
        LevelSetInit(set);
        bool first = true;
        for (int32_t type : blocks) {
            Level *level;
            if (first) {
                // Replace the empty first level with a corridor.
                LevelSetAppendLevel(set);
                LevelSetDeleteLevel(set, 0);
                first = false;
            } else {
                LevelSetAppendLevel(set);
            }
            level = LevelSetGetLevel(set, LevelSetGetLevelCount(set) - 1);
            LevelChangeGridSize(level, 5, 2, 1);
            BuildCorridor(level, type);
        }
        LevelSetSetCurrentLevel(set, 0);
        controller->currentLevelSet = set;
    }

    GameController *StartGame()
    {
        // The controller's command handler pops the game on 'EGam'; the
        // title screen below it has no object here.
        ControllerStart(controller);
        ControllerPushMode(controller, ModeGame);
        return controller->gameController;
    }

    void Press(int32_t keyCode) { HeadlessInjectKey(kEventRawKeyDown, keyCode); }
    void Release(int32_t keyCode) { HeadlessInjectKey(kEventRawKeyUp, keyCode); }
};

} // namespace

TEST_F(GameFlow, StepsRunAtOneHundredTwentyPerSecond)
{
    UseLevels({-1});
    GameController *game = StartGame();
    ASSERT_NE(game, nullptr);
    HeadlessRunFor(1.0);
    EXPECT_NEAR(double(game->stepCount), 120.0, 1.0);
    // A firing less than a step after the previous one runs nothing and
    // carries the time over.
    int64_t before = game->stepCount;
    game->lastTickTime = HeadlessGetTime() - kStep / 2;
    game->leftoverTime = 0;
    PlatformSetTimerNextFireTime(game->timer, 0);
    HeadlessRunFor(0);
    EXPECT_EQ(game->stepCount, before);
    EXPECT_NEAR(game->leftoverTime, kStep / 2, 1e-9);
}

TEST_F(GameFlow, AStallRunsExactlyTenSteps)
{
    UseLevels({-1});
    GameController *game = StartGame();
    HeadlessRunFor(0.1);
    int64_t before = game->stepCount;
    game->lastTickTime = HeadlessGetTime() - 3.0;
    PlatformSetTimerNextFireTime(game->timer, 0);
    HeadlessRunFor(0);
    EXPECT_EQ(game->stepCount - before, 10);
    EXPECT_LT(game->leftoverTime, kStep);
}

TEST_F(GameFlow, APauseOfAnyLengthContinuesWithoutCatchingUp)
{
    UseLevels({-1});
    GameController *game = StartGame();
    HeadlessRunFor(0.5);
    Press(kKeyCodeEscape);
    HeadlessRunFor(0);
    EXPECT_TRUE(GameControllerIsPaused(game));
    int64_t paused = game->stepCount;
    HeadlessRunFor(3.0);
    EXPECT_EQ(game->stepCount, paused);
    Press(kKeyCodeEscape);
    HeadlessRunFor(0.1);
    EXPECT_FALSE(GameControllerIsPaused(game));
    EXPECT_NEAR(double(game->stepCount - paused), 12.0, 2.0);
}

TEST_F(GameFlow, SuspendAndResumeDoNotSimulateTheTimeBetween)
{
    UseLevels({-1});
    GameController *game = StartGame();
    HeadlessRunFor(0.2);
    GameControllerSuspend(game);
    GameControllerSuspend(game);
    int64_t suspended = game->stepCount;
    HeadlessRunFor(5.0);
    EXPECT_EQ(game->stepCount, suspended);
    GameControllerResume(game);
    HeadlessRunFor(1.0);
    EXPECT_EQ(game->stepCount, suspended); // still one suspension deep
    GameControllerResume(game);
    HeadlessRunFor(0.1);
    EXPECT_NEAR(double(game->stepCount - suspended), 12.0, 2.0);
    testing::internal::CaptureStdout();
    GameControllerResume(game);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Anomaly: GameControllerResume called when not suspended\n");
}

TEST_F(GameFlow, ACompletedLevelMovesOnKeepingPointsAndLives)
{
    UseLevels({kBlockLevelPortal, kBlockLevelPortal});
    GameController *game = StartGame();
    PlayerAwardPoints(game->player, 25);
    Press(kKeyCodeRight);
    HeadlessRunFor(3.0);
    // The level index, the level jingle, points, lives, points at the level's
    // start and levels completed.
    EXPECT_EQ((std::vector<int64_t>{LevelSetGetCurrentLevelIndex(set), SoundGetRequestCount(30),
                                    PlayerGetNumberOfPoints(game->player), PlayerGetNumberOfLives(game->player),
                                    game->pointsAtLevelStart, game->levelsCompleted}),
              (std::vector<int64_t>{1, 1, 25, 3, 25, 1}));
}

TEST_F(GameFlow, TheLastLevelEndsTheGameWithTheSetJingle)
{
    UseLevels({kBlockLevelPortal});
    GameController *game = StartGame();
    Press(kKeyCodeRight);
    for (int i = 0; i < 400 && controller->gameController; i++)
        HeadlessRunFor(kStep);
    EXPECT_EQ(controller->gameController, nullptr) << "the game mode was popped";
    EXPECT_EQ(std::make_pair(SoundGetRequestCount(31), SoundGetRequestCount(30)), std::make_pair(1u, 0u));
    (void)game;
}

TEST_F(GameFlow, ADeathRestartsTheLevelAndTheFourthEndsTheGame)
{
    UseLevels({kBlockDeadly});
    GameController *game = StartGame();
    PlayerAwardPoints(game->player, 40);
    game->pointsAtLevelStart = 10;
    Press(kKeyCodeRight);
    for (int i = 0; i < 400 && game->deaths == 0; i++)
        HeadlessRunFor(kStep);
    ASSERT_EQ(game->deaths, 1);
    // Lives, points back to the level's start, x back at the start, the
    // death sound; a restart clears the held keys: each run needs a new press.
    EXPECT_EQ((std::vector<float>{float(PlayerGetNumberOfLives(game->player)),
                                  float(PlayerGetNumberOfPoints(game->player)), PlayerGetPosition(game->player).x,
                                  float(SoundGetRequestCount(7)), float(game->player->lateralKey)}),
              (std::vector<float>{2, 10, 3, 1, 0}));
    for (int death = 2; death <= 4; death++) {
        Press(kKeyCodeRight);
        for (int i = 0; i < 400 && controller->gameController && game->deaths < death; i++)
            HeadlessRunFor(kStep);
    }
    HeadlessRunFor(kStep);
    EXPECT_EQ(controller->gameController, nullptr);
    EXPECT_EQ(std::make_pair(SoundGetRequestCount(32), SoundGetRequestCount(7)), std::make_pair(1u, 4u));
}

TEST_F(GameFlow, KeysTheGameDoesNotUseArePassedOnAndRepeatsIgnored)
{
    UseLevels({-1});
    GameController *game = StartGame();
    HeadlessInjectKey(kEventRawKeyRepeat, kKeyCodeRight);
    HeadlessRunFor(0.2);
    EXPECT_EQ(game->player->lateralKey, 0);
    Press(PlatformCharCodeToKeyCode('z'));
    HeadlessRunFor(0.2);
    EXPECT_EQ(game->player->lateralKey, 0);
    // Shift alone starts and stops walking once each.
    std::vector<int> walking;
    for (uint32_t modifiers : {uint32_t(kModifierShift), uint32_t(kModifierShift | kModifierAlt), 0u}) {
        HeadlessInjectKey(kEventRawKeyModifiersChanged, kKeyCodeLeftShift, modifiers);
        HeadlessRunFor(0);
        walking.push_back(game->player->walking);
    }
    EXPECT_EQ(walking, (std::vector<int>{1, 1, 0}));
    // The camera keys.
    Press(PlatformCharCodeToKeyCode('e'));
    HeadlessRunFor(0);
    EXPECT_EQ(game->cameraController->zoomAction, 5);
    Release(PlatformCharCodeToKeyCode('e'));
    HeadlessRunFor(0);
    EXPECT_EQ(game->cameraController->zoomAction, 0);
}

TEST_F(GameFlow, AReplayReproducesAPlayExactly)
{
    UseLevels({-1});
    GameController *game = StartGame();
    Replay *replay = ReplayAllocate();
    replay->seed = 99;
    GameControllerRecordReplay(game, replay);
    // An irregular play: run, turn the view, jump, walk, stop.
    Press(kKeyCodeRight);
    HeadlessRunFor(0.37);
    Press(PlatformCharCodeToKeyCode('a'));
    HeadlessRunFor(0.11);
    Release(PlatformCharCodeToKeyCode('a'));
    Press(kKeyCodeSpace);
    HeadlessRunFor(0.05);
    Release(kKeyCodeSpace);
    HeadlessInjectKey(kEventRawKeyModifiersChanged, kKeyCodeLeftShift, kModifierShift);
    HeadlessRunFor(0.4);
    Release(kKeyCodeRight);
    Press(kKeyCodeUp);
    HeadlessRunFor(0.6);
    GameControllerRecordReplay(game, nullptr);
    Vector recorded = PlayerGetPosition(game->player);
    int64_t steps = game->stepCount;
    EXPECT_EQ(replay->endStep, steps);
    ASSERT_GE(replay->events.size(), 7u);

    // Through text and back, then played on the running game.
    Replay *loaded = ReplayAllocate();
    std::string error;
    ASSERT_TRUE(ReplayLoadFromText(loaded, ReplaySaveToText(replay), &error)) << error;
    GameControllerPlayReplay(game, loaded);
    EXPECT_EQ(game->stepCount, 0);
    while (game->stepCount < steps)
        GameControllerStep(game);
    Vector played = PlayerGetPosition(game->player);
    EXPECT_EQ((std::vector<float>{played.x, played.y, played.z}),
              (std::vector<float>{recorded.x, recorded.y, recorded.z}));
    GameControllerPlayReplay(game, nullptr);
    ReplayDispose(loaded);
    ReplayDispose(replay);
}

TEST_F(GameFlow, RunningAReplayReportsItsOutcome)
{
    UseLevels({kBlockLevelPortal, kBlockDeadly});
    GameController *game = StartGame();
    Replay *replay = ReplayAllocate();
    std::string error;
    ASSERT_TRUE(ReplayLoadFromText(replay, "Brimhold replay 1\nlevel 0\n3 down 29\nend 600\n", &error)) << error;
    ReplayOutcome outcome = GameControllerRunReplay(game, replay, true, nullptr, nullptr, 0);
    EXPECT_EQ(outcome.levelsCompleted, 1);
    EXPECT_EQ(outcome.deaths, 0);
    EXPECT_LT(outcome.steps, 600);
    EXPECT_EQ(LevelSetGetCurrentLevelIndex(set), 1);

    // The same run on the second level ends in a death.
    replay->levelIndex = 1;
    outcome = GameControllerRunReplay(game, replay, true, nullptr, nullptr, 0);
    EXPECT_EQ(outcome.levelsCompleted, 0);
    EXPECT_EQ(outcome.deaths, 1);
    EXPECT_EQ(PlayerGetNumberOfLives(game->player), 2);
    ReplayDispose(replay);
}
