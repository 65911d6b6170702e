// The player on the drawing context: the animated body with its silhouette
// where blocks hide it, the shadow on the ground below, and the status line.
#include "Player.h"

#include "Block.h"
#include "Level.h"
#include "Matrix.h"
#include "Shader.h"
#include "Skeleton.h"
#include "StatusLabels.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>

// The window pixels that the body can cover, with room for swinging limbs:
// the silhouette pass is cut to them.  False when the box reaches behind the
// camera (the whole view is used then).
static bool BodyScreenBox(Vector p, GLint box[4])
{
    GLfloat projection[16], modelview[16];
    GLint viewport[4];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glGetIntegerv(GL_VIEWPORT, viewport);
    const float reach = 3.0f;
    float left = 1e9f, right = -1e9f, bottom = 1e9f, top = -1e9f;
    for (int corner = 0; corner < 8; corner++) {
        float world[4] = {p.x + ((corner & 1) ? reach : -reach), p.y + ((corner & 2) ? kPlayerHeight + reach : -reach),
                          p.z + ((corner & 4) ? reach : -reach), 1.0f};
        float eye[4], clip[4];
        for (int r = 0; r < 4; r++)
            eye[r] = modelview[r] * world[0] + modelview[4 + r] * world[1] + modelview[8 + r] * world[2] +
                     modelview[12 + r] * world[3];
        for (int r = 0; r < 4; r++)
            clip[r] = projection[r] * eye[0] + projection[4 + r] * eye[1] + projection[8 + r] * eye[2] +
                      projection[12 + r] * eye[3];
        if (!(clip[3] > 0.01f))
            return false;
        float x = clip[0] / clip[3], y = clip[1] / clip[3];
        left = std::min(left, x);
        right = std::max(right, x);
        bottom = std::min(bottom, y);
        top = std::max(top, y);
    }
    left = std::clamp(left, -1.0f, 1.0f);
    right = std::clamp(right, -1.0f, 1.0f);
    bottom = std::clamp(bottom, -1.0f, 1.0f);
    top = std::clamp(top, -1.0f, 1.0f);
    box[0] = viewport[0] + GLint((left + 1) * 0.5f * float(viewport[2])) - 1;
    box[1] = viewport[1] + GLint((bottom + 1) * 0.5f * float(viewport[3])) - 1;
    box[2] = GLint((right - left) * 0.5f * float(viewport[2])) + 3;
    box[3] = GLint((top - bottom) * 0.5f * float(viewport[3])) + 3;
    return true;
}

void PlayerDraw(Player *player)
{
    if (!player->body)
        return;
    if (player->animation)
        AnimationApply(player->animation);
    GLint scissor[4];
    bool cut = BodyScreenBox(player->position, scissor);
    glPushMatrix();
    glTranslatef(player->position.x, player->position.y, player->position.z);
    Vector up = VectorWithValues(0, 1, 0);
    Matrix facing = MatrixFromDirectionVectors(VectorCross(up, player->direction), up, player->direction);
    MatrixApply(&facing);

    // Count, in the stencil buffer, the body's fragments that something
    // nearer hides.
    glEnable(GL_STENCIL_TEST);
    glStencilFunc(GL_ALWAYS, 0, ~0u);
    glStencilOp(GL_KEEP, GL_INCR, GL_KEEP);
    glDepthMask(GL_FALSE);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    BodyDraw(player->body);

    // Where the count is above 0, a dark blue half-transparent silhouette.
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    if (cut) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(scissor[0], scissor[1], std::max(scissor[2], 0), std::max(scissor[3], 0));
    }
    glDisable(GL_DEPTH_TEST);
    glStencilFunc(GL_LESS, 0, ~0u);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    glPushMatrix();
    glLoadIdentity();
    GLboolean lighting = glIsEnabled(GL_LIGHTING);
    glDisable(GL_LIGHTING);
    glColor4f(0, 0, 0.2f, 0.5f);
    glBegin(GL_QUADS);
    glVertex3f(-50, -50, -3);
    glVertex3f(50, -50, -3);
    glVertex3f(50, 50, -3);
    glVertex3f(-50, 50, -3);
    glEnd();
    glColor4f(1, 1, 1, 1);
    if (lighting)
        glEnable(GL_LIGHTING);
    glPopMatrix();
    glDisable(GL_SCISSOR_TEST);

    glEnable(GL_DEPTH_TEST);
    glDisable(GL_STENCIL_TEST);
    glDepthMask(GL_TRUE);
    BodyDrawAgain(player->body);
    glPopMatrix();
}

void PlayerDrawShadow(Player *player, Level *level)
{
    Vector p = player->position;
    int32_t count = 0;
    Block **blocks =
        LevelGetSortedBlockListForBoundingBox(level, p.x, p.x, 0, player->bounds.maxY, p.z, p.z, &count);
    float top = 0;
    for (int32_t i = 0; i < count; i++)
        if (BlockStopsLight(blocks[i]) && blocks[i]->maxY > top)
            top = blocks[i]->maxY;
    std::free(blocks);
    float height = top + 0.01f;
    float opacity = 1 - (p.y - height) / 30;
    if (!(opacity > 0))
        return;
    ShaderApplyByIdentifier('Shdw');
    glColor4f(1, 1, 1, opacity);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex3f(p.x - 1, height, p.z - 1);
    glTexCoord2f(0, 1);
    glVertex3f(p.x - 1, height, p.z + 1);
    glTexCoord2f(1, 1);
    glVertex3f(p.x + 1, height, p.z + 1);
    glTexCoord2f(1, 0);
    glVertex3f(p.x + 1, height, p.z - 1);
    glEnd();
    ShaderDisable();
}

void PlayerDrawStatus(Player *player, int32_t levelIndex)
{
    if (!player->statusWidgets)
        return;
    StatusLabelsUpdate(player->statusWidgets, player->points, player->lives, player->keys, levelIndex, player->air);
    StatusLabelsDraw(player->statusWidgets);
}
