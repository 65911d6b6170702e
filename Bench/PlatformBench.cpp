// The cost of the event loop itself: one mode timer's firings, and events
// through a chain of handlers, on the headless platform.
#include "Events.h"
#include "Headless.h"

#include <benchmark/benchmark.h>

namespace {

void CountFiring(PlatformTimerRef, void *context)
{
    ++*static_cast<int64_t *>(context);
}

// One second of a 1/120 s mode timer: 120 firings.
void BM_TimerSecond(benchmark::State &state)
{
    HeadlessPlatformStartUp();
    int64_t firings = 0;
    PlatformInstallTimer(0.0, 1.0 / 120.0, CountFiring, &firings);
    for (auto _ : state)
        HeadlessRunFor(1.0);
    state.counters["firings/s"] = benchmark::Counter(double(firings), benchmark::Counter::kIsRate);
    HeadlessPlatformShutDown();
}
BENCHMARK(BM_TimerSecond);

bool PassOn(const PlatformEvent *, void *)
{
    return false;
}

// A key event through ten handlers that all pass it on.
void BM_DispatchThroughTenHandlers(benchmark::State &state)
{
    HeadlessPlatformStartUp();
    const int32_t kinds[] = {kEventRawKeyDown, kEventRawKeyUp, kEventMouseDown};
    for (int i = 0; i < 10; i++)
        PlatformInstallEventHandler(i % 2 ? kTargetWindow : kTargetApplication, kinds, 3, PassOn, nullptr);
    PlatformEvent event{};
    event.kind = kEventRawKeyUp;
    for (auto _ : state)
        benchmark::DoNotOptimize(PlatformDispatchEvent(&event));
    HeadlessPlatformShutDown();
}
BENCHMARK(BM_DispatchThroughTenHandlers);

} // namespace
