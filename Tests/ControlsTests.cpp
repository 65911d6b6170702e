// Game controllers and key bindings: the stick's eight directions and dead
// zone, the pad in play (unplugging, rebinding, the camera), rebinding,
// swapping and resetting keys, and the bindings file with its damaged forms.
// (A play with the pad is replayed in the game flow tests.)
#include "GameModeSupport.h"
#include "WidgetTestSupport.h"

#include "Bindings.h"
#include "CameraController.h"
#include "Gamepad.h"
#include "PadNavigation.h"
#include "Player.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Keys = std::vector<std::pair<int, bool>>;
Keys sunk;
void Sink(uint8_t character, bool down, void *)
{
    sunk.push_back({character, down});
}

PlatformEvent Axis(int32_t axis, int32_t value)
{
    PlatformEvent e{};
    e.kind = kEventPadAxisMoved;
    e.padControl = axis;
    e.padValue = value;
    return e;
}

PlatformEvent Button(int32_t button, bool down = true)
{
    PlatformEvent e = Axis(button, 0);
    e.kind = down ? kEventPadButtonDown : kEventPadButtonUp;
    return e;
}

// The game keys the events become, from a clean slate.
Keys Play(Gamepad *pad, std::initializer_list<PlatformEvent> events)
{
    sunk.clear();
    for (const PlatformEvent &e : events)
        GamepadPlayHandleEvent(pad, &e, Sink, nullptr);
    return sunk;
}

} // namespace

TEST(Gamepad, TheStickGivesEightSectorsOutsideTheDeadZoneAndInPlayTheGameKeys)
{
    const uint32_t U = kGamepadUp, D = kGamepadDown, L = kGamepadLeft, R = kGamepadRight;
    const struct {
        int32_t x, y;
        uint32_t directions;
    } cases[] = {
        // Centres of the sectors, y positive downwards as the pad reports it.
        {30000, 0, R}, {20000, -20000, U | R}, {0, -30000, U}, {-20000, -20000, U | L},
        {-30000, 0, L}, {-20000, 20000, D | L}, {0, 32767, D}, {20000, 20000, D | R},
        // Sector edges lie at 22.5 degrees either side: 20 degrees is still
        // right, 25 is the diagonal.
        {28191, -10260, R}, {27189, -12679, U | R},
        // The dead zone is round: 7999 on an axis or on a diagonal is nothing.
        {7999, 0, 0}, {-5656, 5656, 0}, {0, 8000, D}, {-32768, -32768, U | L},
    };
    for (const auto &c : cases)
        EXPECT_EQ(GamepadStickDirections(c.x, c.y), c.directions) << c.x << ", " << c.y;

    // In play: right, to the upper right diagonal, straight up; the d-pad
    // adds to the stick: up is held already.
    Gamepad pad{};
    EXPECT_EQ(Play(&pad, {Axis(kPadAxisLeftX, 30000), Axis(kPadAxisLeftY, -30000), Axis(kPadAxisLeftX, 0),
                          Button(kPadButtonDPadUp), Axis(kPadAxisLeftY, 0), Button(kPadButtonDPadUp, false)}),
              (Keys{{29, true}, {30, true}, {29, false}, {30, false}}));
    // Unknown buttons (99) and axes (42) are ignored.
    EXPECT_EQ(Play(&pad, {Button(kPadButtonA), Button(kPadButtonX), Button(kPadButtonStart),
                          Button(kPadButtonRightShoulder), Button(kPadButtonLeftShoulder), Button(kPadButtonY),
                          Button(99), Axis(kPadAxisRightX, -32768), Axis(42, 32767)}),
              (Keys{{' ', true}, {'q', true}, {27, true}, {'e', true}, {'c', true}, {'a', true}}));
    // Unplugged: everything held is let go.
    sunk.clear();
    GamepadReleaseAll(&pad, Sink, nullptr);
    EXPECT_EQ(sunk, (Keys{{'a', false}, {'e', false}, {'c', false}}));
}

