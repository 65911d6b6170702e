#include "GamepadEditor.h"

#include "ToolPalette.h"

namespace {

constexpr int32_t kPaletteColumns = 3;

void Mark(GamepadEditor *editor, ToolPalette *palette, int32_t step)
{
    int32_t count = kToolPaletteItemCount;
    editor->item = ((editor->item + step) % count + count) % count;
    ToolPaletteHighlightItem(palette, editor->item);
}

void Close(GamepadEditor *editor, ToolPalette *palette)
{
    editor->choosing = false;
    ToolPaletteHighlightItem(palette, -1);
}

} // namespace

void GamepadEditorFeed(GamepadEditor *editor, ToolPalette *palette, const PlatformEvent *event, GamepadKeySink sink,
                       void *context)
{
    if (event->kind == kEventPadRemoved) {
        GamepadReleaseAll(&editor->pad, sink, context);
        if (editor->choosing && palette)
            Close(editor, palette);
        return;
    }
    bool press = event->kind == kEventPadButtonDown;
    if (press && event->padControl == kPadButtonB && palette) {
        if (editor->choosing) {
            Close(editor, palette);
        } else {
            // Keys held for the cursor or a box let go first.
            GamepadReleaseAll(&editor->pad, sink, context);
            editor->choosing = true;
            editor->item = ToolPaletteCurrentItem(palette);
            ToolPaletteHighlightItem(palette, editor->item);
        }
        return;
    }
    if (!editor->choosing) {
        GamepadEditorHandleEvent(&editor->pad, event, sink, context);
        return;
    }
    if (!press)
        return;
    switch (event->padControl) {
    case kPadButtonDPadLeft: Mark(editor, palette, -1); break;
    case kPadButtonDPadRight: Mark(editor, palette, 1); break;
    case kPadButtonDPadUp: Mark(editor, palette, -kPaletteColumns); break;
    case kPadButtonDPadDown: Mark(editor, palette, kPaletteColumns); break;
    case kPadButtonA:
        ToolPaletteChooseItem(palette, editor->item);
        Close(editor, palette);
        break;
    default: break;
    }
}
