// The game mode.  The player reports deaths and completed levels to it.
#pragma once

struct GameController;

void GameControllerPlayerDied(GameController *controller);
void GameControllerGameOver(GameController *controller);
void GameControllerLevelCompleted(GameController *controller);
