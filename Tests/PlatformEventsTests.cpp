// The event loop on the headless platform: timers on the virtual clock,
// handler chains, command events, modal loops, key codes.
#include "Events.h"
#include "Headless.h"
#include "Keyboard.h"
#include "Utilities.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr double kStep = 1.0 / 120.0;

struct HandlerProbe {
    std::vector<std::string> *log;
    std::string name;
    bool handles;
};

bool ProbeHandler(const PlatformEvent *event, void *context)
{
    HandlerProbe *probe = static_cast<HandlerProbe *>(context);
    std::string entry = probe->name;
    if (event->kind == kEventCommandProcess) {
        char code[5] = {char(event->command >> 24), char(event->command >> 16), char(event->command >> 8),
                        char(event->command), 0};
        entry += std::string(":") + code;
    }
    probe->log->push_back(entry);
    return probe->handles;
}

class HeadlessLoop : public ::testing::Test {
protected:
    std::vector<std::string> log;

    void SetUp() override { HeadlessPlatformStartUp(); }
    void TearDown() override { HeadlessPlatformShutDown(); }
    PlatformEventHandlerRef Listen(int32_t target, int32_t kind, HandlerProbe *probe)
    {
        return PlatformInstallEventHandler(target, &kind, 1, ProbeHandler, probe);
    }
};

struct TimerLog {
    std::vector<double> times;
    int32_t removeAfterCount = -1;
};

void LogFiring(PlatformTimerRef timer, void *context)
{
    TimerLog *log = static_cast<TimerLog *>(context);
    log->times.push_back(PlatformGetEventTime());
    if (log->removeAfterCount >= 0 && int32_t(log->times.size()) >= log->removeAfterCount)
        PlatformRemoveTimer(timer);
}

void ExpectTimes(const std::vector<double> &times, const std::vector<double> &expected)
{
    ASSERT_EQ(times.size(), expected.size());
    for (size_t i = 0; i < times.size(); i++)
        EXPECT_NEAR(times[i], expected[i], 1e-12) << i;
}

TEST_F(HeadlessLoop, TimerFirstDelayIntervalOneShotRemovalFromItsOwnFiringAndParking)
{
    TimerLog repeating, once;
    PlatformInstallTimer(0.25, 0.1, LogFiring, &repeating);
    PlatformInstallTimer(0.05, 0.0, LogFiring, &once);
    HeadlessRunUntil(0.5);
    EXPECT_DOUBLE_EQ(HeadlessGetTime(), 0.5);
    ExpectTimes(repeating.times, {0.25, 0.35, 0.45});
    ExpectTimes(once.times, {0.05});
    // A timer removed from its own firing stops; removing one that is gone,
    // or none at all, does nothing.
    TimerLog log;
    log.removeAfterCount = 3;
    PlatformInstallTimer(0.0, kStep, LogFiring, &log);
    HeadlessRunFor(1.0);
    EXPECT_EQ(log.times.size(), 3u);
    PlatformRemoveTimer(12345);
    PlatformRemoveTimer(0);

    // Every 120th of a second from a first delay of zero (a firing at the end
    // of a run included), parked at never, then resumed one step later.
    TimerLog parked;
    PlatformTimerRef timer = PlatformInstallTimer(0.0, kStep, LogFiring, &parked);
    HeadlessRunFor(2 * kStep);
    ASSERT_EQ(parked.times.size(), 3u);
    PlatformSetTimerNextFireTime(timer, kPlatformTimerNever);
    HeadlessRunFor(1.0 - 2 * kStep);
    EXPECT_EQ(parked.times.size(), 3u);
    PlatformSetTimerNextFireTime(timer, kStep);
    HeadlessRunFor(2.5 * kStep);
    double t = HeadlessGetTime() - 1.0 - 2.5 * kStep; // when the timer was installed
    ExpectTimes(parked.times, {t, t + kStep, t + 2 * kStep, t + 1.0 + kStep, t + 1.0 + 2 * kStep});
}

TEST_F(HeadlessLoop, HandlersRunNewestFirstWindowBeforeApplicationUntilHandled)
{
    HandlerProbe oldApp{&log, "oldApp", false}, newApp{&log, "newApp", false}, window{&log, "window", false};
    Listen(kTargetApplication, kEventMouseDown, &oldApp);
    Listen(kTargetWindow, kEventMouseDown, &window);
    PlatformEventHandlerRef newer = Listen(kTargetApplication, kEventMouseDown, &newApp);

    HeadlessInjectMouse(kEventMouseDown, 10, 20);
    HeadlessRunFor(0.0);
    EXPECT_EQ(log, (std::vector<std::string>{"window", "newApp", "oldApp"}));

    // A handler that handles the event stops the chain.
    log.clear();
    newApp.handles = true;
    HeadlessInjectMouse(kEventMouseDown, 10, 20);
    HeadlessRunFor(0.0);
    EXPECT_EQ(log, (std::vector<std::string>{"window", "newApp"}));

    // Removed handlers and handlers of other kinds see nothing.
    log.clear();
    PlatformRemoveEventHandler(newer);
    HeadlessInjectMouse(kEventMouseUp, 10, 20);
    HeadlessInjectMouse(kEventMouseDown, 10, 20);
    HeadlessRunFor(0.0);
    EXPECT_EQ(log, (std::vector<std::string>{"window", "oldApp"}));
}

bool PostTwoCommands(const PlatformEvent *, void *context)
{
    PlatformPostCommandEvent('EGam');
    PlatformPostCommandEvent('pref');
    static_cast<std::vector<std::string> *>(context)->push_back("mouse handler returns");
    return false;
}

