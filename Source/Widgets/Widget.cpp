#include "Widget.h"

#include "Events.h"
#include "Fonts.h"
#include "ModeSupport.h"
#include "Shader.h"
#include "Text.h"
#include "Utilities.h"
#include "WidgetController.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The system's interface font, looked up once.
const char *InterfaceFontPath()
{
    static const std::string path = PlatformSansSerifFontFile();
    return path.c_str();
}

bool IsTextKind(int32_t kind)
{
    return kind >= kWidgetPushButton && kind <= kWidgetTextInput;
}

WidgetTextRec *TextRec(Widget *widget)
{
    return (widget && IsTextKind(widget->kind)) ? static_cast<WidgetTextRec *>(widget->kindData) : nullptr;
}

WidgetSlider *Slider(Widget *widget)
{
    return (widget && widget->kind == kWidgetSlider) ? static_cast<WidgetSlider *>(widget->kindData) : nullptr;
}

WidgetProgressBar *Bar(Widget *widget)
{
    return (widget && widget->kind == kWidgetProgressBar) ? static_cast<WidgetProgressBar *>(widget->kindData)
                                                          : nullptr;
}

int32_t Dispatch(Widget *widget, int32_t type)
{
    return CallbackControllerDispatchCallback(widget->callbackController, type, widget);
}

int32_t TextLength(const WidgetTextRec *rec)
{
    return int32_t(std::strlen(rec->text));
}

WidgetTextRec *NewTextRec(int32_t kind)
{
    static const char *const defaults[] = {"Push Button", "Checkbox", "Radio button", "Static text", "Text input"};
    static const int32_t sizes[] = {12, 18, 18, 24, 24};
    WidgetTextRec *rec = new WidgetTextRec{};
    rec->capacity = kind <= kWidgetRadioButton ? 255 : 1024;
    rec->text = static_cast<char *>(std::calloc(size_t(rec->capacity), 1));
    std::snprintf(rec->text, size_t(rec->capacity), "%s", defaults[kind]);
    rec->fontSize = sizes[kind];
    rec->textObject = TextObjectWithFont(InterfaceFontPath(), rec->fontSize);
    rec->alignment = kind == kWidgetPushButton ? kTextAlignCenter : kTextAlignLeft;
    rec->familyID = -1;
    rec->lineHeight = rec->fontSize;
    return rec;
}

float textScale = 1.0f;

// Sets the shared text object to the widget's size before any measurement.
TextObject *SizedTextObject(WidgetTextRec *rec)
{
    int32_t size = textScale == 1.0f ? rec->fontSize : int32_t(std::lround(float(rec->fontSize) * textScale));
    if (rec->textObject && TextObjectGetSize(rec->textObject) != size)
        TextObjectSetSize(rec->textObject, size);
    return rec->textObject;
}

float CharOffset(WidgetTextRec *rec, int32_t index)
{
    TextObject *text = SizedTextObject(rec);
    return text ? TextObjectCharIndexToOffset(text, rec->text, index) : 0.0f;
}

// The caret position under overlay x: the character under the pointer, one
// further in its right half.
int32_t CharIndexAt(Widget *widget, WidgetTextRec *rec, float x)
{
    TextObject *text = SizedTextObject(rec);
    if (!text || rec->text[0] == 0)
        return 0;
    uint8_t leadingHalf = 0;
    int32_t index = TextObjectOffsetToCharIndex(text, rec->text, (x - widget->bounds.left) * kWidgetPixelsPerUnit,
                                                &leadingHalf);
    if (index < 0)
        return 0;
    if (!leadingHalf)
        index++;
    return std::min(index, TextLength(rec));
}

void SliderFollow(Widget *widget, WidgetSlider *slider, float x, float y)
{
    const Rect4f &b = widget->bounds;
    float p;
    if (slider->vertical)
        p = (b.top > b.bottom) ? (y - b.bottom) * slider->maximum / (b.top - b.bottom) : 0.0f;
    else
        p = (b.right > b.left) ? (x - b.left) * slider->maximum / (b.right - b.left) : 0.0f;
    float v = slider->dragStartValue + (p - slider->dragStartValue) * slider->dragScale;
    slider->value = v < 0.0f ? 0.0f : std::min(v, slider->maximum);
    Dispatch(widget, kWidgetCallbackValueChanged);
}

bool Active(Widget *widget)
{
    return widget && widget->enabled && widget->visible;
}

// ---- Editing -----------------------------------------------------------------

