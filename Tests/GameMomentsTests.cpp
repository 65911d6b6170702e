// What a game shows over play on the headless platform: the level cards and
// banners that hold the clock, the pause menu, the end-game question and the
// end screen, the keys overlay, and the frame counter's setting.
#include "Bindings.h"
#include "EndScreen.h"
#include "ExtraPrefs.h"
#include "FrameCounter.h"
#include "GameModeSupport.h"
#include "HelpOverlay.h"
#include "Keyboard.h"
#include "LevelCard.h"
#include "LevelEditor.h"
#include "ModelParser.h"
#include "PauseMenu.h"
#include "Player.h"
#include "Replay.h"
#include "Widget.h"
#include "WidgetTestSupport.h"

#include <vector>

using namespace gamemode;

namespace {

const int32_t kKeyCodeX = kKeyCodeA + ('x' - 'a');

using Lines = std::vector<std::string>;

using testfiles::ReadText;

class GameMoments : public HeadlessGame {
protected:
    void SetUp() override
    {
        HeadlessGame::SetUp();
        HelpOverlayStartUp();
        GameMomentsSetEnabled(true);
        // The first game's keys are tested on their own.
        ExtraPrefsSetHelpShown(true);
    }
    void TearDown() override
    {
        FrameCounterDispose();
        GameMomentsSetEnabled(false);
        HelpOverlayShutDown();
        HelpOverlaySetBindingSource(nullptr);
        EndScreenSetRankSource(nullptr);
        HeadlessGame::TearDown();
    }
    // Starts a game of empty levels and lets its first card go.
    GameController *StartPlaying()
    {
        UseLevels({-1});
        GameController *game = StartGame();
        Key(kKeyCodeX);
        HeadlessRunFor(0.5);
        return game;
    }
};

} // namespace

TEST_F(GameMoments, TheClockHoldsWhileTheCardShowsAKeySkipsItAndACompletedLevelShowsItsBanner)
{
    UseLevels({kBlockLevelPortal, -1});
    GameController *game = StartGame();
    ASSERT_NE(game, nullptr);
    HeadlessRunFor(1.5);
    EXPECT_EQ(game->stepCount, 0);
    EXPECT_EQ(LevelCardLines(game), (Lines{"Level 1 of 2", "Brimhold level set"}));
    // A key starts the fade; once it is gone the clock runs from there.
    Key(kKeyCodeX);
    HeadlessRunFor(kLevelCardFadeSeconds - 0.05);
    EXPECT_EQ(game->stepCount, 0);
    HeadlessRunFor(0.05 + 0.5);
    EXPECT_EQ(LevelCardPhase(game), kLevelCardNone);
    EXPECT_NEAR(double(game->stepCount), 60.0, 2.0);

    PlayerAwardPoints(game->player, 25);
    HoldUntil(kKeyCodeRight, [&] { return game->levelsCompleted == 1; });
    EXPECT_EQ(LevelCardLines(game), (Lines{"Level complete", "Points in this level: 25", "Total: 25"}));
    EXPECT_EQ(SoundGetRequestCount(30), 1u);
    int64_t steps = game->stepCount;
    HeadlessRunFor(kLevelBannerSeconds - 0.1);
    EXPECT_EQ(LevelCardPhase(game), kLevelCardBanner);
    HeadlessRunFor(0.2);
    EXPECT_EQ(LevelCardLines(game), (Lines{"Level 2 of 2", "Brimhold level set"}));
    EXPECT_EQ(game->stepCount, steps);
    // The next level keeps the points and lives.
    EXPECT_EQ((std::vector<int64_t>{LevelSetGetCurrentLevelIndex(set), PlayerGetNumberOfPoints(game->player),
                                    PlayerGetNumberOfLives(game->player), game->pointsAtLevelStart}),
              (std::vector<int64_t>{1, 25, 3, 25}));
    // Untouched, the card goes by itself.
    HeadlessRunFor(kLevelCardSeconds + kLevelCardFadeSeconds + 0.02);
    EXPECT_EQ(LevelCardPhase(game), kLevelCardNone);
}

