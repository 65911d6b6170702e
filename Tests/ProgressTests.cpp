// Progress through the level sets and the high scores: the file and what a
// damaged one does, a completed level recorded, kept across a restart and
// forgotten when the set changes, its best run replayed, and the ten-entry
// score list.
#include "EditorTestSupport.h"

#include "HighScores.h"
#include "ListPanel.h"
#include "Player.h"
#include "Progress.h"
#include "Replay.h"
#include "WaterController.h"

using namespace editortest;

namespace {

// A set of corridors 5 x 2 x 1 with a level portal in cell 2 of each: the
// player starting in cell 0 reaches it by running right.
void WriteCorridors(const fs::path &folder, const std::string &name, int32_t count, int32_t sizeZ = 1)
{
    LevelSet *set = LevelSetAllocate();
    LevelSetInit(set);
    for (int32_t i = 0; i < count; i++) {
        Level *level = i == 0 ? LevelSetGetLevel(set, 0) : LevelSetAppendLevel(set);
        levelworld::MakeCorridor(level, sizeZ);
        AddBlock(level, kBlockLevelPortal, 2, 0, 0);
    }
    LevelSetSetCurrentLevel(set, 0);
    fs::create_directories(folder);
    ASSERT_TRUE(LevelSetSaveToFile(set, folder, name));
    LevelSetDispose(set);
}

// The title screen with the set of corridors (of the given depth) loaded.
class ProgressGame : public EditorTest {
protected:
    LevelSet *set = nullptr;

    void SetUp() override
    {
        EditorTest::SetUp();
        ProgressStartUp();
        set = controller->currentLevelSet;
    }
    void TearDown() override
    {
        ListPanelClearScriptedAnswers();
        EditorTest::TearDown();
        ProgressShutDown();
    }
    void LoadCorridors(int32_t count, int32_t sizeZ = 1)
    {
        WriteCorridors(home.root / "sets", "Corridors", count, sizeZ);
        ASSERT_TRUE(LevelSetReInitWithFile(set, home.root / "sets" / "Corridors"));
    }

    // Starts a game at level and runs right until the level is left.
    GameController *PlayLevel(int32_t level)
    {
        ControllerSetStartingLevel(controller, level);
        ControllerPushMode(controller, ModeGame);
        GameController *game = controller->gameController;
        HeadlessRunFor(0.5); // standing still first
        HeadlessInjectKey(kEventRawKeyDown, kKeyCodeRight);
        for (int i = 0; i < 600 && controller->gameController && game->levelsCompleted == 0; i++)
            HeadlessRunFor(1.0 / 120.0);
        return controller->gameController;
    }
};

} // namespace

TEST(ProgressFile, RoundTripsAndRefusesAnythingElse)
{
    ProgressStore store;
    store.lastPlayed = "/some/where/Test levels";
    ProgressSet *set = ProgressFindOrAddSet(&store, 0x0102030405060708ull, "Test levels");
    Replay replay{};
    replay.setName = "Test levels";
    replay.levelIndex = 1;
    replay.seed = 7;
    replay.endStep = 90;
    ReplayRecordEvent(&replay, 3, kReplayKeyDown, 29);
    EXPECT_TRUE(ProgressRecordLevel(set, 1, 40, 90, &replay));
    EXPECT_FALSE(ProgressRecordLevel(set, 1, 30, 95, nullptr)); // neither better
    EXPECT_TRUE(ProgressRecordLevel(set, 1, 30, 80, nullptr));  // faster: the replay goes with it
    HighScoresInsert(&set->scores, HighScore{500, 1765000000, "Ada"});
    ProgressFindOrAddSet(&store, 99, "Other");
    std::vector<uint8_t> bytes = ProgressWriteToBytes(&store);

    ProgressStore read;
    ASSERT_TRUE(ProgressReadFromBytes(&read, bytes.data(), bytes.size()));
    EXPECT_EQ(ProgressWriteToBytes(&read), bytes);
    ProgressSet *back = ProgressFindSet(&read, 0x0102030405060708ull);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(read.lastPlayed, store.lastPlayed);
    EXPECT_EQ(back->highestReached, 2);
    ASSERT_EQ(back->levels.size(), 2u);
    EXPECT_EQ(back->levels[0].bestPoints, -1);
    EXPECT_EQ(std::make_tuple(back->levels[1].bestPoints, back->levels[1].fastestSteps, back->levels[1].replay),
              std::make_tuple(40, int64_t(80), std::string()));
    EXPECT_EQ(ProgressCountCompleted(back), 1);
    EXPECT_EQ(ProgressBestScore(back), 500);

    // Every cut, a byte more, another version: refused, with nothing kept.
    for (size_t cut = 0; cut < bytes.size(); cut++)
        EXPECT_FALSE(ProgressReadFromBytes(&read, bytes.data(), cut)) << cut;
    EXPECT_TRUE(read.sets.empty());
    std::vector<uint8_t> longer = bytes;
    longer.push_back(0);
    EXPECT_FALSE(ProgressReadFromBytes(&read, longer.data(), longer.size()));
    std::vector<uint8_t> newer = bytes;
    newer[9] = 2;
    EXPECT_FALSE(ProgressReadFromBytes(&read, newer.data(), newer.size()));
}

