// Link-time placeholders until the game mode is merged; deleted at merge.
#include "GameController.h"

void GameControllerPlayerDied(GameController *) {}
void GameControllerGameOver(GameController *) {}
void GameControllerLevelCompleted(GameController *) {}
