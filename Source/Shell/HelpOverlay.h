// "Keys and Controls": an overlay over any screen listing the keys of the
// current mode (the editor's in the level editor, the game's elsewhere).
// F1 or the Help menu's item (command 'help') shows it; any key or click
// closes it, and nothing under it sees that key or click.  The game holds
// its clock while it shows.
//
// The tables below are the one source of the keys: the overlay draws them
// and the README's key tables are checked against them.  What the overlay
// lists comes through HelpOverlayBindings, which a binding source (keys
// rebound, a gamepad) may replace.
#pragma once

#include "Types.h"

#include <cstdint>
#include <string>
#include <vector>

constexpr FourCharCode kHelpCommand = 'help';

struct HelpBinding {
    std::string keys;   // "Arrow keys", "Space", "A / D"
    std::string action; // what they do
};

// The bindings of a mode kind as the program ships them: the level editor's
// for ModeLevelEditor, the game's for any other.
const std::vector<HelpBinding> &HelpOverlayDefaultBindings(int32_t mode);
// The bindings in force for a mode kind: the binding source's answer when one
// is set, else the defaults followed by every action of the mode bound to
// another key than its default.
typedef std::vector<HelpBinding> (*HelpBindingSource)(int32_t mode);
void HelpOverlaySetBindingSource(HelpBindingSource source);
std::vector<HelpBinding> HelpOverlayBindings(int32_t mode);

// Starts listening for F1 and 'help' and draws over every frame (before the
// overlay that was set, which still draws after it); ShutDown undoes both.
void HelpOverlayStartUp();
void HelpOverlayShutDown();

// Shows the bindings in force for the mode on top of the stack.
void HelpOverlayShow();
void HelpOverlayHide();
bool HelpOverlayIsShown();
// The rows shown now (empty while hidden).
const std::vector<HelpBinding> &HelpOverlayShownRows();
// Draws the overlay if it shows, in the main window's overlay space.
void HelpOverlayDraw();
