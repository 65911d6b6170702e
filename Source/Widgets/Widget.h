// Widgets: the program's own controls, drawn with the graphics pipeline in
// an orthographic overlay.  Push buttons, check boxes, radio buttons, static
// text, single-line text inputs, sliders and progress bars.  A widget lives
// in a widget controller, which places it, draws it and feeds it events; it
// reports what happens to it through its own callback controller.
//
// Overlay space: y from -1 (bottom) to 1 (top), x from -ratio to ratio.  Text
// is rendered in pixels and placed at 300 pixels per overlay unit.
#pragma once

#include "CallbackController.h"
#include "Types.h"

#include <cstdint>

struct WidgetController;
struct TextObject;
struct Shader;

enum WidgetKind : int32_t {
    kWidgetPushButton = 0,
    kWidgetCheckBox = 1,
    kWidgetRadioButton = 2,
    kWidgetStaticText = 3,
    kWidgetTextInput = 4,
    kWidgetSlider = 5,
    kWidgetProgressBar = 6,
};

// The callback types a widget dispatches; every dispatch passes the widget.
enum WidgetCallbackType : int32_t {
    kWidgetCallbackClicked = 0,      // a push button released inside; 0 consumes the mouse-up
    kWidgetCallbackValueChanged = 1, // check box, radio button, slider; 0 consumes a mouse-up
    kWidgetCallbackFocus = 2,        // a text input is about to take the focus; 0 refuses
    kWidgetCallbackBlur = 3,         // a text input is about to lose the focus; 0 refuses
    kWidgetCallbackHitTest = 4,      // before every hit test: 2 forces a hit, 3 a miss
    kWidgetCallbackDraw = 5,         // before the widget draws itself; 0 suppresses it
};

enum : int32_t {
    kWidgetHitTestForceHit = 2,
    kWidgetHitTestForceMiss = 3,
};

// Pixels of text per overlay unit.
constexpr float kWidgetPixelsPerUnit = 300.0f;

// The record of the text kinds (0 to 4).
struct WidgetTextRec {
    int32_t capacity; // bytes of text, terminator included
    char *text;       // owned
    TextObject *textObject;
    Shader *shader;   // the rendered text, made at the first update; owned
    int32_t fontSize;
    int32_t textWidth;  // pixels, truncated
    int32_t lineHeight; // pixels
    int32_t alignment;  // TextAlignment
    uint8_t pressed, highlighted;
    uint8_t hovered; // push buttons: the mouse is over it
    uint8_t checked;
    int32_t familyID;
    int32_t anchor, caret;
    float blinkTime;
    uint8_t caretVisible, focused, dragging;
};

struct WidgetSlider {
    uint8_t allowsFractions;
    float maximum;
    float value;
    uint8_t vertical;
    uint8_t dragging;
    float dragScale;
    float dragStartValue;
};

struct WidgetProgressBar {
    float maximum;
    float value;
};

struct Widget {
    WidgetController *controller;
    FourCharCode identifier;
    Point2f location;
    Point2f origin;
    Rect4f bounds; // left, bottom, right, top
    uint8_t enabled;
    uint8_t visible;
    CallbackController *callbackController;
    float color[4];
    float textColor[4];
    int32_t kind;
    void *kindData; // WidgetTextRec, WidgetSlider or WidgetProgressBar; owned
};

Widget *WidgetAllocate(WidgetController *controller, FourCharCode identifier, int32_t kind, float x, float y);
void WidgetDispose(Widget *widget);
void WidgetTextRecDispose(WidgetTextRec *textRec);

CallbackController *WidgetGetCallbackController(Widget *widget);
bool WidgetIsEnabled(Widget *widget);
bool WidgetIsVisible(Widget *widget);
Point2f WidgetGetLocation(Widget *widget);
Point2f WidgetGetOrigin(Widget *widget);
Rect4f WidgetGetBounds(Widget *widget);
// Stores the bounds as given, without recomputing them.
void WidgetSetBounds(Widget *widget, float left, float bottom, float right, float top);
void WidgetSetColor(Widget *widget, float r, float g, float b, float a);
void WidgetSetTextColor(Widget *widget, float r, float g, float b, float a);
// Null for sliders and progress bars.
WidgetTextRec *WidgetGetTextRec(Widget *widget);
// The empty string for sliders and progress bars.
const char *WidgetGetText(Widget *widget);
void WidgetSetAlignment(Widget *widget, int32_t alignment);
void WidgetSetFontSize(Widget *widget, int32_t fontSize);
// Every widget's text is rendered at its size times scale (1 by default,
// larger for the comfort option); widgets rendered before a change keep
// their size until they are updated.
void WidgetSetTextScale(float scale);
float WidgetGetTextScale();
bool WidgetIsChecked(Widget *widget);
void WidgetRadioButtonSetFamilyID(Widget *widget, int32_t familyID);
int32_t WidgetRadioButtonGetFamilyID(Widget *widget);
void WidgetSliderSetAllowsFractions(Widget *widget, bool allows);
bool WidgetSliderAllowsFractions(Widget *widget);
void WidgetSliderSetVertical(Widget *widget, bool vertical);

void WidgetSetLocation(Widget *widget, float x, float y);
void WidgetSetOrigin(Widget *widget, float ox, float oy);
void WidgetCalculateBounds(Widget *widget);

// Sliders and progress bars; the value never stays above the maximum.
void WidgetSetMaximum(Widget *widget, float maximum);
void WidgetSetValue(Widget *widget, float value);
float WidgetGetMaximum(Widget *widget);
float WidgetGetValue(Widget *widget);

// Copies at most capacity - 1 characters; call WidgetUpdate to show them.
void WidgetSetText(Widget *widget, const char *text);
// Measures and renders the text; with recalculateBounds also the bounds.
void WidgetUpdate(Widget *widget, bool recalculateBounds);

void WidgetSetChecked(Widget *widget, bool checked, bool silently);
void WidgetSetVisible(Widget *widget, bool visible);
void WidgetSetEnabled(Widget *widget, bool enabled);
bool WidgetFocus(Widget *widget);
bool WidgetBlur(Widget *widget);

// Events, in overlay coordinates.
bool WidgetHitTest(Widget *widget, float x, float y);
bool WidgetMouseDown(Widget *widget, float x, float y, uint32_t modifiers);
bool WidgetMouseUp(Widget *widget, float x, float y);
bool WidgetMouseMoved(Widget *widget, float x, float y);
bool WidgetKeyDown(Widget *widget, uint8_t character, int32_t keyCode, uint32_t modifiers);
bool WidgetKeyRepeat(Widget *widget, uint8_t character, int32_t keyCode, uint32_t modifiers);
bool WidgetKeyUp(Widget *widget, uint8_t character, int32_t keyCode, uint32_t modifiers);
void WidgetRun(Widget *widget, float seconds);
void WidgetDraw(Widget *widget);
// Draws the rendered text with its lower-left corner at (x, y) in the
// current colour.
void WidgetTextRecDraw(WidgetTextRec *textRec, float x, float y);
