// A level: a box of cells of CellSize units, its blocks (by value), a spatial
// grid from cells to the blocks that reach into them, powerups, the player's
// start and the water controller.
#pragma once

#include "Block.h"
#include "ByteBuffer.h"
#include "Types.h"
#include "Vector.h"

#include <cstdint>

struct Powerup;
struct WaterController;

// The most cells a level may have.
constexpr int64_t kLevelMaxCells = 32768;

// The blocks listed in one cell: slotCount is 0 or a power of two; slots are
// block indices filled from the front, -1 for an empty slot.
struct GridCell {
    uint16_t slotCount;
    int32_t *slots;
};

struct Level {
    int32_t sizeX, sizeY, sizeZ;
    int32_t blockCount;
    int32_t blockCapacity;
    Block *blocks;
    int32_t powerupCount;
    int32_t powerupCapacity;
    Powerup **powerups;
    GridCell *grid; // sizeX * sizeY * sizeZ cells, x fastest, then z, then y
    int32_t playerStartX, playerStartY, playerStartZ;
    WaterController *waterController;
    uint8_t initialPlayerFacing; // 0 -x, 1 +x, 2 -z, 3 +z
    Vector initialCameraFacing;
};

// The inclusive cell range of a box on every axis, clamped to the level.
struct CellRange {
    int32_t firstX, lastX, firstY, lastY, firstZ, lastZ;
};

Level *LevelAllocate(int32_t sizeX, int32_t sizeY, int32_t sizeZ, int32_t blockCapacity, int32_t powerupCapacity);
Level *LevelCreateCopy(const Level *level);
void LevelDispose(Level *level);

// Appends a copy of the block (taking over its data) and registers it in the
// grid.  False, with the block's data disposed, when a cell's list is full.
bool LevelAddBlock(Level *level, Block *block);
void LevelRemoveBlock(Level *level, int32_t index, bool compact);
int32_t LevelGetIndexForBlock(const Level *level, const Block *block);
Block *LevelGetBlockAtPos(Level *level, int32_t x, int32_t y, int32_t z, int32_t slot);
// A new array (release with free) of the blocks whose boxes touch the box,
// each once, deepest overlap first.  *count receives its length.
Block **LevelGetSortedBlockListForBoundingBox(Level *level, float minX, float maxX, float minY, float maxY,
                                              float minZ, float maxZ, int32_t *count);

CellRange LevelGetCellRange(const Level *level, AABB box);
bool LevelGridAddBlockIndexForBoundingBox(Level *level, AABB box, int32_t index);
void LevelGridRemoveBlockIndexForBoundingBox(Level *level, AABB box, int32_t index);
void LevelGridChangeBlockIndexForBoundingBox(Level *level, AABB box, int32_t oldIndex, int32_t newIndex);
GridCell *LevelGetGridCell(Level *level, int32_t x, int32_t y, int32_t z);

void LevelAddPowerup(Level *level, Powerup *powerup);
void LevelRemovePowerup(Level *level, int32_t index);
Powerup *LevelGetPowerupAtPosition(Level *level, float x, float y, float z);
int32_t LevelGetIndexForPowerup(const Level *level, const Powerup *powerup);

void LevelChangeGridSize(Level *level, int32_t newX, int32_t newY, int32_t newZ);
void LevelSetInitialPlayerFacing(Level *level, uint8_t code);
uint8_t LevelGetInitialPlayerFacing(const Level *level);
void LevelSetInitialCameraFacing(Level *level, Vector facing);
Vector LevelGetInitialCameraFacing(const Level *level);

void LevelRun(Level *level, float dt);
void LevelApplyLighting(Level *level);
void LevelDraw(Level *level);
void LevelDrawBoundaries(Level *level);

// The level record of the level-set file.
bool LevelSave(const Level *level, ByteBuffer *buffer);
// Reads a level record at *position; null (nothing kept) on any failure.
Level *LevelLoad(const uint8_t *data, int32_t size, int32_t *position);
