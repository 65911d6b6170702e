// Push buttons read clearly: the label's colour against the shipped button
// art, and against the pixels of the title screen and the preferences "OK"
// as drawn, has a contrast ratio of at least 4.5:1, also while the mouse is
// over a button, and the mouse over a button lights it up.
#include "WidgetTestSupport.h"

#include "Controller.h"
#include "Folders.h"
#include "FrameDemand.h"
#include "Image.h"
#include "MenuBar.h"
#include "ModelParser.h"
#include "Preferences.h"
#include "SplashScreen.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace fs = std::filesystem;
using widgettest::Key;

namespace {

const fs::path kShippedResources = fs::path(BRIMHOLD_BINARY_DIR) / "Resources";

double Channel(double c)
{
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// Relative luminance of an sRGB colour with channels from 0 to 255.
double Luminance(double r, double g, double b)
{
    return 0.2126 * Channel(r / 255) + 0.7152 * Channel(g / 255) + 0.0722 * Channel(b / 255);
}

double Contrast(double a, double b)
{
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

struct Frame {
    int32_t width = 0, height = 0;
    std::vector<uint8_t> rgba; // bottom row first
    static void Overlay(void *context)
    {
        Frame *frame = static_cast<Frame *>(context);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        frame->width = viewport[2];
        frame->height = viewport[3];
        frame->rgba.assign(size_t(frame->width) * size_t(frame->height) * 4, 0);
        glFinish();
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, frame->width, frame->height, GL_RGBA, GL_UNSIGNED_BYTE, frame->rgba.data());
    }
    double LuminanceAt(size_t pixel) const
    {
        return Luminance(rgba[pixel * 4], rgba[pixel * 4 + 1], rgba[pixel * 4 + 2]);
    }
    // The pixels of an overlay rectangle.
    std::vector<size_t> Pixels(Rect4f b) const
    {
        float r = float(width) / float(height);
        int x0 = std::max(0, int((b.left / r + 1) * 0.5f * float(width)) + 1);
        int x1 = std::min(width - 1, int((b.right / r + 1) * 0.5f * float(width)) - 1);
        int y0 = std::max(0, int((b.bottom + 1) * 0.5f * float(height)) + 1);
        int y1 = std::min(height - 1, int((b.top + 1) * 0.5f * float(height)) - 1);
        std::vector<size_t> pixels;
        for (int y = y0; y <= y1; y++)
            for (int x = x0; x <= x1; x++)
                pixels.push_back(size_t(y) * size_t(width) + size_t(x));
        return pixels;
    }
};

class ButtonLook : public ::testing::Test {
protected:
    widgettest::PreferencesFolder prefsFolder;
    Controller *controller = nullptr;
    OpenGLWindow *window = nullptr;
    Frame frame;

    void SetUp() override
    {
        HeadlessPlatformStartUp();
        ASSERT_EQ(0, TextStartUp());
        PrefsStartUp();
        PlatformSetResourcesFolder(kShippedResources);
        ASSERT_EQ(PlatformMenuBarLoad("MainMenu"), 0);
        SplashScreenRegisterMode();
        PrefsScreenRegisterMode();
        ControllerRegisterMode(ModeGame, nullptr);
        ControllerRegisterMode(ModeLevelEditor, nullptr);
        controller = ControllerAllocate();
        ASSERT_NE(controller, nullptr);
        window = ControllerGetMainWindow(controller);
        ASSERT_NE(window, nullptr);
        ModelLoadAllModels();
        ControllerSetFrameOverlay(Frame::Overlay, &frame);
    }
    void TearDown() override
    {
        ControllerSetFrameOverlay(nullptr, nullptr);
        if (controller) {
            ControllerStop(controller);
            ControllerDispose(controller);
        }
        for (int32_t mode = 1; mode <= 4; mode++)
            ControllerRegisterMode(mode, nullptr);
        ModelDisposeAllModels();
        PlatformMenuBarClear();
        PlatformSetResourcesFolder("");
        PrefsShutDown();
        TextShutDown();
        HeadlessPlatformShutDown();
    }

    // The next frame, drawn even when nothing the screens watch has changed
    // (a label set straight on the widget is no event).
    Frame Draw()
    {
        if (controller->splashScreen)
            FrameDemandInvalidate(&controller->splashScreen->demand);
        if (controller->prefsScreen)
            FrameDemandInvalidate(&controller->prefsScreen->demand);
        frame = Frame{};
        HeadlessRunFor(0.1);
        EXPECT_FALSE(frame.rgba.empty()) << "a frame was drawn";
        return frame;
    }

    // The contrast between the label and the face behind it, from two
    // frames: as drawn, and with the label taken away.  The label's pixels
    // are those the label changes; its colour is the lightest of them.
    double LabelContrast(Widget *button, bool hovered)
    {
        Rect4f b = WidgetGetBounds(button);
        Point2f centre{(b.left + b.right) / 2, (b.bottom + b.top) / 2};
        widgettest::Mouse(window, kEventMouseMoved, hovered ? centre.x : b.left - 0.3f, hovered ? centre.y : -0.98f);
        Frame with = Draw();
        std::string text = WidgetGetText(button);
        WidgetSetText(button, "");
        WidgetUpdate(button, false);
        Frame without = Draw();
        WidgetSetText(button, text.c_str());
        WidgetUpdate(button, false);
        double label = 0.0, face = 0.0;
        int changed = 0;
        for (size_t p : with.Pixels(b)) {
            int d = 0;
            for (int c = 0; c < 3; c++)
                d += std::abs(int(with.rgba[p * 4 + size_t(c)]) - int(without.rgba[p * 4 + size_t(c)]));
            if (d < 30)
                continue;
            changed++;
            label = std::max(label, with.LuminanceAt(p));
            face = std::max(face, without.LuminanceAt(p));
        }
        EXPECT_GT(changed, 20) << "the label shows";
        return Contrast(label, face);
    }
};

} // namespace

TEST_F(ButtonLook, TheShippedArtLeavesWhiteLabelsReadable)
{
    for (const char *name : {"BtnU.png", "BtnD.png"}) {
        PlatformImage image;
        ASSERT_TRUE(PlatformReadPNG(kShippedResources / "Textures" / name, &image)) << name;
        // The face inside the rim, where the label lies.
        double lightest = 0.0;
        for (int32_t y = image.height / 6; y < image.height * 5 / 6; y++)
            for (int32_t x = image.width / 16; x < image.width * 15 / 16; x++) {
                uint32_t p = image.pixels[size_t(y) * size_t(image.width) + size_t(x)]; // ARGB
                if ((p >> 24) >= 128)
                    lightest = std::max(lightest, Luminance((p >> 16) & 0xff, (p >> 8) & 0xff, p & 0xff));
            }
        EXPECT_GE(Contrast(1.0, lightest), 4.5) << name;
    }
}

TEST_F(ButtonLook, TitleButtonsAndTheOKButtonReadAndLightUpUnderTheMouse)
{
    ControllerStart(controller);
    Key(kKeyCodeEscape);
    for (FourCharCode id : {FourCharCode('NGam'), FourCharCode('LEdt'), FourCharCode('Pref'), FourCharCode('Quit')}) {
        Widget *button = WidgetControllerGetWidgetByIdentifier(controller->splashScreen->widgets, id);
        ASSERT_NE(button, nullptr);
        EXPECT_GE(LabelContrast(button, false), 4.5) << WidgetGetText(button);
        EXPECT_GE(LabelContrast(button, true), 4.5) << WidgetGetText(button) << " under the mouse";
    }

    // The mouse over a button changes how it looks; moved away, it does not.
    Widget *newGame = WidgetControllerGetWidgetByIdentifier(controller->splashScreen->widgets, 'NGam');
    Rect4f b = WidgetGetBounds(newGame);
    widgettest::Mouse(window, kEventMouseMoved, 0.0f, 0.5f);
    Frame away = Draw();
    widgettest::Mouse(window, kEventMouseMoved, (b.left + b.right) / 2, (b.bottom + b.top) / 2);
    Frame over = Draw();
    int lit = 0;
    for (size_t p : away.Pixels(Rect4f{b.left - 0.01f, b.bottom - 0.01f, b.right + 0.01f, b.top + 0.01f}))
        lit += over.LuminanceAt(p) > away.LuminanceAt(p) + 0.02 ? 1 : 0;
    EXPECT_GT(lit, 100) << "no hover highlight";
    widgettest::Mouse(window, kEventMouseMoved, 0.0f, 0.5f);
    Frame again = Draw();
    EXPECT_EQ(again.rgba, away.rgba);

    ASSERT_NE(controller->splashScreen, nullptr);
    HeadlessInjectCommand('pref');
    HeadlessRunFor(0.0);
    ASSERT_NE(controller->prefsScreen, nullptr);
    Widget *ok = WidgetControllerGetWidgetByIdentifier(controller->prefsScreen->widgets, 'OK  ');
    ASSERT_NE(ok, nullptr);
    EXPECT_GE(LabelContrast(ok, false), 4.5);
    EXPECT_GE(LabelContrast(ok, true), 4.5);
}
