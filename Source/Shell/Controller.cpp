#include "Controller.h"

#include "HighScores.h"
#include "MenuBar.h"
#include "OpenGLWindow.h"
#include "Preferences.h"

#include <cstdarg>
#include <cstdio>

static Controller *mainController = nullptr;
static ModeFunctions modeFunctions[5];
static bool modeRegistered[5];
static ControllerServices services;
static ControllerFrameOverlay frameOverlay = nullptr;
static void *frameOverlayContext = nullptr;

// Commands unavailable while each mode is on top.
static const FourCharCode titleDisabled[] = {
    'new ', 'open', 'PGam', 'EGam', 'save', 'svas', 'rvrt', 'undo', 'redo', 'cut ', 'copy', 'past', 'clea',
    'sall', 'NxtL', 'PrvL', 'NLvl', 'ILvl', 'DLvl', 'SLvl', 'CHgh', 'TLvl', 'TCur', 'ChkL', 0};
static const FourCharCode gameDisabled[] = {
    'new ', 'open', 'save', 'svas', 'rvrt', 'undo', 'redo', 'cut ', 'copy', 'past', 'clea', 'sall',
    'LEdt', 'NxtL', 'PrvL', 'NLvl', 'ILvl', 'DLvl', 'SLvl', 'CHgh', 'TLvl', 'TCur', 'ChkL', 0};
static const FourCharCode editorDisabled[] = {'NGam', 'PGam', 'EGam', 'save', 'rvrt', 0};
static const FourCharCode prefsDisabled[] = {
    'new ', 'open', 'NGam', 'PGam', 'EGam', 'save', 'svas', 'rvrt', 'undo', 'redo', 'cut ', 'copy', 'past',
    'clea', 'sall', 'LEdt', 'NxtL', 'PrvL', 'NLvl', 'ILvl', 'DLvl', 'SLvl', 'SHgh', 'CHgh', 'TLvl', 'TCur', 'ChkL', 0};
static const FourCharCode noCommands[] = {0};

static bool KnownMode(int32_t mode)
{
    return mode >= ModeSplashScreen && mode <= ModePreferences;
}

static const ModeFunctions *Functions(int32_t mode)
{
    return (KnownMode(mode) && modeRegistered[mode]) ? &modeFunctions[mode] : nullptr;
}

void ControllerRegisterMode(int32_t mode, const ModeFunctions *functions)
{
    if (!KnownMode(mode))
        return;
    modeRegistered[mode] = functions != nullptr;
    modeFunctions[mode] = functions ? *functions : ModeFunctions{};
}

void ControllerSetServices(const ControllerServices *newServices)
{
    services = newServices ? *newServices : ControllerServices{};
}

const FourCharCode *ControllerGetDisabledCommands(int32_t mode)
{
    switch (mode) {
    case ModeSplashScreen: return titleDisabled;
    case ModeGame: return gameDisabled;
    case ModeLevelEditor: return editorDisabled;
    case ModePreferences: return prefsDisabled;
    default: return noCommands;
    }
}

static void EnableList(const FourCharCode *codes)
{
    for (; *codes; codes++)
        PlatformEnableMenuCommand(*codes);
}

static void DisableList(const FourCharCode *codes)
{
    for (; *codes; codes++)
        PlatformDisableMenuCommand(*codes);
}

void *ControllerGetModeObject(Controller *controller, int32_t mode)
{
    switch (mode) {
    case ModeSplashScreen: return controller->splashScreen;
    case ModeGame: return controller->gameController;
    case ModeLevelEditor: return controller->levelEditor;
    case ModePreferences: return controller->prefsScreen;
    default: return nullptr;
    }
}

static void SetModeObject(Controller *controller, int32_t mode, void *object)
{
    switch (mode) {
    case ModeSplashScreen: controller->splashScreen = static_cast<SplashScreen *>(object); break;
    case ModeGame: controller->gameController = static_cast<GameController *>(object); break;
    case ModeLevelEditor: controller->levelEditor = static_cast<LevelEditor *>(object); break;
    case ModePreferences: controller->prefsScreen = static_cast<PrefsScreen *>(object); break;
    default: break;
    }
}

int32_t ControllerGetTopMode(Controller *controller)
{
    return controller->modeStackTop >= 0 ? controller->modeStack[controller->modeStackTop] : 0;
}

