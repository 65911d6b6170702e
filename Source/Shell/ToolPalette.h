// The level editor's tool palette: a panel over the right edge of the view
// that slides away and back when its tab is clicked.  It offers the four
// tools, the grid of fifteen block and powerup types, the water sliders and
// the block inspector, and an "Exit editor" button.
#pragma once

#include "Events.h"

#include <cstdint>

struct LevelEditor;
struct WidgetController;
struct Block;

enum : int32_t {
    ToolBlock = 0,
    ToolPlayerStart = 5,
    ToolWater = 6,
    ToolInspector = 7,
};

struct ToolPalette {
    LevelEditor *editor;
    WidgetController *widgets; // null before ToolPaletteStart
    uint8_t hidden;
    double slide;              // 0 shown to 0.55 hidden
    int32_t selectedType;      // block or powerup code for the block tool
    Block *inspectedBlock;     // may be null
    int32_t tool;
    PlatformEventHandlerRef mouseHandler; // mouse down, moved, dragged and key down
    // What the inspector shows, remembered apart from the block pointer: the
    // level's block array moves when blocks are added or removed, so the
    // pointer is only trusted while a block of this type still sits there.
    int32_t inspectedType; // -1 when nothing was inspected
    int32_t inspectedCell[3];
    // The hover label: the tool (0 to 3) or grid entry (4 to 18) under the
    // mouse, -1 for none; how long it has been there; whether its name shows,
    // and whether a click has dismissed it until the mouse moves elsewhere.
    int32_t hoverItem;
    double hoverTime;
    uint8_t hintShown;
    uint8_t hintDismissed;
};

// Number of tools and of block and powerup types the palette offers.
constexpr int32_t kToolPaletteToolCount = 4;
constexpr int32_t kToolPaletteTypeCount = 15;
// The slide of a hidden palette, and how long the mouse must rest on an icon
// before its name shows.
constexpr double kToolPaletteHiddenSlide = 0.55;
constexpr double kToolPaletteHintDelay = 0.5;

ToolPalette *ToolPaletteAllocate(LevelEditor *editor);
void ToolPaletteDispose(ToolPalette *palette);
void ToolPaletteStart(ToolPalette *palette);
void ToolPaletteStop(ToolPalette *palette);
void ToolPaletteFreeze(ToolPalette *palette);
void ToolPaletteDefrost(ToolPalette *palette);
void ToolPaletteShow(ToolPalette *palette);
void ToolPaletteHide(ToolPalette *palette);
void ToolPaletteRun(ToolPalette *palette, float elapsed);
void ToolPaletteDraw(ToolPalette *palette);
int32_t ToolPaletteGetTool(const ToolPalette *palette);
int32_t ToolPaletteGetSelectedType(const ToolPalette *palette);
void ToolPaletteSetWaterSpeed(ToolPalette *palette, float speed);
void ToolPaletteSetCurrentWaterLevel(ToolPalette *palette, float level);
void ToolPaletteSetMaxWaterLevel(ToolPalette *palette, float maximum);
void ToolPaletteInspectBlock(ToolPalette *palette, Block *block);
// x, y in view coordinates (-ratio..ratio, -1 bottom..1 top).
void ToolPaletteMouseDown(ToolPalette *palette, float x, float y);
// Follows the mouse for the hover label.
void ToolPaletteMouseMoved(ToolPalette *palette, float x, float y);
// The number keys 1 to 9 and 0 choose the first ten types of the grid while
// the block tool is active; true when the key was used.
bool ToolPaletteKeyDown(ToolPalette *palette, uint8_t character, uint32_t modifiers);

// The choice worked with a game controller.  Items are numbered as the
// palette shows them: the four tools (0 to 3), then the fifteen types.
constexpr int32_t kToolPaletteItemCount = kToolPaletteToolCount + kToolPaletteTypeCount;
// The item of the tool in force (the selected type's for the block tool).
int32_t ToolPaletteCurrentItem(const ToolPalette *palette);
// Shows the palette with item marked and its name shown; -1 takes the mark
// away.
void ToolPaletteHighlightItem(ToolPalette *palette, int32_t item);
// Chooses item as a click on it would (a type also chooses the block tool).
void ToolPaletteChooseItem(ToolPalette *palette, int32_t item);
