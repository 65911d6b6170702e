// The recovery file: written a few seconds after an edit and before a test
// play, offered back at start, removed when the set is saved or its changes
// discarded; a damaged file kept aside, a full disk survived.
#include "EditorTestSupport.h"
#include "LevelEditorHistory.h"
#include "Recovery.h"
#include "ToolPalette.h"

using namespace editortest;

namespace {

// Every test of this program keeps its recovery files in a folder of its
// own, never in the user's.
const testfiles::TemporaryFolder testStateHome;
const testfiles::ScopedEnv testStateEnv{"XDG_STATE_HOME", testStateHome.path().c_str()};

// The bytes a set read from the file writes back.
std::vector<uint8_t> SetBytesOfFile(const fs::path &file)
{
    LevelSet *set = LevelSetAllocate();
    std::vector<uint8_t> bytes;
    if (LevelSetInitWithFile(set, file))
        LevelSetWriteToBuffer(set, &bytes);
    LevelSetDispose(set);
    return bytes;
}

class RecoveryTest : public EditorTest {
protected:
    void OpenAndPlaceAStone()
    {
        OpenEditor();
        UseBlock(kBlockStone);
        PlaceAt(1, 0, 1);
    }
};

TEST_F(RecoveryTest, AnEditIsWrittenSoonAfterAndRemovedOnSave)
{
    EXPECT_EQ(RecoveryFolder(), home.root / "state" / "Brimhold" / "Recovery");
    OpenAndPlaceAStone();
    HeadlessRunFor(kLevelEditorAutosaveDelay - 0.5);
    EXPECT_FALSE(RecoveryExists());
    PlaceAt(2, 0, 1);
    HeadlessRunFor(1.0);
    ASSERT_TRUE(RecoveryExists());
    EXPECT_EQ(levelworld::ReadBytes(RecoveryFile()), Bytes());
    EXPECT_EQ(SetBytesOfFile(RecoveryFile()), Bytes());

    DialogsQueueScriptedAnswer(1, "Mine");
    Command('save');
    EXPECT_FALSE(LevelSetIsDirty(editor->levelSet));
    EXPECT_FALSE(RecoveryExists());
    // Undoing back to the saved state leaves nothing to recover.
    PlaceAt(3, 0, 1);
    Command('undo');
    HeadlessRunFor(kLevelEditorAutosaveDelay + 0.5);
    EXPECT_FALSE(RecoveryExists());
}

TEST_F(RecoveryTest, ChangesNobodyCouldBeAskedAboutAreKeptWhenTheProgramEnds)
{
    OpenAndPlaceAStone();
    std::vector<uint8_t> edited = Bytes();
    EXPECT_FALSE(RecoveryExists());
    // The quit question cannot be shown: the program ends, the changes stay.
    DialogsQueueScriptedAnswer(kDialogNotShown);
    EXPECT_TRUE(ControllerStop(controller));
    ASSERT_TRUE(RecoveryExists());
    EXPECT_EQ(SetBytesOfFile(RecoveryFile()), edited);
}

TEST_F(RecoveryTest, RestoredAtStartWithItsNameAndFolder)
{
    // The set as saved, and as edited when the program was killed.
    LevelSet *set = LevelSetAllocate();
    LevelSetInit(set);
    fs::create_directories(home.UserLevels());
    ASSERT_TRUE(LevelSetSaveToFile(set, home.UserLevels(), "Mine"));
    const fs::path mine = home.UserLevels() / "Mine";
    LevelSetAppendLevel(set);
    AddBlock(LevelSetGetLevel(set, 1), kBlockStone, 1, 1, 1);
    std::vector<uint8_t> edited;
    ASSERT_TRUE(LevelSetWriteToBuffer(set, &edited));
    ASSERT_TRUE(RecoveryWrite(edited, set->file));
    LevelSetDispose(set);

    DialogsQueueScriptedAnswer(1); // Restore
    ASSERT_TRUE(RecoveryOfferAtStart(controller));
    editor = controller->levelEditor;
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(Stack().back(), ModeLevelEditor);
    EXPECT_EQ(LevelSetGetLevelSetName(editor->levelSet), "Mine");
    ASSERT_NE(editor->levelSet->file, nullptr);
    EXPECT_EQ(*editor->levelSet->file, mine);
    EXPECT_TRUE(LevelSetIsDirty(editor->levelSet));
    EXPECT_EQ(Title(), "*Mine");
    EXPECT_EQ(Bytes(), edited);
    EXPECT_FALSE(PlatformIsMenuCommandEnabled('undo'));

    // Saving writes the original file and removes the recovery.
    Command('save');
    EXPECT_FALSE(RecoveryExists());
    EXPECT_EQ(SetBytesOfFile(mine), edited);
}

// Cancel keeps the file and discard removes it. Restoring saves to the
// original path unasked, so a path that names anything but a level set is
// not taken.
TEST_F(RecoveryTest, CancelKeepsItDiscardRemovesItAndAnOriginThatIsNoLevelSetIsNotTaken)
{
    const fs::path notes = home.root / "notes.txt";
    WriteText(notes, "not a level set");
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(LevelSetWriteToBuffer(controller->currentLevelSet, &bytes));
    ASSERT_TRUE(RecoveryWrite(bytes, &notes));
    DialogsQueueScriptedAnswer(0);
    EXPECT_FALSE(RecoveryOfferAtStart(controller));
    EXPECT_TRUE(RecoveryExists());
    DialogsQueueScriptedAnswer(-1);
    EXPECT_FALSE(RecoveryOfferAtStart(controller));
    EXPECT_FALSE(RecoveryExists());
    EXPECT_EQ(Stack().back(), ModeSplashScreen);
    // Nothing to offer: no question.
    DialogsQueueScriptedAnswer(1);
    EXPECT_FALSE(RecoveryOfferAtStart(controller));
    EXPECT_EQ(DialogsPendingScriptedAnswers(), 1);

    ASSERT_TRUE(RecoveryWrite(bytes, &notes));
    ASSERT_TRUE(RecoveryOfferAtStart(controller));
    EXPECT_EQ(controller->currentLevelSet->file, nullptr);
    EXPECT_EQ(LevelSetGetLevelSetName(controller->currentLevelSet), "Brimhold level set");
    EXPECT_EQ(ReadText(notes), "not a level set");
}

TEST_F(RecoveryTest, ADamagedFileIsReportedOnceAndKeptAside)
{
    const std::string damaged =
        std::string("BRMHLevl") + std::string(64, '\0') + std::string("\x00\x02\xff\xff\xff\xff", 6);
    fs::create_directories(RecoveryFolder());
    WriteText(RecoveryFile(), damaged);
    LevelSet *set = controller->currentLevelSet;
    std::vector<uint8_t> before, after;
    LevelSetWriteToBuffer(set, &before);

    DialogsQueueScriptedAnswer(1);
    EXPECT_FALSE(RecoveryOfferAtStart(controller));
    EXPECT_EQ(Stack().back(), ModeSplashScreen);
    EXPECT_EQ(HeadlessAlerts().size(), 1u);
    EXPECT_FALSE(RecoveryExists());
    fs::path aside = RecoveryFile();
    aside += ".damaged";
    EXPECT_EQ(ReadText(aside), damaged);
    LevelSetWriteToBuffer(set, &after);
    EXPECT_EQ(after, before);
    EXPECT_FALSE(RecoveryOfferAtStart(controller));
    EXPECT_EQ(HeadlessAlerts().size(), 1u);
}

TEST_F(RecoveryTest, AFullDiskKeepsThePreviousFileQuietlyATestPlayWritesItAndDiscardRemovesIt)
{
    OpenAndPlaceAStone();
    HeadlessRunFor(kLevelEditorAutosaveDelay + 0.5);
    const std::string first = ReadText(RecoveryFile());
    ASSERT_FALSE(first.empty());
    for (int32_t x = 0; x < 5; x++)
        PlaceAt(x, 0, 3);

    {
        FullDisk full(first.size());
        HeadlessRunFor(kLevelEditorAutosaveDelay + 0.5);
    }
    EXPECT_EQ(ReadText(RecoveryFile()), first);
    EXPECT_TRUE(HeadlessAlerts().empty());

    HeadlessRunFor(kLevelEditorAutosaveDelay + 0.5);
    EXPECT_EQ(levelworld::ReadBytes(RecoveryFile()), Bytes());

    // A test play writes it first; discarding the changes removes it.
    PlaceAt(4, 0, 4);
    Command('TLvl');
    ASSERT_EQ(Stack().back(), ModeGame);
    EXPECT_EQ(levelworld::ReadBytes(RecoveryFile()), Bytes());
    Command('EGam');
    DialogsQueueScriptedAnswer(-1); // do not save
    Command('new ');
    EXPECT_FALSE(RecoveryExists());
}

} // namespace
