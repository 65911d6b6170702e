// The real window and its drawing context (these tests need a display; the
// suite runs under Xvfb): the window, the graphics state, projections,
// resizing through the desktop loop, full-screen switches, anti-aliasing and
// snapshots.
#include "Events.h"
#include "Headless.h"
#include "OpenGLWindow.h"
#include "Utilities.h"
#include "Window.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<int32_t> callbackLog;

int32_t LogCallback(void *context, void *)
{
    callbackLog.push_back(int32_t(reinterpret_cast<intptr_t>(context)));
    return 1;
}

void LogAllCallbacks(OpenGLWindow *window)
{
    for (intptr_t type = 0; type <= 5; type++)
        CallbackControllerInstallCallback(OpenGLWindowGetCallbackController(window), int32_t(type), LogCallback,
                                          reinterpret_cast<void *>(type));
}

class WindowTest : public ::testing::Test {
protected:
    OpenGLWindow *window = nullptr;

    void SetUp() override
    {
        HeadlessPlatformStartUp();
        callbackLog.clear();
    }
    void TearDown() override
    {
        OpenGLWindowDispose(window);
        HeadlessPlatformShutDown();
    }
    void Open(bool fsaa = false, int32_t projection = kProjectionPerspective)
    {
        window = OpenGLWindowAllocate("Brimhold", 800, 600, false, fsaa, projection);
        ASSERT_NE(window, nullptr) << "no window could be opened";
    }
};

void ExpectPerspective(float aspect)
{
    GLfloat m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    float f = float(1.0 / std::tan(22.5 * M_PI / 180.0));
    EXPECT_NEAR(m[5], f, 1e-5);
    EXPECT_NEAR(m[0], f / aspect, 1e-5);
    EXPECT_NEAR(m[10], (1000.0f + 1.5f) / (1.5f - 1000.0f), 1e-5);
    EXPECT_NEAR(m[14], 2.0f * 1000.0f * 1.5f / (1.5f - 1000.0f), 1e-4);
    EXPECT_NEAR(m[11], -1.0f, 1e-6);
}

TEST_F(WindowTest, OpensAResizable800By600WindowTitledBrimhold)
{
    Open();
    EXPECT_STREQ(PlatformWindowGetTitle(window->window), "Brimhold");
    Rect4f bounds = OpenGLWindowGetBounds(window);
    EXPECT_FLOAT_EQ(bounds.right - bounds.left, 800.0f);
    EXPECT_FLOAT_EQ(bounds.bottom - bounds.top, 600.0f);
    EXPECT_FLOAT_EQ(OpenGLWindowGetRatio(window), 800.0f / 600.0f);
    EXPECT_FALSE(window->fullScreen);
    EXPECT_TRUE(checkGLExtensions("GL_EXT_bgra", "GL_ARB_multitexture", "GL_ARB_texture_env_combine", nullptr));
    EXPECT_FALSE(checkGLExtensions("GL_ARB_multitexture", "GL_BRIMHOLD_no_such_thing", nullptr));
}

