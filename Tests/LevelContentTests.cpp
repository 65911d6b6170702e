// The shipped "Test levels" set and LevelMaker, the compiler that writes it
// from text: every glyph and setting lands in the right block or powerup,
// the bytes come out the same on every run, and malformed text is refused
// with a message that names its line.
#include "Block.h"
#include "Level.h"
#include "LevelSet.h"
#include "LevelWorldSupport.h"
#include "Powerup.h"
#include "Water.h"
#include "WaterController.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;
using levelworld::ReadBytes;

namespace {

const fs::path kShippedSet = fs::path(BRIMHOLD_BINARY_DIR) / "Resources" / "Levels" / "Test levels";
const fs::path kSource = fs::path(BRIMHOLD_SOURCE_DIR) / "Resources" / "Levels" / "Test levels.txt";
const fs::path kLevelMaker = fs::path(BRIMHOLD_BINARY_DIR) / "Tools" / "LevelMaker";

// A scratch folder for one test, removed afterwards.
struct Scratch : levelworld::TemporaryFolder {
    const fs::path &root = path();
};

struct ToolRun {
    int status = -1; // exit status, or -1 when the tool did not exit normally
    std::string output;
};

// Runs LevelMaker on a source file, writing the set "Out" into folder.
ToolRun RunLevelMaker(const fs::path &source, const fs::path &folder)
{
    std::string command = "'" + kLevelMaker.string() + "' '" + source.string() + "' '" + folder.string() + "' Out 2>&1";
    ToolRun run;
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe))
        run.output += buffer;
    int raw = pclose(pipe);
    if (raw != -1 && WIFEXITED(raw))
        run.status = WEXITSTATUS(raw);
    return run;
}

ToolRun CompileText(const Scratch &scratch, const std::string &text)
{
    fs::path source = scratch.root / "levels.txt";
    testfiles::WriteText(source, text);
    return RunLevelMaker(source, scratch.root / "out");
}

LevelSet *LoadShippedSet()
{
    LevelSet *set = LevelSetAllocate();
    if (!LevelSetInitWithFile(set, kShippedSet)) {
        LevelSetDispose(set);
        return nullptr;
    }
    return set;
}

int32_t CountBlocks(const Level *level, int32_t type)
{
    int32_t count = 0;
    for (int32_t i = 0; i < level->blockCount; i++)
        count += level->blocks[i].type == type;
    return count;
}

bool CellStopsPlayer(Level *level, int32_t x, int32_t y, int32_t z)
{
    for (int32_t slot = 0;; slot++) {
        Block *block = LevelGetBlockAtPos(level, x, y, z, slot);
        if (!block)
            return false;
        if (block->cellX == x && block->cellY == y && block->cellZ == z && BlockStopsPlayer(block))
            return true;
    }
}

// ------------------------------------------------------------ the shipped set

TEST(TestLevels, EveryLevelStartsOnFirmGroundAndTheLessonsUseEveryKind)
{
    LevelSet *set = LoadShippedSet();
    ASSERT_NE(set, nullptr) << kShippedSet;
    EXPECT_GE(LevelSetGetLevelCount(set), 12);
    EXPECT_EQ(LevelSetGetLevelSetName(set), "Test levels");
    std::vector<int32_t> boxLevels;
    int32_t racing = 0;
    std::set<int32_t> kinds;
    for (int32_t i = 0; i < LevelSetGetLevelCount(set); i++) {
        SCOPED_TRACE("level " + std::to_string(i));
        Level *level = LevelSetGetLevel(set, i);
        int32_t x = level->playerStartX, y = level->playerStartY, z = level->playerStartZ;
        ASSERT_TRUE(x >= 0 && x < level->sizeX && y >= 0 && y < level->sizeY && z >= 0 && z < level->sizeZ);
        EXPECT_FALSE(CellStopsPlayer(level, x, y, z)) << "the start cell is blocked";
        EXPECT_TRUE(y == 0 || CellStopsPlayer(level, x, y - 1, z)) << "the player would start in the air";
        EXPECT_GE(CountBlocks(level, kBlockLevelPortal), 1);
        EXPECT_LE(level->initialPlayerFacing, 3);
        const WaterController *water = level->waterController;
        ASSERT_NE(water, nullptr);
        if (water->mode == kWaterModeBoxes) {
            boxLevels.push_back(i);
            EXPECT_GT(water->boxCount, 0);
            EXPECT_GT(WaterControllerGetTotalVolume(water), 100.0);
        } else if (water->riseSpeed > 0) {
            // A race: the water reaches the player's head at the start within half a minute.
            racing += (CellSize * y + 5.6 - water->initialWaterLevel) / water->riseSpeed < 30.0;
        }
        for (int32_t b = 0; b < level->blockCount; b++)
            kinds.insert(level->blocks[b].type);
        for (int32_t p = 0; p < level->powerupCount; p++)
            kinds.insert(level->powerups[p]->kind);
    }
    EXPECT_EQ(boxLevels, (std::vector<int32_t>{5, 13}));
    EXPECT_GE(LevelSetGetLevelCount(set) - int32_t(boxLevels.size()), 12) << "levels of rising water";
    EXPECT_GE(racing, 3);
    for (int32_t kind : std::initializer_list<int32_t>{
             kBlockStone, kBlockDisappearing, kBlockAppearing, kBlockSwitchable, kBlockTeleport, kBlockDeadly,
             kBlockSwitch, kBlockPhasing, kBlockLadder, kBlockLocked, kBlockLevelPortal, int32_t(kPowerupGem),
             int32_t(kPowerupExtraLife), int32_t(kPowerupFeather), int32_t(kPowerupKey)})
        EXPECT_TRUE(kinds.count(kind)) << "nothing of kind " << kind;
    // The first level only walks: stone, a portal and gems.
    Level *first = LevelSetGetLevel(set, 0);
    for (int32_t b = 0; b < first->blockCount; b++)
        EXPECT_TRUE(first->blocks[b].type == kBlockStone || first->blocks[b].type == kBlockLevelPortal);
    EXPECT_LE(int64_t(first->sizeX) * first->sizeY * first->sizeZ, 200);
    LevelSetDispose(set);
}

