// Every shipped level drawn through the real window with the shipped art: the
// scene is not blank and the player shows.
#include "Controller.h"
#include "Folders.h"
#include "GameController.h"
#include "Headless.h"
#include "LevelSet.h"
#include "ModelParser.h"
#include "OpenGLWindow.h"
#include "Player.h"
#include "Preferences.h"
#include "Sound.h"
#include "Text.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {

struct Frame {
    int32_t width = 0, height = 0;
    std::vector<uint8_t> rgb; // top row first
};

// The frame overlay runs just before the frame is presented: the back
// buffer then holds the finished frame.
Frame captured;
OpenGLWindow *captureWindow = nullptr;
Frame ReadBackBuffer(OpenGLWindow *window);
void CaptureOverlay(void *)
{
    captured = ReadBackBuffer(captureWindow);
}

Frame ReadBackBuffer(OpenGLWindow *window)
{
    Frame f;
    Rect4f b = OpenGLWindowGetBounds(window);
    f.width = int32_t(b.right - b.left);
    f.height = int32_t(b.bottom - b.top);
    std::vector<uint8_t> rgba(size_t(f.width) * size_t(f.height) * 4);
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, f.width, f.height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glReadBuffer(GL_BACK);
    f.rgb.resize(size_t(f.width) * size_t(f.height) * 3);
    for (int32_t y = 0; y < f.height; y++)
        for (int32_t x = 0; x < f.width; x++)
            for (int c = 0; c < 3; c++)
                f.rgb[(size_t(f.height - 1 - y) * size_t(f.width) + size_t(x)) * 3 + size_t(c)] =
                    rgba[(size_t(y) * size_t(f.width) + size_t(x)) * 4 + size_t(c)];
    return f;
}

class GameDrawing : public testing::Test {
protected:
    std::filesystem::path config;
    Controller *controller = nullptr;
    LevelSet *set = nullptr;

    void SetUp() override
    {
        config = std::filesystem::temp_directory_path() / ("brimhold-draw-" + std::to_string(getpid()));
        std::filesystem::create_directories(config);
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        HeadlessPlatformStartUp();
        PrefsStartUp();
        TextStartUp();
        SoundSetEnabled(false);
        PlatformSetResourcesFolder(std::filesystem::path(BRIMHOLD_BINARY_DIR) / "Resources");
        GameControllerRegisterMode();
        controller = ControllerAllocate();
    }
    void TearDown() override
    {
        if (controller) {
            ControllerStop(controller);
            ModelDisposeAllModels();
            ControllerDispose(controller);
        }
        LevelSetDispose(set);
        set = nullptr;
        ControllerRegisterMode(ModeGame, nullptr);
        PlatformSetResourcesFolder({});
        TextShutDown();
        PrefsShutDown();
        HeadlessPlatformShutDown();
        SoundSetEnabled(true);
        unsetenv("XDG_CONFIG_HOME");
        std::filesystem::remove_all(config);
    }
};

int DistinctColours(const Frame &f)
{
    std::vector<bool> seen(1 << 15, false);
    int distinct = 0;
    for (size_t i = 0; i + 2 < f.rgb.size(); i += 3) {
        int key = (f.rgb[i] >> 3) << 10 | (f.rgb[i + 1] >> 3) << 5 | (f.rgb[i + 2] >> 3);
        if (!seen[size_t(key)]) {
            seen[size_t(key)] = true;
            distinct++;
        }
    }
    return distinct;
}

int ChangedPixels(const Frame &a, const Frame &b)
{
    int changed = 0;
    for (size_t i = 0; i + 2 < a.rgb.size() && i + 2 < b.rgb.size(); i += 3) {
        int d = std::abs(int(a.rgb[i]) - int(b.rgb[i])) + std::abs(int(a.rgb[i + 1]) - int(b.rgb[i + 1])) +
                std::abs(int(a.rgb[i + 2]) - int(b.rgb[i + 2]));
        if (d > 30)
            changed++;
    }
    return changed;
}

} // namespace

TEST_F(GameDrawing, EveryShippedLevelDrawsWithThePlayerInSight)
{
    ASSERT_NE(controller, nullptr);
    OpenGLWindow *window = ControllerGetMainWindow(controller);
    ModelLoadAllModels();
    set = LevelSetAllocate();
    ASSERT_TRUE(LevelSetInitWithFile(set, std::filesystem::path(BRIMHOLD_BINARY_DIR) / "Resources" / "Levels" /
                                              "Test levels"));
    controller->currentLevelSet = set;
    ControllerStart(controller);
    ControllerPushMode(controller, ModeGame);
    GameController *game = controller->gameController;
    ASSERT_NE(game, nullptr);
    captureWindow = window;
    ControllerSetFrameOverlay(CaptureOverlay, nullptr);
    for (int32_t i = 0; i < LevelSetGetLevelCount(set); i++) {
        SCOPED_TRACE("level " + std::to_string(i + 1));
        GameControllerGoToLevel(game, i);
        // Let the camera settle behind the player.
        for (int step = 0; step < 60; step++)
            GameControllerStep(game);
        GameControllerDraw(game);
        Frame with = captured;
        EXPECT_GT(DistinctColours(with), 200) << "the frame is blank";
        Vector feet = PlayerGetPosition(game->player);
        game->player->position = VectorWithValues(-1000, -1000, -1000);
        GameControllerDraw(game);
        Frame without = captured;
        game->player->position = feet;
        EXPECT_GT(ChangedPixels(with, without), 1500) << "the player is not in sight";
    }
    ControllerSetFrameOverlay(nullptr, nullptr);
}
