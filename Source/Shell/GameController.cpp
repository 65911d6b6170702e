#include "GameController.h"

#include "Backdrop.h"
#include "Bindings.h"
#include "CameraController.h"
#include "Controller.h"
#include "EndScreen.h"
#include "FrameCounter.h"
#include "Keyboard.h"
#include "LevelCard.h"
#include "Level.h"
#include "LevelSet.h"
#include "ModeSupport.h"
#include "ModelParser.h"
#include "PauseMenu.h"
#include "Player.h"
#include "Progress.h"
#include "Random.h"
#include "Replay.h"
#include "Shader.h"
#include "Sound.h"
#include "StatusLabels.h"
#include "TestStart.h"
#include "Utilities.h"
#include "WaterController.h"
#include "WorldEvents.h"
#include "WorldStep.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>
#include <iterator>

namespace {


Level *CurrentLevel(GameController *game)
{
    return game->levelSet ? LevelSetGetCurrentLevelCopy(game->levelSet) : nullptr;
}

void InitCameraPos(GameController *game)
{
    WorldInitCameraPos(game->cameraController, game->player);
}

void PlacePlayerAtStart(GameController *game)
{
    // A test play from the editor's cursor starts there instead.
    if (TestStartPlacePlayer(game->player, game->levelSet))
        return;
    WorldPlacePlayerAtStart(game->player, game->levelSet);
    ProgressLevelStarted(game);
}

// Plays the sounds that the world asked for, in order, then acts on the
// outcome of the player's step.  The world has returned by now, so the level
// may be replaced or restarted.
void ApplyWorldEvents(GameController *game)
{
    WorldEvents *events = WorldEventsCurrent();
    for (int32_t sound : events->sounds)
        SoundPlay(sound);
    bool completed = events->levelCompleted, died = events->playerDied, over = events->gameOver;
    WorldEventsClear(events);
    if (completed)
        GameControllerLevelCompleted(game);
    if (over)
        GameControllerGameOver(game);
    else if (died)
        GameControllerPlayerDied(game);
}

void RenewFrameRateText(GameController *game, double now)
{
    if (game->frameRateText) {
        ShaderDispose(game->frameRateText);
        game->frameRateText = nullptr;
    }
    char digits[16];
    std::snprintf(digits, sizeof digits, "%d", game->frameCount);
    Shader *text = ShaderAllocate();
    if (ShaderCreateFromString(text, digits, "Lucida Grande", 12, -1, 32, 16) == 0)
        game->frameRateText = text;
    else
        ShaderDispose(text);
    FrameCounterSetValue(game->frameCount);
    if (now - game->frameRateTime > 2.0)
        game->frameRateTime = now;
    else
        game->frameRateTime += 1.0;
    game->frameCount = 0;
}

// One step of the timer's catch-up; a step that the player ended (a level
// completed, a life lost) ends this firing's steps.
bool TimerStep(void *context)
{
    return !GameControllerStep(static_cast<GameController *>(context));
}

void TimerFired(PlatformTimerRef, void *context)
{
    GameController *game = static_cast<GameController *>(context);
    double now = PlatformGetEventTime();
    if (!game->paused && game->suspendCount == 0 && !GameMomentsHoldClock(game, now))
        ModeRunSteps(now, &game->lastTickTime, &game->leftoverTime, TimerStep, game);
    game->frameCount += 1;
    if (now - game->frameRateTime >= 1.0)
        RenewFrameRateText(game, now);
    if (!game->frozen && FrameDemandTake(&game->demand, !game->paused))
        GameControllerDraw(game);
    ModePrintGLError("");
}

void PadKey(uint8_t character, bool down, void *context)
{
    GameControllerHandleKey(static_cast<GameController *>(context), character, down);
}

// A pad reaches the game as the keys it stands for; one unplugged lets go
// of what it held and pauses the game.
// What is drawn over play (a card, the pause menu, the end screen) is worked
// with the pad as with the keys: the d-pad's up and down as the arrows, A as
// Return, B as Escape.
bool PadMomentKey(GameController *game, const PlatformEvent *event)
{
    if (event->kind != kEventPadButtonDown)
        return false;
    int32_t keyCode = 0;
    switch (event->padControl) {
    case kPadButtonDPadUp: keyCode = kKeyCodeUp; break;
    case kPadButtonDPadDown: keyCode = kKeyCodeDown; break;
    case kPadButtonA: keyCode = kKeyCodeReturn; break;
    case kPadButtonB: keyCode = kKeyCodeEscape; break;
    default: return false;
    }
    PlatformEvent key = *event;
    key.kind = kEventRawKeyDown;
    key.keyCode = keyCode;
    key.modifiers = 0;
    return GameMomentsTakeKey(game, &key, uint8_t(keyCodeToCharCode(keyCode)));
}

bool PadEvent(GameController *game, const PlatformEvent *event)
{
    if (game->playback)
        return true;
    if (PadMomentKey(game, event))
        return true;
    if (event->kind == kEventPadRemoved) {
        GamepadReleaseAll(&game->pad, PadKey, game);
        if (!game->paused)
            GameControllerPause(game, false);
    } else {
        GamepadPlayHandleEvent(&game->pad, event, PadKey, game);
    }
    return true;
}

bool KeyEvent(const PlatformEvent *event, void *context)
{
    GameController *game = static_cast<GameController *>(context);
    if (event->kind >= kEventPadButtonDown && event->kind <= kEventPadRemoved)
        return PadEvent(game, event);
    if (game->playback)
        return false;
    if (event->kind == kEventRawKeyModifiersChanged) {
        GameControllerHandleModifiers(game, event->modifiers);
    } else {
        // The game sees the character that the bound action stands for; what
        // is drawn over play works on the keys themselves.
        uint8_t character = BindingsCharacterForKey(kBindingsGame, event->keyCode);
        if (!GameMomentsTakeKey(game, event, uint8_t(keyCodeToCharCode(event->keyCode))) && character)
            GameControllerHandleKey(game, character, event->kind == kEventRawKeyDown);
    }
    // Menus and other handlers still see every key.
    return false;
}

ModeParts Parts(GameController *game)
{
    static const int32_t kinds[] = {kEventRawKeyDown,    kEventRawKeyUp,     kEventRawKeyModifiersChanged,
                                    kEventPadButtonDown, kEventPadButtonUp,  kEventPadAxisMoved,
                                    kEventPadRemoved};
    return ModeParts{"GameController", &game->suspendCount, &game->timer, &game->keyHandler, &game->frozen,
                     kinds, int32_t(std::size(kinds)), KeyEvent, game};
}

// A fresh start of a level with a new game's player, as a replay expects.
void BeginReplayAt(GameController *game, int32_t levelIndex, int32_t seed)
{
    LevelSetSetCurrentLevel(game->levelSet, levelIndex);
    PlayerInit(game->player);
    PlacePlayerAtStart(game);
    game->pointsAtLevelStart = 0;
    InitCameraPos(game);
    game->stepCount = 0;
    game->levelsCompleted = 0;
    game->deaths = 0;
    game->setCompleted = false;
    game->gameOver = false;
    WorldResetModifiers();
    sdrand(seed);
}

void ApplyReplayEvents(GameController *game)
{
    const Replay *replay = game->playback;
    while (game->playback && game->playbackNext < replay->events.size() &&
           replay->events[game->playbackNext].step <= game->stepCount) {
        const ReplayEvent &e = replay->events[game->playbackNext++];
        if (e.kind == kReplayModifiers)
            GameControllerHandleModifiers(game, uint32_t(e.value));
        else
            GameControllerHandleKey(game, uint8_t(e.value), e.kind == kReplayKeyDown);
    }
}

} // namespace

