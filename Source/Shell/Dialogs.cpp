// The file dialogs, drawn inside the main window with the program's own
// widgets over a dimmed copy of the last frame.  Each runs a nested modal
// loop of the platform until it is answered; while it is up it takes every
// keyboard and mouse event and every command, so nothing reaches the modes
// below it (menu key equivalents included).
#include "Dialogs.h"

#include "Controller.h"
#include "Events.h"
#include "Folders.h"
#include "Fonts.h"
#include "LevelSet.h"
#include "ModeSupport.h"
#include "OpenGLWindow.h"
#include "Shader.h"
#include "Text.h"
#include "Utilities.h"
#include "Widget.h"
#include "WidgetController.h"

#include <GL/gl.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

enum DialogKind { kDialogAsk, kDialogSave, kDialogOpen, kDialogForm };

// The dialog's own refresh: caret blinking and redrawing after changes.
constexpr double kTickInterval = 1.0 / 60.0;
// Two clicks on one row within this time open it.
constexpr double kDoubleClickTime = 0.4;

// Layout, in overlay units.
constexpr float kMargin = 0.05f;
constexpr float kButtonGap = 0.04f;
constexpr float kRowHeight = 0.08f;
constexpr float kScrollBarWidth = 0.05f;
constexpr int32_t kMessageFontSize = 18;
constexpr int32_t kInfoFontSize = 14;
constexpr int32_t kFieldFontSize = 18;
constexpr int32_t kRowFontSize = 16;
constexpr int32_t kButtonFontSize = 14;

struct OpenEntry {
    fs::path file;
    std::string name;
    std::string folder;
    int32_t levels; // 0 when the set cannot be loaded
};

struct Dialog {
    int32_t kind;
    OpenGLWindow *window;
    WidgetController *widgets;
    PlatformEventHandlerRef handler;
    PlatformTimerRef timer;
    double lastTick;
    bool dirty;
    bool quitPending; // a request to quit arrived meanwhile; posted afterwards
    bool answered;
    int32_t result;
    Rect4f panel;

    // The last frame before the dialog came up.
    uint32_t backgroundTexture;

    // Save.
    fs::path folder;
    std::string name;
    bool replacing; // showing the replace question
    std::vector<Widget *> saveView, replaceView;
    Rect4f fieldFrame;

    // Open.
    std::vector<OpenEntry> entries;
    int32_t selected; // -1 none
    int32_t scroll;   // first visible entry
    Rect4f list;
    double lastClickTime;
    int32_t lastClickEntry;
    fs::path chosen;

    // Form.
    std::vector<std::string> formTexts;
    std::vector<Rect4f> formFrames;
    std::function<std::string(const std::vector<std::string> &)> formCheck;
};

struct ScriptedAnswer {
    int answer;
    std::string text;
};

std::deque<ScriptedAnswer> scriptedAnswers;
OpenGLWindow *dialogWindow = nullptr;
DialogsObserver observer = nullptr;
void *observerContext = nullptr;
Dialog *activeDialog = nullptr;

// ---- Scripted answers ------------------------------------------------------------

bool TakeScriptedAnswer(ScriptedAnswer *out)
{
    if (!scriptedAnswers.empty()) {
        *out = scriptedAnswers.front();
        scriptedAnswers.pop_front();
        return true;
    }
    int32_t answer = 0;
    if (PlatformTakeScriptedAnswer(&answer)) {
        *out = ScriptedAnswer{answer, ""};
        return true;
    }
    return false;
}

// ---- Text measurement and paths ----------------------------------------------------

TextObject *FontAtSize(int32_t size)
{
    // Measured as the widgets render it, larger text included.
    size = int32_t(std::lround(float(size) * WidgetGetTextScale()));
    static const std::string path = PlatformSansSerifFontFile();
    TextObject *text = TextObjectWithFont(path.c_str(), size);
    if (text && TextObjectGetSize(text) != size)
        TextObjectSetSize(text, size);
    return text;
}

// Width of the text in overlay units; an estimate without a font.
float TextWidth(const std::string &text, int32_t size)
{
    TextObject *font = FontAtSize(size);
    if (!font)
        return float(text.size()) * float(size) * 0.55f / kWidgetPixelsPerUnit;
    return TextObjectCharIndexToOffset(font, text.c_str(), int32_t(text.size())) / kWidgetPixelsPerUnit;
}

// The length of the longest start of text, cut at a character boundary,
// that fits in width.
size_t FittingPrefix(const std::string &text, int32_t size, float width)
{
    size_t fit = 0;
    for (size_t i = 1; i <= text.size(); i++) {
        if (i < text.size() && (uint8_t(text[i]) & 0xC0) == 0x80)
            continue; // inside a multi-byte character
        if (TextWidth(text.substr(0, i), size) > width)
            break;
        fit = i;
    }
    return fit;
}

// Breaks text into lines no wider than width, between words where it can.
std::vector<std::string> WrapText(const std::string &text, int32_t size, float width)
{
    std::vector<std::string> lines;
    std::string line;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find(' ', at);
        if (end == std::string::npos)
            end = text.size();
        std::string word = text.substr(at, end - at);
        at = end + 1;
        std::string joined = line.empty() ? word : line + " " + word;
        if (TextWidth(joined, size) <= width) {
            line = joined;
            continue;
        }
        if (!line.empty())
            lines.push_back(line);
        line.clear();
        // A word wider than a line is cut where it must be.
        while (TextWidth(word, size) > width) {
            size_t cut = std::max<size_t>(1, FittingPrefix(word, size, width));
            lines.push_back(word.substr(0, cut));
            word.erase(0, cut);
        }
        line = word;
    }
    if (!line.empty() || lines.empty())
        lines.push_back(line);
    return lines;
}

// The text, shortened with "..." to fit in width.
std::string Ellipsized(const std::string &text, int32_t size, float width)
{
    if (TextWidth(text, size) <= width)
        return text;
    float room = width - TextWidth("...", size);
    return text.substr(0, room > 0.0f ? FittingPrefix(text, size, room) : 0) + "...";
}

fs::path UserLevelsFolder()
{
    fs::path folder;
    if (!LevelSetGetUserLevelsFolder(&folder))
        folder = PlatformUserDataFolder();
    return folder;
}

// A typed path: "~" stands for the home folder, and a relative path is
// taken inside the "User levels" folder.
fs::path ResolveTypedPath(const std::string &text)
{
    if (text == "~" || text.rfind("~/", 0) == 0) {
        const char *home = std::getenv("HOME");
        if (home && *home)
            return fs::path(home) / text.substr(std::min<size_t>(2, text.size()));
    }
    fs::path path(text);
    if (path.is_relative())
        path = UserLevelsFolder() / path;
    return path;
}

// ---- The open dialog's list -------------------------------------------------------


