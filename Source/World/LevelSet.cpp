#include "LevelSet.h"

#include "ByteBuffer.h"
#include "Folders.h"
#include "Level.h"
#include "Utilities.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

static const char kLevelSetMagic[8] = {'B', 'R', 'M', 'H', 'L', 'e', 'v', 'l'};
static const char *const kUntitledSetName = "Brimhold level set";
static const char *const kDefaultSetName = "Test levels";

static LevelSetDirtyObserver dirtyObserver = nullptr;

LevelSet *LevelSetAllocate()
{
    LevelSet *set = new LevelSet;
    set->currentLevelIndex = -1;
    set->currentLevelCopy = nullptr;
    set->levelCount = 0;
    set->file = nullptr;
    set->dirty = false;
    return set;
}

void LevelSetInit(LevelSet *set)
{
    Level *level = LevelAllocate(5, 5, 5, 0, 0);
    set->levels.push_back(level);
    set->levelCount = int16_t(set->levels.size());
    LevelSetSetCurrentLevel(set, int32_t(set->levels.size()) - 1);
}

// Releases the file reference, the levels and the working copy.
static void LevelSetReleaseContents(LevelSet *set)
{
    delete set->file;
    set->file = nullptr;
    for (Level *level : set->levels)
        LevelDispose(level);
    set->levels.clear();
    set->levelCount = 0;
    LevelDispose(set->currentLevelCopy);
    set->currentLevelCopy = nullptr;
    set->currentLevelIndex = -1;
}

void LevelSetDispose(LevelSet *set)
{
    if (!set)
        return;
    LevelSetReleaseContents(set);
    delete set;
}

int32_t LevelSetGetCurrentLevelIndex(const LevelSet *set)
{
    return set->currentLevelIndex;
}

Level *LevelSetGetCurrentLevelCopy(const LevelSet *set)
{
    return set->currentLevelCopy;
}

int16_t LevelSetGetLevelCount(const LevelSet *set)
{
    return set->levelCount;
}

Level *LevelSetGetLevel(const LevelSet *set, int32_t index)
{
    if (index < 0 || index >= set->levelCount)
        return nullptr;
    return set->levels[size_t(index)];
}

void LevelSetSetCurrentLevel(LevelSet *set, int32_t index)
{
    if (index < 0 || index >= set->levelCount)
        return;
    set->currentLevelIndex = index;
    LevelSetFetchCurrentLevelCopy(set);
}

void LevelSetFetchCurrentLevelCopy(LevelSet *set)
{
    Level *stored = LevelSetGetLevel(set, set->currentLevelIndex);
    if (!stored)
        return;
    LevelDispose(set->currentLevelCopy);
    set->currentLevelCopy = LevelCreateCopy(stored);
}

void LevelSetCommitCurrentLevelCopy(LevelSet *set)
{
    if (!set->currentLevelCopy || set->currentLevelIndex < 0 || set->currentLevelIndex >= set->levelCount)
        return;
    Level *&stored = set->levels[size_t(set->currentLevelIndex)];
    LevelDispose(stored);
    stored = LevelCreateCopy(set->currentLevelCopy);
}

bool LevelSetGoToNextLevel(LevelSet *set, bool wrap)
{
    if (set->levelCount <= 0)
        return false;
    int32_t next = set->currentLevelIndex + 1;
    if (wrap)
        next %= set->levelCount;
    if (next < set->levelCount) {
        LevelSetSetCurrentLevel(set, next);
        return true;
    }
    return false;
}

bool LevelSetGoToPreviousLevel(LevelSet *set, bool wrap)
{
    int32_t previous = set->currentLevelIndex - 1;
    if (wrap && previous < 0)
        previous += set->levelCount;
    if (previous >= 0 && previous < set->levelCount) {
        LevelSetSetCurrentLevel(set, previous);
        return true;
    }
    return false;
}

void LevelSetInsertLevel(LevelSet *set, int32_t index)
{
    if (index < 0 || index > set->levelCount || set->levelCount >= kLevelSetMaxLevels)
        return;
    set->levels.insert(set->levels.begin() + index, LevelAllocate(5, 5, 5, 0, 0));
    set->levelCount = int16_t(set->levels.size());
}

