#include "Block.h"

#include "Level.h"
#include "Model.h"
#include "ModelParser.h"
#include "Player.h"
#include "Sound.h"
#include "WaterController.h"
#include "WorldEvents.h"


#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// At most one toggle sound and one phase sound per tick, however many blocks
// change; cleared by the first block of every tick.
static bool playedBlockToggleSound = false;
static bool playedPhaseSound = false;

namespace {

// What a block type is: its description, its model (0 for a code without
// geometry), its box and draw origin within the cell, the size of its data
// record, and what it stops.  Types with an on flag stop water, the player
// and light only while on.
struct BlockTypeInfo {
    const char *description;
    FourCharCode model;
    double bounds[6];       // minX, maxX, minY, maxY, minZ, maxZ from the cell's corner
    double origin[3];       // the draw origin from the cell's corner ...
    bool originFromBounds;  // ... or from the box's lower corner
    size_t dataSize;
    bool hasOnFlag;
    bool stopsWater, stopsPlayer, stopsLight;
};

#define WHOLE_CELL {0, CellSize, 0, CellSize, 0, CellSize}
#define NO_BOX {0, 0, 0, 0, 0, 0}

const BlockTypeInfo blockTypes[kBlockTypeCount] = {
    {"Empty space", 0, NO_BOX, {0, 0, 0}, false, 0, false, true, true, false},
    {"Stone block", 'Ston', WHOLE_CELL, {0, 0, 0}, false, 0, false, true, true, true},
    {"Disappearing block", 'Dspr', WHOLE_CELL, {0, 0, 0}, false, sizeof(ToggleBlockData), true, true, true, true},
    {"Appearing block", 'Appr', WHOLE_CELL, {0, 0, 0}, false, sizeof(ToggleBlockData), true, true, true, true},
    {"Switchable block", 'SwtB', WHOLE_CELL, {0, 0, 0}, false, sizeof(SwitchableBlockData), true, true, true,
     true},
    {"Falling block", 0, NO_BOX, {0, 0, 0}, false, 0, false, true, true, true},
    {"Trampoline", 0, NO_BOX, {0, 0, 0}, false, 0, false, true, true, true},
    {"Teleport", 'Tprt', WHOLE_CELL, {3, 3, 3}, false, sizeof(TeleportData), false, false, false, false},
    {"Pushable block", 0, NO_BOX, {0, 0, 0}, false, 0, false, true, true, true},
    {"Floating block", 0, NO_BOX, {0, 0, 0}, false, 0, false, true, true, true},
    {"Deadly block", 'Ddly', {0.7, 5.3, 0.7, 5.3, 0.7, 5.3}, {-0.7, -0.7, -0.7}, true, 0, false, true, true, true},
    {"Sticky block", 0, NO_BOX, {0, 0, 0}, false, 0, false, true, true, true},
    {"Crumbling block", 0, NO_BOX, {0, 0, 0}, false, 0, false, true, true, true},
    {"Switch", 'Swtc', {2, 4, 1, 5, 2, 4}, {3, 3, 3}, false, sizeof(SwitchData), false, true, false, false},
    {"Phasing block", 'Phas', WHOLE_CELL, {0, 0, 0}, false, sizeof(PhasingBlockData), true, true, true, true},
    {"Ladder", 'Ladr', {1.85, 4.15, 0, CellSize, 2.875, 3.125}, {3, 0, 3}, false, sizeof(LadderData), false, false,
     true, false},
    {"Moving block", 0, NO_BOX, {0, 0, 0}, false, 0, false, true, true, true},
    {"Fire block", 0, NO_BOX, {0, 0, 0}, false, 0, false, true, true, true},
    {"Ice block", 0, NO_BOX, {0, 0, 0}, false, 0, false, true, true, true},
    {"Locked block", 'Lckd', WHOLE_CELL, {0, 0, 0}, false, 0, false, true, true, true},
    {"Signpost", 0, NO_BOX, {0, 0, 0}, false, 0, false, true, true, true},
    {"Level portal", 'Prtl', WHOLE_CELL, {3, 3, 3}, false, 0, false, false, false, false},
};

// A code outside the table: described as empty space, without geometry, and
// stopping everything.
const BlockTypeInfo unknownBlockType = {"Empty space", 0, NO_BOX, {0, 0, 0}, false, 0, false, true, true, true};

const BlockTypeInfo &BlockInfo(int32_t type)
{
    return type >= 0 && type < kBlockTypeCount ? blockTypes[type] : unknownBlockType;
}

#undef WHOLE_CELL
#undef NO_BOX

} // namespace

