// Image files: PNG decoding into ARGB pixels and 24-bit PNG export.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

struct PlatformImage {
    int32_t width, height;
    std::vector<uint32_t> pixels; // ARGB, bottom row first
};

bool PlatformReadPNG(const std::filesystem::path &file, PlatformImage *out);
// writes a 24-bit RGB PNG; rgbRows: height rows of width*3 bytes, TOP row first
bool PlatformWritePNG(const std::filesystem::path &file, int32_t width, int32_t height, const uint8_t *rgbRows);
