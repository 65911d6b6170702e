#include "LevelCheckPanel.h"

#include "CallbackController.h"
#include "Controller.h"
#include "ModeSupport.h"
#include "OpenGLWindow.h"
#include "Widget.h"
#include "WidgetController.h"

#include <GL/gl.h>

#include <algorithm>
#include <string>

namespace {

// Layout, in overlay units from the window's left edge at x = -1.
constexpr float kLeft = -0.97f, kRight = 0.75f, kTop = 0.95f;
constexpr float kMargin = 0.03f, kRowHeight = 0.085f;
constexpr int32_t kTitleFontSize = 14, kRowFontSize = 11;

OpenGLWindow *PanelWindow()
{
    Controller *controller = ControllerGetMainController();
    return controller ? ControllerGetMainWindow(controller) : nullptr;
}

// Draws everything from x = -1 at the window's left edge, whatever its shape.
float Offset(WidgetController *widgets)
{
    float ratio = (widgets && widgets->window) ? OpenGLWindowGetRatio(widgets->window) : 1.0f;
    return 1.0f - ratio;
}

Widget *Add(LevelCheckPanel *panel, FourCharCode identifier, int32_t kind, float x, float y, const std::string &text,
            int32_t fontSize, float originX, float originY)
{
    Widget *widget = WidgetAllocate(panel->widgets, identifier, kind, x, y);
    WidgetSetFontSize(widget, fontSize);
    WidgetSetText(widget, text.c_str());
    WidgetSetOrigin(widget, originX, originY);
    WidgetSetTextColor(widget, 1, 1, 1, 1);
    WidgetControllerAddWidget(panel->widgets, widget);
    return widget;
}

int32_t ButtonClicked(void *context, void *sender)
{
    LevelCheckPanel *panel = static_cast<LevelCheckPanel *>(context);
    FourCharCode identifier = static_cast<Widget *>(sender)->identifier;
    if (identifier == kLevelCheckClose) {
        // The widgets are busy with this click: they are only hidden here.
        panel->visible = false;
        for (int32_t i = 0; i < WidgetControllerNumberOfWidgets(panel->widgets); i++)
            WidgetSetVisible(WidgetControllerWidgetAtIndex(panel->widgets, i), false);
        return 1;
    }
    for (int32_t row = 0; row < kLevelCheckPanelRows; row++)
        if (identifier == LevelCheckGoToIdentifier(row))
            LevelCheckPanelGoTo(panel, row);
    return 1;
}

Widget *AddButton(LevelCheckPanel *panel, FourCharCode identifier, float x, float y, const char *label,
                  float originX)
{
    Widget *button = Add(panel, identifier, kWidgetPushButton, x, y, label, kRowFontSize, originX, 0.5f);
    WidgetSetTextColor(button, 0, 0, 0, 1);
    CallbackControllerInstallCallback(WidgetGetCallbackController(button), kWidgetCallbackClicked, ButtonClicked,
                                      panel);
    return button;
}

float Bottom(const LevelCheckPanel *panel)
{
    int32_t rows = std::min<int32_t>(int32_t(panel->findings.size()), kLevelCheckPanelRows);
    int32_t more = int32_t(panel->findings.size()) > kLevelCheckPanelRows ? 1 : 0;
    return kTop - kMargin - 0.07f - kRowHeight * float(std::max(rows, 1) + more) - 0.1f;
}

} // namespace

LevelCheckPanel *LevelCheckPanelAllocate(LevelCheckGoTo goTo, void *context)
{
    LevelCheckPanel *panel = new LevelCheckPanel{};
    panel->goTo = goTo;
    panel->context = context;
    return panel;
}

void LevelCheckPanelDispose(LevelCheckPanel *panel)
{
    if (!panel)
        return;
    WidgetControllerDispose(panel->widgets);
    delete panel;
}

