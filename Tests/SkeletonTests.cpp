#include "Skeleton.h"

#include "AssetTestFolder.h"
#include "GLTestContext.h"
#include "ModelParser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

using assettest::Header;

namespace {

const float kHalfRoot = std::sqrt(0.5f);

// Root at (1, 2, 3) with a chain of three unit bones below it.
const std::string kChain =
    "Bone\n  Identifier: 'Root'\n  Offset: 1, 2, 3\n  Length: 5\n  Bone\n    Identifier: 'Bon1'\n    Length: 1\n"
    "    Bone\n      Identifier: 'Bon2'\n      Length: 1\n      Bone\n        Identifier: 'Bon3'\n"
    "        Length: 1\n      End\n    End\n  End\n  Bone\n    Identifier: 'Side'\n    Orientation: 0, 0, 1; 90\n"
    "    Length: 2\n  End\nEnd\nBone\n  Identifier: 'Late'\nEnd\n";

Skeleton *LoadSkeleton(const std::string &body)
{
    Skeleton *skeleton = SkeletonAllocate();
    EXPECT_EQ(0, SkeletonLoad(skeleton, body.c_str(), int32_t(body.size()), 0));
    return skeleton;
}

void ExpectVector(float x, float y, float z, Vector v)
{
    EXPECT_TRUE(std::fabs(x - v.x) < 1e-5f && std::fabs(y - v.y) < 1e-5f && std::fabs(z - v.z) < 1e-5f)
        << v.x << ", " << v.y << ", " << v.z << " is not " << x << ", " << y << ", " << z;
}

Quaternion AboutZ(float degrees)
{
    return QuaternionFromAxisAngle(Vector{0, 0, 1}, degrees * float(M_PI) / 180.0f);
}

} // namespace

TEST(Skeleton, ReadsTheTreeInPreOrderAndComputesEndPoints)
{
    Skeleton *skeleton = LoadSkeleton(kChain);
    ASSERT_NE(nullptr, skeleton->root);
    EXPECT_EQ(5, SkeletonCountBones(skeleton)) << "closing the root ends the skeleton";
    Bone *root = skeleton->root;
    EXPECT_EQ(FourCharCode('Root'), root->identifier);
    for (int i = 0; i < 4; i++)
        ExpectVector(1, float(2 + i), 3, SkeletonGetBoneByID(skeleton, i ? 'Bon0' + i : 'Root')->offset);
    // Rotated a quarter turn about z, the y axis points along -x.
    Bone *side = SkeletonGetBoneByID(skeleton, 'Side');
    ExpectVector(-1, 2, 3, side->offset);
    EXPECT_NEAR(kHalfRoot, side->restOrientation.z, 1e-6f);
    EXPECT_EQ(root, side->parent);
    EXPECT_EQ(side, root->firstChild->nextSibling);
    EXPECT_EQ(nullptr, SkeletonGetBoneByID(skeleton, 'Late'));
    std::vector<FourCharCode> order;
    for (Bone *b = root; b; b = SkeletonNextBone(b))
        order.push_back(b->identifier);
    EXPECT_EQ(order, (std::vector<FourCharCode>{'Root', 'Bon1', 'Bon2', 'Bon3', 'Side'})) << "pre-order";
    SkeletonDispose(skeleton);
}

TEST(Skeleton, LoaderCodesAndDeepNestingWithoutRecursion)
{
    std::string deep, many = "Bone\n";
    for (int i = 0; i < kSkeletonMaxBones; i++)
        deep += "Bone\nLength: 1\n", many += "Bone\n";
    for (auto [text, code] : {std::pair{std::string("Identifier: 'Root'\nEnd\n"), 1}, std::pair{many, 2}}) {
        Skeleton *refused = SkeletonAllocate();
        EXPECT_EQ(code, SkeletonLoad(refused, text.c_str(), int32_t(text.size()), 0)) << "no Bone line, too many";
        SkeletonDispose(refused);
    }
    Skeleton *skeleton = LoadSkeleton(deep);
    EXPECT_EQ(kSkeletonMaxBones, SkeletonCountBones(skeleton));
    SkeletonCalculateMatrices(skeleton);
    Skeleton *copy = SkeletonCreateCopy(skeleton);
    EXPECT_EQ(kSkeletonMaxBones, SkeletonCountBones(copy));
    SkeletonDispose(copy);
    SkeletonDispose(skeleton);
}

