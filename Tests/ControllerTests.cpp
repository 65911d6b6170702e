// The application controller driven through the headless platform, with
// test mode kinds that record what the controller asks of them.
#include "ScreenTestSupport.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

std::vector<std::string> modeLog;
int32_t refusalsLeft = 0;        // the editor refuses to stop this many times
bool quittingSeenByStop = false; // the controller's quitting flag at the editor's stop

struct TestMode {
    int32_t kind;
    bool paused;
};

// Logs the operation with the mode's kind ("Start2") and any argument ("Pause2(1)").
void Log(const char *operation, void *mode, std::string argument = "")
{
    modeLog.push_back(operation + std::to_string(static_cast<TestMode *>(mode)->kind) + argument);
}
#define LOGGED(operation) [](void *m) { Log(operation, m); }

template <int32_t Kind> void *Allocate()
{
    modeLog.push_back("Allocate" + std::to_string(Kind));
    return new TestMode{Kind, false};
}
bool Stop(void *m)
{
    Log("Stop", m);
    if (static_cast<TestMode *>(m)->kind == ModeLevelEditor) {
        quittingSeenByStop = ControllerIsQuitting(ControllerGetMainController());
        if (refusalsLeft > 0) {
            refusalsLeft--;
            return false;
        }
    }
    return true;
}
void Dispose(void *m)
{
    Log("Dispose", m);
    delete static_cast<TestMode *>(m);
}

template <int32_t Kind> void Register()
{
    ModeFunctions f{Allocate<Kind>, LOGGED("Init"), LOGGED("Start"), Stop, Dispose, LOGGED("Draw"),
                    LOGGED("Suspend"), LOGGED("Resume"), LOGGED("Freeze"), LOGGED("Defrost")};
    if (Kind == ModeGame) {
        f.goToLevel = [](void *m, int32_t level) { Log("GoToLevel", m, "(" + std::to_string(level) + ")"); };
        f.restart = LOGGED("Restart");
        f.isPaused = [](void *m) { return static_cast<TestMode *>(m)->paused; };
        f.pause = [](void *m, bool hideOverlay) {
            static_cast<TestMode *>(m)->paused = true;
            Log("Pause", m, "(" + std::to_string(int(hideOverlay)) + ")");
        };
        f.unpause = [](void *m) {
            static_cast<TestMode *>(m)->paused = false;
            Log("Unpause", m);
        };
    }
    ControllerRegisterMode(Kind, &f);
}

const FourCharCode allCommands[] = {'NGam', 'PGam', 'EGam', 'LEdt', 'FScn', 'Scsh', 'pref', 'quit', 'new ', 'open',
                                    'save', 'svas', 'rvrt', 'NxtL', 'PrvL', 'NLvl', 'ILvl', 'DLvl', 'TLvl', 'SLvl',
                                    'undo', 'redo', 'cut ', 'copy', 'past', 'clea', 'sall', 'SHgh', 'CHgh',
                                    'TCur', 'ChkL'};

// Every command is enabled exactly when the top mode's list lacks it.
void ExpectMenuFor(int32_t topMode)
{
    std::set<FourCharCode> disabled;
    for (const FourCharCode *code = ControllerGetDisabledCommands(topMode); *code; code++)
        disabled.insert(*code);
    for (FourCharCode code : allCommands)
        EXPECT_EQ(PlatformIsMenuCommandEnabled(code), !disabled.count(code))
            << "mode " << topMode << " code " << std::string{char(code >> 24), char(code >> 16), char(code >> 8),
                                                              char(code)};
}

// What the call prints.
template <typename Call> std::string Printed(Call call)
{
    testing::internal::CaptureStdout();
    call();
    return testing::internal::GetCapturedStdout();
}

// Commands that the controller passes on reach this older handler, which
// passes them on in turn to the standard handling.
std::vector<FourCharCode> passedOn;
bool RecordPassedOn(const PlatformEvent *event, void *)
{
    passedOn.push_back(event->command);
    return false;
}

