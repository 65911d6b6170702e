// The desktop platform on SDL2: events and the clock for the event loop,
// windows with OpenGL contexts, the cursor, keyboard layout and alerts.
#include "EventSource.h"
#include "Events.h"
#include "Keyboard.h"
#include "Utilities.h"
#include "Window.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <ctime>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

struct PlatformWindow {
    SDL_Window *sdl;
    int32_t samples;
    bool collapsed;
};

struct PlatformGLContext {
    SDL_GLContext gl;
    PlatformWindow *window; // the window it was made for (to make it current)
};

namespace {

std::vector<PlatformWindow *> windows;
bool desktopStarted = false;
PlatformDisplayLimits displayLimits = {-1, false};
bool applicationActive = false;
const auto clockStart = std::chrono::steady_clock::now();
// The game controllers that are open, by SDL instance number.
std::vector<SDL_GameController *> pads;

// ---- Video subsystem -------------------------------------------------------

bool EnsureVideo()
{
    if (SDL_WasInit(SDL_INIT_VIDEO))
        return true;
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // The window's class ties it to the desktop entry (StartupWMClass), even
    // when the executable has another name.
    setenv("SDL_VIDEO_X11_WMCLASS", "brimhold", 0);
    setenv("SDL_VIDEO_WAYLAND_WMCLASS", "brimhold", 0);
    // With no display named at all there is nothing to try (and the drivers
    // would only print their own complaints).
    const char *display = std::getenv("DISPLAY");
    const char *wayland = std::getenv("WAYLAND_DISPLAY");
    const char *asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    if (!(display && *display) && !(wayland && *wayland) && !(asked && *asked))
        return false;
    // A display server that is busy can refuse a connection for a moment,
    // and SDL then falls back to its offscreen driver, which draws where
    // nobody sees it: that counts as no window, unless asked for by name
    // (SDL_VIDEODRIVER=offscreen or the hint, as tests without a display do).
    // Try a few times before giving up.
    for (int attempt = 0; attempt < 5; attempt++) {
        if (attempt > 0)
            SDL_Delay(300);
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
            continue;
        const char *driver = SDL_GetCurrentVideoDriver();
        bool invisible = driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
        if (!invisible || (asked && std::strcmp(asked, driver) == 0))
            return true;
        std::string name = driver;
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        SDL_SetError("only the invisible %s video driver is available", name.c_str());
    }
    return false;
}

// Why the video subsystem did not start, in words for the one line printed.
std::string VideoFailureReason()
{
    const char *display = std::getenv("DISPLAY");
    const char *wayland = std::getenv("WAYLAND_DISPLAY");
    const char *driver = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    if (!(display && *display) && !(wayland && *wayland) && !(driver && *driver))
        return "no display (neither DISPLAY nor WAYLAND_DISPLAY is set)";
    std::string reason = SDL_GetError();
    if (display && *display)
        reason += std::string(reason.empty() ? "" : "; ") + "DISPLAY is " + display;
    return reason.empty() ? "the video driver did not start" : reason;
}

PlatformWindow *FindWindow(Uint32 id)
{
    for (PlatformWindow *w : windows)
        if (SDL_GetWindowID(w->sdl) == id)
            return w;
    return nullptr;
}

// ---- Event source -----------------------------------------------------------

double Now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - clockStart).count();
}

uint32_t ModifiersFromSDL(Uint16 mod)
{
    uint32_t m = 0;
    if (mod & KMOD_SHIFT)
        m |= kModifierShift;
    if (mod & KMOD_CAPS)
        m |= kModifierCapsLock;
    if (mod & KMOD_ALT)
        m |= kModifierAlt;
    if (mod & KMOD_CTRL)
        m |= kModifierControl;
    return m;
}

uint32_t CurrentModifiers()
{
    return ModifiersFromSDL(Uint16(SDL_GetModState()));
}

void GlobalMouse(Uint32 windowId, int x, int y, Point2f *out)
{
    int wx = 0, wy = 0;
    PlatformWindow *w = FindWindow(windowId);
    if (w)
        SDL_GetWindowPosition(w->sdl, &wx, &wy);
    *out = Point2f{float(wx + x), float(wy + y)};
}

