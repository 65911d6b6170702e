#include "Water.h"

#include "Block.h"
#include "Level.h"
#include "WaterController.h"


#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

static int32_t WaterOppositeSide(int32_t side)
{
    return side ^ 1;
}

static bool WaterNear(float a, float b)
{
    return std::fabs(double(a) - double(b)) < 0.0001;
}

// Strict overlap of two intervals.
static bool WaterOverlaps(float aMin, float aMax, float bMin, float bMax)
{
    return bMax > aMin && aMax > bMin;
}

float WaterBoxGetVolume(const WaterBox *box)
{
    return (box->maxX - box->minX) * (box->maxY - box->minY) * (box->maxZ - box->minZ);
}

AABB WaterBoxGetBounds(const WaterBox *box)
{
    return AABB{box->minX, box->maxX, box->minY, box->maxY, box->minZ, box->maxZ};
}

WaterBox *WaterBoxAllocate(WaterController *controller, float minX, float maxX, float minY, float maxY, float minZ,
                           float maxZ)
{
    float volume = (maxX - minX) * (maxY - minY) * (maxZ - minZ);
    if (!(volume >= kWaterMinimumVolume) || !std::isfinite(volume))
        return nullptr;
    WaterBox *box = static_cast<WaterBox *>(std::calloc(1, sizeof(WaterBox)));
    box->controller = controller;
    box->minX = minX;
    box->maxX = maxX;
    box->minY = minY;
    box->maxY = maxY;
    box->minZ = minZ;
    box->maxZ = maxZ;
    return box;
}

WaterBox *WaterBoxCreateCopy(const WaterBox *box, WaterController *controller)
{
    return WaterBoxAllocate(controller, box->minX, box->maxX, box->minY, box->maxY, box->minZ, box->maxZ);
}

void WaterBoxOpenSide(WaterBox *box, int32_t side)
{
    WaterSideLink &link = box->sides[side];
    if (link.kind == kWaterSideWater && link.neighbour) {
        WaterSideLink &back = link.neighbour->sides[WaterOppositeSide(side)];
        if (back.kind == kWaterSideWater && back.neighbour == box) {
            back.kind = kWaterSideOpen;
            back.neighbour = nullptr;
        }
    }
    link.kind = kWaterSideOpen;
    link.neighbour = nullptr;
}

// Links side of a with the opposite side of b, both ways; earlier links of
// either side are opened first so that every link stays symmetric.
static void WaterBoxLink(WaterBox *a, int32_t side, WaterBox *b)
{
    WaterBoxOpenSide(a, side);
    WaterBoxOpenSide(b, WaterOppositeSide(side));
    a->sides[side] = WaterSideLink{kWaterSideWater, b};
    b->sides[WaterOppositeSide(side)] = WaterSideLink{kWaterSideWater, a};
}

static void WaterBoxSetSideKind(WaterBox *box, int32_t side, int32_t kind)
{
    WaterBoxOpenSide(box, side);
    box->sides[side].kind = kind;
}

void WaterBoxClearNeighbors(WaterBox *box)
{
    for (int32_t side = 0; side < 6; side++) {
        WaterSideLink &link = box->sides[side];
        if (link.kind != kWaterSideWater || !link.neighbour)
            continue;
        WaterSideLink &back = link.neighbour->sides[WaterOppositeSide(side)];
        if (back.kind == kWaterSideWater && back.neighbour == box) {
            back.kind = kWaterSideOpen;
            back.neighbour = nullptr;
        }
    }
}

void WaterBoxDispose(WaterBox *box)
{
    if (!box)
        return;
    WaterBoxClearNeighbors(box);
    std::free(box);
}

