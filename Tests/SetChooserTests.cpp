// The set chooser: its list from folders of good, damaged and same-named
// sets, the first selection, and the panel worked by keys and the mouse.
#include "Controller.h"
#include "Folders.h"
#include "Headless.h"
#include "Keyboard.h"
#include "LevelSet.h"
#include "ListPanel.h"
#include "Preferences.h"
#include "Progress.h"
#include "SetChooser.h"
#include "Sound.h"
#include "WidgetTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

void WriteSet(const fs::path &folder, const std::string &name, int32_t levels)
{
    fs::create_directories(folder);
    LevelSet *set = LevelSetAllocate();
    LevelSetInit(set);
    for (int32_t i = 1; i < levels; i++)
        LevelSetAppendLevel(set);
    ASSERT_TRUE(LevelSetSaveToFile(set, folder, name));
    LevelSetDispose(set);
}

void WriteBytes(const fs::path &file, const std::string &bytes)
{
    std::ofstream(file, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

class Chooser : public testing::Test {
protected:
    fs::path root;
    Controller *controller = nullptr;
    LevelSet *set = nullptr;
    OpenGLWindow *window = nullptr;

    void SetUp() override
    {
        root = fs::temp_directory_path() / ("brimhold-chooser-" + std::to_string(getpid()));
        fs::remove_all(root);
        setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
        fs::create_directories(root / "resources" / "Levels");
        PlatformSetResourcesFolder(root / "resources");
        HeadlessPlatformStartUp();
        PrefsStartUp();
        SoundSetEnabled(false);
        TextStartUp();
        controller = ControllerAllocate();
        ASSERT_NE(controller, nullptr);
        window = ControllerGetMainWindow(controller);
        set = LevelSetAllocate();
        LevelSetInit(set);
        controller->currentLevelSet = set;

        fs::path user, downloaded;
        ASSERT_TRUE(LevelSetGetUserLevelsFolder(&user));
        ASSERT_TRUE(LevelSetGetDownloadedLevelsFolder(&downloaded));
        WriteSet(root / "resources" / "Levels", "Test levels", 3);
        WriteSet(user, "Set 10", 2);
        WriteSet(user, "Set 2", 1);
        WriteBytes(user / "Broken", "BRMHLevl" + std::string(64, '\0') + std::string("\0\3\0\0", 4));
        WriteBytes(user / "notes.txt", "not a level set");
        WriteSet(downloaded, "Set 2", 4); // the same name in another folder
    }
    void TearDown() override
    {
        ListPanelSetObserver(nullptr, nullptr);
        ListPanelClearScriptedAnswers();
        ControllerStop(controller);
        ControllerDispose(controller);
        LevelSetDispose(set);
        TextShutDown();
        PrefsShutDown();
        HeadlessPlatformShutDown();
        SoundSetEnabled(true);
        PlatformSetResourcesFolder(fs::path());
        unsetenv("XDG_CONFIG_HOME");
        unsetenv("XDG_DATA_HOME");
        fs::remove_all(root);
    }

    std::vector<int32_t> Stack()
    {
        return std::vector<int32_t>(controller->modeStack, controller->modeStack + controller->modeStackTop + 1);
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

TEST_F(Chooser, KeysChooseASetAndEscapeLeavesEverythingAsItWas)
{
    ControllerStart(controller);
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
}

TEST_F(Chooser, ADoubleClickPlaysAndStartAtLevelOffersTheLevelsReached)
{
    fs::path downloaded;
    LevelSetGetDownloadedLevelsFolder(&downloaded);
    ProgressSet *progress = ProgressForFile(downloaded / "Set 2", true);
    ProgressNoteReached(progress, 2);

    // "Start at level...", then the third level from the list of three.
    static std::vector<int32_t> rowsShown;
    rowsShown.clear();
    ListPanelQueueScriptedAnswer('Strt', 4);
    ListPanelQueueScriptedAnswer('Play', 2);
    ListPanelSetObserver([](const ListPanelSpec *spec, void *) { rowsShown.push_back(int32_t(spec->rows.size())); },
                         nullptr);
    ControllerStart(controller);
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
        window);
    EXPECT_TRUE(SetChooserRun());
    EXPECT_EQ(LevelSetGetLevelSetName(set), "Set 10");
    EXPECT_EQ(controller->startingLevel, 0);
}

TEST_F(Chooser, ALongListScrollsToTheSelection)
{
    fs::path user;
    LevelSetGetUserLevelsFolder(&user);
    for (int i = 11; i <= 20; i++)
        WriteSet(user, "Set " + std::to_string(i), 1);
    // 15 sets, 14 that can be chosen: the last is "Set 2" of "Downloaded levels".
    ControllerStart(controller);
    for (int i = 0; i < 20; i++)
        HeadlessInjectKey(kEventRawKeyDown, kKeyCodeDown, 0, 0.05 * (i + 1));
    HeadlessInjectKey(kEventRawKeyDown, kKeyCodeReturn, 0, 1.5);
    ASSERT_TRUE(SetChooserRun());
    EXPECT_EQ(LevelSetGetLevelCount(set), 4);
}

TEST_F(Chooser, APanelsFieldStartsSelectedAndTakesTypedText)
{
    ControllerStart(controller);
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
