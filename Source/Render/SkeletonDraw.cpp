// Bodies on the drawing context: each vertex skinned by its bones.
#include "Skeleton.h"

#include "Shader.h"

#include <GL/gl.h>

void BodyDraw(Body *body)
{
    if (!body)
        return;
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(body->position.x, body->position.y, body->position.z);
    Matrix rotation;
    QuaternionToMatrix(&body->orientation, &rotation);
    MatrixApply(&rotation);
    if (body->skeleton)
        glTranslatef(body->skeleton->position.x, body->skeleton->position.y, body->skeleton->position.z);
    for (int32_t i = 0; i < body->numSegments; i++) {
        const BodySegment *segment = &body->segments[i];
        ShaderApplyByIdentifier(segment->shader);
        glBegin(segment->primitiveType);
        for (int32_t j = 0; j < segment->numVertices && segment->vertices; j++) {
            const BodyVertex *v = &segment->vertices[j];
            Vector n = BodyMultiplyNormal(v);
            Vertex4f p = BodyMultiplyVertex(v);
            glNormal3f(n.x, n.y, n.z);
            glColor4f(v->r, v->g, v->b, v->a);
            glVertex4f(p.x, p.y, p.z, p.w);
        }
        glEnd();
    }
    glPopMatrix();
}