static size_t BlockDataSize(int32_t type)
{
    return BlockInfo(type).dataSize;
}

static StaticModel *BlockLookUpModel(FourCharCode identifier)
{
    Model *model = ModelGetModelByIdentifier(kModelKindStatic, identifier);
    return model ? static_cast<StaticModel *>(model->data) : nullptr;
}

void BlockInit(Block *block, int32_t type, int32_t x, int32_t y, int32_t z)
{
    block->type = uint8_t(type);
    block->cellX = x;
    block->cellY = y;
    block->cellZ = z;
    block->minX = block->maxX = block->minY = block->maxY = block->minZ = block->maxZ = 0.0f;
    block->position = VectorWithValues(0.0f, 0.0f, 0.0f);
    block->model = nullptr;
    block->data = nullptr;

    const BlockTypeInfo &info = BlockInfo(block->type);
    if (info.model == 0)
        return; // a code without geometry: zero box at the origin, no model, no data

    // Each part is added to the cell's corner in double precision.
    double corner[3] = {double(CellSize) * block->cellX, double(CellSize) * block->cellY,
                        double(CellSize) * block->cellZ};
    block->minX = float(corner[0] + info.bounds[0]);
    block->maxX = float(corner[0] + info.bounds[1]);
    block->minY = float(corner[1] + info.bounds[2]);
    block->maxY = float(corner[1] + info.bounds[3]);
    block->minZ = float(corner[2] + info.bounds[4]);
    block->maxZ = float(corner[2] + info.bounds[5]);
    if (info.originFromBounds)
        block->position = VectorWithValues(float(double(block->minX) + info.origin[0]),
                                           float(double(block->minY) + info.origin[1]),
                                           float(double(block->minZ) + info.origin[2]));
    else
        block->position = VectorWithValues(float(corner[0] + info.origin[0]), float(corner[1] + info.origin[1]),
                                           float(corner[2] + info.origin[2]));
    block->model = BlockLookUpModel(info.model);

    if (info.dataSize > 0)
        block->data = std::calloc(1, info.dataSize);
    switch (block->type) {
    case kBlockDisappearing:
    case kBlockAppearing:
        static_cast<ToggleBlockData *>(block->data)->on = 1;
        break;
    case kBlockSwitchable: {
        SwitchableBlockData *d = static_cast<SwitchableBlockData *>(block->data);
        d->on = 1;
        d->identifier = kBlockDefaultIdentifier;
        break;
    }
    case kBlockTeleport: {
        TeleportData *d = static_cast<TeleportData *>(block->data);
        d->identifier = kBlockDefaultIdentifier;
        d->target = kBlockDefaultIdentifier;
        break;
    }
    case kBlockSwitch:
        static_cast<SwitchData *>(block->data)->identifier = kBlockDefaultIdentifier;
        break;
    case kBlockPhasing: {
        PhasingBlockData *d = static_cast<PhasingBlockData *>(block->data);
        d->onInterval = 1.0f;
        d->offInterval = 1.0f;
        d->on = 1;
        d->nextToggle = 1.0f;
        break;
    }
    default:
        break;
    }
}

void BlockDispose(Block *block)
{
    std::free(block->data);
    block->data = nullptr;
}

void BlockCopy(const Block *source, Block *destination)
{
    destination->type = source->type;
    destination->cellX = source->cellX;
    destination->cellY = source->cellY;
    destination->cellZ = source->cellZ;
    destination->position = source->position;
    destination->minX = source->minX;
    destination->maxX = source->maxX;
    destination->minY = source->minY;
    destination->maxY = source->maxY;
    destination->minZ = source->minZ;
    destination->maxZ = source->maxZ;
    destination->model = source->model;
    destination->data = nullptr;
    size_t size = BlockDataSize(source->type);
    if (size > 0 && source->data) {
        destination->data = std::malloc(size);
        std::memcpy(destination->data, source->data, size);
    }
}

