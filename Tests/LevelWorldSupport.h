// Helpers shared by the level-world and file suites: temporary folders, a
// file's bytes, an environment variable set for a scope, a full disk, blocks
// placed in levels, and levels whose water is kept as boxes.
#pragma once

#include "Block.h"
#include "Level.h"
#include "Water.h"
#include "WaterController.h"

#include <array>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include <sys/resource.h>

namespace levelworld {

// A fresh folder under the system's temporary folder, removed at the end.
class TemporaryFolder {
public:
    TemporaryFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "brimhold-test-XXXXXX").string();
        char *made = ::mkdtemp(pattern.data());
        path_ = made ? std::filesystem::path(made) : std::filesystem::path();
    }
    ~TemporaryFolder()
    {
        std::error_code error;
        if (!path_.empty())
            std::filesystem::remove_all(path_, error);
    }
    const std::filesystem::path &path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Places a fresh block of the type in the cell and returns its index.
inline int32_t AddBlock(Level *level, int32_t type, int32_t x, int32_t y, int32_t z)
{
    Block block;
    BlockInit(&block, type, x, y, z);
    LevelAddBlock(level, &block);
    return level->blockCount - 1;
}

inline std::vector<uint8_t> ReadBytes(const std::filesystem::path &file)
{
    std::ifstream in(file, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path &file, const std::vector<uint8_t> &bytes)
{
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
}

// Sets (or, with nullptr, unsets) an environment variable while it lives.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const char *value) : name(name)
    {
        if (const char *old = std::getenv(name))
            previous = old;
        Set(value);
    }
    ~ScopedEnv() { Set(previous ? previous->c_str() : nullptr); }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

    void Set(const char *value)
    {
        if (value)
            setenv(name.c_str(), value, 1);
        else
            unsetenv(name.c_str());
    }

private:
    std::string name;
    std::optional<std::string> previous;
};

// A full disk: files cannot grow past a few bytes while it lives (SIGXFSZ is
// ignored, so writes fail with EFBIG instead of ending the process).
class FullDisk {
public:
    explicit FullDisk(rlim_t bytes)
    {
        oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit limit = old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FullDisk()
    {
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
    }
    FullDisk(const FullDisk &) = delete;
    FullDisk &operator=(const FullDisk &) = delete;

private:
    rlimit old{};
    void (*oldHandler)(int) = nullptr;
};

inline std::vector<uint8_t> SaveRecord(const Block *block)
{
    ByteBuffer buffer;
    ByteBufferInit(&buffer, 16);
    BlockSave(block, &buffer);
    std::vector<uint8_t> bytes(buffer.data, buffer.data + buffer.length);
    ByteBufferDispose(&buffer);
    return bytes;
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

inline std::vector<float> Extent(const WaterBox *b)
{
    return {b->minX, b->maxX, b->minY, b->maxY, b->minZ, b->maxZ};
}

} // namespace levelworld
