// The game mode: plays the current level set from a level, advancing the
// level, its water, the player and the camera in fixed steps of 1/120 s,
// turning keys into player and camera actions, pausing, moving on to the next
// level, restarting after a death and ending itself when the set is done, the
// game is over, or (started from the level editor) the level ends.
//
// A play can be recorded as a replay (every input event tagged with the step
// before which it happened) and played back: each step depends only on the
// state and that step's input, so playback reproduces the play exactly.
#pragma once

#include "Events.h"
#include "Gamepad.h"

#include <cstddef>

#include <cstdint>

struct CameraController;
struct LevelSet;
struct Player;
struct Replay;
struct Shader;

struct GameController {
    LevelSet *levelSet; // the controller's current set; not owned
    Player *player;
    CameraController *cameraController;
    int32_t pointsAtLevelStart;
    double lastTickTime;
    double leftoverTime;
    double pauseStartTime;
    int32_t frameCount;
    double frameRateTime;
    Shader *frameRateText;
    int32_t suspendCount;
    bool frozen;
    bool paused;
    bool pauseOverlayHidden;
    PlatformTimerRef timer;
    PlatformEventHandlerRef keyHandler;

    // Steps simulated since the game started; replays count in these.
    int64_t stepCount;
    // What happened in this game: levels completed, lives lost, and whether
    // the set was completed or the game is over.
    int32_t levelsCompleted;
    int32_t deaths;
    bool setCompleted;
    bool gameOver;
    bool exitPosted;
    // The replay being recorded (owned by the caller), or null.
    Replay *recording;
    // The replay being played back (owned by the caller), or null, and the
    // index of its next event.
    const Replay *playback;
    size_t playbackNext;
    // The game controller's sticks and buttons as keys held.
    Gamepad pad;
};

GameController *GameControllerAllocate();
void GameControllerInit(GameController *game);
void GameControllerStartGame(GameController *game);
void GameControllerGoToLevel(GameController *game, int32_t index);
void GameControllerRestartGame(GameController *game);
void GameControllerRestartLevel(GameController *game);
void GameControllerStopGame(GameController *game);
void GameControllerDispose(GameController *game);

void GameControllerLevelCompleted(GameController *game);
void GameControllerPlayerDied(GameController *game);
void GameControllerGameOver(GameController *game);

void GameControllerPause(GameController *game, bool hideOverlay);
void GameControllerUnpause(GameController *game);
bool GameControllerIsPaused(GameController *game);
void GameControllerSuspend(GameController *game);
void GameControllerResume(GameController *game);
void GameControllerFreeze(GameController *game);
void GameControllerDefrost(GameController *game);
void GameControllerDraw(GameController *game);
// Ends the game mode from inside a step: suspends it and posts 'EGam'.
void GameControllerPostExitEvent(GameController *game);

// The keyboard as the game sees it: a character typed without modifiers
// going down or up, and a change of the modifier word.
void GameControllerHandleKey(GameController *game, uint8_t character, bool down);
void GameControllerHandleModifiers(GameController *game, uint32_t modifiers);

// Runs one fixed step of the level, its water, the player and the camera,
// applying first the replay events due at this step.  True when the player
// ended the step (no further steps for this firing).
bool GameControllerStep(GameController *game);

// Records every input event into replay from now on (null stops).
void GameControllerRecordReplay(GameController *game, Replay *replay);
// Plays replay back from now on; the real keyboard is ignored meanwhile.
// The step count restarts at 0 and the random generator takes the replay's
// seed, as when the replay was recorded.
void GameControllerPlayReplay(GameController *game, const Replay *replay);

// What playing a replay led to.
struct ReplayOutcome {
    int64_t steps;
    int32_t levelsCompleted;
    int32_t deaths;
    bool setCompleted;
    bool gameOver;
};
typedef void (*ReplayTrace)(const GameController *game, void *context);
// Plays replay on the game step by step, without the timer or drawing,
// until its end step; with stopAtOutcome, also as soon as a level is
// completed or a life is lost.  trace, when given, is called after every
// traceEvery-th step.
ReplayOutcome GameControllerRunReplay(GameController *game, const Replay *replay, bool stopAtOutcome,
                                      ReplayTrace trace, void *context, int32_t traceEvery);

// Registers the game as mode kind 2 with the application controller.
void GameControllerRegisterMode();
