#include "ToolPalette.h"

#include "Block.h"
#include "Controller.h"
#include "Level.h"
#include "LevelEditor.h"
#include "LevelSet.h"
#include "ModeSupport.h"
#include "OpenGLWindow.h"
#include "Shader.h"
#include "Widget.h"
#include "WidgetController.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace {

struct PaletteEntry {
    int32_t code;
    FourCharCode icon;
    const char *name;
};

// The tool row and the type grid, in panel order.
const PaletteEntry kTools[kToolPaletteToolCount] = {
    {ToolBlock, 'BlkT', "Block tool"},
    {ToolPlayerStart, 'PlrT', "Player start"},
    {ToolWater, 'WtrT', "Water"},
    {ToolInspector, 'BInT', "Block inspector"},
};

const PaletteEntry kTypes[kToolPaletteTypeCount] = {
    {kBlockStone, 'StnT', "Stone block"},
    {kBlockLevelPortal, 'PrtT', "Level portal"},
    {kBlockDeadly, 'DdlT', "Deadly block"},
    {kBlockLocked, 'LckT', "Locked block"},
    {kBlockSwitchable, 'SwtT', "Switchable block"},
    {kBlockSwitch, 'SwbT', "Switch"},
    {kBlockLadder, 'LdrT', "Ladder"},
    {kBlockDisappearing, 'DspT', "Disappearing block"},
    {kBlockAppearing, 'AprT', "Appearing block"},
    {kBlockTeleport, 'TprT', "Teleport"},
    {kBlockPhasing, 'PhsT', "Phasing block"},
    {1024, 'GemT', "Gem"},
    {1026, 'FtrT', "Feather"},
    {1027, 'KeyT', "Key"},
    {1025, 'XLfT', "Extra life"},
};

// Cells of the row and the grid: three to a row, 0.175 apart.
constexpr float kCellPitch = 0.175f;
constexpr int32_t kColumns = 3;
constexpr double kSlideStep = 0.01;
constexpr float kWaterSpeedShift = 20.0f;
constexpr float kWaterSpeedRange = 40.0f;
constexpr float kPhasingMaximum = 10.0f;

// Hover items: tools first, then the grid.
constexpr int32_t kHoverNone = -1;
constexpr int32_t kHoverFirstType = kToolPaletteToolCount;

const FourCharCode kWaterWidgets[] = {'WLvl', 'WSpd', 'WLvD', 'WSpD'};
const FourCharCode kInspectorWidgets[] = {'BInD', 'Idnt', 'Trgt', 'IDel', 'OnIn', 'OfIn', 'OnCh'};
constexpr FourCharCode kHintLabel = 'Hint';

const int32_t kHandledKinds[] = {kEventMouseDown, kEventMouseMoved, kEventMouseDragged, kEventRawKeyDown};

// ---- Widgets ----------------------------------------------------------------------------

Widget *Find(ToolPalette *palette, FourCharCode identifier)
{
    return palette->widgets ? WidgetControllerGetWidgetByIdentifier(palette->widgets, identifier) : nullptr;
}

void SetVisible(ToolPalette *palette, FourCharCode identifier, bool visible)
{
    if (Widget *widget = Find(palette, identifier))
        WidgetSetVisible(widget, visible);
}

bool IsVisible(ToolPalette *palette, FourCharCode identifier)
{
    Widget *widget = Find(palette, identifier);
    return widget && WidgetIsVisible(widget);
}

void SetText(ToolPalette *palette, FourCharCode identifier, const char *text)
{
    Widget *widget = Find(palette, identifier);
    if (!widget || std::strcmp(WidgetGetText(widget), text) == 0)
        return;
    WidgetSetText(widget, text);
    WidgetUpdate(widget, true);
}

// A slider's value kept inside 0 ... its maximum (non-finite values give 0).
void SetSliderValue(ToolPalette *palette, FourCharCode identifier, float value)
{
    Widget *widget = Find(palette, identifier);
    if (!widget)
        return;
    if (!std::isfinite(value) || value < 0.0f)
        value = 0.0f;
    WidgetSetValue(widget, std::min(value, WidgetGetMaximum(widget)));
}

void SetLabel(ToolPalette *palette, FourCharCode identifier, const char *format, float value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, double(value));
    SetText(palette, identifier, text);
}

// ---- Identifiers ------------------------------------------------------------------------

