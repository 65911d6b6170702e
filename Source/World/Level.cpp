#include "Level.h"

#include "Powerup.h"
#include "Utilities.h"
#include "WaterController.h"


#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

static bool LevelSizeIsValid(int32_t sizeX, int32_t sizeY, int32_t sizeZ)
{
    // Each side is checked first so that the product cannot overflow.
    return sizeX > 0 && sizeY > 0 && sizeZ > 0 && sizeX <= kLevelMaxCells && sizeY <= kLevelMaxCells &&
           sizeZ <= kLevelMaxCells && int64_t(sizeX) * sizeY * sizeZ <= kLevelMaxCells;
}

static size_t LevelCellCount(const Level *level)
{
    return size_t(level->sizeX) * size_t(level->sizeY) * size_t(level->sizeZ);
}

Level *LevelAllocate(int32_t sizeX, int32_t sizeY, int32_t sizeZ, int32_t blockCapacity, int32_t powerupCapacity)
{
    if (!LevelSizeIsValid(sizeX, sizeY, sizeZ))
        return nullptr;
    Level *level = static_cast<Level *>(std::calloc(1, sizeof(Level)));
    level->sizeX = sizeX;
    level->sizeY = sizeY;
    level->sizeZ = sizeZ;
    level->blockCapacity = blockCapacity < 16 ? 16 : blockCapacity;
    level->blocks = static_cast<Block *>(std::calloc(size_t(level->blockCapacity), sizeof(Block)));
    level->powerupCapacity = powerupCapacity < 8 ? 8 : powerupCapacity;
    level->powerups = static_cast<Powerup **>(std::calloc(size_t(level->powerupCapacity), sizeof(Powerup *)));
    level->grid = static_cast<GridCell *>(std::calloc(LevelCellCount(level), sizeof(GridCell)));
    level->playerStartX = sizeX / 2;
    level->playerStartY = 0;
    level->playerStartZ = sizeZ / 2;
    level->waterController = WaterControllerAllocate(level, kWaterModeRisingLevel);
    level->initialPlayerFacing = 2;
    level->initialCameraFacing = VectorWithValues(0.0f, 0.0f, -1.0f);
    return level;
}

Level *LevelCreateCopy(const Level *level)
{
    Level *copy = static_cast<Level *>(std::calloc(1, sizeof(Level)));
    copy->sizeX = level->sizeX;
    copy->sizeY = level->sizeY;
    copy->sizeZ = level->sizeZ;
    copy->playerStartX = level->playerStartX;
    copy->playerStartY = level->playerStartY;
    copy->playerStartZ = level->playerStartZ;
    copy->initialPlayerFacing = level->initialPlayerFacing;
    copy->initialCameraFacing = level->initialCameraFacing;

    copy->blockCount = level->blockCount;
    copy->blockCapacity = std::max(level->blockCount, 16);
    copy->blocks = static_cast<Block *>(std::calloc(size_t(copy->blockCapacity), sizeof(Block)));
    for (int32_t i = 0; i < level->blockCount; i++)
        BlockCopy(&level->blocks[i], &copy->blocks[i]);

    size_t cells = LevelCellCount(level);
    copy->grid = static_cast<GridCell *>(std::calloc(cells, sizeof(GridCell)));
    for (size_t c = 0; c < cells; c++) {
        const GridCell &from = level->grid[c];
        if (from.slotCount == 0)
            continue;
        copy->grid[c].slotCount = from.slotCount;
        copy->grid[c].slots = static_cast<int32_t *>(std::malloc(sizeof(int32_t) * from.slotCount));
        std::memcpy(copy->grid[c].slots, from.slots, sizeof(int32_t) * from.slotCount);
    }

    copy->powerupCount = level->powerupCount;
    copy->powerupCapacity = std::max(level->powerupCount, 8);
    copy->powerups = static_cast<Powerup **>(std::calloc(size_t(copy->powerupCapacity), sizeof(Powerup *)));
    for (int32_t i = 0; i < level->powerupCount; i++)
        copy->powerups[i] = PowerupCreateCopy(level->powerups[i]);

    copy->waterController = WaterControllerCreateCopy(level->waterController, copy);
    return copy;
}

