// High scores: the ten best final scores of each level set, with the date
// and the player's name.  A game that ends (game over, or the whole set
// completed) with a score that enters the list is entered under the
// account's full name, which the player may then edit.  The lists live in
// the progress file (Progress.h), keyed like the rest of a set's progress by
// the contents of the set's file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct LevelSet;

constexpr int32_t kHighScoresMax = 10;
// A name is kept to at most this many bytes.
constexpr size_t kHighScoresNameMax = 64;

struct HighScore {
    int32_t score;
    int64_t date; // seconds since 1970 (UTC)
    std::string name;
};

// Best first; at most kHighScoresMax entries.  Among equal scores the one
// entered first stays above.
struct HighScoreList {
    std::vector<HighScore> entries;
};

// The place (1 to 10) that a final score would take in the list, or 0 when
// it would not enter it: scores of 0 or less never do, nor a score that is
// not above the tenth of a full list.
int32_t HighScoresRank(const HighScoreList *list, int32_t score);
// Enters the score at its place, dropping the eleventh; returns the place
// (1 to 10) or 0 when it did not enter.
int32_t HighScoresInsert(HighScoreList *list, const HighScore &entry);

// The account's full name (the first field of its GECOS entry), else its
// login name, else "Player"; at most kHighScoresNameMax bytes.
std::string HighScoresDefaultName();

// The place that score would take in the current set's list (1 to 10), 0
// when it would not enter or the set's progress cannot be kept.
int32_t HighScoresRankInCurrentSet(int32_t score);
// The place the last game that ended took in its set's list (1 to 10), or
// 0 when it did not enter one (or no game has ended yet).  Valid from the
// moment the game mode has stopped.
int32_t HighScoresGetLastRank();

// Enters a finished game's score into the list of set (under the default
// name) and saves it.  Returns the place, 0 when it did not enter.
int32_t HighScoresRecordGame(const LevelSet *set, int32_t score);
// After the game mode has gone: asks for the name of the score the last
// game entered, the default name filled in.
void HighScoresAskNameSoon();
// Replaces the name of the entry at place (1 to 10) of set's list and saves.
bool HighScoresRename(const LevelSet *set, int32_t place, const std::string &name);
// Removes every entry of set's list and saves.
void HighScoresClear(const LevelSet *set);
// A copy of set's list (empty when it has none).
HighScoreList HighScoresGetList(const LevelSet *set);

// The lines that show a list: "1. Name  1234  2026-12-07" per entry, or
// "No high scores yet." for an empty list.
std::vector<std::string> HighScoresDescribe(const HighScoreList *list);

// The Game menu's commands for the current set: show the list; ask, then
// clear it.
void HighScoresShowCommand();
void HighScoresClearCommand();
