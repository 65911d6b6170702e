// Animation files against a registered skeleton 'Skel': loading, then every
// action run forwards and backwards and applied.
#include "ModelParser.h"
#include "Skeleton.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

static void RegisterSkeleton()
{
    static const char text[] = "Bone\nIdentifier: 'Root'\nBone\nIdentifier: 'Arm1'\nLength: 1\n"
                               "Bone\nIdentifier: 'Arm2'\nLength: 1\nEnd\nEnd\nEnd\n";
    Skeleton *skeleton = SkeletonAllocate();
    SkeletonLoad(skeleton, text, int32_t(std::strlen(text)), 0);
    Model *entry = ModelPush();
    entry->kind = kModelKindSkeleton;
    entry->identifier = 'Skel';
    entry->data = skeleton;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static bool prepared = false;
    if (!prepared) {
        RegisterSkeleton();
        prepared = true;
    }
    Animation *animation = AnimationAllocate();
    if (AnimationLoad(animation, reinterpret_cast<const char *>(data), int32_t(size), 0) == 0) {
        for (int32_t a = 0; a < animation->numActions && a < 8; a++) {
            AnimationSetCurrentAction(animation, animation->actions[a].identifier, uint8_t(a % 2));
            AnimationSetSpeedMultiplier(animation, a % 3 == 2 ? -1.0f : 1.0f);
            for (int step = 0; step < 8; step++) {
                AnimationRun(animation, 0.05f);
                AnimationApply(animation);
            }
        }
        Skeleton *skeleton = SkeletonCreateCopy(animation->skeleton);
        Animation *copy = AnimationCreateCopy(animation, skeleton);
        AnimationRun(copy, 1.0f);
        AnimationApply(copy);
        AnimationDispose(copy);
        SkeletonDispose(skeleton);
    }
    AnimationDispose(animation);
    return 0;
}