class Controls : public testing::Test {
protected:
    widgettest::PreferencesFolder config;
    void SetUp() override
    {
        HeadlessPlatformStartUp();
        BindingsLoadDefaults();
    }
    void TearDown() override
    {
        BindingsLoadDefaults();
        HeadlessPlatformShutDown();
    }
    fs::path File() { return config.root / "Brimhold" / "Brimhold Bindings"; }
    void Write(const std::string &text)
    {
        fs::create_directories(File().parent_path());
        testfiles::WriteText(File(), text);
    }
};

// Taking a key, a clash offered as a swap and the reset are driven through
// the controls screen, and the game following a new key in play.
TEST_F(Controls, KeyNamesTheEditorsOwnKeysModifiersAndTheComfortKeptOnReset)
{
    EXPECT_EQ(BindingsGetKey(kActionJump), kKeyCodeSpace);
    EXPECT_EQ(BindingsKeyName(BindingsGetKey(kActionUse)), "Q");
    EXPECT_EQ(BindingsKeyName(kKeyCodeLeft), "Left Arrow");
    EXPECT_EQ(BindingsSetKey(kActionJump, PlatformCharCodeToKeyCode('j')), -1);
    EXPECT_EQ(BindingsCharacterForKey(kBindingsGame, kKeyCodeSpace), 0);
    // The editor's keys are apart: space still places blocks there.
    EXPECT_EQ(BindingsCharacterForKey(kBindingsEditor, kKeyCodeSpace), ' ');
    // Modifiers cannot be bound.
    EXPECT_EQ(BindingsSetKey(kActionJump, kKeyCodeLeftShift), -2);
    BindingsSetComfort(kComfortLargerText, true);
    BindingsResetToDefaults();
    EXPECT_EQ(BindingsGetKey(kActionJump), kKeyCodeSpace);
    EXPECT_TRUE(BindingsGetComfort(kComfortLargerText));
}

TEST_F(Controls, TheFileRoundTripsAndADamagedOneIsSetAsideOnce)
{
    BindingsSetKey(kActionPause, PlatformCharCodeToKeyCode('p'));
    BindingsSetKey(kActionCursorUp, kKeyCodeTab);
    BindingsSetComfort(kComfortReducedCameraMotion, true);
    ASSERT_TRUE(BindingsSave());
    std::string saved = BindingsWriteToText();
    EXPECT_FALSE(fs::exists(File().string() + ".new"));
    BindingsStartUp();
    EXPECT_EQ(BindingsWriteToText(), saved);
    EXPECT_TRUE(HeadlessAlerts().empty());

    // Two actions of the game on one key: reported, set aside, defaults.
    Write("Brimhold bindings 1\ngame jump 20\ngame use 20\n");
    BindingsStartUp();
    ASSERT_EQ(HeadlessAlerts().size(), 1u);
    EXPECT_NE(HeadlessAlerts()[0].find("damaged"), std::string::npos);
    EXPECT_FALSE(fs::exists(File()));
    EXPECT_TRUE(fs::exists(File().string() + ".damaged"));
    EXPECT_EQ(BindingsGetKey(kActionJump), kKeyCodeSpace);
    EXPECT_FALSE(BindingsGetComfort(kComfortReducedCameraMotion));
    // The defaults are written at the end, and the next start is quiet.
    BindingsShutDown();
    BindingsStartUp();
    EXPECT_EQ(HeadlessAlerts().size(), 1u);

    // Other damage is refused without changing the bindings.
    BindingsSetKey(kActionJump, kKeyCodeTab);
    std::string before = BindingsWriteToText();
    std::string error;
    for (const char *text : {"", "Brimhold bindings 2\n", "Brimhold bindings 1\ngame fly 20\n",
                             "Brimhold bindings 1\ngame jump 225\n", "Brimhold bindings 1\ngame jump 2000\n",
                             "Brimhold bindings 1\ncomfort larger-text 2\n", "Brimhold bindings 1\ngame jump\n"}) {
        EXPECT_FALSE(BindingsReadFromText(text, &error)) << text;
        EXPECT_EQ(BindingsWriteToText(), before);
    }
    // The same key in the game and in the editor is fine; a missing action
    // keeps its default.
    ASSERT_TRUE(BindingsReadFromText("Brimhold bindings 1\r\ngame jump 13\neditor cursor-up 13\n", &error)) << error;
    EXPECT_EQ(BindingsGetKey(kActionJump), 13);
    EXPECT_EQ(BindingsGetKey(kActionUse), PlatformCharCodeToKeyCode('q'));
}

