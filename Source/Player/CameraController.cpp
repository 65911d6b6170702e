#include "CameraController.h"

#include <cmath>

static const float kPi = float(M_PI);

CameraController *CameraControllerAllocate(int mode)
{
    CameraController *c = new CameraController{};
    c->camera = CameraAllocate();
    c->mode = mode;
    c->focusPoint = VectorWithValues(0, 0, -1);
    c->followPoint = VectorWithValues(0, 0, -1);
    c->followDirection = c->camera->forward;
    c->yawAction = c->pitchAction = c->zoomAction = 0;
    c->yawRate = c->pitchRate = c->zoomRate = 0;
    return c;
}

void CameraControllerDispose(CameraController *controller)
{
    if (!controller)
        return;
    CameraDispose(controller->camera);
    delete controller;
}

void CameraControllerSetCameraPos(CameraController *controller, float x, float y, float z)
{
    controller->camera->position = VectorWithValues(x, y, z);
}

void CameraControllerSetFocusPoint(CameraController *controller, float x, float y, float z)
{
    controller->focusPoint = VectorWithValues(x, y, z);
    controller->followPoint = controller->focusPoint;
}

void CameraControllerFollowPoint(CameraController *controller, float x, float y, float z)
{
    controller->followPoint = VectorWithValues(x, y, z);
}

// Keeps only the horizontal part of d, normalised; false when there is none.
static bool HorizontalDirection(Vector d, Vector *out)
{
    if (d.x == 0.0f && d.z == 0.0f)
        return false;
    d.y = 0.0f;
    VectorNormalize(&d);
    *out = d;
    return true;
}

void CameraControllerFollowDirection(CameraController *controller, Vector direction)
{
    HorizontalDirection(direction, &controller->followDirection);
}

void CameraControllerSetFocusDirection(CameraController *controller, Vector direction)
{
    if (!HorizontalDirection(direction, &controller->followDirection))
        return;
    CameraOrbitPointToFaceVector(controller->camera, controller->focusPoint, controller->followDirection);
}

void CameraControllerUserActionStart(CameraController *controller, int code)
{
    if (code > kCameraActionZoomOut)
        return;
    if (code == kCameraActionZoomIn || code == kCameraActionZoomOut)
        controller->zoomAction = code;
    else if (code == kCameraActionPitchUp || code == kCameraActionPitchDown)
        controller->pitchAction = code;
    else if ((code == kCameraActionYawRight || code == kCameraActionYawLeft) && controller->mode == kCameraFreeOrbit)
        controller->yawAction = code;
}

void CameraControllerUserActionStop(CameraController *controller, int code)
{
    if (code > kCameraActionZoomOut)
        return;
    int *group = nullptr;
    if (code == kCameraActionZoomIn || code == kCameraActionZoomOut)
        group = &controller->zoomAction;
    else if (code == kCameraActionPitchUp || code == kCameraActionPitchDown)
        group = &controller->pitchAction;
    else if (code == kCameraActionYawRight || code == kCameraActionYawLeft)
        group = &controller->yawAction;
    if (group && *group == code)
        *group = 0;
}

// Moves rate by step towards 0, stopping at 0 rather than crossing it.
static float Decay(float rate, float step)
{
    if (rate > 0)
        return rate > step ? rate - step : 0.0f;
    if (rate < 0)
        return rate < -step ? rate + step : 0.0f;
    return 0.0f;
}

// The rate of one group: the "down" action lowers it to -limit, the "up"
// action raises it to +limit, no action lets it decay.
static float StepRate(float rate, int action, int down, int up, float step, float limit, float decay)
{
    if (action == down) {
        rate -= step;
        return rate < -limit ? -limit : rate;
    }
    if (action == up) {
        rate += step;
        return rate > limit ? limit : rate;
    }
    return Decay(rate, decay);
}

void CameraControllerRun(CameraController *c, float /*elapsed*/)
{
    Camera *camera = c->camera;

    // Yaw about the vertical through the focus.
    c->yawRate = StepRate(c->yawRate, c->yawAction, kCameraActionYawRight, kCameraActionYawLeft, kPi / 3200, kPi / 80, kPi / 800);
    CameraOrbitPoint(camera, c->focusPoint, VectorWithValues(0, 1, 0), c->yawRate);

    // Pitch, never quite straight up or down.
    c->pitchRate = StepRate(c->pitchRate, c->pitchAction, kCameraActionPitchDown, kCameraActionPitchUp, kPi / 3200, kPi / 80, kPi / 800);
    float d = camera->forward.y;
    float a = c->pitchRate;
    if (std::sin(a) + d > 0.99f)
        a = std::asin(0.99f - d);
    else if (std::sin(a) + d < -0.99f)
        a = std::asin(-0.99f - d);
    Vector axis = VectorCross(VectorWithValues(0, 1, 0), camera->forward);
    VectorNormalize(&axis);
    CameraOrbitPoint(camera, c->focusPoint, axis, a);

    // Zoom along the view, never closer than 8 units to the followed point.
    c->zoomRate = StepRate(c->zoomRate, c->zoomAction, kCameraActionZoomOut, kCameraActionZoomIn, 0.01f, 0.5f, 0.05f);
    Vector p = VectorAdd(camera->position,
                         VectorWithValues(c->zoomRate * camera->forward.x, c->zoomRate * camera->forward.y,
                                          c->zoomRate * camera->forward.z));
    Vector gap = VectorSubtract(c->followPoint, p);
    if (VectorMagnitude(gap) < 8.0f) {
        VectorNormalize(&gap);
        p = VectorSubtract(c->followPoint, VectorWithValues(8 * gap.x, 8 * gap.y, 8 * gap.z));
        c->zoomRate = 0;
    }
    camera->position = p;

    // Swing a quarter of the remaining angle around behind the followed
    // direction (all of it at once with reduced motion).
    if (c->mode == kCameraFollowDirection) {
        Vector f = camera->forward;
        f.y = 0;
        VectorNormalize(&f);
        Vector cross = VectorCross(c->followDirection, f);
        if (cross.y != 0.0f) {
            float dot = VectorDot(c->followDirection, f);
            dot = dot > 1.0f ? 1.0f : (dot < -1.0f ? -1.0f : dot);
            CameraOrbitPoint(camera, c->focusPoint, cross, c->reducedMotion ? std::acos(dot) : std::acos(dot) / 4);
        }
    }

    // The focus closes a quarter of its gap, carrying the camera along.
    Vector v = VectorSubtract(c->followPoint, c->focusPoint);
    v = VectorWithValues(v.x * 0.25f, v.y * 0.25f, v.z * 0.25f);
    camera->position = VectorAdd(camera->position, v);
    c->focusPoint = VectorAdd(c->focusPoint, v);

    CameraLookAtPoint(camera, c->focusPoint);
}