TEST_F(GameMoments, ThePauseMenuResumesRestartsOpensPreferencesAndEndsTheGame)
{
    GameController *game = StartPlaying();
    float startX = PlayerGetPosition(game->player).x;
    EXPECT_EQ(PlatformGetMenuCommandTitle('PGam'), "Pause");
    PlayerAwardPoints(game->player, 15);
    Press(kKeyCodeRight);
    HeadlessRunFor(0.3);
    Release(kKeyCodeRight);
    HeadlessRunFor(0);
    ASSERT_GT(PlayerGetPosition(game->player).x, startX + 1.0f);

    // Escape: the menu, and the Game menu's item reads "Resume".
    Key(kKeyCodeEscape);
    EXPECT_TRUE(PauseMenuIsShown(game));
    EXPECT_EQ(PlatformGetMenuCommandTitle('PGam'), "Resume");
    int64_t paused = game->stepCount;
    // Down, Return: "Restart level" gives the level's start state, running.
    Key(kKeyCodeDown);
    EXPECT_EQ(PauseMenuSelection(game), kPauseMenuRestartLevel);
    Key(kKeyCodeReturn);
    EXPECT_FALSE(GameControllerIsPaused(game) || PauseMenuIsShown(game));
    EXPECT_EQ(PlatformGetMenuCommandTitle('PGam'), "Pause");
    EXPECT_EQ(PlayerGetPosition(game->player).x, startX);
    EXPECT_EQ(PlayerGetNumberOfPoints(game->player), 0);
    EXPECT_EQ(game->stepCount, paused);

    // A click on "Resume" resumes.
    Key(kKeyCodeEscape);
    Rect4f b = WidgetGetBounds(PauseMenuButton(game, kPauseMenuResume));
    widgettest::Click(ControllerGetMainWindow(controller), (b.left + b.right) / 2, (b.bottom + b.top) / 2);
    HeadlessRunFor(0);
    EXPECT_FALSE(GameControllerIsPaused(game));

    // "Preferences..." opens the preferences over the paused game.
    for (int32_t key : {kKeyCodeEscape, kKeyCodeUp, kKeyCodeUp, kKeyCodeReturn})
        Key(key);
    EXPECT_EQ(ControllerGetTopMode(controller), ModePreferences);
    EXPECT_FALSE(PauseMenuIsShown(game));
    Command('pref');
    EXPECT_TRUE(PauseMenuIsShown(game));

    // "End game" asks; Escape keeps the game, Return ends it.
    Key(kKeyCodeUp);
    Key(kKeyCodeReturn);
    EXPECT_EQ(EndScreenPhase(game), kEndScreenConfirming);
    Key(kKeyCodeEscape);
    EXPECT_EQ(EndScreenPhase(game), kEndScreenNone);
    EXPECT_TRUE(GameControllerIsPaused(game));
    PauseMenuChoose(game, kPauseMenuEndGame);
    Key(kKeyCodeReturn);
    EXPECT_EQ(EndScreenLines(game),
              (Lines{"Game ended", "Final points: 0", "Levels completed: 0", "Press Return to go back to the title"}));
    Key(kKeyCodeReturn);
    EXPECT_EQ(controller->gameController, nullptr);
}

TEST_F(GameMoments, AGamepadWorksThePauseMenuAndTheEndScreen)
{
    GameController *game = StartPlaying();
    auto press = [](int32_t button) {
        HeadlessInjectPadButton(kEventPadButtonDown, button);
        HeadlessInjectPadButton(kEventPadButtonUp, button);
        HeadlessRunFor(0);
    };
    // Start pauses to the menu; the d-pad moves its choice, A presses it.
    press(kPadButtonStart);
    ASSERT_TRUE(PauseMenuIsShown(game));
    press(kPadButtonDPadDown);
    EXPECT_EQ(PauseMenuSelection(game), kPauseMenuRestartLevel);
    press(kPadButtonDPadUp);
    press(kPadButtonDPadUp);
    EXPECT_EQ(PauseMenuSelection(game), kPauseMenuEndGame);
    // "End game" asks: B keeps playing, A ends, and A again leaves the end screen.
    press(kPadButtonA);
    EXPECT_EQ(EndScreenPhase(game), kEndScreenConfirming);
    press(kPadButtonB);
    EXPECT_EQ(EndScreenPhase(game), kEndScreenNone);
    PauseMenuChoose(game, kPauseMenuEndGame);
    press(kPadButtonA);
    EXPECT_EQ(EndScreenPhase(game), kEndScreenShowing);
    press(kPadButtonA);
    EXPECT_EQ(controller->gameController, nullptr);
}

TEST_F(GameMoments, EndGameDuringPlayAsksFirstAndTheClockHoldsMeanwhile)
{
    GameController *game = StartPlaying();
    Command('EGam');
    ASSERT_EQ(controller->gameController, game);
    EXPECT_EQ(EndScreenPhase(game), kEndScreenConfirming);
    int64_t asked = game->stepCount;
    HeadlessRunFor(1.0);
    EXPECT_EQ(game->stepCount, asked);
    Key(kKeyCodeEscape);
    HeadlessRunFor(0.5);
    EXPECT_FALSE(GameControllerIsPaused(game));
    EXPECT_NEAR(double(game->stepCount - asked), 60.0, 2.0);
    Command('EGam');
    Key(kKeyCodeReturn);
    EXPECT_EQ(EndScreenPhase(game), kEndScreenShowing);
    EXPECT_EQ(controller->gameController, game);
    // A new game from there starts over at its first card.
    Command('NGam');
    EXPECT_EQ(EndScreenPhase(game), kEndScreenNone);
    EXPECT_EQ(LevelCardPhase(game), kLevelCardShowing);
}

