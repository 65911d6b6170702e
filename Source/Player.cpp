#include "Player.h"

#include "Block.h"
#include "GameController.h"
#include "Level.h"
#include "Random.h"
#include "Sound.h"

#include <cstdlib>

enum {
    kSoundGrabLadder = 29,
};

Player *PlayerAllocate(GameController *gameMode)
{
    Player *player = static_cast<Player *>(std::calloc(1, sizeof(Player)));
    player->controller = gameMode;
    player->direction = VectorWithValues(0.0f, 0.0f, -1.0f);
    player->cameraDirection = VectorWithValues(0.0f, 0.0f, -1.0f);
    player->air = kPlayerFullAir;
    player->onGround = 1;
    player->animationAction = 'Stnd';
    player->animationAtOnce = 1;
    PlayerCalculateBounds(player);
    return player;
}

void PlayerDispose(Player *player)
{
    std::free(player);
}

Vector PlayerGetPosition(const Player *player)
{
    return player->position;
}

Vector PlayerGetCameraDirection(const Player *player)
{
    return player->cameraDirection;
}

int32_t PlayerGetNumberOfPoints(const Player *player)
{
    return player->points;
}

void PlayerSetNumberOfPoints(Player *player, int32_t points)
{
    player->points = points;
}

int32_t PlayerGetNumberOfLives(const Player *player)
{
    return player->lives;
}

int32_t PlayerGetNumberOfKeys(const Player *player)
{
    return player->keys;
}

bool PlayerHasFeather(const Player *player)
{
    return player->hasFeather != 0;
}

void PlayerSetPosition(Player *player, float x, float y, float z)
{
    player->position = VectorWithValues(x, y - kPlayerHeight / 2.0f, z);
    PlayerCalculateBounds(player);
}

void PlayerCalculateBounds(Player *player)
{
    const Vector &p = player->position;
    player->bounds = AABB{p.x - kPlayerHalfWidth, p.x + kPlayerHalfWidth, p.y,
                          p.y + kPlayerHeight,    p.z - kPlayerHalfWidth, p.z + kPlayerHalfWidth};
}

void PlayerAwardPoints(Player *player, int32_t points)
{
    // Wraps like the machine's 32-bit arithmetic instead of overflowing.
    player->points = int32_t(uint32_t(player->points) + uint32_t(points));
}

void PlayerAwardExtraLife(Player *player)
{
    if (player->lives <= kPlayerMaxLives - 1)
        player->lives += 1;
}

void PlayerAwardKey(Player *player)
{
    if (player->keys < INT32_MAX)
        player->keys += 1;
}

void PlayerAwardFeather(Player *player)
{
    player->hasFeather = 1;
}

bool PlayerUseKey(Player *player)
{
    if (player->keys <= 0)
        return false;
    player->keys -= 1;
    return true;
}

void PlayerDie(Player *player)
{
    if (!player->controller)
        return;
    player->lives -= 1;
    if (player->lives < 0)
        GameControllerGameOver(player->controller);
    else
        GameControllerPlayerDied(player->controller);
}

void PlayerLevelCompleted(Player *player)
{
    if (player->controller)
        GameControllerLevelCompleted(player->controller);
}

void PlayerSetAnimationAction(Player *player, FourCharCode action, bool atOnce)
{
    player->animationAction = action;
    player->animationAtOnce = atOnce ? 1 : 0;
}

static bool PlayerIsLadder(const Block *block)
{
    return block && block->type == kBlockLadder;
}

void PlayerGrabLadder(Player *player, Block *ladder, int32_t orientation, Level *level)
{
    if (player->onLadder || player->walking)
        return;
    float keptY = player->position.y;
    float cx = (ladder->minX + ladder->maxX) / 2.0f;
    float cz = (ladder->minZ + ladder->maxZ) / 2.0f;
    float targetX, targetZ;
    Vector facing;
    if (orientation == 0) {
        targetX = cx;
        targetZ = player->position.z > cz ? ladder->maxZ + 0.75f : ladder->minZ - 0.75f;
        facing = player->position.z < cz ? VectorWithValues(0, 0, 1) : VectorWithValues(0, 0, -1);
    } else {
        targetX = player->position.x > cx ? ladder->maxX + 0.75f : ladder->minX - 0.75f;
        targetZ = cz;
        facing = player->position.x < cx ? VectorWithValues(1, 0, 0) : VectorWithValues(-1, 0, 0);
    }
    if (VectorDot(player->direction, facing) < 0.7f)
        return;
    player->direction = facing;
    player->ladderBottom = ladder->minY;
    player->ladderTop = ladder->maxY;

    // Ladders stacked in the cells above and below extend the reach.
    if (level) {
        int32_t x = ladder->cellX, z = ladder->cellZ;
        for (int32_t y = ladder->cellY + 1; y < level->sizeY; y++) {
            Block *found = nullptr;
            for (int32_t slot = 0;; slot++) {
                Block *b = LevelGetBlockAtPos(level, x, y, z, slot);
                if (!b)
                    break;
                if (PlayerIsLadder(b)) {
                    found = b;
                    break;
                }
            }
            if (!found)
                break;
            player->ladderTop = found->maxY;
        }
        for (int32_t y = ladder->cellY - 1; y >= 0; y--) {
            Block *found = nullptr;
            for (int32_t slot = 0;; slot++) {
                Block *b = LevelGetBlockAtPos(level, x, y, z, slot);
                if (!b)
                    break;
                if (PlayerIsLadder(b)) {
                    found = b;
                    break;
                }
            }
            if (!found)
                break;
            player->ladderBottom = found->minY;
        }
    }

    if (player->ladderBottom - 1.0f > player->bounds.minY || player->bounds.maxY > player->ladderTop + 1.0f)
        return;
    player->position = VectorWithValues(targetX, keptY, targetZ);
    player->forwardSpeed = 0.0f;
    player->lateralSpeed = 0.0f;
    player->velocity = VectorWithValues(0.0f, 0.0f, 0.0f);
    player->onGround = 0;
    player->onLadder = 1;
    SoundPlay(kSoundGrabLadder);
    PlayerSetAnimationAction(player, (uirand() & 1) ? 'LdUL' : 'LdUR', true);
}