std::vector<OpenEntry> FindLevelSets()
{
    std::vector<OpenEntry> entries;
    for (const fs::path &file : LevelSetGetAllLevelSets()) {
        OpenEntry entry{file, file.filename().string(), DialogsFolderLabel(file.parent_path()), 0};
        // Loading the whole set both counts its levels and proves it usable.
        LevelSet *set = LevelSetAllocate();
        if (LevelSetInitWithFile(set, file))
            entry.levels = LevelSetGetLevelCount(set);
        LevelSetDispose(set);
        entries.push_back(entry);
    }
    // The folders stay in the order they were searched; the sets of each
    // folder are sorted by name.
    std::map<fs::path, size_t> folderRank;
    for (const OpenEntry &entry : entries)
        folderRank.emplace(entry.file.parent_path(), folderRank.size());
    std::stable_sort(entries.begin(), entries.end(), [&](const OpenEntry &a, const OpenEntry &b) {
        size_t rankA = folderRank[a.file.parent_path()], rankB = folderRank[b.file.parent_path()];
        return rankA != rankB ? rankA < rankB : DialogsNameBefore(a.name, b.name);
    });
    return entries;
}

// ---- Building the widgets ---------------------------------------------------------------

Widget *AddWidget(Dialog *dialog, FourCharCode identifier, int32_t kind, float x, float y, const std::string &text,
                  int32_t fontSize, float originX, float originY)
{
    return WidgetControllerAddNewWidget(dialog->widgets, identifier, kind, x, y, text, fontSize, originX, originY);
}

// Static text wrapped to the panel's inner width, from y down; returns the
// y below it.
float AddParagraph(Dialog *dialog, std::vector<Widget *> *group, const std::string &text, int32_t fontSize, float y)
{
    float left = dialog->panel.left + kMargin, width = dialog->panel.right - dialog->panel.left - 2 * kMargin;
    for (const std::string &line : WrapText(text, fontSize, width)) {
        Widget *widget = AddWidget(dialog, 0, kWidgetStaticText, left, y, line, fontSize, 0.0f, 1.0f);
        if (group)
            group->push_back(widget);
        y -= WidgetControllerLineHeight(widget);
    }
    return y;
}

// A name as the dialogs quote it: shortened when it would be longer than a
// line and a half, so that the question always fits the panel.
std::string Quoted(Dialog *dialog, const std::string &name, int32_t fontSize)
{
    float width = dialog->panel.right - dialog->panel.left - 2 * kMargin;
    return "\"" + Ellipsized(name, fontSize, width * 1.5f) + "\"";
}

// The bottom of a row of buttons under text that ends at y: at the panel's
// foot, or lower (the panel growing) when the text needs the room.
float ButtonRowBottom(Dialog *dialog, float y)
{
    float bottom = std::min(dialog->panel.bottom + kMargin, y - 0.04f - 0.075f);
    dialog->panel.bottom = bottom - kMargin;
    return bottom;
}

void SetText(Widget *widget, const std::string &text)
{
    if (!widget)
        return;
    WidgetSetText(widget, text.c_str());
    WidgetUpdate(widget, true);
}

void SetMessage(Dialog *dialog, const std::string &text)
{
    SetText(WidgetControllerGetWidgetByIdentifier(dialog->widgets, kDialogsMessage), text);
    dialog->dirty = true;
}

int32_t ButtonClicked(void *context, void *sender);

// Push buttons along the bottom of the panel, the first at the right edge;
// returns the top of the row.
float AddButtons(Dialog *dialog, std::vector<Widget *> *group,
                 const std::vector<std::pair<FourCharCode, const char *>> &buttons, float bottom)
{
    float x = dialog->panel.right - kMargin;
    float top = bottom;
    for (const auto &[identifier, label] : buttons) {
        Widget *button =
            AddWidget(dialog, identifier, kWidgetPushButton, x, bottom, label, kButtonFontSize, 1.0f, 0.0f);
        CallbackControllerInstallCallback(WidgetGetCallbackController(button), kWidgetCallbackClicked, ButtonClicked,
                                          dialog);
        if (group)
            group->push_back(button);
        Rect4f b = WidgetGetBounds(button);
        x = b.left - kButtonGap;
        top = std::max(top, b.top);
    }
    return top;
}

// A text input of a fixed width, whatever its text, inside a white frame
// from left to right; the frame is kept as the field's outline.
Widget *AddField(Dialog *dialog, FourCharCode identifier, const std::string &text, float left, float right, float top)
{
    constexpr float kPadding = 0.012f;
    Widget *field =
        AddWidget(dialog, identifier, kWidgetTextInput, left + kPadding, top, text, kFieldFontSize, 0.0f, 1.0f);
    float height = WidgetControllerLineHeight(field);
    WidgetSetBounds(field, left + kPadding, top - height, right - kPadding, top);
    dialog->fieldFrame = Rect4f{left, top - height, right, top};
    return field;
}

void SelectAll(Widget *field)
{
    if (!field || !WidgetFocus(field))
        return;
    WidgetTextRec *rec = WidgetGetTextRec(field);
    rec->anchor = 0;
    rec->caret = int32_t(std::strlen(rec->text));
}

// ---- Answers ------------------------------------------------------------------------

void Finish(Dialog *dialog, int32_t result)
{
    dialog->answered = true;
    dialog->result = result;
    PlatformStopModalLoop();
}

void ShowReplaceQuestion(Dialog *dialog, bool show);

void ConfirmSave(Dialog *dialog)
{
    Widget *field = WidgetControllerGetWidgetByIdentifier(dialog->widgets, kDialogsNameField);
    std::string name = WidgetGetText(field);
    if (const char *why = DialogsCheckFileName(name)) {
        SetMessage(dialog, why);
        return;
    }
    std::error_code error;
    fs::path target = dialog->folder / name;
    fs::file_status status = fs::symlink_status(target, error);
    if (fs::is_directory(fs::status(target, error))) {
        SetMessage(dialog, "There is a folder with that name; choose another name.");
        return;
    }
    dialog->name = name;
    if (fs::exists(status)) {
        ShowReplaceQuestion(dialog, true);
        return;
    }
    Finish(dialog, 1);
}

void ConfirmOpen(Dialog *dialog)
{
    Widget *field = WidgetControllerGetWidgetByIdentifier(dialog->widgets, kDialogsPathField);
    std::string text = WidgetGetText(field);
    if (text.empty()) {
        if (dialog->selected < 0) {
            SetMessage(dialog, "Choose a level set, or type the path of a file.");
            return;
        }
        dialog->chosen = dialog->entries[size_t(dialog->selected)].file;
        Finish(dialog, 1);
        return;
    }
    fs::path path = ResolveTypedPath(text);
    std::error_code error;
    if (fs::is_directory(path, error)) {
        SetMessage(dialog, "That is a folder; type the path of a level-set file.");
        return;
    }
    if (!fs::exists(path, error)) {
        SetMessage(dialog, "There is no file at that path.");
        return;
    }
    dialog->chosen = path;
    Finish(dialog, 1);
}