TEST_F(GameMoments, GameOverShowsTheFinalPointsLevelsAndRank)
{
    UseLevels({kBlockLevelPortal, kBlockDeadly});
    EndScreenSetRankSource([](int32_t points, int32_t levels) { return points == 30 && levels == 1 ? 4 : 0; });
    GameController *game = StartGame();
    Key(kKeyCodeX);
    PlayerAwardPoints(game->player, 30);
    HoldUntil(kKeyCodeRight, [&] { return game->levelsCompleted == 1; });
    Key(kKeyCodeX); // the banner
    Key(kKeyCodeX); // the card
    for (int death = 1; death <= 4; death++)
        HoldUntil(kKeyCodeRight, [&] { return game->deaths == death; });
    HeadlessRunFor(1.0);
    ASSERT_EQ(controller->gameController, game);
    EXPECT_EQ(EndScreenLines(game), (Lines{"Game over", "Final points: 30", "Levels completed: 1", "Rank: 4",
                                           "Press Return to go back to the title"}));
    EXPECT_EQ(SoundGetRequestCount(32), 1u);
    Key(kKeyCodeReturn);
    EXPECT_EQ(controller->gameController, nullptr);
}

TEST_F(GameMoments, TheKeysOverlayListsTheBindingsInForceAndTakesTheKeyThatClosesIt)
{
    GameController *game = StartPlaying();
    Key(kKeyCodeF1);
    ASSERT_TRUE(HelpOverlayIsShown());
    const std::vector<HelpBinding> &rows = HelpOverlayShownRows();
    ASSERT_EQ(rows.size(), HelpOverlayDefaultBindings(ModeGame).size());
    EXPECT_EQ(rows[0].keys, "Arrow keys");
    int64_t shown = game->stepCount;
    HeadlessRunFor(1.0);
    EXPECT_EQ(game->stepCount, shown);
    // The key that closes it does not reach the player.
    Press(kKeyCodeRight);
    HeadlessRunFor(0);
    EXPECT_FALSE(HelpOverlayIsShown());
    EXPECT_EQ(game->player->lateralKey, 0);
    Release(kKeyCodeRight);

    // A key bound anew shows with its action.
    ASSERT_EQ(BindingsSetKey(kActionJump, kKeyCodeA + ('j' - 'a')), -1);
    Key(kKeyCodeF1);
    ASSERT_EQ(HelpOverlayShownRows().size(), HelpOverlayDefaultBindings(ModeGame).size() + 1);
    EXPECT_EQ(HelpOverlayShownRows().back().keys, BindingsKeyName(kKeyCodeA + ('j' - 'a')));
    Key(kKeyCodeX);
    BindingsResetToDefaults();

    // A binding source answers instead, through the menu command too.
    HelpOverlaySetBindingSource([](int32_t) { return std::vector<HelpBinding>{{"Pad A", "jump"}}; });
    Command(kHelpCommand);
    ASSERT_EQ(HelpOverlayShownRows().size(), 1u);
    EXPECT_EQ(HelpOverlayShownRows()[0].keys, "Pad A");
    widgettest::Click(ControllerGetMainWindow(controller), 0, 0);
    HeadlessRunFor(0);
    EXPECT_FALSE(HelpOverlayIsShown());

    // The README lists every key of the overlay, in the game and the editor.
    std::string readme = ReadText(BRIMHOLD_SOURCE_DIR "/README.md");
    for (int32_t mode : {ModeGame, ModeLevelEditor})
        for (const HelpBinding &row : HelpOverlayDefaultBindings(mode))
            EXPECT_NE(readme.find("| " + row.keys + " | " + row.action + " |"), std::string::npos) << row.keys;
}

TEST_F(GameMoments, TheFirstGameOnAMachineShowsTheKeysOnce)
{
    UseLevels({-1});
    ExtraPrefsSetHelpShown(false);
    GameController *game = StartGame();
    EXPECT_TRUE(HelpOverlayIsShown());
    // The card waits for the keys to close.
    HeadlessRunFor(3.0);
    EXPECT_EQ(LevelCardPhase(game), kLevelCardShowing);
    Key(kKeyCodeX);
    EXPECT_FALSE(HelpOverlayIsShown());
    EXPECT_NE(ReadText(ExtraPrefsGetFilePath()).find("help-shown 1"), std::string::npos);
    Command('NGam');
    EXPECT_FALSE(HelpOverlayIsShown());
}

