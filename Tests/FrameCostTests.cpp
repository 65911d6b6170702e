// What keeps frames cheap: the texture filtering default that follows the
// renderer, the block geometry cached per region (same picture as drawing
// every block, rebuilt only on change, hidden faces left out), and drawing
// on demand when the picture stands still.
#include "Block.h"
#include "Controller.h"
#include "Folders.h"
#include "GameController.h"
#include "Headless.h"
#include "Keyboard.h"
#include "Level.h"
#include "LevelGeometry.h"
#include "LevelSet.h"
#include "MenuBar.h"
#include "ModelParser.h"
#include "OpenGLWindow.h"
#include "Preferences.h"
#include "Shader.h"
#include "Sound.h"
#include "SplashScreen.h"
#include "Text.h"
#include "Window.h"
#include "WidgetTestSupport.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

struct Frame {
    int32_t width = 0, height = 0;
    std::vector<uint8_t> rgb;
};

int framesShown = 0;
bool capture = false;
Frame captured;
OpenGLWindow *shownIn = nullptr;

// Runs as each frame is presented: counts it, and reads it back when asked.
void Overlay(void *)
{
    framesShown++;
    if (!capture || !shownIn)
        return;
    Rect4f b = OpenGLWindowGetBounds(shownIn);
    captured.width = int32_t(b.right - b.left);
    captured.height = int32_t(b.bottom - b.top);
    captured.rgb.assign(size_t(captured.width) * size_t(captured.height) * 3, 0);
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, captured.width, captured.height, GL_RGB, GL_UNSIGNED_BYTE, captured.rgb.data());
}

// The share of pixels that differ clearly between two frames.
double DifferentShare(const Frame &a, const Frame &b)
{
    if (a.rgb.size() != b.rgb.size() || a.rgb.empty())
        return 1.0;
    size_t different = 0;
    for (size_t i = 0; i + 2 < a.rgb.size(); i += 3) {
        int d = std::abs(int(a.rgb[i]) - int(b.rgb[i])) + std::abs(int(a.rgb[i + 1]) - int(b.rgb[i + 1])) +
                std::abs(int(a.rgb[i + 2]) - int(b.rgb[i + 2]));
        if (d > 48)
            different++;
    }
    return double(different) / double(a.rgb.size() / 3);
}

class FrameCost : public testing::Test {
protected:
    widgettest::PreferencesFolder prefsFolder;
    Controller *controller = nullptr;
    OpenGLWindow *window = nullptr;
    LevelSet *set = nullptr;

    void SetUp() override
    {
        HeadlessPlatformStartUp();
        PrefsStartUp();
        TextStartUp();
        SoundSetEnabled(false);
        PlatformSetResourcesFolder(std::filesystem::path(BRIMHOLD_BINARY_DIR) / "Resources");
        ASSERT_EQ(PlatformMenuBarLoad("MainMenu"), 0);
        SplashScreenRegisterMode();
        GameControllerRegisterMode();
        controller = ControllerAllocate();
        ASSERT_NE(controller, nullptr);
        window = ControllerGetMainWindow(controller);
        ASSERT_NE(window, nullptr) << "no window could be opened";
        shownIn = window;
        framesShown = 0;
        capture = false;
        ControllerSetFrameOverlay(Overlay, nullptr);
    }
    void TearDown() override
    {
        ControllerSetFrameOverlay(nullptr, nullptr);
        LevelGeometrySetEnabled(true);
        LevelGeometryForget();
        if (controller) {
            ControllerStop(controller);
            ModelDisposeAllModels();
            ControllerDispose(controller);
        }
        LevelSetDispose(set);
        ControllerRegisterMode(ModeSplashScreen, nullptr);
        ControllerRegisterMode(ModeGame, nullptr);
        PlatformMenuBarClear();
        PlatformSetResourcesFolder({});
        TextShutDown();
        PrefsShutDown();
        HeadlessPlatformShutDown();
        SoundSetEnabled(true);
    }

    // The shipped levels in play (the game mode on top of the title).
    GameController *StartGame()
    {
        ModelLoadAllModels();
        set = LevelSetAllocate();
        EXPECT_TRUE(LevelSetInitWithFile(set, std::filesystem::path(BRIMHOLD_BINARY_DIR) / "Resources" / "Levels" /
                                                  "Test levels"));
        controller->currentLevelSet = set;
        ControllerStart(controller);
        ControllerPushMode(controller, ModeGame);
        return controller->gameController;
    }

