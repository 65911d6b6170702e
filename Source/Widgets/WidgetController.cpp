#include "WidgetController.h"

#include "OpenGLWindow.h"
#include "Utilities.h"
#include "Widget.h"

#include <GL/gl.h>

#include <cstdlib>
#include <new>

namespace {

const int32_t kHandledKinds[] = {kEventMouseDown,  kEventMouseUp,     kEventMouseMoved, kEventMouseDragged,
                                 kEventRawKeyDown, kEventRawKeyRepeat, kEventRawKeyUp};

void InstallHandler(WidgetController *controller)
{
    if (controller->eventHandlerRef)
        return;
    controller->eventHandlerRef =
        PlatformInstallEventHandler(kTargetApplication, kHandledKinds, int32_t(std::size(kHandledKinds)),
                                    WidgetControllerEventHandler, controller);
}

float Shift(int32_t relativity, float ratio)
{
    switch (relativity) {
    case kWidgetRelativeLeft: return -(ratio - 1.0f);
    case kWidgetRelativeRight: return ratio - 1.0f;
    default: return 0.0f;
    }
}

float WindowRatio(WidgetController *controller)
{
    return controller->window ? OpenGLWindowGetRatio(controller->window) : 1.0f;
}

// Moves the focus with Tab: forwards, or backwards with Shift.
void CycleFocus(WidgetController *controller, bool backwards)
{
    int32_t count = controller->count;
    if (count == 0)
        return;
    int32_t step = backwards ? -1 : 1;
    int32_t start = WidgetControllerIndexForWidget(controller, controller->focusedWidget);
    if (start < 0)
        start = backwards ? 0 : count - 1;
    for (int32_t i = (start + step + count) % count; i != start; i = (i + step + count) % count)
        if (WidgetFocus(controller->entries[i].widget))
            return;
}

bool HandleMouse(WidgetController *controller, const PlatformEvent *event)
{
    Point2f p = WidgetControllerConvertMouse(controller, event->mouse);
    switch (event->kind) {
    case kEventMouseDown: {
        Widget *focused = controller->focusedWidget;
        if (focused && !WidgetHitTest(focused, p.x, p.y) && !WidgetBlur(focused))
            return false;
        // A widget's handling may remove widgets; the walk re-reads the count.
        for (int32_t i = 0; i < controller->count; i++)
            if (WidgetMouseDown(controller->entries[i].widget, p.x, p.y, event->modifiers))
                break;
        break;
    }
    case kEventMouseUp:
        for (int32_t i = 0; i < controller->count; i++)
            if (WidgetMouseUp(controller->entries[i].widget, p.x, p.y))
                break;
        break;
    default:
        for (int32_t i = 0; i < controller->count; i++)
            WidgetMouseMoved(controller->entries[i].widget, p.x, p.y);
        break;
    }
    // Mouse events always go on to the mode as well.
    return false;
}

bool HandleKey(WidgetController *controller, const PlatformEvent *event)
{
    uint8_t character = event->charCode;
    uint32_t modifiers = event->modifiers;
    if (character == 9) {
        if (event->kind == kEventRawKeyDown)
            CycleFocus(controller, (modifiers & kModifierShift) != 0);
        return true;
    }
    // Keys with Control held are menu equivalents, never text.
    if (modifiers & kModifierControl)
        return false;
    for (int32_t i = 0; i < controller->count; i++) {
        Widget *widget = controller->entries[i].widget;
        bool taken = false;
        if (event->kind == kEventRawKeyDown)
            taken = WidgetKeyDown(widget, character, event->keyCode, modifiers);
        else if (event->kind == kEventRawKeyRepeat)
            taken = WidgetKeyRepeat(widget, character, event->keyCode, modifiers);
        else
            taken = WidgetKeyUp(widget, character, event->keyCode, modifiers);
        if (taken)
            return true;
    }
    return false;
}

} // namespace