// Rest matrices and copies are met again in the skinning and copy tests below.
TEST(Skeleton, MatricesRotateEachBoneAboutItsStartJoint)
{
    Skeleton *skeleton = LoadSkeleton("Bone\nIdentifier: 'Root'\nBone\nIdentifier: 'BonA'\nLength: 1\n"
                                      "Bone\nIdentifier: 'BonB'\nLength: 1\nEnd\nEnd\nEnd\n");
    SkeletonCalculateMatrices(skeleton);
    ExpectVector(0, 2, 0, SkeletonGetJointOffset(skeleton, 'BonB'));

    SkeletonGetBoneByID(skeleton, 'BonA')->rotation = AboutZ(90);
    SkeletonCalculateMatrices(skeleton);
    ExpectVector(-1, 0, 0, SkeletonGetJointOffset(skeleton, 'BonA'));
    ExpectVector(-2, 0, 0, SkeletonGetJointOffset(skeleton, 'BonB'));

    SkeletonGetBoneByID(skeleton, 'BonB')->rotation = AboutZ(90);
    SkeletonCalculateMatrices(skeleton);
    ExpectVector(-1, -1, 0, SkeletonGetJointOffset(skeleton, 'BonB'));
    ExpectVector(0, 0, 0, SkeletonGetJointOffset(skeleton, 'Gone'));
    SkeletonDispose(skeleton);
}

namespace {

const std::string kSkeletonFile = "Bone\nIdentifier: 'Root'\nBone\nIdentifier: 'Arm1'\nLength: 1\nEnd\nEnd\n";

// Three keyframes of the walk, one of standing; Arm1 turns about z.
const std::string kAnimationFile =
    "Animation\n  Skeleton: 'Skel'\n  Keyframes\n    NumKeyframes: 4\n    Keyframe\n      Identifier: 'Wk01'\n"
    "      Interval: 0.1\n      Offset: 0, 0, 0\n      NumBones: 2\n      Bones\n        Bone: 'Root'\n"
    "        Orientation: 0, 0, 1; 0\n        Bone: 'Arm1'\n      End\n    End\n    Keyframe\n"
    "      Identifier: 'Wk02'\n      Interval: 0.1\n      Offset: 2, 0, 0\n      NumBones: 2\n      Bones\n"
    "        Bone: 'Root'\n        Orientation: 0, 0, 1; 90\n        Bone: 'Arm1'\n      End\n    End\n"
    "    Keyframe\n      Identifier: 'Wk03'\n      Interval: 0.1\n      NumBones: 1\n      Bones\n"
    "        Orientation: 0, 0, 1; 45\n        Bone: 'Root'\n      End\n    End\n    Keyframe\n"
    "      Identifier: 'St01'\n      Interval: 0.5\n      NumBones: 2\n      Bones\n"
    "        Orientation: 0, 0, 1; 0\n        Bone: 'Root'\n        Orientation: 0, 0, 1; 180\n"
    "        Bone: 'Arm1'\n      End\n    End\n  End\n  Actions\n    NumActions: 2\n    Action\n"
    "      Identifier: 'Walk'\n      NumKeyframes: 3\n      Keyframe: 'Wk01'\n      Keyframe: 'Wk02'\n"
    "      Keyframe: 'Wk03'\n    End\n    Action\n      Identifier: 'Stnd'\n      NumKeyframes: 1\n"
    "      Keyframe: 'St01'\n    End\n  End\nEnd\n";

class Animated : public ::testing::Test {
protected:
    assettest::Folder folder;
    Animation *animation = nullptr;

