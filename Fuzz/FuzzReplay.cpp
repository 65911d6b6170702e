// Any bytes read as a replay: refused with a message or accepted, never a crash.
#include "Replay.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Replay *replay = ReplayAllocate();
    std::string error;
    std::string text(reinterpret_cast<const char *>(data), size);
    if (ReplayLoadFromText(replay, text, &error)) {
        // What was accepted writes back to text that reads the same.
        std::string again = ReplaySaveToText(replay);
        Replay *copy = ReplayAllocate();
        if (!ReplayLoadFromText(copy, again, &error) || ReplaySaveToText(copy) != again)
            __builtin_trap();
        ReplayDispose(copy);
    } else if (error.empty()) {
        __builtin_trap();
    }
    ReplayDispose(replay);
    return 0;
}