GameController *GameControllerAllocate()
{
    GameController *game = new GameController{};
    game->levelSet = ControllerGetCurrentLevelSet();
    game->player = PlayerAllocate(game);
    game->player->levelSet = game->levelSet;
    // The status labels belong to the main window; a game made without one
    // (tests of the step alone) has none.
    Controller *controller = ControllerGetMainController();
    if (controller && ControllerGetMainWindow(controller))
        game->player->statusWidgets = StatusLabelsAllocate(ControllerGetMainWindow(controller));
    return game;
}

void GameControllerInit(GameController *game)
{
    PlayerInit(game->player);
    game->cameraController = CameraControllerAllocate(kCameraFollowDirection);
}

void GameControllerStartGame(GameController *game)
{
    LevelSetSetCurrentLevel(game->levelSet, 0);
    PlacePlayerAtStart(game);
    game->pointsAtLevelStart = 0;
    InitCameraPos(game);
    ModeInstallHandler(Parts(game));
    if (!game->timer)
        game->timer = ModeInstallTimer(TimerFired, game);
    game->paused = false;
    double now = PlatformGetEventTime();
    game->lastTickTime = game->pauseStartTime = game->frameRateTime = now;
    game->leftoverTime = 0;
    game->frameCount = 0;
    EndScreenInstall(game);
}

