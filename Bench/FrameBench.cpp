// Drawing speed in the real window: for every shipped level and for a dense
// 32 x 32 x 32 level, the time to draw and present one game frame at
// 800 x 600 (the window's size) with the default preferences, not limited
// by the 120 Hz step timer; and the time from starting the program to its
// first title frame.  Run under a virtual display (make bench does); the
// numbers then are those of the software renderer.
#include "Block.h"
#include "Controller.h"
#include "Folders.h"
#include "GameController.h"
#include "Headless.h"
#include "Level.h"
#include "LevelGeometry.h"
#include "LevelSet.h"
#include "ModelParser.h"
#include "OpenGLWindow.h"
#include "Player.h"
#include "Preferences.h"
#include "Replay.h"
#include "Sound.h"
#include "Text.h"
#include "WaterController.h"

#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// Frames drawn per level: the level's replay played step by step, a frame
// after every step, as the game draws at 120 Hz.
constexpr int kFramesPerLevel = 240;

struct FrameTimes {
    double median = 0, p99 = 0, worst = 0;
};

FrameTimes Summarise(std::vector<double> ms)
{
    FrameTimes t;
    if (ms.empty())
        return t;
    std::sort(ms.begin(), ms.end());
    t.median = ms[ms.size() / 2];
    t.p99 = ms[std::min(ms.size() - 1, ms.size() * 99 / 100)];
    t.worst = ms.back();
    return t;
}

