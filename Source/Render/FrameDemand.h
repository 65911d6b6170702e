// Drawing on demand: a picture that does not change is not drawn again.  A
// mode keeps one FrameDemand and asks it, at each firing of its timer,
// whether to draw: yes for its first frame, after any event (input, expose,
// a menu, a window change, a command), and while the mode says its picture
// moves; never while the main window is minimised or hidden.
#pragma once

#include <cstdint>

struct FrameDemand {
    bool drawn;          // a frame has been drawn since the last invalidation
    uint64_t eventsSeen; // the platform's event count at that frame
};

// Whether to draw now; when true the frame counts as drawn.
bool FrameDemandTake(FrameDemand *demand, bool moving);
// The next FrameDemandTake answers true (when the window shows).
void FrameDemandInvalidate(FrameDemand *demand);
