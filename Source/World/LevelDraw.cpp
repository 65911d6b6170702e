// The level on the drawing context: its two lights, its walls, floor and
// ceiling, its blocks and powerups.
#include "Level.h"

#include "LevelGeometry.h"
#include "Powerup.h"
#include "Shader.h"

#include <GL/gl.h>

void LevelApplyLighting(Level *level)
{
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    const GLfloat ambient[4] = {0.4f, 0.4f, 0.4f, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    const GLfloat colour[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    const GLfloat floorLight[4] = {CellSize * float(level->sizeX) * 0.5f, 3.0f, CellSize * float(level->sizeZ) * 0.5f, 1.0f};
    const GLfloat ceilingLight[4] = {CellSize * float(level->sizeX) * 0.5f, CellSize * float(level->sizeY) - 3.0f,
                                     CellSize * float(level->sizeZ) * 0.5f, 1.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, floorLight);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, colour);
    glLightfv(GL_LIGHT0, GL_SPECULAR, colour);
    glLightfv(GL_LIGHT1, GL_POSITION, ceilingLight);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, colour);
    glLightfv(GL_LIGHT1, GL_SPECULAR, colour);
}

void LevelDraw(Level *level)
{
    if (LevelGeometryIsEnabled()) {
        // Opaque blocks first, nearest first, so that the walls behind them
        // and whatever they hide cost little; then the walls, then what
        // blends.
        LevelGeometryDrawOpaque(level);
        LevelDrawBoundaries(level);
        LevelGeometryDrawRest(level);
    } else {
        LevelDrawBoundaries(level);
        for (int32_t i = 0; i < level->blockCount; i++)
            BlockDraw(&level->blocks[i], false);
    }
    for (int32_t i = 0; i < level->powerupCount; i++)
        PowerupDraw(level->powerups[i]);
    ShaderDisable();
}

struct WallVertex {
    float s, t, x, y, z;
};

static void LevelDrawQuad(const WallVertex (&v)[4], float nx, float ny, float nz)
{
    glBegin(GL_QUADS);
    glNormal3f(nx, ny, nz);
    for (const WallVertex &p : v) {
        glTexCoord2f(p.s, p.t);
        glVertex3f(p.x, p.y, p.z);
    }
    glEnd();
}

void LevelDrawBoundaries(Level *level)
{
    float W = CellSize * float(level->sizeX), H = CellSize * float(level->sizeY), D = CellSize * float(level->sizeZ);
    float sx = float(level->sizeX), sy = float(level->sizeY), sz = float(level->sizeZ);
    glDisable(GL_BLEND);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);

    ShaderApplyByIdentifier('Cmnt');
    LevelDrawQuad({{0, 0, 0, 0, 0}, {0, sz, 0, 0, D}, {sx, sz, W, 0, D}, {sx, 0, W, 0, 0}}, 0, 1, 0);
    LevelDrawQuad({{0, 0, 0, H, 0}, {sx, 0, W, H, 0}, {sx, sz, W, H, D}, {0, sz, 0, H, D}}, 0, -1, 0);

    ShaderApplyByIdentifier('Brck');
    LevelDrawQuad({{0, 0, 0, 0, 0}, {0, sy, 0, H, 0}, {sz, sy, 0, H, D}, {sz, 0, 0, 0, D}}, 1, 0, 0);
    LevelDrawQuad({{0, 0, W, 0, 0}, {sz, 0, W, 0, D}, {sz, sy, W, H, D}, {0, sy, W, H, 0}}, -1, 0, 0);
    LevelDrawQuad({{0, 0, 0, 0, 0}, {sx, 0, W, 0, 0}, {sx, sy, W, H, 0}, {0, sy, 0, H, 0}}, 0, 0, 1);
    LevelDrawQuad({{0, 0, 0, 0, D}, {0, sy, 0, H, D}, {sx, sy, W, H, D}, {sx, 0, W, 0, D}}, 0, 0, -1);

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    ShaderDisable();
}
