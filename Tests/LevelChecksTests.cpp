// The editor's helpers for authors: the level checks, the link lines, the
// level options, test play from the cursor and the findings list, the last
// ones driven through the editor on the headless platform.
#include "EditorTestSupport.h"

#include "EditHistory.h"
#include "LevelCheckPanel.h"
#include "LevelChecks.h"
#include "LevelOptionsDialog.h"
#include "LinkLines.h"
#include "Player.h"
#include "Powerup.h"
#include "TestStart.h"
#include "Water.h"
#include "WaterController.h"
#include "WidgetTestSupport.h"

#include <memory>

using namespace editortest;

namespace {

struct LevelDeleter {
    void operator()(Level *level) const { LevelDispose(level); }
};
using LevelPtr = std::unique_ptr<Level, LevelDeleter>;

// A 5 x 3 x 5 level with the start at (2, 0, 2), a portal in a corner and
// no water: a level the checks accept.
LevelPtr CleanLevel()
{
    LevelPtr level(LevelAllocate(5, 3, 5, 16, 8));
    AddBlock(level.get(), kBlockLevelPortal, 4, 0, 4);
    WaterControllerSetInitialWaterLevel(level->waterController, 0.0);
    return level;
}

int32_t AddTeleport(Level *level, int32_t x, int32_t y, int32_t z, uint32_t identifier, uint32_t target)
{
    int32_t index = AddBlock(level, kBlockTeleport, x, y, z);
    TeleportData data{identifier, target};
    BlockSetData(&level->blocks[index], &data);
    return index;
}

int32_t AddSwitchBlock(Level *level, int32_t type, int32_t x, int32_t y, int32_t z, uint32_t identifier)
{
    int32_t index = AddBlock(level, type, x, y, z);
    if (type == kBlockSwitch) {
        SwitchData data{identifier, 0};
        BlockSetData(&level->blocks[index], &data);
    } else {
        SwitchableBlockData data{1, {0, 0, 0}, identifier};
        BlockSetData(&level->blocks[index], &data);
    }
    return index;
}

std::vector<int32_t> Kinds(const std::vector<LevelFinding> &findings)
{
    std::vector<int32_t> kinds;
    for (const LevelFinding &f : findings)
        kinds.push_back(f.kind);
    return kinds;
}

std::vector<int32_t> Cell(const LevelFinding &finding)
{
    return {finding.cell[0], finding.cell[1], finding.cell[2]};
}

// Each finding as "x y z: message".
std::vector<std::string> Described(const std::vector<LevelFinding> &findings)
{
    std::vector<std::string> described;
    for (const LevelFinding &f : findings)
        described.push_back(std::to_string(f.cell[0]) + " " + std::to_string(f.cell[1]) + " " +
                            std::to_string(f.cell[2]) + ": " + f.message);
    return described;
}

} // namespace

