#include "EditHistory.h"

#include "ByteBuffer.h"
#include "Level.h"
#include "LevelSet.h"

#include <algorithm>

namespace {

using Piece = std::shared_ptr<const std::vector<uint8_t>>;

// Magic, reserved bytes and the level count.
constexpr size_t kHeaderLength = 8 + 64 + 2;

// Cuts the set's file into its header and one piece per level record, taking
// over the pieces of `previous` that are equal (a level the step did not
// touch, also when levels before it were inserted or deleted).
bool CaptureState(LevelSet *set, const EditHistoryState *previous, EditHistoryState *out)
{
    std::vector<uint8_t> bytes;
    if (!LevelSetWriteToBuffer(set, &bytes) || bytes.size() < kHeaderLength)
        return false;
    std::vector<std::vector<uint8_t>> pieces;
    pieces.emplace_back(bytes.begin(), bytes.begin() + kHeaderLength);
    int32_t position = int32_t(kHeaderLength), size = int32_t(bytes.size());
    while (position < size) {
        int32_t start = position, length = 0;
        if (!ReadInt32(bytes.data(), size, &position, &length) || length < 0 || length > size - position)
            return false;
        position += length;
        pieces.emplace_back(bytes.begin() + start, bytes.begin() + position);
    }
    out->pieces.clear();
    out->levelIndex = LevelSetGetCurrentLevelIndex(set);
    for (size_t i = 0; i < pieces.size(); i++) {
        Piece shared;
        if (previous) {
            const auto &old = previous->pieces;
            for (size_t j : {i, i - 1, i + 1}) {
                if (j < old.size() && *old[j] == pieces[i]) {
                    shared = old[j];
                    break;
                }
            }
        }
        if (!shared)
            shared = std::make_shared<const std::vector<uint8_t>>(std::move(pieces[i]));
        out->pieces.push_back(shared);
    }
    return true;
}

bool SameState(const EditHistoryState &a, const EditHistoryState &b)
{
    if (a.pieces.size() != b.pieces.size())
        return false;
    for (size_t i = 0; i < a.pieces.size(); i++)
        if (a.pieces[i] != b.pieces[i] && *a.pieces[i] != *b.pieces[i])
            return false;
    return true;
}

std::vector<uint8_t> Assemble(const EditHistoryState &state)
{
    std::vector<uint8_t> bytes;
    for (const Piece &piece : state.pieces)
        bytes.insert(bytes.end(), piece->begin(), piece->end());
    return bytes;
}

// Bytes that the state holds alone (pieces no other state shares).
size_t OwnBytes(const EditHistoryState &state)
{
    size_t own = 0;
    for (const Piece &piece : state.pieces)
        if (piece.use_count() == 1)
            own += piece->size();
    return own;
}

// Adds a state, counting the bytes of the pieces it brought new.
void Push(EditHistory *history, EditHistoryState &&state)
{
    history->states.push_back(std::move(state));
    history->bytes += OwnBytes(history->states.back());
}

void PopBack(EditHistory *history)
{
    history->bytes -= OwnBytes(history->states.back());
    history->states.pop_back();
}

// Drops the steps that could be redone.
void DropRedo(EditHistory *history)
{
    while (int32_t(history->states.size()) > history->position + 1)
        PopBack(history);
    if (history->cleanPosition > history->position)
        history->cleanPosition = -1;
}

// Drops the oldest states while the history is over its limit, never the
// one the set is in.
void Trim(EditHistory *history)
{
    while (history->bytes > history->limit && history->position > 0) {
        history->bytes -= OwnBytes(history->states.front());
        history->states.erase(history->states.begin());
        history->position--;
        if (history->cleanPosition >= 0)
            history->cleanPosition--;
    }
}

// Puts a state into the set; the set keeps its file.
bool Restore(LevelSet *set, const EditHistoryState &state, int32_t levelIndex)
{
    std::vector<uint8_t> bytes = Assemble(state);
    LevelSet *fresh = LevelSetAllocate();
    if (!LevelSetInitWithData(fresh, bytes.data(), int32_t(bytes.size()))) {
        LevelSetDispose(fresh);
        return false;
    }
    for (Level *level : set->levels)
        LevelDispose(level);
    LevelDispose(set->currentLevelCopy);
    set->levels = std::move(fresh->levels);
    set->levelCount = fresh->levelCount;
    set->currentLevelCopy = nullptr;
    set->currentLevelIndex = -1;
    fresh->levels.clear();
    fresh->levelCount = 0;
    LevelSetDispose(fresh);
    LevelSetSetCurrentLevel(set, std::clamp(levelIndex, 0, int32_t(set->levelCount) - 1));
    return true;
}

void ShowCleanState(EditHistory *history, LevelSet *set)
{
    if (EditHistoryIsClean(history))
        LevelSetMakeClean(set);
    else
        LevelSetMakeDirty(set);
}

bool RecordState(EditHistory *history, LevelSet *set, const char *label, bool merging)
{
    if (history->states.empty())
        EditHistoryReset(history, set);
    const EditHistoryState &current = history->states[size_t(history->position)];
    bool grow = merging && history->gestureOpen && history->position > 0 &&
                int32_t(history->states.size()) == history->position + 1 && current.label == label;
    // A growing step shares only with the state before it, which stays: the
    // step's own pieces go with it.
    EditHistoryState state;
    if (!CaptureState(set, grow ? &history->states[size_t(history->position) - 1] : &current, &state))
        return false;
    state.label = label;
    if (grow) {
        // The run goes on: its step now ends here, or vanishes when the run
        // came back to where it began.
        const EditHistoryState &before = history->states[size_t(history->position) - 1];
        if (history->cleanPosition == history->position)
            history->cleanPosition = -1;
        PopBack(history);
        history->position--;
        if (SameState(state, before)) {
            history->gestureOpen = false;
            return false;
        }
        Push(history, std::move(state));
        history->position++;
        Trim(history);
        return true;
    }
    history->gestureOpen = merging;
    if (SameState(state, current))
        return false;
    DropRedo(history);
    Push(history, std::move(state));
    history->position++;
    Trim(history);
    return true;
}

} // namespace