void ConfirmForm(Dialog *dialog)
{
    std::vector<std::string> texts;
    for (size_t i = 0; i < dialog->formFrames.size(); i++) {
        FourCharCode identifier = DialogsFormFieldIdentifier(int32_t(i));
        texts.push_back(WidgetGetText(WidgetControllerGetWidgetByIdentifier(dialog->widgets, identifier)));
    }
    std::string why = dialog->formCheck ? dialog->formCheck(texts) : std::string();
    if (!why.empty()) {
        SetMessage(dialog, why);
        return;
    }
    dialog->formTexts = texts;
    Finish(dialog, 1);
}

// Return: the default button of what is showing.
void PressDefault(Dialog *dialog)
{
    switch (dialog->kind) {
    case kDialogForm: ConfirmForm(dialog); break;
    case kDialogAsk: Finish(dialog, 1); break;
    case kDialogSave:
        if (dialog->replacing)
            ShowReplaceQuestion(dialog, false);
        else
            ConfirmSave(dialog);
        break;
    default: ConfirmOpen(dialog); break;
    }
}

// Escape: cancel, which for the replace question is going back.
void PressCancel(Dialog *dialog)
{
    if (dialog->kind == kDialogSave && dialog->replacing)
        ShowReplaceQuestion(dialog, false);
    else
        Finish(dialog, 0);
}

int32_t ButtonClicked(void *context, void *sender)
{
    Dialog *dialog = static_cast<Dialog *>(context);
    Widget *button = static_cast<Widget *>(sender);
    if (dialog->answered)
        return 1;
    switch (button->identifier) {
    case kDialogsSaveButton:
        if (dialog->kind == kDialogAsk)
            Finish(dialog, 1);
        else
            ConfirmSave(dialog);
        break;
    case kDialogsDontSaveButton: Finish(dialog, -1); break;
    case kDialogsOpenButton: ConfirmOpen(dialog); break;
    case kDialogsOKButton: ConfirmForm(dialog); break;
    case kDialogsReplaceButton: Finish(dialog, 1); break;
    case kDialogsReplaceCancelButton: ShowReplaceQuestion(dialog, false); break;
    default: Finish(dialog, 0); break;
    }
    dialog->dirty = true;
    return 1;
}

// ---- The open dialog's list ------------------------------------------------------------

int32_t EntryCount(Dialog *dialog)
{
    return int32_t(dialog->entries.size());
}

int32_t MaxScroll(Dialog *dialog)
{
    return std::max(0, EntryCount(dialog) - kDialogsVisibleRows);
}

bool Usable(Dialog *dialog, int32_t index)
{
    return index >= 0 && index < EntryCount(dialog) && dialog->entries[size_t(index)].levels > 0;
}

void ShowRows(Dialog *dialog)
{
    float nameWidth = (dialog->list.right - dialog->list.left) * 0.5f - 0.04f;
    for (int32_t row = 0; row < kDialogsVisibleRows; row++) {
        int32_t index = dialog->scroll + row;
        Widget *name = WidgetControllerGetWidgetByIdentifier(dialog->widgets, DialogsRowNameIdentifier(row));
        Widget *folder = WidgetControllerGetWidgetByIdentifier(dialog->widgets, DialogsRowFolderIdentifier(row));
        Widget *levels = WidgetControllerGetWidgetByIdentifier(dialog->widgets, DialogsRowLevelsIdentifier(row));
        if (index >= EntryCount(dialog)) {
            SetText(name, "");
            SetText(folder, "");
            SetText(levels, "");
            continue;
        }
        const OpenEntry &entry = dialog->entries[size_t(index)];
        SetText(name, Ellipsized(entry.name, kRowFontSize, nameWidth));
        SetText(folder, entry.folder);
        char count[32];
        if (entry.levels <= 0)
            std::snprintf(count, sizeof count, "damaged");
        else
            std::snprintf(count, sizeof count, entry.levels == 1 ? "%d level" : "%d levels", int(entry.levels));
        SetText(levels, count);
        float grey = entry.levels > 0 ? 0.0f : 0.55f;
        for (Widget *widget : {name, folder, levels})
            WidgetSetTextColor(widget, grey, grey, grey, 1.0f);
    }
    if (Widget *bar = WidgetControllerGetWidgetByIdentifier(dialog->widgets, kDialogsScrollBar))
        WidgetSetValue(bar, float(MaxScroll(dialog) - dialog->scroll));
    dialog->dirty = true;
}

void ScrollTo(Dialog *dialog, int32_t scroll)
{
    scroll = std::clamp(scroll, 0, MaxScroll(dialog));
    if (scroll == dialog->scroll)
        return;
    dialog->scroll = scroll;
    ShowRows(dialog);
}

// Selects a usable entry (the typed path is then cleared) and scrolls it
// into view.
void Select(Dialog *dialog, int32_t index)
{
    if (!Usable(dialog, index))
        return;
    dialog->selected = index;
    Widget *field = WidgetControllerGetWidgetByIdentifier(dialog->widgets, kDialogsPathField);
    if (field && WidgetGetText(field)[0] != '\0')
        SetText(field, "");
    SetMessage(dialog, "");
    if (index < dialog->scroll)
        ScrollTo(dialog, index);
    else if (index >= dialog->scroll + kDialogsVisibleRows)
        ScrollTo(dialog, index - kDialogsVisibleRows + 1);
    dialog->dirty = true;
}

// The nearest usable entry from index in direction step.
void SelectStep(Dialog *dialog, int32_t step)
{
    int32_t from = dialog->selected >= 0 ? dialog->selected : (step > 0 ? -1 : EntryCount(dialog));
    for (int32_t i = from + step; i >= 0 && i < EntryCount(dialog); i += step)
        if (Usable(dialog, i)) {
            Select(dialog, i);
            return;
        }
}

int32_t ScrollBarMoved(void *context, void *sender)
{
    Dialog *dialog = static_cast<Dialog *>(context);
    float value = WidgetGetValue(static_cast<Widget *>(sender));
    int32_t scroll = std::clamp(MaxScroll(dialog) - int32_t(std::lround(value)), 0, MaxScroll(dialog));
    if (scroll != dialog->scroll) {
        dialog->scroll = scroll;
        // The bar keeps the value the pointer gave it while it is dragged.
        float keep = value;
        ShowRows(dialog);
        WidgetSetValue(static_cast<Widget *>(sender), keep);
    }
    return 1;
}