    void SetUp() override
    {
        folder.Model("Skel.skel", Header("Skeleton", "Skel") + kSkeletonFile);
        ASSERT_EQ(0, ModelLoadFile(folder.Model("Humn.anim", Header("Animation", "Humn", {"Skel.skel"}) +
                                                                 kAnimationFile)));
        animation = static_cast<Animation *>(ModelGetModelByIdentifier(kModelKindAnimation, 'Humn')->data);
    }
    void TearDown() override { ModelDisposeAllModels(); }

    // Loads body as a file of its own, of type Animation or Body, named 'Test'.
    int32_t LoadAs(const char *type, const std::string &body)
    {
        static int n = 0;
        bool animation = type[0] == 'A';
        // Appended piece by piece: GCC 12 misreads "x" + std::string as an
        // overlapping copy (-Wrestrict) when optimising.
        std::string name = std::to_string(n++);
        name += animation ? ".anim" : ".body";
        return ModelLoadFile(folder.Model(name, Header(type, "Test", {animation ? "Skel.skel" : "Humn.anim"}) + body));
    }
    int32_t LoadAnimation(const std::string &body) { return LoadAs("Animation", body); }
    int32_t LoadBody(const std::string &body) { return LoadAs("Body", body); }
    Body *Registered(FourCharCode identifier)
    {
        Model *m = ModelGetModelByIdentifier(kModelKindBody, identifier);
        return m ? static_cast<Body *>(m->data) : nullptr;
    }
};

int32_t CountCall(void *context, void *)
{
    ++*static_cast<int *>(context);
    return 1;
}

} // namespace

TEST_F(Animated, LoadsKeyframesActionsAndAPrivateSkeleton)
{
    ASSERT_EQ(4, animation->numKeyframes);
    ASSERT_EQ(2, animation->numActions);
    Skeleton *registered = static_cast<Skeleton *>(ModelGetModelByIdentifier(kModelKindSkeleton, 'Skel')->data);
    ASSERT_NE(nullptr, animation->skeleton);
    EXPECT_NE(registered, animation->skeleton) << "the animation poses its own copy";
    Keyframe *k2 = AnimationGetKeyframeByIdentifier(animation, 'Wk02');
    ASSERT_NE(nullptr, k2);
    EXPECT_EQ(std::make_pair(k2->offset.x, k2->interval), std::make_pair(2.0f, 0.1f));
    ASSERT_EQ(2, k2->numBones);
    // The pending rotation from Wk01's Orientation line still applies to
    // Wk02's Root entry, which comes before Wk02's own Orientation line.
    EXPECT_NEAR(0.0f, k2->boneRotations[0].rotation.z, 1e-6f);
    EXPECT_NEAR(1.0f, k2->boneRotations[0].rotation.w, 1e-6f);
    EXPECT_NEAR(kHalfRoot, k2->boneRotations[1].rotation.z, 1e-6f);
    Keyframe *k1 = AnimationGetKeyframeByIdentifier(animation, 'Wk01');
    EXPECT_EQ(0.0f, k1->boneRotations[0].rotation.w) << "nothing pending before the first Orientation line";
    Action *walk = AnimationGetActionByIdentifier(animation, 'Walk');
    ASSERT_NE(nullptr, walk);
    EXPECT_EQ(std::vector<FourCharCode>(walk->keyframeIdentifiers, walk->keyframeIdentifiers + walk->numKeyframes),
              (std::vector<FourCharCode>{'Wk01', 'Wk02', 'Wk03'}));
    EXPECT_EQ(nullptr, AnimationGetActionByIdentifier(animation, 'Jump'));
    EXPECT_EQ((std::vector<float>{float(animation->currentAction), float(animation->currentKeyframeIndex),
                                  float(animation->previousKeyframeIndex), animation->speedMultiplier}),
              (std::vector<float>{0, -1, -1, 1}));
}

