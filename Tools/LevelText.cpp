// The level-set text compiler shared by LevelMaker and its fuzz target.
#include "LevelText.h"

#include "Block.h"
#include "Level.h"
#include "LevelSet.h"
#include "Powerup.h"
#include "Water.h"
#include "WaterController.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

std::vector<std::string> LevelTextSplitLines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

namespace {

bool Refuse(Fault *fault, int line, const std::string &message)
{
    fault->line = line;
    fault->message = message;
    return false;
}

// The blanks between words and around a line.
const char *const kBlanks = " \t\r";

// Splits on the same blanks Trim strips, so a trimmed line that is not empty
// always has a first word; other control characters such as a form feed stay
// inside words and are refused as unknown keywords or glyphs.
std::vector<std::string> SplitWords(const std::string &text)
{
    std::vector<std::string> words;
    size_t at = 0;
    while ((at = text.find_first_not_of(kBlanks, at)) != std::string::npos) {
        size_t end = text.find_first_of(kBlanks, at);
        words.push_back(text.substr(at, end - at)); // substr stops at the end when end is npos
        at = end;
    }
    return words;
}

std::string Trim(const std::string &text)
{
    size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string::npos)
        return "";
    size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

bool ParseInteger(const std::string &word, int32_t *out)
{
    if (word.empty() || word.size() > 9)
        return false;
    char *end = nullptr;
    long value = std::strtol(word.c_str(), &end, 10);
    if (*end != '\0')
        return false;
    *out = int32_t(value);
    return true;
}

bool ParseNumber(const std::string &word, double *out)
{
    if (word.empty())
        return false;
    char *end = nullptr;
    double value = std::strtod(word.c_str(), &end);
    if (*end != '\0' || !std::isfinite(value) || std::fabs(value) > 1.0e6)
        return false;
    *out = value;
    return true;
}

bool ParseIdentifier(const std::string &word, uint32_t *out)
{
    if (word.size() != 4)
        return false;
    uint32_t value = 0;
    for (char c : word) {
        if (c <= ' ' || c > '~')
            return false;
        value = (value << 8) | uint8_t(c);
    }
    *out = value;
    return true;
}

// A glyph as a message shows it: itself when visible, else its code.
std::string GlyphText(char glyph)
{
    if (glyph > ' ' && glyph <= '~')
        return std::string("'") + glyph + "'";
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%02X", unsigned(uint8_t(glyph)));
    return buffer;
}

std::string IdentifierText(uint32_t identifier)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8)
        text += char((identifier >> shift) & 0xFF);
    return text;
}

const char *const kKeywords[] = {"level", "size", "facing", "camera", "water", "box", "define", "layer", "powerup"};

bool IsKeyword(const std::string &word)
{
    for (const char *keyword : kKeywords)
        if (word == keyword)
            return true;
    return false;
}

// The glyphs every map knows.
bool StandardGlyph(char glyph, Piece *piece)
{
    *piece = Piece{};
    switch (glyph) {
    case '.': piece->kind = kBlockEmptySpace; return true;
    case '@': piece->start = true; return true;
    case '#': piece->kind = kBlockStone; return true;
    case 'D': piece->kind = kBlockDisappearing; return true;
    case 'A': piece->kind = kBlockAppearing; return true;
    case 'S': piece->kind = kBlockSwitchable; return true;
    case 's': piece->kind = kBlockSwitchable; piece->on = false; return true;
    case '!': piece->kind = kBlockSwitch; return true;
    case 'T': piece->kind = kBlockTeleport; return true;
    case 'X': piece->kind = kBlockDeadly; return true;
    case 'P': piece->kind = kBlockPhasing; return true;
    case 'L': piece->kind = kBlockLocked; return true;
    case 'H': piece->kind = kBlockLadder; return true;
    case '=': piece->kind = kBlockLadder; piece->orientation = 1; return true;
    case 'O': piece->kind = kBlockLevelPortal; return true;
    case '*': piece->kind = kPowerupGem; return true;
    case '+': piece->kind = kPowerupExtraLife; return true;
    case 'f': piece->kind = kPowerupFeather; return true;
    case 'k': piece->kind = kPowerupKey; return true;
    default: return false;
    }
}

struct KindName {
    const char *name;
    int32_t kind;
};

