#include "LevelEditor.h"

#include "Backdrop.h"
#include "Bindings.h"
#include "Block.h"
#include "Camera.h"
#include "CameraController.h"
#include "Controller.h"
#include "Dialogs.h"
#include "GamepadEditor.h"
#include "Level.h"
#include "LevelCheckPanel.h"
#include "LevelChecks.h"
#include "LevelEditorHistory.h"
#include "LevelOptionsDialog.h"
#include "LevelSet.h"
#include "LinkLines.h"
#include "Model.h"
#include "ModeSupport.h"
#include "ModelParser.h"
#include "OpenGLWindow.h"
#include "Player.h"
#include "Powerup.h"
#include "Shader.h"
#include "TestStart.h"
#include "ToolPalette.h"
#include "Utilities.h"
#include "WaterController.h"
#include "Window.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int32_t kFirstPowerupType = 1024;
constexpr const char *kApplicationTitle = "Brimhold";

// The editor whose set the dirty observer reports on: there is at most one.
LevelEditor *observedEditor = nullptr;

Level *CurrentLevel(const LevelEditor *editor)
{
    return (editor && editor->levelSet) ? LevelSetGetCurrentLevelCopy(editor->levelSet) : nullptr;
}

Vector CellCentre(int32_t x, int32_t y, int32_t z)
{
    return VectorWithValues(CellSize * float(x) + 3.0f, CellSize * float(y) + 3.0f, CellSize * float(z) + 3.0f);
}

OpenGLWindow *MainWindow()
{
    return ControllerGetMainWindow(ControllerGetMainController());
}

// ---- Window title and menu items follow the set's dirty state ----------------------

void ShowDirtyState(LevelEditor *editor)
{
    bool dirty = editor->levelSet && LevelSetIsDirty(editor->levelSet);
    if (!editor->frozen) {
        Controller *controller = ControllerGetMainController();
        if (dirty)
            ControllerEnableMenuItems(controller, FourCharCode('save'), FourCharCode('rvrt'), FourCharCode(0));
        else
            ControllerDisableMenuItems(controller, FourCharCode('save'), FourCharCode('rvrt'), FourCharCode(0));
    }
    OpenGLWindow *window = MainWindow();
    if (window && editor->levelSet) {
        std::string title = (dirty ? "*" : "") + LevelSetGetLevelSetName(editor->levelSet);
        PlatformWindowSetTitle(window->window, title.c_str());
    }
}

void DirtyChanged(bool)
{
    if (observedEditor)
        ShowDirtyState(observedEditor);
}

// ---- Full screen and suspension around every dialog -----------------------------------

// Leaves full screen (returning whether it did) and suspends the editor.
bool BeginDialog(LevelEditor *editor)
{
    bool leftFullScreen = false;
    OpenGLWindow *window = MainWindow();
    if (window && OpenGLWindowIsFullScreen(window)) {
        OpenGLWindowSetWindowed(window);
        leftFullScreen = true;
    }
    LevelEditorSuspend(editor);
    return leftFullScreen;
}

void EndDialog(LevelEditor *editor, bool leftFullScreen)
{
    LevelEditorResume(editor);
    OpenGLWindow *window = MainWindow();
    if (leftFullScreen && window && !OpenGLWindowIsFullScreen(window))
        OpenGLWindowSetFullScreen(window);
}

// 1 save, 0 cancel, anything else do not save.
int AskToSaveChanges(LevelEditor *editor, bool quitting)
{
    bool leftFullScreen = BeginDialog(editor);
    int answer = displayAskSaveChangesDialog(LevelEditorSetName(editor), quitting);
    EndDialog(editor, leftFullScreen);
    return answer;
}

// Whether the set may be given up: clean, or the user saved it or chose not
// to.  A save that is cancelled or fails keeps the set, so nothing is lost.
bool MaySetBeGivenUp(LevelEditor *editor, bool quitting)
{
    if (!LevelSetIsDirty(editor->levelSet))
        return true;
    int answer = AskToSaveChanges(editor, quitting);
    if (answer == 0)
        return false;
    // Nobody could be asked: the set is given up, but its changes stay in
    // the recovery file and are offered back at the next start.
    if (answer == kDialogNotShown)
        LevelEditorHistoryKeepForRecovery(editor);
    if (answer == 1)
        return LevelEditorSaveLevelSet(editor, false);
    return true;
}

// ---- Placement ---------------------------------------------------------------------------

void ReleasePlaceData(LevelEditor *editor)
{
    delete static_cast<LadderData *>(editor->placeData);
    editor->placeData = nullptr;
}

void CancelPlacement(LevelEditor *editor)
{
    ReleasePlaceData(editor);
    editor->placing = 0;
    editor->orienting = 0;
}

// The placement box, clamped to the level (the level may have shrunk while
// space was held).
CellRange PlacementBox(const LevelEditor *editor, const Level *level)
{
    auto span = [](int32_t a, int32_t b, int32_t size, int32_t *first, int32_t *last) {
        *first = std::clamp(std::min(a, b), 0, size - 1);
        *last = std::clamp(std::max(a, b), 0, size - 1);
    };
    CellRange box{};
    span(editor->anchor[0], editor->cursor[0], level->sizeX, &box.firstX, &box.lastX);
    span(editor->anchor[1], editor->cursor[1], level->sizeY, &box.firstY, &box.lastY);
    span(editor->anchor[2], editor->cursor[2], level->sizeZ, &box.firstZ, &box.lastZ);
    return box;
}