// The four characters of an identifier, most significant byte first.  Bytes
// that cannot be shown as text show as '?'.
void FormatIdentifier(uint32_t identifier, char text[5])
{
    for (int i = 0; i < 4; i++) {
        uint8_t byte = uint8_t(identifier >> (24 - 8 * i));
        text[i] = (byte >= 32 && byte < 127) ? char(byte) : '?';
    }
    text[4] = 0;
}

uint32_t ParseIdentifier(const char *text)
{
    uint32_t identifier = 0;
    for (int i = 0; i < 4; i++)
        identifier = (identifier << 8) | uint8_t(text[i]);
    return identifier;
}

// ---- The inspected block ----------------------------------------------------------------

Level *CurrentLevel(ToolPalette *palette)
{
    LevelEditor *editor = palette->editor;
    return (editor && editor->levelSet) ? LevelSetGetCurrentLevelCopy(editor->levelSet) : nullptr;
}

void MakeDirty(ToolPalette *palette)
{
    if (palette->editor && palette->editor->levelSet) {
        LevelSetMakeDirty(palette->editor->levelSet);
        LevelEditorRecordEditRun(palette->editor, "Block Settings");
    }
}

bool IsInspected(ToolPalette *palette, const Block *block)
{
    return block->type == palette->inspectedType && block->cellX == palette->inspectedCell[0] &&
           block->cellY == palette->inspectedCell[1] && block->cellZ == palette->inspectedCell[2];
}

// The block the inspector shows, as it is in the current level now: the
// remembered pointer while it still points at that block, else the block of
// the same type found again in its cell (the array may have moved), else
// none.  Edits go only to a block found this way.
Block *InspectedBlock(ToolPalette *palette)
{
    if (!palette->inspectedBlock || palette->inspectedType < 0)
        return nullptr;
    Level *level = CurrentLevel(palette);
    if (!level || !level->blocks)
        return nullptr;
    uintptr_t first = reinterpret_cast<uintptr_t>(level->blocks);
    uintptr_t end = first + uintptr_t(level->blockCount) * sizeof(Block);
    uintptr_t p = reinterpret_cast<uintptr_t>(palette->inspectedBlock);
    if (p >= first && p < end && (p - first) % sizeof(Block) == 0) {
        Block *block = &level->blocks[(p - first) / sizeof(Block)];
        if (IsInspected(palette, block))
            return block;
    }
    const int32_t *cell = palette->inspectedCell;
    for (int32_t slot = 0;; slot++) {
        Block *block = LevelGetBlockAtPos(level, cell[0], cell[1], cell[2], slot);
        if (!block)
            break;
        if (IsInspected(palette, block)) {
            palette->inspectedBlock = block;
            return block;
        }
    }
    return nullptr;
}

FourCharCode const *FieldsOfType(int32_t type, int32_t *count)
{
    static const FourCharCode switchable[] = {'Idnt', 'OnCh'};
    static const FourCharCode teleport[] = {'Idnt', 'Trgt'};
    static const FourCharCode button[] = {'Idnt'};
    static const FourCharCode phasing[] = {'IDel', 'OnIn', 'OfIn', 'OnCh'};
    switch (type) {
    case kBlockSwitchable: *count = 2; return switchable;
    case kBlockTeleport: *count = 2; return teleport;
    case kBlockSwitch: *count = 1; return button;
    case kBlockPhasing: *count = 4; return phasing;
    default: *count = 0; return nullptr;
    }
}

// ---- Callbacks --------------------------------------------------------------------------

ToolPalette *PaletteOf(void *context)
{
    return static_cast<ToolPalette *>(context);
}

int32_t ExitEditor(void *, void *)
{
    PlatformPostCommandEvent('LEdt');
    return 0;
}

int32_t WaterLevelChanged(void *context, void *sender)
{
    ToolPalette *palette = PaletteOf(context);
    float level = WidgetGetValue(static_cast<Widget *>(sender));
    if (palette->editor)
        LevelEditorSetWaterLevel(palette->editor, level);
    SetLabel(palette, 'WLvD', "Water level: %f", level);
    return 0;
}

int32_t WaterSpeedChanged(void *context, void *sender)
{
    ToolPalette *palette = PaletteOf(context);
    float speed = WidgetGetValue(static_cast<Widget *>(sender)) - kWaterSpeedShift;
    if (palette->editor)
        LevelEditorSetWaterSpeed(palette->editor, speed);
    SetLabel(palette, 'WSpD', "Water speed: %f", speed);
    return 0;
}