void WaterBoxRelinkSides(WaterBox *box)
{
    for (int32_t side = 0; side < 6; side++)
        WaterBoxOpenSide(box, side);
    WaterController *controller = box->controller;
    if (!controller)
        return;
    AABB grown{box->minX - 0.01f, box->maxX + 0.01f, box->minY - 0.01f,
               box->maxY + 0.01f, box->minZ - 0.01f, box->maxZ + 0.01f};

    for (WaterBox *other : WaterControllerGetBoxListForBoundingBox(controller, grown)) {
        if (other == box || WaterBoxGetVolume(other) < kWaterMinimumVolume)
            continue; // boxes emptied by merging are on their way out
        AABB o = WaterBoxGetBounds(other);
        // Each of the six tests may link; a later match on a side replaces an earlier one.
        if (WaterNear(box->minX, o.maxX) && WaterOverlaps(box->minY, box->maxY, o.minY, o.maxY) &&
            WaterOverlaps(box->minZ, box->maxZ, o.minZ, o.maxZ))
            WaterBoxLink(box, kWaterSideMinX, other);
        if (WaterNear(box->maxX, o.minX) && WaterOverlaps(box->minY, box->maxY, o.minY, o.maxY) &&
            WaterOverlaps(box->minZ, box->maxZ, o.minZ, o.maxZ))
            WaterBoxLink(box, kWaterSideMaxX, other);
        if (WaterNear(box->minY, o.maxY) && WaterOverlaps(box->minX, box->maxX, o.minX, o.maxX) &&
            WaterOverlaps(box->minZ, box->maxZ, o.minZ, o.maxZ))
            WaterBoxLink(box, kWaterSideBottom, other);
        if (WaterNear(box->maxY, o.minY) && WaterOverlaps(box->minX, box->maxX, o.minX, o.maxX) &&
            WaterOverlaps(box->minZ, box->maxZ, o.minZ, o.maxZ))
            WaterBoxLink(box, kWaterSideTop, other);
        if (WaterNear(box->minZ, o.maxZ) && WaterOverlaps(box->minX, box->maxX, o.minX, o.maxX) &&
            WaterOverlaps(box->minY, box->maxY, o.minY, o.maxY))
            WaterBoxLink(box, kWaterSideMinZ, other);
        if (WaterNear(box->maxZ, o.minZ) && WaterOverlaps(box->minX, box->maxX, o.minX, o.maxX) &&
            WaterOverlaps(box->minY, box->maxY, o.minY, o.maxY))
            WaterBoxLink(box, kWaterSideMaxZ, other);
    }

    Level *level = controller->level;
    if (!level)
        return;
    int32_t blockCount = 0;
    Block **blocks = LevelGetSortedBlockListForBoundingBox(level, grown.minX, grown.maxX, grown.minY, grown.maxY,
                                                           grown.minZ, grown.maxZ, &blockCount);
    for (int32_t i = 0; i < blockCount; i++) {
        AABB o = BlockGetBounds(blocks[i]);
        if (WaterNear(box->minX, o.maxX) && WaterOverlaps(box->minY, box->maxY, o.minY, o.maxY) &&
            WaterOverlaps(box->minZ, box->maxZ, o.minZ, o.maxZ))
            WaterBoxSetSideKind(box, kWaterSideMinX, kWaterSideBlock);
        if (WaterNear(box->maxX, o.minX) && WaterOverlaps(box->minY, box->maxY, o.minY, o.maxY) &&
            WaterOverlaps(box->minZ, box->maxZ, o.minZ, o.maxZ))
            WaterBoxSetSideKind(box, kWaterSideMaxX, kWaterSideBlock);
        if (WaterNear(box->minY, o.maxY) && WaterOverlaps(box->minX, box->maxX, o.minX, o.maxX) &&
            WaterOverlaps(box->minZ, box->maxZ, o.minZ, o.maxZ))
            WaterBoxSetSideKind(box, kWaterSideBottom, kWaterSideBlock);
        if (WaterNear(box->maxY, o.minY) && WaterOverlaps(box->minX, box->maxX, o.minX, o.maxX) &&
            WaterOverlaps(box->minZ, box->maxZ, o.minZ, o.maxZ))
            WaterBoxSetSideKind(box, kWaterSideTop, kWaterSideBlock);
        if (WaterNear(box->minZ, o.maxZ) && WaterOverlaps(box->minX, box->maxX, o.minX, o.maxX) &&
            WaterOverlaps(box->minY, box->maxY, o.minY, o.maxY))
            WaterBoxSetSideKind(box, kWaterSideMinZ, kWaterSideBlock);
        if (WaterNear(box->maxZ, o.minZ) && WaterOverlaps(box->minX, box->maxX, o.minX, o.maxX) &&
            WaterOverlaps(box->minY, box->maxY, o.minY, o.maxY))
            WaterBoxSetSideKind(box, kWaterSideMaxZ, kWaterSideBlock);
    }
    std::free(blocks);

    float W = CellSize * float(level->sizeX), H = CellSize * float(level->sizeY), D = CellSize * float(level->sizeZ);
    if (WaterNear(box->minX, 0.0f))
        WaterBoxSetSideKind(box, kWaterSideMinX, kWaterSideBoundary);
    if (WaterNear(box->maxX, W))
        WaterBoxSetSideKind(box, kWaterSideMaxX, kWaterSideBoundary);
    if (WaterNear(box->minY, 0.0f))
        WaterBoxSetSideKind(box, kWaterSideBottom, kWaterSideBoundary);
    if (WaterNear(box->maxY, H))
        WaterBoxSetSideKind(box, kWaterSideTop, kWaterSideBoundary);
    if (WaterNear(box->minZ, 0.0f))
        WaterBoxSetSideKind(box, kWaterSideMinZ, kWaterSideBoundary);
    if (WaterNear(box->maxZ, D))
        WaterBoxSetSideKind(box, kWaterSideMaxZ, kWaterSideBoundary);
}