void LevelDispose(Level *level)
{
    if (!level)
        return;
    for (int32_t i = 0; i < level->blockCount; i++)
        BlockDispose(&level->blocks[i]);
    std::free(level->blocks);
    if (level->grid) {
        size_t cells = LevelCellCount(level);
        for (size_t c = 0; c < cells; c++)
            std::free(level->grid[c].slots);
        std::free(level->grid);
    }
    for (int32_t i = 0; i < level->powerupCount; i++)
        PowerupDispose(level->powerups[i]);
    std::free(level->powerups);
    WaterControllerDispose(level->waterController);
    std::free(level);
}

// One axis of a cell range: the quotient truncated toward zero, then clamped
// to the level.  Below 1 the truncation is 0 (or negative, clamped to 0); in
// between the conversion to an integer truncates.
static int32_t LevelClampCell(double quotient, int32_t size)
{
    if (!(quotient >= 1.0)) // below one cell, negative or not a number
        return 0;
    if (quotient >= double(size))
        return size - 1;
    return int32_t(quotient);
}

CellRange LevelGetCellRange(const Level *level, AABB box)
{
    CellRange r;
    r.firstX = LevelClampCell(double(box.minX) / double(CellSize), level->sizeX);
    r.lastX = LevelClampCell((double(box.maxX) - 0.0001) / double(CellSize), level->sizeX);
    r.firstY = LevelClampCell(double(box.minY) / double(CellSize), level->sizeY);
    r.lastY = LevelClampCell((double(box.maxY) - 0.0001) / double(CellSize), level->sizeY);
    r.firstZ = LevelClampCell(double(box.minZ) / double(CellSize), level->sizeZ);
    r.lastZ = LevelClampCell((double(box.maxZ) - 0.0001) / double(CellSize), level->sizeZ);
    return r;
}

GridCell *LevelGetGridCell(Level *level, int32_t x, int32_t y, int32_t z)
{
    if (x < 0 || x >= level->sizeX || y < 0 || y >= level->sizeY || z < 0 || z >= level->sizeZ)
        return nullptr;
    return &level->grid[size_t(x) + size_t(level->sizeX) * (size_t(z) + size_t(level->sizeZ) * size_t(y))];
}

// The slot count grows through powers of two; 32768 is the most a cell holds.
static constexpr uint32_t kMaxSlotsPerCell = 32768;

static bool GridCellHasRoom(const GridCell *cell)
{
    return cell->slotCount < kMaxSlotsPerCell || cell->slots[cell->slotCount - 1] == -1;
}

bool LevelGridAddBlockIndexForBoundingBox(Level *level, AABB box, int32_t index)
{
    CellRange r = LevelGetCellRange(level, box);
    for (int32_t x = r.firstX; x <= r.lastX; x++)
        for (int32_t y = r.firstY; y <= r.lastY; y++)
            for (int32_t z = r.firstZ; z <= r.lastZ; z++)
                if (!GridCellHasRoom(LevelGetGridCell(level, x, y, z)))
                    return false;
    for (int32_t x = r.firstX; x <= r.lastX; x++) {
        for (int32_t y = r.firstY; y <= r.lastY; y++) {
            for (int32_t z = r.firstZ; z <= r.lastZ; z++) {
                GridCell *cell = LevelGetGridCell(level, x, y, z);
                if (cell->slotCount == 0 || cell->slots[cell->slotCount - 1] != -1) {
                    uint32_t oldCount = cell->slotCount;
                    uint32_t newCount = uint32_t(nextPowerOfTwo(int32_t(oldCount)));
                    int32_t *grown =
                        static_cast<int32_t *>(std::realloc(cell->slots, sizeof(int32_t) * newCount));
                    for (uint32_t s = oldCount; s < newCount; s++)
                        grown[s] = -1;
                    cell->slots = grown;
                    cell->slotCount = uint16_t(newCount);
                }
                // Used slots form a run from the front, so the first -1 is
                // found by halving.
                uint32_t low = 0, high = cell->slotCount - 1;
                while (low < high) {
                    uint32_t middle = (low + high) / 2;
                    if (cell->slots[middle] == -1)
                        high = middle;
                    else
                        low = middle + 1;
                }
                cell->slots[low] = index;
            }
        }
    }
    return true;
}

