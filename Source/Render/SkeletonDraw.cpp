// Bodies on the drawing context: each vertex skinned by its bones, then the
// segments drawn from the skinned vertices (kept for drawing the same pose
// again).
#include "Skeleton.h"

#include "Shader.h"

#include <GL/gl.h>

#include <vector>

namespace {

struct SkinnedVertex {
    float x, y, z, w;
    float nx, ny, nz;
    float r, g, b, a;
};

std::vector<SkinnedVertex> skinned;
const Body *skinnedBody = nullptr;

void Skin(Body *body)
{
    skinned.clear();
    for (int32_t i = 0; i < body->numSegments; i++) {
        const BodySegment *segment = &body->segments[i];
        for (int32_t j = 0; j < segment->numVertices && segment->vertices; j++) {
            const BodyVertex *v = &segment->vertices[j];
            Vector n = BodyMultiplyNormal(v);
            Vertex4f p = BodyMultiplyVertex(v);
            skinned.push_back(SkinnedVertex{p.x, p.y, p.z, p.w, n.x, n.y, n.z, v->r, v->g, v->b, v->a});
        }
    }
    skinnedBody = body;
}

void DrawSkinned(Body *body)
{
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(body->position.x, body->position.y, body->position.z);
    Matrix rotation;
    QuaternionToMatrix(&body->orientation, &rotation);
    MatrixApply(&rotation);
    if (body->skeleton)
        glTranslatef(body->skeleton->position.x, body->skeleton->position.y, body->skeleton->position.z);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    const GLsizei stride = sizeof(SkinnedVertex);
    const SkinnedVertex *base = skinned.data();
    glVertexPointer(4, GL_FLOAT, stride, &base->x);
    glNormalPointer(GL_FLOAT, stride, &base->nx);
    glColorPointer(4, GL_FLOAT, stride, &base->r);
    GLint first = 0;
    for (int32_t i = 0; i < body->numSegments; i++) {
        const BodySegment *segment = &body->segments[i];
        GLsizei count = segment->vertices && segment->numVertices > 0 ? segment->numVertices : 0;
        ShaderApplyByIdentifier(segment->shader);
        if (count > 0)
            glDrawArrays(segment->primitiveType, first, count);
        first += count;
    }
    glPopClientAttrib();
    glPopMatrix();
}

} // namespace

void BodyDraw(Body *body)
{
    if (!body)
        return;
    Skin(body);
    DrawSkinned(body);
}

void BodyDrawAgain(Body *body)
{
    if (!body)
        return;
    size_t total = 0;
    for (int32_t i = 0; i < body->numSegments; i++)
        if (body->segments[i].vertices && body->segments[i].numVertices > 0)
            total += size_t(body->segments[i].numVertices);
    if (body != skinnedBody || total != skinned.size())
        Skin(body);
    DrawSkinned(body);
}