EditHistory *EditHistoryAllocate()
{
    EditHistory *history = new EditHistory{};
    history->cleanPosition = -1;
    history->limit = kEditHistoryDefaultLimit;
    return history;
}

void EditHistoryDispose(EditHistory *history)
{
    delete history;
}

void EditHistoryReset(EditHistory *history, LevelSet *set)
{
    history->states.clear();
    history->bytes = 0;
    history->position = 0;
    history->gestureOpen = false;
    EditHistoryState state;
    if (!CaptureState(set, nullptr, &state)) {
        state.pieces.clear();
        state.levelIndex = LevelSetGetCurrentLevelIndex(set);
    }
    Push(history, std::move(state));
    history->cleanPosition = LevelSetIsDirty(set) ? -1 : 0;
}

bool EditHistoryRecord(EditHistory *history, LevelSet *set, const char *label)
{
    return RecordState(history, set, label, false);
}

bool EditHistoryRecordMerging(EditHistory *history, LevelSet *set, const char *label)
{
    return RecordState(history, set, label, true);
}

void EditHistoryEndGesture(EditHistory *history)
{
    history->gestureOpen = false;
}

bool EditHistoryCanUndo(const EditHistory *history)
{
    return history->position > 0;
}

bool EditHistoryCanRedo(const EditHistory *history)
{
    return history->position + 1 < int32_t(history->states.size());
}

std::string EditHistoryUndoLabel(const EditHistory *history)
{
    return EditHistoryCanUndo(history) ? history->states[size_t(history->position)].label : std::string();
}

std::string EditHistoryRedoLabel(const EditHistory *history)
{
    return EditHistoryCanRedo(history) ? history->states[size_t(history->position) + 1].label : std::string();
}

bool EditHistoryUndo(EditHistory *history, LevelSet *set)
{
    if (!EditHistoryCanUndo(history))
        return false;
    history->gestureOpen = false;
    const EditHistoryState &step = history->states[size_t(history->position)];
    if (!Restore(set, history->states[size_t(history->position) - 1], step.levelIndex))
        return false;
    history->position--;
    ShowCleanState(history, set);
    return true;
}

bool EditHistoryRedo(EditHistory *history, LevelSet *set)
{
    if (!EditHistoryCanRedo(history))
        return false;
    history->gestureOpen = false;
    const EditHistoryState &next = history->states[size_t(history->position) + 1];
    if (!Restore(set, next, next.levelIndex))
        return false;
    history->position++;
    ShowCleanState(history, set);
    return true;
}

void EditHistoryMarkClean(EditHistory *history)
{
    history->cleanPosition = history->position;
}

bool EditHistoryIsClean(const EditHistory *history)
{
    return history->cleanPosition >= 0 && history->cleanPosition == history->position;
}

int32_t EditHistoryStepCount(const EditHistory *history)
{
    return history->position;
}

void EditHistorySetLimit(EditHistory *history, size_t bytes)
{
    history->limit = bytes;
    Trim(history);
}