void BlockSetData(Block *block, const void *values)
{
    if (!block->data || !values)
        return;
    switch (block->type) {
    case kBlockLadder: {
        LadderData *ladder = static_cast<LadderData *>(block->data);
        int32_t orientation = static_cast<const LadderData *>(values)->orientation;
        if (orientation != ladder->orientation)
            BlockLadderFlipBounds(block);
        ladder->orientation = orientation;
        break;
    }
    default:
        std::memcpy(block->data, values, BlockDataSize(block->type));
        break;
    }
}

void BlockLadderFlipBounds(Block *block)
{
    float hx = (block->maxX - block->minX) / 2.0f;
    float hz = (block->maxZ - block->minZ) / 2.0f;
    float cx = (block->maxX + block->minX) / 2.0f;
    float cz = (block->maxZ + block->minZ) / 2.0f;
    block->minX = cx - hz;
    block->maxX = cx + hz;
    block->minZ = cz - hx;
    block->maxZ = cz + hx;
}

const char *BlockGetDescriptionForType(int32_t type)
{
    return BlockInfo(type).description;
}

const char *BlockGetDescription(const Block *block)
{
    return BlockGetDescriptionForType(block->type);
}

bool BlockIsOn(const Block *block)
{
    if (!block->data)
        return true;
    switch (block->type) {
    case kBlockDisappearing:
    case kBlockAppearing:
        return static_cast<const ToggleBlockData *>(block->data)->on != 0;
    case kBlockSwitchable:
        return static_cast<const SwitchableBlockData *>(block->data)->on != 0;
    case kBlockPhasing:
        return static_cast<const PhasingBlockData *>(block->data)->on != 0;
    default:
        return true;
    }
}

bool BlockStopsWater(const Block *block)
{
    const BlockTypeInfo &info = BlockInfo(block->type);
    return info.hasOnFlag ? BlockIsOn(block) : info.stopsWater;
}

bool BlockStopsPlayer(const Block *block)
{
    const BlockTypeInfo &info = BlockInfo(block->type);
    return info.hasOnFlag ? BlockIsOn(block) : info.stopsPlayer;
}

bool BlockStopsLight(const Block *block)
{
    const BlockTypeInfo &info = BlockInfo(block->type);
    return info.hasOnFlag ? BlockIsOn(block) : info.stopsLight;
}

AABB BlockGetBounds(const Block *block)
{
    return AABB{block->minX, block->maxX, block->minY, block->maxY, block->minZ, block->maxZ};
}

void BlockRun(Block *block, Level *level, bool firstOfTick, float dt)
{
    double water = 0.0;
    if ((block->type == kBlockDisappearing || block->type == kBlockAppearing) && level)
        water = WaterControllerGetCurrentWaterLevel(level->waterController);
    BlockRunAtWaterLevel(block, level, firstOfTick, dt, water);
}

void BlockRunAtWaterLevel(Block *block, Level *, bool firstOfTick, float dt, double water)
{
    if (firstOfTick) {
        playedPhaseSound = false;
        playedBlockToggleSound = false;
    }
    switch (block->type) {
    case kBlockDisappearing:
    case kBlockAppearing: {
        ToggleBlockData *d = static_cast<ToggleBlockData *>(block->data);
        if (!d)
            break;
        uint8_t on = block->type == kBlockDisappearing ? uint8_t(water < double(block->maxY))
                                                      : uint8_t(water > double(block->maxY));
        if (on != d->on) {
            d->on = on;
            if (!playedBlockToggleSound) {
                WorldEventsPlaySound(kSoundBlockToggle);
                playedBlockToggleSound = true;
            }
        }
        break;
    }
    case kBlockSwitch: {
        SwitchData *d = static_cast<SwitchData *>(block->data);
        if (d && d->pressTimer > 0)
            d->pressTimer -= 1;
        break;
    }
    case kBlockPhasing: {
        PhasingBlockData *d = static_cast<PhasingBlockData *>(block->data);
        if (!d)
            break;
        d->elapsed += dt;
        if (d->elapsed > d->nextToggle) {
            d->on = d->on ? 0 : 1;
            d->nextToggle += d->on ? d->onInterval : d->offInterval;
            if (!playedPhaseSound) {
                WorldEventsPlaySound(kSoundPhase);
                playedPhaseSound = true;
            }
        }
        break;
    }
    default:
        break;
    }
}

