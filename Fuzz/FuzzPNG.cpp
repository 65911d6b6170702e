// PNG decoding of texture images.
#include "Image.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    PlatformImage image;
    PlatformDecodePNG(data, size, &image);
    return 0;
}