bool InBox(const CellRange &box, int32_t x, int32_t y, int32_t z)
{
    return x >= box.firstX && x <= box.lastX && y >= box.firstY && y <= box.lastY && z >= box.firstZ &&
           z <= box.lastZ;
}

// The palette holds a pointer into the level's block array: before blocks
// are added or removed, or the level copy is replaced, it lets go of it
// (under the inspector while the block is still there, so that its fields
// are hidden).
void DetachInspector(LevelEditor *editor)
{
    if (ToolPaletteGetTool(editor->palette) == ToolInspector)
        ToolPaletteInspectBlock(editor->palette, nullptr);
    else
        editor->palette->inspectedBlock = nullptr;
}

void InspectCursorCell(LevelEditor *editor)
{
    Level *level = CurrentLevel(editor);
    if (!level || ToolPaletteGetTool(editor->palette) != ToolInspector)
        return;
    ToolPaletteInspectBlock(editor->palette,
                            LevelGetBlockAtPos(level, editor->cursor[0], editor->cursor[1], editor->cursor[2], 0));
}

void SetCursorToStart(LevelEditor *editor)
{
    Level *level = CurrentLevel(editor);
    if (!level)
        return;
    editor->cursor[0] = level->playerStartX;
    editor->cursor[1] = level->playerStartY;
    editor->cursor[2] = level->playerStartZ;
    LevelEditorConstrainBlockCursorToLevelBounds(editor);
}

// After another level became current: player and cursor to its start, the
// set marked dirty, the palette's water fields renewed.
void LevelChangedTail(LevelEditor *editor)
{
    LevelCheckPanelHide(editor->checkPanel);
    CancelPlacement(editor);
    LevelEditorUpdatePlayerPos(editor);
    SetCursorToStart(editor);
    InspectCursorCell(editor);
    LevelSetMakeDirty(editor->levelSet);
    LevelEditorUpdateToolPalette(editor);
}

// After the whole set was replaced or reverted.
void SetReplacedTail(LevelEditor *editor)
{
    LevelCheckPanelHide(editor->checkPanel);
    CancelPlacement(editor);
    LevelEditorConstrainBlockCursorToLevelBounds(editor);
    InspectCursorCell(editor);
    LevelEditorUpdatePlayerPos(editor);
    LevelEditorUpdateToolPalette(editor);
    ShowDirtyState(editor);
}

void GoToLevel(LevelEditor *editor, bool next)
{
    DetachInspector(editor);
    LevelSetCommitCurrentLevelCopy(editor->levelSet);
    if (next)
        LevelSetGoToNextLevel(editor->levelSet, true);
    else
        LevelSetGoToPreviousLevel(editor->levelSet, true);
    LevelCheckPanelHide(editor->checkPanel);
    CancelPlacement(editor);
    LevelEditorUpdatePlayerPos(editor);
    SetCursorToStart(editor);
    InspectCursorCell(editor);
    LevelEditorUpdateToolPalette(editor);
}

void NewLevel(LevelEditor *editor, bool insert)
{
    LevelSet *set = editor->levelSet;
    if (set->levelCount >= kLevelSetMaxLevels) {
        PlatformBeep();
        return;
    }
    DetachInspector(editor);
    LevelSetCommitCurrentLevelCopy(set);
    int32_t index = insert ? std::max(0, set->currentLevelIndex) : set->levelCount;
    if (insert)
        LevelSetInsertLevel(set, index);
    else
        LevelSetAppendLevel(set);
    LevelSetSetCurrentLevel(set, index);
    LevelChangedTail(editor);
    LevelEditorRecordEdit(editor, insert ? "Insert Level" : "New Level");
}

void DeleteLevel(LevelEditor *editor)
{
    LevelSet *set = editor->levelSet;
    if (set->levelCount <= 1)
        return;
    int32_t index = set->currentLevelIndex;
    DetachInspector(editor);
    LevelSetDeleteLevel(set, index);
    // The level that took the deleted one's place, or the one before it when
    // the last level was deleted.
    LevelSetSetCurrentLevel(set, std::min(index, int32_t(set->levelCount) - 1));
    LevelChangedTail(editor);
    LevelEditorRecordEdit(editor, "Delete Level");
}

// Runs the level checks and lists what they find; with listAlways false an
// empty result shows nothing.  Never stops what comes next.
void CheckLevel(LevelEditor *editor, bool listAlways)
{
    std::vector<LevelFinding> findings = LevelChecksRun(CurrentLevel(editor));
    if (listAlways || !findings.empty())
        LevelCheckPanelShow(editor->checkPanel, findings);
}

void GoToFinding(void *context, const int32_t cell[3])
{
    LevelEditor *editor = static_cast<LevelEditor *>(context);
    for (int axis = 0; axis < 3; axis++)
        editor->cursor[axis] = cell[axis];
    LevelEditorConstrainBlockCursorToLevelBounds(editor);
    InspectCursorCell(editor);
}

void TestPlay(LevelEditor *editor)
{
    Controller *controller = ControllerGetMainController();
    if (!controller)
        return;
    CheckLevel(editor, false);
    ControllerSetStartingLevel(controller, LevelSetGetCurrentLevelIndex(editor->levelSet));
    ControllerPushMode(controller, ModeGame);
}

// Test play with the player at the cursor's cell; the level's start stays.
void TestPlayFromCursor(LevelEditor *editor)
{
    TestStartSet(editor->levelSet, LevelSetGetCurrentLevelIndex(editor->levelSet), editor->cursor[0],
                 editor->cursor[1], editor->cursor[2]);
    TestPlay(editor);
    Controller *controller = ControllerGetMainController();
    if (!controller || !ControllerHasModeInStack(controller, ModeGame))
        TestStartClear();
}

