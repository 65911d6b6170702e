#include "WaterPool.h"

#include "Block.h"
#include "Level.h"
#include "Water.h"
#include "WaterController.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

constexpr float kPoolSlack = 0.0001f;

// What lies beyond one edge of a cell of a pool's footprint.
enum EdgeClass : uint8_t {
    kEdgeInside = 0,   // more of the pool
    kEdgeWater = 1,    // water that is not part of the pool
    kEdgeBlock = 2,    // a block
    kEdgeBoundary = 3, // the level's boundary
    kEdgeOpen = 4,     // nothing: the water may spread there
};

// A piece that rests on a block or on the level's floor.
bool RestsOnFloor(const WaterBox *box)
{
    int32_t bottom = box->sides[kWaterSideBottom].kind;
    return (bottom == kWaterSideBlock || bottom == kWaterSideBoundary) && WaterBoxGetVolume(box) >= kWaterMinimumVolume;
}

bool Inside(float v, float low, float high)
{
    return v > low && v < high;
}

// Sorted distinct coordinates; values closer than the slack count as one.
void SortDistinct(std::vector<float> &values)
{
    std::sort(values.begin(), values.end());
    std::vector<float> kept;
    for (float v : values)
        if (kept.empty() || v - kept.back() >= kPoolSlack)
            kept.push_back(v);
    values.swap(kept);
}

// The index of the coordinate nearest to v.
size_t IndexOf(const std::vector<float> &values, float v)
{
    size_t i = size_t(std::lower_bound(values.begin(), values.end(), v - kPoolSlack) - values.begin());
    return std::min(i, values.size() - 1);
}

struct Pool {
    WaterController *controller;
    Level *level;
    std::vector<WaterBox *> members;  // resting on the floor
    std::vector<WaterBox *> absorbed; // lying on the members
    std::vector<WaterBox *> lids;     // other water above the footprint
    float floor;
    float top;
    std::vector<float> xs, zs;
    std::vector<uint8_t> covered;
    std::vector<uint8_t> classes; // four per cell: -x, +x, -z, +z
    size_t nx, nz;

    uint8_t &Covered(size_t i, size_t j) { return covered[j * nx + i]; }
    uint8_t &Class(size_t i, size_t j, int edge) { return classes[(j * nx + i) * 4 + size_t(edge)]; }
};

// The members of the pool that holds start: floor pieces at start's floor
// height, linked side by side.
void CollectMembers(WaterBox *start, std::vector<uint8_t> &seen, const WaterController *controller, Pool *pool)
{
    static const int32_t across[4] = {kWaterSideMinX, kWaterSideMaxX, kWaterSideMinZ, kWaterSideMaxZ};
    pool->floor = start->minY;
    std::vector<WaterBox *> stack{start};
    seen[size_t(WaterControllerIndexForBox(controller, start))] = 1;
    while (!stack.empty()) {
        WaterBox *box = stack.back();
        stack.pop_back();
        pool->members.push_back(box);
        for (int32_t side : across) {
            const WaterSideLink &link = box->sides[side];
            if (link.kind != kWaterSideWater || !link.neighbour || !RestsOnFloor(link.neighbour) ||
                std::fabs(link.neighbour->minY - pool->floor) >= kPoolSlack)
                continue;
            int32_t index = WaterControllerIndexForBox(controller, link.neighbour);
            if (index < 0 || seen[size_t(index)])
                continue;
            seen[size_t(index)] = 1;
            stack.push_back(link.neighbour);
        }
    }
}

