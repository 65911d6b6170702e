#include "MenuStrip.h"

#include "Controller.h"
#include "MenuBar.h"
#include "ModeSupport.h"
#include "OpenGLWindow.h"
#include "Shader.h"
#include "Widget.h"
#include "WidgetController.h"

#include <GL/gl.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>

namespace {

constexpr int32_t kFontSize = 14;
constexpr float kTitleGap = 0.06f;   // between two titles
constexpr float kTitlePad = 0.02f;   // around a title's text
constexpr float kPanelPad = 0.03f;   // inside an open menu
constexpr float kKeyGap = 0.12f;     // between an item's text and its key
constexpr float kMinPanelWidth = 0.35f;
constexpr float kRevealZone = 0.02f; // full screen: how near the top edge the mouse brings the strip
constexpr float kSlideSpeed = 8.0f;  // reveal per second

const float kStripTop = 1.0f;
const float kStripBottom = 1.0f - kMenuStripHeight;

Widget *AddText(WidgetController *widgets, const std::string &text, float ox)
{
    Widget *widget = WidgetAllocate(widgets, 0, kWidgetStaticText, 0, 0);
    WidgetSetText(widget, text.c_str());
    WidgetSetFontSize(widget, kFontSize);
    WidgetSetOrigin(widget, ox, 0.5f);
    WidgetControllerAddWidget(widgets, widget);
    return widget;
}

// Places a widget for a window ratio of 1 and anchors it to the left edge.
void Place(WidgetController *widgets, Widget *widget, float x, float y)
{
    WidgetSetLocation(widget, x, y);
    WidgetControllerSetWidgetRelativity(widgets, widget, kWidgetRelativeLeft);
}

float TextWidth(Widget *widget)
{
    Rect4f b = WidgetGetBounds(widget);
    return b.right - b.left;
}

float PanelLeft(const MenuStripMenu &menu)
{
    return WidgetGetBounds(menu.title).left - kTitlePad;
}

bool FullScreen(MenuStrip *strip)
{
    return strip->window && OpenGLWindowIsFullScreen(strip->window);
}

const PlatformMenuItem *BarItem(int32_t menu, int32_t item)
{
    const std::vector<PlatformMenu> &bar = PlatformMenuBarGetMenus();
    if (menu < 0 || size_t(menu) >= bar.size() || item < 0 || size_t(item) >= bar[size_t(menu)].items.size())
        return nullptr;
    return &bar[size_t(menu)].items[size_t(item)];
}

bool ItemEnabled(MenuStrip *strip, int32_t menu, int32_t item)
{
    if (menu < 0 || size_t(menu) >= strip->menus.size() || item < 0 ||
        size_t(item) >= strip->menus[size_t(menu)].items.size())
        return false;
    const MenuStripItem &entry = strip->menus[size_t(menu)].items[size_t(item)];
    const PlatformMenuItem *barItem = BarItem(menu, item);
    return entry.command != 0 && barItem && barItem->command == entry.command && barItem->enabled;
}

int32_t TitleAt(MenuStrip *strip, Point2f p)
{
    if (p.y < kStripBottom || p.y > kStripTop)
        return -1;
    for (size_t i = 0; i < strip->menus.size(); i++) {
        Rect4f b = WidgetGetBounds(strip->menus[i].title);
        if (p.x >= b.left - kTitlePad && p.x <= b.right + kTitlePad)
            return int32_t(i);
    }
    return -1;
}

// The row of the open menu under the point (separators included), or -1.
int32_t ItemAt(MenuStrip *strip, Point2f p)
{
    if (strip->openMenu < 0)
        return -1;
    const MenuStripMenu &menu = strip->menus[size_t(strip->openMenu)];
    float left = PanelLeft(menu);
    if (p.x < left || p.x > left + menu.panelWidth)
        return -1;
    for (size_t i = 0; i < menu.items.size(); i++)
        if (p.y <= menu.items[i].top && p.y >= menu.items[i].bottom)
            return int32_t(i);
    return -1;
}

void Choose(MenuStrip *strip, int32_t item)
{
    if (!ItemEnabled(strip, strip->openMenu, item))
        return;
    FourCharCode command = strip->menus[size_t(strip->openMenu)].items[size_t(item)].command;
    MenuStripClose(strip);
    PlatformPostCommandEvent(command);
}

// Moves the highlight to the next enabled item up or down.
void Step(MenuStrip *strip, int32_t direction)
{
    int32_t count = int32_t(strip->menus[size_t(strip->openMenu)].items.size());
    int32_t at = strip->highlightedItem;
    for (int32_t n = 0; n < count; n++) {
        at = at < 0 ? (direction > 0 ? 0 : count - 1) : (at + direction + count) % count;
        if (ItemEnabled(strip, strip->openMenu, at)) {
            strip->highlightedItem = at;
            return;
        }
    }
}

void ShowCursorForStrip(MenuStrip *strip)
{
    if (!PlatformIsCursorVisible()) {
        PlatformShowCursor();
        strip->cursorShown = true;
    }
}

// Gives the cursor back to the game when the strip showed it over play.
void RestoreCursor(MenuStrip *strip)
{
    if (!strip->cursorShown)
        return;
    strip->cursorShown = false;
    Controller *controller = ControllerGetMainController();
    if (controller && ControllerGetTopMode(controller) == ModeGame && FullScreen(strip))
        PlatformHideCursor();
}

// Most modes draw every tick; a mode kind that has no object of its own
// draws nothing, so the strip presents a frame itself.
void Refresh(MenuStrip *strip)
{
    Controller *controller = ControllerGetMainController();
    if (!controller || ControllerGetMainWindow(controller) != strip->window)
        return;
    int32_t top = ControllerGetTopMode(controller);
    if (top != 0 && ControllerGetModeObject(controller, top))
        return;
    strip->reveal = MenuStripIsShown(strip) ? 1.0f : 0.0f;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ControllerSwapGLBuffers(controller);
}

void Line(float x0, float y0, float x1, float y1)
{
    glBegin(GL_LINES);
    glVertex2f(x0, y0);
    glVertex2f(x1, y1);
    glEnd();
}

bool HandleMouse(MenuStrip *strip, const PlatformEvent *event)
{
    Point2f p = WidgetControllerConvertMouse(strip->widgets, event->mouse);
    float rawY = p.y + strip->widgets->offset.y;
    bool changed = false;
    bool taken = false;
    switch (event->kind) {
    case kEventMouseMoved:
    case kEventMouseDragged:
        if (FullScreen(strip)) {
            if (!strip->revealed && rawY >= kStripTop - kRevealZone) {
                strip->revealed = true;
                ShowCursorForStrip(strip);
                changed = true;
            } else if (strip->revealed && strip->openMenu < 0 && rawY < kStripBottom - kRevealZone) {
                strip->revealed = false;
                RestoreCursor(strip);
                changed = true;
            }
        }
        if (strip->openMenu >= 0) {
            int32_t title = TitleAt(strip, p);
            if (title >= 0 && title != strip->openMenu) {
                MenuStripOpen(strip, title);
                changed = true;
            }
            int32_t item = ItemAt(strip, p);
            int32_t highlighted = ItemEnabled(strip, strip->openMenu, item) ? item : -1;
            if (highlighted != strip->highlightedItem) {
                strip->highlightedItem = highlighted;
                changed = true;
            }
        }
        break;
    case kEventMouseDown:
        if (strip->openMenu >= 0) {
            int32_t title = TitleAt(strip, p);
            if (title == strip->openMenu)
                MenuStripClose(strip);
            else if (title >= 0)
                MenuStripOpen(strip, title);
            else if (ItemAt(strip, p) < 0)
                MenuStripClose(strip);
            changed = taken = true;
        } else if (MenuStripIsShown(strip) && p.y >= kStripBottom && p.y <= kStripTop) {
            int32_t title = TitleAt(strip, p);
            if (title >= 0)
                MenuStripOpen(strip, title);
            changed = taken = true;
        }
        break;
    case kEventMouseUp:
        if (strip->openMenu >= 0) {
            int32_t item = ItemAt(strip, p);
            if (item >= 0)
                Choose(strip, item);
            changed = taken = true;
        } else if (MenuStripIsShown(strip) && p.y >= kStripBottom && p.y <= kStripTop) {
            taken = true;
        }
        break;
    default: break;
    }
    if (changed)
        Refresh(strip);
    return taken;
}

bool HandleKey(MenuStrip *strip, const PlatformEvent *event)
{
    if (strip->openMenu < 0)
        return false;
    if (event->modifiers & kModifierControl) {
        // A menu equivalent: the menu gets out of the way and the key goes on.
        MenuStripClose(strip);
        Refresh(strip);
        return false;
    }
    if (event->kind != kEventRawKeyDown && event->kind != kEventRawKeyRepeat)
        return true;
    switch (event->charCode) {
    case 27: MenuStripClose(strip); break;
    case 30: Step(strip, -1); break;
    case 31: Step(strip, 1); break;
    case 28:
    case 29: {
        int32_t count = int32_t(strip->menus.size());
        MenuStripOpen(strip, (strip->openMenu + (event->charCode == 28 ? count - 1 : 1)) % count);
        break;
    }
    case 3:
    case 13: Choose(strip, strip->highlightedItem); break;
    default: break;
    }
    Refresh(strip);
    return true;
}

} // namespace

