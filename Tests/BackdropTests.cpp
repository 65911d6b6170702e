// No black void: every shipped level's first frame, and the frame ten
// seconds into its replay, show the backdrop wherever the level does not
// reach; the status line keeps a band of its own.
#include "Backdrop.h"
#include "Controller.h"
#include "Folders.h"
#include "GameController.h"
#include "Headless.h"
#include "LevelSet.h"
#include "ModelParser.h"
#include "OpenGLWindow.h"
#include "Preferences.h"
#include "Replay.h"
#include "Sound.h"
#include "StatusLabels.h"
#include "Text.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Picture {
    int32_t width = 0, height = 0;
    std::vector<uint8_t> rgba; // bottom row first
    // The largest connected region of black pixels (every channel below 9
    // of 255), as a share of the picture.
    double LargestBlackRegion() const
    {
        size_t count = size_t(width) * size_t(height);
        if (count == 0 || rgba.size() < count * 4)
            return 1.0;
        std::vector<uint8_t> state(count, 0); // 1 black, 2 counted
        for (size_t i = 0; i < count; i++)
            state[i] = rgba[i * 4] < 9 && rgba[i * 4 + 1] < 9 && rgba[i * 4 + 2] < 9 ? 1 : 0;
        size_t largest = 0;
        std::vector<size_t> stack;
        for (size_t start = 0; start < count; start++) {
            if (state[start] != 1)
                continue;
            size_t size = 0;
            state[start] = 2;
            stack.assign(1, start);
            while (!stack.empty()) {
                size_t p = stack.back();
                stack.pop_back();
                size++;
                size_t x = p % size_t(width);
                size_t next[4] = {x > 0 ? p - 1 : p, x + 1 < size_t(width) ? p + 1 : p, p >= size_t(width) ? p - size_t(width) : p,
                                  p + size_t(width) < count ? p + size_t(width) : p};
                for (size_t n : next)
                    if (state[n] == 1) {
                        state[n] = 2;
                        stack.push_back(n);
                    }
            }
            largest = std::max(largest, size);
        }
        return double(largest) / double(count);
    }
};

Picture captured;

void CaptureOverlay(void *)
{
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    captured.width = viewport[2];
    captured.height = viewport[3];
    captured.rgba.assign(size_t(captured.width) * size_t(captured.height) * 4, 0);
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, captured.width, captured.height, GL_RGBA, GL_UNSIGNED_BYTE, captured.rgba.data());
}

class Backdrop : public testing::Test {
protected:
    fs::path config;
    Controller *controller = nullptr;
    LevelSet *set = nullptr;

    void SetUp() override
    {
        config = fs::temp_directory_path() / ("brimhold-backdrop-" + std::to_string(getpid()));
        fs::create_directories(config);
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        HeadlessPlatformStartUp();
        PrefsStartUp();
        TextStartUp();
        SoundSetEnabled(false);
        PlatformSetResourcesFolder(fs::path(BRIMHOLD_BINARY_DIR) / "Resources");
        GameControllerRegisterMode();
        controller = ControllerAllocate();
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
        ControllerRegisterMode(ModeGame, nullptr);
        PlatformSetResourcesFolder({});
        TextShutDown();
        PrefsShutDown();
        HeadlessPlatformShutDown();
        SoundSetEnabled(true);
        unsetenv("XDG_CONFIG_HOME");
        fs::remove_all(config);
    }
};

} // namespace

TEST_F(Backdrop, NoShippedLevelShowsABlackVoid)
{
    ASSERT_NE(controller, nullptr);
    ModelLoadAllModels();
    set = LevelSetAllocate();
    ASSERT_TRUE(LevelSetInitWithFile(set, fs::path(BRIMHOLD_BINARY_DIR) / "Resources" / "Levels" / "Test levels"));
    controller->currentLevelSet = set;
    ControllerStart(controller);
    ControllerPushMode(controller, ModeGame);
    GameController *game = controller->gameController;
    ASSERT_NE(game, nullptr);
    ControllerSetFrameOverlay(CaptureOverlay, nullptr);
    for (int32_t i = 0; i < LevelSetGetLevelCount(set); i++) {
        SCOPED_TRACE("level " + std::to_string(i + 1));
        GameControllerGoToLevel(game, i);
        GameControllerDraw(game);
        ASSERT_GT(captured.width, 0);
        EXPECT_LE(captured.LargestBlackRegion(), 0.01) << "first frame";

        char name[32];
        std::snprintf(name, sizeof name, "Test levels.%02d.replay", int(i));
        Replay *replay = ReplayAllocate();
        std::string error;
        if (ReplayLoadFromFile(replay, (fs::path(BRIMHOLD_SOURCE_DIR) / "Resources" / "Levels" / "Replays" / name).string(),
                               &error)) {
            GameControllerGoToLevel(game, i);
            GameControllerPlayReplay(game, replay);
            while (game->stepCount < 10 * 120 && game->stepCount < replay->endStep && game->levelsCompleted == 0 &&
                   game->deaths == 0)
                GameControllerStep(game);
            GameControllerDraw(game);
            EXPECT_LE(captured.LargestBlackRegion(), 0.01) << "ten seconds into the replay";
            GameControllerPlayReplay(game, nullptr);
        }
        ReplayDispose(replay);
    }
}

TEST_F(Backdrop, SkyAboveGroundAndTheStatusBandBelowTheLabels)
{
    // The backdrop alone, looking level: sky in the upper half, ground in
    // the lower, the status band at the very bottom.
    ASSERT_NE(controller, nullptr);
    OpenGLWindow *window = ControllerGetMainWindow(controller);
    ASSERT_NE(window, nullptr);
    OpenGLWindowSetUpViewport(window);
    OpenGLWindowSetPerspective(window);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    CaptureOverlay(nullptr);
    EXPECT_EQ(captured.LargestBlackRegion(), 1.0) << "a cleared picture is all void";
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    BackdropDraw(VectorWithValues(10, 20, 30));
    WidgetController *labels = StatusLabelsAllocate(window);
    StatusLabelsDraw(labels);
    StatusLabelsDispose(labels);
    CaptureOverlay(nullptr);
    EXPECT_EQ(captured.LargestBlackRegion(), 0.0);
    auto at = [](double fx, double fy) {
        const uint8_t *p = &captured.rgba[(size_t(fy * captured.height) * size_t(captured.width) +
                                           size_t(fx * captured.width)) * 4];
        return std::array<int, 3>{p[0], p[1], p[2]};
    };
    auto sky = at(0.5, 0.9), ground = at(0.5, 0.2), band = at(0.5, 0.02);
    EXPECT_GT(sky[2], sky[0] + 40) << "blue sky";
    EXPECT_GT(ground[1], ground[2]) << "green ground";
    EXPECT_LT(band[0] + band[1] + band[2], 200) << "a dark band under the labels";
    EXPECT_GT(band[2], band[0]);
}
