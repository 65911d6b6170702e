// Static models: rigid meshes made of segments, each one primitive with its
// own shader, origin and billboard flag.  Blocks, powerups and the editor's
// cursor draw them.
#pragma once

#include "Types.h"
#include "Vector.h"

#include <cstdint>

// Interleaved vertex record; the vertex-array path points into it, so the
// layout stays packed in this order.
struct StaticVertex {
    float x, y, z, w;
    float nx, ny, nz;
    float s, t;
    float r, g, b, a;
};

// The primitive kinds, with the drawing library's values.
enum : uint32_t {
    kPrimitivePoints = 0x0000,
    kPrimitiveLines = 0x0001,
    kPrimitiveLineLoop = 0x0002,
    kPrimitiveLineStrip = 0x0003,
    kPrimitiveTriangles = 0x0004,
    kPrimitiveTriangleStrip = 0x0005,
    kPrimitiveTriangleFan = 0x0006,
    kPrimitiveQuads = 0x0007,
    kPrimitiveQuadStrip = 0x0008,
    kPrimitivePolygon = 0x0009,
};

struct StaticSegment {
    FourCharCode identifier;
    FourCharCode shader; // 'none': no shader lookup result and no texture coordinates
    Vector origin;
    int32_t billboard;
    uint32_t primitiveType; // GL_POINTS ... GL_POLYGON
    int32_t numVertices;
    StaticVertex *vertices; // numVertices records, owned
};

enum StaticDrawMode : int32_t {
    kStaticDrawImmediate = 0,
    kStaticDrawArrays = 1,
    kStaticDrawList = 2
};

struct StaticModel {
    int32_t numSegments;
    StaticSegment *segments; // owned
    int32_t drawMode;
    uint32_t displayList;
    int64_t vertexTotal; // sum of the NumVertices values read
};

// Limits on what a file may declare; larger counts fail the load.
constexpr int32_t kStaticModelMaxSegments = 4096;
constexpr int64_t kStaticModelMaxVertices = 1 << 18;

// The value of one of the ten primitive names ("GL_POINTS" ... "GL_POLYGON");
// false for another word.
bool StaticModelPrimitiveFromName(const char *name, uint32_t *out);

StaticModel *StaticModelAllocate();
// Reads the body and chooses the drawing mode; no drawing context is
// touched (a display list is built on the first draw).  0 on success;
// 1 no "StaticModel" line, 2 a second or bad NumSegments, 3 a Segment inside
// a segment or beyond NumSegments, 4 a Vertices block inside another, 5 a
// vertex count that does not suit the primitive, 7 more Vertex lines than
// NumVertices.
int32_t StaticModelLoad(StaticModel *model, const char *text, int32_t length, int32_t position);
// The reading part of StaticModelLoad alone: no drawing context is touched.
int32_t StaticModelParse(StaticModel *model, const char *text, int32_t length, int32_t position);
// The drawing mode that the thresholds choose for the model as read.
int32_t StaticModelChooseDrawMode(const StaticModel *model);
void StaticModelCreateDisplayList(StaticModel *model);
// How StaticModelDispose deletes a display list: installed by the drawing
// code when it builds the first one.
typedef void (*StaticModelListDeleter)(uint32_t list);
void StaticModelSetListDeleter(StaticModelListDeleter deleter);
void StaticModelDraw(StaticModel *model, float opacity);
AABB StaticModelGetBounds(StaticModel *model);
void StaticModelDispose(StaticModel *model);
