// Screens of buttons and check boxes worked with a game controller: the
// d-pad moves a highlight from one control to the next, A presses the one
// highlighted, B goes back.  Screens that want it keep a PadNavigation over
// their widgets, put it in force while they are on top, and draw its
// highlight.  Where no screen is in force (the file dialogs), the d-pad, A
// and B reach the program as the arrows, Return and Escape.
#pragma once

#include "Events.h"

#include <cstdint>

struct WidgetController;

struct PadNavigation {
    WidgetController *widgets;
    int32_t focus;         // index of the highlighted widget, -1 none yet
    void (*back)(void *);  // B; null does nothing
    void *backContext;
    bool modal; // a screen of its own modal loop: in force there too
};

enum : int32_t {
    kPadNavigationIgnored = 0,
    kPadNavigationMoved = 1,
    kPadNavigationPressed = 2,
    kPadNavigationBack = 3,
};

// A pad event on the screen: what it did.  The d-pad moves down or right to
// the next visible, enabled button or check box (up or left to the one
// before), wrapping round; A presses the highlighted one as a click would.
int32_t PadNavigationHandleEvent(PadNavigation *navigation, const PlatformEvent *event);
// The highlighted widget, or null.
struct Widget *PadNavigationFocusedWidget(PadNavigation *navigation);
// Outlines the highlighted widget; call inside the overlay.
void PadNavigationDraw(PadNavigation *navigation);

// The screens whose navigation takes the pad: the one set last that is
// still there is in force.  A screen sets its own when it comes up and
// clears it when it goes away.
void PadNavigationSetCurrent(PadNavigation *navigation);
void PadNavigationClearCurrent(PadNavigation *navigation);
PadNavigation *PadNavigationGetCurrent();

// Installs the application handler that gives pad buttons to the screen in
// force, or turns them into keys where there is none.  Modes that take the
// pad themselves (the game, the editor) see it first.
void PadNavigationStartUp();
void PadNavigationShutDown();
