#include "Preferences.h"

#include "Controller.h"
#include "Folders.h"
#include "ModeSupport.h"
#include "OpenGLWindow.h"
#include "PadNavigation.h"
#include "PrefsBindings.h"
#include "Shader.h"
#include "Sound.h"
#include "Widget.h"
#include "WidgetController.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

static uint8_t *preferences = nullptr;

static const char kDefaultText[] = "Test levels";

// The file holds seven 4-byte groups starting at record offsets 0 to 6, then
// the 255 bytes from offset 7: each flag k is the first byte of group k.
struct FilePiece {
    int32_t fileOffset;
    int32_t recordOffset;
    int32_t size;
};
static const FilePiece kFilePieces[8] = {
    {0, 0, 4}, {4, 1, 4}, {8, 2, 4}, {12, 3, 4}, {16, 4, 4}, {20, 5, 4}, {24, 6, 4}, {28, 7, 255},
};

static void Defaults(uint8_t *record)
{
    std::memset(record, 0, kPrefsRecordSize);
    record[kPrefsKeySound] = 1;
    record[kPrefsKeyReserved] = 1;
    record[kPrefsKeyFSAA] = 0;
    record[kPrefsKeyVBLSyncWindowed] = 0;
    record[kPrefsKeyVBLSyncFullScreen] = 1;
    record[kPrefsKeyStartFullScreen] = 0;
    record[kPrefsKeyAnisotropic] = 1;
    std::memcpy(record + kPrefsKeyText, kDefaultText, sizeof kDefaultText);
}

fs::path PrefsGetFilePath()
{
    return PlatformPreferencesFolder() / "Brimhold Preferences";
}

void PrefsLoadDefaults()
{
    if (preferences)
        Defaults(preferences);
}

void PrefsReadFromBytes(const uint8_t *data, size_t size)
{
    if (!preferences || (!data && size > 0))
        return;
    size = std::min(size, size_t(kPrefsFileSize));
    for (const FilePiece &piece : kFilePieces) {
        if (size_t(piece.fileOffset) >= size)
            break;
        size_t count = std::min(size_t(piece.size), size - size_t(piece.fileOffset));
        std::memcpy(preferences + piece.recordOffset, data + piece.fileOffset, count);
    }
    for (int32_t key = 0; key < kPrefsKeyText; key++)
        preferences[key] = preferences[key] ? 1 : 0;
    preferences[kPrefsRecordSize - 1] = 0;
}

void PrefsWriteToBytes(uint8_t out[kPrefsFileSize])
{
    uint8_t record[kPrefsRecordSize];
    if (preferences)
        std::memcpy(record, preferences, kPrefsRecordSize);
    else
        Defaults(record);
    for (const FilePiece &piece : kFilePieces)
        std::memcpy(out + piece.fileOffset, record + piece.recordOffset, size_t(piece.size));
}

void PrefsStartUp()
{
    if (!preferences)
        preferences = new uint8_t[kPrefsRecordSize];
    PrefsLoadDefaults();
    std::ifstream in(PrefsGetFilePath(), std::ios::binary);
    if (!in)
        return;
    uint8_t bytes[kPrefsFileSize];
    in.read(reinterpret_cast<char *>(bytes), kPrefsFileSize);
    PrefsReadFromBytes(bytes, size_t(std::max<std::streamsize>(0, in.gcount())));
}

// Writes through a temporary file that replaces the old one only when
// complete and on disk, so that a failed write never leaves a damaged file
// behind.  A file that cannot be written is named in one line on standard
// error; the old file, if any, stays as it was.
static void WriteFile()
{
    std::error_code error;
    fs::path folder = PlatformPreferencesFolder();
    fs::path file = PrefsGetFilePath();
    auto report = [&](const char *why) {
        std::fprintf(stderr, "brimhold: the preferences could not be saved to \"%s\": %s\n", file.c_str(), why);
    };
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder, error)) {
        report(error ? error.message().c_str() : "the folder cannot be made");
        return;
    }
    uint8_t bytes[kPrefsFileSize];
    PrefsWriteToBytes(bytes);
    fs::path temporary = file;
    temporary += ".new";
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        report(std::strerror(errno));
        return;
    }
    size_t done = 0;
    int failure = 0;
    while (done < sizeof bytes) {
        ssize_t n = ::write(fd, bytes + done, sizeof bytes - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            failure = n < 0 ? errno : ENOSPC;
            break;
        }
        done += size_t(n);
    }
    if (!failure && ::fsync(fd) != 0)
        failure = errno;
    if (::close(fd) != 0 && !failure)
        failure = errno;
    if (!failure && ::rename(temporary.c_str(), file.c_str()) != 0)
        failure = errno;
    if (failure) {
        ::unlink(temporary.c_str());
        report(std::strerror(failure));
    }
}

