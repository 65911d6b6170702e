#include "LevelGeometry.h"

#include "Block.h"
#include "Level.h"
#include "Model.h"
#include "ModelParser.h"
#include "Shader.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr int32_t kSide = kLevelGeometryRegionSide;

struct Vertex {
    float x, y, z;
    float nx, ny, nz;
    float s, t;
    float r, g, b, a;
};

// Faces of one shader and primitive kind within a region.
struct Batch {
    FourCharCode shader;
    uint32_t primitive; // GL_QUADS or GL_TRIANGLES
    bool blended;       // may let what lies behind show through
    std::vector<Vertex> vertices;
};

struct Region {
    uint64_t signature = 0;
    bool built = false;
    float minX = 0, minY = 0, minZ = 0, maxX = 0, maxY = 0, maxZ = 0;
    std::vector<Batch> batches;
    std::vector<int32_t> blocks; // merged blocks of this frame
    int32_t faces = 0;
};

// How a block shows this frame.
enum Showing : uint8_t { kShowNothing, kShowMerged, kShowSingly };

struct Cache {
    const Level *level = nullptr;
    int32_t sizeX = 0, sizeY = 0, sizeZ = 0;
    int32_t regionsX = 0, regionsY = 0, regionsZ = 0;
    std::vector<Region> regions;
    std::vector<uint8_t> opaque; // per cell: an opaque cube fills it
    std::vector<StaticModel *> models; // per block: the model it shows
    std::vector<uint8_t> showing;      // per block
    std::vector<int32_t> visible;      // regions in view, nearest first
    std::vector<int32_t> singles;      // blocks drawn one by one
    LevelGeometryStats stats = {};
};

Cache cache;

// The model BlockDraw would draw for the block in play; outline is the
// model of blocks that are off.
StaticModel *ShownModel(const Block *block, StaticModel *outline)
{
    StaticModel *model = block->model;
    if (!BlockIsOn(block)) {
        switch (block->type) {
        case kBlockDisappearing:
        case kBlockAppearing:
            model = outline;
            break;
        case kBlockSwitchable:
        case kBlockPhasing:
            model = nullptr;
            break;
        default:
            break;
        }
    }
    return model;
}

// Whether BlockDraw moves the model by more than the block's position.
bool HasOwnTransform(const Block *block)
{
    if (block->type == kBlockSwitch && block->data)
        return static_cast<SwitchData *>(block->data)->pressTimer != 0;
    if (block->type == kBlockLadder && block->data)
        return static_cast<LadderData *>(block->data)->orientation == 1;
    return false;
}

Shader *FindShader(FourCharCode identifier)
{
    Model *entry = ModelGetModelByIdentifier(kModelKindShader, identifier);
    return entry ? static_cast<Shader *>(entry->data) : nullptr;
}

// Segments that can be merged: quads or triangles, no origin of their own,
// not turned towards the viewer.
bool Mergeable(const StaticModel *model)
{
    for (int32_t i = 0; i < model->numSegments; i++) {
        const StaticSegment *segment = &model->segments[i];
        if (segment->billboard || segment->origin.x != 0 || segment->origin.y != 0 || segment->origin.z != 0)
            return false;
        if (segment->primitiveType != GL_QUADS && segment->primitiveType != GL_TRIANGLES)
            return false;
        if (!segment->vertices && segment->numVertices > 0)
            return false;
        for (int32_t j = 0; j < segment->numVertices; j++)
            if (segment->vertices[j].w != 1.0f)
                return false;
    }
    return true;
}

bool ShaderIsOpaque(FourCharCode identifier)
{
    Shader *shader = FindShader(identifier);
    return shader && !shader->hasAlpha && shader->blendSource == GL_SRC_ALPHA;
}

