#include "Player.h"

#include "Block.h"
#include "CallbackController.h"
#include "Level.h"
#include "LevelSet.h"
#include "ModelParser.h"
#include "Powerup.h"
#include "Random.h"
#include "Skeleton.h"
#include "Sound.h"
#include "Utilities.h"
#include "WaterController.h"
#include "WorldEvents.h"


#include <cfloat>
#include <cmath>
#include <cstdlib>

// The ring of held-key pairs (lateralKey, forwardKey), clockwise from -z.
static const int32_t lookupTable[8][2] = {{0, 1}, {4, 1}, {4, 0}, {4, 2}, {0, 2}, {3, 2}, {3, 0}, {3, 1}};

static const float kDiagonal = 0.7071068f;
static const Vector baseDirectionVectors[8] = {
    {0, 0, -1}, {kDiagonal, 0, -kDiagonal}, {1, 0, 0},  {kDiagonal, 0, kDiagonal},
    {0, 0, 1},  {-kDiagonal, 0, kDiagonal}, {-1, 0, 0}, {-kDiagonal, 0, -kDiagonal},
};

// The three step sounds: each foot alternates between even and odd file
// numbers, with one of three variants each time.
static int32_t StepSound(int32_t base, int32_t *leftRight)
{
    WorldEventsPlaySound(base + *leftRight + 2 * (uirand() % 3));
    *leftRight ^= 1;
    return 0;
}

static int32_t PlayerWalkStepCallback(void *, void *)
{
    static int32_t leftRight = 0;
    return StepSound(kSoundWalkStep0, &leftRight);
}

static int32_t PlayerRunStepCallback(void *, void *)
{
    static int32_t leftRight = 0;
    return StepSound(kSoundRunStep0, &leftRight);
}

static int32_t PlayerLadderStepCallback(void *, void *)
{
    static int32_t leftRight = 0;
    return StepSound(kSoundLadderStep0, &leftRight);
}