TEST_F(GameMoments, AShippedReplayCompletesItsLevelIdenticallyThroughTheTimer)
{
    PlatformSetResourcesFolder(BRIMHOLD_BINARY_DIR "/Resources");
    ModelLoadAllModels();
    ASSERT_NE(ModelGetModelByIdentifier(kModelKindStatic, 'Gem '), nullptr) << "the shipped models are missing";
    set = LevelSetAllocate();
    ASSERT_TRUE(LevelSetInitWithFile(set, BRIMHOLD_BINARY_DIR "/Resources/Levels/Test levels"));
    controller->currentLevelSet = set;
    Replay *replay = ReplayAllocate();
    std::string error;
    ASSERT_TRUE(ReplayLoadFromFile(replay, BRIMHOLD_SOURCE_DIR "/Resources/Levels/Replays/Test levels.06.replay",
                                   &error))
        << error;
    GameController *game = StartGame();
    ASSERT_EQ(LevelCardPhase(game), kLevelCardShowing);
    // Played by the timer, with the card up as it begins; the drawing is left
    // out (as under another mode) to keep the test quick.
    game->frozen = true;
    GameControllerPlayReplay(game, replay);
    RunUntil([&] { return game->levelsCompleted > 0 || game->deaths > 0 || game->stepCount >= replay->endStep; });
    std::vector<int64_t> timed{game->stepCount, game->levelsCompleted, game->deaths, LevelCardPhase(game)};
    GameControllerPlayReplay(game, nullptr);
    // Played step by step, as the replay checks do.
    ReplayOutcome outcome = GameControllerRunReplay(game, replay, true, nullptr, nullptr, 0);
    EXPECT_EQ(timed, (std::vector<int64_t>{outcome.steps, 1, 0, kLevelCardNone}));
    ReplayDispose(replay);
    ModelDisposeAllModels();
}

TEST_F(GameMoments, ATestPlayFromTheEditorEndsStraightBackThereAndTheEditorHasItsOwnKeys)
{
    UseLevels({-1});
    LevelEditorRegisterMode();
    ControllerStart(controller);
    Command('LEdt');
    ASSERT_EQ(ControllerGetTopMode(controller), ModeLevelEditor);
    Key(kKeyCodeF1);
    ASSERT_TRUE(HelpOverlayIsShown());
    EXPECT_EQ(HelpOverlayShownRows().size(), HelpOverlayDefaultBindings(ModeLevelEditor).size());
    EXPECT_EQ(HelpOverlayShownRows()[1].keys, "Q / Z");
    Key(kKeyCodeX);
    EXPECT_FALSE(HelpOverlayIsShown());

    HeadlessInjectCommand('TLvl');
    HeadlessRunFor(0.5);
    GameController *game = controller->gameController;
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(LevelCardPhase(game), kLevelCardNone);
    EXPECT_GT(game->stepCount, 50);
    Command('EGam');
    EXPECT_EQ(ControllerGetTopMode(controller), ModeLevelEditor);
}

// Unreadable extra preferences give the defaults; the preferences file keeps its layout.
TEST_F(GameMoments, TheExtraPreferencesReadAnyBytesAndTheFrameCounterShowsOnlyWhenChosen)
{
    const std::string good = "show-frame-rate 1\nhelp-shown 1\n";
    ExtraPrefsValues values = ExtraPrefsParse(reinterpret_cast<const uint8_t *>(good.data()), good.size());
    EXPECT_TRUE(values.showFrameRate && values.helpShown);
    EXPECT_EQ(ExtraPrefsFormat(values), good);
    for (std::string bad : {std::string("show-frame-rate 2\nhelp-shown"), std::string("\0\xff\n\n", 4),
                            std::string("show-frame-rate 11\nhelp-shown 1x\n")}) {
        values = ExtraPrefsParse(reinterpret_cast<const uint8_t *>(bad.data()), bad.size());
        EXPECT_FALSE(values.showFrameRate || values.helpShown) << bad;
    }

    UseLevels({-1});
    EXPECT_FALSE(ExtraPrefsShowFrameRate());
    EXPECT_FALSE(FrameCounterDraw());
    ExtraPrefsSetShowFrameRate(true);
    EXPECT_TRUE(FrameCounterDraw());
    EXPECT_GE(FrameCounterTextHeight(), 14);
    FrameCounterDispose();
    PrefsShutDown();
    EXPECT_EQ(std::filesystem::file_size(PrefsGetFilePath()), 283u);
    PrefsStartUp();
    EXPECT_TRUE(ExtraPrefsShowFrameRate());
}
