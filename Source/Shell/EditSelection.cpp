#include "EditSelection.h"

#include "Powerup.h"

#include <algorithm>
#include <cmath>

namespace {

bool InBox(const CellRange &box, int32_t x, int32_t y, int32_t z)
{
    return x >= box.firstX && x <= box.lastX && y >= box.firstY && y <= box.lastY && z >= box.firstZ &&
           z <= box.lastZ;
}

// The cell a powerup sits in (they sit at cell centres).
void PowerupCell(const Powerup *powerup, int32_t cell[3])
{
    cell[0] = int32_t(std::floor(powerup->position.x / CellSize));
    cell[1] = int32_t(std::floor(powerup->position.y / CellSize));
    cell[2] = int32_t(std::floor(powerup->position.z / CellSize));
}

bool ClearBox(Level *level, CellRange box)
{
    bool any = false;
    for (int32_t i = level->blockCount - 1; i >= 0; i--) {
        const Block &block = level->blocks[i];
        if (InBox(box, block.cellX, block.cellY, block.cellZ)) {
            LevelRemoveBlock(level, i, true);
            any = true;
        }
    }
    for (int32_t i = level->powerupCount - 1; i >= 0; i--) {
        int32_t cell[3];
        PowerupCell(level->powerups[i], cell);
        if (InBox(box, cell[0], cell[1], cell[2])) {
            LevelRemovePowerup(level, i);
            any = true;
        }
    }
    return any;
}

} // namespace

CellRange EditSelectionBox(const EditSelection *selection, const Level *level)
{
    auto span = [](int32_t a, int32_t b, int32_t size, int32_t *first, int32_t *last) {
        *first = std::clamp(std::min(a, b), 0, size - 1);
        *last = std::clamp(std::max(a, b), 0, size - 1);
    };
    CellRange box{};
    span(selection->anchor[0], selection->end[0], level->sizeX, &box.firstX, &box.lastX);
    span(selection->anchor[1], selection->end[1], level->sizeY, &box.firstY, &box.lastY);
    span(selection->anchor[2], selection->end[2], level->sizeZ, &box.firstZ, &box.lastZ);
    return box;
}

EditClipboard *EditClipboardShared()
{
    // Never destroyed: its blocks stay reachable until the program ends.
    static EditClipboard *clipboard = new EditClipboard{};
    return clipboard;
}

void EditClipboardEmpty(EditClipboard *clipboard)
{
    for (Block &block : clipboard->blocks)
        BlockDispose(&block);
    clipboard->blocks.clear();
    clipboard->powerups.clear();
    clipboard->full = false;
}

void EditClipboardCopy(EditClipboard *clipboard, Level *level, CellRange box)
{
    EditClipboardEmpty(clipboard);
    clipboard->full = true;
    clipboard->size[0] = box.lastX - box.firstX + 1;
    clipboard->size[1] = box.lastY - box.firstY + 1;
    clipboard->size[2] = box.lastZ - box.firstZ + 1;
    for (int32_t i = 0; i < level->blockCount; i++) {
        const Block &block = level->blocks[i];
        if (!InBox(box, block.cellX, block.cellY, block.cellZ))
            continue;
        Block copy{};
        BlockCopy(&block, &copy);
        copy.cellX -= box.firstX;
        copy.cellY -= box.firstY;
        copy.cellZ -= box.firstZ;
        clipboard->blocks.push_back(copy);
    }
    for (int32_t i = 0; i < level->powerupCount; i++) {
        EditClipboardPowerup entry{};
        PowerupCell(level->powerups[i], entry.cell);
        if (!InBox(box, entry.cell[0], entry.cell[1], entry.cell[2]))
            continue;
        entry.kind = level->powerups[i]->kind;
        entry.cell[0] -= box.firstX;
        entry.cell[1] -= box.firstY;
        entry.cell[2] -= box.firstZ;
        clipboard->powerups.push_back(entry);
    }
}

bool EditSelectionClear(Level *level, CellRange box)
{
    return ClearBox(level, box);
}

bool EditClipboardPaste(const EditClipboard *clipboard, Level *level, const int32_t cell[3])
{
    if (!clipboard->full || level->sizeX < 1 || level->sizeY < 1 || level->sizeZ < 1)
        return false;
    // The cells the box covers inside the level.
    CellRange box{};
    box.firstX = cell[0];
    box.firstY = cell[1];
    box.firstZ = cell[2];
    box.lastX = std::min(cell[0] + clipboard->size[0], level->sizeX) - 1;
    box.lastY = std::min(cell[1] + clipboard->size[1], level->sizeY) - 1;
    box.lastZ = std::min(cell[2] + clipboard->size[2], level->sizeZ) - 1;
    ClearBox(level, box);
    for (const Block &source : clipboard->blocks) {
        int32_t x = cell[0] + source.cellX, y = cell[1] + source.cellY, z = cell[2] + source.cellZ;
        if (!InBox(box, x, y, z))
            continue;
        Block block{};
        BlockInit(&block, source.type, x, y, z);
        if (source.data)
            BlockSetData(&block, source.data);
        LevelAddBlock(level, &block);
    }
    for (const EditClipboardPowerup &source : clipboard->powerups) {
        int32_t x = cell[0] + source.cell[0], y = cell[1] + source.cell[1], z = cell[2] + source.cell[2];
        if (!InBox(box, x, y, z))
            continue;
        if (Powerup *powerup = PowerupAllocate(source.kind)) {
            PowerupSetPosition(powerup, CellSize * float(x) + 3.0f, CellSize * float(y) + 3.0f,
                               CellSize * float(z) + 3.0f);
            LevelAddPowerup(level, powerup);
        }
    }
    return true;
}