// A cube filling its cell, without holes: one segment of six quads from 0 to
// CellSize on every axis, opaque texture and colours.
bool IsOpaqueCube(const StaticModel *model)
{
    if (model->numSegments != 1)
        return false;
    const StaticSegment *segment = &model->segments[0];
    if (segment->primitiveType != GL_QUADS || segment->numVertices != 24 || !ShaderIsOpaque(segment->shader))
        return false;
    float lo[3] = {1e9f, 1e9f, 1e9f}, hi[3] = {-1e9f, -1e9f, -1e9f};
    for (int32_t j = 0; j < 24; j++) {
        const StaticVertex &v = segment->vertices[j];
        if (v.a < 1.0f)
            return false;
        const float p[3] = {v.x, v.y, v.z};
        for (int k = 0; k < 3; k++) {
            lo[k] = std::min(lo[k], p[k]);
            hi[k] = std::max(hi[k], p[k]);
        }
    }
    for (int k = 0; k < 3; k++)
        if (lo[k] != 0.0f || hi[k] != CellSize)
            return false;
    return true;
}

bool AtCellOrigin(const Block *block)
{
    return block->position.x == CellSize * float(block->cellX) && block->position.y == CellSize * float(block->cellY) &&
           block->position.z == CellSize * float(block->cellZ);
}

bool InLevel(const Cache &c, int32_t x, int32_t y, int32_t z)
{
    return x >= 0 && y >= 0 && z >= 0 && x < c.sizeX && y < c.sizeY && z < c.sizeZ;
}

size_t CellIndex(const Cache &c, int32_t x, int32_t y, int32_t z)
{
    return size_t(x) + size_t(c.sizeX) * (size_t(z) + size_t(c.sizeZ) * size_t(y));
}

uint64_t Mix(uint64_t hash, uint64_t value)
{
    hash ^= value + 0x9E3779B97F4A7C15ull + (hash << 6) + (hash >> 2);
    return hash * 0x100000001B3ull;
}

uint64_t FloatBits(float f)
{
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

void Reset(Cache &c, const Level *level)
{
    c.level = level;
    c.sizeX = level->sizeX;
    c.sizeY = level->sizeY;
    c.sizeZ = level->sizeZ;
    c.regionsX = (c.sizeX + kSide - 1) / kSide;
    c.regionsY = (c.sizeY + kSide - 1) / kSide;
    c.regionsZ = (c.sizeZ + kSide - 1) / kSide;
    c.regions.assign(size_t(c.regionsX) * size_t(c.regionsY) * size_t(c.regionsZ), Region{});
    for (int32_t ry = 0; ry < c.regionsY; ry++)
        for (int32_t rz = 0; rz < c.regionsZ; rz++)
            for (int32_t rx = 0; rx < c.regionsX; rx++) {
                Region &r = c.regions[size_t(rx) + size_t(c.regionsX) * (size_t(rz) + size_t(c.regionsZ) * size_t(ry))];
                r.minX = CellSize * float(rx * kSide);
                r.minY = CellSize * float(ry * kSide);
                r.minZ = CellSize * float(rz * kSide);
                r.maxX = CellSize * float(std::min(c.sizeX, (rx + 1) * kSide));
                r.maxY = CellSize * float(std::min(c.sizeY, (ry + 1) * kSide));
                r.maxZ = CellSize * float(std::min(c.sizeZ, (rz + 1) * kSide));
            }
}

int32_t RegionOf(const Cache &c, const Block *block)
{
    int32_t x = std::clamp(block->cellX, 0, c.sizeX - 1) / kSide;
    int32_t y = std::clamp(block->cellY, 0, c.sizeY - 1) / kSide;
    int32_t z = std::clamp(block->cellZ, 0, c.sizeZ - 1) / kSide;
    return x + c.regionsX * (z + c.regionsZ * y);
}

// Whether the quad lies on a side of its cell with an opaque cube beyond it.
bool QuadHidden(const Cache &c, const Block *block, const StaticVertex *q)
{
    for (int axis = 0; axis < 3; axis++) {
        auto coordinate = [axis](const StaticVertex &v) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; };
        float value = coordinate(q[0]);
        if (value != 0.0f && value != CellSize)
            continue;
        bool flat = true;
        float normal = 0;
        for (int k = 0; k < 4; k++) {
            flat = flat && coordinate(q[k]) == value;
            normal += axis == 0 ? q[k].nx : axis == 1 ? q[k].ny : q[k].nz;
        }
        if (!flat)
            continue;
        int32_t step = value == 0.0f ? -1 : 1;
        if (normal * float(step) <= 0)
            return false; // faces into its own cell
        int32_t x = block->cellX + (axis == 0 ? step : 0);
        int32_t y = block->cellY + (axis == 1 ? step : 0);
        int32_t z = block->cellZ + (axis == 2 ? step : 0);
        return InLevel(c, x, y, z) && c.opaque[CellIndex(c, x, y, z)];
    }
    return false;
}

