// Blocks: one per cell of a level's grid.  The record, the type table with
// geometry, models and per-type data, the water/player/light flags and what
// each type does every tick, on touch and on the player's action key.
#pragma once

#include "ByteBuffer.h"
#include "Types.h"
#include "Vector.h"

#include <cstdint>

struct Level;
struct Player;
struct StaticModel;

// Edge length of a cell, in world units.
constexpr float CellSize = 6.0f;

enum BlockType : uint8_t {
    kBlockEmptySpace = 0,
    kBlockStone = 1,
    kBlockDisappearing = 2,
    kBlockAppearing = 3,
    kBlockSwitchable = 4,
    kBlockFalling = 5,
    kBlockTrampoline = 6,
    kBlockTeleport = 7,
    kBlockPushable = 8,
    kBlockFloating = 9,
    kBlockDeadly = 10,
    kBlockSticky = 11,
    kBlockCrumbling = 12,
    kBlockSwitch = 13,
    kBlockPhasing = 14,
    kBlockLadder = 15,
    kBlockMoving = 16,
    kBlockFire = 17,
    kBlockIce = 18,
    kBlockLocked = 19,
    kBlockSignpost = 20,
    kBlockLevelPortal = 21,
};
constexpr int32_t kBlockTypeCount = 22;

// Identifier of fresh switches, switchable blocks and teleports: "0000".
constexpr uint32_t kBlockDefaultIdentifier = 0x30303030;

struct ToggleBlockData {
    uint8_t on;
};

struct SwitchableBlockData {
    uint8_t on; // a flag in a 4-byte slot
    uint8_t reserved[3];
    uint32_t identifier;
};

struct TeleportData {
    uint32_t identifier;
    uint32_t target;
};

struct SwitchData {
    uint32_t identifier;
    int32_t pressTimer; // ticks
};

struct PhasingBlockData {
    float initialDelay; // seconds
    float onInterval;
    float offInterval;
    uint8_t on; // a flag in a 4-byte slot
    uint8_t reserved[3];
    float elapsed;
    float nextToggle;
};

struct LadderData {
    int32_t orientation; // 0 as built, 1 turned 90 degrees about y
};

static_assert(sizeof(ToggleBlockData) == 1);
static_assert(sizeof(SwitchableBlockData) == 8);
static_assert(sizeof(TeleportData) == 8);
static_assert(sizeof(SwitchData) == 8);
static_assert(sizeof(PhasingBlockData) == 24);
static_assert(sizeof(LadderData) == 4);

// Held by value in the level's block array.
struct Block {
    uint8_t type;
    int32_t cellX, cellY, cellZ;
    float minX, maxX, minY, maxY, minZ, maxZ;
    Vector position;     // draw origin
    StaticModel *model;  // registry's model, or null
    void *data;          // per-type record owned by the block, or null
};

// Fills the block for the cell; does not free an earlier data record.
void BlockInit(Block *block, int32_t type, int32_t x, int32_t y, int32_t z);
void BlockDispose(Block *block);
void BlockCopy(const Block *source, Block *destination);
// values points to a record of the block type's layout (see the structs).
void BlockSetData(Block *block, const void *values);
void BlockLadderFlipBounds(Block *block);
const char *BlockGetDescription(const Block *block);
const char *BlockGetDescriptionForType(int32_t type);
bool BlockStopsWater(const Block *block);
bool BlockStopsPlayer(const Block *block);
bool BlockStopsLight(const Block *block);
// The on flag of the types that have one (disappearing, appearing,
// switchable and phasing blocks); true for every other type.
bool BlockIsOn(const Block *block);
AABB BlockGetBounds(const Block *block);

void BlockRun(Block *block, Level *level, bool firstOfTick, float dt);
// BlockRun with the level's current water level already looked up (the level
// runs all its blocks against one water level).
void BlockRunAtWaterLevel(Block *block, Level *level, bool firstOfTick, float dt, double waterLevel);
// One tick of count blocks in array order, the first one starting the tick:
// the same as BlockRun on each of them.
void BlockRunArray(Block *blocks, int32_t count, Level *level, float dt, double waterLevel);
// Whether BlockRun does anything for the type besides clearing the sound flags.
constexpr bool BlockTypeRunsEachTick(uint8_t type)
{
    return type == kBlockDisappearing || type == kBlockAppearing || type == kBlockSwitch || type == kBlockPhasing;
}
// True after a death or a completed level.
bool BlockTouched(Block *block, Player *player, Level *level);
void BlockPlayerAction(Block *block, Player *player, Level *level);
void BlockDraw(Block *block, bool editorView);

// The block record of the level-set file.
bool BlockSave(const Block *block, ByteBuffer *buffer);
// Reads one record into an uninitialised block; on failure the block holds
// no data.  Cells must lie inside a level of the given size.
bool BlockLoad(Block *block, const uint8_t *data, int32_t size, int32_t *position, int32_t sizeX,
               int32_t sizeY, int32_t sizeZ);

// Whether the toggle or phase sound has played in the current tick.
bool BlockPlayedToggleSoundThisTick();
bool BlockPlayedPhaseSoundThisTick();