// The footprint of the members on a grid of their own edges and the edges
// of the blocks around them.  False when members overlap.
bool BuildFootprint(Pool *pool, const std::vector<AABB> &blocks)
{
    for (WaterBox *box : pool->members) {
        pool->xs.push_back(box->minX);
        pool->xs.push_back(box->maxX);
        pool->zs.push_back(box->minZ);
        pool->zs.push_back(box->maxZ);
    }
    SortDistinct(pool->xs);
    SortDistinct(pool->zs);
    float x0 = pool->xs.front(), x1 = pool->xs.back(), z0 = pool->zs.front(), z1 = pool->zs.back();
    // A block's edge may end part-way along an edge of the footprint: cut
    // there too, so that each cell edge faces one thing only.
    for (const AABB &b : blocks) {
        for (float x : {b.minX, b.maxX})
            if (Inside(x, x0, x1))
                pool->xs.push_back(x);
        for (float z : {b.minZ, b.maxZ})
            if (Inside(z, z0, z1))
                pool->zs.push_back(z);
    }
    SortDistinct(pool->xs);
    SortDistinct(pool->zs);
    pool->nx = pool->xs.size() - 1;
    pool->nz = pool->zs.size() - 1;
    pool->covered.assign(pool->nx * pool->nz, 0);
    for (WaterBox *box : pool->members) {
        size_t i0 = IndexOf(pool->xs, box->minX), i1 = IndexOf(pool->xs, box->maxX);
        size_t j0 = IndexOf(pool->zs, box->minZ), j1 = IndexOf(pool->zs, box->maxZ);
        for (size_t j = j0; j < j1; j++)
            for (size_t i = i0; i < i1; i++) {
                if (pool->Covered(i, j))
                    return false;
                pool->Covered(i, j) = 1;
            }
    }
    return true;
}

// Whether the footprint covers the rectangle: every cell it reaches into is
// covered, and it reaches past no edge of the grid.
bool FootprintHolds(Pool *pool, float minX, float maxX, float minZ, float maxZ)
{
    if (minX < pool->xs.front() - kPoolSlack || maxX > pool->xs.back() + kPoolSlack ||
        minZ < pool->zs.front() - kPoolSlack || maxZ > pool->zs.back() + kPoolSlack)
        return false;
    for (size_t j = 0; j < pool->nz; j++)
        for (size_t i = 0; i < pool->nx; i++)
            if (!pool->Covered(i, j) && maxX - kPoolSlack > pool->xs[i] && minX + kPoolSlack < pool->xs[i + 1] &&
                maxZ - kPoolSlack > pool->zs[j] && minZ + kPoolSlack < pool->zs[j + 1])
                return false;
    return true;
}

bool OverlapsFootprint(Pool *pool, const AABB &b)
{
    for (size_t j = 0; j < pool->nz; j++)
        for (size_t i = 0; i < pool->nx; i++)
            if (pool->Covered(i, j) && b.maxX - kPoolSlack > pool->xs[i] && b.minX + kPoolSlack < pool->xs[i + 1] &&
                b.maxZ - kPoolSlack > pool->zs[j] && b.minZ + kPoolSlack < pool->zs[j + 1])
                return true;
    return false;
}

// Finds the water lying on the members.  False when other water or a block
// reaches into the space above the footprint, up to the highest surface, in
// a way that pooling cannot account for.
bool CollectAbsorbed(Pool *pool, const std::vector<AABB> &blocks)
{
    pool->top = pool->floor;
    for (WaterBox *box : pool->members)
        pool->top = std::max(pool->top, box->maxY);
    for (const AABB &b : blocks)
        if (b.maxY - kPoolSlack > pool->floor && b.minY + kPoolSlack < pool->top && OverlapsFootprint(pool, b))
            return false;
    WaterController *controller = pool->controller;
    for (bool grew = true; grew;) {
        grew = false;
        for (int32_t k = 0; k < controller->boxCount; k++) {
            WaterBox *box = controller->boxes[k];
            // Water reaching into the space above the footprint, or lying on
            // its highest surface.
            if (WaterBoxGetVolume(box) < kWaterMinimumVolume || !(box->maxY - kPoolSlack > pool->floor) ||
                !(box->minY <= pool->top + kPoolSlack))
                continue;
            if (std::find(pool->members.begin(), pool->members.end(), box) != pool->members.end() ||
                std::find(pool->absorbed.begin(), pool->absorbed.end(), box) != pool->absorbed.end())
                continue;
            if (!OverlapsFootprint(pool, WaterBoxGetBounds(box)))
                continue;
            // Water standing on the pool's surface within its footprint is
            // part of the pool; other water above the footprint is a lid
            // the surface must stay below.
            if (box->sides[kWaterSideBottom].kind != kWaterSideWater ||
                !FootprintHolds(pool, box->minX, box->maxX, box->minZ, box->maxZ)) {
                if (std::find(pool->lids.begin(), pool->lids.end(), box) == pool->lids.end())
                    pool->lids.push_back(box);
                continue;
            }
            pool->absorbed.push_back(box);
            if (box->maxY > pool->top) {
                pool->top = box->maxY;
                for (const AABB &b : blocks)
                    if (b.maxY - kPoolSlack > pool->floor && b.minY + kPoolSlack < pool->top &&
                        OverlapsFootprint(pool, b))
                        return false;
            }
            grew = true;
        }
    }
    return true;
}

