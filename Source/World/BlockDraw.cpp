// Blocks on the drawing context: each type's model at its place, switches
// pressed flat, ladders turned, blocks that are off drawn as outlines or not
// at all.
#include "Block.h"

#include "Model.h"
#include "ModelParser.h"

#include <GL/gl.h>

void BlockDraw(Block *block, bool editorView)
{
    StaticModel *model = block->model;
    if (!editorView && !BlockIsOn(block)) {
        switch (block->type) {
        case kBlockDisappearing:
        case kBlockAppearing: {
            Model *outline = ModelGetModelByIdentifier(kModelKindStatic, 'Outl');
            model = outline ? static_cast<StaticModel *>(outline->data) : nullptr;
            break;
        }
        case kBlockSwitchable:
        case kBlockPhasing:
            model = nullptr;
            break;
        default:
            break;
        }
    }
    if (!model)
        return;
    glPushMatrix();
    glTranslatef(block->position.x, block->position.y, block->position.z);
    if (block->type == kBlockSwitch && block->data) {
        float t = float(static_cast<SwitchData *>(block->data)->pressTimer);
        glScalef(1.0f + 0.01f * t, 1.0f - 0.01f * t, 1.0f + 0.01f * t);
    } else if (block->type == kBlockLadder && block->data &&
               static_cast<LadderData *>(block->data)->orientation == 1) {
        glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
    }
    StaticModelDraw(model, 1.0f);
    glPopMatrix();
}
