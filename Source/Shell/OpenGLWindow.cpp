#include "OpenGLWindow.h"

#include "Image.h"
#include "Folders.h"
#include "Preferences.h"
#include "Utilities.h"
#include "Window.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

static OpenGLWindowImageWriter imageWriter = nullptr;

static constexpr int32_t kMultisampleSamples = 4;

static int32_t Dispatch(OpenGLWindow *window, int32_t type)
{
    return CallbackControllerDispatchCallback(window->callbacks, type, window);
}

static PlatformGLContext *ActiveContext(OpenGLWindow *window)
{
    return window->fullScreen ? window->fullScreenContext : window->windowedContext;
}

// The pixel format belongs to the window, so a context without anti-aliasing
// needs a window without it.  Replaces the window by one without samples.
static bool DropMultisampling(OpenGLWindow *window)
{
    PlatformWindow *plain = PlatformWindowCreateLike(window->window, 0);
    if (!plain)
        return false;
    PlatformWindowDispose(window->window);
    window->window = plain;
    return true;
}

// Makes the single context (if any) the one for the wanted state.
static PlatformGLContext *TakeContext(OpenGLWindow *window)
{
    PlatformGLContext *context = window->windowedContext ? window->windowedContext : window->fullScreenContext;
    window->windowedContext = nullptr;
    window->fullScreenContext = nullptr;
    if (context)
        return context;
    context = PlatformGLContextCreate(window->window, nullptr);
    if (!context && window->fsaa) {
        // Refused with anti-aliasing: silently go on without it.
        window->fsaa = false;
        if (DropMultisampling(window))
            context = PlatformGLContextCreate(window->window, nullptr);
    }
    return context;
}

static void RememberSize(OpenGLWindow *window)
{
    int32_t left, top;
    PlatformWindowGetContentBounds(window->window, &left, &top, &window->lastWidth, &window->lastHeight);
}

static bool WindowEventHandler(const PlatformEvent *event, void *context)
{
    OpenGLWindow *window = static_cast<OpenGLWindow *>(context);
    switch (event->kind) {
    case kEventWindowDrawContent:
        Dispatch(window, kOpenGLWindowCallbackDraw);
        return false;
    case kEventWindowBoundsChanged: {
        int32_t left, top, width, height;
        PlatformWindowGetContentBounds(window->window, &left, &top, &width, &height);
        bool sizeChanged = event->sizeChanged || width != window->lastWidth || height != window->lastHeight;
        if (!sizeChanged)
            return false;
        window->lastWidth = width;
        window->lastHeight = height;
        // The context follows the window's size by itself here.
        OpenGLWindowSetUpViewport(window);
        if (window->projectionMode == kProjectionPerspective)
            OpenGLWindowSetPerspective(window);
        else if (window->projectionMode == kProjectionOrthographic)
            OpenGLWindowSetOrtho(window);
        Dispatch(window, kOpenGLWindowCallbackBoundsChanged);
        Dispatch(window, kOpenGLWindowCallbackDraw);
        return true;
    }
    case kEventWindowClose:
        return Dispatch(window, kOpenGLWindowCallbackClose) == 0;
    case kEventWindowCollapsing:
        OpenGLWindowCopyGLToWindowPort(window);
        return Dispatch(window, kOpenGLWindowCallbackCollapse) == 0;
    case kEventWindowExpanding:
        return Dispatch(window, kOpenGLWindowCallbackExpand) == 0;
    default:
        return false;
    }
}

OpenGLWindow *OpenGLWindowAllocate(const char *title, int32_t width, int32_t height, bool startFullScreen,
                                   bool fsaa, int32_t projectionMode)
{
    PlatformWindow *platformWindow = PlatformWindowCreate(title, width, height, fsaa ? kMultisampleSamples : 0);
    if (!platformWindow && fsaa) {
        fsaa = false;
        platformWindow = PlatformWindowCreate(title, width, height, 0);
    }
    if (!platformWindow)
        return nullptr;
    OpenGLWindow *window = new OpenGLWindow{};
    window->window = platformWindow;
    window->callbacks = CallbackControllerAllocate();
    window->fsaa = fsaa;
    window->projectionMode = projectionMode;
    int32_t value = 0;
    PrefsGetValue(3, &value);
    window->vblSyncWindowed = value ? 1 : 0;
    PrefsGetValue(4, &value);
    window->vblSyncFullScreen = value ? 1 : 0;
    OpenGLWindowSetWindowed(window);
    if (!window->windowedContext) {
        CallbackControllerDispose(window->callbacks);
        PlatformWindowDispose(window->window);
        delete window;
        return nullptr;
    }
    if (startFullScreen)
        OpenGLWindowToggleFullScreen(window);
    RememberSize(window);
    static const int32_t kinds[] = {kEventWindowClose, kEventWindowCollapsing, kEventWindowExpanding,
                                    kEventWindowBoundsChanged, kEventWindowDrawContent};
    window->eventHandler =
        PlatformInstallEventHandler(kTargetWindow, kinds, int32_t(std::size(kinds)), WindowEventHandler, window);
    return window;
}