void GameControllerGoToLevel(GameController *game, int32_t index)
{
    LevelSetSetCurrentLevel(game->levelSet, index);
    PlacePlayerAtStart(game);
    game->pointsAtLevelStart = 0;
    InitCameraPos(game);
    LevelCardBegin(game);
}

void GameControllerRestartGame(GameController *game)
{
    LevelSetSetCurrentLevel(game->levelSet, 0);
    PlayerInit(game->player);
    PlacePlayerAtStart(game);
    game->pointsAtLevelStart = 0;
    InitCameraPos(game);
    LevelCardBegin(game);
}

void GameControllerRestartLevel(GameController *game)
{
    LevelSetFetchCurrentLevelCopy(game->levelSet);
    PlacePlayerAtStart(game);
    PlayerSetNumberOfPoints(game->player, game->pointsAtLevelStart);
    InitCameraPos(game);
}

void GameControllerStopGame(GameController *game)
{
    ProgressGameStopped(game);
    ModeRemoveTimer(&game->timer);
    ModeRemoveHandler(Parts(game));
    GameMomentsDispose(game);
}

void GameControllerDispose(GameController *game)
{
    if (!game)
        return;
    ModeRemoveTimer(&game->timer);
    ModeRemoveHandler(Parts(game));
    GameMomentsDispose(game);
    if (game->player && game->player->statusWidgets) {
        StatusLabelsDispose(game->player->statusWidgets);
        game->player->statusWidgets = nullptr;
    }
    PlayerDispose(game->player);
    CameraControllerDispose(game->cameraController);
    if (game->frameRateText)
        ShaderDispose(game->frameRateText);
    delete game;
}

void GameControllerLevelCompleted(GameController *game)
{
    game->levelsCompleted++;
    if (ProgressLevelCompleted(game))
        return;
    Controller *controller = ControllerGetMainController();
    if (controller && ControllerHasModeInStack(controller, ModeLevelEditor)) {
        SoundPlay(kSoundLevelComplete);
        GameControllerPostExitEvent(game);
        return;
    }
    if (LevelSetGoToNextLevel(game->levelSet, false)) {
        SoundPlay(kSoundLevelComplete);
        PlacePlayerAtStart(game);
        LevelCardLevelCompleted(game, PlayerGetNumberOfPoints(game->player) - game->pointsAtLevelStart);
        game->pointsAtLevelStart = PlayerGetNumberOfPoints(game->player);
        InitCameraPos(game);
    } else {
        game->setCompleted = true;
        SoundPlay(kSoundLevelSetComplete);
        GameControllerPostExitEvent(game);
    }
}

void GameControllerPlayerDied(GameController *game)
{
    game->deaths++;
    Controller *controller = ControllerGetMainController();
    if (controller && ControllerHasModeInStack(controller, ModeLevelEditor)) {
        GameControllerPostExitEvent(game);
        return;
    }
    GameControllerRestartLevel(game);
}

void GameControllerGameOver(GameController *game)
{
    game->deaths++;
    game->gameOver = true;
    SoundPlay(kSoundGameOver);
    GameControllerPostExitEvent(game);
}

void GameControllerPause(GameController *game, bool hideOverlay)
{
    game->pauseOverlayHidden = hideOverlay;
    game->paused = true;
    game->pauseStartTime = PlatformGetEventTime();
    PauseMenuSync(game);
}