// Loading and saving again give the same bytes for any set (LevelSetFile and
// the level-set fuzz target); the compiler does too on every run.
TEST(TestLevels, EveryCompilerRunGivesTheSameBytes)
{
    std::vector<uint8_t> bytes = ReadBytes(kShippedSet);
    ASSERT_GT(bytes.size(), 74u);
    Scratch scratch;
    ToolRun run = RunLevelMaker(kSource, scratch.root);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(ReadBytes(scratch.root / "Out") == bytes);
}

// ------------------------------------------------------------ the compiler

const char *const kEveryGlyph = R"(; every glyph and setting
level Every glyph
size 4 3 3
facing +x
camera 1 0 0
water rising 2.5 -0.5
define 1 teleport id=AAAA target=BBBB
define 2 teleport id=BBBB target=AAAA
define r switch id=RED1
define R switchable id=RED1 state=off
define p phasing delay=0.25 on=3 off=0.5 state=off
define h ladder orientation=1

layer 0
@#DA
SsTX
!PLO
layer 1
  H=12
  rRph
  *+fk
powerup gem 1.5 2 3.25

level Boxes
size 2 2 2
water boxes
box 0 12 0 3 0 12
box 0 6 6 9.5 0 6
layer 1
@O
..
)";

TEST(LevelMaker, EveryGlyphAndSettingLandsInItsCell)
{
    Scratch scratch;
    ToolRun run = CompileText(scratch, kEveryGlyph);
    ASSERT_EQ(run.status, 0) << run.output;
    LevelSet *set = LevelSetAllocate();
    ASSERT_TRUE(LevelSetInitWithFile(set, scratch.root / "out" / "Out"));
    ASSERT_EQ(LevelSetGetLevelCount(set), 2);

    Level *level = LevelSetGetLevel(set, 0);
    EXPECT_EQ(std::make_tuple(level->sizeX, level->sizeY, level->sizeZ, level->playerStartX, level->playerStartY,
                              level->playerStartZ),
              std::make_tuple(4, 3, 3, 0, 0, 0));
    WaterController *water = level->waterController;
    EXPECT_EQ((std::vector<double>{double(level->initialPlayerFacing), level->initialCameraFacing.x,
                                   level->initialCameraFacing.z, double(water->mode),
                                   WaterControllerGetInitialWaterLevel(water), WaterControllerGetCurrentWaterLevel(water),
                                   WaterControllerGetRiseSpeed(water)}),
              (std::vector<double>{1, 1, 0, kWaterModeRisingLevel, 2.5, 2.5, -0.5}));

    // Blocks follow the maps: layers upwards, rows from z = 0, cells from x = 0.
    ASSERT_EQ(level->blockCount, 19);
    std::map<std::tuple<int32_t, int32_t, int32_t>, const Block *> at;
    for (int32_t i = 0; i < level->blockCount; i++)
        at[{level->blocks[i].cellX, level->blocks[i].cellY, level->blocks[i].cellZ}] = &level->blocks[i];
    auto type = [&](int32_t x, int32_t y, int32_t z) { return at.count({x, y, z}) ? int(at[{x, y, z}]->type) : -1; };
    EXPECT_EQ(level->blocks[0].type, kBlockStone);
    EXPECT_EQ(level->blocks[0].cellX, 1);
    const std::array<int32_t, 4> types[] = {{0, 0, 0, -1}, {2, 0, 0, kBlockDisappearing}, {3, 0, 0, kBlockAppearing},
                                            {0, 0, 1, kBlockSwitchable}, {3, 0, 1, kBlockDeadly}, {0, 0, 2, kBlockSwitch},
                                            {2, 0, 2, kBlockLocked}, {3, 0, 2, kBlockLevelPortal}};
    for (const auto &t : types)
        EXPECT_EQ(type(t[0], t[1], t[2]), t[3]) << t[0] << " " << t[1] << " " << t[2];

    auto data = [&](int32_t x, int32_t y, int32_t z) { return at[{x, y, z}]->data; };
    auto switchable = [&](int32_t x, int32_t y, int32_t z) {
        const SwitchableBlockData *d = static_cast<const SwitchableBlockData *>(data(x, y, z));
        return std::make_pair(uint32_t(d->identifier), int(d->on));
    };
    auto teleport = [&](int32_t x, int32_t y, int32_t z) {
        const TeleportData *d = static_cast<const TeleportData *>(data(x, y, z));
        return std::make_pair(uint32_t(d->identifier), uint32_t(d->target));
    };
    auto phasing = [&](int32_t x, int32_t y, int32_t z) {
        const PhasingBlockData *d = static_cast<const PhasingBlockData *>(data(x, y, z));
        return std::vector<float>{d->initialDelay, d->onInterval, d->offInterval, float(d->on), d->nextToggle};
    };
    EXPECT_EQ(switchable(0, 0, 1), std::make_pair(uint32_t(kBlockDefaultIdentifier), 1));
    EXPECT_EQ(switchable(1, 0, 1).second, 0);
    EXPECT_EQ(teleport(2, 0, 1), std::make_pair(uint32_t(kBlockDefaultIdentifier), uint32_t(kBlockDefaultIdentifier)));
    EXPECT_EQ(phasing(1, 0, 2), (std::vector<float>{0, 1, 1, 1, 0}));

    auto ladder = [&](int32_t x) { return static_cast<const LadderData *>(data(x, 1, 0))->orientation; };
    EXPECT_EQ(std::make_pair(ladder(0), ladder(1)), std::make_pair(0, 1));
    const Block *straight = at[{0, 1, 0}], *turned = at[{1, 1, 0}];
    EXPECT_EQ(straight->minZ, 2.875f);
    EXPECT_FLOAT_EQ(turned->minX, 8.875f); // turned: thin along x
    EXPECT_FLOAT_EQ(turned->maxZ, 4.15f);
    EXPECT_EQ(teleport(2, 1, 0), std::make_pair(uint32_t('AAAA'), uint32_t('BBBB')));
    EXPECT_EQ(teleport(3, 1, 0), std::make_pair(uint32_t('BBBB'), uint32_t('AAAA')));
    EXPECT_EQ(static_cast<const SwitchData *>(data(0, 1, 1))->identifier, uint32_t('RED1'));
    EXPECT_EQ(switchable(1, 1, 1), std::make_pair(uint32_t('RED1'), 0));
    EXPECT_EQ(phasing(2, 1, 1), (std::vector<float>{0.25f, 3.0f, 0.5f, 0, 0.25f}));
    EXPECT_EQ(static_cast<const LadderData *>(data(3, 1, 1))->orientation, 1);

    // Powerups at their cells' centres, then the free one.
    ASSERT_EQ(level->powerupCount, 5);
    const int32_t kinds[] = {kPowerupGem, kPowerupExtraLife, kPowerupFeather, kPowerupKey};
    auto powerup = [&](int32_t i) {
        const Powerup *p = level->powerups[i];
        return std::vector<float>{float(p->kind), p->position.x, p->position.y, p->position.z};
    };
    for (int32_t i = 0; i < 4; i++)
        EXPECT_EQ(powerup(i), (std::vector<float>{float(kinds[i]), 6.0f * float(i) + 3.0f, 9.0f, 15.0f}));
    EXPECT_EQ(powerup(4), (std::vector<float>{float(kPowerupGem), 1.5f, 2.0f, 3.25f}));

    Level *boxes = LevelSetGetLevel(set, 1);
    EXPECT_EQ(boxes->initialPlayerFacing, 2); // -z unless told otherwise
    EXPECT_EQ(boxes->playerStartY, 1);
    ASSERT_EQ(boxes->waterController->mode, kWaterModeBoxes);
    ASSERT_EQ(boxes->waterController->boxCount, 2);
    AABB second = WaterBoxGetBounds(boxes->waterController->boxes[1]);
    EXPECT_EQ((std::vector<float>{second.maxX, second.minY, second.maxY}), (std::vector<float>{6, 6, 9.5f}));
    LevelSetDispose(set);
}

