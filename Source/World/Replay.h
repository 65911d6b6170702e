// A replay: the game's input events, each tagged with the simulation step
// before which it happens.  Played back through the game mode it reproduces a
// play exactly, because one game step depends only on the state and the input
// of that step.
//
// Text form, one item a line ('#' starts a comment, blank lines are skipped):
//   Brimhold replay 1
//   set <name of the level set, rest of the line>
//   level <index of the first level played>
//   seed <random seed at the start>
//   <step> down <character code>
//   <step> up <character code>
//   <step> modifiers <modifier word>
//   end <step at which the recording stopped>
// Steps never decrease from one event to the next.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum ReplayEventKind : int32_t { kReplayKeyDown = 1, kReplayKeyUp = 2, kReplayModifiers = 3 };

struct ReplayEvent {
    int64_t step;
    int32_t kind;
    int32_t value; // character code, or the modifier word
};

struct Replay {
    std::string setName;
    int32_t levelIndex;
    int32_t seed;
    int64_t endStep;
    std::vector<ReplayEvent> events;
};

Replay *ReplayAllocate();
void ReplayDispose(Replay *replay);
// Appends an event; false when step is before the last event's.
bool ReplayRecordEvent(Replay *replay, int64_t step, int32_t kind, int32_t value);
// Parses the text form into replay.  On failure replay is unchanged and
// error names the offending line ("Replay line 7: ...").
bool ReplayLoadFromText(Replay *replay, const std::string &text, std::string *error);
bool ReplayLoadFromFile(Replay *replay, const std::string &path, std::string *error);
std::string ReplaySaveToText(const Replay *replay);
bool ReplaySaveToFile(const Replay *replay, const std::string &path);
