// The shipped resources load through the game's own readers: every asset file
// through the registry without an alert, every identifier the game asks for
// with the right kind, and every sound effect into its buffer.
#include "GLTestContext.h"

#include "Folders.h"
#include "Model.h"
#include "ModelParser.h"
#include "Skeleton.h"
#include "Sound.h"
#include "Utilities.h"

#include <AL/al.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> alerts;

void RecordAlert(const char *message)
{
    alerts.push_back(message);
}

struct ShippedResources : testing::Test {
    void SetUp() override { PlatformSetResourcesFolder(std::filesystem::path(BRIMHOLD_BINARY_DIR) / "Resources"); }
    void TearDown() override { PlatformSetResourcesFolder({}); }
};

} // namespace

TEST_F(ShippedResources, EveryModelFileLoadsWithoutAnAlert)
{
    REQUIRE_GL_CONTEXT();
    alerts.clear();
    setAlertPresenter(RecordAlert);
    ModelLoadAllModels();
    setAlertPresenter(nullptr);
    EXPECT_TRUE(alerts.empty()) << alerts.front();
    EXPECT_GT(ModelGetNumberOfModels(), 60);

    for (FourCharCode id : {'Ston', 'Dspr', 'Appr', 'SwtB', 'Tprt', 'Ddly', 'Swtc', 'Phas', 'Ladr', 'Lckd', 'Prtl',
                            'Outl', 'BlkC', 'Gem ', 'XLif', 'Fthr', 'Key '}) {
        Model *m = ModelGetModelByIdentifier(kModelKindStatic, id);
        ASSERT_NE(m, nullptr) << std::string{char(id >> 24), char(id >> 16), char(id >> 8), char(id)};
        AABB b = StaticModelGetBounds(static_cast<StaticModel *>(m->data));
        EXPECT_LT(b.minX, b.maxX);
    }
    EXPECT_NE(ModelGetModelByIdentifier(kModelKindSkeleton, 'Humn'), nullptr);
    EXPECT_NE(ModelGetModelByIdentifier(kModelKindBody, 'Humn'), nullptr);
    EXPECT_NE(ModelGetModelByIdentifier(kModelKindAnimation, 'Humn'), nullptr);
    for (FourCharCode id : {'none', 'Cmnt', 'Brck', 'Watr', 'Shdw', 'Paus', 'SplS', 'Logo', 'BtnU', 'BtnD', 'CbUU',
                            'CbUC', 'CbDU', 'CbDC', 'BlkT', 'PlrT', 'WtrT', 'BInT', 'StnT', 'PrtT', 'DdlT', 'LckT',
                            'SwtT', 'SwbT', 'LdrT', 'DspT', 'AprT', 'TprT', 'PhsT', 'GemT', 'FtrT', 'KeyT', 'XLfT'})
        EXPECT_NE(ModelGetModelByIdentifier(kModelKindShader, id), nullptr)
            << std::string{char(id >> 24), char(id >> 16), char(id >> 8), char(id)};

    // The player's animation has every action it is asked for.
    Animation *a = static_cast<Animation *>(ModelGetModelByIdentifier(kModelKindAnimation, 'Humn')->data);
    for (FourCharCode action : {'Stnd', 'WkFL', 'WkFR', 'RnFL', 'RnFR', 'Jump', 'Fall', 'LdUL', 'LdUR'})
        EXPECT_NE(AnimationGetActionByIdentifier(a, action), nullptr);
    ModelDisposeAllModels();
}

TEST_F(ShippedResources, EverySoundEffectFillsItsBuffer)
{
    testing::internal::CaptureStdout();
    SoundStartUp();
    std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed.find("Error"), std::string::npos) << printed;
    int stereo = 0;
    for (int32_t i = 0; i < kSoundCount; i++) {
        ALint size = 0, channels = 0;
        alGetBufferi(SoundGetBuffer(i), AL_SIZE, &size);
        alGetBufferi(SoundGetBuffer(i), AL_CHANNELS, &channels);
        EXPECT_GT(size, 1000) << SoundFileName(i);
        stereo += channels == 2;
    }
    EXPECT_GE(stereo, 1);
    SoundShutDown();
}
