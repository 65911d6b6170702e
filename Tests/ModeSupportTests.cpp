// The scaffolding every mode shares: suspension parking the timer, the
// freeze / defrost pair, the fixed steps of a firing and the overlay's
// drawing state, on the headless platform.
#include "GLTestContext.h"
#include "ModeSupport.h"
#include "WidgetTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct FakeMode {
    int32_t suspendCount = 0;
    PlatformTimerRef timer = 0;
    PlatformEventHandlerRef handler = 0;
    bool frozen = false;
    int32_t firings = 0, keys = 0, steps = 0;
    int32_t stopAfter = -1; // the step that ends a firing early
};

void Fired(PlatformTimerRef, void *context)
{
    static_cast<FakeMode *>(context)->firings++;
}

bool KeyDown(const PlatformEvent *, void *context)
{
    static_cast<FakeMode *>(context)->keys++;
    return false;
}

bool Step(void *context)
{
    FakeMode *mode = static_cast<FakeMode *>(context);
    mode->steps++;
    return mode->steps != mode->stopAfter;
}

ModeParts Parts(FakeMode *mode)
{
    static const int32_t kinds[] = {kEventRawKeyDown};
    return ModeParts{"FakeMode", &mode->suspendCount, &mode->timer, &mode->handler, &mode->frozen,
                     kinds, 1, KeyDown, mode};
}

class ModeSupport : public testing::Test {
protected:
    FakeMode mode;
    void SetUp() override
    {
        HeadlessPlatformStartUp();
        mode.timer = ModeInstallTimer(Fired, &mode);
    }
    void TearDown() override
    {
        ModeRemoveHandler(Parts(&mode));
        ModeRemoveTimer(&mode.timer);
        HeadlessPlatformShutDown();
    }
};

TEST_F(ModeSupport, NestedSuspensionsParkTheTimerUntilTheLastResume)
{
    HeadlessRunFor(0.0);
    EXPECT_EQ(mode.firings, 1); // the first firing comes at once
    EXPECT_TRUE(ModeSuspend(Parts(&mode)));
    EXPECT_FALSE(ModeSuspend(Parts(&mode)));
    HeadlessRunFor(1.0);
    EXPECT_EQ(mode.firings, 1);
    EXPECT_FALSE(ModeResume(Parts(&mode)));
    HeadlessRunFor(1.0);
    EXPECT_EQ(mode.firings, 1);

    EXPECT_TRUE(ModeResume(Parts(&mode)));
    EXPECT_EQ(mode.suspendCount, 0);
    HeadlessRunFor(kModeStep * 0.9);
    EXPECT_EQ(mode.firings, 1);
    HeadlessRunFor(kModeStep * 0.2);
    EXPECT_EQ(mode.firings, 2);

    testing::internal::CaptureStdout();
    EXPECT_FALSE(ModeResume(Parts(&mode)));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Anomaly: FakeModeResume called when not suspended\n");
    EXPECT_EQ(mode.suspendCount, 0);
}

TEST_F(ModeSupport, FreezeRemovesTheHandlerAndDefrostPutsOneBack)
{
    ModeInstallHandler(Parts(&mode));
    ModeInstallHandler(Parts(&mode)); // installed once only
    HeadlessInjectKey(kEventRawKeyDown, 0);
    HeadlessRunFor(0.0);
    EXPECT_EQ(mode.keys, 1);

    // Frozen, then defrosted: whether frozen, the handler, the suspensions,
    // and the keys and firings that came through.
    auto state = [&] {
        return std::vector<int64_t>{mode.frozen, mode.handler != 0, mode.suspendCount, mode.keys, mode.firings};
    };
    int32_t firings = mode.firings;
    ModeFreeze(Parts(&mode));
    HeadlessInjectKey(kEventRawKeyDown, 0);
    HeadlessRunFor(0.5);
    EXPECT_EQ(state(), (std::vector<int64_t>{1, 0, 1, 1, firings}));
    ModeDefrost(Parts(&mode));
    HeadlessInjectKey(kEventRawKeyDown, 0);
    HeadlessRunFor(kModeStep);
    EXPECT_EQ(state(), (std::vector<int64_t>{0, 1, 0, 2, firings + 1}));
}

TEST_F(ModeSupport, FixedStepsCatchUpAtMostTenAndCarryTheRest)
{
    double last = 0.0, leftover = 0.0;
    // A long stall: exactly 10 steps, the rest dropped.
    EXPECT_EQ(ModeRunSteps(5.0, &last, &leftover, Step, &mode), 10);
    EXPECT_EQ(last, 5.0);
    EXPECT_LT(leftover, kModeStep);
    // Less than a step: none, the time carried over to the next firing.
    leftover = 0.0;
    EXPECT_EQ(ModeRunSteps(5.0 + kModeStep * 0.6, &last, &leftover, Step, &mode), 0);
    EXPECT_EQ(ModeRunSteps(5.0 + kModeStep * 1.2, &last, &leftover, Step, &mode), 1);
    EXPECT_NEAR(leftover, kModeStep * 0.2, 1e-9);
    // A step that ends the firing keeps the unsimulated time.
    mode.steps = 0;
    mode.stopAfter = 2;
    leftover = 0.0;
    EXPECT_EQ(ModeRunSteps(last + kModeStep * 5.5, &last, &leftover, Step, &mode), 2);
    EXPECT_NEAR(leftover, kModeStep * 3.5, 1e-9);
}

// An 800 x 600 window.
using ModeOverlay = widgettest::WidgetFixture;

TEST_F(ModeOverlay, DrawsInViewCoordinatesAndRestoresTheScene)
{
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    // The projection and model-view matrices.
    auto matrices = [] {
        std::vector<GLfloat> m(32);
        glGetFloatv(GL_PROJECTION_MATRIX, m.data());
        glGetFloatv(GL_MODELVIEW_MATRIX, m.data() + 16);
        return m;
    };
    std::vector<GLfloat> scene = matrices();

    ModeBeginOverlay(window);
    std::vector<GLfloat> m = matrices();
    EXPECT_NEAR(m[0], 0.75f, 1e-5); // x from -4/3 to 4/3
    EXPECT_NEAR(m[5], 1.0f, 1e-5);
    EXPECT_EQ(m[16 + 12], 0.0f);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    glClear(GL_COLOR_BUFFER_BIT);
    ModeDrawBackground(window);
    glColor4f(0, 0, 0, 1);
    ModeDrawQuad(-4.0f / 3, -1, -1, 1); // the left eighth of the view
    gltest::Pixel bottom = gltest::ReadPixel(400, 0), top = gltest::ReadPixel(400, 599);
    EXPECT_NEAR(bottom.r, 153, 3);
    EXPECT_NEAR(bottom.b, 229, 3);
    EXPECT_NEAR(top.g, 255, 3);
    EXPECT_NEAR(top.b, 77, 3);
    EXPECT_EQ(gltest::ReadRGB(40, 300), (std::vector<int>{0, 0, 0}));
    ModeEndOverlay();

    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(matrices(), scene);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
}

} // namespace
