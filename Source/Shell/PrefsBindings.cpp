#include "PrefsBindings.h"

#include "Bindings.h"
#include "CallbackController.h"
#include "Controller.h"
#include "Keyboard.h"
#include "ModeSupport.h"
#include "OpenGLWindow.h"
#include "PadNavigation.h"
#include "StatusLabels.h"
#include "Widget.h"
#include "WidgetController.h"

#include <GL/gl.h>

#include <iterator>
#include <string>

namespace {

enum Page : int32_t { kPageGame = 0, kPageEditor = 1, kPageComfort = 2 };

struct Screen {
    OpenGLWindow *window;
    WidgetController *widgets;
    PadNavigation navigation;
    PlatformEventHandlerRef handler;
    PlatformTimerRef timer;
    int32_t page;
    int32_t awaiting;    // the action whose new key is awaited, or -1
    int32_t swapAction;  // the question: give swapKey to swapAction ...
    int32_t swapHolder;  // ... taking it from swapHolder
    bool closed;
};

PrefsBindingsObserver observer = nullptr;
void *observerContext = nullptr;

constexpr double kTickInterval = 1.0 / 30.0;
constexpr float kRowTop = 0.52f;
constexpr float kRowHeight = 0.09f;

Widget *Add(Screen *screen, FourCharCode identifier, int32_t kind, float x, float y, const std::string &text,
            int32_t fontSize)
{
    Widget *widget = WidgetAllocate(screen->widgets, identifier, kind, x, y);
    WidgetSetText(widget, text.c_str());
    WidgetSetFontSize(widget, fontSize);
    WidgetControllerAddWidget(screen->widgets, widget);
    return widget;
}

Widget *Find(Screen *screen, FourCharCode identifier)
{
    return WidgetControllerGetWidgetByIdentifier(screen->widgets, identifier);
}

void SetText(Screen *screen, FourCharCode identifier, const std::string &text)
{
    if (Widget *widget = Find(screen, identifier)) {
        WidgetSetText(widget, text.c_str());
        WidgetUpdate(widget, true);
    }
}

int32_t PageOf(int32_t action)
{
    return BindingsActionContext(action) == kBindingsGame ? kPageGame : kPageEditor;
}

// Every control shows what is in force now, and only the page's rows and
// the question that is asked are visible.
void Refresh(Screen *screen)
{
    for (int32_t a = 0; a < kBindingsActionCount; a++) {
        bool shown = PageOf(a) == screen->page;
        std::string name = a == screen->awaiting ? "Press a key" : BindingsKeyName(BindingsGetKey(a));
        SetText(screen, PrefsBindingsKeyIdentifier(a), name);
        WidgetSetVisible(Find(screen, PrefsBindingsKeyIdentifier(a)), shown);
        WidgetSetVisible(Find(screen, PrefsBindingsLabelIdentifier(a)), shown);
    }
    for (int32_t o = 0; o < kBindingsComfortCount; o++) {
        Widget *box = Find(screen, PrefsBindingsComfortIdentifier(o));
        WidgetSetChecked(box, BindingsGetComfort(o), true);
        WidgetSetVisible(box, screen->page == kPageComfort);
    }
    bool asking = screen->swapAction >= 0;
    WidgetSetVisible(Find(screen, kPrefsBindingsSwap), asking);
    WidgetSetVisible(Find(screen, kPrefsBindingsKeep), asking);
    std::string message;
    if (asking) {
        message = BindingsKeyName(BindingsGetKey(screen->swapHolder)) + " is used for \"" +
                  BindingsActionLabel(screen->swapHolder) + "\". Swap the keys of \"" +
                  BindingsActionLabel(screen->swapAction) + "\" and \"" + BindingsActionLabel(screen->swapHolder) +
                  "\"?";
    } else if (screen->awaiting >= 0) {
        message = std::string("Press the new key for \"") + BindingsActionLabel(screen->awaiting) + "\".";
    }
    SetText(screen, kPrefsBindingsMessage, message);
}

void Draw(Screen *screen)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ModeBeginOverlay(screen->window);
    ModeDrawBackground(screen->window);
    WidgetControllerDraw(screen->widgets);
    PadNavigationDraw(&screen->navigation);
    ModeEndOverlay();
    if (Controller *controller = ControllerGetMainController())
        ControllerSwapGLBuffers(controller);
}

