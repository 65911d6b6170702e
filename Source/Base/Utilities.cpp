#include "Utilities.h"

#include <algorithm>
#include <cstdarg>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <system_error>

// Swept overlap of the obstacle on one axis.
static bool SweepOverlaps(float oMin, float oMax, float nMin, float nMax, float bMin, float bMax)
{
    return (oMin < bMax && nMax > bMin) || (nMin < bMax && oMax > bMin);
}

// Contact on one axis: towards minus (onto the obstacle's max face) first,
// then towards plus.  The 0.01 tolerance is added in double precision.
static bool AxisContact(float oMin, float oMax, float nMin, float nMax, float bMin, float bMax, float *travel)
{
    if (double(oMin) + 0.01 >= double(bMax) && nMin <= bMax) {
        *travel = bMax - oMin;
        return true;
    }
    if (double(bMin) >= double(oMax) - 0.01 && nMax >= bMin) {
        *travel = bMin - oMax;
        return true;
    }
    return false;
}

static float EntryFraction(float travel, float oldMin, float newMin)
{
    if (oldMin == newMin)
        return 0.0f;
    return std::fabs(travel / std::fabs(oldMin - newMin));
}

int checkCollision(AABB o, AABB n, AABB b, Vector *out)
{
    bool overlapX = SweepOverlaps(o.minX, o.maxX, n.minX, n.maxX, b.minX, b.maxX);
    bool overlapY = SweepOverlaps(o.minY, o.maxY, n.minY, n.maxY, b.minY, b.maxY);
    bool overlapZ = SweepOverlaps(o.minZ, o.maxZ, n.minZ, n.maxZ, b.minZ, b.maxZ);
    float dX = 0.0f, dY = 0.0f, dZ = 0.0f;
    bool hitY = overlapX && overlapZ && AxisContact(o.minY, o.maxY, n.minY, n.maxY, b.minY, b.maxY, &dY);
    bool hitX = overlapY && overlapZ && AxisContact(o.minX, o.maxX, n.minX, n.maxX, b.minX, b.maxX, &dX);
    bool hitZ = overlapY && overlapX && AxisContact(o.minZ, o.maxZ, n.minZ, n.maxZ, b.minZ, b.maxZ, &dZ);
    if (!hitX && !hitY && !hitZ)
        return 0;
    if (!out)
        return 1;
    float fX = EntryFraction(dX, o.minX, n.minX);
    float fY = EntryFraction(dY, o.minY, n.minY);
    float fZ = EntryFraction(dZ, o.minZ, n.minZ);
    if (hitX && (!hitY || fX >= fY) && (!hitZ || fX >= fZ))
        out->x = dX;
    else if (hitY && (!hitX || fY >= fX) && (!hitZ || fY >= fZ))
        out->y = dY;
    else
        out->z = dZ;
    return 1;
}

bool AABBInside(AABB a, AABB b)
{
    const float t = 0.0001f;
    return a.minX > b.minX - t && a.maxX < b.maxX + t && a.minY > b.minY - t && a.maxY < b.maxY + t &&
           a.minZ > b.minZ - t && a.maxZ < b.maxZ + t;
}

bool AABBIntersects(AABB a, AABB b)
{
    const float t = 0.0001f;
    return a.minX < b.maxX + t && a.maxX > b.minX - t && a.minY < b.maxY + t && a.maxY > b.minY - t &&
           a.minZ < b.maxZ + t && a.maxZ > b.minZ - t;
}

int32_t nextPowerOfTwo(int32_t n)
{
    if (n <= 0)
        return 1;
    int32_t p = 1;
    while (p <= n && p < (1 << 30))
        p <<= 1;
    // Past 2^30 there is no greater 32-bit signed power of two.
    return p <= n ? INT32_MAX : p;
}

bool appendToBufferAndReallocIfNecessary(uint8_t **data, int32_t *capacity, int32_t *length, int32_t count,
                                         const void *source)
{
    if (count < 0 || *length < 0 || int64_t(*length) + count > INT32_MAX)
        return false;
    int32_t needed = *length + count;
    if (!(needed < *capacity)) {
        int32_t grown = *capacity;
        while (grown < needed)
            grown = nextPowerOfTwo(grown);
        void *moved = std::realloc(*data, size_t(grown > 0 ? grown : 1));
        if (!moved)
            throw std::bad_alloc();
        *data = static_cast<uint8_t *>(moved);
        *capacity = grown;
    }
    if (count > 0) {
        if (source)
            std::memcpy(*data + *length, source, size_t(count));
        else
            std::memset(*data + *length, 0, size_t(count));
    }
    *length += count;
    return true;
}

