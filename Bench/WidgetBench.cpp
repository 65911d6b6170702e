// The cost of the widget layer per tick: a mouse move offered to a full
// screen of widgets, and the status line as the player updates it.
#include "Headless.h"
#include "OpenGLWindow.h"
#include "StatusLabels.h"
#include "Text.h"
#include "Widget.h"
#include "WidgetController.h"

#include <benchmark/benchmark.h>

namespace {

struct Scene {
    OpenGLWindow *window = nullptr;
    Scene()
    {
        HeadlessPlatformStartUp();
        TextStartUp();
        window = OpenGLWindowAllocate("Brimhold", 800, 600, false, false, kProjectionPerspective);
    }
    ~Scene()
    {
        OpenGLWindowDispose(window);
        TextShutDown();
        HeadlessPlatformShutDown();
    }
};

// One mouse move through the handler of a controller with 32 buttons.
void BM_MouseMoveThroughThirtyTwoButtons(benchmark::State &state)
{
    Scene scene;
    if (!scene.window) {
        state.SkipWithError("no window");
        return;
    }
    WidgetController *controller = WidgetControllerAllocate(scene.window);
    for (int i = 0; i < 32; i++) {
        Widget *button = WidgetAllocate(controller, 'Butn', kWidgetPushButton, -0.8f + 0.05f * float(i), 0);
        WidgetControllerAddWidget(controller, button);
    }
    PlatformEvent event{};
    event.kind = kEventMouseMoved;
    event.mouse = Point2f{400, 300};
    for (auto _ : state) {
        event.mouse.x = event.mouse.x > 700 ? 100 : event.mouse.x + 1;
        benchmark::DoNotOptimize(PlatformDispatchEvent(&event));
    }
    WidgetControllerDispose(controller);
}
BENCHMARK(BM_MouseMoveThroughThirtyTwoButtons);

// The status line of one game tick: the air label changes every time and is
// rendered again; the other four stay as they are.
void BM_StatusLabelsUpdate(benchmark::State &state)
{
    Scene scene;
    if (!scene.window) {
        state.SkipWithError("no window");
        return;
    }
    WidgetController *labels = StatusLabelsAllocate(scene.window);
    int32_t air = 0;
    for (auto _ : state) {
        air = (air + 1) % 16;
        StatusLabelsUpdate(labels, 1250, 3, 1, 4, float(air));
    }
    StatusLabelsDispose(labels);
}
BENCHMARK(BM_StatusLabelsUpdate);

// Drawing the five labels.
void BM_StatusLabelsDraw(benchmark::State &state)
{
    Scene scene;
    if (!scene.window) {
        state.SkipWithError("no window");
        return;
    }
    WidgetController *labels = StatusLabelsAllocate(scene.window);
    StatusLabelsUpdate(labels, 1250, 3, 1, 4, 15.0f);
    for (auto _ : state)
        StatusLabelsDraw(labels);
    StatusLabelsDispose(labels);
}
BENCHMARK(BM_StatusLabelsDraw);

} // namespace
