// What every mode of the application controller repeats: the repeating
// timer of 1/120 s and the nesting count of suspensions that parks it, the
// freeze / defrost pair, the fixed steps of a timer firing, and drawing over
// the view (the orthographic overlay, plain, shaded and textured quads).
//
// The modes keep their own records; these functions work on the record's
// fields through a `ModeParts` that names them, so a mode builds one in a
// small helper and passes it by value:
//
//     ModeParts Parts(SplashScreen *screen)
//     {
//         static const int32_t kinds[] = {kEventRawKeyDown, kEventMouseDown};
//         return ModeParts{"SplashScreen", &screen->suspendCount, &screen->timer,
//                          &screen->inputHandler, &screen->frozen,
//                          kinds, 2, InputHandler, screen};
//     }
//     void SplashScreenSuspend(SplashScreen *screen) { ModeSuspend(Parts(screen)); }
//     void SplashScreenResume(SplashScreen *screen) { ModeResume(Parts(screen)); }
//
// A mode without an input handler or a frozen flag leaves those null.
#pragma once

#include "Events.h"

#include <cstdint>

struct OpenGLWindow;

// The timer interval and simulation step, and the most time that one firing
// simulates (10 steps); the rest of a longer stall is dropped.
constexpr double kModeStep = 1.0 / 120.0;
constexpr float kModeStepFloat = 1.0f / 120.0f;
constexpr double kModeMaxTimePerFiring = 1.0 / 12.0;

struct ModeParts {
    const char *name;                 // the mode's prefix, "SplashScreen"; names the anomaly line
    int32_t *suspendCount;            // nesting count; the timer runs only at 0
    PlatformTimerRef *timer;          // the mode's repeating timer (0: none)
    PlatformEventHandlerRef *handler; // the input handler (0: not installed), or null
    bool *frozen;                     // covered by another mode, or null
    const int32_t *handlerKinds;      // what the input handler listens to
    int32_t handlerKindCount;
    PlatformEventHandlerProc handlerProc;
    void *context;                    // the mode's record, passed to the handler
};

// ---- Timer and suspension ----

// Installs the mode's timer: first firing at once, then every 1/120 s.
PlatformTimerRef ModeInstallTimer(PlatformTimerProc proc, void *context);
// Removes *timer if there is one and clears it.
void ModeRemoveTimer(PlatformTimerRef *timer);

// Counts one suspension up; the first one parks the timer (its next firing
// "never").  True when this was the first suspension.
bool ModeSuspend(ModeParts parts);
// Counts one suspension down; on reaching 0 the timer fires again after
// 1/120 s and the answer is true.  At a count of 0 nothing changes: prints
// "Anomaly: <name>Resume called when not suspended" and answers false.
bool ModeResume(ModeParts parts);

// ---- Input handler ----

// Installs the handler of parts unless it is installed already.
void ModeInstallHandler(ModeParts parts);
// Removes the handler if it is installed and clears it.
void ModeRemoveHandler(ModeParts parts);

// ---- Freeze and defrost ----

// Another mode was pushed on top: suspend, remove the input handler, frozen.
void ModeFreeze(ModeParts parts);
// The mode on top was popped: install the input handler again, resume, not
// frozen.
void ModeDefrost(ModeParts parts);

// ---- Fixed steps ----

// One step of a mode; false ends this firing's steps early.
typedef bool (*ModeStepProc)(void *context);
// Adds the time since *lastTickTime to *leftoverTime (at most 1/12 s in all),
// sets *lastTickTime to now, and runs step once for every whole 1/120 s of
// it; what is left (less than one step, or what an early end left) stays in
// *leftoverTime.  Answers the number of steps run.
int32_t ModeRunSteps(double now, double *lastTickTime, double *leftoverTime, ModeStepProc step, void *context);

// Prints the graphics library's pending error, if any, as one line: prefix
// then the error text.
void ModePrintGLError(const char *prefix);

// ---- Drawing over the view ----

// Saves the projection and sets the window's orthographic one (x from -ratio
// to ratio, y from -1 to 1), saves the model-view matrix and loads the
// identity, and turns depth test and lighting off.
void ModeBeginOverlay(OpenGLWindow *window);
// Turns depth test and lighting on and restores both matrices; the matrix
// mode is the model-view one afterwards.
void ModeEndOverlay();

// A quad in the plane z in the current colour.
void ModeDrawQuad(float left, float bottom, float right, float top, float z = 0.0f);
// A quad whose colour goes from bottomColor along the lower edge to topColor
// along the upper edge (RGBA each).
void ModeDrawShadedQuad(float left, float bottom, float right, float top, const float bottomColor[4],
                        const float topColor[4]);
// A textured quad: texture (s0, t0) at the lower left corner, (s1, t1) at the
// upper right.
void ModeDrawTexturedQuad(float left, float bottom, float right, float top, float s0, float t0, float s1,
                          float t1, float z = 0.0f);
// The background of the title and preferences screens over the whole
// overlay: (0.6, 0.6, 0.9) at the bottom to (1, 1, 0.3) at the top, then
// white.
void ModeDrawBackground(OpenGLWindow *window);
