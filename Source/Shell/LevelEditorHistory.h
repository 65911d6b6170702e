// The level editor's Edit menu and what keeps its work safe: undo and redo
// of every change to the set, the box selection with the clipboard, and the
// recovery file written a few seconds after each change.  The editor calls
// these from its own operations.
#pragma once

#include "Events.h"
#include "Types.h"

struct LevelEditor;

// How long after a change the recovery file is written.
constexpr double kLevelEditorAutosaveDelay = 5.0;

// Start and stop follow the editor's; dispose releases what start made.
void LevelEditorHistoryStart(LevelEditor *editor);
void LevelEditorHistoryStop(LevelEditor *editor);
void LevelEditorHistoryDispose(LevelEditor *editor);
// Before and after a test play: changes not yet recorded are recorded and
// written to the recovery file; afterwards the menu is shown again.
void LevelEditorHistoryFreeze(LevelEditor *editor);
void LevelEditorHistoryDefrost(LevelEditor *editor);
// Another set (new, opened, reverted): the steps are forgotten.
void LevelEditorHistoryReset(LevelEditor *editor);
// The set was saved: its state is the clean one and the recovery file goes.
void LevelEditorHistorySaved(LevelEditor *editor);
// The set is given up without saving its changes: the recovery file goes.
void LevelEditorHistoryDiscarded(LevelEditor *editor);
// Writes the recovery file now and keeps it when the set is given up
// (nobody could be asked whether to save it).
void LevelEditorHistoryKeepForRecovery(LevelEditor *editor);

// What a space press did, for the step's name: placing or clearing blocks,
// toggling a powerup, setting the player's start.  Asked before the
// placement is committed.
const char *LevelEditorPlacementLabel(const LevelEditor *editor);

// Undo, Redo, Cut, Copy, Paste, Clear and Select All; false for others.
bool LevelEditorHandleEditCommand(LevelEditor *editor, FourCharCode command);
// Shift with a cursor key (or q, z) spans the selection, Escape drops it;
// true when the key was taken.
bool LevelEditorHandleSelectionKey(LevelEditor *editor, const PlatformEvent *event);
// Enables Undo and Redo and names their steps; the selection commands
// follow the selection and the clipboard.
void LevelEditorShowEditMenu(LevelEditor *editor);
void LevelEditorDrawSelection(LevelEditor *editor);
// Every editor tick: writes the recovery file once its time has come.
void LevelEditorHistoryTick(LevelEditor *editor);
bool LevelEditorUndo(LevelEditor *editor);
bool LevelEditorRedo(LevelEditor *editor);
