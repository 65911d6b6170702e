// The soak test (make soak): the whole program on the headless platform fed
// random input for a number of minutes — keys, clicks, drags, menu commands,
// mode changes, saves and snapshots into a temporary home — from a fixed
// seed.  It fails when the program crashes or a sanitizer reports (the
// sanitizer build ends the process then), or when memory keeps growing: the
// resident size in the last third of the run must stay within 5% of its size
// after the first third.
//
//   brimhold-soak [MINUTES] [SEED]     (default: $SOAK_MINUTES or 30, seed 1)
#include "Controller.h"
#include "Events.h"
#include "Folders.h"
#include "GameController.h"
#include "Headless.h"
#include "Keyboard.h"
#include "LevelEditor.h"
#include "LevelSet.h"
#include "MenuBar.h"
#include "ModelParser.h"
#include "Preferences.h"
#include "Sound.h"
#include "SplashScreen.h"
#include "Text.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Random {
    uint64_t state;
    uint32_t Next()
    {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return uint32_t(state >> 33);
    }
    uint32_t Below(uint32_t n) { return n ? Next() % n : 0; }
    double Unit() { return double(Next()) / 4294967296.0; }
};

// The resident set size in kilobytes.
long ResidentKilobytes()
{
    long pages = 0, resident = 0;
    FILE *f = std::fopen("/proc/self/statm", "r");
    if (!f)
        return 0;
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
        resident = 0;
    std::fclose(f);
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

LevelSet *CreateDefaultLevelSet()
{
    LevelSet *set = LevelSetAllocate();
    LevelSetInit(set);
    LevelSetLoadDefaultFile(set);
    return set;
}

const ControllerServices services = {ModelLoadAllModels, CreateDefaultLevelSet, LevelSetDispose};

// Every menu command but Quit (a quit from the title screen's button still
// happens now and then, and the program is then started again).
const FourCharCode commands[] = {'pref', 'new ', 'open', 'save', 'svas', 'rvrt', 'undo', 'redo', 'cut ',
                                 'copy', 'past', 'clea', 'sall', 'NGam', 'PGam', 'EGam', 'SHgh', 'CHgh',
                                 'LEdt', 'NxtL', 'PrvL', 'NLvl', 'ILvl', 'DLvl', 'SLvl', 'TLvl', 'Scsh'};

// The keys the game and the editor use most, and a few that type text.
const int32_t keys[] = {kKeyCodeUp,    kKeyCodeDown,   kKeyCodeLeft,   kKeyCodeRight,     kKeyCodeSpace,
                        kKeyCodeEscape, kKeyCodeReturn, kKeyCodeTab,    kKeyCodeBackspace, kKeyCodeDelete,
                        kKeyCodeA + 16 /* Q */, kKeyCodeA,  kKeyCodeA + 3 /* D */, kKeyCodeA + 22 /* W */,
                        kKeyCodeA + 18 /* S */, kKeyCodeA + 4 /* E */, kKeyCodeA + 2 /* C */, kKeyCodeA + 25,
                        kKeyCodeComma, kKeyCodePeriod, kKeyCodeMinus};

Controller *StartController()
{
    Controller *controller = ControllerAllocate();
    ControllerInit(controller);
    ControllerStart(controller);
    return controller;
}

// One random piece of input, due now.
void InjectSomething(Random &random)
{
    uint32_t what = random.Below(100);
    uint32_t modifiers = random.Below(8) == 0 ? uint32_t(kModifierShift) : 0u;
    if (what < 55) {
        int32_t key = keys[random.Below(sizeof keys / sizeof keys[0])];
        if (key == kKeyCodeA + 16 && random.Below(2))
            key = kKeyCodeA + 15; // P, never Ctrl+Q below
        HeadlessInjectKey(kEventRawKeyDown, key, modifiers);
        HeadlessInjectKey(kEventRawKeyUp, key, modifiers, 0.02 + 0.5 * random.Unit());
    } else if (what < 80) {
        float x = float(random.Below(1024)), y = float(random.Below(768));
        HeadlessInjectMouse(kEventMouseMoved, x, y, modifiers);
        HeadlessInjectMouse(kEventMouseDown, x, y, modifiers, 1, 0.01);
        if (random.Below(3) == 0)
            HeadlessInjectMouse(kEventMouseDragged, x + float(random.Below(200)) - 100,
                                y + float(random.Below(200)) - 100, modifiers, 1, 0.05);
        HeadlessInjectMouse(kEventMouseUp, x, y, modifiers, 1, 0.1);
    } else if (what < 97) {
        HeadlessInjectCommand(commands[random.Below(sizeof commands / sizeof commands[0])]);
    } else {
        HeadlessInjectSimple(random.Below(2) ? kEventAppDeactivated : kEventAppActivated);
    }
}

} // namespace

int main(int argc, char **argv)
{
    const char *minutesText = argc > 1 ? argv[1] : std::getenv("SOAK_MINUTES");
    double minutes = minutesText ? std::atof(minutesText) : 30.0;
    if (minutes <= 0)
        minutes = 30.0;
    Random random{argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1};

    // A home of its own: preferences, saved sets and snapshots land there.
    fs::path home = fs::temp_directory_path() / ("brimhold-soak-" + std::to_string(getpid()));
    fs::remove_all(home);
    fs::create_directories(home / "Desktop");
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    setenv("XDG_STATE_HOME", (home / "state").c_str(), 1);

    HeadlessPlatformStartUp();
    if (PlatformMenuBarLoad("MainMenu") != 0)
        std::fprintf(stderr, "soak: the menu bar did not load\n");
    PrefsStartUp();
    SoundStartUp();
    TextStartUp();
    SplashScreenRegisterMode();
    GameControllerRegisterMode();
    PrefsScreenRegisterMode();
    LevelEditorRegisterMode();
    ControllerSetServices(&services);
    Controller *controller = StartController();
    if (!ControllerGetMainWindow(controller)) {
        std::fprintf(stderr, "soak: no window could be opened\n");
        return 1;
    }

    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const double total = minutes * 60.0;
    long afterFirstThird = 0, highestLate = 0;
    long inputs = 0, restarts = 0;
    for (;;) {
        double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        if (elapsed >= total)
            break;
        // Dialogs take their answers from the queue: keep a few random ones.
        while (HeadlessPendingAnswers() < 4)
            HeadlessQueueAnswer(int32_t(random.Below(3)) + 1);
        InjectSomething(random);
        inputs++;
        if (HeadlessRunFor(0.05 + random.Unit() * 0.6)) {
            if (ControllerStop(controller)) {
                ControllerDispose(controller);
                controller = StartController();
                restarts++;
            }
        }
        HeadlessClearRecords();
        long rss = ResidentKilobytes();
        if (elapsed < total / 3)
            afterFirstThird = rss;
        else if (elapsed >= total * 2 / 3 && rss > highestLate)
            highestLate = rss;
    }

    ControllerStop(controller);
    ModelDisposeAllModels();
    ControllerDispose(controller);
    SoundShutDown();
    TextShutDown();
    PrefsShutDown();
    HeadlessPlatformShutDown();
    fs::remove_all(home);

    std::printf("soak: %.1f minutes, %ld inputs, %ld restarts; resident %ld kB after the first third, "
                "at most %ld kB in the last third\n",
                minutes, inputs, restarts, afterFirstThird, highestLate);
    if (afterFirstThird > 0 && double(highestLate) > double(afterFirstThird) * 1.05) {
        std::printf("soak: FAIL: memory grew by more than 5%%\n");
        return 1;
    }
    std::printf("soak: passed\n");
    return 0;
}