void DeleteRange(WidgetTextRec *rec, int32_t from, int32_t to)
{
    int32_t length = TextLength(rec);
    from = std::clamp(from, 0, length);
    to = std::clamp(to, from, length);
    std::memmove(rec->text + from, rec->text + to, size_t(length - to + 1));
    rec->anchor = rec->caret = from;
}

void InsertCharacter(WidgetTextRec *rec, uint8_t character)
{
    int32_t length = TextLength(rec);
    int32_t from = std::min(rec->anchor, rec->caret);
    int32_t to = std::max(rec->anchor, rec->caret);
    if (length - (to - from) + 1 > rec->capacity - 1) {
        PlatformBeep();
        return;
    }
    DeleteRange(rec, from, to);
    length = TextLength(rec);
    std::memmove(rec->text + from + 1, rec->text + from, size_t(length - from + 1));
    rec->text[from] = char(character);
    rec->anchor = rec->caret = from + 1;
}

bool EditKey(Widget *widget, uint8_t character, uint32_t modifiers)
{
    WidgetTextRec *rec = TextRec(widget);
    if (!rec || widget->kind != kWidgetTextInput || !Active(widget) || !rec->focused)
        return false;
    // A key that types nothing is not text input's business.
    if (character == 0)
        return false;
    const bool shift = (modifiers & kModifierShift) != 0;
    const int32_t length = TextLength(rec);
    rec->anchor = std::clamp(rec->anchor, 0, length);
    rec->caret = std::clamp(rec->caret, 0, length);
    const bool selection = rec->anchor != rec->caret;
    const int32_t left = std::min(rec->anchor, rec->caret);
    const int32_t right = std::max(rec->anchor, rec->caret);
    switch (character) {
    case 3:
    case 10:
    case 13:
    case 27:
        WidgetBlur(widget);
        break;
    case 8:
        if (selection)
            DeleteRange(rec, left, right);
        else if (rec->caret > 0)
            DeleteRange(rec, rec->caret - 1, rec->caret);
        break;
    case 127:
        if (selection)
            DeleteRange(rec, left, right);
        else if (rec->caret < length)
            DeleteRange(rec, rec->caret, rec->caret + 1);
        break;
    case 28:
        if (selection && !shift) {
            rec->anchor = rec->caret = left;
        } else if (rec->caret > 0) {
            rec->caret--;
            if (!shift)
                rec->anchor = rec->caret;
        }
        break;
    case 29:
        if (selection && !shift) {
            rec->anchor = rec->caret = right;
        } else if (rec->caret < length) {
            rec->caret++;
            if (!shift)
                rec->anchor = rec->caret;
        }
        break;
    case 30:
        rec->caret = 0;
        if (!shift)
            rec->anchor = 0;
        break;
    case 31:
        rec->caret = length;
        if (!shift)
            rec->anchor = length;
        break;
    default:
        // Other control characters have no place in a one-line text.
        if (character >= 32)
            InsertCharacter(rec, character);
        break;
    }
    rec->blinkTime = 0.0f;
    rec->caretVisible = 1;
    WidgetUpdate(widget, false);
    return true;
}

// ---- Drawing helpers ---------------------------------------------------------

void Outline(float left, float bottom, float right, float top)
{
    glBegin(GL_LINE_LOOP);
    glVertex2f(left, bottom);
    glVertex2f(right, bottom);
    glVertex2f(right, top);
    glVertex2f(left, top);
    glEnd();
}

void Tint(const float *color, float f, float shade = 1.0f)
{
    glColor4f(color[0] * shade, color[1] * shade, color[2] * shade, color[3] * f);
}

// An image of the registry on the quad, or, when the art is missing, a plain
// bevelled face so that the control still shows.
void ImageQuad(FourCharCode image, const float *color, float f, float left, float bottom, float right, float top,
               bool down)
{
    if (ShaderApplyByIdentifier(image)) {
        Tint(color, f);
        ModeDrawTexturedQuad(left, bottom, right, top, 0, 0, 1, 1);
        ShaderDisable();
        return;
    }
    ShaderDisable();
    // Blue, lighter towards the top, darker while pressed.
    float shade = down ? 0.7f : 1.0f;
    glBegin(GL_QUADS);
    glColor4f(color[0] * 0.18f * shade, color[1] * 0.28f * shade, color[2] * 0.55f * shade, color[3] * f);
    glVertex2f(left, bottom);
    glVertex2f(right, bottom);
    glColor4f(color[0] * 0.38f * shade, color[1] * 0.5f * shade, color[2] * 0.82f * shade, color[3] * f);
    glVertex2f(right, top);
    glVertex2f(left, top);
    glEnd();
    glColor4f(0.1f, 0.12f, 0.25f, color[3] * f);
    Outline(left, bottom, right, top);
    glColor4f(1, 1, 1, 1);
}

