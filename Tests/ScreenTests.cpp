// The title screen, the preferences screen, the menu strip and the status
// labels, driven end to end through the application controller on the
// headless platform; a screenshot of the title screen under the test display.
#include "WidgetTestSupport.h"

#include "AssetTestFolder.h"
#include "Controller.h"
#include "Folders.h"
#include "Image.h"
#include "ListPanel.h"
#include "MenuBar.h"
#include "MenuStrip.h"
#include "ModelParser.h"
#include "Preferences.h"
#include "Shader.h"
#include "Sound.h"
#include "SplashScreen.h"
#include "StatusLabels.h"
#include "Window.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

using widgettest::Key;

namespace {

// What the next presented frame held, read just before it is presented.
struct Capture {
    MenuStrip *strip = nullptr;
    int32_t width = 0, height = 0;
    std::vector<uint8_t> rgba; // bottom row first
    int32_t frames = 0;

    static void Overlay(void *context)
    {
        Capture *capture = static_cast<Capture *>(context);
        if (capture->strip)
            MenuStripDraw(capture->strip);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        capture->width = viewport[2];
        capture->height = viewport[3];
        capture->rgba.assign(size_t(capture->width) * size_t(capture->height) * 4, 0);
        glFinish();
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, capture->width, capture->height, GL_RGBA, GL_UNSIGNED_BYTE, capture->rgba.data());
        capture->frames++;
    }
    std::array<int, 3> At(int x, int y) const
    {
        const uint8_t *p = &rgba[(size_t(y) * size_t(width) + size_t(x)) * 4];
        return {p[0], p[1], p[2]};
    }
    // The pixel of an overlay point.
    std::array<int, 3> AtOverlay(float x, float y) const
    {
        float r = float(width) / float(height);
        return At(int((x / r + 1) * 0.5f * float(width)), int((y + 1) * 0.5f * float(height)));
    }
    // Pixels of an overlay rectangle for which the test holds.
    int Count(float left, float bottom, float right, float top, const std::function<bool(std::array<int, 3>)> &test) const
    {
        float r = float(width) / float(height);
        int x0 = std::max(0, int((left / r + 1) * 0.5f * float(width)));
        int x1 = std::min(width - 1, int((right / r + 1) * 0.5f * float(width)));
        int y0 = std::max(0, int((bottom + 1) * 0.5f * float(height)));
        int y1 = std::min(height - 1, int((top + 1) * 0.5f * float(height)));
        int n = 0;
        for (int y = y0; y <= y1; y++)
            for (int x = x0; x <= x1; x++)
                n += test(At(x, y)) ? 1 : 0;
        return n;
    }
    void Save(const std::string &name) const
    {
        std::vector<uint8_t> rgb(size_t(width) * size_t(height) * 3);
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++)
                for (int c = 0; c < 3; c++)
                    rgb[(size_t(height - 1 - y) * size_t(width) + size_t(x)) * 3 + size_t(c)] =
                        rgba[(size_t(y) * size_t(width) + size_t(x)) * 4 + size_t(c)];
        EXPECT_TRUE(PlatformWritePNG(std::string(BRIMHOLD_BINARY_DIR) + "/" + name, width, height, rgb.data()));
    }
};

// A widget's identifier, kind, text, font size and location, to compare whole.
std::tuple<FourCharCode, int32_t, std::string, int32_t, float, float> Describe(Widget *widget)
{
    Point2f at = WidgetGetLocation(widget);
    return {widget->identifier, widget->kind, WidgetGetText(widget), WidgetGetTextRec(widget)->fontSize, at.x, at.y};
}

// Text on a blue button: far lighter than the face.
bool Light(std::array<int, 3> p)
{
    return p[0] > 160 && p[1] > 160;
}

bool Dark(std::array<int, 3> p)
{
    return p[0] < 90 && p[1] < 90 && p[2] < 140;
}