const KindName kKinds[] = {
    {"stone", kBlockStone},       {"disappearing", kBlockDisappearing}, {"appearing", kBlockAppearing},
    {"switchable", kBlockSwitchable}, {"teleport", kBlockTeleport},     {"deadly", kBlockDeadly},
    {"switch", kBlockSwitch},     {"phasing", kBlockPhasing},           {"ladder", kBlockLadder},
    {"locked", kBlockLocked},     {"portal", kBlockLevelPortal},        {"gem", kPowerupGem},
    {"life", kPowerupExtraLife},  {"feather", kPowerupFeather},         {"key", kPowerupKey},
};

bool KindForName(const std::string &name, int32_t *kind)
{
    for (const KindName &k : kKinds)
        if (name == k.name) {
            *kind = k.kind;
            return true;
        }
    return false;
}

bool IsPowerupKind(int32_t kind)
{
    return kind >= kPowerupGem && kind <= kPowerupKey;
}

// Reads "name=value" settings for a defined piece.
bool ParseSettings(const std::vector<std::string> &words, size_t first, int line, Piece *piece, Fault *fault)
{
    std::set<std::string> seen;
    for (size_t i = first; i < words.size(); i++) {
        const std::string &word = words[i];
        size_t equals = word.find('=');
        if (equals == std::string::npos || equals == 0)
            return Refuse(fault, line, "expected name=value, found \"" + word + "\"");
        std::string name = word.substr(0, equals);
        std::string value = word.substr(equals + 1);
        if (!seen.insert(name).second)
            return Refuse(fault, line, "\"" + name + "\" is given twice");
        bool known = false, good = false;
        int32_t kind = piece->kind;
        if (name == "id" && (kind == kBlockSwitchable || kind == kBlockSwitch || kind == kBlockTeleport)) {
            known = true;
            good = ParseIdentifier(value, &piece->identifier);
        } else if (name == "target" && kind == kBlockTeleport) {
            known = true;
            good = ParseIdentifier(value, &piece->target);
        } else if (name == "state" && (kind == kBlockSwitchable || kind == kBlockPhasing)) {
            known = true;
            good = value == "on" || value == "off";
            piece->on = value == "on";
        } else if ((name == "delay" || name == "on" || name == "off") && kind == kBlockPhasing) {
            known = true;
            double seconds = 0.0;
            good = ParseNumber(value, &seconds) && seconds >= 0.0 && seconds <= 3600.0;
            float &field = name == "delay" ? piece->delay : name == "on" ? piece->onInterval : piece->offInterval;
            field = float(seconds);
        } else if (name == "orientation" && kind == kBlockLadder) {
            known = true;
            good = value == "0" || value == "1";
            piece->orientation = value == "1" ? 1 : 0;
        }
        if (!known)
            return Refuse(fault, line, "this kind has no setting \"" + name + "\"");
        if (!good) {
            if (name == "id" || name == "target")
                return Refuse(fault, line, name + " must be exactly 4 visible characters, not \"" + value + "\"");
            return Refuse(fault, line, "bad value \"" + value + "\" for " + name);
        }
    }
    return true;
}

// Reads the whole text into levels.  lines[i] is line i + 1 of the source.
} // namespace

