// The level editor on the headless platform for the edit-history and
// recovery tests: a temporary home (data, preferences, state and resources
// with the menu bar), the controller at the title screen, and helpers that
// send commands and keys.
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
#include "MenuBar.h"
#include "Preferences.h"
#include "Sound.h"
#include "Text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace editortest {

namespace fs = std::filesystem;

struct TemporaryHome {
    fs::path root = fs::temp_directory_path() / ("brimhold-history-" + std::to_string(getpid()));
    std::string oldStateHome = std::getenv("XDG_STATE_HOME") ? std::getenv("XDG_STATE_HOME") : "";
    TemporaryHome()
    {
        fs::remove_all(root);
        fs::create_directories(root / "Resources" / "Levels");
        fs::copy_file(BRIMHOLD_SOURCE_DIR "/Resources/MainMenu", root / "Resources" / "MainMenu");
        setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        setenv("XDG_STATE_HOME", (root / "state").c_str(), 1);
        PlatformSetResourcesFolder(root / "Resources");
    }
    ~TemporaryHome()
    {
        PlatformSetResourcesFolder("");
        unsetenv("XDG_DATA_HOME");
        unsetenv("XDG_CONFIG_HOME");
        if (oldStateHome.empty())
            unsetenv("XDG_STATE_HOME");
        else
            setenv("XDG_STATE_HOME", oldStateHome.c_str(), 1);
        fs::remove_all(root);
    }
    fs::path UserLevels() const { return root / "data" / "Brimhold" / "User levels"; }
};

class EditorTest : public testing::Test {
protected:
    TemporaryHome home;
    Controller *controller = nullptr;
    LevelEditor *editor = nullptr;

    // The controller at the title screen; OpenEditor goes on to the editor.
    void SetUp() override
    {
        HeadlessPlatformStartUp();
        TextStartUp();
        PrefsStartUp();
        SoundSetEnabled(false);
        ASSERT_EQ(PlatformMenuBarLoad("MainMenu"), 0);
        ControllerSetServices(nullptr);
        GameControllerRegisterMode();
        LevelEditorRegisterMode();
        controller = ControllerAllocate();
        ASSERT_NE(controller->mainWindow, nullptr);
        controller->currentLevelSet = LevelSetAllocate();
        LevelSetInit(controller->currentLevelSet);
        ControllerStart(controller);
    }
    void OpenEditor()
    {
        Command('LEdt');
        editor = controller->levelEditor;
        ASSERT_NE(editor, nullptr);
    }
    void TearDown() override
    {
        DialogsClearScriptedAnswers();
        if (controller) {
            if (controller->currentLevelSet)
                LevelSetMakeClean(controller->currentLevelSet);
            LevelSet *set = controller->currentLevelSet;
            EXPECT_TRUE(ControllerStop(controller));
            ControllerDispose(controller);
            LevelSetDispose(set);
        }
        for (int32_t mode : {ModeGame, ModeLevelEditor})
            ControllerRegisterMode(mode, nullptr);
        PlatformMenuBarClear();
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
    void Space()
    {
        HeadlessInjectKey(kEventRawKeyDown, kKeyCodeSpace);
        HeadlessInjectKey(kEventRawKeyUp, kKeyCodeSpace);
        HeadlessRunFor(0.0);
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
};

} // namespace editortest