void LevelGridRemoveBlockIndexForBoundingBox(Level *level, AABB box, int32_t index)
{
    CellRange r = LevelGetCellRange(level, box);
    for (int32_t x = r.firstX; x <= r.lastX; x++) {
        for (int32_t y = r.firstY; y <= r.lastY; y++) {
            for (int32_t z = r.firstZ; z <= r.lastZ; z++) {
                GridCell *cell = LevelGetGridCell(level, x, y, z);
                for (uint32_t s = 0; s < cell->slotCount; s++) {
                    if (cell->slots[s] == -1)
                        break;
                    if (cell->slots[s] == index) {
                        // Close the gap so that the list still ends at its first -1.
                        for (uint32_t t = s; t + 1 < cell->slotCount; t++)
                            cell->slots[t] = cell->slots[t + 1];
                        cell->slots[cell->slotCount - 1] = -1;
                        break;
                    }
                }
            }
        }
    }
}

void LevelGridChangeBlockIndexForBoundingBox(Level *level, AABB box, int32_t oldIndex, int32_t newIndex)
{
    CellRange r = LevelGetCellRange(level, box);
    for (int32_t x = r.firstX; x <= r.lastX; x++) {
        for (int32_t y = r.firstY; y <= r.lastY; y++) {
            for (int32_t z = r.firstZ; z <= r.lastZ; z++) {
                GridCell *cell = LevelGetGridCell(level, x, y, z);
                for (uint32_t s = 0; s < cell->slotCount; s++)
                    if (cell->slots[s] == oldIndex)
                        cell->slots[s] = newIndex;
            }
        }
    }
}

bool LevelAddBlock(Level *level, Block *block)
{
    if (level->blockCount == INT32_MAX) {
        BlockDispose(block);
        return false;
    }
    if (level->blockCount >= level->blockCapacity) {
        int32_t capacity = nextPowerOfTwo(level->blockCapacity);
        Block *grown = static_cast<Block *>(std::realloc(level->blocks, sizeof(Block) * size_t(capacity)));
        level->blocks = grown;
        level->blockCapacity = capacity;
    }
    int32_t index = level->blockCount;
    if (!LevelGridAddBlockIndexForBoundingBox(level, BlockGetBounds(block), index)) {
        std::printf("Error: too many blocks in one cell\n");
        BlockDispose(block);
        return false;
    }
    level->blocks[index] = *block;
    block->data = nullptr; // the level owns it now
    level->blockCount++;
    return true;
}

void LevelRemoveBlock(Level *level, int32_t index, bool compact)
{
    if (index < 0 || index >= level->blockCount)
        return;
    Block *block = &level->blocks[index];
    LevelGridRemoveBlockIndexForBoundingBox(level, BlockGetBounds(block), index);
    BlockDispose(block);
    if (!compact) {
        BlockInit(block, kBlockEmptySpace, 0, 0, 0);
        return;
    }
    for (int32_t j = index + 1; j < level->blockCount; j++) {
        LevelGridChangeBlockIndexForBoundingBox(level, BlockGetBounds(&level->blocks[j]), j, j - 1);
        level->blocks[j - 1] = level->blocks[j];
    }
    level->blockCount--;
    std::memset(&level->blocks[level->blockCount], 0, sizeof(Block));
}

int32_t LevelGetIndexForBlock(const Level *level, const Block *block)
{
    if (!block || level->blockCount == 0)
        return -1;
    const Block *first = level->blocks;
    const Block *end = level->blocks + level->blockCount;
    if (std::less<const Block *>()(block, first) || !std::less<const Block *>()(block, end))
        return -1;
    return int32_t(block - first);
}

Block *LevelGetBlockAtPos(Level *level, int32_t x, int32_t y, int32_t z, int32_t slot)
{
    GridCell *cell = LevelGetGridCell(level, x, y, z);
    if (!cell || slot < 0 || uint32_t(slot) >= cell->slotCount)
        return nullptr;
    int32_t index = cell->slots[slot];
    if (index < 0 || index >= level->blockCount)
        return nullptr;
    return &level->blocks[index];
}

