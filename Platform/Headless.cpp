#include "Headless.h"

#include "EventSource.h"
#include "Keyboard.h"
#include "Utilities.h"

#include <algorithm>
#include <cmath>
#include <deque>

namespace {

struct Injected {
    double due;
    int64_t order; // injection order among events due at the same time
    PlatformEvent event;
};

double virtualClock = 0.0;
int64_t injectionCount = 0;
std::vector<Injected> injected; // kept sorted by (due, order)
std::deque<int32_t> answers;
std::vector<std::string> alerts;
uint32_t modifiers = 0;

double Now()
{
    return virtualClock;
}

void Take(PlatformEvent *out)
{
    *out = injected.front().event;
    injected.erase(injected.begin());
    out->time = virtualClock;
    if (out->kind >= kEventRawKeyDown && out->kind <= kEventMouseDragged)
        modifiers = out->modifiers;
}

bool Poll(PlatformEvent *out)
{
    if (injected.empty() || injected.front().due > virtualClock)
        return false;
    Take(out);
    return true;
}

int32_t Wait(double deadline, PlatformEvent *out)
{
    if (!injected.empty() && injected.front().due <= deadline) {
        virtualClock = std::max(virtualClock, injected.front().due);
        Take(out);
        return 1;
    }
    if (!std::isfinite(deadline))
        return -1;
    virtualClock = std::max(virtualClock, deadline);
    return 0;
}

void SetCursorVisible(bool) {}

void Beep() {}

uint32_t CurrentModifiers()
{
    return modifiers;
}

bool TakeAnswer(int32_t *answer)
{
    if (answers.empty())
        return false;
    *answer = answers.front();
    answers.pop_front();
    return true;
}

// Alerts beep once, like the desktop's, and are answered at once.
void RecordAlert(const char *message)
{
    PlatformBeep();
    alerts.push_back(message);
}

bool InputCanArrive()
{
    return !injected.empty();
}

const PlatformEventSource headlessSource = {
    Now, Poll, Wait, SetCursorVisible, Beep, CurrentModifiers, TakeAnswer, InputCanArrive};

} // namespace

void HeadlessPlatformStartUp()
{
    virtualClock = 0.0;
    injectionCount = 0;
    injected.clear();
    answers.clear();
    alerts.clear();
    modifiers = 0;
    PlatformSetEventSource(&headlessSource);
    PlatformSetLayoutLookup(nullptr);
    setAlertPresenter(RecordAlert);
}

void HeadlessPlatformShutDown()
{
    if (PlatformGetEventSource() == &headlessSource)
        PlatformSetEventSource(nullptr);
    setAlertPresenter(nullptr);
    injected.clear();
    answers.clear();
}

double HeadlessGetTime()
{
    return virtualClock;
}

bool HeadlessRunUntil(double time)
{
    if (PlatformGetEventSource() != &headlessSource)
        return false;
    return PlatformRunLoopUntil(time);
}

bool HeadlessRunFor(double seconds)
{
    return HeadlessRunUntil(virtualClock + seconds);
}

void HeadlessInjectEvent(const PlatformEvent &event, double delay)
{
    Injected entry{virtualClock + std::max(0.0, delay), injectionCount++, event};
    auto at = std::upper_bound(injected.begin(), injected.end(), entry, [](const Injected &a, const Injected &b) {
        return a.due < b.due || (a.due == b.due && a.order < b.order);
    });
    injected.insert(at, entry);
}

void HeadlessInjectKey(int32_t kind, int32_t keyCode, uint32_t mods, double delay)
{
    PlatformEvent event{};
    event.kind = kind;
    event.keyCode = keyCode;
    event.modifiers = mods;
    event.charCode = PlatformKeyCodeToCharCode(keyCode, mods);
    HeadlessInjectEvent(event, delay);
}

void HeadlessInjectMouse(int32_t kind, float x, float y, uint32_t mods, int32_t button, double delay)
{
    PlatformEvent event{};
    event.kind = kind;
    event.mouse = Point2f{x, y};
    event.modifiers = mods;
    event.button = button;
    HeadlessInjectEvent(event, delay);
}

void HeadlessInjectCommand(FourCharCode command, double delay)
{
    PlatformEvent event{};
    event.kind = kEventCommandProcess;
    event.command = command;
    HeadlessInjectEvent(event, delay);
}

void HeadlessInjectSimple(int32_t kind, double delay)
{
    PlatformEvent event{};
    event.kind = kind;
    HeadlessInjectEvent(event, delay);
}

void HeadlessInjectPadButton(int32_t kind, int32_t button, int32_t pad, double delay)
{
    PlatformEvent event{};
    event.kind = kind;
    event.pad = pad;
    event.padControl = button;
    HeadlessInjectEvent(event, delay);
}

void HeadlessInjectPadAxis(int32_t axis, int32_t value, int32_t pad, double delay)
{
    PlatformEvent event{};
    event.kind = kEventPadAxisMoved;
    event.pad = pad;
    event.padControl = axis;
    event.padValue = value;
    HeadlessInjectEvent(event, delay);
}

void HeadlessInjectPadDevice(bool added, int32_t pad, double delay)
{
    PlatformEvent event{};
    event.kind = added ? kEventPadAdded : kEventPadRemoved;
    event.pad = pad;
    HeadlessInjectEvent(event, delay);
}

void HeadlessQueueAnswer(int32_t answer)
{
    answers.push_back(answer);
}

int32_t HeadlessPendingAnswers()
{
    return int32_t(answers.size());
}

int32_t HeadlessBeepCount()
{
    return PlatformBeepCount();
}

const std::vector<std::string> &HeadlessAlerts()
{
    return alerts;
}

void HeadlessClearRecords()
{
    alerts.clear();
}
