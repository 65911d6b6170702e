// Level sets: an ordered list of levels stored in one binary file, with a
// working copy of the current level, and where level-set files live.
#pragma once

#include "Vector.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct Level;

constexpr int16_t kLevelSetMaxLevels = INT16_MAX;

struct LevelSet {
    int32_t currentLevelIndex;             // -1 before any level is current
    Level *currentLevelCopy;               // owned working copy, or null
    int16_t levelCount;
    std::vector<Level *> levels;           // owned, levelCount of them
    std::filesystem::path *file;           // owned, or null
    bool dirty;
};

LevelSet *LevelSetAllocate();
void LevelSetInit(LevelSet *set);
void LevelSetDispose(LevelSet *set);

int32_t LevelSetGetCurrentLevelIndex(const LevelSet *set);
Level *LevelSetGetCurrentLevelCopy(const LevelSet *set);
int16_t LevelSetGetLevelCount(const LevelSet *set);
Level *LevelSetGetLevel(const LevelSet *set, int32_t index);
void LevelSetSetCurrentLevel(LevelSet *set, int32_t index);
void LevelSetFetchCurrentLevelCopy(LevelSet *set);
void LevelSetCommitCurrentLevelCopy(LevelSet *set);
bool LevelSetGoToNextLevel(LevelSet *set, bool wrap);
bool LevelSetGoToPreviousLevel(LevelSet *set, bool wrap);
void LevelSetInsertLevel(LevelSet *set, int32_t index);
// Null when the set already holds the most levels a file can count.
Level *LevelSetAppendLevel(LevelSet *set);
void LevelSetDeleteLevel(LevelSet *set, int32_t index);
Vector LevelSetGetCurrentLevelPlayerStartPos(const LevelSet *set);
Vector LevelSetGetCurrentLevelPlayerFacingVector(const LevelSet *set);

// Dirty state.  The application installs an observer that enables the Save
// and Revert commands and sets the window's modified mark.
void LevelSetMakeDirty(LevelSet *set);
void LevelSetMakeClean(LevelSet *set);
bool LevelSetIsDirty(const LevelSet *set);
typedef void (*LevelSetDirtyObserver)(bool dirty);
void LevelSetSetDirtyObserver(LevelSetDirtyObserver observer);

// The file's name, or "Brimhold level set" without a file.
std::string LevelSetGetLevelSetName(const LevelSet *set);

bool LevelSetGetStandardLevelsFolder(std::filesystem::path *folder);
bool LevelSetGetUserLevelsFolder(std::filesystem::path *folder);
bool LevelSetGetDownloadedLevelsFolder(std::filesystem::path *folder);
bool LevelSetValidateFile(const std::filesystem::path &file);
// Valid level-set files: standard, then downloaded, then user sets.
std::vector<std::filesystem::path> LevelSetGetAllLevelSets();

bool LevelSetInitWithFile(LevelSet *set, const std::filesystem::path &file);
// Loads a whole file held in memory into an empty set.
bool LevelSetInitWithData(LevelSet *set, const uint8_t *data, int32_t size);
bool LevelSetReInitWithFile(LevelSet *set, const std::filesystem::path &file);
void LevelSetRevert(LevelSet *set);
void LevelSetLoadDefaultFile(LevelSet *set);
// The bytes of the set's file; false when a level record cannot be written.
bool LevelSetWriteToBuffer(LevelSet *set, std::vector<uint8_t> *bytes);
bool LevelSetSaveToFile(LevelSet *set, const std::filesystem::path &folder, const std::string &name);
