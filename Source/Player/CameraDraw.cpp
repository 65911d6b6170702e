// The camera and the camera controller on the drawing context.
#include "Camera.h"
#include "CameraController.h"

#include <GL/gl.h>
#include <GL/glu.h>

void CameraApply(const Camera *camera)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    Vector p = camera->position;
    Vector c = VectorAdd(p, camera->forward);
    Vector u = camera->up;
    gluLookAt(p.x, p.y, p.z, c.x, c.y, c.z, u.x, u.y, u.z);
}

void CameraControllerApplyCamera(CameraController *controller)
{
    CameraApply(controller->camera);
}