class Screens : public ::testing::Test {
protected:
    widgettest::PreferencesFolder prefsFolder;
    Controller *controller = nullptr;
    OpenGLWindow *window = nullptr;

    void SetUp() override
    {
        HeadlessPlatformStartUp();
        ASSERT_EQ(0, TextStartUp());
        PrefsStartUp();
        PlatformSetResourcesFolder(BRIMHOLD_SOURCE_DIR "/Resources");
        ASSERT_EQ(PlatformMenuBarLoad("MainMenu"), 0);
        SplashScreenRegisterMode();
        PrefsScreenRegisterMode();
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
        PlatformSetDisplayLimits({-1, false});
    }

    SplashScreen *Title() { return controller->splashScreen; }
    PrefsScreen *Prefs() { return controller->prefsScreen; }
    std::vector<int32_t> Stack()
    {
        return std::vector<int32_t>(controller->modeStack, controller->modeStack + controller->modeStackTop + 1);
    }
    void Command(FourCharCode code)
    {
        HeadlessInjectCommand(code);
        HeadlessRunFor(0.0);
    }
    void Mouse(int32_t kind, float x, float y) { widgettest::Mouse(window, kind, x, y); }
    void Click(float x, float y) { widgettest::Click(window, x, y); }
    // The centre of a widget of the top screen.
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
        Click(p.x, p.y);
    }
};

// ---- Title screen ---------------------------------------------------------------

TEST_F(Screens, TheProgramOpensOnTheTitleScreenWithItsWidgets)
{
    ControllerStart(controller);
    ASSERT_EQ(Stack(), std::vector<int32_t>{ModeSplashScreen});
    SplashScreen *title = Title();
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->introTime, 0.0f);
    EXPECT_EQ(title->titleShader, nullptr); // no art installed here
    WidgetController *widgets = title->widgets;
    ASSERT_EQ(WidgetControllerNumberOfWidgets(widgets), 5);
    const FourCharCode ids[] = {'NGam', 'LEdt', 'Pref', 'Quit', 'Cred'};
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

TEST_F(Screens, TheIntroAdvancesOneHundredthPerStep)
{
    ControllerStart(controller);
    HeadlessRunFor(1.0);
    EXPECT_NEAR(Title()->introTime, 1.2f, 0.02f);
    HeadlessRunFor(5.0);
    EXPECT_FLOAT_EQ(Title()->introTime, 4.0f);
}

TEST_F(Screens, AClickDuringTheIntroOnlySkipsIt)
{
    ControllerStart(controller);
    HeadlessRunFor(0.5);
    Point2f newGame = Centre(Title()->widgets, 'NGam');
    Mouse(kEventMouseDown, newGame.x, newGame.y);
    EXPECT_FLOAT_EQ(Title()->introTime, 4.0f);
    EXPECT_FALSE(WidgetGetTextRec(WidgetControllerGetWidgetByIdentifier(Title()->widgets, 'NGam'))->pressed);
    Mouse(kEventMouseUp, newGame.x, newGame.y);
    EXPECT_EQ(Stack(), std::vector<int32_t>{ModeSplashScreen});

    // Now the button works: it opens the set chooser (cancelled here).
    setenv("XDG_DATA_HOME", (prefsFolder.root / "data").c_str(), 1);
    static int panelsShown = 0;
    panelsShown = 0;
    ListPanelSetObserver([](const ListPanelSpec *, void *) { panelsShown++; }, nullptr);
    ListPanelQueueScriptedAnswer('Cncl');
    Click(newGame.x, newGame.y);
    HeadlessRunFor(0.0);
    ListPanelSetObserver(nullptr, nullptr);
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(panelsShown, 1);
    EXPECT_EQ(Stack(), std::vector<int32_t>{ModeSplashScreen});

    // The game kind is not there, and the controller keeps its place on the
    // stack without an object; ending it comes back.
    Command('NGam');
    EXPECT_EQ(Stack(), (std::vector<int32_t>{ModeSplashScreen, ModeGame}));
    EXPECT_EQ(controller->gameController, nullptr);
    EXPECT_EQ(controller->startingLevel, 0);
    EXPECT_TRUE(Title()->frozen);
    HeadlessRunFor(0.1);
    Command('EGam');
    EXPECT_EQ(Stack(), std::vector<int32_t>{ModeSplashScreen});
    EXPECT_FALSE(Title()->frozen);
    EXPECT_NE(Title()->inputHandler, 0);
}

