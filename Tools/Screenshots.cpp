// Takes the README's screenshots with the real game: the title screen, a
// level in play and a level with its water, drawn in the game's window on a
// virtual display and written as PNG files.
//
//   brimhold-screenshots OUTPUT_FOLDER
//
// Run under a virtual X display (make screenshots does).  The player's own
// preferences are not touched.
#include "Controller.h"
#include "Folders.h"
#include "GameController.h"
#include "Headless.h"
#include "Image.h"
#include "Level.h"
#include "LevelEditor.h"
#include "LevelSet.h"
#include "MenuBar.h"
#include "MenuStrip.h"
#include "ModelParser.h"
#include "OpenGLWindow.h"
#include "Player.h"
#include "Preferences.h"
#include "Sound.h"
#include "SplashScreen.h"
#include "Text.h"
#include "WaterController.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

MenuStrip *menuStrip = nullptr;
OpenGLWindow *window = nullptr;
fs::path pendingShot;
bool shotWritten = false;

// Drawn over every frame: the menu strip, then, when a shot is wanted, the
// finished frame is read back and written.
void Overlay(void *)
{
    if (menuStrip)
        MenuStripDrawOverlay(menuStrip);
    if (pendingShot.empty())
        return;
    Rect4f b = OpenGLWindowGetBounds(window);
    int32_t width = int32_t(b.right - b.left), height = int32_t(b.bottom - b.top);
    std::vector<uint8_t> rgba(size_t(width) * size_t(height) * 4), rgb(size_t(width) * size_t(height) * 3);
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    for (int32_t y = 0; y < height; y++)
        for (int32_t x = 0; x < width; x++)
            for (int c = 0; c < 3; c++)
                rgb[(size_t(height - 1 - y) * size_t(width) + size_t(x)) * 3 + size_t(c)] =
                    rgba[(size_t(y) * size_t(width) + size_t(x)) * 4 + size_t(c)];
    shotWritten = PlatformWritePNG(pendingShot, width, height, rgb.data());
    std::printf("%s %s\n", shotWritten ? "wrote" : "could not write", pendingShot.c_str());
    pendingShot.clear();
}

bool Shot(const fs::path &file)
{
    pendingShot = file;
    shotWritten = false;
    HeadlessRunFor(1.0 / 60.0);
    return shotWritten;
}

LevelSet *CreateDefaultLevelSet()
{
    LevelSet *set = LevelSetAllocate();
    LevelSetInit(set);
    LevelSetLoadDefaultFile(set);
    return set;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    fs::path out = argv[1];
    fs::create_directories(out);
    fs::path config = fs::temp_directory_path() / ("brimhold-screenshots-" + std::to_string(getpid()));
    fs::create_directories(config);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("XDG_STATE_HOME", (config / "state").c_str(), 1); // the editor's recovery files

    HeadlessPlatformStartUp();
    PrefsStartUp();
    TextStartUp();
    SoundSetEnabled(false);
    PlatformMenuBarLoad("MainMenu");
    SplashScreenRegisterMode();
    GameControllerRegisterMode();
    PrefsScreenRegisterMode();
    LevelEditorRegisterMode();
    ControllerServices services = {ModelLoadAllModels, CreateDefaultLevelSet, LevelSetDispose};
    ControllerSetServices(&services);
    Controller *controller = ControllerAllocate();
    if (!controller || !(window = ControllerGetMainWindow(controller))) {
        std::fprintf(stderr, "No window could be opened (is a display set?)\n");
        return 1;
    }
    menuStrip = MenuStripAllocate(window);
    ControllerSetFrameOverlay(Overlay, nullptr);
    ControllerInit(controller);
    ControllerStart(controller);

    bool ok = true;
    HeadlessRunFor(8.0); // past the intro
    ok &= Shot(out / "title-screen.png");

    // A level in play: the third level, a few steps after its start with the
    // player running forward.
    LevelSet *set = ControllerGetCurrentLevelSet();
    int32_t count = set ? LevelSetGetLevelCount(set) : 0;
    HeadlessInjectCommand('NGam');
    HeadlessRunFor(0.1);
    GameController *game = controller->gameController;
    if (game)
        GameControllerGoToLevel(game, count > 2 ? 2 : 0);
    HeadlessRunFor(0.5);
    ok &= Shot(out / "level-in-play.png");

    // The water: the first level past the introductory ones whose water
    // rises, with the water at the player's waist.
    int32_t waterLevel = 0;
    for (int32_t i = count - 1; i >= 3; i--) {
        Level *stored = LevelSetGetLevel(set, i);
        if (stored && stored->waterController && stored->waterController->mode == kWaterModeRisingLevel)
            waterLevel = i;
    }
    if (game) {
        GameControllerGoToLevel(game, waterLevel);
        Level *level = LevelSetGetCurrentLevelCopy(set);
        Vector feet = PlayerGetPosition(game->player);
        if (level && level->waterController)
            WaterControllerSetCurrentWaterLevel(level->waterController, double(feet.y) + 3.0);
        HeadlessRunFor(0.5);
        ok &= Shot(out / "water.png");
    }

    // The level editor on the third level, its palette showing.
    HeadlessInjectCommand('EGam');
    HeadlessRunFor(0.5);
    HeadlessInjectCommand('LEdt');
    HeadlessRunFor(0.2);
    HeadlessInjectCommand('NxtL');
    HeadlessInjectCommand('NxtL');
    HeadlessRunFor(1.0);
    ok &= Shot(out / "level-editor.png");
    HeadlessInjectCommand('LEdt');
    HeadlessRunFor(0.2);

    ControllerStop(controller);
    ControllerSetFrameOverlay(nullptr, nullptr);
    MenuStripDispose(menuStrip);
    ModelDisposeAllModels();
    ControllerDispose(controller);
    PlatformMenuBarClear();
    TextShutDown();
    PrefsShutDown();
    HeadlessPlatformShutDown();
    fs::remove_all(config);
    return ok ? 0 : 1;
}
