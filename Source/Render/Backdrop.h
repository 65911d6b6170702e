// The backdrop behind a level: a sky that pales towards the horizon above a
// distant ground, drawn around the camera before anything else so that no
// part of the picture outside the level stays black.
#pragma once

#include "Vector.h"

// The colours of the backdrop, from the top of the sky down to the ground
// below the camera (red, green, blue).
struct BackdropColours {
    float zenith[3];
    float horizon[3];
    float ground[3];
    float depths[3];
};

BackdropColours BackdropGetColours();

// Draws the backdrop around the camera's position, with the model-view
// matrix of the camera in place.  It writes no depth, so everything drawn
// after it lies in front; the drawing state is left as it was.
void BackdropDraw(Vector cameraPosition);
