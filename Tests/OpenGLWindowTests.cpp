// The real window and its drawing context (these tests need a display; the
// suite runs under Xvfb): the window, the graphics state, projections,
// resizing, full-screen switches, anti-aliasing and snapshots.  (A resize
// through the desktop loop is tested with the desktop platform.)
#include "WidgetTestSupport.h"

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
#include <string>
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

std::vector<GLint> Viewport()
{
    std::vector<GLint> viewport(4, -1);
    glGetIntegerv(GL_VIEWPORT, viewport.data());
    return viewport;
}

// The samples of the current context and whether multisampling is on.
std::pair<GLint, bool> Multisampling()
{
    GLint samples = -1;
    glGetIntegerv(GL_SAMPLES, &samples);
    return {samples, glIsEnabled(GL_MULTISAMPLE) == GL_TRUE};
}

void ExpectPerspective(float aspect)
{
    GLfloat m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    float f = float(1.0 / std::tan(22.5 * M_PI / 180.0));
    const float expected[] = {f / aspect, f, (1000.0f + 1.5f) / (1.5f - 1000.0f), -1.0f,
                              2.0f * 1000.0f * 1.5f / (1.5f - 1000.0f)};
    const int at[] = {0, 5, 10, 11, 14};
    for (int i = 0; i < 5; i++)
        EXPECT_NEAR(m[at[i]], expected[i], 1e-4) << at[i];
}

// The size of the window's content.
std::vector<float> Size(OpenGLWindow *window)
{
    Rect4f b = OpenGLWindowGetBounds(window);
    return {b.right - b.left, b.bottom - b.top};
}

TEST_F(WindowTest, OpensAn800By600WindowTitledBrimholdWithTheGraphicsStateAsListed)
{
    Open();
    EXPECT_STREQ(PlatformWindowGetTitle(window->window), "Brimhold");
    EXPECT_EQ(Size(window), (std::vector<float>{800, 600}));
    EXPECT_FLOAT_EQ(OpenGLWindowGetRatio(window), 800.0f / 600.0f);
    EXPECT_FALSE(window->fullScreen);
    EXPECT_TRUE(checkGLExtensions("GL_EXT_bgra", "GL_ARB_multitexture", "GL_ARB_texture_env_combine", nullptr));
    EXPECT_FALSE(checkGLExtensions("GL_ARB_multitexture", "GL_BRIMHOLD_no_such_thing", nullptr));
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
    std::vector<GLfloat> clear(4, 1.0f);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear.data());
    EXPECT_EQ(clear, std::vector<GLfloat>(4, 0.0f));
    EXPECT_EQ(Viewport(), (std::vector<GLint>{0, 0, 800, 600}));
    ExpectPerspective(800.0f / 600.0f);
    std::vector<GLfloat> modelView(16), identity(16, 0.0f);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView.data());
    for (int i = 0; i < 16; i += 5)
        identity[size_t(i)] = 1.0f;
    EXPECT_EQ(modelView, identity);
    // The depth and stencil buffers asked for.
    GLint depth = 0, stencil = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depth);
    glGetIntegerv(GL_STENCIL_BITS, &stencil);
    EXPECT_GE(depth, 24);
    EXPECT_GE(stencil, 8);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(WindowTest, OrthographicBoxSpansTheRatio)
{
    Open(false, kProjectionOrthographic);
    GLfloat m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    EXPECT_EQ((std::vector<float>{m[0], m[5], m[10], m[15]}), (std::vector<float>{600.0f / 800.0f, 1, -1, 1}));
}

TEST_F(WindowTest, ResizeEventKeepsTheProjectionsAspectRatio)
{
    Open();
    LogAllCallbacks(window);
    widgettest::Resize(window, 1000, 500);
    ASSERT_EQ(Size(window), (std::vector<float>{1000, 500}));
    ExpectPerspective(2.0f);
    EXPECT_EQ(Viewport(), (std::vector<GLint>{0, 0, 1000, 500}));
    EXPECT_EQ(callbackLog, (std::vector<int32_t>{4, 2}));

    // A pure move is not handled and raises nothing.
    callbackLog.clear();
    PlatformEvent move{};
    move.kind = kEventWindowBoundsChanged;
    HeadlessInjectEvent(move);
    HeadlessRunFor(0.0);
    EXPECT_TRUE(callbackLog.empty());
}

// Whether the window is full screen, and which of its contexts exist.
std::vector<bool> Contexts(OpenGLWindow *window)
{
    return {OpenGLWindowIsFullScreen(window), window->windowedContext != nullptr,
            window->fullScreenContext != nullptr};
}

