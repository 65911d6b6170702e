// Box-form water after five minutes: for each water-box level of the shipped
// set and for the pillar level of the level benchmarks, five minutes of the
// world are run first (untimed, counting the most boxes seen); the benchmark
// then times one step of the rested water and reports the box count.
#include "Block.h"
#include "Level.h"
#include "LevelSet.h"
#include "Water.h"
#include "WaterController.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace {

const std::filesystem::path kShippedLevels =
    std::filesystem::path(BRIMHOLD_BINARY_DIR) / "Resources" / "Levels" / "Test levels";
constexpr int32_t kFiveMinutes = 5 * 60 * 120;

// 16 x 8 x 16 with stone pillars three cells high; a slab of water on the
// floor and a block of water above it.
Level *PillarLevel()
{
    Level *level = LevelAllocate(16, 8, 16, 0, 0);
    for (int32_t z = 1; z < 16; z += 3)
        for (int32_t x = 1; x < 16; x += 3)
            for (int32_t y = 0; y < 3; y++) {
                Block block;
                BlockInit(&block, kBlockStone, x, y, z);
                LevelAddBlock(level, &block);
            }
    WaterControllerDispose(level->waterController);
    WaterController *water = level->waterController = WaterControllerAllocate(level, kWaterModeBoxes);
    WaterControllerAddBox(water, WaterBoxAllocate(water, 0, 6, 0, 4, 0, 6));
    WaterControllerAddBox(water, WaterBoxAllocate(water, 42, 54, 20, 30, 42, 54));
    return level;
}

void Step(Level *level)
{
    LevelRun(level, 1.0f / 120);
    WaterControllerRun(level->waterController, 1.0f / 120);
}

void TimeRestedWater(benchmark::State &state, Level *level)
{
    const double before = WaterControllerGetTotalVolume(level->waterController);
    int32_t most = 0;
    for (int32_t tick = 0; tick < kFiveMinutes; tick++) {
        Step(level);
        most = std::max(most, level->waterController->boxCount);
    }
    for (auto _ : state)
        Step(level);
    state.counters["boxes after 5 min"] = level->waterController->boxCount;
    state.counters["most boxes"] = most;
    state.counters["volume change %"] =
        100.0 * std::fabs(WaterControllerGetTotalVolume(level->waterController) - before) / before;
}

// Levels 6 ("Waterfall") and 14 ("Cistern"), counted from 0.
void BM_ShippedWaterAfterFiveMinutes(benchmark::State &state)
{
    LevelSet *set = LevelSetAllocate();
    if (!LevelSetInitWithFile(set, kShippedLevels) || state.range(0) >= LevelSetGetLevelCount(set)) {
        state.SkipWithError("the Test levels set was not built");
        LevelSetDispose(set);
        return;
    }
    Level *level = LevelCreateCopy(LevelSetGetLevel(set, int32_t(state.range(0))));
    TimeRestedWater(state, level);
    LevelDispose(level);
    LevelSetDispose(set);
}
BENCHMARK(BM_ShippedWaterAfterFiveMinutes)->Arg(5)->Arg(13)->Unit(benchmark::kMicrosecond)->Iterations(1200);

void BM_PillarWaterAfterFiveMinutes(benchmark::State &state)
{
    Level *level = PillarLevel();
    TimeRestedWater(state, level);
    LevelDispose(level);
}
BENCHMARK(BM_PillarWaterAfterFiveMinutes)->Unit(benchmark::kMicrosecond)->Iterations(1200);

} // namespace