Block **LevelGetSortedBlockListForBoundingBox(Level *level, float minX, float maxX, float minY, float maxY,
                                              float minZ, float maxZ, int32_t *count)
{
    *count = 0;
    AABB query{minX, maxX, minY, maxY, minZ, maxZ};
    CellRange r = LevelGetCellRange(level, query);

    // Gather: x outermost, then y, then z.
    int32_t gathered[16];
    std::vector<int32_t> spill;
    int32_t n = 0;
    auto append = [&](int32_t index) {
        if (n < 16) {
            gathered[n++] = index;
            return;
        }
        if (n == 16)
            spill.assign(gathered, gathered + 16);
        spill.push_back(index);
        n++;
    };
    for (int32_t x = r.firstX; x <= r.lastX; x++) {
        for (int32_t y = r.firstY; y <= r.lastY; y++) {
            for (int32_t z = r.firstZ; z <= r.lastZ; z++) {
                const GridCell *cell = LevelGetGridCell(level, x, y, z);
                for (uint32_t s = 0; s < cell->slotCount; s++) {
                    int32_t index = cell->slots[s];
                    if (index == -1)
                        break;
                    if (index < 0 || index >= level->blockCount)
                        continue;
                    const Block *b = &level->blocks[index];
                    if (maxX >= b->minX && b->maxX >= minX && maxY >= b->minY && b->maxY >= minY &&
                        maxZ >= b->minZ && b->maxZ >= minZ)
                        append(index);
                }
            }
        }
    }
    if (n == 0)
        return nullptr;
    int32_t *list = n <= 16 ? gathered : spill.data();

    // Keep the first occurrence of every block, in gathered order.
    int32_t unique = 0;
    if (n <= 32) {
        for (int32_t i = 0; i < n; i++) {
            bool seen = false;
            for (int32_t j = 0; j < unique && !seen; j++)
                seen = list[j] == list[i];
            if (!seen)
                list[unique++] = list[i];
        }
    } else {
        std::vector<std::pair<int32_t, int32_t>> byIndex(size_t(n), {0, 0});
        for (int32_t i = 0; i < n; i++)
            byIndex[size_t(i)] = {list[i], i};
        std::sort(byIndex.begin(), byIndex.end());
        std::vector<uint8_t> keep(size_t(n), 0);
        for (int32_t i = 0; i < n; i++)
            if (i == 0 || byIndex[size_t(i)].first != byIndex[size_t(i - 1)].first)
                keep[size_t(byIndex[size_t(i)].second)] = 1;
        for (int32_t i = 0; i < n; i++)
            if (keep[size_t(i)])
                list[unique++] = list[i];
    }

    // Deepest overlap first; on equal depth the later one in the list first.
    struct Entry {
        float depth;
        int32_t order;
        int32_t index;
    };
    Entry small[32];
    std::vector<Entry> large;
    Entry *entries = small;
    if (unique > 32) {
        large.resize(size_t(unique));
        entries = large.data();
    }
    for (int32_t i = 0; i < unique; i++) {
        const Block *b = &level->blocks[list[i]];
        float dx = std::min(std::fabs(b->minX - maxX), std::fabs(b->maxX - minX));
        float dy = std::min(std::fabs(b->minY - maxY), std::fabs(b->maxY - minY));
        float dz = std::min(std::fabs(b->minZ - maxZ), std::fabs(b->maxZ - minZ));
        entries[i] = Entry{dx + dy + dz, i, list[i]};
    }
    std::sort(entries, entries + unique, [](const Entry &a, const Entry &b) {
        if (a.depth != b.depth)
            return a.depth > b.depth;
        return a.order > b.order;
    });
    Block **result = static_cast<Block **>(std::malloc(sizeof(Block *) * size_t(unique)));
    for (int32_t i = 0; i < unique; i++)
        result[i] = &level->blocks[entries[i].index];
    *count = unique;
    return result;
}

void LevelAddPowerup(Level *level, Powerup *powerup)
{
    if (!powerup || level->powerupCount == INT32_MAX)
        return;
    if (level->powerupCount >= level->powerupCapacity) {
        int32_t capacity = nextPowerOfTwo(level->powerupCapacity);
        level->powerups =
            static_cast<Powerup **>(std::realloc(level->powerups, sizeof(Powerup *) * size_t(capacity)));
        level->powerupCapacity = capacity;
    }
    level->powerups[level->powerupCount++] = powerup;
}

