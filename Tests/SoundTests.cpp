#include "Sound.h"

#include "AssetTestFolder.h"
#include "OggTestEncoder.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

const int kFrames = 2205;

// A Sounds folder with every effect but the one at index missing; index 0
// mono at 22050 Hz, index 1 stereo at 44100 Hz, the rest mono at 11025 Hz.
void FillSounds(const assettest::Folder &folder, int missing)
{
    for (int i = 0; i < kSoundCount; i++) {
        if (i == missing)
            continue;
        int channels = i == 1 ? 2 : 1;
        long rate = i == 0 ? 22050 : (i == 1 ? 44100 : 11025);
        ASSERT_TRUE(oggtest::WriteTone(folder.root / "Sounds" / SoundFileName(i), channels, rate, kFrames));
    }
}

ALint BufferValue(int index, ALenum parameter)
{
    ALint value = -1;
    alGetBufferi(SoundGetBuffer(index), parameter, &value);
    return value;
}

ALint SourceValue(int voice, ALenum parameter)
{
    ALint value = -1;
    alGetSourcei(SoundGetSource(voice), parameter, &value);
    return value;
}

// The sound system started on a Sounds folder with every effect but one.
class SoundSystem : public ::testing::Test {
protected:
    assettest::Folder folder;
    std::string output; // what the start-up printed

    void TearDown() override { SoundShutDown(); }
    // Fills the folder but for the effect missing, lets spoil damage it, and
    // starts up; false when there is no audio output, not even the null one.
    bool StartUp(int missing, void (*spoil)(const assettest::Folder &) = nullptr)
    {
        FillSounds(folder, missing);
        if (spoil)
            spoil(folder);
        testing::internal::CaptureStdout();
        SoundStartUp();
        output = testing::internal::GetCapturedStdout();
        return alcGetCurrentContext() != nullptr;
    }
};

} // namespace

TEST(Sound, TableNames)
{
    const std::pair<int, const char *> names[] = {{0, "Gem.ogg"},          {4, "Extra life.ogg"},
                                                  {9, "WalkStep0.ogg"},    {20, "RunStep5.ogg"},
                                                  {21, "LadderStep0.ogg"}, {27, "Jump.ogg"},
                                                  {31, "LevelSetComplete.ogg"}, {35, "BlockToggle.ogg"}};
    for (const auto &[index, name] : names)
        EXPECT_STREQ(name, SoundFileName(index)) << index;
    EXPECT_EQ(nullptr, SoundFileName(36));
    EXPECT_EQ(nullptr, SoundFileName(-1));
}

TEST_F(SoundSystem, DecodesEveryFileReportsTheMissingOneAndRotatesTheVoices)
{
    if (!StartUp(3))
        GTEST_SKIP() << "no audio output";
    EXPECT_NE(std::string::npos, output.find("Error: Could not find sound file Unlock.ogg\n")) << output;
    EXPECT_EQ(std::string::npos, output.find("alBufferData")) << output;
    // Channels, bits, rate and size of the mono and of the stereo effect.
    for (int i = 0; i < 2; i++)
        EXPECT_EQ((std::vector<ALint>{BufferValue(i, AL_CHANNELS), BufferValue(i, AL_BITS), BufferValue(i, AL_FREQUENCY),
                                      BufferValue(i, AL_SIZE)}),
                  (std::vector<ALint>{i + 1, 16, i ? 44100 : 22050, kFrames * 2 * (i + 1)}));
    EXPECT_EQ(0, BufferValue(3, AL_SIZE)) << "the missing one is an empty buffer";
    for (int i = 4; i < kSoundCount; i++)
        EXPECT_EQ(kFrames * 2, BufferValue(i, AL_SIZE)) << i;
    // Eight voices in turn; the ninth sound reuses the first.
    SoundSetEnabled(true);
    EXPECT_EQ(0, SoundGetSourceCycle());
    testing::internal::CaptureStdout();
    for (int i = 0; i < 8; i++) {
        SoundPlay(10 + i);
        EXPECT_EQ((i + 1) % 8, SoundGetSourceCycle());
        EXPECT_EQ(ALint(SoundGetBuffer(10 + i)), SourceValue(i, AL_BUFFER));
    }
    EXPECT_EQ(AL_PLAYING, SourceValue(0, AL_SOURCE_STATE));
    SoundPlay(30);
    EXPECT_EQ(1, SoundGetSourceCycle());
    EXPECT_EQ(ALint(SoundGetBuffer(30)), SourceValue(0, AL_BUFFER)) << "voice 0 was cut off for the ninth";
    EXPECT_EQ(ALint(SoundGetBuffer(11)), SourceValue(1, AL_BUFFER));
    EXPECT_EQ("", testing::internal::GetCapturedStdout());

    // Switched off: no voice is touched and the cycle stays.
    SoundSetEnabled(false);
    EXPECT_FALSE(SoundIsEnabled());
    SoundPlay(5);
    EXPECT_EQ(1, SoundGetSourceCycle());
    EXPECT_EQ(ALint(SoundGetBuffer(11)), SourceValue(1, AL_BUFFER));
    SoundSetEnabled(true);
    EXPECT_TRUE(SoundIsEnabled());
    testing::internal::CaptureStdout();
    SoundPlay(99);
    EXPECT_EQ(1, SoundGetSourceCycle());
    EXPECT_NE("", testing::internal::GetCapturedStdout());
    // The missing sound plays as silence without an error.
    testing::internal::CaptureStdout();
    SoundPlay(3);
    EXPECT_EQ("", testing::internal::GetCapturedStdout());
}

TEST_F(SoundSystem, CorruptFilesStaySilentAndTheRestLoad)
{
    auto spoil = [](const assettest::Folder &sounds) {
        sounds.Write("Sounds", "Key.ogg", "OggS but not really an ogg stream at all");
        // A real stream cut in half.
        std::filesystem::resize_file(sounds.root / "Sounds" / "Jump.ogg", 200);
    };
    if (!StartUp(-1, spoil))
        GTEST_SKIP() << "no audio output";
    EXPECT_NE(std::string::npos, output.find("Error: ov_open returned ")) << output;
    EXPECT_EQ((std::vector<ALint>{BufferValue(2, AL_SIZE), BufferValue(28, AL_SIZE), BufferValue(35, AL_SIZE)}),
              (std::vector<ALint>{0, kFrames * 2, kFrames * 2}));
}
