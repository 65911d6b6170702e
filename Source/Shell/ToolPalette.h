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
    PlatformEventHandlerRef mouseHandler;
};

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
