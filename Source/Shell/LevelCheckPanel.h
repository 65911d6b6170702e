// The small list of a level check's findings, drawn over the left of the
// editor's view: a line per finding with a "Go to" button that moves the
// editor's cursor to its cell, and "Close".  It never blocks anything: the
// editor goes on working (and saving, and test-playing) while it shows.
#pragma once

#include "LevelChecks.h"
#include "Types.h"

#include <vector>

struct WidgetController;

// Called by "Go to" with the finding's cell.
typedef void (*LevelCheckGoTo)(void *context, const int32_t cell[3]);

struct LevelCheckPanel {
    WidgetController *widgets; // while shown, else null
    std::vector<LevelFinding> findings;
    bool visible;
    bool frozen;
    LevelCheckGoTo goTo;
    void *context;
};

// The most findings listed; a line tells how many more there are.
constexpr int32_t kLevelCheckPanelRows = 6;

constexpr FourCharCode kLevelCheckTitle = 'LCTt';
constexpr FourCharCode kLevelCheckMore = 'LCMr';
constexpr FourCharCode kLevelCheckClose = 'LCCl';
constexpr FourCharCode LevelCheckMessageIdentifier(int32_t row) { return 'LCM0' + FourCharCode(row); }
constexpr FourCharCode LevelCheckGoToIdentifier(int32_t row) { return 'LCG0' + FourCharCode(row); }

LevelCheckPanel *LevelCheckPanelAllocate(LevelCheckGoTo goTo, void *context);
void LevelCheckPanelDispose(LevelCheckPanel *panel);
// Shows the findings (replacing what was shown) in the main window; an empty
// list shows "No problems found.".
void LevelCheckPanelShow(LevelCheckPanel *panel, const std::vector<LevelFinding> &findings);
void LevelCheckPanelHide(LevelCheckPanel *panel);
bool LevelCheckPanelIsVisible(const LevelCheckPanel *panel);
// What "Go to" of the row does.
void LevelCheckPanelGoTo(LevelCheckPanel *panel, int32_t row);
void LevelCheckPanelFreeze(LevelCheckPanel *panel);
void LevelCheckPanelDefrost(LevelCheckPanel *panel);
void LevelCheckPanelDraw(LevelCheckPanel *panel);
