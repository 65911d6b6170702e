// The editor calls the tool palette makes: the water of the current level
// and the inspection that follows a change of tool.  The rest of the editor
// mode lives beside these.
#include "LevelEditor.h"

#include "Level.h"
#include "LevelSet.h"
#include "ToolPalette.h"
#include "WaterController.h"

namespace {

Level *EditedLevel(LevelEditor *editor)
{
    return (editor && editor->levelSet) ? LevelSetGetCurrentLevelCopy(editor->levelSet) : nullptr;
}

WaterController *EditedWater(LevelEditor *editor)
{
    Level *level = EditedLevel(editor);
    return level ? level->waterController : nullptr;
}

} // namespace

float LevelEditorGetMaxWaterLevel(LevelEditor *editor)
{
    Level *level = EditedLevel(editor);
    return level ? float(level->sizeY) * CellSize : 0.0f;
}

float LevelEditorGetCurrentWaterLevel(LevelEditor *editor)
{
    WaterController *water = EditedWater(editor);
    return water ? float(WaterControllerGetInitialWaterLevel(water)) : 0.0f;
}

float LevelEditorGetCurrentWaterSpeed(LevelEditor *editor)
{
    WaterController *water = EditedWater(editor);
    return water ? float(WaterControllerGetRiseSpeed(water)) : 0.0f;
}

void LevelEditorSetWaterLevel(LevelEditor *editor, float level)
{
    WaterController *water = EditedWater(editor);
    if (!water)
        return;
    WaterControllerSetInitialWaterLevel(water, level);
    WaterControllerSetCurrentWaterLevel(water, level);
    LevelSetMakeDirty(editor->levelSet);
}

void LevelEditorSetWaterSpeed(LevelEditor *editor, float speed)
{
    WaterController *water = EditedWater(editor);
    if (!water)
        return;
    WaterControllerSetRiseSpeed(water, speed);
    LevelSetMakeDirty(editor->levelSet);
}

void LevelEditorNewToolSelected(LevelEditor *editor, int, int newTool)
{
    if (newTool != ToolInspector || !editor->palette)
        return;
    Level *level = EditedLevel(editor);
    Block *block = level ? LevelGetBlockAtPos(level, editor->cursor[0], editor->cursor[1], editor->cursor[2], 0)
                         : nullptr;
    ToolPaletteInspectBlock(editor->palette, block);
}
