#include "Skeleton.h"

#include "Model.h"
#include "ModelParser.h"
#include "Utilities.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <unordered_map>
#include <vector>

static const float kDegreesToRadians = float(M_PI / 180.0);

template <typename T> static T *AllocateZeroed(int64_t count)
{
    if (count <= 0)
        return nullptr;
    T *p = static_cast<T *>(std::calloc(size_t(count), sizeof(T)));
    if (!p)
        throw std::bad_alloc();
    return p;
}

// ---- Skeletons ----

static Bone *BoneAllocate()
{
    Bone *bone = new Bone{};
    bone->identifier = 'none';
    bone->restOrientation = Quaternion{0, 0, 0, 1};
    bone->rotation = Quaternion{0, 0, 0, 1};
    MatrixInit(&bone->matrix);
    return bone;
}

static void BoneAppendChild(Bone *parent, Bone *child)
{
    child->parent = parent;
    if (!parent->firstChild) {
        parent->firstChild = child;
        return;
    }
    Bone *last = parent->firstChild;
    while (last->nextSibling)
        last = last->nextSibling;
    last->nextSibling = child;
}

Bone *SkeletonNextBone(Bone *bone)
{
    if (!bone)
        return nullptr;
    if (bone->firstChild)
        return bone->firstChild;
    while (bone) {
        if (bone->nextSibling)
            return bone->nextSibling;
        bone = bone->parent;
    }
    return nullptr;
}

int32_t SkeletonCountBones(const Skeleton *skeleton)
{
    int32_t count = 0;
    for (Bone *b = skeleton ? skeleton->root : nullptr; b; b = SkeletonNextBone(b))
        count++;
    return count;
}

Skeleton *SkeletonAllocate()
{
    return new Skeleton{};
}

static void DisposeBones(Bone *root)
{
    std::vector<Bone *> bones;
    for (Bone *b = root; b; b = SkeletonNextBone(b))
        bones.push_back(b);
    for (Bone *b : bones)
        delete b;
}

void SkeletonDispose(Skeleton *skeleton)
{
    if (!skeleton)
        return;
    DisposeBones(skeleton->root);
    delete skeleton;
}

// Each bone below the root starts at its parent's end point and extends along
// its own rest orientation's y axis; its offset becomes its own end point.
static void ComputeEndPoints(Skeleton *skeleton)
{
    for (Bone *b = skeleton->root ? SkeletonNextBone(skeleton->root) : nullptr; b; b = SkeletonNextBone(b)) {
        const Bone *p = b->parent;
        Matrix m, r;
        MatrixInit(&m);
        MatrixTranslate(&m, p->offset.x, p->offset.y, p->offset.z);
        QuaternionToMatrix(&b->restOrientation, &r);
        MatrixMultiply(&m, &r, &m);
        MatrixTranslate(&m, 0, b->length, 0);
        b->offset = Vector{m.m[12], m.m[13], m.m[14]};
    }
}

int32_t SkeletonLoad(Skeleton *skeleton, const char *text, int32_t length, int32_t position)
{
    position = ModelFindLine(text, length, position, "Bone");
    if (position < 0)
        return 1;
    Bone *current = nullptr;
    int32_t count = 0;
    ModelLine line;
    for (; position >= 0; position = ModelNextLine(text, length, position)) {
        ModelCopyLine(text, length, position, &line);
        float v[4];
        if (current && ModelScanCode(&line, "Identifier: ", &current->identifier)) {
        } else if (std::sscanf(line.text, "Offset: %f, %f, %f", &v[0], &v[1], &v[2]) == 3) {
            if (current)
                current->offset = Vector{v[0], v[1], v[2]};
        } else if (std::sscanf(line.text, "Orientation: %f, %f, %f; %f", &v[0], &v[1], &v[2], &v[3]) == 4) {
            if (current)
                current->restOrientation =
                    QuaternionFromAxisAngle(Vector{v[0], v[1], v[2]}, v[3] * kDegreesToRadians);
        } else if (std::sscanf(line.text, "Length: %f", &v[0]) == 1) {
            if (current)
                current->length = v[0];
        } else if (ModelLineBegins(&line, "Bone")) {
            if (++count > kSkeletonMaxBones)
                return 2;
            Bone *bone = BoneAllocate();
            if (!current)
                skeleton->root = bone;
            else
                BoneAppendChild(current, bone);
            current = bone;
        } else if (ModelLineBegins(&line, "End")) {
            current = current ? current->parent : nullptr;
            if (!current)
                break; // the root is closed
        }
    }
    ComputeEndPoints(skeleton);
    return 0;
}