void PostFromTimer(PlatformTimerRef timer, void *context)
{
    PlatformPostCommandEvent('LEdt');
    static_cast<std::vector<std::string> *>(context)->push_back("firing ends");
    PlatformRemoveTimer(timer);
}

TEST_F(HeadlessLoop, PostedCommandsArriveInOrderAfterTheHandlerOrFiringReturns)
{
    const int32_t mouseKinds[] = {kEventMouseDown};
    HandlerProbe commands{&log, "command", true}; // logs "command:code" and handles it
    Listen(kTargetApplication, kEventCommandProcess, &commands);
    PlatformInstallEventHandler(kTargetApplication, mouseKinds, 1, PostTwoCommands, &log);
    HeadlessInjectMouse(kEventMouseDown, 0, 0);
    HeadlessRunFor(0.0);
    EXPECT_EQ(log, (std::vector<std::string>{"mouse handler returns", "command:EGam", "command:pref"}));
    log.clear();
    PlatformInstallTimer(0.1, kStep, PostFromTimer, &log);
    HeadlessRunUntil(0.2);
    EXPECT_EQ(log, (std::vector<std::string>{"firing ends", "command:LEdt"}));
}

TEST_F(HeadlessLoop, QuitRequestedBeforeOrNotHandledEndsTheApplicationLoop)
{
    TimerLog ticks;
    PlatformInstallTimer(0.0, kStep, LogFiring, &ticks);
    PlatformQuitApplicationEventLoop();
    PlatformRunApplicationEventLoop();
    EXPECT_TRUE(ticks.times.empty()) << "a quit requested before the loop ends it at once";

    HandlerProbe passer{&log, "passer", false};
    Listen(kTargetApplication, kEventCommandProcess, &passer);
    HeadlessInjectCommand('quit', 0.5);
    PlatformRunApplicationEventLoop();
    EXPECT_DOUBLE_EQ(HeadlessGetTime(), 0.5);
    EXPECT_EQ(log, (std::vector<std::string>{"passer:quit"}));
    // At equal times input events come before timer firings.
    EXPECT_EQ(ticks.times.size(), 60u);

    // A handled quit does not end it; a window close nobody takes does.
    passer.handles = true;
    HeadlessInjectCommand('quit', 0.1);
    HeadlessInjectSimple(kEventWindowClose, 0.2);
    PlatformRunApplicationEventLoop();
    EXPECT_NEAR(HeadlessGetTime(), 0.7, 1e-12);
}

struct ModalProbe {
    int32_t firingsInModal = 0;
    bool afterModal = false; // the handler went on once the modal loop ended
};

bool OpenModalOnMouse(const PlatformEvent *, void *context)
{
    PlatformRunModalLoop();
    static_cast<ModalProbe *>(context)->afterModal = true;
    return true;
}

void CountInModal(PlatformTimerRef, void *context)
{
    ModalProbe *probe = static_cast<ModalProbe *>(context);
    if (PlatformIsInModalLoop())
        probe->firingsInModal++;
    if (probe->firingsInModal == 10)
        PlatformStopModalLoop();
}

TEST_F(HeadlessLoop, ModalLoopKeepsTimersFlowingUntilStopped)
{
    ModalProbe probe;
    const int32_t kinds[] = {kEventMouseDown};
    PlatformInstallEventHandler(kTargetApplication, kinds, 1, OpenModalOnMouse, &probe);
    PlatformInstallTimer(0.0, kStep, CountInModal, &probe);
    HeadlessInjectMouse(kEventMouseDown, 1, 1, 0, 1, 0.5);
    HeadlessRunUntil(1.0);
    EXPECT_TRUE(probe.afterModal);
    EXPECT_EQ(probe.firingsInModal, 10);
    EXPECT_FALSE(PlatformIsInModalLoop());
}

TEST(Keyboard, CharacterCodesOfTheGameKeys)
{
    const std::pair<int32_t, int32_t> codes[] = {{kKeyCodeEscape, 27}, {kKeyCodeLeft, 28},   {kKeyCodeRight, 29},
                                                 {kKeyCodeUp, 30},     {kKeyCodeDown, 31},   {kKeyCodeSpace, 32},
                                                 {kKeyCodeReturn, 13}, {kKeyCodeBackspace, 8}, {kKeyCodeDelete, 127},
                                                 {kKeyCodeTab, 9}};
    for (auto [key, character] : codes)
        EXPECT_EQ(PlatformKeyCodeToCharCode(key, 0), character) << key;
    EXPECT_EQ(PlatformKeyCodeToCharCode(kKeyCodeA + 22, 0), 'w');
    EXPECT_EQ(PlatformKeyCodeToCharCode(kKeyCodeA + 22, kModifierShift), 'W');
    EXPECT_EQ(PlatformKeyCodeToCharCode(kKeyCode1, kModifierShift), '!');
    EXPECT_EQ(PlatformKeyCodeToCharCode(kKeyCodeLeftShift, 0), 0);
    // keyCodeToCharCode ignores modifiers: letters stay lower case.
    EXPECT_EQ(keyCodeToCharCode(kKeyCodeA + 3), 'd');
    EXPECT_EQ(PlatformCharCodeToKeyCode('e'), kKeyCodeA + 4);
    EXPECT_EQ(PlatformCharCodeToKeyCode('E'), kKeyCodeA + 4);
}

} // namespace