void PrefsShutDown()
{
    if (!preferences)
        return;
    WriteFile();
    delete[] preferences;
    preferences = nullptr;
}

void PrefsGetValue(int32_t key, void *out)
{
    if (!out)
        return;
    uint8_t defaults[kPrefsRecordSize];
    const uint8_t *record = preferences;
    if (!record) {
        Defaults(defaults);
        record = defaults;
    }
    if (key >= 0 && key < kPrefsKeyText) {
        int32_t value = record[key] ? 1 : 0;
        std::memcpy(out, &value, sizeof value);
    } else if (key == kPrefsKeyText) {
        std::memcpy(out, record + kPrefsKeyText, kPrefsTextSize);
    }
}

void PrefsSetValue(int32_t key, int32_t value)
{
    if (preferences && key >= 0 && key < kPrefsKeyText)
        preferences[key] = value != 0 ? 1 : 0;
}

void PrefsSetText(int32_t key, const char *text)
{
    if (!preferences || key != kPrefsKeyText || !text)
        return;
    size_t length = strnlen(text, kPrefsTextSize - 1);
    std::memset(preferences + kPrefsKeyText, 0, kPrefsTextSize);
    std::memcpy(preferences + kPrefsKeyText, text, length);
}

// ---- The preferences screen --------------------------------------------------------

namespace {


OpenGLWindow *PrefsWindow()
{
    return ControllerGetMainWindow(ControllerGetMainController());
}

// The check boxes that mirror one preference key each.
struct PrefsCheckBox {
    FourCharCode identifier;
    float y;
    const char *text;
    int32_t key;
    void (*apply)(bool value);
};

void ApplySound(bool value)
{
    SoundSetEnabled(value);
}

void ApplyFSAA(bool value)
{
    if (OpenGLWindow *window = PrefsWindow())
        OpenGLWindowSetFSAAEnabled(window, value);
}

void ApplyVBLWindowed(bool value)
{
    if (OpenGLWindow *window = PrefsWindow())
        OpenGLWindowSetVBLSyncEnabled(window, false, value);
}

void ApplyVBLFullScreen(bool value)
{
    if (OpenGLWindow *window = PrefsWindow())
        OpenGLWindowSetVBLSyncEnabled(window, true, value);
}

void ApplyAnisotropic(bool value)
{
    if (value)
        ShaderEnableAnisotropicFiltering();
    else
        ShaderDisableAnisotropicFiltering();
}

const PrefsCheckBox kPrefsCheckBoxes[] = {
    {'Snd ', -0.1f, "Play sound", kPrefsKeySound, ApplySound},
    {'FSAA', -0.2f, "Full scene anti-aliasing", kPrefsKeyFSAA, ApplyFSAA},
    {'VBLW', -0.3f, "VBL sync (windowed)", kPrefsKeyVBLSyncWindowed, ApplyVBLWindowed},
    {'VBLF', -0.4f, "VBL sync (full screen)", kPrefsKeyVBLSyncFullScreen, ApplyVBLFullScreen},
    {'FSSt', -0.5f, "Start up in full screen mode", kPrefsKeyStartFullScreen, nullptr},
    {'Anis', -0.6f, "Anisotropic texture filtering", kPrefsKeyAnisotropic, ApplyAnisotropic},
};

int32_t PrefsCheckBoxChanged(void *context, void *sender)
{
    const PrefsCheckBox *box = static_cast<const PrefsCheckBox *>(context);
    bool value = WidgetIsChecked(static_cast<Widget *>(sender));
    PrefsSetValue(box->key, value ? 1 : 0);
    if (box->apply)
        box->apply(value);
    return 1;
}

int32_t FullScreenCheckBoxChanged(void *, void *sender)
{
    Widget *widget = static_cast<Widget *>(sender);
    OpenGLWindow *window = PrefsWindow();
    if (!window) {
        WidgetSetChecked(widget, false, true);
        return 1;
    }
    bool before = OpenGLWindowIsFullScreen(window);
    OpenGLWindowToggleFullScreen(window);
    // A switch that failed leaves the window as it was: so is the box.
    if (OpenGLWindowIsFullScreen(window) == before)
        WidgetSetChecked(widget, before, true);
    return 1;
}

// The controls screen runs over this one, which stays still meanwhile.
int32_t ControlsClicked(void *context, void *)
{
    PrefsScreen *screen = static_cast<PrefsScreen *>(context);
    PrefsScreenSuspend(screen);
    WidgetControllerFreeze(screen->widgets);
    PrefsBindingsRun();
    WidgetControllerDefrost(screen->widgets);
    PrefsScreenResume(screen);
    return 0;
}

int32_t OKClicked(void *, void *)
{
    PlatformPostCommandEvent('pref');
    return 0;
}

// The window switched between windowed and full screen (also through the
// menu command): the box follows.
int32_t FullScreenSwitched(void *context, void *)
{
    PrefsScreen *screen = static_cast<PrefsScreen *>(context);
    Widget *box = WidgetControllerGetWidgetByIdentifier(screen->widgets, 'FScn');
    OpenGLWindow *window = PrefsWindow();
    if (box && window)
        WidgetSetChecked(box, OpenGLWindowIsFullScreen(window), true);
    return 1;
}

Widget *AddCheckBox(WidgetController *widgets, FourCharCode identifier, float y, const char *text, bool checked)
{
    Widget *box = WidgetAllocate(widgets, identifier, kWidgetCheckBox, -0.25f, y);
    WidgetSetText(box, text);
    WidgetSetFontSize(box, 14);
    WidgetSetChecked(box, checked, true);
    WidgetControllerAddWidget(widgets, box);
    return box;
}

// The screen has no input handler of its own and no frozen flag: its
// widgets take the input, and a covered screen's timer is parked.
ModeParts Parts(PrefsScreen *screen)
{
    return ModeParts{"PrefsScreen", &screen->suspendCount, &screen->timer, nullptr, nullptr, nullptr, 0, nullptr,
                     screen};
}

void PrefsTimerFired(PlatformTimerRef, void *context)
{
    PrefsScreen *screen = static_cast<PrefsScreen *>(context);
    PrefsScreenTick(screen);
    PrefsScreenDraw(screen);
    ModePrintGLError("OpenGL error: ");
}

bool WidgetsStep(void *context)
{
    WidgetControllerRun(static_cast<PrefsScreen *>(context)->widgets, kModeStepFloat);
    return true;
}

} // namespace

