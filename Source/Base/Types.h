// Small value types shared by every module: 2-D points, rectangles, boxes and
// four-character codes.
#pragma once

#include <cstdint>

// Four-character codes ('Ston', 'EGam') are unsigned 32-bit values whose first
// character is the most significant byte.  GCC and Clang build multi-character
// literals exactly that way, so code may write them directly.
using FourCharCode = uint32_t;

constexpr FourCharCode FourCharCodeFromString(const char (&s)[5])
{
    return (FourCharCode(uint8_t(s[0])) << 24) | (FourCharCode(uint8_t(s[1])) << 16) |
           (FourCharCode(uint8_t(s[2])) << 8) | FourCharCode(uint8_t(s[3]));
}

struct Point2f {
    float x, y;
};

struct Rect4f {
    float left, bottom, right, top;
};

// Axis-aligned box: per axis the minimum, then the maximum; y is up.
struct AABB {
    float minX, maxX, minY, maxY, minZ, maxZ;
};

Point2f Point2fWithValues(float x, float y);
Rect4f Rect4fWithValues(float left, float bottom, float right, float top);
AABB AABBWithValues(float minX, float maxX, float minY, float maxY, float minZ, float maxZ);