void ClickList(Dialog *dialog, Point2f p, double time)
{
    int32_t row = int32_t(std::floor((dialog->list.top - p.y) / kRowHeight));
    if (row < 0 || row >= kDialogsVisibleRows)
        return;
    int32_t index = dialog->scroll + row;
    if (!Usable(dialog, index))
        return;
    bool twice = index == dialog->lastClickEntry && time - dialog->lastClickTime <= kDoubleClickTime;
    Select(dialog, index);
    dialog->lastClickEntry = twice ? -1 : index;
    dialog->lastClickTime = time;
    if (twice)
        ConfirmOpen(dialog);
}

// ---- The views ---------------------------------------------------------------------

void ShowReplaceQuestion(Dialog *dialog, bool show)
{
    dialog->replacing = show;
    for (Widget *widget : dialog->saveView)
        WidgetSetVisible(widget, !show);
    if (show) {
        // The question names the file and its folder; it is built afresh.
        for (Widget *widget : dialog->replaceView)
            WidgetControllerRemoveWidgetAtIndex(dialog->widgets,
                                                WidgetControllerIndexForWidget(dialog->widgets, widget));
        dialog->replaceView.clear();
        float y = dialog->panel.top - kMargin;
        y = AddParagraph(dialog, &dialog->replaceView,
                         Quoted(dialog, dialog->name, kMessageFontSize) + " already exists. Do you want to replace it?",
                         kMessageFontSize, y);
        y = AddParagraph(dialog, &dialog->replaceView,
                         "A file with the same name already exists in " +
                             Quoted(dialog, dialog->folder.filename().string(), kInfoFontSize) +
                             ". Replacing it will overwrite its current contents.",
                         kInfoFontSize, y - 0.03f);
        AddButtons(dialog, &dialog->replaceView,
                   {{kDialogsReplaceCancelButton, "Cancel"}, {kDialogsReplaceButton, "Replace"}},
                   dialog->panel.bottom + kMargin);
    } else {
        for (Widget *widget : dialog->replaceView)
            WidgetSetVisible(widget, false);
        SelectAll(WidgetControllerGetWidgetByIdentifier(dialog->widgets, kDialogsNameField));
    }
    dialog->dirty = true;
    if (observer)
        observer(dialog->widgets, observerContext);
}

void BuildAsk(Dialog *dialog, const std::string &documentName, bool quitting)
{
    dialog->panel = Rect4f{-0.8f, 0.3f, 0.8f, 0.3f}; // the foot follows the text
    std::string question = "Do you want to save the changes you made to " +
                           Quoted(dialog, documentName, kMessageFontSize) +
                           (quitting ? " before quitting?" : " before closing?");
    float y = AddParagraph(dialog, nullptr, question, kMessageFontSize, dialog->panel.top - kMargin);
    y = AddParagraph(dialog, nullptr, "Your changes will be lost if you don't save them.", kInfoFontSize, y - 0.03f);
    float bottom = ButtonRowBottom(dialog, y);
    AddButtons(dialog, nullptr, {{kDialogsSaveButton, "Save"}, {kDialogsCancelButton, "Cancel"}}, bottom);
    // "Don't Save" stands apart, at the left.
    Widget *dontSave = AddWidget(dialog, kDialogsDontSaveButton, kWidgetPushButton, dialog->panel.left + kMargin,
                                 bottom, "Don't Save", kButtonFontSize, 0.0f, 0.0f);
    CallbackControllerInstallCallback(WidgetGetCallbackController(dontSave), kWidgetCallbackClicked, ButtonClicked,
                                      dialog);
}

// A message with a default button at the right and another at the left.
void BuildQuestion(Dialog *dialog, const std::string &message, const std::string &defaultButton,
                   const std::string &otherButton)
{
    dialog->panel = Rect4f{-0.8f, 0.3f, 0.8f, 0.3f}; // the foot follows the text
    float y = AddParagraph(dialog, nullptr, message, kMessageFontSize, dialog->panel.top - kMargin);
    float bottom = ButtonRowBottom(dialog, y);
    AddButtons(dialog, nullptr, {{kDialogsSaveButton, defaultButton.c_str()}}, bottom);
    Widget *other = AddWidget(dialog, kDialogsDontSaveButton, kWidgetPushButton, dialog->panel.left + kMargin, bottom,
                              otherButton, kButtonFontSize, 0.0f, 0.0f);
    CallbackControllerInstallCallback(WidgetGetCallbackController(other), kWidgetCallbackClicked, ButtonClicked,
                                      dialog);
}

void BuildSave(Dialog *dialog, const std::string &defaultName)
{
    dialog->panel = Rect4f{-0.8f, -0.3f, 0.8f, 0.35f};
    float left = dialog->panel.left + kMargin, right = dialog->panel.right - kMargin;
    float y = dialog->panel.top - kMargin;
    Widget *prompt = AddWidget(dialog, 0, kWidgetStaticText, left, y, "Save file as:", kMessageFontSize, 0.0f, 1.0f);
    dialog->saveView.push_back(prompt);
    y -= WidgetControllerLineHeight(prompt) + 0.02f;
    Widget *field = AddField(dialog, kDialogsNameField, defaultName, left, right, y);
    dialog->saveView.push_back(field);
    y = dialog->fieldFrame.bottom - 0.03f;
    Widget *where = AddWidget(dialog, 0, kWidgetStaticText, left, y, "In: " + dialog->folder.filename().string(),
                              kInfoFontSize, 0.0f, 1.0f);
    WidgetSetTextColor(where, 0.3f, 0.3f, 0.3f, 1.0f);
    dialog->saveView.push_back(where);
    y -= WidgetControllerLineHeight(where) + 0.02f;
    Widget *message = AddWidget(dialog, kDialogsMessage, kWidgetStaticText, left, y, "", kInfoFontSize, 0.0f, 1.0f);
    WidgetSetTextColor(message, 0.7f, 0.0f, 0.0f, 1.0f);
    dialog->saveView.push_back(message);
    AddButtons(dialog, &dialog->saveView, {{kDialogsSaveButton, "Save"}, {kDialogsCancelButton, "Cancel"}},
               dialog->panel.bottom + kMargin);
    SelectAll(field);
}

