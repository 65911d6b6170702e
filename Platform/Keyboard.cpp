#include "Keyboard.h"

#include "Events.h"

#include <cctype>

static PlatformLayoutLookup layoutLookup = nullptr;

void PlatformSetLayoutLookup(PlatformLayoutLookup lookup)
{
    layoutLookup = lookup;
}

// The US layout: unshifted and shifted characters of the printable keys.
static uint8_t UsUnshifted(int32_t keyCode)
{
    if (keyCode >= kKeyCodeA && keyCode < kKeyCodeA + 26)
        return uint8_t('a' + (keyCode - kKeyCodeA));
    if (keyCode >= kKeyCode1 && keyCode < kKeyCode1 + 9)
        return uint8_t('1' + (keyCode - kKeyCode1));
    switch (keyCode) {
    case kKeyCode0: return '0';
    case kKeyCodeMinus: return '-';
    case kKeyCodeEquals: return '=';
    case kKeyCodeLeftBracket: return '[';
    case kKeyCodeRightBracket: return ']';
    case kKeyCodeBackslash: return '\\';
    case kKeyCodeSemicolon: return ';';
    case kKeyCodeApostrophe: return '\'';
    case kKeyCodeGrave: return '`';
    case kKeyCodeComma: return ',';
    case kKeyCodePeriod: return '.';
    case kKeyCodeSlash: return '/';
    default: return 0;
    }
}

static uint8_t UsShifted(uint8_t c)
{
    static const char plain[] = "1234567890-=[]\\;'`,./";
    static const char shifted[] = "!@#$%^&*()_+{}|:\"~<>?";
    for (int i = 0; plain[i]; i++)
        if (uint8_t(plain[i]) == c)
            return uint8_t(shifted[i]);
    return c;
}

uint8_t PlatformKeyCodeToCharCode(int32_t keyCode, uint32_t modifiers)
{
    switch (keyCode) {
    case kKeyCodeEscape: return 27;
    case kKeyCodeLeft: return 28;
    case kKeyCodeRight: return 29;
    case kKeyCodeUp: return 30;
    case kKeyCodeDown: return 31;
    case kKeyCodeSpace: return 32;
    case kKeyCodeReturn:
    case kKeyCodeKeypadEnter: return 13;
    case kKeyCodeBackspace: return 8;
    case kKeyCodeDelete: return 127;
    case kKeyCodeTab: return 9;
    default: break;
    }
    uint8_t c = 0;
    if (layoutLookup)
        c = layoutLookup(keyCode);
    if (c == 0)
        c = UsUnshifted(keyCode);
    if (c == 0 || c >= 128)
        return c;
    bool shift = (modifiers & kModifierShift) != 0;
    bool caps = (modifiers & kModifierCapsLock) != 0;
    if (std::isalpha(c))
        return (shift != caps) ? uint8_t(std::toupper(c)) : c;
    return shift ? UsShifted(c) : c;
}

int32_t PlatformCharCodeToKeyCode(uint8_t character)
{
    uint8_t c = uint8_t(std::tolower(character));
    for (int32_t keyCode = 0; keyCode < 256; keyCode++)
        if (PlatformKeyCodeToCharCode(keyCode, 0) == c)
            return keyCode;
    return -1;
}

bool PlatformKeyCodeIsModifier(int32_t keyCode)
{
    return keyCode >= kKeyCodeLeftControl && keyCode <= 231;
}
