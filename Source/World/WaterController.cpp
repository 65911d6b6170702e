#include "WaterController.h"

#include "Level.h"
#include "Utilities.h"
#include "Water.h"
#include "WaterPool.h"


#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

WaterController *WaterControllerAllocate(Level *level, int32_t mode)
{
    WaterController *controller = static_cast<WaterController *>(std::calloc(1, sizeof(WaterController)));
    controller->level = level;
    controller->mode = mode == kWaterModeBoxes ? kWaterModeBoxes : kWaterModeRisingLevel;
    controller->initialWaterLevel = 0.0;
    controller->riseSpeed = 1.0;
    controller->currentWaterLevel = 0.0;
    return controller;
}

void WaterControllerDispose(WaterController *controller)
{
    if (!controller)
        return;
    if (controller->mode == kWaterModeBoxes) {
        for (int32_t i = 0; i < controller->boxCount; i++)
            WaterBoxDispose(controller->boxes[i]);
    }
    std::free(controller->boxes);
    std::free(controller);
}

WaterController *WaterControllerCreateCopy(const WaterController *controller, Level *level)
{
    WaterController *copy = WaterControllerAllocate(level, controller->mode);
    if (controller->mode == kWaterModeRisingLevel) {
        copy->initialWaterLevel = controller->initialWaterLevel;
        copy->riseSpeed = controller->riseSpeed;
        copy->currentWaterLevel = controller->currentWaterLevel;
        return copy;
    }
    for (int32_t i = 0; i < controller->boxCount; i++) {
        WaterBox *box = WaterBoxCreateCopy(controller->boxes[i], copy);
        if (box)
            WaterControllerAddBox(copy, box);
    }
    for (int32_t i = 0; i < copy->boxCount; i++)
        WaterBoxRelinkSides(copy->boxes[i]);
    return copy;
}

double WaterControllerGetInitialWaterLevel(const WaterController *controller)
{
    return controller->mode == kWaterModeRisingLevel ? controller->initialWaterLevel : 0.0;
}

void WaterControllerSetInitialWaterLevel(WaterController *controller, double level)
{
    if (controller->mode == kWaterModeRisingLevel)
        controller->initialWaterLevel = level;
}

double WaterControllerGetRiseSpeed(const WaterController *controller)
{
    return controller->mode == kWaterModeRisingLevel ? controller->riseSpeed : 0.0;
}

void WaterControllerSetRiseSpeed(WaterController *controller, double speed)
{
    if (controller->mode == kWaterModeRisingLevel)
        controller->riseSpeed = speed;
}

double WaterControllerGetCurrentWaterLevel(const WaterController *controller)
{
    return controller->mode == kWaterModeRisingLevel ? controller->currentWaterLevel : 0.0;
}

void WaterControllerSetCurrentWaterLevel(WaterController *controller, double level)
{
    if (controller->mode == kWaterModeRisingLevel)
        controller->currentWaterLevel = level;
}

float WaterControllerGetWaterCoverage(const WaterController *controller, float, float, float minY, float maxY,
                                      float, float)
{
    if (controller->mode != kWaterModeRisingLevel)
        return 0.0f;
    double height = double(maxY) - double(minY);
    double coverage;
    if (height > 0.0)
        coverage = (controller->currentWaterLevel - double(minY)) / height;
    else
        coverage = controller->currentWaterLevel > double(minY) ? 1.0 : 0.0;
    if (!(coverage > 0.0))
        return 0.0f;
    if (coverage > 1.0)
        return 1.0f;
    return float(coverage);
}

static void WaterControllerRunBoxes(WaterController *controller)
{
    if (controller->atRest) {
        if (WaterPoolBlockSignature(controller->level) == controller->restBlocks)
            return;
        controller->atRest = false;
    }
    int32_t i = 0;
    while (i < controller->boxCount) {
        WaterBox *box = controller->boxes[i];
        if (WaterBoxGetVolume(box) < kWaterMinimumVolume) {
            WaterControllerRemoveBoxAtIndex(controller, i);
            continue;
        }
        WaterBoxRun(box);
        i++;
    }
    for (int32_t j = 0; j < controller->boxCount; j++)
        WaterBoxRelinkSides(controller->boxes[j]);
    // Resting water side by side flows from the higher surface to the lower.
    for (int32_t j = 0; j < controller->boxCount; j++)
        WaterBoxLevelWithNeighbors(controller->boxes[j]);
    WaterControllerSimplifyBoxes(controller);
    WaterPoolAbsorbDroplets(controller);
    // Resting pieces on one floor become one pool again.
    WaterPoolGatherAll(controller);
    if (controller->boxCount > kWaterPoolSettleCount) {
        WaterPoolSettle(controller);
        controller->atRest = true;
        controller->restBlocks = WaterPoolBlockSignature(controller->level);
    }
}