void BuildOpen(Dialog *dialog)
{
    // The panel's foot follows what it holds.
    dialog->panel = Rect4f{-0.9f, 0.62f, 0.9f, 0.62f};
    dialog->entries = FindLevelSets();
    float left = dialog->panel.left + kMargin, right = dialog->panel.right - kMargin;
    float y = dialog->panel.top - kMargin;
    Widget *prompt =
        AddWidget(dialog, 0, kWidgetStaticText, left, y, "Open a level set:", kMessageFontSize, 0.0f, 1.0f);
    y -= WidgetControllerLineHeight(prompt) + 0.02f;
    dialog->list = Rect4f{left, y - kRowHeight * kDialogsVisibleRows, right - kScrollBarWidth - 0.01f, y};
    float width = dialog->list.right - dialog->list.left;
    for (int32_t row = 0; row < kDialogsVisibleRows; row++) {
        float middle = dialog->list.top - (float(row) + 0.5f) * kRowHeight;
        AddWidget(dialog, DialogsRowNameIdentifier(row), kWidgetStaticText, left + 0.02f, middle, "", kRowFontSize,
                  0.0f, 0.5f);
        AddWidget(dialog, DialogsRowFolderIdentifier(row), kWidgetStaticText, left + width * 0.5f, middle, "",
                  kRowFontSize, 0.0f, 0.5f);
        AddWidget(dialog, DialogsRowLevelsIdentifier(row), kWidgetStaticText, dialog->list.right - 0.02f, middle, "",
                  kRowFontSize, 1.0f, 0.5f);
    }
    if (MaxScroll(dialog) > 0) {
        Widget *bar = WidgetAllocate(dialog->widgets, kDialogsScrollBar, kWidgetSlider, right, y);
        WidgetSliderSetVertical(bar, true);
        WidgetControllerAddWidget(dialog->widgets, bar);
        WidgetSetBounds(bar, right - kScrollBarWidth, dialog->list.bottom, right, dialog->list.top);
        WidgetSetMaximum(bar, float(MaxScroll(dialog)));
        CallbackControllerInstallCallback(WidgetGetCallbackController(bar), kWidgetCallbackValueChanged, ScrollBarMoved,
                                          dialog);
    }
    y = dialog->list.bottom - 0.04f;
    Widget *label =
        AddWidget(dialog, 0, kWidgetStaticText, left, y, "Or the path of a file:", kInfoFontSize, 0.0f, 1.0f);
    y -= WidgetControllerLineHeight(label) + 0.01f;
    AddField(dialog, kDialogsPathField, "", left, right, y);
    y = dialog->fieldFrame.bottom - 0.02f;
    Widget *message = AddWidget(dialog, kDialogsMessage, kWidgetStaticText, left, y, "", kInfoFontSize, 0.0f, 1.0f);
    WidgetSetTextColor(message, 0.7f, 0.0f, 0.0f, 1.0f);
    y -= WidgetControllerLineHeight(message);
    AddButtons(dialog, nullptr, {{kDialogsOpenButton, "Open"}, {kDialogsCancelButton, "Cancel"}},
               ButtonRowBottom(dialog, y));
    dialog->selected = -1;
    ShowRows(dialog);
    SelectStep(dialog, 1);
}

// A title, a labelled field per entry of texts, a line for why the values
// are refused, and OK and Cancel.
void BuildForm(Dialog *dialog, const std::string &title, const std::vector<std::string> &labels)
{
    dialog->panel = Rect4f{-0.7f, 0.6f, 0.7f, 0.6f}; // the foot follows the fields
    float left = dialog->panel.left + kMargin, right = dialog->panel.right - kMargin;
    float y = AddParagraph(dialog, nullptr, title, kMessageFontSize, dialog->panel.top - kMargin) - 0.03f;
    float fieldLeft = left + (right - left) * 0.55f;
    for (size_t i = 0; i < labels.size(); i++) {
        std::string text = i < dialog->formTexts.size() ? dialog->formTexts[i] : std::string();
        Widget *field = AddField(dialog, DialogsFormFieldIdentifier(int32_t(i)), text, fieldLeft, right, y);
        dialog->formFrames.push_back(dialog->fieldFrame);
        float middle = (dialog->fieldFrame.top + dialog->fieldFrame.bottom) * 0.5f;
        AddWidget(dialog, 0, kWidgetStaticText, left, middle, labels[i], kInfoFontSize, 0.0f, 0.5f);
        y = dialog->fieldFrame.bottom - 0.02f;
        if (i == 0)
            SelectAll(field);
    }
    Widget *message = AddWidget(dialog, kDialogsMessage, kWidgetStaticText, left, y - 0.01f, "", kInfoFontSize, 0.0f,
                                1.0f);
    WidgetSetTextColor(message, 0.7f, 0.0f, 0.0f, 1.0f);
    y -= WidgetControllerLineHeight(message) * 2.0f;
    AddButtons(dialog, nullptr, {{kDialogsOKButton, "OK"}, {kDialogsCancelButton, "Cancel"}},
               ButtonRowBottom(dialog, y));
}

void Outline(float left, float bottom, float right, float top);

void DrawFormFields(Dialog *dialog)
{
    for (size_t i = 0; i < dialog->formFrames.size(); i++) {
        const Rect4f &f = dialog->formFrames[i];
        Widget *field = WidgetControllerGetWidgetByIdentifier(dialog->widgets, DialogsFormFieldIdentifier(int32_t(i)));
        bool focused = field && WidgetGetTextRec(field)->focused;
        glColor4f(1, 1, 1, 1);
        ModeDrawQuad(f.left, f.bottom, f.right, f.top);
        glColor4f(focused ? 0.3f : 0.6f, focused ? 0.45f : 0.6f, focused ? 0.9f : 0.6f, 1);
        glLineWidth(focused ? 2.0f : 1.0f);
        Outline(f.left, f.bottom, f.right, f.top);
    }
    glLineWidth(1.0f);
}

// ---- Drawing -------------------------------------------------------------------------

void Outline(float left, float bottom, float right, float top)
{
    glBegin(GL_LINE_LOOP);
    glVertex2f(left, bottom);
    glVertex2f(right, bottom);
    glVertex2f(right, top);
    glVertex2f(left, top);
    glEnd();
}

struct FrameCapture {
    ControllerFrameOverlay previous;
    void *previousContext;
    int32_t width, height;
    std::vector<uint8_t> pixels; // RGBA, bottom row first
    bool taken;
};

void ReadFrame(FrameCapture *capture)
{
    capture->pixels.assign(size_t(capture->width) * size_t(capture->height) * 4, 0);
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, capture->width, capture->height, GL_RGBA, GL_UNSIGNED_BYTE, capture->pixels.data());
    capture->taken = true;
}

// Drawn over a frame of the mode just before it is presented: what else is
// drawn there (the menu strip), then the frame is kept.
void CaptureOverlay(void *context)
{
    FrameCapture *capture = static_cast<FrameCapture *>(context);
    if (capture->previous)
        capture->previous(capture->previousContext);
    ReadFrame(capture);
}

