// Water on the drawing context: water boxes, and the rising water with the
// tint over the view when the camera is under it.
#include "Water.h"
#include "WaterController.h"

#include "Level.h"
#include "Shader.h"

#include <GL/gl.h>

void WaterBoxDraw(WaterBox *box, bool highlight)
{
    if (highlight)
        glColor4f(0.5f, 0.1f, 0.5f, 0.5f);
    else
        glColor4f(0.1f, 0.1f, 0.3f, 0.5f);
    ShaderApplyByIdentifier('Watr');
    float x0 = box->minX, x1 = box->maxX, y0 = box->minY, y1 = box->maxY, z0 = box->minZ, z1 = box->maxZ;
    glBegin(GL_QUADS);
    if (box->sides[kWaterSideTop].kind != kWaterSideWater) {
        glNormal3f(0, 1, 0);
        glVertex3f(x0, y1, z0);
        glVertex3f(x0, y1, z1);
        glVertex3f(x1, y1, z1);
        glVertex3f(x1, y1, z0);
    }
    if (box->sides[kWaterSideMinZ].kind != kWaterSideWater) {
        glNormal3f(0, 0, -1);
        glVertex3f(x0, y0, z0);
        glVertex3f(x0, y1, z0);
        glVertex3f(x1, y1, z0);
        glVertex3f(x1, y0, z0);
    }
    if (box->sides[kWaterSideMinX].kind != kWaterSideWater) {
        glNormal3f(-1, 0, 0);
        glVertex3f(x0, y0, z0);
        glVertex3f(x0, y0, z1);
        glVertex3f(x0, y1, z1);
        glVertex3f(x0, y1, z0);
    }
    if (box->sides[kWaterSideMaxZ].kind != kWaterSideWater) {
        glNormal3f(0, 0, 1);
        glVertex3f(x0, y0, z1);
        glVertex3f(x1, y0, z1);
        glVertex3f(x1, y1, z1);
        glVertex3f(x0, y1, z1);
    }
    if (box->sides[kWaterSideMaxX].kind != kWaterSideWater) {
        glNormal3f(1, 0, 0);
        glVertex3f(x1, y0, z0);
        glVertex3f(x1, y1, z0);
        glVertex3f(x1, y1, z1);
        glVertex3f(x1, y0, z1);
    }
    if (box->sides[kWaterSideBottom].kind != kWaterSideWater) {
        glNormal3f(0, -1, 0);
        glVertex3f(x0, y0, z0);
        glVertex3f(x1, y0, z0);
        glVertex3f(x1, y0, z1);
        glVertex3f(x0, y0, z1);
    }
    glEnd();
    ShaderDisable();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

void WaterControllerDraw(WaterController *controller, Vector cameraPosition, Vector viewDirection,
                         float nearDistance)
{
    if (controller->mode == kWaterModeBoxes) {
        for (int32_t i = 0; i < controller->boxCount; i++)
            WaterBoxDraw(controller->boxes[i], false);
        return;
    }
    double water = controller->currentWaterLevel;
    if (water <= 0.0 || !controller->level)
        return;
    glColor4f(0.1f, 0.1f, 0.3f, 0.5f);
    float W = CellSize * float(controller->level->sizeX), D = CellSize * float(controller->level->sizeZ);
    float h = float(water);
    float reach = nearDistance + 0.0001f;
    Vector p = VectorWithValues(cameraPosition.x + viewDirection.x * reach, cameraPosition.y + viewDirection.y * reach,
                                cameraPosition.z + viewDirection.z * reach);
    if (p.x > 0.0f && p.x < W && p.y > 0.0f && double(p.y) < water && p.z > 0.0f && p.z < D) {
        // The camera is under water: tint the whole view.
        glPushMatrix();
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
        glBegin(GL_QUADS);
        glVertex3f(-50.0f, -50.0f, -4.0f);
        glVertex3f(50.0f, -50.0f, -4.0f);
        glVertex3f(50.0f, 50.0f, -4.0f);
        glVertex3f(-50.0f, 50.0f, -4.0f);
        glEnd();
        glEnable(GL_DEPTH_TEST);
        glPopMatrix();
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        return;
    }
    glBegin(GL_QUADS);
    glNormal3f(0.0f, 1.0f, 0.0f);
    // top
    glVertex3f(0, h, 0);
    glVertex3f(0, h, D);
    glVertex3f(W, h, D);
    glVertex3f(W, h, 0);
    // z = 0
    glVertex3f(0, 0, 0);
    glVertex3f(0, h, 0);
    glVertex3f(W, h, 0);
    glVertex3f(W, 0, 0);
    // x = 0
    glVertex3f(0, 0, 0);
    glVertex3f(0, 0, D);
    glVertex3f(0, h, D);
    glVertex3f(0, h, 0);
    // z = max
    glVertex3f(0, 0, D);
    glVertex3f(W, 0, D);
    glVertex3f(W, h, D);
    glVertex3f(0, h, D);
    // x = max
    glVertex3f(W, 0, 0);
    glVertex3f(W, h, 0);
    glVertex3f(W, h, D);
    glVertex3f(W, 0, D);
    // bottom
    glVertex3f(0, 0, 0);
    glVertex3f(W, 0, 0);
    glVertex3f(W, 0, D);
    glVertex3f(0, 0, D);
    glEnd();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}