TEST_F(Animated, LoaderCodes)
{
    EXPECT_EQ(1, LoadAnimation("Keyframes\nEnd\n"));
    EXPECT_EQ(2, LoadAnimation("Animation\nSkeleton: 'Nope'\nEnd\n"));
    EXPECT_EQ(3, LoadAnimation("Animation\nKeyframes\nNumKeyframes: 1\nNumKeyframes: 1\nEnd\nEnd\n"));
    EXPECT_EQ(3, LoadAnimation("Animation\nKeyframes\nNumKeyframes: -1\nEnd\nEnd\n"));
    EXPECT_EQ(3, LoadAnimation("Animation\nKeyframes\nNumKeyframes: 999999999\nEnd\nEnd\n"));
    EXPECT_EQ(3, LoadAnimation("Animation\nActions\nNumActions: 1\nNumActions: 1\nEnd\nEnd\n"));
    EXPECT_EQ(3, LoadAnimation("Animation\nActions\nNumActions: 1\nAction\nNumKeyframes: 1\nNumKeyframes: 1\n"));
    EXPECT_EQ(3, LoadAnimation("Animation\nKeyframes\nNumKeyframes: 1\nKeyframe\nNumBones: 1\nBones\nEnd\n"
                               "NumBones: 5\n"));
    EXPECT_EQ(4, LoadAnimation("Animation\nKeyframes\nKeyframe\n"));
    EXPECT_EQ(4, LoadAnimation("Animation\nActions\nAction\n"));
    EXPECT_EQ(4, LoadAnimation("Animation\nActions\nNumActions: 1\nAction\nKeyframe: 'Wk01'\n"));
    EXPECT_EQ(4, LoadAnimation("Animation\nActions\nNumActions: 1\nAction\nNumKeyframes: 1\n"
                               "Keyframe: 'Wk01'\nKeyframe: 'Wk02'\n"));
    EXPECT_EQ(5, LoadAnimation("Animation\nKeyframes\nNumKeyframes: 1\nKeyframe\nEnd\nKeyframe\n"));
    EXPECT_EQ(5, LoadAnimation("Animation\nActions\nNumActions: 0\nAction\n"));
    EXPECT_EQ(5, LoadAnimation("Animation\nKeyframes\nNumKeyframes: 1\nKeyframe\nNumBones: 1\nBones\n"
                               "Bone: 'Root'\nBone: 'Arm1'\n"));
    EXPECT_EQ(0, LoadAnimation("Animation\nKeyframes\nNumKeyframes: 1\nKeyframe\nBones\nEnd\nEnd\nEnd\nEnd\n"));
    // Only the successful one stays, beside the two of the fixture.
    EXPECT_EQ(3, ModelGetNumberOfModels());
}

TEST_F(Animated, RunStepsByIntervalAndWrapsForwards)
{
    AnimationSetCurrentAction(animation, 'Walk', 1);
    EXPECT_EQ(FourCharCode('Walk'), AnimationGetCurrentAction(animation));
    const float tick = 1.0f / 120.0f;
    // The tick at which the progress first exceeds 1, summed as the
    // animation sums it.
    float expected = 0;
    int ticks = 0;
    while (!(expected > 1)) {
        expected += tick / 0.1f * 1.0f;
        ticks++;
    }
    EXPECT_TRUE(ticks == 12 || ticks == 13);
    for (int i = 1; i < ticks; i++) {
        AnimationRun(animation, tick);
        ASSERT_EQ(0, animation->currentKeyframeIndex) << i;
    }
    EXPECT_NEAR(1.0f / 12.0f * float(ticks - 1), animation->progress, 1e-5f);
    AnimationRun(animation, tick);
    EXPECT_EQ((std::vector<int64_t>{animation->currentKeyframeIndex, animation->previousKeyframeIndex,
                                    animation->previousAction}),
              (std::vector<int64_t>{1, 0, 'Walk'}));
    EXPECT_NEAR(expected - 1.0f, animation->progress, 1e-6f);

    // At most one keyframe per call however long the step; then the wrap.
    AnimationRun(animation, 10.0f);
    EXPECT_EQ(2, animation->currentKeyframeIndex);
    EXPECT_LE(animation->progress, 1.0f);
    AnimationRun(animation, 0.1f);
    EXPECT_EQ(0, animation->currentKeyframeIndex);
    EXPECT_EQ(2, animation->previousKeyframeIndex);
}

