// What leaves the world during a step: the sounds to play, in order, and the
// outcome of the player's step (a life lost, the last life lost, a level
// completed).  World code never plays sounds or calls the game mode; it
// records here, and the game mode reads and clears the record after each
// step and after each key it hands to the player.
#pragma once

#include <cstdint>
#include <vector>

struct WorldEvents {
    std::vector<int32_t> sounds; // sound indices, in the order asked for
    bool playerDied;             // a life was lost and lives remain
    bool gameOver;               // the last life was lost
    bool levelCompleted;         // the player reached the level portal
};

// The record that world code fills.
WorldEvents *WorldEventsCurrent();
void WorldEventsClear(WorldEvents *events);
// How many times the sound was asked for since the record was cleared.
int32_t WorldEventsCountSound(const WorldEvents *events, int32_t index);
// Records into the current record.
void WorldEventsPlaySound(int32_t index);
void WorldEventsPlayerDied(bool lastLife);
void WorldEventsLevelCompleted();
