// Reads arbitrary bytes as the readable text of a level set, as LevelMaker
// compiles it.  Text the compiler accepts must build, and the set it builds
// must save to bytes that the game's loader accepts again.
#include "LevelSet.h"
#include "LevelText.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<std::string> lines = LevelTextSplitLines(std::string(reinterpret_cast<const char *>(data), size));
    std::vector<LevelText> texts;
    Fault fault;
    bool ok = LevelTextParse(lines, &texts, &fault);
    for (size_t i = 0; ok && i < texts.size(); i++)
        ok = LevelTextCheck(texts[i], &fault);
    if (!ok) {
        if (fault.message.empty()) {
            std::fprintf(stderr, "A refusal without a message\n");
            std::abort();
        }
        return 0;
    }
    if (texts.size() > size_t(kLevelSetMaxLevels))
        return 0;
    LevelSet *set = LevelSetAllocate();
    for (const LevelText &text : texts) {
        Level *level = LevelSetAppendLevel(set);
        if (!level || !LevelTextBuild(text, level)) {
            std::fprintf(stderr, "Checked text at line %d did not build\n", text.line);
            std::abort();
        }
    }
    std::vector<uint8_t> bytes;
    LevelSet *again = LevelSetAllocate();
    if (!LevelSetWriteToBuffer(set, &bytes) || !LevelSetInitWithData(again, bytes.data(), int32_t(bytes.size()))) {
        std::fprintf(stderr, "A compiled set does not load\n");
        std::abort();
    }
    LevelSetDispose(again);
    LevelSetDispose(set);
    return 0;
}
