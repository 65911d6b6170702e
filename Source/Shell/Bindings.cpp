#include "Bindings.h"

#include "Folders.h"
#include "Keyboard.h"
#include "Utilities.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct ActionInfo {
    BindingsContext context;
    const char *label;
    const char *token;
    uint8_t character;
};

const ActionInfo kActions[kBindingsActionCount] = {
    {kBindingsGame, "Run forward", "run-forward", 30},
    {kBindingsGame, "Run back", "run-back", 31},
    {kBindingsGame, "Run left", "run-left", 28},
    {kBindingsGame, "Run right", "run-right", 29},
    {kBindingsGame, "Jump", "jump", ' '},
    {kBindingsGame, "Use", "use", 'q'},
    {kBindingsGame, "Turn view left", "turn-left", 'a'},
    {kBindingsGame, "Turn view right", "turn-right", 'd'},
    {kBindingsGame, "Tilt view up", "tilt-up", 'w'},
    {kBindingsGame, "Tilt view down", "tilt-down", 's'},
    {kBindingsGame, "Zoom in", "zoom-in", 'e'},
    {kBindingsGame, "Zoom out", "zoom-out", 'c'},
    {kBindingsGame, "Pause", "pause", 27},
    {kBindingsEditor, "Cursor left", "cursor-left", 28},
    {kBindingsEditor, "Cursor right", "cursor-right", 29},
    {kBindingsEditor, "Cursor forward", "cursor-forward", 30},
    {kBindingsEditor, "Cursor back", "cursor-back", 31},
    {kBindingsEditor, "Cursor up", "cursor-up", 'q'},
    {kBindingsEditor, "Cursor down", "cursor-down", 'z'},
    {kBindingsEditor, "Place blocks", "place", ' '},
    {kBindingsEditor, "Orbit view left", "orbit-left", 'a'},
    {kBindingsEditor, "Orbit view right", "orbit-right", 'd'},
    {kBindingsEditor, "Tilt view up", "tilt-up", 'w'},
    {kBindingsEditor, "Tilt view down", "tilt-down", 's'},
    {kBindingsEditor, "Zoom in", "zoom-in", 'e'},
    {kBindingsEditor, "Zoom out", "zoom-out", 'c'},
};

const char *const kComfortLabels[kBindingsComfortCount] = {"Reduced camera motion", "Larger text",
                                                           "High-contrast status display"};
const char *const kComfortTokens[kBindingsComfortCount] = {"reduced-camera-motion", "larger-text",
                                                           "high-contrast-hud"};
const char *const kContextTokens[2] = {"game", "editor"};
const char kHeader[] = "Brimhold bindings 1";
// A bindings file is a few hundred bytes; anything far larger is not one.
constexpr size_t kMaxFileSize = 64 * 1024;

int32_t keys[kBindingsActionCount];
bool comfort[kBindingsComfortCount];
bool keysLoaded = false;
bool changed = false;

bool ValidAction(int32_t action)
{
    return action >= 0 && action < kBindingsActionCount;
}

void EnsureLoaded()
{
    if (!keysLoaded)
        BindingsLoadDefaults();
}

// Splits a line at runs of spaces and tabs.
std::vector<std::string> Words(const std::string &line)
{
    std::vector<std::string> words;
    std::string word;
    for (char c : line) {
        if (c == ' ' || c == '\t') {
            if (!word.empty())
                words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty())
        words.push_back(word);
    return words;
}

// A whole decimal number of at most three digits.
bool SmallNumber(const std::string &word, int32_t *out)
{
    if (word.empty() || word.size() > 3)
        return false;
    int32_t value = 0;
    for (char c : word) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    *out = value;
    return true;
}

int32_t FindAction(int32_t context, const std::string &token)
{
    for (int32_t a = 0; a < kBindingsActionCount; a++)
        if (kActions[a].context == context && token == kActions[a].token)
            return a;
    return -1;
}

// The bindings pass when no two actions of one context share a key.
int32_t FirstClash(const int32_t *table)
{
    for (int32_t a = 0; a < kBindingsActionCount; a++)
        for (int32_t b = a + 1; b < kBindingsActionCount; b++)
            if (kActions[a].context == kActions[b].context && table[a] == table[b])
                return b;
    return -1;
}

} // namespace

BindingsContext BindingsActionContext(int32_t action)
{
    return ValidAction(action) ? kActions[action].context : kBindingsGame;
}

const char *BindingsActionLabel(int32_t action)
{
    return ValidAction(action) ? kActions[action].label : "";
}

const char *BindingsActionToken(int32_t action)
{
    return ValidAction(action) ? kActions[action].token : "";
}

uint8_t BindingsActionCharacter(int32_t action)
{
    return ValidAction(action) ? kActions[action].character : 0;
}

