#include "Backdrop.h"

#include "Shader.h"

#include <GL/gl.h>

namespace {

// Half the edge of the box drawn around the camera: well inside the far
// plane, well outside the near one.
constexpr float kReach = 100.0f;
// The horizon lies a little below the eye, so that a level seen from above
// still has sky behind its far edge.
constexpr float kHorizon = -0.08f * kReach;

const BackdropColours kColours = {
    {0.30f, 0.50f, 0.82f}, // zenith
    {0.78f, 0.86f, 0.94f}, // horizon
    {0.42f, 0.50f, 0.34f}, // ground at the horizon
    {0.26f, 0.32f, 0.22f}, // ground below the camera
};

// One band of the four vertical sides between two heights.
void Band(float low, const float *lowColour, float high, const float *highColour)
{
    const float corners[5][2] = {{-kReach, -kReach}, {kReach, -kReach}, {kReach, kReach}, {-kReach, kReach},
                                 {-kReach, -kReach}};
    glBegin(GL_QUAD_STRIP);
    for (const auto &c : corners) {
        glColor3fv(lowColour);
        glVertex3f(c[0], low, c[1]);
        glColor3fv(highColour);
        glVertex3f(c[0], high, c[1]);
    }
    glEnd();
}

void Cap(float y, const float *colour)
{
    glColor3fv(colour);
    glBegin(GL_QUADS);
    glVertex3f(-kReach, y, -kReach);
    glVertex3f(kReach, y, -kReach);
    glVertex3f(kReach, y, kReach);
    glVertex3f(-kReach, y, kReach);
    glEnd();
}

} // namespace

BackdropColours BackdropGetColours()
{
    return kColours;
}

void BackdropDraw(Vector cameraPosition)
{
    ShaderDisable();
    glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT | GL_CURRENT_BIT | GL_LIGHTING_BIT | GL_POLYGON_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glDisable(GL_FOG);
    glDepthMask(GL_FALSE);
    glShadeModel(GL_SMOOTH);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(cameraPosition.x, cameraPosition.y, cameraPosition.z);
    Cap(kReach, kColours.zenith);
    Band(kHorizon, kColours.horizon, kReach, kColours.zenith);
    Band(kHorizon - 0.01f * kReach, kColours.ground, kHorizon, kColours.horizon);
    Band(-kReach, kColours.depths, kHorizon - 0.01f * kReach, kColours.ground);
    Cap(-kReach, kColours.depths);
    glPopMatrix();
    glPopAttrib();
}