void BlockRunArray(Block *blocks, int32_t count, Level *level, float dt, double waterLevel)
{
    if (count <= 0)
        return;
    BlockRunAtWaterLevel(&blocks[0], level, true, dt, waterLevel);
    for (int32_t i = 1; i < count; i++)
        if (BlockTypeRunsEachTick(blocks[i].type))
            BlockRunAtWaterLevel(&blocks[i], level, false, dt, waterLevel);
}

bool BlockTouched(Block *block, Player *player, Level *level)
{
    switch (block->type) {
    case kBlockDeadly:
    case kBlockFire:
        WorldEventsPlaySound(kSoundYell);
        PlayerDie(player);
        return true;
    case kBlockLadder: {
        int32_t orientation = block->data ? static_cast<LadderData *>(block->data)->orientation : 0;
        PlayerGrabLadder(player, block, orientation, level);
        return false;
    }
    case kBlockLocked:
        if (PlayerUseKey(player)) {
            WorldEventsPlaySound(kSoundUnlock);
            LevelRemoveBlock(level, LevelGetIndexForBlock(level, block), false);
        }
        return false;
    case kBlockLevelPortal:
        PlayerLevelCompleted(player);
        return true;
    default:
        return false;
    }
}

void BlockPlayerAction(Block *block, Player *player, Level *level)
{
    if (!block->data || !level)
        return;
    if (block->type == kBlockTeleport) {
        uint32_t target = static_cast<TeleportData *>(block->data)->target;
        for (int32_t i = 0; i < level->blockCount; i++) {
            Block *other = &level->blocks[i];
            if (other->type != kBlockTeleport || !other->data)
                continue;
            if (static_cast<TeleportData *>(other->data)->identifier == target) {
                WorldEventsPlaySound(kSoundTeleport);
                PlayerSetPosition(player, other->position.x, other->position.y, other->position.z);
            }
        }
    } else if (block->type == kBlockSwitch) {
        SwitchData *sw = static_cast<SwitchData *>(block->data);
        bool flipped = false;
        for (int32_t i = 0; i < level->blockCount; i++) {
            Block *other = &level->blocks[i];
            if (other->type != kBlockSwitchable || !other->data)
                continue;
            SwitchableBlockData *d = static_cast<SwitchableBlockData *>(other->data);
            if (d->identifier == sw->identifier) {
                d->on = d->on ? 0 : 1;
                flipped = true;
            }
        }
        if (flipped) {
            WorldEventsPlaySound(kSoundSwitch);
            sw->pressTimer = 40;
        }
    }
}

bool BlockSave(const Block *block, ByteBuffer *buffer)
{
    if (!ByteBufferAppendUInt8(buffer, block->type) || !ByteBufferAppendInt32(buffer, block->cellX) ||
        !ByteBufferAppendInt32(buffer, block->cellY) || !ByteBufferAppendInt32(buffer, block->cellZ))
        return false;
    switch (block->type) {
    case kBlockSwitchable: {
        SwitchableBlockData d = block->data ? *static_cast<SwitchableBlockData *>(block->data)
                                            : SwitchableBlockData{1, {0, 0, 0}, kBlockDefaultIdentifier};
        return ByteBufferAppendFlag32(buffer, d.on != 0) && ByteBufferAppendUInt32(buffer, d.identifier);
    }
    case kBlockTeleport: {
        TeleportData d = block->data ? *static_cast<TeleportData *>(block->data)
                                     : TeleportData{kBlockDefaultIdentifier, kBlockDefaultIdentifier};
        return ByteBufferAppendUInt32(buffer, d.identifier) && ByteBufferAppendUInt32(buffer, d.target);
    }
    case kBlockSwitch: {
        uint32_t identifier =
            block->data ? static_cast<SwitchData *>(block->data)->identifier : kBlockDefaultIdentifier;
        return ByteBufferAppendUInt32(buffer, identifier);
    }
    case kBlockPhasing: {
        PhasingBlockData d = block->data ? *static_cast<PhasingBlockData *>(block->data)
                                         : PhasingBlockData{0.0f, 1.0f, 1.0f, 1, {0, 0, 0}, 0.0f, 1.0f};
        return ByteBufferAppendFloat(buffer, d.initialDelay) && ByteBufferAppendFloat(buffer, d.onInterval) &&
               ByteBufferAppendFloat(buffer, d.offInterval) && ByteBufferAppendFlag32(buffer, d.on != 0);
    }
    case kBlockLadder: {
        int32_t orientation = block->data ? static_cast<LadderData *>(block->data)->orientation : 0;
        return ByteBufferAppendInt32(buffer, orientation);
    }
    default:
        return true;
    }
}

