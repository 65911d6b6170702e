// The modal list panel, drawn inside the main window with the program's own
// widgets over a darkened background.
#include "ListPanel.h"

#include "Controller.h"
#include "Events.h"
#include "ModeSupport.h"
#include "OpenGLWindow.h"
#include "Shader.h"
#include "Utilities.h"
#include "Widget.h"
#include "WidgetController.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>

namespace {

constexpr double kTickInterval = 1.0 / 60.0;
constexpr double kDoubleClickTime = 0.4;
constexpr float kMargin = 0.05f;
constexpr float kRowHeight = 0.07f;
constexpr int32_t kTitleFontSize = 18;
constexpr int32_t kLineFontSize = 14;
constexpr int32_t kRowFontSize = 14;
constexpr int32_t kButtonFontSize = 14;
constexpr FourCharCode kFieldIdentifier = 'Fild';
constexpr FourCharCode kScrollBarIdentifier = 'Scrl';
constexpr float kScrollBarWidth = 0.05f;

constexpr FourCharCode CellIdentifier(int32_t row, int32_t column)
{
    return 'C000' + FourCharCode(row * 8 + column);
}

struct Panel {
    const ListPanelSpec *spec;
    OpenGLWindow *window;
    WidgetController *widgets;
    PlatformEventHandlerRef handler;
    PlatformTimerRef timer;
    double lastTick;
    bool dirty;
    bool quitPending;
    bool answered;
    ListPanelAnswer answer;
    Rect4f frame;
    Rect4f list;
    Rect4f field;
    int32_t selected;
    int32_t scroll;
    double lastClickTime;
    int32_t lastClickRow;
};

std::deque<ListPanelAnswer> scripted;
ListPanelObserver observer = nullptr;
void *observerContext = nullptr;
bool panelUp = false;
Panel *shownPanel = nullptr;

int32_t RowCount(Panel *panel)
{
    return int32_t(panel->spec->rows.size());
}

int32_t MaxScroll(Panel *panel)
{
    return std::max(0, RowCount(panel) - kListPanelVisibleRows);
}

bool Usable(Panel *panel, int32_t row)
{
    const ListPanelSpec *spec = panel->spec;
    if (!spec->selectable || row < 0 || row >= RowCount(panel))
        return false;
    return size_t(row) >= spec->rowEnabled.size() || spec->rowEnabled[size_t(row)];
}

Widget *AddWidget(Panel *panel, FourCharCode identifier, int32_t kind, float x, float y, const std::string &text,
                  int32_t fontSize, float originX, float originY)
{
    return WidgetControllerAddNewWidget(panel->widgets, identifier, kind, x, y, text, fontSize, originX, originY);
}

void Finish(Panel *panel, FourCharCode button)
{
    if (panel->answered)
        return;
    panel->answered = true;
    panel->answer.button = button;
    panel->answer.row = panel->selected;
    if (Widget *field = WidgetControllerGetWidgetByIdentifier(panel->widgets, kFieldIdentifier))
        panel->answer.text = WidgetGetText(field);
    PlatformStopModalLoop();
}

int32_t ButtonClicked(void *context, void *sender)
{
    Finish(static_cast<Panel *>(context), static_cast<Widget *>(sender)->identifier);
    return 1;
}

void ShowRows(Panel *panel)
{
    const ListPanelSpec *spec = panel->spec;
    int32_t visible = std::min(kListPanelVisibleRows, RowCount(panel));
    for (int32_t row = 0; row < visible; row++) {
        int32_t index = panel->scroll + row;
        for (size_t column = 0; column < spec->columns.size(); column++) {
            Widget *cell =
                WidgetControllerGetWidgetByIdentifier(panel->widgets, CellIdentifier(row, int32_t(column)));
            if (!cell)
                continue;
            const std::vector<std::string> &cells = spec->rows[size_t(index)];
            WidgetSetText(cell, column < cells.size() ? cells[column].c_str() : "");
            WidgetUpdate(cell, true);
            float grey = Usable(panel, index) || !spec->selectable ? 0.0f : 0.55f;
            WidgetSetTextColor(cell, grey, grey, grey, 1.0f);
        }
    }
    if (Widget *bar = WidgetControllerGetWidgetByIdentifier(panel->widgets, kScrollBarIdentifier))
        WidgetSetValue(bar, float(MaxScroll(panel) - panel->scroll));
    panel->dirty = true;
}

// The scroll bar (top: value at its maximum) moves the rows shown.
int32_t ScrollBarMoved(void *context, void *sender)
{
    Panel *panel = static_cast<Panel *>(context);
    float value = WidgetGetValue(static_cast<Widget *>(sender));
    int32_t scroll = std::clamp(MaxScroll(panel) - int32_t(std::lround(value)), 0, MaxScroll(panel));
    if (scroll != panel->scroll) {
        panel->scroll = scroll;
        ShowRows(panel);
        WidgetSetValue(static_cast<Widget *>(sender), value); // as the pointer left it
    }
    return 1;
}

void Select(Panel *panel, int32_t row)
{
    if (!Usable(panel, row))
        return;
    panel->selected = row;
    int32_t scroll = panel->scroll;
    if (row < scroll)
        scroll = row;
    else if (row >= scroll + kListPanelVisibleRows)
        scroll = row - kListPanelVisibleRows + 1;
    if (scroll != panel->scroll) {
        panel->scroll = scroll;
        ShowRows(panel);
    }
    panel->dirty = true;
}

void SelectStep(Panel *panel, int32_t step)
{
    int32_t from = panel->selected >= 0 ? panel->selected : (step > 0 ? -1 : RowCount(panel));
    for (int32_t i = from + step; i >= 0 && i < RowCount(panel); i += step)
        if (Usable(panel, i)) {
            Select(panel, i);
            return;
        }
}

void Build(Panel *panel)
{
    const ListPanelSpec *spec = panel->spec;
    float ratio = OpenGLWindowGetRatio(panel->window);
    float halfWidth = std::min(1.2f, ratio - 0.05f);
    panel->frame = Rect4f{-halfWidth, 0.0f, halfWidth, 0.85f};
    float left = panel->frame.left + kMargin, right = panel->frame.right - kMargin;
    float y = panel->frame.top - kMargin;
    Widget *title = AddWidget(panel, 'Titl', kWidgetStaticText, left, y, spec->title, kTitleFontSize, 0.0f, 1.0f);
    y -= WidgetControllerLineHeight(title) + 0.02f;
    for (const std::string &line : spec->lines) {
        Widget *widget = AddWidget(panel, 0, kWidgetStaticText, left, y, line, kLineFontSize, 0.0f, 1.0f);
        y -= WidgetControllerLineHeight(widget);
    }
    panel->list = Rect4f{left, y, right, y};
    if (!spec->rows.empty()) {
        y -= 0.02f;
        int32_t visible = std::min(kListPanelVisibleRows, RowCount(panel));
        float listRight = MaxScroll(panel) > 0 ? right - kScrollBarWidth - 0.01f : right;
        panel->list = Rect4f{left, y - kRowHeight * float(visible), listRight, y};
        if (MaxScroll(panel) > 0) {
            Widget *bar = WidgetAllocate(panel->widgets, kScrollBarIdentifier, kWidgetSlider, right, y);
            WidgetSliderSetVertical(bar, true);
            WidgetControllerAddWidget(panel->widgets, bar);
            WidgetSetBounds(bar, right - kScrollBarWidth, panel->list.bottom, right, panel->list.top);
            WidgetSetMaximum(bar, float(MaxScroll(panel)));
            CallbackControllerInstallCallback(WidgetGetCallbackController(bar), kWidgetCallbackValueChanged,
                                              ScrollBarMoved, panel);
        }
        float width = listRight - left;
        for (int32_t row = 0; row < visible; row++) {
            float middle = panel->list.top - (float(row) + 0.5f) * kRowHeight;
            for (size_t column = 0; column < spec->columns.size(); column++)
                AddWidget(panel, CellIdentifier(row, int32_t(column)), kWidgetStaticText,
                          left + 0.02f + width * spec->columns[column], middle, "", kRowFontSize, 0.0f, 0.5f);
        }
        y = panel->list.bottom;
    }
    if (spec->hasField) {
        y -= 0.03f;
        Widget *field =
            AddWidget(panel, kFieldIdentifier, kWidgetTextInput, left + 0.012f, y, spec->fieldText, 18, 0.0f, 1.0f);
        float height = WidgetControllerLineHeight(field);
        WidgetSetBounds(field, left + 0.012f, y - height, right - 0.012f, y);
        panel->field = Rect4f{left, y - height, right, y};
        if (WidgetFocus(field)) {
            WidgetTextRec *rec = WidgetGetTextRec(field);
            rec->anchor = 0;
            rec->caret = int32_t(std::strlen(rec->text));
        }
        y -= height;
    }
    y -= 0.05f;
    // The buttons from the right edge leftwards, the first rightmost.
    float x = right;
    float bottom = y - 0.075f;
    for (const auto &[identifier, label] : spec->buttons) {
        Widget *button =
            AddWidget(panel, identifier, kWidgetPushButton, x, bottom, label, kButtonFontSize, 1.0f, 0.0f);
        CallbackControllerInstallCallback(WidgetGetCallbackController(button), kWidgetCallbackClicked, ButtonClicked,
                                          panel);
        // A label longer than the button's usual width widens it.
        Rect4f b = WidgetGetBounds(button);
        WidgetTextRec *rec = WidgetGetTextRec(button);
        float needed = rec ? float(rec->textWidth) / kWidgetPixelsPerUnit + 0.06f : 0.0f;
        if (needed > b.right - b.left)
            WidgetSetBounds(button, b.right - needed, b.bottom, b.right, b.top);
        x = WidgetGetBounds(button).left - 0.04f;
    }
    panel->frame.bottom = bottom - kMargin;
    panel->selected = -1;
    ShowRows(panel);
    if (Usable(panel, spec->selected))
        Select(panel, spec->selected);
    else
        SelectStep(panel, 1);
}

void Outline(float left, float bottom, float right, float top)
{
    glBegin(GL_LINE_LOOP);
    glVertex2f(left, bottom);
    glVertex2f(right, bottom);
    glVertex2f(right, top);
    glVertex2f(left, top);
    glEnd();
}

void Draw(Panel *panel)
{
    OpenGLWindow *window = panel->window;
    float ratio = OpenGLWindowGetRatio(window);
    ShaderDisable();
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT | GL_LINE_BIT | GL_TEXTURE_BIT);
    OpenGLWindowSetUpViewport(window);
    ModeBeginOverlay(window);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ModeDrawBackground(window);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0, 0, 0, 0.4f);
    ModeDrawQuad(-ratio, -1, ratio, 1);
    const Rect4f &p = panel->frame;
    glColor4f(0.93f, 0.93f, 0.93f, 1);
    ModeDrawQuad(p.left, p.bottom, p.right, p.top);
    glColor4f(0.45f, 0.45f, 0.5f, 1);
    glLineWidth(1.0f);
    Outline(p.left, p.bottom, p.right, p.top);
    if (!panel->spec->rows.empty()) {
        const Rect4f &l = panel->list;
        glColor4f(1, 1, 1, 1);
        ModeDrawQuad(l.left, l.bottom, l.right, l.top);
        int32_t row = panel->selected - panel->scroll;
        if (panel->selected >= 0 && row >= 0 && row < kListPanelVisibleRows) {
            float r, g, b, a;
            getTextHighlightColor(&r, &g, &b, &a);
            glColor4f(r, g, b, 1);
            ModeDrawQuad(l.left, l.top - float(row + 1) * kRowHeight, l.right, l.top - float(row) * kRowHeight);
        }
        if (Widget *bar = WidgetControllerGetWidgetByIdentifier(panel->widgets, kScrollBarIdentifier)) {
            Rect4f b = WidgetGetBounds(bar);
            glColor4f(0.62f, 0.64f, 0.7f, 1);
            ModeDrawQuad(b.left, b.bottom, b.right, b.top);
        }
        glColor4f(0.3f, 0.45f, 0.9f, 1);
        Outline(l.left, l.bottom, l.right, l.top);
    }
    if (panel->spec->hasField) {
        const Rect4f &f = panel->field;
        glColor4f(1, 1, 1, 1);
        ModeDrawQuad(f.left, f.bottom, f.right, f.top);
    }
    WidgetControllerDraw(panel->widgets);
    ModeEndOverlay();
    glPopAttrib();
    glColor4f(1, 1, 1, 1);
    OpenGLWindowSwapBuffers(window);
    panel->dirty = false;
}

