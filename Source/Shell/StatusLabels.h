// The player's status line: five white labels along the bottom edge of the
// window showing points, lives, keys, the level number and the air left.
#pragma once

#include <cstdint>

struct OpenGLWindow;
struct WidgetController;

// A widget controller holding the labels 'Pnts', 'Livs', 'Keys', 'Levl' and
// 'Air ' in this order, anchored to the left window edge.
WidgetController *StatusLabelsAllocate(OpenGLWindow *window);
// Sets the five texts; levelIndex counts from 0 and shows from 1, air shows
// rounded up to whole seconds.  Only labels whose text changes are rendered
// again.
void StatusLabelsUpdate(WidgetController *labels, int32_t points, int32_t lives, int32_t keys, int32_t levelIndex,
                        float air);
// The top of the band drawn behind the labels, from the bottom of the view
// (overlay units, -1 at the bottom).
constexpr float kStatusBandTop = -0.88f;
// Draws a band across the bottom of the view, then the labels on it.
// With high contrast the band is opaque black and as high as the labels.
void StatusLabelsDraw(WidgetController *labels);
void StatusLabelsSetHighContrast(bool on);
bool StatusLabelsGetHighContrast();
void StatusLabelsDispose(WidgetController *labels);