WidgetController *WidgetControllerAllocate(OpenGLWindow *window)
{
    WidgetController *controller = new WidgetController{};
    controller->window = window;
    controller->boundsCallbackID = -1;
    if (window)
        controller->boundsCallbackID =
            CallbackControllerInstallCallback(OpenGLWindowGetCallbackController(window),
                                              kOpenGLWindowCallbackBoundsChanged, boundsChangedCallback, controller);
    controller->ratio = WindowRatio(controller);
    controller->capacity = kWidgetControllerInitialCapacity;
    controller->entries =
        static_cast<WidgetControllerEntry *>(std::calloc(size_t(controller->capacity), sizeof(WidgetControllerEntry)));
    if (!controller->entries)
        throw std::bad_alloc();
    InstallHandler(controller);
    return controller;
}

void WidgetControllerDispose(WidgetController *controller)
{
    if (!controller)
        return;
    PlatformRemoveEventHandler(controller->eventHandlerRef);
    controller->eventHandlerRef = 0;
    if (controller->window && controller->boundsCallbackID >= 0)
        CallbackControllerRemoveCallback(OpenGLWindowGetCallbackController(controller->window),
                                         controller->boundsCallbackID);
    while (controller->count > 0)
        WidgetControllerRemoveWidgetAtIndex(controller, 0);
    std::free(controller->entries);
    delete controller;
}

void WidgetControllerAddWidget(WidgetController *controller, Widget *widget)
{
    if (!widget)
        return;
    if (controller->count >= controller->capacity) {
        int32_t capacity = nextPowerOfTwo(controller->capacity);
        void *grown = std::realloc(controller->entries, size_t(capacity) * sizeof(WidgetControllerEntry));
        if (!grown)
            throw std::bad_alloc();
        controller->entries = static_cast<WidgetControllerEntry *>(grown);
        controller->capacity = capacity;
    }
    widget->controller = controller;
    WidgetUpdate(widget, true);
    controller->entries[controller->count++] = WidgetControllerEntry{widget, kWidgetRelativeNone};
}

void WidgetControllerRemoveWidgetAtIndex(WidgetController *controller, int32_t index)
{
    if (index < 0 || index >= controller->count)
        return;
    Widget *widget = controller->entries[index].widget;
    if (controller->focusedWidget == widget)
        controller->focusedWidget = nullptr;
    for (int32_t i = index; i + 1 < controller->count; i++)
        controller->entries[i] = controller->entries[i + 1];
    controller->count--;
    WidgetDispose(widget);
}

void WidgetControllerSetWidgetRelativity(WidgetController *controller, Widget *widget, int32_t relativity)
{
    int32_t index = WidgetControllerIndexForWidget(controller, widget);
    if (index < 0 || relativity < kWidgetRelativeLeft || relativity > kWidgetRelativeNone)
        return;
    WidgetControllerEntry &entry = controller->entries[index];
    Point2f location = WidgetGetLocation(widget);
    float x = location.x - Shift(entry.relativity, controller->ratio) + Shift(relativity, controller->ratio);
    entry.relativity = relativity;
    WidgetSetLocation(widget, x, location.y);
}

int32_t WidgetControllerIndexForWidget(WidgetController *controller, Widget *widget)
{
    if (!widget)
        return -1;
    for (int32_t i = 0; i < controller->count; i++)
        if (controller->entries[i].widget == widget)
            return i;
    return -1;
}

Widget *WidgetControllerWidgetAtIndex(WidgetController *controller, int32_t index)
{
    return (index >= 0 && index < controller->count) ? controller->entries[index].widget : nullptr;
}

Widget *WidgetControllerGetWidgetByIdentifier(WidgetController *controller, FourCharCode identifier)
{
    for (int32_t i = 0; i < controller->count; i++)
        if (controller->entries[i].widget->identifier == identifier)
            return controller->entries[i].widget;
    return nullptr;
}

int32_t WidgetControllerNumberOfWidgets(WidgetController *controller)
{
    return controller->count;
}

void WidgetControllerSetOffset(WidgetController *controller, float x, float y)
{
    controller->offset = Point2f{x, y};
}

