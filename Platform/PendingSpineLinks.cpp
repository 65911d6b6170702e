// Link-time placeholders until the image codec is merged; deleted at merge.
#include "Image.h"

bool PlatformReadPNG(const std::filesystem::path &, PlatformImage *)
{
    return false;
}

bool PlatformWritePNG(const std::filesystem::path &, int32_t, int32_t, const uint8_t *)
{
    return false;
}
