// Skeleton files: the bone tree, end points, matrices and copies.
#include "Skeleton.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Skeleton *skeleton = SkeletonAllocate();
    if (SkeletonLoad(skeleton, reinterpret_cast<const char *>(data), int32_t(size), 0) == 0) {
        for (Bone *b = skeleton->root; b; b = SkeletonNextBone(b))
            b->rotation = b->restOrientation;
        SkeletonCalculateMatrices(skeleton);
        Skeleton *copy = SkeletonCreateCopy(skeleton);
        if (skeleton->root)
            SkeletonGetJointOffset(copy, skeleton->root->identifier);
        SkeletonDispose(copy);
    }
    SkeletonDispose(skeleton);
    return 0;
}