bool LevelTextParse(const std::vector<std::string> &lines, std::vector<LevelText> *levels, Fault *fault)
{
    LevelText *level = nullptr;
    size_t i = 0;
    auto isContent = [&](const std::string &t) { return !t.empty() && t[0] != ';'; };
    while (i < lines.size()) {
        int line = int(i) + 1;
        std::string text = Trim(lines[i]);
        i++;
        if (!isContent(text))
            continue;
        std::vector<std::string> words = SplitWords(text);
        const std::string &keyword = words[0];
        if (keyword == "level") {
            levels->push_back(LevelText{});
            level = &levels->back();
            level->line = line;
            level->title = words.size() > 1 ? Trim(text.substr(5)) : "";
            if (level->title.empty())
                return Refuse(fault, line, "a level needs a title");
            continue;
        }
        if (!IsKeyword(keyword))
            return Refuse(fault, line, "unknown keyword \"" + keyword + "\"");
        if (!level)
            return Refuse(fault, line, "\"" + keyword + "\" before the first \"level\" line");

        if (keyword == "size") {
            if (level->sizeLine)
                return Refuse(fault, line, "the level's size is given twice");
            if (words.size() != 4 || !ParseInteger(words[1], &level->sizeX) ||
                !ParseInteger(words[2], &level->sizeY) || !ParseInteger(words[3], &level->sizeZ))
                return Refuse(fault, line, "expected \"size <x> <y> <z>\" with whole numbers");
            if (level->sizeX <= 0 || level->sizeY <= 0 || level->sizeZ <= 0)
                return Refuse(fault, line, "every size must be at least 1");
            if (int64_t(level->sizeX) * level->sizeY * level->sizeZ > kLevelMaxCells)
                return Refuse(fault, line, "a level has at most 32768 cells");
            level->sizeLine = line;
        } else if (keyword == "facing") {
            static const char *const names[] = {"-x", "+x", "-z", "+z"};
            bool found = false;
            for (uint8_t code = 0; code < 4; code++)
                if (words.size() == 2 && words[1] == names[code]) {
                    level->facing = code;
                    found = true;
                }
            if (!found)
                return Refuse(fault, line, "expected \"facing\" with one of -x, +x, -z, +z");
        } else if (keyword == "camera") {
            double x, y, z;
            if (words.size() != 4 || !ParseNumber(words[1], &x) || !ParseNumber(words[2], &y) ||
                !ParseNumber(words[3], &z))
                return Refuse(fault, line, "expected \"camera <x> <y> <z>\"");
            level->camera = {float(x), float(y), float(z)};
        } else if (keyword == "water") {
            if (level->waterLine)
                return Refuse(fault, line, "the level's water is given twice");
            if (words.size() == 4 && words[1] == "rising") {
                if (!ParseNumber(words[2], &level->waterStart) || !ParseNumber(words[3], &level->waterSpeed))
                    return Refuse(fault, line, "expected \"water rising <start> <speed>\" with numbers");
            } else if (words.size() == 2 && words[1] == "boxes") {
                level->waterBoxes = true;
            } else {
                return Refuse(fault, line, "expected \"water rising <start> <speed>\" or \"water boxes\"");
            }
            level->waterLine = line;
        } else if (keyword == "box") {
            if (!level->waterBoxes)
                return Refuse(fault, line, "\"box\" needs \"water boxes\" before it");
            double v[6];
            bool good = words.size() == 7;
            for (int k = 0; good && k < 6; k++)
                good = ParseNumber(words[size_t(k) + 1], &v[k]);
            if (!good)
                return Refuse(fault, line, "expected \"box <minX> <maxX> <minY> <maxY> <minZ> <maxZ>\"");
            level->boxes.push_back(AABB{float(v[0]), float(v[1]), float(v[2]), float(v[3]), float(v[4]), float(v[5])});
            level->boxLines.push_back(line);
        } else if (keyword == "define") {
            if (words.size() < 3 || words[1].size() != 1)
                return Refuse(fault, line, "expected \"define <glyph> <kind> [name=value ...]\"");
            char glyph = words[1][0];
            Piece standard;
            if (StandardGlyph(glyph, &standard) || glyph == ';' || glyph <= ' ' || uint8_t(glyph) > '~')
                return Refuse(fault, line, "the glyph " + GlyphText(glyph) + " cannot be defined");
            if (level->defines.count(glyph))
                return Refuse(fault, line, "the glyph " + GlyphText(glyph) + " is defined twice");
            Piece piece;
            if (!KindForName(words[2], &piece.kind))
                return Refuse(fault, line, "unknown kind \"" + words[2] + "\"");
            if (!ParseSettings(words, 3, line, &piece, fault))
                return false;
            level->defines[glyph] = piece;
        } else if (keyword == "layer") {
            int32_t y = 0;
            if (!level->sizeLine)
                return Refuse(fault, line, "\"layer\" before the level's size");
            if (words.size() != 2 || !ParseInteger(words[1], &y))
                return Refuse(fault, line, "expected \"layer <y>\"");
            if (y < 0 || y >= level->sizeY)
                return Refuse(fault, line, "layer " + words[1] + " is outside the level (height " +
                                               std::to_string(level->sizeY) + ")");
            if (level->layers.count(y))
                return Refuse(fault, line, "layer " + words[1] + " is given twice");
            std::vector<MapRow> &rows = level->layers[y];
            level->layerLines[y] = line;
            while (int32_t(rows.size()) < level->sizeZ) {
                if (i >= lines.size())
                    return Refuse(fault, line,
                                  "layer " + words[1] + " ends after " + std::to_string(rows.size()) +
                                      " rows at the end of the text; the level is " +
                                      std::to_string(level->sizeZ) + " cells deep");
                int rowLine = int(i) + 1;
                std::string row = Trim(lines[i]);
                i++;
                if (!isContent(row))
                    continue;
                // Every keyword line has more than one word; a map row has one.
                std::vector<std::string> rowWords = SplitWords(row);
                if (rowWords.size() > 1 && IsKeyword(rowWords[0]))
                    return Refuse(fault, rowLine,
                                  "layer " + words[1] + " ends after " + std::to_string(rows.size()) +
                                      " rows; the level is " + std::to_string(level->sizeZ) + " cells deep");
                if (rowWords.size() > 1)
                    return Refuse(fault, rowLine, "a map row has no blanks inside");
                if (int32_t(row.size()) != level->sizeX)
                    return Refuse(fault, rowLine,
                                  "a row of " + std::to_string(row.size()) + " glyphs; the level is " +
                                      std::to_string(level->sizeX) + " cells wide");
                rows.push_back(MapRow{rowLine, row});
            }
        } else if (keyword == "powerup") {
            int32_t kind = 0;
            double v[3];
            if (words.size() != 5 || !KindForName(words[1], &kind) || !IsPowerupKind(kind) ||
                !ParseNumber(words[2], &v[0]) || !ParseNumber(words[3], &v[1]) || !ParseNumber(words[4], &v[2]))
                return Refuse(fault, line, "expected \"powerup <gem|life|feather|key> <x> <y> <z>\"");
            level->powerups.push_back(FreePowerup{line, kind, float(v[0]), float(v[1]), float(v[2])});
        }
    }
    if (levels->empty())
        return Refuse(fault, int(lines.size()), "the text holds no level");
    return true;
}

