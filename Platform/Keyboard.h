// Hardware key codes and their translation into the program's one-byte
// character codes.  Key codes are the USB HID keyboard usage numbers, the
// same on every keyboard layout; the character a key types depends on the
// layout.
#pragma once

#include <cstdint>

enum : int32_t {
    kKeyCodeA = 4,       // A to Z are 4 to 29
    kKeyCode1 = 30,      // 1 to 9 are 30 to 38
    kKeyCode0 = 39,
    kKeyCodeReturn = 40,
    kKeyCodeEscape = 41,
    kKeyCodeBackspace = 42,
    kKeyCodeTab = 43,
    kKeyCodeSpace = 44,
    kKeyCodeMinus = 45,
    kKeyCodeEquals = 46,
    kKeyCodeLeftBracket = 47,
    kKeyCodeRightBracket = 48,
    kKeyCodeBackslash = 49,
    kKeyCodeSemicolon = 51,
    kKeyCodeApostrophe = 52,
    kKeyCodeGrave = 53,
    kKeyCodeComma = 54,
    kKeyCodePeriod = 55,
    kKeyCodeSlash = 56,
    kKeyCodeDelete = 76,
    kKeyCodeRight = 79,
    kKeyCodeLeft = 80,
    kKeyCodeDown = 81,
    kKeyCodeUp = 82,
    kKeyCodeF1 = 58,
    kKeyCodeKeypadEnter = 88,
    kKeyCodeLeftControl = 224,
    kKeyCodeLeftShift = 225,
    kKeyCodeLeftAlt = 226,
    kKeyCodeRightControl = 228,
    kKeyCodeRightShift = 229,
    kKeyCodeRightAlt = 230,
};

// The character code a key types: Escape 27, arrows left 28, right 29, up 30,
// down 31, space 32, Return 13, Backspace 8, forward Delete 127, Tab 9, and
// the layout's character otherwise (letters in lower case unless Shift or
// Caps Lock is in modifiers; Shift also gives the shifted symbols of the
// layout).  0 for keys that type nothing.
uint8_t PlatformKeyCodeToCharCode(int32_t keyCode, uint32_t modifiers);
// The key that types character without modifiers, or -1 (tests use it to
// inject keys by character).
int32_t PlatformCharCodeToKeyCode(uint8_t character);
// Whether the key is a modifier key (Shift, Control, Alt).
bool PlatformKeyCodeIsModifier(int32_t keyCode);
// The layout lookup of the desktop: the layout's unshifted character of a
// key, or 0 when the key is not a character key.  Installed by the desktop
// platform; without it the US layout is used.
typedef uint8_t (*PlatformLayoutLookup)(int32_t keyCode);
void PlatformSetLayoutLookup(PlatformLayoutLookup lookup);
