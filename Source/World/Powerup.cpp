#include "Powerup.h"

#include "Model.h"
#include "ModelParser.h"
#include "Player.h"
#include "Sound.h"
#include "Utilities.h"
#include "WorldEvents.h"


#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

struct PowerupKindInfo {
    int32_t kind;
    FourCharCode model;
    int32_t sound;
    int32_t points;
};

const PowerupKindInfo powerupKinds[] = {
    {kPowerupGem, 'Gem ', kSoundGem, 200},
    {kPowerupExtraLife, 'XLif', kSoundExtraLife, 50},
    {kPowerupFeather, 'Fthr', kSoundFeather, 20},
    {kPowerupKey, 'Key ', kSoundKey, 10},
};

const PowerupKindInfo *PowerupInfo(int32_t kind)
{
    for (const PowerupKindInfo &info : powerupKinds)
        if (info.kind == kind)
            return &info;
    return nullptr;
}

} // namespace

Powerup *PowerupAllocate(int32_t kind)
{
    Powerup *powerup = static_cast<Powerup *>(std::calloc(1, sizeof(Powerup)));
    powerup->kind = kind;
    powerup->spin = 0.0f;
    // Without a model the box stays empty, so the powerup is harmless.
    const PowerupKindInfo *info = PowerupInfo(kind);
    Model *model = info ? ModelGetModelByIdentifier(kModelKindStatic, info->model) : nullptr;
    if (model && model->data) {
        powerup->model = static_cast<StaticModel *>(model->data);
        AABB bounds = StaticModelGetBounds(powerup->model);
        powerup->minX = bounds.minX;
        powerup->maxX = bounds.maxX;
        powerup->minY = bounds.minY;
        powerup->maxY = bounds.maxY;
        powerup->minZ = bounds.minZ;
        powerup->maxZ = bounds.maxZ;
    }
    return powerup;
}

void PowerupSetPosition(Powerup *powerup, float x, float y, float z)
{
    powerup->position = VectorWithValues(x, y, z);
    float hx = (powerup->maxX - powerup->minX) / 2.0f;
    float hy = (powerup->maxY - powerup->minY) / 2.0f;
    float hz = (powerup->maxZ - powerup->minZ) / 2.0f;
    powerup->minX = x - hx;
    powerup->maxX = x + hx;
    powerup->minY = y - hy;
    powerup->maxY = y + hy;
    powerup->minZ = z - hz;
    powerup->maxZ = z + hz;
}

void PowerupRun(Powerup *powerup)
{
    powerup->spin += 0.8f;
    if (powerup->spin > 360.0f)
        powerup->spin -= 360.0f;
}

static AABB PowerupGrow(AABB box)
{
    return AABB{box.minX - 0.75f, box.maxX + 0.75f, box.minY - 0.75f,
                box.maxY + 0.75f, box.minZ - 0.75f, box.maxZ + 0.75f};
}

bool PowerupDetectCollision(const Powerup *powerup, AABB oldBox, AABB newBox)
{
    return checkCollision(PowerupGrow(oldBox), PowerupGrow(newBox), PowerupGetBounds(powerup), nullptr) != 0;
}

void PowerupPickedUp(Powerup *powerup, Player *player)
{
    const PowerupKindInfo *info = PowerupInfo(powerup->kind);
    if (!info)
        return;
    WorldEventsPlaySound(info->sound);
    switch (powerup->kind) {
    case kPowerupExtraLife:
        PlayerAwardExtraLife(player);
        break;
    case kPowerupFeather:
        PlayerAwardFeather(player);
        break;
    case kPowerupKey:
        PlayerAwardKey(player);
        break;
    default:
        break;
    }
    PlayerAwardPoints(player, info->points);
}

Powerup *PowerupCreateCopy(const Powerup *powerup)
{
    Powerup *copy = PowerupAllocate(powerup->kind);
    copy->spin = powerup->spin;
    copy->position = powerup->position;
    copy->minX = powerup->minX;
    copy->maxX = powerup->maxX;
    copy->minY = powerup->minY;
    copy->maxY = powerup->maxY;
    copy->minZ = powerup->minZ;
    copy->maxZ = powerup->maxZ;
    return copy;
}

void PowerupDispose(Powerup *powerup)
{
    std::free(powerup);
}

AABB PowerupGetBounds(const Powerup *powerup)
{
    return AABB{powerup->minX, powerup->maxX, powerup->minY, powerup->maxY, powerup->minZ, powerup->maxZ};
}

bool PowerupSave(const Powerup *powerup, ByteBuffer *buffer)
{
    return ByteBufferAppendInt32(buffer, powerup->kind) && ByteBufferAppendFloat(buffer, powerup->position.x) &&
           ByteBufferAppendFloat(buffer, powerup->position.y) && ByteBufferAppendFloat(buffer, powerup->position.z);
}

Powerup *PowerupLoad(const uint8_t *data, int32_t size, int32_t *position)
{
    int32_t kind;
    float x, y, z;
    if (!ReadInt32(data, size, position, &kind) || !ReadFloat(data, size, position, &x) ||
        !ReadFloat(data, size, position, &y) || !ReadFloat(data, size, position, &z))
        return nullptr;
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) {
        std::printf("Error: powerup position is not a finite number\n");
        return nullptr;
    }
    Powerup *powerup = PowerupAllocate(kind);
    PowerupSetPosition(powerup, x, y, z);
    return powerup;
}