// The level options as one change of the level, then one notification.
void ApplyLevelOptions(LevelEditor *editor, const LevelOptions &options)
{
    Level *level = CurrentLevel(editor);
    if (!level)
        return;
    DetachInspector(editor);
    CancelPlacement(editor);
    bool applied = LevelOptionsApply(level, options);
    LevelEditorUpdateToolPalette(editor);
    LevelEditorConstrainBlockCursorToLevelBounds(editor);
    InspectCursorCell(editor);
    LevelEditorUpdatePlayerPos(editor);
    if (applied) {
        LevelSetMakeDirty(editor->levelSet);
        LevelEditorRecordEdit(editor, "Set Level Options");
    }
}

void SetLevelOptions(LevelEditor *editor)
{
    Level *level = CurrentLevel(editor);
    if (!level)
        return;
    LevelOptions options{};
    bool leftFullScreen = BeginDialog(editor);
    bool accepted = LevelOptionsDialogRun(level, &options);
    EndDialog(editor, leftFullScreen);
    if (accepted)
        ApplyLevelOptions(editor, options);
}

// ---- Events ------------------------------------------------------------------------------------

bool HandleCommand(LevelEditor *editor, FourCharCode command)
{
    switch (command) {
    case 'new ': LevelEditorCreateNewLevelSet(editor); return true;
    case 'open': LevelEditorOpenLevelSet(editor); return true;
    case 'save': LevelEditorSaveLevelSet(editor, false); return true;
    case 'svas': LevelEditorSaveLevelSet(editor, true); return true;
    case 'rvrt': LevelEditorRevertLevelSet(editor); return true;
    case 'NLvl': NewLevel(editor, false); return true;
    case 'ILvl': NewLevel(editor, true); return true;
    case 'DLvl': DeleteLevel(editor); return true;
    case 'NxtL': GoToLevel(editor, true); return true;
    case 'PrvL': GoToLevel(editor, false); return true;
    case 'TLvl': TestPlay(editor); return true;
    case 'SLvl': SetLevelOptions(editor); return true;
    case 'TCur': TestPlayFromCursor(editor); return true;
    case 'ChkL': CheckLevel(editor, true); return true;
    default: return LevelEditorHandleEditCommand(editor, command);
    }
}

// Arrows, q and z: one cell of cursor movement, or with Alt a step of the
// level's size.
void HandleMoveKey(LevelEditor *editor, uint8_t character, bool resize)
{
    int move = -1, dx = 0, dy = 0, dz = 0;
    switch (character) {
    case 28: move = CursorMoveMinusX; dx = -1; break;
    case 29: move = CursorMovePlusX; dx = 1; break;
    case 30: move = CursorMoveMinusZ; dz = 1; break;
    case 31: move = CursorMovePlusZ; dz = -1; break;
    case 'q': move = CursorMovePlusY; dy = 1; break;
    case 'z': move = CursorMoveMinusY; dy = -1; break;
    default: return;
    }
    if (resize)
        LevelEditorChangeLevelSize(editor, dx, dy, dz);
    else
        LevelEditorMoveBlockCursor(editor, move);
}

int CameraActionForKey(uint8_t character)
{
    switch (character) {
    case 'd': return 1;
    case 'a': return 2;
    case 'w': return 3;
    case 's': return 4;
    case 'e': return 5;
    case 'c': return 6;
    default: return 0;
    }
}

// A key of the editor as the character its bound action stands for.
void HandleCharacter(LevelEditor *editor, uint8_t character, int32_t kind, bool alt)
{
    if (kind == kEventRawKeyDown || kind == kEventRawKeyRepeat)
        HandleMoveKey(editor, character, alt);
    if (character == ' ') {
        if (kind == kEventRawKeyDown) {
            LevelEditorStartPlacingBlocks(editor);
        } else if (kind == kEventRawKeyUp) {
            const char *label = LevelEditorPlacementLabel(editor);
            LevelEditorCommitBlocksBeingPlaced(editor);
            editor->placing = 0;
            editor->orienting = 0;
            LevelEditorRecordEdit(editor, label);
        }
        return;
    }
    int action = CameraActionForKey(character);
    if (action && editor->cameraController) {
        if (kind == kEventRawKeyDown)
            CameraControllerUserActionStart(editor->cameraController, action);
        else if (kind == kEventRawKeyUp)
            CameraControllerUserActionStop(editor->cameraController, action);
    }
}

void HandleKey(LevelEditor *editor, const PlatformEvent *event)
{
    // Keys held with Ctrl are menu equivalents (Ctrl+Q, Ctrl+S ...).
    if (event->modifiers & kModifierControl)
        return;
    if (LevelEditorHandleSelectionKey(editor, event))
        return;
    uint8_t character = BindingsCharacterForKey(kBindingsEditor, event->keyCode);
    if (character)
        HandleCharacter(editor, character, event->kind, (event->modifiers & kModifierAlt) != 0);
}

void PadKey(uint8_t character, bool down, void *context)
{
    HandleCharacter(static_cast<LevelEditor *>(context), character, down ? kEventRawKeyDown : kEventRawKeyUp, false);
}