Level *LevelSetAppendLevel(LevelSet *set)
{
    if (set->levelCount >= kLevelSetMaxLevels)
        return nullptr;
    Level *level = LevelAllocate(5, 5, 5, 0, 0);
    set->levels.push_back(level);
    set->levelCount = int16_t(set->levels.size());
    return level;
}

void LevelSetDeleteLevel(LevelSet *set, int32_t index)
{
    if (index < 0 || index >= set->levelCount)
        return;
    LevelDispose(set->levels[size_t(index)]);
    set->levels.erase(set->levels.begin() + index);
    set->levelCount = int16_t(set->levels.size());
    if (set->levelCount == 0) {
        // No level is left to be current.
        LevelDispose(set->currentLevelCopy);
        set->currentLevelCopy = nullptr;
        set->currentLevelIndex = -1;
        return;
    }
    if (set->currentLevelIndex >= set->levelCount)
        LevelSetSetCurrentLevel(set, set->levelCount - 1);
    else if (set->currentLevelIndex >= index)
        LevelSetSetCurrentLevel(set, index);
}

Vector LevelSetGetCurrentLevelPlayerStartPos(const LevelSet *set)
{
    const Level *level = set->currentLevelCopy;
    if (!level)
        return VectorWithValues(0.0f, 0.0f, 0.0f);
    return VectorWithValues(CellSize * float(level->playerStartX) + 3.0f, CellSize * float(level->playerStartY),
                            CellSize * float(level->playerStartZ) + 3.0f);
}

Vector LevelSetGetCurrentLevelPlayerFacingVector(const LevelSet *set)
{
    uint8_t facing = set->currentLevelCopy ? set->currentLevelCopy->initialPlayerFacing : 2;
    switch (facing) {
    case 0:
        return VectorWithValues(-1.0f, 0.0f, 0.0f);
    case 1:
        return VectorWithValues(1.0f, 0.0f, 0.0f);
    case 3:
        return VectorWithValues(0.0f, 0.0f, 1.0f);
    default:
        return VectorWithValues(0.0f, 0.0f, -1.0f);
    }
}

void LevelSetMakeDirty(LevelSet *set)
{
    set->dirty = true;
    if (dirtyObserver)
        dirtyObserver(true);
}

void LevelSetMakeClean(LevelSet *set)
{
    set->dirty = false;
    if (dirtyObserver)
        dirtyObserver(false);
}

bool LevelSetIsDirty(const LevelSet *set)
{
    return set->dirty;
}

void LevelSetSetDirtyObserver(LevelSetDirtyObserver observer)
{
    dirtyObserver = observer;
}

std::string LevelSetGetLevelSetName(const LevelSet *set)
{
    if (!set->file)
        return kUntitledSetName;
    std::string name = set->file->filename().string();
    return name.empty() ? std::string(kUntitledSetName) : name;
}

bool LevelSetGetStandardLevelsFolder(fs::path *folder)
{
    fs::path levels = PlatformResourceSubfolder("Levels");
    std::error_code error;
    if (!fs::is_directory(levels, error))
        return false;
    *folder = levels;
    return true;
}

// A folder inside the per-user data folder, created with its parents when needed.
static bool LevelSetGetUserSubfolder(const char *name, fs::path *folder)
{
    fs::path userData = PlatformUserDataFolder();
    if (userData.empty())
        return false;
    std::error_code error;
    fs::create_directories(userData, error);
    if (!fs::is_directory(userData, error))
        return false;
    return getFolderRefAndCreateIfNecessary(userData, name, folder);
}

bool LevelSetGetUserLevelsFolder(fs::path *folder)
{
    return LevelSetGetUserSubfolder("User levels", folder);
}

bool LevelSetGetDownloadedLevelsFolder(fs::path *folder)
{
    return LevelSetGetUserSubfolder("Downloaded levels", folder);
}