void LevelCheckPanelShow(LevelCheckPanel *panel, const std::vector<LevelFinding> &findings)
{
    OpenGLWindow *window = PanelWindow();
    if (!panel || !window)
        return;
    WidgetControllerDispose(panel->widgets);
    panel->widgets = WidgetControllerAllocate(window);
    if (panel->frozen)
        WidgetControllerFreeze(panel->widgets);
    panel->findings = findings;
    panel->visible = true;

    float left = kLeft + kMargin, right = kRight - kMargin, y = kTop - kMargin;
    std::string title = findings.empty()        ? std::string("Level check")
                        : findings.size() == 1 ? std::string("Level check: 1 problem")
                                                : "Level check: " + std::to_string(findings.size()) + " problems";
    Add(panel, kLevelCheckTitle, kWidgetStaticText, left, y, title, kTitleFontSize, 0.0f, 1.0f);
    y -= 0.07f;
    float textLeft = left; // right of the "Go to" buttons
    if (findings.empty()) {
        Add(panel, LevelCheckMessageIdentifier(0), kWidgetStaticText, left, y - kRowHeight * 0.5f,
            "No problems found.", kRowFontSize, 0.0f, 0.5f);
        y -= kRowHeight;
    }
    for (int32_t row = 0; row < kLevelCheckPanelRows && size_t(row) < findings.size(); row++) {
        float middle = y - kRowHeight * 0.5f;
        Widget *button = AddButton(panel, LevelCheckGoToIdentifier(row), left, middle, "Go to", 0.0f);
        textLeft = WidgetGetBounds(button).right + 0.03f;
        Add(panel, LevelCheckMessageIdentifier(row), kWidgetStaticText, textLeft, middle,
            findings[size_t(row)].message, kRowFontSize, 0.0f, 0.5f);
        y -= kRowHeight;
    }
    if (int32_t(findings.size()) > kLevelCheckPanelRows) {
        Add(panel, kLevelCheckMore, kWidgetStaticText, textLeft, y - kRowHeight * 0.5f,
            "... and " + std::to_string(findings.size() - size_t(kLevelCheckPanelRows)) + " more.", kRowFontSize,
            0.0f, 0.5f);
        y -= kRowHeight;
    }
    AddButton(panel, kLevelCheckClose, right, y - 0.05f, "Close", 1.0f);
    WidgetControllerSetOffset(panel->widgets, Offset(panel->widgets), 0.0f);
}

void LevelCheckPanelHide(LevelCheckPanel *panel)
{
    if (!panel)
        return;
    WidgetControllerDispose(panel->widgets);
    panel->widgets = nullptr;
    panel->visible = false;
}

bool LevelCheckPanelIsVisible(const LevelCheckPanel *panel)
{
    return panel && panel->visible;
}

void LevelCheckPanelGoTo(LevelCheckPanel *panel, int32_t row)
{
    if (!panel || row < 0 || size_t(row) >= panel->findings.size() || !panel->goTo)
        return;
    panel->goTo(panel->context, panel->findings[size_t(row)].cell);
}

void LevelCheckPanelFreeze(LevelCheckPanel *panel)
{
    if (!panel || panel->frozen)
        return;
    panel->frozen = true;
    if (panel->widgets)
        WidgetControllerFreeze(panel->widgets);
}

void LevelCheckPanelDefrost(LevelCheckPanel *panel)
{
    if (!panel || !panel->frozen)
        return;
    panel->frozen = false;
    if (panel->widgets)
        WidgetControllerDefrost(panel->widgets);
}

void LevelCheckPanelDraw(LevelCheckPanel *panel)
{
    if (!panel || !panel->visible || !panel->widgets)
        return;
    float offset = Offset(panel->widgets);
    ModeBeginOverlay(panel->widgets->window);
    glTranslatef(offset, 0.0f, 0.0f);
    glEnable(GL_BLEND);
    glColor4f(0.15f, 0.05f, 0.0f, 0.75f);
    ModeDrawQuad(kLeft, Bottom(panel), kRight, kTop);
    glColor4f(1, 1, 1, 1);
    ModeEndOverlay();
    WidgetControllerSetOffset(panel->widgets, offset, 0.0f);
    WidgetControllerDraw(panel->widgets);
}