// What lies beyond the point, seen from the pool at height y.
uint8_t ClassAt(Pool *pool, const std::vector<AABB> &blocks, float x, float y, float z)
{
    Level *level = pool->level;
    if (x <= 0.0f || z <= 0.0f || x >= CellSize * float(level->sizeX) || z >= CellSize * float(level->sizeZ))
        return kEdgeBoundary;
    for (const AABB &b : blocks)
        if (x >= b.minX && x <= b.maxX && y >= b.minY && y <= b.maxY && z >= b.minZ && z <= b.maxZ)
            return kEdgeBlock;
    WaterController *controller = pool->controller;
    for (int32_t k = 0; k < controller->boxCount; k++) {
        const WaterBox *b = controller->boxes[k];
        if (WaterBoxGetVolume(b) >= kWaterMinimumVolume && x >= b->minX && x <= b->maxX && y >= b->minY &&
            y <= b->maxY && z >= b->minZ && z <= b->maxZ)
            return kEdgeWater;
    }
    return kEdgeOpen;
}

void ClassifyEdges(Pool *pool, const std::vector<AABB> &blocks, float surface)
{
    const float step = 0.005f;
    float y = pool->floor + std::min(0.5f * (surface - pool->floor), 0.01f);
    pool->classes.assign(pool->nx * pool->nz * 4, kEdgeInside);
    for (size_t j = 0; j < pool->nz; j++) {
        for (size_t i = 0; i < pool->nx; i++) {
            if (!pool->Covered(i, j))
                continue;
            float midX = 0.5f * (pool->xs[i] + pool->xs[i + 1]), midZ = 0.5f * (pool->zs[j] + pool->zs[j + 1]);
            if (i == 0 || !pool->Covered(i - 1, j))
                pool->Class(i, j, 0) = ClassAt(pool, blocks, pool->xs[i] - step, y, midZ);
            if (i + 1 == pool->nx || !pool->Covered(i + 1, j))
                pool->Class(i, j, 1) = ClassAt(pool, blocks, pool->xs[i + 1] + step, y, midZ);
            if (j == 0 || !pool->Covered(i, j - 1))
                pool->Class(i, j, 2) = ClassAt(pool, blocks, midX, y, pool->zs[j] - step);
            if (j + 1 == pool->nz || !pool->Covered(i, j + 1))
                pool->Class(i, j, 3) = ClassAt(pool, blocks, midX, y, pool->zs[j + 1] + step);
        }
    }
}

// Covers the footprint with rectangles, rows along x first, then as many
// rows along z as keep every side of the rectangle facing one kind of thing.
std::vector<AABB> Rectangles(Pool *pool)
{
    std::vector<AABB> result;
    std::vector<uint8_t> used(pool->nx * pool->nz, 0);
    auto free = [&](size_t i, size_t j) { return pool->Covered(i, j) && !used[j * pool->nx + i]; };
    for (size_t j = 0; j < pool->nz; j++) {
        for (size_t i = 0; i < pool->nx; i++) {
            if (!free(i, j))
                continue;
            size_t i1 = i;
            while (i1 + 1 < pool->nx && free(i1 + 1, j) && pool->Class(i1 + 1, j, 2) == pool->Class(i, j, 2) &&
                   pool->Class(i1 + 1, j, 3) == pool->Class(i, j, 3))
                i1++;
            size_t j1 = j;
            while (j1 + 1 < pool->nz) {
                size_t r = j1 + 1;
                bool fits = pool->Class(i, r, 0) == pool->Class(i, j, 0) && pool->Class(i1, r, 1) == pool->Class(i1, j, 1);
                for (size_t k = i; fits && k <= i1; k++)
                    fits = free(k, r) && pool->Class(k, r, 3) == pool->Class(i, r, 3);
                if (!fits)
                    break;
                j1 = r;
            }
            for (size_t r = j; r <= j1; r++)
                for (size_t k = i; k <= i1; k++)
                    used[r * pool->nx + k] = 1;
            result.push_back(AABB{pool->xs[i], pool->xs[i1 + 1], pool->floor, pool->floor, pool->zs[j], pool->zs[j1 + 1]});
        }
    }
    return result;
}

