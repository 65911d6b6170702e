// The application controller: owns the main window, the current level set
// and a stack of at most five modes, of which only the top one runs.  It
// dispatches drawing, suspension and the menu commands to the modes, and
// enables and disables the menu items that each mode cannot use.
//
// The mode kinds (title screen, game, level editor, preferences screen)
// register their operations here; the controller calls them through the
// table of their kind.
#pragma once

#include "Events.h"
#include "Types.h"

#include <cstdint>

struct OpenGLWindow;
struct LevelSet;
struct SplashScreen;
struct GameController;
struct LevelEditor;
struct PrefsScreen;

enum : int32_t {
    ModeSplashScreen = 1,
    ModeGame = 2,
    ModeLevelEditor = 3,
    ModePreferences = 4,
};

constexpr int32_t kControllerMaxModes = 5;

struct Controller {
    uint8_t activatedOnce;
    uint8_t quitting;
    int32_t modeStack[kControllerMaxModes];
    int32_t modeStackTop; // -1 when empty
    OpenGLWindow *mainWindow;
    LevelSet *currentLevelSet;
    int32_t startingLevel;
    SplashScreen *splashScreen;
    GameController *gameController;
    LevelEditor *levelEditor;
    PrefsScreen *prefsScreen;
    PlatformEventHandlerRef eventHandler;
};

// The operations of one mode kind.  Every entry may be null (nothing is
// called).  For the game, start is the start of the game and the controller
// then moves it to the starting level with goToLevel; stop returns false when
// the mode refuses to end (the level editor, when saving is cancelled).
struct ModeFunctions {
    void *(*allocate)();
    void (*init)(void *mode);
    void (*start)(void *mode);
    bool (*stop)(void *mode);
    void (*dispose)(void *mode);
    void (*draw)(void *mode);
    void (*suspend)(void *mode);
    void (*resume)(void *mode);
    void (*freeze)(void *mode);
    void (*defrost)(void *mode);
    // The game's operations behind the menu commands.
    void (*goToLevel)(void *mode, int32_t level);
    void (*restart)(void *mode);
    bool (*isPaused)(void *mode);
    void (*pause)(void *mode, bool hideOverlay);
    void (*unpause)(void *mode);
};

// Registers the operations of a mode kind (1 to 4); null removes them.  The
// table is copied.
void ControllerRegisterMode(int32_t mode, const ModeFunctions *functions);

// Work that modules of their own do for the controller: loading every model
// into the registry, creating the current level set with the default
// level-set file loaded, and disposing a level set.  Null entries are
// skipped.
struct ControllerServices {
    void (*loadModels)();
    LevelSet *(*createDefaultLevelSet)();
    void (*disposeLevelSet)(LevelSet *levelSet);
};
void ControllerSetServices(const ControllerServices *services);

// Creates the record and the main window (800 x 600 "Brimhold", full screen
// and anti-aliasing from the preferences) with its callbacks.
Controller *ControllerAllocate();
void ControllerInit(Controller *controller);
// Installs the application event handler and pushes the title screen.
void ControllerStart(Controller *controller);
// Pops every mode; false (with the remaining modes kept) when one refuses.
bool ControllerStop(Controller *controller);
// Disposes the window and the level set, and frees the record.
void ControllerDispose(Controller *controller);

void ControllerPushMode(Controller *controller, int32_t mode);
bool ControllerPopMode(Controller *controller);
bool ControllerHasModeInStack(Controller *controller, int32_t mode);
// The code on top of the stack, 0 when empty.
int32_t ControllerGetTopMode(Controller *controller);
// The object of the mode kind while it is on the stack, else null.
void *ControllerGetModeObject(Controller *controller, int32_t mode);

void ControllerRedraw(Controller *controller);
void ControllerSuspend(Controller *controller);
void ControllerResume(Controller *controller);

// Zero-terminated lists of command codes; the first item carrying each code
// is enabled / disabled, codes without an item are skipped.
void ControllerEnableMenuItems(Controller *controller, ...);
void ControllerDisableMenuItems(Controller *controller, ...);
// The zero-terminated list of commands unavailable while the mode is on top.
const FourCharCode *ControllerGetDisabledCommands(int32_t mode);

void ControllerShowMouseCursor(Controller *controller);
void ControllerHideMouseCursor(Controller *controller);
// Presents the frame, after drawing the frame overlay over it.
void ControllerSwapGLBuffers(Controller *controller);
// What is drawn over every frame just before it is presented, whatever the
// mode (the menu strip); null for nothing.
typedef void (*ControllerFrameOverlay)(void *context);
void ControllerSetFrameOverlay(ControllerFrameOverlay overlay, void *context);
void ControllerGetFrameOverlay(ControllerFrameOverlay *overlay, void **context);

Controller *ControllerGetMainController();
OpenGLWindow *ControllerGetMainWindow(Controller *controller);
bool ControllerIsQuitting(Controller *controller);
LevelSet *ControllerGetCurrentLevelSet();
void ControllerSetCurrentLevelSet(LevelSet *levelSet);
int32_t ControllerGetStartingLevel(Controller *controller);
void ControllerSetStartingLevel(Controller *controller, int32_t level);