bool readBytesFromMemoryBlock(const uint8_t *data, int32_t size, int32_t *position, int32_t count,
                              int32_t elementSize, void *destination)
{
    if (count < 0 || *position < 0 || int64_t(*position) + count > size) {
        std::printf("Read error at %d: End of buffer\n", *position);
        return false;
    }
    if (destination && count > 0) {
        const uint8_t *from = data + *position;
        uint8_t *to = static_cast<uint8_t *>(destination);
        if (elementSize == 1) {
            std::memcpy(to, from, size_t(count));
        } else if (elementSize == 2 || elementSize == 4 || elementSize == 8) {
            int32_t elements = count / elementSize;
            for (int32_t e = 0; e < elements; e++)
                for (int32_t i = 0; i < elementSize; i++)
                    to[e * elementSize + i] = from[e * elementSize + (elementSize - 1 - i)];
        }
    }
    *position += count;
    return true;
}

int32_t getNextLineIndex(const char *text, int32_t length, int32_t start)
{
    if (start < 0 || start >= length)
        return -1;
    for (int32_t i = start; i < length; i++)
        if (text[i] == '\r' || text[i] == '\n')
            return i;
    return -1;
}

int32_t skipWhitespace(const char *text, int32_t length, int32_t start)
{
    if (start < 0)
        return -1;
    for (int32_t i = start; i < length; i++) {
        char c = text[i];
        if (c != '\0' && c != '\t' && c != '\n' && c != '\r' && c != ' ')
            return i;
    }
    return -1;
}

void flipImageY(void *pixels, int32_t rowBytes, int32_t rows)
{
    if (rowBytes <= 0 || rows <= 1)
        return;
    uint8_t *bytes = static_cast<uint8_t *>(pixels);
    std::vector<uint8_t> temporary(static_cast<size_t>(rowBytes));
    for (int32_t i = 0; i < rows / 2; i++) {
        uint8_t *a = bytes + size_t(i) * size_t(rowBytes);
        uint8_t *b = bytes + size_t(rows - 1 - i) * size_t(rowBytes);
        std::memcpy(temporary.data(), a, size_t(rowBytes));
        std::memcpy(a, b, size_t(rowBytes));
        std::memcpy(b, temporary.data(), size_t(rowBytes));
    }
}

bool getFolderRefAndCreateIfNecessary(const std::filesystem::path &parentFolder, const std::string &name,
                                      std::filesystem::path *outFolder)
{
    namespace fs = std::filesystem;
    // One plain component: no separators, no "." or "..", at most 255 bytes.
    if (name.empty() || name.size() > 255 || name == "." || name == ".." ||
        name.find('/') != std::string::npos || name.find('\0') != std::string::npos)
        return false;
    std::error_code error;
    fs::path folder = parentFolder / name;
    fs::file_status status = fs::status(folder, error);
    if (fs::exists(status)) {
        if (!fs::is_directory(status))
            return false;
    } else {
        if (!fs::is_directory(parentFolder, error))
            return false;
        if (!fs::create_directory(folder, error) || error)
            return false;
    }
    if (outFolder)
        *outFolder = folder;
    return true;
}

std::optional<std::vector<std::filesystem::path>> listFilesInFolder(const std::filesystem::path &folder)
{
    namespace fs = std::filesystem;
    std::error_code error;
    fs::directory_iterator it(folder, error);
    if (error)
        return std::nullopt;
    std::vector<fs::path> items;
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error)
            return std::nullopt;
        if (int32_t(items.size()) >= kMaxFolderListing)
            break;
        items.push_back(it->path());
    }
    if (error)
        return std::nullopt;
    std::sort(items.begin(), items.end());
    return items;
}

static AlertPresenter alertPresenter = nullptr;
static bool alertShowing = false;

void setAlertPresenter(AlertPresenter presenter)
{
    alertPresenter = presenter;
}

void alertf(const char *format, ...)
{
    char message[1024];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(message, sizeof message, format, arguments);
    va_end(arguments);
    std::printf("%s\n", message);
    std::fflush(stdout);
    if (!alertPresenter || alertShowing)
        return;
    alertShowing = true;
    alertPresenter(message);
    alertShowing = false;
}