static const struct {
    FourCharCode marker;
    CallbackFunction function;
} stepCallbacks[6] = {
    {'Wk04', PlayerWalkStepCallback}, {'Wk10', PlayerWalkStepCallback}, {'Rn03', PlayerRunStepCallback},
    {'Rn07', PlayerRunStepCallback},  {'LU03', PlayerLadderStepCallback}, {'LU07', PlayerLadderStepCallback},
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

// Resets what a level start and a new game share.
static void PlayerResetForLevel(Player *player, Vector position, Vector direction)
{
    player->position = position;
    player->velocity = VectorWithValues(0, 0, 0);
    player->direction = direction;
    player->onGround = 1;
    player->onLadder = 0;
    player->baseDirection = 0;
    player->cameraDirection = VectorWithValues(0, 0, -1);
    player->waterCoverage = 0;
    player->air = kPlayerFullAir;
    player->lateralKey = player->forwardKey = 0;
    player->lateralSpeed = player->forwardSpeed = 0;
    player->keyBaseDirection = 0;
    player->walking = 0;
    player->keys = 0;
    player->hasFeather = 0;
    PlayerCalculateBounds(player);
    PlayerSetAnimationAction(player, 'Stnd', true);
}

void PlayerInit(Player *player)
{
    if (!player->body) {
        Model *body = ModelGetModelByIdentifier(kModelKindBody, 'Humn');
        Model *animation = ModelGetModelByIdentifier(kModelKindAnimation, 'Humn');
        if (body && animation) {
            player->body = BodyCreateCopy(static_cast<Body *>(body->data));
            player->animation = AnimationCreateCopy(static_cast<Animation *>(animation->data), player->body->skeleton);
            CallbackController *callbacks = AnimationGetCallbackController(player->animation);
            for (int i = 0; i < 6; i++)
                player->stepCallbackIds[i] = CallbackControllerInstallCallback(
                    callbacks, int32_t(stepCallbacks[i].marker), stepCallbacks[i].function, player);
        }
    }
    PlayerResetForLevel(player, VectorWithValues(3, 3, 3), VectorWithValues(0, 0, -1));
    player->lives = 3;
    player->points = 0;
}

void PlayerStartAtPos(Player *player, Vector position, Vector direction)
{
    PlayerResetForLevel(player, position, direction);
}

void PlayerDispose(Player *player)
{
    if (!player)
        return;
    if (player->animation) {
        CallbackController *callbacks = AnimationGetCallbackController(player->animation);
        for (int32_t id : player->stepCallbackIds)
            CallbackControllerRemoveCallback(callbacks, id);
        AnimationDispose(player->animation);
    }
    if (player->body)
        BodyDispose(player->body);
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
    if (!player->levelSet)
        return;
    player->lives -= 1;
    WorldEventsPlayerDied(player->lives < 0);
}

void PlayerLevelCompleted(Player *player)
{
    if (player->levelSet)
        WorldEventsLevelCompleted();
}

void PlayerSetAnimationAction(Player *player, FourCharCode action, bool atOnce)
{
    player->animationAction = action;
    player->animationAtOnce = atOnce ? 1 : 0;
    if (player->animation)
        AnimationSetCurrentAction(player->animation, action, atOnce ? 1 : 0);
}

// A walking or running start on a foot chosen at random (1 gives the left).
static FourCharCode MovingAction(const Player *player)
{
    bool left = (uirand() & 1) != 0;
    if (player->walking)
        return left ? 'WkFL' : 'WkFR';
    return left ? 'RnFL' : 'RnFR';
}

static bool MovementKeyHeld(const Player *player)
{
    return player->lateralKey != 0 || player->forwardKey != 0;
}

void PlayerRotateDirection(Player *player, int32_t from, int32_t to)
{
    for (int32_t i = 0; i < 8; i++) {
        if (lookupTable[i][0] == player->lateralKey && lookupTable[i][1] == player->forwardKey) {
            int32_t j = ((i + to - from) % 8 + 8) % 8;
            player->lateralKey = lookupTable[j][0];
            player->forwardKey = lookupTable[j][1];
            return;
        }
    }
}

void PlayerRotateBaseDirection(Player *player, int32_t code)
{
    if (code == kPlayerViewTurnOn)
        player->baseDirection = (player->baseDirection + 1) % 8;
    else if (code == kPlayerViewTurnBack)
        player->baseDirection = (player->baseDirection + 7) % 8;
    else
        return;
    player->cameraDirection = baseDirectionVectors[player->baseDirection];
}

// The blocks near the player's centre that the use key acts on.
static void PlayerUse(Player *player)
{
    Level *level = player->levelSet ? LevelSetGetCurrentLevelCopy(player->levelSet) : nullptr;
    if (!level)
        return;
    Vector p = player->position;
    int32_t count = 0;
    Block **blocks = LevelGetSortedBlockListForBoundingBox(level, p.x - 3, p.x + 3, p.y + 2.8f - 3, p.y + 2.8f + 3,
                                                           p.z - 3, p.z + 3, &count);
    for (int32_t i = 0; i < count; i++)
        BlockPlayerAction(blocks[i], player, level);
    std::free(blocks);
}

void PlayerStartAction(Player *player, int32_t code)
{
    switch (code) {
    case kPlayerActionForward:
    case kPlayerActionBack:
    case kPlayerActionLeft:
    case kPlayerActionRight:
        if (player->keyBaseDirection != player->baseDirection)
            PlayerRotateDirection(player, player->keyBaseDirection, player->baseDirection);
        player->keyBaseDirection = player->baseDirection;
        PlayerRotateDirection(player, player->baseDirection, 0);
        if (code == kPlayerActionForward || code == kPlayerActionBack)
            player->forwardKey = code;
        else
            player->lateralKey = code;
        PlayerRotateDirection(player, 0, player->baseDirection);
        if (player->onGround)
            PlayerSetAnimationAction(player, MovingAction(player), false);
        break;
    case kPlayerActionJump: {
        float lift = player->hasFeather ? 0.5f : 0.35f;
        if (player->onGround) {
            WorldEventsPlaySound(kSoundJump);
            PlayerSetAnimationAction(player, 'Jump', false);
            player->velocity.y += lift;
            player->onGround = 0;
        } else if (player->onLadder) {
            WorldEventsPlaySound(kSoundJump);
            PlayerSetAnimationAction(player, 'Jump', false);
            player->forwardSpeed = player->direction.z * 0.3f;
            player->lateralSpeed = -player->direction.x * 0.3f;
            player->velocity.y += lift;
            player->onLadder = 0;
        }
        break;
    }
    case kPlayerActionWalk:
        if (player->onLadder) {
            player->onLadder = 0;
            PlayerSetAnimationAction(player, 'Fall', false);
        } else if (player->onGround && MovementKeyHeld(player)) {
            PlayerSetAnimationAction(player, (uirand() & 1) ? 'WkFL' : 'WkFR', false);
        }
        player->walking = 1;
        break;
    case kPlayerActionUse:
        PlayerUse(player);
        break;
    default:
        break;
    }
}

void PlayerStopAction(Player *player, int32_t code)
{
    switch (code) {
    case kPlayerActionForward:
    case kPlayerActionBack:
    case kPlayerActionLeft:
    case kPlayerActionRight:
        PlayerRotateDirection(player, player->keyBaseDirection, 0);
        if (code == kPlayerActionForward || code == kPlayerActionBack) {
            if (player->forwardKey == code)
                player->forwardKey = 0;
        } else if (player->lateralKey == code) {
            player->lateralKey = 0;
        }
        PlayerRotateDirection(player, 0, player->keyBaseDirection);
        if (player->onGround && !MovementKeyHeld(player))
            PlayerSetAnimationAction(player, 'Stnd', false);
        break;
    case kPlayerActionWalk:
        if (player->onGround && MovementKeyHeld(player))
            PlayerSetAnimationAction(player, (uirand() & 1) ? 'RnFL' : 'RnFR', false);
        player->walking = 0;
        break;
    default:
        break;
    }
}

// Moves speed by the held key: +a up to m, -a down to -m, or braking by b
// towards 0 without crossing it.
static float KeySpeed(float speed, int32_t key, int32_t plusKey, int32_t minusKey, float a, float m, float b)
{
    if (key == plusKey)
        return speed + a > m ? m : speed + a;
    if (key == minusKey)
        return speed - a < -m ? -m : speed - a;
    if (speed > 0)
        return speed > b ? speed - b : 0.0f;
    if (speed < 0)
        return speed < -b ? speed + b : 0.0f;
    return 0.0f;
}

static AABB BoxAt(Vector p)
{
    return AABB{p.x - kPlayerHalfWidth, p.x + kPlayerHalfWidth, p.y, p.y + kPlayerHeight,
                p.z - kPlayerHalfWidth, p.z + kPlayerHalfWidth};
}

// Keeps one axis of the moved position inside [0, size] for a box of the
// given extent below and above the position.
static void KeepInside(float *p, float *d, float *velocity, float below, float above, float size)
{
    if (*p - below < 0) {
        *d -= *p - below;
        *velocity = 0;
        *p = below;
    }
    if (*p + above > size) {
        *d -= *p + above - size;
        *velocity = 0;
        *p = size - above;
    }
}

bool PlayerRun(Player *player, Level *level, float elapsed)
{
    // 1. Water factor and animation speed.
    float c = player->waterCoverage;
    float k;
    float multiplier;
    if (player->onLadder) {
        k = 1.0f - 0.25f * c;
        multiplier = std::fabs(k *
                               (player->lateralSpeed * player->direction.x - player->forwardSpeed * player->direction.z) /
                               0.04f);
    } else {
        k = player->walking ? 1.0f - 0.25f * c : 1.0f - 0.5f * c;
        multiplier = k;
    }
    if (player->animation) {
        AnimationSetSpeedMultiplier(player->animation, multiplier);
        AnimationRun(player->animation, elapsed);
    }

    // 2. Facing follows the held world direction on the ground.
    if (player->onGround && !player->onLadder) {
        int32_t f = player->forwardKey, l = player->lateralKey;
        if (f == 1)
            player->direction = l == 3 ? Vector{-kDiagonal, 0, -kDiagonal}
                                : l == 4 ? Vector{kDiagonal, 0, -kDiagonal}
                                         : Vector{0, 0, -1};
        else if (f == 2)
            player->direction = l == 3 ? Vector{-kDiagonal, 0, kDiagonal}
                                : l == 4 ? Vector{kDiagonal, 0, kDiagonal}
                                         : Vector{0, 0, 1};
        else if (l == 3)
            player->direction = Vector{-1, 0, 0};
        else if (l == 4)
            player->direction = Vector{1, 0, 0};
    }

    // 3. Key-driven speeds.
    float a = 0.01f, m = 0.2f, b = 0.02f;
    if (player->walking) {
        a = 0.008f;
        m = 0.05f;
        b = 0.016f;
    } else if (player->onLadder) {
        a = 0.008f;
        m = 0.04f;
        b = 0.016f;
    }
    player->forwardSpeed = KeySpeed(player->forwardSpeed, player->forwardKey, 1, 2, a, m, b);
    player->lateralSpeed = KeySpeed(player->lateralSpeed, player->lateralKey, 4, 3, a, m, b);

    // 4. Ladder climbing: pushing towards the ladder climbs.
    bool climbing = false;
    if (player->onLadder) {
        player->velocity.y = player->lateralSpeed * player->direction.x - player->forwardSpeed * player->direction.z;
        if (player->onGround && player->velocity.y < 0) {
            player->onLadder = 0;
            PlayerSetAnimationAction(player, MovementKeyHeld(player) ? MovingAction(player) : 'Stnd', false);
        } else {
            climbing = true;
        }
    }
    if (!climbing) {
        // 5. Horizontal velocity: a diagonal is no faster than the larger speed.
        float s = std::sqrt(player->lateralSpeed * player->lateralSpeed + player->forwardSpeed * player->forwardSpeed);
        if (s != 0) {
            float top = std::max(std::fabs(player->lateralSpeed), std::fabs(player->forwardSpeed));
            player->velocity.x = (player->lateralSpeed / s) * top * k;
            player->velocity.z = (-player->forwardSpeed / s) * top * k;
        } else {
            player->velocity.x = 0;
            player->velocity.z = 0;
        }
        // 6. Gravity.
        player->velocity.y += -0.009f * k;
    }

    // 7. Vertical drag.
    player->velocity.y = k * player->velocity.y;
    Vector d = player->velocity;
    float verticalDisplacement = d.y;

    // 8. Keep inside the level.
    Vector p = VectorAdd(player->position, d);
    KeepInside(&p.x, &d.x, &player->velocity.x, kPlayerHalfWidth, kPlayerHalfWidth, CellSize * float(level->sizeX));
    KeepInside(&p.y, &d.y, &player->velocity.y, 0.0f, kPlayerHeight, CellSize * float(level->sizeY));
    KeepInside(&p.z, &d.z, &player->velocity.z, kPlayerHalfWidth, kPlayerHalfWidth, CellSize * float(level->sizeZ));
    AABB moved = BoxAt(p);

    // 9. Blocks reached by the sweep, in the level's order.
    AABB from = player->bounds;
    int32_t count = 0;
    Block **blocks = LevelGetSortedBlockListForBoundingBox(
        level, std::min(from.minX, moved.minX), std::max(from.maxX, moved.maxX), std::min(from.minY, moved.minY),
        std::max(from.maxY, moved.maxY), std::min(from.minZ, moved.minZ), std::max(from.maxZ, moved.maxZ), &count);
    std::vector<Block *> touched;
    touched.reserve(4);
    for (int32_t i = 0; i < count; i++) {
        Block *block = blocks[i];
        Vector out = VectorWithValues(FLT_MAX, FLT_MAX, FLT_MAX);
        int hit = checkCollision(from, moved, BlockGetBounds(block), &out);
        if (!hit)
            continue;
        bool stops = BlockStopsPlayer(block);
        if (stops) {
            if (std::fabs(d.x) > std::fabs(out.x)) {
                player->velocity.x = 0;
                d.x = out.x;
            }
            if (std::fabs(d.y) > std::fabs(out.y)) {
                player->velocity.y = 0;
                d.y = out.y;
            }
            if (std::fabs(d.z) > std::fabs(out.z)) {
                player->velocity.z = 0;
                d.z = out.z;
            }
        }
        touched.push_back(block);
        if (stops)
            moved = BoxAt(VectorAdd(player->position, d));
    }
    std::free(blocks);

    // 10. Powerups swept through are picked up.
    for (int32_t i = 0; i < level->powerupCount;) {
        Powerup *powerup = level->powerups[i];
        if (PowerupDetectCollision(powerup, from, moved)) {
            PowerupPickedUp(powerup, player);
            LevelRemovePowerup(level, i);
        } else {
            i++;
        }
    }

    // 11. Ladder limits: the feet no more than 1 below the bottom, the head
    // no more than 1 above the top.
    if (player->onLadder) {
        if (player->ladderBottom - 1 > from.minY + player->velocity.y ||
            from.maxY + player->velocity.y > player->ladderTop + 1) {
            player->forwardSpeed = player->lateralSpeed = 0;
            d.y = 0;
        }
    }

    // 12. A jump turns into a fall on the way down.
    if (player->velocity.y < 0 && player->animationAction == 'Jump')
        PlayerSetAnimationAction(player, 'Fall', false);

    // 13. Ground contact.
    bool landed = verticalDisplacement < 0 && player->velocity.y == 0;
    if (!landed) {
        if (player->onGround)
            PlayerSetAnimationAction(player, 'Fall', false);
        player->onGround = 0;
    } else if (!player->onGround) {
        PlayerSetAnimationAction(player, MovementKeyHeld(player) ? MovingAction(player) : 'Stnd', false);
        WorldEventsPlaySound(kSoundLand);
        player->onGround = 1;
    }

    // 14. Move.
    player->position = VectorAdd(player->position, d);
    PlayerCalculateBounds(player);
    player->velocity.y = player->velocity.y / k;

    // 15. Breath.
    const AABB &bb = player->bounds;
    player->waterCoverage = level->waterController
                                ? WaterControllerGetWaterCoverage(level->waterController, bb.minX, bb.maxX, bb.minY,
                                                                  bb.maxY, bb.minZ, bb.maxZ)
                                : 0.0f;
    if (player->waterCoverage > 0.9f) {
        player->air -= elapsed;
        if (!(player->air > 0)) {
            WorldEventsPlaySound(kSoundDrown);
            touched.clear();
            PlayerDie(player);
        }
    } else {
        if (player->air < 10)
            WorldEventsPlaySound(kSoundBreath);
        player->air = kPlayerFullAir;
    }

    // 16. Touched blocks react, last touched first.
    for (size_t i = touched.size(); i-- > 0;)
        if (BlockTouched(touched[i], player, level))
            return true;
    return false;
}

// The first ladder among the blocks listed in a cell, or null.
static Block *LadderInCell(Level *level, int32_t x, int32_t y, int32_t z)
{
    for (int32_t slot = 0;; slot++) {
        Block *b = LevelGetBlockAtPos(level, x, y, z, slot);
        if (!b)
            return nullptr;
        if (b->type == kBlockLadder)
            return b;
    }
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
            Block *found = LadderInCell(level, x, y, z);
            if (!found)
                break;
            player->ladderTop = found->maxY;
        }
        for (int32_t y = ladder->cellY - 1; y >= 0; y--) {
            Block *found = LadderInCell(level, x, y, z);
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
    WorldEventsPlaySound(kSoundGrabLadder);
    PlayerSetAnimationAction(player, (uirand() & 1) ? 'LdUL' : 'LdUR', true);
}
