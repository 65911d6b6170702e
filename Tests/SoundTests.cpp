#include "Sound.h"

#include "AssetTestFolder.h"
#include "OggTestEncoder.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <gtest/gtest.h>

#include <string>

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

bool HaveContext()
{
    return alcGetCurrentContext() != nullptr;
}

} // namespace

TEST(Sound, TableNames)
{
    EXPECT_STREQ("Gem.ogg", SoundFileName(0));
    EXPECT_STREQ("Extra life.ogg", SoundFileName(4));
    EXPECT_STREQ("WalkStep0.ogg", SoundFileName(9));
    EXPECT_STREQ("RunStep5.ogg", SoundFileName(20));
    EXPECT_STREQ("LadderStep0.ogg", SoundFileName(21));
    EXPECT_STREQ("Jump.ogg", SoundFileName(27));
    EXPECT_STREQ("LevelSetComplete.ogg", SoundFileName(31));
    EXPECT_STREQ("BlockToggle.ogg", SoundFileName(35));
    EXPECT_EQ(nullptr, SoundFileName(36));
    EXPECT_EQ(nullptr, SoundFileName(-1));
}

TEST(Sound, DecodesEveryFileAndReportsTheMissingOne)
{
    assettest::Folder folder("sounds");
    FillSounds(folder, 3);
    testing::internal::CaptureStdout();
    SoundStartUp();
    std::string output = testing::internal::GetCapturedStdout();
    if (!HaveContext()) {
        SoundShutDown();
        GTEST_SKIP() << "no audio output, not even the null one";
    }
    EXPECT_NE(std::string::npos, output.find("Error: Could not find sound file Unlock.ogg\n")) << output;
    EXPECT_EQ(std::string::npos, output.find("alBufferData")) << output;
    EXPECT_EQ(1, BufferValue(0, AL_CHANNELS));
    EXPECT_EQ(16, BufferValue(0, AL_BITS));
    EXPECT_EQ(22050, BufferValue(0, AL_FREQUENCY));
    EXPECT_EQ(kFrames * 2, BufferValue(0, AL_SIZE));
    EXPECT_EQ(2, BufferValue(1, AL_CHANNELS));
    EXPECT_EQ(44100, BufferValue(1, AL_FREQUENCY));
    EXPECT_EQ(kFrames * 4, BufferValue(1, AL_SIZE));
    EXPECT_EQ(0, BufferValue(3, AL_SIZE)) << "the missing one is an empty buffer";
    for (int i = 4; i < kSoundCount; i++)
        EXPECT_EQ(kFrames * 2, BufferValue(i, AL_SIZE)) << i;
    // The missing sound plays as silence without an error.
    SoundSetEnabled(true);
    testing::internal::CaptureStdout();
    SoundPlay(3);
    EXPECT_EQ("", testing::internal::GetCapturedStdout());
    SoundShutDown();
}

TEST(Sound, CorruptFilesStaySilentAndTheRestLoad)
{
    assettest::Folder folder("badsounds");
    FillSounds(folder, -1);
    folder.Write("Sounds", "Key.ogg", "OggS but not really an ogg stream at all");
    // A real stream cut in half.
    std::filesystem::resize_file(folder.root / "Sounds" / "Jump.ogg", 200);
    testing::internal::CaptureStdout();
    SoundStartUp();
    std::string output = testing::internal::GetCapturedStdout();
    if (!HaveContext()) {
        SoundShutDown();
        GTEST_SKIP() << "no audio output";
    }
    EXPECT_NE(std::string::npos, output.find("Error: ov_open returned ")) << output;
    EXPECT_EQ(0, BufferValue(2, AL_SIZE));
    EXPECT_EQ(kFrames * 2, BufferValue(28, AL_SIZE));
    EXPECT_EQ(kFrames * 2, BufferValue(35, AL_SIZE));
    SoundShutDown();
}

TEST(Sound, VoicesRotateAndTheNinthReusesTheFirst)
{
    assettest::Folder folder("voices");
    FillSounds(folder, -1);
    testing::internal::CaptureStdout();
    SoundStartUp();
    testing::internal::GetCapturedStdout();
    if (!HaveContext()) {
        SoundShutDown();
        GTEST_SKIP() << "no audio output";
    }
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
    SoundShutDown();
}
