// Pools of resting water: the pieces of box-form water that lie side by side
// on one floor are gathered into as few boxes as their outline allows, with
// one common surface and the same volume.  Spreading and levelling cut water
// into ever more pieces; pooling them again keeps the count of boxes small.
#pragma once

#include <cstdint>

struct Level;
struct WaterController;

// Gathers every pool of the controller (water-box form only): pieces whose
// bottoms rest on blocks or on the level's floor at one height and that are
// linked side by side, together with any water lying on them, become the
// fewest boxes of one height that cover the pool's footprint, each box side
// facing one kind of thing only (water, block or open space), so that water
// still spreads where it did.  A pool is left as it is when it would not get
// fewer boxes.  Boxes that are emptied are removed from the controller.
// Returns how many boxes the controller lost.
int32_t WaterPoolGatherAll(WaterController *controller);

// Pieces smaller than this (a two-hundredth of a cell) are droplets.
constexpr float kWaterDropletVolume = 1.0f;

// Gives the water of every droplet that falls or lies on water to the water
// under it, or else to the nearest box within a cell that lies below it or is
// not held by a floor, by raising that box's open top; the droplets are
// removed.  A droplet stays when the box would rise visibly, and slivers that
// spread along a floor are never taken, so pools still flow out and water
// still pours over edges.  Returns how many boxes the controller lost.
int32_t WaterPoolAbsorbDroplets(WaterController *controller);

// A hash of where the blocks are that stop water, to tell when water settled
// at rest may have to move again.
uint64_t WaterPoolBlockSignature(const Level *level);

// Above this many boxes the water settles at once (WaterPoolSettle), and then
// stays at rest until the blocks that stop water change.
constexpr int32_t kWaterPoolSettleCount = 64;

// Moves all the water of the controller to where it comes to rest, worked
// out on the level's cells: it falls through open cells, fills the lowest
// basin it reaches up to one surface, and what overflows a basin runs on.
// The water is then rebuilt as the fewest boxes, one per rectangle of cells
// of one layer filled to one height.  Blocks that stop water fill the cells
// they reach into.  The total volume stays as it was.
void WaterPoolSettle(WaterController *controller);