void ClickList(Panel *panel, Point2f p, double time)
{
    const Rect4f &l = panel->list;
    if (p.x < l.left || p.x > l.right || p.y < l.bottom || p.y > l.top)
        return;
    int32_t index = panel->scroll + int32_t(std::floor((l.top - p.y) / kRowHeight));
    if (!Usable(panel, index))
        return;
    bool twice = index == panel->lastClickRow && time - panel->lastClickTime <= kDoubleClickTime;
    Select(panel, index);
    panel->lastClickRow = twice ? -1 : index;
    panel->lastClickTime = time;
    if (twice)
        Finish(panel, panel->spec->buttons.front().first);
}

const int32_t kTakenKinds[] = {kEventCommandProcess, kEventRawKeyDown, kEventRawKeyRepeat, kEventRawKeyUp,
                               kEventRawKeyModifiersChanged, kEventMouseDown, kEventMouseUp, kEventMouseMoved,
                               kEventMouseDragged, kEventWindowClose, kEventWindowDrawContent,
                               kEventWindowBoundsChanged, kEventWindowExpanding};

bool EventHandler(const PlatformEvent *event, void *context)
{
    Panel *panel = static_cast<Panel *>(context);
    switch (event->kind) {
    case kEventCommandProcess:
        // Quitting (a signal, the window closed) cancels the panel; the
        // request is posted again once it is gone.
        if (event->command == 'quit') {
            panel->quitPending = true;
            Finish(panel, panel->spec->buttons.back().first);
        }
        return true;
    case kEventWindowClose:
        panel->quitPending = true;
        Finish(panel, panel->spec->buttons.back().first);
        return true;
    case kEventWindowDrawContent:
    case kEventWindowBoundsChanged:
    case kEventWindowExpanding: panel->dirty = true; return false;
    case kEventRawKeyDown:
    case kEventRawKeyRepeat:
    case kEventRawKeyUp: {
        if (panel->answered || (event->modifiers & kModifierControl))
            return true;
        uint8_t c = event->charCode;
        bool down = event->kind == kEventRawKeyDown;
        bool press = down || event->kind == kEventRawKeyRepeat;
        if (down && (c == 13 || c == 3))
            Finish(panel, panel->spec->buttons.front().first);
        else if (down && c == 27)
            Finish(panel, panel->spec->buttons.back().first);
        else if (press && (c == 30 || c == 31))
            SelectStep(panel, c == 30 ? -1 : 1);
        else
            WidgetControllerEventHandler(event, panel->widgets);
        panel->dirty = true;
        return true;
    }
    case kEventMouseDown:
    case kEventMouseUp:
    case kEventMouseMoved:
    case kEventMouseDragged:
        if (panel->answered)
            return true;
        if (event->button > 1 && event->kind != kEventMouseMoved && event->kind != kEventMouseDragged)
            return true;
        WidgetControllerEventHandler(event, panel->widgets);
        if (!panel->answered && event->kind == kEventMouseDown)
            ClickList(panel, WidgetControllerConvertMouse(panel->widgets, event->mouse), event->time);
        panel->dirty = true;
        return true;
    default: return true;
    }
}

