#include "FrameDemand.h"

#include "Events.h"
#include "Window.h"

bool FrameDemandTake(FrameDemand *demand, bool moving)
{
    PlatformWindow *window = PlatformMainWindow();
    if (window && !PlatformWindowIsShowing(window))
        return false;
    uint64_t events = PlatformDispatchedEventCount();
    if (demand->drawn && !moving && events == demand->eventsSeen)
        return false;
    demand->drawn = true;
    demand->eventsSeen = events;
    return true;
}

void FrameDemandInvalidate(FrameDemand *demand)
{
    demand->drawn = false;
}
