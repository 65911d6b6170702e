// The seam between the event loop and where its events come from: the
// desktop (SDL) or the headless script of the tests.  Only Platform/ uses it.
#pragma once

#include "Events.h"

#include <cstdint>

struct PlatformEventSource {
    // Monotonic seconds.
    double (*now)();
    // An input event that is due already, without waiting.
    bool (*poll)(PlatformEvent *out);
    // Waits until an input event arrives (1) or until deadline, in now()
    // seconds, passes (0).  A source that knows nothing can ever arrive with
    // an infinite deadline returns -1 instead of waiting forever.
    int32_t (*wait)(double deadline, PlatformEvent *out);
    void (*setCursorVisible)(bool visible);
    // The alert sound itself (the beep is counted by the loop).
    void (*beep)();
    uint32_t (*currentModifiers)();
    // Takes the next scripted dialog answer; null on the desktop.
    bool (*takeAnswer)(int32_t *answer);
    // Whether input can still arrive: the headless script has events left.
    // Null when input can always arrive (the desktop).
    bool (*inputCanArrive)();
};

// Installs the source and resets the loop's state: handlers, timers, queued
// commands, the cursor, the beep count.
void PlatformSetEventSource(const PlatformEventSource *source);
const PlatformEventSource *PlatformGetEventSource();
// Beeps since the source was installed.
int32_t PlatformBeepCount();
// Runs the loop until the source's clock passes stopTime (inclusive) or the
// application loop is ended; true in the latter case.  Headless runs use it.
bool PlatformRunLoopUntil(double stopTime);