TEST(LevelChecks, PortalStartAndWater)
{
    LevelPtr level = CleanLevel();
    EXPECT_TRUE(LevelChecksRun(level.get()).empty());

    LevelPtr bare(LevelAllocate(5, 3, 5, 16, 8));
    WaterControllerSetInitialWaterLevel(bare->waterController, 0.0);
    std::vector<LevelFinding> findings = LevelChecksRun(bare.get());
    EXPECT_EQ(Kinds(findings), std::vector<int32_t>{kLevelCheckNoPortal});
    EXPECT_EQ(Described(findings), std::vector<std::string>{"2 0 2: The level has no level portal."});

    // Standing on a block is fine; standing in one is not.
    AddBlock(level.get(), kBlockStone, 2, 0, 1);
    level->playerStartY = 1;
    AddBlock(level.get(), kBlockStone, 2, 0, 2);
    EXPECT_TRUE(LevelChecksRun(level.get()).empty());
    level->playerStartY = 0;
    findings = LevelChecksRun(level.get());
    ASSERT_EQ(Kinds(findings), std::vector<int32_t>{kLevelCheckStartBlocked});
    EXPECT_EQ(Cell(findings[0]), (std::vector<int32_t>{2, 0, 2}));
    // A switched-off block does not stop the player.
    LevelRemoveBlock(level.get(), level->blockCount - 1, true);
    AddSwitchBlock(level.get(), kBlockSwitchable, 2, 0, 2, '0000');
    static_cast<SwitchableBlockData *>(level->blocks[level->blockCount - 1].data)->on = 0;
    AddSwitchBlock(level.get(), kBlockSwitch, 0, 0, 0, '0000');
    EXPECT_TRUE(LevelChecksRun(level.get()).empty());

    // Water over the head at the start (feet at 0, head at 5.6).
    WaterControllerSetInitialWaterLevel(level->waterController, 5.5);
    EXPECT_TRUE(LevelChecksRun(level.get()).empty());
    WaterControllerSetInitialWaterLevel(level->waterController, 5.7);
    findings = LevelChecksRun(level.get());
    ASSERT_EQ(Kinds(findings), std::vector<int32_t>{kLevelCheckWaterOverStart});
    EXPECT_EQ(Cell(findings[0]), (std::vector<int32_t>{2, 0, 2}));

    // Water boxes: only a box over the start's head counts.
    WaterControllerDispose(level->waterController);
    level->waterController = WaterControllerAllocate(level.get(), kWaterModeBoxes);
    WaterController *water = level->waterController;
    ASSERT_NE(WaterControllerAddBox(water, WaterBoxAllocate(water, 0, 30, 0, 5.5f, 0, 30)), nullptr);
    ASSERT_NE(WaterControllerAddBox(water, WaterBoxAllocate(water, 0, 12, 0, 18, 0, 12)), nullptr); // beside it
    EXPECT_TRUE(LevelChecksRun(level.get()).empty());
    ASSERT_NE(WaterControllerAddBox(water, WaterBoxAllocate(water, 12, 18, 5.5f, 6, 12, 18)), nullptr);
    EXPECT_EQ(Kinds(LevelChecksRun(level.get())), std::vector<int32_t>{kLevelCheckWaterOverStart});
}

TEST(LevelChecks, LinksThatGoNowhereAndTooFewKeys)
{
    LevelPtr level = CleanLevel();
    AddTeleport(level.get(), 0, 0, 0, 'TPA1', 'TPB1');
    AddTeleport(level.get(), 1, 0, 3, 'SELF', 'SELF'); // leads to itself: has a target
    AddSwitchBlock(level.get(), kBlockSwitch, 3, 1, 0, 'SW01');
    AddSwitchBlock(level.get(), kBlockSwitchable, 3, 0, 0, 'SW02');
    AddBlock(level.get(), kBlockLocked, 0, 1, 4);
    AddBlock(level.get(), kBlockLocked, 1, 1, 4);
    Powerup *key = PowerupAllocate(kPowerupKey);
    PowerupSetPosition(key, 3, 3, 3);
    LevelAddPowerup(level.get(), key);

    std::vector<LevelFinding> findings = LevelChecksRun(level.get());
    ASSERT_EQ(Kinds(findings), (std::vector<int32_t>{kLevelCheckTeleportWithoutTarget, kLevelCheckSwitchWithoutBlocks,
                                                    kLevelCheckTooFewKeys}));
    EXPECT_EQ(Described(findings),
              (std::vector<std::string>{"0 0 0: Teleport \"TPA1\" leads to \"TPB1\", which no teleport has.",
                                        "3 1 0: Switch \"SW01\" has no switchable block with its identifier.",
                                        "0 1 4: 2 locked blocks but only 1 key."}));

    AddTeleport(level.get(), 4, 2, 4, 'TPB1', 'TPA1');
    AddSwitchBlock(level.get(), kBlockSwitchable, 4, 2, 0, 'SW01');
    Powerup *second = PowerupAllocate(kPowerupKey);
    PowerupSetPosition(second, 9, 3, 3);
    LevelAddPowerup(level.get(), second);
    EXPECT_TRUE(LevelChecksRun(level.get()).empty());
    EXPECT_EQ(LevelChecksIdentifierText(0x41000142), "A??B");
}

