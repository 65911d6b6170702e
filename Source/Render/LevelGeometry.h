// The level's blocks on the drawing context, drawn from geometry cached per
// region of 8 x 8 x 8 cells.  A region's geometry holds the faces of its
// blocks moved to their places and merged by shader; faces between two
// opaque cubes are left out.  A region is rebuilt only when something it
// shows changes (a block switched, phased, vanished or appeared, or a
// neighbouring cell turned opaque or clear), regions outside the view are
// skipped, the rest drawn nearest first.  Blocks whose
// picture moves (a pressed switch, a turned ladder) or whose models cannot be
// merged are drawn one by one as before.
#pragma once

#include <cstdint>

struct Level;

// Cells along each side of a region.
constexpr int32_t kLevelGeometryRegionSide = 8;

// Draws the opaque part of the level's blocks (call with the camera applied,
// before the rest of the level).
void LevelGeometryDrawOpaque(Level *level);
// Draws what must come after the opaque part: blended faces and the blocks
// drawn one by one.  Uses what LevelGeometryDrawOpaque found for this frame.
void LevelGeometryDrawRest(Level *level);

struct LevelGeometryStats {
    int32_t regionsBuilt;   // since start or LevelGeometryForget
    int32_t regionsDrawn;   // in the last frame
    int32_t regionsSkipped; // outside the view in the last frame
    int32_t facesCached;    // in all regions now
    int32_t blocksSingly;   // drawn one by one in the last frame
};
LevelGeometryStats LevelGeometryGetStats();
// Frees the cache; the next frame builds every region anew.
void LevelGeometryForget();
// Off, LevelDraw draws every block by itself, walls first, as the cache's
// reference picture; on by default.
void LevelGeometrySetEnabled(bool enabled);
bool LevelGeometryIsEnabled();
