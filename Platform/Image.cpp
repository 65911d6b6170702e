#include "Image.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

bool PlatformDecodePNG(const uint8_t *data, size_t size, PlatformImage *out)
{
    if (!data || size == 0)
        return false;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size))
        return false;
    if (image.width == 0 || image.height == 0 || image.width > uint32_t(kPlatformImageMaxSide) ||
        image.height > uint32_t(kPlatformImageMaxSide)) {
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_ARGB;
    std::vector<uint8_t> bytes(size_t(PNG_IMAGE_SIZE(image)));
    // A negative stride stores the rows bottom-up.
    png_int_32 stride = -png_int_32(PNG_IMAGE_ROW_STRIDE(image));
    if (!png_image_finish_read(&image, nullptr, bytes.data(), stride, nullptr)) {
        png_image_free(&image);
        return false;
    }
    out->width = int32_t(image.width);
    out->height = int32_t(image.height);
    out->pixels.resize(size_t(image.width) * image.height);
    for (size_t i = 0; i < out->pixels.size(); i++) {
        const uint8_t *p = &bytes[i * 4];
        out->pixels[i] = (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
    }
    return true;
}

bool PlatformReadPNG(const std::filesystem::path &file, PlatformImage *out)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
        return false;
    auto size = std::filesystem::file_size(file, error);
    if (error || size == 0 || size > uint64_t(kPlatformImageMaxFileSize))
        return false;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    std::vector<uint8_t> data(static_cast<size_t>(size));
    if (!in.read(reinterpret_cast<char *>(data.data()), std::streamsize(size)))
        return false;
    return PlatformDecodePNG(data.data(), data.size(), out);
}

bool PlatformWritePNG(const std::filesystem::path &file, int32_t width, int32_t height, const uint8_t *rgbRows)
{
    if (width <= 0 || height <= 0 || !rgbRows)
        return false;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    image.format = PNG_FORMAT_RGB;
    // Written beside the target under another name and renamed into place
    // once complete, so a full disk never leaves half a picture behind.
    std::filesystem::path temporary = file;
    temporary += ".part";
    bool ok = png_image_write_to_file(&image, temporary.c_str(), 0, rgbRows, png_int_32(width) * 3, nullptr) != 0;
    png_image_free(&image);
    if (ok)
        ok = std::rename(temporary.c_str(), file.c_str()) == 0;
    if (!ok)
        std::remove(temporary.c_str());
    return ok;
}
