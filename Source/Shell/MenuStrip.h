// The menu bar as the program draws it: a strip along the top of the window
// with the titles of the menus of the menu-bar description, opened with the
// mouse, each item showing its key equivalent and its enabled state as the
// controller sets it, and posting its command code when chosen.
//
// In a window the strip always shows.  In full screen it stays out of the
// way of play: it slides in while the mouse is at the top edge of the screen
// and slides out again once the mouse leaves it with no menu open.
#pragma once

#include "Events.h"
#include "Types.h"

#include <cstdint>
#include <vector>

struct OpenGLWindow;
struct Widget;
struct WidgetController;

// Height of the strip in overlay units.
constexpr float kMenuStripHeight = 0.07f;
// Height of one row of an open menu.
constexpr float kMenuStripRowHeight = 0.065f;

struct MenuStripItem {
    FourCharCode command; // 0 for a separator
    Widget *label;        // null for a separator
    Widget *keyLabel;     // null without a key equivalent
    float top, bottom;    // the row in overlay units
};

struct MenuStripMenu {
    Widget *title;
    float panelWidth;
    std::vector<MenuStripItem> items;
};

struct MenuStrip {
    OpenGLWindow *window;
    WidgetController *widgets; // the titles and item texts; draws only
    PlatformEventHandlerRef handler;
    std::vector<MenuStripMenu> menus;
    int32_t openMenu;        // -1 when none is open
    int32_t highlightedItem; // in the open menu; -1 for none
    bool revealed;           // full screen: the mouse brought the strip in
    bool cursorShown;        // the strip showed a hidden cursor
    float reveal;            // 0 (out of sight) to 1 (shown)
    double lastDrawTime;
};

// Builds the strip from the loaded menu-bar description and starts taking
// mouse events on the window.
MenuStrip *MenuStripAllocate(OpenGLWindow *window);
void MenuStripDispose(MenuStrip *strip);
// Draws the strip (and an open menu) over the current frame.
void MenuStripDraw(MenuStrip *strip);
// The frame overlay of the controller: context is the strip.
void MenuStripDrawOverlay(void *context);
// Whether the strip is meant to show now (it may still be sliding).
bool MenuStripIsShown(MenuStrip *strip);
// Takes every item's enabled state from the menu bar.
void MenuStripSync(MenuStrip *strip);
void MenuStripOpen(MenuStrip *strip, int32_t menu);
void MenuStripClose(MenuStrip *strip);
// The text widget of the first item carrying the command, or null.
Widget *MenuStripItemWidget(MenuStrip *strip, FourCharCode command);
// The text of a key equivalent: "Ctrl+Q", "Shift+Ctrl+S".
void MenuStripKeyText(uint8_t character, uint32_t modifiers, char *out, int32_t size);
bool MenuStripEventHandler(const PlatformEvent *event, void *context);
