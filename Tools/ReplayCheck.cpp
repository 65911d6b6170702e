// Plays a replay through the game's own step on a level set and says what
// happened: for authors of levels and their replays.
//
//   brimhold-replay LEVEL_SET_FILE REPLAY_FILE [--trace STEPS] [--record-keys]
//
// With --trace, the player's position, velocity and state are printed every
// STEPS steps.  The exit status is 0 when the replay completes the level it
// starts on without losing a life, 1 otherwise, 2 for unusable arguments.
#include "GameController.h"
#include "Headless.h"
#include "LevelSet.h"
#include "Player.h"
#include "Replay.h"
#include "Sound.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

static void Trace(const GameController *game, void *)
{
    const Player *p = game->player;
    std::printf("step %6lld  pos (%8.3f %8.3f %8.3f)  vel (%7.4f %7.4f %7.4f)  %s%s%s air %5.2f keys %d\n",
                static_cast<long long>(game->stepCount), double(p->position.x), double(p->position.y),
                double(p->position.z), double(p->velocity.x), double(p->velocity.y), double(p->velocity.z),
                p->onGround ? "ground " : "", p->onLadder ? "ladder " : "", p->hasFeather ? "feather " : "",
                double(p->air), p->keys);
}

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s LEVEL_SET_FILE REPLAY_FILE [--trace STEPS]\n", argv[0]);
        return 2;
    }
    int32_t traceEvery = 0;
    for (int i = 3; i < argc; i++) {
        if (std::strcmp(argv[i], "--trace") == 0 && i + 1 < argc)
            traceEvery = int32_t(std::strtol(argv[++i], nullptr, 10));
    }
    HeadlessPlatformStartUp();
    SoundSetEnabled(false);
    LevelSet *set = LevelSetAllocate();
    if (!LevelSetInitWithFile(set, argv[1])) {
        std::fprintf(stderr, "Cannot read the level set \"%s\"\n", argv[1]);
        return 2;
    }
    Replay *replay = ReplayAllocate();
    std::string error;
    if (!ReplayLoadFromFile(replay, argv[2], &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    if (replay->levelIndex >= LevelSetGetLevelCount(set)) {
        std::fprintf(stderr, "The set has no level %d\n", replay->levelIndex);
        return 2;
    }
    GameController *game = GameControllerAllocate();
    game->levelSet = set;
    GameControllerInit(game);
    ReplayOutcome outcome = GameControllerRunReplay(game, replay, true, traceEvery > 0 ? Trace : nullptr, nullptr,
                                                    traceEvery);
    Trace(game, nullptr);
    std::printf("%s after %lld steps (%.2f s): %d level(s) completed, %d li%s lost\n",
                outcome.levelsCompleted > 0 && outcome.deaths == 0 ? "COMPLETED" : "NOT COMPLETED",
                static_cast<long long>(outcome.steps), double(outcome.steps) / 120.0, outcome.levelsCompleted,
                outcome.deaths, outcome.deaths == 1 ? "fe" : "ves");
    bool completed = outcome.levelsCompleted > 0 && outcome.deaths == 0;
    GameControllerDispose(game);
    ReplayDispose(replay);
    LevelSetDispose(set);
    HeadlessPlatformShutDown();
    return completed ? 0 : 1;
}
