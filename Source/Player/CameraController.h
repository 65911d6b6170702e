// Drives one camera smoothly: a focus point easing towards a followed point,
// user yaw, pitch and zoom with rates that build up and decay, a minimum
// distance of 8 units, and (mode 0) a swing behind a followed direction.
#pragma once

#include "Camera.h"

// Mode 0 follows a direction and refuses user yaw (the game); mode 2 orbits
// freely (the editor).
enum CameraControllerMode : int { kCameraFollowDirection = 0, kCameraFreeOrbit = 2 };

// User actions, started and stopped by keys: yaw (the game refuses it), pitch
// and zoom.  Starting one replaces the held action of its group.
enum CameraAction : int {
    kCameraActionYawRight = 1,
    kCameraActionYawLeft = 2,
    kCameraActionPitchUp = 3, // forward.y grows: the camera sinks and looks up
    kCameraActionPitchDown = 4,
    kCameraActionZoomIn = 5,
    kCameraActionZoomOut = 6,
};

struct CameraController {
    Camera *camera;
    int mode;
    Vector focusPoint;
    Vector followPoint;
    Vector followDirection;
    int yawAction, pitchAction, zoomAction;
    float yawRate, pitchRate, zoomRate;
    // Mode 0: turn behind the followed direction at once instead of swinging
    // round to it (less motion on the screen).
    bool reducedMotion;
};

CameraController *CameraControllerAllocate(int mode);
void CameraControllerDispose(CameraController *controller);
void CameraControllerSetCameraPos(CameraController *controller, float x, float y, float z);
void CameraControllerSetFocusPoint(CameraController *controller, float x, float y, float z);
void CameraControllerFollowPoint(CameraController *controller, float x, float y, float z);
void CameraControllerFollowDirection(CameraController *controller, Vector direction);
void CameraControllerSetFocusDirection(CameraController *controller, Vector direction);
void CameraControllerUserActionStart(CameraController *controller, int code);
void CameraControllerUserActionStop(CameraController *controller, int code);
// One fixed step; elapsed is not used.
void CameraControllerRun(CameraController *controller, float elapsed);
void CameraControllerApplyCamera(CameraController *controller);