// A piece of free space and the water surface reached in it.
struct WaterPiece {
    AABB bounds;
    bool usable;
    float top;
};

// The surface height at which the usable pieces, filled from their bottoms
// up to it (but not above their tops), hold exactly volume.  False when even
// filled to their tops they hold less.
static bool WaterFindSurface(const std::vector<WaterPiece> &pieces, double volume, double *surface)
{
    std::vector<double> heights;
    double capacity = 0.0;
    for (const WaterPiece &piece : pieces) {
        if (!piece.usable)
            continue;
        heights.push_back(double(piece.bounds.minY));
        heights.push_back(double(piece.bounds.maxY));
        const AABB &b = piece.bounds;
        capacity += double(b.maxX - b.minX) * (double(b.maxY) - double(b.minY)) * double(b.maxZ - b.minZ);
    }
    if (heights.empty() || capacity < volume * (1.0 - 1e-6))
        return false;
    std::sort(heights.begin(), heights.end());
    // The filled volume grows linearly between two neighbouring heights, with
    // the area of the pieces spanning that step as its slope.
    double filled = 0.0;
    for (size_t k = 0; k + 1 < heights.size(); k++) {
        double low = heights[k], high = heights[k + 1];
        if (!(high > low))
            continue;
        double area = 0.0;
        for (const WaterPiece &piece : pieces) {
            const AABB &b = piece.bounds;
            if (piece.usable && double(b.minY) <= low && double(b.maxY) >= high)
                area += double(b.maxX - b.minX) * double(b.maxZ - b.minZ);
        }
        if (area > 0.0 && filled + area * (high - low) >= volume) {
            *surface = low + (volume - filled) / area;
            return true;
        }
        filled += area * (high - low);
    }
    *surface = heights.back(); // full to the brim, within rounding
    return true;
}

static bool WaterSideMaySpread(int32_t kind)
{
    return kind == kWaterSideOpen;
}

