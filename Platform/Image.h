// Image files: PNG decoding for textures and PNG writing for snapshots.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

// Pixels are 32-bit values 0xAARRGGBB, rows packed, the bottom row first.
struct PlatformImage {
    int32_t width, height;
    std::vector<uint32_t> pixels;
};

// Largest side and largest file that the decoder accepts.
constexpr int32_t kPlatformImageMaxSide = 4096;
constexpr int64_t kPlatformImageMaxFileSize = 64 << 20;

bool PlatformReadPNG(const std::filesystem::path &file, PlatformImage *out);
bool PlatformDecodePNG(const uint8_t *data, size_t size, PlatformImage *out);
// writes a 24-bit RGB PNG; rgbRows: height rows of width*3 bytes, TOP row first
bool PlatformWritePNG(const std::filesystem::path &file, int32_t width, int32_t height, const uint8_t *rgbRows);