void WaterControllerRun(WaterController *controller, float dt)
{
    if (controller->mode == kWaterModeBoxes) {
        WaterControllerRunBoxes(controller);
        return;
    }
    controller->currentWaterLevel += double(dt) * controller->riseSpeed;
    if (controller->level) {
        double top = double(CellSize) * double(controller->level->sizeY);
        if (controller->currentWaterLevel > top)
            controller->currentWaterLevel = top;
    }
}

bool WaterControllerSave(const WaterController *controller, ByteBuffer *buffer)
{
    if (controller->mode == kWaterModeRisingLevel)
        return ByteBufferAppendInt32(buffer, -1) && ByteBufferAppendDouble(buffer, controller->initialWaterLevel) &&
               ByteBufferAppendDouble(buffer, controller->riseSpeed);
    // Boxes emptied by merging wait for the next tick to be removed; they
    // hold no water and are not written.
    int32_t count = 0;
    for (int32_t i = 0; i < controller->boxCount; i++)
        if (WaterBoxGetVolume(controller->boxes[i]) >= kWaterMinimumVolume)
            count++;
    if (!ByteBufferAppendInt32(buffer, count))
        return false;
    for (int32_t i = 0; i < controller->boxCount; i++)
        if (WaterBoxGetVolume(controller->boxes[i]) >= kWaterMinimumVolume &&
            !WaterBoxSave(controller->boxes[i], buffer))
            return false;
    return true;
}

WaterController *WaterControllerLoad(Level *level, const uint8_t *data, int32_t size, int32_t *position)
{
    int32_t form;
    if (!ReadInt32(data, size, position, &form))
        return nullptr;
    if (form == -1) {
        double initial, speed;
        if (!ReadDouble(data, size, position, &initial) || !ReadDouble(data, size, position, &speed))
            return nullptr;
        if (!std::isfinite(initial) || !std::isfinite(speed)) {
            std::printf("Error: water level or speed is not a finite number\n");
            return nullptr;
        }
        WaterController *controller = WaterControllerAllocate(level, kWaterModeRisingLevel);
        controller->initialWaterLevel = initial;
        controller->riseSpeed = speed;
        controller->currentWaterLevel = initial;
        return controller;
    }
    if (form < 0 || form > kWaterMaximumBoxes) {
        std::printf("Error: water box count %d is out of range\n", form);
        return nullptr;
    }
    if (!CheckBytesRemain(data, size, *position, int64_t(form) * 24))
        return nullptr;
    WaterController *controller = WaterControllerAllocate(level, kWaterModeBoxes);
    for (int32_t i = 0; i < form; i++) {
        WaterBox *box = WaterBoxLoad(controller, data, size, position);
        if (!box) {
            WaterControllerDispose(controller);
            return nullptr;
        }
        WaterControllerAddBox(controller, box);
    }
    return controller;
}

WaterBox *WaterControllerAddBox(WaterController *controller, WaterBox *box)
{
    if (!box)
        return nullptr;
    if (controller->mode != kWaterModeBoxes || controller->boxCount >= kWaterMaximumBoxes) {
        WaterBoxDispose(box);
        return nullptr;
    }
    if (controller->boxCount >= controller->boxCapacity) {
        int32_t capacity = nextPowerOfTwo(controller->boxCapacity);
        controller->boxes =
            static_cast<WaterBox **>(std::realloc(controller->boxes, sizeof(WaterBox *) * size_t(capacity)));
        controller->boxCapacity = capacity;
    }
    box->controller = controller;
    controller->boxes[controller->boxCount++] = box;
    controller->atRest = false; // new water moves
    return box;
}

