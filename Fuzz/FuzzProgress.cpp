// Any bytes as a progress file: either refused with nothing kept, or read
// into a store that writes back to the very same bytes and whose lists keep
// their limits.
#include "Progress.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ProgressStore store;
    if (!ProgressReadFromBytes(&store, data, size)) {
        if (!store.sets.empty() || !store.lastPlayed.empty())
            std::abort();
        return 0;
    }
    for (const ProgressSet &set : store.sets) {
        if (set.scores.entries.size() > size_t(kHighScoresMax) || set.highestReached < 0)
            std::abort();
        for (size_t i = 1; i < set.scores.entries.size(); i++)
            if (set.scores.entries[i - 1].score < set.scores.entries[i].score)
                std::abort();
    }
    std::vector<uint8_t> written = ProgressWriteToBytes(&store);
    if (written.size() != size || !std::equal(written.begin(), written.end(), data))
        std::abort();
    return 0;
}
