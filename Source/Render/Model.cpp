#include "Model.h"

#include "ModelParser.h"

#include <cfloat>
#include <cstdio>
#include <cstdlib>
#include <cstring>

static StaticModelListDeleter listDeleter = nullptr;

void StaticModelSetListDeleter(StaticModelListDeleter deleter)
{
    listDeleter = deleter;
}

StaticModel *StaticModelAllocate()
{
    StaticModel *model = static_cast<StaticModel *>(std::calloc(1, sizeof(StaticModel)));
    if (!model)
        throw std::bad_alloc();
    return model;
}

bool StaticModelPrimitiveFromName(const char *name, uint32_t *out)
{
    static const struct {
        const char *name;
        uint32_t value;
    } names[] = {{"GL_POINTS", kPrimitivePoints},
                 {"GL_LINES", kPrimitiveLines},
                 {"GL_LINE_LOOP", kPrimitiveLineLoop},
                 {"GL_LINE_STRIP", kPrimitiveLineStrip},
                 {"GL_TRIANGLES", kPrimitiveTriangles},
                 {"GL_TRIANGLE_STRIP", kPrimitiveTriangleStrip},
                 {"GL_TRIANGLE_FAN", kPrimitiveTriangleFan},
                 {"GL_QUADS", kPrimitiveQuads},
                 {"GL_QUAD_STRIP", kPrimitiveQuadStrip},
                 {"GL_POLYGON", kPrimitivePolygon}};
    for (const auto &n : names)
        if (std::strcmp(name, n.name) == 0) {
            *out = n.value;
            return true;
        }
    return false;
}

static bool CountSuitsPrimitive(uint32_t primitive, int32_t count)
{
    switch (primitive) {
    case kPrimitiveLines:
        return count % 2 == 0;
    case kPrimitiveLineStrip:
    case kPrimitiveLineLoop:
        return count >= 2;
    case kPrimitiveTriangles:
        return count % 3 == 0;
    case kPrimitiveTriangleStrip:
    case kPrimitiveTriangleFan:
        return count >= 3;
    case kPrimitiveQuads:
        return count % 4 == 0;
    case kPrimitiveQuadStrip:
        return count >= 4 && count % 2 == 0;
    default:
        return true;
    }
}

static void ResetSegment(StaticSegment *segment)
{
    std::free(segment->vertices);
    *segment = StaticSegment{};
    segment->shader = 'none';
    segment->primitiveType = kPrimitivePoints;
}

