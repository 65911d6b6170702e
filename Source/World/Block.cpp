#include "Block.h"

#include "Level.h"
#include "Model.h"
#include "ModelParser.h"
#include "Player.h"
#include "Sound.h"
#include "WaterController.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// At most one toggle sound and one phase sound per tick, however many blocks
// change; cleared by the first block of every tick.
static bool playedBlockToggleSound = false;
static bool playedPhaseSound = false;

static const char *const blockDescriptions[kBlockTypeCount] = {
    "Empty space",    "Stone block",  "Disappearing block", "Appearing block", "Switchable block",
    "Falling block",  "Trampoline",   "Teleport",           "Pushable block",  "Floating block",
    "Deadly block",   "Sticky block", "Crumbling block",    "Switch",          "Phasing block",
    "Ladder",         "Moving block", "Fire block",         "Ice block",       "Locked block",
    "Signpost",       "Level portal",
};

static size_t BlockDataSize(int32_t type)
{
    switch (type) {
    case kBlockDisappearing:
    case kBlockAppearing:
        return sizeof(ToggleBlockData);
    case kBlockSwitchable:
        return sizeof(SwitchableBlockData);
    case kBlockTeleport:
        return sizeof(TeleportData);
    case kBlockSwitch:
        return sizeof(SwitchData);
    case kBlockPhasing:
        return sizeof(PhasingBlockData);
    case kBlockLadder:
        return sizeof(LadderData);
    default:
        return 0;
    }
}

static StaticModel *BlockLookUpModel(FourCharCode identifier)
{
    Model *model = ModelGetModelByIdentifier(kModelKindStatic, identifier);
    return model ? static_cast<StaticModel *>(model->data) : nullptr;
}

// Bounds relative to the cell's corner, each added in double precision.
static void BlockSetBounds(Block *block, double x0, double x1, double y0, double y1, double z0, double z1)
{
    double X = 6.0 * block->cellX, Y = 6.0 * block->cellY, Z = 6.0 * block->cellZ;
    block->minX = float(X + x0);
    block->maxX = float(X + x1);
    block->minY = float(Y + y0);
    block->maxY = float(Y + y1);
    block->minZ = float(Z + z0);
    block->maxZ = float(Z + z1);
}

static void BlockSetPosition(Block *block, double dx, double dy, double dz)
{
    block->position = VectorWithValues(float(6.0 * block->cellX + dx), float(6.0 * block->cellY + dy),
                                       float(6.0 * block->cellZ + dz));
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

    FourCharCode modelIdentifier = 0;
    switch (block->type) {
    case kBlockStone:
        modelIdentifier = 'Ston';
        break;
    case kBlockDisappearing:
        modelIdentifier = 'Dspr';
        break;
    case kBlockAppearing:
        modelIdentifier = 'Appr';
        break;
    case kBlockSwitchable:
        modelIdentifier = 'SwtB';
        break;
    case kBlockTeleport:
        modelIdentifier = 'Tprt';
        break;
    case kBlockDeadly:
        modelIdentifier = 'Ddly';
        break;
    case kBlockSwitch:
        modelIdentifier = 'Swtc';
        break;
    case kBlockPhasing:
        modelIdentifier = 'Phas';
        break;
    case kBlockLadder:
        modelIdentifier = 'Ladr';
        break;
    case kBlockLocked:
        modelIdentifier = 'Lckd';
        break;
    case kBlockLevelPortal:
        modelIdentifier = 'Prtl';
        break;
    default:
        return; // a code without geometry: zero box at the origin, no model, no data
    }

    switch (block->type) {
    case kBlockTeleport:
    case kBlockLevelPortal:
        BlockSetBounds(block, 0, 6, 0, 6, 0, 6);
        BlockSetPosition(block, 3, 3, 3);
        break;
    case kBlockDeadly:
        BlockSetBounds(block, 0.7, 5.3, 0.7, 5.3, 0.7, 5.3);
        block->position = VectorWithValues(float(double(block->minX) - 0.7), float(double(block->minY) - 0.7),
                                           float(double(block->minZ) - 0.7));
        break;
    case kBlockSwitch:
        BlockSetBounds(block, 2, 4, 1, 5, 2, 4);
        BlockSetPosition(block, 3, 3, 3);
        break;
    case kBlockLadder:
        BlockSetBounds(block, 1.85, 4.15, 0, 6, 2.875, 3.125);
        BlockSetPosition(block, 3, 0, 3);
        break;
    default:
        BlockSetBounds(block, 0, 6, 0, 6, 0, 6);
        BlockSetPosition(block, 0, 0, 0);
        break;
    }
    block->model = BlockLookUpModel(modelIdentifier);

    switch (block->type) {
    case kBlockDisappearing:
    case kBlockAppearing: {
        ToggleBlockData *d = static_cast<ToggleBlockData *>(std::calloc(1, sizeof(ToggleBlockData)));
        d->on = 1;
        block->data = d;
        break;
    }
    case kBlockSwitchable: {
        SwitchableBlockData *d = static_cast<SwitchableBlockData *>(std::calloc(1, sizeof(SwitchableBlockData)));
        d->on = 1;
        d->identifier = kBlockDefaultIdentifier;
        block->data = d;
        break;
    }
    case kBlockTeleport: {
        TeleportData *d = static_cast<TeleportData *>(std::calloc(1, sizeof(TeleportData)));
        d->identifier = kBlockDefaultIdentifier;
        d->target = kBlockDefaultIdentifier;
        block->data = d;
        break;
    }
    case kBlockSwitch: {
        SwitchData *d = static_cast<SwitchData *>(std::calloc(1, sizeof(SwitchData)));
        d->identifier = kBlockDefaultIdentifier;
        d->pressTimer = 0;
        block->data = d;
        break;
    }
    case kBlockPhasing: {
        PhasingBlockData *d = static_cast<PhasingBlockData *>(std::calloc(1, sizeof(PhasingBlockData)));
        d->initialDelay = 0.0f;
        d->onInterval = 1.0f;
        d->offInterval = 1.0f;
        d->on = 1;
        d->elapsed = 0.0f;
        d->nextToggle = 1.0f;
        block->data = d;
        break;
    }
    case kBlockLadder:
        block->data = std::calloc(1, sizeof(LadderData));
        break;
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
    case kBlockDisappearing:
    case kBlockAppearing:
        std::memcpy(block->data, values, 1);
        break;
    case kBlockSwitchable:
    case kBlockTeleport:
    case kBlockSwitch:
        std::memcpy(block->data, values, 8);
        break;
    case kBlockPhasing:
        std::memcpy(block->data, values, 24);
        break;
    case kBlockLadder: {
        LadderData *ladder = static_cast<LadderData *>(block->data);
        int32_t orientation = static_cast<const LadderData *>(values)->orientation;
        if (orientation != ladder->orientation)
            BlockLadderFlipBounds(block);
        ladder->orientation = orientation;
        break;
    }
    default:
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
    if (type < 0 || type >= kBlockTypeCount)
        return blockDescriptions[0];
    return blockDescriptions[type];
}

const char *BlockGetDescription(const Block *block)
{
    return BlockGetDescriptionForType(block->type);
}

// The on flag of the four types that have one; true for every other type.
static bool BlockIsOn(const Block *block)
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
    switch (block->type) {
    case kBlockDisappearing:
    case kBlockAppearing:
    case kBlockSwitchable:
    case kBlockPhasing:
        return BlockIsOn(block);
    case kBlockTeleport:
    case kBlockLadder:
    case kBlockLevelPortal:
        return false;
    default:
        return true;
    }
}