bool EventHandler(const PlatformEvent *event, void *context)
{
    LevelEditor *editor = static_cast<LevelEditor *>(context);
    if (editor->suspendCount > 0 || editor->frozen)
        return false;
    if (event->kind == kEventCommandProcess)
        return HandleCommand(editor, event->command);
    if (event->kind >= kEventPadButtonDown && event->kind <= kEventPadRemoved) {
        static GamepadEditor pad;
        GamepadEditorFeed(&pad, editor->palette, event, PadKey, editor);
        return true;
    }
    HandleKey(editor, event);
    // Every key goes on to the menus and the other handlers.
    return false;
}

// The editor's timer, suspension count, keyboard and command handler and
// frozen flag, for the shared mode functions.
ModeParts Parts(LevelEditor *editor)
{
    static const int32_t kinds[] = {kEventRawKeyDown,    kEventRawKeyRepeat, kEventRawKeyUp,     kEventCommandProcess,
                                    kEventPadButtonDown, kEventPadButtonUp,  kEventPadAxisMoved, kEventPadRemoved};
    return ModeParts{"LevelEditor",      &editor->suspendCount, &editor->timer,
                     &editor->eventHandler, &editor->frozen,    kinds,
                     int32_t(std::size(kinds)), EventHandler,   editor};
}

bool SameVector(Vector a, Vector b)
{
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

bool Tick(void *context)
{
    LevelEditor *editor = static_cast<LevelEditor *>(context);
    // The cursor blinks while the author works, and stands at full strength
    // once the editor rests.
    if (PlatformGetEventTime() - editor->activityTime < kLevelEditorActiveSeconds) {
        editor->blinkPhase += 1.0f / 60.0f;
        if (editor->blinkPhase > 2.0f)
            editor->blinkPhase = 0.0f;
    } else {
        editor->blinkPhase = 1.0f;
    }
    Vector centre = CellCentre(editor->cursor[0], editor->cursor[1], editor->cursor[2]);
    CameraControllerFollowPoint(editor->cameraController, centre.x, centre.y, centre.z);
    CameraControllerRun(editor->cameraController, kModeStepFloat);
    ToolPaletteRun(editor->palette, kModeStepFloat);
    LevelEditorHistoryTick(editor);
    return true;
}

void TimerFired(PlatformTimerRef, void *context)
{
    LevelEditor *editor = static_cast<LevelEditor *>(context);
    if (editor->suspendCount > 0)
        return;
    double now = PlatformGetEventTime();
    uint64_t events = PlatformDispatchedEventCount();
    if (events != editor->activityEvents) {
        editor->activityEvents = events;
        editor->activityTime = now;
    }
    ModeRunSteps(now, &editor->lastTime, &editor->leftoverTime, Tick, editor);
    if (editor->frozen)
        return;
    // The picture moves while the author works, and while the camera still
    // swings to its place.
    const Camera *camera = editor->cameraController->camera;
    bool moving = now - editor->activityTime < kLevelEditorActiveSeconds ||
                  !SameVector(camera->position, editor->drawnCameraPosition) ||
                  !SameVector(camera->forward, editor->drawnCameraForward);
    if (!FrameDemandTake(&editor->demand, moving))
        return;
    editor->drawnCameraPosition = camera->position;
    editor->drawnCameraForward = camera->forward;
    LevelEditorDraw(editor);
    ModePrintGLError("");
}

// ---- Files ------------------------------------------------------------------------------------------

bool SameFolder(const fs::path &a, const fs::path &b)
{
    std::error_code error;
    return fs::equivalent(a, b, error);
}

bool IsShippedSet(const fs::path &file)
{
    fs::path standard;
    return LevelSetGetStandardLevelsFolder(&standard) && SameFolder(file.parent_path(), standard);
}

// Where the save dialog starts: the set's own folder when the user may write
// there, else "User levels".
fs::path DefaultSaveFolder(const LevelSet *set)
{
    if (set->file && !IsShippedSet(*set->file)) {
        fs::path folder = set->file->parent_path();
        std::error_code error;
        if (fs::is_directory(folder, error) && ::access(folder.c_str(), W_OK) == 0)
            return folder;
    }
    fs::path user;
    LevelSetGetUserLevelsFolder(&user);
    return user;
}

// Makes the set the editor's and the application's, disposing the old one.
void ReplaceSet(LevelEditor *editor, LevelSet *set)
{
    DetachInspector(editor);
    LevelSet *old = editor->levelSet;
    editor->levelSet = set;
    ControllerSetCurrentLevelSet(set);
    if (old && old != set)
        LevelSetDispose(old);
}

// ---- Drawing ----------------------------------------------------------------------------------------

void DrawPlacementCell(LevelEditor *editor, int32_t x, int32_t y, int32_t z)
{
    if (editor->placeType == kBlockEmptySpace)
        return;
    Block block{};
    BlockInit(&block, editor->placeType, x, y, z);
    if (editor->placeData)
        BlockSetData(&block, editor->placeData);
    BlockDraw(&block, true);
    BlockDispose(&block);
}

void DrawCells(LevelEditor *editor, Level *level)
{
    CellRange box{};
    if (editor->placing)
        box = PlacementBox(editor, level);
    for (int32_t y = 0; y < level->sizeY; y++) {
        for (int32_t z = 0; z < level->sizeZ; z++) {
            for (int32_t x = 0; x < level->sizeX; x++) {
                if (editor->placing && InBox(box, x, y, z)) {
                    DrawPlacementCell(editor, x, y, z);
                    continue;
                }
                GridCell *cell = LevelGetGridCell(level, x, y, z);
                for (uint32_t slot = 0; cell && slot < cell->slotCount; slot++) {
                    int32_t index = cell->slots[slot];
                    if (index < 0 || index >= level->blockCount)
                        break;
                    Block *block = &level->blocks[index];
                    // A block reaching into several cells is drawn from its own.
                    if (block->cellX == x && block->cellY == y && block->cellZ == z)
                        BlockDraw(block, true);
                }
            }
        }
    }
}

void DrawGuideLines(LevelEditor *editor, Level *level, float opacity)
{
    Vector c = CellCentre(editor->cursor[0], editor->cursor[1], editor->cursor[2]);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glColor4f(0.25f, 0.25f, 1.0f, opacity);
    glLineWidth(3.0f);
    glBegin(GL_LINES);
    glVertex3f(0, c.y, c.z);
    glVertex3f(CellSize * float(level->sizeX), c.y, c.z);
    glVertex3f(c.x, 0, c.z);
    glVertex3f(c.x, CellSize * float(level->sizeY), c.z);
    glVertex3f(c.x, c.y, 0);
    glVertex3f(c.x, c.y, CellSize * float(level->sizeZ));
    glEnd();
    glLineWidth(1.0f);
    glColor4f(1, 1, 1, 1);
    glEnable(GL_LIGHTING);
}

} // namespace