TEST_F(Screens, AnyKeySkipsTheIntroAndIsPassedOn)
{
    ControllerStart(controller);
    HeadlessRunFor(0.2);
    Key(kKeyCodeSpace);
    EXPECT_FLOAT_EQ(Title()->introTime, 4.0f);
    EXPECT_EQ(Stack(), std::vector<int32_t>{ModeSplashScreen});
    // A click after the intro is passed on to the buttons.
    Point2f quit = Centre(Title()->widgets, 'Quit');
    widgettest::Mouse(window, kEventMouseDown, quit.x, quit.y);
    EXPECT_TRUE(WidgetGetTextRec(WidgetControllerGetWidgetByIdentifier(Title()->widgets, 'Quit'))->pressed);
}

TEST_F(Screens, QuitEndsTheEventLoopAndTheEditorButtonPostsItsCommand)
{
    ControllerStart(controller);
    Key(kKeyCodeEscape);
    Point2f quit = Centre(Title()->widgets, 'Quit');
    Point2f p = widgettest::Global(window, quit.x, quit.y);
    HeadlessInjectMouse(kEventMouseDown, p.x, p.y);
    HeadlessInjectMouse(kEventMouseUp, p.x, p.y);
    EXPECT_TRUE(HeadlessRunFor(0.0));

    ClickWidget(Title()->widgets, 'LEdt');
    EXPECT_EQ(Stack(), (std::vector<int32_t>{ModeSplashScreen, ModeLevelEditor}));
    Command('LEdt');
    EXPECT_EQ(Stack(), std::vector<int32_t>{ModeSplashScreen});
}

TEST_F(Screens, SuspendAndResumeStopTheIntroClock)
{
    ControllerStart(controller);
    HeadlessRunFor(0.5);
    float before = Title()->introTime;
    SplashScreenSuspend(Title());
    HeadlessRunFor(1.0);
    EXPECT_FLOAT_EQ(Title()->introTime, before);
    SplashScreenResume(Title());
    testing::internal::CaptureStdout();
    SplashScreenResume(Title());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Anomaly: SplashScreenResume called when not suspended\n");
    // The first firing after resuming catches up at most 1/12 s.
    HeadlessRunFor(0.01);
    EXPECT_LE(Title()->introTime, before + 0.105f);
    EXPECT_GT(Title()->introTime, before);
}

// ---- Preferences screen ---------------------------------------------------------------