void Close(Screen *screen)
{
    if (screen->closed)
        return;
    screen->closed = true;
    PlatformStopModalLoop();
}

void Back(void *context)
{
    Screen *screen = static_cast<Screen *>(context);
    if (screen->swapAction >= 0 || screen->awaiting >= 0) {
        screen->swapAction = screen->swapHolder = screen->awaiting = -1;
        Refresh(screen);
    } else {
        Close(screen);
    }
}

// The awaited key arrived.
void TakeKey(Screen *screen, int32_t keyCode)
{
    int32_t action = screen->awaiting;
    screen->awaiting = -1;
    int32_t holder = BindingsSetKey(action, keyCode);
    if (holder >= 0) {
        screen->swapAction = action;
        screen->swapHolder = holder;
    }
    Refresh(screen);
}

int32_t Clicked(void *context, void *sender)
{
    Screen *screen = static_cast<Screen *>(context);
    FourCharCode identifier = static_cast<Widget *>(sender)->identifier;
    // Any click ends the question or the wait for a key.
    int32_t swapAction = screen->swapAction, swapHolder = screen->swapHolder;
    screen->swapAction = screen->swapHolder = screen->awaiting = -1;
    switch (identifier) {
    case kPrefsBindingsGamePage: screen->page = kPageGame; break;
    case kPrefsBindingsEditorPage: screen->page = kPageEditor; break;
    case kPrefsBindingsComfortPage: screen->page = kPageComfort; break;
    case kPrefsBindingsReset: BindingsResetToDefaults(); break;
    case kPrefsBindingsDone: Close(screen); return 0;
    case kPrefsBindingsSwap:
        if (swapAction >= 0)
            BindingsSwap(swapAction, swapHolder);
        break;
    case kPrefsBindingsKeep: break;
    default:
        for (int32_t a = 0; a < kBindingsActionCount; a++)
            if (identifier == PrefsBindingsKeyIdentifier(a))
                screen->awaiting = a;
        break;
    }
    Refresh(screen);
    return 0;
}

int32_t ComfortChanged(void *context, void *sender)
{
    Screen *screen = static_cast<Screen *>(context);
    Widget *box = static_cast<Widget *>(sender);
    for (int32_t o = 0; o < kBindingsComfortCount; o++)
        if (box->identifier == PrefsBindingsComfortIdentifier(o))
            BindingsSetComfort(o, WidgetIsChecked(box));
    PrefsBindingsApplyComfort();
    Refresh(screen);
    return 1;
}

void Build(Screen *screen)
{
    Widget *title = Add(screen, 'Titl', kWidgetStaticText, 0.0f, 0.85f, "Controls", 36);
    WidgetSetOrigin(title, 0.5f, 0.5f);
    WidgetUpdate(title, true);
    auto button = [&](FourCharCode identifier, float x, float y, const char *text) {
        Widget *widget = Add(screen, identifier, kWidgetPushButton, x, y, text, 12);
        CallbackControllerInstallCallback(WidgetGetCallbackController(widget), kWidgetCallbackClicked, Clicked,
                                          screen);
        return widget;
    };
    button(kPrefsBindingsGamePage, -0.5f, 0.68f, "Game keys");
    button(kPrefsBindingsEditorPage, 0.0f, 0.68f, "Editor keys");
    button(kPrefsBindingsComfortPage, 0.5f, 0.68f, "Comfort");
    int32_t rows[2] = {0, 0};
    for (int32_t a = 0; a < kBindingsActionCount; a++) {
        float y = kRowTop - kRowHeight * float(rows[PageOf(a)]++);
        Widget *label = Add(screen, PrefsBindingsLabelIdentifier(a), kWidgetStaticText, -0.65f, y,
                            BindingsActionLabel(a), 14);
        WidgetSetOrigin(label, 0.0f, 0.5f);
        WidgetUpdate(label, true);
        button(PrefsBindingsKeyIdentifier(a), 0.3f, y, "");
    }
    for (int32_t o = 0; o < kBindingsComfortCount; o++) {
        Widget *box = Add(screen, PrefsBindingsComfortIdentifier(o), kWidgetCheckBox, -0.5f,
                          kRowTop - kRowHeight * 1.5f * float(o), BindingsComfortLabel(o), 14);
        CallbackControllerInstallCallback(WidgetGetCallbackController(box), kWidgetCallbackValueChanged,
                                          ComfortChanged, screen);
    }
    Widget *message = Add(screen, kPrefsBindingsMessage, kWidgetStaticText, 0.0f, -0.67f, "", 12);
    WidgetSetOrigin(message, 0.5f, 0.5f);
    button(kPrefsBindingsSwap, -0.2f, -0.76f, "Swap");
    button(kPrefsBindingsKeep, 0.2f, -0.76f, "Cancel");
    // Wider than the usual button, for its longer name.
    Widget *reset = button(kPrefsBindingsReset, -0.4f, -0.88f, "Reset to defaults");
    Rect4f b = WidgetGetBounds(reset);
    WidgetSetBounds(reset, b.left - 0.06f, b.bottom, b.right + 0.06f, b.top);
    button(kPrefsBindingsDone, 0.4f, -0.88f, "Done");
}