// Removes the boxes that were emptied and links the rest anew; returns how
// many of the `before` boxes are gone.
int32_t RemoveEmptied(WaterController *controller, int32_t before)
{
    int32_t k = 0;
    while (k < controller->boxCount) {
        if (WaterBoxGetVolume(controller->boxes[k]) < kWaterMinimumVolume)
            WaterControllerRemoveBoxAtIndex(controller, k);
        else
            k++;
    }
    for (int32_t j = 0; j < controller->boxCount; j++)
        WaterBoxRelinkSides(controller->boxes[j]);
    return before - controller->boxCount;
}

void Empty(WaterBox *box)
{
    WaterBoxClearNeighbors(box);
    for (WaterSideLink &side : box->sides)
        side = WaterSideLink{kWaterSideOpen, nullptr};
    box->maxY = box->minY;
}

// Gathers one pool; true when its boxes changed.
bool Gather(Pool *pool)
{
    Level *level = pool->level;
    float minX = pool->members[0]->minX, maxX = pool->members[0]->maxX;
    float minZ = pool->members[0]->minZ, maxZ = pool->members[0]->maxZ;
    float highest = pool->floor;
    for (WaterBox *box : pool->members) {
        minX = std::min(minX, box->minX);
        maxX = std::max(maxX, box->maxX);
        minZ = std::min(minZ, box->minZ);
        maxZ = std::max(maxZ, box->maxZ);
        highest = std::max(highest, box->maxY);
    }
    // The blocks around the pool, up to the top of the level: water lying
    // on the pool may stand higher than its pieces.
    int32_t blockCount = 0;
    Block **found = LevelGetSortedBlockListForBoundingBox(level, minX - 0.01f, maxX + 0.01f, pool->floor - 0.01f,
                                                          CellSize * float(level->sizeY) + 0.01f, minZ - 0.01f,
                                                          maxZ + 0.01f, &blockCount);
    std::vector<AABB> blocks;
    for (int32_t k = 0; k < blockCount; k++)
        blocks.push_back(BlockGetBounds(found[k]));
    std::free(found);

    if (!BuildFootprint(pool, blocks) || !CollectAbsorbed(pool, blocks))
        return false;
    double volume = 0.0;
    for (WaterBox *box : pool->members)
        volume += double(WaterBoxGetVolume(box));
    for (WaterBox *box : pool->absorbed)
        volume += double(WaterBoxGetVolume(box));
    double area = 0.0;
    for (size_t j = 0; j < pool->nz; j++)
        for (size_t i = 0; i < pool->nx; i++)
            if (pool->Covered(i, j))
                area += (double(pool->xs[i + 1]) - double(pool->xs[i])) * (double(pool->zs[j + 1]) - double(pool->zs[j]));
    if (!(area > 0.0))
        return false;
    double surface = double(pool->floor) + volume / area;
    if (!(surface > double(pool->floor)) || surface > double(pool->top) + 0.001)
        return false;
    for (WaterBox *lid : pool->lids)
        if (std::find(pool->absorbed.begin(), pool->absorbed.end(), lid) == pool->absorbed.end() &&
            surface > double(lid->minY))
            return false;
    ClassifyEdges(pool, blocks, float(surface));
    std::vector<AABB> rectangles = Rectangles(pool);
    size_t before = pool->members.size() + pool->absorbed.size();
    if (rectangles.size() >= before)
        return false;
    // Each rectangle must hold a box's worth of water.
    for (const AABB &r : rectangles)
        if ((double(r.maxX) - double(r.minX)) * (double(r.maxZ) - double(r.minZ)) * (surface - double(pool->floor)) <
            double(kWaterMinimumVolume))
            return false;
    // The members, then the water lying on them, become the rectangles; the
    // boxes left over are emptied.  There may be more rectangles than
    // members, never more than all the boxes together.
    std::vector<WaterBox *> boxes = pool->members;
    boxes.insert(boxes.end(), pool->absorbed.begin(), pool->absorbed.end());
    for (size_t k = 0; k < boxes.size(); k++) {
        WaterBox *box = boxes[k];
        Empty(box);
        if (k >= rectangles.size())
            continue;
        const AABB &r = rectangles[k];
        box->minX = r.minX;
        box->maxX = r.maxX;
        box->minY = pool->floor;
        box->maxY = float(surface);
        box->minZ = r.minZ;
        box->maxZ = r.maxZ;
    }
    return true;
}

} // namespace