    Frame Draw(GameController *game)
    {
        capture = true;
        GameControllerDraw(game);
        capture = false;
        return captured;
    }
};

} // namespace

// ---- Texture filtering --------------------------------------------------------

TEST(TextureFiltering, SoftwareRenderersAreKnownByName)
{
    EXPECT_TRUE(ShaderRendererIsSoftware("llvmpipe (LLVM 15.0.6, 256 bits)"));
    EXPECT_TRUE(ShaderRendererIsSoftware("softpipe"));
    EXPECT_TRUE(ShaderRendererIsSoftware("Software Rasterizer"));
    EXPECT_FALSE(ShaderRendererIsSoftware("AMD Radeon RX 580 Series (polaris10, LLVM 15.0.6, DRM 3.49)"));
    EXPECT_FALSE(ShaderRendererIsSoftware("Mesa Intel(R) UHD Graphics 620 (KBL GT2)"));
    EXPECT_FALSE(ShaderRendererIsSoftware(nullptr));
}

TEST_F(FrameCost, FilteringDefaultFollowsTheRendererAndTheUsersChoiceWins)
{
    const char *renderer = reinterpret_cast<const char *>(glGetString(GL_RENDERER));
    ASSERT_NE(renderer, nullptr);
    bool software = ShaderRendererIsSoftware(renderer);
    int32_t stored = -1;

    // No file: the default is the renderer's, and it is no choice.
    EXPECT_FALSE(PrefsIsChosen(kPrefsKeyAnisotropic));
    EXPECT_EQ(ShaderAnisotropicFilteringWanted(), !software) << renderer;
    PrefsGetValue(kPrefsKeyAnisotropic, &stored);
    EXPECT_EQ(stored, software ? 0 : 1);
    EXPECT_FALSE(PrefsIsChosen(kPrefsKeyAnisotropic));

    // The check box sets a choice either way.
    PrefsSetValue(kPrefsKeyAnisotropic, software ? 1 : 0);
    EXPECT_TRUE(PrefsIsChosen(kPrefsKeyAnisotropic));
    EXPECT_EQ(ShaderAnisotropicFilteringWanted(), software);

    // A file that holds the flag is a choice; one too short to reach it is not.
    uint8_t bytes[kPrefsFileSize];
    PrefsLoadDefaults();
    PrefsWriteToBytes(bytes);
    bytes[24] = software ? 1 : 0;
    PrefsReadFromBytes(bytes, sizeof bytes);
    EXPECT_EQ(ShaderAnisotropicFilteringWanted(), software);
    PrefsLoadDefaults();
    PrefsReadFromBytes(bytes, 24);
    EXPECT_FALSE(PrefsIsChosen(kPrefsKeyAnisotropic));
    EXPECT_EQ(ShaderAnisotropicFilteringWanted(), !software);
}

// ---- Cached block geometry -----------------------------------------------------

TEST_F(FrameCost, EveryShippedLevelLooksAsWhenEachBlockIsDrawnAlone)
{
    GameController *game = StartGame();
    ASSERT_NE(game, nullptr);
    for (int32_t i = 0; i < LevelSetGetLevelCount(set); i++) {
        SCOPED_TRACE("level " + std::to_string(i + 1));
        GameControllerGoToLevel(game, i);
        for (int step = 0; step < 60; step++)
            GameControllerStep(game);
        LevelGeometrySetEnabled(false);
        Frame first = Draw(game);
        Frame reference = Draw(game);
        LevelGeometrySetEnabled(true);
        Frame cached = Draw(game);
        // Nothing one frame leaves behind (a colour, a material) changes the next.
        EXPECT_LT(DifferentShare(first, reference), 0.005) << "a frame drawn again";
        EXPECT_LT(DifferentShare(reference, cached), 0.005);
        EXPECT_GT(LevelGeometryGetStats().regionsDrawn, 0);
    }
}