TEST(LinkLines, SwitchesTeleportsAndABrokenTeleport)
{
    LevelPtr level = CleanLevel();
    int32_t sw = AddSwitchBlock(level.get(), kBlockSwitch, 0, 0, 0, 'DOOR');
    int32_t doorA = AddSwitchBlock(level.get(), kBlockSwitchable, 2, 0, 0, 'DOOR');
    AddSwitchBlock(level.get(), kBlockSwitchable, 3, 0, 0, 'GATE');
    int32_t doorB = AddSwitchBlock(level.get(), kBlockSwitchable, 2, 1, 0, 'DOOR');
    int32_t a = AddTeleport(level.get(), 0, 0, 4, 'TPA1', 'TPB1');
    int32_t b = AddTeleport(level.get(), 3, 2, 4, 'TPB1', 'TPA1');
    int32_t broken = AddTeleport(level.get(), 1, 1, 1, 'LOST', 'NONE');

    std::vector<LinkLine> lines = LinkLinesCompute(level.get());
    std::vector<std::vector<int32_t>> links; // kind, from and to block
    for (const LinkLine &line : lines)
        links.push_back({line.kind, line.fromBlock, line.toBlock});
    ASSERT_EQ(links, (std::vector<std::vector<int32_t>>{{kLinkSwitch, sw, doorA}, {kLinkSwitch, sw, doorB},
                                                        {kLinkTeleport, a, b}, {kLinkTeleport, b, a},
                                                        {kLinkBroken, broken, -1}}));
    // From box centre to box centre; a broken link rises above its block.
    EXPECT_FLOAT_EQ(lines[2].from.x, 3.0f);
    EXPECT_FLOAT_EQ(lines[2].to.x, 21.0f);
    EXPECT_FLOAT_EQ(lines[2].to.z, 27.0f);
    const Block &lost = level->blocks[broken];
    EXPECT_FLOAT_EQ(lines[4].from.y, (lost.minY + lost.maxY) * 0.5f);
    EXPECT_FLOAT_EQ(lines[4].to.y, lost.maxY + kLinkBrokenRise);
    EXPECT_FLOAT_EQ(lines[4].to.x, lines[4].from.x);
    EXPECT_FLOAT_EQ(lines[4].to.z, lines[4].from.z);

    // The arrowhead sits behind the target, on both sides of the line.
    Vector left, right;
    ASSERT_TRUE(LinkLinesArrowhead(lines[2], &left, &right));
    EXPECT_LT(left.x, lines[2].to.x);
    EXPECT_LT(right.x, lines[2].to.x);
    EXPECT_NEAR((left.z + right.z) * 0.5f, 27.0f - 0.0f, 1.3f);
    EXPECT_NE(left.z, right.z);

    // Every kind has its own pattern and its own colour.
    for (int32_t i = 0; i < 3; i++)
        for (int32_t j = i + 1; j < 3; j++) {
            LinkStyle x = LinkLinesStyle(i), y = LinkLinesStyle(j);
            EXPECT_TRUE(x.pattern != y.pattern || x.factor != y.factor);
            EXPECT_TRUE(x.red != y.red || x.green != y.green || x.blue != y.blue);
        }
}

