// The water of a level.  Rising-level form: a flat surface across the level
// rising at a constant speed.  Water-box form: a list of water boxes that fall
// and spread every tick and are merged where they form larger boxes.
#pragma once

#include "ByteBuffer.h"
#include "Types.h"
#include "Vector.h"

#include <cstdint>
#include <vector>

struct Level;
struct WaterBox;

enum WaterMode : int32_t {
    kWaterModeRisingLevel = 0,
    kWaterModeBoxes = 1,
};

// The most water boxes one controller holds; spreading stops adding beyond it.
constexpr int32_t kWaterMaximumBoxes = 65536;

struct WaterController {
    Level *level; // not owned
    int32_t mode;
    // Rising level:
    double initialWaterLevel;
    double riseSpeed; // world units per second
    double currentWaterLevel;
    // Water boxes:
    int32_t boxCount;
    int32_t boxCapacity;
    WaterBox **boxes; // owned
    // Set when the water was settled at rest; it then stays as it is until
    // the blocks that stop water change (restBlocks no longer matches).
    bool atRest;
    uint64_t restBlocks;
};

WaterController *WaterControllerAllocate(Level *level, int32_t mode);
void WaterControllerDispose(WaterController *controller);
WaterController *WaterControllerCreateCopy(const WaterController *controller, Level *level);

double WaterControllerGetInitialWaterLevel(const WaterController *controller);
void WaterControllerSetInitialWaterLevel(WaterController *controller, double level);
double WaterControllerGetRiseSpeed(const WaterController *controller);
void WaterControllerSetRiseSpeed(WaterController *controller, double speed);
double WaterControllerGetCurrentWaterLevel(const WaterController *controller);
void WaterControllerSetCurrentWaterLevel(WaterController *controller, double level);

// The fraction (0 to 1) of the box's height under water.
float WaterControllerGetWaterCoverage(const WaterController *controller, float minX, float maxX, float minY,
                                      float maxY, float minZ, float maxZ);
void WaterControllerRun(WaterController *controller, float dt);
void WaterControllerDraw(WaterController *controller, Vector cameraPosition, Vector viewDirection,
                         float nearDistance);

bool WaterControllerSave(const WaterController *controller, ByteBuffer *buffer);
// Reads the water record for the level; null on any failure.
WaterController *WaterControllerLoad(Level *level, const uint8_t *data, int32_t size, int32_t *position);

// Water-box form only.  AddBox returns the box, or null (the box disposed of)
// when the controller holds no boxes or is full.
WaterBox *WaterControllerAddBox(WaterController *controller, WaterBox *box);
int32_t WaterControllerIndexForBox(const WaterController *controller, const WaterBox *box);
void WaterControllerRemoveBoxAtIndex(WaterController *controller, int32_t index);
// The boxes whose bounds touch the box (bounds included), in list order.
std::vector<WaterBox *> WaterControllerGetBoxListForBoundingBox(WaterController *controller, AABB box);
void WaterControllerSimplifyBoxes(WaterController *controller);
// The empty space of region around the seed that no obstacle covers, as
// non-overlapping boxes, the one holding the seed first; empty when the seed
// lies in no free part.  An obstacle cuts only the free boxes it reaches
// into.
std::vector<AABB> WaterControllerComputeEmptySpace(AABB region, Vector seed, const AABB *obstacles,
                                                   int32_t obstacleCount);
// The same, but the first splittingCount obstacles (the blocks) also cut the
// free boxes they touch without reaching into them, along their vertical faces.
std::vector<AABB> WaterControllerComputeEmptySpace(AABB region, Vector seed, const AABB *obstacles,
                                                   int32_t obstacleCount, int32_t splittingCount);
// The sum of the volumes of all water boxes.
double WaterControllerGetTotalVolume(const WaterController *controller);