// ---- Mode operations ------------------------------------------------------------------------------

LevelEditor *LevelEditorAllocate()
{
    LevelEditor *editor = new LevelEditor{};
    editor->levelSet = ControllerGetCurrentLevelSet();
    editor->palette = ToolPaletteAllocate(editor);
    editor->player = PlayerAllocate(nullptr);
    editor->checkPanel = LevelCheckPanelAllocate(GoToFinding, editor);
    return editor;
}

void LevelEditorInit(LevelEditor *editor)
{
    if (!editor->levelSet) {
        // Without an application set the editor starts a new one.
        LevelSet *set = LevelSetAllocate();
        LevelSetInit(set);
        ReplaceSet(editor, set);
    }
    LevelSetSetCurrentLevel(editor->levelSet, 0);
    SetCursorToStart(editor);
    editor->blinkPhase = 1.0f;
    editor->placing = 0;
    editor->orienting = 0;
    Model *model = ModelGetModelByIdentifier(kModelKindStatic, 'BlkC');
    editor->cursorModel = model ? static_cast<StaticModel *>(model->data) : nullptr;
    PlayerInit(editor->player);
    LevelEditorUpdatePlayerPos(editor);
    editor->cameraController = CameraControllerAllocate(kCameraFreeOrbit);
}

void LevelEditorStart(LevelEditor *editor)
{
    Vector p = PlayerGetPosition(editor->player);
    CameraControllerSetCameraPos(editor->cameraController, p.x, p.y + 6, p.z - 30);
    CameraControllerSetFocusPoint(editor->cameraController, p.x, p.y + 3, p.z);
    CameraControllerSetFocusDirection(editor->cameraController, VectorWithValues(0, 0, -1));
    ModeInstallHandler(Parts(editor));
    if (!editor->timer)
        editor->timer = ModeInstallTimer(TimerFired, editor);
    ToolPaletteStart(editor->palette);
    LevelEditorUpdateToolPalette(editor);
    editor->lastTime = PlatformGetEventTime();
    editor->leftoverTime = 0;
    editor->activityTime = editor->lastTime;
    FrameDemandInvalidate(&editor->demand);
    observedEditor = editor;
    LevelSetSetDirtyObserver(DirtyChanged);
    ShowDirtyState(editor);
    LevelEditorHistoryStart(editor);
}

bool LevelEditorStop(LevelEditor *editor)
{
    LevelSetCommitCurrentLevelCopy(editor->levelSet);
    if (!MaySetBeGivenUp(editor, ControllerIsQuitting(ControllerGetMainController())))
        return false;
    LevelEditorHistoryStop(editor);
    ModeRemoveTimer(&editor->timer);
    ModeRemoveHandler(Parts(editor));
    ToolPaletteStop(editor->palette);
    LevelCheckPanelHide(editor->checkPanel);
    if (observedEditor == editor) {
        observedEditor = nullptr;
        LevelSetSetDirtyObserver(nullptr);
    }
    if (OpenGLWindow *window = MainWindow())
        PlatformWindowSetTitle(window->window, kApplicationTitle);
    return true;
}

void LevelEditorFreeze(LevelEditor *editor)
{
    LevelEditorHistoryFreeze(editor);
    LevelSetCommitCurrentLevelCopy(editor->levelSet);
    CancelPlacement(editor);
    // Keys released during the play never reach the editor.
    for (int action = 1; action <= 6; action++)
        CameraControllerUserActionStop(editor->cameraController, action);
    editor->frozenLevelIndex = LevelSetGetCurrentLevelIndex(editor->levelSet);
    DetachInspector(editor);
    ToolPaletteFreeze(editor->palette);
    LevelCheckPanelFreeze(editor->checkPanel);
    ModeFreeze(Parts(editor));
}

void LevelEditorDefrost(LevelEditor *editor)
{
    FrameDemandInvalidate(&editor->demand);
    editor->activityTime = PlatformGetEventTime();
    ToolPaletteDefrost(editor->palette);
    LevelCheckPanelDefrost(editor->checkPanel);
    TestStartClear();
    ModeDefrost(Parts(editor));
    // The play may have moved to another level (a restarted game begins at
    // level 0) and changed its copy: back to the edited level as stored.
    if (LevelSetGetCurrentLevelIndex(editor->levelSet) != editor->frozenLevelIndex)
        LevelSetSetCurrentLevel(editor->levelSet, editor->frozenLevelIndex);
    else
        LevelSetFetchCurrentLevelCopy(editor->levelSet);
    LevelEditorConstrainBlockCursorToLevelBounds(editor);
    InspectCursorCell(editor);
    LevelEditorUpdatePlayerPos(editor);
    ShowDirtyState(editor);
    LevelEditorHistoryDefrost(editor);
}