TEST_F(Screens, PreferencesOpenFromTheTitleAndCloseWithOK)
{
    ControllerStart(controller);
    Key(kKeyCodeEscape);
    ClickWidget(Title()->widgets, 'Pref');
    ASSERT_EQ(Stack(), (std::vector<int32_t>{ModeSplashScreen, ModePreferences}));
    ASSERT_NE(Prefs(), nullptr);
    WidgetController *widgets = Prefs()->widgets;
    ASSERT_EQ(WidgetControllerNumberOfWidgets(widgets), 10);
    Widget *label = WidgetControllerWidgetAtIndex(widgets, 0);
    EXPECT_EQ(std::get<2>(Describe(label)), "Preferences");
    EXPECT_EQ(std::get<3>(Describe(label)), 48);
    EXPECT_EQ(label->identifier, FourCharCode('Pref'));
    const FourCharCode ids[] = {'Snd ', 'FSAA', 'VBLW', 'VBLF', 'FSSt', 'Anis', 'FScn'};
    const char *texts[] = {"Play sound",       "Full scene anti-aliasing",     "VBL sync (windowed)",
                           "VBL sync (full screen)", "Start up in full screen mode", "Anisotropic texture filtering",
                           "Full screen mode"};
    for (int i = 0; i < 7; i++) {
        EXPECT_EQ(Describe(WidgetControllerWidgetAtIndex(widgets, i + 1)),
                  std::make_tuple(ids[i], int32_t(kWidgetCheckBox), std::string(texts[i]), int32_t(14), -0.25f,
                                  -0.1f * float(i + 1)));
    }
    Widget *ok = WidgetControllerWidgetAtIndex(widgets, 8);
    EXPECT_EQ(ok->identifier, FourCharCode('OK  '));
    EXPECT_STREQ(WidgetGetText(ok), "OK");
    // The title screen is covered: frozen, its buttons deaf.
    EXPECT_TRUE(Title()->frozen);
    ClickWidget(widgets, 'OK  ');
    EXPECT_EQ(Stack(), std::vector<int32_t>{ModeSplashScreen});
    EXPECT_EQ(controller->prefsScreen, nullptr);
    EXPECT_FALSE(Title()->frozen);
}

TEST_F(Screens, EachCheckBoxShowsAndStoresItsKey)
{
    const int32_t keys[] = {kPrefsKeySound, kPrefsKeyFSAA, kPrefsKeyVBLSyncWindowed, kPrefsKeyVBLSyncFullScreen,
                            kPrefsKeyStartFullScreen, kPrefsKeyAnisotropic};
    const FourCharCode ids[] = {'Snd ', 'FSAA', 'VBLW', 'VBLF', 'FSSt', 'Anis'};
    // Stored values other than the defaults: every box must show its own.
    PrefsSetValue(kPrefsKeySound, 0);
    PrefsSetValue(kPrefsKeyVBLSyncWindowed, 1);
    PrefsSetValue(kPrefsKeyStartFullScreen, 1);
    ControllerStart(controller);
    Command('pref');
    ASSERT_NE(Prefs(), nullptr);
    for (int i = 0; i < 6; i++) {
        int32_t stored = -1;
        PrefsGetValue(keys[i], &stored);
        Widget *box = WidgetControllerGetWidgetByIdentifier(Prefs()->widgets, ids[i]);
        EXPECT_EQ(WidgetIsChecked(box), stored != 0) << i;
    }
    SoundSetEnabled(false);
    for (int round = 0; round < 2; round++) {
        for (int i = 0; i < 6; i++) {
            int32_t before = -1, after = -1;
            PrefsGetValue(keys[i], &before);
            ClickWidget(Prefs()->widgets, ids[i]);
            PrefsGetValue(keys[i], &after);
            EXPECT_EQ(after, before ? 0 : 1) << "key " << keys[i];
            EXPECT_EQ(WidgetIsChecked(WidgetControllerGetWidgetByIdentifier(Prefs()->widgets, ids[i])), after != 0);
        }
        int32_t stored[4] = {-1, -1, -1, -1};
        for (int i = 0; i < 4; i++)
            PrefsGetValue(keys[i], &stored[i]);
        // Applied at once.
        EXPECT_EQ((std::vector<int32_t>{SoundIsEnabled(), window->fsaa, window->vblSyncWindowed, window->vblSyncFullScreen}),
                  (std::vector<int32_t>{stored[0] != 0, stored[1] != 0, stored[2], stored[3]}));
    }
}

TEST_F(Screens, FullScreenBoxFollowsTheWindowAndRevertsWhenTheSwitchFails)
{
    ControllerStart(controller);
    Command('pref');
    ASSERT_NE(Prefs(), nullptr);
    Widget *box = WidgetControllerGetWidgetByIdentifier(Prefs()->widgets, 'FScn');
    EXPECT_FALSE(WidgetIsChecked(box));
    PlatformSetDisplayLimits({-1, true});
    testing::internal::CaptureStdout();
    ClickWidget(Prefs()->widgets, 'FScn');
    testing::internal::GetCapturedStdout();
    auto state = [&] { return std::make_pair(OpenGLWindowIsFullScreen(window), WidgetIsChecked(box)); };
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
    EXPECT_FALSE(WidgetIsChecked(box));
}