void WaterBoxRun(WaterBox *box)
{
    if (box->sides[kWaterSideTop].kind == kWaterSideWater)
        return; // only the topmost box of a column moves
    float volume = WaterBoxGetVolume(box);
    if (volume < kWaterMinimumVolume)
        return;
    WaterController *controller = box->controller;
    if (!controller || !controller->level)
        return;
    Level *level = controller->level;

    // Resting with no open side, the region is the box itself and the water
    // stays where it is.
    bool resting = box->sides[kWaterSideBottom].kind != kWaterSideOpen;
    if (resting && !WaterSideMaySpread(box->sides[kWaterSideMinX].kind) &&
        !WaterSideMaySpread(box->sides[kWaterSideMaxX].kind) &&
        !WaterSideMaySpread(box->sides[kWaterSideMinZ].kind) && !WaterSideMaySpread(box->sides[kWaterSideMaxZ].kind))
        return;

    AABB region = WaterBoxGetBounds(box);
    if (!resting) {
        region.minY -= 0.002f * volume;
    } else {
        // A side against a block grows too: a block may cover only part of
        // the face, and the block itself is cut out of the region below, so
        // water flows on past its edge but never into it.
        float grow = 0.001f * volume;
        if (WaterSideMaySpread(box->sides[kWaterSideMinX].kind))
            region.minX -= grow;
        if (WaterSideMaySpread(box->sides[kWaterSideMaxX].kind))
            region.maxX += grow;
        if (WaterSideMaySpread(box->sides[kWaterSideMinZ].kind))
            region.minZ -= grow;
        if (WaterSideMaySpread(box->sides[kWaterSideMaxZ].kind))
            region.maxZ += grow;
    }
    float W = CellSize * float(level->sizeX), H = CellSize * float(level->sizeY), D = CellSize * float(level->sizeZ);
    region.minX = std::max(region.minX, 0.0f);
    region.minY = std::max(region.minY, 0.0f);
    region.minZ = std::max(region.minZ, 0.0f);
    region.maxX = std::min(region.maxX, W);
    region.maxY = std::min(region.maxY, H);
    region.maxZ = std::min(region.maxZ, D);
    float area = (region.maxX - region.minX) * (region.maxZ - region.minZ);
    if (!(area > 0.0f) || !(region.maxY > region.minY))
        return; // a box outside the level has nowhere to go

    std::vector<AABB> obstacles;
    int32_t blockCount = 0;
    // The level's grid misses blocks that only touch the far faces of a box,
    // so ask with a slightly larger box and keep the blocks touching R.
    Block **blocks = LevelGetSortedBlockListForBoundingBox(level, region.minX - 0.01f, region.maxX + 0.01f,
                                                           region.minY - 0.01f, region.maxY + 0.01f,
                                                           region.minZ - 0.01f, region.maxZ + 0.01f, &blockCount);
    for (int32_t i = 0; i < blockCount; i++) {
        AABB o = BlockGetBounds(blocks[i]);
        bool touches = o.maxX >= region.minX - 0.0001f && region.maxX + 0.0001f >= o.minX &&
                       o.maxY >= region.minY - 0.0001f && region.maxY + 0.0001f >= o.minY &&
                       o.maxZ >= region.minZ - 0.0001f && region.maxZ + 0.0001f >= o.minZ;
        if (touches && BlockStopsWater(blocks[i]))
            obstacles.push_back(o);
    }
    std::free(blocks);
    int32_t blockObstacles = int32_t(obstacles.size());
    for (WaterBox *other : WaterControllerGetBoxListForBoundingBox(controller, region))
        if (other != box && WaterBoxGetVolume(other) >= kWaterMinimumVolume)
            obstacles.push_back(WaterBoxGetBounds(other));

    Vector centre = VectorWithValues((region.minX + region.maxX) / 2.0f, (region.minY + region.maxY) / 2.0f,
                                     (region.minZ + region.maxZ) / 2.0f);
    std::vector<AABB> space =
        WaterControllerComputeEmptySpace(region, centre, obstacles.data(), int32_t(obstacles.size()), blockObstacles);
    if (space.empty())
        return;

    // Pour the box's volume into the free pieces, lowest first, up to one
    // common surface.  Pieces too small to be a box get no water, so the
    // surface is found again without them until every piece that holds
    // water can exist.
    std::vector<WaterPiece> pieces;
    pieces.reserve(space.size());
    for (const AABB &b : space)
        pieces.push_back(WaterPiece{b, true, 0.0f});
    bool settled = false;
    for (size_t round = 0; round <= space.size() && !settled; round++) {
        double surface;
        if (!WaterFindSurface(pieces, double(volume), &surface))
            return; // the free space cannot hold the box's water: it stays as it is
        settled = true;
        for (WaterPiece &piece : pieces) {
            if (!piece.usable)
                continue;
            piece.top = float(std::min(double(piece.bounds.maxY), surface));
            if (!(piece.top > piece.bounds.minY)) {
                piece.top = piece.bounds.minY; // above the surface: stays dry
                continue;
            }
            AABB b = piece.bounds;
            float pieceVolume = (b.maxX - b.minX) * (piece.top - b.minY) * (b.maxZ - b.minZ);
            if (!(pieceVolume >= kWaterMinimumVolume)) {
                piece.usable = false;
                settled = false;
            }
        }
    }
    if (!settled)
        return;

    // The box keeps the first piece that holds water (the one holding R's
    // centre when it does); every other wet piece becomes a new box.
    size_t kept = pieces.size();
    int32_t added = 0;
    for (size_t i = 0; i < pieces.size(); i++) {
        if (!pieces[i].usable || !(pieces[i].top > pieces[i].bounds.minY))
            continue;
        if (kept == pieces.size())
            kept = i;
        else
            added++;
    }
    if (kept == pieces.size() || controller->boxCount + added > kWaterMaximumBoxes)
        return; // nowhere to put the water without losing some
    for (size_t i = 0; i < pieces.size(); i++) {
        const WaterPiece &piece = pieces[i];
        if (!piece.usable || !(piece.top > piece.bounds.minY))
            continue;
        const AABB &b = piece.bounds;
        if (i == kept) {
            box->minX = b.minX;
            box->maxX = b.maxX;
            box->minY = b.minY;
            box->maxY = piece.top;
            box->minZ = b.minZ;
            box->maxZ = b.maxZ;
            continue;
        }
        WaterControllerAddBox(controller, WaterBoxAllocate(controller, b.minX, b.maxX, b.minY, piece.top, b.minZ, b.maxZ));
    }
}