int32_t InitiallyOnChanged(void *context, void *sender)
{
    ToolPalette *palette = PaletteOf(context);
    Block *block = InspectedBlock(palette);
    if (!block || !block->data)
        return 0;
    uint8_t on = WidgetIsChecked(static_cast<Widget *>(sender)) ? 1 : 0;
    uint8_t *target = nullptr;
    if (block->type == kBlockSwitchable)
        target = &static_cast<SwitchableBlockData *>(block->data)->on;
    else if (block->type == kBlockPhasing)
        target = &static_cast<PhasingBlockData *>(block->data)->on;
    if (target && *target != on) {
        *target = on;
        MakeDirty(palette);
    }
    return 0;
}

PhasingBlockData *InspectedPhasing(ToolPalette *palette)
{
    Block *block = InspectedBlock(palette);
    return (block && block->type == kBlockPhasing) ? static_cast<PhasingBlockData *>(block->data) : nullptr;
}

int32_t InitialDelayChanged(void *context, void *sender)
{
    ToolPalette *palette = PaletteOf(context);
    if (PhasingBlockData *data = InspectedPhasing(palette)) {
        float value = WidgetGetValue(static_cast<Widget *>(sender));
        data->initialDelay = value;
        data->nextToggle = value;
        MakeDirty(palette);
    }
    return 0;
}

int32_t OnIntervalChanged(void *context, void *sender)
{
    ToolPalette *palette = PaletteOf(context);
    if (PhasingBlockData *data = InspectedPhasing(palette)) {
        data->onInterval = WidgetGetValue(static_cast<Widget *>(sender));
        MakeDirty(palette);
    }
    return 0;
}

int32_t OffIntervalChanged(void *context, void *sender)
{
    ToolPalette *palette = PaletteOf(context);
    if (PhasingBlockData *data = InspectedPhasing(palette)) {
        data->offInterval = WidgetGetValue(static_cast<Widget *>(sender));
        MakeDirty(palette);
    }
    return 0;
}

// Checks a finished identifier field: anything but four characters beeps
// and shows the block again, which restores the field.  Hiding a focused
// field ends its editing and calls back here, so the re-inspection runs
// under the caller's lock.  Returns the block to store into, or none.
Block *AcceptIdentifierText(ToolPalette *palette, const char *text, bool *lock)
{
    if (std::strlen(text) != 4) {
        PlatformBeep();
        *lock = true;
        ToolPaletteInspectBlock(palette, InspectedBlock(palette));
        *lock = false;
        return nullptr;
    }
    return InspectedBlock(palette);
}

// Stores four characters unless the field still shows the value unchanged
// (an identifier with bytes that cannot be shown must survive a look).
void StoreIdentifier(ToolPalette *palette, uint32_t *slot, const char *text)
{
    char shown[5];
    FormatIdentifier(*slot, shown);
    if (std::strcmp(shown, text) == 0)
        return;
    *slot = ParseIdentifier(text);
    MakeDirty(palette);
}

int32_t IdentifierFieldCallback(void *context, void *sender)
{
    static bool lock = false;
    if (lock)
        return 1;
    ToolPalette *palette = PaletteOf(context);
    const char *text = WidgetGetText(static_cast<Widget *>(sender));
    Block *block = AcceptIdentifierText(palette, text, &lock);
    if (!block || !block->data)
        return 1;
    if (block->type == kBlockSwitchable)
        StoreIdentifier(palette, &static_cast<SwitchableBlockData *>(block->data)->identifier, text);
    else if (block->type == kBlockTeleport)
        StoreIdentifier(palette, &static_cast<TeleportData *>(block->data)->identifier, text);
    else if (block->type == kBlockSwitch)
        StoreIdentifier(palette, &static_cast<SwitchData *>(block->data)->identifier, text);
    return 1;
}

int32_t TargetFieldCallback(void *context, void *sender)
{
    static bool lock = false;
    if (lock)
        return 1;
    ToolPalette *palette = PaletteOf(context);
    const char *text = WidgetGetText(static_cast<Widget *>(sender));
    Block *block = AcceptIdentifierText(palette, text, &lock);
    if (block && block->data && block->type == kBlockTeleport)
        StoreIdentifier(palette, &static_cast<TeleportData *>(block->data)->target, text);
    return 1;
}

Widget *AddWidget(ToolPalette *palette, FourCharCode identifier, int32_t kind, float x, float y, int32_t type = -1,
                  CallbackFunction callback = nullptr, bool visible = false)
{
    Widget *widget = WidgetAllocate(palette->widgets, identifier, kind, x, y);
    if (callback)
        CallbackControllerInstallCallback(WidgetGetCallbackController(widget), type, callback, palette);
    WidgetControllerAddWidget(palette->widgets, widget);
    WidgetSetVisible(widget, visible);
    return widget;
}