int32_t WaterPoolGatherAll(WaterController *controller)
{
    if (!controller || controller->mode != kWaterModeBoxes || !controller->level)
        return 0;
    int32_t before = controller->boxCount;
    std::vector<uint8_t> seen(size_t(controller->boxCount), 0);
    bool changed = false;
    for (int32_t k = 0; k < controller->boxCount; k++) {
        WaterBox *box = controller->boxes[k];
        if (seen[size_t(k)] || !RestsOnFloor(box))
            continue;
        Pool pool{};
        pool.controller = controller;
        pool.level = controller->level;
        CollectMembers(box, seen, controller, &pool);
        bool pieces = pool.members.size() > 1;
        for (WaterBox *member : pool.members)
            pieces = pieces || member->sides[kWaterSideTop].kind == kWaterSideWater;
        if (!pieces)
            continue;
        if (Gather(&pool)) {
            changed = true;
            for (WaterBox *member : pool.members)
                for (int32_t side = 0; side < 6; side++)
                    WaterBoxOpenSide(member, side);
        }
    }
    if (!changed)
        return 0;
    return RemoveEmptied(controller, before);
}

// ---- Rest ----

uint64_t WaterPoolBlockSignature(const Level *level)
{
    // FNV-1a over the bounds of every block that stops water.
    uint64_t hash = 14695981039346656037ull;
    if (!level)
        return hash;
    for (int32_t i = 0; i < level->blockCount; i++) {
        Block *block = &level->blocks[i];
        if (!BlockStopsWater(block))
            continue;
        AABB b = BlockGetBounds(block);
        const float bounds[6] = {b.minX, b.maxX, b.minY, b.maxY, b.minZ, b.maxZ};
        const auto *bytes = reinterpret_cast<const uint8_t *>(bounds);
        for (size_t k = 0; k < sizeof bounds; k++)
            hash = (hash ^ bytes[k]) * 1099511628211ull;
    }
    return hash;
}

// ---- Droplets ----