PrefsScreen *PrefsScreenAllocate()
{
    PrefsScreen *screen = new PrefsScreen{};
    OpenGLWindow *window = PrefsWindow();
    screen->widgets = WidgetControllerAllocate(window);
    Widget *label = WidgetAllocate(screen->widgets, 'Pref', kWidgetStaticText, 0.0f, 0.2f);
    WidgetSetText(label, "Preferences");
    WidgetSetOrigin(label, 0.5f, 0.5f);
    WidgetSetFontSize(label, 48);
    WidgetControllerAddWidget(screen->widgets, label);
    for (const PrefsCheckBox &box : kPrefsCheckBoxes) {
        int32_t value = 0;
        PrefsGetValue(box.key, &value);
        Widget *widget = AddCheckBox(screen->widgets, box.identifier, box.y, box.text, value != 0);
        CallbackControllerInstallCallback(WidgetGetCallbackController(widget), kWidgetCallbackValueChanged,
                                          PrefsCheckBoxChanged, const_cast<PrefsCheckBox *>(&box));
    }
    Widget *fullScreen =
        AddCheckBox(screen->widgets, 'FScn', -0.7f, "Full screen mode", window && OpenGLWindowIsFullScreen(window));
    CallbackControllerInstallCallback(WidgetGetCallbackController(fullScreen), kWidgetCallbackValueChanged,
                                      FullScreenCheckBoxChanged, nullptr);
    Widget *ok = WidgetAllocate(screen->widgets, 'OK  ', kWidgetPushButton, 0.0f, -0.8f);
    WidgetSetText(ok, "OK");
    CallbackControllerInstallCallback(WidgetGetCallbackController(ok), kWidgetCallbackClicked, OKClicked, nullptr);
    WidgetControllerAddWidget(screen->widgets, ok);
    Widget *controls = WidgetAllocate(screen->widgets, 'Ctrl', kWidgetPushButton, 0.5f, -0.8f);
    WidgetSetText(controls, "Controls...");
    CallbackControllerInstallCallback(WidgetGetCallbackController(controls), kWidgetCallbackClicked, ControlsClicked,
                                      screen);
    WidgetControllerAddWidget(screen->widgets, controls);
    screen->suspendCount = 0;
    screen->timer = ModeInstallTimer(PrefsTimerFired, screen);
    screen->lastTickTime = PlatformGetEventTime();
    screen->leftoverTime = 0.0;
    screen->fullScreenCallbackId = -1;
    screen->padNavigation = new PadNavigation{screen->widgets, -1, [](void *) { PlatformPostCommandEvent('pref'); },
                                              nullptr, false};
    PadNavigationSetCurrent(screen->padNavigation);
    if (window)
        screen->fullScreenCallbackId =
            CallbackControllerInstallCallback(OpenGLWindowGetCallbackController(window),
                                              kOpenGLWindowCallbackFullScreenSwitched, FullScreenSwitched, screen);
    return screen;
}