TEST_F(WindowTest, ToggleRaisesFourThenFiveEachWayAndARefusalBeepsAndStaysWindowed)
{
    Open();
    LogAllCallbacks(window);
    PlatformSetDisplayLimits({-1, true});
    testing::internal::CaptureStdout();
    OpenGLWindowToggleFullScreen(window);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "aglSetFullScreen failed: -1\n");
    PlatformSetDisplayLimits({-1, false});
    EXPECT_EQ(Contexts(window), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(HeadlessBeepCount(), 1);
    EXPECT_EQ(callbackLog, (std::vector<int32_t>{4, 5}));

    callbackLog.clear();
    OpenGLWindowToggleFullScreen(window);
    EXPECT_EQ(Contexts(window), (std::vector<bool>{true, false, true}));
    EXPECT_EQ(callbackLog, (std::vector<int32_t>{4, 5}));
    Rect4f b = OpenGLWindowGetBounds(window);
    EXPECT_EQ((std::vector<float>{b.left, b.bottom, b.right, b.top}), (std::vector<float>{0, 768, 1024, 0}))
        << "the Xvfb screen of the suite";
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
    EXPECT_EQ(Multisampling(), std::make_pair(4, true));
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const uint8_t pixel[4] = {1, 2, 3, 4};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    glBindTexture(GL_TEXTURE_2D, 0);

    OpenGLWindowSetFSAAEnabled(window, false);
    EXPECT_FALSE(window->fsaa);
    EXPECT_EQ(Multisampling(), std::make_pair(0, false));
    EXPECT_TRUE(glIsTexture(texture));
    EXPECT_EQ(Size(window)[0], 800.0f);

    OpenGLWindowSetFSAAEnabled(window, true);
    EXPECT_EQ(Multisampling().first, 4);
    EXPECT_TRUE(glIsTexture(texture));
}

TEST_F(WindowTest, RefusedMultisamplingStillGivesAContextWithoutIt)
{
    PlatformSetDisplayLimits({0, false});
    Open(true);
    EXPECT_FALSE(window->fsaa);
    EXPECT_NE(window->windowedContext, nullptr);
    EXPECT_EQ(Multisampling(), std::make_pair(0, false));
    // Switching it on later keeps the old context, without anti-aliasing.
    PlatformWindow *before = window->window;
    OpenGLWindowSetFSAAEnabled(window, true);
    EXPECT_FALSE(window->fsaa);
    EXPECT_EQ(window->window, before);
    EXPECT_NE(window->windowedContext, nullptr);
    PlatformSetDisplayLimits({-1, false});
}

TEST_F(WindowTest, StartingInFullScreenSwitchesDuringAllocation)
{
    window = OpenGLWindowAllocate("Brimhold", 800, 600, true, false, kProjectionPerspective);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Contexts(window), (std::vector<bool>{true, false, true}));
    EXPECT_EQ(Viewport(), (std::vector<GLint>{0, 0, 1024, 768}));
    ExpectPerspective(1024.0f / 768.0f);
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
    written.file = file, written.width = width, written.height = height;
    written.firstRow.assign(rgbRows, rgbRows + width * 3);
    written.lastRow.assign(rgbRows + size_t(height - 1) * width * 3, rgbRows + size_t(height) * width * 3);
    if (written.succeed)
        testfiles::WriteText(file, "png");
    return written.succeed;
}

// A home of the test's own, whose configuration names no desktop folder:
// snapshots go to its "Desktop".
class SnapshotTest : public WindowTest {
protected:
    widgettest::PreferencesFolder folder;
    fs::path home = folder.root;
    testfiles::ScopedEnv homeEnv{"HOME", home.c_str()};

    void SetUp() override
    {
        WindowTest::SetUp();
        written = WrittenImage{};
        fs::create_directories(home / "Desktop");
        OpenGLWindowSetImageWriter(RecordingWriter);
        Open();
    }
    void TearDown() override
    {
        OpenGLWindowSetImageWriter(nullptr);
        WindowTest::TearDown();
    }
    void Touch(int number)
    {
        testfiles::WriteText(home / "Desktop" / ("Picture " + std::to_string(number) + ".png"), "");
    }
};

TEST_F(SnapshotTest, LandsAsPicture3WhenOneAndTwoExist)
{
    Touch(1);
    fs::create_directory(home / "Desktop" / "Picture 2.png"); // anything with the name counts as taken
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
    EXPECT_EQ(written.file, home / "Desktop" / "Picture 3.png");
    EXPECT_EQ((std::vector<int32_t>{written.calls, written.width, written.height, HeadlessBeepCount()}),
              (std::vector<int32_t>{1, 800, 600, 0}));
    // Top row first: blue on top, red at the bottom.
    ASSERT_EQ(written.firstRow.size(), 2400u);
    EXPECT_EQ((std::vector<uint8_t>(written.firstRow.begin(), written.firstRow.begin() + 3)),
              (std::vector<uint8_t>{0, 0, 255}));
    EXPECT_EQ((std::vector<uint8_t>(written.lastRow.begin(), written.lastRow.begin() + 3)),
              (std::vector<uint8_t>{255, 0, 0}));

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

} // namespace
