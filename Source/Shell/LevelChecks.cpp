#include "LevelChecks.h"

#include "Block.h"
#include "Level.h"
#include "Player.h"
#include "Powerup.h"
#include "Water.h"
#include "WaterController.h"

#include <algorithm>
#include <cstdio>

namespace {

LevelFinding Finding(int32_t kind, int32_t x, int32_t y, int32_t z, std::string message)
{
    return LevelFinding{kind, {x, y, z}, std::move(message)};
}

LevelFinding StartFinding(const Level *level, int32_t kind, std::string message)
{
    return Finding(kind, level->playerStartX, level->playerStartY, level->playerStartZ, std::move(message));
}

// The player's box standing at the start cell.
AABB StartBox(const Level *level)
{
    float x = CellSize * float(level->playerStartX) + 3.0f, y = CellSize * float(level->playerStartY);
    float z = CellSize * float(level->playerStartZ) + 3.0f;
    return AABB{x - kPlayerHalfWidth, x + kPlayerHalfWidth, y, y + kPlayerHeight, z - kPlayerHalfWidth,
                z + kPlayerHalfWidth};
}

// Overlap with room: boxes that only touch do not count.
bool Overlap(const AABB &a, const AABB &b)
{
    return a.minX < b.maxX && b.minX < a.maxX && a.minY < b.maxY && b.minY < a.maxY && a.minZ < b.maxZ &&
           b.minZ < a.maxZ;
}

bool HasTeleportWithIdentifier(const Level *level, uint32_t identifier)
{
    for (int32_t i = 0; i < level->blockCount; i++) {
        const Block &b = level->blocks[i];
        if (b.type == kBlockTeleport && b.data && static_cast<const TeleportData *>(b.data)->identifier == identifier)
            return true;
    }
    return false;
}

bool HasSwitchableWithIdentifier(const Level *level, uint32_t identifier)
{
    for (int32_t i = 0; i < level->blockCount; i++) {
        const Block &b = level->blocks[i];
        if (b.type == kBlockSwitchable && b.data &&
            static_cast<const SwitchableBlockData *>(b.data)->identifier == identifier)
            return true;
    }
    return false;
}

bool WaterOverHead(const Level *level)
{
    const WaterController *water = level->waterController;
    if (!water)
        return false;
    AABB player = StartBox(level);
    if (water->mode == kWaterModeRisingLevel)
        return WaterControllerGetInitialWaterLevel(water) > double(player.maxY);
    float x = (player.minX + player.maxX) * 0.5f, z = (player.minZ + player.maxZ) * 0.5f;
    for (int32_t i = 0; i < water->boxCount; i++) {
        const WaterBox *box = water->boxes[i];
        if (box && x >= box->minX && x <= box->maxX && z >= box->minZ && z <= box->maxZ && box->minY <= player.maxY &&
            box->maxY > player.maxY)
            return true;
    }
    return false;
}

} // namespace

std::string LevelChecksIdentifierText(uint32_t identifier)
{
    std::string text(4, '?');
    for (int i = 0; i < 4; i++) {
        unsigned char c = static_cast<unsigned char>(identifier >> (24 - 8 * i));
        if (c >= 32 && c < 127)
            text[size_t(i)] = char(c);
    }
    return text;
}

std::vector<LevelFinding> LevelChecksRun(const Level *level)
{
    std::vector<LevelFinding> findings;
    if (!level)
        return findings;

    bool portal = std::any_of(level->blocks, level->blocks + level->blockCount,
                              [](const Block &b) { return b.type == kBlockLevelPortal; });
    if (!portal)
        findings.push_back(StartFinding(level, kLevelCheckNoPortal, "The level has no level portal."));

    AABB start = StartBox(level);
    for (int32_t i = 0; i < level->blockCount; i++) {
        const Block &b = level->blocks[i];
        if (BlockStopsPlayer(&b) && Overlap(start, BlockGetBounds(&b))) {
            findings.push_back(StartFinding(level, kLevelCheckStartBlocked,
                                            std::string("The player starts inside a block (") +
                                                BlockGetDescription(&b) + ")."));
            break;
        }
    }

    for (int32_t i = 0; i < level->blockCount; i++) {
        const Block &b = level->blocks[i];
        if (b.type != kBlockTeleport || !b.data)
            continue;
        const TeleportData *d = static_cast<const TeleportData *>(b.data);
        if (!HasTeleportWithIdentifier(level, d->target))
            findings.push_back(Finding(kLevelCheckTeleportWithoutTarget, b.cellX, b.cellY, b.cellZ,
                                       "Teleport \"" + LevelChecksIdentifierText(d->identifier) + "\" leads to \"" +
                                           LevelChecksIdentifierText(d->target) + "\", which no teleport has."));
    }

    for (int32_t i = 0; i < level->blockCount; i++) {
        const Block &b = level->blocks[i];
        if (b.type != kBlockSwitch || !b.data)
            continue;
        const SwitchData *d = static_cast<const SwitchData *>(b.data);
        if (!HasSwitchableWithIdentifier(level, d->identifier))
            findings.push_back(Finding(kLevelCheckSwitchWithoutBlocks, b.cellX, b.cellY, b.cellZ,
                                       "Switch \"" + LevelChecksIdentifierText(d->identifier) +
                                           "\" has no switchable block with its identifier."));
    }

    int32_t locked = 0, keys = 0;
    const Block *firstLocked = nullptr;
    for (int32_t i = 0; i < level->blockCount; i++) {
        if (level->blocks[i].type == kBlockLocked) {
            locked++;
            if (!firstLocked)
                firstLocked = &level->blocks[i];
        }
    }
    for (int32_t i = 0; i < level->powerupCount; i++)
        if (level->powerups[i] && level->powerups[i]->kind == kPowerupKey)
            keys++;
    if (locked > keys) {
        char text[96];
        if (keys == 0)
            std::snprintf(text, sizeof text, "%d locked block%s but no keys.", locked, locked == 1 ? "" : "s");
        else
            std::snprintf(text, sizeof text, "%d locked blocks but only %d key%s.", locked, keys, keys == 1 ? "" : "s");
        findings.push_back(
            Finding(kLevelCheckTooFewKeys, firstLocked->cellX, firstLocked->cellY, firstLocked->cellZ, text));
    }

    if (WaterOverHead(level))
        findings.push_back(
            StartFinding(level, kLevelCheckWaterOverStart, "The water starts above the player's head."));
    return findings;
}