int32_t WaterControllerIndexForBox(const WaterController *controller, const WaterBox *box)
{
    if (controller->mode != kWaterModeBoxes)
        return -1;
    for (int32_t i = 0; i < controller->boxCount; i++)
        if (controller->boxes[i] == box)
            return i;
    return -1;
}

void WaterControllerRemoveBoxAtIndex(WaterController *controller, int32_t index)
{
    if (controller->mode != kWaterModeBoxes || index < 0 || index >= controller->boxCount)
        return;
    WaterBoxDispose(controller->boxes[index]);
    for (int32_t i = index + 1; i < controller->boxCount; i++)
        controller->boxes[i - 1] = controller->boxes[i];
    controller->boxCount--;
}

std::vector<WaterBox *> WaterControllerGetBoxListForBoundingBox(WaterController *controller, AABB q)
{
    std::vector<WaterBox *> list;
    if (controller->mode != kWaterModeBoxes)
        return list;
    for (int32_t i = 0; i < controller->boxCount; i++) {
        WaterBox *b = controller->boxes[i];
        if (q.maxX >= b->minX && b->maxX >= q.minX && q.maxY >= b->minY && b->maxY >= q.minY &&
            q.maxZ >= b->minZ && b->maxZ >= q.minZ)
            list.push_back(b);
    }
    return list;
}

double WaterControllerGetTotalVolume(const WaterController *controller)
{
    double total = 0.0;
    if (controller->mode != kWaterModeBoxes)
        return total;
    for (int32_t i = 0; i < controller->boxCount; i++) {
        float v = WaterBoxGetVolume(controller->boxes[i]);
        if (v > 0.0f)
            total += double(v);
    }
    return total;
}

// ---- Empty space ----

static float AABBVolume(const AABB &b)
{
    return (b.maxX - b.minX) * (b.maxY - b.minY) * (b.maxZ - b.minZ);
}

static float &AABBLow(AABB &b, int axis)
{
    return axis == 0 ? b.minX : axis == 1 ? b.minY : b.minZ;
}

static float &AABBHigh(AABB &b, int axis)
{
    return axis == 0 ? b.maxX : axis == 1 ? b.maxY : b.maxZ;
}

// Overlap of two intervals; negative when they are apart.
static float Overlap(float aMin, float aMax, float bMin, float bMax)
{
    return std::min(aMax, bMax) - std::max(aMin, bMin);
}

static bool SharesFace(const AABB &a, const AABB &b)
{
    float ox = Overlap(a.minX, a.maxX, b.minX, b.maxX);
    float oy = Overlap(a.minY, a.maxY, b.minY, b.maxY);
    float oz = Overlap(a.minZ, a.maxZ, b.minZ, b.maxZ);
    if (ox < 0.0f || oy < 0.0f || oz < 0.0f)
        return false;
    return ox * oy > 0.0001f || oy * oz > 0.0001f || ox * oz > 0.0001f;
}

std::vector<AABB> WaterControllerComputeEmptySpace(AABB region, Vector seed, const AABB *obstacles,
                                                   int32_t obstacleCount)
{
    return WaterControllerComputeEmptySpace(region, seed, obstacles, obstacleCount, 0);
}