TEST_F(WindowTest, SetsUpTheGraphicsStateAsListed)
{
    Open();
    for (GLenum cap : {GL_DEPTH_TEST, GL_BLEND, GL_ALPHA_TEST, GL_CULL_FACE, GL_LIGHTING, GL_COLOR_MATERIAL})
        EXPECT_TRUE(glIsEnabled(cap)) << std::hex << cap;
    EXPECT_FALSE(glIsEnabled(GL_MULTISAMPLE));
    for (GLenum array : {GL_VERTEX_ARRAY, GL_NORMAL_ARRAY, GL_COLOR_ARRAY})
        EXPECT_TRUE(glIsEnabled(array)) << std::hex << array;
    const struct {
        GLenum query;
        GLfloat expected;
    } state[] = {{GL_CULL_FACE_MODE, GL_BACK},      {GL_ALPHA_TEST_FUNC, GL_GREATER}, {GL_ALPHA_TEST_REF, 0},
                 {GL_BLEND_SRC, GL_SRC_ALPHA},     {GL_BLEND_DST, GL_ONE_MINUS_SRC_ALPHA},
                 {GL_DEPTH_FUNC, GL_LEQUAL},       {GL_SHADE_MODEL, GL_SMOOTH},   {GL_DEPTH_CLEAR_VALUE, 1},
                 {GL_STENCIL_CLEAR_VALUE, 0},      {GL_MATRIX_MODE, GL_MODELVIEW}, {GL_DOUBLEBUFFER, GL_TRUE}};
    for (const auto &entry : state) {
        GLfloat value = -1;
        glGetFloatv(entry.query, &value);
        EXPECT_EQ(value, entry.expected) << std::hex << entry.query;
    }
    GLfloat clear[4] = {1, 1, 1, 1};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[0] + clear[1] + clear[2] + clear[3], 0.0f);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 600);
    ExpectPerspective(800.0f / 600.0f);
    GLfloat modelView[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
    for (int i = 0; i < 16; i++)
        EXPECT_EQ(modelView[i], (i % 5 == 0) ? 1.0f : 0.0f) << i;
    // The depth and stencil buffers asked for.
    GLint value = 0;
    glGetIntegerv(GL_DEPTH_BITS, &value);
    EXPECT_GE(value, 24);
    glGetIntegerv(GL_STENCIL_BITS, &value);
    EXPECT_GE(value, 8);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(WindowTest, OrthographicBoxSpansTheRatio)
{
    Open(false, kProjectionOrthographic);
    GLfloat m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    EXPECT_NEAR(m[0], 600.0f / 800.0f, 1e-6);
    EXPECT_NEAR(m[5], 1.0f, 1e-6);
    EXPECT_NEAR(m[10], -1.0f, 1e-6);
    EXPECT_NEAR(m[15], 1.0f, 1e-6);
}

TEST_F(WindowTest, ResizeEventKeepsTheProjectionsAspectRatio)
{
    Open();
    LogAllCallbacks(window);
    PlatformWindowSetContentSize(window->window, 1000, 500);
    // The size change as the desktop reports it.
    PlatformEvent event{};
    event.kind = kEventWindowBoundsChanged;
    event.sizeChanged = true;
    HeadlessInjectEvent(event);
    HeadlessRunFor(0.0);
    Rect4f bounds = OpenGLWindowGetBounds(window);
    ASSERT_FLOAT_EQ(bounds.right - bounds.left, 1000.0f);
    ASSERT_FLOAT_EQ(bounds.bottom - bounds.top, 500.0f);
    ExpectPerspective(2.0f);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 1000);
    EXPECT_EQ(viewport[3], 500);
    EXPECT_EQ(callbackLog, (std::vector<int32_t>{4, 2}));

    // A pure move is not handled and raises nothing.
    callbackLog.clear();
    event.sizeChanged = false;
    HeadlessInjectEvent(event);
    HeadlessRunFor(0.0);
    EXPECT_TRUE(callbackLog.empty());
}

TEST_F(WindowTest, ToggleRaisesFourThenFiveEachWay)
{
    Open();
    LogAllCallbacks(window);
    OpenGLWindowToggleFullScreen(window);
    ASSERT_TRUE(OpenGLWindowIsFullScreen(window));
    EXPECT_EQ(window->windowedContext, nullptr);
    EXPECT_NE(window->fullScreenContext, nullptr);
    EXPECT_EQ(callbackLog, (std::vector<int32_t>{4, 5}));
    Rect4f bounds = OpenGLWindowGetBounds(window);
    EXPECT_EQ(bounds.left, 0.0f);
    EXPECT_EQ(bounds.top, 0.0f);
    EXPECT_FLOAT_EQ(bounds.right, 1024.0f); // the Xvfb screen of the suite
    EXPECT_FLOAT_EQ(bounds.bottom, 768.0f);
    callbackLog.clear();
    OpenGLWindowToggleFullScreen(window);
    EXPECT_FALSE(OpenGLWindowIsFullScreen(window));
    EXPECT_NE(window->windowedContext, nullptr);
    EXPECT_EQ(callbackLog, (std::vector<int32_t>{4, 5}));
}

TEST_F(WindowTest, CloseIsHandledOnlyWhenACallbackConsumesIt)
{
    Open();
    // No callback consumes it: the standard handling ends the loop.
    HeadlessInjectSimple(kEventWindowClose);
    EXPECT_TRUE(HeadlessRunFor(0.0));
    CallbackControllerInstallCallback(
        OpenGLWindowGetCallbackController(window), kOpenGLWindowCallbackClose,
        [](void *, void *) -> int32_t { return 0; }, nullptr);
    HeadlessInjectSimple(kEventWindowClose);
    EXPECT_FALSE(HeadlessRunFor(0.0));
}

TEST_F(WindowTest, AntiAliasingIsGrantedAndSwitchedWithTexturesKept)
{
    Open(true);
    EXPECT_TRUE(window->fsaa);
    GLint samples = 0;
    glGetIntegerv(GL_SAMPLES, &samples);
    EXPECT_EQ(samples, 4);
    EXPECT_TRUE(glIsEnabled(GL_MULTISAMPLE));
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const uint8_t pixel[4] = {1, 2, 3, 4};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    glBindTexture(GL_TEXTURE_2D, 0);

    OpenGLWindowSetFSAAEnabled(window, false);
    EXPECT_FALSE(window->fsaa);
    glGetIntegerv(GL_SAMPLES, &samples);
    EXPECT_EQ(samples, 0);
    EXPECT_FALSE(glIsEnabled(GL_MULTISAMPLE));
    EXPECT_TRUE(glIsTexture(texture));
    Rect4f bounds = OpenGLWindowGetBounds(window);
    EXPECT_FLOAT_EQ(bounds.right - bounds.left, 800.0f);

    OpenGLWindowSetFSAAEnabled(window, true);
    glGetIntegerv(GL_SAMPLES, &samples);
    EXPECT_EQ(samples, 4);
    EXPECT_TRUE(glIsTexture(texture));
}

