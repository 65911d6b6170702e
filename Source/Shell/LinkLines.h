// The links between a level's blocks as line segments for the editor: from
// every switch to each switchable block of its identifier, from every
// teleport to each other teleport whose identifier is its target, and, for
// a switch or teleport whose link reaches no block, a short broken line from
// the block to just above it.  Kinds differ by stipple pattern as well as by
// colour, so they can be told apart without colour vision.
#pragma once

#include "Vector.h"

#include <cstdint>
#include <vector>

struct Level;

enum LinkKind : int32_t {
    kLinkSwitch = 0,
    kLinkTeleport = 1,
    kLinkBroken = 2,
};

struct LinkLine {
    int32_t kind;
    int32_t fromBlock; // index of the block the link starts at
    int32_t toBlock;   // index of the target block, -1 for a broken link
    Vector from, to;   // centres of the blocks' boxes (broken: a point above)
};

// How far above a block's top a broken link ends.
constexpr float kLinkBrokenRise = 2.0f;

std::vector<LinkLine> LinkLinesCompute(const Level *level);

// Drawing attributes of a kind: colour and the 16-bit stipple pattern.
struct LinkStyle {
    float red, green, blue;
    uint16_t pattern;
    int32_t factor;
};
LinkStyle LinkLinesStyle(int32_t kind);

// The two ends of the arrowhead's strokes at the line's target end (the
// strokes run from there back to `to`); false for a line without length.
bool LinkLinesArrowhead(const LinkLine &line, Vector *left, Vector *right);

// Draws the lines over the scene (depth test and lighting off).
void LinkLinesDraw(const std::vector<LinkLine> &lines);
