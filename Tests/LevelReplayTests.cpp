// Every level of every shipped level set is completable: its recorded replay,
// played through the real game mode on the headless platform with the
// shipped models loaded, completes the level without a death.
#include "GameModeSupport.h"
#include "ModelParser.h"
#include "Replay.h"

#include <cstdio>
#include <set>
#include <vector>

namespace fs = std::filesystem;
using namespace gamemode;

namespace {

const fs::path kResources = fs::path(BRIMHOLD_BINARY_DIR) / "Resources";
const fs::path kReplays = fs::path(BRIMHOLD_SOURCE_DIR) / "Resources" / "Levels" / "Replays";

class ShippedReplays : public HeadlessGame {
protected:
    void SetUp() override
    {
        HeadlessGame::SetUp();
        PlatformSetResourcesFolder(kResources);
        ModelLoadAllModels();
        ControllerStart(controller);
    }
    void TearDown() override
    {
        ModelDisposeAllModels();
        HeadlessGame::TearDown();
    }

    // Plays the replay on a fresh copy of its set: levels completed, deaths
    // and the level the set is at afterwards.
    std::vector<int32_t> Play(const Replay *replay, const fs::path &setFile)
    {
        set = LevelSetAllocate();
        EXPECT_TRUE(LevelSetInitWithFile(set, setFile));
        LevelSetSetCurrentLevel(set, replay->levelIndex);
        controller->currentLevelSet = set;
        ControllerPushMode(controller, ModeGame);
        GameController *game = controller->gameController;
        GameControllerPlayReplay(game, replay);
        while (game->stepCount < replay->endStep && game->levelsCompleted == 0 && game->deaths == 0)
            GameControllerStep(game);
        std::vector<int32_t> result{game->levelsCompleted, game->deaths, LevelSetGetCurrentLevelIndex(set)};
        GameControllerPlayReplay(game, nullptr);
        ControllerPopMode(controller);
        controller->currentLevelSet = nullptr;
        LevelSetDispose(set);
        set = nullptr;
        return result;
    }
};

TEST_F(ShippedReplays, EveryLevelOfEveryShippedSetIsCompletedWithoutADeath)
{
    ASSERT_NE(ModelGetModelByIdentifier(kModelKindStatic, 'Gem '), nullptr) << "the shipped models are missing";
    std::vector<fs::path> sets;
    for (const fs::directory_entry &e : fs::directory_iterator(kResources / "Levels"))
        if (LevelSetValidateFile(e.path()))
            sets.push_back(e.path());
    ASSERT_FALSE(sets.empty());

    std::set<fs::path> expectedReplays;
    for (const fs::path &setFile : sets) {
        std::string setName = setFile.filename().string();
        LevelSet *probe = LevelSetAllocate();
        ASSERT_TRUE(LevelSetInitWithFile(probe, setFile));
        int32_t levelCount = LevelSetGetLevelCount(probe);
        LevelSetDispose(probe);

        for (int32_t level = 0; level < levelCount; level++) {
            char number[16];
            std::snprintf(number, sizeof number, ".%02d.replay", int(level)); // "<set name>.NN.replay"
            fs::path file = kReplays / (setName + number);
            expectedReplays.insert(file);
            SCOPED_TRACE(file.filename().string());
            Replay *replay = ReplayAllocate();
            std::string error;
            ASSERT_TRUE(ReplayLoadFromFile(replay, file.string(), &error)) << error;
            EXPECT_EQ(replay->setName, setName);
            EXPECT_EQ(replay->levelIndex, level);
            // Completed without a death, and the game went on to the next level.
            std::vector<int32_t> outcome = Play(replay, setFile);
            EXPECT_EQ(outcome, (std::vector<int32_t>{1, 0, level + 1 < levelCount ? level + 1 : outcome[2]}))
                << "within " << replay->endStep << " steps";
            ReplayDispose(replay);
        }
    }
    // No replay is left over from a level that no longer exists.
    for (const fs::directory_entry &e : fs::directory_iterator(kReplays))
        EXPECT_TRUE(expectedReplays.count(e.path())) << e.path().filename() << " belongs to no level";
}

} // namespace
