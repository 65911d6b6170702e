// Speed of the shipped "Test levels" set: loading the whole file, and one
// second of the world (blocks and water, 120 ticks) of each water-box level,
// whose water falls and spreads around the blocks.
#include "Level.h"
#include "LevelSet.h"
#include "WaterController.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

const fs::path kTestLevels = fs::path(BRIMHOLD_BINARY_DIR) / "Resources" / "Levels" / "Test levels";

void BM_LoadTestLevels(benchmark::State &state)
{
    for (auto _ : state) {
        LevelSet *set = LevelSetAllocate();
        if (!LevelSetInitWithFile(set, kTestLevels))
            state.SkipWithError("the Test levels set was not built");
        LevelSetDispose(set);
    }
}
BENCHMARK(BM_LoadTestLevels)->Repetitions(5)->ReportAggregatesOnly(true);

// The first second of a water-box level from its start, on a fresh copy.
void BM_WaterBoxLevelFirstSecond(benchmark::State &state)
{
    LevelSet *set = LevelSetAllocate();
    if (!LevelSetInitWithFile(set, kTestLevels) || state.range(0) >= LevelSetGetLevelCount(set)) {
        state.SkipWithError("the Test levels set was not built");
        LevelSetDispose(set);
        return;
    }
    const Level *stored = LevelSetGetLevel(set, int32_t(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        Level *level = LevelCreateCopy(stored);
        state.ResumeTiming();
        for (int tick = 0; tick < 120; tick++) {
            LevelRun(level, 1.0f / 120.0f);
            WaterControllerRun(level->waterController, 1.0f / 120.0f);
        }
        state.PauseTiming();
        LevelDispose(level);
        state.ResumeTiming();
    }
    LevelSetDispose(set);
}
// Levels 6 ("Waterfall") and 14 ("Cistern"), counted from 0.
BENCHMARK(BM_WaterBoxLevelFirstSecond)->Arg(5)->Arg(13)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace
