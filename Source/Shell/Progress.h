// A player's progress through the level sets: for each set, keyed by a hash
// of its file's bytes (so a changed set starts afresh), the highest level
// reached, each level's best points and fastest completion with the replay
// of that completion, and the set's high scores.  Everything is kept in one
// small versioned file, "Progress" in the user's data folder, written
// through a temporary file that replaces the old one only when complete.
//
// A missing file is empty progress.  A damaged one is reported once, kept
// aside as "Progress.damaged", and play goes on with empty progress.
//
// File layout (big-endian): "BRMHProg", uint16 version (1), the last played
// set's path (uint16 length + bytes), uint32 set count, and per set: uint64
// key, name (uint16 length + bytes), int32 highest level reached (0-based),
// uint32 level count, per level int32 best points (-1: never completed),
// int64 fastest completion in steps (0: none), the replay's text (uint32
// length + bytes); then uint8 high-score count (at most 10) and per score
// int32 score, int64 date, name (uint16 length + bytes).
#pragma once

#include "HighScores.h"

#include <cstdint>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

struct GameController;
struct LevelSet;
struct Replay;

constexpr uint16_t kProgressVersion = 1;

struct ProgressLevel {
    int32_t bestPoints = -1;  // -1: never completed
    int64_t fastestSteps = 0; // simulation steps of 1/120 s; 0: none
    std::string replay;       // text of the fastest completion's replay, or empty
};

struct ProgressSet {
    uint64_t key = 0;
    std::string name;
    int32_t highestReached = 0; // 0-based index of the furthest level started
    std::vector<ProgressLevel> levels;
    HighScoreList scores;
};

struct ProgressStore {
    std::string lastPlayed; // path of the set played last
    std::deque<ProgressSet> sets; // records stay where they are as others are added
};

// The key of a set's contents: 64-bit FNV-1a of the file's bytes.
uint64_t ProgressKeyOfBytes(const uint8_t *data, size_t size);
// False when the file cannot be read.
bool ProgressKeyOfFile(const std::filesystem::path &file, uint64_t *key);

// Reads a whole file's bytes.  False (and store emptied) when they are not a
// sound progress file of this version.
bool ProgressReadFromBytes(ProgressStore *store, const uint8_t *data, size_t size);
std::vector<uint8_t> ProgressWriteToBytes(const ProgressStore *store);

ProgressSet *ProgressFindSet(ProgressStore *store, uint64_t key);
ProgressSet *ProgressFindOrAddSet(ProgressStore *store, uint64_t key, const std::string &name);
// Notes that level index was started; true when that is further than before.
bool ProgressNoteReached(ProgressSet *set, int32_t index);
// A completion of level index with points in steps; the best points and the
// fastest time (with its replay, when given) are kept.  Completing a level
// reaches the next one.  True when anything improved.
bool ProgressRecordLevel(ProgressSet *set, int32_t index, int32_t points, int64_t steps, const Replay *replay);
// Levels completed at least once.
int32_t ProgressCountCompleted(const ProgressSet *set);
// The best high score, 0 without one.
int32_t ProgressBestScore(const ProgressSet *set);

// ---- The user's store ------------------------------------------------------------

// "Progress" in $XDG_DATA_HOME/Brimhold.
std::filesystem::path ProgressGetFilePath();
// Turns keeping progress on (the program) and off, saving first.  Without
// it the game records nothing (tests that do not ask for it).
void ProgressStartUp();
void ProgressShutDown();
bool ProgressIsEnabled();
// The store, read from the file on first use.
ProgressStore *ProgressGetStore();
// Forgets the store read (the next use reads the file again).
void ProgressForget();
// Writes the store atomically; false (old file untouched) on failure.
bool ProgressSave();
// The record of the set's file (added when create), or null when the set
// has no file that can be read.
ProgressSet *ProgressForLevelSet(const LevelSet *set, bool create);
ProgressSet *ProgressForFile(const std::filesystem::path &file, bool create);

// ---- Hooks of the game mode ------------------------------------------------------

// The player was placed at the start of the current level: a new attempt.
void ProgressLevelStarted(GameController *game);
// The current level was completed.  True when the game must end here (a
// best run being watched is over; the exit is posted).
bool ProgressLevelCompleted(GameController *game);
// The game mode stops: a game that ended with game over or the set
// completed enters its score into the high scores.
void ProgressGameStopped(GameController *game);

// Plays the best run of level index of the current set through the game
// mode (pushed on the title screen).  False when there is none.
bool ProgressWatchBestRun(int32_t index);
