// Push buttons read clearly: the label's colour against the pixels of the
// title screen and the preferences "OK" as drawn with the shipped button art
// (the plain face, and the lit one while the mouse is over a button) has a
// contrast ratio of at least 4.5:1, and the mouse over a button lights it up.
#include "ScreenTestSupport.h"

#include "FrameDemand.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using screentest::Frame;

namespace {

// Relative luminance of an sRGB colour with channels from 0 to 255.
double Luminance(std::array<int, 3> c)
{
    auto linear = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(c[0] / 255.0) + 0.7152 * linear(c[1] / 255.0) + 0.0722 * linear(c[2] / 255.0);
}

double Contrast(double a, double b)
{
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

class ButtonLook : public screentest::AppFixture {
protected:
    void SetUp() override
    {
        StartUp(true, false);
        if (HasFatalFailure())
            return;
        ModelLoadAllModels();
        Capture();
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
        for (size_t p : with.Pixels(b, 1)) {
            std::array<int, 3> a = with.At(p), c = without.At(p);
            if (std::abs(a[0] - c[0]) + std::abs(a[1] - c[1]) + std::abs(a[2] - c[2]) < 30)
                continue;
            changed++;
            label = std::max(label, Luminance(a));
            face = std::max(face, Luminance(c));
        }
        EXPECT_GT(changed, 20) << "the label shows";
        return Contrast(label, face);
    }
};

} // namespace

TEST_F(ButtonLook, TitleButtonsAndTheOKButtonReadAndLightUpUnderTheMouse)
{
    ControllerStart(controller);
    widgettest::Key(kKeyCodeEscape);
    for (FourCharCode id : {FourCharCode('NGam'), FourCharCode('LEdt'), FourCharCode('Pref'), FourCharCode('Quit')}) {
        Widget *button = WidgetControllerGetWidgetByIdentifier(controller->splashScreen->widgets, id);
        ASSERT_NE(button, nullptr);
        EXPECT_GE(LabelContrast(button, false), 4.5) << WidgetGetText(button);
        EXPECT_GE(LabelContrast(button, true), 4.5) << WidgetGetText(button) << " under the mouse";
    }

    // The mouse over a button changes how it looks; moved away, it does not.
    Rect4f b = WidgetGetBounds(WidgetControllerGetWidgetByIdentifier(controller->splashScreen->widgets, 'NGam'));
    widgettest::Mouse(window, kEventMouseMoved, 0.0f, 0.5f);
    Frame away = Draw();
    widgettest::Mouse(window, kEventMouseMoved, (b.left + b.right) / 2, (b.bottom + b.top) / 2);
    Frame over = Draw();
    int lit = 0;
    for (size_t p : away.Pixels(Rect4f{b.left - 0.01f, b.bottom - 0.01f, b.right + 0.01f, b.top + 0.01f}, 1))
        lit += Luminance(over.At(p)) > Luminance(away.At(p)) + 0.02 ? 1 : 0;
    EXPECT_GT(lit, 100) << "no hover highlight";
    widgettest::Mouse(window, kEventMouseMoved, 0.0f, 0.5f);
    EXPECT_EQ(Draw().rgba, away.rgba);

    Command('pref');
    ASSERT_NE(controller->prefsScreen, nullptr);
    Widget *ok = WidgetControllerGetWidgetByIdentifier(controller->prefsScreen->widgets, 'OK  ');
    ASSERT_NE(ok, nullptr);
    EXPECT_GE(LabelContrast(ok, false), 4.5);
    EXPECT_GE(LabelContrast(ok, true), 4.5);
}