// The application fixture's clean-up and helpers, with the test kinds.
class ControllerTest : public screentest::AppFixture {
protected:
    void SetUp() override
    {
        HeadlessPlatformStartUp();
        PlatformSetResourcesFolder(BRIMHOLD_SOURCE_DIR "/Resources");
        ASSERT_EQ(PlatformMenuBarLoad("MainMenu"), 0);
        Register<ModeSplashScreen>();
        Register<ModeGame>();
        Register<ModeLevelEditor>();
        Register<ModePreferences>();
        modeLog.clear();
        passedOn.clear();
        refusalsLeft = 0;
        const int32_t kinds[] = {kEventCommandProcess};
        PlatformInstallEventHandler(kTargetApplication, kinds, 1, RecordPassedOn, nullptr);
        controller = ControllerAllocate();
        ASSERT_NE(controller, nullptr);
        ASSERT_NE(controller->mainWindow, nullptr) << "no window could be opened";
    }
};

TEST_F(ControllerTest, StartPushesTheTitleAndPushFreezesAndPopDefrostsTheModeBelow)
{
    ControllerRedraw(controller); // nothing on the stack: nothing to draw
    ControllerStart(controller);
    EXPECT_EQ(modeLog, (std::vector<std::string>{"Allocate1", "Init1", "Start1"}));
    EXPECT_NE(controller->splashScreen, nullptr);
    ExpectMenuFor(ModeSplashScreen);
    modeLog.clear();
    controller->startingLevel = 4;
    ControllerPushMode(controller, ModeGame);
    EXPECT_EQ(modeLog, (std::vector<std::string>{"Freeze1", "Allocate2", "Init2", "Start2", "GoToLevel2(4)"}));
    EXPECT_TRUE(ControllerHasModeInStack(controller, ModeGame));
    EXPECT_EQ(ControllerGetTopMode(controller), ModeGame);
    ExpectMenuFor(ModeGame);

    modeLog.clear();
    EXPECT_TRUE(ControllerPopMode(controller));
    EXPECT_EQ(modeLog, (std::vector<std::string>{"Stop2", "Dispose2", "Defrost1"}));
    EXPECT_EQ(controller->gameController, nullptr);
    EXPECT_FALSE(ControllerHasModeInStack(controller, ModeGame));
    ExpectMenuFor(ModeSplashScreen);
}

TEST_F(ControllerTest, FiveModesFitAndTheSixthOrARepeatedKindOrAnEmptyPopIsRefused)
{
    EXPECT_EQ(Printed([&] { EXPECT_FALSE(ControllerPopMode(controller)); }),
              "Error: ControllerPopMode called when mode stack is already empty.\n");
    ControllerPushMode(controller, ModeSplashScreen);
    ControllerPushMode(controller, ModeLevelEditor);
    ControllerPushMode(controller, ModeGame);
    ControllerPushMode(controller, ModePreferences);
    ControllerPushMode(controller, 9); // a code without a mode kind: kept, nothing called
    EXPECT_EQ(Stack(), (std::vector<int32_t>{1, 3, 2, 4, 9}));
    modeLog.clear();
    EXPECT_EQ(Printed([&] { ControllerPushMode(controller, 7); }),
              "Error: ControllerPushMode called when mode stack is already full.\n");
    EXPECT_EQ(Stack(), (std::vector<int32_t>{1, 3, 2, 4, 9}));
    EXPECT_TRUE(modeLog.empty());
    // The unknown code on top draws nothing.
    ControllerRedraw(controller);
    EXPECT_TRUE(modeLog.empty());
    ControllerPopMode(controller);
    modeLog.clear();
    EXPECT_EQ(Printed([&] { ControllerPushMode(controller, ModeSplashScreen); }),
              "Error: ControllerPushMode called with mode 1 already in the stack.\n");
    EXPECT_EQ(Stack(), (std::vector<int32_t>{1, 3, 2, 4}));
    EXPECT_TRUE(modeLog.empty());
}

// The game commands are handled (never passed on) whether or not they apply.
TEST_F(ControllerTest, NewPauseAndEndGameActOnlyOnTheGameAndAreHandled)
{
    ControllerStart(controller);
    controller->startingLevel = 3;
    modeLog.clear();
    Command('EGam'); // the game is not on top: nothing
    Command('PGam');
    EXPECT_TRUE(modeLog.empty());
    // New game from the title starts at level 0, and in the game restarts it.
    Command('NGam');
    EXPECT_EQ(ControllerGetStartingLevel(controller), 0);
    EXPECT_EQ(Stack(), (std::vector<int32_t>{ModeSplashScreen, ModeGame}));
    EXPECT_EQ(modeLog.back(), "GoToLevel2(0)");
    modeLog.clear();
    Command('NGam');
    Command('PGam');
    Command('PGam');
    Command('EGam');
    EXPECT_EQ(modeLog, (std::vector<std::string>{"Restart2", "Pause2(0)", "Unpause2", "Stop2", "Dispose2",
                                                 "Defrost1"}));
    EXPECT_EQ(Stack(), std::vector<int32_t>{ModeSplashScreen});
    // In the editor: nothing.
    ControllerPushMode(controller, ModeLevelEditor);
    modeLog.clear();
    Command('NGam');
    EXPECT_TRUE(modeLog.empty());
    EXPECT_TRUE(passedOn.empty());
}

