// Checks of a level for what would keep it from being finished or played as
// meant: a missing level portal, a start inside a solid block, teleports and
// switches whose links go nowhere, too few keys for the locked blocks and
// water that covers the player at the start.  Each finding names a cell the
// editor can move its cursor to.  The checks only warn; nothing is refused.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Level;

enum LevelCheckKind : int32_t {
    kLevelCheckNoPortal = 0,
    kLevelCheckStartBlocked = 1,
    kLevelCheckTeleportWithoutTarget = 2,
    kLevelCheckSwitchWithoutBlocks = 3,
    kLevelCheckTooFewKeys = 4,
    kLevelCheckWaterOverStart = 5,
};

struct LevelFinding {
    int32_t kind;
    int32_t cell[3]; // x, y, z: where the fault is, or the player's start
    std::string message;
};

// The findings in the order of the kinds above; blocks in level order.
std::vector<LevelFinding> LevelChecksRun(const Level *level);

// A link identifier as its four characters, most significant byte first
// (characters that cannot be shown become '?').
std::string LevelChecksIdentifierText(uint32_t identifier);
