// The level editor worked with a game controller: the keys of Gamepad.h,
// and B, which opens the tool palette's choice of tool and type: there the
// d-pad moves the mark over the palette's items (left and right by one, up
// and down by a row), A chooses the marked one and B closes the choice.
#pragma once

#include "Gamepad.h"

struct ToolPalette;

struct GamepadEditor {
    Gamepad pad;
    bool choosing;
    int32_t item; // the marked palette item while choosing
};

// One pad event for the editor: the palette's choice while it is open, else
// the editor's keys through sink.  An unplugged controller lets go of every
// key and closes the choice.
void GamepadEditorFeed(GamepadEditor *editor, ToolPalette *palette, const PlatformEvent *event, GamepadKeySink sink,
                       void *context);
