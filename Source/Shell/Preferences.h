// The preference store: seven flags and one text field, kept in a 262-byte
// record while the program runs and in the 283-byte file
// "Brimhold Preferences" of the user's preferences folder between runs.
#pragma once

#include "Events.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>

enum : int32_t {
    kPrefsKeySound = 0,
    kPrefsKeyReserved = 1,
    kPrefsKeyFSAA = 2,
    kPrefsKeyVBLSyncWindowed = 3,
    kPrefsKeyVBLSyncFullScreen = 4,
    kPrefsKeyStartFullScreen = 5,
    kPrefsKeyAnisotropic = 6,
    kPrefsKeyText = 7,
};

constexpr int32_t kPrefsRecordSize = 262;
constexpr int32_t kPrefsFileSize = 283;
constexpr int32_t kPrefsTextSize = 255; // the field, terminator included

// Allocates the record, loads the defaults, and reads the file if it can be
// opened.
void PrefsStartUp();
void PrefsLoadDefaults();
// Writes the file if it can be created, then frees the record.
void PrefsShutDown();
// Keys 0-6: writes an int32_t 0 or 1 to out; key 7: copies the text with its
// terminator into out (char[255]); other keys: nothing.  Before start-up the
// defaults are answered.
void PrefsGetValue(int32_t key, void *out);
// Keys 0-6: the flag becomes 1 for a non-zero value, else 0.
void PrefsSetValue(int32_t key, int32_t value);
// Key 7: the text, cut to 254 characters.
void PrefsSetText(int32_t key, const char *text);

// "Brimhold Preferences" in the preferences folder.
std::filesystem::path PrefsGetFilePath();
// Takes what the bytes of a preferences file reach into the record (the
// defaults stay where they do not reach); flags become 0 or 1 and the text
// is always terminated.  Nothing happens before start-up.
void PrefsReadFromBytes(const uint8_t *data, size_t size);
// The 283 bytes of the file for the current record.
void PrefsWriteToBytes(uint8_t out[kPrefsFileSize]);

// ---- The preferences screen ----
//
// Mode kind 4: a label and one check box per setting, each change stored and
// applied at once, a check box that switches full screen now, and an OK
// button that closes the screen.

struct PadNavigation;
struct WidgetController;

struct PrefsScreen {
    WidgetController *widgets;
    int32_t suspendCount;
    PlatformTimerRef timer;
    double lastTickTime;
    double leftoverTime;
    int32_t fullScreenCallbackId;
    PadNavigation *padNavigation; // the controls worked with a game controller
};

PrefsScreen *PrefsScreenAllocate();
void PrefsScreenInit(PrefsScreen *screen);
void PrefsScreenStart(PrefsScreen *screen);
void PrefsScreenStop(PrefsScreen *screen);
void PrefsScreenDispose(PrefsScreen *screen);
void PrefsScreenDraw(PrefsScreen *screen);
void PrefsScreenSuspend(PrefsScreen *screen);
void PrefsScreenResume(PrefsScreen *screen);
void PrefsScreenFreeze(PrefsScreen *screen);
void PrefsScreenDefrost(PrefsScreen *screen);
// Advances the widgets by the time since the last firing.
void PrefsScreenTick(PrefsScreen *screen);

// Registers the preferences screen as mode kind 4 with the application
// controller.
void PrefsScreenRegisterMode();