TEST_F(Controls, WithoutAScreenThePadReachesDialogsAsKeys)
{
    PadNavigationStartUp();
    static std::vector<int> typed;
    typed.clear();
    const int32_t kinds[] = {kEventRawKeyDown};
    PlatformInstallEventHandler(
        kTargetWindow, kinds, 1,
        [](const PlatformEvent *event, void *) {
            typed.push_back(event->charCode);
            return true;
        },
        nullptr);
    for (int32_t button : std::initializer_list<int32_t>{kPadButtonA, kPadButtonB, kPadButtonDPadUp, kPadButtonX})
        HeadlessInjectPadButton(kEventPadButtonDown, button);
    HeadlessRunFor(0.0);
    PadNavigationShutDown();
    EXPECT_EQ(typed, (std::vector<int>{13, 27, 30}));
}

// ---- The pad in a running game -------------------------------------------------------------

// The game on a corridor without water, with the default bindings.
class PadGame : public gamemode::HeadlessGame {
protected:
    void SetUp() override
    {
        HeadlessGame::SetUp();
        BindingsLoadDefaults();
        UseLevels({-1});
    }
    void TearDown() override
    {
        HeadlessGame::TearDown();
        BindingsLoadDefaults();
    }
};

TEST_F(PadGame, TheGameFollowsARebindingAndUnpluggingThePadPausesAndLetsGo)
{
    GameController *game = StartGame();
    ASSERT_NE(game, nullptr);
    int32_t k = PlatformCharCodeToKeyCode('k');
    ASSERT_EQ(BindingsSetKey(kActionRunRight, k), -1);
    HeadlessInjectKey(kEventRawKeyDown, kKeyCodeRight);
    HeadlessRunFor(0.1);
    EXPECT_EQ(game->player->lateralKey, 0);
    HeadlessInjectKey(kEventRawKeyDown, k);
    HeadlessRunFor(0.1);
    EXPECT_NE(game->player->lateralKey, 0);
    HeadlessInjectKey(kEventRawKeyUp, k);
    HeadlessRunFor(0.0);
    BindingsLoadDefaults();

    HeadlessInjectPadButton(kEventPadButtonDown, kPadButtonDPadRight);
    HeadlessRunFor(0.1);
    EXPECT_NE(game->player->lateralKey, 0);
    HeadlessInjectPadDevice(false);
    HeadlessRunFor(0.1);
    EXPECT_TRUE(GameControllerIsPaused(game));
    EXPECT_EQ(game->player->lateralKey, 0);
    // Start unpauses.
    HeadlessInjectPadButton(kEventPadButtonDown, kPadButtonStart);
    HeadlessRunFor(0.1);
    EXPECT_FALSE(GameControllerIsPaused(game));
}

TEST_F(PadGame, ReducedCameraMotionTurnsBehindThePlayerAtOnce)
{
    GameController *game = StartGame();
    ASSERT_NE(game, nullptr);
    std::vector<bool> behind;
    for (bool reduced : {false, true}) {
        BindingsSetComfort(kComfortReducedCameraMotion, reduced);
        GameControllerRestartLevel(game);
        GameControllerHandleKey(game, 'd', true);
        GameControllerHandleKey(game, 'd', false);
        // The first step after a restart still starts from the old view.
        GameControllerStep(game);
        GameControllerStep(game);
        Vector f = game->cameraController->camera->forward;
        Vector d = PlayerGetCameraDirection(game->player);
        float length = std::sqrt(f.x * f.x + f.z * f.z);
        behind.push_back((f.x * d.x + f.z * d.z) / length > 0.9999f);
    }
    EXPECT_EQ(behind, (std::vector<bool>{false, true}));
}