static bool IsFullScreen(Controller *controller)
{
    return controller->mainWindow && OpenGLWindowIsFullScreen(controller->mainWindow);
}

// Calls one operation of the top mode.
static void CallTop(Controller *controller, void (*ModeFunctions::*operation)(void *))
{
    int32_t mode = ControllerGetTopMode(controller);
    const ModeFunctions *functions = Functions(mode);
    void *object = ControllerGetModeObject(controller, mode);
    if (functions && object && functions->*operation)
        (functions->*operation)(object);
}

// ---- Window callbacks ----------------------------------------------------------

static int32_t WindowCollapsed(void *context, void *)
{
    ControllerSuspend(static_cast<Controller *>(context));
    return 1;
}

static int32_t WindowExpanded(void *context, void *)
{
    ControllerResume(static_cast<Controller *>(context));
    return 1;
}

static int32_t WindowNeedsDrawing(void *context, void *)
{
    ControllerRedraw(static_cast<Controller *>(context));
    return 1;
}

static int32_t WindowClosing(void *, void *)
{
    PlatformQuitApplicationEventLoop();
    return 0;
}

// ---- Lifecycle ---------------------------------------------------------------------

Controller *ControllerAllocate()
{
    Controller *controller = new Controller{};
    controller->modeStackTop = -1;
    int32_t startFullScreen = 0, fsaa = 0;
    PrefsGetValue(kPrefsKeyStartFullScreen, &startFullScreen);
    PrefsGetValue(kPrefsKeyFSAA, &fsaa);
    controller->mainWindow =
        OpenGLWindowAllocate("Brimhold", 800, 600, startFullScreen != 0, fsaa != 0, kProjectionPerspective);
    if (controller->mainWindow) {
        CallbackController *callbacks = OpenGLWindowGetCallbackController(controller->mainWindow);
        CallbackControllerInstallCallback(callbacks, kOpenGLWindowCallbackCollapse, WindowCollapsed, controller);
        CallbackControllerInstallCallback(callbacks, kOpenGLWindowCallbackExpand, WindowExpanded, controller);
        CallbackControllerInstallCallback(callbacks, kOpenGLWindowCallbackDraw, WindowNeedsDrawing, controller);
        CallbackControllerInstallCallback(callbacks, kOpenGLWindowCallbackClose, WindowClosing, controller);
    }
    mainController = controller;
    return controller;
}

void ControllerInit(Controller *controller)
{
    if (services.loadModels)
        services.loadModels();
    if (services.createDefaultLevelSet)
        controller->currentLevelSet = services.createDefaultLevelSet();
}

static bool EventHandler(const PlatformEvent *event, void *context);

void ControllerStart(Controller *controller)
{
    static const int32_t kinds[] = {kEventCommandProcess, kEventAppActivated, kEventAppDeactivated};
    controller->eventHandler =
        PlatformInstallEventHandler(kTargetApplication, kinds, int32_t(std::size(kinds)), EventHandler, controller);
    ControllerPushMode(controller, ModeSplashScreen);
}

bool ControllerStop(Controller *controller)
{
    controller->quitting = 1;
    while (controller->modeStackTop >= 0) {
        if (!ControllerPopMode(controller)) {
            controller->quitting = 0;
            return false;
        }
    }
    return true;
}

void ControllerDispose(Controller *controller)
{
    if (!controller)
        return;
    PlatformRemoveEventHandler(controller->eventHandler);
    controller->eventHandler = 0;
    if (controller->mainWindow) {
        if (ControllerGetTopMode(controller) == ModeGame && IsFullScreen(controller))
            ControllerShowMouseCursor(controller);
        OpenGLWindowDispose(controller->mainWindow);
        controller->mainWindow = nullptr;
    }
    if (controller->currentLevelSet && services.disposeLevelSet)
        services.disposeLevelSet(controller->currentLevelSet);
    controller->currentLevelSet = nullptr;
    if (mainController == controller)
        mainController = nullptr;
    delete controller;
}

// ---- The stack -----------------------------------------------------------------------

