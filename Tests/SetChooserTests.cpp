// The set chooser: its list from folders of good, damaged and same-named
// sets, the first selection, and the panel worked by keys and the mouse.
#include "EditorTestSupport.h"

#include "ListPanel.h"
#include "Progress.h"
#include "SetChooser.h"
#include "WidgetTestSupport.h"

using namespace editortest;

namespace {

// Standard, user and downloaded sets: good, damaged, and one name in two
// folders; the controller at the title screen.
class Chooser : public EditorTest {
protected:
    LevelSet *set = nullptr;

    void SetUp() override
    {
        EditorTest::SetUp();
        set = controller->currentLevelSet;
        WriteSet(home.Resources() / "Levels", "Test levels", 3);
        WriteSet(home.UserLevels(), "Set 10", 2);
        WriteSet(home.UserLevels(), "Set 2", 1);
        WriteText(home.UserLevels() / "Broken", "BRMHLevl" + std::string(64, '\0') + std::string("\0\3\0\0", 4));
        WriteText(home.UserLevels() / "notes.txt", "not a level set");
        WriteSet(home.DownloadedLevels(), "Set 2", 4); // the same name in another folder
    }
    void TearDown() override
    {
        ListPanelSetObserver(nullptr, nullptr);
        ListPanelClearScriptedAnswers();
        EditorTest::TearDown();
    }
};

} // namespace

TEST_F(Chooser, ListsEverySetByFolderWithDamagedOnesShownAsSuch)
{
    std::vector<SetChooserEntry> entries = SetChooserListAllSets();
    std::vector<std::vector<std::string>> rows;
    for (const SetChooserEntry &entry : entries)
        rows.push_back(SetChooserDescribe(entry));
    EXPECT_EQ(rows, (std::vector<std::vector<std::string>>{
                        {"Test levels", "Standard levels", "3 levels", "0 completed", ""},
                        {"Broken", "User levels", "damaged", "", ""},
                        {"Set 2", "User levels", "1 level", "0 completed", ""},
                        {"Set 10", "User levels", "2 levels", "0 completed", ""},
                        {"Set 2", "Downloaded levels", "4 levels", "0 completed", ""}}));

    // The set played last comes first, never a damaged one.
    EXPECT_EQ(SetChooserFirstSelection(entries, ""), 0);
    EXPECT_EQ(SetChooserFirstSelection(entries, entries[4].file.string()), 4);
    EXPECT_EQ(SetChooserFirstSelection(entries, entries[1].file.string()), 0);
    EXPECT_EQ(SetChooserFirstSelection({entries[1]}, ""), -1);

    // Progress shows: levels completed and the best score.
    ProgressSet *progress = ProgressForFile(entries[3].file, true);
    ProgressRecordLevel(progress, 0, 10, 100, nullptr);
    HighScoresInsert(&progress->scores, HighScore{345, 0, "Ada"});
    EXPECT_EQ(SetChooserDescribe(SetChooserListAllSets()[3]),
              (std::vector<std::string>{"Set 10", "User levels", "2 levels", "1 completed", "best 345"}));
}

TEST_F(Chooser, KeysChooseASetEscapeLeavesEverythingAsItWasAndALongListScrolls)
{
    // Escape: nothing changes.
    HeadlessInjectKey(kEventRawKeyDown, kKeyCodeEscape, 0, 0.1);
    EXPECT_FALSE(SetChooserRun());
    EXPECT_EQ(Stack(), std::vector<int32_t>{ModeSplashScreen});
    EXPECT_EQ(LevelSetGetLevelCount(set), 1);

    // Down skips the damaged set; Return plays the chosen one from level 1.
    controller->startingLevel = 5;
    HeadlessInjectKey(kEventRawKeyDown, kKeyCodeDown, 0, 0.1);
    HeadlessInjectKey(kEventRawKeyDown, kKeyCodeReturn, 0, 0.2);
    EXPECT_TRUE(SetChooserRun());
    EXPECT_EQ(LevelSetGetLevelSetName(set), "Set 2");
    EXPECT_EQ(LevelSetGetLevelCount(set), 1);
    EXPECT_EQ(Stack(), (std::vector<int32_t>{ModeSplashScreen, ModeGame}));
    EXPECT_EQ(controller->startingLevel, 0);
    ControllerPopMode(controller);

    // A long list scrolls to the selection: of 15 sets, 14 can be chosen, the
    // last is "Set 2" of "Downloaded levels".
    for (int i = 11; i <= 20; i++)
        WriteSet(home.UserLevels(), "Set " + std::to_string(i), 1);
    for (int i = 0; i < 20; i++)
        HeadlessInjectKey(kEventRawKeyDown, kKeyCodeDown, 0, 0.05 * (i + 1));
    HeadlessInjectKey(kEventRawKeyDown, kKeyCodeReturn, 0, 1.5);
    ASSERT_TRUE(SetChooserRun());
    EXPECT_EQ(LevelSetGetLevelCount(set), 4);
}

TEST_F(Chooser, ADoubleClickPlaysAndStartAtLevelOffersTheLevelsReached)
{
    ProgressSet *progress = ProgressForFile(home.DownloadedLevels() / "Set 2", true);
    ProgressNoteReached(progress, 2);

    // "Start at level...", then the third level from the list of three.
    static std::vector<int32_t> rowsShown;
    rowsShown.clear();
    ListPanelQueueScriptedAnswer('Strt', 4);
    ListPanelQueueScriptedAnswer('Play', 2);
    ListPanelSetObserver([](const ListPanelSpec *spec, void *) { rowsShown.push_back(int32_t(spec->rows.size())); },
                         nullptr);
    EXPECT_TRUE(SetChooserRun());
    EXPECT_EQ(rowsShown, (std::vector<int32_t>{5, 3}));
    EXPECT_EQ(LevelSetGetLevelCount(set), 4);
    EXPECT_EQ(controller->startingLevel, 2);
    ControllerPopMode(controller);

    // A double click on a row plays that set.
    ListPanelSetObserver(
        [](const ListPanelSpec *, void *context) {
            OpenGLWindow *shown = static_cast<OpenGLWindow *>(context);
            Point2f row = ListPanelRowCentre(3);
            Point2f p = widgettest::Global(shown, row.x, row.y);
            for (int32_t kind : {kEventMouseDown, kEventMouseUp, kEventMouseDown, kEventMouseUp})
                HeadlessInjectMouse(kind, p.x, p.y, 0, 1, 0.05);
        },
        controller->mainWindow);
    EXPECT_TRUE(SetChooserRun());
    EXPECT_EQ(LevelSetGetLevelSetName(set), "Set 10");
    EXPECT_EQ(controller->startingLevel, 0);
}

TEST_F(Chooser, APanelsFieldStartsSelectedAndTakesTypedText)
{
    ListPanelSpec spec;
    spec.title = "Your name:";
    spec.hasField = true;
    spec.fieldText = "Ada Lovelace";
    spec.buttons = {{'OK  ', "OK"}};
    HeadlessInjectKey(kEventRawKeyDown, kKeyCodeA + 6, kModifierShift, 0.1);
    HeadlessInjectKey(kEventRawKeyDown, kKeyCodeA, 0, 0.2);
    HeadlessInjectKey(kEventRawKeyDown, kKeyCodeReturn, 0, 0.3);
    ListPanelAnswer answer = ListPanelRun(spec);
    EXPECT_EQ(std::make_pair(answer.button, answer.text), std::make_pair(FourCharCode('OK  '), std::string("Ga")));
    EXPECT_EQ(Stack(), std::vector<int32_t>{ModeSplashScreen});
}
