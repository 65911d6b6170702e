#include "FrameCounter.h"

#include "ExtraPrefs.h"
#include "OverlayText.h"

#include <GL/gl.h>

#include <string>

namespace {
int32_t value = 0;
OverlayText text;
} // namespace

void FrameCounterSetValue(int32_t frames)
{
    value = frames;
}

bool FrameCounterDraw()
{
    if (!ExtraPrefsShowFrameRate() || !OverlayBegin())
        return false;
    OverlayTextSet(&text, std::to_string(value) + " fps", kFrameCounterTextSize);
    float ratio = OverlayRatio();
    float w = OverlayTextWidth(&text), h = OverlayTextHeight(&text);
    float right = ratio - 0.03f, bottom = -0.97f;
    OverlayDrawPlate(right - w - 0.04f, bottom, right, bottom + h + 0.03f, 0.8f);
    glColor4f(1, 1, 1, 1);
    OverlayTextDraw(&text, right - 0.02f, bottom + 0.015f + h / 2, 1.0f);
    OverlayEnd();
    return true;
}

int32_t FrameCounterTextHeight()
{
    return text.height;
}

void FrameCounterDispose()
{
    OverlayTextDispose(&text);
}