// How high a resting box may rise: up to limit, but not into a block that
// stops water or into other water above its footprint, nor out of the level.
static float WaterBoxCeiling(WaterBox *box, float limit)
{
    if (box->sides[kWaterSideTop].kind != kWaterSideOpen)
        return box->maxY; // a block, other water or the level's top lies on it
    WaterController *controller = box->controller;
    Level *level = controller->level;
    float ceiling = std::min(limit, CellSize * float(level->sizeY));
    if (!(ceiling > box->maxY))
        return box->maxY;
    AABB column{box->minX, box->maxX, box->maxY, ceiling, box->minZ, box->maxZ};
    int32_t blockCount = 0;
    Block **blocks = LevelGetSortedBlockListForBoundingBox(level, column.minX, column.maxX, column.minY, column.maxY,
                                                           column.minZ, column.maxZ, &blockCount);
    for (int32_t i = 0; i < blockCount; i++) {
        AABB o = BlockGetBounds(blocks[i]);
        if (BlockStopsWater(blocks[i]) && WaterOverlaps(column.minX, column.maxX, o.minX, o.maxX) &&
            WaterOverlaps(column.minZ, column.maxZ, o.minZ, o.maxZ) && o.maxY > box->maxY)
            ceiling = std::min(ceiling, std::max(o.minY, box->maxY));
    }
    std::free(blocks);
    for (WaterBox *other : WaterControllerGetBoxListForBoundingBox(controller, column)) {
        if (other == box || WaterBoxGetVolume(other) < kWaterMinimumVolume)
            continue;
        if (WaterOverlaps(column.minX, column.maxX, other->minX, other->maxX) &&
            WaterOverlaps(column.minZ, column.maxZ, other->minZ, other->maxZ) && other->maxY > box->maxY)
            ceiling = std::min(ceiling, std::max(other->minY, box->maxY));
    }
    return ceiling;
}

// A box that holds water resting on something, with nothing on top of it.
static bool WaterBoxIsRestingSurface(const WaterBox *box)
{
    return box->sides[kWaterSideTop].kind != kWaterSideWater && box->sides[kWaterSideBottom].kind != kWaterSideOpen &&
           WaterBoxGetVolume(box) >= kWaterMinimumVolume;
}

// Empties a box so that the controller removes it on its next run.
static void WaterBoxEmpty(WaterBox *box)
{
    WaterBoxClearNeighbors(box);
    for (WaterSideLink &side : box->sides)
        side = WaterSideLink{kWaterSideOpen, nullptr};
    box->maxY = box->minY;
}