// A small valid level, line by line, that the refusal cases break.
std::vector<std::string> ValidLines()
{
    return {"level Small",     // 1
            "size 3 2 2",      // 2
            "water rising 0 1", // 3
            "define 1 teleport id=AAAA target=AAAA", // 4
            "layer 0",         // 5
            "@.1",             // 6
            "#.O"};            // 7
}

std::string Join(const std::vector<std::string> &lines)
{
    std::string text;
    for (const std::string &line : lines)
        text += line + "\n";
    return text;
}

struct Breakage {
    int line;              // the line to replace (1-based), or 0 to append
    std::string text;      // its new text
    int reportedLine;      // the line the message must name
    std::string phrase;    // part of the message
    std::string appended = ""; // a line added at the end as well
};

TEST(LevelMaker, MalformedTextIsRefusedNamingTheLine)
{
    const Breakage cases[] = {
        {6, "@.Q", 6, "unknown glyph 'Q'"},
        {7, "#.", 7, "a row of 2 glyphs; the level is 3 cells wide"},
        {6, "..1", 1, "exactly one start '@', it has 0"},
        {7, "@.O", 1, "exactly one start '@', it has 2"},
        {7, "#..", 1, "no level portal"},
        {2, "sise 3 2 2", 2, "unknown keyword \"sise\""},
        {2, "\f", 2, "unknown keyword \"\f\""},
        {2, "size 100 100 100", 2, "at most 32768 cells"},
        {2, "size 3 0 2", 2, "at least 1"},
        {2, "size 3 two 2", 2, "whole numbers"},
        {3, "water falling 0 1", 3, "water rising"},
        {3, "; no water", 1, "no \"water\" line"},
        {4, "define 1 teleport id=AAAA target=ZZZZ", 6, "target ZZZZ names no teleport"},
        {4, "define # stone", 4, "'#' cannot be defined"},
        {4, "define 1 teleport id=AAAAA target=AAAA", 4, "exactly 4 visible characters"},
        {4, "define 1 teleport speed=3", 4, "no setting \"speed\""},
        {4, "define 1 wormhole", 4, "unknown kind \"wormhole\""},
        {5, "layer 2", 5, "outside the level"},
        {7, "layer 1", 7, "layer 0 ends after 1 rows"},
        {7, "# O", 7, "no blanks inside"},
        {0, "powerup gem 1 2 99", 8, "outside the level"},
        {0, "box 0 1 0 1 0 1", 8, "needs \"water boxes\""},
        {1, "size 3 2 2", 1, "before the first \"level\""},
        {3, "water boxes", 8, "the water box reaches outside the level", "box 0 19 0 1 0 1"},
        {3, "water boxes", 8, "the water box holds no water", "box 0 6 3 3 0 6"},
        {3, "water boxes", 3, "\"water boxes\" without any \"box\" line"},
    };
    Scratch scratch;
    ToolRun valid = CompileText(scratch, Join(ValidLines()));
    ASSERT_EQ(valid.status, 0) << valid.output;
    ASSERT_TRUE(fs::exists(scratch.root / "out" / "Out"));
    for (const Breakage &c : cases) {
        std::vector<std::string> lines = ValidLines();
        if (c.line == 0)
            lines.push_back(c.text);
        else
            lines[size_t(c.line - 1)] = c.text;
        if (!c.appended.empty())
            lines.push_back(c.appended);
        SCOPED_TRACE(c.text);
        fs::remove_all(scratch.root / "out");
        ToolRun run = CompileText(scratch, Join(lines));
        EXPECT_EQ(run.status, 1) << run.output;
        EXPECT_NE(run.output.find(", line " + std::to_string(c.reportedLine) + ": "), std::string::npos)
            << run.output;
        EXPECT_NE(run.output.find(c.phrase), std::string::npos) << run.output;
        EXPECT_FALSE(fs::exists(scratch.root / "out" / "Out")) << "nothing is written for refused text";
    }
}

// Any text is refused with a message by the level-text fuzz target; the tool
// itself reports a file it cannot read.
TEST(LevelMaker, AMissingFileIsRefused)
{
    Scratch scratch;
    ToolRun run = RunLevelMaker(scratch.root / "no such file.txt", scratch.root / "out");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("cannot read"), std::string::npos);
}

} // namespace