TEST_F(WindowTest, RefusedMultisamplingStillGivesAContextWithoutIt)
{
    PlatformSetDisplayLimits({0, false});
    Open(true);
    EXPECT_FALSE(window->fsaa);
    EXPECT_NE(window->windowedContext, nullptr);
    GLint samples = -1;
    glGetIntegerv(GL_SAMPLES, &samples);
    EXPECT_EQ(samples, 0);
    EXPECT_FALSE(glIsEnabled(GL_MULTISAMPLE));
    // Switching it on later keeps the old context, without anti-aliasing.
    PlatformWindow *before = window->window;
    OpenGLWindowSetFSAAEnabled(window, true);
    EXPECT_FALSE(window->fsaa);
    EXPECT_EQ(window->window, before);
    EXPECT_NE(window->windowedContext, nullptr);
    PlatformSetDisplayLimits({-1, false});
}

TEST_F(WindowTest, RefusedFullScreenBeepsAndStaysWindowed)
{
    Open();
    LogAllCallbacks(window);
    PlatformSetDisplayLimits({-1, true});
    testing::internal::CaptureStdout();
    OpenGLWindowToggleFullScreen(window);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "aglSetFullScreen failed: -1\n");
    PlatformSetDisplayLimits({-1, false});
    EXPECT_FALSE(OpenGLWindowIsFullScreen(window));
    EXPECT_NE(window->windowedContext, nullptr);
    EXPECT_EQ(window->fullScreenContext, nullptr);
    EXPECT_EQ(HeadlessBeepCount(), 1);
    EXPECT_EQ(callbackLog, (std::vector<int32_t>{4, 5}));
}

TEST_F(WindowTest, StartingInFullScreenSwitchesDuringAllocation)
{
    window = OpenGLWindowAllocate("Brimhold", 800, 600, true, false, kProjectionPerspective);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(OpenGLWindowIsFullScreen(window));
    EXPECT_NE(window->fullScreenContext, nullptr);
    EXPECT_EQ(window->windowedContext, nullptr);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 1024);
    EXPECT_EQ(viewport[3], 768);
    ExpectPerspective(1024.0f / 768.0f);
}

TEST_F(WindowTest, VerticalBlankSyncIsStoredPerMode)
{
    Open();
    OpenGLWindowSetVBLSyncEnabled(window, false, true);
    OpenGLWindowSetVBLSyncEnabled(window, true, false);
    EXPECT_EQ(window->vblSyncWindowed, 1);
    EXPECT_EQ(window->vblSyncFullScreen, 0);
}

// ---- Snapshots ----------------------------------------------------------------------

struct WrittenImage {
    int32_t calls = 0;
    fs::path file;
    int32_t width = 0, height = 0;
    std::vector<uint8_t> firstRow, lastRow;
    bool succeed = true;
};
WrittenImage written;

bool RecordingWriter(const fs::path &file, int32_t width, int32_t height, const uint8_t *rgbRows)
{
    written.calls++;
    written.file = file;
    written.width = width;
    written.height = height;
    written.firstRow.assign(rgbRows, rgbRows + width * 3);
    written.lastRow.assign(rgbRows + size_t(height - 1) * width * 3, rgbRows + size_t(height) * width * 3);
    if (written.succeed)
        std::ofstream(file) << "png";
    return written.succeed;
}

class SnapshotTest : public WindowTest {
protected:
    fs::path home;
    std::string oldHome, oldConfig;
    bool hadConfig = false;

    void SetUp() override
    {
        WindowTest::SetUp();
        written = WrittenImage{};
        home = fs::temp_directory_path() / ("brimhold-snapshot-" + std::to_string(getpid()));
        fs::remove_all(home);
        fs::create_directories(home / "Desktop");
        oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
        hadConfig = std::getenv("XDG_CONFIG_HOME") != nullptr;
        if (hadConfig)
            oldConfig = std::getenv("XDG_CONFIG_HOME");
        setenv("HOME", home.c_str(), 1);
        unsetenv("XDG_CONFIG_HOME");
        OpenGLWindowSetImageWriter(RecordingWriter);
        Open();
    }
    void TearDown() override
    {
        OpenGLWindowSetImageWriter(nullptr);
        setenv("HOME", oldHome.c_str(), 1);
        if (hadConfig)
            setenv("XDG_CONFIG_HOME", oldConfig.c_str(), 1);
        fs::remove_all(home);
        WindowTest::TearDown();
    }
    void Touch(int number) { std::ofstream(home / "Desktop" / ("Picture " + std::to_string(number) + ".png")); }
};