void ControllerPushMode(Controller *controller, int32_t mode)
{
    if (controller->modeStackTop >= kControllerMaxModes - 1) {
        std::printf("Error: ControllerPushMode called when mode stack is already full.\n");
        std::fflush(stdout);
        return;
    }
    // One object per mode kind: a kind already on the stack is not pushed
    // again (its object would be lost).
    if (KnownMode(mode) && ControllerHasModeInStack(controller, mode)) {
        std::printf("Error: ControllerPushMode called with mode %d already in the stack.\n", int(mode));
        std::fflush(stdout);
        return;
    }
    if (controller->modeStackTop >= 0) {
        int32_t covered = ControllerGetTopMode(controller);
        CallTop(controller, &ModeFunctions::freeze);
        EnableList(ControllerGetDisabledCommands(covered));
        if (covered == ModeGame && IsFullScreen(controller))
            ControllerShowMouseCursor(controller);
    }
    controller->modeStackTop++;
    controller->modeStack[controller->modeStackTop] = mode;
    DisableList(ControllerGetDisabledCommands(mode));
    const ModeFunctions *functions = Functions(mode);
    void *object = (functions && functions->allocate) ? functions->allocate() : nullptr;
    SetModeObject(controller, mode, object);
    if (object) {
        if (functions->init)
            functions->init(object);
        if (functions->start)
            functions->start(object);
        if (mode == ModeGame && functions->goToLevel)
            functions->goToLevel(object, controller->startingLevel);
    }
    if (mode == ModeGame && IsFullScreen(controller))
        ControllerHideMouseCursor(controller);
}

bool ControllerPopMode(Controller *controller)
{
    if (controller->modeStackTop < 0) {
        std::printf("Error: ControllerPopMode called when mode stack is already empty.\n");
        std::fflush(stdout);
        return false;
    }
    int32_t mode = ControllerGetTopMode(controller);
    const ModeFunctions *functions = Functions(mode);
    void *object = ControllerGetModeObject(controller, mode);
    if (object && functions) {
        if (functions->stop && !functions->stop(object))
            return false;
        if (functions->dispose)
            functions->dispose(object);
    }
    SetModeObject(controller, mode, nullptr);
    if (mode == ModeGame && IsFullScreen(controller))
        ControllerShowMouseCursor(controller);
    EnableList(ControllerGetDisabledCommands(mode));
    controller->modeStackTop--;
    if (controller->modeStackTop < 0)
        return true;
    int32_t uncovered = ControllerGetTopMode(controller);
    DisableList(ControllerGetDisabledCommands(uncovered));
    CallTop(controller, &ModeFunctions::defrost);
    if (uncovered == ModeGame && IsFullScreen(controller))
        ControllerHideMouseCursor(controller);
    return true;
}

bool ControllerHasModeInStack(Controller *controller, int32_t mode)
{
    for (int32_t i = 0; i <= controller->modeStackTop; i++)
        if (controller->modeStack[i] == mode)
            return true;
    return false;
}

void ControllerRedraw(Controller *controller)
{
    CallTop(controller, &ModeFunctions::draw);
}

void ControllerSuspend(Controller *controller)
{
    CallTop(controller, &ModeFunctions::suspend);
}

void ControllerResume(Controller *controller)
{
    CallTop(controller, &ModeFunctions::resume);
}

// ---- Commands ---------------------------------------------------------------------------

static void ToggleFullScreen(Controller *controller)
{
    bool gameOnTop = ControllerGetTopMode(controller) == ModeGame;
    const ModeFunctions *game = Functions(ModeGame);
    void *object = controller->gameController;
    bool wasPaused = false;
    if (gameOnTop) {
        wasPaused = (game && object && game->isPaused) ? game->isPaused(object) : false;
        if (!wasPaused && game && object && game->pause)
            game->pause(object, true);
        if (!IsFullScreen(controller))
            ControllerHideMouseCursor(controller);
    }
    if (controller->mainWindow)
        OpenGLWindowToggleFullScreen(controller->mainWindow);
    if (gameOnTop) {
        if (!IsFullScreen(controller))
            ControllerShowMouseCursor(controller);
        if (!wasPaused && game && object && game->unpause)
            game->unpause(object);
    }
    ControllerRedraw(controller);
}

