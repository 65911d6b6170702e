// The file dialogs: ask to save changes, save as, and open.  Each is drawn in
// the main window with the game's own widgets and runs a nested modal loop
// that keeps timers and events flowing until it is answered.  The caller
// suspends its mode around the call.
#pragma once

#include <filesystem>
#include <string>

// 1 save, 0 cancel, -1 do not save (also when the dialog cannot be shown).
// Worded for quitting the application when quitting is true, else for
// closing the document.
int displayAskSaveChangesDialog(const std::string &documentName, bool quitting);

// "Save file as:" with defaultName, all of it selected.  The file goes into
// defaultFolder.  True with the folder and the typed name on confirmation;
// false on cancel or error.  Names that are empty, hold a slash or are only
// dots are refused in the dialog; an existing file is replaced only after a
// confirmation.
bool displayModalSaveDialog(const std::string &defaultName, const std::filesystem::path &defaultFolder,
                            std::filesystem::path *outFolder, std::string *outName);

// The level sets of the standard, "User levels" and "Downloaded levels"
// folders, and a field for any path.  True with the chosen file.
bool displayModalOpenDialog(std::filesystem::path *outFile);

// Why a file name cannot be used, or null when it can.
const char *DialogsCheckFileName(const std::string &name);

// Test scripting (headless platform): answers that the next dialogs take
// instead of being shown, in order.  The ask dialog returns `answer`; the
// save dialog confirms with `text` as the name when answer is 1 (an empty
// text keeps the default name; the name checks still apply) and cancels on
// 0; the open dialog opens the path `text` on 1 and cancels on 0.
void DialogsQueueScriptedAnswer(int answer, const std::string &text = "");
int DialogsPendingScriptedAnswers();
void DialogsClearScriptedAnswers();
