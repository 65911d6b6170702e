// The level editor's tool palette on the headless platform: the panel's tab
// and slide, the tool row and type grid, the water sliders, the block
// inspector's fields, the number keys, the hover label, and (read back from
// the window) where the panel is drawn.
#include "GLTestContext.h"
#include "WidgetTestSupport.h"

#include "Block.h"
#include "Controller.h"
#include "Level.h"
#include "LevelEditor.h"
#include "LevelSet.h"
#include "Preferences.h"
#include "ToolPalette.h"
#include "WaterController.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace {

// The grid and the tool row in panel order.
const int32_t kGridCodes[15] = {1, 21, 10, 19, 4, 13, 15, 2, 3, 7, 14, 1024, 1026, 1027, 1025};
const int32_t kToolCodes[4] = {0, 5, 6, 7};

class Palette : public ::testing::Test {
protected:
    widgettest::PreferencesFolder prefsFolder;
    Controller *controller = nullptr;
    OpenGLWindow *window = nullptr;
    LevelEditor editor{};
    ToolPalette *palette = nullptr;

    void SetUp() override
    {
        HeadlessPlatformStartUp();
        ASSERT_EQ(0, TextStartUp());
        PrefsStartUp();
        controller = ControllerAllocate();
        window = ControllerGetMainWindow(controller);
        ASSERT_NE(window, nullptr) << "no window could be opened";
        editor.levelSet = LevelSetAllocate();
        LevelSetInit(editor.levelSet);
        editor.palette = palette = ToolPaletteAllocate(&editor);
        ToolPaletteStart(palette);
    }
    void TearDown() override
    {
        ToolPaletteDispose(palette);
        LevelSetDispose(editor.levelSet);
        ControllerDispose(controller);
        PrefsShutDown();
        TextShutDown();
        HeadlessPlatformShutDown();
    }

    Level *CurrentLevel() { return LevelSetGetCurrentLevelCopy(editor.levelSet); }
    // The panel's x origin at rest, shown.
    float Origin() { return OpenGLWindowGetRatio(window) - 1.0f; }
    Widget *W(FourCharCode identifier) { return WidgetControllerGetWidgetByIdentifier(palette->widgets, identifier); }
    // Which of the widgets show, as a string of 1 and 0.
    std::string Shown(std::initializer_list<FourCharCode> identifiers)
    {
        std::string shown;
        for (FourCharCode identifier : identifiers)
            shown += WidgetIsVisible(W(identifier)) ? '1' : '0';
        return shown;
    }
    void Click(float x, float y) { widgettest::Click(window, x, y); }
    void Move(float x, float y) { widgettest::Mouse(window, kEventMouseMoved, x, y); }
    void Ticks(int n)
    {
        for (int i = 0; i < n; i++)
            ToolPaletteRun(palette, 1.0f / 120.0f);
    }
    // Centres of the tool cells and grid cells, in view coordinates.
    Point2f ToolCentre(int i) { return {Origin() + 0.5455f + 0.175f * float(i % 3), 0.8475f - 0.175f * float(i / 3)}; }
    Point2f GridCentre(int i) { return {Origin() + 0.5455f + 0.175f * float(i % 3), 0.4225f - 0.175f * float(i / 3)}; }
    void ClickTool(int i) { Click(ToolCentre(i).x, ToolCentre(i).y); }
    // A widget's centre in view coordinates (the widgets move with the panel).
    Point2f WidgetCentre(FourCharCode identifier)
    {
        Rect4f b = WidgetGetBounds(W(identifier));
        return {(b.left + b.right) / 2 + Origin(), (b.bottom + b.top) / 2};
    }
    Block *AddBlock(int32_t type, int32_t x, int32_t y, int32_t z)
    {
        Block block;
        BlockInit(&block, type, x, y, z);
        EXPECT_TRUE(LevelAddBlock(CurrentLevel(), &block));
        return LevelGetBlockAtPos(CurrentLevel(), x, y, z, 0);
    }
    // Puts the cursor on the cell and selects the inspector.
    void InspectCell(int32_t x, int32_t y, int32_t z)
    {
        editor.cursor[0] = x;
        editor.cursor[1] = y;
        editor.cursor[2] = z;
        ClickTool(3);
    }
    // Replaces the text of a text input by typing into it (capitals).
    void TypeInto(FourCharCode identifier, const char *text)
    {
        Point2f p = WidgetCentre(identifier);
        Click(p.x, p.y);
        ASSERT_EQ(palette->widgets->focusedWidget, W(identifier));
        widgettest::Key(kKeyCodeDown);
        for (int i = 0; i < 8; i++)
            widgettest::Key(kKeyCodeBackspace);
        for (const char *c = text; *c; c++)
            widgettest::Key(kKeyCodeA + (*c - 'A'), kModifierShift);
        widgettest::Key(kKeyCodeReturn);
    }
};

