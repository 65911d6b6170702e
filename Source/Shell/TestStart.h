// A start cell for test play other than the level's own: the editor sets it
// before it pushes the game for "Test From Cursor" and clears it when the
// game is gone.  The level's stored start is never touched, so nothing of it
// can reach a saved file.
#pragma once

#include <cstdint>

struct LevelSet;
struct Player;

void TestStartSet(const LevelSet *set, int32_t levelIndex, int32_t x, int32_t y, int32_t z);
void TestStartClear();
bool TestStartIsSet();

// When a test start is set for the set's current level, places the player on
// its cell (clamped to the level), facing as the level's start does, and
// returns true; otherwise does nothing and returns false.
bool TestStartPlacePlayer(Player *player, const LevelSet *set);