Batch &BatchFor(Region &region, FourCharCode shader, uint32_t primitive, bool blended)
{
    for (Batch &b : region.batches)
        if (b.shader == shader && b.primitive == primitive && b.blended == blended)
            return b;
    region.batches.push_back(Batch{shader, primitive, blended, {}});
    return region.batches.back();
}

void Build(Cache &c, Region &region, Level *level)
{
    for (Batch &b : region.batches)
        b.vertices.clear();
    region.faces = 0;
    for (int32_t index : region.blocks) {
        const Block *block = &level->blocks[index];
        const StaticModel *model = c.models[size_t(index)];
        bool hideFaces = AtCellOrigin(block) && InLevel(c, block->cellX, block->cellY, block->cellZ);
        for (int32_t i = 0; i < model->numSegments; i++) {
            const StaticSegment *segment = &model->segments[i];
            int32_t corners = segment->primitiveType == GL_QUADS ? 4 : 3;
            bool opaqueShader = ShaderIsOpaque(segment->shader) || !FindShader(segment->shader) ||
                                !FindShader(segment->shader)->hasTexture;
            for (int32_t first = 0; first + corners <= segment->numVertices; first += corners) {
                const StaticVertex *v = &segment->vertices[first];
                if (corners == 4 && hideFaces && QuadHidden(c, block, v))
                    continue;
                bool clear = false;
                for (int32_t k = 0; k < corners; k++)
                    clear = clear || v[k].a < 1.0f;
                Batch &batch = BatchFor(region, segment->shader, segment->primitiveType, clear || !opaqueShader);
                for (int32_t k = 0; k < corners; k++)
                    batch.vertices.push_back(Vertex{v[k].x + block->position.x, v[k].y + block->position.y,
                                                    v[k].z + block->position.z, v[k].nx, v[k].ny, v[k].nz, v[k].s,
                                                    v[k].t, v[k].r, v[k].g, v[k].b, v[k].a});
                region.faces++;
            }
        }
    }
    region.batches.erase(std::remove_if(region.batches.begin(), region.batches.end(),
                                        [](const Batch &b) { return b.vertices.empty(); }),
                         region.batches.end());
    region.built = true;
    c.stats.regionsBuilt++;
}

uint64_t ShellSignature(const Cache &c, const Region &region)
{
    // The cells just outside the region decide which of its faces show.
    int32_t x0 = int32_t(region.minX / CellSize), y0 = int32_t(region.minY / CellSize),
            z0 = int32_t(region.minZ / CellSize);
    int32_t x1 = int32_t(region.maxX / CellSize), y1 = int32_t(region.maxY / CellSize),
            z1 = int32_t(region.maxZ / CellSize);
    uint64_t hash = 0;
    uint64_t bits = 0;
    int32_t count = 0;
    auto take = [&](int32_t x, int32_t y, int32_t z) {
        bits = (bits << 1) | (InLevel(c, x, y, z) && c.opaque[CellIndex(c, x, y, z)] ? 1 : 0);
        if (++count == 64) {
            hash = Mix(hash, bits);
            bits = 0;
            count = 0;
        }
    };
    for (int32_t y = y0; y < y1; y++)
        for (int32_t z = z0; z < z1; z++) {
            take(x0 - 1, y, z);
            take(x1, y, z);
        }
    for (int32_t y = y0; y < y1; y++)
        for (int32_t x = x0; x < x1; x++) {
            take(x, y, z0 - 1);
            take(x, y, z1);
        }
    for (int32_t z = z0; z < z1; z++)
        for (int32_t x = x0; x < x1; x++) {
            take(x, y0 - 1, z);
            take(x, y1, z);
        }
    return Mix(hash, bits);
}

