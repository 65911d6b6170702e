// brimhold-world-check: linked against the world library alone, it loads the
// shipped models and the level set "Test levels" from a resources folder and
// runs the first level's player forward for two seconds of steps (or until
// it reaches the portal).  It fails unless the player moved and stayed
// alive; CTest runs it with no display.
//
// Usage: brimhold-world-check <resources folder>

#include "CameraController.h"
#include "Folders.h"
#include "LevelSet.h"
#include "ModelParser.h"
#include "Player.h"
#include "WorldEvents.h"
#include "WorldStep.h"

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: brimhold-world-check <resources folder>\n");
        return 2;
    }
    PlatformSetResourcesFolder(argv[1]);
    ModelLoadAllModels();
    int result = 1;
    LevelSet *set = LevelSetAllocate();
    if (!ModelGetModelByIdentifier(kModelKindStatic, 'Gem ')) {
        std::printf("brimhold-world-check: the models are missing\n");
    } else if (!LevelSetInitWithFile(set, PlatformResourceSubfolder("Levels") / "Test levels")) {
        std::printf("brimhold-world-check: cannot read the level set \"Test levels\"\n");
    } else {
        Player *player = PlayerAllocate(nullptr);
        player->levelSet = set;
        CameraController *camera = CameraControllerAllocate(kCameraFollowDirection);
        LevelSetSetCurrentLevel(set, 0);
        PlayerInit(player);
        WorldPlacePlayerAtStart(player, set);
        WorldInitCameraPos(camera, player);
        Vector start = PlayerGetPosition(player);
        WorldHandleKey(player, camera, 30, true); // up arrow: run forward
        bool ended = false, died = false;
        for (int step = 0; step < 240 && !ended; step++) {
            ended = WorldRunStep(LevelSetGetCurrentLevelCopy(set), player);
            died = died || WorldEventsCurrent()->playerDied || WorldEventsCurrent()->gameOver;
            WorldEventsClear(WorldEventsCurrent());
            WorldRunCamera(camera, player);
        }
        Vector end = PlayerGetPosition(player);
        std::printf("brimhold-world-check: the player ran from (%.2f, %.2f, %.2f) to (%.2f, %.2f, %.2f)\n", start.x,
                    start.y, start.z, end.x, end.y, end.z);
        if (!died && (end.x != start.x || end.z != start.z))
            result = 0;
        CameraControllerDispose(camera);
        PlayerDispose(player);
    }
    LevelSetDispose(set);
    ModelDisposeAllModels();
    return result;
}