Skeleton *SkeletonCreateCopy(const Skeleton *skeleton)
{
    Skeleton *copy = SkeletonAllocate();
    if (!skeleton)
        return copy;
    std::unordered_map<const Bone *, Bone *> copies;
    for (Bone *b = skeleton->root; b; b = SkeletonNextBone(b)) {
        Bone *c = BoneAllocate();
        c->identifier = b->identifier;
        c->restOrientation = b->restOrientation;
        c->offset = b->offset;
        c->rotation = b->rotation;
        c->length = b->length;
        c->matrix = b->matrix;
        copies[b] = c;
        if (b->parent)
            BoneAppendChild(copies[b->parent], c);
        else
            copy->root = c;
    }
    return copy;
}

Bone *SkeletonGetBoneByID(Skeleton *skeleton, FourCharCode identifier)
{
    for (Bone *b = skeleton ? skeleton->root : nullptr; b; b = SkeletonNextBone(b))
        if (b->identifier == identifier)
            return b;
    return nullptr;
}

void SkeletonCalculateMatrices(Skeleton *skeleton)
{
    for (Bone *b = skeleton ? skeleton->root : nullptr; b; b = SkeletonNextBone(b)) {
        if (!b->parent) {
            QuaternionToMatrix(&b->rotation, &b->matrix);
            continue;
        }
        const Bone *p = b->parent;
        Matrix m = p->matrix, r;
        MatrixTranslate(&m, p->offset.x, p->offset.y, p->offset.z);
        QuaternionToMatrix(&b->rotation, &r);
        MatrixMultiply(&m, &r, &m);
        MatrixTranslate(&m, -p->offset.x, -p->offset.y, -p->offset.z);
        b->matrix = m;
    }
}

Vector SkeletonGetJointOffset(Skeleton *skeleton, FourCharCode identifier)
{
    Bone *bone = SkeletonGetBoneByID(skeleton, identifier);
    if (!bone)
        return Vector{0, 0, 0};
    Vertex4f v = MatrixMultiplyVertex(&bone->matrix, Vertex4f{bone->offset.x, bone->offset.y, bone->offset.z, 1});
    return Vector{v.x, v.y, v.z};
}

// ---- Animations ----

Animation *AnimationAllocate()
{
    Animation *animation = new Animation{};
    animation->callbackController = CallbackControllerAllocate();
    animation->previousKeyframeIndex = -1;
    animation->currentKeyframeIndex = -1;
    animation->speedMultiplier = 1.0f;
    return animation;
}

void AnimationDispose(Animation *animation)
{
    if (!animation)
        return;
    CallbackControllerDispose(animation->callbackController);
    for (int32_t i = 0; i < animation->numKeyframes && animation->keyframes; i++)
        std::free(animation->keyframes[i].boneRotations);
    std::free(animation->keyframes);
    for (int32_t i = 0; i < animation->numActions && animation->actions; i++)
        std::free(animation->actions[i].keyframeIdentifiers);
    std::free(animation->actions);
    if (animation->ownsSkeleton)
        SkeletonDispose(animation->skeleton);
    delete animation;
}