int32_t StaticModelParse(StaticModel *model, const char *text, int32_t length, int32_t position)
{
    position = ModelFindLine(text, length, position, "StaticModel");
    if (position < 0)
        return 1;

    StaticSegment *segment = nullptr; // the open segment
    int32_t nextSegment = 0;
    bool verticesOpen = false;
    bool verticesMade = false; // the open segment's records exist (maybe none)
    int32_t stored = 0, capacity = 0;
    float normal[3] = {0, 0, -1};
    float texCoord[2] = {0, 0};
    float color[4] = {1, 1, 1, 1};
    ModelLine line;

    for (position = ModelNextLine(text, length, position); position >= 0;
         position = ModelNextLine(text, length, position)) {
        ModelCopyLine(text, length, position, &line);
        int count;
        if (std::sscanf(line.text, "NumSegments: %d", &count) == 1) {
            if (model->segments || model->numSegments != 0 || count < 0 || count > kStaticModelMaxSegments)
                return 2;
            model->numSegments = count;
            if (count > 0) {
                model->segments = static_cast<StaticSegment *>(std::calloc(size_t(count), sizeof(StaticSegment)));
                if (!model->segments)
                    throw std::bad_alloc();
            }
            continue;
        }
        if (ModelLineBegins(&line, "Segment")) {
            if (segment || nextSegment >= model->numSegments)
                return 3;
            segment = &model->segments[nextSegment++];
            ResetSegment(segment);
            verticesMade = false;
            capacity = 0;
            continue;
        }
        if (ModelLineBegins(&line, "End")) {
            if (verticesOpen)
                verticesOpen = false;
            else if (segment)
                segment = nullptr;
            else
                break;
            continue;
        }
        if (!segment)
            continue;

        char word[256] = {0};
        float v[4];
        int number;
        if (ModelScanCode(&line, "Identifier: ", &segment->identifier) ||
            ModelScanCode(&line, "Shader: ", &segment->shader)) {
        } else if (std::sscanf(line.text, "Origin: %f, %f, %f", &segment->origin.x, &segment->origin.y,
                               &segment->origin.z) >= 1) {
        } else if (std::sscanf(line.text, "Billboard: %d", &number) == 1) {
            segment->billboard = number;
        } else if (std::sscanf(line.text, "PrimitiveType: %255s", word) == 1) {
            StaticModelPrimitiveFromName(word, &segment->primitiveType);
        } else if (std::sscanf(line.text, "NumVertices: %d", &number) == 1) {
            // A count must be sane, and may not change once its records exist.
            if (number < 0 || verticesMade || model->vertexTotal + number > kStaticModelMaxVertices)
                return 5;
            segment->numVertices = number;
            model->vertexTotal += number;
        } else if (ModelLineBegins(&line, "Vertices")) {
            if (verticesOpen)
                return 4;
            if (!CountSuitsPrimitive(segment->primitiveType, segment->numVertices))
                return 5;
            std::free(segment->vertices);
            segment->vertices = nullptr;
            if (segment->numVertices > 0) {
                segment->vertices =
                    static_cast<StaticVertex *>(std::calloc(size_t(segment->numVertices), sizeof(StaticVertex)));
                if (!segment->vertices)
                    throw std::bad_alloc();
            }
            verticesOpen = true;
            verticesMade = true;
            capacity = segment->numVertices;
            stored = 0;
            normal[0] = 0, normal[1] = 0, normal[2] = -1;
            texCoord[0] = 0, texCoord[1] = 0;
            color[0] = color[1] = color[2] = color[3] = 1;
        } else if (!verticesOpen) {
        } else if (std::sscanf(line.text, "Vertex: %f, %f, %f", &v[0], &v[1], &v[2]) == 3) {
            if (stored >= capacity)
                return 7;
            StaticVertex *out = &segment->vertices[stored++];
            *out = StaticVertex{v[0], v[1], v[2], 1.0f, normal[0], normal[1], normal[2], texCoord[0],
                                texCoord[1], color[0], color[1], color[2], color[3]};
        } else if (std::sscanf(line.text, "Normal: %f, %f, %f", &v[0], &v[1], &v[2]) == 3) {
            std::memcpy(normal, v, sizeof normal);
        } else if (std::sscanf(line.text, "TexCoord: %f, %f", &v[0], &v[1]) == 2) {
            std::memcpy(texCoord, v, sizeof texCoord);
        } else {
            std::sscanf(line.text, "Color: %f, %f, %f, %f", &color[0], &color[1], &color[2], &color[3]);
        }
    }
    return 0;
}

int32_t StaticModelChooseDrawMode(const StaticModel *model)
{
    bool billboard = false;
    for (int32_t i = 0; i < model->numSegments; i++)
        if (model->segments[i].billboard)
            billboard = true;
    if (model->vertexTotal > 100 && !billboard)
        return kStaticDrawList;
    return model->vertexTotal > 10 ? kStaticDrawArrays : kStaticDrawImmediate;
}

int32_t StaticModelLoad(StaticModel *model, const char *text, int32_t length, int32_t position)
{
    int32_t code = StaticModelParse(model, text, length, position);
    if (code != 0)
        return code;
    // A display list is built on the model's first draw, so that reading
    // needs no drawing context.
    model->drawMode = StaticModelChooseDrawMode(model);
    return 0;
}

AABB StaticModelGetBounds(StaticModel *model)
{
    AABB box{FLT_MAX, -FLT_MAX, FLT_MAX, -FLT_MAX, FLT_MAX, -FLT_MAX};
    if (!model)
        return box;
    for (int32_t i = 0; i < model->numSegments; i++) {
        const StaticSegment *segment = &model->segments[i];
        for (int32_t j = 0; j < segment->numVertices && segment->vertices; j++) {
            const StaticVertex *v = &segment->vertices[j];
            if (v->x < box.minX)
                box.minX = v->x;
            if (v->x > box.maxX)
                box.maxX = v->x;
            if (v->y < box.minY)
                box.minY = v->y;
            if (v->y > box.maxY)
                box.maxY = v->y;
            if (v->z < box.minZ)
                box.minZ = v->z;
            if (v->z > box.maxZ)
                box.maxZ = v->z;
        }
    }
    return box;
}

void StaticModelDispose(StaticModel *model)
{
    if (!model)
        return;
    if (model->displayList && listDeleter)
        listDeleter(model->displayList);
    for (int32_t i = 0; i < model->numSegments; i++)
        std::free(model->segments[i].vertices);
    std::free(model->segments);
    std::free(model);
}
