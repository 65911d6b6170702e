// The game mode on the headless platform, shared by the game suites: the
// application's controller with the game and preferences modes (the title
// without an object), playing a set of small corridor levels built in the
// test.
#pragma once

#include "Block.h"
#include "Level.h"
#include "LevelWorldSupport.h"
#include "ScreenTestSupport.h"
#include "WaterController.h"
#include "WorldStep.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace gamemode {

const double kStep = 1.0 / 120.0;

class HeadlessGame : public screentest::AppFixture {
protected:
    void SetUp() override
    {
        StartUp(false, true, false);
        SoundResetRequestCounts();
        // The last modifier word is shared by every game: none held at the start.
        WorldResetModifiers();
    }

    // A set of 5 x 2 x 1 corridors, each with the block type in cell 2 (-1:
    // none); the player starts in cell 0 facing it, the water far below.
    void UseLevels(std::initializer_list<int32_t> blocks)
    {
        set = LevelSetAllocate();
        LevelSetInit(set);
        for (int32_t type : blocks) {
            LevelSetAppendLevel(set);
            Level *level = LevelSetGetLevel(set, LevelSetGetLevelCount(set) - 1);
            levelworld::MakeCorridor(level);
            if (type >= 0)
                levelworld::AddBlock(level, type, 2, 0, 0);
        }
        LevelSetDeleteLevel(set, 0);
        LevelSetSetCurrentLevel(set, 0);
        controller->currentLevelSet = set;
    }

    GameController *StartGame()
    {
        ControllerStart(controller);
        ControllerPushMode(controller, ModeGame);
        return controller->gameController;
    }

    void Press(int32_t keyCode) { HeadlessInjectKey(kEventRawKeyDown, keyCode); }
    void Release(int32_t keyCode) { HeadlessInjectKey(kEventRawKeyUp, keyCode); }
    // A key pressed and released, handled at once.
    void Key(int32_t keyCode) { widgettest::Key(keyCode); }
    // Runs until the condition holds (at most 10 s of the clock).
    template <typename Condition> void RunUntil(Condition condition)
    {
        for (int i = 0; i < 1200 && !condition(); i++)
            HeadlessRunFor(kStep);
    }
    // Holds the key until the condition holds, then lets it go.
    template <typename Condition> void HoldUntil(int32_t keyCode, Condition condition)
    {
        Press(keyCode);
        RunUntil(condition);
        Release(keyCode);
        HeadlessRunFor(0);
    }
};

} // namespace gamemode