int32_t AnimationLoad(Animation *animation, const char *text, int32_t length, int32_t position)
{
    position = ModelFindLine(text, length, position, "Animation");
    if (position < 0)
        return 1;
    enum { kTop, kKeyframeList, kKeyframe, kBoneList, kActionList, kAction } state = kTop;
    bool keyframesCounted = false, actionsCounted = false;
    bool bonesCounted = false, entriesCounted = false;
    int32_t nextKeyframe = 0, nextAction = 0, nextBone = 0, nextEntry = 0;
    int64_t entries = 0; // bone rotations and action entries allocated so far
    Keyframe *keyframe = nullptr;
    Action *action = nullptr;
    Quaternion pending{0, 0, 0, 0};
    ModelLine line;

    for (position = ModelNextLine(text, length, position); position >= 0;
         position = ModelNextLine(text, length, position)) {
        ModelCopyLine(text, length, position, &line);
        int number;
        float v[4];
        FourCharCode code;
        switch (state) {
        case kTop:
            if (ModelScanCode(&line, "Skeleton: ", &code)) {
                Model *entry = ModelGetModelByIdentifier(kModelKindSkeleton, code);
                if (!entry || !entry->data)
                    return 2;
                if (animation->ownsSkeleton)
                    SkeletonDispose(animation->skeleton);
                animation->skeleton = SkeletonCreateCopy(static_cast<Skeleton *>(entry->data));
                animation->ownsSkeleton = true;
            } else if (ModelLineBegins(&line, "Keyframes")) {
                state = kKeyframeList;
            } else if (ModelLineBegins(&line, "Actions")) {
                state = kActionList;
            } else if (ModelLineBegins(&line, "End")) {
                return 0;
            }
            break;
        case kKeyframeList:
            if (std::sscanf(line.text, "NumKeyframes: %d", &number) == 1) {
                if (keyframesCounted || number < 0 || number > kAnimationMaxKeyframes)
                    return 3;
                keyframesCounted = true;
                animation->keyframes = AllocateZeroed<Keyframe>(number);
                animation->numKeyframes = number;
            } else if (ModelLineBegins(&line, "Keyframe")) {
                if (!keyframesCounted)
                    return 4;
                if (nextKeyframe >= animation->numKeyframes)
                    return 5;
                keyframe = &animation->keyframes[nextKeyframe++];
                bonesCounted = false;
                state = kKeyframe;
            } else if (ModelLineBegins(&line, "End")) {
                state = kTop;
            }
            break;
        case kKeyframe:
            if (ModelScanCode(&line, "Identifier: ", &keyframe->identifier)) {
            } else if (std::sscanf(line.text, "Offset: %f, %f, %f", &v[0], &v[1], &v[2]) == 3) {
                keyframe->offset = Vector{v[0], v[1], v[2]};
            } else if (std::sscanf(line.text, "Interval: %f", &v[0]) == 1) {
                keyframe->interval = v[0];
            } else if (std::sscanf(line.text, "NumBones: %d", &number) == 1) {
                // The count may not change once its list exists.
                if (bonesCounted || number < 0 || number > kAnimationMaxBonesPerKeyframe)
                    return 3;
                keyframe->numBones = number;
            } else if (ModelLineBegins(&line, "Bones")) {
                std::free(keyframe->boneRotations);
                keyframe->boneRotations = nullptr;
                entries += keyframe->numBones;
                if (entries > kAnimationMaxEntries)
                    return 3;
                keyframe->boneRotations = AllocateZeroed<BoneRotation>(keyframe->numBones);
                bonesCounted = true;
                nextBone = 0;
                state = kBoneList;
            } else if (ModelLineBegins(&line, "End")) {
                state = kKeyframeList;
            }
            break;
        case kBoneList:
            if (std::sscanf(line.text, "Orientation: %f, %f, %f; %f", &v[0], &v[1], &v[2], &v[3]) == 4) {
                pending = QuaternionFromAxisAngle(Vector{v[0], v[1], v[2]}, v[3] * kDegreesToRadians);
            } else if (ModelScanCode(&line, "Bone: ", &code)) {
                if (nextBone >= keyframe->numBones)
                    return 5;
                keyframe->boneRotations[nextBone++] = BoneRotation{code, pending};
            } else if (ModelLineBegins(&line, "End")) {
                state = kKeyframe;
            }
            break;
        case kActionList:
            if (std::sscanf(line.text, "NumActions: %d", &number) == 1) {
                if (actionsCounted || number < 0 || number > kAnimationMaxActions)
                    return 3;
                actionsCounted = true;
                animation->actions = AllocateZeroed<Action>(number);
                animation->numActions = number;
            } else if (ModelLineBegins(&line, "Action")) {
                if (!actionsCounted)
                    return 4;
                if (nextAction >= animation->numActions)
                    return 5;
                action = &animation->actions[nextAction++];
                entriesCounted = false;
                state = kAction;
            } else if (ModelLineBegins(&line, "End")) {
                state = kTop;
            }
            break;
        case kAction:
            if (ModelScanCode(&line, "Identifier: ", &action->identifier)) {
            } else if (std::sscanf(line.text, "NumKeyframes: %d", &number) == 1) {
                if (entriesCounted || number < 0 || number > kAnimationMaxKeyframes)
                    return 3;
                entries += number;
                if (entries > kAnimationMaxEntries)
                    return 3;
                entriesCounted = true;
                action->keyframeIdentifiers = AllocateZeroed<FourCharCode>(number);
                action->numKeyframes = number;
                nextEntry = 0;
            } else if (ModelScanCode(&line, "Keyframe: ", &code)) {
                if (!entriesCounted || nextEntry >= action->numKeyframes)
                    return 4;
                action->keyframeIdentifiers[nextEntry++] = code;
            } else if (ModelLineBegins(&line, "End")) {
                state = kActionList;
            }
            break;
        }
    }
    return 0;
}