// Checks what only the whole level can tell.
bool LevelTextCheck(const LevelText &level, Fault *fault)
{
    if (!level.sizeLine)
        return Refuse(fault, level.line, "the level has no \"size\" line");
    if (!level.waterLine)
        return Refuse(fault, level.line, "the level has no \"water\" line");
    if (level.waterBoxes && level.boxes.empty())
        return Refuse(fault, level.waterLine, "\"water boxes\" without any \"box\" line");
    float width = CellSize * float(level.sizeX), height = CellSize * float(level.sizeY),
          depth = CellSize * float(level.sizeZ);
    for (size_t b = 0; b < level.boxes.size(); b++) {
        const AABB &box = level.boxes[b];
        if (box.minX < 0 || box.minY < 0 || box.minZ < 0 || box.maxX > width || box.maxY > height ||
            box.maxZ > depth)
            return Refuse(fault, level.boxLines[b], "the water box reaches outside the level");
        double volume = double(box.maxX - box.minX) * (box.maxY - box.minY) * (box.maxZ - box.minZ);
        if (box.maxX <= box.minX || box.maxY <= box.minY || box.maxZ <= box.minZ || volume < kWaterMinimumVolume)
            return Refuse(fault, level.boxLines[b], "the water box holds no water");
    }
    for (const FreePowerup &p : level.powerups)
        if (p.x < 0 || p.y < 0 || p.z < 0 || p.x > width || p.y > height || p.z > depth)
            return Refuse(fault, p.line, "the powerup lies outside the level");

    int starts = 0, portals = 0;
    std::set<uint32_t> teleports, switchables;
    for (const auto &[y, rows] : level.layers)
        for (const MapRow &row : rows)
            for (size_t x = 0; x < row.glyphs.size(); x++) {
                char glyph = row.glyphs[x];
                Piece piece;
                if (!StandardGlyph(glyph, &piece)) {
                    auto defined = level.defines.find(glyph);
                    if (defined == level.defines.end())
                        return Refuse(fault, row.line, "unknown glyph " + GlyphText(glyph));
                    piece = defined->second;
                }
                starts += piece.start;
                portals += piece.kind == kBlockLevelPortal;
                if (piece.kind == kBlockTeleport)
                    teleports.insert(piece.identifier);
                if (piece.kind == kBlockSwitchable)
                    switchables.insert(piece.identifier);
            }
    if (starts != 1)
        return Refuse(fault, level.line,
                      "the level needs exactly one start '@', it has " + std::to_string(starts));
    if (portals == 0)
        return Refuse(fault, level.line, "the level has no level portal 'O'");
    for (const auto &[y, rows] : level.layers)
        for (const MapRow &row : rows)
            for (char glyph : row.glyphs) {
                Piece piece;
                if (StandardGlyph(glyph, &piece))
                    continue;
                piece = level.defines.at(glyph);
                if (piece.kind == kBlockTeleport && !teleports.count(piece.target))
                    return Refuse(fault, row.line, "the teleport's target " + IdentifierText(piece.target) +
                                                       " names no teleport of the level");
                if (piece.kind == kBlockSwitch && !switchables.count(piece.identifier))
                    return Refuse(fault, row.line, "the switch " + IdentifierText(piece.identifier) +
                                                       " names no switchable block of the level");
            }
    return true;
}