TEST_F(Animated, NothingRunsWithoutAnActionExactlyOneDoesNotAdvanceNegativeSpeedWrapsToTheLast)
{
    AnimationRun(animation, 1.0f);
    EXPECT_EQ(-1, animation->currentKeyframeIndex);
    EXPECT_FLOAT_EQ(0.0f, animation->progress);
    AnimationApply(animation);
    EXPECT_FLOAT_EQ(1.0f, SkeletonGetBoneByID(animation->skeleton, 'Arm1')->rotation.w);

    AnimationSetCurrentAction(animation, 'Stnd', 1);
    AnimationRun(animation, 0.5f);
    EXPECT_FLOAT_EQ(1.0f, animation->progress);
    EXPECT_EQ(std::make_pair(animation->currentKeyframeIndex, animation->previousKeyframeIndex), std::make_pair(0, 0));

    AnimationSetCurrentAction(animation, 'Walk', 1);
    AnimationSetSpeedMultiplier(animation, -1.0f);
    AnimationRun(animation, 1.0f / 120.0f);
    EXPECT_EQ(2, animation->currentKeyframeIndex);
    EXPECT_NEAR(11.0f / 12.0f, animation->progress, 1e-5f);
    for (int expected : {1, 0}) {
        AnimationRun(animation, 0.1f);
        EXPECT_EQ(expected, animation->currentKeyframeIndex);
    }
}

TEST_F(Animated, ZeroIntervalNeverStalls)
{
    AnimationGetKeyframeByIdentifier(animation, 'Wk02')->interval = 0;
    AnimationSetCurrentAction(animation, 'Walk', 1);
    AnimationRun(animation, 0.15f);
    EXPECT_EQ(1, animation->currentKeyframeIndex);
    AnimationRun(animation, 0.0f); // 0 / 0
    EXPECT_FALSE(std::isnan(animation->progress));
    AnimationRun(animation, 1.0f); // infinite progress
    EXPECT_EQ(2, animation->currentKeyframeIndex);
    EXPECT_FALSE(std::isnan(animation->progress));
    EXPECT_LE(animation->progress, 1.0f);
}

TEST_F(Animated, CallbacksFireOncePerKeyframe)
{
    int wk02 = 0, wk01 = 0;
    CallbackControllerInstallCallback(AnimationGetCallbackController(animation), int32_t('Wk02'), CountCall, &wk02);
    CallbackControllerInstallCallback(AnimationGetCallbackController(animation), int32_t('Wk01'), CountCall, &wk01);
    AnimationSetCurrentAction(animation, 'Walk', 1);
    for (int i = 0; i < 12 * 6 + 6; i++) // a little over six keyframe intervals
        AnimationRun(animation, 1.0f / 120.0f);
    EXPECT_EQ(std::make_pair(wk01, wk02), std::make_pair(2, 2));
}

TEST_F(Animated, ApplyInterpolatesAndSwitchingActionBlendsOrRestarts)
{
    AnimationSetCurrentAction(animation, 'Walk', 1);
    AnimationRun(animation, 0.1f + 1e-4f); // now from Wk01 to Wk02
    animation->progress = 0.5f;
    AnimationApply(animation);
    Skeleton *skeleton = animation->skeleton;
    Bone *arm = SkeletonGetBoneByID(skeleton, 'Arm1');
    // Halfway from no turn to a quarter turn about z.
    EXPECT_NEAR(std::sin(float(M_PI) / 8), arm->rotation.z, 1e-5f);
    EXPECT_NEAR(1.0f, skeleton->position.x, 1e-6f);
    ExpectVector(-std::sin(float(M_PI) / 4), std::cos(float(M_PI) / 4), 0, SkeletonGetJointOffset(skeleton, 'Arm1'));

    AnimationSetCurrentAction(animation, 'Stnd', 0);
    EXPECT_EQ((std::vector<int64_t>{animation->previousAction, animation->previousKeyframeIndex,
                                    animation->currentAction, animation->currentKeyframeIndex}),
              (std::vector<int64_t>{'Walk', 1, 'Stnd', 0}));
    EXPECT_FLOAT_EQ(0.0f, animation->progress);
    AnimationApply(animation);
    EXPECT_NEAR(kHalfRoot, SkeletonGetBoneByID(animation->skeleton, 'Arm1')->rotation.z, 1e-5f)
        << "the pose starts at the old target, Wk02";

    AnimationSetCurrentAction(animation, 'Stnd', 1);
    EXPECT_EQ(std::make_pair(animation->previousAction, animation->previousKeyframeIndex),
              std::make_pair(FourCharCode('Stnd'), 0));
    AnimationApply(animation);
    EXPECT_NEAR(1.0f, std::fabs(SkeletonGetBoneByID(animation->skeleton, 'Arm1')->rotation.z), 1e-5f)
        << "the pose jumps to St01";
}