Animation *AnimationCreateCopy(const Animation *animation, Skeleton *skeleton)
{
    Animation *copy = new Animation{};
    copy->skeleton = skeleton;
    copy->ownsSkeleton = false;
    copy->callbackController = CallbackControllerCreateCopy(animation->callbackController);
    copy->numKeyframes = animation->numKeyframes;
    copy->keyframes = AllocateZeroed<Keyframe>(animation->numKeyframes);
    for (int32_t i = 0; i < animation->numKeyframes; i++) {
        const Keyframe *k = &animation->keyframes[i];
        copy->keyframes[i] = *k;
        copy->keyframes[i].boneRotations = nullptr;
        if (k->boneRotations) {
            copy->keyframes[i].boneRotations = AllocateZeroed<BoneRotation>(k->numBones);
            if (k->numBones > 0)
                std::memcpy(copy->keyframes[i].boneRotations, k->boneRotations,
                            sizeof(BoneRotation) * size_t(k->numBones));
        }
    }
    copy->numActions = animation->numActions;
    copy->actions = AllocateZeroed<Action>(animation->numActions);
    for (int32_t i = 0; i < animation->numActions; i++) {
        const Action *a = &animation->actions[i];
        copy->actions[i] = *a;
        copy->actions[i].keyframeIdentifiers = AllocateZeroed<FourCharCode>(a->numKeyframes);
        if (a->keyframeIdentifiers && a->numKeyframes > 0)
            std::memcpy(copy->actions[i].keyframeIdentifiers, a->keyframeIdentifiers,
                        sizeof(FourCharCode) * size_t(a->numKeyframes));
    }
    copy->previousAction = animation->previousAction;
    copy->previousKeyframeIndex = animation->previousKeyframeIndex;
    copy->currentAction = animation->currentAction;
    copy->currentKeyframeIndex = animation->currentKeyframeIndex;
    copy->progress = animation->progress;
    copy->speedMultiplier = animation->speedMultiplier;
    return copy;
}

CallbackController *AnimationGetCallbackController(Animation *animation)
{
    return animation->callbackController;
}

Keyframe *AnimationGetKeyframeByIdentifier(Animation *animation, FourCharCode identifier)
{
    for (int32_t i = 0; i < animation->numKeyframes && animation->keyframes; i++)
        if (animation->keyframes[i].identifier == identifier)
            return &animation->keyframes[i];
    return nullptr;
}

Action *AnimationGetActionByIdentifier(Animation *animation, FourCharCode identifier)
{
    for (int32_t i = 0; i < animation->numActions && animation->actions; i++)
        if (animation->actions[i].identifier == identifier)
            return &animation->actions[i];
    return nullptr;
}

// The keyframe named by the action's entry at index, or null.
static Keyframe *KeyframeOfAction(Animation *animation, Action *action, int32_t index)
{
    if (!action || !action->keyframeIdentifiers || index < 0 || index >= action->numKeyframes)
        return nullptr;
    return AnimationGetKeyframeByIdentifier(animation, action->keyframeIdentifiers[index]);
}

void AnimationSetCurrentAction(Animation *animation, FourCharCode action, uint8_t restart)
{
    if (!restart && animation->previousAction != 0 && animation->previousKeyframeIndex != -1) {
        animation->previousAction = animation->currentAction;
        animation->previousKeyframeIndex = animation->currentKeyframeIndex;
    } else {
        animation->previousAction = action;
        animation->previousKeyframeIndex = 0;
    }
    animation->currentAction = action;
    animation->currentKeyframeIndex = 0;
    animation->progress = 0;
}

