// The game mode on the headless platform: the fixed steps and their limits,
// pausing, level completion, deaths, game over, and replays that reproduce a
// play exactly.
#include "CameraController.h"
#include "GameModeSupport.h"
#include "Keyboard.h"
#include "Player.h"
#include "Replay.h"

#include <utility>
#include <vector>

using namespace gamemode;

namespace {

using GameFlow = HeadlessGame;

} // namespace

// How a firing's steps catch up (at most ten, the rest carried or dropped) is
// tested on the mode support the game uses.
TEST_F(GameFlow, StepsRunAtOneHundredTwentyPerSecond)
{
    UseLevels({-1});
    GameController *game = StartGame();
    ASSERT_NE(game, nullptr);
    HeadlessRunFor(1.0);
    EXPECT_NEAR(double(game->stepCount), 120.0, 1.0);
}

TEST_F(GameFlow, PausesAndSuspensionsOfAnyLengthContinueWithoutCatchingUp)
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

    // A suspension (they nest as the mode support's do) holds the clock too.
    GameControllerSuspend(game);
    int64_t suspended = game->stepCount;
    HeadlessRunFor(5.0);
    EXPECT_EQ(game->stepCount, suspended);
    GameControllerResume(game);
    HeadlessRunFor(0.1);
    EXPECT_NEAR(double(game->stepCount - suspended), 12.0, 2.0);
    testing::internal::CaptureStdout();
    GameControllerResume(game);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Anomaly: GameControllerResume called when not suspended\n");
}

TEST_F(GameFlow, TheLastLevelEndsTheGameWithTheSetJingle)
{
    UseLevels({kBlockLevelPortal});
    StartGame();
    HoldUntil(kKeyCodeRight, [&] { return controller->gameController == nullptr; });
    EXPECT_EQ(controller->gameController, nullptr) << "the game mode was popped";
    EXPECT_EQ(std::make_pair(SoundGetRequestCount(31), SoundGetRequestCount(30)), std::make_pair(1u, 0u));
}

TEST_F(GameFlow, ADeathRestartsTheLevelAndTheFourthEndsTheGame)
{
    UseLevels({kBlockDeadly});
    GameController *game = StartGame();
    PlayerAwardPoints(game->player, 40);
    game->pointsAtLevelStart = 10;
    Press(kKeyCodeRight);
    RunUntil([&] { return game->deaths == 1; });
    ASSERT_EQ(game->deaths, 1);
    // Lives, points back to the level's start, x back at the start, the
    // death sound; a restart clears the held keys: each run needs a new press.
    EXPECT_EQ((std::vector<float>{float(PlayerGetNumberOfLives(game->player)),
                                  float(PlayerGetNumberOfPoints(game->player)), PlayerGetPosition(game->player).x,
                                  float(SoundGetRequestCount(7)), float(game->player->lateralKey)}),
              (std::vector<float>{2, 10, 3, 1, 0}));
    for (int death = 2; death <= 4; death++) {
        Press(kKeyCodeRight);
        RunUntil([&] { return !controller->gameController || game->deaths >= death; });
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
    // An irregular play: the stick at an angle, the view tilted by the right
    // stick, then keys: run, turn the view, jump, walk, stop.
    HeadlessInjectPadAxis(kPadAxisLeftX, 21000);
    HeadlessInjectPadAxis(kPadAxisLeftY, 23000);
    HeadlessInjectPadAxis(kPadAxisRightY, -30000);
    HeadlessRunFor(0.31);
    HeadlessInjectPadAxis(kPadAxisLeftX, 0);
    HeadlessInjectPadAxis(kPadAxisLeftY, 0);
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
    EXPECT_EQ(std::make_pair(outcome.levelsCompleted, outcome.deaths), std::make_pair(1, 0));
    EXPECT_LT(outcome.steps, 600);
    EXPECT_EQ(LevelSetGetCurrentLevelIndex(set), 1);
    // The same run on the second level ends in a death.
    replay->levelIndex = 1;
    outcome = GameControllerRunReplay(game, replay, true, nullptr, nullptr, 0);
    EXPECT_EQ(std::make_pair(outcome.levelsCompleted, outcome.deaths), std::make_pair(0, 1));
    EXPECT_EQ(PlayerGetNumberOfLives(game->player), 2);
    ReplayDispose(replay);
}