void LevelEditorSuspend(LevelEditor *editor)
{
    ModeSuspend(Parts(editor));
}

void LevelEditorResume(LevelEditor *editor)
{
    ModeResume(Parts(editor));
    FrameDemandInvalidate(&editor->demand);
}

void LevelEditorDispose(LevelEditor *editor)
{
    if (!editor)
        return;
    ModeRemoveTimer(&editor->timer);
    ModeRemoveHandler(Parts(editor));
    if (observedEditor == editor) {
        observedEditor = nullptr;
        LevelSetSetDirtyObserver(nullptr);
    }
    PlayerDispose(editor->player);
    CameraControllerDispose(editor->cameraController);
    ToolPaletteDispose(editor->palette);
    LevelCheckPanelDispose(editor->checkPanel);
    ReleasePlaceData(editor);
    LevelEditorHistoryDispose(editor);
    delete editor;
}

void LevelEditorDraw(LevelEditor *editor)
{
    Level *level = CurrentLevel(editor);
    Controller *controller = ControllerGetMainController();
    if (!level || !controller || editor->frozen)
        return;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    CameraControllerApplyCamera(editor->cameraController);
    BackdropDraw(editor->cameraController->camera->position);
    LevelApplyLighting(level);
    LevelDrawBoundaries(level);
    DrawCells(editor, level);
    for (int32_t i = 0; i < level->powerupCount; i++)
        PowerupDraw(level->powerups[i]);
    ShaderDisable();
    PlayerDraw(editor->player);

    float opacity = editor->blinkPhase > 1.0f ? 2.0f - editor->blinkPhase : editor->blinkPhase;
    if (editor->cursorModel) {
        glPushMatrix();
        glTranslatef(CellSize * float(editor->cursor[0]), CellSize * float(editor->cursor[1]),
                     CellSize * float(editor->cursor[2]));
        StaticModelDraw(editor->cursorModel, opacity);
        glPopMatrix();
    }
    DrawGuideLines(editor, level, opacity);
    LevelEditorDrawSelection(editor);
    LinkLinesDraw(LinkLinesCompute(level));
    if (level->waterController) {
        Camera *camera = editor->cameraController->camera;
        WaterControllerDraw(level->waterController, camera->position, camera->forward, 1.5f);
    }
    ToolPaletteDraw(editor->palette);
    LevelCheckPanelDraw(editor->checkPanel);
    ControllerSwapGLBuffers(controller);
}

// ---- Editing ------------------------------------------------------------------------------------------

int LevelEditorTurnCursorMove(Vector forward, int code)
{
    if (code == CursorMoveMinusY || code == CursorMovePlusY || code < 0 || code > 5)
        return code;
    float fx = forward.x, fz = forward.z;
    // Columns: along -z (unturned), +z, -x, +x; rows: codes 0, 1, 4, 5.
    static const int table[4][4] = {{0, 1, 5, 4}, {1, 0, 4, 5}, {4, 5, 0, 1}, {5, 4, 1, 0}};
    int view;
    if (fx < 0 && std::fabs(fx) >= std::fabs(fz))
        view = 2;
    else if (fx > 0 && std::fabs(fx) >= std::fabs(fz))
        view = 3;
    else if (fz > 0)
        view = 1;
    else
        view = 0;
    int row = code == 0 ? 0 : code == 1 ? 1 : code == 4 ? 2 : 3;
    return table[row][view];
}

void LevelEditorMoveBlockCursor(LevelEditor *editor, int code)
{
    Level *level = CurrentLevel(editor);
    if (!level || code < 0 || code > 5)
        return;
    if (editor->cameraController)
        code = LevelEditorTurnCursorMove(editor->cameraController->camera->forward, code);
    bool horizontal = code != CursorMoveMinusY && code != CursorMovePlusY;
    if (editor->orienting) {
        int32_t tool = ToolPaletteGetTool(editor->palette);
        if (tool == ToolPlayerStart) {
            if (horizontal) {
                static const uint8_t facing[6] = {0, 1, 0, 0, 2, 3};
                LevelSetInitialPlayerFacing(level, facing[code]);
                LevelEditorUpdatePlayerPos(editor);
                LevelSetMakeDirty(editor->levelSet);
            }
            return;
        }
        if (tool == ToolBlock && ToolPaletteGetSelectedType(editor->palette) == kBlockLadder && horizontal) {
            if (editor->placeData)
                static_cast<LadderData *>(editor->placeData)->orientation =
                    (code == CursorMoveMinusX || code == CursorMovePlusX) ? 1 : 0;
            return;
        }
    }
    static const int32_t steps[6][3] = {{-1, 0, 0}, {1, 0, 0}, {0, -1, 0}, {0, 1, 0}, {0, 0, -1}, {0, 0, 1}};
    for (int axis = 0; axis < 3; axis++)
        editor->cursor[axis] += steps[code][axis];
    LevelEditorConstrainBlockCursorToLevelBounds(editor);
    InspectCursorCell(editor);
}

void LevelEditorConstrainBlockCursorToLevelBounds(LevelEditor *editor)
{
    Level *level = CurrentLevel(editor);
    if (!level)
        return;
    const int32_t sizes[3] = {level->sizeX, level->sizeY, level->sizeZ};
    for (int axis = 0; axis < 3; axis++)
        editor->cursor[axis] = std::clamp(editor->cursor[axis], 0, sizes[axis] - 1);
}

