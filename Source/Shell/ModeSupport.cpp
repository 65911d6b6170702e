#include "ModeSupport.h"

#include "OpenGLWindow.h"
#include "Shader.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>

PlatformTimerRef ModeInstallTimer(PlatformTimerProc proc, void *context)
{
    return PlatformInstallTimer(0.0, kModeStep, proc, context);
}

void ModeRemoveTimer(PlatformTimerRef *timer)
{
    if (*timer) {
        PlatformRemoveTimer(*timer);
        *timer = 0;
    }
}

bool ModeSuspend(ModeParts parts)
{
    bool first = *parts.suspendCount == 0;
    if (first && *parts.timer)
        PlatformSetTimerNextFireTime(*parts.timer, kPlatformTimerNever);
    *parts.suspendCount += 1;
    return first;
}

bool ModeResume(ModeParts parts)
{
    if (*parts.suspendCount == 0) {
        std::printf("Anomaly: %sResume called when not suspended\n", parts.name);
        std::fflush(stdout);
        return false;
    }
    *parts.suspendCount -= 1;
    if (*parts.suspendCount != 0)
        return false;
    if (*parts.timer)
        PlatformSetTimerNextFireTime(*parts.timer, kModeStep);
    return true;
}

void ModeInstallHandler(ModeParts parts)
{
    if (!parts.handler || *parts.handler)
        return;
    *parts.handler = PlatformInstallEventHandler(kTargetApplication, parts.handlerKinds, parts.handlerKindCount,
                                                 parts.handlerProc, parts.context);
}

void ModeRemoveHandler(ModeParts parts)
{
    if (!parts.handler || !*parts.handler)
        return;
    PlatformRemoveEventHandler(*parts.handler);
    *parts.handler = 0;
}

void ModeFreeze(ModeParts parts)
{
    ModeSuspend(parts);
    ModeRemoveHandler(parts);
    if (parts.frozen)
        *parts.frozen = true;
}

void ModeDefrost(ModeParts parts)
{
    ModeInstallHandler(parts);
    ModeResume(parts);
    if (parts.frozen)
        *parts.frozen = false;
}

int32_t ModeRunSteps(double now, double *lastTickTime, double *leftoverTime, ModeStepProc step, void *context)
{
    double acc = (now - *lastTickTime) + *leftoverTime;
    *lastTickTime = now;
    if (acc > kModeMaxTimePerFiring)
        acc = kModeMaxTimePerFiring;
    int32_t steps = 0;
    while (acc >= kModeStep) {
        acc -= kModeStep;
        steps++;
        if (!step(context))
            break;
    }
    *leftoverTime = acc;
    return steps;
}

void ModePrintGLError(const char *prefix)
{
    GLenum error = glGetError();
    if (error == GL_NO_ERROR)
        return;
    std::printf("%s%s\n", prefix, reinterpret_cast<const char *>(gluErrorString(error)));
    std::fflush(stdout);
}

void ModeBeginOverlay(OpenGLWindow *window)
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    OpenGLWindowSetOrtho(window);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
}

void ModeEndOverlay()
{
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

void ModeDrawQuad(float left, float bottom, float right, float top, float z)
{
    glBegin(GL_QUADS);
    glVertex3f(left, bottom, z);
    glVertex3f(right, bottom, z);
    glVertex3f(right, top, z);
    glVertex3f(left, top, z);
    glEnd();
}

void ModeDrawShadedQuad(float left, float bottom, float right, float top, const float bottomColor[4],
                        const float topColor[4])
{
    glBegin(GL_QUADS);
    glColor4fv(bottomColor);
    glVertex2f(left, bottom);
    glVertex2f(right, bottom);
    glColor4fv(topColor);
    glVertex2f(right, top);
    glVertex2f(left, top);
    glEnd();
}

void ModeDrawTexturedQuad(float left, float bottom, float right, float top, float s0, float t0, float s1,
                          float t1, float z)
{
    glBegin(GL_QUADS);
    glTexCoord2f(s0, t0);
    glVertex3f(left, bottom, z);
    glTexCoord2f(s1, t0);
    glVertex3f(right, bottom, z);
    glTexCoord2f(s1, t1);
    glVertex3f(right, top, z);
    glTexCoord2f(s0, t1);
    glVertex3f(left, top, z);
    glEnd();
}

void ModeDrawBackground(OpenGLWindow *window)
{
    static const float kBottom[4] = {0.6f, 0.6f, 0.9f, 1.0f};
    static const float kTop[4] = {1.0f, 1.0f, 0.3f, 1.0f};
    float ratio = OpenGLWindowGetRatio(window);
    ShaderDisable();
    ModeDrawShadedQuad(-ratio, -1, ratio, 1, kBottom, kTop);
    glColor4f(1, 1, 1, 1);
}