std::vector<AABB> WaterControllerComputeEmptySpace(AABB region, Vector seed, const AABB *obstacles,
                                                   int32_t obstacleCount, int32_t splittingCount)
{
    std::vector<AABB> result;
    if (!(AABBVolume(region) >= 0.0001f) || !std::isfinite(AABBVolume(region)))
        return result;
    double cells = std::ceil(double(region.maxX - region.minX) / double(CellSize)) *
                   std::ceil(double(region.maxY - region.minY) / double(CellSize)) *
                   std::ceil(double(region.maxZ - region.minZ) / double(CellSize));
    std::vector<AABB> free;
    free.reserve(size_t(nextPowerOfTwo(int32_t(std::min(cells, 32768.0)))));
    free.push_back(region);

    for (int32_t o = 0; o < obstacleCount && !free.empty(); o++) {
        AABB obstacle = obstacles[o];
        size_t i = 0;
        while (i < free.size()) {
            bool removed = false;
            // An obstacle that reaches into the free box cuts it with all six
            // face planes.  The first splittingCount obstacles also cut free
            // boxes they only lie beside, with their vertical face planes:
            // water spreading along a block then gets a piece past the
            // block's edge whose side is clear of it.
            const AABB &candidate = free[i];
            bool overlaps = obstacle.minX < candidate.maxX && candidate.minX < obstacle.maxX &&
                            obstacle.minY < candidate.maxY && candidate.minY < obstacle.maxY &&
                            obstacle.minZ < candidate.maxZ && candidate.minZ < obstacle.maxZ;
            // Beside means against a vertical face: a block under the water
            // supports it and does not cut it.
            bool beside = o < splittingCount && AABBIntersects(obstacle, candidate) &&
                          obstacle.minY < candidate.maxY && candidate.minY < obstacle.maxY;
            for (int face = 0; (overlaps || beside) && face < 6; face++) {
                int axis = face / 2;
                if (!overlaps && axis == 1)
                    continue;
                float c = (face & 1) ? AABBHigh(obstacle, axis) : AABBLow(obstacle, axis);
                AABB box = free[i];
                if (!(AABBLow(box, axis) <= c && c <= AABBHigh(box, axis)))
                    continue;
                AABB lower = box, upper = box;
                AABBHigh(lower, axis) = c;
                AABBLow(upper, axis) = c;
                bool keepLower = !(AABBInside(lower, obstacle) || AABBVolume(lower) < 0.0001f);
                bool keepUpper = !(AABBInside(upper, obstacle) || AABBVolume(upper) < 0.0001f);
                if (keepLower && keepUpper) {
                    free[i] = lower;
                    free.push_back(upper);
                } else if (keepLower) {
                    free[i] = lower;
                } else if (keepUpper) {
                    free[i] = upper;
                } else {
                    free.erase(free.begin() + std::ptrdiff_t(i));
                    removed = true;
                    break;
                }
            }
            if (!removed)
                i++;
        }
    }

    size_t seedIndex = free.size();
    for (size_t i = 0; i < free.size(); i++) {
        const AABB &b = free[i];
        if (seed.x >= b.minX && seed.x <= b.maxX && seed.y >= b.minY && seed.y <= b.maxY && seed.z >= b.minZ &&
            seed.z <= b.maxZ) {
            seedIndex = i;
            break;
        }
    }
    if (seedIndex == free.size())
        return result;

    result.push_back(free[seedIndex]);
    free.erase(free.begin() + std::ptrdiff_t(seedIndex));
    bool grew = true;
    while (grew && !free.empty()) {
        grew = false;
        size_t i = 0;
        while (i < free.size()) {
            bool meets = false;
            for (const AABB &r : result) {
                if (SharesFace(free[i], r)) {
                    meets = true;
                    break;
                }
            }
            if (meets) {
                result.push_back(free[i]);
                free.erase(free.begin() + std::ptrdiff_t(i));
                grew = true;
            } else {
                i++;
            }
        }
    }
    return result;
}

// ---- Merging ----

