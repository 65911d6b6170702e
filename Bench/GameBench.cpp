// One full game step (level, water, player, camera) on the largest legal
// level, 32 x 32 x 32 cells, with the player running through it.
#include "Block.h"
#include "GameController.h"
#include "Headless.h"
#include "Level.h"
#include "LevelSet.h"
#include "Player.h"
#include "Sound.h"
#include "WaterController.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

void Add(Level *level, int32_t type, int32_t x, int32_t y, int32_t z)
{
    Block block;
    BlockInit(&block, type, x, y, z);
    LevelAddBlock(level, &block);
}

// A stone floor, then a run of free cells at layer 1 between walls, and the
// layers above full of stone with phasing and water-driven blocks mixed in.
LevelSet *LargestLevel()
{
    LevelSet *set = LevelSetAllocate();
    LevelSetInit(set);
    Level *level = LevelSetGetLevel(set, 0);
    LevelChangeGridSize(level, 32, 32, 32);
    for (int32_t y = 0; y < 32; y++)
        for (int32_t z = 0; z < 32; z++)
            for (int32_t x = 0; x < 32; x++) {
                if (y == 1 && z >= 14 && z <= 17)
                    continue; // the corridor the player runs along
                int32_t type = kBlockStone;
                if ((x + y + z) % 7 == 0)
                    type = kBlockPhasing;
                else if ((x + y + z) % 11 == 0)
                    type = kBlockDisappearing;
                Add(level, type, x, y, z);
            }
    level->playerStartX = 0;
    level->playerStartY = 1;
    level->playerStartZ = 15;
    LevelSetInitialPlayerFacing(level, 1);
    WaterControllerSetInitialWaterLevel(level->waterController, 3);
    WaterControllerSetCurrentWaterLevel(level->waterController, 3);
    WaterControllerSetRiseSpeed(level->waterController, 0.01);
    LevelSetSetCurrentLevel(set, 0);
    return set;
}

} // namespace

static void BM_GameStepLargestLevel(benchmark::State &state)
{
    HeadlessPlatformStartUp();
    SoundSetEnabled(false);
    LevelSet *set = LargestLevel();
    GameController *game = GameControllerAllocate();
    game->levelSet = set;
    GameControllerInit(game);
    GameControllerGoToLevel(game, 0);
    GameControllerHandleKey(game, 29, true); // run towards +x
    std::vector<double> micros;
    micros.reserve(1 << 16);
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        GameControllerStep(game);
        micros.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
        // At the far wall, back to the start to keep running.
        if (PlayerGetPosition(game->player).x > 6 * 32 - 2) {
            state.PauseTiming();
            GameControllerGoToLevel(game, 0);
            GameControllerHandleKey(game, 29, false);
            GameControllerHandleKey(game, 29, true);
            state.ResumeTiming();
        }
    }
    std::sort(micros.begin(), micros.end());
    state.counters["median_us"] = micros[micros.size() / 2];
    state.counters["p99_us"] = micros[micros.size() * 99 / 100];
    state.counters["worst_us"] = micros.back();
    GameControllerDispose(game);
    LevelSetDispose(set);
    HeadlessPlatformShutDown();
}
BENCHMARK(BM_GameStepLargestLevel)->Unit(benchmark::kMicrosecond)->Iterations(6000);
