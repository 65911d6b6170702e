// Every level of every shipped level set is completable: its recorded replay,
// played through the real game mode on the headless platform with the
// shipped models loaded, completes the level without a death.

#include "Controller.h"
#include "Folders.h"
#include "GameController.h"
#include "Headless.h"
#include "LevelSet.h"
#include "ModelParser.h"
#include "Player.h"
#include "Preferences.h"
#include "Replay.h"
#include "Sound.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

namespace fs = std::filesystem;

namespace {

const fs::path kResources = fs::path(BRIMHOLD_BINARY_DIR) / "Resources";
const fs::path kReplays = fs::path(BRIMHOLD_SOURCE_DIR) / "Resources" / "Levels" / "Replays";

// "<set name>.NN.replay"
fs::path ReplayFile(const std::string &setName, int32_t level)
{
    char number[16];
    std::snprintf(number, sizeof number, ".%02d.replay", int(level));
    return kReplays / (setName + number);
}

class ShippedReplays : public testing::Test {
protected:
    fs::path config;
    Controller *controller = nullptr;

    void SetUp() override
    {
        config = fs::temp_directory_path() / ("brimhold-replays-" + std::to_string(getpid()));
        fs::create_directories(config);
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        HeadlessPlatformStartUp();
        PrefsStartUp();
        SoundSetEnabled(false);
        PlatformSetResourcesFolder(kResources);
        GameControllerRegisterMode();
        controller = ControllerAllocate();
        if (controller) {
            ModelLoadAllModels();
            ControllerStart(controller);
        }
    }
    void TearDown() override
    {
        if (controller) {
            ControllerStop(controller);
            ModelDisposeAllModels();
            ControllerDispose(controller);
        }
        ControllerRegisterMode(ModeGame, nullptr);
        PlatformSetResourcesFolder({});
        PrefsShutDown();
        HeadlessPlatformShutDown();
        SoundSetEnabled(true);
        unsetenv("XDG_CONFIG_HOME");
        fs::remove_all(config);
    }

    // Plays the replay on a fresh copy of its set; fills in what happened.
    void Play(const Replay *replay, const fs::path &setFile, int32_t *completed, int32_t *deaths, int64_t *steps,
              int32_t *levelAfter)
    {
        LevelSet *set = LevelSetAllocate();
        ASSERT_TRUE(LevelSetInitWithFile(set, setFile));
        LevelSetSetCurrentLevel(set, replay->levelIndex);
        controller->currentLevelSet = set;
        ControllerPushMode(controller, ModeGame);
        GameController *game = controller->gameController;
        ASSERT_NE(game, nullptr);
        GameControllerPlayReplay(game, replay);
        while (game->stepCount < replay->endStep && game->levelsCompleted == 0 && game->deaths == 0)
            GameControllerStep(game);
        *completed = game->levelsCompleted;
        *deaths = game->deaths;
        *steps = game->stepCount;
        *levelAfter = LevelSetGetCurrentLevelIndex(set);
        GameControllerPlayReplay(game, nullptr);
        ControllerPopMode(controller);
        controller->currentLevelSet = nullptr;
        LevelSetDispose(set);
    }
};

TEST_F(ShippedReplays, EveryLevelOfEveryShippedSetIsCompletedWithoutADeath)
{
    ASSERT_NE(controller, nullptr);
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
            fs::path file = ReplayFile(setName, level);
            expectedReplays.insert(file);
            SCOPED_TRACE(file.filename().string());
            Replay *replay = ReplayAllocate();
            std::string error;
            ASSERT_TRUE(ReplayLoadFromFile(replay, file.string(), &error)) << error;
            EXPECT_EQ(replay->setName, setName);
            EXPECT_EQ(replay->levelIndex, level);
            int32_t completed = 0, deaths = 0, after = -1;
            int64_t steps = 0;
            Play(replay, setFile, &completed, &deaths, &steps, &after);
            EXPECT_EQ(deaths, 0);
            EXPECT_EQ(completed, 1) << "not completed within " << replay->endStep << " steps";
            if (level + 1 < levelCount) {
                EXPECT_EQ(after, level + 1) << "the game went on to the next level";
            }
            ReplayDispose(replay);
        }
    }
    // No replay is left over from a level that no longer exists.
    for (const fs::directory_entry &e : fs::directory_iterator(kReplays))
        EXPECT_TRUE(expectedReplays.count(e.path())) << e.path().filename() << " belongs to no level";
}

} // namespace