void GameControllerUnpause(GameController *game)
{
    game->paused = false;
    double d = PlatformGetEventTime() - game->pauseStartTime;
    game->lastTickTime += d;
    game->frameRateTime += d;
    PauseMenuSync(game);
}

bool GameControllerIsPaused(GameController *game)
{
    return game->paused;
}

// Suspension keeps the paused time out of the simulation, as a pause does:
// the time suspended is added to the clocks when the count returns to 0
// (unless the game is paused, which does the same when it is unpaused).
void GameControllerSuspend(GameController *game)
{
    if (game->suspendCount == 0 && !game->paused)
        game->pauseStartTime = PlatformGetEventTime();
    ModeSuspend(Parts(game));
}

void GameControllerResume(GameController *game)
{
    if (ModeResume(Parts(game)) && !game->paused) {
        double d = PlatformGetEventTime() - game->pauseStartTime;
        game->lastTickTime += d;
        game->frameRateTime += d;
    }
}

void GameControllerFreeze(GameController *game)
{
    ModeFreeze(Parts(game));
    PauseMenuSync(game);
}

void GameControllerDefrost(GameController *game)
{
    ModeDefrost(Parts(game));
    PauseMenuSync(game);
}

void GameControllerPostExitEvent(GameController *game)
{
    if (game->exitPosted || EndScreenTakesExit(game))
        return;
    game->exitPosted = true;
    GameControllerSuspend(game);
    PlatformPostCommandEvent('EGam');
}

void GameControllerHandleKey(GameController *game, uint8_t character, bool down)
{
    if (game->recording)
        ReplayRecordEvent(game->recording, game->stepCount, down ? kReplayKeyDown : kReplayKeyUp, character);
    if (character == 27) {
        if (down) {
            if (game->paused)
                GameControllerUnpause(game);
            else
                GameControllerPause(game, false);
        }
        return;
    }
    WorldHandleKey(game->player, game->cameraController, character, down);
    ApplyWorldEvents(game);
}

void GameControllerHandleModifiers(GameController *game, uint32_t modifiers)
{
    if (game->recording)
        ReplayRecordEvent(game->recording, game->stepCount, kReplayModifiers, int32_t(modifiers & 0xFFFF));
    WorldHandleModifiers(game->player, modifiers);
    ApplyWorldEvents(game);
}

bool GameControllerStep(GameController *game)
{
    ApplyReplayEvents(game);
    game->stepCount++;
    Level *level = CurrentLevel(game);
    if (!level)
        return true;
    bool ended = WorldRunStep(level, game->player);
    ApplyWorldEvents(game);
    if (ended)
        return true;
    // The camera follows alone; it never changes what the player does.
    game->cameraController->reducedMotion = BindingsGetComfort(kComfortReducedCameraMotion);
    WorldRunCamera(game->cameraController, game->player);
    return false;
}

void GameControllerRecordReplay(GameController *game, Replay *replay)
{
    // Stopping a recording marks where it ended.
    if (game->recording && game->recording->endStep < game->stepCount)
        game->recording->endStep = game->stepCount;
    game->recording = replay;
    if (!replay)
        return;
    replay->setName = LevelSetGetLevelSetName(game->levelSet);
    replay->levelIndex = LevelSetGetCurrentLevelIndex(game->levelSet);
    replay->events.clear();
    replay->endStep = 0;
    BeginReplayAt(game, replay->levelIndex, replay->seed);
}

void GameControllerPlayReplay(GameController *game, const Replay *replay)
{
    game->playback = replay;
    game->playbackNext = 0;
    if (replay)
        BeginReplayAt(game, replay->levelIndex, replay->seed);
}

ReplayOutcome GameControllerRunReplay(GameController *game, const Replay *replay, bool stopAtOutcome,
                                      ReplayTrace trace, void *context, int32_t traceEvery)
{
    GameControllerPlayReplay(game, replay);
    while (game->stepCount < replay->endStep && !game->exitPosted) {
        GameControllerStep(game);
        if (trace && traceEvery > 0 && game->stepCount % traceEvery == 0)
            trace(game, context);
        if (stopAtOutcome && (game->levelsCompleted > 0 || game->deaths > 0))
            break;
    }
    GameControllerPlayReplay(game, nullptr);
    return ReplayOutcome{game->stepCount, game->levelsCompleted, game->deaths, game->setCompleted, game->gameOver};
}