// Fills a level of the set from its text.  False when the level code
// refuses a block.
bool LevelTextBuild(const LevelText &text, Level *level)
{
    LevelChangeGridSize(level, text.sizeX, text.sizeY, text.sizeZ);
    LevelSetInitialPlayerFacing(level, text.facing);
    LevelSetInitialCameraFacing(level, text.camera);
    if (text.waterBoxes) {
        WaterControllerDispose(level->waterController);
        level->waterController = WaterControllerAllocate(level, kWaterModeBoxes);
        for (const AABB &b : text.boxes) {
            WaterBox *box = WaterBoxAllocate(level->waterController, b.minX, b.maxX, b.minY, b.maxY, b.minZ, b.maxZ);
            if (!box || !WaterControllerAddBox(level->waterController, box))
                return false;
        }
    } else {
        WaterControllerSetInitialWaterLevel(level->waterController, text.waterStart);
        WaterControllerSetCurrentWaterLevel(level->waterController, text.waterStart);
        WaterControllerSetRiseSpeed(level->waterController, text.waterSpeed);
    }
    for (const auto &[y, rows] : text.layers)
        for (int32_t z = 0; z < int32_t(rows.size()); z++)
            for (int32_t x = 0; x < int32_t(rows[size_t(z)].glyphs.size()); x++) {
                char glyph = rows[size_t(z)].glyphs[size_t(x)];
                Piece piece;
                if (!StandardGlyph(glyph, &piece))
                    piece = text.defines.at(glyph);
                if (piece.start) {
                    level->playerStartX = x;
                    level->playerStartY = y;
                    level->playerStartZ = z;
                } else if (IsPowerupKind(piece.kind)) {
                    Powerup *powerup = PowerupAllocate(piece.kind);
                    PowerupSetPosition(powerup, CellSize * float(x) + 3.0f, CellSize * float(y) + 3.0f,
                                       CellSize * float(z) + 3.0f);
                    LevelAddPowerup(level, powerup);
                } else if (piece.kind != kBlockEmptySpace) {
                    Block block;
                    BlockInit(&block, piece.kind, x, y, z);
                    switch (piece.kind) {
                    case kBlockSwitchable: {
                        SwitchableBlockData d = {uint8_t(piece.on), {0, 0, 0}, piece.identifier};
                        BlockSetData(&block, &d);
                        break;
                    }
                    case kBlockTeleport: {
                        TeleportData d = {piece.identifier, piece.target};
                        BlockSetData(&block, &d);
                        break;
                    }
                    case kBlockSwitch: {
                        SwitchData d = {piece.identifier, 0};
                        BlockSetData(&block, &d);
                        break;
                    }
                    case kBlockPhasing: {
                        PhasingBlockData d = {piece.delay,       piece.onInterval, piece.offInterval,
                                              uint8_t(piece.on), {0, 0, 0},        0.0f,
                                              piece.delay};
                        BlockSetData(&block, &d);
                        break;
                    }
                    case kBlockLadder: {
                        LadderData d = {piece.orientation};
                        BlockSetData(&block, &d);
                        break;
                    }
                    default:
                        break;
                    }
                    if (!LevelAddBlock(level, &block))
                        return false;
                }
            }
    for (const FreePowerup &p : text.powerups) {
        Powerup *powerup = PowerupAllocate(p.kind);
        PowerupSetPosition(powerup, p.x, p.y, p.z);
        LevelAddPowerup(level, powerup);
    }
    return true;
}

