// A modal panel in the main window: a title, a few lines of text, an
// optional list of rows in columns, an optional text field and a row of
// buttons.  It runs a nested modal loop until a button is pressed.  Arrows
// move the selection over the rows that can be chosen, Return presses the
// first button, Escape the last; a click selects a row and a double click
// presses the first button.  While it is up it takes every key, click and
// command; a request to quit (or closing the window) presses the last button
// and is posted again once the panel is gone.  A panel that no input can reach any more (the headless platform
// with nothing left injected) counts as the last button (cancel).
#pragma once

#include "Types.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct WidgetController;

struct ListPanelSpec {
    std::string title;
    std::vector<std::string> lines;            // text under the title
    std::vector<std::vector<std::string>> rows; // the list; no list without rows
    std::vector<bool> rowEnabled;              // missing entries: enabled
    std::vector<float> columns;                // left edge of each column, 0 to 1 of the list's width
    int32_t selected = -1;                     // the row selected first
    bool selectable = true;                    // false: the rows are only shown
    bool hasField = false;                     // a text field under the list
    std::string fieldText;
    // The buttons, left to right as read: the first is pressed by Return,
    // the last by Escape.  At least one.
    std::vector<std::pair<FourCharCode, std::string>> buttons;
};

struct ListPanelAnswer {
    FourCharCode button; // the button pressed
    int32_t row;         // the row selected then, -1 none
    std::string text;    // the field's text
};

constexpr int32_t kListPanelVisibleRows = 10;

ListPanelAnswer ListPanelRun(const ListPanelSpec &spec);

// Test scripting: answers that the next panels take instead of being shown.
void ListPanelQueueScriptedAnswer(FourCharCode button, int32_t row = -1, const std::string &text = "");
void ListPanelClearScriptedAnswers();
// Called with the panel's widgets and spec each time one comes up (tests).
typedef void (*ListPanelObserver)(const ListPanelSpec *spec, void *context);
void ListPanelSetObserver(ListPanelObserver observer, void *context);
// The centre of a visible row of the panel that is up, in overlay units;
// (9, 9) without one.
Point2f ListPanelRowCentre(int32_t row);