TEST_F(Palette, StartsWithTheBlockToolStoneAndOnlyTheExitButtonAndTheWaterToolShowsItsSliders)
{
    EXPECT_EQ(ToolPaletteGetTool(palette), ToolBlock);
    EXPECT_EQ(ToolPaletteGetSelectedType(palette), 1);
    EXPECT_STREQ(WidgetGetText(W('Exit')), "Exit editor");
    EXPECT_EQ(Shown({'Exit', 'WLvl', 'WSpd', 'WLvD', 'WSpD', 'BInD', 'Idnt', 'Trgt', 'IDel', 'OnIn', 'OfIn', 'OnCh'}),
              "100000000000");
    EXPECT_STREQ(WidgetGetText(W('WLvD')), "Water level: 10.0");
    EXPECT_STREQ(WidgetGetText(W('WSpD')), "Water speed: -16.0");
    // A level 5 cells high: the water level slider reaches 30.
    EXPECT_FLOAT_EQ(WidgetGetMaximum(W('WLvl')), 30.0f);
    EXPECT_FLOAT_EQ(WidgetGetMaximum(W('WSpd')), 40.0f);
    // The water tool shows its sliders and labels, the inspector its
    // description; another tool hides them.
    ClickTool(2);
    EXPECT_EQ(Shown({'WLvl', 'WSpd', 'WLvD', 'WSpD', 'BInD'}), "11110");
    ClickTool(3);
    EXPECT_EQ(Shown({'WLvl', 'WSpd', 'WLvD', 'WSpD', 'BInD'}), "00001");
    ClickTool(0);
    EXPECT_EQ(Shown({'WLvl', 'WSpd', 'WLvD', 'WSpD', 'BInD'}), "00000");

    // At its bottom the water speed slider gives -20.
    ClickTool(2);
    LevelSetMakeClean(editor.levelSet);
    Rect4f b = WidgetGetBounds(W('WSpd'));
    float x = (b.left + b.right) / 2 + Origin();
    Click(x, b.bottom - 0.01f);
    EXPECT_FLOAT_EQ(WidgetGetValue(W('WSpd')), 0.0f);
    EXPECT_DOUBLE_EQ(WaterControllerGetRiseSpeed(CurrentLevel()->waterController), -20.0);
    EXPECT_STREQ(WidgetGetText(W('WSpD')), "Water speed: -20.000000");
    EXPECT_TRUE(LevelSetIsDirty(editor.levelSet));

    // The level slider sets the initial and the current level.
    b = WidgetGetBounds(W('WLvl'));
    Click((b.left + b.right) / 2 + Origin(), b.bottom + 0.25f);
    EXPECT_NEAR(WaterControllerGetInitialWaterLevel(CurrentLevel()->waterController), 15.0, 0.01);
    EXPECT_NEAR(WaterControllerGetCurrentWaterLevel(CurrentLevel()->waterController), 15.0, 0.01);
    char label[64];
    std::snprintf(label, sizeof label, "Water level: %f", double(WidgetGetValue(W('WLvl'))));
    EXPECT_STREQ(WidgetGetText(W('WLvD')), label);

    // The setters keep the sliders in range but label the true values.
    ToolPaletteSetWaterSpeed(palette, 35.0f);
    EXPECT_FLOAT_EQ(WidgetGetValue(W('WSpd')), 40.0f);
    EXPECT_STREQ(WidgetGetText(W('WSpD')), "Water speed: 35.000000");
    ToolPaletteSetCurrentWaterLevel(palette, -3.0f);
    EXPECT_FLOAT_EQ(WidgetGetValue(W('WLvl')), 0.0f);
    ToolPaletteSetMaxWaterLevel(palette, 12.0f);
    ToolPaletteSetCurrentWaterLevel(palette, 20.0f);
    EXPECT_FLOAT_EQ(WidgetGetValue(W('WLvl')), 12.0f);

    // Before the palette is started they do nothing.
    ToolPalette *fresh = ToolPaletteAllocate(&editor);
    ToolPaletteSetWaterSpeed(fresh, 3.0f);
    ToolPaletteSetCurrentWaterLevel(fresh, 3.0f);
    ToolPaletteSetMaxWaterLevel(fresh, 3.0f);
    ToolPaletteInspectBlock(fresh, nullptr);
    EXPECT_EQ(fresh->widgets, nullptr);
    ToolPaletteDispose(fresh);

    // The exit button posts the editor command.
    int32_t exits = 0;
    const int32_t kinds[] = {kEventCommandProcess};
    PlatformInstallEventHandler(
        kTargetApplication, kinds, 1,
        [](const PlatformEvent *event, void *context) {
            *static_cast<int32_t *>(context) += event->command == 'LEdt';
            return true;
        },
        &exits);
    Point2f exit = WidgetCentre('Exit');
    Click(exit.x, exit.y);
    HeadlessRunFor(0.0);
    EXPECT_EQ(exits, 1);
}

