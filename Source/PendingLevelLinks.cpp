// Link-time placeholders until the rendering and game-mode modules are merged; deleted at merge.
#include "GameController.h"
#include "Model.h"
#include "ModelParser.h"
#include "Shader.h"
#include "Sound.h"

Model *ModelGetModelByIdentifier(int32_t, FourCharCode) { return nullptr; }
void StaticModelDraw(StaticModel *, float) {}
AABB StaticModelGetBounds(StaticModel *) { return AABB{0, 0, 0, 0, 0, 0}; }
bool ShaderApplyByIdentifier(FourCharCode) { return false; }
void ShaderDisable() {}
void SoundPlay(int32_t) {}
void GameControllerPlayerDied(GameController *) {}
void GameControllerGameOver(GameController *) {}
void GameControllerLevelCompleted(GameController *) {}
