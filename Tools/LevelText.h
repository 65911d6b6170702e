// The readable text form of a level set, as LevelMaker compiles it: the
// parser, the whole-level checks and the building of a Level from the text.
// LevelMaker.cpp describes the format.
#pragma once

#include "Level.h"
#include "Block.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// What one glyph or powerup line stands for.
struct Piece {
    int32_t kind = 0; // block type (0 empty) or powerup kind (1024 and up)
    bool start = false;
    uint32_t identifier = kBlockDefaultIdentifier;
    uint32_t target = kBlockDefaultIdentifier;
    bool on = true;
    float delay = 0.0f, onInterval = 1.0f, offInterval = 1.0f;
    int32_t orientation = 0;
};

struct MapRow {
    int line;
    std::string glyphs;
};

struct FreePowerup {
    int line;
    int32_t kind;
    float x, y, z;
};

struct LevelText {
    int line = 0;
    std::string title;
    int sizeLine = 0;
    int32_t sizeX = 0, sizeY = 0, sizeZ = 0;
    uint8_t facing = 2;
    Vector camera = {0.0f, 0.0f, -1.0f};
    int waterLine = 0;
    bool waterBoxes = false;
    double waterStart = 0.0, waterSpeed = 0.0;
    std::vector<AABB> boxes;
    std::vector<int> boxLines;
    std::map<char, Piece> defines;
    std::map<int32_t, std::vector<MapRow>> layers;
    std::map<int32_t, int> layerLines;
    std::vector<FreePowerup> powerups;
};

// The first fault found, with its line.
struct Fault {
    int line = 0;
    std::string message;
};

// Splits text into lines at '\n' the way std::getline does: a last line
// without a line break counts, a final line break adds no empty line.
std::vector<std::string> LevelTextSplitLines(const std::string &text);

// Reads the whole text into levels.  lines[i] is line i + 1 of the source.
bool LevelTextParse(const std::vector<std::string> &lines, std::vector<LevelText> *levels, Fault *fault);

// Checks what only the whole level can tell.
bool LevelTextCheck(const LevelText &level, Fault *fault);

// Fills a level of the set from its text.  False when the level code
// refuses a block.
bool LevelTextBuild(const LevelText &text, Level *level);