const char *BindingsComfortLabel(int32_t option)
{
    return option >= 0 && option < kBindingsComfortCount ? kComfortLabels[option] : "";
}

int32_t BindingsDefaultKey(int32_t action)
{
    if (!ValidAction(action))
        return -1;
    switch (kActions[action].character) {
    case 27: return kKeyCodeEscape;
    case 28: return kKeyCodeLeft;
    case 29: return kKeyCodeRight;
    case 30: return kKeyCodeUp;
    case 31: return kKeyCodeDown;
    case ' ': return kKeyCodeSpace;
    default: break;
    }
    int32_t key = PlatformCharCodeToKeyCode(kActions[action].character);
    // A layout without the letter keeps the key where the US layout has it.
    return key >= 0 ? key : kKeyCodeA + (kActions[action].character - 'a');
}

void BindingsLoadDefaults()
{
    for (int32_t a = 0; a < kBindingsActionCount; a++)
        keys[a] = BindingsDefaultKey(a);
    for (bool &option : comfort)
        option = false;
    keysLoaded = true;
}

int32_t BindingsGetKey(int32_t action)
{
    EnsureLoaded();
    return ValidAction(action) ? keys[action] : -1;
}

int32_t BindingsActionForKey(BindingsContext context, int32_t keyCode)
{
    EnsureLoaded();
    for (int32_t a = 0; a < kBindingsActionCount; a++)
        if (kActions[a].context == context && keys[a] == keyCode)
            return a;
    return -1;
}

uint8_t BindingsCharacterForKey(BindingsContext context, int32_t keyCode)
{
    int32_t action = BindingsActionForKey(context, keyCode);
    return action >= 0 ? kActions[action].character : 0;
}

bool BindingsKeyIsBindable(int32_t keyCode)
{
    return keyCode >= kKeyCodeA && keyCode < 256 && !PlatformKeyCodeIsModifier(keyCode);
}

int32_t BindingsSetKey(int32_t action, int32_t keyCode)
{
    EnsureLoaded();
    if (!ValidAction(action) || !BindingsKeyIsBindable(keyCode))
        return -2;
    int32_t holder = BindingsActionForKey(kActions[action].context, keyCode);
    if (holder >= 0 && holder != action)
        return holder;
    if (keys[action] != keyCode)
        changed = true;
    keys[action] = keyCode;
    return -1;
}

void BindingsSwap(int32_t action, int32_t other)
{
    EnsureLoaded();
    if (!ValidAction(action) || !ValidAction(other) || action == other)
        return;
    std::swap(keys[action], keys[other]);
    changed = true;
}

void BindingsResetToDefaults()
{
    EnsureLoaded();
    for (int32_t a = 0; a < kBindingsActionCount; a++) {
        int32_t key = BindingsDefaultKey(a);
        if (keys[a] != key)
            changed = true;
        keys[a] = key;
    }
}

bool BindingsGetComfort(int32_t option)
{
    EnsureLoaded();
    return option >= 0 && option < kBindingsComfortCount && comfort[option];
}

void BindingsSetComfort(int32_t option, bool on)
{
    EnsureLoaded();
    if (option < 0 || option >= kBindingsComfortCount || comfort[option] == on)
        return;
    comfort[option] = on;
    changed = true;
}

std::string BindingsKeyName(int32_t keyCode)
{
    switch (keyCode) {
    case kKeyCodeReturn: return "Return";
    case kKeyCodeEscape: return "Escape";
    case kKeyCodeBackspace: return "Backspace";
    case kKeyCodeTab: return "Tab";
    case kKeyCodeSpace: return "Space";
    case kKeyCodeDelete: return "Delete";
    case kKeyCodeLeft: return "Left Arrow";
    case kKeyCodeRight: return "Right Arrow";
    case kKeyCodeUp: return "Up Arrow";
    case kKeyCodeDown: return "Down Arrow";
    case kKeyCodeKeypadEnter: return "Enter";
    case 73: return "Insert";
    case 74: return "Home";
    case 75: return "Page Up";
    case 77: return "End";
    case 78: return "Page Down";
    case 57: return "Caps Lock";
    default: break;
    }
    char name[16];
    if (keyCode >= 58 && keyCode <= 69) { // F1 to F12
        std::snprintf(name, sizeof name, "F%d", int(keyCode - 57));
        return name;
    }
    if (keyCode >= 89 && keyCode <= 98) { // keypad 1 to 9, then 0
        std::snprintf(name, sizeof name, "Keypad %d", int((keyCode - 88) % 10));
        return name;
    }
    uint8_t c = PlatformKeyCodeToCharCode(keyCode, 0);
    if (c > 32 && c < 127)
        return std::string(1, char(std::toupper(c)));
    std::snprintf(name, sizeof name, "Key %d", int(keyCode));
    return name;
}

