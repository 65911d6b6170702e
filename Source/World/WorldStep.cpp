#include "WorldStep.h"

#include "CameraController.h"
#include "Events.h"
#include "Level.h"
#include "LevelSet.h"
#include "Player.h"
#include "Random.h"
#include "Replay.h"
#include "WaterController.h"
#include "WorldEvents.h"

// The modifier word of the previous modifier event.
static uint32_t lastModifiers = 0;

void WorldHandleKey(Player *player, CameraController *camera, uint8_t character, bool down)
{
    int32_t playerAction = 0;
    int32_t cameraAction = 0;
    switch (character) {
    case 30: playerAction = kPlayerActionForward; break;
    case 31: playerAction = kPlayerActionBack; break;
    case 28: playerAction = kPlayerActionLeft; break;
    case 29: playerAction = kPlayerActionRight; break;
    case 32: playerAction = kPlayerActionJump; break;
    case 'q': playerAction = kPlayerActionUse; break;
    case 'a':
        if (down)
            PlayerRotateBaseDirection(player, kPlayerViewTurnOn);
        cameraAction = kCameraActionYawLeft;
        break;
    case 'd':
        if (down)
            PlayerRotateBaseDirection(player, kPlayerViewTurnBack);
        cameraAction = kCameraActionYawRight;
        break;
    case 'w': cameraAction = kCameraActionPitchUp; break;
    case 's': cameraAction = kCameraActionPitchDown; break;
    case 'e': cameraAction = kCameraActionZoomIn; break;
    case 'c': cameraAction = kCameraActionZoomOut; break;
    default: return;
    }
    if (playerAction) {
        if (down)
            PlayerStartAction(player, playerAction);
        else
            PlayerStopAction(player, playerAction);
    }
    if (cameraAction && camera) {
        if (down)
            CameraControllerUserActionStart(camera, cameraAction);
        else
            CameraControllerUserActionStop(camera, cameraAction);
    }
}

void WorldHandleModifiers(Player *player, uint32_t modifiers)
{
    bool wasShift = (lastModifiers & kModifierShift) != 0;
    bool isShift = (modifiers & kModifierShift) != 0;
    if (!wasShift && isShift)
        PlayerStartAction(player, kPlayerActionWalk);
    else if (wasShift && !isShift)
        PlayerStopAction(player, kPlayerActionWalk);
    lastModifiers = modifiers;
}

void WorldResetModifiers()
{
    lastModifiers = 0;
}

void WorldPlacePlayerAtStart(Player *player, LevelSet *set)
{
    PlayerStartAtPos(player, LevelSetGetCurrentLevelPlayerStartPos(set), LevelSetGetCurrentLevelPlayerFacingVector(set));
}

void WorldInitCameraPos(CameraController *camera, const Player *player)
{
    Vector p = PlayerGetPosition(player);
    CameraControllerSetCameraPos(camera, p.x, p.y + 15, p.z - 30);
    CameraControllerSetFocusPoint(camera, p.x, p.y + kPlayerHeight, p.z);
    CameraControllerSetFocusDirection(camera, VectorWithValues(0, 0, -1));
}

bool WorldRunStep(Level *level, Player *player)
{
    LevelRun(level, kWorldStep);
    if (level->waterController)
        WaterControllerRun(level->waterController, kWorldStep);
    return PlayerRun(player, level, kWorldStep);
}

void WorldRunCamera(CameraController *camera, const Player *player)
{
    Vector p = PlayerGetPosition(player);
    CameraControllerFollowPoint(camera, p.x, p.y + kPlayerHeight, p.z);
    CameraControllerFollowDirection(camera, PlayerGetCameraDirection(player));
    CameraControllerRun(camera, kWorldStep);
}

WorldReplayOutcome WorldPlayReplay(LevelSet *set, const Replay *replay, WorldReplayTrace trace, void *context,
                                   int32_t traceEvery)
{
    WorldReplayOutcome outcome{0, 0, 0};
    Player *player = PlayerAllocate(nullptr);
    player->levelSet = set;
    CameraController *camera = CameraControllerAllocate(kCameraFollowDirection);
    LevelSetSetCurrentLevel(set, replay->levelIndex);
    PlayerInit(player);
    WorldPlacePlayerAtStart(player, set);
    WorldInitCameraPos(camera, player);
    WorldResetModifiers();
    sdrand(replay->seed);
    WorldEvents *events = WorldEventsCurrent();
    WorldEventsClear(events);

    size_t next = 0;
    while (outcome.steps < replay->endStep) {
        for (; next < replay->events.size() && replay->events[next].step <= outcome.steps; next++) {
            const ReplayEvent &e = replay->events[next];
            if (e.kind == kReplayModifiers)
                WorldHandleModifiers(player, uint32_t(e.value));
            else
                WorldHandleKey(player, camera, uint8_t(e.value), e.kind == kReplayKeyDown);
        }
        outcome.steps++;
        Level *level = LevelSetGetCurrentLevelCopy(set);
        if (!level)
            break;
        bool ended = WorldRunStep(level, player);
        if (events->levelCompleted)
            outcome.levelsCompleted++;
        if (events->playerDied || events->gameOver)
            outcome.deaths++;
        WorldEventsClear(events);
        if (!ended && outcome.levelsCompleted == 0 && outcome.deaths == 0)
            WorldRunCamera(camera, player);
        if (trace && traceEvery > 0 && outcome.steps % traceEvery == 0)
            trace(outcome.steps, player, level, context);
        if (ended || outcome.levelsCompleted > 0 || outcome.deaths > 0)
            break;
    }
    CameraControllerDispose(camera);
    PlayerDispose(player);
    return outcome;
}