TEST(LevelOptions, LimitsParsingAndApplying)
{
    LevelPtr level = CleanLevel();
    LevelOptions options = LevelOptionsGet(level.get());
    EXPECT_EQ((std::vector<int32_t>{options.width, options.height, options.depth}), (std::vector<int32_t>{5, 3, 5}));

    LevelOptions big{40, 40, 40, 0.0, 0.0};
    EXPECT_EQ(LevelOptionsCheck(big), "40 x 40 x 40 is 64000 cells; a level may have at most 32768.");
    EXPECT_FALSE(LevelOptionsApply(level.get(), big));
    EXPECT_EQ(level->sizeX, 5);
    EXPECT_FALSE(LevelOptionsCheck(LevelOptions{0, 5, 5, 0, 0}).empty());
    EXPECT_FALSE(LevelOptionsCheck(LevelOptions{10, 5, 10, 30.5, 0}).empty()); // above 5 x 6
    EXPECT_TRUE(LevelOptionsCheck(LevelOptions{10, 5, 10, 30.0, -20.0}).empty());
    EXPECT_FALSE(LevelOptionsCheck(LevelOptions{10, 5, 10, 3.0, 20.5}).empty());

    std::string why;
    EXPECT_FALSE(LevelOptionsParse({"10", "5", "ten", "0", "0"}, &options, &why));
    EXPECT_EQ(why, "Please type a number for Depth (cells).");
    EXPECT_FALSE(LevelOptionsParse({"10", "5.5", "10", "0", "0"}, &options, &why));
    EXPECT_FALSE(LevelOptionsParse({"10", "5", "10", "nan", "0"}, &options, &why));
    ASSERT_TRUE(LevelOptionsParse({" 10", "5", "10 ", "12.5", "-3"}, &options, &why));

    ASSERT_TRUE(LevelOptionsApply(level.get(), options));
    EXPECT_EQ(SizeOf(level.get()), (std::vector<int32_t>{10, 5, 10}));
    EXPECT_EQ(WaterControllerGetInitialWaterLevel(level->waterController), 12.5);
    EXPECT_EQ(WaterControllerGetCurrentWaterLevel(level->waterController), 12.5);
    EXPECT_EQ(WaterControllerGetRiseSpeed(level->waterController), -3.0);
    EXPECT_EQ(level->blockCount, 1); // the portal at (4, 0, 4) stays
}

// ---- Through the editor -------------------------------------------------------------------

namespace {

class EditorHelpersTest : public OpenEditorTest {
protected:
    void ClickPanelButton(FourCharCode identifier)
    {
        WidgetController *widgets = editor->checkPanel->widgets;
        Widget *button = WidgetControllerGetWidgetByIdentifier(widgets, identifier);
        ASSERT_NE(button, nullptr);
        Rect4f b = WidgetGetBounds(button);
        widgettest::Click(controller->mainWindow, (b.left + b.right) / 2 + widgets->offset.x, (b.bottom + b.top) / 2);
    }
};

} // namespace

TEST_F(EditorHelpersTest, TestFromCursorStartsThereAndKeepsTheLevelStart)
{
    auto start = [&] {
        Level *level = CurrentLevel();
        return std::vector<int32_t>{level->playerStartX, level->playerStartY, level->playerStartZ};
    };
    const std::vector<int32_t> levelStart = start();
    LevelSetInitialPlayerFacing(CurrentLevel(), 1); // +x
    SetCursor(1, 2, 3);
    ASSERT_NE(levelStart, Cursor());
    HeadlessInjectKey(kEventRawKeyDown, kKeyCodeA + ('r' - 'a'), kModifierControl | kModifierShift);
    HeadlessRunFor(0.0);
    ASSERT_EQ(ControllerGetTopMode(controller), ModeGame);
    Player *player = controller->gameController->player;
    Vector p = PlayerGetPosition(player);
    EXPECT_FLOAT_EQ(p.x, 9.0f);
    EXPECT_FLOAT_EQ(p.y, 12.0f);
    EXPECT_FLOAT_EQ(p.z, 21.0f);
    EXPECT_NEAR(player->direction.x, 1.0f, 1e-5);
    // A lost life starts again at the cursor too.
    GameControllerRestartLevel(controller->gameController);
    EXPECT_FLOAT_EQ(PlayerGetPosition(player).z, 21.0f);

    Command('EGam');
    ASSERT_EQ(ControllerGetTopMode(controller), ModeLevelEditor);
    EXPECT_FALSE(TestStartIsSet());
    EXPECT_EQ(start(), levelStart);
    // The ordinary test play starts at the level's start again.
    Command('TLvl');
    ASSERT_EQ(ControllerGetTopMode(controller), ModeGame);
    EXPECT_FLOAT_EQ(PlayerGetPosition(controller->gameController->player).x, 6.0f * float(levelStart[0]) + 3.0f);
    Command('EGam');
}

