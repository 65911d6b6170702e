// The event loop shared by the desktop and the headless platform: handler
// chains, timers, the command queue, modal loops, cursor and beep.
#include "Events.h"

#include "EventSource.h"
#include "Keyboard.h"
#include "MenuBar.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>
#include <limits>
#include <vector>

namespace {

struct Handler {
    PlatformEventHandlerRef id;
    int32_t target;
    std::vector<int32_t> kinds;
    PlatformEventHandlerProc proc;
    void *context;
};

struct Timer {
    PlatformTimerRef id;
    double anchor;    // time of firing number 0
    int64_t count;    // firings since the anchor
    double interval;  // 0: fires once
    bool parked;
    bool firing;
    bool removed;
    PlatformTimerProc proc;
    void *context;
};

// One running loop: the application loop or a modal loop inside it.
struct Loop {
    bool stop;
    bool modal;
    bool endWhenNoInput; // a dialog's loop: ends when no input can arrive
};

constexpr double kInfinity = std::numeric_limits<double>::infinity();

const PlatformEventSource *source = nullptr;
std::vector<Handler> handlers;
PlatformEventHandlerRef lastHandlerId = 0;
std::vector<Timer *> timers;
PlatformTimerRef lastTimerId = 0;
int32_t timerFiringDepth = 0;
std::deque<FourCharCode> commandQueue;
std::vector<Loop *> loops; // innermost last
bool applicationLoopRunning = false;
bool quitRequested = false;
bool cursorVisible = true;
int32_t beepCount = 0;
PlatformBeepSound beepSound = nullptr;

Timer *FindTimer(PlatformTimerRef id)
{
    for (Timer *t : timers)
        if (t->id == id && !t->removed)
            return t;
    return nullptr;
}

double NextFireTime(const Timer *t)
{
    if (t->parked || t->removed)
        return kInfinity;
    return t->anchor + double(t->count) * t->interval;
}

// Frees the records of removed timers once no firing is on the stack.
void ReapTimers()
{
    if (timerFiringDepth > 0)
        return;
    auto gone = std::remove_if(timers.begin(), timers.end(), [](Timer *t) {
        if (!t->removed)
            return false;
        delete t;
        return true;
    });
    timers.erase(gone, timers.end());
}

double Now()
{
    return source ? source->now() : 0.0;
}

bool HandlerWants(const Handler &h, int32_t kind)
{
    return std::find(h.kinds.begin(), h.kinds.end(), kind) != h.kinds.end();
}

// What the platform does with an event that no handler took.
bool StandardHandling(const PlatformEvent *event)
{
    switch (event->kind) {
    case kEventCommandProcess:
        if (event->command == 'quit') {
            PlatformQuitApplicationEventLoop();
            return true;
        }
        return false;
    case kEventWindowClose:
        // Closing the only window ends the program.
        PlatformQuitApplicationEventLoop();
        return true;
    case kEventRawKeyDown: {
        FourCharCode command = 0;
        uint8_t c = PlatformKeyCodeToCharCode(event->keyCode, 0);
        if (c != 0 && PlatformMenuCommandForKey(c, event->modifiers, &command)) {
            PlatformPostCommandEvent(command);
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

void DeliverCommands()
{
    while (!commandQueue.empty()) {
        FourCharCode command = commandQueue.front();
        commandQueue.pop_front();
        PlatformEvent event{};
        event.kind = kEventCommandProcess;
        event.time = Now();
        event.command = command;
        PlatformDispatchEvent(&event);
    }
}

bool LoopShouldStop(const Loop *loop)
{
    // The application loop also ends on a quit request; modal loops only
    // when they are told to stop.
    return loop->stop || (!loop->modal && quitRequested);
}

// Fires every timer that is due, earliest first, each at most once.  Returns
// whether any fired.
bool FireDueTimers()
{
    bool fired = false;
    double now = Now();
    std::vector<std::pair<double, PlatformTimerRef>> order;
    for (Timer *t : timers)
        if (!t->firing && NextFireTime(t) <= now)
            order.push_back({NextFireTime(t), t->id});
    std::stable_sort(order.begin(), order.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    for (const auto &entry : order) {
        Timer *t = FindTimer(entry.second);
        if (!t || t->firing || NextFireTime(t) > Now())
            continue;
        // Schedule the next firing before calling, so that the callback may
        // reschedule or park the timer itself.
        if (t->interval <= 0.0) {
            t->parked = true;
        } else {
            double current = Now();
            int64_t next = t->count + 1;
            if (t->anchor + double(next) * t->interval <= current) {
                // Late by more than an interval: skip the missed firings.
                next = int64_t(std::floor((current - t->anchor) / t->interval)) + 1;
            }
            t->count = next;
        }
        t->firing = true;
        timerFiringDepth++;
        t->proc(t->id, t->context);
        timerFiringDepth--;
        t->firing = false;
        fired = true;
        DeliverCommands();
        if (!loops.empty() && LoopShouldStop(loops.back()))
            break;
    }
    ReapTimers();
    return fired;
}

double EarliestTimer()
{
    double earliest = kInfinity;
    for (Timer *t : timers)
        if (!t->firing)
            earliest = std::min(earliest, NextFireTime(t));
    return earliest;
}

// Runs one loop until it is stopped or the clock passes stopTime.
void RunLoop(Loop *loop, double stopTime)
{
    if (!source)
        return;
    loops.push_back(loop);
    while (!LoopShouldStop(loop)) {
        DeliverCommands();
        if (LoopShouldStop(loop))
            break;
        PlatformEvent event;
        bool dispatched = false;
        while (!LoopShouldStop(loop) && source->poll(&event)) {
            PlatformDispatchEvent(&event);
            DeliverCommands();
            dispatched = true;
        }
        if (LoopShouldStop(loop))
            break;
        if (FireDueTimers() || dispatched)
            continue;
        if (loop->endWhenNoInput && source->inputCanArrive && !source->inputCanArrive())
            break;
        if (Now() >= stopTime)
            break;
        double deadline = std::min(EarliestTimer(), stopTime);
        int32_t result = source->wait(deadline, &event);
        if (result > 0) {
            PlatformDispatchEvent(&event);
            DeliverCommands();
        } else if (result < 0) {
            std::printf("Anomaly: the event loop has nothing left to wait for\n");
            std::fflush(stdout);
            break;
        }
    }
    loops.pop_back();
}

} // namespace

void PlatformSetEventSource(const PlatformEventSource *newSource)
{
    for (Timer *t : timers)
        delete t;
    timers.clear();
    handlers.clear();
    commandQueue.clear();
    quitRequested = false;
    cursorVisible = true;
    beepCount = 0;
    timerFiringDepth = 0;
    source = newSource;
}

const PlatformEventSource *PlatformGetEventSource()
{
    return source;
}

int32_t PlatformBeepCount()
{
    return beepCount;
}

PlatformEventHandlerRef PlatformInstallEventHandler(int32_t target, const int32_t *kinds, int32_t kindCount,
                                                    PlatformEventHandlerProc proc, void *context)
{
    if (!proc || !kinds || kindCount <= 0)
        return 0;
    Handler h;
    h.id = ++lastHandlerId;
    h.target = target == kTargetWindow ? kTargetWindow : kTargetApplication;
    h.kinds.assign(kinds, kinds + kindCount);
    h.proc = proc;
    h.context = context;
    handlers.push_back(std::move(h));
    return handlers.back().id;
}

void PlatformRemoveEventHandler(PlatformEventHandlerRef handler)
{
    if (handler == 0)
        return;
    handlers.erase(std::remove_if(handlers.begin(), handlers.end(),
                                  [handler](const Handler &h) { return h.id == handler; }),
                   handlers.end());
}

static uint64_t dispatchedEvents = 0;

uint64_t PlatformDispatchedEventCount()
{
    return dispatchedEvents;
}

bool PlatformDispatchEvent(const PlatformEvent *event)
{
    dispatchedEvents++;
    // Newest first, window target before application target.  The chain is
    // taken as it stands now: handlers installed meanwhile see the next event,
    // and removed ones are skipped.
    std::vector<PlatformEventHandlerRef> chain;
    for (int32_t target : {int32_t(kTargetWindow), int32_t(kTargetApplication)})
        for (auto it = handlers.rbegin(); it != handlers.rend(); ++it)
            if (it->target == target && HandlerWants(*it, event->kind))
                chain.push_back(it->id);
    for (PlatformEventHandlerRef id : chain) {
        auto it = std::find_if(handlers.begin(), handlers.end(), [id](const Handler &h) { return h.id == id; });
        if (it == handlers.end())
            continue;
        PlatformEventHandlerProc proc = it->proc;
        void *context = it->context;
        if (proc(event, context))
            return true;
    }
    return StandardHandling(event);
}

PlatformTimerRef PlatformInstallTimer(double firstDelay, double interval, PlatformTimerProc proc, void *context)
{
    if (!proc)
        return 0;
    Timer *t = new Timer{};
    t->id = ++lastTimerId;
    t->interval = (std::isfinite(interval) && interval > 0.0) ? interval : 0.0;
    t->proc = proc;
    t->context = context;
    if (!(firstDelay >= 0.0) || !std::isfinite(firstDelay)) {
        t->parked = true;
        t->anchor = Now();
    } else {
        t->anchor = Now() + firstDelay;
    }
    timers.push_back(t);
    return t->id;
}

void PlatformSetTimerNextFireTime(PlatformTimerRef timer, double delay)
{
    Timer *t = FindTimer(timer);
    if (!t)
        return;
    if (!(delay >= 0.0) || !std::isfinite(delay)) {
        t->parked = true;
        return;
    }
    t->parked = false;
    t->anchor = Now() + delay;
    t->count = 0;
}

void PlatformRemoveTimer(PlatformTimerRef timer)
{
    Timer *t = FindTimer(timer);
    if (!t)
        return;
    t->removed = true;
    ReapTimers();
}

double PlatformGetEventTime()
{
    return Now();
}

void PlatformPostCommandEvent(FourCharCode command)
{
    // Bounded: a runaway poster cannot eat memory.
    if (commandQueue.size() >= 4096)
        return;
    commandQueue.push_back(command);
}

void PlatformRunApplicationEventLoop()
{
    if (applicationLoopRunning || !loops.empty()) {
        std::printf("Error: the application event loop is already running\n");
        std::fflush(stdout);
        return;
    }
    applicationLoopRunning = true;
    Loop loop{false, false, false};
    RunLoop(&loop, kInfinity);
    applicationLoopRunning = false;
    quitRequested = false;
}

bool PlatformRunLoopUntil(double stopTime)
{
    if (!loops.empty())
        return false;
    applicationLoopRunning = true;
    Loop loop{false, false, false};
    RunLoop(&loop, stopTime);
    applicationLoopRunning = false;
    bool quit = quitRequested;
    quitRequested = false;
    return quit;
}

void PlatformQuitApplicationEventLoop()
{
    quitRequested = true;
}

void PlatformRunModalLoop()
{
    Loop loop{false, true, false};
    RunLoop(&loop, kInfinity);
}

bool PlatformRunModalDialogLoop()
{
    Loop loop{false, true, true};
    RunLoop(&loop, kInfinity);
    return loop.stop;
}

void PlatformStopModalLoop()
{
    for (auto it = loops.rbegin(); it != loops.rend(); ++it)
        if ((*it)->modal) {
            (*it)->stop = true;
            return;
        }
}

bool PlatformIsInModalLoop()
{
    return std::any_of(loops.begin(), loops.end(), [](const Loop *l) { return l->modal; });
}

uint32_t PlatformGetCurrentModifiers()
{
    return (source && source->currentModifiers) ? source->currentModifiers() : 0;
}

void PlatformShowCursor()
{
    cursorVisible = true;
    if (source && source->setCursorVisible)
        source->setCursorVisible(true);
}

void PlatformHideCursor()
{
    cursorVisible = false;
    if (source && source->setCursorVisible)
        source->setCursorVisible(false);
}

bool PlatformIsCursorVisible()
{
    return cursorVisible;
}

void PlatformBeep()
{
    beepCount++;
    if (source && source->beep)
        source->beep();
    if (beepSound)
        beepSound();
}

void PlatformSetBeepSound(PlatformBeepSound sound)
{
    beepSound = sound;
}

bool PlatformTakeScriptedAnswer(int32_t *answer)
{
    return source && source->takeAnswer && answer && source->takeAnswer(answer);
}
