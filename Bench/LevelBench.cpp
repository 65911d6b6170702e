// Speed of the level world: the player-sized block query, one level tick on a
// full 32 x 32 x 32 level, loading and saving a set of 100 levels, and one
// tick of water boxes spreading around blocks.
#include "Block.h"
#include "Level.h"
#include "LevelSet.h"
#include "Water.h"
#include "WaterController.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

void Add(Level *level, int32_t type, int32_t x, int32_t y, int32_t z)
{
    Block block;
    BlockInit(&block, type, x, y, z);
    LevelAddBlock(level, &block);
}

// Every cell filled; a few kinds with per-tick work among the stones.
Level *FullLevel(int32_t sx, int32_t sy, int32_t sz)
{
    Level *level = LevelAllocate(sx, sy, sz, sx * sy * sz, 0);
    const int32_t types[8] = {kBlockStone, kBlockStone,  kBlockPhasing, kBlockStone,
                              kBlockSwitch, kBlockStone, kBlockAppearing, kBlockDisappearing};
    int32_t n = 0;
    for (int32_t y = 0; y < sy; y++)
        for (int32_t z = 0; z < sz; z++)
            for (int32_t x = 0; x < sx; x++)
                Add(level, types[n++ % 8], x, y, z);
    return level;
}

void BM_PlayerQueryDenseLevel(benchmark::State &state)
{
    Level *level = FullLevel(16, 8, 16);
    // The player's box before and after one running step, between cells.
    float x = 40.0f, y = 12.0f, z = 40.0f;
    for (auto _ : state) {
        int32_t count = 0;
        Block **found = LevelGetSortedBlockListForBoundingBox(level, x - 0.75f, x + 0.95f, y - 0.009f, y + 5.6f,
                                                              z - 0.75f, z + 0.75f, &count);
        benchmark::DoNotOptimize(found);
        std::free(found);
    }
    LevelDispose(level);
}
BENCHMARK(BM_PlayerQueryDenseLevel)->Repetitions(9)->ReportAggregatesOnly(true);

void BM_LevelRunFull32(benchmark::State &state)
{
    Level *level = FullLevel(32, 32, 32);
    WaterControllerSetCurrentWaterLevel(level->waterController, 50.0);
    for (auto _ : state)
        LevelRun(level, 1.0f / 120);
    state.counters["blocks"] = level->blockCount;
    LevelDispose(level);
}
BENCHMARK(BM_LevelRunFull32)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_LevelRunFull32Stone(benchmark::State &state)
{
    Level *level = LevelAllocate(32, 32, 32, 32768, 0);
    for (int32_t y = 0; y < 32; y++)
        for (int32_t z = 0; z < 32; z++)
            for (int32_t x = 0; x < 32; x++)
                Add(level, kBlockStone, x, y, z);
    for (auto _ : state)
        LevelRun(level, 1.0f / 120);
    LevelDispose(level);
}
BENCHMARK(BM_LevelRunFull32Stone)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// 100 levels of 16 x 8 x 16 cells, every other cell filled.
LevelSet *HundredLevels()
{
    LevelSet *set = LevelSetAllocate();
    const int32_t types[6] = {kBlockStone, kBlockPhasing, kBlockTeleport, kBlockSwitchable, kBlockLadder, kBlockStone};
    for (int32_t i = 0; i < 100; i++) {
        Level *level = LevelAllocate(16, 8, 16, 1024, 0);
        int32_t n = 0;
        for (int32_t y = 0; y < 8; y++)
            for (int32_t z = 0; z < 16; z++)
                for (int32_t x = 0; x < 16; x++)
                    if ((x + y + z) % 2 == 0)
                        Add(level, types[n++ % 6], x, y, z);
        set->levels.push_back(level);
    }
    set->levelCount = 100;
    LevelSetSetCurrentLevel(set, 0);
    return set;
}

fs::path BenchFolder()
{
    std::string pattern = (fs::temp_directory_path() / "brimhold-bench-XXXXXX").string();
    char *made = ::mkdtemp(pattern.data());
    return made ? fs::path(made) : fs::temp_directory_path();
}

void BM_SaveHundredLevels(benchmark::State &state)
{
    LevelSet *set = HundredLevels();
    fs::path folder = BenchFolder();
    for (auto _ : state)
        benchmark::DoNotOptimize(LevelSetSaveToFile(set, folder, "Bench levels"));
    state.counters["bytes"] = double(fs::file_size(folder / "Bench levels"));
    LevelSetDispose(set);
    fs::remove_all(folder);
}
BENCHMARK(BM_SaveHundredLevels)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_LoadHundredLevels(benchmark::State &state)
{
    LevelSet *set = HundredLevels();
    fs::path folder = BenchFolder();
    LevelSetSaveToFile(set, folder, "Bench levels");
    LevelSetDispose(set);
    for (auto _ : state) {
        LevelSet *loaded = LevelSetAllocate();
        benchmark::DoNotOptimize(LevelSetInitWithFile(loaded, folder / "Bench levels"));
        state.PauseTiming();
        LevelSetDispose(loaded);
        state.ResumeTiming();
    }
    fs::remove_all(folder);
}
BENCHMARK(BM_LoadHundredLevels)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// A 16 x 8 x 16 level with stone pillars; a slab of water on the floor and
// a block of water above it fall and spread around the pillars.
Level *WaterLevel()
{
    Level *level = LevelAllocate(16, 8, 16, 0, 0);
    for (int32_t z = 1; z < 16; z += 3)
        for (int32_t x = 1; x < 16; x += 3)
            for (int32_t y = 0; y < 3; y++)
                Add(level, kBlockStone, x, y, z);
    WaterControllerDispose(level->waterController);
    WaterController *water = level->waterController = WaterControllerAllocate(level, kWaterModeBoxes);
    WaterControllerAddBox(water, WaterBoxAllocate(water, 0, 6, 0, 4, 0, 6));
    WaterControllerAddBox(water, WaterBoxAllocate(water, 42, 54, 20, 30, 42, 54));
    return level;
}

void BM_WaterBoxesTick(benchmark::State &state)
{
    Level *level = WaterLevel();
    int64_t ticks = 0;
    int32_t most = 0;
    for (auto _ : state) {
        WaterControllerRun(level->waterController, 1.0f / 120);
        most = std::max(most, level->waterController->boxCount);
        // Start over after ten seconds of water so every run sees the same flow.
        if (++ticks % 1200 == 0) {
            state.PauseTiming();
            LevelDispose(level);
            level = WaterLevel();
            state.ResumeTiming();
        }
    }
    state.counters["most boxes"] = most;
    // The water present at the end of the last run, of the 1584 units poured in.
    state.counters["volume"] = WaterControllerGetTotalVolume(level->waterController);
    LevelDispose(level);
}
BENCHMARK(BM_WaterBoxesTick)->Unit(benchmark::kMicrosecond)->Iterations(2400)->Repetitions(3)->ReportAggregatesOnly(true);

} // namespace