namespace {

constexpr float kSlack = 0.0001f;

bool Near(float a, float b)
{
    return std::fabs(double(a) - double(b)) < double(kSlack);
}

float Low(const WaterBox *b, int axis)
{
    return axis == 0 ? b->minX : axis == 1 ? b->minY : b->minZ;
}

float High(const WaterBox *b, int axis)
{
    return axis == 0 ? b->maxX : axis == 1 ? b->maxY : b->maxZ;
}

int SideFor(int axis, int direction)
{
    // x: -x 0, +x 1; y: bottom 2, top 3; z: -z 4, +z 5
    return axis * 2 + (direction > 0 ? 1 : 0);
}

// The four sides across an axis whose kinds must agree along a run.
const int crossSides[3][4] = {
    {kWaterSideBottom, kWaterSideTop, kWaterSideMinZ, kWaterSideMaxZ}, // along x
    {kWaterSideMinX, kWaterSideMaxX, kWaterSideMinZ, kWaterSideMaxZ},  // along y
    {kWaterSideBottom, kWaterSideTop, kWaterSideMinX, kWaterSideMaxX}, // along z
};

bool SameCrossKinds(const WaterBox *a, const WaterBox *b, int axis)
{
    for (int side : crossSides[axis])
        if (a->sides[side].kind != b->sides[side].kind)
            return false;
    return true;
}

bool SameExtent(const WaterBox *a, const WaterBox *b, int axis)
{
    return Near(Low(a, axis), Low(b, axis)) && Near(High(a, axis), High(b, axis));
}

struct Range {
    float low, high;
};

// A run of boxes from start along axis in direction (-1, 0 or +1): every box
// has start's extents on the other two axes and the same side kinds across
// the axis as the box before it.  With fixed, the run must cover exactly that
// range; otherwise it goes as far as the links allow and reports its range.
bool CollectRun(WaterBox *start, int axis, int direction, bool fixed, Range *range, std::vector<WaterBox *> *out)
{
    size_t mark = out->size();
    if (direction == 0) {
        if (fixed && !(Near(Low(start, axis), range->low) && Near(High(start, axis), range->high)))
            return false;
        if (!fixed)
            *range = Range{Low(start, axis), High(start, axis)};
        out->push_back(start);
        return true;
    }
    if (fixed) {
        float startFace = direction > 0 ? range->low : range->high;
        float startOwn = direction > 0 ? Low(start, axis) : High(start, axis);
        if (!Near(startFace, startOwn))
            return false;
    }
    int other1 = axis == 0 ? 1 : 0;
    int other2 = axis == 2 ? 1 : 2;
    WaterBox *current = start;
    out->push_back(start);
    for (;;) {
        float reached = direction > 0 ? High(current, axis) : Low(current, axis);
        if (fixed && Near(reached, direction > 0 ? range->high : range->low))
            return true;
        const WaterSideLink &link = current->sides[SideFor(axis, direction)];
        WaterBox *next = link.kind == kWaterSideWater ? link.neighbour : nullptr;
        // A run must move on along the axis; boxes thinner than the slack
        // can name each other both ways.
        bool advances = next && (direction > 0 ? High(next, axis) > High(current, axis)
                                               : Low(next, axis) < Low(current, axis));
        bool accept = advances && SameExtent(next, start, other1) && SameExtent(next, start, other2) &&
                      SameCrossKinds(next, current, axis);
        if (accept && fixed) {
            float farFace = direction > 0 ? High(next, axis) : Low(next, axis);
            accept = direction > 0 ? farFace <= range->high + kSlack : farFace >= range->low - kSlack;
        }
        if (!accept) {
            if (fixed) {
                out->resize(mark);
                return false;
            }
            *range = direction > 0 ? Range{Low(start, axis), reached} : Range{reached, High(start, axis)};
            return true;
        }
        current = next;
        out->push_back(current);
    }
}

// A layer: rows along x stacked along z, all of the start box's height.
bool CollectLayer(WaterBox *start, int dirX, int dirZ, bool fixed, Range *xRange, Range *zRange,
                  std::vector<WaterBox *> *out)
{
    size_t mark = out->size();
    if (!CollectRun(start, 0, dirX, fixed, xRange, out))
        return false;
    Range z{start->minZ, start->maxZ};
    if (dirZ == 0) {
        if (fixed && !(Near(z.low, zRange->low) && Near(z.high, zRange->high))) {
            out->resize(mark);
            return false;
        }
        *zRange = z;
        return true;
    }
    if (fixed && !Near(dirZ > 0 ? start->minZ : start->maxZ, dirZ > 0 ? zRange->low : zRange->high)) {
        out->resize(mark);
        return false;
    }
    WaterBox *rowStart = start;
    for (;;) {
        float reached = dirZ > 0 ? rowStart->maxZ : rowStart->minZ;
        if (dirZ > 0)
            z.high = reached;
        else
            z.low = reached;
        if (fixed && Near(reached, dirZ > 0 ? zRange->high : zRange->low))
            return true;
        const WaterSideLink &link = rowStart->sides[SideFor(2, dirZ)];
        WaterBox *next = link.kind == kWaterSideWater ? link.neighbour : nullptr;
        bool advances = next && (dirZ > 0 ? next->maxZ > rowStart->maxZ : next->minZ < rowStart->minZ);
        bool accept = advances && SameExtent(next, start, 1) && SameCrossKinds(next, rowStart, 2);
        if (accept && fixed) {
            float farFace = dirZ > 0 ? next->maxZ : next->minZ;
            accept = dirZ > 0 ? farFace <= zRange->high + kSlack : farFace >= zRange->low - kSlack;
        }
        if (accept) {
            Range rowRange = *xRange;
            accept = CollectRun(next, 0, dirX, true, &rowRange, out);
        }
        if (!accept) {
            if (fixed) {
                out->resize(mark);
                return false;
            }
            *zRange = z;
            return true;
        }
        rowStart = next;
    }
}

int GrowthDirection(const WaterBox *box, int axis)
{
    if (box->sides[SideFor(axis, -1)].kind != kWaterSideWater)
        return 1;
    if (box->sides[SideFor(axis, 1)].kind != kWaterSideWater)
        return -1;
    return 0;
}

void SimplifyFrom(WaterBox *box)
{
    int dirX = GrowthDirection(box, 0);
    int dirY = GrowthDirection(box, 1);
    int dirZ = GrowthDirection(box, 2);
    if (dirX == 0 && dirY == 0 && dirZ == 0)
        return;
    // Nothing to merge when no growth direction leads to water.
    bool anyWater = (dirX != 0 && box->sides[SideFor(0, dirX)].kind == kWaterSideWater) ||
                    (dirY != 0 && box->sides[SideFor(1, dirY)].kind == kWaterSideWater) ||
                    (dirZ != 0 && box->sides[SideFor(2, dirZ)].kind == kWaterSideWater);
    if (!anyWater)
        return;

    std::vector<WaterBox *> members;
    Range xRange{}, zRange{};
    CollectLayer(box, dirX, dirZ, false, &xRange, &zRange, &members);
    Range yRange{box->minY, box->maxY};
    if (dirY != 0) {
        WaterBox *layerStart = box;
        for (;;) {
            const WaterSideLink &link = layerStart->sides[SideFor(1, dirY)];
            WaterBox *next = link.kind == kWaterSideWater ? link.neighbour : nullptr;
            bool advances = next && (dirY > 0 ? next->maxY > layerStart->maxY : next->minY < layerStart->minY);
            if (!advances || !SameCrossKinds(next, box, 1))
                break;
            Range x = xRange, z = zRange;
            if (!CollectLayer(next, dirX, dirZ, true, &x, &z, &members))
                break;
            if (dirY > 0)
                yRange.high = next->maxY;
            else
                yRange.low = next->minY;
            layerStart = next;
        }
    }
    if (members.size() < 2)
        return;
    // Merge only when the members fill the new box exactly: their volumes
    // must add up to its volume, so that no water is made or lost.
    std::vector<WaterBox *> distinct;
    for (WaterBox *member : members)
        if (std::find(distinct.begin(), distinct.end(), member) == distinct.end())
            distinct.push_back(member);
    members.swap(distinct);
    double filled = 0.0;
    for (WaterBox *member : members)
        filled += double(member->maxX - member->minX) * double(member->maxY - member->minY) *
                  double(member->maxZ - member->minZ);
    double merged = (double(xRange.high) - double(xRange.low)) * (double(yRange.high) - double(yRange.low)) *
                    (double(zRange.high) - double(zRange.low));
    if (std::fabs(merged - filled) > 1e-5 * filled + 1e-6)
        return;
    for (WaterBox *member : members) {
        if (member == box)
            continue;
        WaterBoxClearNeighbors(member);
        for (WaterSideLink &side : member->sides)
            side = WaterSideLink{kWaterSideOpen, nullptr};
        member->maxY = member->minY;
    }
    box->minX = xRange.low;
    box->maxX = xRange.high;
    box->minY = yRange.low;
    box->maxY = yRange.high;
    box->minZ = zRange.low;
    box->maxZ = zRange.high;
    WaterBoxRelinkSides(box);
}

} // namespace

void WaterControllerSimplifyBoxes(WaterController *controller)
{
    if (controller->mode != kWaterModeBoxes)
        return;
    for (int32_t i = 0; i < controller->boxCount; i++) {
        WaterBox *box = controller->boxes[i];
        if (WaterBoxGetVolume(box) < kWaterMinimumVolume)
            continue;
        SimplifyFrom(box);
    }
}