Widget *AddLabel(ToolPalette *palette, FourCharCode identifier, float x, float y, const char *text, int32_t size)
{
    Widget *label = WidgetAllocate(palette->widgets, identifier, kWidgetStaticText, x, y);
    WidgetSetFontSize(label, size);
    WidgetSetTextColor(label, 1, 1, 1, 1);
    WidgetSetText(label, text);
    WidgetControllerAddWidget(palette->widgets, label);
    WidgetSetVisible(label, false);
    return label;
}

void CreateWidgets(ToolPalette *palette)
{
    Widget *exitButton = AddWidget(palette, 'Exit', kWidgetPushButton, 0.7f, -0.92f, kWidgetCallbackClicked,
                                   ExitEditor, true);
    WidgetSetText(exitButton, "Exit editor");
    WidgetUpdate(exitButton, true);

    Widget *level = AddWidget(palette, 'WLvl', kWidgetSlider, 0.65f, -0.45f, kWidgetCallbackValueChanged,
                              WaterLevelChanged);
    WidgetSliderSetVertical(level, true);
    float maximum = palette->editor ? LevelEditorGetMaxWaterLevel(palette->editor) : 0.0f;
    WidgetSetMaximum(level, std::isfinite(maximum) ? std::max(maximum, 0.0f) : 0.0f);
    SetSliderValue(palette, 'WLvl', palette->editor ? LevelEditorGetCurrentWaterLevel(palette->editor) : 0.0f);

    Widget *speed = AddWidget(palette, 'WSpd', kWidgetSlider, 0.85f, -0.45f, kWidgetCallbackValueChanged,
                              WaterSpeedChanged);
    WidgetSliderSetVertical(speed, true);
    WidgetSetMaximum(speed, kWaterSpeedRange);
    SetSliderValue(palette, 'WSpd',
                   (palette->editor ? LevelEditorGetCurrentWaterSpeed(palette->editor) : 0.0f) + kWaterSpeedShift);

    for (Widget *label : {AddLabel(palette, 'WLvD', 0.5f, -0.8f, "Water level: 10.0", 12),
                          AddLabel(palette, 'WSpD', 0.5f, -0.86f, "Water speed: -16.0", 12)}) {
        WidgetSetOrigin(label, 0, 0);
    }

    Widget *description = AddLabel(palette, 'BInD', 0.7f, 0.5f, "", 14);
    WidgetSetAlignment(description, kTextAlignCenter);
    WidgetUpdate(description, true);

    AddWidget(palette, 'Idnt', kWidgetTextInput, 0.7f, 0.4f, kWidgetCallbackBlur, IdentifierFieldCallback);
    AddWidget(palette, 'Trgt', kWidgetTextInput, 0.7f, 0.3f, kWidgetCallbackBlur, TargetFieldCallback);
    const struct {
        FourCharCode identifier;
        float y;
        CallbackFunction callback;
    } sliders[] = {{'IDel', 0.4f, InitialDelayChanged}, {'OnIn', 0.3f, OnIntervalChanged},
                   {'OfIn', 0.2f, OffIntervalChanged}};
    for (const auto &slider : sliders) {
        Widget *widget = AddWidget(palette, slider.identifier, kWidgetSlider, 0.725f, slider.y,
                                   kWidgetCallbackValueChanged, slider.callback);
        WidgetSetMaximum(widget, kPhasingMaximum);
    }
    Widget *on = AddWidget(palette, 'OnCh', kWidgetCheckBox, 0.5f, 0.1f, kWidgetCallbackValueChanged,
                           InitiallyOnChanged);
    WidgetSetText(on, "Initially on");
    WidgetUpdate(on, true);

    // The hover label sits left of the panel, right-aligned to it.
    Widget *hint = AddLabel(palette, kHintLabel, 0.38f, 0.0f, "", 12);
    WidgetSetOrigin(hint, 1.0f, 0.5f);
}

// ---- Geometry ---------------------------------------------------------------------------

OpenGLWindow *PaletteWindow(const ToolPalette *palette)
{
    if (palette->widgets)
        return palette->widgets->window;
    return ControllerGetMainWindow(ControllerGetMainController());
}

float Ratio(const ToolPalette *palette)
{
    OpenGLWindow *window = PaletteWindow(palette);
    return window ? OpenGLWindowGetRatio(window) : 1.0f;
}

double Ease(double s)
{
    constexpr double half = kToolPaletteHiddenSlide / 2;
    if (s < half)
        return half * (s / half) * (s / half);
    double rest = (kToolPaletteHiddenSlide - s) / half;
    return kToolPaletteHiddenSlide - half * rest * rest;
}

