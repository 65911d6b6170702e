// The level editor mode: a block cursor moves through the current level of
// the application's level set; space places boxes of the palette's block type
// (or clears them), toggles powerups or sets the player's start; the level can
// be resized, levels added, inserted and deleted, the current level
// test-played in the game mode, and sets created, opened, saved and reverted.
#pragma once

#include "FrameDemand.h"
#include "Vector.h"

#include "Events.h"
#include "Types.h"
#include "Vector.h"

#include <cstdint>
#include <string>

struct LevelSet;
struct CameraController;
struct Player;
struct ToolPalette;
struct StaticModel;
struct Block;
struct EditHistory;
struct EditSelection;
struct LevelCheckPanel;

struct LevelEditor {
    LevelSet *levelSet;                 // the application's current set
    CameraController *cameraController; // free orbit (mode 2)
    Player *player;                     // shows the start position and facing
    ToolPalette *palette;
    int32_t cursor[3];                  // cell x, y, z, always inside the level
    int32_t anchor[3];                  // where the current placement started
    uint8_t placing;
    uint8_t orienting;
    float blinkPhase;                   // 0 to 2
    double lastTime, leftoverTime;
    uint8_t placeType;                  // 0 clears cells
    void *placeData;                    // owned per-type data (ladder), or null
    StaticModel *cursorModel;           // 'BlkC', or null
    int32_t suspendCount;
    bool frozen;
    PlatformTimerRef timer;
    PlatformEventHandlerRef eventHandler;
    int32_t frozenLevelIndex;           // the edited level while a test play runs
    EditHistory *history;               // the steps that undo and redo
    EditSelection *selection;           // the box selection
    PlatformEventHandlerRef gestureHandler; // mouse presses end a slider drag's step
    bool keepRecovery;                  // the recovery file outlives the set given up
    double autosaveDue;                 // when the recovery file is written next, 0 when current
    LevelCheckPanel *checkPanel;        // the level check's findings
    // Drawing on demand: the editor draws while something moves, and for a
    // few seconds after any event (the cursor blinks then); afterwards the
    // cursor stands still and nothing is drawn until the next event.
    FrameDemand demand;
    uint64_t activityEvents;            // the platform's event count last seen
    double activityTime;                // when that count last changed
    Vector drawnCameraPosition, drawnCameraForward;
};

// How long after the last event the editor keeps drawing and blinking.
constexpr double kLevelEditorActiveSeconds = 3.0;

// Cursor move codes.
enum : int {
    CursorMoveMinusX = 0,
    CursorMovePlusX = 1,
    CursorMoveMinusY = 2,
    CursorMovePlusY = 3,
    CursorMoveMinusZ = 4,
    CursorMovePlusZ = 5,
};

// Mode operations.
LevelEditor *LevelEditorAllocate();
void LevelEditorInit(LevelEditor *editor);
void LevelEditorStart(LevelEditor *editor);
bool LevelEditorStop(LevelEditor *editor); // false: the editor stays
void LevelEditorFreeze(LevelEditor *editor);
void LevelEditorDefrost(LevelEditor *editor);
void LevelEditorSuspend(LevelEditor *editor);
void LevelEditorResume(LevelEditor *editor);
void LevelEditorDispose(LevelEditor *editor);
void LevelEditorDraw(LevelEditor *editor);
// Registers kind 3 with the application controller.
void LevelEditorRegisterMode();

// Editing.
void LevelEditorMoveBlockCursor(LevelEditor *editor, int code);
void LevelEditorConstrainBlockCursorToLevelBounds(LevelEditor *editor);
void LevelEditorStartPlacingBlocks(LevelEditor *editor);
void LevelEditorCommitBlocksBeingPlaced(LevelEditor *editor);
void LevelEditorChangeLevelSize(LevelEditor *editor, int dx, int dy, int dz);
void LevelEditorUpdatePlayerPos(LevelEditor *editor);
void LevelEditorUpdateToolPalette(LevelEditor *editor);
// The cursor move code that a key's code becomes with the camera looking
// along forward: horizontal moves follow the view, 2 and 3 are unchanged.
int LevelEditorTurnCursorMove(Vector forward, int code);
// The edited set's name, as dialogs and the window title show it.
std::string LevelEditorSetName(const LevelEditor *editor);

// File commands.
void LevelEditorCreateNewLevelSet(LevelEditor *editor);
void LevelEditorOpenLevelSet(LevelEditor *editor);
// True when the set was written (false on cancel or failure).
bool LevelEditorSaveLevelSet(LevelEditor *editor, bool saveAs);
void LevelEditorRevertLevelSet(LevelEditor *editor);

// Called by the tool palette.
float LevelEditorGetMaxWaterLevel(LevelEditor *editor);
float LevelEditorGetCurrentWaterLevel(LevelEditor *editor);
float LevelEditorGetCurrentWaterSpeed(LevelEditor *editor);
void LevelEditorSetWaterLevel(LevelEditor *editor, float level);
void LevelEditorSetWaterSpeed(LevelEditor *editor, float speed);
void LevelEditorNewToolSelected(LevelEditor *editor, int oldTool, int newTool);

// Records the set's change since the last step as one undoable step named
// label ("Set Level Options"); nothing when the set is unchanged.  Call it
// after every change to the set made outside the editor's own commands.
void LevelEditorRecordEdit(LevelEditor *editor, const char *label);
// The same for a change that may be one of a run (the values of a slider
// drag): the run becomes one step, ended by a mouse press or release, a key
// or any other step.
void LevelEditorRecordEditRun(LevelEditor *editor, const char *label);
