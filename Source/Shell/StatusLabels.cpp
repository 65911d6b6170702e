#include "StatusLabels.h"

#include "OpenGLWindow.h"
#include "Widget.h"
#include "WidgetController.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

struct Label {
    FourCharCode identifier;
    float x;
};

bool highContrast = false;

const Label kLabels[5] = {{'Pnts', -0.99f}, {'Livs', -0.39f}, {'Keys', 0.01f}, {'Levl', 0.41f}, {'Air ', 0.81f}};

void SetLabel(WidgetController *labels, int32_t index, const char *format, long long value)
{
    Widget *widget = WidgetControllerWidgetAtIndex(labels, index);
    if (!widget)
        return;
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    if (std::strcmp(text, WidgetGetText(widget)) == 0)
        return;
    WidgetSetText(widget, text);
    WidgetUpdate(widget, true);
}

// Air left rounded up to whole seconds; what cannot be shown shows as 0.
long long WholeSeconds(float air)
{
    if (!std::isfinite(air) || air <= 0.0f)
        return 0;
    if (air >= 1e9f)
        return 1000000000LL;
    return (long long)std::ceil(air);
}

} // namespace

WidgetController *StatusLabelsAllocate(OpenGLWindow *window)
{
    WidgetController *labels = WidgetControllerAllocate(window);
    for (const Label &label : kLabels) {
        Widget *widget = WidgetAllocate(labels, label.identifier, kWidgetStaticText, label.x, -0.99f);
        WidgetSetFontSize(widget, 24);
        WidgetSetTextColor(widget, 1, 1, 1, 1);
        WidgetSetOrigin(widget, 0, 0);
        WidgetSetText(widget, "");
        WidgetControllerAddWidget(labels, widget);
        WidgetControllerSetWidgetRelativity(labels, widget, kWidgetRelativeLeft);
    }
    return labels;
}

void StatusLabelsUpdate(WidgetController *labels, int32_t points, int32_t lives, int32_t keys, int32_t levelIndex,
                        float air)
{
    SetLabel(labels, 0, "Points: %lld", points);
    SetLabel(labels, 1, "Lives: %lld", lives);
    SetLabel(labels, 2, "Keys: %lld", keys);
    SetLabel(labels, 3, "Level: %lld", (long long)levelIndex + 1);
    SetLabel(labels, 4, "Air: %lld", WholeSeconds(air));
}

void StatusLabelsDraw(WidgetController *labels)
{
    if (highContrast && labels->window) {
        float top = -0.99f;
        for (int32_t i = 0; i < WidgetControllerNumberOfWidgets(labels); i++)
            top = std::max(top, WidgetGetBounds(WidgetControllerWidgetAtIndex(labels, i)).top);
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        OpenGLWindowSetOrtho(labels->window);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glColor4f(0, 0, 0, 1);
        glBegin(GL_QUADS);
        glVertex2f(-10.0f, -1.0f);
        glVertex2f(10.0f, -1.0f);
        glVertex2f(10.0f, top + 0.01f);
        glVertex2f(-10.0f, top + 0.01f);
        glEnd();
        glColor4f(1, 1, 1, 1);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_LIGHTING);
        glPopMatrix();
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
    } else {
        // A band of its own behind the labels keeps them readable over any
        // scene or backdrop.
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        // The material is kept too: with colour tracking on, the band's
        // colour would otherwise tint everything lit in the next frame.
        glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT | GL_LIGHTING_BIT);
        glDisable(GL_COLOR_MATERIAL);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glColor4f(0.12f, 0.16f, 0.28f, 0.85f);
        glBegin(GL_QUADS);
        glVertex2f(-1.0f, -1.0f);
        glVertex2f(1.0f, -1.0f);
        glVertex2f(1.0f, kStatusBandTop);
        glVertex2f(-1.0f, kStatusBandTop);
        glEnd();
        glPopAttrib();
        glPopMatrix();
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
    }
    WidgetControllerDraw(labels);
}

void StatusLabelsSetHighContrast(bool on)
{
    highContrast = on;
}

bool StatusLabelsGetHighContrast()
{
    return highContrast;
}

void StatusLabelsDispose(WidgetController *labels)
{
    WidgetControllerDispose(labels);
}