TEST_F(Palette, EveryGridCellToolAndNumberKeyChoosesAtRest)
{
    for (int i = 0; i < 15; i++) {
        Click(GridCentre(i).x, GridCentre(i).y);
        EXPECT_EQ(ToolPaletteGetSelectedType(palette), kGridCodes[i]) << "cell " << i;
    }
    // The hit extents of the first cell, edges included.
    float o = Origin();
    ToolPaletteMouseDown(palette, o + 0.463f, 0.34f);
    EXPECT_EQ(ToolPaletteGetSelectedType(palette), 1);
    ToolPaletteMouseDown(palette, o + 0.633f, 0.42f); // the gap right of it
    ToolPaletteMouseDown(palette, o + 0.55f, 0.335f); // just below it
    EXPECT_EQ(ToolPaletteGetSelectedType(palette), 1);

    for (int i = 3; i >= 0; i--) {
        ClickTool(i);
        EXPECT_EQ(ToolPaletteGetTool(palette), kToolCodes[i]) << "tool " << i;
    }
    // The grid answers only to the block tool.
    ClickTool(2);
    Click(GridCentre(4).x, GridCentre(4).y);
    EXPECT_EQ(ToolPaletteGetSelectedType(palette), 1);
    // Frozen, the palette ignores clicks.
    ToolPaletteFreeze(palette);
    ClickTool(0);
    EXPECT_EQ(ToolPaletteGetTool(palette), ToolWater);
    ToolPaletteDefrost(palette);
    ClickTool(0);
    EXPECT_EQ(ToolPaletteGetTool(palette), ToolBlock);

    // The number keys choose the first ten types under the block tool.
    for (int i = 0; i < 10; i++) { // 1 to 9, then 0
        widgettest::Key(i < 9 ? kKeyCode1 + i : kKeyCode0);
        EXPECT_EQ(ToolPaletteGetSelectedType(palette), kGridCodes[i]) << "key " << i;
    }
    EXPECT_TRUE(ToolPaletteKeyDown(palette, '1', 0));
    EXPECT_FALSE(ToolPaletteKeyDown(palette, 'q', 0));
    EXPECT_FALSE(ToolPaletteKeyDown(palette, '2', kModifierControl));
    EXPECT_EQ(ToolPaletteGetSelectedType(palette), 1);
    ClickTool(1);
    EXPECT_FALSE(ToolPaletteKeyDown(palette, '3', 0));
    EXPECT_EQ(ToolPaletteGetSelectedType(palette), 1);
}

TEST_F(Palette, TheTabSlidesThePanelAwayAndBackIn55Ticks)
{
    float tab = Origin() + 0.425f;
    Click(tab, 0.0f);
    EXPECT_TRUE(palette->hidden);
    Ticks(54);
    EXPECT_LT(palette->slide, 0.55);
    Ticks(1);
    EXPECT_DOUBLE_EQ(palette->slide, 0.55);
    // The widgets slide with the panel.
    EXPECT_FLOAT_EQ(palette->widgets->offset.x, Origin() + 0.55f);

    // Where the grid was, and where it now is off screen: nothing.
    Click(GridCentre(4).x, GridCentre(4).y);
    ToolPaletteMouseDown(palette, GridCentre(4).x + 0.55f, GridCentre(4).y);
    ToolPaletteMouseDown(palette, ToolCentre(2).x + 0.55f, ToolCentre(2).y);
    EXPECT_EQ(ToolPaletteGetSelectedType(palette), 1);
    EXPECT_EQ(ToolPaletteGetTool(palette), ToolBlock);

    Click(tab + 0.55f, -0.5f);
    EXPECT_FALSE(palette->hidden);
    Ticks(54);
    EXPECT_GT(palette->slide, 0.0);
    Ticks(1);
    EXPECT_DOUBLE_EQ(palette->slide, 0.0);
    Click(GridCentre(4).x, GridCentre(4).y);
    EXPECT_EQ(ToolPaletteGetSelectedType(palette), 4);
}

