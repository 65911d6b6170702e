// The keys of the game and the editor, which the player may change, and the
// comfort options.  They live in "Brimhold Bindings" beside the preferences
// file, as text:
//   Brimhold bindings 1
//   game <action> <key code>       one line per action of the game
//   editor <action> <key code>     one line per action of the editor
//   comfort <option> <0 or 1>
// Actions missing from the file keep their default keys.  A file that cannot
// be read as this, or that binds two actions of the game (or of the editor)
// to one key, is reported once, set aside with ".damaged" added to its name,
// and the defaults are used.
//
// Each action stands for the character its default key types (the arrows,
// space, q ...): the game and the editor turn a key into that character, so
// their handling and the replays do not change with the bindings.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

enum BindingsAction : int32_t {
    // The game.
    kActionRunForward = 0,
    kActionRunBack,
    kActionRunLeft,
    kActionRunRight,
    kActionJump,
    kActionUse,
    kActionTurnLeft,
    kActionTurnRight,
    kActionTiltUp,
    kActionTiltDown,
    kActionZoomIn,
    kActionZoomOut,
    kActionPause,
    // The editor.
    kActionCursorLeft,
    kActionCursorRight,
    kActionCursorForward,
    kActionCursorBack,
    kActionCursorUp,
    kActionCursorDown,
    kActionPlaceBlocks,
    kActionOrbitLeft,
    kActionOrbitRight,
    kActionEditorTiltUp,
    kActionEditorTiltDown,
    kActionEditorZoomIn,
    kActionEditorZoomOut,
    kBindingsActionCount,
};

enum BindingsContext : int32_t { kBindingsGame = 0, kBindingsEditor = 1 };

enum BindingsComfort : int32_t {
    kComfortReducedCameraMotion = 0, // no automatic swing behind the player
    kComfortLargerText = 1,          // labels and dialogs in a larger size
    kComfortHighContrastHUD = 2,     // the status labels on a dark plate
    kBindingsComfortCount = 3,
};

// The context, label ("Jump"), file name ("jump") and character of an action.
BindingsContext BindingsActionContext(int32_t action);
const char *BindingsActionLabel(int32_t action);
const char *BindingsActionToken(int32_t action);
uint8_t BindingsActionCharacter(int32_t action);
const char *BindingsComfortLabel(int32_t option);

// The default key of an action: the key that types its character on the
// user's keyboard layout.
int32_t BindingsDefaultKey(int32_t action);
void BindingsLoadDefaults();

int32_t BindingsGetKey(int32_t action);
// The action of the context that key is bound to, or -1.
int32_t BindingsActionForKey(BindingsContext context, int32_t keyCode);
// The character that key stands for in the context, or 0 when it is bound
// to nothing there.
uint8_t BindingsCharacterForKey(BindingsContext context, int32_t keyCode);
// Whether a key can be bound: a key of the keyboard that is not a modifier.
bool BindingsKeyIsBindable(int32_t keyCode);
// Binds key to action when no other action of its context has it: returns
// -1 then.  Otherwise nothing changes and the other action is returned (the
// caller may offer BindingsSwap).  A key that cannot be bound returns -2.
int32_t BindingsSetKey(int32_t action, int32_t keyCode);
// Gives action the key of other and other the key of action.
void BindingsSwap(int32_t action, int32_t other);
// Every action back to its default key (the comfort options stay).
void BindingsResetToDefaults();

bool BindingsGetComfort(int32_t option);
void BindingsSetComfort(int32_t option, bool on);

// The key's name as the keyboard shows it: "Space", "Left Arrow", "F5", or
// the character the key types on the user's layout ("Q").
std::string BindingsKeyName(int32_t keyCode);

// The text of the file for the current bindings.
std::string BindingsWriteToText();
// Takes the text of a file: true with the bindings taken, false (nothing
// changed) with why in error ("line 3: ...").
bool BindingsReadFromText(const std::string &text, std::string *error);

// "Brimhold Bindings" in the preferences folder.
std::filesystem::path BindingsGetFilePath();
// Defaults, then the file if there is one; a damaged file is reported with
// an alert, renamed with ".damaged" and the defaults stay.
void BindingsStartUp();
// Writes the file through a temporary one that replaces it only when
// complete; false (the old file untouched) when that fails.
bool BindingsSave();
// Saves the file when something changed since start-up or the last save.
void BindingsShutDown();
