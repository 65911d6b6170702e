// The entry point: starts the shared services, creates the controller with
// the main window, checks the graphics features, runs the event loop until
// the controller agrees to stop, and shuts everything down in order.
#include "Bindings.h"
#include "CommandLine.h"
#include "Controller.h"
#include "EndScreen.h"
#include "Events.h"
#include "FrameCounter.h"
#include "GameController.h"
#include "HelpOverlay.h"
#include "HighScores.h"
#include "LevelCard.h"
#include "LevelEditor.h"
#include "LevelSet.h"
#include "MenuBar.h"
#include "MenuStrip.h"
#include "ModelParser.h"
#include "PadNavigation.h"
#include "Preferences.h"
#include "PrefsBindings.h"
#include "Progress.h"
#include "Random.h"
#include "Recovery.h"
#include "Sound.h"
#include "SplashScreen.h"
#include "Text.h"
#include "Utilities.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

// A shared service started after the preference store and shut down after
// the controller is disposed, both in the order of the list.
struct Service {
    void (*startUp)();
    void (*shutDown)();
};

void StartText()
{
    // Without a font the program still runs; text draws nothing.
    TextStartUp();
}

// Sound effects, then the text system.
const std::vector<Service> services = {{SoundStartUp, SoundShutDown}, {StartText, TextShutDown}};

// The mode kinds register their operations with the controller here.
const std::vector<void (*)()> modeRegistrations = {SplashScreenRegisterMode, GameControllerRegisterMode,
                                                   LevelEditorRegisterMode, PrefsScreenRegisterMode};

// The level-set file named on the command line, if any.
std::filesystem::path commandLineFile;

// The level set that the program starts with: the file named on the command
// line when it loads; otherwise "Test levels" when it can be found, else one
// empty level.
LevelSet *CreateDefaultLevelSet()
{
    LevelSet *set = LevelSetAllocate();
    LevelSetInit(set);
    CommandLineLoadStartingSet(set, commandLineFile);
    return set;
}

const ControllerServices controllerServices = {ModelLoadAllModels, CreateDefaultLevelSet, LevelSetDispose};

} // namespace

int main(int argc, char **argv)
{
    CommandLine commandLine = CommandLineParse(argc, argv);
    switch (commandLine.action) {
    case CommandLineHelp:
        std::fputs(CommandLineGetUsage(), stdout);
        return 0;
    case CommandLineVersion:
        std::fputs(CommandLineGetVersionText().c_str(), stdout);
        return 0;
    case CommandLineUsageError:
        std::fprintf(stderr, "brimhold: %s\n%s", commandLine.problem.c_str(), CommandLineGetUsage());
        return 2;
    case CommandLineRun:
        break;
    }
    if (!commandLine.file.empty()) {
        std::error_code error;
        commandLineFile = std::filesystem::absolute(commandLine.file, error);
        if (error)
            commandLineFile = commandLine.file;
    }

    if (!PlatformStartUp())
        return 1;

    int32_t menuError = PlatformMenuBarLoad("MainMenu");
    if (menuError != 0)
        alertf("MainMenu.nib failed to load: %d", int(menuError));

    sdrand(int32_t(uint32_t(PlatformGetUpTime() & 0xFFFFFFFFu)));

    PrefsStartUp();
    BindingsStartUp();
    PrefsBindingsApplyComfort();
    PadNavigationStartUp();
    ProgressStartUp();
    for (const Service &service : services)
        service.startUp();
    PlatformSetBeepSound(SoundBeep);
    for (void (*registerMode)() : modeRegistrations)
        registerMode();
    ControllerSetServices(&controllerServices);

    Controller *controller = ControllerAllocate();

    if (!checkGLExtensions("GL_EXT_bgra", "GL_ARB_multitexture", "GL_ARB_texture_env_combine", nullptr)) {
        alertf("Some OpenGL features required to run Brimhold are not available. Your operating system "
               "version and/or graphics card may not meet the minimum system requirements to run this "
               "game. For more information, see the Read Me file.");
        ControllerDispose(controller);
        PlatformShutDown();
        std::exit(1);
    }

    // The menu strip over every frame of every mode.
    MenuStrip *menuStrip = MenuStripAllocate(ControllerGetMainWindow(controller));
    ControllerSetFrameOverlay(MenuStripDrawOverlay, menuStrip);
    // The keys overlay (F1) over every mode, and the moments of a game.
    HelpOverlayStartUp();
    GameMomentsSetEnabled(true);
    // The end screen shows the place the final score takes in the set's list.
    EndScreenSetRankSource([](int32_t points, int32_t) { return HighScoresRankInCurrentSet(points); });

    ControllerInit(controller);
    ControllerStart(controller);
    if (commandLine.level > 0) {
        LevelSet *set = ControllerGetCurrentLevelSet();
        int32_t count = set ? LevelSetGetLevelCount(set) : 0;
        if (commandLine.level <= count) {
            ControllerSetStartingLevel(controller, commandLine.level - 1);
            ControllerPushMode(controller, ModeGame);
        } else {
            alertf("The level set \"%s\" has no level %d: it has %d.", set ? LevelSetGetLevelSetName(set).c_str() : "",
                   int(commandLine.level), int(count));
        }
    } else {
        // Edits left unsaved by a crash or a kill are offered back.
        RecoveryOfferAtStart(controller);
    }

    for (;;) {
        PlatformRunApplicationEventLoop();
        if (ControllerStop(controller))
            break;
    }

    HelpOverlayShutDown();
    FrameCounterDispose();
    ControllerSetFrameOverlay(nullptr, nullptr);
    MenuStripDispose(menuStrip);
    // Models hold textures and display lists of the window's context.
    ModelDisposeAllModels();
    ControllerDispose(controller);
    PlatformSetBeepSound(nullptr);
    for (const Service &service : services)
        service.shutDown();
    ProgressShutDown();
    PadNavigationShutDown();
    BindingsShutDown();
    PrefsShutDown();
    PlatformShutDown();
    return 0;
}
