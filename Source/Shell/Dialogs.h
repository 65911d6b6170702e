// The file dialogs: ask to save changes, save as, and open.  Each is drawn in
// the main window with the game's own widgets and runs a nested modal loop
// that keeps timers and events flowing until it is answered.  The caller
// suspends its mode around the call.  While a dialog is up it takes every
// key, click and command, so that menu key equivalents (Ctrl+Q too) do
// nothing; a request to quit from outside is posted again once it is gone.
// Return presses the default button, Escape cancels, Tab moves between the
// fields.  A dialog that no input can reach any more (the headless platform
// with nothing left injected) counts as cancelled.
#pragma once

#include "Types.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

struct OpenGLWindow;
struct WidgetController;

// How a folder of level sets is named in lists: "Standard levels", "User
// levels", "Downloaded levels", or the folder's own name.
std::string DialogsFolderLabel(const std::filesystem::path &folder);
// Names in the order people expect: "Set 2" before "Set 10", case aside.
bool DialogsNameBefore(const std::string &a, const std::string &b);

// 1 save, 0 cancel, -1 do not save, kDialogNotShown when the dialog cannot
// be shown (no window, or another dialog up): nobody chose to throw the
// changes away, so a caller that can keep a copy of them should.  Worded
// for quitting the application when quitting is true, else for closing the
// document.
constexpr int kDialogNotShown = -2;
int displayAskSaveChangesDialog(const std::string &documentName, bool quitting);

// A message with two buttons: 1 for the default one (also Return), -1 for
// the other, 0 when cancelled (Escape, or when it cannot be shown).  The
// buttons are kDialogsSaveButton and kDialogsDontSaveButton.
int displayQuestionDialog(const std::string &message, const std::string &defaultButton,
                          const std::string &otherButton);

// "Save file as:" with defaultName, all of it selected.  The file goes into
// defaultFolder.  True with the folder and the typed name on confirmation;
// false on cancel or error.  Names that are empty, hold a slash or are only
// dots are refused in the dialog; an existing file is replaced only after a
// confirmation.
bool displayModalSaveDialog(const std::string &defaultName, const std::filesystem::path &defaultFolder,
                            std::filesystem::path *outFolder, std::string *outName);

// The level sets of the standard, "User levels" and "Downloaded levels"
// folders, with their folder and number of levels (a set that cannot be
// loaded is shown as damaged and cannot be chosen), and a field for any
// path: "~" is the home folder and a relative path lies in "User levels".
// True with the chosen file.
bool displayModalOpenDialog(std::filesystem::path *outFile);

// A form: the title, then one text field per label filled with the texts,
// a line for messages, and OK and Cancel.  On OK, check receives the fields'
// texts and returns why they cannot be taken (shown, the form staying up),
// or an empty string.  True with the texts in *texts once OK is taken; false
// on cancel.  A scripted answer 1 takes its text as the fields' texts
// separated by commas (an empty text keeps them); the check still applies.
bool displayModalFormDialog(const std::string &title, const std::vector<std::string> &labels,
                            std::vector<std::string> *texts,
                            const std::function<std::string(const std::vector<std::string> &)> &check);

// Why a file name cannot be used, or null when it can.
const char *DialogsCheckFileName(const std::string &name);

// Test scripting (headless platform): answers that the next dialogs take
// instead of being shown, in order.  The ask dialog returns `answer`; the
// save dialog confirms with `text` as the name when answer is 1 (an empty
// text keeps the default name; the name checks still apply) and cancels on
// 0; the open dialog opens the path `text` on 1 and cancels on 0.
// A scripted save confirmation also confirms replacing an existing file.
// When this queue is empty, the answers of the headless platform
// (HeadlessQueueAnswer) are taken the same way, with an empty text.
void DialogsQueueScriptedAnswer(int answer, const std::string &text = "");
int DialogsPendingScriptedAnswers();
void DialogsClearScriptedAnswers();

// The window the dialogs are drawn in, until it is set back to null (the
// default), which means the main controller's window.  Without a window a
// dialog cannot be shown.
void DialogsSetWindow(OpenGLWindow *window);

// Called with the widgets of a dialog each time it comes up (also when the
// save dialog turns to its replace question), before it takes any input.
// Tests use it to find the controls.  Null removes it.
typedef void (*DialogsObserver)(WidgetController *widgets, void *context);
void DialogsSetObserver(DialogsObserver observer, void *context);

// Identifiers of the dialogs' widgets.
constexpr FourCharCode kDialogsSaveButton = 'Save';
constexpr FourCharCode kDialogsDontSaveButton = 'DSav';
constexpr FourCharCode kDialogsCancelButton = 'Cncl';
constexpr FourCharCode kDialogsOpenButton = 'Open';
constexpr FourCharCode kDialogsOKButton = 'OK  ';
constexpr FourCharCode kDialogsReplaceButton = 'Rplc';
constexpr FourCharCode kDialogsReplaceCancelButton = 'RCnl';
constexpr FourCharCode kDialogsNameField = 'Name';
constexpr FourCharCode kDialogsPathField = 'Path';
constexpr FourCharCode kDialogsMessage = 'Mesg';    // why a name or path is refused
constexpr FourCharCode kDialogsScrollBar = 'Scrl';  // the open dialog's list, when it overflows
// The open dialog's visible rows: the set's name, its folder and its number
// of levels ("damaged" for a set that cannot be loaded) in row i.
constexpr int32_t kDialogsVisibleRows = 8;
constexpr FourCharCode DialogsRowNameIdentifier(int32_t row) { return 'RN00' + FourCharCode(row); }
constexpr FourCharCode DialogsRowFolderIdentifier(int32_t row) { return 'RF00' + FourCharCode(row); }
constexpr FourCharCode DialogsRowLevelsIdentifier(int32_t row) { return 'RL00' + FourCharCode(row); }
// The form's text fields, in the order of its labels.
constexpr FourCharCode DialogsFormFieldIdentifier(int32_t index) { return 'FF00' + FourCharCode(index); }