TEST_F(Palette, IdentifiersAreFourCharactersOrRefusedWithABeep)
{
    Block *block = AddBlock(kBlockSwitchable, 1, 0, 2);
    InspectCell(1, 0, 2);
    EXPECT_STREQ(WidgetGetText(W('BInD')), "Switchable block");
    EXPECT_EQ(Shown({'Idnt', 'OnCh', 'Trgt'}), "110");
    EXPECT_STREQ(WidgetGetText(W('Idnt')), "0000");
    LevelSetMakeClean(editor.levelSet);

    TypeInto('Idnt', "AB");
    EXPECT_EQ(HeadlessBeepCount(), 1);
    EXPECT_STREQ(WidgetGetText(W('Idnt')), "0000");
    EXPECT_EQ(Shown({'Idnt'}), "1");
    EXPECT_EQ(palette->widgets->focusedWidget, nullptr);
    EXPECT_EQ(static_cast<SwitchableBlockData *>(block->data)->identifier, 0x30303030u);
    EXPECT_FALSE(LevelSetIsDirty(editor.levelSet));

    TypeInto('Idnt', "ABCD");
    EXPECT_EQ(HeadlessBeepCount(), 1);
    EXPECT_EQ(static_cast<SwitchableBlockData *>(block->data)->identifier, 0x41424344u);
    EXPECT_TRUE(LevelSetIsDirty(editor.levelSet));
    ToolPaletteInspectBlock(palette, nullptr);
    EXPECT_STREQ(WidgetGetText(W('BInD')), "Empty space");
    EXPECT_EQ(Shown({'Idnt'}), "0");
    ToolPaletteInspectBlock(palette, block);
    EXPECT_STREQ(WidgetGetText(W('Idnt')), "ABCD");

    // The check box sets the block's on.
    Point2f box = {WidgetGetBounds(W('OnCh')).left + 0.04f + Origin(), WidgetGetBounds(W('OnCh')).bottom + 0.04f};
    EXPECT_TRUE(WidgetIsChecked(W('OnCh')));
    Click(box.x, box.y);
    EXPECT_EQ(static_cast<SwitchableBlockData *>(block->data)->on, 0);

    // Clicking the inspector again changes nothing, though the cursor moved.
    AddBlock(kBlockStone, 2, 0, 2);
    editor.cursor[0] = 2;
    ClickTool(3);
    EXPECT_EQ(palette->inspectedBlock, LevelGetBlockAtPos(CurrentLevel(), 1, 0, 2, 0));
    EXPECT_STREQ(WidgetGetText(W('BInD')), "Switchable block");
    EXPECT_EQ(ToolPaletteGetTool(palette), ToolInspector);
}

TEST_F(Palette, ATeleportTakesItsTargetAndEditsFollowTheBlockWhenTheLevelMoves)
{
    AddBlock(kBlockTeleport, 0, 0, 0);
    InspectCell(0, 0, 0);
    EXPECT_EQ(Shown({'Trgt'}), "1");
    // Enough blocks to move the level's block array elsewhere.
    for (int32_t x = 1; x < 5; x++)
        for (int32_t z = 0; z < 5; z++)
            AddBlock(kBlockStone, x, 0, z);
    TypeInto('Trgt', "WXYZ");
    Block *teleport = LevelGetBlockAtPos(CurrentLevel(), 0, 0, 0, 0);
    EXPECT_EQ(static_cast<TeleportData *>(teleport->data)->target, 0x5758595Au);
    EXPECT_EQ(static_cast<TeleportData *>(teleport->data)->identifier, 0x30303030u);

    // A phasing block's sliders.
    AddBlock(kBlockPhasing, 0, 1, 0);
    ToolPaletteInspectBlock(palette, LevelGetBlockAtPos(CurrentLevel(), 0, 1, 0, 0));
    EXPECT_EQ(Shown({'IDel', 'OnIn', 'OfIn', 'OnCh', 'Trgt'}), "11110");
    EXPECT_FLOAT_EQ(WidgetGetValue(W('OnIn')), 1.0f);
    Rect4f b = WidgetGetBounds(W('IDel'));
    widgettest::Mouse(window, kEventMouseDown, b.right + Origin(), (b.bottom + b.top) / 2);
    const PhasingBlockData *data =
        static_cast<PhasingBlockData *>(LevelGetBlockAtPos(CurrentLevel(), 0, 1, 0, 0)->data);
    EXPECT_FLOAT_EQ(data->initialDelay, 10.0f);
    EXPECT_FLOAT_EQ(data->nextToggle, 10.0f);
}