TEST_F(EditorHelpersTest, ChecksListFindingsAndGoToMovesTheCursor)
{
    Level *level = CurrentLevel();
    AddTeleport(level, 1, 2, 3, 'TPA1', 'TPB1');
    Command('ChkL');
    LevelCheckPanel *panel = editor->checkPanel;
    ASSERT_TRUE(LevelCheckPanelIsVisible(panel));
    ASSERT_EQ(Kinds(panel->findings),
              (std::vector<int32_t>{kLevelCheckNoPortal, kLevelCheckTeleportWithoutTarget}));
    Widget *row = WidgetControllerGetWidgetByIdentifier(panel->widgets, LevelCheckMessageIdentifier(1));
    ASSERT_NE(row, nullptr);
    EXPECT_STREQ(WidgetGetText(row), panel->findings[1].message.c_str());
    ClickPanelButton(LevelCheckGoToIdentifier(1));
    EXPECT_EQ(Cursor(), (std::vector<int32_t>{1, 2, 3}));

    // Warnings never stop a test play; the list shows on return.
    LevelCheckPanelHide(panel);
    Command('TLvl');
    EXPECT_EQ(ControllerGetTopMode(controller), ModeGame);
    Command('EGam');
    EXPECT_TRUE(LevelCheckPanelIsVisible(panel));

    // A clean level lists that nothing was found.
    LevelRemoveBlock(CurrentLevel(), 0, true);
    AddBlock(CurrentLevel(), kBlockLevelPortal, 0, 0, 0);
    Command('ChkL');
    EXPECT_TRUE(panel->findings.empty());
    EXPECT_STREQ(WidgetGetText(WidgetControllerGetWidgetByIdentifier(panel->widgets, LevelCheckMessageIdentifier(0))),
                 "No problems found.");
    ClickPanelButton(kLevelCheckClose);
    EXPECT_FALSE(LevelCheckPanelIsVisible(panel));
}

TEST_F(EditorHelpersTest, LevelOptionsRefuseTooBigAndApplyInOneStep)
{
    LevelSetMakeClean(editor->levelSet);
    const std::vector<int32_t> size = Size();
    DialogsQueueScriptedAnswer(1, "40,40,40,0,0");
    Command('SLvl');
    EXPECT_EQ(Size(), size);
    EXPECT_FALSE(LevelSetIsDirty(editor->levelSet));

    SetCursor(size[0] - 1, 0, size[2] - 1);
    const std::vector<uint8_t> original = Bytes();
    DialogsQueueScriptedAnswer(1, "10,5,10,12,-3");
    Command('SLvl');
    EXPECT_EQ(Size(), (std::vector<int32_t>{10, 5, 10}));
    EXPECT_EQ(WaterControllerGetInitialWaterLevel(CurrentLevel()->waterController), 12.0);
    EXPECT_EQ(WaterControllerGetRiseSpeed(CurrentLevel()->waterController), -3.0);
    EXPECT_TRUE(LevelSetIsDirty(editor->levelSet));
    EXPECT_LE(editor->cursor[0], 9);
    EXPECT_EQ(LevelEditorGetMaxWaterLevel(editor), 30.0f);
    EXPECT_EQ(EditHistoryStepCount(editor->history), 1);
    EXPECT_EQ(MenuTitle('undo'), "Undo Set Level Options");
    Command('undo');
    EXPECT_EQ(Bytes(), original);
}
