// The desktop platform's translation of the display system's events, fed
// through SDL's own queue: Ctrl+Q and the close button end the loop, keys
// carry their codes and modifiers, a resize reaches the window.
#include "Controller.h"
#include "EditorTestSupport.h"
#include "Events.h"
#include "Folders.h"
#include "Keyboard.h"
#include "MenuBar.h"
#include "OpenGLWindow.h"
#include "Window.h"

#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

class DesktopTest : public ::testing::Test {
protected:
    Controller *controller = nullptr;
    Uint32 windowId = 0;
    bool gaveUp = false;

    void SetUp() override
    {
        ASSERT_TRUE(PlatformStartUp());
        PlatformSetResourcesFolder(BRIMHOLD_SOURCE_DIR "/Resources");
        ASSERT_EQ(PlatformMenuBarLoad("MainMenu"), 0);
        controller = ControllerAllocate();
        ASSERT_NE(controller->mainWindow, nullptr);
        ControllerStart(controller);
        SDL_Window *window = SDL_GL_GetCurrentWindow();
        ASSERT_NE(window, nullptr);
        windowId = SDL_GetWindowID(window);
        // Let the window's own start-up events pass.
        RunLoopFor(0.2);
        gaveUp = false;
    }
    void TearDown() override
    {
        if (controller) {
            ControllerStop(controller);
            ControllerDispose(controller);
        }
        PlatformMenuBarClear();
        PlatformSetResourcesFolder("");
        PlatformShutDown();
    }

    static void GiveUp(PlatformTimerRef, void *context)
    {
        *static_cast<bool *>(context) = true;
        PlatformQuitApplicationEventLoop();
    }
    // Runs the application loop until it ends or the time passes.
    void RunLoopFor(double seconds)
    {
        PlatformTimerRef timer = PlatformInstallTimer(seconds, 0.0, GiveUp, &gaveUp);
        PlatformRunApplicationEventLoop();
        PlatformRemoveTimer(timer);
    }
    void PushKey(Uint32 type, SDL_Scancode code, Uint16 mod) { editortest::PushKey(type, code, mod, windowId); }
    void PushWindowEvent(Uint8 event)
    {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = windowId;
        e.window.event = event;
        SDL_PushEvent(&e);
    }
};

TEST_F(DesktopTest, CtrlQTheCloseButtonAndASignalEndTheLoopButPlainQDoesNot)
{
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_Q, 0);
    RunLoopFor(0.3);
    EXPECT_TRUE(gaveUp); // q alone is no menu command
    for (int way = 0; way < 3; way++) {
        gaveUp = false;
        if (way == 0)
            PushKey(SDL_KEYDOWN, SDL_SCANCODE_Q, KMOD_LCTRL);
        else if (way == 1)
            PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
        else {
            SDL_Event quit{};
            quit.type = SDL_QUIT;
            SDL_PushEvent(&quit);
        }
        RunLoopFor(3.0);
        EXPECT_FALSE(gaveUp) << way;
    }
    EXPECT_TRUE(ControllerStop(controller));
}

std::vector<PlatformEvent> seen;
bool Record(const PlatformEvent *event, void *)
{
    seen.push_back(*event);
    return false;
}

TEST_F(DesktopTest, KeysCarryCodesCharactersAndModifiersAndMinimiseCollapsesOnce)
{
    seen.clear();
    const int32_t wanted[] = {kEventRawKeyDown, kEventRawKeyRepeat, kEventRawKeyUp, kEventRawKeyModifiersChanged,
                              kEventWindowCollapsing, kEventWindowExpanding};
    PlatformInstallEventHandler(kTargetApplication, wanted, 6, Record, nullptr);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_LSHIFT, KMOD_LSHIFT);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_A, KMOD_LSHIFT);
    SDL_Event repeat{};
    repeat.type = SDL_KEYDOWN;
    repeat.key.windowID = windowId;
    repeat.key.repeat = 1;
    repeat.key.keysym.scancode = SDL_SCANCODE_UP;
    SDL_PushEvent(&repeat);
    PushKey(SDL_KEYUP, SDL_SCANCODE_A, 0);
    for (Uint8 event : {SDL_WINDOWEVENT_MINIMIZED, SDL_WINDOWEVENT_MINIMIZED, SDL_WINDOWEVENT_RESTORED,
                        SDL_WINDOWEVENT_RESTORED})
        PushWindowEvent(event);
    RunLoopFor(0.3);
    std::vector<int32_t> kinds;
    for (const PlatformEvent &e : seen)
        kinds.push_back(e.kind);
    // Minimised twice and restored twice: one collapse, one expansion.
    EXPECT_EQ(kinds, (std::vector<int32_t>{kEventRawKeyModifiersChanged, kEventRawKeyDown, kEventRawKeyRepeat,
                                           kEventRawKeyUp, kEventWindowCollapsing, kEventWindowExpanding}));
    ASSERT_EQ(seen.size(), 6u);
    EXPECT_EQ(seen[0].modifiers, uint32_t(kModifierShift));
    EXPECT_EQ(seen[1].keyCode, kKeyCodeA);
    EXPECT_EQ((std::vector<int>{seen[1].charCode, seen[2].charCode, seen[3].charCode}),
              (std::vector<int>{'A', 30, 'a'}));
}

TEST_F(DesktopTest, AResizeOfTheRealWindowReachesItThroughTheLoop)
{
    OpenGLWindow *window = controller->mainWindow;
    PlatformWindowSetContentSize(window->window, 900, 450);
    for (int i = 0; i < 20 && window->lastWidth != 900; i++)
        RunLoopFor(0.1);
    EXPECT_EQ(std::make_pair(window->lastWidth, window->lastHeight), std::make_pair(900, 450));
    std::vector<GLint> viewport(4, -1);
    glGetIntegerv(GL_VIEWPORT, viewport.data());
    EXPECT_EQ(viewport, (std::vector<GLint>{0, 0, 900, 450}));
}

} // namespace
