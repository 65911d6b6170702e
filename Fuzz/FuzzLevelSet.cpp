// Reads arbitrary bytes as a level-set file held in memory.  A set that loads
// must run a few ticks without trouble and must save to bytes that load again
// and save to the very same bytes.
#include "Level.h"
#include "LevelSet.h"
#include "WaterController.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > size_t(INT32_MAX))
        return 0;
    LevelSet *set = LevelSetAllocate();
    if (!LevelSetInitWithData(set, data, int32_t(size))) {
        LevelSetDispose(set);
        return 0;
    }
    for (int32_t i = 0; i < LevelSetGetLevelCount(set); i++) {
        Level *copy = LevelCreateCopy(LevelSetGetLevel(set, i));
        // Keep each input quick: the water-box form is run only when small.
        bool runWater = copy->waterController->mode == kWaterModeRisingLevel || copy->waterController->boxCount <= 64;
        for (int tick = 0; tick < 3; tick++) {
            LevelRun(copy, 1.0f / 120);
            if (runWater)
                WaterControllerRun(copy->waterController, 1.0f / 120);
        }
        int32_t count = 0;
        std::free(LevelGetSortedBlockListForBoundingBox(copy, -1, 1e6f, -1, 1e6f, -1, 1e6f, &count));
        LevelDispose(copy);
    }
    std::vector<uint8_t> first, second;
    if (!LevelSetWriteToBuffer(set, &first)) {
        std::fprintf(stderr, "A loaded set could not be written\n");
        std::abort();
    }
    LevelSet *again = LevelSetAllocate();
    if (!LevelSetInitWithData(again, first.data(), int32_t(first.size())) ||
        !LevelSetWriteToBuffer(again, &second) || first != second) {
        std::fprintf(stderr, "A saved set did not load back to the same bytes\n");
        std::abort();
    }
    LevelSetDispose(again);
    LevelSetDispose(set);
    return 0;
}
