#include "LevelEditorHistory.h"

#include "Bindings.h"
#include "Controller.h"
#include "EditHistory.h"
#include "EditSelection.h"
#include "Level.h"
#include "LevelEditor.h"
#include "LevelSet.h"
#include "MenuBar.h"
#include "Recovery.h"
#include "ToolPalette.h"
#include "Utilities.h"

#include <GL/gl.h>

#include <iterator>
#include <string>

namespace {

constexpr int32_t kFirstPowerupType = 1024;

Level *CurrentLevel(const LevelEditor *editor)
{
    return editor->levelSet ? LevelSetGetCurrentLevelCopy(editor->levelSet) : nullptr;
}

EditSelection *Selection(LevelEditor *editor)
{
    if (!editor->selection)
        editor->selection = new EditSelection{};
    return editor->selection;
}

// The palette lets go of its block before blocks move or the level copy is
// replaced, and looks at the cursor's cell again afterwards.
void DetachInspector(LevelEditor *editor)
{
    if (ToolPaletteGetTool(editor->palette) == ToolInspector)
        ToolPaletteInspectBlock(editor->palette, nullptr);
    else
        editor->palette->inspectedBlock = nullptr;
}

void Reinspect(LevelEditor *editor)
{
    int32_t tool = ToolPaletteGetTool(editor->palette);
    LevelEditorNewToolSelected(editor, tool, tool);
}

// After the set's contents were replaced or changed by a command.
void ShowChangedSet(LevelEditor *editor)
{
    LevelEditorConstrainBlockCursorToLevelBounds(editor);
    Reinspect(editor);
    LevelEditorUpdatePlayerPos(editor);
    LevelEditorUpdateToolPalette(editor);
    LevelEditorShowEditMenu(editor);
}

void ScheduleAutosave(LevelEditor *editor)
{
    if (editor->autosaveDue <= 0.0)
        editor->autosaveDue = PlatformGetEventTime() + kLevelEditorAutosaveDelay;
}

// Writes the set to the recovery file, or removes the file when the set has
// nothing unsaved.  A failure is silent and tried again a little later.
void Autosave(LevelEditor *editor)
{
    LevelSet *set = editor->levelSet;
    editor->autosaveDue = 0.0;
    if (!set)
        return;
    if (!LevelSetIsDirty(set)) {
        RecoveryRemove();
        return;
    }
    std::vector<uint8_t> bytes;
    if (!LevelSetWriteToBuffer(set, &bytes) || !RecoveryWrite(bytes, set->file))
        ScheduleAutosave(editor);
}

void Record(LevelEditor *editor, const char *label, bool run)
{
    if (!editor->history || !editor->levelSet)
        return;
    EditHistory *history = editor->history;
    int32_t before = EditHistoryStepCount(history);
    bool added = run ? EditHistoryRecordMerging(history, editor->levelSet, label)
                     : EditHistoryRecord(history, editor->levelSet, label);
    if (!added && EditHistoryStepCount(history) == before)
        return;
    if (EditHistoryIsClean(history))
        LevelSetMakeClean(editor->levelSet);
    else
        LevelSetMakeDirty(editor->levelSet);
    ScheduleAutosave(editor);
    LevelEditorShowEditMenu(editor);
}

void SetTitle(FourCharCode command, const char *verb, const std::string &label)
{
    PlatformSetMenuCommandTitle(command, label.empty() ? verb : std::string(verb) + " " + label);
}

void EnableIf(FourCharCode command, bool enabled)
{
    if (enabled)
        PlatformEnableMenuCommand(command);
    else
        PlatformDisableMenuCommand(command);
}

void PlainMenuTitles()
{
    SetTitle('undo', "Undo", "");
    SetTitle('redo', "Redo", "");
}

bool MouseEndsGesture(const PlatformEvent *, void *context)
{
    LevelEditor *editor = static_cast<LevelEditor *>(context);
    if (editor->history)
        EditHistoryEndGesture(editor->history);
    return false;
}

// ---- Selection commands ------------------------------------------------------------------

bool HasSelection(LevelEditor *editor)
{
    return editor->selection && editor->selection->active && CurrentLevel(editor);
}

void CopySelection(LevelEditor *editor)
{
    Level *level = CurrentLevel(editor);
    EditClipboardCopy(EditClipboardShared(), level, EditSelectionBox(editor->selection, level));
    LevelEditorShowEditMenu(editor);
}

void ClearSelection(LevelEditor *editor, const char *label)
{
    Level *level = CurrentLevel(editor);
    DetachInspector(editor);
    EditSelectionClear(level, EditSelectionBox(editor->selection, level));
    ShowChangedSet(editor);
    Record(editor, label, false);
}

void Paste(LevelEditor *editor)
{
    Level *level = CurrentLevel(editor);
    if (!level || !EditClipboardShared()->full) {
        PlatformBeep();
        return;
    }
    DetachInspector(editor);
    EditClipboardPaste(EditClipboardShared(), level, editor->cursor);
    ShowChangedSet(editor);
    Record(editor, "Paste", false);
}

void SelectAll(LevelEditor *editor)
{
    Level *level = CurrentLevel(editor);
    if (!level)
        return;
    EditSelection *selection = Selection(editor);
    selection->active = true;
    const int32_t last[3] = {level->sizeX - 1, level->sizeY - 1, level->sizeZ - 1};
    for (int axis = 0; axis < 3; axis++) {
        selection->anchor[axis] = 0;
        selection->end[axis] = last[axis];
    }
    LevelEditorShowEditMenu(editor);
}

int CursorMoveForKey(uint8_t character)
{
    switch (character) {
    case 28: return CursorMoveMinusX;
    case 29: return CursorMovePlusX;
    case 30: return CursorMoveMinusZ;
    case 31: return CursorMovePlusZ;
    case 'q': return CursorMovePlusY;
    case 'z': return CursorMoveMinusY;
    default: return -1;
    }
}

} // namespace

