// Static model files: the common header, then the body, bounds and the
// choice of drawing mode.
#include "Folders.h"
#include "Model.h"
#include "ModelParser.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static bool prepared = false;
    if (!prepared) {
        // Requires lines look here and find nothing.
        PlatformSetResourcesFolder("/nonexistent/brimhold-fuzz");
        prepared = true;
    }
    const char *text = reinterpret_cast<const char *>(data);
    int32_t length = int32_t(size);
    ModelHeader header;
    int32_t position = ModelReadHeader(text, length, &header) == 0 ? header.bodyPosition : 0;
    StaticModel *model = StaticModelAllocate();
    if (StaticModelParse(model, text, length, position) == 0) {
        StaticModelGetBounds(model);
        StaticModelChooseDrawMode(model);
    }
    StaticModelDispose(model);
    ModelDisposeAllModels();
    return 0;
}
