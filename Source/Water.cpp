#include "Water.h"

#include "Block.h"
#include "Level.h"
#include "Shader.h"
#include "WaterController.h"

#include <GL/gl.h>

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

    float W = 6.0f * float(level->sizeX), H = 6.0f * float(level->sizeY), D = 6.0f * float(level->sizeZ);
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

    AABB region = WaterBoxGetBounds(box);
    if (box->sides[kWaterSideBottom].kind == kWaterSideOpen) {
        region.minY -= 0.002f * volume;
    } else {
        float grow = 0.001f * volume;
        if (box->sides[kWaterSideMinX].kind == kWaterSideOpen)
            region.minX -= grow;
        if (box->sides[kWaterSideMaxX].kind == kWaterSideOpen)
            region.maxX += grow;
        if (box->sides[kWaterSideMinZ].kind == kWaterSideOpen)
            region.minZ -= grow;
        if (box->sides[kWaterSideMaxZ].kind == kWaterSideOpen)
            region.maxZ += grow;
    }
    float W = 6.0f * float(level->sizeX), H = 6.0f * float(level->sizeY), D = 6.0f * float(level->sizeZ);
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
    Block **blocks = LevelGetSortedBlockListForBoundingBox(level, region.minX, region.maxX, region.minY,
                                                           region.maxY, region.minZ, region.maxZ, &blockCount);
    for (int32_t i = 0; i < blockCount; i++)
        if (BlockStopsWater(blocks[i]))
            obstacles.push_back(BlockGetBounds(blocks[i]));
    std::free(blocks);
    for (WaterBox *other : WaterControllerGetBoxListForBoundingBox(controller, region))
        if (other != box && WaterBoxGetVolume(other) >= kWaterMinimumVolume)
            obstacles.push_back(WaterBoxGetBounds(other));

    Vector centre = VectorWithValues((region.minX + region.maxX) / 2.0f, (region.minY + region.maxY) / 2.0f,
                                     (region.minZ + region.maxZ) / 2.0f);
    std::vector<AABB> space =
        WaterControllerComputeEmptySpace(region, centre, obstacles.data(), int32_t(obstacles.size()));
    if (space.empty())
        return;

    float top = region.minY + volume / area;
    AABB first = space[0];
    if (first.maxY > top)
        first.maxY = top;
    box->minX = first.minX;
    box->maxX = first.maxX;
    box->minY = first.minY;
    box->maxY = first.maxY;
    box->minZ = first.minZ;
    box->maxZ = first.maxZ;
    box->maxY = region.minY + WaterBoxGetVolume(box) / area;
    for (size_t i = 1; i < space.size(); i++) {
        AABB piece = space[i];
        if (piece.maxY > top)
            piece.maxY = top;
        WaterBox *added =
            WaterBoxAllocate(controller, piece.minX, piece.maxX, piece.minY, piece.maxY, piece.minZ, piece.maxZ);
        if (added)
            WaterControllerAddBox(controller, added);
    }
}

void WaterBoxDraw(WaterBox *box, bool highlight)
{
    if (highlight)
        glColor4f(0.5f, 0.1f, 0.5f, 0.5f);
    else
        glColor4f(0.1f, 0.1f, 0.3f, 0.5f);
    ShaderApplyByIdentifier('Watr');
    float x0 = box->minX, x1 = box->maxX, y0 = box->minY, y1 = box->maxY, z0 = box->minZ, z1 = box->maxZ;
    glBegin(GL_QUADS);
    if (box->sides[kWaterSideTop].kind != kWaterSideWater) {
        glNormal3f(0, 1, 0);
        glVertex3f(x0, y1, z0);
        glVertex3f(x0, y1, z1);
        glVertex3f(x1, y1, z1);
        glVertex3f(x1, y1, z0);
    }
    if (box->sides[kWaterSideMinZ].kind != kWaterSideWater) {
        glNormal3f(0, 0, -1);
        glVertex3f(x0, y0, z0);
        glVertex3f(x0, y1, z0);
        glVertex3f(x1, y1, z0);
        glVertex3f(x1, y0, z0);
    }
    if (box->sides[kWaterSideMinX].kind != kWaterSideWater) {
        glNormal3f(-1, 0, 0);
        glVertex3f(x0, y0, z0);
        glVertex3f(x0, y0, z1);
        glVertex3f(x0, y1, z1);
        glVertex3f(x0, y1, z0);
    }
    if (box->sides[kWaterSideMaxZ].kind != kWaterSideWater) {
        glNormal3f(0, 0, 1);
        glVertex3f(x0, y0, z1);
        glVertex3f(x1, y0, z1);
        glVertex3f(x1, y1, z1);
        glVertex3f(x0, y1, z1);
    }
    if (box->sides[kWaterSideMaxX].kind != kWaterSideWater) {
        glNormal3f(1, 0, 0);
        glVertex3f(x1, y0, z0);
        glVertex3f(x1, y1, z0);
        glVertex3f(x1, y1, z1);
        glVertex3f(x1, y0, z1);
    }
    if (box->sides[kWaterSideBottom].kind != kWaterSideWater) {
        glNormal3f(0, -1, 0);
        glVertex3f(x0, y0, z0);
        glVertex3f(x1, y0, z0);
        glVertex3f(x1, y0, z1);
        glVertex3f(x0, y0, z1);
    }
    glEnd();
    ShaderDisable();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
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