TEST_F(Screens, DisposingThePreferencesScreenRemovesItsWindowCallbacks)
{
    CallbackController *callbacks = OpenGLWindowGetCallbackController(window);
    ControllerStart(controller);
    int32_t before = callbacks->count;
    Command('pref');
    EXPECT_EQ(callbacks->count, before + 2); // the widgets' bounds, the full-screen switch
    Command('pref');
    EXPECT_EQ(callbacks->count, before);
    testing::internal::CaptureStdout();
    PrefsScreenResume(nullptr == Prefs() ? (Command('pref'), Prefs()) : Prefs());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Anomaly: PrefsScreenResume called when not suspended\n");
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
        if (controller) {
            ControllerStop(controller);
        }
        MenuStripDispose(strip);
        Screens::TearDown();
    }
    Point2f TitleCentre(int32_t menu)
    {
        Rect4f b = WidgetGetBounds(strip->menus[size_t(menu)].title);
        return Point2f{(b.left + b.right) / 2, (b.bottom + b.top) / 2};
    }
    Point2f ItemCentre(int32_t menu, FourCharCode command)
    {
        Widget *label = MenuStripItemWidget(strip, command);
        Rect4f b = WidgetGetBounds(label);
        (void)menu;
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
        Point2f title = TitleCentre(menu);
        Click(title.x, title.y);
        ASSERT_EQ(strip->openMenu, menu);
        Point2f item = ItemCentre(menu, command);
        Mouse(kEventMouseMoved, item.x, item.y);
        Click(item.x, item.y);
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
    char text[32];
    MenuStripKeyText('s', kModifierShift | kModifierControl, text, sizeof text);
    EXPECT_STREQ(text, "Shift+Ctrl+S");
    MenuStripKeyText(',', kModifierControl, text, sizeof text);
    EXPECT_STREQ(text, "Ctrl+,");
    MenuStripKeyText(0, kModifierControl, text, sizeof text);
    EXPECT_STREQ(text, "");
}

TEST_F(Strip, ItemsFollowTheEnabledStateAsModesChange)
{
    ControllerStart(controller);
    MenuStripSync(strip);
    // Whether each of the commands' items is enabled.
    auto enabled = [&](std::initializer_list<FourCharCode> codes) {
        std::vector<bool> states;
        for (FourCharCode code : codes)
            states.push_back(WidgetIsEnabled(MenuStripItemWidget(strip, code)));
        return states;
    };
    EXPECT_EQ(enabled({'NGam', 'LEdt', 'PGam', 'save', 'FScn', 'quit'}),
              (std::vector<bool>{true, true, false, false, true, true}));
    Command('pref');
    MenuStripSync(strip);
    EXPECT_EQ(enabled({'NGam', 'LEdt', 'SHgh', 'pref', 'Scsh'}), (std::vector<bool>{false, false, false, true, true}));
    Command('pref');
    Command('NGam');
    ASSERT_EQ(Stack(), (std::vector<int32_t>{ModeSplashScreen, ModeGame}));
    MenuStripSync(strip);
    EXPECT_EQ(enabled({'PGam', 'EGam', 'LEdt'}), (std::vector<bool>{true, true, false}));
    Command('EGam');
    MenuStripSync(strip);
    EXPECT_EQ(enabled({'EGam', 'SHgh'}), (std::vector<bool>{false, true}));
}