namespace {

// A box that may take a droplet's water on its top: its top is open, or
// only the droplet itself lies on it.
bool CanReceive(const WaterBox *box, const WaterBox *drop)
{
    const WaterSideLink &top = box->sides[kWaterSideTop];
    bool free = top.kind == kWaterSideOpen || (top.kind == kWaterSideWater && top.neighbour == drop);
    return free && WaterBoxGetVolume(box) >= kWaterDropletVolume;
}

// How far apart two boxes are: zero when they touch or overlap.
float Gap(const WaterBox *a, const WaterBox *b)
{
    float dx = std::max({0.0f, a->minX - b->maxX, b->minX - a->maxX});
    float dy = std::max({0.0f, a->minY - b->maxY, b->minY - a->maxY});
    float dz = std::max({0.0f, a->minZ - b->maxZ, b->minZ - a->maxZ});
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// How far box's surface rises when it takes volume.
float RiseFor(const WaterBox *box, float volume)
{
    return volume / ((box->maxX - box->minX) * (box->maxZ - box->minZ));
}

// The most a box's surface may rise when it takes a droplet.
constexpr float kDropletRise = 0.05f;

} // namespace

int32_t WaterPoolAbsorbDroplets(WaterController *controller)
{
    if (!controller || controller->mode != kWaterModeBoxes)
        return 0;
    int32_t before = controller->boxCount;
    bool changed = false;
    for (int32_t k = 0; k < controller->boxCount; k++) {
        WaterBox *drop = controller->boxes[k];
        float volume = WaterBoxGetVolume(drop);
        if (!(volume < kWaterDropletVolume) || volume < kWaterMinimumVolume)
            continue;
        // Only water in the air or lying on water is a droplet; a sliver
        // spreading along a floor is how a pool flows out, and stays.
        if (drop->sides[kWaterSideBottom].kind != kWaterSideOpen &&
            drop->sides[kWaterSideBottom].kind != kWaterSideWater)
            continue;
        // It goes down or along, never back into a pool it fell from: into
        // the water under it, else into the nearest water within a cell that
        // lies below it or is itself not held by a floor.  It stays when that
        // water would rise visibly.
        WaterBox *receiver = nullptr;
        const WaterSideLink &under = drop->sides[kWaterSideBottom];
        if (under.kind == kWaterSideWater && under.neighbour && CanReceive(under.neighbour, drop) &&
            RiseFor(under.neighbour, volume) < kDropletRise)
            receiver = under.neighbour;
        float nearest = CellSize;
        bool search = receiver == nullptr;
        for (int32_t j = 0; search && j < controller->boxCount; j++) {
            WaterBox *other = controller->boxes[j];
            int32_t floor = other->sides[kWaterSideBottom].kind;
            bool held = floor == kWaterSideBlock || floor == kWaterSideBoundary;
            if (other == drop || !CanReceive(other, drop) || RiseFor(other, volume) >= kDropletRise ||
                (held && other->maxY > drop->minY + kPoolSlack))
                continue;
            float gap = Gap(drop, other);
            if (gap <= nearest) {
                nearest = gap;
                receiver = other;
            }
        }
        if (!receiver)
            continue;
        float area = (receiver->maxX - receiver->minX) * (receiver->maxZ - receiver->minZ);
        receiver->maxY += volume / area;
        Empty(drop);
        changed = true;
    }
    if (!changed)
        return 0;
    return RemoveEmptied(controller, before);
}

// ---- Settling on the cells ----

namespace {

constexpr double kCellVolume = double(CellSize) * double(CellSize) * double(CellSize);
constexpr double kCellArea = double(CellSize) * double(CellSize);

struct CellGrid {
    int32_t sx, sy, sz;
    std::vector<uint8_t> solid;
    std::vector<double> amount; // water in the cell, 0 to kCellVolume