// The editor command opens and closes the editor; the preferences command
// toggles its screen over it and is passed on as well.  (The editor switches
// its save and revert items itself; the editor tests check those.)
TEST_F(ControllerTest, TheEditorAndPreferencesCommandsToggleTheirModes)
{
    ControllerStart(controller);
    Command('LEdt');
    EXPECT_EQ(Stack(), (std::vector<int32_t>{ModeSplashScreen, ModeLevelEditor}));
    ExpectMenuFor(ModeLevelEditor);
    // Spot checks of the editor's own list: new, save as, save, new game,
    // full screen, clear high scores.
    std::vector<bool> enabled;
    for (FourCharCode code : {'new ', 'svas', 'save', 'NGam', 'FScn', 'CHgh'})
        enabled.push_back(PlatformIsMenuCommandEnabled(code));
    EXPECT_EQ(enabled, (std::vector<bool>{true, true, false, false, true, true}));
    Command('LEdt');
    EXPECT_EQ(Stack(), std::vector<int32_t>{ModeSplashScreen});
    EXPECT_TRUE(passedOn.empty());

    ControllerPushMode(controller, ModeLevelEditor);
    Command('pref');
    EXPECT_EQ(Stack(), (std::vector<int32_t>{ModeSplashScreen, ModeLevelEditor, ModePreferences}));
    ExpectMenuFor(ModePreferences);
    modeLog.clear();
    Command('pref');
    EXPECT_EQ(Stack(), (std::vector<int32_t>{ModeSplashScreen, ModeLevelEditor}));
    EXPECT_EQ(modeLog, (std::vector<std::string>{"Stop4", "Dispose4", "Defrost3"}));
    // Exactly the commands that the editor does not disable are enabled again.
    ExpectMenuFor(ModeLevelEditor);
    EXPECT_EQ(passedOn, (std::vector<FourCharCode>{'pref', 'pref'}));
}

int32_t snapshotsWritten = 0;

TEST_F(ControllerTest, UnknownCommandsAndSnapshotsArePassedOn)
{
    ControllerStart(controller);
    Command('open');
    Command('xyzw');
    EXPECT_EQ(passedOn, (std::vector<FourCharCode>{'open', 'xyzw'}));
    passedOn.clear();
    snapshotsWritten = 0;
    OpenGLWindowSetImageWriter([](const std::filesystem::path &, int32_t, int32_t, const uint8_t *) {
        return ++snapshotsWritten > 0;
    });
    Command('Scsh');
    OpenGLWindowSetImageWriter(nullptr);
    EXPECT_EQ(passedOn, std::vector<FourCharCode>{'Scsh'});
    // Written, or refused with beeps when this machine has no desktop folder.
    EXPECT_TRUE(snapshotsWritten == 1 || HeadlessBeepCount() > 0);
}

// The first activation does nothing; later ones resume the top mode.
TEST_F(ControllerTest, ActivationAndWindowEventsReachTheTopMode)
{
    ControllerStart(controller);
    modeLog.clear();
    HeadlessInjectSimple(kEventAppActivated);
    HeadlessRunFor(0.0);
    EXPECT_EQ(controller->activatedOnce, 1);
    EXPECT_TRUE(modeLog.empty());
    HeadlessInjectSimple(kEventAppDeactivated);
    HeadlessInjectSimple(kEventAppActivated);
    HeadlessRunFor(0.0);
    EXPECT_EQ(modeLog, (std::vector<std::string>{"Suspend1", "Resume1"}));

    ControllerPushMode(controller, ModeGame);
    modeLog.clear();
    HeadlessInjectSimple(kEventWindowCollapsing);
    HeadlessInjectSimple(kEventWindowExpanding);
    HeadlessInjectSimple(kEventWindowDrawContent);
    HeadlessRunFor(0.0);
    EXPECT_EQ(modeLog, (std::vector<std::string>{"Suspend2", "Resume2", "Draw2"}));
}