void LevelRemovePowerup(Level *level, int32_t index)
{
    if (index < 0 || index >= level->powerupCount)
        return;
    PowerupDispose(level->powerups[index]);
    for (int32_t i = index + 1; i < level->powerupCount; i++)
        level->powerups[i - 1] = level->powerups[i];
    level->powerupCount--;
    level->powerups[level->powerupCount] = nullptr;
}

Powerup *LevelGetPowerupAtPosition(Level *level, float x, float y, float z)
{
    for (int32_t i = 0; i < level->powerupCount; i++) {
        const Powerup *p = level->powerups[i];
        if (x >= p->minX && x <= p->maxX && y >= p->minY && y <= p->maxY && z >= p->minZ && z <= p->maxZ)
            return level->powerups[i];
    }
    return nullptr;
}

int32_t LevelGetIndexForPowerup(const Level *level, const Powerup *powerup)
{
    for (int32_t i = 0; i < level->powerupCount; i++)
        if (level->powerups[i] == powerup)
            return i;
    return -1;
}

void LevelChangeGridSize(Level *level, int32_t newX, int32_t newY, int32_t newZ)
{
    if (!LevelSizeIsValid(newX, newY, newZ))
        return;
    for (int32_t y = 0; y < level->sizeY; y++) {
        for (int32_t z = 0; z < level->sizeZ; z++) {
            for (int32_t x = 0; x < level->sizeX; x++) {
                if (x < newX && y < newY && z < newZ)
                    continue;
                GridCell *cell = LevelGetGridCell(level, x, y, z);
                // Each removal renames later indices, so read the cell afresh.
                while (cell->slotCount > 0 && cell->slots[0] != -1)
                    LevelRemoveBlock(level, cell->slots[0], true);
            }
        }
    }
    GridCell *grid =
        static_cast<GridCell *>(std::calloc(size_t(newX) * size_t(newY) * size_t(newZ), sizeof(GridCell)));
    for (int32_t y = 0; y < level->sizeY; y++) {
        for (int32_t z = 0; z < level->sizeZ; z++) {
            for (int32_t x = 0; x < level->sizeX; x++) {
                GridCell *cell = LevelGetGridCell(level, x, y, z);
                if (x < newX && y < newY && z < newZ) {
                    grid[size_t(x) + size_t(newX) * (size_t(z) + size_t(newZ) * size_t(y))] = *cell;
                    cell->slots = nullptr;
                    cell->slotCount = 0;
                }
            }
        }
    }
    size_t cells = LevelCellCount(level);
    for (size_t c = 0; c < cells; c++)
        std::free(level->grid[c].slots);
    std::free(level->grid);
    level->grid = grid;
    if (level->playerStartX >= newX)
        level->playerStartX = newX - 1;
    if (level->playerStartY >= newY)
        level->playerStartY = newY - 1;
    if (level->playerStartZ >= newZ)
        level->playerStartZ = newZ - 1;
    level->sizeX = newX;
    level->sizeY = newY;
    level->sizeZ = newZ;
}

void LevelSetInitialPlayerFacing(Level *level, uint8_t code)
{
    level->initialPlayerFacing = code;
}

uint8_t LevelGetInitialPlayerFacing(const Level *level)
{
    return level->initialPlayerFacing;
}

void LevelSetInitialCameraFacing(Level *level, Vector facing)
{
    level->initialCameraFacing = facing;
}

Vector LevelGetInitialCameraFacing(const Level *level)
{
    return level->initialCameraFacing;
}

void LevelRun(Level *level, float dt)
{
    BlockRunArray(level->blocks, level->blockCount, level, dt,
                  WaterControllerGetCurrentWaterLevel(level->waterController));
    for (int32_t i = 0; i < level->powerupCount; i++)
        PowerupRun(level->powerups[i]);
}

