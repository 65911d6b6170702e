#include "MenuBar.h"

#include "Events.h"
#include "Folders.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

static std::vector<PlatformMenu> menuBar;
static bool menuBarLoaded = false;

namespace {

// A cursor over one line of the description.
struct LineScanner {
    std::string_view line;
    size_t pos = 0;

    void SkipSpaces()
    {
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
            pos++;
    }
    bool AtEnd()
    {
        SkipSpaces();
        return pos >= line.size();
    }
    bool Word(std::string_view *out)
    {
        SkipSpaces();
        size_t start = pos;
        while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t')
            pos++;
        *out = line.substr(start, pos - start);
        return pos > start;
    }
    // "text": no escapes; the text may not hold a double quote.
    bool Quoted(std::string *out)
    {
        SkipSpaces();
        if (pos >= line.size() || line[pos] != '"')
            return false;
        size_t end = line.find('"', pos + 1);
        if (end == std::string_view::npos || end - pos - 1 > size_t(kMenuBarMaxTitleLength))
            return false;
        out->assign(line.substr(pos + 1, end - pos - 1));
        pos = end + 1;
        return true;
    }
    // 'abcd': exactly four characters between single quotes.
    bool Code(FourCharCode *out)
    {
        SkipSpaces();
        if (pos + 6 > line.size() || line[pos] != '\'' || line[pos + 5] != '\'')
            return false;
        FourCharCode code = 0;
        for (size_t i = 1; i <= 4; i++) {
            unsigned char c = static_cast<unsigned char>(line[pos + i]);
            if (c < 0x20 || c > 0x7E)
                return false;
            code = (code << 8) | c;
        }
        pos += 6;
        *out = code;
        return true;
    }
};

// Shift+Ctrl+S and the like.
bool ParseKeyEquivalent(std::string_view text, uint8_t *character, uint32_t *modifiers)
{
    uint32_t mods = 0;
    for (;;) {
        if (text.size() == 1)
            break;
        size_t plus = text.find('+');
        if (plus == std::string_view::npos || plus == 0)
            return false;
        std::string_view name = text.substr(0, plus);
        uint32_t bit = 0;
        if (name == "Shift")
            bit = kModifierShift;
        else if (name == "Ctrl")
            bit = kModifierControl;
        else if (name == "Alt")
            bit = kModifierAlt;
        else
            return false;
        if (mods & bit)
            return false;
        mods |= bit;
        text.remove_prefix(plus + 1);
    }
    unsigned char c = static_cast<unsigned char>(text[0]);
    if (c <= 0x20 || c > 0x7E)
        return false;
    *character = static_cast<uint8_t>(std::tolower(c));
    *modifiers = mods;
    return true;
}

bool ParseLine(std::string_view line, std::vector<PlatformMenu> *menus)
{
    LineScanner scan{line};
    if (scan.AtEnd() || line[scan.pos] == '#')
        return true;
    std::string_view keyword;
    scan.Word(&keyword);
    if (keyword == "menu") {
        PlatformMenu menu;
        if (!scan.Quoted(&menu.title) || !scan.AtEnd() || int32_t(menus->size()) >= kMenuBarMaxMenus)
            return false;
        menus->push_back(std::move(menu));
        return true;
    }
    if (menus->empty() || int32_t(menus->back().items.size()) >= kMenuBarMaxItemsPerMenu)
        return false;
    PlatformMenuItem item{};
    item.enabled = true;
    if (keyword == "separator")
        return scan.AtEnd() && (menus->back().items.push_back(item), true);
    if (keyword != "item")
        return false;
    if (!scan.Code(&item.command) || item.command == 0 || !scan.Quoted(&item.title))
        return false;
    std::string_view key;
    if (scan.Word(&key) && !ParseKeyEquivalent(key, &item.keyCharacter, &item.keyModifiers))
        return false;
    if (!scan.AtEnd())
        return false;
    menus->back().items.push_back(std::move(item));
    return true;
}

PlatformMenuItem *FindItem(FourCharCode command)
{
    if (command == 0)
        return nullptr;
    for (PlatformMenu &menu : menuBar)
        for (PlatformMenuItem &item : menu.items)
            if (item.command == command)
                return &item;
    return nullptr;
}

} // namespace