FourCharCode AnimationGetCurrentAction(Animation *animation)
{
    return animation->currentAction;
}

void AnimationSetSpeedMultiplier(Animation *animation, float multiplier)
{
    animation->speedMultiplier = multiplier;
}

void AnimationRun(Animation *animation, float seconds)
{
    Action *action = AnimationGetActionByIdentifier(animation, animation->currentAction);
    if (!action || action->numKeyframes <= 0)
        return;
    Keyframe *target = KeyframeOfAction(animation, action, animation->currentKeyframeIndex);
    if (target)
        animation->progress += seconds / target->interval * animation->speedMultiplier;

    float progress = animation->progress;
    int32_t step;
    if (std::isnan(progress)) {
        // A zero interval with no time passed: stay at the source keyframe.
        animation->progress = 0;
        return;
    } else if (progress > 1) {
        // Subtract whole units until at most 1 (at least one), in one step so
        // that huge values cannot stall; an infinite value lands on 0.
        progress = std::isinf(progress) ? 0 : progress - std::max(1.0f, std::ceil(progress - 1));
        step = 1;
    } else if (progress < 0) {
        progress = std::isinf(progress) ? 0 : progress + std::max(1.0f, std::ceil(-progress));
        step = -1;
    } else {
        return;
    }
    animation->progress = progress;
    animation->previousAction = animation->currentAction;
    animation->previousKeyframeIndex = animation->currentKeyframeIndex;
    int32_t count = action->numKeyframes;
    int32_t index = animation->currentKeyframeIndex + step;
    index = ((index % count) + count) % count;
    animation->currentKeyframeIndex = index;

    Keyframe *next = KeyframeOfAction(animation, action, index);
    if (next)
        CallbackControllerDispatchCallback(animation->callbackController, int32_t(next->identifier), animation);
}

void AnimationApply(Animation *animation)
{
    Keyframe *source = KeyframeOfAction(animation, AnimationGetActionByIdentifier(animation, animation->previousAction),
                                        animation->previousKeyframeIndex);
    Keyframe *target = KeyframeOfAction(animation, AnimationGetActionByIdentifier(animation, animation->currentAction),
                                        animation->currentKeyframeIndex);
    if (source && target)
        AnimationFrameApply(source, target, animation->progress, animation->skeleton);
}

void AnimationFrameApply(const Keyframe *source, const Keyframe *target, float t, Skeleton *skeleton)
{
    if (!source || !target || !skeleton)
        return;
    // Entries pair by position; a shorter list ends the pairing.
    int32_t pairs = std::min(source->numBones, target->numBones);
    if (!source->boneRotations || !target->boneRotations)
        pairs = 0;
    for (int32_t i = 0; i < pairs; i++) {
        const BoneRotation *from = &source->boneRotations[i];
        Bone *bone = SkeletonGetBoneByID(skeleton, from->bone);
        if (!bone) {
            char name[5] = {char(from->bone >> 24), char(from->bone >> 16), char(from->bone >> 8), char(from->bone),
                            0};
            std::printf("AnimationFrameApply: Bone not found: '%.4s'\n", name);
            continue;
        }
        bone->rotation = QuaternionSLERP(from->rotation, target->boneRotations[i].rotation, t);
    }
    SkeletonCalculateMatrices(skeleton);
    double s = t;
    skeleton->position = Vector{float(source->offset.x * (1.0 - s) + target->offset.x * s),
                                float(source->offset.y * (1.0 - s) + target->offset.y * s),
                                float(source->offset.z * (1.0 - s) + target->offset.z * s)};
}

// ---- Bodies ----

Body *BodyAllocate()
{
    Body *body = new Body{};
    body->orientation = Quaternion{0, 0, 0, 1};
    return body;
}

void BodyDispose(Body *body)
{
    if (!body)
        return;
    for (int32_t i = 0; i < body->numSegments && body->segments; i++)
        std::free(body->segments[i].vertices);
    std::free(body->segments);
    if (body->ownsSkeleton)
        SkeletonDispose(body->skeleton);
    delete body;
}

