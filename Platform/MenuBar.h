// The menu bar: menus of items, each carrying a command code and perhaps a
// key equivalent, read from the text description "MainMenu" among the
// resources.  Items are enabled and disabled by command code, and key presses
// with their equivalents become command events.
//
// The description is line oriented:
//
//     # a comment
//     menu "File"
//     item 'open' "Open..." Ctrl+O
//     item 'svas' "Save As..." Shift+Ctrl+S
//     separator
//
// A key equivalent is any of Shift+, Alt+, Ctrl+ followed by one printable
// character; letters are matched without regard to case.
#pragma once

#include "Types.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct PlatformMenuItem {
    std::string title;       // empty for a separator
    FourCharCode command;    // 0 for a separator
    uint8_t keyCharacter;    // lower case; 0 without a key equivalent
    uint32_t keyModifiers;   // kModifierShift, kModifierAlt, kModifierControl
    bool enabled;
};

struct PlatformMenu {
    std::string title;
    std::vector<PlatformMenuItem> items;
};

constexpr int32_t kMenuBarMaxMenus = 32;
constexpr int32_t kMenuBarMaxItemsPerMenu = 64;
constexpr int32_t kMenuBarMaxTitleLength = 255;
constexpr size_t kMenuBarMaxFileSize = 65536;

// Parses a description.  Returns 0, or the 1-based number of the first line
// that is not understood (out is then left empty).
int32_t PlatformMenuBarParse(const char *text, size_t length, std::vector<PlatformMenu> *out);
// Loads the named description from the resources folder and makes it the
// menu bar.  Returns 0; a negative errno value when the file cannot be read
// (or is larger than kMenuBarMaxFileSize); a positive line number when it is
// malformed.  On failure the program has no menu bar.
int32_t PlatformMenuBarLoad(const char *name);
void PlatformMenuBarClear();
bool PlatformMenuBarIsLoaded();
const std::vector<PlatformMenu> &PlatformMenuBarGetMenus();

// The first item of the whole menu bar that carries the code; false when
// there is none.
bool PlatformEnableMenuCommand(FourCharCode command);
bool PlatformDisableMenuCommand(FourCharCode command);
// False also when no item carries the code.
bool PlatformIsMenuCommandEnabled(FourCharCode command);
// Renames the first item that carries the code ("Undo Place Blocks").
bool PlatformSetMenuCommandTitle(FourCharCode command, const std::string &title);
// The first such item's title, or "" when no item carries the code.
std::string PlatformGetMenuCommandTitle(FourCharCode command);
// The command of the first enabled item whose key equivalent is this
// character (as the key types without modifiers) with exactly these
// modifiers (Shift, Alt and Control are compared; other bits are ignored).
bool PlatformMenuCommandForKey(uint8_t character, uint32_t modifiers, FourCharCode *out);