void Tick(PlatformTimerRef, void *context)
{
    Panel *panel = static_cast<Panel *>(context);
    double now = PlatformGetEventTime();
    double seconds = std::clamp(now - panel->lastTick, 0.0, 1.0);
    panel->lastTick = now;
    WidgetControllerRun(panel->widgets, float(seconds));
    if (panel->spec->hasField)
        panel->dirty = true; // the caret blinks
    if (panel->dirty && !panel->answered)
        Draw(panel);
}

} // namespace

ListPanelAnswer ListPanelRun(const ListPanelSpec &spec)
{
    ListPanelAnswer cancel{spec.buttons.empty() ? 0 : spec.buttons.back().first, -1, spec.fieldText};
    if (!scripted.empty()) {
        ListPanelAnswer answer = scripted.front();
        scripted.pop_front();
        if (observer)
            observer(&spec, observerContext);
        return answer;
    }
    Controller *controller = ControllerGetMainController();
    OpenGLWindow *window = controller ? ControllerGetMainWindow(controller) : nullptr;
    if (!window || spec.buttons.empty() || panelUp)
        return cancel;
    panelUp = true;
    // The mode below stands still while the panel is up (a game does not
    // run on under it).
    ControllerSuspend(controller);
    Panel panel{};
    panel.spec = &spec;
    panel.window = window;
    panel.lastClickRow = -1;
    panel.widgets = WidgetControllerAllocate(window);
    // The panel hands the events to its widgets itself.
    WidgetControllerFreeze(panel.widgets);
    Build(&panel);
    bool cursorWasVisible = PlatformIsCursorVisible();
    PlatformShowCursor();
    Draw(&panel);
    panel.handler = PlatformInstallEventHandler(kTargetWindow, kTakenKinds, int32_t(std::size(kTakenKinds)),
                                                EventHandler, &panel);
    panel.lastTick = PlatformGetEventTime();
    panel.timer = PlatformInstallTimer(kTickInterval, kTickInterval, Tick, &panel);
    shownPanel = &panel;
    if (observer)
        observer(&spec, observerContext);
    PlatformRunModalDialogLoop();
    shownPanel = nullptr;
    PlatformRemoveTimer(panel.timer);
    PlatformRemoveEventHandler(panel.handler);
    ListPanelAnswer answer = panel.answered ? panel.answer : cancel;
    WidgetControllerDispose(panel.widgets);
    if (!cursorWasVisible)
        PlatformHideCursor();
    panelUp = false;
    ControllerResume(controller);
    ControllerRedraw(controller);
    if (panel.quitPending)
        PlatformPostCommandEvent('quit');
    return answer;
}

Point2f ListPanelRowCentre(int32_t row)
{
    if (!shownPanel)
        return Point2f{9, 9};
    const Rect4f &l = shownPanel->list;
    return Point2f{(l.left + l.right) / 2, l.top - (float(row - shownPanel->scroll) + 0.5f) * kRowHeight};
}

void ListPanelQueueScriptedAnswer(FourCharCode button, int32_t row, const std::string &text)
{
    scripted.push_back(ListPanelAnswer{button, row, text});
}

void ListPanelClearScriptedAnswers()
{
    scripted.clear();
}

void ListPanelSetObserver(ListPanelObserver newObserver, void *context)
{
    observer = newObserver;
    observerContext = context;
}
