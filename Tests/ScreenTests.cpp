// The title screen, the preferences screen, the menu strip and the status
// labels, driven end to end through the application controller on the
// headless platform; a screenshot of the title screen under the test display.
#include "ScreenTestSupport.h"

#include "ListPanel.h"
#include "MenuStrip.h"
#include "Shader.h"
#include "StatusLabels.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

using screentest::Frame;
using widgettest::Key;

namespace {

// A widget's identifier, kind, text, font size and location, to compare whole.
std::tuple<FourCharCode, int32_t, std::string, int32_t, float, float> Describe(Widget *widget)
{
    Point2f at = WidgetGetLocation(widget);
    return {widget->identifier, widget->kind, WidgetGetText(widget), WidgetGetTextRec(widget)->fontSize, at.x, at.y};
}

class Screens : public screentest::AppFixture {
protected:
    void SetUp() override { StartUp(false, false); }
    SplashScreen *Title() { return controller->splashScreen; }
    PrefsScreen *Prefs() { return controller->prefsScreen; }
    Widget *TitleWidget(FourCharCode identifier)
    {
        return WidgetControllerGetWidgetByIdentifier(Title()->widgets, identifier);
    }
    void Mouse(int32_t kind, Point2f p) { widgettest::Mouse(window, kind, p.x, p.y); }
    void Click(Point2f p) { widgettest::Click(window, p.x, p.y); }
};

using Modes = std::vector<int32_t>;

// ---- Title screen ---------------------------------------------------------------

TEST_F(Screens, TheProgramOpensOnTheTitleScreenWithItsWidgets)
{
    ControllerStart(controller);
    ASSERT_EQ(Stack(), Modes{ModeSplashScreen});
    ASSERT_NE(Title(), nullptr);
    EXPECT_EQ(Title()->titleShader, nullptr); // no art installed here
    WidgetController *widgets = Title()->widgets;
    ASSERT_EQ(WidgetControllerNumberOfWidgets(widgets), 5);
    const FourCharCode ids[] = {'NGam', 'LEdt', 'Pref', 'Quit'};
    const char *texts[] = {"New game", "Level editor", "Preferences", "Quit"};
    const float xs[] = {-0.6f, -0.2f, 0.2f, 0.6f};
    for (int i = 0; i < 4; i++) {
        Widget *button = WidgetControllerWidgetAtIndex(widgets, i);
        EXPECT_EQ(Describe(button), std::make_tuple(ids[i], int32_t(kWidgetPushButton), std::string(texts[i]),
                                                    WidgetGetTextRec(button)->fontSize, xs[i], -0.8f));
    }
    Widget *credit = WidgetControllerWidgetAtIndex(widgets, 4);
    EXPECT_EQ(std::make_tuple(credit->identifier, credit->kind, WidgetGetTextRec(credit)->fontSize,
                              WidgetGetTextRec(credit)->alignment),
              std::make_tuple(FourCharCode('Cred'), int32_t(kWidgetStaticText), int32_t(12), int32_t(kTextAlignRight)));
    // Anchored to the right edge: at 0.99 for a square window, further out
    // for this 4:3 one.
    EXPECT_FLOAT_EQ(WidgetGetLocation(credit).x, 0.99f + (OpenGLWindowGetRatio(window) - 1.0f));
    EXPECT_FLOAT_EQ(WidgetGetBounds(credit).right, WidgetGetLocation(credit).x);
    EXPECT_FLOAT_EQ(WidgetGetBounds(credit).bottom, -0.99f);
}

// Parking the timer while suspended and the catch-up of at most ten steps
// are the mode support's, tested there.
TEST_F(Screens, TheIntroAdvancesOneHundredthPerStepUpToFour)
{
    ControllerStart(controller);
    HeadlessRunFor(0.5);
    EXPECT_NEAR(Title()->introTime, 0.6f, 0.02f);
    testing::internal::CaptureStdout();
    SplashScreenResume(Title());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Anomaly: SplashScreenResume called when not suspended\n");
    HeadlessRunFor(5.0);
    EXPECT_FLOAT_EQ(Title()->introTime, 4.0f);
}

TEST_F(Screens, AClickDuringTheIntroOnlySkipsIt)
{
    ControllerStart(controller);
    HeadlessRunFor(0.5);
    Point2f newGame = Centre(Title()->widgets, 'NGam');
    Mouse(kEventMouseDown, newGame);
    EXPECT_FLOAT_EQ(Title()->introTime, 4.0f);
    EXPECT_FALSE(WidgetGetTextRec(TitleWidget('NGam'))->pressed);
    Mouse(kEventMouseUp, newGame);
    EXPECT_EQ(Stack(), Modes{ModeSplashScreen});

    // Now the button works: it opens the set chooser (cancelled here).
    testfiles::ScopedEnv data{"XDG_DATA_HOME", (prefsFolder.root / "data").c_str()};
    static int panelsShown = 0;
    panelsShown = 0;
    ListPanelSetObserver([](const ListPanelSpec *, void *) { panelsShown++; }, nullptr);
    ListPanelQueueScriptedAnswer('Cncl');
    Click(newGame);
    HeadlessRunFor(0.0);
    ListPanelSetObserver(nullptr, nullptr);
    EXPECT_EQ(panelsShown, 1);
    EXPECT_EQ(Stack(), Modes{ModeSplashScreen});
}

TEST_F(Screens, AnyKeySkipsTheIntroThenTheEditorAndQuitButtonsWork)
{
    ControllerStart(controller);
    HeadlessRunFor(0.2);
    Key(kKeyCodeSpace);
    EXPECT_FLOAT_EQ(Title()->introTime, 4.0f);
    EXPECT_EQ(Stack(), Modes{ModeSplashScreen});
    ClickWidget(Title()->widgets, 'LEdt');
    EXPECT_EQ(Stack(), (Modes{ModeSplashScreen, ModeLevelEditor}));
    Command('LEdt');
    EXPECT_EQ(Stack(), Modes{ModeSplashScreen});
    // Quit ends the event loop.
    Point2f p = Centre(Title()->widgets, 'Quit');
    p = widgettest::Global(window, p.x, p.y);
    HeadlessInjectMouse(kEventMouseDown, p.x, p.y);
    HeadlessInjectMouse(kEventMouseUp, p.x, p.y);
    EXPECT_TRUE(HeadlessRunFor(0.0));
}

// ---- Preferences screen ---------------------------------------------------------------

TEST_F(Screens, PreferencesOpenFromTheTitleAndCloseWithOK)
{
    CallbackController *callbacks = OpenGLWindowGetCallbackController(window);
    ControllerStart(controller);
    Key(kKeyCodeEscape);
    int32_t callbacksBefore = callbacks->count;
    ClickWidget(Title()->widgets, 'Pref');
    ASSERT_EQ(Stack(), (Modes{ModeSplashScreen, ModePreferences}));
    ASSERT_NE(Prefs(), nullptr);
    EXPECT_EQ(callbacks->count, callbacksBefore + 2); // the widgets' bounds, the full-screen switch
    WidgetController *widgets = Prefs()->widgets;
    ASSERT_EQ(WidgetControllerNumberOfWidgets(widgets), 11);
    Widget *label = WidgetControllerWidgetAtIndex(widgets, 0);
    EXPECT_EQ(std::make_tuple(label->identifier, std::string(WidgetGetText(label)), WidgetGetTextRec(label)->fontSize),
              std::make_tuple(FourCharCode('Pref'), std::string("Preferences"), int32_t(48)));
    const FourCharCode ids[] = {'Snd ', 'FSAA', 'VBLW', 'VBLF', 'FSSt', 'Anis', 'FScn'};
    const char *texts[] = {"Play sound", "Full scene anti-aliasing", "VBL sync (windowed)", "VBL sync (full screen)",
                           "Start up in full screen mode", "Anisotropic texture filtering", "Full screen mode"};
    for (int i = 0; i < 7; i++) {
        EXPECT_EQ(Describe(WidgetControllerWidgetAtIndex(widgets, i + 1)),
                  std::make_tuple(ids[i], int32_t(kWidgetCheckBox), std::string(texts[i]), int32_t(14), -0.25f,
                                  -0.1f * float(i + 1)));
    }
    Widget *ok = WidgetControllerWidgetAtIndex(widgets, 8);
    EXPECT_EQ(std::make_pair(ok->identifier, std::string(WidgetGetText(ok))),
              std::make_pair(FourCharCode('OK  '), std::string("OK")));
    EXPECT_STREQ(WidgetGetText(WidgetControllerGetWidgetByIdentifier(widgets, 'FRat')), "Show frame rate");
    // The title screen is covered: frozen, its buttons deaf.
    EXPECT_TRUE(Title()->frozen);
    ClickWidget(widgets, 'OK  ');
    EXPECT_EQ(Stack(), Modes{ModeSplashScreen});
    EXPECT_EQ(controller->prefsScreen, nullptr);
    EXPECT_FALSE(Title()->frozen);
    EXPECT_EQ(callbacks->count, callbacksBefore) << "the screen's window callbacks are removed";
    Command('pref');
    testing::internal::CaptureStdout();
    PrefsScreenResume(Prefs());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Anomaly: PrefsScreenResume called when not suspended\n");
}

TEST_F(Screens, EachCheckBoxShowsAndStoresItsKeyAndTheFullScreenBoxFollowsTheWindow)
{
    const int32_t keys[] = {kPrefsKeySound, kPrefsKeyFSAA, kPrefsKeyVBLSyncWindowed, kPrefsKeyVBLSyncFullScreen,
                            kPrefsKeyStartFullScreen, kPrefsKeyAnisotropic};
    const FourCharCode ids[] = {'Snd ', 'FSAA', 'VBLW', 'VBLF', 'FSSt', 'Anis'};
    auto stored = [](int32_t key) {
        int32_t value = -1;
        PrefsGetValue(key, &value);
        return value;
    };
    auto box = [&](int i) { return WidgetControllerGetWidgetByIdentifier(Prefs()->widgets, ids[i]); };
    // Stored values other than the defaults: every box must show its own.
    PrefsSetValue(kPrefsKeySound, 0);
    PrefsSetValue(kPrefsKeyVBLSyncWindowed, 1);
    PrefsSetValue(kPrefsKeyStartFullScreen, 1);
    ControllerStart(controller);
    Command('pref');
    ASSERT_NE(Prefs(), nullptr);
    for (int i = 0; i < 6; i++)
        EXPECT_EQ(WidgetIsChecked(box(i)), stored(keys[i]) != 0) << i;
    for (int round = 0; round < 2; round++) {
        for (int i = 0; i < 6; i++) {
            int32_t before = stored(keys[i]);
            ClickWidget(Prefs()->widgets, ids[i]);
            EXPECT_EQ(stored(keys[i]), before ? 0 : 1) << "key " << keys[i];
            EXPECT_EQ(WidgetIsChecked(box(i)), stored(keys[i]) != 0);
        }
        // Applied at once.
        EXPECT_EQ(
            (std::vector<int32_t>{SoundIsEnabled(), window->fsaa, window->vblSyncWindowed, window->vblSyncFullScreen}),
                  (std::vector<int32_t>{stored(keys[0]) != 0, stored(keys[1]) != 0, stored(keys[2]), stored(keys[3])}));
    }

    // The full-screen box follows the window and reverts when the switch fails.
    Widget *full = WidgetControllerGetWidgetByIdentifier(Prefs()->widgets, 'FScn');
    EXPECT_FALSE(WidgetIsChecked(full));
    PlatformSetDisplayLimits({-1, true});
    testing::internal::CaptureStdout();
    ClickWidget(Prefs()->widgets, 'FScn');
    testing::internal::GetCapturedStdout();
    auto state = [&] { return std::make_pair(OpenGLWindowIsFullScreen(window), WidgetIsChecked(full)); };
    EXPECT_EQ(state(), std::make_pair(false, false));
    PlatformSetDisplayLimits({-1, false});
    // The menu command switches; the box follows.
    Command('FScn');
    ASSERT_EQ(state(), std::make_pair(true, true));
    Command('FScn');
    EXPECT_EQ(state(), std::make_pair(false, false));
    // And the box switches the window.
    ClickWidget(Prefs()->widgets, 'FScn');
    EXPECT_EQ(state(), std::make_pair(true, true));
    OpenGLWindowToggleFullScreen(window);
    EXPECT_FALSE(WidgetIsChecked(full));
}

// ---- Menu strip ----------------------------------------------------------------------------

class Strip : public Screens {
protected:
    MenuStrip *strip = nullptr;
    void SetUp() override
    {
        Screens::SetUp();
        if (HasFatalFailure())
            return;
        strip = MenuStripAllocate(window);
        ControllerSetFrameOverlay(MenuStripDrawOverlay, strip);
    }
    void TearDown() override
    {
        ControllerSetFrameOverlay(nullptr, nullptr);
        if (controller)
            ControllerStop(controller);
        MenuStripDispose(strip);
        Screens::TearDown();
    }
    Point2f TitleCentre(int32_t menu)
    {
        Rect4f b = WidgetGetBounds(strip->menus[size_t(menu)].title);
        return Point2f{(b.left + b.right) / 2, (b.bottom + b.top) / 2};
    }
    Point2f ItemPoint(FourCharCode command)
    {
        Rect4f b = WidgetGetBounds(MenuStripItemWidget(strip, command));
        return Point2f{b.left + 0.01f, (b.bottom + b.top) / 2};
    }
    int32_t MenuOf(FourCharCode command)
    {
        for (size_t m = 0; m < strip->menus.size(); m++)
            for (const MenuStripItem &item : strip->menus[m].items)
                if (item.command == command)
                    return int32_t(m);
        return -1;
    }
    void Choose(FourCharCode command)
    {
        int32_t menu = MenuOf(command);
        ASSERT_GE(menu, 0);
        Click(TitleCentre(menu));
        ASSERT_EQ(strip->openMenu, menu);
        Mouse(kEventMouseMoved, ItemPoint(command));
        Click(ItemPoint(command));
    }
};

TEST_F(Strip, ShowsTheMenusOfTheDescriptionWithTheirKeys)
{
    const std::vector<PlatformMenu> &menus = PlatformMenuBarGetMenus();
    ASSERT_EQ(strip->menus.size(), menus.size());
    for (size_t m = 0; m < menus.size(); m++) {
        EXPECT_EQ(WidgetGetText(strip->menus[m].title), menus[m].title);
        ASSERT_EQ(strip->menus[m].items.size(), menus[m].items.size());
    }
    // Titles sit in the strip at the top, left to right.
    Rect4f first = WidgetGetBounds(strip->menus[0].title), second = WidgetGetBounds(strip->menus[1].title);
    EXPECT_LT(first.right, second.left);
    EXPECT_GT(first.bottom, 1.0f - kMenuStripHeight);
    EXPECT_LT(first.top, 1.0f);
    EXPECT_LT(first.left, -OpenGLWindowGetRatio(window) + 0.1f);
    int32_t game = MenuOf('NGam');
    ASSERT_GE(game, 0);
    const MenuStripItem &newGame = strip->menus[size_t(game)].items[0];
    ASSERT_NE(newGame.keyLabel, nullptr);
    EXPECT_STREQ(WidgetGetText(newGame.label), "New Game");
    EXPECT_STREQ(WidgetGetText(newGame.keyLabel), "Ctrl+G");
    const std::tuple<char, uint32_t, std::string> keys[] = {
        {'s', kModifierShift | kModifierControl, "Shift+Ctrl+S"},
        {',', kModifierControl, "Ctrl+,"},
        {0, kModifierControl, ""}};
    for (const auto &[key, modifiers, expected] : keys) {
        char text[32];
        MenuStripKeyText(key, modifiers, text, sizeof text);
        EXPECT_EQ(text, expected);
    }
}

TEST_F(Strip, ItemsFollowTheEnabledStateAsModesChange)
{
    ControllerStart(controller);
    // Whether each of the commands' items is enabled, after a sync.
    auto enabled = [&](std::initializer_list<FourCharCode> codes) {
        MenuStripSync(strip);
        std::vector<bool> states;
        for (FourCharCode code : codes)
            states.push_back(WidgetIsEnabled(MenuStripItemWidget(strip, code)));
        return states;
    };
    EXPECT_EQ(enabled({'NGam', 'LEdt', 'PGam', 'save', 'FScn', 'quit'}),
              (std::vector<bool>{true, true, false, false, true, true}));
    Command('pref');
    EXPECT_EQ(enabled({'NGam', 'LEdt', 'SHgh', 'pref', 'Scsh'}), (std::vector<bool>{false, false, false, true, true}));
    Command('pref');
    Command('NGam');
    ASSERT_EQ(Stack(), (Modes{ModeSplashScreen, ModeGame}));
    EXPECT_EQ(enabled({'PGam', 'EGam', 'LEdt'}), (std::vector<bool>{true, true, false}));
    Command('EGam');
    EXPECT_EQ(enabled({'EGam', 'SHgh'}), (std::vector<bool>{false, true}));
}

TEST_F(Strip, ChoosingAnItemOrItsKeysPostsItsCommand)
{
    ControllerStart(controller);
    Key(kKeyCodeEscape);
    Choose('pref');
    EXPECT_EQ(strip->openMenu, -1);
    EXPECT_EQ(Stack(), (Modes{ModeSplashScreen, ModePreferences}));
    Choose('pref');
    EXPECT_EQ(Stack(), Modes{ModeSplashScreen});

    // A disabled item does nothing and keeps the menu open.
    int32_t game = MenuOf('EGam');
    Click(TitleCentre(game));
    Click(ItemPoint('EGam'));
    EXPECT_EQ(strip->openMenu, game);
    // A click elsewhere closes the menu and reaches nothing below it.
    Click(Centre(Title()->widgets, 'Quit'));
    EXPECT_EQ(strip->openMenu, -1);
    EXPECT_FALSE(HeadlessRunFor(0.0));

    // In a mode kind without an object of its own the strip still works:
    // the game is not there yet, and "End Game" brings the title back.
    Choose('NGam');
    ASSERT_EQ(Stack(), (Modes{ModeSplashScreen, ModeGame}));
    Choose('EGam');
    EXPECT_EQ(Stack(), Modes{ModeSplashScreen});

    // Keys work an open menu.
    Click(TitleCentre(0));
    ASSERT_EQ(strip->openMenu, 0);
    Key(kKeyCodeDown);
    EXPECT_EQ(strip->highlightedItem, 0);
    Key(kKeyCodeRight);
    EXPECT_EQ(strip->openMenu, 1);
    Key(kKeyCodeEscape);
    EXPECT_EQ(strip->openMenu, -1);
    // The first menu's first item is "Preferences...".
    Click(TitleCentre(0));
    Key(kKeyCodeDown);
    Key(kKeyCodeReturn);
    EXPECT_EQ(Stack(), (Modes{ModeSplashScreen, ModePreferences}));
}

TEST_F(Strip, InFullScreenTheStripComesInAtTheTopEdge)
{
    ControllerStart(controller);
    EXPECT_TRUE(MenuStripIsShown(strip));
    Command('FScn');
    ASSERT_TRUE(OpenGLWindowIsFullScreen(window));
    EXPECT_FALSE(MenuStripIsShown(strip));
    // Out of sight, the strip takes no clicks.
    Click(TitleCentre(0));
    EXPECT_EQ(strip->openMenu, -1);
    Mouse(kEventMouseMoved, Point2f{0, 0.999f});
    EXPECT_TRUE(MenuStripIsShown(strip));
    Mouse(kEventMouseMoved, Point2f{0, 0});
    EXPECT_FALSE(MenuStripIsShown(strip));
    Mouse(kEventMouseMoved, Point2f{0, 0.999f});
    Click(TitleCentre(0));
    EXPECT_EQ(strip->openMenu, 0);
    // An open menu keeps the strip in.
    Mouse(kEventMouseMoved, Point2f{0, -0.5f});
    EXPECT_TRUE(MenuStripIsShown(strip));
    Key(kKeyCodeEscape);
    Command('FScn');
    EXPECT_TRUE(MenuStripIsShown(strip));
}

// ---- Status labels --------------------------------------------------------------------------

TEST_F(Screens, StatusLabelsShowTheirTexts)
{
    WidgetController *labels = StatusLabelsAllocate(window);
    ASSERT_EQ(WidgetControllerNumberOfWidgets(labels), 5);
    const FourCharCode ids[] = {'Pnts', 'Livs', 'Keys', 'Levl', 'Air '};
    const float xs[] = {-0.99f, -0.39f, 0.01f, 0.41f, 0.81f};
    const char *texts[] = {"Points: 1250", "Lives: 3", "Keys: 2", "Level: 1", "Air: 10"};
    float shift = OpenGLWindowGetRatio(window) - 1.0f;
    StatusLabelsUpdate(labels, 1250, 3, 2, 0, 9.01f);
    for (int i = 0; i < 5; i++) {
        Widget *label = WidgetControllerWidgetAtIndex(labels, i);
        Rect4f b = WidgetGetBounds(label);
        EXPECT_EQ(std::make_tuple(label->identifier, label->kind, std::string(WidgetGetText(label)),
                                  WidgetGetTextRec(label)->fontSize, labels->entries[i].relativity),
                  std::make_tuple(ids[i], int32_t(kWidgetStaticText), std::string(texts[i]), int32_t(24),
                                  int32_t(kWidgetRelativeLeft)));
        EXPECT_EQ((std::vector<float>{label->textColor[0], label->textColor[2]}), (std::vector<float>{1, 1}));
        EXPECT_FLOAT_EQ(b.left, xs[i] - shift);
        EXPECT_FLOAT_EQ(b.bottom, -0.99f);
        EXPECT_GT(WidgetGetTextRec(label)->textWidth, 0);
    }
    // Air rounds up; lives and levels are shown as they are, levels from 1.
    auto texts2 = [&] {
        std::vector<std::string> v;
        for (int i : {1, 3, 4})
            v.push_back(WidgetGetText(WidgetControllerWidgetAtIndex(labels, i)));
        return v;
    };
    StatusLabelsUpdate(labels, 0, 10, 0, 11, 9.0f);
    EXPECT_EQ(texts2(), (std::vector<std::string>{"Lives: 10", "Level: 12", "Air: 9"}));
    StatusLabelsUpdate(labels, -5, -1, 0, 0, 0.0f);
    EXPECT_EQ(texts2(), (std::vector<std::string>{"Lives: -1", "Level: 1", "Air: 0"}));
    StatusLabelsUpdate(labels, 0, 0, 0, 0, 0.001f);
    EXPECT_EQ(texts2()[2], "Air: 1");
    StatusLabelsDraw(labels);
    StatusLabelsDispose(labels);
}

// ---- Screenshots -----------------------------------------------------------------------------

MenuStrip *shotStrip = nullptr;
Frame shot;

// Draws the menu strip over the finished frame, then reads it back.
void ShotOverlay(void *)
{
    MenuStripDraw(shotStrip);
    shot = Frame::Read();
}

TEST_F(Strip, TitleScreenScreenshotShowsTheBackgroundAndText)
{
    shotStrip = strip;
    shot = Frame{};
    ControllerSetFrameOverlay(ShotOverlay, nullptr);
    ControllerStart(controller);
    Key(kKeyCodeEscape);
    HeadlessRunFor(0.1);
    ASSERT_EQ(shot.width, 800);
    // Overlay pixels for which the test holds: dark letters.
    auto dark = [](Rect4f b) {
        int n = 0;
        for (size_t p : shot.Pixels(b)) {
            std::array<int, 3> c = shot.At(p);
            n += c[0] < 90 && c[1] < 90 && c[2] < 140;
        }
        return n;
    };
    // The gradient: blue at the bottom left, yellow at the top left.  (The
    // buttons' faces and labels are measured in the button look tests.)
    auto bottom = shot.AtOverlay(-1.3f, -0.97f), top = shot.AtOverlay(-1.3f, 0.85f);
    EXPECT_NEAR(bottom[0], 153, 12);
    EXPECT_NEAR(bottom[2], 229, 12);
    EXPECT_GT(top[0], 235);
    EXPECT_LT(top[2], 120);
    // The game's name in dark letters where the title art would be.
    EXPECT_GT(dark(Rect4f{-0.8f, 0.0f, 0.8f, 0.5f}), 2000);
    // The credit line at the bottom right, the menu strip at the top.
    float r = OpenGLWindowGetRatio(window);
    EXPECT_GT(dark(Rect4f{r - 0.8f, -0.99f, r - 0.01f, -0.93f}), 20);
    EXPECT_GT(dark(Rect4f{-r, 1.0f - kMenuStripHeight, -r + 1.0f, 1.0f}), 50);
    auto inStrip = shot.AtOverlay(0.5f, 1.0f - kMenuStripHeight / 2);
    EXPECT_GT(inStrip[0], 220);
    EXPECT_GT(inStrip[2], 220);
}

} // namespace