TEST_F(Animated, ShorterBoneListsAndMissingBonesAreSkipped)
{
    Keyframe *k1 = AnimationGetKeyframeByIdentifier(animation, 'Wk01');
    Keyframe *k3 = AnimationGetKeyframeByIdentifier(animation, 'Wk03');
    testing::internal::CaptureStdout();
    AnimationFrameApply(k1, k3, 1.0f, animation->skeleton); // two entries against one
    AnimationFrameApply(k3, k1, 1.0f, animation->skeleton);
    EXPECT_EQ("", testing::internal::GetCapturedStdout());
    k1->boneRotations[0].bone = 'Gone';
    testing::internal::CaptureStdout();
    AnimationFrameApply(k1, k3, 0.0f, animation->skeleton);
    EXPECT_EQ("AnimationFrameApply: Bone not found: 'Gone'\n", testing::internal::GetCapturedStdout());
    AnimationFrameApply(nullptr, k3, 0.0f, animation->skeleton);
}

TEST_F(Animated, CopiesPoseTheirOwnSkeleton)
{
    int fired = 0;
    CallbackControllerInstallCallback(AnimationGetCallbackController(animation), int32_t('Wk02'), CountCall, &fired);
    AnimationSetCurrentAction(animation, 'Walk', 1);
    Skeleton *own = SkeletonCreateCopy(animation->skeleton);
    Animation *copy = AnimationCreateCopy(animation, own);
    EXPECT_EQ(own, copy->skeleton);
    EXPECT_EQ(FourCharCode('Walk'), copy->currentAction);
    EXPECT_NE(animation->keyframes, copy->keyframes);
    AnimationRun(copy, 0.15f);
    EXPECT_EQ(1, fired) << "the copy carries the callbacks";
    copy->progress = 1.0f;
    AnimationApply(copy);
    EXPECT_NEAR(kHalfRoot, SkeletonGetBoneByID(own, 'Arm1')->rotation.z, 1e-5f);
    EXPECT_FLOAT_EQ(1.0f, SkeletonGetBoneByID(animation->skeleton, 'Arm1')->rotation.w);
    AnimationDispose(copy);
    SkeletonDispose(own);
}

namespace {

std::string BodyWith(const std::string &vertices, const std::string &primitive = "GL_POINTS", int count = 1)
{
    return "Body\nAnimation: 'Humn'\nNumSegments: 1\nSegment\nIdentifier: 'Trso'\nShader: 'Skin'\n"
           "PrimitiveType: " +
           primitive + "\nNumVertices: " + std::to_string(count) + "\nVertices\n" + vertices + "End\nEnd\nEnd\n";
}

} // namespace