int32_t PlatformMenuBarParse(const char *text, size_t length, std::vector<PlatformMenu> *out)
{
    out->clear();
    if (!text && length > 0)
        return 1;
    std::vector<PlatformMenu> menus;
    size_t start = 0;
    int32_t lineNumber = 1;
    while (start <= length) {
        size_t end = start;
        while (end < length && text[end] != '\n' && text[end] != '\r')
            end++;
        std::string_view line(text ? text + start : "", end - start);
        if (line.find('\0') != std::string_view::npos || !ParseLine(line, &menus))
            return lineNumber;
        if (end >= length)
            break;
        // CR LF counts as one line break.
        start = end + ((text[end] == '\r' && end + 1 < length && text[end + 1] == '\n') ? 2 : 1);
        lineNumber++;
    }
    *out = std::move(menus);
    return 0;
}

int32_t PlatformMenuBarLoad(const char *name)
{
    PlatformMenuBarClear();
    std::filesystem::path file = PlatformResourcesFolder() / name;
    std::FILE *in = std::fopen(file.c_str(), "rb");
    if (!in)
        return errno ? -errno : -ENOENT;
    std::string text;
    char chunk[4096];
    size_t got;
    int32_t result = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0) {
        if (text.size() + got > kMenuBarMaxFileSize) {
            result = -EFBIG;
            break;
        }
        text.append(chunk, got);
    }
    if (result == 0 && std::ferror(in))
        result = -EIO;
    std::fclose(in);
    if (result != 0)
        return result;
    std::vector<PlatformMenu> menus;
    result = PlatformMenuBarParse(text.data(), text.size(), &menus);
    if (result != 0)
        return result;
    menuBar = std::move(menus);
    menuBarLoaded = true;
    return 0;
}

void PlatformMenuBarClear()
{
    menuBar.clear();
    menuBarLoaded = false;
}

bool PlatformMenuBarIsLoaded()
{
    return menuBarLoaded;
}

const std::vector<PlatformMenu> &PlatformMenuBarGetMenus()
{
    return menuBar;
}

bool PlatformEnableMenuCommand(FourCharCode command)
{
    PlatformMenuItem *item = FindItem(command);
    if (item)
        item->enabled = true;
    return item != nullptr;
}

bool PlatformDisableMenuCommand(FourCharCode command)
{
    PlatformMenuItem *item = FindItem(command);
    if (item)
        item->enabled = false;
    return item != nullptr;
}

bool PlatformIsMenuCommandEnabled(FourCharCode command)
{
    PlatformMenuItem *item = FindItem(command);
    return item && item->enabled;
}

bool PlatformSetMenuCommandTitle(FourCharCode command, const std::string &title)
{
    PlatformMenuItem *item = FindItem(command);
    if (item)
        item->title = title.substr(0, kMenuBarMaxTitleLength);
    return item != nullptr;
}

std::string PlatformGetMenuCommandTitle(FourCharCode command)
{
    PlatformMenuItem *item = FindItem(command);
    return item ? item->title : std::string();
}

bool PlatformMenuCommandForKey(uint8_t character, uint32_t modifiers, FourCharCode *out)
{
    const uint32_t compared = kModifierShift | kModifierAlt | kModifierControl;
    uint8_t c = static_cast<uint8_t>(std::tolower(character));
    if (c == 0)
        return false;
    for (const PlatformMenu &menu : menuBar)
        for (const PlatformMenuItem &item : menu.items)
            if (item.enabled && item.keyCharacter == c && item.keyModifiers == (modifiers & compared)) {
                *out = item.command;
                return true;
            }
    return false;
}