// Turns an SDL event into one of ours; false for events the program ignores.
// SDL's button and axis numbers as the platform's; -1 for one the game does
// not know (newer SDL versions add paddles, touchpads and more).
int32_t PadButtonFromSDL(Uint8 button)
{
    switch (button) {
    case SDL_CONTROLLER_BUTTON_A: return kPadButtonA;
    case SDL_CONTROLLER_BUTTON_B: return kPadButtonB;
    case SDL_CONTROLLER_BUTTON_X: return kPadButtonX;
    case SDL_CONTROLLER_BUTTON_Y: return kPadButtonY;
    case SDL_CONTROLLER_BUTTON_BACK: return kPadButtonBack;
    case SDL_CONTROLLER_BUTTON_GUIDE: return kPadButtonGuide;
    case SDL_CONTROLLER_BUTTON_START: return kPadButtonStart;
    case SDL_CONTROLLER_BUTTON_LEFTSTICK: return kPadButtonLeftStick;
    case SDL_CONTROLLER_BUTTON_RIGHTSTICK: return kPadButtonRightStick;
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER: return kPadButtonLeftShoulder;
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER: return kPadButtonRightShoulder;
    case SDL_CONTROLLER_BUTTON_DPAD_UP: return kPadButtonDPadUp;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: return kPadButtonDPadDown;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: return kPadButtonDPadLeft;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: return kPadButtonDPadRight;
    default: return -1;
    }
}

int32_t PadAxisFromSDL(Uint8 axis)
{
    switch (axis) {
    case SDL_CONTROLLER_AXIS_LEFTX: return kPadAxisLeftX;
    case SDL_CONTROLLER_AXIS_LEFTY: return kPadAxisLeftY;
    case SDL_CONTROLLER_AXIS_RIGHTX: return kPadAxisRightX;
    case SDL_CONTROLLER_AXIS_RIGHTY: return kPadAxisRightY;
    case SDL_CONTROLLER_AXIS_TRIGGERLEFT: return kPadAxisTriggerLeft;
    case SDL_CONTROLLER_AXIS_TRIGGERRIGHT: return kPadAxisTriggerRight;
    default: return -1;
    }
}

// Opens a controller that was plugged in (or found at start-up); the
// instance number identifies it in its events.  False for a joystick that
// SDL knows no controller mapping for.
bool OpenPad(int deviceIndex, int32_t *instance)
{
    if (!SDL_IsGameController(deviceIndex))
        return false;
    SDL_GameController *pad = SDL_GameControllerOpen(deviceIndex);
    if (!pad)
        return false;
    *instance = int32_t(SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad)));
    pads.push_back(pad);
    return true;
}

bool ClosePad(int32_t instance)
{
    for (size_t i = 0; i < pads.size(); i++) {
        if (SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pads[i])) == instance) {
            SDL_GameControllerClose(pads[i]);
            pads.erase(pads.begin() + std::ptrdiff_t(i));
            return true;
        }
    }
    return false;
}

