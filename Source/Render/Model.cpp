#include "Model.h"

#include "Matrix.h"
#include "ModelParser.h"
#include "Shader.h"

#include <GL/gl.h>

#include <cfloat>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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
    } names[] = {{"GL_POINTS", GL_POINTS},
                 {"GL_LINES", GL_LINES},
                 {"GL_LINE_LOOP", GL_LINE_LOOP},
                 {"GL_LINE_STRIP", GL_LINE_STRIP},
                 {"GL_TRIANGLES", GL_TRIANGLES},
                 {"GL_TRIANGLE_STRIP", GL_TRIANGLE_STRIP},
                 {"GL_TRIANGLE_FAN", GL_TRIANGLE_FAN},
                 {"GL_QUADS", GL_QUADS},
                 {"GL_QUAD_STRIP", GL_QUAD_STRIP},
                 {"GL_POLYGON", GL_POLYGON}};
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
    case GL_LINES:
        return count % 2 == 0;
    case GL_LINE_STRIP:
    case GL_LINE_LOOP:
        return count >= 2;
    case GL_TRIANGLES:
        return count % 3 == 0;
    case GL_TRIANGLE_STRIP:
    case GL_TRIANGLE_FAN:
        return count >= 3;
    case GL_QUADS:
        return count % 4 == 0;
    case GL_QUAD_STRIP:
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
    segment->primitiveType = GL_POINTS;
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
    int32_t mode = StaticModelChooseDrawMode(model);
    if (mode == kStaticDrawList)
        StaticModelCreateDisplayList(model);
    else
        model->drawMode = mode;
    return 0;
}

void StaticModelCreateDisplayList(StaticModel *model)
{
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    if (model->displayList)
        glDeleteLists(model->displayList, 1);
    model->displayList = glGenLists(1);
    glNewList(model->displayList, GL_COMPILE);
    model->drawMode = kStaticDrawImmediate;
    StaticModelDraw(model, 1.0f);
    glEndList();
    model->drawMode = kStaticDrawList;
    glPopMatrix();
}

// Applies the segment's shader and its placement; true when a matrix was
// pushed.
static bool SetUpSegment(const StaticSegment *segment)
{
    ShaderApplyByIdentifier(segment->shader);
    bool pushed = false;
    if (segment->origin.x != 0 || segment->origin.y != 0 || segment->origin.z != 0) {
        glPushMatrix();
        pushed = true;
        glTranslatef(segment->origin.x, segment->origin.y, segment->origin.z);
    }
    if (segment->billboard) {
        if (!pushed) {
            glPushMatrix();
            pushed = true;
        }
        MatrixApplyBillboard();
    }
    return pushed;
}

void StaticModelDraw(StaticModel *model, float opacity)
{
    if (!model || opacity == 0)
        return;
    glMatrixMode(GL_MODELVIEW);
    bool translucent = opacity < 1;
    if (translucent) {
        ShaderApplyByIdentifier('none');
        glActiveTexture(GL_TEXTURE0);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE_ARB);
        glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA_ARB, GL_MODULATE);
        glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA_ARB, GL_CONSTANT_ARB);
        const float environment[4] = {0, 0, 0, opacity};
        glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, environment);
    }
    if (model->drawMode == kStaticDrawList) {
        glCallList(model->displayList);
    } else if (model->drawMode == kStaticDrawArrays) {
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_NORMAL_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        for (int32_t i = 0; i < model->numSegments; i++) {
            const StaticSegment *segment = &model->segments[i];
            if (segment->numVertices < 1 || !segment->vertices)
                continue;
            bool pushed = SetUpSegment(segment);
            const GLsizei stride = sizeof(StaticVertex);
            glVertexPointer(4, GL_FLOAT, stride, &segment->vertices[0].x);
            glNormalPointer(GL_FLOAT, stride, &segment->vertices[0].nx);
            glColorPointer(4, GL_FLOAT, stride, &segment->vertices[0].r);
            if (segment->shader != 'none') {
                glEnableClientState(GL_TEXTURE_COORD_ARRAY);
                glTexCoordPointer(2, GL_FLOAT, stride, &segment->vertices[0].s);
            }
            glDrawArrays(segment->primitiveType, 0, segment->numVertices);
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
            if (pushed)
                glPopMatrix();
        }
    } else {
        for (int32_t i = 0; i < model->numSegments; i++) {
            const StaticSegment *segment = &model->segments[i];
            bool pushed = SetUpSegment(segment);
            bool textured = segment->shader != 'none';
            glBegin(segment->primitiveType);
            for (int32_t j = 0; j < segment->numVertices && segment->vertices; j++) {
                const StaticVertex *v = &segment->vertices[j];
                glNormal3f(v->nx, v->ny, v->nz);
                glColor4f(v->r, v->g, v->b, v->a);
                if (textured)
                    glTexCoord2f(v->s, v->t);
                glVertex4f(v->x, v->y, v->z, v->w);
            }
            glEnd();
            if (pushed)
                glPopMatrix();
        }
    }
    ShaderDisable();
    if (translucent)
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
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
    if (model->displayList)
        glDeleteLists(model->displayList, 1);
    for (int32_t i = 0; i < model->numSegments; i++)
        std::free(model->segments[i].vertices);
    std::free(model->segments);
    std::free(model);
}
