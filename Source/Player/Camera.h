// A viewpoint: eye position, unit viewing direction and unit up direction.
#pragma once

#include "Vector.h"

struct Camera {
    Vector forward;
    Vector up;
    Vector position;
};

Camera *CameraAllocate();
void CameraInit(Camera *camera);
void CameraDispose(Camera *camera);
// Turns the camera to look at point, keeping its up direction upright.
void CameraLookAtPoint(Camera *camera, Vector point);
// Turns the camera's offset from point about axis by angle (radians, turning
// clockwise as seen from the axis's tip), keeping its distance.
void CameraOrbitPoint(Camera *camera, Vector point, Vector axis, float angle);
// Puts the camera on the far side of point from face, at its old distance.
void CameraOrbitPointToFaceVector(Camera *camera, Vector point, Vector face);
// Loads the view into the model-view matrix.
void CameraApply(const Camera *camera);