void OpenGLWindowDispose(OpenGLWindow *window)
{
    if (!window)
        return;
    PlatformWindowHide(window->window);
    if (window->fullScreen)
        OpenGLWindowToggleFullScreen(window);
    PlatformRemoveEventHandler(window->eventHandler);
    PlatformGLContextDispose(window->windowedContext);
    PlatformGLContextDispose(window->fullScreenContext);
    CallbackControllerDispose(window->callbacks);
    PlatformWindowDispose(window->window);
    delete window;
}

CallbackController *OpenGLWindowGetCallbackController(OpenGLWindow *window)
{
    return window->callbacks;
}

bool OpenGLWindowIsFullScreen(OpenGLWindow *window)
{
    return window && window->fullScreen;
}

void OpenGLWindowToggleFullScreen(OpenGLWindow *window)
{
    // The desktop offers no display fade, so the switch happens unfaded.
    if (window->fullScreen)
        OpenGLWindowSetWindowed(window);
    else
        OpenGLWindowSetFullScreen(window);
    Dispatch(window, kOpenGLWindowCallbackBoundsChanged);
    Dispatch(window, kOpenGLWindowCallbackFullScreenSwitched);
}

void OpenGLWindowSetWindowed(OpenGLWindow *window)
{
    if (PlatformWindowIsCollapsed(window->window))
        Dispatch(window, kOpenGLWindowCallbackCollapse);
    if (window->fullScreen)
        PlatformWindowSetFullScreen(window->window, false);
    PlatformGLContext *context = TakeContext(window);
    window->windowedContext = context;
    window->fullScreen = false;
    if (!context)
        return;
    PlatformGLContextMakeCurrent(window->window, context);
    PlatformGLSetSwapInterval(window->vblSyncWindowed); // refused without swap control: no matter
    OpenGLWindowSetUpOpenGL(window);
    glClear(GL_COLOR_BUFFER_BIT);
    GLenum error = glGetError();
    if (error != GL_NO_ERROR) {
        std::printf("AGL error on window setup: %d\n", int(error));
        std::fflush(stdout);
        PlatformBeep();
    }
}

void OpenGLWindowSetFullScreen(OpenGLWindow *window)
{
    PlatformGLContext *context = TakeContext(window);
    window->fullScreenContext = context;
    int32_t error = context ? PlatformWindowSetFullScreen(window->window, true) : -1;
    if (error != 0) {
        std::printf("aglSetFullScreen failed: %d\n", int(error));
        std::fflush(stdout);
        PlatformBeep();
        OpenGLWindowSetWindowed(window);
        return;
    }
    PlatformGLContextMakeCurrent(window->window, context);
    PlatformGLSetSwapInterval(window->vblSyncFullScreen);
    window->fullScreen = true;
    OpenGLWindowSetUpOpenGL(window);
    glClear(GL_COLOR_BUFFER_BIT);
    if (PlatformWindowIsCollapsed(window->window))
        Dispatch(window, kOpenGLWindowCallbackExpand);
}

void OpenGLWindowSetFSAAEnabled(OpenGLWindow *window, bool enabled)
{
    bool before = PlatformWindowSamples(window->window) > 0;
    window->fsaa = enabled;
    if (!window->fullScreen)
        OpenGLWindowCopyGLToWindowPort(window);
    // A new window with the new pixel format and a context sharing textures
    // and display lists with the old one; then the old ones go.
    PlatformWindow *replacement = PlatformWindowCreateLike(window->window, enabled ? kMultisampleSamples : 0);
    PlatformGLContext *old = ActiveContext(window);
    PlatformGLContext *context = replacement ? PlatformGLContextCreate(replacement, old) : nullptr;
    if (!context) {
        // The old context stays, and so does its anti-aliasing.
        PlatformWindowDispose(replacement);
        window->fsaa = before;
        if (old)
            PlatformGLContextMakeCurrent(window->window, old);
        return;
    }
    PlatformGLContextDispose(old);
    PlatformWindowDispose(window->window);
    window->window = replacement;
    if (window->fullScreen)
        window->fullScreenContext = context;
    else
        window->windowedContext = context;
    PlatformGLContextMakeCurrent(window->window, context);
    PlatformGLSetSwapInterval(window->fullScreen ? window->vblSyncFullScreen : window->vblSyncWindowed);
    OpenGLWindowSetUpOpenGL(window);
    glClear(GL_COLOR_BUFFER_BIT);
    RememberSize(window);
}

void OpenGLWindowSetVBLSyncEnabled(OpenGLWindow *window, bool forFullScreen, bool enabled)
{
    int32_t interval = enabled ? 1 : 0;
    if (forFullScreen) {
        window->vblSyncFullScreen = interval;
        if (window->fullScreenContext && window->fullScreen)
            PlatformGLSetSwapInterval(interval);
    } else {
        window->vblSyncWindowed = interval;
        if (window->windowedContext && !window->fullScreen)
            PlatformGLSetSwapInterval(interval);
    }
}