void GameControllerDraw(GameController *game)
{
    Controller *controller = ControllerGetMainController();
    Level *level = CurrentLevel(game);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    CameraControllerApplyCamera(game->cameraController);
    BackdropDraw(game->cameraController->camera->position);
    if (level) {
        LevelApplyLighting(level);
        LevelDraw(level);
        PlayerDraw(game->player);
        PlayerDrawShadow(game->player, level);
        if (level->waterController)
            WaterControllerDraw(level->waterController, game->cameraController->camera->position,
                                game->cameraController->camera->forward, 1.5f);
    }
    PlayerDrawStatus(game->player, LevelSetGetCurrentLevelIndex(game->levelSet));

    if (game->frameRateText)
        FrameCounterDraw();
    if (game->paused && !game->pauseOverlayHidden) {
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_TEXTURE_2D);
        glColor4f(0, 0, 0, 0.5f);
        ModeDrawQuad(-10, -10, 10, 10, -2);
        glColor4f(1, 1, 1, 1);
        if (ShaderApplyByIdentifier('Paus'))
            ModeDrawTexturedQuad(-0.2f, -0.05f, 0.2f, 0.05f, 0, 0, 1, 1, -2);
        else
            ModeDrawQuad(-0.2f, -0.05f, 0.2f, 0.05f, -2);
        ShaderDisable();
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_LIGHTING);
    }
    GameMomentsDraw(game);
    if (controller)
        ControllerSwapGLBuffers(controller);
}

namespace {
void *ModeAllocate()
{
    return GameControllerAllocate();
}
void ModeInit(void *mode)
{
    GameControllerInit(static_cast<GameController *>(mode));
}
void ModeStart(void *mode)
{
    GameControllerStartGame(static_cast<GameController *>(mode));
}
bool ModeStop(void *mode)
{
    GameControllerStopGame(static_cast<GameController *>(mode));
    return true;
}
void ModeDispose(void *mode)
{
    GameControllerDispose(static_cast<GameController *>(mode));
}
void ModeDraw(void *mode)
{
    GameControllerDraw(static_cast<GameController *>(mode));
}
void ModeSuspend(void *mode)
{
    GameControllerSuspend(static_cast<GameController *>(mode));
}
void ModeResume(void *mode)
{
    GameControllerResume(static_cast<GameController *>(mode));
}
void ModeFreeze(void *mode)
{
    GameControllerFreeze(static_cast<GameController *>(mode));
}
void ModeDefrost(void *mode)
{
    GameControllerDefrost(static_cast<GameController *>(mode));
}
void ModeGoToLevel(void *mode, int32_t level)
{
    GameControllerGoToLevel(static_cast<GameController *>(mode), level);
}
void ModeRestart(void *mode)
{
    GameControllerRestartGame(static_cast<GameController *>(mode));
}
bool ModeIsPaused(void *mode)
{
    return GameControllerIsPaused(static_cast<GameController *>(mode));
}
void ModePause(void *mode, bool hideOverlay)
{
    GameControllerPause(static_cast<GameController *>(mode), hideOverlay);
}
void ModeUnpause(void *mode)
{
    GameControllerUnpause(static_cast<GameController *>(mode));
}
} // namespace

void GameControllerRegisterMode()
{
    ModeFunctions functions{};
    functions.allocate = ModeAllocate;
    functions.init = ModeInit;
    functions.start = ModeStart;
    functions.stop = ModeStop;
    functions.dispose = ModeDispose;
    functions.draw = ModeDraw;
    functions.suspend = ModeSuspend;
    functions.resume = ModeResume;
    functions.freeze = ModeFreeze;
    functions.defrost = ModeDefrost;
    functions.goToLevel = ModeGoToLevel;
    functions.restart = ModeRestart;
    functions.isPaused = ModeIsPaused;
    functions.pause = ModePause;
    functions.unpause = ModeUnpause;
    ControllerRegisterMode(ModeGame, &functions);
}