// Keeps what the window shows, to be drawn under the dialog.  The mode on
// top draws its frame once more to have it; without one, the last frame is
// read back where presenting it left it in the drawing buffer.
void CaptureBackground(Dialog *dialog)
{
    Rect4f bounds = OpenGLWindowGetBounds(dialog->window);
    FrameCapture capture{};
    capture.width = int32_t(bounds.right - bounds.left);
    capture.height = int32_t(bounds.bottom - bounds.top);
    if (capture.width <= 0 || capture.height <= 0)
        return;
    Controller *controller = ControllerGetMainController();
    if (controller && ControllerGetMainWindow(controller) == dialog->window && ControllerGetTopMode(controller)) {
        ControllerGetFrameOverlay(&capture.previous, &capture.previousContext);
        ControllerSetFrameOverlay(CaptureOverlay, &capture);
        ControllerRedraw(controller);
        ControllerSetFrameOverlay(capture.previous, capture.previousContext);
    }
    if (!capture.taken)
        ReadFrame(&capture);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, capture.width, capture.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 capture.pixels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    dialog->backgroundTexture = texture;
}

// The kept frame over the whole window, darkened by dim (0: as it was).
void DrawBackground(Dialog *dialog, float ratio, float dim)
{
    if (dialog->backgroundTexture) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, dialog->backgroundTexture);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glColor4f(1, 1, 1, 1);
        ModeDrawTexturedQuad(-ratio, -1, ratio, 1, 0, 0, 1, 1);
        glBindTexture(GL_TEXTURE_2D, 0);
        glDisable(GL_TEXTURE_2D);
    }
    if (dim > 0.0f) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glColor4f(0, 0, 0, dim);
        ModeDrawQuad(-ratio, -1, ratio, 1);
    }
}

// Draws the frame: the kept frame, dimmed unless restoring, and the dialog.
void DrawFrame(Dialog *dialog, bool restoring)
{
    OpenGLWindow *window = dialog->window;
    float ratio = OpenGLWindowGetRatio(window);
    ShaderDisable();
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT | GL_LINE_BIT | GL_TEXTURE_BIT);
    OpenGLWindowSetUpViewport(window);
    ModeBeginOverlay(window);
    glDisable(GL_CULL_FACE);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_BLEND);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawBackground(dialog, ratio, restoring ? 0.0f : 0.5f);
    if (!restoring) {
        const Rect4f &p = dialog->panel;
        glEnable(GL_BLEND);
        glColor4f(0, 0, 0, 0.35f);
        ModeDrawQuad(p.left + 0.02f, p.bottom - 0.02f, p.right + 0.02f, p.top - 0.02f);
        glColor4f(0.93f, 0.93f, 0.93f, 1);
        ModeDrawQuad(p.left, p.bottom, p.right, p.top);
        glColor4f(0.45f, 0.45f, 0.5f, 1);
        glLineWidth(1.0f);
        Outline(p.left, p.bottom, p.right, p.top);
        Widget *field = nullptr;
        if (dialog->kind == kDialogOpen) {
            const Rect4f &l = dialog->list;
            glColor4f(1, 1, 1, 1);
            ModeDrawQuad(l.left, l.bottom, l.right, l.top);
            if (Widget *bar = WidgetControllerGetWidgetByIdentifier(dialog->widgets, kDialogsScrollBar)) {
                Rect4f b = WidgetGetBounds(bar);
                glColor4f(0.62f, 0.64f, 0.7f, 1);
                ModeDrawQuad(b.left, b.bottom, b.right, b.top);
            }
            int32_t row = dialog->selected - dialog->scroll;
            field = WidgetControllerGetWidgetByIdentifier(dialog->widgets, kDialogsPathField);
            bool listFocused = !(field && WidgetGetTextRec(field)->focused);
            if (row >= 0 && row < kDialogsVisibleRows) {
                float r, g, b, a;
                getTextHighlightColor(&r, &g, &b, &a);
                if (!listFocused)
                    r = g = b = 0.85f; // a selection the keys do not work on is grey
                glColor4f(r, g, b, 1);
                ModeDrawQuad(l.left, l.top - float(row + 1) * kRowHeight, l.right, l.top - float(row) * kRowHeight);
            }
            glColor4f(listFocused ? 0.3f : 0.6f, listFocused ? 0.45f : 0.6f, listFocused ? 0.9f : 0.6f, 1);
            glLineWidth(listFocused ? 2.0f : 1.0f);
            Outline(l.left, l.bottom, l.right, l.top);
            glLineWidth(1.0f);
        } else if (dialog->kind == kDialogSave && !dialog->replacing) {
            field = WidgetControllerGetWidgetByIdentifier(dialog->widgets, kDialogsNameField);
        }
        if (field) {
            const Rect4f &f = dialog->fieldFrame;
            glColor4f(1, 1, 1, 1);
            ModeDrawQuad(f.left, f.bottom, f.right, f.top);
        }
        if (dialog->kind == kDialogForm)
            DrawFormFields(dialog);
        WidgetControllerDraw(dialog->widgets);
        // Return presses the default button: a ring marks it.
        FourCharCode defaultButton = dialog->kind == kDialogForm ? kDialogsOKButton
                                     : dialog->kind == kDialogOpen ? kDialogsOpenButton
                                     : dialog->replacing         ? kDialogsReplaceCancelButton
                                                                 : kDialogsSaveButton;
        glDisable(GL_DEPTH_TEST); // the widgets turned them on again
        glDisable(GL_LIGHTING);
        if (Widget *button = WidgetControllerGetWidgetByIdentifier(dialog->widgets, defaultButton)) {
            Rect4f b = WidgetGetBounds(button);
            glColor4f(0.3f, 0.45f, 0.9f, 1);
            glLineWidth(2.0f);
            Outline(b.left - 0.008f, b.bottom - 0.008f, b.right + 0.008f, b.top + 0.008f);
        }
        if (field) {
            const Rect4f &f = dialog->fieldFrame;
            bool focused = WidgetGetTextRec(field)->focused;
            glColor4f(focused ? 0.3f : 0.6f, focused ? 0.45f : 0.6f, focused ? 0.9f : 0.6f, 1);
            glLineWidth(focused ? 2.0f : 1.0f);
            Outline(f.left, f.bottom, f.right, f.top);
        }
    }
    ModeEndOverlay();
    glPopAttrib();
    glColor4f(1, 1, 1, 1);
    OpenGLWindowSwapBuffers(window);
    dialog->dirty = false;
}

// ---- Events ----------------------------------------------------------------------------

const int32_t kTakenKinds[] = {
    kEventCommandProcess,         kEventRawKeyDown,  kEventRawKeyRepeat,      kEventRawKeyUp,
    kEventRawKeyModifiersChanged, kEventMouseDown,   kEventMouseUp,           kEventMouseMoved,
    kEventMouseDragged,           kEventWindowClose, kEventWindowDrawContent, kEventWindowBoundsChanged,
    kEventWindowExpanding};

Widget *FocusedField(Dialog *dialog)
{
    return dialog->widgets->focusedWidget;
}

