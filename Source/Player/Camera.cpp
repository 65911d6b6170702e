#include "Camera.h"

#include "Quaternion.h"

Camera *CameraAllocate()
{
    Camera *camera = new Camera;
    CameraInit(camera);
    return camera;
}

void CameraInit(Camera *camera)
{
    camera->forward = VectorWithValues(0, 0, -1);
    camera->up = VectorWithValues(0, 1, 0);
    camera->position = VectorWithValues(0, 0, 0);
}

void CameraDispose(Camera *camera)
{
    delete camera;
}

void CameraLookAtPoint(Camera *camera, Vector point)
{
    Vector forward = VectorSubtract(point, camera->position);
    VectorNormalize(&forward);
    camera->forward = forward;
    Vector side = VectorCross(VectorWithValues(0, 1, 0), forward);
    VectorNormalize(&side);
    Vector up = VectorCross(forward, side);
    VectorNormalize(&up);
    if (up.y < 0)
        up.y = -up.y;
    camera->up = up;
}

void CameraOrbitPoint(Camera *camera, Vector point, Vector axis, float angle)
{
    Vector offset = VectorSubtract(camera->position, point);
    float r = VectorMagnitude(offset);
    VectorNormalize(&offset);
    Quaternion turn = QuaternionFromAxisAngle(axis, angle);
    Vector turned = QuaternionMultiplyVector(&turn, &offset);
    if (r != 0.0f)
        turned = VectorWithValues(turned.x * r, turned.y * r, turned.z * r);
    camera->position = VectorAdd(point, turned);
}

void CameraOrbitPointToFaceVector(Camera *camera, Vector point, Vector face)
{
    float r = VectorMagnitude(VectorSubtract(camera->position, point));
    if (r != 0.0f)
        camera->position = VectorSubtract(point, VectorWithValues(face.x * r, face.y * r, face.z * r));
    else
        camera->position = VectorAdd(point, face);
}