struct Frustum {
    float planes[6][4];
};

Frustum CurrentFrustum()
{
    float p[16], m[16], clip[16];
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int col = 0; col < 4; col++)
        for (int row = 0; row < 4; row++) {
            float sum = 0;
            for (int k = 0; k < 4; k++)
                sum += p[k * 4 + row] * m[col * 4 + k];
            clip[col * 4 + row] = sum;
        }
    Frustum f;
    for (int i = 0; i < 3; i++)
        for (int sign = 0; sign < 2; sign++) {
            float *plane = f.planes[i * 2 + sign];
            for (int col = 0; col < 4; col++)
                plane[col] = clip[col * 4 + 3] + (sign ? -clip[col * 4 + i] : clip[col * 4 + i]);
        }
    return f;
}

bool InView(const Frustum &f, const Region &r)
{
    // Models may reach a little beyond their cells (spikes, switches): the
    // region's box is taken a cell larger on every side.
    const float m = CellSize;
    for (const auto &plane : f.planes) {
        float x = plane[0] >= 0 ? r.maxX + m : r.minX - m;
        float y = plane[1] >= 0 ? r.maxY + m : r.minY - m;
        float z = plane[2] >= 0 ? r.maxZ + m : r.minZ - m;
        if (plane[0] * x + plane[1] * y + plane[2] * z + plane[3] < 0)
            return false;
    }
    return true;
}

void CameraPosition(float *x, float *y, float *z)
{
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    *x = -(m[0] * m[12] + m[1] * m[13] + m[2] * m[14]);
    *y = -(m[4] * m[12] + m[5] * m[13] + m[6] * m[14]);
    *z = -(m[8] * m[12] + m[9] * m[13] + m[10] * m[14]);
}

void DrawBatch(const Batch &batch)
{
    if (!ShaderApplyByIdentifier(batch.shader))
        ShaderDisable();
    const GLsizei stride = sizeof(Vertex);
    const Vertex *v = batch.vertices.data();
    glVertexPointer(3, GL_FLOAT, stride, &v->x);
    glNormalPointer(GL_FLOAT, stride, &v->nx);
    glColorPointer(4, GL_FLOAT, stride, &v->r);
    glTexCoordPointer(2, GL_FLOAT, stride, &v->s);
    glDrawArrays(batch.primitive, 0, GLsizei(batch.vertices.size()));
}

void BeginArrays()
{
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
}

void EndArrays()
{
    glPopClientAttrib();
    ShaderDisable();
}

} // namespace