TEST_F(ControllerTest, QuittingLoopsAgainWhileTheEditorRefuses)
{
    ControllerStart(controller);
    ControllerPushMode(controller, ModeLevelEditor);
    ControllerPushMode(controller, ModeGame);
    refusalsLeft = 1;
    HeadlessInjectCommand('quit', 0.1);
    HeadlessInjectCommand('quit', 0.2);
    std::vector<std::vector<int32_t>> stacksAfterRefusal;
    testing::internal::CaptureStdout();
    for (;;) {
        PlatformRunApplicationEventLoop();
        if (ControllerStop(controller))
            break;
        EXPECT_FALSE(ControllerIsQuitting(controller));
        stacksAfterRefusal.push_back(Stack());
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_TRUE(quittingSeenByStop);
    // One refusal, one more loop: the game above the editor was popped; the
    // editor and the title stayed.
    EXPECT_EQ(stacksAfterRefusal, (std::vector<std::vector<int32_t>>{{ModeSplashScreen, ModeLevelEditor}}));
    EXPECT_EQ(controller->modeStackTop, -1);
    EXPECT_TRUE(ControllerIsQuitting(controller));
    EXPECT_DOUBLE_EQ(HeadlessGetTime(), 0.2);
}

// In full screen the cursor hides only over the game; switching pauses the
// game without its overlay and restores it, but a game that was paused stays paused.
TEST_F(ControllerTest, FullScreenCommandPausesTheGameWithoutOverlayAndTheCursorFollowsTheGame)
{
    ControllerStart(controller);
    Command('FScn');
    ASSERT_TRUE(OpenGLWindowIsFullScreen(controller->mainWindow));
    EXPECT_TRUE(PlatformIsCursorVisible());
    ControllerPushMode(controller, ModeGame);
    EXPECT_FALSE(PlatformIsCursorVisible());
    ControllerPushMode(controller, ModePreferences);
    EXPECT_TRUE(PlatformIsCursorVisible());
    ControllerPopMode(controller);
    EXPECT_FALSE(PlatformIsCursorVisible());
    modeLog.clear();
    Command('FScn');
    EXPECT_FALSE(OpenGLWindowIsFullScreen(controller->mainWindow));
    EXPECT_TRUE(PlatformIsCursorVisible());
    EXPECT_EQ(modeLog, (std::vector<std::string>{"Pause2(1)", "Unpause2", "Draw2"}));

    Command('PGam');
    modeLog.clear();
    Command('FScn');
    EXPECT_TRUE(OpenGLWindowIsFullScreen(controller->mainWindow));
    EXPECT_FALSE(PlatformIsCursorVisible());
    EXPECT_EQ(modeLog, std::vector<std::string>{"Draw2"});
    EXPECT_TRUE(passedOn.empty());
}

TEST(ControllerServicesTest, InitLoadsModelsAndTheLevelSetAndDisposeReleasesIt)
{
    static std::vector<std::string> calls;
    static int fakeSet;
    calls.clear();
    ControllerServices services{};
    services.loadModels = [] { calls.push_back("models"); };
    services.createDefaultLevelSet = [] {
        calls.push_back("level set");
        return reinterpret_cast<LevelSet *>(&fakeSet);
    };
    services.disposeLevelSet = [](LevelSet *set) {
        calls.push_back(set == reinterpret_cast<LevelSet *>(&fakeSet) ? "dispose set" : "dispose other");
    };
    ControllerSetServices(&services);
    HeadlessPlatformStartUp();
    Controller *controller = ControllerAllocate();
    ControllerInit(controller);
    EXPECT_EQ(ControllerGetCurrentLevelSet(), reinterpret_cast<LevelSet *>(&fakeSet));
    ControllerSetCurrentLevelSet(nullptr);
    EXPECT_EQ(ControllerGetCurrentLevelSet(), nullptr);
    ControllerSetCurrentLevelSet(reinterpret_cast<LevelSet *>(&fakeSet));
    ControllerDispose(controller);
    EXPECT_EQ(ControllerGetMainController(), nullptr);
    EXPECT_EQ(calls, (std::vector<std::string>{"models", "level set", "dispose set"}));
    ControllerSetServices(nullptr);
    HeadlessPlatformShutDown();
}

} // namespace
