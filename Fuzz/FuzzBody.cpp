// Body files against a registered animation 'Humn' and its skeleton:
// loading, skinning every vertex, bounds and copies.
#include "ModelParser.h"
#include "Skeleton.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

static void Register(int32_t kind, FourCharCode identifier, void *data)
{
    Model *entry = ModelPush();
    entry->kind = kind;
    entry->identifier = identifier;
    entry->data = data;
}

static void RegisterAnimation()
{
    static const char skeletonText[] = "Bone\nIdentifier: 'Root'\nBone\nIdentifier: 'Arm1'\nLength: 1\nEnd\nEnd\n";
    Skeleton *skeleton = SkeletonAllocate();
    SkeletonLoad(skeleton, skeletonText, int32_t(std::strlen(skeletonText)), 0);
    Register(kModelKindSkeleton, 'Skel', skeleton);
    static const char animationText[] = "Animation\nSkeleton: 'Skel'\nEnd\n";
    Animation *animation = AnimationAllocate();
    AnimationLoad(animation, animationText, int32_t(std::strlen(animationText)), 0);
    Register(kModelKindAnimation, 'Humn', animation);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static bool prepared = false;
    if (!prepared) {
        RegisterAnimation();
        prepared = true;
    }
    Body *body = BodyAllocate();
    if (BodyLoad(body, reinterpret_cast<const char *>(data), int32_t(size), 0) == 0) {
        if (body->skeleton)
            SkeletonCalculateMatrices(body->skeleton);
        for (int32_t s = 0; s < body->numSegments; s++)
            for (int32_t v = 0; v < body->segments[s].numVertices && body->segments[s].vertices; v++) {
                BodyMultiplyVertex(&body->segments[s].vertices[v]);
                BodyMultiplyNormal(&body->segments[s].vertices[v]);
            }
        BodyGetBounds(body);
        Body *copy = BodyCreateCopy(body);
        BodyDispose(copy);
    }
    BodyDispose(body);
    return 0;
}