void HandleKey(Dialog *dialog, const PlatformEvent *event)
{
    // Keys held with Control are menu equivalents, and the menus are out of
    // reach while a dialog is up.
    if (event->modifiers & kModifierControl)
        return;
    uint8_t c = event->charCode;
    bool down = event->kind == kEventRawKeyDown;
    bool press = down || event->kind == kEventRawKeyRepeat;
    if (down && (c == 13 || c == 3)) {
        PressDefault(dialog);
        return;
    }
    if (down && c == 27) {
        PressCancel(dialog);
        return;
    }
    if (dialog->kind == kDialogOpen) {
        Widget *field = WidgetControllerGetWidgetByIdentifier(dialog->widgets, kDialogsPathField);
        bool fieldFocused = FocusedField(dialog) == field;
        if (c == 9) {
            // Tab moves between the list and the path field.
            if (down) {
                if (fieldFocused)
                    WidgetBlur(field);
                else
                    WidgetFocus(field);
            }
            dialog->dirty = true;
            return;
        }
        if (!fieldFocused && press && (c == 30 || c == 31)) {
            SelectStep(dialog, c == 30 ? -1 : 1);
            return;
        }
        std::string before = WidgetGetText(field);
        WidgetControllerEventHandler(event, dialog->widgets);
        if (before != WidgetGetText(field)) {
            // Typing a path takes the place of the chosen set.
            dialog->selected = -1;
            SetMessage(dialog, "");
        }
        dialog->dirty = true;
        return;
    }
    Widget *field = WidgetControllerGetWidgetByIdentifier(dialog->widgets, kDialogsNameField);
    std::string before = field ? WidgetGetText(field) : "";
    WidgetControllerEventHandler(event, dialog->widgets);
    if (field && before != WidgetGetText(field))
        SetMessage(dialog, "");
    // In a form, Tab selects all of the field it moves to, ready to retype.
    if (dialog->kind == kDialogForm && down && c == 9)
        SelectAll(FocusedField(dialog));
    dialog->dirty = true;
}

void HandleMouse(Dialog *dialog, const PlatformEvent *event)
{
    if (event->button > 1 && event->kind != kEventMouseMoved && event->kind != kEventMouseDragged)
        return; // only the main button works the controls
    WidgetControllerEventHandler(event, dialog->widgets);
    if (dialog->answered)
        return;
    if (event->kind == kEventMouseDown && dialog->kind == kDialogOpen) {
        Point2f p = WidgetControllerConvertMouse(dialog->widgets, event->mouse);
        const Rect4f &l = dialog->list;
        if (p.x >= l.left && p.x <= l.right && p.y >= l.bottom && p.y <= l.top)
            ClickList(dialog, p, event->time);
    }
    dialog->dirty = true;
}

bool DialogEventHandler(const PlatformEvent *event, void *context)
{
    Dialog *dialog = static_cast<Dialog *>(context);
    switch (event->kind) {
    case kEventCommandProcess:
        // The modes are suspended; a request to quit from outside (a signal)
        // is kept for when the dialog is gone.
        if (event->command == 'quit')
            dialog->quitPending = true;
        return true;
    case kEventWindowClose:
        // The window stays while a dialog is up, as the dialog is modal.
        return true;
    case kEventWindowDrawContent:
    case kEventWindowBoundsChanged:
    case kEventWindowExpanding:
        // The window's own handling may draw the mode; the dialog is drawn
        // over it again at the next tick.
        dialog->dirty = true;
        return false;
    case kEventRawKeyDown:
    case kEventRawKeyRepeat:
    case kEventRawKeyUp:
        if (!dialog->answered)
            HandleKey(dialog, event);
        return true;
    case kEventMouseDown:
    case kEventMouseUp:
    case kEventMouseMoved:
    case kEventMouseDragged:
        if (!dialog->answered)
            HandleMouse(dialog, event);
        return true;
    default: return true;
    }
}

void DialogTick(PlatformTimerRef, void *context)
{
    Dialog *dialog = static_cast<Dialog *>(context);
    double now = PlatformGetEventTime();
    double seconds = std::clamp(now - dialog->lastTick, 0.0, 1.0);
    dialog->lastTick = now;
    Widget *field = FocusedField(dialog);
    uint8_t caretBefore = field ? WidgetGetTextRec(field)->caretVisible : 0;
    WidgetControllerRun(dialog->widgets, float(seconds));
    if (field && WidgetGetTextRec(field)->caretVisible != caretBefore)
        dialog->dirty = true;
    if (dialog->dirty && !dialog->answered)
        DrawFrame(dialog, false);
}

OpenGLWindow *DialogWindow()
{
    if (dialogWindow)
        return dialogWindow;
    Controller *controller = ControllerGetMainController();
    return controller ? ControllerGetMainWindow(controller) : nullptr;
}

// Shows the dialog and runs it until it is answered.  False when it cannot
// be shown (no window, or another dialog is up).  A dialog that nothing can
// answer any more (a test script that ran out) counts as cancelled.
bool RunDialog(Dialog *dialog, const std::function<void(Dialog *)> &build)
{
    dialog->window = DialogWindow();
    if (!dialog->window)
        return false;
    if (activeDialog) {
        std::printf("Anomaly: a dialog was asked for while another is up\n");
        std::fflush(stdout);
        return false;
    }
    activeDialog = dialog;
    dialog->lastClickEntry = -1;
    dialog->widgets = WidgetControllerAllocate(dialog->window);
    // The dialog hands the events to its widgets itself.
    WidgetControllerFreeze(dialog->widgets);
    build(dialog);
    bool cursorWasVisible = PlatformIsCursorVisible();
    PlatformShowCursor();
    CaptureBackground(dialog);
    DrawFrame(dialog, false);
    dialog->handler = PlatformInstallEventHandler(kTargetWindow, kTakenKinds, int32_t(std::size(kTakenKinds)),
                                                  DialogEventHandler, dialog);
    dialog->lastTick = PlatformGetEventTime();
    dialog->timer = PlatformInstallTimer(kTickInterval, kTickInterval, DialogTick, dialog);
    if (observer)
        observer(dialog->widgets, observerContext);
    PlatformRunModalDialogLoop();
    PlatformRemoveTimer(dialog->timer);
    PlatformRemoveEventHandler(dialog->handler);
    if (!dialog->answered)
        dialog->result = 0;
    // The window shows the frame from before until the mode draws again.
    DrawFrame(dialog, true);
    if (dialog->backgroundTexture) {
        GLuint texture = dialog->backgroundTexture;
        glDeleteTextures(1, &texture);
    }
    WidgetControllerDispose(dialog->widgets);
    if (!cursorWasVisible)
        PlatformHideCursor();
    activeDialog = nullptr;
    if (dialog->quitPending)
        PlatformPostCommandEvent('quit');
    return true;
}

} // namespace

