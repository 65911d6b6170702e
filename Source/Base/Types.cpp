#include "Types.h"

Point2f Point2fWithValues(float x, float y)
{
    return Point2f{x, y};
}

Rect4f Rect4fWithValues(float left, float bottom, float right, float top)
{
    return Rect4f{left, bottom, right, top};
}

AABB AABBWithValues(float minX, float maxX, float minY, float maxY, float minZ, float maxZ)
{
    return AABB{minX, maxX, minY, maxY, minZ, maxZ};
}
