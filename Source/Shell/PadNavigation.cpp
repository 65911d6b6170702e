#include "PadNavigation.h"

#include "Gamepad.h"
#include "Keyboard.h"
#include "ModeSupport.h"
#include "Widget.h"
#include "WidgetController.h"

#include <GL/gl.h>

#include <algorithm>
#include <iterator>
#include <vector>

namespace {

// The screens that want the pad, the one on top in force.
std::vector<PadNavigation *> screens;
PlatformEventHandlerRef handler = 0;

bool Navigable(Widget *widget)
{
    return widget && (widget->kind == kWidgetPushButton || widget->kind == kWidgetCheckBox) &&
           WidgetIsVisible(widget) && WidgetIsEnabled(widget);
}

void Move(PadNavigation *navigation, int32_t step)
{
    int32_t count = WidgetControllerNumberOfWidgets(navigation->widgets);
    if (count == 0)
        return;
    int32_t start = navigation->focus;
    if (start < 0 || start >= count)
        start = step > 0 ? count - 1 : 0;
    for (int32_t n = 1; n <= count; n++) {
        int32_t i = ((start + step * n) % count + count) % count;
        if (Navigable(WidgetControllerWidgetAtIndex(navigation->widgets, i))) {
            navigation->focus = i;
            return;
        }
    }
}

// Where a click presses the widget: a check box's box, a button's middle.
Point2f PressPoint(Widget *widget)
{
    Rect4f b = WidgetGetBounds(widget);
    if (widget->kind == kWidgetCheckBox)
        return Point2f{b.left + 0.04f, b.bottom + 0.04f};
    return Point2f{(b.left + b.right) / 2, (b.bottom + b.top) / 2};
}

// Pad buttons as keys, for what has no screen in force: a key down and up
// through the handlers, as the keyboard would send them.
void SendKey(uint8_t character)
{
    int32_t keyCode = -1;
    switch (character) {
    case 13: keyCode = kKeyCodeReturn; break;
    case 27: keyCode = kKeyCodeEscape; break;
    case 28: keyCode = kKeyCodeLeft; break;
    case 29: keyCode = kKeyCodeRight; break;
    case 30: keyCode = kKeyCodeUp; break;
    case 31: keyCode = kKeyCodeDown; break;
    default: return;
    }
    PlatformEvent key{};
    key.time = PlatformGetEventTime();
    key.keyCode = keyCode;
    key.charCode = character;
    key.kind = kEventRawKeyDown;
    PlatformDispatchEvent(&key);
    key.kind = kEventRawKeyUp;
    PlatformDispatchEvent(&key);
}

bool PadButton(const PlatformEvent *event, void *)
{
    PadNavigation *current = PadNavigationGetCurrent();
    // A dialog over a screen takes the pad as keys; a screen covered by
    // another mode (its widgets frozen) takes nothing.
    if (current && current->widgets && current->widgets->eventHandlerRef == 0 && !current->modal)
        current = nullptr;
    if (current && (current->modal || !PlatformIsInModalLoop())) {
        PadNavigationHandleEvent(current, event);
        return true;
    }
    if (event->kind == kEventPadButtonDown)
        SendKey(GamepadMenuCharacter(event->padControl));
    return true;
}

} // namespace

int32_t PadNavigationHandleEvent(PadNavigation *navigation, const PlatformEvent *event)
{
    if (!navigation || event->kind != kEventPadButtonDown)
        return kPadNavigationIgnored;
    switch (event->padControl) {
    case kPadButtonDPadUp:
    case kPadButtonDPadLeft: Move(navigation, -1); return kPadNavigationMoved;
    case kPadButtonDPadDown:
    case kPadButtonDPadRight: Move(navigation, 1); return kPadNavigationMoved;
    case kPadButtonA: {
        Widget *widget = PadNavigationFocusedWidget(navigation);
        if (!widget) {
            Move(navigation, 1);
            return kPadNavigationMoved;
        }
        Point2f p = PressPoint(widget);
        // The press may close the screen: nothing of it is touched after.
        WidgetMouseDown(widget, p.x, p.y, 0);
        WidgetMouseUp(widget, p.x, p.y);
        return kPadNavigationPressed;
    }
    case kPadButtonB:
        if (navigation->back)
            navigation->back(navigation->backContext);
        return kPadNavigationBack;
    default: return kPadNavigationIgnored;
    }
}

Widget *PadNavigationFocusedWidget(PadNavigation *navigation)
{
    if (!navigation || navigation->focus < 0 ||
        navigation->focus >= WidgetControllerNumberOfWidgets(navigation->widgets))
        return nullptr;
    Widget *widget = WidgetControllerWidgetAtIndex(navigation->widgets, navigation->focus);
    return Navigable(widget) ? widget : nullptr;
}

void PadNavigationDraw(PadNavigation *navigation)
{
    Widget *widget = PadNavigationFocusedWidget(navigation);
    if (!widget)
        return;
    Rect4f b = WidgetGetBounds(widget);
    const float margin = 0.015f;
    glDisable(GL_TEXTURE_2D);
    glLineWidth(3.0f);
    glColor4f(1.0f, 0.8f, 0.1f, 1.0f);
    glBegin(GL_LINE_LOOP);
    glVertex2f(b.left - margin, b.bottom - margin);
    glVertex2f(b.right + margin, b.bottom - margin);
    glVertex2f(b.right + margin, b.top + margin);
    glVertex2f(b.left - margin, b.top + margin);
    glEnd();
    glLineWidth(1.0f);
    glColor4f(1, 1, 1, 1);
}

void PadNavigationSetCurrent(PadNavigation *navigation)
{
    PadNavigationClearCurrent(navigation);
    if (navigation)
        screens.push_back(navigation);
}

void PadNavigationClearCurrent(PadNavigation *navigation)
{
    screens.erase(std::remove(screens.begin(), screens.end(), navigation), screens.end());
}

PadNavigation *PadNavigationGetCurrent()
{
    return screens.empty() ? nullptr : screens.back();
}

void PadNavigationStartUp()
{
    if (handler)
        return;
    static const int32_t kinds[] = {kEventPadButtonDown, kEventPadButtonUp};
    handler = PlatformInstallEventHandler(kTargetApplication, kinds, int32_t(std::size(kinds)), PadButton, nullptr);
}

void PadNavigationShutDown()
{
    PlatformRemoveEventHandler(handler);
    handler = 0;
    screens.clear();
}