void PrefsScreenInit(PrefsScreen *) {}

void PrefsScreenStart(PrefsScreen *screen)
{
    PrefsScreenDraw(screen);
}

void PrefsScreenStop(PrefsScreen *) {}

void PrefsScreenDispose(PrefsScreen *screen)
{
    if (!screen)
        return;
    ModeRemoveTimer(&screen->timer);
    PadNavigationClearCurrent(screen->padNavigation);
    delete screen->padNavigation;
    WidgetControllerDispose(screen->widgets);
    OpenGLWindow *window = PrefsWindow();
    if (window && screen->fullScreenCallbackId >= 0)
        CallbackControllerRemoveCallback(OpenGLWindowGetCallbackController(window), screen->fullScreenCallbackId);
    delete screen;
}

void PrefsScreenTick(PrefsScreen *screen)
{
    if (screen->suspendCount != 0)
        return;
    ModeRunSteps(PlatformGetEventTime(), &screen->lastTickTime, &screen->leftoverTime, WidgetsStep, screen);
}

void PrefsScreenDraw(PrefsScreen *screen)
{
    OpenGLWindow *window = PrefsWindow();
    if (!window)
        return;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ModeBeginOverlay(window);
    ModeDrawBackground(window);
    WidgetControllerDraw(screen->widgets);
    PadNavigationDraw(screen->padNavigation);
    ModeEndOverlay();
    if (Controller *controller = ControllerGetMainController())
        ControllerSwapGLBuffers(controller);
}

void PrefsScreenSuspend(PrefsScreen *screen)
{
    ModeSuspend(Parts(screen));
}

void PrefsScreenResume(PrefsScreen *screen)
{
    ModeResume(Parts(screen));
}

void PrefsScreenFreeze(PrefsScreen *screen)
{
    WidgetControllerFreeze(screen->widgets);
    ModeFreeze(Parts(screen));
}

void PrefsScreenDefrost(PrefsScreen *screen)
{
    WidgetControllerDefrost(screen->widgets);
    ModeDefrost(Parts(screen));
}

void PrefsScreenRegisterMode()
{
    ModeFunctions functions{};
    functions.allocate = []() -> void * { return PrefsScreenAllocate(); };
    functions.init = [](void *mode) { PrefsScreenInit(static_cast<PrefsScreen *>(mode)); };
    functions.start = [](void *mode) { PrefsScreenStart(static_cast<PrefsScreen *>(mode)); };
    functions.stop = [](void *mode) {
        PrefsScreenStop(static_cast<PrefsScreen *>(mode));
        return true;
    };
    functions.dispose = [](void *mode) { PrefsScreenDispose(static_cast<PrefsScreen *>(mode)); };
    functions.draw = [](void *mode) { PrefsScreenDraw(static_cast<PrefsScreen *>(mode)); };
    functions.suspend = [](void *mode) { PrefsScreenSuspend(static_cast<PrefsScreen *>(mode)); };
    functions.resume = [](void *mode) { PrefsScreenResume(static_cast<PrefsScreen *>(mode)); };
    functions.freeze = [](void *mode) { PrefsScreenFreeze(static_cast<PrefsScreen *>(mode)); };
    functions.defrost = [](void *mode) { PrefsScreenDefrost(static_cast<PrefsScreen *>(mode)); };
    ControllerRegisterMode(ModePreferences, &functions);
}
