// The menu of the paused game, under the "Paused" caption: "Resume",
// "Restart level", "Preferences..." and "End game", worked by the mouse or by
// the keyboard (up and down choose, Return presses, Escape resumes as it
// always did).  While the game is paused the Game menu's pause item reads
// "Resume".
#pragma once

#include "Types.h"

#include <cstdint>

struct GameController;
struct PlatformEvent;

enum : int32_t {
    kPauseMenuResume = 0,
    kPauseMenuRestartLevel = 1,
    kPauseMenuPreferences = 2,
    kPauseMenuEndGame = 3,
    kPauseMenuCount = 4,
};

// The buttons' widget identifiers, in the order above.
constexpr FourCharCode kPauseMenuButtons[kPauseMenuCount] = {'PRes', 'PRst', 'PPrf', 'PEnd'};

// Shows or hides the menu and sets the Game menu's item for the game's state
// now; every change of pause, freeze or ending calls it.
void PauseMenuSync(GameController *game);
bool PauseMenuIsShown(GameController *game);
int32_t PauseMenuSelection(GameController *game);
// Does what the button does.
void PauseMenuChoose(GameController *game, int32_t item);
// The button's widget while the menu exists, else null (tests click it).
struct Widget *PauseMenuButton(GameController *game, int32_t item);

bool PauseMenuHandleKey(GameController *game, const PlatformEvent *event, uint8_t character);
void PauseMenuDraw(GameController *game);
void PauseMenuDispose(GameController *game);