// The mouse over a button: its face lightens a little and a warm rim
// lights up around it.
void DrawHoverHighlight(const Rect4f &b, float f)
{
    ShaderDisable();
    glColor4f(1.0f, 1.0f, 1.0f, 0.06f * f);
    ModeDrawQuad(b.left, b.bottom, b.right, b.top);
    glColor4f(1.0f, 0.82f, 0.3f, f);
    Outline(b.left, b.bottom, b.right, b.top);
    Outline(b.left - 0.004f, b.bottom - 0.004f, b.right + 0.004f, b.top + 0.004f);
    glColor4f(1, 1, 1, 1);
}

void DrawButton(Widget *widget, WidgetTextRec *rec, float f)
{
    const Rect4f &b = widget->bounds;
    ImageQuad(rec->highlighted ? 'BtnD' : 'BtnU', widget->color, f, b.left, b.bottom, b.right, b.top,
              rec->highlighted);
    if (rec->hovered && !rec->highlighted && widget->enabled)
        DrawHoverHighlight(b, f);
    Tint(widget->textColor, f);
    float textWidth = float(rec->textWidth) / kWidgetPixelsPerUnit;
    float x;
    if (rec->alignment == kTextAlignLeft)
        x = b.left + 0.01f;
    else if (rec->alignment == kTextAlignRight)
        x = b.right - 0.01f - textWidth;
    else
        x = b.left + 0.01f + ((b.right - b.left - 0.02f) - textWidth) * 0.5f;
    float y = b.bottom + (b.top - b.bottom) / 2.0f - float(rec->lineHeight) / 600.0f;
    WidgetTextRecDraw(rec, x, y);
}

void DrawCheckBox(Widget *widget, WidgetTextRec *rec, float f)
{
    const Rect4f &b = widget->bounds;
    FourCharCode image = rec->highlighted ? (rec->checked ? 'CbDC' : 'CbDU') : (rec->checked ? 'CbUC' : 'CbUU');
    float left = b.left, bottom = b.bottom, right = b.left + 0.08f, top = b.bottom + 0.08f;
    if (ShaderApplyByIdentifier(image)) {
        Tint(widget->color, f);
        ModeDrawTexturedQuad(left, bottom, right, top, 0, 0, 1, 1);
        ShaderDisable();
    } else {
        // Without the art: a white box, grey while pressed, and a dark mark
        // when checked.
        ShaderDisable();
        Tint(widget->color, f, rec->highlighted ? 0.7f : 1.0f);
        ModeDrawQuad(left + 0.012f, bottom + 0.012f, right - 0.012f, top - 0.012f);
        glColor4f(0.15f, 0.15f, 0.25f, widget->color[3] * f);
        Outline(left + 0.012f, bottom + 0.012f, right - 0.012f, top - 0.012f);
        if (rec->checked) {
            glColor4f(0.1f, 0.3f, 0.1f, widget->color[3] * f);
            ModeDrawQuad(left + 0.026f, bottom + 0.026f, right - 0.026f, top - 0.026f);
        }
        glColor4f(1, 1, 1, 1);
    }
    Tint(widget->textColor, f);
    WidgetTextRecDraw(rec, b.left + 0.1f,
                      b.bottom + (b.top - b.bottom) / 2.0f - float(rec->lineHeight + 5) / 600.0f);
}

void DrawRadioButton(Widget *widget, WidgetTextRec *rec, float f)
{
    const Rect4f &b = widget->bounds;
    ShaderDisable();
    if (rec->highlighted)
        glColor4f(0.5f, 0.5f, 1.0f, f);
    else
        glColor4f(1, 1, 1, f);
    ModeDrawQuad(b.left, b.bottom, b.left + 0.04f, b.bottom + 0.05f);
    if (rec->checked) {
        glColor4f(0.0f, 0.2f, 0.0f, f);
        ModeDrawQuad(b.left + 0.01f, b.bottom + 0.01f, b.left + 0.03f, b.bottom + 0.04f);
    }
    Tint(widget->textColor, f);
    WidgetTextRecDraw(rec, b.left + 0.06f, b.bottom);
}

