// The level editor driven through the application controller on the headless
// platform (scripted dialogs, a temporary per-user folder), and once through
// real key events of the desktop platform.
#include "EditorTestSupport.h"

#include "Block.h"
#include "CameraController.h"
#include "Player.h"
#include "Powerup.h"
#include "ToolPalette.h"

using namespace editortest;

namespace {

using LevelEditorTest = OpenEditorTest;

TEST_F(LevelEditorTest, CursorMovesFollowTheView)
{
    const Vector alongPlusX = VectorWithValues(1, 0, 0.2f), alongMinusX = VectorWithValues(-1, 0, 0);
    const Vector alongPlusZ = VectorWithValues(0.2f, 0, 1), alongMinusZ = VectorWithValues(0, -0.5f, -1);
    const int codes[] = {0, 1, 4, 5};
    const int expected[4][4] = {{0, 1, 4, 5}, {1, 0, 5, 4}, {5, 4, 0, 1}, {4, 5, 1, 0}};
    const Vector views[] = {alongMinusZ, alongPlusZ, alongMinusX, alongPlusX};
    for (int v = 0; v < 4; v++) {
        for (int c = 0; c < 4; c++)
            EXPECT_EQ(LevelEditorTurnCursorMove(views[v], codes[c]), expected[v][c]) << v << " " << c;
        EXPECT_EQ(LevelEditorTurnCursorMove(views[v], 2), 2);
        EXPECT_EQ(LevelEditorTurnCursorMove(views[v], 3), 3);
    }
    // Looking along +x, the left arrow moves towards -z.
    SetCursor(2, 0, 2);
    editor->cameraController->camera->forward = VectorWithValues(1, 0, 0);
    LevelEditorMoveBlockCursor(editor, CursorMoveMinusX);
    EXPECT_EQ(Cursor(), (std::vector<int32_t>{2, 0, 1}));
}

TEST_F(LevelEditorTest, ARestingEditorDrawsOnlyOnDemand)
{
    int frames = 0;
    ControllerSetFrameOverlay([](void *count) { ++*static_cast<int *>(count); }, &frames);
    HeadlessRunFor(0.5);
    EXPECT_GT(frames, 30) << "the editor draws while the author works";
    HeadlessRunFor(kLevelEditorActiveSeconds + 1.0);
    frames = 0;
    HeadlessRunFor(1.0);
    EXPECT_EQ(frames, 0) << "a resting editor draws nothing";
    EXPECT_EQ(editor->blinkPhase, 1.0f) << "and its cursor stands still";
    Key(kKeyCodeRight);
    HeadlessRunFor(0.5);
    EXPECT_GT(frames, 30) << "a key wakes it";
    ControllerSetFrameOverlay(nullptr, nullptr);
}

TEST_F(LevelEditorTest, SpaceHeldPlacesABoxAndTheSameTypeClears)
{
    AddBlock(CurrentLevel(), kBlockDeadly, 1, 1, 0);
    SetCursor(0, 0, 0);
    // The camera looks along -z at start: arrows are not turned.
    Space(true);
    EXPECT_TRUE(LevelSetIsDirty(editor->levelSet));
    for (int32_t i = 0; i < 3; i++)
        Key(kKeyCodeRight);
    Key(PlatformCharCodeToKeyCode('q'));
    Space(false);
    EXPECT_EQ(CurrentLevel()->blockCount, 8);
    for (int32_t y = 0; y < 2; y++)
        for (int32_t x = 0; x < 4; x++) {
            ASSERT_NE(BlockAt(x, y, 0), nullptr);
            EXPECT_EQ(BlockAt(x, y, 0)->type, kBlockStone);
        }
    EXPECT_EQ(BlockAt(4, 0, 0), nullptr);
    EXPECT_EQ(editor->placing, 0);

    // Pressing and releasing on a stone clears it.
    Space();
    EXPECT_EQ(CurrentLevel()->blockCount, 7);
    EXPECT_EQ(BlockAt(3, 1, 0), nullptr);
}

TEST_F(LevelEditorTest, LaddersAndThePlayerStartTakeTheOrientationOfTheArrowsAndPowerupsToggle)
{
    editor->palette->selectedType = kBlockLadder;
    SetCursor(2, 0, 2);
    Space(true);
    Key(kKeyCodeLeft);
    Space(false);
    EXPECT_EQ(editor->cursor[0], 2);
    ASSERT_NE(BlockAt(2, 0, 2), nullptr);
    EXPECT_EQ(BlockAt(2, 0, 2)->type, kBlockLadder);
    EXPECT_EQ(static_cast<LadderData *>(BlockAt(2, 0, 2)->data)->orientation, 1);
    EXPECT_EQ(editor->orienting, 0);

    // Powerups toggle; the player start takes a facing.
    UseBlock(kPowerupFeather);
    PlaceAt(1, 2, 3);
    ASSERT_EQ(Counts(), std::pair(1, 1));
    EXPECT_EQ(CurrentLevel()->powerups[0]->kind, kPowerupFeather);
    EXPECT_FLOAT_EQ(CurrentLevel()->powerups[0]->position.z, 21.0f);
    Space();
    EXPECT_EQ(Counts(), std::pair(1, 0));
    Space();
    EXPECT_EQ(Counts(), std::pair(1, 1));

    editor->palette->tool = ToolPlayerStart;
    Space(true);
    Key(kKeyCodeDown); // code 5: facing 3, +z
    Space(false);
    EXPECT_EQ(CurrentLevel()->playerStartZ, 3);
    EXPECT_EQ(CurrentLevel()->initialPlayerFacing, 3);
    EXPECT_EQ(editor->cursor[2], 3);
    EXPECT_FLOAT_EQ(editor->player->position.x, 9.0f);
    EXPECT_FLOAT_EQ(editor->player->position.y, 12.0f);
}

TEST_F(LevelEditorTest, LevelCommandsAndResizing)
{
    Level *only = CurrentLevel();
    Command('DLvl');
    EXPECT_EQ(editor->levelSet->levelCount, 1);
    EXPECT_EQ(CurrentLevel(), only);
    EXPECT_FALSE(LevelSetIsDirty(editor->levelSet));

    // The inspector follows the cursor's cell into other levels.
    PlaceAt(2, 0, 2);
    editor->palette->tool = ToolInspector;
    LevelEditorNewToolSelected(editor, ToolBlock, ToolInspector);
    EXPECT_EQ(editor->palette->inspectedBlock, BlockAt(2, 0, 2));
    Command('NLvl');
    EXPECT_EQ(editor->levelSet->levelCount, 2);
    EXPECT_EQ(editor->levelSet->currentLevelIndex, 1);
    EXPECT_TRUE(LevelSetIsDirty(editor->levelSet));
    EXPECT_EQ(editor->palette->inspectedBlock, nullptr);
    Command('PrvL');
    ASSERT_NE(BlockAt(2, 0, 2), nullptr);
    EXPECT_EQ(editor->palette->inspectedBlock, BlockAt(2, 0, 2));
    Command('NxtL');
    Command('DLvl');
    EXPECT_EQ(editor->levelSet->levelCount, 1);
    EXPECT_EQ(editor->levelSet->currentLevelIndex, 0);

    // Alt+arrows resize; a level of more than 32768 cells is refused.
    LevelChangeGridSize(CurrentLevel(), 32, 32, 32);
    Key(kKeyCodeRight, kModifierAlt);
    EXPECT_EQ(CurrentLevel()->sizeX, 32);
    for (int32_t key : std::vector<int32_t>{kKeyCodeLeft, kKeyCodeDown, PlatformCharCodeToKeyCode('z')})
        Key(key, kModifierAlt);
    EXPECT_EQ(Size(), (std::vector<int32_t>{31, 31, 31}));
    SetCursor(31, 31, 31);
    Key(kKeyCodeUp, kModifierAlt);
    EXPECT_EQ(CurrentLevel()->sizeZ, 32);
    LevelEditorConstrainBlockCursorToLevelBounds(editor);
    EXPECT_EQ(editor->cursor[0], 30);
}

// The play changes its copy only: the edits, the undo steps, the cursor and
// the camera are as they were when it began.
TEST_F(LevelEditorTest, TestPlayComesBackWithTheEditsAndWithoutThePlay)
{
    Command('NLvl');
    const std::vector<uint8_t> original = Bytes();
    PlaceAt(1, 0, 1);
    const std::vector<uint8_t> placed = Bytes();
    HeadlessRunFor(2.0); // the camera settles on the cursor
    Vector camera = editor->cameraController->camera->position;
    Command('TLvl');
    ASSERT_EQ(Stack(), (std::vector<int32_t>{ModeSplashScreen, ModeLevelEditor, ModeGame}));
    EXPECT_EQ(LevelSetGetCurrentLevelIndex(editor->levelSet), 1);
    EXPECT_EQ(BlockAt(1, 0, 1)->type, kBlockStone);
    EXPECT_FALSE(PlatformIsMenuCommandEnabled('undo'));
    AddBlock(CurrentLevel(), kBlockDeadly, 4, 0, 4);
    HeadlessRunFor(0.5); // and the water rises
    Command('EGam');
    ASSERT_EQ(Stack(), (std::vector<int32_t>{ModeSplashScreen, ModeLevelEditor}));
    EXPECT_EQ(LevelSetGetCurrentLevelIndex(editor->levelSet), 1);
    EXPECT_EQ(Bytes(), placed);
    EXPECT_EQ(Cursor(), (std::vector<int32_t>{1, 0, 1}));
    EXPECT_NEAR(editor->cameraController->camera->position.x, camera.x, 1e-3);
    EXPECT_NEAR(editor->cameraController->camera->position.z, camera.z, 1e-3);
    EXPECT_EQ(MenuTitle('undo'), "Undo Place Blocks");
    EXPECT_FALSE(PlatformIsMenuCommandEnabled('redo'));

    // A completed level (or a restarted game) returns to the edited level.
    Command('TLvl');
    GameControllerRestartGame(controller->gameController);
    GameControllerLevelCompleted(controller->gameController);
    HeadlessRunFor(0.0);
    EXPECT_EQ(Stack(), (std::vector<int32_t>{ModeSplashScreen, ModeLevelEditor}));
    EXPECT_EQ(LevelSetGetCurrentLevelIndex(editor->levelSet), 1);
    EXPECT_EQ(Bytes(), placed);
    Command('undo');
    EXPECT_EQ(Bytes(), original);
}

TEST_F(LevelEditorTest, SaveRevertNewAndOpenRoundTrips)
{
    EXPECT_EQ(Title(), "Brimhold level set");
    Space();
    EXPECT_EQ(Title(), "*Brimhold level set");
    EXPECT_TRUE(PlatformIsMenuCommandEnabled('save'));

    DialogsQueueScriptedAnswer(1, "My set");
    Command('save');
    const fs::path file = home.UserLevels() / "My set";
    ASSERT_TRUE(fs::exists(file));
    EXPECT_FALSE(LevelSetIsDirty(editor->levelSet));
    EXPECT_EQ(Title(), "My set");
    EXPECT_EQ(Enabled({'save', 'rvrt'}), "00");

    // A set with a file of the user's is saved in place without a dialog.
    Key(kKeyCodeRight);
    Space();
    EXPECT_EQ(Title(), "*My set");
    Command('save');
    EXPECT_EQ(DialogsPendingScriptedAnswers(), 0);
    EXPECT_FALSE(LevelSetIsDirty(editor->levelSet));
    const std::string saved = ReadText(file);

    Key(kKeyCodeRight);
    Space();
    Command('rvrt');
    EXPECT_EQ(CurrentLevel()->blockCount, 2);
    EXPECT_FALSE(LevelSetIsDirty(editor->levelSet));

    Command('new ');
    EXPECT_EQ(CurrentLevel()->blockCount, 0);
    EXPECT_EQ(Title(), "*Brimhold level set");
    EXPECT_EQ(ControllerGetCurrentLevelSet(), editor->levelSet);

    // A file that is no level set is refused and changes nothing.
    WriteText(home.root / "junk", "not a level set");
    LevelSet *before = editor->levelSet;
    DialogsQueueScriptedAnswer(1, (home.root / "junk").string());
    Command('open');
    EXPECT_EQ(editor->levelSet, before);
    ASSERT_FALSE(HeadlessAlerts().empty());
    EXPECT_EQ(HeadlessAlerts().back(), "There was a problem loading the specified level file.");

    // Opening asks about the unsaved new set; "do not save" goes on.
    DialogsQueueScriptedAnswer(1, file.string());
    DialogsQueueScriptedAnswer(-1);
    Command('open');
    EXPECT_EQ(DialogsPendingScriptedAnswers(), 0);
    EXPECT_NE(editor->levelSet, before);
    EXPECT_EQ(ControllerGetCurrentLevelSet(), editor->levelSet);
    EXPECT_EQ(CurrentLevel()->blockCount, 2);
    EXPECT_EQ(Title(), "My set");
    EXPECT_EQ(ReadText(file), saved);
}

// A shipped set is saved into the user's folder; a failed save keeps the set
// dirty and the old file whole.
TEST_F(LevelEditorTest, ShippedSetsAreNeverWrittenAndAFailedSaveKeepsTheOldFile)
{
    WriteSet(home.Resources() / "Levels", "Shipped", 1);
    const fs::path shipped = home.Resources() / "Levels" / "Shipped", file = home.UserLevels() / "Shipped";
    const std::string original = ReadText(shipped);
    ASSERT_TRUE(LevelSetReInitWithFile(editor->levelSet, shipped));
    Space();
    DialogsQueueScriptedAnswer(1);
    Command('save');
    EXPECT_EQ(ReadText(shipped), original);
    ASSERT_TRUE(fs::exists(file));
    EXPECT_EQ(*editor->levelSet->file, file);

    const std::string saved = ReadText(file);
    LevelChangeGridSize(CurrentLevel(), 20, 20, 20);
    for (int32_t x = 0; x < 20; x++)
        PlaceAt(x, 0, 0);
    {
        FullDisk full(saved.size());
        Command('save');
    }
    EXPECT_TRUE(LevelSetIsDirty(editor->levelSet));
    EXPECT_EQ(Title(), "*Shipped");
    EXPECT_EQ(ReadText(file), saved);
    ASSERT_FALSE(HeadlessAlerts().empty());
    EXPECT_EQ(HeadlessAlerts().back(), "There was a problem saving the file \"Shipped\".");
}

TEST_F(LevelEditorTest, CancellingTheQuestionKeepsTheEditorAndTheModesBelow)
{
    Space();
    DialogsQueueScriptedAnswer(0);
    Command('LEdt');
    EXPECT_EQ(controller->levelEditor, editor);

    // Quitting, and the window's close button, ask the same way.
    for (bool quit : {true, false}) {
        if (quit)
            HeadlessInjectCommand('quit');
        else
            HeadlessInjectSimple(kEventWindowClose);
        EXPECT_TRUE(HeadlessRunFor(0.0));
        DialogsQueueScriptedAnswer(0);
        EXPECT_FALSE(ControllerStop(controller));
        EXPECT_EQ(Stack(), (std::vector<int32_t>{ModeSplashScreen, ModeLevelEditor}));
        EXPECT_EQ(controller->levelEditor, editor);
        EXPECT_FALSE(ControllerIsQuitting(controller));
        EXPECT_TRUE(LevelSetIsDirty(editor->levelSet));
        EXPECT_EQ(DialogsPendingScriptedAnswers(), 0);
    }
    // The editor still works.
    Space();
    EXPECT_EQ(CurrentLevel()->blockCount, 0);

    // "Do not save" lets it go, and the title is the program's again.
    DialogsQueueScriptedAnswer(-1);
    Command('LEdt');
    EXPECT_EQ(Stack(), (std::vector<int32_t>{ModeSplashScreen}));
    EXPECT_EQ(Title(), "Brimhold");
    editor = nullptr;
}

TEST_F(LevelEditorTest, APadPlacesABoxAndChoosesFromThePalette)
{
    auto pad = [](int32_t button, bool down) {
        HeadlessInjectPadButton(down ? kEventPadButtonDown : kEventPadButtonUp, button);
        HeadlessRunFor(0.0);
    };
    auto tap = [&](int32_t button) {
        pad(button, true);
        pad(button, false);
    };
    SetCursor(0, 0, 0);
    // A held, the d-pad right twice and the right shoulder: a box of 3 x 2.
    pad(kPadButtonA, true);
    for (int32_t button : {kPadButtonDPadRight, kPadButtonDPadRight, kPadButtonRightShoulder})
        tap(button);
    pad(kPadButtonA, false);
    EXPECT_EQ(CurrentLevel()->blockCount, 6);
    EXPECT_EQ(Cursor(), (std::vector<int32_t>{2, 1, 0}));
    tap(kPadButtonLeftShoulder);
    EXPECT_EQ(editor->cursor[1], 0);
    // B opens the choice on the stone type; the d-pad moves over it without
    // moving the cursor; A takes the water tool.
    int32_t stone = ToolPaletteCurrentItem(editor->palette);
    EXPECT_GE(stone, kToolPaletteToolCount);
    tap(kPadButtonB);
    for (int32_t i = 0; i < stone - 2; i++) // back to the third tool
        tap(kPadButtonDPadLeft);
    EXPECT_EQ(editor->cursor[0], 2);
    tap(kPadButtonA);
    EXPECT_EQ(ToolPaletteGetTool(editor->palette), ToolWater);
    // Closed again: the d-pad moves the cursor.
    tap(kPadButtonDPadLeft);
    EXPECT_EQ(editor->cursor[0], 1);
}

// Real key events through the desktop platform's event queue.
TEST(LevelEditorDesktop, KeysMoveResizeAndPlace)
{
    TemporaryHome home;
    ASSERT_TRUE(PlatformStartUp());
    TextStartUp();
    // Tests running beside this one on the same display take the focus
    // away, which rightly suspends the editor: focus changes are left out.
    SDL_SetEventFilter(
        [](void *, SDL_Event *e) {
            return int(e->type != SDL_WINDOWEVENT || (e->window.event != SDL_WINDOWEVENT_FOCUS_LOST &&
                                                      e->window.event != SDL_WINDOWEVENT_FOCUS_GAINED));
        },
        nullptr);
    Controller *controller = StartController();
    ASSERT_NE(controller->mainWindow, nullptr);
    ControllerPushMode(controller, ModeLevelEditor);
    LevelEditor *editor = controller->levelEditor;
    Uint32 window = SDL_GetWindowID(SDL_GL_GetCurrentWindow());
    RunDesktopLoop(0.2);
    ASSERT_EQ(editor->suspendCount, 0);
    const int32_t startX = editor->cursor[0];
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_SPACE, 0, window);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_RIGHT, 0, window);
    PushKey(SDL_KEYUP, SDL_SCANCODE_RIGHT, 0, window);
    PushKey(SDL_KEYUP, SDL_SCANCODE_SPACE, 0, window);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_UP, KMOD_LALT, window);
    PushKey(SDL_KEYUP, SDL_SCANCODE_UP, KMOD_LALT, window);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_Q, KMOD_LCTRL, window); // quits; no cursor move
    RunDesktopLoop(3.0);
    Level *level = LevelSetGetCurrentLevelCopy(editor->levelSet);
    EXPECT_EQ(editor->cursor[0], startX + 1);
    EXPECT_EQ(editor->cursor[1], 0);
    EXPECT_EQ(level->blockCount, 2);
    EXPECT_EQ(level->sizeZ, 6);
    EXPECT_EQ(std::string(PlatformWindowGetTitle(controller->mainWindow->window)), "*Brimhold level set");
    SDL_SetEventFilter(nullptr, nullptr);
    StopController(controller);
    TextShutDown();
    PlatformShutDown();
}

} // namespace
