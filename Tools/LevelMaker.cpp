// LevelMaker compiles a level set written as readable text into the binary
// level-set file, through the game's own level and level-set code, so the
// file is exactly what the level editor would save.
//
// Usage: LevelMaker <source text> <output folder> <set name>
//
// The text format
// ---------------
// One item a line.  Blank lines and lines whose first non-blank character is
// ';' are skipped everywhere (so '#' stays free for stone in the maps).
// Words are separated by blanks; numbers are decimal.
//
//   level <title>              starts a level; the title is for people only
//   size <x> <y> <z>           the level's size in cells (at most 32768 cells)
//   facing <-x|+x|-z|+z>       the player's facing at the start (default -z)
//   camera <x> <y> <z>         the camera's facing at the start (default 0 0 -1)
//   water rising <start> <speed>
//                              the rising-water form: the water's height at the
//                              start and its speed, in world units (a cell is
//                              6 units) and units per second
//   water boxes                the water-box form; the water is then given by
//   box <minX> <maxX> <minY> <maxY> <minZ> <maxZ>
//                              lines, each one box of water in world units
//   define <glyph> <kind> [name=value ...]
//                              a glyph of this level's maps for a block or
//                              powerup with its own data (see below)
//   layer <y>                  a map of layer y: the next <z> lines are its
//                              rows, z = 0 first, each of exactly <x> glyphs,
//                              x = 0 first; layers not given are empty
//   powerup <kind> <x> <y> <z> a powerup at a free position in world units
//
// Each level needs its size, its water, exactly one start glyph '@' and at
// least one level portal.  In the maps the top row is the far side of the
// level (towards -z, where the up arrow leads at the start) and the left
// column is -x.
//
// Glyphs of every map:
//   .  empty                   @  the player's start (an empty cell)
//   #  stone block             X  deadly block
//   D  disappearing block      A  appearing block
//   S  switchable block, on    s  switchable block, off
//   !  switch                  T  teleport
//   P  phasing block           L  locked block
//   H  ladder, climbed from -z or +z
//   =  ladder turned, climbed from -x or +x
//   O  level portal
//   *  gem     +  extra life   f  feather    k  key   (at the cell's centre)
// The unnamed switches, switchable blocks and teleports use the identifier
// 0000; phasing blocks default to no delay, one second on and one off.
//
// Kinds and their data for 'define' and 'powerup':
//   stone, disappearing, appearing, deadly, locked, portal
//   switchable  id=<4 characters>  state=on|off
//   switch      id=<4 characters>
//   teleport    id=<4 characters>  target=<4 characters>
//   phasing     delay=<s> on=<s> off=<s> state=on|off
//   ladder      orientation=0|1
//   gem, life, feather, key    (powerups)
// A defined glyph may not be one of the glyphs above, a blank or ';'.
//
// Besides the grammar the compiler refuses a teleport whose target names no
// teleport of its level and a switch whose identifier names no switchable
// block, since neither could ever do anything.
//
// Any fault stops the compiler with a message naming the source line and an
// exit status of 1; nothing is written then.

#include "LevelText.h"

#include "LevelSet.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

bool ReadLines(const std::filesystem::path &file, std::vector<std::string> *lines)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    std::string line;
    while (std::getline(in, line))
        lines->push_back(line);
    return !in.bad();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: LevelMaker <source text> <output folder> <set name>\n");
        return 2;
    }
    std::filesystem::path source = argv[1], folder = argv[2];
    std::string name = argv[3];
    std::vector<std::string> lines;
    if (!ReadLines(source, &lines)) {
        std::fprintf(stderr, "LevelMaker: cannot read %s\n", source.c_str());
        return 1;
    }
    std::vector<LevelText> texts;
    Fault fault;
    bool ok = LevelTextParse(lines, &texts, &fault);
    for (size_t i = 0; ok && i < texts.size(); i++)
        ok = LevelTextCheck(texts[i], &fault);
    if (!ok) {
        std::fprintf(stderr, "LevelMaker: %s, line %d: %s\n", source.c_str(), fault.line, fault.message.c_str());
        return 1;
    }
    if (texts.size() > size_t(kLevelSetMaxLevels)) {
        std::fprintf(stderr, "LevelMaker: %s: more levels than a set can hold\n", source.c_str());
        return 1;
    }

    LevelSet *set = LevelSetAllocate();
    for (size_t i = 0; ok && i < texts.size(); i++) {
        Level *level = LevelSetAppendLevel(set);
        ok = level && LevelTextBuild(texts[i], level);
        if (!ok)
            std::fprintf(stderr, "LevelMaker: %s, line %d: the level cannot be built\n", source.c_str(),
                         texts[i].line);
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (ok && (error || !LevelSetSaveToFile(set, folder, name))) {
        std::fprintf(stderr, "LevelMaker: cannot write \"%s\" in %s\n", name.c_str(), folder.c_str());
        ok = false;
    }
    LevelSetDispose(set);
    if (!ok)
        return 1;
    std::printf("LevelMaker: %zu levels into \"%s\"\n", texts.size(), name.c_str());
    return 0;
}
