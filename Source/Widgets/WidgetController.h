// The container of one screen's widgets: keeps them in order, anchors them
// to the left or right window edge as the window's shape changes, draws them
// as an orthographic overlay, ticks them, converts mouse positions into
// overlay space and offers every event to its widgets in order.  It also
// tracks the text input holding the keyboard focus and moves the focus with
// Tab.  The controller owns its widgets.
#pragma once

#include "Events.h"
#include "Types.h"

#include <cstdint>
#include <string>

struct OpenGLWindow;
struct Widget;

enum WidgetRelativity : int32_t {
    kWidgetRelativeLeft = 0,
    kWidgetRelativeRight = 1,
    kWidgetRelativeNone = 2,
};

struct WidgetControllerEntry {
    Widget *widget;
    int32_t relativity;
};

constexpr int32_t kWidgetControllerInitialCapacity = 32;

struct WidgetController {
    OpenGLWindow *window;
    PlatformEventHandlerRef eventHandlerRef; // 0 while frozen
    int32_t boundsCallbackID;
    Point2f offset;
    float ratio; // the window's ratio at the last layout
    Widget *focusedWidget;
    int32_t count, capacity;
    WidgetControllerEntry *entries; // owned
};

WidgetController *WidgetControllerAllocate(OpenGLWindow *window);
void WidgetControllerDispose(WidgetController *controller);
void WidgetControllerAddWidget(WidgetController *controller, Widget *widget);
// Makes a widget with its text, font size and origin and adds it.
Widget *WidgetControllerAddNewWidget(WidgetController *controller, FourCharCode identifier, int32_t kind, float x,
                                     float y, const std::string &text, int32_t fontSize, float originX,
                                     float originY);
// The height of one line of the widget's text, in window units.
float WidgetControllerLineHeight(Widget *widget);
void WidgetControllerRemoveWidgetAtIndex(WidgetController *controller, int32_t index);
void WidgetControllerSetWidgetRelativity(WidgetController *controller, Widget *widget, int32_t relativity);
int32_t WidgetControllerIndexForWidget(WidgetController *controller, Widget *widget);
Widget *WidgetControllerWidgetAtIndex(WidgetController *controller, int32_t index);
Widget *WidgetControllerGetWidgetByIdentifier(WidgetController *controller, FourCharCode identifier);
int32_t WidgetControllerNumberOfWidgets(WidgetController *controller);
void WidgetControllerSetOffset(WidgetController *controller, float x, float y);
void WidgetControllerDraw(WidgetController *controller);
void WidgetControllerRun(WidgetController *controller, float seconds);
// Called by a text input that takes the focus: blurs the one that held it.
// False when that one refuses to let go; the focus then stays where it was.
bool WidgetControllerFocusNotification(WidgetController *controller, Widget *widget);
void WidgetControllerBlurNotification(WidgetController *controller);
void WidgetControllerFreeze(WidgetController *controller);
void WidgetControllerDefrost(WidgetController *controller);
// A mouse location in global screen pixels as a point of the overlay.
Point2f WidgetControllerConvertMouse(WidgetController *controller, Point2f globalPixels);

// The two handlers the controller registers (context: the controller).
int32_t boundsChangedCallback(void *context, void *sender);
bool WidgetControllerEventHandler(const PlatformEvent *event, void *context);