bool EventHandler(const PlatformEvent *event, void *context)
{
    Screen *screen = static_cast<Screen *>(context);
    if (screen->closed)
        return true;
    switch (event->kind) {
    case kEventCommandProcess:
        // A request to quit closes the screen and is handled after it.
        if (event->command == 'quit') {
            Close(screen);
            PlatformPostCommandEvent('quit');
        }
        return true;
    case kEventRawKeyDown:
        if (screen->awaiting >= 0) {
            if (BindingsKeyIsBindable(event->keyCode))
                TakeKey(screen, event->keyCode);
        } else if (event->charCode == 27) {
            Back(screen);
        }
        return true;
    case kEventMouseDown:
    case kEventMouseUp:
    case kEventMouseMoved:
    case kEventMouseDragged:
        if (event->button <= 1 || event->kind == kEventMouseMoved || event->kind == kEventMouseDragged)
            WidgetControllerEventHandler(event, screen->widgets);
        return true;
    case kEventPadButtonDown:
        PadNavigationHandleEvent(&screen->navigation, event);
        return true;
    case kEventWindowDrawContent:
    case kEventWindowBoundsChanged:
    case kEventWindowExpanding: return false;
    default: return true;
    }
}

void Tick(PlatformTimerRef, void *context)
{
    Screen *screen = static_cast<Screen *>(context);
    if (!screen->closed)
        Draw(screen);
}

} // namespace

bool PrefsBindingsRun()
{
    Controller *controller = ControllerGetMainController();
    OpenGLWindow *window = controller ? ControllerGetMainWindow(controller) : nullptr;
    if (!window)
        return false;
    Screen screen{};
    screen.window = window;
    screen.page = kPageGame;
    screen.awaiting = screen.swapAction = screen.swapHolder = -1;
    screen.widgets = WidgetControllerAllocate(window);
    // The screen hands the events to its widgets itself.
    WidgetControllerFreeze(screen.widgets);
    Build(&screen);
    Refresh(&screen);
    screen.navigation = PadNavigation{screen.widgets, -1, Back, &screen, true};
    PadNavigationSetCurrent(&screen.navigation);
    static const int32_t kinds[] = {kEventCommandProcess, kEventRawKeyDown,    kEventRawKeyRepeat,
                                    kEventRawKeyUp,       kEventMouseDown,     kEventMouseUp,
                                    kEventMouseMoved,     kEventMouseDragged,  kEventPadButtonDown,
                                    kEventPadButtonUp,    kEventPadAxisMoved,  kEventWindowClose,
                                    kEventWindowDrawContent, kEventWindowBoundsChanged, kEventWindowExpanding};
    screen.handler =
        PlatformInstallEventHandler(kTargetWindow, kinds, int32_t(std::size(kinds)), EventHandler, &screen);
    screen.timer = PlatformInstallTimer(0.0, kTickInterval, Tick, &screen);
    if (observer)
        observer(screen.widgets, observerContext);
    PlatformRunModalDialogLoop();
    PlatformRemoveTimer(screen.timer);
    PlatformRemoveEventHandler(screen.handler);
    PadNavigationClearCurrent(&screen.navigation);
    WidgetControllerDispose(screen.widgets);
    BindingsSave();
    return true;
}

void PrefsBindingsApplyComfort()
{
    WidgetSetTextScale(BindingsGetComfort(kComfortLargerText) ? kPrefsBindingsLargerTextScale : 1.0f);
    StatusLabelsSetHighContrast(BindingsGetComfort(kComfortHighContrastHUD));
}

void PrefsBindingsSetObserver(PrefsBindingsObserver newObserver, void *context)
{
    observer = newObserver;
    observerContext = context;
}