void DrawTextInput(Widget *widget, WidgetTextRec *rec, float f)
{
    const Rect4f &b = widget->bounds;
    ShaderDisable();
    glColor4f(1, 1, 1, 1);
    ModeDrawQuad(b.left, b.bottom, b.right, b.top);
    int32_t length = TextLength(rec);
    int32_t anchor = std::clamp(rec->anchor, 0, length), caret = std::clamp(rec->caret, 0, length);
    if (rec->focused && anchor != caret) {
        float r, g, bl, a;
        getTextHighlightColor(&r, &g, &bl, &a);
        glColor4f(r, g, bl, 1.0f);
        ModeDrawQuad(b.left + CharOffset(rec, std::min(anchor, caret)) / kWidgetPixelsPerUnit, b.bottom,
             b.left + CharOffset(rec, std::max(anchor, caret)) / kWidgetPixelsPerUnit, b.top);
    }
    Tint(widget->textColor, f);
    WidgetTextRecDraw(rec, b.left, b.bottom);
    if (rec->focused && rec->caretVisible && anchor == caret) {
        float x = b.left + CharOffset(rec, caret) / kWidgetPixelsPerUnit;
        glColor4f(0, 0, 0, 1);
        glBegin(GL_LINES);
        glVertex2f(x, b.bottom);
        glVertex2f(x, b.top);
        glEnd();
    }
    glColor4f(1, 1, 1, 1);
}

void DrawSlider(Widget *widget, WidgetSlider *slider, float f)
{
    const Rect4f &b = widget->bounds;
    ShaderDisable();
    glColor4f(1, 1, 1, f);
    float fraction = slider->maximum > 0.0f ? slider->value / slider->maximum : 0.0f;
    if (slider->vertical) {
        float mid = (b.left + b.right) / 2.0f;
        ModeDrawQuad(mid - 0.01f, b.bottom, mid + 0.01f, b.top);
        float at = b.bottom + (b.top - b.bottom) * fraction;
        ModeDrawQuad(b.left, at - 0.015f, b.right, at + 0.015f);
    } else {
        float mid = (b.bottom + b.top) / 2.0f;
        ModeDrawQuad(b.left, mid - 0.01f, b.right, mid + 0.01f);
        float at = b.left + (b.right - b.left) * fraction;
        ModeDrawQuad(at - 0.015f, b.bottom, at + 0.015f, b.top);
    }
    glColor4f(1, 1, 1, 1);
}

void DrawProgressBar(Widget *widget, WidgetProgressBar *bar, float f)
{
    const Rect4f &b = widget->bounds;
    ShaderDisable();
    glColor4f(1, 1, 1, f);
    ModeDrawQuad(b.left, b.bottom, b.right, b.top);
    float fraction = bar->maximum > 0.0f ? bar->value / bar->maximum : 0.0f;
    glColor4f(0.5f, 0.5f, 1.0f, f);
    ModeDrawQuad(b.left + 0.01f, b.bottom + 0.01f, b.left + 0.01f + (b.right - b.left - 0.02f) * fraction, b.top - 0.01f);
    glColor4f(1, 1, 1, 1);
}

} // namespace

// ---- Life cycle ------------------------------------------------------------------

Widget *WidgetAllocate(WidgetController *controller, FourCharCode identifier, int32_t kind, float x, float y)
{
    if (kind < kWidgetPushButton || kind > kWidgetProgressBar)
        return nullptr;
    Widget *widget = new Widget{};
    widget->controller = controller;
    widget->identifier = identifier;
    widget->location = Point2f{x, y};
    widget->origin = Point2f{0.5f, 0.5f};
    widget->enabled = 1;
    widget->visible = 1;
    widget->callbackController = CallbackControllerAllocate();
    for (float &c : widget->color)
        c = 1.0f;
    widget->kind = kind;
    bool whiteText = kind == kWidgetPushButton;
    for (int i = 0; i < 3; i++)
        widget->textColor[i] = whiteText ? 1.0f : 0.0f;
    widget->textColor[3] = 1.0f;
    if (IsTextKind(kind)) {
        widget->kindData = NewTextRec(kind);
    } else if (kind == kWidgetSlider) {
        WidgetSlider *slider = new WidgetSlider{};
        slider->allowsFractions = 1;
        slider->maximum = 1.0f;
        slider->dragScale = 1.0f;
        widget->kindData = slider;
    } else {
        WidgetProgressBar *bar = new WidgetProgressBar{};
        bar->maximum = 1.0f;
        widget->kindData = bar;
    }
    WidgetCalculateBounds(widget);
    return widget;
}

void WidgetTextRecDispose(WidgetTextRec *textRec)
{
    if (!textRec)
        return;
    ShaderDispose(textRec->shader);
    textRec->shader = nullptr;
    std::free(textRec->text);
    textRec->text = nullptr;
}