std::string DialogsFolderLabel(const fs::path &folder)
{
    fs::path known;
    std::error_code error;
    auto same = [&](const fs::path &other) { return fs::equivalent(folder, other, error); };
    if (LevelSetGetStandardLevelsFolder(&known) && same(known))
        return "Standard levels";
    if (LevelSetGetUserLevelsFolder(&known) && same(known))
        return "User levels";
    if (LevelSetGetDownloadedLevelsFolder(&known) && same(known))
        return "Downloaded levels";
    return folder.filename().string();
}

// Names in the order people expect: "Set 2" before "Set 10", case aside.
bool DialogsNameBefore(const std::string &a, const std::string &b)
{
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (std::isdigit(uint8_t(a[i])) && std::isdigit(uint8_t(b[j]))) {
            size_t endA = std::min(a.find_first_not_of("0123456789", i), a.size());
            size_t endB = std::min(b.find_first_not_of("0123456789", j), b.size());
            std::string numberA = a.substr(i, endA - i), numberB = b.substr(j, endB - j);
            numberA.erase(0, std::min(numberA.find_first_not_of('0'), numberA.size()));
            numberB.erase(0, std::min(numberB.find_first_not_of('0'), numberB.size()));
            if (numberA.size() != numberB.size())
                return numberA.size() < numberB.size();
            if (numberA != numberB)
                return numberA < numberB;
            i = endA;
            j = endB;
            continue;
        }
        int ca = std::tolower(uint8_t(a[i])), cb = std::tolower(uint8_t(b[j]));
        if (ca != cb)
            return ca < cb;
        i++;
        j++;
    }
    if ((a.size() - i) != (b.size() - j))
        return a.size() - i < b.size() - j;
    return a < b;
}

// ---- Interface ------------------------------------------------------------------------------

const char *DialogsCheckFileName(const std::string &name)
{
    if (name.empty())
        return "Please type a name for the file.";
    if (name.find('\0') != std::string::npos)
        return "A name cannot contain a NUL character.";
    if (name.find('/') != std::string::npos)
        return "A name cannot contain a slash (\"/\").";
    if (name.find_first_not_of('.') == std::string::npos)
        return "A name cannot consist only of dots.";
    if (name.size() > 255)
        return "The name is too long: at most 255 bytes.";
    return nullptr;
}

int displayAskSaveChangesDialog(const std::string &documentName, bool quitting)
{
    ScriptedAnswer scripted;
    if (TakeScriptedAnswer(&scripted))
        return scripted.answer;
    Dialog dialog{};
    dialog.kind = kDialogAsk;
    if (!RunDialog(&dialog, [&](Dialog *d) { BuildAsk(d, documentName, quitting); }))
        return kDialogNotShown;
    return dialog.result;
}

int displayQuestionDialog(const std::string &message, const std::string &defaultButton,
                          const std::string &otherButton)
{
    ScriptedAnswer scripted;
    if (TakeScriptedAnswer(&scripted))
        return scripted.answer;
    Dialog dialog{};
    dialog.kind = kDialogAsk;
    if (!RunDialog(&dialog, [&](Dialog *d) { BuildQuestion(d, message, defaultButton, otherButton); }))
        return 0;
    return dialog.result;
}

bool displayModalSaveDialog(const std::string &defaultName, const std::filesystem::path &defaultFolder,
                            std::filesystem::path *outFolder, std::string *outName)
{
    ScriptedAnswer scripted;
    if (TakeScriptedAnswer(&scripted)) {
        if (scripted.answer != 1)
            return false;
        std::string name = scripted.text.empty() ? defaultName : scripted.text;
        if (const char *why = DialogsCheckFileName(name)) {
            std::printf("Error: the scripted file name was refused: %s\n", why);
            std::fflush(stdout);
            return false;
        }
        if (outFolder)
            *outFolder = defaultFolder;
        if (outName)
            *outName = name;
        return true;
    }
    Dialog dialog{};
    dialog.kind = kDialogSave;
    dialog.folder = defaultFolder;
    if (!RunDialog(&dialog, [&](Dialog *d) { BuildSave(d, defaultName); }) || dialog.result != 1)
        return false;
    if (outFolder)
        *outFolder = dialog.folder;
    if (outName)
        *outName = dialog.name;
    return true;
}

bool displayModalOpenDialog(std::filesystem::path *outFile)
{
    ScriptedAnswer scripted;
    if (TakeScriptedAnswer(&scripted)) {
        if (scripted.answer != 1 || scripted.text.empty())
            return false;
        if (outFile)
            *outFile = ResolveTypedPath(scripted.text);
        return true;
    }
    Dialog dialog{};
    dialog.kind = kDialogOpen;
    if (!RunDialog(&dialog, BuildOpen) || dialog.result != 1)
        return false;
    if (outFile)
        *outFile = dialog.chosen;
    return true;
}

bool displayModalFormDialog(const std::string &title, const std::vector<std::string> &labels,
                            std::vector<std::string> *texts,
                            const std::function<std::string(const std::vector<std::string> &)> &check)
{
    ScriptedAnswer scripted;
    if (TakeScriptedAnswer(&scripted)) {
        if (scripted.answer != 1)
            return false;
        std::vector<std::string> values = *texts;
        if (!scripted.text.empty()) {
            values.clear();
            size_t start = 0;
            for (;;) {
                size_t comma = scripted.text.find(',', start);
                values.push_back(scripted.text.substr(start, comma == std::string::npos ? comma : comma - start));
                if (comma == std::string::npos)
                    break;
                start = comma + 1;
            }
            values.resize(labels.size());
        }
        std::string why = check ? check(values) : std::string();
        if (!why.empty()) {
            std::printf("Error: the scripted values were refused: %s\n", why.c_str());
            std::fflush(stdout);
            return false;
        }
        *texts = values;
        return true;
    }
    Dialog dialog{};
    dialog.kind = kDialogForm;
    dialog.formTexts = *texts;
    dialog.formCheck = check;
    if (!RunDialog(&dialog, [&](Dialog *d) { BuildForm(d, title, labels); }) || dialog.result != 1)
        return false;
    *texts = dialog.formTexts;
    return true;
}

void DialogsQueueScriptedAnswer(int answer, const std::string &text)
{
    scriptedAnswers.push_back(ScriptedAnswer{answer, text});
}

int DialogsPendingScriptedAnswers()
{
    return int(scriptedAnswers.size());
}

void DialogsClearScriptedAnswers()
{
    scriptedAnswers.clear();
}

void DialogsSetWindow(OpenGLWindow *window)
{
    dialogWindow = window;
}

void DialogsSetObserver(DialogsObserver newObserver, void *context)
{
    observer = newObserver;
    observerContext = context;
}