TEST_F(Palette, HoveringAnIconForHalfASecondShowsItsName)
{
    Widget *hint = W('Hint');
    Move(ToolCentre(2).x, ToolCentre(2).y);
    Ticks(59);
    EXPECT_FALSE(WidgetIsVisible(hint));
    Ticks(1);
    EXPECT_TRUE(WidgetIsVisible(hint));
    EXPECT_STREQ(WidgetGetText(hint), "Water");
    // Beside the panel, at the icon's height.
    EXPECT_LE(WidgetGetBounds(hint).right, 0.4f);
    EXPECT_GT(WidgetGetBounds(hint).top, 0.8f);

    Move(GridCentre(14).x, GridCentre(14).y);
    EXPECT_FALSE(WidgetIsVisible(hint));
    Ticks(60);
    EXPECT_STREQ(WidgetGetText(hint), "Extra life");
    EXPECT_TRUE(WidgetIsVisible(hint));
    // A click puts it away; it stays away while the mouse rests there.
    Click(GridCentre(14).x, GridCentre(14).y);
    Ticks(120);
    EXPECT_FALSE(WidgetIsVisible(hint));
    Move(GridCentre(10).x, GridCentre(10).y);
    Ticks(60);
    EXPECT_STREQ(WidgetGetText(hint), "Phasing block");
    Move(0.0f, 0.0f);
    EXPECT_FALSE(WidgetIsVisible(hint));
    Ticks(60);
    EXPECT_FALSE(WidgetIsVisible(hint));
}

// ---- Drawing ------------------------------------------------------------------------------

std::vector<int> PixelAt(OpenGLWindow *window, float x, float y)
{
    Rect4f b = OpenGLWindowGetBounds(window);
    float r = OpenGLWindowGetRatio(window);
    return gltest::ReadRGB(int((x / r + 1) * 0.5f * (b.right - b.left)), int((y + 1) * 0.5f * (b.bottom - b.top)));
}

bool PanelGreen(std::vector<int> p)
{
    return p[0] < 10 && p[1] > 40 && p[1] < 65 && p[2] < 10;
}

TEST_F(Palette, ThePanelIsDrawnAtTheRightEdgeAndSlidesAwayFromItsTab)
{
    auto draw = [&] {
        OpenGLWindowSetUpViewport(window);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        ToolPaletteDraw(palette);
    };
    float r = OpenGLWindowGetRatio(window);
    draw();
    EXPECT_TRUE(PanelGreen(PixelAt(window, r - 0.3f, -0.6f)));
    EXPECT_TRUE(PanelGreen(PixelAt(window, r - 0.01f, -0.6f)));
    EXPECT_EQ(PixelAt(window, r - 0.7f, -0.6f), (std::vector<int>{0, 0, 0}));
    // The selected stone cell is blue, the next one black.
    EXPECT_GT(PixelAt(window, GridCentre(0).x, GridCentre(0).y)[2], 200);
    EXPECT_EQ(PixelAt(window, GridCentre(1).x, GridCentre(1).y), (std::vector<int>{0, 0, 0}));

    Click(Origin() + 0.425f, -0.6f);
    Ticks(55);
    draw();
    EXPECT_EQ(PixelAt(window, r - 0.3f, -0.6f), (std::vector<int>{0, 0, 0}));
    // Only the tab strip is left at the edge.
    EXPECT_TRUE(PanelGreen(PixelAt(window, r - 0.025f, -0.6f)));
}

} // namespace
