// Skeletal models: skeletons (trees of bones), animations (keyframes and
// looping actions that pose a skeleton) and bodies (meshes skinned to a
// skeleton with up to four bones per vertex).
#pragma once

#include "CallbackController.h"
#include "Matrix.h"
#include "Quaternion.h"
#include "Types.h"
#include "Vector.h"

#include <cstdint>

struct Bone {
    FourCharCode identifier;
    Quaternion restOrientation;
    Vector offset; // the root's from the file; every other bone's end point
    Quaternion rotation;
    float length;
    Matrix matrix;
    Bone *parent;
    Bone *firstChild;
    Bone *nextSibling;
};

struct Skeleton {
    Vector position;
    Bone *root; // owned
};

struct BoneRotation {
    FourCharCode bone;
    Quaternion rotation;
};

struct Keyframe {
    FourCharCode identifier;
    Vector offset;
    float interval;
    int32_t numBones;
    BoneRotation *boneRotations; // numBones entries once the list is opened; owned
};

struct Action {
    FourCharCode identifier;
    int32_t numKeyframes;
    FourCharCode *keyframeIdentifiers; // owned
};

struct Animation {
    Skeleton *skeleton;
    bool ownsSkeleton; // the copy made when a file is loaded
    CallbackController *callbackController;
    int32_t numKeyframes;
    Keyframe *keyframes;
    int32_t numActions;
    Action *actions;
    FourCharCode previousAction;
    int32_t previousKeyframeIndex;
    FourCharCode currentAction;
    int32_t currentKeyframeIndex;
    float progress;
    float speedMultiplier;
};

struct BodyVertex {
    float x, y, z, w;
    float nx, ny, nz;
    float s, t;
    float r, g, b, a;
    Bone *bones[4];
    float weights[4];
};

struct BodySegment {
    FourCharCode identifier;
    FourCharCode shader;
    uint32_t primitiveType;
    int32_t numVertices;
    BodyVertex *vertices; // owned
};

struct Body {
    Skeleton *skeleton;
    bool ownsSkeleton; // copies own theirs; registry bodies share the animation's
    Vector position;
    Quaternion orientation;
    int32_t numSegments;
    BodySegment *segments;
};

// Limits on what a file may declare; more fails the load.
constexpr int32_t kSkeletonMaxBones = 1024;
constexpr int32_t kAnimationMaxKeyframes = 4096;
constexpr int32_t kAnimationMaxActions = 1024;
constexpr int32_t kAnimationMaxBonesPerKeyframe = 1024;
constexpr int64_t kAnimationMaxEntries = 1 << 18; // bone rotations and action entries together
constexpr int32_t kBodyMaxSegments = 1024;
constexpr int64_t kBodyMaxVertices = 1 << 18;

Skeleton *SkeletonAllocate();
// 0; 1 no "Bone" line; 2 more than kSkeletonMaxBones bones.
int32_t SkeletonLoad(Skeleton *skeleton, const char *text, int32_t length, int32_t position);
Skeleton *SkeletonCreateCopy(const Skeleton *skeleton);
void SkeletonDispose(Skeleton *skeleton);
Bone *SkeletonGetBoneByID(Skeleton *skeleton, FourCharCode identifier);
void SkeletonCalculateMatrices(Skeleton *skeleton);
Vector SkeletonGetJointOffset(Skeleton *skeleton, FourCharCode identifier);
// The bone after bone in pre-order (children first, then siblings), or null.
Bone *SkeletonNextBone(Bone *bone);
int32_t SkeletonCountBones(const Skeleton *skeleton);

Animation *AnimationAllocate();
// 0; 1 no "Animation" line; 2 skeleton not registered; 3 a repeated, late or
// bad Num... line; 4 a Keyframe or Action before its count, or an action's
// keyframe entry before or beyond its count; 5 more keyframes, actions or
// keyframe bones than declared.
int32_t AnimationLoad(Animation *animation, const char *text, int32_t length, int32_t position);
Animation *AnimationCreateCopy(const Animation *animation, Skeleton *skeleton);
void AnimationDispose(Animation *animation);
CallbackController *AnimationGetCallbackController(Animation *animation);
Keyframe *AnimationGetKeyframeByIdentifier(Animation *animation, FourCharCode identifier);
Action *AnimationGetActionByIdentifier(Animation *animation, FourCharCode identifier);
void AnimationSetCurrentAction(Animation *animation, FourCharCode action, uint8_t restart);
FourCharCode AnimationGetCurrentAction(Animation *animation);
void AnimationSetSpeedMultiplier(Animation *animation, float multiplier);
void AnimationRun(Animation *animation, float seconds);
void AnimationApply(Animation *animation);
void AnimationFrameApply(const Keyframe *source, const Keyframe *target, float t, Skeleton *skeleton);

Body *BodyAllocate();
// 0; 1 no "Body" line; 2 animation not registered or without skeleton; 3
// Vertices before the Animation line; 6 a bone the skeleton lacks; 7 more
// Vertex lines than NumVertices, more segments than NumSegments, or a bad or
// late count.
int32_t BodyLoad(Body *body, const char *text, int32_t length, int32_t position);
void BodyDispose(Body *body);
Body *BodyCreateCopy(const Body *body);
Vertex4f BodyMultiplyVertex(const BodyVertex *vertex);
Vector BodyMultiplyNormal(const BodyVertex *vertex);
void BodyDraw(Body *body);
// Draws the pose that the last BodyDraw of this body skinned, without skinning
// it again (the bones must not have moved since).
void BodyDrawAgain(Body *body);
AABB BodyGetBounds(Body *body);