void WidgetDispose(Widget *widget)
{
    if (!widget)
        return;
    if (WidgetTextRec *rec = TextRec(widget)) {
        WidgetTextRecDispose(rec);
        delete rec;
    } else if (WidgetSlider *slider = Slider(widget)) {
        delete slider;
    } else {
        delete Bar(widget);
    }
    CallbackControllerDispose(widget->callbackController);
    delete widget;
}

// ---- Accessors ---------------------------------------------------------------------

CallbackController *WidgetGetCallbackController(Widget *widget)
{
    return widget->callbackController;
}

bool WidgetIsEnabled(Widget *widget)
{
    return widget->enabled != 0;
}

bool WidgetIsVisible(Widget *widget)
{
    return widget->visible != 0;
}

Point2f WidgetGetLocation(Widget *widget)
{
    return widget->location;
}

Point2f WidgetGetOrigin(Widget *widget)
{
    return widget->origin;
}

Rect4f WidgetGetBounds(Widget *widget)
{
    return widget->bounds;
}

void WidgetSetBounds(Widget *widget, float left, float bottom, float right, float top)
{
    widget->bounds = Rect4f{left, bottom, right, top};
}

void WidgetSetColor(Widget *widget, float r, float g, float b, float a)
{
    widget->color[0] = r;
    widget->color[1] = g;
    widget->color[2] = b;
    widget->color[3] = a;
}

void WidgetSetTextColor(Widget *widget, float r, float g, float b, float a)
{
    widget->textColor[0] = r;
    widget->textColor[1] = g;
    widget->textColor[2] = b;
    widget->textColor[3] = a;
}

WidgetTextRec *WidgetGetTextRec(Widget *widget)
{
    return TextRec(widget);
}

const char *WidgetGetText(Widget *widget)
{
    WidgetTextRec *rec = TextRec(widget);
    return rec ? rec->text : "";
}

void WidgetSetAlignment(Widget *widget, int32_t alignment)
{
    if (WidgetTextRec *rec = TextRec(widget))
        rec->alignment = std::clamp(alignment, int32_t(kTextAlignLeft), int32_t(kTextAlignRight));
}

void WidgetSetTextScale(float scale)
{
    textScale = std::clamp(scale, 0.5f, 3.0f);
}

float WidgetGetTextScale()
{
    return textScale;
}

void WidgetSetFontSize(Widget *widget, int32_t fontSize)
{
    if (WidgetTextRec *rec = TextRec(widget))
        rec->fontSize = std::clamp(fontSize, 1, 1000);
}

bool WidgetIsChecked(Widget *widget)
{
    WidgetTextRec *rec = TextRec(widget);
    return rec && (widget->kind == kWidgetCheckBox || widget->kind == kWidgetRadioButton) && rec->checked;
}

void WidgetRadioButtonSetFamilyID(Widget *widget, int32_t familyID)
{
    if (widget->kind == kWidgetRadioButton)
        TextRec(widget)->familyID = familyID;
}

int32_t WidgetRadioButtonGetFamilyID(Widget *widget)
{
    return widget->kind == kWidgetRadioButton ? TextRec(widget)->familyID : -1;
}

void WidgetSliderSetAllowsFractions(Widget *widget, bool allows)
{
    if (WidgetSlider *slider = Slider(widget))
        slider->allowsFractions = allows ? 1 : 0;
}

bool WidgetSliderAllowsFractions(Widget *widget)
{
    WidgetSlider *slider = Slider(widget);
    return slider && slider->allowsFractions;
}

void WidgetSliderSetVertical(Widget *widget, bool vertical)
{
    if (WidgetSlider *slider = Slider(widget)) {
        slider->vertical = vertical ? 1 : 0;
        WidgetCalculateBounds(widget);
    }
}

void WidgetSetLocation(Widget *widget, float x, float y)
{
    widget->location = Point2f{x, y};
    WidgetCalculateBounds(widget);
}

void WidgetSetOrigin(Widget *widget, float ox, float oy)
{
    widget->origin = Point2f{ox, oy};
    WidgetCalculateBounds(widget);
}

