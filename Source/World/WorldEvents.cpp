#include "WorldEvents.h"

#include <algorithm>

static WorldEvents currentWorldEvents;

// A record that nobody reads (world code run outside a game) keeps at most
// this many sounds.
static const size_t kMaxRecordedSounds = 256;

WorldEvents *WorldEventsCurrent()
{
    return &currentWorldEvents;
}

void WorldEventsClear(WorldEvents *events)
{
    events->sounds.clear();
    events->playerDied = false;
    events->gameOver = false;
    events->levelCompleted = false;
}

int32_t WorldEventsCountSound(const WorldEvents *events, int32_t index)
{
    return int32_t(std::count(events->sounds.begin(), events->sounds.end(), index));
}

void WorldEventsPlaySound(int32_t index)
{
    if (currentWorldEvents.sounds.size() < kMaxRecordedSounds)
        currentWorldEvents.sounds.push_back(index);
}

void WorldEventsPlayerDied(bool lastLife)
{
    if (lastLife)
        currentWorldEvents.gameOver = true;
    else
        currentWorldEvents.playerDied = true;
}

void WorldEventsLevelCompleted()
{
    currentWorldEvents.levelCompleted = true;
}