TEST_F(Animated, BodyLoaderCodes)
{
    EXPECT_EQ(1, LoadBody("Animation: 'Humn'\n"));
    EXPECT_EQ(2, LoadBody("Body\nAnimation: 'Nope'\n"));
    EXPECT_EQ(3, LoadBody("Body\nNumSegments: 1\nSegment\nNumVertices: 1\nVertices\nEnd\nEnd\nAnimation: 'Humn'\n"));
    assettest::Alerts().clear();
    EXPECT_EQ(6, LoadBody(BodyWith("Bone1: 'Gone'\nVertex: 0, 0, 0\n")));
    ASSERT_EQ(1u, assettest::Alerts().size());
    EXPECT_EQ("Bone not found: Gone", assettest::Alerts()[0]);
    EXPECT_EQ(7, LoadBody(BodyWith("Vertex: 0, 0, 0\nVertex: 1, 0, 0\n")));
    EXPECT_EQ(7, LoadBody("Body\nAnimation: 'Humn'\nNumSegments: 1\nSegment\nEnd\nSegment\n"));
    EXPECT_EQ(7, LoadBody("Body\nAnimation: 'Humn'\nSegment\n"));
    EXPECT_EQ(7, LoadBody("Body\nAnimation: 'Humn'\nNumSegments: -4\n"));
    EXPECT_EQ(7, LoadBody("Body\nAnimation: 'Humn'\nNumSegments: 1\nSegment\nVertices\nEnd\nNumVertices: 3\n"
                          "Vertices\nVertex: 1, 2, 3\n"));
    EXPECT_EQ(0, LoadBody(BodyWith("Bone1: 'Root'\nVertex: 0, 0, 0\n")));
}

TEST_F(Animated, BodyVerticesCarryAttributesBonesAndWeightsAndCopiesOwnASkeletonCopy)
{
    ASSERT_EQ(0, LoadBody(BodyWith("Normal: 0, 1, 0\nColor: 1, 0, 0, 1\nTexCoord: 0.5, 0.25\n"
                                   "Bone1: 'Root'\nBone2: 'Arm1'\nWeight1: 0.25\nWeight2: 0.75\n"
                                   "Vertex: 1, 2, 3\n"
                                   "Bone2: 'none'\nBone7: 'Arm1'\nVertex: 4, 5, 6\n",
                                   "GL_POINTS", 3)));
    Body *body = Registered('Test');
    ASSERT_NE(nullptr, body);
    EXPECT_EQ(static_cast<Animation *>(ModelGetModelByIdentifier(kModelKindAnimation, 'Humn')->data)->skeleton,
              body->skeleton);
    const BodySegment &s = body->segments[0];
    EXPECT_EQ(std::make_pair(s.identifier, s.shader), std::make_pair(FourCharCode('Trso'), FourCharCode('Skin')));
    const BodyVertex &v = s.vertices[0];
    EXPECT_EQ((std::vector<float>{v.z, v.w, v.ny, v.g, v.t, v.weights[1]}),
              (std::vector<float>{3.0f, 1.0f, 1.0f, 0.0f, 0.25f, 0.75f}));
    EXPECT_EQ(std::make_pair(v.bones[0], v.bones[1]),
              std::make_pair(SkeletonGetBoneByID(body->skeleton, 'Root'), SkeletonGetBoneByID(body->skeleton, 'Arm1')));
    // 'none' and an index outside 1 to 4 change nothing.
    EXPECT_EQ(v.bones[1], s.vertices[1].bones[1]);
    EXPECT_EQ(nullptr, s.vertices[1].bones[2]);
    EXPECT_FLOAT_EQ(0.0f, s.vertices[2].w) << "the unfilled record stays zero";

    AABB box = BodyGetBounds(body);
    EXPECT_EQ((std::vector<float>{box.minX, box.maxX, box.maxZ}), (std::vector<float>{0, 4, 6}));

    body->position = Vector{1, 2, 3};
    Body *copy = BodyCreateCopy(body);
    ASSERT_NE(nullptr, copy->skeleton);
    EXPECT_NE(body->skeleton, copy->skeleton);
    EXPECT_FLOAT_EQ(2.0f, copy->position.y);
    const BodyVertex &c = copy->segments[0].vertices[0];
    EXPECT_NE(s.vertices, copy->segments[0].vertices);
    EXPECT_EQ(std::make_pair(c.bones[0], c.bones[1]),
              std::make_pair(SkeletonGetBoneByID(copy->skeleton, 'Root'), SkeletonGetBoneByID(copy->skeleton, 'Arm1')));
    AnimationDispose(AnimationCreateCopy(animation, copy->skeleton));
    BodyDispose(copy);
}

