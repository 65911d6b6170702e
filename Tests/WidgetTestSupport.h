// Shared set-up of the widget, screen and menu-strip tests: the headless
// platform, the text system and a real window (text is rendered into
// textures), and helpers that click and type at overlay coordinates.
#pragma once

#include "Headless.h"
#include "Keyboard.h"
#include "OpenGLWindow.h"
#include "Text.h"
#include "Widget.h"
#include "WidgetController.h"
#include "Window.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace widgettest {

// Global screen pixels of an overlay point of the window.
inline Point2f Global(OpenGLWindow *window, float x, float y)
{
    Rect4f b = OpenGLWindowGetBounds(window);
    float r = OpenGLWindowGetRatio(window);
    float halfWidth = (b.right - b.left) / 2.0f, halfHeight = (b.bottom - b.top) / 2.0f;
    return Point2f{b.left + (x / r + 1.0f) * halfWidth, b.top + (1.0f - y) * halfHeight};
}

inline void Mouse(OpenGLWindow *window, int32_t kind, float x, float y, uint32_t modifiers = 0)
{
    Point2f p = Global(window, x, y);
    HeadlessInjectMouse(kind, p.x, p.y, modifiers);
    HeadlessRunFor(0.0);
}

inline void Click(OpenGLWindow *window, float x, float y)
{
    Mouse(window, kEventMouseDown, x, y);
    Mouse(window, kEventMouseUp, x, y);
}

inline void Key(int32_t keyCode, uint32_t modifiers = 0)
{
    HeadlessInjectKey(kEventRawKeyDown, keyCode, modifiers);
    HeadlessInjectKey(kEventRawKeyUp, keyCode, modifiers);
    HeadlessRunFor(0.0);
}

// The window's content resized, and the size change reported as the desktop
// reports it.
inline void Resize(OpenGLWindow *window, int32_t width, int32_t height)
{
    PlatformWindowSetContentSize(window->window, width, height);
    PlatformEvent event{};
    event.kind = kEventWindowBoundsChanged;
    event.sizeChanged = true;
    HeadlessInjectEvent(event);
    HeadlessRunFor(0.0);
}

inline void Type(const std::string &text)
{
    for (char c : text)
        Key(PlatformCharCodeToKeyCode(uint8_t(c)));
}

// A preferences folder of the test's own, so that no test reads or writes
// the user's preferences.
struct PreferencesFolder {
    testfiles::TemporaryFolder folder;
    std::filesystem::path root = folder.path();
    testfiles::ScopedEnv config{"XDG_CONFIG_HOME", root.c_str()};
};

// The headless platform, text, and a window of the given size with a widget
// controller on it.
class WidgetFixture : public ::testing::Test {
protected:
    OpenGLWindow *window = nullptr;
    WidgetController *controller = nullptr;

    void Open(int32_t width = 800, int32_t height = 600)
    {
        HeadlessPlatformStartUp();
        ASSERT_EQ(0, TextStartUp());
        window = OpenGLWindowAllocate("Brimhold", width, height, false, false, kProjectionPerspective);
        ASSERT_NE(window, nullptr) << "no window could be opened";
        controller = WidgetControllerAllocate(window);
    }
    void SetUp() override { Open(); }
    void TearDown() override
    {
        WidgetControllerDispose(controller);
        OpenGLWindowDispose(window);
        TextShutDown();
        HeadlessPlatformShutDown();
    }

    Widget *Add(FourCharCode identifier, int32_t kind, float x, float y, const char *text = nullptr)
    {
        Widget *widget = WidgetAllocate(controller, identifier, kind, x, y);
        if (text)
            WidgetSetText(widget, text);
        WidgetControllerAddWidget(controller, widget);
        return widget;
    }
    void Mouse(int32_t kind, float x, float y, uint32_t modifiers = 0)
    {
        widgettest::Mouse(window, kind, x, y, modifiers);
    }
    void Click(float x, float y) { widgettest::Click(window, x, y); }
};

// Counts the dispatches of one callback type and answers with a fixed result.
struct Counter {
    int32_t count = 0;
    int32_t result = 1;
    Widget *last = nullptr;
    static int32_t Callback(void *context, void *sender)
    {
        Counter *counter = static_cast<Counter *>(context);
        counter->count++;
        counter->last = static_cast<Widget *>(sender);
        return counter->result;
    }
    void Install(Widget *widget, int32_t type)
    {
        CallbackControllerInstallCallback(WidgetGetCallbackController(widget), type, Callback, this);
    }
};

} // namespace widgettest
