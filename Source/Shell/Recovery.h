// The recovery file: the set being edited, written in the level-set format
// to the per-user state folder a few seconds after each change, so that a
// crash or a kill loses nothing.  Beside it a small file names the set's
// own file.  At start a recovery file left behind is offered back.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

struct Controller;
struct LevelSet;

// $XDG_STATE_HOME/Brimhold/Recovery (not created here).
std::filesystem::path RecoveryFolder();
std::filesystem::path RecoveryFile();
bool RecoveryExists();
// Writes the set's bytes, with the set's own file (or none), each file
// atomically: a failure (a full disk) leaves the previous recovery intact.
bool RecoveryWrite(const std::vector<uint8_t> &bytes, const std::filesystem::path *originalFile);
void RecoveryRemove();
// Reads the recovery file into the set, which keeps its own contents when
// that fails.  The set gets the original file's name and folder (none for
// an untitled set) and is marked unsaved.  A file that cannot be read is
// reported, and kept aside with ".damaged" added to its name.
bool RecoveryRestore(LevelSet *set);
// At start: when a recovery file exists, asks whether to restore it; on
// Restore the application's set becomes it and the level editor opens on it,
// on Discard the file is removed.  True when it was restored.
bool RecoveryOfferAtStart(Controller *controller);