bool LevelSave(const Level *level, ByteBuffer *b)
{
    if (!ByteBufferAppendInt32(b, level->sizeX) || !ByteBufferAppendInt32(b, level->sizeY) ||
        !ByteBufferAppendInt32(b, level->sizeZ) || !ByteBufferAppendInt32(b, level->blockCount) ||
        !ByteBufferAppendInt32(b, level->playerStartX) || !ByteBufferAppendInt32(b, level->playerStartY) ||
        !ByteBufferAppendInt32(b, level->playerStartZ))
        return false;
    if (!WaterControllerSave(level->waterController, b))
        return false;
    if (!ByteBufferAppendInt32(b, level->powerupCount))
        return false;
    for (int32_t i = 0; i < level->powerupCount; i++)
        if (!PowerupSave(level->powerups[i], b))
            return false;
    if (!ByteBufferAppendUInt8(b, level->initialPlayerFacing) ||
        !ByteBufferAppendFloat(b, level->initialCameraFacing.x) ||
        !ByteBufferAppendFloat(b, level->initialCameraFacing.y) ||
        !ByteBufferAppendFloat(b, level->initialCameraFacing.z) || !ByteBufferAppendZeros(b, 11))
        return false;
    int32_t endOffsetAt = b->length;
    if (!ByteBufferAppendInt32(b, 0))
        return false;
    for (int32_t i = 0; i < level->blockCount; i++)
        if (!BlockSave(&level->blocks[i], b))
            return false;
    return ByteBufferPutInt32(b, endOffsetAt, b->length);
}

// The smallest records: a block is 13 bytes, a powerup 16, a water box 24.
static constexpr int32_t kMinimumBlockRecord = 13;
static constexpr int32_t kPowerupRecord = 16;

Level *LevelLoad(const uint8_t *data, int32_t size, int32_t *position)
{
    int32_t sizeX, sizeY, sizeZ, blockCount;
    if (!ReadInt32(data, size, position, &sizeX) || !ReadInt32(data, size, position, &sizeY) ||
        !ReadInt32(data, size, position, &sizeZ) || !ReadInt32(data, size, position, &blockCount))
        return nullptr;
    if (!LevelSizeIsValid(sizeX, sizeY, sizeZ)) {
        std::printf("Error: level size %d x %d x %d is not between 1 and %d cells\n", sizeX, sizeY, sizeZ,
                    int32_t(kLevelMaxCells));
        return nullptr;
    }
    if (blockCount < 0) {
        std::printf("Error: negative block count %d\n", blockCount);
        return nullptr;
    }
    if (!CheckBytesRemain(data, size, *position, int64_t(blockCount) * kMinimumBlockRecord))
        return nullptr;
    Level *level = LevelAllocate(sizeX, sizeY, sizeZ, blockCount, 0);
    bool ok = ReadInt32(data, size, position, &level->playerStartX) &&
              ReadInt32(data, size, position, &level->playerStartY) &&
              ReadInt32(data, size, position, &level->playerStartZ);
    if (ok && (level->playerStartX < 0 || level->playerStartX >= sizeX || level->playerStartY < 0 ||
               level->playerStartY >= sizeY || level->playerStartZ < 0 || level->playerStartZ >= sizeZ)) {
        std::printf("Error: player start cell lies outside the level\n");
        ok = false;
    }
    if (ok) {
        WaterController *water = WaterControllerLoad(level, data, size, position);
        if (water) {
            WaterControllerDispose(level->waterController);
            level->waterController = water;
        } else {
            ok = false;
        }
    }
    int32_t powerupCount = 0;
    if (ok)
        ok = ReadInt32(data, size, position, &powerupCount);
    if (ok && powerupCount < 0) {
        std::printf("Error: negative powerup count %d\n", powerupCount);
        ok = false;
    }
    if (ok)
        ok = CheckBytesRemain(data, size, *position, int64_t(powerupCount) * kPowerupRecord);
    for (int32_t i = 0; ok && i < powerupCount; i++) {
        Powerup *powerup = PowerupLoad(data, size, position);
        if (powerup)
            LevelAddPowerup(level, powerup);
        else
            ok = false;
    }
    int32_t endOffset;
    if (ok)
        ok = ReadUInt8(data, size, position, &level->initialPlayerFacing) &&
             ReadFloat(data, size, position, &level->initialCameraFacing.x) &&
             ReadFloat(data, size, position, &level->initialCameraFacing.y) &&
             ReadFloat(data, size, position, &level->initialCameraFacing.z) && SkipBytes(data, size, position, 11) &&
             ReadInt32(data, size, position, &endOffset);
    for (int32_t i = 0; ok && i < blockCount; i++) {
        Block block;
        ok = BlockLoad(&block, data, size, position, sizeX, sizeY, sizeZ) && LevelAddBlock(level, &block);
    }
    if (!ok) {
        LevelDispose(level);
        return nullptr;
    }
    return level;
}