void LevelGeometryDrawOpaque(Level *level)
{
    Cache &c = cache;
    c.visible.clear();
    c.singles.clear();
    c.stats.regionsDrawn = c.stats.regionsSkipped = c.stats.blocksSingly = 0;
    if (!level || level->sizeX <= 0 || level->sizeY <= 0 || level->sizeZ <= 0)
        return;
    if (c.level != level || c.sizeX != level->sizeX || c.sizeY != level->sizeY || c.sizeZ != level->sizeZ)
        Reset(c, level);

    // What each block shows, and which cells opaque cubes fill.
    size_t count = size_t(std::max(0, level->blockCount));
    c.models.assign(count, nullptr);
    c.showing.assign(count, kShowNothing);
    c.opaque.assign(size_t(c.sizeX) * size_t(c.sizeY) * size_t(c.sizeZ), 0);
    for (Region &r : c.regions)
        r.blocks.clear();
    Model *outlineEntry = ModelGetModelByIdentifier(kModelKindStatic, 'Outl');
    StaticModel *outline = outlineEntry ? static_cast<StaticModel *>(outlineEntry->data) : nullptr;
    // What each model allows, looked at once per frame.
    struct Kind {
        StaticModel *model;
        bool mergeable, opaque;
    };
    std::vector<Kind> kinds;
    for (size_t i = 0; i < count; i++) {
        const Block *block = &level->blocks[i];
        StaticModel *model = ShownModel(block, outline);
        if (!model)
            continue;
        auto kind = std::find_if(kinds.begin(), kinds.end(), [model](const Kind &k) { return k.model == model; });
        if (kind == kinds.end()) {
            bool mergeable = Mergeable(model);
            kinds.push_back(Kind{model, mergeable, mergeable && IsOpaqueCube(model)});
            kind = kinds.end() - 1;
        }
        bool mergeable = kind->mergeable, opaque = kind->opaque;
        c.models[i] = model;
        if (!mergeable || HasOwnTransform(block)) {
            c.showing[i] = kShowSingly;
            c.singles.push_back(int32_t(i));
            continue;
        }
        c.showing[i] = kShowMerged;
        c.regions[size_t(RegionOf(c, block))].blocks.push_back(int32_t(i));
        if (opaque && AtCellOrigin(block) && InLevel(c, block->cellX, block->cellY, block->cellZ))
            c.opaque[CellIndex(c, block->cellX, block->cellY, block->cellZ)] = 1;
    }
    c.stats.blocksSingly = int32_t(c.singles.size());

    Frustum frustum = CurrentFrustum();
    float cx, cy, cz;
    CameraPosition(&cx, &cy, &cz);
    std::vector<std::pair<float, int32_t>> order;
    c.stats.facesCached = 0;
    for (size_t i = 0; i < c.regions.size(); i++) {
        Region &r = c.regions[i];
        uint64_t signature = ShellSignature(c, r);
        for (int32_t index : r.blocks) {
            const Block *block = &level->blocks[index];
            signature = Mix(signature, uint64_t(index));
            signature = Mix(signature, uint64_t(reinterpret_cast<uintptr_t>(c.models[size_t(index)])));
            signature = Mix(signature, FloatBits(block->position.x) << 32 | FloatBits(block->position.y));
            signature = Mix(signature, FloatBits(block->position.z) << 32 | uint64_t(block->cellX & 0xFFFF) << 16 |
                                           uint64_t(block->cellY & 0xFF) << 8 | uint64_t(block->cellZ & 0xFF));
        }
        if (!r.built || signature != r.signature) {
            r.signature = signature;
            Build(c, r, level);
        }
        c.stats.facesCached += r.faces;
        if (r.batches.empty())
            continue;
        if (!InView(frustum, r)) {
            c.stats.regionsSkipped++;
            continue;
        }
        float dx = std::clamp(cx, r.minX, r.maxX) - cx, dy = std::clamp(cy, r.minY, r.maxY) - cy,
              dz = std::clamp(cz, r.minZ, r.maxZ) - cz;
        order.push_back({dx * dx + dy * dy + dz * dz, int32_t(i)});
    }
    std::sort(order.begin(), order.end());
    for (const auto &entry : order)
        c.visible.push_back(entry.second);
    c.stats.regionsDrawn = int32_t(c.visible.size());

    // Opaque faces nearest first, without blending or the alpha test, so
    // that hidden pixels are rejected before they are shaded.
    GLboolean blend = glIsEnabled(GL_BLEND), alphaTest = glIsEnabled(GL_ALPHA_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    BeginArrays();
    for (int32_t i : c.visible)
        for (const Batch &batch : c.regions[size_t(i)].batches)
            if (!batch.blended)
                DrawBatch(batch);
    EndArrays();
    if (blend)
        glEnable(GL_BLEND);
    if (alphaTest)
        glEnable(GL_ALPHA_TEST);
}

void LevelGeometryDrawRest(Level *level)
{
    Cache &c = cache;
    if (!level || c.level != level)
        return;
    BeginArrays();
    for (auto it = c.visible.rbegin(); it != c.visible.rend(); ++it)
        for (const Batch &batch : c.regions[size_t(*it)].batches)
            if (batch.blended)
                DrawBatch(batch);
    EndArrays();
    for (int32_t index : c.singles)
        if (index < level->blockCount)
            BlockDraw(&level->blocks[index], false);
}

LevelGeometryStats LevelGeometryGetStats()
{
    return cache.stats;
}

void LevelGeometryForget()
{
    cache = Cache{};
}

static bool enabled = true;

void LevelGeometrySetEnabled(bool on)
{
    enabled = on;
}

bool LevelGeometryIsEnabled()
{
    return enabled;
}