    size_t At(int32_t x, int32_t y, int32_t z) const { return (size_t(y) * size_t(sz) + size_t(z)) * size_t(sx) + size_t(x); }
    bool Full(size_t c) const { return amount[c] >= kCellVolume * (1.0 - 1e-9); }
    bool Holds(int32_t x, int32_t y, int32_t z) const { return !solid[At(x, y, z)] && !Full(At(x, y, z)); }
};

// Pours volume into the cell (x, y, z); returns what found no room.
double Pour(CellGrid *grid, int32_t x, int32_t y, int32_t z, double volume)
{
    while (y < grid->sy && grid->solid[grid->At(x, y, z)])
        y++;
    std::vector<uint8_t> visited;
    std::vector<int32_t> layer;
    for (int32_t guard = 0; volume > 0.0 && y < grid->sy && guard < 100000; guard++) {
        // Fall through open cells.
        while (y > 0 && grid->Holds(x, y - 1, z))
            y--;
        // The cells of this layer that the water reaches from (x, z); where
        // one of them has room below, the water runs down there first.
        visited.assign(size_t(grid->sx) * size_t(grid->sz), 0);
        layer.assign(1, z * grid->sx + x);
        visited[size_t(z * grid->sx + x)] = 1;
        bool dropped = false;
        for (size_t k = 0; k < layer.size() && !dropped; k++) {
            int32_t cx = layer[k] % grid->sx, cz = layer[k] / grid->sx;
            if (y > 0 && grid->Holds(cx, y, cz) && grid->Holds(cx, y - 1, cz)) {
                x = cx;
                z = cz;
                dropped = true;
                break;
            }
            const int32_t steps[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
            for (const auto &step : steps) {
                int32_t nx = cx + step[0], nz = cz + step[1];
                if (nx < 0 || nz < 0 || nx >= grid->sx || nz >= grid->sz || visited[size_t(nz * grid->sx + nx)] ||
                    grid->solid[grid->At(nx, y, nz)])
                    continue;
                visited[size_t(nz * grid->sx + nx)] = 1;
                layer.push_back(nz * grid->sx + nx);
            }
        }
        if (dropped)
            continue;
        // Level the cells with room at one surface.
        double held = 0.0;
        int32_t open = 0;
        for (int32_t cell : layer) {
            size_t c = grid->At(cell % grid->sx, y, cell / grid->sx);
            if (!grid->Full(c)) {
                held += grid->amount[c];
                open++;
            }
        }
        if (open > 0) {
            double total = held + volume;
            double each = std::min(total / open, kCellVolume);
            for (int32_t cell : layer) {
                size_t c = grid->At(cell % grid->sx, y, cell / grid->sx);
                if (!grid->Full(c))
                    grid->amount[c] = each;
            }
            volume = std::max(0.0, total - each * open);
            if (volume <= 0.0)
                return 0.0;
        }
        // The layer is full: the surface rises into the layer above.
        bool rose = false;
        if (y + 1 < grid->sy) {
            for (int32_t cell : layer) {
                int32_t cx = cell % grid->sx, cz = cell / grid->sx;
                if (!grid->solid[grid->At(cx, y + 1, cz)]) {
                    x = cx;
                    z = cz;
                    rose = true;
                    break;
                }
            }
        }
        if (!rose)
            return volume;
        y++;
    }
    return volume;
}

} // namespace

void WaterPoolSettle(WaterController *controller)
{
    if (!controller || controller->mode != kWaterModeBoxes || !controller->level || controller->boxCount == 0)
        return;
    Level *level = controller->level;
    CellGrid grid{level->sizeX, level->sizeY, level->sizeZ, {}, {}};
    if (grid.sx <= 0 || grid.sy <= 0 || grid.sz <= 0)
        return;
    size_t cells = size_t(grid.sx) * size_t(grid.sy) * size_t(grid.sz);
    grid.solid.assign(cells, 0);
    grid.amount.assign(cells, 0.0);
    int32_t blockCount = 0;
    Block **blocks = LevelGetSortedBlockListForBoundingBox(level, -1.0f, CellSize * float(grid.sx) + 1.0f, -1.0f,
                                                           CellSize * float(grid.sy) + 1.0f, -1.0f,
                                                           CellSize * float(grid.sz) + 1.0f, &blockCount);
    // The cells a span reaches into, kept within the level even for water
    // or blocks that lie outside it.
    auto cellRange = [](float low, float high, int32_t size, int32_t *first, int32_t *last) {
        double a = std::floor((double(low) + 0.01) / double(CellSize));
        double b = std::ceil((double(high) - 0.01) / double(CellSize)) - 1.0;
        *first = int32_t(std::clamp(a, 0.0, double(size - 1)));
        *last = int32_t(std::clamp(b, 0.0, double(size - 1)));
    };
    for (int32_t k = 0; k < blockCount; k++) {
        if (!BlockStopsWater(blocks[k]))
            continue;
        AABB b = BlockGetBounds(blocks[k]);
        if (b.maxX <= 0.0f || b.maxY <= 0.0f || b.maxZ <= 0.0f || b.minX >= CellSize * float(grid.sx) ||
            b.minY >= CellSize * float(grid.sy) || b.minZ >= CellSize * float(grid.sz))
            continue;
        int32_t x0, x1, y0, y1, z0, z1;
        cellRange(b.minX, b.maxX, grid.sx, &x0, &x1);
        cellRange(b.minY, b.maxY, grid.sy, &y0, &y1);
        cellRange(b.minZ, b.maxZ, grid.sz, &z0, &z1);
        for (int32_t y = y0; y <= y1; y++)
            for (int32_t z = z0; z <= z1; z++)
                for (int32_t x = x0; x <= x1; x++)
                    grid.solid[grid.At(x, y, z)] = 1;
    }
    std::free(blocks);

    // Pour each box's water into the cells it lies in; water that finds no
    // room (a level full to the brim) goes back where it came from.
    double total = WaterControllerGetTotalVolume(controller);
    double lost = 0.0;
    for (int32_t k = 0; k < controller->boxCount; k++) {
        const WaterBox *box = controller->boxes[k];
        if (WaterBoxGetVolume(box) < kWaterMinimumVolume)
            continue;
        int32_t x0, x1, y0, y1, z0, z1;
        cellRange(box->minX, box->maxX, grid.sx, &x0, &x1);
        cellRange(box->minY, box->maxY, grid.sy, &y0, &y1);
        cellRange(box->minZ, box->maxZ, grid.sz, &z0, &z1);
        x1 = std::max(x0, x1);
        y1 = std::max(y0, y1);
        z1 = std::max(z0, z1);
        double boxVolume = double(WaterBoxGetVolume(box)), poured = 0.0;
        for (int32_t y = y0; y <= y1; y++)
            for (int32_t z = z0; z <= z1; z++)
                for (int32_t x = x0; x <= x1; x++) {
                    double part = std::max(0.0, std::min(double(box->maxX), CellSize * (x + 1.0)) -
                                                    std::max(double(box->minX), CellSize * double(x))) *
                                  std::max(0.0, std::min(double(box->maxY), CellSize * (y + 1.0)) -
                                                    std::max(double(box->minY), CellSize * double(y))) *
                                  std::max(0.0, std::min(double(box->maxZ), CellSize * (z + 1.0)) -
                                                    std::max(double(box->minZ), CellSize * double(z)));
                    if (x == x1 && y == y1 && z == z1)
                        part = std::max(0.0, boxVolume - poured); // what rounding left over
                    poured += part;
                    if (part > 0.0)
                        lost += Pour(&grid, x, y, z, part);
                }
    }
    if (lost > 1e-6 * total)
        return; // no room for it all: leave the water as it is

    // The boxes: per layer, rectangles of cells filled to one height.
    std::vector<AABB> rebuilt;
    std::vector<uint8_t> used(cells, 0);
    for (int32_t y = 0; y < grid.sy; y++) {
        for (int32_t z = 0; z < grid.sz; z++) {
            for (int32_t x = 0; x < grid.sx; x++) {
                size_t c = grid.At(x, y, z);
                double amount = grid.amount[c];
                if (used[c] || !(amount > 0.0))
                    continue;
                auto same = [&](int32_t cx, int32_t cz) {
                    size_t o = grid.At(cx, y, cz);
                    return !used[o] && grid.amount[o] == amount;
                };
                int32_t x1 = x;
                while (x1 + 1 < grid.sx && same(x1 + 1, z))
                    x1++;
                int32_t z1 = z;
                for (bool grow = true; grow && z1 + 1 < grid.sz;) {
                    for (int32_t k = x; grow && k <= x1; k++)
                        grow = same(k, z1 + 1);
                    if (grow)
                        z1++;
                }
                for (int32_t cz = z; cz <= z1; cz++)
                    for (int32_t cx = x; cx <= x1; cx++)
                        used[grid.At(cx, y, cz)] = 1;
                float floor = CellSize * float(y);
                rebuilt.push_back(AABB{CellSize * float(x), CellSize * float(x1 + 1), floor,
                                       floor + float(amount / kCellArea), CellSize * float(z), CellSize * float(z1 + 1)});
            }
        }
    }
    while (controller->boxCount > 0)
        WaterControllerRemoveBoxAtIndex(controller, controller->boxCount - 1);
    for (const AABB &b : rebuilt)
        WaterControllerAddBox(controller,
                              WaterBoxAllocate(controller, b.minX, b.maxX, b.minY, b.maxY, b.minZ, b.maxZ));
    for (int32_t k = 0; k < controller->boxCount; k++)
        WaterBoxRelinkSides(controller->boxes[k]);
    WaterControllerSimplifyBoxes(controller);
    WaterPoolGatherAll(controller);
}
