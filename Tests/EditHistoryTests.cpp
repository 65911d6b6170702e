// Undo and redo in the level editor, the history's limit, and the box
// selection with the clipboard.
#include "EditHistory.h"
#include "EditSelection.h"
#include "EditorTestSupport.h"
#include "MenuStrip.h"
#include "Camera.h"
#include "CameraController.h"
#include "Powerup.h"
#include "ToolPalette.h"
#include "Widget.h"
#include "WaterController.h"

#include <random>

using namespace editortest;

namespace {

using EditHistoryTest = OpenEditorTest;

TEST_F(EditHistoryTest, RandomEditsUndoToTheOriginalAndRedoToTheEdited)
{
    const uint32_t seed = 20261207;
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    auto pick = [&](int32_t count) { return int32_t(random() % uint32_t(count)); };
    const int32_t moves[] = {kKeyCodeLeft, kKeyCodeRight, kKeyCodeUp, kKeyCodeDown, PlatformCharCodeToKeyCode('q'),
                             PlatformCharCodeToKeyCode('z')};

    const std::vector<uint8_t> original = Bytes();
    for (int32_t i = 0; i < 400; i++) {
        Level *level = CurrentLevel();
        switch (pick(10)) {
        case 0:
        case 1: Key(moves[pick(6)]); break;
        case 2: UseBlock(1 + pick(kBlockTypeCount - 1)); Space(); break;
        case 3: UseBlock(kPowerupGem + pick(4)); Space(); break;
        case 4: editor->palette->tool = ToolPlayerStart; Space(); break;
        case 5:
            if (level->sizeX * level->sizeY * level->sizeZ < 600)
                Key(moves[pick(6)], kModifierAlt);
            break;
        case 6: Command(std::vector<FourCharCode>{'NLvl', 'ILvl', 'DLvl', 'NxtL', 'PrvL'}[size_t(pick(5))]); break;
        case 7:
            HeadlessInjectMouse(kEventMouseDown, 1, 1);
            LevelEditorSetWaterLevel(editor, float(pick(30)));
            LevelEditorSetWaterSpeed(editor, float(pick(10)) / 10.0f);
            HeadlessInjectMouse(kEventMouseUp, 1, 1);
            HeadlessRunFor(0.0);
            break;
        case 8:
            Key(moves[pick(6)], kModifierShift);
            Key(moves[pick(6)], kModifierShift);
            Command(std::vector<FourCharCode>{'copy', 'cut ', 'past', 'clea'}[size_t(pick(4))]);
            Key(kKeyCodeEscape);
            break;
        default: Command(pick(2) ? 'undo' : 'redo'); break;
        }
    }
    const std::vector<uint8_t> edited = Bytes();
    const int32_t steps = EditHistoryStepCount(editor->history);
    ASSERT_GT(steps, 100);
    ASSERT_NE(edited, original);

    for (int32_t i = 0; i < steps; i++)
        Command('undo');
    EXPECT_FALSE(EditHistoryCanUndo(editor->history));
    EXPECT_FALSE(PlatformIsMenuCommandEnabled('undo'));
    EXPECT_EQ(Bytes(), original);
    EXPECT_FALSE(LevelSetIsDirty(editor->levelSet));

    for (int32_t i = 0; i < steps; i++)
        Command('redo');
    EXPECT_FALSE(PlatformIsMenuCommandEnabled('redo'));
    EXPECT_EQ(Bytes(), edited);
}

TEST_F(EditHistoryTest, MenuNamesTheStepsAndTheSavedStateIsClean)
{
    EXPECT_EQ(Enabled({'undo', 'redo'}), "00");
    EXPECT_EQ(MenuTitle('undo'), "Undo");
    MenuStrip *strip = MenuStripAllocate(controller->mainWindow);
    const MenuStripMenu &edit = strip->menus[2];
    const float plainWidth = edit.panelWidth;
    UseBlock(kBlockStone);
    PlaceAt(1, 0, 1);
    EXPECT_EQ(Enabled({'undo', 'redo'}), "10");
    EXPECT_EQ(MenuTitle('undo'), "Undo Place Blocks");
    // The open menu shows the new title, widened to hold it.
    MenuStripOpen(strip, 2);
    EXPECT_STREQ(WidgetGetText(edit.items[0].label), "Undo Place Blocks");
    Rect4f label = WidgetGetBounds(edit.items[0].label), key = WidgetGetBounds(edit.items[0].keyLabel);
    EXPECT_GT(edit.panelWidth, plainWidth);
    EXPECT_GT(key.left, label.right);
    MenuStripDispose(strip);
    DialogsQueueScriptedAnswer(1, "Kept");
    Command('save');
    ASSERT_FALSE(LevelSetIsDirty(editor->levelSet));
    Key(PlatformCharCodeToKeyCode('q'), kModifierAlt);
    EXPECT_EQ(MenuTitle('undo'), "Undo Resize Level");
    EXPECT_TRUE(LevelSetIsDirty(editor->levelSet));

    Command('undo');
    EXPECT_FALSE(LevelSetIsDirty(editor->levelSet));
    EXPECT_EQ(MenuTitle('redo'), "Redo Resize Level");
    EXPECT_EQ(CurrentLevel()->sizeY, 5);
    Command('redo');
    EXPECT_TRUE(LevelSetIsDirty(editor->levelSet));
    EXPECT_EQ(CurrentLevel()->sizeY, 6);
    Command('undo');
    Command('undo');
    EXPECT_TRUE(LevelSetIsDirty(editor->levelSet));
    EXPECT_EQ(BlockAt(1, 0, 1), nullptr);
    EXPECT_EQ(MenuTitle('undo'), "Undo");
    EXPECT_EQ(MenuTitle('redo'), "Redo Place Blocks");

    // A new step drops what could be redone; the saved state is then out of
    // reach.
    PlaceAt(2, 0, 2);
    EXPECT_FALSE(PlatformIsMenuCommandEnabled('redo'));
    Command('undo');
    EXPECT_TRUE(LevelSetIsDirty(editor->levelSet));

    // New, open and revert forget the steps.
    Command('rvrt');
    EXPECT_EQ(Enabled({'undo', 'redo'}), "00");
}

TEST_F(EditHistoryTest, OneSliderDragIsOneStep)
{
    const float start = LevelEditorGetCurrentWaterLevel(editor);
    auto drag = [&](std::vector<float> values) {
        HeadlessInjectMouse(kEventMouseDown, 1, 1);
        HeadlessRunFor(0.0);
        for (float value : values)
            LevelEditorSetWaterLevel(editor, value);
        HeadlessInjectMouse(kEventMouseUp, 1, 1);
        HeadlessRunFor(0.0);
    };
    drag({1, 2, 3, 4, 10});
    EXPECT_EQ(EditHistoryStepCount(editor->history), 1);
    EXPECT_EQ(MenuTitle('undo'), "Undo Change Water Level");
    // A drag that comes back to where it began leaves no step.
    drag({3, 10});
    EXPECT_EQ(EditHistoryStepCount(editor->history), 1);
    drag({5});
    EXPECT_EQ(EditHistoryStepCount(editor->history), 2);
    Command('undo');
    EXPECT_FLOAT_EQ(LevelEditorGetCurrentWaterLevel(editor), 10.0f);
    Command('undo');
    EXPECT_FLOAT_EQ(LevelEditorGetCurrentWaterLevel(editor), start);
    Command('redo');
    EXPECT_FLOAT_EQ(LevelEditorGetCurrentWaterLevel(editor), 10.0f);
}

// The oldest steps go when the history is over its limit; levels a step
// left alone are held once for all steps.
TEST(EditHistory, OldStepsGoOverTheLimitAndUnchangedLevelsAreShared)
{
    LevelSet *set = LevelSetAllocate();
    LevelSetInit(set);
    for (int32_t i = 0; i < 40; i++)
        LevelSetAppendLevel(set);
    LevelSetSetCurrentLevel(set, 3);
    EditHistory *history = EditHistoryAllocate();
    EditHistoryReset(history, set);
    const size_t base = history->bytes;
    for (int32_t i = 1; i <= 50; i++) {
        WaterControllerSetInitialWaterLevel(LevelSetGetCurrentLevelCopy(set)->waterController, float(i));
        ASSERT_TRUE(EditHistoryRecord(history, set, "Change Water Level"));
    }
    EXPECT_EQ(EditHistoryStepCount(history), 50);
    // Each step holds one level's record, not the whole set's 41.
    EXPECT_LT(history->bytes, base + 50 * 2 * base / 41);
    EXPECT_FALSE(EditHistoryRecord(history, set, "Nothing"));

    EditHistorySetLimit(history, base + 10 * (history->bytes - base) / 50);
    EXPECT_LE(history->bytes, history->limit);
    int32_t kept = EditHistoryStepCount(history);
    EXPECT_GE(kept, 9);
    EXPECT_LT(kept, 50);
    for (int32_t i = 0; i < kept; i++)
        ASSERT_TRUE(EditHistoryUndo(history, set));
    EXPECT_FALSE(EditHistoryUndo(history, set));
    EXPECT_FLOAT_EQ(float(WaterControllerGetInitialWaterLevel(LevelSetGetCurrentLevelCopy(set)->waterController)),
                    float(50 - kept));
    EXPECT_EQ(LevelSetGetCurrentLevelIndex(set), 3);
    EXPECT_TRUE(LevelSetIsDirty(set)); // the clean start was dropped
    EditHistoryDispose(history);
    LevelSetDispose(set);
}

TEST_F(EditHistoryTest, ShiftSpansABoxThatIsCutPastedAndCleared)
{
    UseBlock(kBlockStone);
    PlaceAt(0, 0, 0);
    UseBlock(kBlockPhasing);
    PlaceAt(1, 0, 0);
    static_cast<PhasingBlockData *>(BlockAt(1, 0, 0)->data)->onInterval = 7.5f;
    LevelEditorRecordEdit(editor, "Block Settings");
    UseBlock(kPowerupKey);
    PlaceAt(1, 1, 0);
    EXPECT_FALSE(PlatformIsMenuCommandEnabled('copy'));

    SetCursor(0, 0, 0);
    editor->cameraController->camera->forward = VectorWithValues(0, 0, -1); // arrows unturned
    Key(kKeyCodeRight, kModifierShift);
    Key(PlatformCharCodeToKeyCode('q'), kModifierShift);
    ASSERT_TRUE(editor->selection->active);
    EXPECT_TRUE(PlatformIsMenuCommandEnabled('cut '));
    Command('cut ');
    EXPECT_EQ(Counts(), std::pair(0, 0));
    EXPECT_EQ(MenuTitle('undo'), "Undo Cut");
    EXPECT_TRUE(PlatformIsMenuCommandEnabled('past'));

    // Pasted with the box's lowest corner at the cursor, settings and all.
    SetCursor(3, 2, 3);
    Command('past');
    ASSERT_NE(BlockAt(3, 2, 3), nullptr);
    EXPECT_EQ(BlockAt(3, 2, 3)->type, kBlockStone);
    ASSERT_NE(BlockAt(4, 2, 3), nullptr);
    EXPECT_FLOAT_EQ(static_cast<PhasingBlockData *>(BlockAt(4, 2, 3)->data)->onInterval, 7.5f);
    ASSERT_EQ(CurrentLevel()->powerupCount, 1);
    EXPECT_EQ(CurrentLevel()->powerups[0]->kind, kPowerupKey);
    EXPECT_FLOAT_EQ(CurrentLevel()->powerups[0]->position.y, CellSize * 3 + 3.0f);

    // At the level's edge only what fits is pasted, as one step.
    SetCursor(4, 4, 4);
    int32_t before = EditHistoryStepCount(editor->history);
    Command('past');
    EXPECT_EQ(EditHistoryStepCount(editor->history), before + 1);
    EXPECT_EQ(Counts(), std::pair(3, 1));
    EXPECT_EQ(BlockAt(4, 4, 4)->type, kBlockStone);

    // Select All and Clear empty the level; Escape drops the selection.
    Command('sall');
    Command('clea');
    EXPECT_EQ(Counts(), std::pair(0, 0));
    Key(kKeyCodeEscape);
    EXPECT_FALSE(PlatformIsMenuCommandEnabled('clea'));
    Command('undo');
    EXPECT_EQ(Counts(), std::pair(3, 1));

    // The clipboard outlives the set.
    Command('sall');
    Command('copy');
    LevelSetMakeClean(editor->levelSet);
    Command('new ');
    SetCursor(0, 0, 0);
    Command('past');
    EXPECT_EQ(Counts(), std::pair(3, 1));
    ASSERT_NE(BlockAt(4, 4, 4), nullptr);
    EXPECT_EQ(BlockAt(4, 4, 4)->type, kBlockStone);
    EditClipboardEmpty(EditClipboardShared());
}

} // namespace
