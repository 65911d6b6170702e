// Shared set-up of the level editor, dialog, set chooser and progress tests:
// a temporary home (data, preferences, state, and resources with the menu
// bar), level sets written to folders, a disk that takes no more than a given
// size, the controller at the title screen with helpers that send commands
// and keys, and key events pushed through the desktop platform.
#pragma once

#include "Controller.h"
#include "Dialogs.h"
#include "Folders.h"
#include "GameController.h"
#include "Headless.h"
#include "Keyboard.h"
#include "Level.h"
#include "LevelEditor.h"
#include "LevelSet.h"
#include "LevelWorldSupport.h"
#include "MenuBar.h"
#include "OpenGLWindow.h"
#include "Preferences.h"
#include "Sound.h"
#include "Text.h"
#include "ToolPalette.h"
#include "Window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace editortest {

namespace fs = std::filesystem;
using levelworld::AddBlock;
using testfiles::FullDisk;
using testfiles::ReadText;
using testfiles::WriteText;

// Saves a new set of the given number of levels into the folder.
inline void WriteSet(const fs::path &folder, const std::string &name, int32_t levels)
{
    fs::create_directories(folder);
    LevelSet *set = LevelSetAllocate();
    LevelSetInit(set);
    while (LevelSetGetLevelCount(set) < levels)
        LevelSetAppendLevel(set);
    EXPECT_TRUE(LevelSetSaveToFile(set, folder, name));
    LevelSetDispose(set);
}

inline std::vector<int32_t> SizeOf(const Level *level)
{
    return {level->sizeX, level->sizeY, level->sizeZ};
}

// Per-user data, preferences and state in a folder of the test's own, and a
// resources folder with the menu bar and an empty "Levels" folder.
struct TemporaryHome {
    testfiles::TemporaryFolder folder;
    fs::path root = folder.path();
    testfiles::ScopedEnv data{"XDG_DATA_HOME", (root / "data").c_str()};
    testfiles::ScopedEnv config{"XDG_CONFIG_HOME", (root / "config").c_str()};
    testfiles::ScopedEnv state{"XDG_STATE_HOME", (root / "state").c_str()};
    TemporaryHome()
    {
        fs::create_directories(Resources() / "Levels");
        fs::copy_file(BRIMHOLD_SOURCE_DIR "/Resources/MainMenu", Resources() / "MainMenu");
        PlatformSetResourcesFolder(Resources());
    }
    ~TemporaryHome() { PlatformSetResourcesFolder(""); }
    fs::path Resources() const { return root / "Resources"; }
    fs::path Data() const { return root / "data" / "Brimhold"; }
    fs::path UserLevels() const { return Data() / "User levels"; }
    fs::path DownloadedLevels() const { return Data() / "Downloaded levels"; }
};

// The menu bar loaded, the game and editor modes registered, and a controller
// with a new set at the title screen.
inline Controller *StartController()
{
    EXPECT_EQ(PlatformMenuBarLoad("MainMenu"), 0);
    ControllerSetServices(nullptr);
    GameControllerRegisterMode();
    LevelEditorRegisterMode();
    Controller *controller = ControllerAllocate();
    controller->currentLevelSet = LevelSetAllocate();
    LevelSetInit(controller->currentLevelSet);
    if (controller->mainWindow)
        ControllerStart(controller);
    return controller;
}

// Stops the controller with its set taken as saved, and undoes the rest.
inline void StopController(Controller *controller)
{
    DialogsClearScriptedAnswers();
    if (controller) {
        LevelSet *set = controller->currentLevelSet;
        if (set)
            LevelSetMakeClean(set);
        EXPECT_TRUE(ControllerStop(controller));
        ControllerDispose(controller);
        LevelSetDispose(set);
    }
    for (int32_t mode : {ModeGame, ModeLevelEditor})
        ControllerRegisterMode(mode, nullptr);
    PlatformMenuBarClear();
}

// The controller at the title screen; OpenEditor goes on to the editor.
class EditorTest : public testing::Test {
protected:
    TemporaryHome home;
    Controller *controller = nullptr;
    LevelEditor *editor = nullptr;