void WidgetCalculateBounds(Widget *widget)
{
    float w = 0, h = 0, extraRight = 0;
    WidgetTextRec *rec = TextRec(widget);
    switch (widget->kind) {
    case kWidgetPushButton:
        w = 0.3f;
        h = 0.075f;
        break;
    case kWidgetCheckBox:
        w = 0.08f;
        h = 0.08f;
        extraRight = float(rec->textWidth) / kWidgetPixelsPerUnit + 0.02f;
        break;
    case kWidgetRadioButton:
        w = 0.04f;
        h = 0.05f;
        extraRight = float(rec->textWidth) / kWidgetPixelsPerUnit + 0.02f;
        break;
    case kWidgetStaticText:
    case kWidgetTextInput:
        w = float(rec->textWidth) / kWidgetPixelsPerUnit;
        h = float(rec->lineHeight) / kWidgetPixelsPerUnit;
        break;
    case kWidgetSlider:
        if (Slider(widget)->vertical) {
            w = 0.05f;
            h = 0.5f;
        } else {
            w = 0.5f;
            h = 0.05f;
        }
        break;
    default:
        w = 0.3f;
        h = 0.05f;
        break;
    }
    const Point2f l = widget->location, o = widget->origin;
    widget->bounds.left = l.x - o.x * w;
    widget->bounds.bottom = l.y - o.y * h;
    widget->bounds.right = l.x + (1.0f - o.x) * w + extraRight;
    widget->bounds.top = l.y + (1.0f - o.y) * h;
}

void WidgetSetMaximum(Widget *widget, float maximum)
{
    if (!std::isfinite(maximum))
        return;
    if (WidgetSlider *slider = Slider(widget)) {
        slider->maximum = maximum;
        slider->value = std::min(slider->value, maximum);
    } else if (WidgetProgressBar *bar = Bar(widget)) {
        bar->maximum = maximum;
        bar->value = std::min(bar->value, maximum);
    }
}

void WidgetSetValue(Widget *widget, float value)
{
    if (!std::isfinite(value))
        return;
    if (WidgetSlider *slider = Slider(widget))
        slider->value = std::min(value, slider->maximum);
    else if (WidgetProgressBar *bar = Bar(widget))
        bar->value = std::min(value, bar->maximum);
}

float WidgetGetMaximum(Widget *widget)
{
    if (WidgetSlider *slider = Slider(widget))
        return slider->maximum;
    if (WidgetProgressBar *bar = Bar(widget))
        return bar->maximum;
    return 1.0f;
}

float WidgetGetValue(Widget *widget)
{
    if (WidgetSlider *slider = Slider(widget))
        return slider->value;
    if (WidgetProgressBar *bar = Bar(widget))
        return bar->value;
    return 1.0f;
}

void WidgetSetText(Widget *widget, const char *text)
{
    WidgetTextRec *rec = TextRec(widget);
    if (!rec)
        return;
    if (!text)
        text = "";
    size_t length = strnlen(text, size_t(rec->capacity - 1));
    std::memcpy(rec->text, text, length);
    rec->text[length] = 0;
    if (widget->kind == kWidgetTextInput) {
        rec->anchor = std::min(rec->anchor, int32_t(length));
        rec->caret = std::min(rec->caret, int32_t(length));
    }
}

void WidgetUpdate(Widget *widget, bool recalculateBounds)
{
    WidgetTextRec *rec = TextRec(widget);
    if (!rec)
        return;
    if (TextObject *text = SizedTextObject(rec)) {
        rec->textWidth = int32_t(TextObjectCharIndexToOffset(text, rec->text, TextLength(rec)));
        rec->lineHeight = TextObjectGetLineHeight(text);
        if (!rec->shader) {
            rec->shader = ShaderAllocate();
            ShaderCreateFromTextObject(rec->shader, text, rec->text, rec->textWidth, rec->lineHeight,
                                       rec->alignment);
        } else {
            ShaderUpdateFromTextObject(rec->shader, text, rec->text, rec->textWidth, rec->lineHeight,
                                       rec->alignment);
        }
        ShaderDisable();
    } else {
        // No font: nothing to show, but the widget keeps a usable height.
        rec->textWidth = 0;
        rec->lineHeight = rec->fontSize;
    }
    if (recalculateBounds)
        WidgetCalculateBounds(widget);
}

// ---- State -----------------------------------------------------------------------------

void WidgetSetChecked(Widget *widget, bool checked, bool silently)
{
    WidgetTextRec *rec = TextRec(widget);
    if (!rec)
        return;
    if (widget->kind == kWidgetCheckBox) {
        if (bool(rec->checked) != checked) {
            rec->checked = checked ? 1 : 0;
            if (!silently)
                Dispatch(widget, kWidgetCallbackValueChanged);
        }
        return;
    }
    if (widget->kind != kWidgetRadioButton)
        return;
    if (bool(rec->checked) != checked) {
        rec->checked = checked ? 1 : 0;
        if (!silently && Dispatch(widget, kWidgetCallbackValueChanged) == 0)
            return;
    }
    if (!checked || !widget->controller)
        return;
    WidgetController *controller = widget->controller;
    for (int32_t i = 0; i < WidgetControllerNumberOfWidgets(controller); i++) {
        Widget *other = WidgetControllerWidgetAtIndex(controller, i);
        if (other == widget || other->kind != kWidgetRadioButton)
            continue;
        WidgetTextRec *otherRec = TextRec(other);
        if (otherRec->familyID != rec->familyID || !otherRec->checked)
            continue;
        otherRec->checked = 0;
        if (Dispatch(other, kWidgetCallbackValueChanged) == 0)
            return;
    }
}