TEST(HighScoreList, KeepsTheTenBestWithEarlierEqualScoresAbove)
{
    HighScoreList list;
    EXPECT_EQ(HighScoresRank(&list, 0), 0);
    EXPECT_EQ(HighScoresRank(&list, 1), 1);
    const int32_t scores[] = {50, 70, 50, 90, 10, 70, 30, 20, 60, 40};
    for (int32_t i = 0; i < 10; i++)
        HighScoresInsert(&list, HighScore{scores[i], i, "P" + std::to_string(i)});
    std::vector<std::string> order;
    for (const HighScore &entry : list.entries)
        order.push_back(entry.name + ":" + std::to_string(entry.score));
    EXPECT_EQ(order, (std::vector<std::string>{"P3:90", "P1:70", "P5:70", "P8:60", "P0:50", "P2:50", "P9:40",
                                               "P6:30", "P7:20", "P4:10"}));
    // Full: a score equal to the tenth stays out, one above enters and the
    // tenth drops; a tie goes below the equal scores already there.
    EXPECT_EQ(HighScoresRank(&list, 10), 0);
    EXPECT_EQ(HighScoresInsert(&list, HighScore{11, 20, "New"}), 10);
    EXPECT_EQ(HighScoresInsert(&list, HighScore{70, 21, "Tie"}), 4);
    ASSERT_EQ(list.entries.size(), 10u);
    EXPECT_EQ(list.entries[3].name, "Tie");
    EXPECT_EQ(list.entries[9].name, "P7");
    EXPECT_FALSE(HighScoresDefaultName().empty());
}

TEST_F(ProgressGame, ACompletedLevelIsKeptAcrossARestartAndForgottenWhenTheSetChanges)
{
    LoadCorridors(3);
    GameController *game = PlayLevel(1);
    ASSERT_NE(game, nullptr);
    ASSERT_EQ(game->levelsCompleted, 1);
    ControllerPopMode(controller);

    // As the next run of the program finds it.
    ProgressForget();
    ProgressSet *progress = ProgressForLevelSet(set, false);
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->highestReached, 2);
    ASSERT_EQ(progress->levels.size(), 2u);
    const ProgressLevel level = progress->levels[1];
    EXPECT_EQ(level.bestPoints, 0);
    // Half a second standing, then a few tenths of running.
    EXPECT_GT(level.fastestSteps, 60);
    EXPECT_LT(level.fastestSteps, 200);
    EXPECT_EQ(ProgressGetStore()->lastPlayed, (home.root / "sets" / "Corridors").string());

    // The best run completes the level at exactly its recorded step.
    Replay replay{};
    std::string error;
    ASSERT_TRUE(ReplayLoadFromText(&replay, level.replay, &error)) << error;
    EXPECT_EQ(replay.levelIndex, 1);
    ControllerPushMode(controller, ModeGame);
    ReplayOutcome outcome = GameControllerRunReplay(controller->gameController, &replay, true, nullptr, nullptr, 0);
    EXPECT_EQ(std::make_pair(outcome.steps, outcome.levelsCompleted), std::make_pair(level.fastestSteps, 1));
    ControllerPopMode(controller);

    // Watching it through the game ends the game when the level is done.
    ControllerSetStartingLevel(controller, 0);
    ASSERT_TRUE(ProgressWatchBestRun(1));
    EXPECT_FALSE(ProgressWatchBestRun(0)); // never completed
    for (int i = 0; i < 400 && controller->gameController; i++)
        HeadlessRunFor(1.0 / 120.0);
    EXPECT_EQ(controller->gameController, nullptr);
    EXPECT_EQ(ProgressForLevelSet(set, false)->levels.size(), 2u); // watching recorded nothing

    // The same name with other contents starts afresh.
    LoadCorridors(3, 2);
    EXPECT_EQ(ProgressForLevelSet(set, false), nullptr);
}