TEST_F(FrameCost, RegionsAreRebuiltOnlyWhenABlockInThemChanges)
{
    GameController *game = StartGame();
    ASSERT_NE(game, nullptr);
    // A level of 3 x 3 x 3 stones beside a phasing block, in a level of two
    // regions along x.
    Level *level = LevelSetGetLevel(set, 0);
    while (level->blockCount > 0)
        LevelRemoveBlock(level, level->blockCount - 1, true);
    while (level->powerupCount > 0)
        LevelRemovePowerup(level, level->powerupCount - 1);
    LevelChangeGridSize(level, 12, 6, 6);
    for (int32_t y = 0; y < 3; y++)
        for (int32_t z = 1; z < 4; z++)
            for (int32_t x = 8; x < 11; x++) {
                Block block;
                BlockInit(&block, kBlockStone, x, y, z);
                LevelAddBlock(level, &block);
            }
    Block phasing;
    BlockInit(&phasing, kBlockPhasing, 7, 1, 2);
    LevelAddBlock(level, &phasing);
    level->playerStartX = 1;
    level->playerStartY = 0;
    level->playerStartZ = 2;
    GameControllerGoToLevel(game, 0);
    Level *current = LevelSetGetCurrentLevelCopy(set);
    ASSERT_NE(current, nullptr);
    Block *phase = &current->blocks[current->blockCount - 1];
    ASSERT_EQ(phase->type, kBlockPhasing);
    PhasingBlockData *data = static_cast<PhasingBlockData *>(phase->data);
    data->on = 1;

    LevelGeometryForget();
    Draw(game);
    LevelGeometryStats first = LevelGeometryGetStats();
    EXPECT_EQ(first.regionsBuilt, 2);
    // 27 stones show 54 faces (none between two of them); the phasing cube
    // shows 5, the one against the stones left out, and hides one of theirs.
    EXPECT_EQ(first.facesCached, 54 - 1 + 5);

    Draw(game);
    EXPECT_EQ(LevelGeometryGetStats().regionsBuilt, first.regionsBuilt) << "nothing changed";

    // The phasing block goes: the stones' face beside it shows again, in the
    // other region, and the picture is still the reference's.
    data->on = 0;
    Frame cached = Draw(game);
    LevelGeometryStats after = LevelGeometryGetStats();
    EXPECT_EQ(after.regionsBuilt, first.regionsBuilt + 2);
    EXPECT_EQ(after.facesCached, 54);
    LevelGeometrySetEnabled(false);
    Frame reference = Draw(game);
    EXPECT_LT(DifferentShare(reference, cached), 0.005);
}

// ---- Drawing on demand --------------------------------------------------------

TEST_F(FrameCost, TheStillTitleDrawsOnlyOnDemand)
{
    ControllerStart(controller);
    framesShown = 0;
    HeadlessRunFor(1.0);
    EXPECT_GT(framesShown, 100) << "the intro moves";
    HeadlessRunFor(4.0);
    framesShown = 0;
    HeadlessRunFor(1.0);
    EXPECT_EQ(framesShown, 0) << "the menu stands still";
    widgettest::Mouse(window, kEventMouseMoved, 0.5f, 0.5f);
    HeadlessRunFor(0.1);
    EXPECT_EQ(framesShown, 1) << "input may change the picture";
    HeadlessInjectSimple(kEventWindowDrawContent);
    HeadlessRunFor(1.0);
    EXPECT_GT(framesShown, 1) << "an expose redraws";
    EXPECT_LT(framesShown, 4) << "and then the menu stands still again";
}

TEST_F(FrameCost, APausedGameDrawsOnlyOnDemand)
{
    GameController *game = StartGame();
    ASSERT_NE(game, nullptr);
    framesShown = 0;
    HeadlessRunFor(0.5);
    EXPECT_GT(framesShown, 50) << "a game in play draws every step";
    widgettest::Key(kKeyCodeEscape);
    ASSERT_TRUE(GameControllerIsPaused(game));
    HeadlessRunFor(0.1);
    framesShown = 0;
    HeadlessRunFor(1.0);
    EXPECT_EQ(framesShown, 0);
    widgettest::Key(kKeyCodeEscape);
    ASSERT_FALSE(GameControllerIsPaused(game));
    HeadlessRunFor(0.5);
    EXPECT_GT(framesShown, 50);
}

TEST_F(FrameCost, NothingIsDrawnWhileTheWindowIsHidden)
{
    GameController *game = StartGame();
    ASSERT_NE(game, nullptr);
    HeadlessRunFor(0.2);
    PlatformWindowHide(window->window);
    framesShown = 0;
    HeadlessRunFor(0.5);
    EXPECT_EQ(framesShown, 0);
}