void WidgetSetVisible(Widget *widget, bool visible)
{
    if (!visible)
        WidgetBlur(widget);
    widget->visible = visible ? 1 : 0;
}

void WidgetSetEnabled(Widget *widget, bool enabled)
{
    if (!enabled)
        WidgetBlur(widget);
    widget->enabled = enabled ? 1 : 0;
}

bool WidgetFocus(Widget *widget)
{
    WidgetTextRec *rec = TextRec(widget);
    if (!rec || widget->kind != kWidgetTextInput || !Active(widget))
        return false;
    if (rec->focused)
        return true;
    if (Dispatch(widget, kWidgetCallbackFocus) == 0)
        return false;
    // The widget that holds the focus may refuse to give it up; then this
    // one does not take it, so that only one is ever marked focused.
    if (widget->controller && !WidgetControllerFocusNotification(widget->controller, widget))
        return false;
    rec->focused = 1;
    rec->blinkTime = 0.0f;
    rec->caretVisible = 1;
    return true;
}

bool WidgetBlur(Widget *widget)
{
    WidgetTextRec *rec = TextRec(widget);
    if (!rec || widget->kind != kWidgetTextInput || !rec->focused)
        return true;
    if (Dispatch(widget, kWidgetCallbackBlur) == 0)
        return false;
    rec->focused = 0;
    rec->dragging = 0;
    if (widget->controller)
        WidgetControllerBlurNotification(widget->controller);
    return true;
}

// ---- Events --------------------------------------------------------------------------------

bool WidgetHitTest(Widget *widget, float x, float y)
{
    int32_t forced = Dispatch(widget, kWidgetCallbackHitTest);
    if (forced == kWidgetHitTestForceHit)
        return true;
    if (forced == kWidgetHitTestForceMiss)
        return false;
    const Rect4f &b = widget->bounds;
    switch (widget->kind) {
    case kWidgetSlider:
        if (Slider(widget)->vertical)
            return b.left <= x && x <= b.right && b.bottom - 0.015f <= y && y <= b.top + 0.015f;
        return b.left - 0.015f <= x && x <= b.right + 0.015f && b.bottom <= y && y <= b.top;
    case kWidgetProgressBar:
        return false;
    default:
        return b.left <= x && x <= b.right && b.bottom <= y && y <= b.top;
    }
}

bool WidgetMouseDown(Widget *widget, float x, float y, uint32_t modifiers)
{
    if (!Active(widget) || !WidgetHitTest(widget, x, y))
        return false;
    switch (widget->kind) {
    case kWidgetPushButton:
    case kWidgetCheckBox:
    case kWidgetRadioButton: {
        WidgetTextRec *rec = TextRec(widget);
        rec->pressed = rec->highlighted = 1;
        return true;
    }
    case kWidgetTextInput: {
        if (!WidgetFocus(widget))
            return false;
        WidgetTextRec *rec = TextRec(widget);
        rec->dragging = 1;
        rec->anchor = rec->caret = CharIndexAt(widget, rec, x);
        return true;
    }
    case kWidgetSlider: {
        WidgetSlider *slider = Slider(widget);
        slider->dragging = 1;
        slider->dragStartValue = slider->value;
        slider->dragScale = 1.0f;
        if (modifiers & kModifierShift)
            slider->dragScale *= 0.1f;
        if (modifiers & kModifierAlt)
            slider->dragScale *= 0.01f;
        SliderFollow(widget, slider, x, y);
        return true;
    }
    case kWidgetStaticText:
        return true;
    default:
        return false;
    }
}

bool WidgetMouseMoved(Widget *widget, float x, float y)
{
    if (!Active(widget))
        return false;
    if (WidgetTextRec *rec = TextRec(widget)) {
        if (widget->kind == kWidgetPushButton)
            rec->hovered = WidgetHitTest(widget, x, y) ? 1 : 0;
        if (widget->kind <= kWidgetRadioButton && rec->pressed) {
            rec->highlighted = WidgetHitTest(widget, x, y) ? 1 : 0;
        } else if (widget->kind == kWidgetTextInput && rec->dragging) {
            if (y > widget->bounds.top)
                rec->caret = 0;
            else if (y < widget->bounds.bottom)
                rec->caret = TextLength(rec);
            else
                rec->caret = CharIndexAt(widget, rec, x);
        }
    } else if (WidgetSlider *slider = Slider(widget)) {
        if (slider->dragging)
            SliderFollow(widget, slider, x, y);
    }
    return false;
}

