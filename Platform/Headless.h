// The headless platform for tests: the event loop of Events.h driven by a
// virtual clock, with injected keyboard, mouse, window and command events,
// scripted dialog answers, and recorded beeps and alerts.  Windows are still
// real (they need a drawing context), but none of their own events are read.
#pragma once

#include "Events.h"
#include "Types.h"

#include <cstdint>
#include <string>
#include <vector>

// Makes the headless platform the current one and resets it: the clock at 0,
// no handlers, timers, injected events, answers, beeps or alerts, a visible
// cursor.  Alerts are recorded instead of shown.
void HeadlessPlatformStartUp();
void HeadlessPlatformShutDown();

// The virtual clock.
double HeadlessGetTime();
// Runs the event loop until the clock reaches time: every timer firing and
// injected event due up to and including that time happens in order, the
// clock jumping from one to the next.  Returns true when the application
// loop was ended (the clock then stays where that happened).
bool HeadlessRunUntil(double time);
bool HeadlessRunFor(double seconds);

// Queues an event that becomes due delay seconds from now; its time field is
// set when it is delivered.
void HeadlessInjectEvent(const PlatformEvent &event, double delay = 0.0);
// A key event; the character code follows from the key code and modifiers.
void HeadlessInjectKey(int32_t kind, int32_t keyCode, uint32_t modifiers = 0, double delay = 0.0);
// A mouse event at global pixel (x, y).
void HeadlessInjectMouse(int32_t kind, float x, float y, uint32_t modifiers = 0, int32_t button = 1,
                         double delay = 0.0);
void HeadlessInjectCommand(FourCharCode command, double delay = 0.0);
// An event of the kind without parameters (activation, window close, ...).
void HeadlessInjectSimple(int32_t kind, double delay = 0.0);

// Game controller events of controller pad: a button going down or up
// (kEventPadButtonDown or Up), an axis moving to value (-32768 to 32767), a
// controller plugged in or unplugged.
void HeadlessInjectPadButton(int32_t kind, int32_t button, int32_t pad = 0, double delay = 0.0);
void HeadlessInjectPadAxis(int32_t axis, int32_t value, int32_t pad = 0, double delay = 0.0);
void HeadlessInjectPadDevice(bool added, int32_t pad = 0, double delay = 0.0);

// Answers that dialogs take in order (PlatformTakeScriptedAnswer).
void HeadlessQueueAnswer(int32_t answer);
int32_t HeadlessPendingAnswers();

int32_t HeadlessBeepCount();
const std::vector<std::string> &HeadlessAlerts();
void HeadlessClearRecords();
