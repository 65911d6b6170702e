#include "LinkLines.h"

#include "Block.h"
#include "Level.h"

#include <cmath>

namespace {

Vector BoxCentre(const Block &block)
{
    return VectorWithValues((block.minX + block.maxX) * 0.5f, (block.minY + block.maxY) * 0.5f,
                            (block.minZ + block.maxZ) * 0.5f);
}

LinkLine BrokenLine(const Level *level, int32_t index)
{
    const Block &block = level->blocks[index];
    Vector centre = BoxCentre(block);
    return LinkLine{kLinkBroken, index, -1, centre, VectorWithValues(centre.x, block.maxY + kLinkBrokenRise, centre.z)};
}

} // namespace

std::vector<LinkLine> LinkLinesCompute(const Level *level)
{
    std::vector<LinkLine> lines;
    if (!level)
        return lines;
    // The possible targets, so that each link looks only through its kind.
    std::vector<int32_t> teleports, switchables;
    for (int32_t i = 0; i < level->blockCount; i++) {
        if (level->blocks[i].type == kBlockTeleport && level->blocks[i].data)
            teleports.push_back(i);
        else if (level->blocks[i].type == kBlockSwitchable && level->blocks[i].data)
            switchables.push_back(i);
    }
    for (int32_t i = 0; i < level->blockCount; i++) {
        const Block &block = level->blocks[i];
        if (!block.data || (block.type != kBlockSwitch && block.type != kBlockTeleport))
            continue;
        bool teleport = block.type == kBlockTeleport;
        // A teleport leads to the teleports whose identifier is its target;
        // a switch turns the switchable blocks of its own identifier.
        uint32_t wanted = teleport ? static_cast<const TeleportData *>(block.data)->target
                                   : static_cast<const SwitchData *>(block.data)->identifier;
        bool linked = false;
        for (int32_t j : teleport ? teleports : switchables) {
            const Block &other = level->blocks[j];
            uint32_t identifier = teleport ? static_cast<const TeleportData *>(other.data)->identifier
                                           : static_cast<const SwitchableBlockData *>(other.data)->identifier;
            if (identifier != wanted)
                continue;
            // A teleport that leads to itself has a target, but no line.
            linked = true;
            if (j != i)
                lines.push_back(LinkLine{teleport ? kLinkTeleport : kLinkSwitch, i, j, BoxCentre(block),
                                         BoxCentre(other)});
        }
        if (!linked)
            lines.push_back(BrokenLine(level, i));
    }
    return lines;
}

LinkStyle LinkLinesStyle(int32_t kind)
{
    switch (kind) {
    case kLinkSwitch: return LinkStyle{1.0f, 0.85f, 0.1f, 0xFFFF, 1};   // yellow, solid
    case kLinkTeleport: return LinkStyle{0.2f, 0.9f, 1.0f, 0xFF18, 2}; // cyan, dash and dot
    default: return LinkStyle{1.0f, 0.2f, 0.1f, 0x0F0F, 2};            // red, short dashes
    }
}

bool LinkLinesArrowhead(const LinkLine &line, Vector *left, Vector *right)
{
    constexpr float kLength = 1.2f, kHalfWidth = 0.6f;
    Vector direction = VectorSubtract(line.to, line.from);
    if (VectorMagnitude(direction) < 1e-4f)
        return false;
    VectorNormalize(&direction);
    // Flat arrowheads, unless the line is (nearly) vertical.
    Vector side = VectorCross(direction, VectorWithValues(0, 1, 0));
    if (VectorMagnitude(side) < 0.1f)
        side = VectorCross(direction, VectorWithValues(1, 0, 0));
    VectorNormalize(&side);
    Vector back = VectorWithValues(line.to.x - direction.x * kLength, line.to.y - direction.y * kLength,
                                   line.to.z - direction.z * kLength);
    *left = VectorWithValues(back.x + side.x * kHalfWidth, back.y + side.y * kHalfWidth, back.z + side.z * kHalfWidth);
    *right = VectorWithValues(back.x - side.x * kHalfWidth, back.y - side.y * kHalfWidth, back.z - side.z * kHalfWidth);
    return true;
}