TEST_F(Strip, ChoosingAnItemPostsItsCommand)
{
    ControllerStart(controller);
    Key(kKeyCodeEscape);
    Choose('pref');
    EXPECT_EQ(strip->openMenu, -1);
    EXPECT_EQ(Stack(), (std::vector<int32_t>{ModeSplashScreen, ModePreferences}));
    Choose('pref');
    EXPECT_EQ(Stack(), std::vector<int32_t>{ModeSplashScreen});

    // A disabled item does nothing and keeps the menu open.
    int32_t game = MenuOf('EGam');
    Point2f title = TitleCentre(game);
    Click(title.x, title.y);
    Point2f item = ItemCentre(game, 'EGam');
    Click(item.x, item.y);
    EXPECT_EQ(strip->openMenu, game);
    // A click elsewhere closes the menu and reaches nothing below it.
    Point2f quit = Centre(Title()->widgets, 'Quit');
    Click(quit.x, quit.y);
    EXPECT_EQ(strip->openMenu, -1);
    EXPECT_FALSE(HeadlessRunFor(0.0));

    // In a mode kind without an object of its own the strip still works:
    // the game is not there yet, and "End Game" brings the title back.
    Choose('NGam');
    ASSERT_EQ(Stack(), (std::vector<int32_t>{ModeSplashScreen, ModeGame}));
    Choose('EGam');
    EXPECT_EQ(Stack(), std::vector<int32_t>{ModeSplashScreen});
}

TEST_F(Strip, KeysWorkAnOpenMenu)
{
    ControllerStart(controller);
    int32_t first = 0;
    Point2f title = TitleCentre(first);
    Click(title.x, title.y);
    ASSERT_EQ(strip->openMenu, first);
    Key(kKeyCodeDown);
    EXPECT_EQ(strip->highlightedItem, 0);
    Key(kKeyCodeRight);
    EXPECT_EQ(strip->openMenu, 1);
    Key(kKeyCodeEscape);
    EXPECT_EQ(strip->openMenu, -1);
    // The first menu's first item is "Preferences...".
    Click(title.x, title.y);
    Key(kKeyCodeDown);
    Key(kKeyCodeReturn);
    EXPECT_EQ(Stack(), (std::vector<int32_t>{ModeSplashScreen, ModePreferences}));
}

TEST_F(Strip, InFullScreenTheStripComesInAtTheTopEdge)
{
    ControllerStart(controller);
    EXPECT_TRUE(MenuStripIsShown(strip));
    Command('FScn');
    ASSERT_TRUE(OpenGLWindowIsFullScreen(window));
    EXPECT_FALSE(MenuStripIsShown(strip));
    // Out of sight, the strip takes no clicks.
    Point2f title = TitleCentre(0);
    Click(title.x, title.y);
    EXPECT_EQ(strip->openMenu, -1);
    Mouse(kEventMouseMoved, 0, 0.999f);
    EXPECT_TRUE(MenuStripIsShown(strip));
    Mouse(kEventMouseMoved, 0, 0.0f);
    EXPECT_FALSE(MenuStripIsShown(strip));
    Mouse(kEventMouseMoved, 0, 0.999f);
    Click(title.x, title.y);
    EXPECT_EQ(strip->openMenu, 0);
    // An open menu keeps the strip in.
    Mouse(kEventMouseMoved, 0, -0.5f);
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
    float shift = OpenGLWindowGetRatio(window) - 1.0f;
    StatusLabelsUpdate(labels, 1250, 3, 2, 0, 9.01f);
    const char *texts[] = {"Points: 1250", "Lives: 3", "Keys: 2", "Level: 1", "Air: 10"};
    for (int i = 0; i < 5; i++) {
        Widget *label = WidgetControllerWidgetAtIndex(labels, i);
        EXPECT_EQ(label->identifier, ids[i]);
        EXPECT_EQ(label->kind, kWidgetStaticText);
        EXPECT_STREQ(WidgetGetText(label), texts[i]);
        EXPECT_EQ(WidgetGetTextRec(label)->fontSize, 24);
        EXPECT_EQ(label->textColor[0], 1.0f);
        EXPECT_EQ(label->textColor[2], 1.0f);
        EXPECT_EQ(controller ? labels->entries[i].relativity : -1, kWidgetRelativeLeft);
        EXPECT_FLOAT_EQ(WidgetGetBounds(label).left, xs[i] - shift);
        EXPECT_FLOAT_EQ(WidgetGetBounds(label).bottom, -0.99f);
        EXPECT_GT(WidgetGetTextRec(label)->textWidth, 0);
    }
    StatusLabelsUpdate(labels, 0, 10, 0, 11, 9.0f);
    EXPECT_STREQ(WidgetGetText(WidgetControllerWidgetAtIndex(labels, 4)), "Air: 9");
    EXPECT_STREQ(WidgetGetText(WidgetControllerWidgetAtIndex(labels, 3)), "Level: 12");
    EXPECT_STREQ(WidgetGetText(WidgetControllerWidgetAtIndex(labels, 1)), "Lives: 10");
    StatusLabelsUpdate(labels, -5, -1, 0, 0, 0.0f);
    EXPECT_STREQ(WidgetGetText(WidgetControllerWidgetAtIndex(labels, 4)), "Air: 0");
    EXPECT_STREQ(WidgetGetText(WidgetControllerWidgetAtIndex(labels, 1)), "Lives: -1");
    StatusLabelsUpdate(labels, 0, 0, 0, 0, 0.001f);
    EXPECT_STREQ(WidgetGetText(WidgetControllerWidgetAtIndex(labels, 4)), "Air: 1");
    StatusLabelsDraw(labels);
    StatusLabelsDispose(labels);
}