static bool HandleCommand(Controller *controller, FourCharCode command)
{
    int32_t top = ControllerGetTopMode(controller);
    const ModeFunctions *game = Functions(ModeGame);
    void *gameObject = controller->gameController;
    switch (command) {
    case 'EGam':
        if (top == ModeGame)
            ControllerPopMode(controller);
        return true;
    case 'FScn':
        ToggleFullScreen(controller);
        return true;
    case 'LEdt':
        if (top == ModeLevelEditor)
            ControllerPopMode(controller);
        else
            ControllerPushMode(controller, ModeLevelEditor);
        return true;
    case 'NGam':
        if (top == ModeSplashScreen) {
            controller->startingLevel = 0;
            ControllerPushMode(controller, ModeGame);
        } else if (top == ModeGame && game && gameObject && game->restart) {
            game->restart(gameObject);
        }
        return true;
    case 'PGam':
        if (top == ModeGame && game && gameObject) {
            if (game->isPaused && game->isPaused(gameObject)) {
                if (game->unpause)
                    game->unpause(gameObject);
            } else if (game->pause) {
                game->pause(gameObject, false);
            }
        }
        return true;
    case 'Scsh':
        if (controller->mainWindow)
            OpenGLWindowTakeSnapshot(controller->mainWindow, false);
        return false;
    case 'SHgh':
        HighScoresShowCommand();
        return true;
    case 'CHgh':
        HighScoresClearCommand();
        return true;
    case 'pref':
        if (ControllerHasModeInStack(controller, ModePreferences))
            ControllerPopMode(controller);
        else
            ControllerPushMode(controller, ModePreferences);
        return false;
    default:
        return false;
    }
}

static bool EventHandler(const PlatformEvent *event, void *context)
{
    Controller *controller = static_cast<Controller *>(context);
    switch (event->kind) {
    case kEventAppActivated:
        // The activation at launch resumes nothing: nothing was suspended.
        if (!controller->activatedOnce)
            controller->activatedOnce = 1;
        else
            ControllerResume(controller);
        return false;
    case kEventAppDeactivated:
        ControllerSuspend(controller);
        return false;
    case kEventCommandProcess:
        return HandleCommand(controller, event->command);
    default:
        return false;
    }
}

// ---- Menu items, cursor, frames ----------------------------------------------------------

void ControllerEnableMenuItems(Controller *controller, ...)
{
    va_list codes;
    va_start(codes, controller);
    for (FourCharCode code = va_arg(codes, FourCharCode); code != 0; code = va_arg(codes, FourCharCode))
        PlatformEnableMenuCommand(code);
    va_end(codes);
}

void ControllerDisableMenuItems(Controller *controller, ...)
{
    va_list codes;
    va_start(codes, controller);
    for (FourCharCode code = va_arg(codes, FourCharCode); code != 0; code = va_arg(codes, FourCharCode))
        PlatformDisableMenuCommand(code);
    va_end(codes);
}

void ControllerShowMouseCursor(Controller *)
{
    PlatformShowCursor();
}

void ControllerHideMouseCursor(Controller *)
{
    PlatformHideCursor();
}

void ControllerSwapGLBuffers(Controller *controller)
{
    if (!controller->mainWindow)
        return;
    if (frameOverlay)
        frameOverlay(frameOverlayContext);
    OpenGLWindowSwapBuffers(controller->mainWindow);
}

void ControllerSetFrameOverlay(ControllerFrameOverlay overlay, void *context)
{
    frameOverlay = overlay;
    frameOverlayContext = overlay ? context : nullptr;
}

void ControllerGetFrameOverlay(ControllerFrameOverlay *overlay, void **context)
{
    *overlay = frameOverlay;
    *context = frameOverlayContext;
}

// ---- Accessors -------------------------------------------------------------------------------

Controller *ControllerGetMainController()
{
    return mainController;
}

OpenGLWindow *ControllerGetMainWindow(Controller *controller)
{
    return controller ? controller->mainWindow : nullptr;
}

bool ControllerIsQuitting(Controller *controller)
{
    return controller && controller->quitting;
}

LevelSet *ControllerGetCurrentLevelSet()
{
    return mainController ? mainController->currentLevelSet : nullptr;
}

void ControllerSetCurrentLevelSet(LevelSet *levelSet)
{
    if (mainController)
        mainController->currentLevelSet = levelSet;
}

int32_t ControllerGetStartingLevel(Controller *controller)
{
    return controller->startingLevel;
}

void ControllerSetStartingLevel(Controller *controller, int32_t level)
{
    controller->startingLevel = level;
}