bool Translate(const SDL_Event &e, PlatformEvent *out)
{
    *out = PlatformEvent{};
    out->time = Now();
    switch (e.type) {
    case SDL_QUIT:
        // A request from outside (a signal, the session ending).
        out->kind = kEventCommandProcess;
        out->command = 'quit';
        return true;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        int32_t keyCode = int32_t(e.key.keysym.scancode);
        out->keyCode = keyCode;
        out->modifiers = ModifiersFromSDL(e.key.keysym.mod);
        if (PlatformKeyCodeIsModifier(keyCode)) {
            out->kind = kEventRawKeyModifiersChanged;
            return true;
        }
        out->kind = e.type == SDL_KEYUP ? kEventRawKeyUp : (e.key.repeat ? kEventRawKeyRepeat : kEventRawKeyDown);
        out->charCode = PlatformKeyCodeToCharCode(keyCode, out->modifiers);
        return true;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        out->kind = e.type == SDL_MOUSEBUTTONDOWN ? kEventMouseDown : kEventMouseUp;
        out->button = e.button.button;
        out->modifiers = CurrentModifiers();
        GlobalMouse(e.button.windowID, e.button.x, e.button.y, &out->mouse);
        return true;
    case SDL_MOUSEMOTION:
        out->kind = e.motion.state ? kEventMouseDragged : kEventMouseMoved;
        out->modifiers = CurrentModifiers();
        GlobalMouse(e.motion.windowID, e.motion.x, e.motion.y, &out->mouse);
        return true;
    case SDL_WINDOWEVENT: {
        PlatformWindow *w = FindWindow(e.window.windowID);
        if (!w)
            return false;
        switch (e.window.event) {
        case SDL_WINDOWEVENT_EXPOSED:
            out->kind = kEventWindowDrawContent;
            return true;
        case SDL_WINDOWEVENT_MINIMIZED:
            if (w->collapsed)
                return false;
            w->collapsed = true;
            out->kind = kEventWindowCollapsing;
            return true;
        case SDL_WINDOWEVENT_RESTORED:
            if (!w->collapsed)
                return false;
            w->collapsed = false;
            out->kind = kEventWindowExpanding;
            return true;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_MOVED:
            out->kind = kEventWindowBoundsChanged;
            out->sizeChanged = e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED;
            PlatformWindowGetContentBounds(w, &out->boundsLeft, &out->boundsTop, &out->boundsWidth,
                                           &out->boundsHeight);
            return true;
        case SDL_WINDOWEVENT_CLOSE:
            out->kind = kEventWindowClose;
            return true;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            // One activation for the application, however focus moves among
            // its windows.
            if (applicationActive)
                return false;
            applicationActive = true;
            out->kind = kEventAppActivated;
            return true;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            if (!applicationActive || SDL_GetKeyboardFocus() != nullptr)
                return false;
            applicationActive = false;
            out->kind = kEventAppDeactivated;
            return true;
        default:
            return false;
        }
    }
    case SDL_CONTROLLERDEVICEADDED:
        out->kind = kEventPadAdded;
        return OpenPad(e.cdevice.which, &out->pad);
    case SDL_CONTROLLERDEVICEREMOVED:
        out->kind = kEventPadRemoved;
        out->pad = int32_t(e.cdevice.which);
        return ClosePad(out->pad);
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
        out->kind = e.type == SDL_CONTROLLERBUTTONDOWN ? kEventPadButtonDown : kEventPadButtonUp;
        out->pad = int32_t(e.cbutton.which);
        out->padControl = PadButtonFromSDL(e.cbutton.button);
        return out->padControl >= 0;
    case SDL_CONTROLLERAXISMOTION:
        out->kind = kEventPadAxisMoved;
        out->pad = int32_t(e.caxis.which);
        out->padControl = PadAxisFromSDL(e.caxis.axis);
        out->padValue = e.caxis.value;
        return out->padControl >= 0;
    default:
        return false;
    }
}

bool Poll(PlatformEvent *out)
{
    SDL_Event e;
    while (SDL_PollEvent(&e))
        if (Translate(e, out))
            return true;
    return false;
}

int32_t Wait(double deadline, PlatformEvent *out)
{
    for (;;) {
        SDL_Event e;
        int got;
        if (std::isinf(deadline)) {
            got = SDL_WaitEvent(&e);
        } else {
            double remaining = deadline - Now();
            if (remaining <= 0.0)
                return 0;
            // Rounded up, so that the wait never ends before the deadline
            // and the loop does not spin on a sub-millisecond remainder.
            double ms = std::ceil(remaining * 1000.0);
            got = SDL_WaitEventTimeout(&e, int(std::min(ms, double(std::numeric_limits<int>::max()))));
        }
        if (got && Translate(e, out))
            return 1;
        if (!got && !std::isinf(deadline) && Now() >= deadline)
            return 0;
    }
}

void SetCursorVisible(bool visible)
{
    if (SDL_WasInit(SDL_INIT_VIDEO))
        SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void SilentBeep() {}

// The layout's character of a key without modifiers.
uint8_t LayoutLookup(int32_t keyCode)
{
    if (keyCode <= 0 || keyCode >= SDL_NUM_SCANCODES)
        return 0;
    SDL_Keycode key = SDL_GetKeyFromScancode(SDL_Scancode(keyCode));
    return (key > 0 && key < 128) ? uint8_t(key) : 0;
}

// Alerts are message boxes with one OK button, after one beep.
void ShowAlert(const char *message)
{
    PlatformBeep();
    PlatformWindow *parent = PlatformMainWindow();
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, "Brimhold", message, parent ? parent->sdl : nullptr) !=
        0) {
        std::printf("Anomaly: the alert could not be shown: %s\n", SDL_GetError());
        std::fflush(stdout);
    }
}

const PlatformEventSource desktopSource = {
    Now, Poll, Wait, SetCursorVisible, SilentBeep, CurrentModifiers, nullptr, nullptr};

void ApplyAttributes(int32_t samples)
{
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, samples > 0 ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, samples > 0 ? samples : 0);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, 0);
}