int32_t BodyLoad(Body *body, const char *text, int32_t length, int32_t position)
{
    position = ModelFindLine(text, length, position, "Body");
    if (position < 0)
        return 1;
    enum { kOutside, kSegment, kVertices } state = kOutside;
    bool segmentsCounted = false;
    int32_t nextSegment = 0, stored = 0, capacity = 0;
    bool verticesMade = false; // the open segment's records exist (maybe none)
    int64_t total = 0;
    BodySegment *segment = nullptr;
    BodyVertex current{};
    ModelLine line;

    for (position = ModelNextLine(text, length, position); position >= 0;
         position = ModelNextLine(text, length, position)) {
        ModelCopyLine(text, length, position, &line);
        int number;
        float v[4];
        FourCharCode code;
        char word[256] = {0};
        switch (state) {
        case kOutside:
            if (ModelScanCode(&line, "Animation: ", &code)) {
                Model *entry = ModelGetModelByIdentifier(kModelKindAnimation, code);
                Animation *animation = entry ? static_cast<Animation *>(entry->data) : nullptr;
                if (!animation || !animation->skeleton)
                    return 2;
                if (body->ownsSkeleton)
                    SkeletonDispose(body->skeleton);
                body->skeleton = animation->skeleton;
                body->ownsSkeleton = false;
            } else if (std::sscanf(line.text, "NumSegments: %d", &number) == 1) {
                if (segmentsCounted || number < 0 || number > kBodyMaxSegments)
                    return 7;
                segmentsCounted = true;
                body->segments = AllocateZeroed<BodySegment>(number);
                body->numSegments = number;
            } else if (ModelLineBegins(&line, "Segment")) {
                if (nextSegment >= body->numSegments)
                    return 7;
                segment = &body->segments[nextSegment++];
                verticesMade = false;
                capacity = 0;
                state = kSegment;
            } else if (ModelLineBegins(&line, "End")) {
                return 0;
            }
            break;
        case kSegment:
            if (ModelScanCode(&line, "Identifier: ", &segment->identifier) ||
                ModelScanCode(&line, "Shader: ", &segment->shader)) {
            } else if (std::sscanf(line.text, "PrimitiveType: %255s", word) == 1) {
                StaticModelPrimitiveFromName(word, &segment->primitiveType);
            } else if (std::sscanf(line.text, "NumVertices: %d", &number) == 1) {
                if (number < 0 || verticesMade || total + number > kBodyMaxVertices)
                    return 7;
                total += number;
                segment->numVertices = number;
            } else if (std::strncmp(line.text, "Verti", 5) == 0) {
                if (!body->skeleton)
                    return 3;
                std::free(segment->vertices);
                segment->vertices = AllocateZeroed<BodyVertex>(segment->numVertices);
                current = BodyVertex{};
                current.w = 1;
                current.nz = -1;
                current.r = current.g = current.b = current.a = 1;
                current.weights[0] = 1;
                verticesMade = true;
                capacity = segment->numVertices;
                stored = 0;
                state = kVertices;
            } else if (ModelLineBegins(&line, "End")) {
                state = kOutside;
            }
            break;
        case kVertices:
            if (std::sscanf(line.text, "Vertex: %f, %f, %f", &v[0], &v[1], &v[2]) == 3) {
                if (stored >= capacity)
                    return 7;
                BodyVertex *out = &segment->vertices[stored++];
                *out = current;
                out->x = v[0], out->y = v[1], out->z = v[2], out->w = 1;
            } else if (std::sscanf(line.text, "Normal: %f, %f, %f", &v[0], &v[1], &v[2]) == 3) {
                current.nx = v[0], current.ny = v[1], current.nz = v[2];
            } else if (std::sscanf(line.text, "TexCoord: %f, %f", &v[0], &v[1]) == 2) {
                current.s = v[0], current.t = v[1];
            } else if (std::sscanf(line.text, "Color: %f, %f, %f, %f", &v[0], &v[1], &v[2], &v[3]) == 4) {
                current.r = v[0], current.g = v[1], current.b = v[2], current.a = v[3];
            } else if (std::sscanf(line.text, "Bone%d: '%4s'", &number, word) == 2) {
                code = ModelCodeFromChars(word);
                if (number < 1 || number > 4 || code == 'none')
                    break;
                Bone *bone = SkeletonGetBoneByID(body->skeleton, code);
                if (!bone) {
                    alertf("Bone not found: %.4s", word);
                    return 6;
                }
                current.bones[number - 1] = bone;
            } else if (std::sscanf(line.text, "Weight1: %f", &v[0]) == 1) {
                current.weights[0] = v[0];
            } else if (std::sscanf(line.text, "Weight2: %f", &v[0]) == 1) {
                current.weights[1] = v[0];
            } else if (std::sscanf(line.text, "Weight3: %f", &v[0]) == 1) {
                current.weights[2] = v[0];
            } else if (std::sscanf(line.text, "Weight4: %f", &v[0]) == 1) {
                current.weights[3] = v[0];
            } else if (ModelLineBegins(&line, "End")) {
                state = kSegment;
            }
            break;
        }
    }
    return 0;
}

