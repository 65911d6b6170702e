// The game's shipped sounds and textures, read through the game's own
// decoders: every effect of the sound table is short, audible and distinct,
// every texture is a power-of-two picture. The tools that write them are run
// a second time to show that they write the same bytes.
#include "Image.h"
#include "LevelWorldSupport.h"
#include "Sound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using levelworld::ReadBytes;

namespace {

const fs::path kResources = fs::path(BRIMHOLD_BINARY_DIR) / "Resources";

std::vector<int16_t> Samples(const SoundPCM &pcm)
{
    std::vector<int16_t> s(pcm.data.size() / 2);
    for (size_t i = 0; i < s.size(); i++)
        s[i] = int16_t(uint16_t(pcm.data[2 * i] | pcm.data[2 * i + 1] << 8));
    return s;
}

int Loudest(const std::vector<int16_t> &s, size_t from, size_t to)
{
    int peak = 0;
    for (size_t k = from; k < to; k++)
        peak = std::max(peak, std::abs(int(s[k])));
    return peak;
}

TEST(ContentSounds, EveryEffectOfTheTableDecodesShortAudibleAndDistinct)
{
    int stereo = 0;
    std::set<std::vector<uint8_t>> distinct;
    for (int32_t i = 0; i < kSoundCount; i++) {
        ASSERT_NE(SoundFileName(i), nullptr) << i;
        std::string name = SoundFileName(i);
        SCOPED_TRACE(name);
        SoundPCM pcm;
        ASSERT_TRUE(SoundDecodeFile(kResources / "Sounds" / name, &pcm));
        ASSERT_TRUE(pcm.channels == 1 || pcm.channels == 2);
        ASSERT_GT(pcm.rate, 8000);
        std::vector<int16_t> s = Samples(pcm);
        double seconds = double(s.size()) / pcm.channels / pcm.rate;
        bool step = name.find("Step") != std::string::npos;
        EXPECT_GT(seconds, 0.05);
        EXPECT_LT(seconds, step ? 0.3 : 3.0);
        int peak = Loudest(s, 0, s.size());
        double energy = 0;
        for (int16_t v : s)
            energy += double(v) * v;
        EXPECT_GT(peak, 6000) << "too quiet";
        EXPECT_LT(peak, 32767) << "clipped";
        EXPECT_GT(std::sqrt(energy / double(s.size())), 300.0) << "nearly silent";
        stereo += pcm.channels == 2;
        distinct.insert(pcm.data);
        // A step is loudest in its first 30 % and far quieter in its last half.
        if (step) {
            EXPECT_GT(Loudest(s, 0, s.size() * 3 / 10), 4 * Loudest(s, s.size() / 2, s.size()));
        }
    }
    EXPECT_EQ(SoundFileName(kSoundCount), nullptr);
    EXPECT_GE(stereo, 1);
    EXPECT_EQ(distinct.size(), size_t(kSoundCount)) << "two effects sound exactly alike";
}

TEST(ContentTextures, EveryImageIsAPowerOfTwoPictureAndShadowsFadeOut)
{
    auto powerOfTwo = [](int n) { return n > 0 && (n & (n - 1)) == 0; };
    int count = 0;
    for (const fs::directory_entry &e : fs::directory_iterator(kResources / "Textures")) {
        SCOPED_TRACE(e.path().filename().string());
        EXPECT_EQ(e.path().extension(), ".png");
        PlatformImage image;
        ASSERT_TRUE(PlatformReadPNG(e.path(), &image));
        EXPECT_TRUE(powerOfTwo(image.width) && powerOfTwo(image.height));
        std::set<uint32_t> colours(image.pixels.begin(), image.pixels.end());
        EXPECT_GE(colours.size(), 8u) << "a blank";
        count++;
    }
    EXPECT_GE(count, 35);

    // Rows are stored bottom first; alpha is the top byte.
    auto alpha = [](const PlatformImage &p, int x, int y) { return p.pixels[size_t(y * p.width + x)] >> 24; };
    PlatformImage shadow;
    ASSERT_TRUE(PlatformReadPNG(kResources / "Textures" / "Shdw.png", &shadow));
    EXPECT_EQ(alpha(shadow, 0, 0), 0u);
    EXPECT_EQ(alpha(shadow, shadow.width / 2, 0), 0u);
    EXPECT_GT(alpha(shadow, shadow.width / 2, shadow.height / 2), 128u);
    for (const char *name : {"Paus.png", "SplS.png"}) {
        PlatformImage p;
        ASSERT_TRUE(PlatformReadPNG(kResources / "Textures" / name, &p));
        EXPECT_EQ(alpha(p, 0, 0), 0u) << name;
        EXPECT_EQ(alpha(p, p.width - 1, p.height - 1), 0u) << name;
    }
}

// The build declares every file the tools write (so it reruns them when one
// goes missing): each file's name appears in the build's resource list.
TEST(ContentTools, TheBuildDeclaresEveryFileTheToolsWrite)
{
    std::vector<uint8_t> listBytes = ReadBytes(fs::path(BRIMHOLD_SOURCE_DIR) / "Tools" / "ResourceList.cmake");
    std::string list(listBytes.begin(), listBytes.end());
    ASSERT_FALSE(list.empty());
    std::set<std::string> tokens;
    std::string token;
    for (char c : list + " ") {
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_') {
            token += c;
        } else if (!token.empty()) {
            tokens.insert(token);
            token.clear();
        }
    }
    for (const char *folder : {"Models", "Textures"})
        for (const fs::directory_entry &e : fs::directory_iterator(kResources / folder))
            EXPECT_TRUE(tokens.count(e.path().stem().string()) || tokens.count(e.path().filename().string()))
                << e.path().filename();
    // Sounds are declared by the game's own sound list, which the build reads.
    std::vector<uint8_t> soundBytes = ReadBytes(fs::path(BRIMHOLD_SOURCE_DIR) / "Source" / "Sound" / "SoundFiles.inc");
    std::string sounds(soundBytes.begin(), soundBytes.end());
    for (const fs::directory_entry &e : fs::directory_iterator(kResources / "Sounds"))
        EXPECT_NE(sounds.find("\"" + e.path().filename().string() + "\""), std::string::npos) << e.path().filename();
}

TEST(ContentTools, EveryToolWritesTheSameBytesOnEveryRun)
{
    const struct {
        const char *tool, *folder, *extra;
    } runs[] = {{"ModelMaker", "Models", ""},
                {"SoundMaker", "Sounds", ""},
                {"TextureMaker", "Textures", " /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"}};
    for (const auto &run : runs) {
        SCOPED_TRACE(run.tool);
        levelworld::TemporaryFolder temporary;
        fs::path out = temporary.path() / run.folder;
        fs::path program = fs::path(BRIMHOLD_BINARY_DIR) / "Tools" / run.tool;
        ASSERT_TRUE(fs::is_regular_file(program)) << program;
        std::string command = "\"" + program.string() + "\" \"" + out.string() + "\"" + run.extra + " > /dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        int files = 0;
        for (const fs::directory_entry &e : fs::directory_iterator(out)) {
            fs::path shipped = kResources / run.folder / e.path().filename();
            ASSERT_TRUE(fs::is_regular_file(shipped)) << shipped;
            EXPECT_TRUE(ReadBytes(e.path()) == ReadBytes(shipped)) << shipped << " differs from the first run";
            files++;
        }
        EXPECT_EQ(files, std::distance(fs::directory_iterator(kResources / run.folder), fs::directory_iterator()));
    }
}

} // namespace