bool BlockStopsPlayer(const Block *block)
{
    switch (block->type) {
    case kBlockDisappearing:
    case kBlockAppearing:
    case kBlockSwitchable:
    case kBlockPhasing:
        return BlockIsOn(block);
    case kBlockTeleport:
    case kBlockSwitch:
    case kBlockLevelPortal:
        return false;
    default:
        return true;
    }
}

bool BlockStopsLight(const Block *block)
{
    switch (block->type) {
    case kBlockEmptySpace:
        return false;
    case kBlockDisappearing:
    case kBlockAppearing:
    case kBlockSwitchable:
    case kBlockPhasing:
        return BlockIsOn(block);
    case kBlockTeleport:
    case kBlockSwitch:
    case kBlockLadder:
    case kBlockLevelPortal:
        return false;
    default:
        return true;
    }
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
                SoundPlay(kSoundBlockToggle);
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
                SoundPlay(kSoundPhase);
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
        SoundPlay(kSoundYell);
        PlayerDie(player);
        return true;
    case kBlockLadder: {
        int32_t orientation = block->data ? static_cast<LadderData *>(block->data)->orientation : 0;
        PlayerGrabLadder(player, block, orientation, level);
        return false;
    }
    case kBlockLocked:
        if (PlayerUseKey(player)) {
            SoundPlay(kSoundUnlock);
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
                SoundPlay(kSoundTeleport);
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
            SoundPlay(kSoundSwitch);
            sw->pressTimer = 40;
        }
    }
}

void BlockDraw(Block *block, bool editorView)
{
    StaticModel *model = block->model;
    if (!editorView && !BlockIsOn(block)) {
        switch (block->type) {
        case kBlockDisappearing:
        case kBlockAppearing:
            model = BlockLookUpModel('Outl');
            break;
        case kBlockSwitchable:
        case kBlockPhasing:
            model = nullptr;
            break;
        default:
            break;
        }
    }
    if (!model)
        return;
    glPushMatrix();
    glTranslatef(block->position.x, block->position.y, block->position.z);
    if (block->type == kBlockSwitch && block->data) {
        float t = float(static_cast<SwitchData *>(block->data)->pressTimer);
        glScalef(1.0f + 0.01f * t, 1.0f - 0.01f * t, 1.0f + 0.01f * t);
    } else if (block->type == kBlockLadder && block->data &&
               static_cast<LadderData *>(block->data)->orientation == 1) {
        glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
    }
    StaticModelDraw(model, 1.0f);
    glPopMatrix();
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