Body *BodyCreateCopy(const Body *body)
{
    Body *copy = BodyAllocate();
    copy->skeleton = body->skeleton ? SkeletonCreateCopy(body->skeleton) : nullptr;
    copy->ownsSkeleton = copy->skeleton != nullptr;
    copy->position = body->position;
    copy->orientation = body->orientation;
    copy->numSegments = body->numSegments;
    copy->segments = AllocateZeroed<BodySegment>(body->numSegments);
    for (int32_t i = 0; i < body->numSegments; i++) {
        const BodySegment *from = &body->segments[i];
        BodySegment *to = &copy->segments[i];
        *to = *from;
        to->vertices = nullptr;
        if (!from->vertices)
            continue;
        to->vertices = AllocateZeroed<BodyVertex>(from->numVertices);
        for (int32_t j = 0; j < from->numVertices; j++) {
            to->vertices[j] = from->vertices[j];
            for (int k = 0; k < 4; k++)
                if (from->vertices[j].bones[k])
                    to->vertices[j].bones[k] =
                        SkeletonGetBoneByID(copy->skeleton, from->vertices[j].bones[k]->identifier);
        }
    }
    return copy;
}

// Bone slots in use: from slot 1 up to the first empty one.
static int UsedBoneSlots(const BodyVertex *vertex)
{
    int used = 0;
    while (used < 4 && vertex->bones[used])
        used++;
    return used;
}

Vertex4f BodyMultiplyVertex(const BodyVertex *vertex)
{
    Vertex4f position{vertex->x, vertex->y, vertex->z, vertex->w};
    int used = UsedBoneSlots(vertex);
    if (used == 0)
        return position;
    if (used == 1)
        return MatrixMultiplyVertex(&vertex->bones[0]->matrix, position);
    Vertex4f sum{0, 0, 0, 0};
    for (int i = 0; i < used; i++) {
        Vertex4f p = MatrixMultiplyVertex(&vertex->bones[i]->matrix, position);
        float w = vertex->weights[i];
        sum.x += w * p.x;
        sum.y += w * p.y;
        sum.z += w * p.z;
        sum.w += w * p.w;
    }
    return sum;
}

Vector BodyMultiplyNormal(const BodyVertex *vertex)
{
    Vector normal{vertex->nx, vertex->ny, vertex->nz};
    int used = UsedBoneSlots(vertex);
    if (used == 0)
        return normal;
    if (used == 1)
        return MatrixMultiplyNormal(&vertex->bones[0]->matrix, normal);
    Vector sum{0, 0, 0};
    for (int i = 0; i < used; i++) {
        Vector n = MatrixMultiplyNormal(&vertex->bones[i]->matrix, normal);
        float w = vertex->weights[i];
        sum.x += w * n.x;
        sum.y += w * n.y;
        sum.z += w * n.z;
    }
    return sum;
}

AABB BodyGetBounds(Body *body)
{
    AABB box{FLT_MAX, -FLT_MAX, FLT_MAX, -FLT_MAX, FLT_MAX, -FLT_MAX};
    if (!body)
        return box;
    for (int32_t i = 0; i < body->numSegments; i++) {
        const BodySegment *segment = &body->segments[i];
        for (int32_t j = 0; j < segment->numVertices && segment->vertices; j++) {
            const BodyVertex *v = &segment->vertices[j];
            box.minX = std::min(box.minX, v->x);
            box.maxX = std::max(box.maxX, v->x);
            box.minY = std::min(box.minY, v->y);
            box.maxY = std::max(box.maxY, v->y);
            box.minZ = std::min(box.minZ, v->z);
            box.maxZ = std::max(box.maxZ, v->z);
        }
    }
    return box;
}
