// The event loop on the headless platform: timers on the virtual clock,
// handler chains, command events, modal loops, key equivalents.
#include "Events.h"
#include "Folders.h"
#include "Headless.h"
#include "Keyboard.h"
#include "MenuBar.h"
#include "Utilities.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr double kStep = 1.0 / 120.0;

class HeadlessLoop : public ::testing::Test {
protected:
    void SetUp() override { HeadlessPlatformStartUp(); }
    void TearDown() override
    {
        HeadlessPlatformShutDown();
        PlatformMenuBarClear();
    }
};

struct TimerLog {
    std::vector<double> times;
    PlatformTimerRef removeSelfAfter = 0;
    int32_t removeAfterCount = -1;
};

void LogFiring(PlatformTimerRef timer, void *context)
{
    TimerLog *log = static_cast<TimerLog *>(context);
    log->times.push_back(PlatformGetEventTime());
    if (log->removeAfterCount >= 0 && int32_t(log->times.size()) >= log->removeAfterCount)
        PlatformRemoveTimer(timer);
}

TEST_F(HeadlessLoop, TimerFiresEvery120thOfASecondFromAFirstDelayOfZero)
{
    TimerLog log;
    PlatformInstallTimer(0.0, kStep, LogFiring, &log);
    HeadlessRunUntil(0.5);
    ASSERT_EQ(log.times.size(), 61u); // 0, 1/120, ... 60/120 inclusive
    for (size_t i = 0; i < log.times.size(); i++)
        EXPECT_NEAR(log.times[i], double(i) * kStep, 1e-12) << i;
    EXPECT_DOUBLE_EQ(HeadlessGetTime(), 0.5);
    HeadlessRunFor(0.5);
    EXPECT_EQ(log.times.size(), 121u);
}

TEST_F(HeadlessLoop, TimerFirstDelayOneShotAndRemovalFromItsOwnFiring)
{
    TimerLog repeating, once;
    PlatformInstallTimer(0.25, 0.1, LogFiring, &repeating);
    PlatformInstallTimer(0.05, 0.0, LogFiring, &once);
    HeadlessRunUntil(0.5);
    ASSERT_EQ(repeating.times.size(), 3u);
    EXPECT_NEAR(repeating.times[0], 0.25, 1e-12);
    EXPECT_NEAR(repeating.times[2], 0.45, 1e-12);
    ASSERT_EQ(once.times.size(), 1u);
    EXPECT_NEAR(once.times[0], 0.05, 1e-12);
    // A timer removed from its own firing stops; removing one that is gone,
    // or none at all, does nothing.
    TimerLog log;
    log.removeAfterCount = 3;
    PlatformInstallTimer(0.0, kStep, LogFiring, &log);
    HeadlessRunFor(1.0);
    EXPECT_EQ(log.times.size(), 3u);
    PlatformRemoveTimer(12345);
    PlatformRemoveTimer(0);
}

TEST_F(HeadlessLoop, TimerParkedAtNeverAndResumedOneStepLater)
{
    TimerLog log;
    PlatformTimerRef timer = PlatformInstallTimer(0.0, kStep, LogFiring, &log);
    HeadlessRunUntil(2 * kStep);
    ASSERT_EQ(log.times.size(), 3u);
    PlatformSetTimerNextFireTime(timer, kPlatformTimerNever);
    HeadlessRunUntil(1.0);
    EXPECT_EQ(log.times.size(), 3u);
    PlatformSetTimerNextFireTime(timer, kStep);
    HeadlessRunUntil(1.0 + 2.5 * kStep);
    ASSERT_EQ(log.times.size(), 5u);
    EXPECT_NEAR(log.times[3], 1.0 + kStep, 1e-12);
    EXPECT_NEAR(log.times[4], 1.0 + 2 * kStep, 1e-12);
}

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

