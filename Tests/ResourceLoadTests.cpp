// The shipped resources load through the game's own readers: every asset file
// through the registry without an alert, every identifier the game asks for
// with the right kind; block models fit their cells and the player's
// animation puts its feet down at its step markers.
#include "AssetTestFolder.h"
#include "GLTestContext.h"

#include "Folders.h"
#include "Model.h"
#include "ModelParser.h"
#include "Skeleton.h"
#include "Utilities.h"

#include <algorithm>
#include <cmath>

#include <string>
#include <vector>

namespace {

std::string Name(FourCharCode id)
{
    return {char(id >> 24), char(id >> 16), char(id >> 8), char(id)};
}

// Every model file of the build loaded into the registry, the alerts kept.
struct ShippedResources : testing::Test {
    void SetUp() override
    {
        REQUIRE_GL_CONTEXT();
        PlatformSetResourcesFolder(std::filesystem::path(BRIMHOLD_BINARY_DIR) / "Resources");
        assettest::Alerts().clear();
        setAlertPresenter(assettest::RecordAlert);
        ModelLoadAllModels();
        setAlertPresenter(nullptr);
    }
    void TearDown() override
    {
        ModelDisposeAllModels();
        PlatformSetResourcesFolder({});
    }
};

} // namespace

TEST_F(ShippedResources, EveryModelFileLoadsWithoutAnAlert)
{
    EXPECT_EQ(assettest::Alerts(), std::vector<std::string>{});
    EXPECT_GT(ModelGetNumberOfModels(), 60);

    for (FourCharCode id : {'Ston', 'Dspr', 'Appr', 'SwtB', 'Tprt', 'Ddly', 'Swtc', 'Phas', 'Ladr', 'Lckd', 'Prtl',
                            'Outl', 'BlkC', 'Gem ', 'XLif', 'Fthr', 'Key '}) {
        Model *m = ModelGetModelByIdentifier(kModelKindStatic, id);
        ASSERT_NE(m, nullptr) << Name(id);
        AABB b = StaticModelGetBounds(static_cast<StaticModel *>(m->data));
        EXPECT_LT(b.minX, b.maxX);
    }
    for (int32_t kind : {kModelKindSkeleton, kModelKindBody, kModelKindAnimation})
        EXPECT_NE(ModelGetModelByIdentifier(kind, 'Humn'), nullptr) << kind;
    for (FourCharCode id : {'none', 'Cmnt', 'Brck', 'Watr', 'Shdw', 'Paus', 'SplS', 'Logo', 'BtnU', 'BtnD', 'CbUU',
                            'CbUC', 'CbDU', 'CbDC', 'BlkT', 'PlrT', 'WtrT', 'BInT', 'StnT', 'PrtT', 'DdlT', 'LckT',
                            'SwtT', 'SwbT', 'LdrT', 'DspT', 'AprT', 'TprT', 'PhsT', 'GemT', 'FtrT', 'KeyT', 'XLfT'})
        EXPECT_NE(ModelGetModelByIdentifier(kModelKindShader, id), nullptr) << Name(id);

    // The player's animation has every action it is asked for.
    Animation *a = static_cast<Animation *>(ModelGetModelByIdentifier(kModelKindAnimation, 'Humn')->data);
    for (FourCharCode action : {'Stnd', 'WkFL', 'WkFR', 'RnFL', 'RnFR', 'Jump', 'Fall', 'LdUL', 'LdUR'})
        EXPECT_NE(AnimationGetActionByIdentifier(a, action), nullptr);
}

namespace {

AABB StaticBounds(FourCharCode id)
{
    Model *m = ModelGetModelByIdentifier(kModelKindStatic, id);
    return m ? StaticModelGetBounds(static_cast<StaticModel *>(m->data)) : AABB{1, 0, 1, 0, 1, 0};
}

// The box lies within [lo, hi] on every axis and, when it must fill it,
// spans more than 60 % of it across and up.
void ExpectWithin(FourCharCode id, Vector lo, Vector hi, bool fills = true)
{
    SCOPED_TRACE(Name(id));
    AABB b = StaticBounds(id);
    const float e = 0.001f;
    EXPECT_TRUE(b.minX >= lo.x - e && b.minY >= lo.y - e && b.minZ >= lo.z - e)
        << b.minX << ", " << b.minY << ", " << b.minZ;
    EXPECT_TRUE(b.maxX <= hi.x + e && b.maxY <= hi.y + e && b.maxZ <= hi.z + e)
        << b.maxX << ", " << b.maxY << ", " << b.maxZ;
    if (fills) {
        EXPECT_GT(b.maxX - b.minX, 0.6f * (hi.x - lo.x));
        EXPECT_GT(b.maxY - b.minY, 0.6f * (hi.y - lo.y));
    }
}

// The player's body posed by one keyframe of its animation.
struct Posed {
    Body *body;
    Animation *animation;
    // Lowest (or highest) height, or the furthest forward, of the vertices
    // driven mainly by one of the bones (any bone when none is named).
    float Extreme(FourCharCode keyframe, std::initializer_list<FourCharCode> bones, char what) const
    {
        const Keyframe *k = AnimationGetKeyframeByIdentifier(animation, keyframe);
        EXPECT_NE(k, nullptr);
        AnimationFrameApply(k, k, 0, body->skeleton);
        float result = what == 'l' ? 1e9f : -1e9f;
        for (int32_t s = 0; s < body->numSegments; s++)
            for (int32_t i = 0; i < body->segments[s].numVertices; i++) {
                const BodyVertex &v = body->segments[s].vertices[i];
                bool wanted = bones.size() == 0;
                for (FourCharCode b : bones)
                    wanted = wanted || (v.bones[0] && v.bones[0]->identifier == b);
                if (!wanted)
                    continue;
                Vertex4f p = BodyMultiplyVertex(&v);
                float y = p.y + body->skeleton->position.y;
                result = what == 'l' ? std::min(result, y) : what == 'h' ? std::max(result, y) : std::max(result, p.z);
            }
        return result;
    }
};

} // namespace

