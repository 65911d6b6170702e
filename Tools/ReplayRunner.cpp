// ReplayRunner plays replays of single levels through the real game mode on
// the headless platform and tells, for each, whether it completes its level
// without a death.  It is the level author's check: write a replay, run it,
// adjust the steps.  With --trace N it prints the player's state every N
// steps.
//
// Usage: ReplayRunner <resources folder> [--trace N] <replay file>...
// The level set named in each replay is read from <resources folder>/Levels,
// the models (which give powerups their size) from <resources folder>/Models.
// Needs a display for the window (xvfb-run, or SDL_VIDEODRIVER=offscreen).

#include "Controller.h"
#include "Folders.h"
#include "GameController.h"
#include "Headless.h"
#include "Level.h"
#include "LevelSet.h"
#include "ModelParser.h"
#include "Player.h"
#include "Preferences.h"
#include "Replay.h"
#include "Sound.h"
#include "WaterController.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Plays one replay from the start of its level; true when the level is
// completed without a death.
bool PlayOne(Controller *controller, const std::filesystem::path &resources, const std::string &file, int trace)
{
    Replay *replay = ReplayAllocate();
    std::string error;
    if (!ReplayLoadFromFile(replay, file, &error)) {
        std::printf("%s: %s\n", file.c_str(), error.c_str());
        ReplayDispose(replay);
        return false;
    }
    LevelSet *set = LevelSetAllocate();
    if (!LevelSetInitWithFile(set, resources / "Levels" / replay->setName) || replay->levelIndex < 0 ||
        replay->levelIndex >= LevelSetGetLevelCount(set)) {
        std::printf("%s: no level %d in the set \"%s\"\n", file.c_str(), int(replay->levelIndex),
                    replay->setName.c_str());
        LevelSetDispose(set);
        ReplayDispose(replay);
        return false;
    }
    LevelSetSetCurrentLevel(set, replay->levelIndex);
    controller->currentLevelSet = set;
    ControllerPushMode(controller, ModeGame);
    GameController *game = controller->gameController;
    GameControllerPlayReplay(game, replay);

    int64_t step = 0;
    while (step < replay->endStep && game->levelsCompleted == 0 && game->deaths == 0) {
        GameControllerStep(game);
        step = game->stepCount;
        if (trace > 0 && step % trace == 0) {
            const Player *p = game->player;
            Level *level = LevelSetGetCurrentLevelCopy(set);
            const WaterController *water = level ? level->waterController : nullptr;
            char waterText[64] = "";
            if (water && water->mode == kWaterModeBoxes)
                std::snprintf(waterText, sizeof waterText, "%d boxes", int(water->boxCount));
            else if (water)
                std::snprintf(waterText, sizeof waterText, "water %6.2f", WaterControllerGetCurrentWaterLevel(water));
            std::printf("  %6lld  x %7.3f y %7.3f z %7.3f  %s%s  %s air %5.2f keys %d feather %d points %d\n",
                        (long long)step, p->position.x, p->position.y, p->position.z, p->onGround ? "G" : "-",
                        p->onLadder ? "L" : "-", waterText, p->air, int(p->keys), int(p->hasFeather),
                        int(p->points));
        }
    }
    bool completed = game->levelsCompleted > 0 && game->deaths == 0;
    const Player *p = game->player;
    std::printf("%s: level %d %s at step %lld (x %.2f y %.2f z %.2f, deaths %d)\n", file.c_str(),
                int(replay->levelIndex), completed ? "completed" : "NOT completed", (long long)step, p->position.x,
                p->position.y, p->position.z, int(game->deaths));
    GameControllerPlayReplay(game, nullptr);
    ControllerPopMode(controller);
    controller->currentLevelSet = nullptr;
    LevelSetDispose(set);
    ReplayDispose(replay);
    return completed;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: ReplayRunner <resources folder> [--trace N] <replay file>...\n");
        return 2;
    }
    std::filesystem::path resources = argv[1];
    int trace = 0;
    std::vector<std::string> files;
    for (int i = 2; i < argc; i++) {
        if (std::strcmp(argv[i], "--trace") == 0 && i + 1 < argc)
            trace = std::atoi(argv[++i]);
        else
            files.push_back(argv[i]);
    }

    // Keep the user's preferences out of it.
    std::filesystem::path config =
        std::filesystem::temp_directory_path() / ("brimhold-replays-" + std::to_string(getpid()));
    std::filesystem::create_directories(config);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    HeadlessPlatformStartUp();
    PrefsStartUp();
    SoundSetEnabled(false);
    PlatformSetResourcesFolder(resources);
    GameControllerRegisterMode();
    Controller *controller = ControllerAllocate();
    int failures = 0;
    if (!controller) {
        std::fprintf(stderr, "ReplayRunner: no window (is there a display?)\n");
        failures = 1;
    } else {
        ModelLoadAllModels();
        ControllerStart(controller);
        for (const std::string &file : files)
            failures += !PlayOne(controller, resources, file, trace);
        ControllerStop(controller);
        ModelDisposeAllModels();
        ControllerDispose(controller);
    }
    PrefsShutDown();
    HeadlessPlatformShutDown();
    std::filesystem::remove_all(config);
    return failures == 0 ? 0 : 1;
}