double TimedDraw(GameController *game)
{
    auto start = Clock::now();
    GameControllerDraw(game);
    glFinish();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void AddBlock(Level *level, int32_t type, int32_t x, int32_t y, int32_t z)
{
    Block block;
    BlockInit(&block, type, x, y, z);
    LevelAddBlock(level, &block);
}

// Every cell filled but a corridor on layer 1, with phasing and disappearing
// blocks mixed in among the stones, and water rising from below.
void MakeDenseLevel(LevelSet *set)
{
    Level *level = LevelSetGetLevel(set, 0);
    LevelChangeGridSize(level, 32, 32, 32);
    for (int32_t y = 0; y < 32; y++)
        for (int32_t z = 0; z < 32; z++)
            for (int32_t x = 0; x < 32; x++) {
                if (y == 1 && z >= 14 && z <= 17)
                    continue;
                int32_t type = kBlockStone;
                if ((x + y + z) % 7 == 0)
                    type = kBlockPhasing;
                else if ((x + y + z) % 11 == 0)
                    type = kBlockDisappearing;
                AddBlock(level, type, x, y, z);
            }
    level->playerStartX = 0;
    level->playerStartY = 1;
    level->playerStartZ = 15;
    LevelSetInitialPlayerFacing(level, 1);
    WaterControllerSetInitialWaterLevel(level->waterController, 3);
    WaterControllerSetCurrentWaterLevel(level->waterController, 3);
    WaterControllerSetRiseSpeed(level->waterController, 0.01);
}

void Report(const char *name, const FrameTimes &t)
{
    std::printf("  %-26s median %7.2f ms (%6.1f fps)  p99 %7.2f ms  worst %7.2f ms\n", name, t.median,
                t.median > 0 ? 1000.0 / t.median : 0.0, t.p99, t.worst);
    std::fflush(stdout);
}

void BM_FrameEveryLevel(benchmark::State &state)
{
    fs::path config = fs::temp_directory_path() / ("brimhold-frame-bench-" + std::to_string(getpid()));
    fs::create_directories(config);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    HeadlessPlatformStartUp();
    PrefsStartUp();
    TextStartUp();
    SoundSetEnabled(false);
    fs::path resources = fs::path(BRIMHOLD_BINARY_DIR) / "Resources";
    PlatformSetResourcesFolder(resources);
    GameControllerRegisterMode();
    Controller *controller = ControllerAllocate();
    if (!controller || !ControllerGetMainWindow(controller)) {
        state.SkipWithError("no window (is a display set?)");
        return;
    }
    ModelLoadAllModels();
    LevelSet *set = LevelSetAllocate();
    LevelSetInitWithFile(set, resources / "Levels" / "Test levels");
    controller->currentLevelSet = set;
    ControllerStart(controller);
    ControllerPushMode(controller, ModeGame);
    GameController *game = controller->gameController;
    const char *renderer = reinterpret_cast<const char *>(glGetString(GL_RENDERER));
    int32_t anisotropic = 0;
    PrefsGetValue(kPrefsKeyAnisotropic, &anisotropic);
    std::printf("Frame times on \"%s\", anisotropic filtering %s:\n", renderer ? renderer : "?",
                anisotropic ? "on" : "off");

    std::vector<double> all;
    for (auto _ : state) {
        int32_t count = LevelSetGetLevelCount(set);
        for (int32_t i = 0; i < count; i++) {
            Replay replay;
            std::string error;
            char name[64];
            std::snprintf(name, sizeof name, "Test levels.%02d.replay", int(i));
            bool haveReplay =
                ReplayLoadFromFile(&replay, (fs::path(BRIMHOLD_SOURCE_DIR) / "Resources" / "Levels" / "Replays" /
                                             name).string(), &error);
            auto play = [&](int frames) {
                if (haveReplay)
                    GameControllerPlayReplay(game, &replay);
                else
                    GameControllerGoToLevel(game, i);
                std::vector<double> ms;
                ms.push_back(TimedDraw(game)); // the first frame, caches still cold
                for (int f = 1; f < frames && !game->exitPosted; f++) {
                    if (!haveReplay || game->stepCount < replay.endStep)
                        GameControllerStep(game);
                    if (game->levelsCompleted > 0 || game->deaths > 0)
                        break;
                    ms.push_back(TimedDraw(game));
                }
                GameControllerPlayReplay(game, nullptr);
                game->levelsCompleted = game->deaths = 0;
                game->exitPosted = false;
                return ms;
            };
            std::vector<double> ms = play(kFramesPerLevel);
            // The same frames with every block drawn by itself, for
            // comparison under the same load.
            LevelGeometrySetEnabled(false);
            FrameTimes alone = Summarise(play(kFramesPerLevel / 4));
            LevelGeometrySetEnabled(true);
            FrameTimes t = Summarise(ms);
            char label[48];
            std::snprintf(label, sizeof label, "level %2d", int(i + 1));
            Report(label, t);
            std::snprintf(label, sizeof label, "  each block alone");
            Report(label, alone);
            state.counters[std::string("L") + std::to_string(i + 1) + "_median_ms"] = t.median;
            state.counters[std::string("L") + std::to_string(i + 1) + "_p99_ms"] = t.p99;
            all.insert(all.end(), ms.begin(), ms.end());
        }

        // The dense level: the player runs along its corridor.
        LevelSet *dense = LevelSetAllocate();
        LevelSetInit(dense);
        MakeDenseLevel(dense);
        controller->currentLevelSet = dense;
        game->levelSet = dense;
        game->player->levelSet = dense;
        GameControllerGoToLevel(game, 0);
        GameControllerHandleKey(game, 29, true);
        std::vector<double> ms;
        for (int f = 0; f < kFramesPerLevel / 2; f++) {
            GameControllerStep(game);
            ms.push_back(TimedDraw(game));
        }
        GameControllerHandleKey(game, 29, false);
        FrameTimes t = Summarise(ms);
        Report("dense 32x32x32", t);
        GameControllerGoToLevel(game, 0);
        GameControllerHandleKey(game, 29, true);
        LevelGeometrySetEnabled(false);
        std::vector<double> alone;
        for (int f = 0; f < 12; f++) {
            GameControllerStep(game);
            alone.push_back(TimedDraw(game));
        }
        LevelGeometrySetEnabled(true);
        GameControllerHandleKey(game, 29, false);
        Report("  each block alone", Summarise(alone));
        state.counters["dense_median_ms"] = t.median;
        state.counters["dense_p99_ms"] = t.p99;
        controller->currentLevelSet = set;
        game->levelSet = set;
        game->player->levelSet = set;
        LevelSetDispose(dense);
    }
    FrameTimes t = Summarise(all);
    Report("all shipped levels", t);
    state.counters["levels_median_ms"] = t.median;
    state.counters["levels_p99_ms"] = t.p99;

    ControllerStop(controller);
    ModelDisposeAllModels();
    ControllerDispose(controller);
    LevelSetDispose(set);
    PlatformSetResourcesFolder({});
    TextShutDown();
    PrefsShutDown();
    HeadlessPlatformShutDown();
    unsetenv("XDG_CONFIG_HOME");
    fs::remove_all(config);
}
BENCHMARK(BM_FrameEveryLevel)->Unit(benchmark::kMillisecond)->Iterations(1);

// From exec to the first title frame presented: the program is started with
// BRIMHOLD_EXIT_AFTER_FIRST_FRAME, which ends it right after that frame.
void BM_StartToFirstTitleFrame(benchmark::State &state)
{
    fs::path program = fs::path(BRIMHOLD_BINARY_DIR) / "brimhold";
    if (!fs::exists(program)) {
        state.SkipWithError("the game is not built");
        return;
    }
    fs::path config = fs::temp_directory_path() / ("brimhold-start-bench-" + std::to_string(getpid()));
    fs::create_directories(config);
    std::vector<double> ms;
    for (auto _ : state) {
        auto start = Clock::now();
        pid_t child = fork();
        if (child == 0) {
            setenv("XDG_CONFIG_HOME", config.c_str(), 1);
            setenv("BRIMHOLD_EXIT_AFTER_FIRST_FRAME", "1", 1);
            execl(program.c_str(), program.c_str(), static_cast<char *>(nullptr));
            _exit(127);
        }
        int status = 0;
        waitpid(child, &status, 0);
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the game did not reach its first frame");
            break;
        }
    }
    FrameTimes t = Summarise(ms);
    state.counters["median_ms"] = t.median;
    state.counters["worst_ms"] = t.worst;
    std::printf("Start to first title frame: median %.1f ms, worst %.1f ms\n", t.median, t.worst);
    fs::remove_all(config);
}
BENCHMARK(BM_StartToFirstTitleFrame)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
