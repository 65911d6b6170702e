// TEMPORARY stand-in for the tool palette so that the level editor links:
// block tool, stone selected, nothing drawn.  Replaced by the palette's own
// implementation.
#include "ToolPalette.h"

ToolPalette *ToolPaletteAllocate(LevelEditor *editor)
{
    ToolPalette *palette = new ToolPalette{};
    palette->editor = editor;
    palette->selectedType = 1;
    palette->tool = ToolBlock;
    return palette;
}

void ToolPaletteDispose(ToolPalette *palette)
{
    delete palette;
}

void ToolPaletteStart(ToolPalette *) {}
void ToolPaletteStop(ToolPalette *) {}
void ToolPaletteFreeze(ToolPalette *) {}
void ToolPaletteDefrost(ToolPalette *) {}
void ToolPaletteShow(ToolPalette *palette) { palette->hidden = 0; }
void ToolPaletteHide(ToolPalette *palette) { palette->hidden = 1; }
void ToolPaletteRun(ToolPalette *, float) {}
void ToolPaletteDraw(ToolPalette *) {}
int32_t ToolPaletteGetTool(const ToolPalette *palette) { return palette->tool; }
int32_t ToolPaletteGetSelectedType(const ToolPalette *palette) { return palette->selectedType; }
void ToolPaletteSetWaterSpeed(ToolPalette *, float) {}
void ToolPaletteSetCurrentWaterLevel(ToolPalette *, float) {}
void ToolPaletteSetMaxWaterLevel(ToolPalette *, float) {}
void ToolPaletteInspectBlock(ToolPalette *palette, Block *block) { palette->inspectedBlock = block; }
void ToolPaletteMouseDown(ToolPalette *, float, float) {}
