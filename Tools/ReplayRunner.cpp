// ReplayRunner plays replays of single levels through the game's own step
// and tells, for each, whether it completes its level without a death.  It
// is the level author's check: write a replay, run it, adjust the steps.
// With --trace N it prints the player's state every N steps.
//
// Usage: ReplayRunner <resources folder> [--trace N] <replay file>...
// The level set named in each replay is read from <resources folder>/Levels,
// the models (which give powerups their size) from <resources folder>/Models.
// It needs no display, drawing context or sound device: it links only the
// world library.

#include "Folders.h"
#include "Level.h"
#include "LevelSet.h"
#include "ModelParser.h"
#include "Player.h"
#include "Replay.h"
#include "WaterController.h"
#include "WorldStep.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

void Trace(int64_t step, const Player *p, Level *level, void *)
{
    const WaterController *water = level ? level->waterController : nullptr;
    char waterText[64] = "";
    if (water && water->mode == kWaterModeBoxes)
        std::snprintf(waterText, sizeof waterText, "%d boxes", int(water->boxCount));
    else if (water)
        std::snprintf(waterText, sizeof waterText, "water %6.2f", WaterControllerGetCurrentWaterLevel(water));
    std::printf("  %6lld  x %7.3f y %7.3f z %7.3f  %s%s  %s air %5.2f keys %d feather %d points %d\n", (long long)step,
                p->position.x, p->position.y, p->position.z, p->onGround ? "G" : "-", p->onLadder ? "L" : "-",
                waterText, p->air, int(p->keys), int(p->hasFeather), int(p->points));
}

// The player's place at the end of a replay, noted by the trace of the last
// step.
struct LastState {
    Vector position;
};

void NoteLast(int64_t, const Player *p, Level *, void *context)
{
    static_cast<LastState *>(context)->position = p->position;
}

struct TraceBoth {
    int every;
    LastState last;
};

void TraceAndNote(int64_t step, const Player *p, Level *level, void *context)
{
    TraceBoth *both = static_cast<TraceBoth *>(context);
    NoteLast(step, p, level, &both->last);
    if (both->every > 0 && step % both->every == 0)
        Trace(step, p, level, nullptr);
}

// Plays one replay from the start of its level; true when the level is
// completed without a death.
bool PlayOne(const std::filesystem::path &resources, const std::string &file, int trace)
{
    Replay *replay = ReplayAllocate();
    std::string error;
    if (!ReplayLoadFromFile(replay, file, &error)) {
        std::printf("%s: %s\n", file.c_str(), error.c_str());
        ReplayDispose(replay);
        return false;
    }
    LevelSet *set = LevelSetAllocate();
    if (!LevelSetInitWithFile(set, resources / "Levels" / replay->setName) || replay->levelIndex < 0 ||
        replay->levelIndex >= LevelSetGetLevelCount(set)) {
        std::printf("%s: no level %d in the set \"%s\"\n", file.c_str(), int(replay->levelIndex),
                    replay->setName.c_str());
        LevelSetDispose(set);
        ReplayDispose(replay);
        return false;
    }
    TraceBoth both{trace, {Vector{0, 0, 0}}};
    WorldReplayOutcome outcome = WorldPlayReplay(set, replay, TraceAndNote, &both, 1);
    bool completed = outcome.levelsCompleted > 0 && outcome.deaths == 0;
    Vector p = both.last.position;
    std::printf("%s: level %d %s at step %lld (x %.2f y %.2f z %.2f, deaths %d)\n", file.c_str(),
                int(replay->levelIndex), completed ? "completed" : "NOT completed", (long long)outcome.steps, p.x,
                p.y, p.z, int(outcome.deaths));
    LevelSetDispose(set);
    ReplayDispose(replay);
    return completed;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: ReplayRunner <resources folder> [--trace N] <replay file>...\n");
        return 2;
    }
    std::filesystem::path resources = argv[1];
    int trace = 0;
    std::vector<std::string> files;
    for (int i = 2; i < argc; i++) {
        if (std::strcmp(argv[i], "--trace") == 0 && i + 1 < argc)
            trace = std::atoi(argv[++i]);
        else
            files.push_back(argv[i]);
    }
    PlatformSetResourcesFolder(resources);
    ModelLoadAllModels();
    int failures = 0;
    for (const std::string &file : files)
        failures += !PlayOne(resources, file, trace);
    ModelDisposeAllModels();
    return failures == 0 ? 0 : 1;
}
