// The program's window and its OpenGL drawing contexts on the desktop.
// Every context asks for OpenGL 2.1 compatibility with RGBA, a double
// buffer, a 24-bit depth and an 8-bit stencil buffer; the pixel format
// (multisampling) belongs to the window, so a change of anti-aliasing makes a
// new window.  Full screen is the desktop's full-screen mode of the same
// window and context.
#pragma once

#include <cstdint>

struct PlatformWindow;
struct PlatformGLContext;

// Creates a window whose content is width x height pixels, centred on the
// main display, resizable, with the title, and shows it.  samples > 0 asks
// for a multisampled pixel format with that many samples.  Null when the
// window or its pixel format cannot be had.
PlatformWindow *PlatformWindowCreate(const char *title, int32_t width, int32_t height, int32_t samples);
// Like PlatformWindowCreate, at the other window's place and size.
PlatformWindow *PlatformWindowCreateLike(PlatformWindow *other, int32_t samples);
void PlatformWindowDispose(PlatformWindow *window);
void PlatformWindowHide(PlatformWindow *window);
void PlatformWindowRaise(PlatformWindow *window);
int32_t PlatformWindowSamples(PlatformWindow *window);
const char *PlatformWindowGetTitle(PlatformWindow *window);
void PlatformWindowSetTitle(PlatformWindow *window, const char *title);

// The content rectangle in global screen pixels (y down).
void PlatformWindowGetContentBounds(PlatformWindow *window, int32_t *left, int32_t *top, int32_t *width,
                                    int32_t *height);
// The size of the drawing area in pixels.
void PlatformWindowGetDrawableSize(PlatformWindow *window, int32_t *width, int32_t *height);
// The size of the display that holds the window.
void PlatformWindowGetDisplaySize(PlatformWindow *window, int32_t *width, int32_t *height);
void PlatformWindowSetContentSize(PlatformWindow *window, int32_t width, int32_t height);
bool PlatformWindowIsCollapsed(PlatformWindow *window);
// False while the window is minimised or hidden: nothing drawn in it shows.
bool PlatformWindowIsShowing(PlatformWindow *window);
void PlatformWindowCollapse(PlatformWindow *window);
void PlatformWindowExpand(PlatformWindow *window);
// Desktop full screen on or off.  Returns 0, or the platform's error code.
int32_t PlatformWindowSetFullScreen(PlatformWindow *window, bool fullScreen);

// A context for the window's pixel format, sharing textures and display
// lists with shareWith when given.  Null on failure.
PlatformGLContext *PlatformGLContextCreate(PlatformWindow *window, PlatformGLContext *shareWith);
void PlatformGLContextDispose(PlatformGLContext *context);
bool PlatformGLContextMakeCurrent(PlatformWindow *window, PlatformGLContext *context);
// False when the platform refuses (no swap control); that is no error.
bool PlatformGLSetSwapInterval(int32_t interval);
void PlatformGLSwapBuffers(PlatformWindow *window);

// Limits of the display that tests impose to play a lesser graphics
// device: at most maxSamples samples per pixel (-1: whatever the device
// offers) and, with fullScreenRefused, no full screen.
struct PlatformDisplayLimits {
    int32_t maxSamples;
    bool fullScreenRefused;
};
void PlatformSetDisplayLimits(const PlatformDisplayLimits &limits);

// The last window created and still alive (alerts use it as their parent).
PlatformWindow *PlatformMainWindow();