TEST_F(ShippedResources, BlockModelsFitTheirCellsAndThePlayerStepsWithItsMarkers)
{
    // Whole-cell blocks are drawn from the cell's corner.
    for (FourCharCode id : {'Ston', 'Dspr', 'Appr', 'SwtB', 'Phas', 'Lckd', 'Outl'})
        ExpectWithin(id, {0, 0, 0}, {6, 6, 6});
    EXPECT_FLOAT_EQ(StaticBounds('Ston').maxX - StaticBounds('Ston').minX, 6.0f);
    ExpectWithin('BlkC', {-0.1f, -0.1f, -0.1f}, {6.1f, 6.1f, 6.1f});
    // The deadly block's box is inset by 0.7 and its spikes reach it.
    ExpectWithin('Ddly', {0.7f, 0.7f, 0.7f}, {5.3f, 5.3f, 5.3f});
    EXPECT_NEAR(StaticBounds('Ddly').maxY, 5.3f, 0.01f);
    ExpectWithin('Tprt', {-3, -3, -3}, {3, 3, 3});
    ExpectWithin('Prtl', {-3, -3, -3}, {3, 3, 3});
    ExpectWithin('Swtc', {-1, -2, -1}, {1, 2, 1});
    // The ladder stands on the cell floor, rails and rungs inside its box.
    ExpectWithin('Ladr', {-1.15f, 0, -0.125f}, {1.15f, 6, 0.125f});
    // Powerups are centred on their position and smaller than a cell.
    for (FourCharCode id : {'Gem ', 'XLif', 'Fthr', 'Key '}) {
        ExpectWithin(id, {-1.8f, -1.8f, -1.8f}, {1.8f, 1.8f, 1.8f}, false);
        AABB b = StaticBounds(id);
        EXPECT_GT(b.maxY - b.minY, 1.5f);
        EXPECT_LT(std::fabs(b.maxY + b.minY), 0.6f);
    }

    Model *body = ModelGetModelByIdentifier(kModelKindBody, 'Humn');
    Model *animation = ModelGetModelByIdentifier(kModelKindAnimation, 'Humn');
    ASSERT_TRUE(body && animation);
    Posed f{static_cast<Body *>(body->data), static_cast<Animation *>(animation->data)};
    // About 5.6 units from the feet up, standing on the floor.
    AABB rest = BodyGetBounds(f.body);
    EXPECT_NEAR(rest.maxY - rest.minY, 5.6f, 0.15f);
    int standingOrWalking = 0;
    for (int32_t i = 0; i < f.animation->numKeyframes; i++) {
        FourCharCode k = f.animation->keyframes[i].identifier;
        if (k >> 8 == 'Std' || k >> 16 == 'Wk') {
            EXPECT_NEAR(f.Extreme(k, {}, 'l'), 0.0f, 0.08f) << i;
            standingOrWalking++;
        }
    }
    EXPECT_EQ(standingOrWalking, 15);
    // Walking: at Wk04 the left foot is down and ahead, at Wk10 the right;
    // between the markers the other foot swings clear of the floor.
    EXPECT_NEAR(f.Extreme('Wk04', {'FotL', 'ShnL'}, 'l'), 0.0f, 0.1f);
    EXPECT_GT(f.Extreme('Wk04', {'FotL'}, 'f'), f.Extreme('Wk04', {'FotR'}, 'f') + 0.5f);
    EXPECT_NEAR(f.Extreme('Wk10', {'FotR', 'ShnR'}, 'l'), 0.0f, 0.1f);
    EXPECT_GT(f.Extreme('Wk10', {'FotR'}, 'f'), f.Extreme('Wk10', {'FotL'}, 'f') + 0.5f);
    EXPECT_GT(f.Extreme('Wk07', {'FotR'}, 'l'), 0.15f);
    EXPECT_GT(f.Extreme('Wk01', {'FotL'}, 'l'), 0.15f);
    // Running: the left foot lands at Rn03, the right at Rn07, both feet
    // leave the floor in between.
    EXPECT_NEAR(f.Extreme('Rn03', {'FotL', 'ShnL'}, 'l'), 0.0f, 0.1f);
    EXPECT_NEAR(f.Extreme('Rn07', {'FotR', 'ShnR'}, 'l'), 0.0f, 0.1f);
    EXPECT_GT(f.Extreme('Rn05', {}, 'l'), 0.1f);
    EXPECT_GT(f.Extreme('Rn01', {}, 'l'), 0.1f);
    // Climbing: each hand grips at its highest point, above the head.
    for (FourCharCode k = 'LU01'; k <= 'LU08'; k++) {
        EXPECT_GE(f.Extreme('LU03', {'HndL'}, 'h'), f.Extreme(k, {'HndL'}, 'h') - 1e-5f);
        EXPECT_GE(f.Extreme('LU07', {'HndR'}, 'h'), f.Extreme(k, {'HndR'}, 'h') - 1e-5f);
    }
    EXPECT_GT(f.Extreme('LU03', {'HndL'}, 'h'), 5.6f);
}
