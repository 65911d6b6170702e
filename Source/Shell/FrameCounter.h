// The frame counter of the game: the number of frames of the last second in
// the lower right corner, at 16 pixels on a translucent plate, drawn only
// while "Show frame rate" is on.
#pragma once

#include <cstdint>

constexpr int32_t kFrameCounterTextSize = 16;

// The count shown from now on.
void FrameCounterSetValue(int32_t frames);
// Draws the counter over the scene when the preference is on; true when it
// was drawn.
bool FrameCounterDraw();
// Pixels of the counter's text height (0 before the first drawing).
int32_t FrameCounterTextHeight();
void FrameCounterDispose();