// ---- Screenshots -----------------------------------------------------------------------------

TEST_F(Strip, TitleScreenScreenshotShowsButtonsAndText)
{
    Capture capture;
    capture.strip = strip;
    ControllerSetFrameOverlay(Capture::Overlay, &capture);
    ControllerStart(controller);
    Key(kKeyCodeEscape);
    HeadlessRunFor(0.1);
    ASSERT_GT(capture.frames, 0);
    ASSERT_EQ(capture.width, 800);
    capture.Save("title-screen.png");
    // The gradient: blue at the bottom left, yellow at the top left.
    auto bottom = capture.AtOverlay(-1.3f, -0.97f);
    EXPECT_NEAR(bottom[0], 153, 12);
    EXPECT_NEAR(bottom[2], 229, 12);
    auto top = capture.AtOverlay(-1.3f, 0.85f);
    EXPECT_GT(top[0], 235);
    EXPECT_LT(top[2], 120);
    // Each button: a face unlike the background, with white text on it.
    for (float x : {-0.6f, -0.2f, 0.2f, 0.6f}) {
        auto face = capture.AtOverlay(x - 0.14f, -0.8f);
        auto background = capture.AtOverlay(x - 0.14f, -0.9f);
        EXPECT_GT(std::abs(face[0] - background[0]) + std::abs(face[2] - background[2]), 60) << x;
        EXPECT_GT(capture.Count(x - 0.13f, -0.83f, x + 0.13f, -0.77f, Light), 15) << x;
    }
    // The game's name in dark letters where the title art would be.
    EXPECT_GT(capture.Count(-0.8f, 0.0f, 0.8f, 0.5f, Dark), 2000);
    // The credit line at the bottom right, the menu strip at the top.
    float r = OpenGLWindowGetRatio(window);
    EXPECT_GT(capture.Count(r - 0.8f, -0.99f, r - 0.01f, -0.93f, Dark), 20);
    EXPECT_GT(capture.Count(-r, 1.0f - kMenuStripHeight, -r + 1.0f, 1.0f, Dark), 50);
    auto strip = capture.AtOverlay(0.5f, 1.0f - kMenuStripHeight / 2);
    EXPECT_GT(strip[0], 220);
    EXPECT_GT(strip[2], 220);
}

} // namespace
