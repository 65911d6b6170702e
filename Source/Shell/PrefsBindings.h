// The controls screen, opened from the preferences screen: the keys of the
// game and of the editor, one row per action with its key's name on a
// button, and the comfort options.  Clicking a key's button (or pressing A
// on it) waits for the new key; a key that another action of the same page
// has is offered to swap.  "Reset to defaults" brings back every key.  The
// screen runs its own modal loop over the preferences screen; Escape or B
// (when no key is awaited) and "Done" close it, and the bindings are saved.
#pragma once

#include "Types.h"

#include <cstdint>

struct WidgetController;

// Shows the screen until it is closed; false when there is no window to
// show it in.
bool PrefsBindingsRun();

// Puts the comfort options in force: the text scale of the widgets (1.25
// for larger text) and the status line's contrast.  The reduced camera
// motion is read by the game at every step.
constexpr float kPrefsBindingsLargerTextScale = 1.25f;
void PrefsBindingsApplyComfort();

// Tests: called with the screen's widgets each time it comes up, before
// any input.  Null removes it.
typedef void (*PrefsBindingsObserver)(WidgetController *widgets, void *context);
void PrefsBindingsSetObserver(PrefsBindingsObserver observer, void *context);

// Identifiers of the screen's widgets.
constexpr FourCharCode kPrefsBindingsGamePage = 'PgGm';
constexpr FourCharCode kPrefsBindingsEditorPage = 'PgEd';
constexpr FourCharCode kPrefsBindingsComfortPage = 'PgCf';
constexpr FourCharCode kPrefsBindingsReset = 'Rset';
constexpr FourCharCode kPrefsBindingsDone = 'Done';
constexpr FourCharCode kPrefsBindingsSwap = 'Swap';
constexpr FourCharCode kPrefsBindingsKeep = 'Keep';
constexpr FourCharCode kPrefsBindingsMessage = 'Mesg';
// The key button and the label of an action; the check box of a comfort
// option.
constexpr FourCharCode PrefsBindingsKeyIdentifier(int32_t action) { return 'BK00' + FourCharCode(action); }
constexpr FourCharCode PrefsBindingsLabelIdentifier(int32_t action) { return 'BL00' + FourCharCode(action); }
constexpr FourCharCode PrefsBindingsComfortIdentifier(int32_t option) { return 'Cf00' + FourCharCode(option); }
