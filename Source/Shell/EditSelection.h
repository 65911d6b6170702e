// The editor's box selection and the clipboard: a box of cells spanned from
// the cursor, whose blocks and powerups (with their settings) can be copied,
// cut, cleared and pasted elsewhere, in any level of any set.
#pragma once

#include "Level.h"

#include <cstdint>
#include <vector>

struct EditSelection {
    bool active;
    int32_t anchor[3]; // where the box was begun
    int32_t end[3];    // its other corner
};

struct EditClipboardPowerup {
    int32_t kind;
    int32_t cell[3]; // relative to the box's lowest corner
};

struct EditClipboard {
    bool full;
    int32_t size[3]; // the copied box, in cells
    std::vector<Block> blocks; // cells relative to the box's lowest corner; each owns its data
    std::vector<EditClipboardPowerup> powerups;
};

// The box, clamped to the level (which may have shrunk).
CellRange EditSelectionBox(const EditSelection *selection, const Level *level);

// The application's clipboard, which lasts while the program runs.
EditClipboard *EditClipboardShared();
void EditClipboardEmpty(EditClipboard *clipboard);
// Takes the blocks whose cell lies in the box and the powerups in it.
void EditClipboardCopy(EditClipboard *clipboard, Level *level, CellRange box);
// Removes the blocks and powerups of the box; true when any were there.
bool EditSelectionClear(Level *level, CellRange box);
// Puts the clipboard's box with its lowest corner at the cell, replacing
// what the cells held; cells outside the level are left out.  False when
// the clipboard is empty.
bool EditClipboardPaste(const EditClipboard *clipboard, Level *level, const int32_t cell[3]);
