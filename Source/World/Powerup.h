// Powerups: gems, extra lives, feathers and keys lying in a level.  They spin
// in place and are collected when the player's move sweeps through them.
#pragma once

#include "ByteBuffer.h"
#include "Types.h"
#include "Vector.h"

#include <cstdint>

struct Player;
struct StaticModel;

enum PowerupKind : int32_t {
    kPowerupGem = 1024,
    kPowerupExtraLife = 1025,
    kPowerupFeather = 1026,
    kPowerupKey = 1027,
};

struct Powerup {
    int32_t kind;
    StaticModel *model; // the registry's, or null
    float spin;         // degrees
    Vector position;
    float minX, maxX, minY, maxY, minZ, maxZ;
};

Powerup *PowerupAllocate(int32_t kind);
void PowerupSetPosition(Powerup *powerup, float x, float y, float z);
void PowerupRun(Powerup *powerup);
void PowerupDraw(Powerup *powerup);
// oldBox and newBox: the player's box before and after this tick's move.
bool PowerupDetectCollision(const Powerup *powerup, AABB oldBox, AABB newBox);
void PowerupPickedUp(Powerup *powerup, Player *player);
Powerup *PowerupCreateCopy(const Powerup *powerup);
void PowerupDispose(Powerup *powerup);
AABB PowerupGetBounds(const Powerup *powerup);

// The powerup record of the level-set file (16 bytes).
bool PowerupSave(const Powerup *powerup, ByteBuffer *buffer);
// Null when the record cannot be read or holds a position that is not finite.
Powerup *PowerupLoad(const uint8_t *data, int32_t size, int32_t *position);
