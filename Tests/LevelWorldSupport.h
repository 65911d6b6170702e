// Helpers shared by the level-world suites: temporary folders, blocks placed
// in levels, and reading a file's bytes.
#pragma once

#include "Block.h"
#include "Level.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

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

inline std::vector<uint8_t> SaveRecord(const Block *block)
{
    ByteBuffer buffer;
    ByteBufferInit(&buffer, 16);
    BlockSave(block, &buffer);
    std::vector<uint8_t> bytes(buffer.data, buffer.data + buffer.length);
    ByteBufferDispose(&buffer);
    return bytes;
}

} // namespace levelworld
