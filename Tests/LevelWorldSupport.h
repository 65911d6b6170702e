// Helpers shared by the level-world and file suites: the test files and
// folders, blocks placed in levels, and levels whose water is kept as boxes.
#pragma once

#include "Block.h"
#include "Level.h"
#include "Water.h"
#include "WaterController.h"

#include "TestFiles.h"

#include <array>
#include <cstdint>
#include <vector>

namespace levelworld {

using testfiles::FullDisk;
using testfiles::ReadBytes;
using testfiles::ScopedEnv;
using testfiles::TemporaryFolder;
using testfiles::WriteBytes;

// Places a fresh block of the type in the cell and returns its index.
inline int32_t AddBlock(Level *level, int32_t type, int32_t x, int32_t y, int32_t z)
{
    Block block;
    BlockInit(&block, type, x, y, z);
    LevelAddBlock(level, &block);
    return level->blockCount - 1;
}

// Makes the level a corridor 5 x 2 x sizeZ: the player starts in cell 0
// facing +x, the water far below and still.
inline void MakeCorridor(Level *level, int32_t sizeZ = 1)
{
    LevelChangeGridSize(level, 5, 2, sizeZ);
    level->playerStartX = level->playerStartY = level->playerStartZ = 0;
    LevelSetInitialPlayerFacing(level, 1);
    WaterControllerSetInitialWaterLevel(level->waterController, -100);
    WaterControllerSetCurrentWaterLevel(level->waterController, -100);
    WaterControllerSetRiseSpeed(level->waterController, 0);
}

inline std::vector<uint8_t> SaveRecord(const Block *block)
{
    ByteBuffer buffer;
    ByteBufferInit(&buffer, 16);
    BlockSave(block, &buffer);
    std::vector<uint8_t> bytes(buffer.data, buffer.data + buffer.length);
    ByteBufferDispose(&buffer);
    return bytes;
}

inline std::vector<float> Extent(const WaterBox *b)
{
    return {b->minX, b->maxX, b->minY, b->maxY, b->minZ, b->maxZ};
}

// A level of the size whose water is kept as boxes, with stone blocks in the
// given cells.
struct BoxWaterLevel {
    Level *level;
    WaterController *water;
    BoxWaterLevel(int32_t sx, int32_t sy, int32_t sz, const std::vector<std::array<int32_t, 3>> &stones = {})
    {
        level = LevelAllocate(sx, sy, sz, 0, 0);
        for (const auto &cell : stones)
            AddBlock(level, kBlockStone, cell[0], cell[1], cell[2]);
        WaterControllerDispose(level->waterController);
        water = level->waterController = WaterControllerAllocate(level, kWaterModeBoxes);
    }
    ~BoxWaterLevel() { LevelDispose(level); }
    WaterBox *Add(AABB b)
    {
        return WaterControllerAddBox(water, WaterBoxAllocate(water, b.minX, b.maxX, b.minY, b.maxY, b.minZ, b.maxZ));
    }
    void Relink()
    {
        for (int32_t i = 0; i < water->boxCount; i++)
            WaterBoxRelinkSides(water->boxes[i]);
    }
    std::vector<float> Box(int32_t i) const { return Extent(water->boxes[i]); }
    void Run(int ticks)
    {
        for (int i = 0; i < ticks; i++)
            WaterControllerRun(water, 1.0f / 120);
    }
    // The boxes that hold water (emptied ones wait for the next run's removal).
    std::vector<const WaterBox *> Full() const
    {
        std::vector<const WaterBox *> full;
        for (int32_t i = 0; i < water->boxCount; i++)
            if (WaterBoxGetVolume(water->boxes[i]) >= kWaterMinimumVolume)
                full.push_back(water->boxes[i]);
        return full;
    }
    // No box holding water reaches into a block.
    bool WaterOutsideBlocks() const
    {
        for (const WaterBox *b : Full())
            for (int32_t j = 0; j < level->blockCount; j++) {
                const Block &s = level->blocks[j];
                if (b->minX < s.maxX - 0.001f && s.minX + 0.001f < b->maxX && b->minY < s.maxY - 0.001f &&
                    s.minY + 0.001f < b->maxY && b->minZ < s.maxZ - 0.001f && s.minZ + 0.001f < b->maxZ)
                    return false;
            }
        return true;
    }
};

} // namespace levelworld