void MenuStripKeyText(uint8_t character, uint32_t modifiers, char *out, int32_t size)
{
    if (!out || size <= 0)
        return;
    out[0] = 0;
    if (character == 0)
        return;
    std::string text;
    if (modifiers & kModifierShift)
        text += "Shift+";
    if (modifiers & kModifierAlt)
        text += "Alt+";
    if (modifiers & kModifierControl)
        text += "Ctrl+";
    text += char(std::toupper(character));
    std::snprintf(out, size_t(size), "%s", text.c_str());
}

MenuStrip *MenuStripAllocate(OpenGLWindow *window)
{
    MenuStrip *strip = new MenuStrip{};
    strip->window = window;
    strip->openMenu = -1;
    strip->highlightedItem = -1;
    strip->reveal = 1.0f;
    strip->lastDrawTime = PlatformGetEventTime();
    strip->widgets = WidgetControllerAllocate(window);
    // The strip takes its events through its own handler on the window.
    WidgetControllerFreeze(strip->widgets);

    float x = -1.0f + kTitlePad + 0.01f;
    const float titleY = (kStripTop + kStripBottom) / 2.0f;
    for (const PlatformMenu &barMenu : PlatformMenuBarGetMenus()) {
        MenuStripMenu menu;
        menu.title = AddText(strip->widgets, barMenu.title, 0.0f);
        Place(strip->widgets, menu.title, x, titleY);
        float panelLeft = x - kTitlePad;
        x += TextWidth(menu.title) + kTitleGap;

        float widest = 0.0f;
        for (const PlatformMenuItem &barItem : barMenu.items) {
            MenuStripItem item{barItem.command, nullptr, nullptr, 0, 0};
            if (barItem.command != 0) {
                item.label = AddText(strip->widgets, barItem.title, 0.0f);
                char key[32];
                MenuStripKeyText(barItem.keyCharacter, barItem.keyModifiers, key, sizeof key);
                float width = TextWidth(item.label);
                if (key[0]) {
                    item.keyLabel = AddText(strip->widgets, key, 1.0f);
                    width += kKeyGap + TextWidth(item.keyLabel);
                }
                widest = std::max(widest, width);
            }
            menu.items.push_back(item);
        }
        menu.panelWidth = std::max(kMinPanelWidth, widest + 2 * kPanelPad);
        float top = kStripBottom;
        for (MenuStripItem &item : menu.items) {
            float height = item.command ? kMenuStripRowHeight : kMenuStripRowHeight / 2;
            item.top = top;
            item.bottom = top - height;
            top -= height;
            float middle = (item.top + item.bottom) / 2.0f;
            if (item.label) {
                Place(strip->widgets, item.label, panelLeft + kPanelPad, middle);
                WidgetSetVisible(item.label, false);
            }
            if (item.keyLabel) {
                Place(strip->widgets, item.keyLabel, panelLeft + menu.panelWidth - kPanelPad, middle);
                WidgetSetVisible(item.keyLabel, false);
            }
        }
        strip->menus.push_back(std::move(menu));
    }
    static const int32_t kinds[] = {kEventMouseDown,  kEventMouseUp,      kEventMouseMoved,
                                    kEventMouseDragged, kEventRawKeyDown, kEventRawKeyRepeat};
    strip->handler =
        PlatformInstallEventHandler(kTargetWindow, kinds, int32_t(std::size(kinds)), MenuStripEventHandler, strip);
    MenuStripSync(strip);
    return strip;
}

