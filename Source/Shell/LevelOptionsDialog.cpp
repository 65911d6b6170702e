#include "LevelOptionsDialog.h"

#include "Block.h"
#include "Dialogs.h"
#include "Level.h"
#include "WaterController.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

const char *const kLabels[] = {"Width (cells):", "Height (cells):", "Depth (cells):", "Water level:",
                               "Water speed:"};

std::string Format(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

// The whole text as a finite number.
bool ReadNumber(const std::string &text, double *value)
{
    size_t first = text.find_first_not_of(" \t");
    size_t last = text.find_last_not_of(" \t");
    if (first == std::string::npos)
        return false;
    std::string trimmed = text.substr(first, last - first + 1);
    errno = 0;
    char *end = nullptr;
    *value = std::strtod(trimmed.c_str(), &end);
    return errno == 0 && end && *end == '\0' && std::isfinite(*value);
}

} // namespace

LevelOptions LevelOptionsGet(const Level *level)
{
    LevelOptions options{level->sizeX, level->sizeY, level->sizeZ, 0.0, 0.0};
    if (level->waterController) {
        options.waterLevel = WaterControllerGetInitialWaterLevel(level->waterController);
        options.waterSpeed = WaterControllerGetRiseSpeed(level->waterController);
    }
    return options;
}

std::string LevelOptionsCheck(const LevelOptions &o)
{
    if (o.width < 1 || o.height < 1 || o.depth < 1)
        return "Width, height and depth must each be at least 1.";
    int64_t cells = int64_t(o.width) * int64_t(o.height) * int64_t(o.depth);
    if (cells > kLevelMaxCells) {
        char text[160];
        std::snprintf(text, sizeof text, "%d x %d x %d is %lld cells; a level may have at most %lld.", o.width,
                      o.height, o.depth, static_cast<long long>(cells), static_cast<long long>(kLevelMaxCells));
        return text;
    }
    double top = double(o.height) * double(CellSize);
    if (!(o.waterLevel >= 0.0 && o.waterLevel <= top))
        return "The water level must lie between 0 and " + Format(top) + " (the height x 6).";
    if (!(std::fabs(o.waterSpeed) <= kLevelOptionsMaxWaterSpeed))
        return "The water speed must lie between -20 and 20.";
    return std::string();
}

bool LevelOptionsParse(const std::vector<std::string> &texts, LevelOptions *options, std::string *why)
{
    double values[5];
    for (size_t i = 0; i < 5; i++) {
        if (i >= texts.size() || !ReadNumber(texts[i], &values[i])) {
            *why = std::string("Please type a number for ") + kLabels[i];
            why->pop_back();
            *why += ".";
            return false;
        }
    }
    for (size_t i = 0; i < 3; i++) {
        if (values[i] != std::floor(values[i]) || std::fabs(values[i]) > 1e9) {
            *why = "Width, height and depth must be whole numbers.";
            return false;
        }
    }
    *options = LevelOptions{int32_t(values[0]), int32_t(values[1]), int32_t(values[2]), values[3], values[4]};
    return true;
}

bool LevelOptionsApply(Level *level, const LevelOptions &options)
{
    if (!level || !LevelOptionsCheck(options).empty())
        return false;
    if (options.width != level->sizeX || options.height != level->sizeY || options.depth != level->sizeZ)
        LevelChangeGridSize(level, options.width, options.height, options.depth);
    if (level->waterController) {
        WaterControllerSetInitialWaterLevel(level->waterController, options.waterLevel);
        WaterControllerSetCurrentWaterLevel(level->waterController, options.waterLevel);
        WaterControllerSetRiseSpeed(level->waterController, options.waterSpeed);
    }
    return true;
}

bool LevelOptionsDialogRun(const Level *level, LevelOptions *options)
{
    if (!level)
        return false;
    LevelOptions current = LevelOptionsGet(level);
    std::vector<std::string> texts = {std::to_string(current.width), std::to_string(current.height),
                                      std::to_string(current.depth), Format(current.waterLevel),
                                      Format(current.waterSpeed)};
    LevelOptions accepted = current;
    auto check = [&accepted](const std::vector<std::string> &values) {
        std::string why;
        if (!LevelOptionsParse(values, &accepted, &why))
            return why;
        return LevelOptionsCheck(accepted);
    };
    if (!displayModalFormDialog("Level options", std::vector<std::string>(std::begin(kLabels), std::end(kLabels)),
                                &texts, check))
        return false;
    *options = accepted;
    return true;
}
