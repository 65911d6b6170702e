// The level options: a level's width, height and depth in cells, and the
// water's starting level and rising speed, read from a level, checked
// against the level's limits, and applied in one go.  The dialog shows them
// as numbers in a form.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Level;

struct LevelOptions {
    int32_t width, height, depth;
    double waterLevel; // world units, 0 to height x 6
    double waterSpeed; // world units per second, -20 to 20
};

// The rising speeds the editor offers.
constexpr double kLevelOptionsMaxWaterSpeed = 20.0;

LevelOptions LevelOptionsGet(const Level *level);
// Why the options cannot be applied, or an empty string when they can.
std::string LevelOptionsCheck(const LevelOptions &options);
// The options from the texts of width, height, depth, water level and water
// speed; false with the reason when a text is not a number (or the sizes
// are not whole numbers).
bool LevelOptionsParse(const std::vector<std::string> &texts, LevelOptions *options, std::string *why);
// Checks, then resizes the level and sets its water's initial, current
// level and rising speed, as one change.  False (nothing changed) when the
// options are refused.
bool LevelOptionsApply(Level *level, const LevelOptions &options);

// "Set Level Options": the form filled from the level; true with the options
// the user accepted (already checked), false on cancel.
bool LevelOptionsDialogRun(const Level *level, LevelOptions *options);