TEST_F(SnapshotTest, LandsAsPicture3WhenOneAndTwoExist)
{
    Touch(1);
    Touch(2);
    // A frame: the lower half red, the upper half blue.
    glDisable(GL_LIGHTING);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 300, 800, 300);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    OpenGLWindowSwapBuffers(window);

    OpenGLWindowTakeSnapshot(window, false);
    EXPECT_EQ(written.calls, 1);
    EXPECT_EQ(written.file, home / "Desktop" / "Picture 3.png");
    EXPECT_EQ(written.width, 800);
    EXPECT_EQ(written.height, 600);
    EXPECT_EQ(HeadlessBeepCount(), 0);
    // Top row first: blue on top, red at the bottom.
    ASSERT_EQ(written.firstRow.size(), 2400u);
    EXPECT_EQ(written.firstRow[0], 0);
    EXPECT_EQ(written.firstRow[2], 255);
    EXPECT_EQ(written.lastRow[0], 255);
    EXPECT_EQ(written.lastRow[2], 0);

    // The next one takes the next number.
    OpenGLWindowTakeSnapshot(window, false);
    EXPECT_EQ(written.file, home / "Desktop" / "Picture 4.png");
}

TEST_F(SnapshotTest, FailuresBeepAndWriteNothing)
{
    written.succeed = false; // a failed export: one beep
    OpenGLWindowTakeSnapshot(window, false);
    EXPECT_EQ(written.calls, 1);
    EXPECT_EQ(HeadlessBeepCount(), 1);
    for (int i = 1; i <= 98; i++) // every name taken: one beep, nothing written
        Touch(i);
    OpenGLWindowTakeSnapshot(window, false);
    EXPECT_EQ(written.calls, 1);
    EXPECT_EQ(HeadlessBeepCount(), 2);
    EXPECT_FALSE(fs::exists(home / "Desktop" / "Picture 99.png"));
    fs::remove_all(home / "Desktop"); // no desktop: two beeps, and it is not created
    OpenGLWindowTakeSnapshot(window, false);
    EXPECT_EQ(written.calls, 1);
    EXPECT_EQ(HeadlessBeepCount(), 4);
    EXPECT_FALSE(fs::exists(home / "Desktop"));
}

TEST(SnapshotNames, FirstFreeNumberUpTo98)
{
    fs::path folder = fs::temp_directory_path() / ("brimhold-names-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    fs::path file;
    EXPECT_EQ(OpenGLWindowFindSnapshotFile(folder, &file), 0);
    EXPECT_EQ(file, folder / "Picture 1.png");
    fs::create_directory(folder / "Picture 1.png"); // anything with the name counts as taken
    std::ofstream(folder / "Picture 3.png");
    EXPECT_EQ(OpenGLWindowFindSnapshotFile(folder, &file), 0);
    EXPECT_EQ(file, folder / "Picture 2.png");
    EXPECT_EQ(OpenGLWindowFindSnapshotFile(folder / "missing", &file), 2);
    fs::remove_all(folder);
}

// ---- The desktop loop ---------------------------------------------------------------

TEST(DesktopLoop, RealWindowResizeReachesTheWindowThroughTheLoop)
{
    ASSERT_TRUE(PlatformStartUp());
    OpenGLWindow *window = OpenGLWindowAllocate("Brimhold", 800, 600, false, false, kProjectionPerspective);
    ASSERT_NE(window, nullptr);
    callbackLog.clear();
    CallbackControllerInstallCallback(
        OpenGLWindowGetCallbackController(window), kOpenGLWindowCallbackBoundsChanged,
        [](void *, void *) -> int32_t {
            callbackLog.push_back(4);
            PlatformQuitApplicationEventLoop();
            return 1;
        },
        nullptr);
    // Give up after two seconds if the size change never arrives.
    PlatformInstallTimer(2.0, 0.0, [](PlatformTimerRef, void *) { PlatformQuitApplicationEventLoop(); }, nullptr);
    PlatformWindowSetContentSize(window->window, 900, 450);
    PlatformRunApplicationEventLoop();
    EXPECT_EQ(callbackLog, std::vector<int32_t>{4});
    ExpectPerspective(2.0f);
    OpenGLWindowDispose(window);
    PlatformShutDown();
}

} // namespace