Rect4f OpenGLWindowGetBounds(OpenGLWindow *window)
{
    int32_t left = 0, top = 0, width = 0, height = 0;
    if (window->fullScreen) {
        PlatformWindowGetDisplaySize(window->window, &width, &height);
    } else {
        PlatformWindowGetContentBounds(window->window, &left, &top, &width, &height);
    }
    Rect4f r;
    r.left = float(left);
    r.top = float(top);
    r.right = float(left + width);
    r.bottom = float(top + height);
    return r;
}

float OpenGLWindowGetRatio(OpenGLWindow *window)
{
    Rect4f r = OpenGLWindowGetBounds(window);
    float height = r.bottom - r.top;
    if (height <= 0.0f)
        return 1.0f;
    return (r.right - r.left) / height;
}

void OpenGLWindowSetUpViewport(OpenGLWindow *window)
{
    Rect4f r = OpenGLWindowGetBounds(window);
    glViewport(0, 0, GLsizei(r.right - r.left), GLsizei(r.bottom - r.top));
}

void OpenGLWindowSetPerspective(OpenGLWindow *window)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, double(OpenGLWindowGetRatio(window)), 1.5, 1000.0);
    glMatrixMode(GL_MODELVIEW);
}

void OpenGLWindowSetOrtho(OpenGLWindow *window)
{
    double ratio = OpenGLWindowGetRatio(window);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-ratio, ratio, -1.0, 1.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
}

void OpenGLWindowSetUpOpenGL(OpenGLWindow *window)
{
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glEnable(GL_ALPHA_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glEnable(GL_COLOR_MATERIAL);
    if (window->fsaa)
        glEnable(GL_MULTISAMPLE);
    else
        glDisable(GL_MULTISAMPLE);
    glCullFace(GL_BACK);
    glAlphaFunc(GL_GREATER, 0.0f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthFunc(GL_LEQUAL);
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    glClearStencil(0);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    OpenGLWindowSetUpViewport(window);
    if (window->projectionMode == kProjectionPerspective)
        OpenGLWindowSetPerspective(window);
    else if (window->projectionMode == kProjectionOrthographic)
        OpenGLWindowSetOrtho(window);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void OpenGLWindowSwapBuffers(OpenGLWindow *window)
{
    PlatformGLSwapBuffers(window->window);
}

void OpenGLWindowCopyGLToWindowPort(OpenGLWindow *)
{
    // The desktop window shows the drawing context's own image, also while
    // minimised and while a context is replaced; there is no separate
    // backing store to copy it into.
}

int32_t OpenGLWindowFindSnapshotFile(const fs::path &folder, fs::path *out)
{
    std::error_code error;
    if (!fs::is_directory(folder, error))
        return 2;
    for (int32_t number = 1; number <= kSnapshotMaxNumber; number++) {
        fs::path candidate = folder / ("Picture " + std::to_string(number) + ".png");
        fs::file_status status = fs::symlink_status(candidate, error);
        if (error && status.type() != fs::file_type::not_found)
            return 2;
        if (status.type() == fs::file_type::not_found) {
            *out = candidate;
            return 0;
        }
    }
    return 1;
}

void OpenGLWindowSetImageWriter(OpenGLWindowImageWriter writer)
{
    imageWriter = writer;
}

void OpenGLWindowTakeSnapshot(OpenGLWindow *window, bool keepAlpha)
{
    // The image codec writes 24-bit colour only, so the alpha channel is
    // dropped either way.
    (void)keepAlpha;
    Rect4f bounds = OpenGLWindowGetBounds(window);
    int32_t width = int32_t(bounds.right - bounds.left);
    int32_t height = int32_t(bounds.bottom - bounds.top);
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) {
        PlatformBeep();
        return;
    }
    // The colour buffer that the modes draw into holds the last frame.
    std::vector<uint8_t> pixels(size_t(width) * size_t(height) * 4);
    GLint readBuffer = GL_BACK;
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels.data());
    glReadBuffer(GLenum(readBuffer));
    flipImageY(pixels.data(), width * 4, height);

    fs::path file;
    int32_t found = OpenGLWindowFindSnapshotFile(PlatformDesktopFolder(), &file);
    if (found != 0) {
        PlatformBeep();
        if (found == 2)
            PlatformBeep();
        return;
    }
    std::vector<uint8_t> rgb(size_t(width) * size_t(height) * 3);
    for (size_t i = 0, n = size_t(width) * size_t(height); i < n; i++) {
        // BGRA bytes in memory.
        rgb[i * 3 + 0] = pixels[i * 4 + 2];
        rgb[i * 3 + 1] = pixels[i * 4 + 1];
        rgb[i * 3 + 2] = pixels[i * 4 + 0];
    }
    OpenGLWindowImageWriter writer = imageWriter ? imageWriter : PlatformWritePNG;
    if (!writer(file, width, height, rgb.data())) {
        PlatformBeep();
        std::fprintf(stderr, "brimhold: the snapshot could not be saved as \"%s\"\n", file.c_str());
    }
}
