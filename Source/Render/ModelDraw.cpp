// Static models on the drawing context: immediate mode, vertex arrays or a
// display list, each segment with its shader, origin and billboard flag.
#include "Model.h"

#include "Matrix.h"
#include "Shader.h"

#include <GL/gl.h>

static void DeleteList(uint32_t list)
{
    glDeleteLists(list, 1);
}

void StaticModelCreateDisplayList(StaticModel *model)
{
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    if (model->displayList)
        glDeleteLists(model->displayList, 1);
    StaticModelSetListDeleter(DeleteList);
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
    // A model drawn by display list gets its list on its first draw.
    if (model->drawMode == kStaticDrawList && model->displayList == 0)
        StaticModelCreateDisplayList(model);
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
