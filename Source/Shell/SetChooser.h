// The set chooser, opened by the title screen's "New game": every level set
// of the standard, "User levels" and "Downloaded levels" folders with its
// folder, number of levels, levels completed and best score.  A set whose
// file cannot be loaded is shown as damaged and cannot be chosen.  Choosing
// a set makes it the current set and starts the game at its first level, or
// ("Start at level") at any level already reached, from where the best run
// of a completed level can also be watched.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct SetChooserEntry {
    std::filesystem::path file;
    std::string name;   // the file's name
    std::string folder; // "Standard levels", "User levels", "Downloaded levels" or the folder's name
    int32_t levels;     // 0 when the set is damaged
    int32_t completed;  // levels completed at least once
    int32_t bestScore;  // 0 without a high score
    int32_t reached;    // 0-based index of the furthest level started
};

// The level sets of the folders, folder by folder in the order given, each
// folder's sorted by name ("Set 2" before "Set 10").  Files that do not
// start as level sets are left out; those that start as one but cannot be
// loaded are listed with 0 levels.  Progress comes from the user's store.
std::vector<SetChooserEntry> SetChooserListSets(const std::vector<std::filesystem::path> &folders);
// The standard, "User levels" and "Downloaded levels" folders, in that order.
std::vector<SetChooserEntry> SetChooserListAllSets();
// The entry of the set played last (by path), else the first that can be
// chosen; -1 when none can.
int32_t SetChooserFirstSelection(const std::vector<SetChooserEntry> &entries, const std::string &lastPlayed);
// One row of the list: name, folder, "12 levels" or "damaged", "3 completed",
// "best 1234" (empty without a score).
std::vector<std::string> SetChooserDescribe(const SetChooserEntry &entry);

// Runs the chooser; on a choice the set becomes current and the game (or a
// best run) starts.  True when a game was started.
bool SetChooserRun();
// Runs the chooser once the current event has been handled (the title
// screen's button).
void SetChooserRunSoon();
