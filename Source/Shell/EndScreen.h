// The end of a game: the question before "End game" ends a game in play
// (Return ends it, Escape keeps playing), and the end screen after game
// over, the last level or an ended game, with the final points, the levels
// completed and, when a rank source is set, the rank among the high scores.
// Return on the end screen goes back to the mode below (the title screen).
// A test play from the level editor has neither: it ends straight back in
// the editor.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct GameController;
struct PlatformEvent;

enum : int32_t {
    kEndScreenNone = 0,
    kEndScreenConfirming = 1, // "End this game?"
    kEndScreenShowing = 2,    // the final score
    kEndScreenLeaving = 3,    // Return pressed: the game mode is ending
};

// The rank that a final score takes among the high scores, 1 for the best,
// or 0 when it takes none; null (the default) shows no rank.
typedef int32_t (*EndScreenRankSource)(int32_t points, int32_t levelsCompleted);
void EndScreenSetRankSource(EndScreenRankSource source);

// Listens for 'EGam' from the menus while the game runs (installed at the
// start of the game, removed by EndScreenDispose).
void EndScreenInstall(GameController *game);
int32_t EndScreenPhase(GameController *game);
// Asks whether to end the game (the pause menu's "End game" and 'EGam').
void EndScreenConfirm(GameController *game);
// Shows the end screen with the game's numbers now.
void EndScreenShow(GameController *game);
// Takes the question or the end screen away (a new game begins).
void EndScreenReset(GameController *game);
// The lines of the question or the end screen (empty otherwise).
std::vector<std::string> EndScreenLines(GameController *game);

// Hooks of the game mode: the game is about to end itself (game over, set
// completed): true when the end screen shows instead and the ending waits
// for Return.
bool EndScreenTakesExit(GameController *game);
bool EndScreenHandleKey(GameController *game, const PlatformEvent *event, uint8_t character);
void EndScreenDraw(GameController *game);
void EndScreenDispose(GameController *game);
