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

#include <cstdlib>

void PlayerDraw(Player *player)
{
    if (!player->body)
        return;
    if (player->animation)
        AnimationApply(player->animation);
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

    glEnable(GL_DEPTH_TEST);
    glDisable(GL_STENCIL_TEST);
    glDepthMask(GL_TRUE);
    BodyDraw(player->body);
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