bool LevelSetValidateFile(const fs::path &file)
{
    std::error_code error;
    if (!fs::is_regular_file(file, error))
        return false;
    FILE *stream = std::fopen(file.c_str(), "rb");
    if (!stream)
        return false;
    char magic[8];
    size_t got = std::fread(magic, 1, sizeof magic, stream);
    std::fclose(stream);
    return got == sizeof magic && std::memcmp(magic, kLevelSetMagic, sizeof magic) == 0;
}

std::vector<fs::path> LevelSetGetAllLevelSets()
{
    std::vector<fs::path> sets;
    fs::path folders[3];
    bool found[3] = {LevelSetGetStandardLevelsFolder(&folders[0]), LevelSetGetDownloadedLevelsFolder(&folders[1]),
                     LevelSetGetUserLevelsFolder(&folders[2])};
    for (int i = 0; i < 3; i++) {
        if (!found[i])
            continue;
        auto listing = listFilesInFolder(folders[i]);
        if (!listing)
            continue;
        for (const fs::path &file : *listing)
            if (LevelSetValidateFile(file))
                sets.push_back(file);
    }
    return sets;
}

// Reads the whole file; false when it cannot be read or exceeds 2 GiB.
static bool LevelSetReadFile(const fs::path &file, std::vector<uint8_t> *bytes)
{
    std::error_code error;
    if (!fs::is_regular_file(file, error))
        return false;
    FILE *stream = std::fopen(file.c_str(), "rb");
    if (!stream)
        return false;
    bool ok = std::fseek(stream, 0, SEEK_END) == 0;
    long length = ok ? std::ftell(stream) : -1;
    ok = ok && length >= 0 && length <= long(INT32_MAX) && std::fseek(stream, 0, SEEK_SET) == 0;
    if (ok) {
        bytes->resize(size_t(length));
        ok = length == 0 || std::fread(bytes->data(), 1, size_t(length), stream) == size_t(length);
    }
    std::fclose(stream);
    return ok;
}

// Parses a level-set file held in memory.  On failure nothing is kept.
static bool LevelSetParse(const uint8_t *data, int32_t size, std::vector<Level *> *levels)
{
    int32_t position = 0;
    char magic[8];
    if (!readBytesFromMemoryBlock(data, size, &position, 8, 1, magic))
        return false;
    if (std::memcmp(magic, kLevelSetMagic, 8) != 0) {
        std::printf("Error: not a level-set file\n");
        return false;
    }
    int16_t count;
    if (!SkipBytes(data, size, &position, 64) || !ReadInt16(data, size, &position, &count))
        return false;
    if (count < 1) {
        std::printf("Error: level-set file with %d levels\n", int32_t(count));
        return false;
    }
    bool ok = true;
    for (int32_t i = 0; ok && i < count; i++) {
        int32_t length;
        ok = ReadInt32(data, size, &position, &length);
        if (ok && length < 0) {
            std::printf("Error: level record of negative length %d\n", length);
            ok = false;
        }
        if (!ok)
            break;
        int32_t start = position;
        // A level record is read within its own entry and the file.
        int32_t end = int64_t(start) + length > int64_t(size) ? size : start + length;
        Level *level = LevelLoad(data, end, &position);
        if (!level) {
            ok = false;
            break;
        }
        levels->push_back(level);
        position = int64_t(start) + length > int64_t(INT32_MAX) ? INT32_MAX : start + length;
    }
    if (!ok) {
        for (Level *level : *levels)
            LevelDispose(level);
        levels->clear();
    }
    return ok;
}

// Moves freshly read levels into the set, releasing what it held.
static void LevelSetTakeLevels(LevelSet *set, std::vector<Level *> &levels, const fs::path *file)
{
    LevelSetReleaseContents(set);
    set->levels = std::move(levels);
    set->levelCount = int16_t(set->levels.size());
    if (file)
        set->file = new fs::path(*file);
    LevelSetSetCurrentLevel(set, 0);
}

bool LevelSetInitWithData(LevelSet *set, const uint8_t *data, int32_t size)
{
    std::vector<Level *> levels;
    if (!LevelSetParse(data, size, &levels))
        return false;
    LevelSetTakeLevels(set, levels, nullptr);
    return true;
}