// ---- Life cycle ---------------------------------------------------------------------------

void LevelEditorHistoryStart(LevelEditor *editor)
{
    if (!editor->history)
        editor->history = EditHistoryAllocate();
    if (editor->levelSet)
        EditHistoryReset(editor->history, editor->levelSet);
    editor->autosaveDue = 0.0;
    if (!editor->gestureHandler) {
        static const int32_t kinds[] = {kEventMouseDown, kEventMouseUp};
        editor->gestureHandler =
            PlatformInstallEventHandler(kTargetApplication, kinds, int32_t(std::size(kinds)), MouseEndsGesture, editor);
    }
    LevelEditorShowEditMenu(editor);
}

void LevelEditorHistoryStop(LevelEditor *editor)
{
    // Given up unsaved: the user chose not to keep the changes (unless
    // nobody could be asked).
    if (editor->levelSet && LevelSetIsDirty(editor->levelSet) && !editor->keepRecovery)
        LevelEditorHistoryDiscarded(editor);
    if (editor->gestureHandler) {
        PlatformRemoveEventHandler(editor->gestureHandler);
        editor->gestureHandler = 0;
    }
    PlainMenuTitles();
    for (FourCharCode command : {'undo', 'redo', 'cut ', 'copy', 'past', 'clea', 'sall'})
        PlatformEnableMenuCommand(command);
}

void LevelEditorHistoryDispose(LevelEditor *editor)
{
    if (editor->gestureHandler) {
        PlatformRemoveEventHandler(editor->gestureHandler);
        editor->gestureHandler = 0;
    }
    EditHistoryDispose(editor->history);
    editor->history = nullptr;
    delete editor->selection;
    editor->selection = nullptr;
}

void LevelEditorHistoryFreeze(LevelEditor *editor)
{
    LevelEditorRecordEdit(editor, LevelEditorPlacementLabel(editor));
    Autosave(editor);
    PlainMenuTitles();
}

void LevelEditorHistoryDefrost(LevelEditor *editor)
{
    LevelEditorShowEditMenu(editor);
}

void LevelEditorHistoryReset(LevelEditor *editor)
{
    if (editor->history && editor->levelSet)
        EditHistoryReset(editor->history, editor->levelSet);
    if (editor->selection)
        editor->selection->active = false;
    if (!editor->keepRecovery)
        RecoveryRemove();
    editor->keepRecovery = false;
    editor->autosaveDue = 0.0;
    LevelEditorShowEditMenu(editor);
}

void LevelEditorHistorySaved(LevelEditor *editor)
{
    if (editor->history)
        EditHistoryMarkClean(editor->history);
    LevelEditorHistoryDiscarded(editor);
}

void LevelEditorHistoryKeepForRecovery(LevelEditor *editor)
{
    Autosave(editor);
    editor->keepRecovery = true;
}

void LevelEditorHistoryDiscarded(LevelEditor *editor)
{
    RecoveryRemove();
    editor->autosaveDue = 0.0;
}

void LevelEditorHistoryTick(LevelEditor *editor)
{
    if (editor->autosaveDue > 0.0 && PlatformGetEventTime() >= editor->autosaveDue)
        Autosave(editor);
}

// ---- Steps ----------------------------------------------------------------------------------

void LevelEditorRecordEdit(LevelEditor *editor, const char *label)
{
    Record(editor, label, false);
}

void LevelEditorRecordEditRun(LevelEditor *editor, const char *label)
{
    Record(editor, label, true);
}

const char *LevelEditorPlacementLabel(const LevelEditor *editor)
{
    if (editor->placing)
        return editor->placeType == kBlockEmptySpace ? "Clear Blocks" : "Place Blocks";
    int32_t tool = ToolPaletteGetTool(editor->palette);
    if (tool == ToolPlayerStart)
        return "Set Player Start";
    if (tool == ToolBlock && ToolPaletteGetSelectedType(editor->palette) >= kFirstPowerupType)
        return "Toggle Powerup";
    return "Edit";
}