PlatformWindow *CreateAt(const char *title, int x, int y, int32_t width, int32_t height, Uint32 extraFlags,
                         int32_t samples)
{
    if (width <= 0 || height <= 0)
        return nullptr;
    if (!EnsureVideo()) {
        std::fprintf(stderr, "brimhold: cannot open a window: %s\n", VideoFailureReason().c_str());
        return nullptr;
    }
    if (displayLimits.maxSamples >= 0 && samples > displayLimits.maxSamples) {
        SDL_SetError("no pixel format with %d samples", int(samples));
        return nullptr;
    }
    ApplyAttributes(samples);
    SDL_Window *sdl = SDL_CreateWindow(title, x, y, width, height,
                                       SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_SHOWN | extraFlags);
    if (!sdl) {
        // A multisampled window may be refused; the caller then asks for a
        // plain one, and only that failure is worth a line.
        if (samples == 0)
            std::fprintf(stderr, "brimhold: the window could not be made: %s\n", SDL_GetError());
        return nullptr;
    }
    PlatformWindow *w = new PlatformWindow{sdl, samples, false};
    windows.push_back(w);
    return w;
}

} // namespace

// ---- Start and end ------------------------------------------------------------

bool PlatformStartUp()
{
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // SDL turns SIGINT and SIGTERM into a quit request (ended like Ctrl+Q)
    // only when it finds them at their default; a game started in the
    // background of a script inherits SIGINT ignored.
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    if (!SDL_WasInit(SDL_INIT_VIDEO) && !EnsureVideo()) {
        std::fprintf(stderr, "brimhold: cannot open a window: %s\n", VideoFailureReason().c_str());
        return false;
    }
    SDL_InitSubSystem(SDL_INIT_EVENTS | SDL_INIT_TIMER);
    // Game controllers are optional: without the subsystem the game runs on
    // the keyboard alone.  Controllers present at start-up arrive as
    // device-added events like those plugged in later.
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0)
        std::fprintf(stderr, "brimhold: game controllers are not available: %s\n", SDL_GetError());
    // Keys arrive as key events with their character codes; the input
    // method's text events are not used.
    SDL_StopTextInput();
    desktopStarted = true;
    applicationActive = false;
    PlatformSetEventSource(&desktopSource);
    PlatformSetLayoutLookup(LayoutLookup);
    setAlertPresenter(ShowAlert);
    return true;
}

void PlatformShutDown()
{
    if (!desktopStarted)
        return;
    setAlertPresenter(nullptr);
    PlatformSetLayoutLookup(nullptr);
    if (PlatformGetEventSource() == &desktopSource)
        PlatformSetEventSource(nullptr);
    desktopStarted = false;
    for (SDL_GameController *pad : pads)
        SDL_GameControllerClose(pad);
    pads.clear();
    if (SDL_WasInit(SDL_INIT_GAMECONTROLLER))
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    SDL_QuitSubSystem(SDL_INIT_EVENTS | SDL_INIT_TIMER);
    // The video subsystem stays up until the process ends: shutting it down
    // unloads the graphics driver, and windows may still be made afterwards
    // (tests make many).
}

uint64_t PlatformGetUpTime()
{
    struct timespec ts;
    if (clock_gettime(CLOCK_BOOTTIME, &ts) != 0)
        return uint64_t(Now() * 1e9);
    return uint64_t(ts.tv_sec) * 1000000000ull + uint64_t(ts.tv_nsec);
}

// ---- Windows ----------------------------------------------------------------------

PlatformWindow *PlatformWindowCreate(const char *title, int32_t width, int32_t height, int32_t samples)
{
    return CreateAt(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, 0, samples);
}

PlatformWindow *PlatformWindowCreateLike(PlatformWindow *other, int32_t samples)
{
    if (!other)
        return nullptr;
    int x, y, w, h;
    SDL_GetWindowPosition(other->sdl, &x, &y);
    SDL_GetWindowSize(other->sdl, &w, &h);
    Uint32 fullScreen = SDL_GetWindowFlags(other->sdl) & SDL_WINDOW_FULLSCREEN_DESKTOP;
    return CreateAt(SDL_GetWindowTitle(other->sdl), x, y, w, h, fullScreen, samples);
}

void PlatformWindowDispose(PlatformWindow *window)
{
    if (!window)
        return;
    windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
    SDL_DestroyWindow(window->sdl);
    delete window;
}

void PlatformWindowHide(PlatformWindow *window)
{
    if (window)
        SDL_HideWindow(window->sdl);
}

