// The program's one window and its drawing context: windowed or full screen,
// anti-aliasing and vertical-blank sync from the preferences, the fixed
// graphics state, viewport and projection, frames, snapshots, and window
// events reported through the window's callbacks:
//   0 collapsed (or back to windowed while collapsed)
//   1 expanded (or switched to full screen while collapsed)
//   2 the content must be drawn (also after a size change)
//   3 the user asked to close the window
//   4 the drawing area's size changed (resize, every full-screen switch)
//   5 a switch between windowed and full screen has completed
#pragma once

#include "CallbackController.h"
#include "Events.h"
#include "Types.h"

#include <cstdint>
#include <filesystem>

struct PlatformWindow;
struct PlatformGLContext;

enum : int32_t {
    kOpenGLWindowCallbackCollapse = 0,
    kOpenGLWindowCallbackExpand = 1,
    kOpenGLWindowCallbackDraw = 2,
    kOpenGLWindowCallbackClose = 3,
    kOpenGLWindowCallbackBoundsChanged = 4,
    kOpenGLWindowCallbackFullScreenSwitched = 5,
};

enum : int32_t {
    kProjectionPerspective = 0,
    kProjectionOrthographic = 1,
};

struct OpenGLWindow {
    PlatformWindow *window;
    PlatformGLContext *windowedContext;   // the context while windowed
    PlatformGLContext *fullScreenContext; // the context while full screen
    bool fullScreen;
    int32_t vblSyncWindowed;
    int32_t vblSyncFullScreen;
    bool fsaa;
    int32_t projectionMode; // 0 perspective, 1 orthographic, other: left alone
    CallbackController *callbacks;
    PlatformEventHandlerRef eventHandler;
    int32_t lastWidth, lastHeight; // content size at the last bounds change
};

// Null when no window with a drawing context can be made.
OpenGLWindow *OpenGLWindowAllocate(const char *title, int32_t width, int32_t height, bool startFullScreen,
                                   bool fsaa, int32_t projectionMode);
void OpenGLWindowDispose(OpenGLWindow *window);
CallbackController *OpenGLWindowGetCallbackController(OpenGLWindow *window);
bool OpenGLWindowIsFullScreen(OpenGLWindow *window);
void OpenGLWindowToggleFullScreen(OpenGLWindow *window);
void OpenGLWindowSetWindowed(OpenGLWindow *window);
void OpenGLWindowSetFullScreen(OpenGLWindow *window);
void OpenGLWindowSetFSAAEnabled(OpenGLWindow *window, bool enabled);
void OpenGLWindowSetVBLSyncEnabled(OpenGLWindow *window, bool forFullScreen, bool enabled);
// Full screen: (0, 0, display width, display height); windowed: the content
// rectangle in global screen pixels (top < bottom, y down).
Rect4f OpenGLWindowGetBounds(OpenGLWindow *window);
// Width / height of the bounds.
float OpenGLWindowGetRatio(OpenGLWindow *window);
void OpenGLWindowSetUpViewport(OpenGLWindow *window);
void OpenGLWindowSetPerspective(OpenGLWindow *window);
void OpenGLWindowSetOrtho(OpenGLWindow *window);
void OpenGLWindowSetUpOpenGL(OpenGLWindow *window);
void OpenGLWindowSwapBuffers(OpenGLWindow *window);
void OpenGLWindowCopyGLToWindowPort(OpenGLWindow *window);
void OpenGLWindowTakeSnapshot(OpenGLWindow *window, bool keepAlpha);

// Snapshot files: "Picture 1.png" to "Picture 98.png" in the folder.
constexpr int32_t kSnapshotMaxNumber = 98;
// The first free snapshot name in folder.  0 with the path; 1 when all 98
// are taken; 2 when the folder is missing or cannot be looked into.
int32_t OpenGLWindowFindSnapshotFile(const std::filesystem::path &folder, std::filesystem::path *out);
// Who writes the snapshot's PNG (24-bit RGB rows, top row first); the image
// codec by default.  Tests install their own.  Null restores the default.
typedef bool (*OpenGLWindowImageWriter)(const std::filesystem::path &file, int32_t width, int32_t height,
                                        const uint8_t *rgbRows);
void OpenGLWindowSetImageWriter(OpenGLWindowImageWriter writer);
