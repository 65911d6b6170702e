#include "HelpOverlay.h"

#include "Bindings.h"
#include "Controller.h"
#include "Events.h"
#include "Keyboard.h"
#include "ModeSupport.h"
#include "OverlayText.h"

#include <GL/gl.h>

#include <algorithm>

namespace {

const std::vector<HelpBinding> kGameKeys = {
    {"Arrow keys", "run (forward, back, left, right, relative to the view)"},
    {"Shift (held)", "walk instead of run; walking never grabs ladders"},
    {"Space", "jump (twice as high with a feather); on a ladder, jump off"},
    {"Q", "use what is near you: switches, teleports"},
    {"A / D", "turn the view a step left / right"},
    {"W / S", "tilt the view up / down"},
    {"E / C", "zoom in / out"},
    {"Escape", "pause menu; Escape again resumes"},
    {"F1", "these keys and controls"},
    {"Pad: left stick / d-pad", "run (the stick's direction is taken as one of eight)"},
    {"Pad: A / X", "jump / use"},
    {"Pad: right stick", "turn and tilt the view"},
    {"Pad: right / left shoulder", "zoom in / out"},
    {"Pad: Start", "pause (unplugging the controller pauses too)"},
};

const std::vector<HelpBinding> kEditorKeys = {
    {"Arrow keys", "move the cursor, relative to the view (up is away from you)"},
    {"Q / Z", "move the cursor up / down"},
    {"Space (held)", "place a box of blocks from where space went down to the cursor; on a cell that already "
                     "holds the chosen type the box is cleared; a powerup type toggles the powerup in the cell"},
    {"Arrows while placing a ladder", "left / right turn the ladders across, up / down along"},
    {"Space with the player-start tool",
     "the cursor's cell becomes the start; arrows while space is held set the facing"},
    {"Alt + left / right", "level width − 1 / + 1"},
    {"Alt + up / down", "level depth + 1 / − 1"},
    {"Alt + Q / Z", "level height + 1 / − 1 (a level holds at most 32768 cells)"},
    {"A / D, W / S, E / C", "turn, tilt and zoom the view"},
    {"Shift + arrows, Shift + Q / Z", "span a selection box from the cursor (drawn translucent)"},
    {"Escape", "drop the selection"},
    {"Ctrl+Z / Shift+Ctrl+Z", "undo / redo"},
    {"Ctrl+X / Ctrl+C / Ctrl+V",
     "cut / copy the selection's blocks and powerups; paste them with the box's lowest corner at the cursor"},
    {"Ctrl+A", "select the whole level"},
    {"F1", "these keys and controls"},
    {"Pad: d-pad", "move the cursor"},
    {"Pad: right / left shoulder", "move the cursor up / down"},
    {"Pad: A (held)", "place a box of blocks"},
    {"Pad: right stick", "turn and tilt the view"},
    {"Pad: B", "the palette's tool and type: d-pad moves the mark, A takes it, B closes"},
};

constexpr int32_t kTextSize = 15;
constexpr int32_t kTitleSize = 26;
constexpr float kLineHeight = 0.062f;

struct Row {
    std::vector<OverlayText> keys, action;
};

struct State {
    bool started;
    bool shown;
    std::vector<HelpBinding> rows;
    std::vector<Row> texts;
    OverlayText title, footer;
    PlatformEventHandlerRef watcher;
    PlatformEventHandlerRef taker;
    ControllerFrameOverlay previous;
    void *previousContext;
    HelpBindingSource source;
};
State state;

// Splits text into lines of at most width characters at spaces (a longer
// word stands alone).  Counts bytes: the tables are nearly all ASCII.
std::vector<std::string> Wrap(const std::string &text, size_t width)
{
    std::vector<std::string> lines;
    std::string line;
    size_t i = 0;
    while (i < text.size()) {
        size_t end = text.find(' ', i);
        if (end == std::string::npos)
            end = text.size();
        std::string word = text.substr(i, end - i);
        if (!line.empty() && line.size() + 1 + word.size() > width) {
            lines.push_back(line);
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
        i = end + 1;
    }
    if (!line.empty() || lines.empty())
        lines.push_back(line);
    return lines;
}

// The text renderer takes single bytes: the tables' minus signs are drawn as
// hyphens.
std::string Plain(std::string text)
{
    for (size_t at = text.find("\xE2\x88\x92"); at != std::string::npos; at = text.find("\xE2\x88\x92", at))
        text.replace(at, 3, "-");
    return text;
}

void DisposeTexts()
{
    for (Row &row : state.texts) {
        for (OverlayText &text : row.keys)
            OverlayTextDispose(&text);
        for (OverlayText &text : row.action)
            OverlayTextDispose(&text);
    }
    state.texts.clear();
    OverlayTextDispose(&state.title);
    OverlayTextDispose(&state.footer);
}

// While shown, every key down and click closes it and goes no further; key
// releases pass on so that keys held before stay consistent.
bool Taker(const PlatformEvent *event, void *)
{
    if (event->kind == kEventRawKeyDown || event->kind == kEventMouseDown) {
        HelpOverlayHide();
        return true;
    }
    return event->kind == kEventRawKeyRepeat || event->kind == kEventMouseUp || event->kind == kEventMouseDragged;
}

bool Watcher(const PlatformEvent *event, void *)
{
    if (event->kind == kEventCommandProcess && event->command == kHelpCommand) {
        HelpOverlayShow();
        return true;
    }
    if (event->kind == kEventRawKeyDown && event->keyCode == kKeyCodeF1) {
        HelpOverlayShow();
        return true;
    }
    return false;
}

void FrameOverlay(void *)
{
    HelpOverlayDraw();
    if (state.previous)
        state.previous(state.previousContext);
}

} // namespace

const std::vector<HelpBinding> &HelpOverlayDefaultBindings(int32_t mode)
{
    return mode == ModeLevelEditor ? kEditorKeys : kGameKeys;
}

void HelpOverlaySetBindingSource(HelpBindingSource source)
{
    state.source = source;
}

// The shipped table, then every action of the mode that the player bound to
// another key, with the key it has now.
std::vector<HelpBinding> HelpOverlayBindings(int32_t mode)
{
    if (state.source)
        return state.source(mode);
    std::vector<HelpBinding> rows = HelpOverlayDefaultBindings(mode);
    BindingsContext context = mode == ModeLevelEditor ? kBindingsEditor : kBindingsGame;
    for (int32_t action = 0; action < kBindingsActionCount; action++)
        if (BindingsActionContext(action) == context && BindingsGetKey(action) != BindingsDefaultKey(action))
            rows.push_back({BindingsKeyName(BindingsGetKey(action)), std::string(BindingsActionLabel(action)) +
                                                                          " (rebound from " +
                                                                          BindingsKeyName(BindingsDefaultKey(action)) +
                                                                          ")"});
    return rows;
}

void HelpOverlayStartUp()
{
    if (state.started)
        return;
    state.started = true;
    static const int32_t kinds[] = {kEventCommandProcess, kEventRawKeyDown};
    state.watcher = PlatformInstallEventHandler(kTargetWindow, kinds, int32_t(std::size(kinds)), Watcher, nullptr);
    ControllerGetFrameOverlay(&state.previous, &state.previousContext);
    ControllerSetFrameOverlay(FrameOverlay, nullptr);
}

void HelpOverlayShutDown()
{
    if (!state.started)
        return;
    HelpOverlayHide();
    PlatformRemoveEventHandler(state.watcher);
    state.watcher = 0;
    ControllerSetFrameOverlay(state.previous, state.previousContext);
    state.previous = nullptr;
    state.previousContext = nullptr;
    state.started = false;
}

void HelpOverlayShow()
{
    Controller *controller = ControllerGetMainController();
    int32_t mode = controller ? ControllerGetTopMode(controller) : ModeGame;
    HelpOverlayHide();
    state.rows = HelpOverlayBindings(mode);
    state.shown = true;
    static const int32_t kinds[] = {kEventRawKeyDown, kEventRawKeyRepeat, kEventMouseDown, kEventMouseUp,
                                    kEventMouseDragged};
    state.taker = PlatformInstallEventHandler(kTargetWindow, kinds, int32_t(std::size(kinds)), Taker, nullptr);
}

void HelpOverlayHide()
{
    if (!state.shown)
        return;
    state.shown = false;
    state.rows.clear();
    DisposeTexts();
    PlatformRemoveEventHandler(state.taker);
    state.taker = 0;
}

bool HelpOverlayIsShown()
{
    return state.shown;
}

const std::vector<HelpBinding> &HelpOverlayShownRows()
{
    return state.rows;
}

void HelpOverlayDraw()
{
    if (!state.shown || !OverlayBegin())
        return;
    // A long table (the editor's) is set smaller and wider to fit.
    size_t wideLines = 0;
    for (const HelpBinding &binding : state.rows)
        wideLines += std::max(Wrap(binding.keys, 24).size(), Wrap(binding.action, 54).size());
    bool compact = wideLines > 16;
    int32_t textSize = compact ? 13 : kTextSize;
    float lineHeight = compact ? 0.05f : kLineHeight;
    float gap = compact ? 0.012f : 0.02f;
    if (compact) {
        // Still taller than the window: smaller again.
        size_t compactLines = 0;
        for (const HelpBinding &binding : state.rows)
            compactLines += std::max(Wrap(Plain(binding.keys), 30).size(), Wrap(Plain(binding.action), 68).size());
        if (0.37f + lineHeight * float(compactLines) + gap * float(state.rows.size()) > 1.84f) {
            textSize = 11;
            lineHeight = 0.042f;
            gap = 0.006f;
        }
    }
    if (state.texts.empty()) {
        OverlayTextSet(&state.title, "Keys and Controls", kTitleSize);
        OverlayTextSet(&state.footer, "Press any key or click to close", kTextSize);
        for (const HelpBinding &binding : state.rows) {
            Row row;
            for (const std::string &line : Wrap(Plain(binding.keys), compact ? 30 : 24)) {
                row.keys.push_back(OverlayText{});
                OverlayTextSet(&row.keys.back(), line, textSize);
            }
            for (const std::string &line : Wrap(Plain(binding.action), compact ? 68 : 54)) {
                row.action.push_back(OverlayText{});
                OverlayTextSet(&row.action.back(), line, textSize);
            }
            state.texts.push_back(std::move(row));
        }
    }
    size_t lines = 0;
    for (const Row &row : state.texts)
        lines += std::max(row.keys.size(), row.action.size());
    float height = 0.25f + lineHeight * float(lines) + gap * float(state.texts.size()) + 0.12f;
    float top = std::min(0.92f, height / 2), bottom = top - height;
    float ratio = OverlayRatio();
    float left = -std::min(1.28f, ratio - 0.02f), right = -left;
    OverlayDarkenAll(0.45f);
    OverlayDrawPlate(left, bottom, right, top, 1.0f);
    glColor4f(1.0f, 0.9f, 0.5f, 1.0f);
    OverlayTextDraw(&state.title, 0, top - 0.1f, 0.5f);
    float y = top - 0.25f;
    float keysX = left + 0.08f, actionX = left + (compact ? 0.8f : 0.85f);
    for (const Row &row : state.texts) {
        glColor4f(0.75f, 0.9f, 1.0f, 1.0f);
        for (size_t i = 0; i < row.keys.size(); i++)
            OverlayTextDraw(&row.keys[i], keysX, y - lineHeight * float(i), 0.0f);
        glColor4f(1, 1, 1, 1);
        for (size_t i = 0; i < row.action.size(); i++)
            OverlayTextDraw(&row.action[i], actionX, y - lineHeight * float(i), 0.0f);
        y -= lineHeight * float(std::max(row.keys.size(), row.action.size())) + gap;
    }
    glColor4f(0.7f, 0.7f, 0.7f, 1.0f);
    OverlayTextDraw(&state.footer, 0, bottom + 0.07f, 0.5f);
    glColor4f(1, 1, 1, 1);
    OverlayEnd();
}