// The panel's x origin: eased for drawing, plain for hit testing.
float Origin(const ToolPalette *palette, bool eased)
{
    return Ratio(palette) - 1.0f + float(eased ? Ease(palette->slide) : palette->slide);
}

bool InCell(float x, float y, float o, int32_t index, float top)
{
    int32_t c = index % kColumns, k = index / kColumns;
    float left = o + 0.463f + kCellPitch * float(c), right = o + 0.628f + kCellPitch * float(c);
    float bottom = top - 0.165f - kCellPitch * float(k), upper = top - kCellPitch * float(k);
    return x >= left && x <= right && y >= bottom && y <= upper;
}

// The grid entry at a view point (hit-testing extents), or -1.
int32_t TypeIndexAt(const ToolPalette *palette, float x, float y)
{
    if (palette->hidden || palette->tool != ToolBlock)
        return -1;
    float o = Origin(palette, false);
    for (int32_t i = 0; i < kToolPaletteTypeCount; i++)
        if (InCell(x, y, o, i, 0.505f))
            return i;
    return -1;
}

int32_t ToolIndexAt(const ToolPalette *palette, float x, float y)
{
    if (palette->hidden)
        return -1;
    float o = Origin(palette, false);
    for (int32_t i = 0; i < kToolPaletteToolCount; i++)
        if (InCell(x, y, o, i, 0.93f))
            return i;
    return -1;
}

// ---- Tools and the hover label ----------------------------------------------------------

void SelectTool(ToolPalette *palette, int32_t tool)
{
    int32_t old = palette->tool;
    if (tool == old)
        return;
    if (old == ToolWater)
        for (FourCharCode identifier : kWaterWidgets)
            SetVisible(palette, identifier, false);
    if (old == ToolInspector)
        for (FourCharCode identifier : kInspectorWidgets)
            SetVisible(palette, identifier, false);
    if (tool == ToolWater)
        for (FourCharCode identifier : kWaterWidgets)
            SetVisible(palette, identifier, true);
    if (tool == ToolInspector)
        SetVisible(palette, 'BInD', true);
    if (palette->editor)
        LevelEditorNewToolSelected(palette->editor, old, tool);
    palette->tool = tool;
}

void HideHint(ToolPalette *palette)
{
    palette->hintShown = 0;
    SetVisible(palette, kHintLabel, false);
}

void ShowHint(ToolPalette *palette)
{
    int32_t item = palette->hoverItem;
    Widget *hint = Find(palette, kHintLabel);
    if (item < 0 || !hint)
        return;
    bool isTool = item < kHoverFirstType;
    int32_t index = isTool ? item : item - kHoverFirstType;
    int32_t row = index / kColumns;
    float y = (isTool ? 0.8545f : 0.4295f) - kCellPitch * float(row);
    SetText(palette, kHintLabel, isTool ? kTools[index].name : kTypes[index].name);
    WidgetSetLocation(hint, 0.38f, y);
    WidgetSetVisible(hint, true);
    palette->hintShown = 1;
}

void SetWidgetOffset(ToolPalette *palette)
{
    if (palette->widgets)
        WidgetControllerSetOffset(palette->widgets, Origin(palette, true), 0.0f);
}

// ---- Events -----------------------------------------------------------------------------

// A mouse location in global pixels as a point of the view.
bool ViewPoint(ToolPalette *palette, Point2f location, Point2f *out)
{
    OpenGLWindow *window = PaletteWindow(palette);
    if (!window)
        return false;
    Rect4f b = OpenGLWindowGetBounds(window);
    float halfWidth = (b.right - b.left) / 2.0f, halfHeight = (b.bottom - b.top) / 2.0f;
    if (!(halfWidth > 0.0f) || !(halfHeight > 0.0f))
        return false;
    float r = OpenGLWindowGetRatio(window);
    out->x = ((location.x - b.left) / halfWidth - 1.0f) * r;
    out->y = -((location.y - b.top) / halfHeight - 1.0f);
    return true;
}

bool PaletteEventHandler(const PlatformEvent *event, void *context)
{
    ToolPalette *palette = PaletteOf(context);
    Point2f p;
    switch (event->kind) {
    case kEventMouseDown:
        if (ViewPoint(palette, event->mouse, &p))
            ToolPaletteMouseDown(palette, p.x, p.y);
        return false;
    case kEventMouseMoved:
    case kEventMouseDragged:
        if (ViewPoint(palette, event->mouse, &p))
            ToolPaletteMouseMoved(palette, p.x, p.y);
        return false;
    case kEventRawKeyDown: return ToolPaletteKeyDown(palette, event->charCode, event->modifiers);
    default: return false;
    }
}