TEST_F(Animated, SkinningWithOneAndSeveralBones)
{
    ASSERT_EQ(0, LoadBody("Body\nAnimation: 'Humn'\nNumSegments: 2\n"
                          "Segment\nNumVertices: 2\nVertices\n"
                          "Normal: 0, 1, 0\nBone1: 'Arm1'\nWeight1: 0.3\nVertex: 0, 2, 0\n"
                          "Bone1: 'Root'\nBone2: 'Arm1'\nWeight1: 0.25\nWeight2: 0.75\nVertex: 0, 2, 0\n"
                          "End\nEnd\n"
                          "Segment\nNumVertices: 1\nVertices\n"
                          "Bone1: 'Root'\nBone2: 'none'\nBone3: 'Arm1'\nWeight1: 0.5\nWeight3: 0.5\n"
                          "Vertex: 0, 2, 0\nEnd\nEnd\nEnd\n"));
    Body *body = Registered('Test');
    SkeletonGetBoneByID(body->skeleton, 'Arm1')->rotation = AboutZ(90);
    SkeletonCalculateMatrices(body->skeleton);
    // One bone: the full transform, whatever the weight.
    auto expectVertex = [](float x, float y, const BodyVertex &vertex) {
        Vertex4f v = BodyMultiplyVertex(&vertex);
        ExpectVector(x, y, 0, Vector{v.x, v.y, v.z});
        EXPECT_NEAR(1.0f, v.w, 1e-5f);
    };
    expectVertex(-2, 0, body->segments[0].vertices[0]);
    ExpectVector(-1, 0, 0, BodyMultiplyNormal(&body->segments[0].vertices[0]));
    // Two bones: a weighted sum of (0, 2, 0) and (-2, 0, 0).
    expectVertex(-1.5f, 0.5f, body->segments[0].vertices[1]);
    ExpectVector(-0.75f, 0.25f, 0, BodyMultiplyNormal(&body->segments[0].vertices[1]));
    // Slot 2 named 'none' stays empty: only slot 1 counts, at full strength,
    // although slot 3 is set.
    expectVertex(0, 2, body->segments[1].vertices[0]);
}

TEST_F(Animated, BodyDrawsThePosedMesh)
{
    REQUIRE_GL_CONTEXT();
    // A red quad over the right half, bound to the root.
    ASSERT_EQ(0, LoadBody(BodyWith("Color: 1, 0, 0, 1\nBone1: 'Root'\nVertex: 0, -1, 0\nVertex: 1, -1, 0\n"
                                   "Vertex: 1, 1, 0\nVertex: 0, 1, 0\n",
                                   "GL_QUADS", 4)));
    Body *body = Registered('Test');
    SkeletonCalculateMatrices(body->skeleton);
    BodyDraw(body);
    EXPECT_EQ(255, gltest::ReadPixel(48, 32).r);
    EXPECT_EQ(0, gltest::ReadPixel(16, 32).r);
    // Half a turn about y moves it to the left half.
    gltest::ResetScene();
    body->skeleton->root->rotation = QuaternionFromAxisAngle(Vector{0, 1, 0}, float(M_PI));
    SkeletonCalculateMatrices(body->skeleton);
    BodyDraw(body);
    EXPECT_EQ(0, gltest::ReadPixel(48, 32).r);
    EXPECT_EQ(255, gltest::ReadPixel(16, 32).r);
    // The body's own placement applies too.
    gltest::ResetScene();
    body->position = Vector{1.0f, 0, 0};
    BodyDraw(body);
    EXPECT_EQ(255, gltest::ReadPixel(48, 32).r);
    float mv[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, mv);
    EXPECT_FLOAT_EQ(0.0f, mv[12]);
    body->position = Vector{0, 0, 0};
}
