// The moments of a game drawn over play: the card that greets each level
// ("Level N of M" and the set's name, over the frozen first frame), and the
// banner of a completed level ("Level complete", the level's points and the
// total) that comes before the next level's card.  While a card or banner
// shows, and while the keys overlay, the end-game question or the end screen
// shows, the game's clock holds: no step runs and the time is never
// simulated afterwards.
//
// These moments, the end screen and the first game's keys are the program's:
// it turns them on at start.  A game mode driven for its steps alone (tests
// of the step, tools) has them off and plays exactly as before.  They never
// show while a replay plays, nor in a test play started from the level
// editor.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct GameController;
struct PlatformEvent;

constexpr float kLevelCardSeconds = 2.0f;
constexpr float kLevelCardFadeSeconds = 0.25f;
constexpr float kLevelBannerSeconds = 1.5f;

void GameMomentsSetEnabled(bool enabled);
bool GameMomentsEnabled();
// Whether the moments apply to this game now: enabled, no replay playing,
// not a test play from the editor.
bool GameMomentsApply(GameController *game);

enum : int32_t {
    kLevelCardNone = 0,
    kLevelCardBanner = 1,
    kLevelCardShowing = 2,
};

// Shows the card of the current level (the first game on this machine shows
// the keys before it).
void LevelCardBegin(GameController *game);
// A level was completed with levelPoints points in it: the banner, then the
// card of the (already current) next level.
void LevelCardLevelCompleted(GameController *game, int32_t levelPoints);
int32_t LevelCardPhase(GameController *game);
// The lines shown now (empty with nothing showing).
std::vector<std::string> LevelCardLines(GameController *game);
void LevelCardDispose(GameController *game);

// ---- Hooks of the game mode ----

// Called at each firing that would step: true when the clock holds (no step
// this firing; the time since the last firing is dropped).
bool GameMomentsHoldClock(GameController *game, double now);
// A keyboard event before the game sees it: true when an overlay took it.
bool GameMomentsTakeKey(GameController *game, const PlatformEvent *event, uint8_t character);
// Draws what shows over the scene.
void GameMomentsDraw(GameController *game);
// The game stops: everything the moments hold is let go.
void GameMomentsDispose(GameController *game);