void LevelEditorStartPlacingBlocks(LevelEditor *editor)
{
    Level *level = CurrentLevel(editor);
    if (!level)
        return;
    const int32_t *c = editor->cursor;
    int32_t tool = ToolPaletteGetTool(editor->palette);
    int32_t type = ToolPaletteGetSelectedType(editor->palette);
    if (tool == ToolBlock && type >= kFirstPowerupType) {
        Vector centre = CellCentre(c[0], c[1], c[2]);
        if (Powerup *existing = LevelGetPowerupAtPosition(level, centre.x, centre.y, centre.z)) {
            LevelRemovePowerup(level, LevelGetIndexForPowerup(level, existing));
        } else if (Powerup *powerup = PowerupAllocate(type)) {
            PowerupSetPosition(powerup, centre.x, centre.y, centre.z);
            LevelAddPowerup(level, powerup);
        }
        LevelSetMakeDirty(editor->levelSet);
    } else if (tool == ToolBlock) {
        if (type <= kBlockEmptySpace || type >= kBlockTypeCount)
            return;
        ReleasePlaceData(editor);
        editor->placing = 1;
        if (type == kBlockLadder) {
            editor->orienting = 1;
            editor->placeData = new LadderData{0};
        }
        for (int axis = 0; axis < 3; axis++)
            editor->anchor[axis] = c[axis];
        Block *first = LevelGetBlockAtPos(level, c[0], c[1], c[2], 0);
        editor->placeType = (first && first->type == type) ? uint8_t(kBlockEmptySpace) : uint8_t(type);
        LevelSetMakeDirty(editor->levelSet);
    } else if (tool == ToolPlayerStart) {
        level->playerStartX = c[0];
        level->playerStartY = c[1];
        level->playerStartZ = c[2];
        LevelEditorUpdatePlayerPos(editor);
        LevelSetMakeDirty(editor->levelSet);
        editor->orienting = 1;
    }
}

void LevelEditorCommitBlocksBeingPlaced(LevelEditor *editor)
{
    Level *level = CurrentLevel(editor);
    if (!editor->placing || !level) {
        editor->orienting = 0;
        ReleasePlaceData(editor);
        return;
    }
    DetachInspector(editor);
    CellRange box = PlacementBox(editor, level);
    for (int32_t y = box.firstY; y <= box.lastY; y++) {
        for (int32_t z = box.firstZ; z <= box.lastZ; z++) {
            for (int32_t x = box.firstX; x <= box.lastX; x++) {
                if (Block *first = LevelGetBlockAtPos(level, x, y, z, 0))
                    LevelRemoveBlock(level, LevelGetIndexForBlock(level, first), true);
                if (editor->placeType == kBlockEmptySpace)
                    continue;
                Block block{};
                BlockInit(&block, editor->placeType, x, y, z);
                if (editor->placeData)
                    BlockSetData(&block, editor->placeData);
                LevelAddBlock(level, &block);
            }
        }
    }
    ReleasePlaceData(editor);
    InspectCursorCell(editor);
}

void LevelEditorChangeLevelSize(LevelEditor *editor, int dx, int dy, int dz)
{
    Level *level = CurrentLevel(editor);
    if (!level)
        return;
    DetachInspector(editor);
    LevelChangeGridSize(level, level->sizeX + dx, level->sizeY + dy, level->sizeZ + dz);
    LevelEditorUpdateToolPalette(editor);
    LevelEditorConstrainBlockCursorToLevelBounds(editor);
    InspectCursorCell(editor);
    LevelEditorUpdatePlayerPos(editor);
    LevelSetMakeDirty(editor->levelSet);
    LevelEditorRecordEdit(editor, "Resize Level");
}

void LevelEditorUpdatePlayerPos(LevelEditor *editor)
{
    if (!CurrentLevel(editor))
        return;
    PlayerStartAtPos(editor->player, LevelSetGetCurrentLevelPlayerStartPos(editor->levelSet),
                     LevelSetGetCurrentLevelPlayerFacingVector(editor->levelSet));
}

void LevelEditorUpdateToolPalette(LevelEditor *editor)
{
    ToolPaletteSetMaxWaterLevel(editor->palette, LevelEditorGetMaxWaterLevel(editor));
    ToolPaletteSetCurrentWaterLevel(editor->palette, LevelEditorGetCurrentWaterLevel(editor));
    ToolPaletteSetWaterSpeed(editor->palette, LevelEditorGetCurrentWaterSpeed(editor));
}

std::string LevelEditorSetName(const LevelEditor *editor)
{
    return LevelSetGetLevelSetName(editor->levelSet);
}

// ---- File commands ---------------------------------------------------------------------------------------

void LevelEditorCreateNewLevelSet(LevelEditor *editor)
{
    LevelSetCommitCurrentLevelCopy(editor->levelSet);
    if (!MaySetBeGivenUp(editor, false))
        return;
    LevelSet *set = LevelSetAllocate();
    LevelSetInit(set);
    ReplaceSet(editor, set);
    SetReplacedTail(editor);
    LevelSetMakeDirty(set);
    LevelEditorHistoryReset(editor);
}