void MenuStripDispose(MenuStrip *strip)
{
    if (!strip)
        return;
    PlatformRemoveEventHandler(strip->handler);
    WidgetControllerDispose(strip->widgets);
    delete strip;
}

bool MenuStripIsShown(MenuStrip *strip)
{
    if (strip->menus.empty())
        return false;
    return !FullScreen(strip) || strip->revealed || strip->openMenu >= 0;
}

// Makes the open panel wide enough for an item whose title grew, keeping
// the key equivalents at its right edge.
static void WidenPanel(MenuStrip *strip, MenuStripMenu &menu, const MenuStripItem &item)
{
    float needed = TextWidth(item.label) + 2 * kPanelPad;
    if (item.keyLabel)
        needed += kKeyGap + TextWidth(item.keyLabel);
    if (needed <= menu.panelWidth)
        return;
    menu.panelWidth = needed;
    for (const MenuStripItem &other : menu.items)
        if (other.keyLabel)
            Place(strip->widgets, other.keyLabel, PanelLeft(menu) + menu.panelWidth - kPanelPad,
                  (other.top + other.bottom) / 2.0f);
}

void MenuStripSync(MenuStrip *strip)
{
    for (size_t m = 0; m < strip->menus.size(); m++) {
        MenuStripMenu &menu = strip->menus[m];
        bool open = int32_t(m) == strip->openMenu;
        WidgetSetTextColor(menu.title, open ? 1.0f : 0.0f, open ? 1.0f : 0.0f, open ? 1.0f : 0.0f, 1.0f);
        for (size_t i = 0; i < menu.items.size(); i++) {
            MenuStripItem &item = menu.items[i];
            bool enabled = ItemEnabled(strip, int32_t(m), int32_t(i));
            bool highlighted = open && int32_t(i) == strip->highlightedItem;
            // Items renamed since the strip was built ("Undo Place Blocks").
            if (item.label && open) {
                std::string title = PlatformGetMenuCommandTitle(item.command);
                const char *shown = WidgetGetText(item.label);
                if (!shown || title != shown) {
                    WidgetSetText(item.label, title.c_str());
                    WidgetUpdate(item.label, true);
                    WidenPanel(strip, menu, item);
                }
            }
            float shade = highlighted ? 1.0f : 0.0f;
            for (Widget *widget : {item.label, item.keyLabel}) {
                if (!widget)
                    continue;
                WidgetSetEnabled(widget, enabled);
                WidgetSetVisible(widget, open);
                WidgetSetTextColor(widget, shade, shade, shade, 1.0f);
            }
        }
    }
}

