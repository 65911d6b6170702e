// Every shipped level drawn through the real window with the shipped art,
// and what keeps frames cheap: the player in sight; no black void in the
// first frame or ten seconds into the level's replay, the backdrop showing
// wherever the level does not reach; the texture filtering default that
// follows the renderer; the block geometry cached per region (same picture
// as drawing every block, rebuilt only on change, hidden faces left out);
// drawing on demand when the picture stands still.
#include "ScreenTestSupport.h"

#include "Backdrop.h"
#include "Block.h"
#include "Level.h"
#include "LevelGeometry.h"
#include "Player.h"
#include "Replay.h"
#include "Shader.h"
#include "StatusLabels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using screentest::Frame;

namespace {

// The share of pixels that differ clearly between two frames.
double DifferentShare(const Frame &a, const Frame &b)
{
    EXPECT_EQ(a.rgba.size(), b.rgba.size());
    return double(a.Changed(b, 48)) / double(a.rgba.size() / 4);
}

// The largest connected region of black pixels (every channel below 9 of
// 255), as a share of the picture.
double LargestBlackRegion(const Frame &f)
{
    size_t count = size_t(f.width) * size_t(f.height), width = size_t(f.width);
    if (count == 0 || f.rgba.size() < count * 4)
        return 1.0;
    std::vector<uint8_t> state(count, 0); // 1 black, 2 counted
    for (size_t i = 0; i < count; i++)
        state[i] = f.rgba[i * 4] < 9 && f.rgba[i * 4 + 1] < 9 && f.rgba[i * 4 + 2] < 9 ? 1 : 0;
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
            size_t x = p % width;
            size_t next[4] = {x > 0 ? p - 1 : p, x + 1 < width ? p + 1 : p, p >= width ? p - width : p,
                              p + width < count ? p + width : p};
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

class FrameCost : public screentest::AppFixture {
protected:
    void SetUp() override
    {
        StartUp(true, true);
        if (HasFatalFailure())
            return;
        Capture();
    }
    void TearDown() override
    {
        LevelGeometrySetEnabled(true);
        LevelGeometryForget();
        AppFixture::TearDown();
    }
    Frame Draw(GameController *game)
    {
        GameControllerDraw(game);
        return frame;
    }
    // Frames presented in the next `seconds`, not read back.
    int FramesIn(double seconds)
    {
        readFrames = false;
        frames = 0;
        HeadlessRunFor(seconds);
        return frames;
    }
};

} // namespace

// ---- Texture filtering --------------------------------------------------------

TEST_F(FrameCost, FilteringDefaultFollowsTheRendererAndTheUsersChoiceWins)
{
    for (const char *name : {"llvmpipe (LLVM 15.0.6, 256 bits)", "softpipe", "Software Rasterizer"})
        EXPECT_TRUE(ShaderRendererIsSoftware(name)) << name;
    for (const char *name : {"AMD Radeon RX 580 Series (polaris10, LLVM 15.0.6, DRM 3.49)",
                             "Mesa Intel(R) UHD Graphics 620 (KBL GT2)", static_cast<const char *>(nullptr)})
        EXPECT_FALSE(ShaderRendererIsSoftware(name)) << (name ? name : "null");
    const char *renderer = reinterpret_cast<const char *>(glGetString(GL_RENDERER));
    ASSERT_NE(renderer, nullptr);
    bool software = ShaderRendererIsSoftware(renderer);
    int32_t stored = -1;

    // No file: the default is the renderer's, and it is no choice.
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

// ---- Every shipped level ---------------------------------------------------------

TEST_F(FrameCost, EveryShippedLevelShowsThePlayerAndNoVoidAndLooksAsWhenEachBlockIsDrawnAlone)
{
    GameController *game = StartShippedGame();
    ASSERT_NE(game, nullptr);
    for (int32_t i = 0; i < LevelSetGetLevelCount(set); i++) {
        SCOPED_TRACE("level " + std::to_string(i + 1));
        GameControllerGoToLevel(game, i);
        EXPECT_LE(LargestBlackRegion(Draw(game)), 0.01) << "first frame";
        // Let the camera settle behind the player.
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

        // (A blank frame fails this too.)
        Vector feet = PlayerGetPosition(game->player);
        game->player->position = VectorWithValues(-1000, -1000, -1000);
        Frame without = Draw(game);
        game->player->position = feet;
        EXPECT_GT(cached.Changed(without, 30), 1500) << "the player is not in sight";

        char name[32];
        std::snprintf(name, sizeof name, "Test levels.%02d.replay", int(i));
        Replay *replay = ReplayAllocate();
        std::string error;
        if (ReplayLoadFromFile(replay, std::string(BRIMHOLD_SOURCE_DIR "/Resources/Levels/Replays/") + name, &error)) {
            GameControllerGoToLevel(game, i);
            GameControllerPlayReplay(game, replay);
            while (game->stepCount < 10 * 120 && game->stepCount < replay->endStep && game->levelsCompleted == 0 &&
                   game->deaths == 0)
                GameControllerStep(game);
            EXPECT_LE(LargestBlackRegion(Draw(game)), 0.01) << "ten seconds into the replay";
            GameControllerPlayReplay(game, nullptr);
        }
        ReplayDispose(replay);
    }
}

TEST_F(FrameCost, SkyAboveGroundAndTheStatusBandBelowTheLabels)
{
    // The backdrop alone, looking level: sky in the upper half, ground in
    // the lower, the status band at the very bottom.
    OpenGLWindowSetUpViewport(window);
    OpenGLWindowSetPerspective(window);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    EXPECT_EQ(LargestBlackRegion(Frame::Read()), 1.0) << "a cleared picture is all void";
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    BackdropDraw(VectorWithValues(10, 20, 30));
    WidgetController *labels = StatusLabelsAllocate(window);
    StatusLabelsDraw(labels);
    StatusLabelsDispose(labels);
    Frame f = Frame::Read();
    EXPECT_EQ(LargestBlackRegion(f), 0.0);
    auto at = [&](double fx, double fy) {
        return f.At(size_t(fy * f.height) * size_t(f.width) + size_t(fx * f.width));
    };
    auto sky = at(0.5, 0.9), ground = at(0.5, 0.2), band = at(0.5, 0.02);
    EXPECT_GT(sky[2], sky[0] + 40) << "blue sky";
    EXPECT_GT(ground[1], ground[2]) << "green ground";
    EXPECT_LT(band[0] + band[1] + band[2], 200) << "a dark band under the labels";
    EXPECT_GT(band[2], band[0]);
}

// ---- Cached block geometry -----------------------------------------------------

TEST_F(FrameCost, RegionsAreRebuiltOnlyWhenABlockInThemChanges)
{
    GameController *game = StartShippedGame();
    ASSERT_NE(game, nullptr);
    // A level of 3 x 3 x 3 stones beside a phasing block, in a level of two
    // regions along x.
    Level *level = LevelSetGetLevel(set, 0);
    while (level->blockCount > 0)
        LevelRemoveBlock(level, level->blockCount - 1, true);
    while (level->powerupCount > 0)
        LevelRemovePowerup(level, level->powerupCount - 1);
    LevelChangeGridSize(level, 12, 6, 6);
    Block block;
    for (int32_t y = 0; y < 3; y++)
        for (int32_t z = 1; z < 4; z++)
            for (int32_t x = 8; x < 11; x++) {
                BlockInit(&block, kBlockStone, x, y, z);
                LevelAddBlock(level, &block);
            }
    BlockInit(&block, kBlockPhasing, 7, 1, 2);
    LevelAddBlock(level, &block);
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
    EXPECT_LT(DifferentShare(Draw(game), cached), 0.005);
}

// ---- Drawing on demand --------------------------------------------------------

TEST_F(FrameCost, TheStillTitleDrawsOnlyOnDemand)
{
    ControllerStart(controller);
    EXPECT_GT(FramesIn(1.0), 100) << "the intro moves";
    HeadlessRunFor(4.0);
    EXPECT_EQ(FramesIn(1.0), 0) << "the menu stands still";
    widgettest::Mouse(window, kEventMouseMoved, 0.5f, 0.5f);
    HeadlessRunFor(0.1);
    EXPECT_EQ(frames, 1) << "input may change the picture";
    HeadlessInjectSimple(kEventWindowDrawContent);
    int afterExpose = FramesIn(1.0);
    EXPECT_GE(afterExpose, 1) << "an expose redraws";
    EXPECT_LT(afterExpose, 3) << "and then the menu stands still again";
}

TEST_F(FrameCost, APausedOrHiddenGameDrawsOnlyOnDemand)
{
    GameController *game = StartShippedGame();
    ASSERT_NE(game, nullptr);
    EXPECT_GT(FramesIn(0.5), 50) << "a game in play draws every step";
    widgettest::Key(kKeyCodeEscape);
    ASSERT_TRUE(GameControllerIsPaused(game));
    HeadlessRunFor(0.1);
    EXPECT_EQ(FramesIn(1.0), 0);
    widgettest::Key(kKeyCodeEscape);
    ASSERT_FALSE(GameControllerIsPaused(game));
    EXPECT_GT(FramesIn(0.5), 50);
    PlatformWindowHide(window->window);
    EXPECT_EQ(FramesIn(0.5), 0) << "nothing is drawn while the window is hidden";
}