static bool StepBack(LevelEditor *editor, bool redo)
{
    if (!editor->history || !editor->levelSet || editor->placing || editor->orienting) {
        PlatformBeep();
        return false;
    }
    // A change not yet recorded (a powerup toggled while space is still
    // down) becomes a step first, so that it is not lost.
    Record(editor, LevelEditorPlacementLabel(editor), false);
    DetachInspector(editor);
    bool done = redo ? EditHistoryRedo(editor->history, editor->levelSet)
                     : EditHistoryUndo(editor->history, editor->levelSet);
    ShowChangedSet(editor);
    if (done)
        ScheduleAutosave(editor);
    return done;
}

bool LevelEditorUndo(LevelEditor *editor)
{
    return StepBack(editor, false);
}

bool LevelEditorRedo(LevelEditor *editor)
{
    return StepBack(editor, true);
}

// ---- Commands, keys, menu and drawing --------------------------------------------------------------

bool LevelEditorHandleEditCommand(LevelEditor *editor, FourCharCode command)
{
    switch (command) {
    case 'undo': LevelEditorUndo(editor); return true;
    case 'redo': LevelEditorRedo(editor); return true;
    case 'sall': SelectAll(editor); return true;
    case 'past': Paste(editor); return true;
    case 'copy':
    case 'cut ':
    case 'clea':
        if (!HasSelection(editor)) {
            PlatformBeep();
            return true;
        }
        if (command != 'clea')
            CopySelection(editor);
        if (command != 'copy')
            ClearSelection(editor, command == 'cut ' ? "Cut" : "Clear");
        return true;
    default: return false;
    }
}

bool LevelEditorHandleSelectionKey(LevelEditor *editor, const PlatformEvent *event)
{
    if (event->kind == kEventRawKeyDown && editor->history)
        EditHistoryEndGesture(editor->history);
    if (event->kind != kEventRawKeyDown && event->kind != kEventRawKeyRepeat)
        return false;
    uint8_t character = uint8_t(keyCodeToCharCode(event->keyCode));
    if (character == 27 && event->kind == kEventRawKeyDown && HasSelection(editor)) {
        editor->selection->active = false;
        LevelEditorShowEditMenu(editor);
        return true;
    }
    uint32_t modifiers = event->modifiers & (kModifierShift | kModifierAlt | kModifierControl);
    // Shift with a cursor key, as the keys are bound now.
    int move = CursorMoveForKey(BindingsCharacterForKey(kBindingsEditor, event->keyCode));
    if (modifiers != kModifierShift || move < 0 || editor->placing || editor->orienting || !CurrentLevel(editor))
        return false;
    EditSelection *selection = Selection(editor);
    if (!selection->active) {
        selection->active = true;
        for (int axis = 0; axis < 3; axis++)
            selection->anchor[axis] = editor->cursor[axis];
    }
    LevelEditorMoveBlockCursor(editor, move);
    for (int axis = 0; axis < 3; axis++)
        selection->end[axis] = editor->cursor[axis];
    LevelEditorShowEditMenu(editor);
    return true;
}

void LevelEditorShowEditMenu(LevelEditor *editor)
{
    if (editor->frozen)
        return;
    EditHistory *history = editor->history;
    bool canUndo = history && EditHistoryCanUndo(history), canRedo = history && EditHistoryCanRedo(history);
    EnableIf('undo', canUndo);
    EnableIf('redo', canRedo);
    SetTitle('undo', "Undo", canUndo ? EditHistoryUndoLabel(history) : "");
    SetTitle('redo', "Redo", canRedo ? EditHistoryRedoLabel(history) : "");
    bool selected = HasSelection(editor);
    for (FourCharCode command : {'cut ', 'copy', 'clea'})
        EnableIf(command, selected);
    EnableIf('past', EditClipboardShared()->full);
    EnableIf('sall', true);
}

void LevelEditorDrawSelection(LevelEditor *editor)
{
    if (!HasSelection(editor))
        return;
    CellRange box = EditSelectionBox(editor->selection, CurrentLevel(editor));
    float x0 = CellSize * float(box.firstX), x1 = CellSize * float(box.lastX + 1);
    float y0 = CellSize * float(box.firstY), y1 = CellSize * float(box.lastY + 1);
    float z0 = CellSize * float(box.firstZ), z1 = CellSize * float(box.lastZ + 1);
    const float corners[8][3] = {{x0, y0, z0}, {x1, y0, z0}, {x1, y1, z0}, {x0, y1, z0},
                                 {x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}};
    static const int faces[6][4] = {{0, 1, 2, 3}, {4, 5, 6, 7}, {0, 1, 5, 4},
                                    {3, 2, 6, 7}, {0, 3, 7, 4}, {1, 2, 6, 5}};
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_DEPTH_BUFFER_BIT | GL_COLOR_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthMask(GL_FALSE);
    glColor4f(0.3f, 0.7f, 1.0f, 0.2f);
    glBegin(GL_QUADS);
    for (const auto &face : faces)
        for (int corner : face)
            glVertex3fv(corners[corner]);
    glEnd();
    glColor4f(0.3f, 0.7f, 1.0f, 0.8f);
    for (const auto &face : faces) {
        glBegin(GL_LINE_LOOP);
        for (int corner : face)
            glVertex3fv(corners[corner]);
        glEnd();
    }
    glPopAttrib();
}
