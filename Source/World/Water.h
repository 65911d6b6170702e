// Water boxes: the water of a level in the water-box form, a list of boxes
// that fall into open space, spread sideways around blocks and know what lies
// against each of their six sides.
#pragma once

#include "ByteBuffer.h"
#include "Types.h"

#include <cstdint>

struct WaterController;
struct WaterBox;

// Sides in this order: -x, +x, bottom (-y), top (+y), -z, +z.
enum WaterBoxSide : int32_t {
    kWaterSideMinX = 0,
    kWaterSideMaxX = 1,
    kWaterSideBottom = 2,
    kWaterSideTop = 3,
    kWaterSideMinZ = 4,
    kWaterSideMaxZ = 5,
};

// What lies against a side.
enum WaterSideKind : int32_t {
    kWaterSideOpen = 0,
    kWaterSideWater = 1,    // another water box shares the face (neighbour names it)
    kWaterSideBlock = 2,    // a block's face lies flush against it
    kWaterSideBoundary = 3, // the level's boundary
};

struct WaterSideLink {
    int32_t kind;
    WaterBox *neighbour;
};

struct WaterBox {
    WaterController *controller;
    float minX, maxX, minY, maxY, minZ, maxZ;
    WaterSideLink sides[6];
};

// The least volume a water box may hold.
constexpr float kWaterMinimumVolume = 0.0001f;

// Null when the volume is below kWaterMinimumVolume (or not a finite number).
WaterBox *WaterBoxAllocate(WaterController *controller, float minX, float maxX, float minY, float maxY, float minZ,
                           float maxZ);
WaterBox *WaterBoxCreateCopy(const WaterBox *box, WaterController *controller);
void WaterBoxDispose(WaterBox *box);
void WaterBoxClearNeighbors(WaterBox *box);
void WaterBoxRelinkSides(WaterBox *box);
void WaterBoxRun(WaterBox *box);
// Moves water between this resting box and the resting boxes beside it so
// that their surfaces stand at one height, keeping their total volume.
void WaterBoxLevelWithNeighbors(WaterBox *box);
void WaterBoxDraw(WaterBox *box, bool highlight);
float WaterBoxGetVolume(const WaterBox *box);
AABB WaterBoxGetBounds(const WaterBox *box);
// Opens a side, also opening the neighbour's opposite side when it names this box.
void WaterBoxOpenSide(WaterBox *box, int32_t side);

// The water box record of the level-set file (24 bytes).
bool WaterBoxSave(const WaterBox *box, ByteBuffer *buffer);
// Null when the record cannot be read, holds a number that is not finite, or
// describes a box without volume.
WaterBox *WaterBoxLoad(WaterController *controller, const uint8_t *data, int32_t size, int32_t *position);
