#include "OverlayText.h"

#include "Controller.h"
#include "Fonts.h"
#include "ModeSupport.h"
#include "OpenGLWindow.h"
#include "Shader.h"
#include "Text.h"
#include "Widget.h"

#include <GL/gl.h>

#include <algorithm>

void OverlayTextSet(OverlayText *label, const std::string &text, int32_t size)
{
    if (label->shader && label->text == text && label->size == size)
        return;
    OverlayTextDispose(label);
    label->text = text;
    label->size = size;
    if (text.empty())
        return;
    std::string font = PlatformSansSerifFontFile();
    TextObject *face = font.empty() ? nullptr : TextObjectWithFont(font.c_str(), size);
    if (!face)
        return;
    TextObjectSetSize(face, size);
    label->width = int32_t(TextObjectCharIndexToOffset(face, text.c_str(), int32_t(text.size())));
    label->height = TextObjectGetLineHeight(face);
    if (label->width <= 0 || label->height <= 0)
        return;
    label->shader = ShaderAllocate();
    ShaderCreateFromTextObject(label->shader, face, text.c_str(), label->width, label->height, kTextAlignLeft);
    ShaderDisable();
}

void OverlayTextDispose(OverlayText *label)
{
    if (label->shader)
        ShaderDispose(label->shader);
    label->shader = nullptr;
    label->width = label->height = 0;
}

float OverlayTextWidth(const OverlayText *label)
{
    return float(label->width) / kWidgetPixelsPerUnit;
}

float OverlayTextHeight(const OverlayText *label)
{
    return float(label->height) / kWidgetPixelsPerUnit;
}

void OverlayTextDraw(const OverlayText *label, float x, float y, float alignX)
{
    Shader *shader = label->shader;
    if (!shader || shader->textureWidth <= 0 || shader->textureHeight <= 0)
        return;
    float w = OverlayTextWidth(label), h = OverlayTextHeight(label);
    float left = x - w * alignX, bottom = y - h / 2;
    float color[4];
    glGetFloatv(GL_CURRENT_COLOR, color);
    ShaderApply(shader);
    glColor4fv(color);
    float s = std::min(1.0f, float(label->width) / float(shader->textureWidth));
    float t = std::min(1.0f, float(label->height) / float(shader->textureHeight));
    ModeDrawTexturedQuad(left, bottom, left + w, bottom + h, 0, 0, s, t);
    ShaderDisable();
    glColor4fv(color);
}

void OverlayDrawPlate(float left, float bottom, float right, float top, float alpha)
{
    ShaderDisable();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0.05f, 0.07f, 0.15f, 0.78f * alpha);
    ModeDrawQuad(left, bottom, right, top);
    glColor4f(0.8f, 0.85f, 1.0f, 0.6f * alpha);
    glBegin(GL_LINE_LOOP);
    glVertex2f(left, bottom);
    glVertex2f(right, bottom);
    glVertex2f(right, top);
    glVertex2f(left, top);
    glEnd();
    glColor4f(1, 1, 1, 1);
}

void OverlayDarkenAll(float alpha)
{
    float ratio = OverlayRatio();
    ShaderDisable();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0, 0, 0, alpha);
    ModeDrawQuad(-ratio - 0.01f, -1.01f, ratio + 0.01f, 1.01f);
    glColor4f(1, 1, 1, 1);
}

bool OverlayBegin()
{
    OpenGLWindow *window = ControllerGetMainWindow(ControllerGetMainController());
    if (!window)
        return false;
    ModeBeginOverlay(window);
    return true;
}

void OverlayEnd()
{
    ModeEndOverlay();
}

float OverlayRatio()
{
    OpenGLWindow *window = ControllerGetMainWindow(ControllerGetMainController());
    return window ? OpenGLWindowGetRatio(window) : 4.0f / 3.0f;
}
