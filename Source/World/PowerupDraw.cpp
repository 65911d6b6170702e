// Powerups on the drawing context: the model, spun about the vertical axis.
#include "Powerup.h"

#include "Model.h"

#include <GL/gl.h>

void PowerupDraw(Powerup *powerup)
{
    if (!powerup->model)
        return;
    glPushMatrix();
    glTranslatef(powerup->position.x, powerup->position.y, powerup->position.z);
    glRotatef(powerup->spin, 0.0f, -1.0f, 0.0f);
    StaticModelDraw(powerup->model, 1.0f);
    glPopMatrix();
}