void InstallHandler(ToolPalette *palette)
{
    if (palette->mouseHandler)
        return;
    palette->mouseHandler = PlatformInstallEventHandler(kTargetApplication, kHandledKinds,
                                                        int32_t(std::size(kHandledKinds)), PaletteEventHandler,
                                                        palette);
}

void RemoveHandler(ToolPalette *palette)
{
    PlatformRemoveEventHandler(palette->mouseHandler);
    palette->mouseHandler = 0;
}

// ---- Drawing ----------------------------------------------------------------------------

void Line(float x0, float y0, float x1, float y1)
{
    glBegin(GL_LINES);
    glVertex2f(x0, y0);
    glVertex2f(x1, y1);
    glEnd();
}

// One cell of the row or the grid: its backing, blue when selected, and its
// icon.  cellTop and iconTop are the top edges of the first row.
void DrawCell(int32_t index, FourCharCode icon, bool selected, float cellTop, float iconTop)
{
    float dx = kCellPitch * float(index % kColumns), dy = kCellPitch * float(index / kColumns);
    if (selected)
        glColor4f(0, 0, 1, 1);
    else
        glColor4f(0, 0, 0, 1);
    ModeDrawQuad(0.463f + dx, cellTop - 0.165f - dy, 0.628f + dx, cellTop - dy);
    if (ShaderApplyByIdentifier(icon)) {
        float left = 0.47f + dx, right = 0.621f + dx, bottom = iconTop - 0.151f - dy, top = iconTop - dy;
        glColor4f(1, 1, 1, 1);
        ModeDrawTexturedQuad(left, bottom, right, top, 0, 0, 1, 1);
    }
    ShaderDisable();
}

} // namespace

// ---- Life cycle -------------------------------------------------------------------------

ToolPalette *ToolPaletteAllocate(LevelEditor *editor)
{
    ToolPalette *palette = new ToolPalette{};
    palette->editor = editor;
    palette->selectedType = kBlockStone;
    palette->tool = ToolBlock;
    palette->inspectedType = -1;
    palette->hoverItem = kHoverNone;
    return palette;
}

void ToolPaletteDispose(ToolPalette *palette)
{
    if (!palette)
        return;
    RemoveHandler(palette);
    if (palette->widgets)
        WidgetControllerDispose(palette->widgets);
    delete palette;
}

void ToolPaletteStart(ToolPalette *palette)
{
    palette->hidden = 0;
    palette->slide = 0.0;
    palette->selectedType = kBlockStone;
    palette->tool = ToolBlock;
    palette->inspectedBlock = nullptr;
    palette->inspectedType = -1;
    palette->hoverItem = kHoverNone;
    palette->hoverTime = 0.0;
    palette->hintShown = 0;
    palette->hintDismissed = 0;
    InstallHandler(palette);
    // A second start begins with fresh widgets.
    if (palette->widgets)
        WidgetControllerDispose(palette->widgets);
    palette->widgets = WidgetControllerAllocate(ControllerGetMainWindow(ControllerGetMainController()));
    CreateWidgets(palette);
    SetWidgetOffset(palette);
}

void ToolPaletteStop(ToolPalette *palette)
{
    RemoveHandler(palette);
}

void ToolPaletteFreeze(ToolPalette *palette)
{
    RemoveHandler(palette);
    if (palette->widgets)
        WidgetControllerFreeze(palette->widgets);
}

void ToolPaletteDefrost(ToolPalette *palette)
{
    if (palette->widgets)
        WidgetControllerDefrost(palette->widgets);
    InstallHandler(palette);
}

void ToolPaletteShow(ToolPalette *palette)
{
    palette->hidden = 0;
}

void ToolPaletteHide(ToolPalette *palette)
{
    palette->hidden = 1;
}

void ToolPaletteRun(ToolPalette *palette, float elapsed)
{
    // Whole hundredths, so that each way takes exactly 55 steps.
    double hundredths = std::round(palette->slide / kSlideStep) + (palette->hidden ? 1.0 : -1.0);
    palette->slide = std::clamp(hundredths * kSlideStep, 0.0, kToolPaletteHiddenSlide);
    if (palette->widgets)
        WidgetControllerRun(palette->widgets, elapsed);
    SetWidgetOffset(palette);

    if (palette->hidden) {
        if (palette->hintShown)
            HideHint(palette);
    } else if (palette->hoverItem >= 0 && !palette->hintDismissed && !palette->hintShown) {
        palette->hoverTime += double(elapsed);
        if (palette->hoverTime >= kToolPaletteHintDelay - 1e-6)
            ShowHint(palette);
    }
}