// A damaged file is kept aside and reported once; play goes on, and a full
// disk then loses only the newest result.
TEST_F(ProgressGame, ADamagedFileIsKeptAsideAndAFullDiskLosesOnlyTheNewestResult)
{
    fs::path file = ProgressGetFilePath();
    fs::create_directories(file.parent_path());
    WriteText(file, std::string("BRMHProg\0\1 not what it should be", 32));
    ProgressForget();
    EXPECT_TRUE(ProgressGetStore()->sets.empty());
    ASSERT_EQ(HeadlessAlerts().size(), 1u);
    EXPECT_NE(HeadlessAlerts()[0].find("Progress.damaged"), std::string::npos);
    EXPECT_TRUE(fs::exists(home.Data() / "Progress.damaged"));
    EXPECT_FALSE(fs::exists(file));
    // The next save makes a sound file again.
    LoadCorridors(1);
    ProgressSet *progress = ProgressForLevelSet(set, true);
    ASSERT_NE(progress, nullptr);
    ProgressRecordLevel(progress, 0, 10, 100, nullptr);
    EXPECT_TRUE(ProgressSave());
    ProgressForget();
    EXPECT_EQ(ProgressGetStore()->sets.size(), 1u);
    EXPECT_EQ(HeadlessAlerts().size(), 1u);

    progress = ProgressForLevelSet(set, false);
    const std::string before = ReadText(file);
    HighScoresInsert(&progress->scores, HighScore{5, 0, std::string(60, 'x')});
    {
        FullDisk full(before.size()); // no room for the new name
        EXPECT_FALSE(ProgressSave());
    }
    EXPECT_EQ(ReadText(file), before);
    EXPECT_FALSE(fs::exists(file.string() + ".new"));
    ProgressForget();
    ProgressSet *kept = ProgressForLevelSet(set, false);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->levels[0].bestPoints, 10);
    EXPECT_TRUE(kept->scores.entries.empty());
}

TEST_F(ProgressGame, AFinishedGameEntersItsScoreUnderTheNameGiven)
{
    LoadCorridors(1);
    ControllerPushMode(controller, ModeGame);
    GameController *game = controller->gameController;
    PlayerAwardPoints(game->player, 120);
    EXPECT_EQ(HighScoresRankInCurrentSet(120), 1);
    ListPanelQueueScriptedAnswer('OK  ', -1, "Grace");
    GameControllerGameOver(game);
    HeadlessRunFor(0.1);
    EXPECT_EQ(controller->gameController, nullptr);
    EXPECT_EQ(HighScoresGetLastRank(), 1);
    HighScoreList list = HighScoresGetList(set);
    ASSERT_EQ(list.entries.size(), 1u);
    EXPECT_EQ(std::make_pair(list.entries[0].score, list.entries[0].name), std::make_pair(120, std::string("Grace")));

    // Clearing asks first.
    ListPanelQueueScriptedAnswer('Cncl');
    HighScoresClearCommand();
    EXPECT_EQ(HighScoresGetList(set).entries.size(), 1u);
    ListPanelQueueScriptedAnswer('Cler');
    HighScoresClearCommand();
    EXPECT_TRUE(HighScoresGetList(set).entries.empty());
}