bool WidgetMouseUp(Widget *widget, float x, float y)
{
    if (!Active(widget))
        return false;
    int32_t result = 1;
    bool dispatched = false;
    if (WidgetTextRec *rec = TextRec(widget)) {
        if (widget->kind <= kWidgetRadioButton) {
            if (!rec->pressed)
                return false;
            rec->pressed = rec->highlighted = 0;
            if (!WidgetHitTest(widget, x, y))
                return false;
            if (widget->kind == kWidgetPushButton) {
                result = Dispatch(widget, kWidgetCallbackClicked);
                dispatched = true;
            } else if (widget->kind == kWidgetCheckBox) {
                rec->checked = rec->checked ? 0 : 1;
                result = Dispatch(widget, kWidgetCallbackValueChanged);
                dispatched = true;
            } else if (!rec->checked) {
                rec->checked = 1;
                result = Dispatch(widget, kWidgetCallbackValueChanged);
                dispatched = true;
            }
        } else if (widget->kind == kWidgetTextInput) {
            rec->dragging = 0;
        }
    } else if (WidgetSlider *slider = Slider(widget)) {
        slider->dragging = 0;
    }
    return dispatched && result == 0;
}

bool WidgetKeyDown(Widget *widget, uint8_t character, int32_t, uint32_t modifiers)
{
    return EditKey(widget, character, modifiers);
}

bool WidgetKeyRepeat(Widget *widget, uint8_t character, int32_t, uint32_t modifiers)
{
    return EditKey(widget, character, modifiers);
}

bool WidgetKeyUp(Widget *, uint8_t, int32_t, uint32_t)
{
    return false;
}

void WidgetRun(Widget *widget, float seconds)
{
    WidgetTextRec *rec = TextRec(widget);
    if (!rec || widget->kind != kWidgetTextInput || !rec->focused)
        return;
    if (rec->dragging) {
        rec->blinkTime = 0.0f;
        rec->caretVisible = 1;
        return;
    }
    rec->blinkTime += seconds;
    float interval = float(getCaretBlinkInterval());
    rec->caretVisible = interval > std::fmod(rec->blinkTime, 2.0f * interval) ? 1 : 0;
}

// ---- Drawing -------------------------------------------------------------------------------

void WidgetTextRecDraw(WidgetTextRec *textRec, float x, float y)
{
    Shader *shader = textRec ? textRec->shader : nullptr;
    if (!shader || shader->textureWidth <= 0 || shader->textureHeight <= 0 || textRec->textWidth <= 0)
        return;
    ShaderApply(shader);
    float s = std::min(1.0f, float(textRec->textWidth) / float(shader->textureWidth));
    float t = std::min(1.0f, float(textRec->lineHeight) / float(shader->textureHeight));
    ModeDrawTexturedQuad(x, y, x + float(textRec->textWidth) / kWidgetPixelsPerUnit,
                         y + float(textRec->lineHeight) / kWidgetPixelsPerUnit, 0, 0, s, t);
    // ShaderDisable resets the colour; keep the caller's for what follows.
    float color[4];
    glGetFloatv(GL_CURRENT_COLOR, color);
    ShaderDisable();
    glColor4fv(color);
}

void WidgetDraw(Widget *widget)
{
    if (!widget->visible)
        return;
    if (Dispatch(widget, kWidgetCallbackDraw) == 0)
        return;
    float f = widget->enabled ? 1.0f : 0.5f;
    WidgetTextRec *rec = TextRec(widget);
    switch (widget->kind) {
    case kWidgetPushButton: DrawButton(widget, rec, f); break;
    case kWidgetCheckBox: DrawCheckBox(widget, rec, f); break;
    case kWidgetRadioButton: DrawRadioButton(widget, rec, f); break;
    case kWidgetStaticText:
        Tint(widget->textColor, f);
        WidgetTextRecDraw(rec, widget->bounds.left, widget->bounds.bottom);
        break;
    case kWidgetTextInput: DrawTextInput(widget, rec, f); break;
    case kWidgetSlider: DrawSlider(widget, Slider(widget), f); break;
    case kWidgetProgressBar: DrawProgressBar(widget, Bar(widget), f); break;
    default: break;
    }
    glColor4f(1, 1, 1, 1);
}
