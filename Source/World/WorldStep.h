// One fixed step of the game world and the keys that drive it: the level's
// blocks, its water and the player, then the camera that follows the player.
// The game mode runs it from its timer; programs without a window (replay
// checks) run it directly.  What the step does to the world outside (sounds,
// a life lost, a level completed) is left in the world's events
// (WorldEvents.h) for the caller to act on after the step.
#pragma once

#include <cstdint>

struct CameraController;
struct Level;
struct LevelSet;
struct Player;
struct Replay;

// The length of a step in seconds.
constexpr float kWorldStep = 1.0f / 120.0f;

// A character typed without modifiers going down or up, turned into player
// and camera actions (arrows run, space jumps, q uses, a/d turn the view,
// w/s tilt it, e/c zoom).  Escape and other characters do nothing here.
void WorldHandleKey(Player *player, CameraController *camera, uint8_t character, bool down);
// A change of the modifier word: Shift pressed starts walking, released
// stops it.  The last word is shared by every game.
void WorldHandleModifiers(Player *player, uint32_t modifiers);
// Forgets the last modifier word (a replay starts with none held).
void WorldResetModifiers();

// Puts the player at the start of the set's current level, facing the
// level's start direction.
void WorldPlacePlayerAtStart(Player *player, LevelSet *set);
// Puts the camera behind and above the player, looking towards -z.
void WorldInitCameraPos(CameraController *camera, const Player *player);

// The level's blocks, its water and the player, in that order.  True when a
// touched block ended the step (a death or a completed level): the caller
// runs no further steps in this firing.
bool WorldRunStep(Level *level, Player *player);
// The camera eases towards the top of the player's head and swings behind
// the player's view direction.
void WorldRunCamera(CameraController *camera, const Player *player);

// What playing a replay led to.
struct WorldReplayOutcome {
    int64_t steps;
    int32_t levelsCompleted;
    int32_t deaths;
};
// Called after every traceEvery-th step of WorldPlayReplay.
typedef void (*WorldReplayTrace)(int64_t step, const Player *player, Level *level, void *context);
// Plays replay on set without a window, as the game mode plays it: from the
// start of its level with a new game's player and the replay's random seed,
// until its end step or the first completed level or lost life.  The sounds
// asked for are dropped.
WorldReplayOutcome WorldPlayReplay(LevelSet *set, const Replay *replay, WorldReplayTrace trace, void *context,
                                   int32_t traceEvery);