bool BlockLoad(Block *block, const uint8_t *data, int32_t size, int32_t *position, int32_t sizeX, int32_t sizeY,
               int32_t sizeZ)
{
    block->data = nullptr;
    uint8_t type;
    int32_t x, y, z;
    if (!ReadUInt8(data, size, position, &type) || !ReadInt32(data, size, position, &x) ||
        !ReadInt32(data, size, position, &y) || !ReadInt32(data, size, position, &z))
        return false;
    if (x < 0 || x >= sizeX || y < 0 || y >= sizeY || z < 0 || z >= sizeZ) {
        std::printf("Error: block cell (%d, %d, %d) lies outside the level\n", x, y, z);
        return false;
    }
    BlockInit(block, type, x, y, z);
    bool ok = true;
    switch (type) {
    case kBlockSwitchable: {
        bool on;
        uint32_t identifier;
        ok = ReadFlag32(data, size, position, &on) && ReadUInt32(data, size, position, &identifier);
        if (ok) {
            SwitchableBlockData *d = static_cast<SwitchableBlockData *>(block->data);
            d->on = on ? 1 : 0;
            d->identifier = identifier;
        }
        break;
    }
    case kBlockTeleport: {
        uint32_t identifier, target;
        ok = ReadUInt32(data, size, position, &identifier) && ReadUInt32(data, size, position, &target);
        if (ok) {
            TeleportData *d = static_cast<TeleportData *>(block->data);
            d->identifier = identifier;
            d->target = target;
        }
        break;
    }
    case kBlockSwitch: {
        uint32_t identifier;
        ok = ReadUInt32(data, size, position, &identifier);
        if (ok)
            static_cast<SwitchData *>(block->data)->identifier = identifier;
        break;
    }
    case kBlockPhasing: {
        float delay, onInterval, offInterval;
        bool on;
        ok = ReadFloat(data, size, position, &delay) && ReadFloat(data, size, position, &onInterval) &&
             ReadFloat(data, size, position, &offInterval) && ReadFlag32(data, size, position, &on);
        if (ok && (!std::isfinite(delay) || !std::isfinite(onInterval) || !std::isfinite(offInterval))) {
            std::printf("Error: phasing block with a time that is not a number\n");
            ok = false;
        }
        if (ok) {
            PhasingBlockData *d = static_cast<PhasingBlockData *>(block->data);
            d->initialDelay = delay;
            d->onInterval = onInterval;
            d->offInterval = offInterval;
            d->on = on ? 1 : 0;
            d->elapsed = 0.0f;
            d->nextToggle = delay;
        }
        break;
    }
    case kBlockLadder: {
        int32_t orientation;
        ok = ReadInt32(data, size, position, &orientation);
        if (ok && orientation != 0 && orientation != 1) {
            std::printf("Error: ladder orientation %d is neither 0 nor 1\n", orientation);
            ok = false;
        }
        if (ok) {
            static_cast<LadderData *>(block->data)->orientation = orientation;
            if (orientation == 1)
                BlockLadderFlipBounds(block);
        }
        break;
    }
    default:
        break;
    }
    if (!ok)
        BlockDispose(block);
    return ok;
}

bool BlockPlayedToggleSoundThisTick()
{
    return playedBlockToggleSound;
}

bool BlockPlayedPhaseSoundThisTick()
{
    return playedPhaseSound;
}