// ---- Drawing ----------------------------------------------------------------------------

void ToolPaletteDraw(ToolPalette *palette)
{
    OpenGLWindow *window = PaletteWindow(palette);
    if (!window)
        return;
    float ox = Origin(palette, true);

    ModeBeginOverlay(window);
    glTranslatef(ox, 0.0f, 0.0f);

    glColor4f(0.0f, 0.4f, 0.0f, 0.5f);
    ModeDrawQuad(0.4f, -1.0f, 1.0f, 1.0f);

    glColor4f(0.0f, 0.0f, 0.0f, 0.9f);
    Line(0.4f, -1.0f, 0.4f, 1.0f);
    Line(0.45f, -1.0f, 0.45f, 1.0f);
    for (float x : {0.4125f, 0.425f, 0.4375f})
        Line(x, -0.04f, x, 0.04f);
    Line(1.0f, 0.555f, 0.45f, 0.555f);

    if (palette->tool == ToolBlock)
        for (int32_t i = 0; i < kToolPaletteTypeCount; i++)
            DrawCell(i, kTypes[i].icon, kTypes[i].code == palette->selectedType, 0.512f, 0.505f);
    for (int32_t i = 0; i < kToolPaletteToolCount; i++)
        DrawCell(i, kTools[i].icon, kTools[i].code == palette->tool, 0.937f, 0.93f);

    // A dark backing for the hover label, which the widgets draw next.
    Widget *hint = Find(palette, kHintLabel);
    if (hint && WidgetIsVisible(hint)) {
        Rect4f b = WidgetGetBounds(hint);
        glColor4f(0.0f, 0.0f, 0.0f, 0.75f);
        ModeDrawQuad(b.left - 0.01f, b.bottom - 0.005f, b.right + 0.01f, b.top + 0.005f);
    }
    glColor4f(1, 1, 1, 1);
    ModeEndOverlay();

    // The widgets draw their own overlay, moved with the panel.
    if (palette->widgets) {
        WidgetControllerSetOffset(palette->widgets, ox, 0.0f);
        WidgetControllerDraw(palette->widgets);
    }
}

// ---- Queries and setters ----------------------------------------------------------------

int32_t ToolPaletteGetTool(const ToolPalette *palette)
{
    return palette->tool;
}

int32_t ToolPaletteGetSelectedType(const ToolPalette *palette)
{
    return palette->selectedType;
}

void ToolPaletteSetWaterSpeed(ToolPalette *palette, float speed)
{
    if (!Find(palette, 'WSpd'))
        return;
    SetSliderValue(palette, 'WSpd', speed + kWaterSpeedShift);
    if (std::isfinite(speed))
        SetLabel(palette, 'WSpD', "Water speed: %f", speed);
}

void ToolPaletteSetCurrentWaterLevel(ToolPalette *palette, float level)
{
    if (!Find(palette, 'WLvl'))
        return;
    SetSliderValue(palette, 'WLvl', level);
    if (std::isfinite(level))
        SetLabel(palette, 'WLvD', "Water level: %f", level);
}

void ToolPaletteSetMaxWaterLevel(ToolPalette *palette, float maximum)
{
    Widget *slider = Find(palette, 'WLvl');
    if (!slider || !std::isfinite(maximum))
        return;
    WidgetSetMaximum(slider, std::max(maximum, 0.0f));
}

