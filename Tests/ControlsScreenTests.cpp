// The controls screen of the preferences and the game controller on the
// screens: rebinding by pressing the new key, the swap offered for a key in
// use, reset, and the d-pad, A and B working the preferences screen.
#include "WidgetTestSupport.h"

#include "Bindings.h"
#include "Controller.h"
#include "Folders.h"
#include "MenuBar.h"
#include "ModelParser.h"
#include "PadNavigation.h"
#include "Preferences.h"
#include "PrefsBindings.h"
#include "Sound.h"
#include "SplashScreen.h"
#include "StatusLabels.h"
#include "Window.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

namespace {

class ControlsScreen : public ::testing::Test {
protected:
    widgettest::PreferencesFolder prefsFolder;
    Controller *controller = nullptr;
    OpenGLWindow *window = nullptr;

    void SetUp() override
    {
        HeadlessPlatformStartUp();
        ASSERT_EQ(0, TextStartUp());
        PrefsStartUp();
        BindingsStartUp();
        PadNavigationStartUp();
        SoundSetEnabled(false);
        PlatformSetResourcesFolder(BRIMHOLD_SOURCE_DIR "/Resources");
        ASSERT_EQ(PlatformMenuBarLoad("MainMenu"), 0);
        SplashScreenRegisterMode();
        PrefsScreenRegisterMode();
        ControllerRegisterMode(ModeGame, nullptr);
        ControllerRegisterMode(ModeLevelEditor, nullptr);
        controller = ControllerAllocate();
        ASSERT_NE(controller, nullptr);
        window = ControllerGetMainWindow(controller);
        ASSERT_NE(window, nullptr);
        ControllerStart(controller);
        HeadlessInjectCommand('pref');
        HeadlessRunFor(0.0);
        ASSERT_NE(controller->prefsScreen, nullptr);
    }
    void TearDown() override
    {
        PrefsBindingsSetObserver(nullptr, nullptr);
        if (controller) {
            ControllerStop(controller);
            ControllerDispose(controller);
        }
        for (int32_t mode = 1; mode <= 4; mode++)
            ControllerRegisterMode(mode, nullptr);
        ModelDisposeAllModels();
        PlatformMenuBarClear();
        PlatformSetResourcesFolder("");
        PadNavigationShutDown();
        BindingsLoadDefaults();
        PrefsBindingsApplyComfort();
        PrefsShutDown();
        TextShutDown();
        HeadlessPlatformShutDown();
        SoundSetEnabled(true);
    }
};

// Clicks and keys that the screen takes once it is up, in order.
struct Script {
    OpenGLWindow *window;
    std::vector<std::pair<FourCharCode, int32_t>> steps; // a widget to click, or 0 and a key
};

void Centre(WidgetController *widgets, FourCharCode identifier, float *x, float *y)
{
    Widget *widget = WidgetControllerGetWidgetByIdentifier(widgets, identifier);
    ASSERT_NE(widget, nullptr);
    Rect4f b = WidgetGetBounds(widget);
    *x = (b.left + b.right) / 2;
    *y = (b.bottom + b.top) / 2;
}

void RunScript(WidgetController *widgets, void *context)
{
    Script *script = static_cast<Script *>(context);
    double delay = 0.0;
    for (auto [identifier, key] : script->steps) {
        delay += 0.05;
        if (identifier) {
            float x = 0, y = 0;
            Centre(widgets, identifier, &x, &y);
            Point2f p = widgettest::Global(script->window, x, y);
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
    float x = 0, y = 0;
    Centre(controller->prefsScreen->widgets, 'Ctrl', &x, &y);
    widgettest::Click(window, x, y);
    EXPECT_EQ(BindingsGetKey(kActionJump), q);
    EXPECT_EQ(BindingsGetKey(kActionUse), j);
    EXPECT_EQ(BindingsGetKey(kActionPlaceBlocks), kKeyCodeTab);
    // Saved on closing.
    std::ifstream in(BindingsGetFilePath());
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), BindingsWriteToText());
    // The preferences screen is back and takes clicks again.
    EXPECT_EQ(controller->prefsScreen->suspendCount, 0);

    script.steps = {{kPrefsBindingsReset, 0}, {kPrefsBindingsComfortPage, 0},
                    {PrefsBindingsComfortIdentifier(kComfortLargerText), 0}, {0, kKeyCodeEscape}};
    widgettest::Click(window, x, y);
    EXPECT_EQ(BindingsGetKey(kActionJump), kKeyCodeSpace);
    EXPECT_EQ(BindingsGetKey(kActionPlaceBlocks), kKeyCodeSpace);
    EXPECT_TRUE(BindingsGetComfort(kComfortLargerText));
    EXPECT_EQ(WidgetGetTextScale(), kPrefsBindingsLargerTextScale);
}

TEST_F(ControlsScreen, ThePadWorksThePreferencesScreen)
{
    int32_t sound = -1;
    PrefsGetValue(kPrefsKeySound, &sound);
    // Down to the first check box ("Play sound"), A toggles it.
    HeadlessInjectPadButton(kEventPadButtonDown, kPadButtonDPadDown);
    HeadlessInjectPadButton(kEventPadButtonDown, kPadButtonA);
    HeadlessRunFor(0.0);
    int32_t after = -1;
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