// Levels the surfaces of two resting boxes that share a side face, moving
// water from the higher surface to the lower one and keeping their total.
static void WaterBoxLevelPair(WaterBox *a, WaterBox *b)
{
    if (a->maxY == b->maxY)
        return; // already level: boxes of one height may merge
    WaterBox *high = a->maxY > b->maxY ? a : b;
    WaterBox *low = high == a ? b : a;
    float lowCeiling = WaterBoxCeiling(low, high->maxY);
    if (!(lowCeiling > low->maxY) && !(low->maxY < high->minY))
        return; // the lower surface cannot rise and the higher box cannot drain
    double total = double(WaterBoxGetVolume(high)) + double(WaterBoxGetVolume(low));
    std::vector<WaterPiece> pieces{
        WaterPiece{AABB{high->minX, high->maxX, high->minY, high->maxY, high->minZ, high->maxZ}, true, 0.0f},
        WaterPiece{AABB{low->minX, low->maxX, low->minY, lowCeiling, low->minZ, low->maxZ}, true, 0.0f}};
    double surface;
    if (!WaterFindSurface(pieces, total, &surface))
        return;
    double highArea = double(high->maxX - high->minX) * double(high->maxZ - high->minZ);
    double lowArea = double(low->maxX - low->minX) * double(low->maxZ - low->minZ);
    double highTop = std::max(double(high->minY), std::min(surface, double(high->maxY)));
    double lowTop = std::max(double(low->minY), std::min(surface, double(lowCeiling)));
    // Water too little to make a box goes over to the other box as a whole.
    double highVolume = highArea * (highTop - double(high->minY));
    double lowVolume = lowArea * (lowTop - double(low->minY));
    if (highVolume < double(kWaterMinimumVolume)) {
        lowTop = double(low->minY) + total / lowArea;
        if (lowTop > double(lowCeiling))
            return;
        WaterBoxEmpty(high);
        low->maxY = float(lowTop);
        return;
    }
    if (lowVolume < double(kWaterMinimumVolume))
        return; // nothing worth moving
    high->maxY = float(highTop);
    low->maxY = float(lowTop);
}

void WaterBoxLevelWithNeighbors(WaterBox *box)
{
    static const int32_t vertical[4] = {kWaterSideMinX, kWaterSideMaxX, kWaterSideMinZ, kWaterSideMaxZ};
    if (!box->controller || !box->controller->level)
        return;
    for (int32_t side : vertical) {
        if (!WaterBoxIsRestingSurface(box))
            return;
        const WaterSideLink &link = box->sides[side];
        if (link.kind != kWaterSideWater || !link.neighbour || !WaterBoxIsRestingSurface(link.neighbour))
            continue;
        WaterBoxLevelPair(box, link.neighbour);
    }
}

bool WaterBoxSave(const WaterBox *box, ByteBuffer *buffer)
{
    return ByteBufferAppendFloat(buffer, box->minX) && ByteBufferAppendFloat(buffer, box->maxX) &&
           ByteBufferAppendFloat(buffer, box->minY) && ByteBufferAppendFloat(buffer, box->maxY) &&
           ByteBufferAppendFloat(buffer, box->minZ) && ByteBufferAppendFloat(buffer, box->maxZ);
}

WaterBox *WaterBoxLoad(WaterController *controller, const uint8_t *data, int32_t size, int32_t *position)
{
    float v[6];
    for (float &f : v)
        if (!ReadFloat(data, size, position, &f))
            return nullptr;
    for (float f : v) {
        if (!std::isfinite(f)) {
            std::printf("Error: water box with a bound that is not a finite number\n");
            return nullptr;
        }
    }
    if (!(v[1] > v[0]) || !(v[3] > v[2]) || !(v[5] > v[4])) {
        std::printf("Error: water box without volume\n");
        return nullptr;
    }
    WaterBox *box = WaterBoxAllocate(controller, v[0], v[1], v[2], v[3], v[4], v[5]);
    if (!box)
        std::printf("Error: water box without volume\n");
    return box;
}
