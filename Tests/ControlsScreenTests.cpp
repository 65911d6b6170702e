// The controls screen of the preferences and the game controller on the
// screens: rebinding by pressing the new key, the swap offered for a key in
// use, reset, and the d-pad, A and B working the preferences screen.
#include "ScreenTestSupport.h"

#include "Bindings.h"
#include "PadNavigation.h"
#include "PrefsBindings.h"
#include "StatusLabels.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The preferences screen open over the title.
class ControlsScreen : public screentest::AppFixture {
protected:
    void SetUp() override
    {
        StartUp(false, false);
        if (HasFatalFailure())
            return;
        BindingsStartUp();
        PadNavigationStartUp();
        ControllerStart(controller);
        Command('pref');
        ASSERT_NE(controller->prefsScreen, nullptr);
    }
    void TearDown() override
    {
        PrefsBindingsSetObserver(nullptr, nullptr);
        PadNavigationShutDown();
        AppFixture::TearDown();
        BindingsLoadDefaults();
        PrefsBindingsApplyComfort();
    }
};

// Clicks and keys that the controls screen takes once it is up, in order: a
// widget to click, or 0 and a key.
struct Script {
    OpenGLWindow *window;
    std::vector<std::pair<FourCharCode, int32_t>> steps;
};

void RunScript(WidgetController *widgets, void *context)
{
    Script *script = static_cast<Script *>(context);
    double delay = 0.0;
    for (auto [identifier, key] : script->steps) {
        delay += 0.05;
        if (identifier) {
            Widget *widget = WidgetControllerGetWidgetByIdentifier(widgets, identifier);
            ASSERT_NE(widget, nullptr);
            Rect4f b = WidgetGetBounds(widget);
            Point2f p = widgettest::Global(script->window, (b.left + b.right) / 2, (b.bottom + b.top) / 2);
            HeadlessInjectMouse(kEventMouseDown, p.x, p.y, 0, 1, delay);
            HeadlessInjectMouse(kEventMouseUp, p.x, p.y, 0, 1, delay);
        } else {
            HeadlessInjectKey(kEventRawKeyDown, key, 0, delay);
            HeadlessInjectKey(kEventRawKeyUp, key, 0, delay);
        }
    }
}

} // namespace

TEST_F(ControlsScreen, KeysAreTakenByPressingThemAndAClashIsOfferedToSwap)
{
    int32_t j = PlatformCharCodeToKeyCode('j'), q = BindingsGetKey(kActionUse);
    Script script{window, {}};
    script.steps = {
        {PrefsBindingsKeyIdentifier(kActionJump), 0}, {0, kKeyCodeLeftShift}, {0, j}, // modifiers are not keys
        {PrefsBindingsKeyIdentifier(kActionUse), 0},  {0, j},                          // Jump has j: asked
        {kPrefsBindingsSwap, 0},                                                       // now Jump q, Use j
        {kPrefsBindingsEditorPage, 0}, {PrefsBindingsKeyIdentifier(kActionPlaceBlocks), 0}, {0, kKeyCodeTab},
        {kPrefsBindingsDone, 0},
    };
    PrefsBindingsSetObserver(RunScript, &script);
    Widget *button = WidgetControllerGetWidgetByIdentifier(controller->prefsScreen->widgets, 'Ctrl');
    ASSERT_NE(button, nullptr);
    EXPECT_STREQ(WidgetGetText(button), "Controls...");
    ClickWidget(controller->prefsScreen->widgets, 'Ctrl');
    EXPECT_EQ((std::vector<int32_t>{BindingsGetKey(kActionJump), BindingsGetKey(kActionUse),
                                    BindingsGetKey(kActionPlaceBlocks)}),
              (std::vector<int32_t>{q, j, kKeyCodeTab}));
    // Saved on closing.
    EXPECT_EQ(testfiles::ReadText(BindingsGetFilePath()), BindingsWriteToText());
    // The preferences screen is back and takes clicks again.
    EXPECT_EQ(controller->prefsScreen->suspendCount, 0);

    script.steps = {{kPrefsBindingsReset, 0}, {kPrefsBindingsComfortPage, 0},
                    {PrefsBindingsComfortIdentifier(kComfortLargerText), 0}, {0, kKeyCodeEscape}};
    ClickWidget(controller->prefsScreen->widgets, 'Ctrl');
    EXPECT_EQ(BindingsGetKey(kActionJump), kKeyCodeSpace);
    EXPECT_EQ(BindingsGetKey(kActionPlaceBlocks), kKeyCodeSpace);
    EXPECT_TRUE(BindingsGetComfort(kComfortLargerText));
    EXPECT_EQ(WidgetGetTextScale(), kPrefsBindingsLargerTextScale);
}

TEST_F(ControlsScreen, ThePadWorksThePreferencesScreen)
{
    int32_t sound = -1, after = -1;
    PrefsGetValue(kPrefsKeySound, &sound);
    // Down to the first check box ("Play sound"), A toggles it.
    HeadlessInjectPadButton(kEventPadButtonDown, kPadButtonDPadDown);
    HeadlessInjectPadButton(kEventPadButtonDown, kPadButtonA);
    HeadlessRunFor(0.0);
    PrefsGetValue(kPrefsKeySound, &after);
    EXPECT_EQ(after, sound ? 0 : 1);
    // B closes the screen.
    HeadlessInjectPadButton(kEventPadButtonDown, kPadButtonB);
    HeadlessRunFor(0.0);
    EXPECT_EQ(controller->prefsScreen, nullptr);
}

TEST_F(ControlsScreen, TheHighContrastStatusLineStandsOnABlackBand)
{
    WidgetController *labels = StatusLabelsAllocate(window);
    StatusLabelsUpdate(labels, 120, 3, 0, 0, 15.0f);
    int32_t width = 0, height = 0;
    PlatformWindowGetDrawableSize(window->window, &width, &height);
    std::vector<int> red;
    for (bool on : {false, true}) {
        StatusLabelsSetHighContrast(on);
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        StatusLabelsDraw(labels);
        // Right of the last label, inside the band's height.
        uint8_t pixel[4] = {};
        glReadPixels(width - 3, 4, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        red.push_back(pixel[0]);
    }
    StatusLabelsSetHighContrast(false);
    glClearColor(0, 0, 0, 1);
    StatusLabelsDispose(labels);
    // Without high contrast the labels stand on their own translucent dark
    // band; with it, on opaque black.
    ASSERT_EQ(red.size(), 2u);
    EXPECT_GT(red[0], 0);
    EXPECT_LT(red[0], 128);
    EXPECT_EQ(red[1], 0);
}