bool LevelSetInitWithFile(LevelSet *set, const fs::path &file)
{
    std::vector<uint8_t> bytes;
    if (!LevelSetReadFile(file, &bytes))
        return false;
    std::vector<Level *> levels;
    if (!LevelSetParse(bytes.data(), int32_t(bytes.size()), &levels))
        return false;
    LevelSetTakeLevels(set, levels, &file);
    return true;
}

bool LevelSetReInitWithFile(LevelSet *set, const fs::path &file)
{
    // Read into a fresh set so that a failure leaves this one as it was.
    LevelSet *fresh = LevelSetAllocate();
    if (!LevelSetInitWithFile(fresh, file)) {
        LevelSetDispose(fresh);
        return false;
    }
    LevelSetReleaseContents(set);
    set->levels = std::move(fresh->levels);
    set->levelCount = fresh->levelCount;
    set->currentLevelIndex = fresh->currentLevelIndex;
    set->currentLevelCopy = fresh->currentLevelCopy;
    set->file = fresh->file;
    fresh->levels.clear();
    fresh->levelCount = 0;
    fresh->currentLevelCopy = nullptr;
    fresh->file = nullptr;
    LevelSetDispose(fresh);
    return true;
}

void LevelSetRevert(LevelSet *set)
{
    if (set->file) {
        fs::path file = *set->file;
        LevelSetReInitWithFile(set, file);
    } else {
        LevelSetReleaseContents(set);
        LevelSetInit(set);
    }
    LevelSetMakeClean(set);
}

void LevelSetLoadDefaultFile(LevelSet *set)
{
    for (const fs::path &file : LevelSetGetAllLevelSets()) {
        if (file.filename().string() == kDefaultSetName) {
            LevelSetReInitWithFile(set, file);
            return;
        }
    }
}

bool LevelSetWriteToBuffer(LevelSet *set, std::vector<uint8_t> *bytes)
{
    LevelSetCommitCurrentLevelCopy(set);
    if (set->levelCount < 1)
        return false; // such a file could not be read back
    ByteBuffer buffer;
    ByteBufferInit(&buffer, 256);
    bool ok = ByteBufferAppendBytes(&buffer, kLevelSetMagic, 8) && ByteBufferAppendZeros(&buffer, 64) &&
              ByteBufferAppendInt16(&buffer, set->levelCount);
    for (int32_t i = 0; ok && i < set->levelCount; i++) {
        int32_t lengthAt = buffer.length;
        ok = ByteBufferAppendInt32(&buffer, 0) && LevelSave(set->levels[size_t(i)], &buffer) &&
             ByteBufferPutInt32(&buffer, lengthAt, buffer.length - lengthAt - 4);
    }
    if (ok)
        bytes->assign(buffer.data, buffer.data + buffer.length);
    ByteBufferDispose(&buffer);
    return ok;
}

static bool LevelSetNameIsValid(const std::string &name)
{
    return !name.empty() && name.size() <= 255 && name != "." && name != ".." &&
           name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

static bool WriteAll(int fd, const uint8_t *data, size_t length)
{
    while (length > 0) {
        ssize_t written = ::write(fd, data, length);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        length -= size_t(written);
    }
    return true;
}

bool LevelSetSaveToFile(LevelSet *set, const fs::path &folder, const std::string &name)
{
    if (!LevelSetNameIsValid(name))
        return false;
    std::vector<uint8_t> bytes;
    if (!LevelSetWriteToBuffer(set, &bytes))
        return false;

    // Write a new file beside the old one and put it in place only when it
    // is complete and on disk, so a failed save leaves the old file intact.
    fs::path target = folder / name;
    std::string temporary = (folder / ".brimhold-save-XXXXXX").string();
    int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return false;
    struct stat existing;
    mode_t mode = ::stat(target.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : mode_t(0644);
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok)
        ok = ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    delete set->file;
    set->file = new fs::path(target);
    return true;
}
