// The platform's event services: one event loop on the main thread with
// repeating timers, chains of event handlers, command events posted to the
// application's own queue, the mouse cursor, the beep and modal loops.
//
// Two implementations feed the same loop: the desktop one (SDL windows and
// input, the monotonic clock) and the headless one of Headless.h (a virtual
// clock and injected events) that tests drive.  Code above this layer sees no
// difference between them.
#pragma once

#include "Types.h"

#include <cstdint>

// Event kinds that handlers register for.
enum PlatformEventKind : int32_t {
    kEventCommandProcess = 1,
    kEventAppActivated = 2,
    kEventAppDeactivated = 3,
    kEventRawKeyDown = 4,
    kEventRawKeyRepeat = 5,
    kEventRawKeyUp = 6,
    kEventRawKeyModifiersChanged = 7,
    kEventMouseDown = 8,
    kEventMouseUp = 9,
    kEventMouseMoved = 10,
    kEventMouseDragged = 11,
    kEventWindowClose = 12,
    kEventWindowCollapsing = 13,
    kEventWindowExpanding = 14,
    kEventWindowBoundsChanged = 15,
    kEventWindowDrawContent = 16,
    // Game controllers: a button pressed or released, an axis moved, a
    // controller plugged in or unplugged.
    kEventPadButtonDown = 17,
    kEventPadButtonUp = 18,
    kEventPadAxisMoved = 19,
    kEventPadAdded = 20,
    kEventPadRemoved = 21,
};

// The buttons and axes of a game controller, laid out as the common pads
// are (A at the bottom of the four face buttons).  Other numbers that may
// arrive are ignored by everything above the platform.
enum PlatformPadButton : int32_t {
    kPadButtonA = 0,
    kPadButtonB = 1,
    kPadButtonX = 2,
    kPadButtonY = 3,
    kPadButtonBack = 4,
    kPadButtonGuide = 5,
    kPadButtonStart = 6,
    kPadButtonLeftStick = 7,
    kPadButtonRightStick = 8,
    kPadButtonLeftShoulder = 9,
    kPadButtonRightShoulder = 10,
    kPadButtonDPadUp = 11,
    kPadButtonDPadDown = 12,
    kPadButtonDPadLeft = 13,
    kPadButtonDPadRight = 14,
    kPadButtonCount = 15,
};

enum PlatformPadAxis : int32_t {
    kPadAxisLeftX = 0,
    kPadAxisLeftY = 1, // positive is down
    kPadAxisRightX = 2,
    kPadAxisRightY = 3,
    kPadAxisTriggerLeft = 4,
    kPadAxisTriggerRight = 5,
    kPadAxisCount = 6,
};

// Bits of the modifier word of keyboard and mouse events.
enum : uint32_t {
    kModifierShift = 0x0200,
    kModifierCapsLock = 0x0400,
    kModifierAlt = 0x0800,
    kModifierControl = 0x1000,
};

struct PlatformEvent {
    int32_t kind;
    double time;             // event time, seconds on the platform clock
    FourCharCode command;    // command process: the command code
    int32_t keyCode;         // keyboard: hardware key code (Keyboard.h)
    uint8_t charCode;        // keyboard: the character the key types with the modifiers held
    uint32_t modifiers;      // keyboard and mouse: the modifier word
    Point2f mouse;           // mouse: location in global screen pixels (y down)
    int32_t button;          // mouse: 1 left, 2 middle, 3 right
    int32_t boundsLeft;      // bounds changed: the window's new content rectangle
    int32_t boundsTop;       //   in global screen pixels
    int32_t boundsWidth;
    int32_t boundsHeight;
    bool sizeChanged;        // bounds changed: the size changed (not just a move)
    int32_t pad;             // game controller events: which controller (its instance number)
    int32_t padControl;      // pad button: the button; pad axis: the axis
    int32_t padValue;        // pad axis: -32768 to 32767
};

// Handlers installed on the window see events before those installed on the
// application; within each target the most recently installed runs first.
enum PlatformEventTarget : int32_t {
    kTargetApplication = 0,
    kTargetWindow = 1,
};

// A handler returns true when it handled the event (it stops there) and false
// to pass it on to the next handler and finally to the standard handling.
typedef bool (*PlatformEventHandlerProc)(const PlatformEvent *event, void *context);
// 0 is "no handler".
typedef int32_t PlatformEventHandlerRef;

PlatformEventHandlerRef PlatformInstallEventHandler(int32_t target, const int32_t *kinds, int32_t kindCount,
                                                    PlatformEventHandlerProc proc, void *context);
// Removing 0 or a handler that is gone does nothing.
void PlatformRemoveEventHandler(PlatformEventHandlerRef handler);

// Repeating timers fire on the main loop, never overlapping themselves.
typedef int32_t PlatformTimerRef; // 0 is "no timer"
typedef void (*PlatformTimerProc)(PlatformTimerRef timer, void *context);
// A negative delay parks a timer until it is given a time again.
constexpr double kPlatformTimerNever = -1.0;

// First firing firstDelay seconds from now, then every interval seconds (an
// interval of 0 fires once).
PlatformTimerRef PlatformInstallTimer(double firstDelay, double interval, PlatformTimerProc proc, void *context);
// Next firing delay seconds from now; kPlatformTimerNever parks it.
void PlatformSetTimerNextFireTime(PlatformTimerRef timer, double delay);
void PlatformRemoveTimer(PlatformTimerRef timer);

// The current event time: monotonic seconds.
double PlatformGetEventTime();
// The system's up-time counter in nanoseconds (seeds the random generator).
uint64_t PlatformGetUpTime();

// Posts a command event to the application's own queue; it is delivered
// after the current handler or timer firing returns.
void PlatformPostCommandEvent(FourCharCode command);

// Runs the application event loop until PlatformQuitApplicationEventLoop.
void PlatformRunApplicationEventLoop();
// Ends the application event loop; asked outside of it, the next run of the
// loop returns at once.
void PlatformQuitApplicationEventLoop();
// A nested loop that keeps timers and events flowing until
// PlatformStopModalLoop is called from one of them.
void PlatformRunModalLoop();
// The modal loop of a dialog: like PlatformRunModalLoop, but it also ends
// when no input can arrive any more (the headless platform with nothing left
// to deliver), since nothing could answer the dialog then.  True when it was
// stopped with PlatformStopModalLoop, false when it ran dry.
bool PlatformRunModalDialogLoop();
// Stops the innermost modal loop.
void PlatformStopModalLoop();
bool PlatformIsInModalLoop();

// Sends an event through the handler chains at once (used by the window and
// the event sources; tests inject through Headless.h instead).  Returns true
// when a handler or the standard handling took it.
bool PlatformDispatchEvent(const PlatformEvent *event);

// The modifier word of the keyboard right now.
uint32_t PlatformGetCurrentModifiers();

// Mouse cursor on the main display.
void PlatformShowCursor();
void PlatformHideCursor();
bool PlatformIsCursorVisible();

// The system's alert sound.  The sound module may install the tone that
// plays it; without one the beep is silent.
void PlatformBeep();
typedef void (*PlatformBeepSound)();
void PlatformSetBeepSound(PlatformBeepSound sound);

// Scripted answers of the headless platform for dialogs: true with the next
// answer when a script provides one (never on the desktop).
bool PlatformTakeScriptedAnswer(int32_t *answer);

// Starts the desktop platform (SDL, the alert presenter) and stops it.
bool PlatformStartUp();
void PlatformShutDown();