    void SetUp() override
    {
        HeadlessPlatformStartUp();
        TextStartUp();
        PrefsStartUp();
        SoundSetEnabled(false);
        controller = StartController();
        ASSERT_NE(controller->mainWindow, nullptr);
    }
    void OpenEditor()
    {
        Command('LEdt');
        editor = controller->levelEditor;
        ASSERT_NE(editor, nullptr);
    }
    void TearDown() override
    {
        StopController(controller);
        PrefsShutDown();
        TextShutDown();
        HeadlessPlatformShutDown();
        SoundSetEnabled(true);
    }

    void Command(FourCharCode command)
    {
        HeadlessInjectCommand(command);
        HeadlessRunFor(0.0);
    }
    void Key(int32_t keyCode, uint32_t modifiers = 0)
    {
        HeadlessInjectKey(kEventRawKeyDown, keyCode, modifiers);
        HeadlessInjectKey(kEventRawKeyUp, keyCode, modifiers);
        HeadlessRunFor(0.0);
    }
    // Space pressed or released alone, or (with no argument) both.
    void Space(bool down)
    {
        HeadlessInjectKey(down ? kEventRawKeyDown : kEventRawKeyUp, kKeyCodeSpace);
        HeadlessRunFor(0.0);
    }
    void Space()
    {
        Space(true);
        Space(false);
    }
    void PlaceAt(int32_t x, int32_t y, int32_t z)
    {
        SetCursor(x, y, z);
        Space();
    }
    Level *CurrentLevel() { return LevelSetGetCurrentLevelCopy(editor->levelSet); }
    void SetCursor(int32_t x, int32_t y, int32_t z)
    {
        editor->cursor[0] = x;
        editor->cursor[1] = y;
        editor->cursor[2] = z;
    }
    std::vector<int32_t> Size() { return SizeOf(CurrentLevel()); }
    std::vector<int32_t> Cursor() { return {editor->cursor[0], editor->cursor[1], editor->cursor[2]}; }
    Block *BlockAt(int32_t x, int32_t y, int32_t z) { return LevelGetBlockAtPos(CurrentLevel(), x, y, z, 0); }
    std::vector<uint8_t> Bytes()
    {
        std::vector<uint8_t> bytes;
        LevelSetWriteToBuffer(editor->levelSet, &bytes);
        return bytes;
    }
    std::vector<int32_t> Stack()
    {
        return std::vector<int32_t>(controller->modeStack, controller->modeStack + controller->modeStackTop + 1);
    }
    std::string Title() { return PlatformWindowGetTitle(controller->mainWindow->window); }
    std::string MenuTitle(FourCharCode command) { return PlatformGetMenuCommandTitle(command); }
    // Which of the menu commands are enabled, as a string of 1 and 0.
    std::string Enabled(std::initializer_list<FourCharCode> commands)
    {
        std::string enabled;
        for (FourCharCode command : commands)
            enabled += PlatformIsMenuCommandEnabled(command) ? '1' : '0';
        return enabled;
    }
    // The blocks and powerups of the current level.
    std::pair<int32_t, int32_t> Counts() { return {CurrentLevel()->blockCount, CurrentLevel()->powerupCount}; }
    void UseBlock(int32_t type)
    {
        editor->palette->tool = ToolBlock;
        editor->palette->selectedType = type;
    }
};

// The same with the editor open.
class OpenEditorTest : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        if (!HasFatalFailure())
            OpenEditor();
    }
};

// A key event pushed into the desktop platform's queue.
inline void PushKey(Uint32 type, SDL_Scancode code, Uint16 modifiers = 0, Uint32 windowId = 0)
{
    SDL_Event e{};
    e.type = type;
    e.key.windowID = windowId;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.scancode = code;
    e.key.keysym.sym = SDL_GetKeyFromScancode(code);
    e.key.keysym.mod = modifiers;
    SDL_PushEvent(&e);
}

// Runs the desktop event loop for the given time; true when that timer, not
// something else, ended it.
inline bool RunDesktopLoop(double seconds)
{
    bool timedOut = false;
    PlatformTimerRef timer = PlatformInstallTimer(
        seconds, 0.0,
        [](PlatformTimerRef, void *context) {
            *static_cast<bool *>(context) = true;
            PlatformQuitApplicationEventLoop();
        },
        &timedOut);
    PlatformRunApplicationEventLoop();
    PlatformRemoveTimer(timer);
    return timedOut;
}

} // namespace editortest