TEST_F(HeadlessLoop, HandlersRunNewestFirstWindowBeforeApplicationUntilHandled)
{
    std::vector<std::string> log;
    const int32_t kinds[] = {kEventMouseDown};
    HandlerProbe oldApp{&log, "oldApp", false}, newApp{&log, "newApp", false}, window{&log, "window", false};
    PlatformInstallEventHandler(kTargetApplication, kinds, 1, ProbeHandler, &oldApp);
    PlatformInstallEventHandler(kTargetWindow, kinds, 1, ProbeHandler, &window);
    PlatformEventHandlerRef newer = PlatformInstallEventHandler(kTargetApplication, kinds, 1, ProbeHandler, &newApp);

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

struct PostingProbe {
    std::vector<std::string> *log;
};

bool PostTwoCommands(const PlatformEvent *event, void *context)
{
    auto *log = static_cast<PostingProbe *>(context)->log;
    if (event->kind == kEventMouseDown) {
        PlatformPostCommandEvent('EGam');
        PlatformPostCommandEvent('pref');
        log->push_back("mouse handler returns");
    }
    return false;
}

TEST_F(HeadlessLoop, PostedCommandsArriveAfterTheHandlerReturnsInOrder)
{
    std::vector<std::string> log;
    PostingProbe poster{&log};
    HandlerProbe commands{&log, "command", true};
    const int32_t commandKinds[] = {kEventCommandProcess};
    const int32_t mouseKinds[] = {kEventMouseDown};
    PlatformInstallEventHandler(kTargetApplication, commandKinds, 1, ProbeHandler, &commands);
    PlatformInstallEventHandler(kTargetApplication, mouseKinds, 1, PostTwoCommands, &poster);
    HeadlessInjectMouse(kEventMouseDown, 0, 0);
    HeadlessRunFor(0.0);
    EXPECT_EQ(log, (std::vector<std::string>{"mouse handler returns", "command:EGam", "command:pref"}));
}

void PostFromTimer(PlatformTimerRef timer, void *context)
{
    auto *log = static_cast<std::vector<std::string> *>(context);
    PlatformPostCommandEvent('LEdt');
    log->push_back("firing ends");
    PlatformRemoveTimer(timer);
}

TEST_F(HeadlessLoop, CommandPostedInAFiringArrivesAfterTheFiring)
{
    std::vector<std::string> log;
    HandlerProbe commands{&log, "command", true};
    const int32_t commandKinds[] = {kEventCommandProcess};
    PlatformInstallEventHandler(kTargetApplication, commandKinds, 1, ProbeHandler, &commands);
    PlatformInstallTimer(0.1, kStep, PostFromTimer, &log);
    HeadlessRunUntil(0.2);
    EXPECT_EQ(log, (std::vector<std::string>{"firing ends", "command:LEdt"}));
}

TEST_F(HeadlessLoop, QuitCommandNotHandledEndsTheApplicationLoop)
{
    std::vector<std::string> log;
    HandlerProbe passer{&log, "passer", false};
    const int32_t kinds[] = {kEventCommandProcess};
    PlatformInstallEventHandler(kTargetApplication, kinds, 1, ProbeHandler, &passer);
    TimerLog ticks;
    PlatformInstallTimer(0.0, kStep, LogFiring, &ticks);
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

TEST_F(HeadlessLoop, QuitRequestedBeforeTheLoopEndsItAtOnce)
{
    TimerLog ticks;
    PlatformInstallTimer(0.0, kStep, LogFiring, &ticks);
    PlatformQuitApplicationEventLoop();
    PlatformRunApplicationEventLoop();
    EXPECT_TRUE(ticks.times.empty());
}

struct ModalProbe {
    TimerLog ticks;
    int32_t firingsInModal = 0;
    bool opened = false;
    bool afterModal = false;
};

bool OpenModalOnMouse(const PlatformEvent *, void *context)
{
    ModalProbe *probe = static_cast<ModalProbe *>(context);
    probe->opened = true;
    PlatformRunModalLoop();
    probe->afterModal = true;
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
    EXPECT_TRUE(probe.opened);
    EXPECT_TRUE(probe.afterModal);
    EXPECT_EQ(probe.firingsInModal, 10);
    EXPECT_FALSE(PlatformIsInModalLoop());
}

TEST_F(HeadlessLoop, MenuKeyEquivalentsBecomeCommandsOfEnabledItems)
{
    PlatformSetResourcesFolder(BRIMHOLD_SOURCE_DIR "/Resources");
    ASSERT_EQ(PlatformMenuBarLoad("MainMenu"), 0);
    std::vector<std::string> log;
    HandlerProbe commands{&log, "command", true};
    const int32_t kinds[] = {kEventCommandProcess};
    PlatformInstallEventHandler(kTargetApplication, kinds, 1, ProbeHandler, &commands);

    int32_t keyQ = PlatformCharCodeToKeyCode('q');
    int32_t keyS = PlatformCharCodeToKeyCode('s');
    HeadlessInjectKey(kEventRawKeyDown, keyQ, kModifierControl);
    HeadlessInjectKey(kEventRawKeyDown, keyS, kModifierControl | kModifierShift);
    HeadlessInjectKey(kEventRawKeyDown, keyQ, 0); // no Ctrl: an ordinary key
    HeadlessRunFor(0.0);
    EXPECT_EQ(log, (std::vector<std::string>{"command:quit", "command:svas"}));

    log.clear();
    PlatformDisableMenuCommand('svas');
    HeadlessInjectKey(kEventRawKeyDown, keyS, kModifierControl | kModifierShift);
    HeadlessRunFor(0.0);
    EXPECT_TRUE(log.empty());
    PlatformSetResourcesFolder("");
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