void LevelEditorOpenLevelSet(LevelEditor *editor)
{
    bool leftFullScreen = BeginDialog(editor);
    fs::path file;
    if (displayModalOpenDialog(&file)) {
        LevelSet *set = LevelSetAllocate();
        if (!LevelSetInitWithFile(set, file)) {
            alertf("There was a problem loading the specified level file.");
            LevelSetDispose(set);
        } else {
            LevelSetCommitCurrentLevelCopy(editor->levelSet);
            if (MaySetBeGivenUp(editor, false)) {
                ReplaceSet(editor, set);
                SetReplacedTail(editor);
                LevelEditorHistoryReset(editor);
            } else {
                LevelSetDispose(set);
            }
        }
    }
    EndDialog(editor, leftFullScreen);
}

bool LevelEditorSaveLevelSet(LevelEditor *editor, bool saveAs)
{
    CheckLevel(editor, false);
    LevelSet *set = editor->levelSet;
    std::string name = LevelSetGetLevelSetName(set);
    fs::path folder;
    // The shipped sets are never written: saving one asks for a place of the
    // user's own.
    if (!set->file || saveAs || IsShippedSet(*set->file)) {
        fs::path defaultFolder = DefaultSaveFolder(set);
        bool leftFullScreen = BeginDialog(editor);
        bool chosen = displayModalSaveDialog(name, defaultFolder, &folder, &name);
        EndDialog(editor, leftFullScreen);
        if (!chosen)
            return false;
    } else {
        folder = set->file->parent_path();
    }
    // No folder (no per-user folder could be made) is a failure, never the
    // working directory.
    if (folder.empty() || !LevelSetSaveToFile(set, folder, name)) {
        alertf("There was a problem saving the file \"%s\".", name.c_str());
        return false;
    }
    LevelSetMakeClean(set);
    LevelEditorHistorySaved(editor);
    return true;
}

void LevelEditorRevertLevelSet(LevelEditor *editor)
{
    LevelSet *set = editor->levelSet;
    if (set->file) {
        // A file that can no longer be read leaves the edits as they are,
        // still unsaved.
        fs::path file = *set->file;
        DetachInspector(editor);
        if (!LevelSetReInitWithFile(set, file)) {
            InspectCursorCell(editor);
            alertf("There was a problem loading the specified level file.");
            return;
        }
        LevelSetMakeClean(set);
    } else {
        DetachInspector(editor);
        LevelSetRevert(set);
    }
    SetReplacedTail(editor);
    LevelEditorHistoryReset(editor);
}

// ---- Called by the tool palette ---------------------------------------------------------------------------

float LevelEditorGetMaxWaterLevel(LevelEditor *editor)
{
    Level *level = CurrentLevel(editor);
    return level ? float(level->sizeY) * CellSize : 0.0f;
}

float LevelEditorGetCurrentWaterLevel(LevelEditor *editor)
{
    Level *level = CurrentLevel(editor);
    return (level && level->waterController) ? float(WaterControllerGetInitialWaterLevel(level->waterController))
                                             : 0.0f;
}

float LevelEditorGetCurrentWaterSpeed(LevelEditor *editor)
{
    Level *level = CurrentLevel(editor);
    return (level && level->waterController) ? float(WaterControllerGetRiseSpeed(level->waterController)) : 0.0f;
}

void LevelEditorSetWaterLevel(LevelEditor *editor, float waterLevel)
{
    Level *level = CurrentLevel(editor);
    if (!level || !level->waterController)
        return;
    WaterControllerSetInitialWaterLevel(level->waterController, waterLevel);
    WaterControllerSetCurrentWaterLevel(level->waterController, waterLevel);
    LevelSetMakeDirty(editor->levelSet);
    LevelEditorRecordEditRun(editor, "Change Water Level");
}

void LevelEditorSetWaterSpeed(LevelEditor *editor, float speed)
{
    Level *level = CurrentLevel(editor);
    if (!level || !level->waterController)
        return;
    WaterControllerSetRiseSpeed(level->waterController, speed);
    LevelSetMakeDirty(editor->levelSet);
    LevelEditorRecordEditRun(editor, "Change Water Speed");
}

void LevelEditorNewToolSelected(LevelEditor *editor, int, int newTool)
{
    if (newTool == ToolInspector && editor->palette) {
        Level *level = CurrentLevel(editor);
        if (level)
            ToolPaletteInspectBlock(
                editor->palette, LevelGetBlockAtPos(level, editor->cursor[0], editor->cursor[1], editor->cursor[2], 0));
    }
}

// ---- Registration --------------------------------------------------------------------------------------------

static LevelEditor *AsEditor(void *mode)
{
    return static_cast<LevelEditor *>(mode);
}

void LevelEditorRegisterMode()
{
    ModeFunctions functions{};
    functions.allocate = []() -> void * { return LevelEditorAllocate(); };
    functions.init = [](void *mode) { LevelEditorInit(AsEditor(mode)); };
    functions.start = [](void *mode) { LevelEditorStart(AsEditor(mode)); };
    functions.stop = [](void *mode) { return LevelEditorStop(AsEditor(mode)); };
    functions.dispose = [](void *mode) { LevelEditorDispose(AsEditor(mode)); };
    functions.draw = [](void *mode) { LevelEditorDraw(AsEditor(mode)); };
    functions.suspend = [](void *mode) { LevelEditorSuspend(AsEditor(mode)); };
    functions.resume = [](void *mode) { LevelEditorResume(AsEditor(mode)); };
    functions.freeze = [](void *mode) { LevelEditorFreeze(AsEditor(mode)); };
    functions.defrost = [](void *mode) { LevelEditorDefrost(AsEditor(mode)); };
    ControllerRegisterMode(ModeLevelEditor, &functions);
}