void WidgetControllerDraw(WidgetController *controller)
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    if (controller->window)
        OpenGLWindowSetOrtho(controller->window);
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(controller->offset.x, controller->offset.y, 0.0f);
    for (int32_t i = 0; i < controller->count; i++)
        WidgetDraw(controller->entries[i].widget);
    glPopMatrix();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

void WidgetControllerRun(WidgetController *controller, float seconds)
{
    for (int32_t i = 0; i < controller->count; i++)
        WidgetRun(controller->entries[i].widget, seconds);
}

bool WidgetControllerFocusNotification(WidgetController *controller, Widget *widget)
{
    Widget *previous = controller->focusedWidget;
    if (previous && previous != widget && !WidgetBlur(previous))
        return false;
    controller->focusedWidget = widget;
    return true;
}

void WidgetControllerBlurNotification(WidgetController *controller)
{
    controller->focusedWidget = nullptr;
}

void WidgetControllerFreeze(WidgetController *controller)
{
    PlatformRemoveEventHandler(controller->eventHandlerRef);
    controller->eventHandlerRef = 0;
}

void WidgetControllerDefrost(WidgetController *controller)
{
    InstallHandler(controller);
}

Point2f WidgetControllerConvertMouse(WidgetController *controller, Point2f location)
{
    if (!controller->window)
        return Point2f{location.x - controller->offset.x, location.y - controller->offset.y};
    Rect4f b = OpenGLWindowGetBounds(controller->window);
    float r = OpenGLWindowGetRatio(controller->window);
    float halfWidth = (b.right - b.left) / 2.0f, halfHeight = (b.bottom - b.top) / 2.0f;
    if (halfWidth <= 0.0f || halfHeight <= 0.0f)
        return Point2f{0.0f, 0.0f};
    float h = location.x - b.left, v = location.y - b.top;
    return Point2f{(h / halfWidth - 1.0f) * r - controller->offset.x, -(v / halfHeight - 1.0f) - controller->offset.y};
}

int32_t boundsChangedCallback(void *context, void *)
{
    WidgetController *controller = static_cast<WidgetController *>(context);
    float ratio = WindowRatio(controller);
    float change = ratio - controller->ratio;
    for (int32_t i = 0; i < controller->count; i++) {
        const WidgetControllerEntry &entry = controller->entries[i];
        if (entry.relativity == kWidgetRelativeNone)
            continue;
        Point2f location = WidgetGetLocation(entry.widget);
        float dx = entry.relativity == kWidgetRelativeLeft ? -change : change;
        WidgetSetLocation(entry.widget, location.x + dx, location.y);
    }
    controller->ratio = ratio;
    return 1;
}

bool WidgetControllerEventHandler(const PlatformEvent *event, void *context)
{
    WidgetController *controller = static_cast<WidgetController *>(context);
    switch (event->kind) {
    case kEventMouseDown:
    case kEventMouseUp:
    case kEventMouseMoved:
    case kEventMouseDragged: return HandleMouse(controller, event);
    case kEventRawKeyDown:
    case kEventRawKeyRepeat:
    case kEventRawKeyUp: return HandleKey(controller, event);
    default: return false;
    }
}

Widget *WidgetControllerAddNewWidget(WidgetController *controller, FourCharCode identifier, int32_t kind, float x,
                                     float y, const std::string &text, int32_t fontSize, float originX,
                                     float originY)
{
    Widget *widget = WidgetAllocate(controller, identifier, kind, x, y);
    WidgetSetFontSize(widget, fontSize);
    WidgetSetText(widget, text.c_str());
    WidgetSetOrigin(widget, originX, originY);
    WidgetControllerAddWidget(controller, widget);
    return widget;
}

float WidgetControllerLineHeight(Widget *widget)
{
    WidgetTextRec *rec = WidgetGetTextRec(widget);
    return rec ? float(rec->lineHeight) / kWidgetPixelsPerUnit : 0.06f;
}
