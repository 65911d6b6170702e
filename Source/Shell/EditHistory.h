// The edit history of a level set: the set's state after every step, as the
// bytes of its file, with the name of the step that led there.  Undo and
// redo put an earlier or later state back into the set.  States share the
// bytes of levels that a step left unchanged, and the oldest steps are
// dropped when the history holds more than its limit of bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct LevelSet;

constexpr size_t kEditHistoryDefaultLimit = size_t(64) << 20;

struct EditHistoryState {
    // The file's header, then each level's record (with its length), shared
    // between states where they are equal.
    std::vector<std::shared_ptr<const std::vector<uint8_t>>> pieces;
    int32_t levelIndex; // the current level when the state was recorded
    std::string label;  // the step that led to this state ("" for the first)
};

struct EditHistory {
    std::vector<EditHistoryState> states; // oldest first
    int32_t position;                     // the state the set is in
    int32_t cleanPosition;                // the saved state, or -1 when unknown or dropped
    bool gestureOpen;                     // the last step may still grow (a slider drag)
    size_t bytes;                         // held by all states together
    size_t limit;
};

EditHistory *EditHistoryAllocate();
void EditHistoryDispose(EditHistory *history);
// Forgets every step: the set as it is now becomes the only state, saved
// when the set is not dirty.
void EditHistoryReset(EditHistory *history, LevelSet *set);
// Records the set as it is now as one step named label ("Place Blocks"),
// unless it is unchanged.  Steps that could be redone are dropped.  True
// when a step was added.
bool EditHistoryRecord(EditHistory *history, LevelSet *set, const char *label);
// The same, but a run of changes with the same label (the values of one
// slider drag, say) becomes one step until EditHistoryEndGesture.  A run
// that ends where it began leaves no step.
bool EditHistoryRecordMerging(EditHistory *history, LevelSet *set, const char *label);
void EditHistoryEndGesture(EditHistory *history);

bool EditHistoryCanUndo(const EditHistory *history);
bool EditHistoryCanRedo(const EditHistory *history);
// The name of the step that undo or redo would take back or do again, or "".
std::string EditHistoryUndoLabel(const EditHistory *history);
std::string EditHistoryRedoLabel(const EditHistory *history);
// Puts the previous or next state into the set, makes the level where the
// step was made current, and marks the set clean exactly when it is back in
// its saved state.  False when there is nothing to do or the state cannot
// be read back (the set is then unchanged).
bool EditHistoryUndo(EditHistory *history, LevelSet *set);
bool EditHistoryRedo(EditHistory *history, LevelSet *set);

// The set was saved in its current state.
void EditHistoryMarkClean(EditHistory *history);
bool EditHistoryIsClean(const EditHistory *history);
int32_t EditHistoryStepCount(const EditHistory *history); // steps that can be undone
void EditHistorySetLimit(EditHistory *history, size_t bytes);