void PlatformWindowRaise(PlatformWindow *window)
{
    if (window)
        SDL_RaiseWindow(window->sdl);
}

int32_t PlatformWindowSamples(PlatformWindow *window)
{
    return window ? window->samples : 0;
}

const char *PlatformWindowGetTitle(PlatformWindow *window)
{
    return window ? SDL_GetWindowTitle(window->sdl) : "";
}

void PlatformWindowSetTitle(PlatformWindow *window, const char *title)
{
    if (window && title)
        SDL_SetWindowTitle(window->sdl, title);
}

void PlatformWindowGetContentBounds(PlatformWindow *window, int32_t *left, int32_t *top, int32_t *width,
                                    int32_t *height)
{
    int x = 0, y = 0, w = 0, h = 0;
    if (window) {
        SDL_GetWindowPosition(window->sdl, &x, &y);
        SDL_GetWindowSize(window->sdl, &w, &h);
    }
    *left = x;
    *top = y;
    *width = w;
    *height = h;
}

void PlatformWindowGetDrawableSize(PlatformWindow *window, int32_t *width, int32_t *height)
{
    int w = 0, h = 0;
    if (window)
        SDL_GL_GetDrawableSize(window->sdl, &w, &h);
    *width = w;
    *height = h;
}

void PlatformWindowGetDisplaySize(PlatformWindow *window, int32_t *width, int32_t *height)
{
    SDL_DisplayMode mode{};
    int index = window ? SDL_GetWindowDisplayIndex(window->sdl) : 0;
    if (SDL_GetDesktopDisplayMode(index < 0 ? 0 : index, &mode) != 0) {
        PlatformWindowGetDrawableSize(window, width, height);
        return;
    }
    *width = mode.w;
    *height = mode.h;
}

void PlatformWindowSetContentSize(PlatformWindow *window, int32_t width, int32_t height)
{
    if (window && width > 0 && height > 0)
        SDL_SetWindowSize(window->sdl, width, height);
}

bool PlatformWindowIsCollapsed(PlatformWindow *window)
{
    return window && (window->collapsed || (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_MINIMIZED));
}

void PlatformWindowCollapse(PlatformWindow *window)
{
    if (window)
        SDL_MinimizeWindow(window->sdl);
}

void PlatformWindowExpand(PlatformWindow *window)
{
    if (window)
        SDL_RestoreWindow(window->sdl);
}

int32_t PlatformWindowSetFullScreen(PlatformWindow *window, bool fullScreen)
{
    if (!window)
        return -1;
    if (fullScreen && displayLimits.fullScreenRefused)
        return -1;
    return SDL_SetWindowFullscreen(window->sdl, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
}

void PlatformSetDisplayLimits(const PlatformDisplayLimits &limits)
{
    displayLimits = limits;
}

PlatformWindow *PlatformMainWindow()
{
    return windows.empty() ? nullptr : windows.back();
}

// ---- Drawing contexts ----------------------------------------------------------------

PlatformGLContext *PlatformGLContextCreate(PlatformWindow *window, PlatformGLContext *shareWith)
{
    if (!window)
        return nullptr;
    ApplyAttributes(window->samples);
    if (shareWith && SDL_GL_MakeCurrent(shareWith->window ? shareWith->window->sdl : window->sdl, shareWith->gl) == 0)
        SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 1);
    else
        SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
    SDL_GLContext gl = SDL_GL_CreateContext(window->sdl);
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
    if (!gl) {
        std::fprintf(stderr, "brimhold: the drawing context could not be made: %s\n", SDL_GetError());
        return nullptr;
    }
    return new PlatformGLContext{gl, window};
}

void PlatformGLContextDispose(PlatformGLContext *context)
{
    if (!context)
        return;
    if (SDL_GL_GetCurrentContext() == context->gl)
        SDL_GL_MakeCurrent(nullptr, nullptr);
    SDL_GL_DeleteContext(context->gl);
    delete context;
}

bool PlatformGLContextMakeCurrent(PlatformWindow *window, PlatformGLContext *context)
{
    if (!window || !context)
        return false;
    context->window = window;
    return SDL_GL_MakeCurrent(window->sdl, context->gl) == 0;
}

bool PlatformGLSetSwapInterval(int32_t interval)
{
    return SDL_GL_SetSwapInterval(interval) == 0;
}

void PlatformGLSwapBuffers(PlatformWindow *window)
{
    if (window)
        SDL_GL_SwapWindow(window->sdl);
}