std::string BindingsWriteToText()
{
    EnsureLoaded();
    std::string text = std::string(kHeader) + "\n";
    for (int32_t a = 0; a < kBindingsActionCount; a++)
        text += std::string(kContextTokens[kActions[a].context]) + " " + kActions[a].token + " " +
                std::to_string(keys[a]) + "\n";
    for (int32_t o = 0; o < kBindingsComfortCount; o++)
        text += std::string("comfort ") + kComfortTokens[o] + (comfort[o] ? " 1\n" : " 0\n");
    return text;
}

bool BindingsReadFromText(const std::string &text, std::string *error)
{
    EnsureLoaded();
    auto fail = [&](int line, const std::string &why) {
        if (error)
            *error = "line " + std::to_string(line) + ": " + why;
        return false;
    };
    if (text.size() > kMaxFileSize)
        return fail(1, "the file is too large");
    int32_t table[kBindingsActionCount];
    bool options[kBindingsComfortCount];
    for (int32_t a = 0; a < kBindingsActionCount; a++)
        table[a] = BindingsDefaultKey(a);
    for (bool &option : options)
        option = false;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    bool headerSeen = false;
    while (std::getline(in, line)) {
        number++;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!headerSeen) {
            if (line != kHeader)
                return fail(number, "this is not a bindings file");
            headerSeen = true;
            continue;
        }
        std::vector<std::string> words = Words(line);
        if (words.empty())
            continue;
        int32_t value = 0;
        if (words.size() != 3 || !SmallNumber(words[2], &value))
            return fail(number, "expected a name and a number");
        if (words[0] == "comfort") {
            int32_t option = -1;
            for (int32_t o = 0; o < kBindingsComfortCount; o++)
                if (words[1] == kComfortTokens[o])
                    option = o;
            if (option < 0 || value > 1)
                return fail(number, "unknown comfort option");
            options[option] = value == 1;
            continue;
        }
        int32_t context = words[0] == "game" ? kBindingsGame : words[0] == "editor" ? kBindingsEditor : -1;
        int32_t action = context < 0 ? -1 : FindAction(context, words[1]);
        if (action < 0)
            return fail(number, "unknown action");
        if (!BindingsKeyIsBindable(value))
            return fail(number, "not a key that can be bound");
        table[action] = value;
    }
    if (!headerSeen)
        return fail(1, "this is not a bindings file");
    int32_t clash = FirstClash(table);
    if (clash >= 0) {
        if (error)
            *error = std::string("\"") + kActions[clash].label + "\" shares its key with another action of the " +
                     kContextTokens[kActions[clash].context];
        return false;
    }
    std::memcpy(keys, table, sizeof keys);
    std::memcpy(comfort, options, sizeof comfort);
    return true;
}

fs::path BindingsGetFilePath()
{
    return PlatformPreferencesFolder() / "Brimhold Bindings";
}

void BindingsStartUp()
{
    BindingsLoadDefaults();
    changed = false;
    fs::path file = BindingsGetFilePath();
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return;
    std::string text;
    char buffer[4096];
    while (in && text.size() <= kMaxFileSize) {
        in.read(buffer, sizeof buffer);
        text.append(buffer, size_t(in.gcount()));
    }
    in.close();
    std::string error;
    if (BindingsReadFromText(text, &error))
        return;
    fs::path aside = file;
    aside += ".damaged";
    std::error_code renameError;
    fs::rename(file, aside, renameError);
    alertf("The key bindings file \"%s\" is damaged (%s). The default keys are used; the damaged file was kept "
           "as \"%s\".",
           file.c_str(), error.c_str(), aside.c_str());
    // The defaults go into a good file at the end, and the report is not
    // made again.
    changed = true;
}

bool BindingsSave()
{
    fs::path folder = PlatformPreferencesFolder();
    fs::path file = BindingsGetFilePath();
    std::error_code error;
    fs::create_directories(folder, error);
    std::string text = BindingsWriteToText();
    fs::path temporary = file;
    temporary += ".new";
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    int failure = fd < 0 ? errno : 0;
    size_t done = 0;
    while (!failure && done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            failure = n < 0 ? errno : ENOSPC;
        else
            done += size_t(n);
    }
    if (!failure && ::fsync(fd) != 0)
        failure = errno;
    if (fd >= 0 && ::close(fd) != 0 && !failure)
        failure = errno;
    if (!failure && ::rename(temporary.c_str(), file.c_str()) != 0)
        failure = errno;
    if (failure) {
        ::unlink(temporary.c_str());
        std::fprintf(stderr, "brimhold: the key bindings could not be saved to \"%s\": %s\n", file.c_str(),
                     std::strerror(failure));
        return false;
    }
    changed = false;
    return true;
}

void BindingsShutDown()
{
    if (changed)
        BindingsSave();
}