void MenuStripOpen(MenuStrip *strip, int32_t menu)
{
    if (menu < 0 || size_t(menu) >= strip->menus.size())
        return;
    strip->openMenu = menu;
    strip->highlightedItem = -1;
    MenuStripSync(strip);
}

void MenuStripClose(MenuStrip *strip)
{
    strip->openMenu = -1;
    strip->highlightedItem = -1;
    MenuStripSync(strip);
}

Widget *MenuStripItemWidget(MenuStrip *strip, FourCharCode command)
{
    for (const MenuStripMenu &menu : strip->menus)
        for (const MenuStripItem &item : menu.items)
            if (item.command == command)
                return item.label;
    return nullptr;
}

void MenuStripDraw(MenuStrip *strip)
{
    double now = PlatformGetEventTime();
    float elapsed = float(std::clamp(now - strip->lastDrawTime, 0.0, 0.1));
    strip->lastDrawTime = now;
    float target = MenuStripIsShown(strip) ? 1.0f : 0.0f;
    if (strip->reveal < target)
        strip->reveal = std::min(target, strip->reveal + elapsed * kSlideSpeed);
    else
        strip->reveal = std::max(target, strip->reveal - elapsed * kSlideSpeed);
    if (strip->reveal <= 0.0f || !strip->window)
        return;
    float offsetY = (1.0f - strip->reveal) * kMenuStripHeight;
    WidgetControllerSetOffset(strip->widgets, 0.0f, offsetY);
    MenuStripSync(strip);

    float ratio = OpenGLWindowGetRatio(strip->window);
    ModeBeginOverlay(strip->window);
    glTranslatef(0.0f, offsetY, 0.0f);
    ShaderDisable();

    glColor4f(0.93f, 0.93f, 0.95f, 0.97f);
    ModeDrawQuad(-ratio, kStripBottom, ratio, kStripTop);
    glColor4f(0.55f, 0.55f, 0.6f, 1.0f);
    Line(-ratio, kStripBottom, ratio, kStripBottom);
    if (strip->openMenu >= 0) {
        const MenuStripMenu &menu = strip->menus[size_t(strip->openMenu)];
        Rect4f title = WidgetGetBounds(menu.title);
        glColor4f(0.2f, 0.4f, 0.8f, 1.0f);
        ModeDrawQuad(title.left - kTitlePad, kStripBottom, title.right + kTitlePad, kStripTop);
        float left = PanelLeft(menu), right = left + menu.panelWidth;
        float bottom = menu.items.empty() ? kStripBottom : menu.items.back().bottom;
        glColor4f(0.98f, 0.98f, 0.98f, 0.98f);
        ModeDrawQuad(left, bottom, right, kStripBottom);
        for (size_t i = 0; i < menu.items.size(); i++) {
            const MenuStripItem &item = menu.items[i];
            if (int32_t(i) == strip->highlightedItem) {
                glColor4f(0.2f, 0.4f, 0.8f, 1.0f);
                ModeDrawQuad(left, item.bottom, right, item.top);
            } else if (item.command == 0) {
                glColor4f(0.75f, 0.75f, 0.78f, 1.0f);
                float middle = (item.top + item.bottom) / 2.0f;
                Line(left + kPanelPad / 2, middle, right - kPanelPad / 2, middle);
            }
        }
        glColor4f(0.45f, 0.45f, 0.5f, 1.0f);
        glBegin(GL_LINE_LOOP);
        glVertex2f(left, bottom);
        glVertex2f(right, bottom);
        glVertex2f(right, kStripBottom);
        glVertex2f(left, kStripBottom);
        glEnd();
    }
    glColor4f(1, 1, 1, 1);
    ModeEndOverlay();
    WidgetControllerDraw(strip->widgets);
}

void MenuStripDrawOverlay(void *context)
{
    MenuStripDraw(static_cast<MenuStrip *>(context));
}

bool MenuStripEventHandler(const PlatformEvent *event, void *context)
{
    MenuStrip *strip = static_cast<MenuStrip *>(context);
    if (strip->menus.empty())
        return false;
    switch (event->kind) {
    case kEventMouseDown:
    case kEventMouseUp:
    case kEventMouseMoved:
    case kEventMouseDragged: return HandleMouse(strip, event);
    case kEventRawKeyDown:
    case kEventRawKeyRepeat: return HandleKey(strip, event);
    default: return false;
    }
}
