// Shared set-up of the tests that drive the whole application on the headless
// platform: the controller with its modes, the preferences in a folder of the
// test's own, the shipped levels in play, and the frames as presented.
#pragma once

#include "WidgetTestSupport.h"

#include "Controller.h"
#include "Folders.h"
#include "GameController.h"
#include "LevelSet.h"
#include "MenuBar.h"
#include "ModelParser.h"
#include "Preferences.h"
#include "Sound.h"
#include "SplashScreen.h"
#include "Window.h"

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace screentest {

// The resources as built, with the shipped art and levels; the source tree's
// have no art.
inline const std::filesystem::path kShipped = std::filesystem::path(BRIMHOLD_BINARY_DIR) / "Resources";

// A frame read back from the back buffer, RGBA with the bottom row first.
struct Frame {
    int32_t width = 0, height = 0;
    std::vector<uint8_t> rgba;

    static Frame Read()
    {
        Frame f;
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        f.width = viewport[2];
        f.height = viewport[3];
        f.rgba.assign(size_t(f.width) * size_t(f.height) * 4, 0);
        glFinish();
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, f.width, f.height, GL_RGBA, GL_UNSIGNED_BYTE, f.rgba.data());
        return f;
    }
    std::array<int, 3> At(size_t pixel) const { return {rgba[pixel * 4], rgba[pixel * 4 + 1], rgba[pixel * 4 + 2]}; }
    // The column or row of an overlay coordinate.
    int Column(float x) const { return int((x * float(height) / float(width) + 1) * 0.5f * float(width)); }
    int Row(float y) const { return int((y + 1) * 0.5f * float(height)); }
    std::array<int, 3> AtOverlay(float x, float y) const
    {
        return At(size_t(Row(y)) * size_t(width) + size_t(Column(x)));
    }
    // The pixels of an overlay rectangle, less `inset` pixels at each edge.
    std::vector<size_t> Pixels(Rect4f b, int inset = 0) const
    {
        int x0 = std::max(0, Column(b.left) + inset), x1 = std::min(width - 1, Column(b.right) - inset);
        int y0 = std::max(0, Row(b.bottom) + inset), y1 = std::min(height - 1, Row(b.top) - inset);
        std::vector<size_t> pixels;
        for (int y = y0; y <= y1; y++)
            for (int x = x0; x <= x1; x++)
                pixels.push_back(size_t(y) * size_t(width) + size_t(x));
        return pixels;
    }
    // How many pixels differ from the other frame's by more than `threshold`
    // in the sum of their channels.
    int Changed(const Frame &other, int threshold) const
    {
        int changed = 0;
        for (size_t p = 0; p < rgba.size() / 4 && p < other.rgba.size() / 4; p++) {
            std::array<int, 3> a = At(p), b = other.At(p);
            changed += std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]) > threshold ? 1 : 0;
        }
        return changed;
    }
};

// The application controller with its modes.  The game mode is the real one
// or, as the level editor always is here, a kind without an object.  (The
// game suites' fixture builds on this one.)
class AppFixture : public ::testing::Test {
protected:
    widgettest::PreferencesFolder prefsFolder;
    Controller *controller = nullptr;
    OpenGLWindow *window = nullptr;
    LevelSet *set = nullptr;
    Frame frame;     // the last frame presented, while capturing
    int frames = 0;  // the frames presented while capturing
    bool readFrames = true;

    // The title screen is left without an object (as the game tests have it)
    // when `title` is false.
    void StartUp(bool shipped, bool realGame, bool title = true)
    {
        HeadlessPlatformStartUp();
        ASSERT_EQ(0, TextStartUp());
        PrefsStartUp();
        SoundSetEnabled(false);
        PlatformSetResourcesFolder(shipped ? kShipped : std::filesystem::path(BRIMHOLD_SOURCE_DIR) / "Resources");
        ASSERT_EQ(PlatformMenuBarLoad("MainMenu"), 0);
        if (title)
            SplashScreenRegisterMode();
        PrefsScreenRegisterMode();
        if (realGame)
            GameControllerRegisterMode();
        else
            ControllerRegisterMode(ModeGame, nullptr);
        ControllerRegisterMode(ModeLevelEditor, nullptr);
        controller = ControllerAllocate();
        ASSERT_NE(controller, nullptr);
        window = ControllerGetMainWindow(controller);
        ASSERT_NE(window, nullptr) << "no window could be opened";
    }
    void TearDown() override
    {
        ControllerSetFrameOverlay(nullptr, nullptr);
        if (controller) {
            ControllerStop(controller);
            ModelDisposeAllModels();
            ControllerDispose(controller);
        }
        LevelSetDispose(set);
        for (int32_t mode = 1; mode <= 4; mode++)
            ControllerRegisterMode(mode, nullptr);
        PlatformMenuBarClear();
        PlatformSetResourcesFolder({});
        PrefsShutDown();
        TextShutDown();
        HeadlessPlatformShutDown();
        PlatformSetDisplayLimits({-1, false});
        SoundSetEnabled(true);
    }

    // Counts each presented frame and reads it back into `frame`.
    static void CaptureOverlay(void *context)
    {
        AppFixture *fixture = static_cast<AppFixture *>(context);
        fixture->frames++;
        if (fixture->readFrames)
            fixture->frame = Frame::Read();
    }
    void Capture() { ControllerSetFrameOverlay(CaptureOverlay, this); }

    // The shipped levels in play: the game mode on top of the title.
    GameController *StartShippedGame()
    {
        ModelLoadAllModels();
        set = LevelSetAllocate();
        EXPECT_TRUE(LevelSetInitWithFile(set, kShipped / "Levels" / "Test levels"));
        controller->currentLevelSet = set;
        ControllerStart(controller);
        ControllerPushMode(controller, ModeGame);
        return controller->gameController;
    }
    // The mode stack, bottom first.
    std::vector<int32_t> Stack()
    {
        return std::vector<int32_t>(controller->modeStack, controller->modeStack + controller->modeStackTop + 1);
    }
    void Command(FourCharCode code)
    {
        HeadlessInjectCommand(code);
        HeadlessRunFor(0.0);
    }
    // The centre of a widget, or of the box of a check box.
    Point2f Centre(WidgetController *widgets, FourCharCode identifier)
    {
        Widget *widget = WidgetControllerGetWidgetByIdentifier(widgets, identifier);
        EXPECT_NE(widget, nullptr);
        if (!widget)
            return Point2f{9, 9};
        Rect4f b = WidgetGetBounds(widget);
        if (widget->kind == kWidgetCheckBox)
            return Point2f{b.left + 0.04f, b.bottom + 0.04f};
        return Point2f{(b.left + b.right) / 2, (b.bottom + b.top) / 2};
    }
    void ClickWidget(WidgetController *widgets, FourCharCode identifier)
    {
        Point2f p = Centre(widgets, identifier);
        widgettest::Click(window, p.x, p.y);
    }
};

} // namespace screentest
