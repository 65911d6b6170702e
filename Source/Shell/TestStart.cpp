#include "TestStart.h"

#include "Block.h"
#include "Level.h"
#include "LevelSet.h"
#include "Player.h"

#include <algorithm>

namespace {

struct TestStart {
    bool set;
    const LevelSet *levelSet;
    int32_t levelIndex;
    int32_t cell[3];
};

TestStart testStart{};

} // namespace

void TestStartSet(const LevelSet *set, int32_t levelIndex, int32_t x, int32_t y, int32_t z)
{
    testStart = TestStart{true, set, levelIndex, {x, y, z}};
}

void TestStartClear()
{
    testStart = TestStart{};
}

bool TestStartIsSet()
{
    return testStart.set;
}

bool TestStartPlacePlayer(Player *player, const LevelSet *set)
{
    if (!testStart.set || !player || set != testStart.levelSet ||
        LevelSetGetCurrentLevelIndex(set) != testStart.levelIndex)
        return false;
    const Level *level = LevelSetGetCurrentLevelCopy(set);
    if (!level)
        return false;
    int32_t x = std::clamp(testStart.cell[0], 0, level->sizeX - 1);
    int32_t y = std::clamp(testStart.cell[1], 0, level->sizeY - 1);
    int32_t z = std::clamp(testStart.cell[2], 0, level->sizeZ - 1);
    Vector position = VectorWithValues(CellSize * float(x) + 3.0f, CellSize * float(y), CellSize * float(z) + 3.0f);
    PlayerStartAtPos(player, position, LevelSetGetCurrentLevelPlayerFacingVector(set));
    return true;
}