void ToolPaletteInspectBlock(ToolPalette *palette, Block *block)
{
    if (palette->inspectedType >= 0) {
        int32_t count = 0;
        const FourCharCode *fields = FieldsOfType(palette->inspectedType, &count);
        for (int32_t i = 0; i < count; i++)
            SetVisible(palette, fields[i], false);
    }

    // The type's fields show only while the inspector itself shows.
    bool show = IsVisible(palette, 'BInD');
    char text[5];
    if (!block) {
        SetText(palette, 'BInD', "Empty space");
    } else {
        SetText(palette, 'BInD', BlockGetDescription(block));
        if (block->data) {
            switch (block->type) {
            case kBlockSwitchable: {
                const SwitchableBlockData *data = static_cast<SwitchableBlockData *>(block->data);
                FormatIdentifier(data->identifier, text);
                SetText(palette, 'Idnt', text);
                if (Widget *on = Find(palette, 'OnCh'))
                    WidgetSetChecked(on, data->on != 0, true);
                break;
            }
            case kBlockTeleport: {
                const TeleportData *data = static_cast<TeleportData *>(block->data);
                FormatIdentifier(data->identifier, text);
                SetText(palette, 'Idnt', text);
                FormatIdentifier(data->target, text);
                SetText(palette, 'Trgt', text);
                break;
            }
            case kBlockSwitch:
                FormatIdentifier(static_cast<SwitchData *>(block->data)->identifier, text);
                SetText(palette, 'Idnt', text);
                break;
            case kBlockPhasing: {
                const PhasingBlockData *data = static_cast<PhasingBlockData *>(block->data);
                SetSliderValue(palette, 'IDel', data->initialDelay);
                SetSliderValue(palette, 'OnIn', data->onInterval);
                SetSliderValue(palette, 'OfIn', data->offInterval);
                if (Widget *on = Find(palette, 'OnCh'))
                    WidgetSetChecked(on, data->on != 0, true);
                break;
            }
            default: break;
            }
            int32_t count = 0;
            const FourCharCode *fields = FieldsOfType(block->type, &count);
            for (int32_t i = 0; show && i < count; i++)
                SetVisible(palette, fields[i], true);
        }
    }

    palette->inspectedBlock = block;
    palette->inspectedType = block ? block->type : -1;
    if (block) {
        palette->inspectedCell[0] = block->cellX;
        palette->inspectedCell[1] = block->cellY;
        palette->inspectedCell[2] = block->cellZ;
    }
}

// ---- Mouse and keys ---------------------------------------------------------------------

void ToolPaletteMouseDown(ToolPalette *palette, float x, float y)
{
    // A click puts the hover label away until the mouse moves to another icon.
    if (palette->hintShown)
        HideHint(palette);
    palette->hintDismissed = 1;

    float o = Origin(palette, false);
    if (x >= o + 0.4f && x <= o + 0.45f) {
        if (palette->hidden)
            ToolPaletteShow(palette);
        else
            ToolPaletteHide(palette);
    }
    if (palette->hidden)
        return;
    int32_t type = TypeIndexAt(palette, x, y);
    if (type >= 0)
        palette->selectedType = kTypes[type].code;
    int32_t tool = ToolIndexAt(palette, x, y);
    if (tool >= 0)
        SelectTool(palette, kTools[tool].code);
}

void ToolPaletteMouseMoved(ToolPalette *palette, float x, float y)
{
    int32_t item = ToolIndexAt(palette, x, y);
    if (item < 0) {
        int32_t type = TypeIndexAt(palette, x, y);
        item = type >= 0 ? kHoverFirstType + type : kHoverNone;
    }
    if (item == palette->hoverItem)
        return;
    palette->hoverItem = item;
    palette->hoverTime = 0.0;
    palette->hintDismissed = 0;
    if (palette->hintShown)
        HideHint(palette);
}

bool ToolPaletteKeyDown(ToolPalette *palette, uint8_t character, uint32_t modifiers)
{
    if (palette->tool != ToolBlock || (modifiers & (kModifierControl | kModifierAlt)))
        return false;
    if (character < '0' || character > '9')
        return false;
    int32_t index = character == '0' ? 9 : character - '1';
    palette->selectedType = kTypes[index].code;
    return true;
}

int32_t ToolPaletteCurrentItem(const ToolPalette *palette)
{
    if (palette->tool == ToolBlock)
        for (int32_t i = 0; i < kToolPaletteTypeCount; i++)
            if (kTypes[i].code == palette->selectedType)
                return kHoverFirstType + i;
    for (int32_t i = 0; i < kToolPaletteToolCount; i++)
        if (kTools[i].code == palette->tool)
            return i;
    return 0;
}

void ToolPaletteHighlightItem(ToolPalette *palette, int32_t item)
{
    if (item < 0 || item >= kToolPaletteItemCount) {
        palette->hoverItem = kHoverNone;
        HideHint(palette);
        return;
    }
    if (palette->hidden)
        ToolPaletteShow(palette);
    palette->hoverItem = item;
    palette->hintDismissed = 0;
    ShowHint(palette);
}

void ToolPaletteChooseItem(ToolPalette *palette, int32_t item)
{
    if (item < 0 || item >= kToolPaletteItemCount)
        return;
    if (item < kHoverFirstType) {
        SelectTool(palette, kTools[item].code);
        return;
    }
    palette->selectedType = kTypes[item - kHoverFirstType].code;
    SelectTool(palette, ToolBlock);
}
