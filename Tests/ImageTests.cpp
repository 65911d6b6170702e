#include "Image.h"

#include "AssetTestFolder.h"
#include "LevelWorldSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using levelworld::ReadBytes;

// How a written picture reads back (ARGB, the bottom row first) is checked
// through the shader's texture in Shaders.TextureSectionSettings.
TEST(Images, WrittenPicturesAreTwentyFourBitPNGs)
{
    assettest::Folder folder;
    const uint8_t rgb[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 128, 128, 128};
    auto file = folder.root / "Textures" / "small.png";
    ASSERT_TRUE(PlatformWritePNG(file, 3, 2, rgb));
    // Colour type 2 at byte 25, depth 8.
    std::vector<uint8_t> bytes = ReadBytes(file);
    ASSERT_GT(bytes.size(), 26u);
    EXPECT_EQ((std::vector<uint8_t>{bytes[0], bytes[24], bytes[25]}), (std::vector<uint8_t>{0x89, 8, 2}));
}

TEST(Images, BadInputFailsCleanly)
{
    assettest::Folder folder;
    PlatformImage image;
    EXPECT_FALSE(PlatformReadPNG(folder.root / "Textures" / "none.png", &image));
    EXPECT_FALSE(PlatformReadPNG(folder.root / "Textures", &image)) << "a folder";
    EXPECT_FALSE(PlatformReadPNG(folder.Write("Textures", "empty.png", ""), &image));
    EXPECT_FALSE(PlatformReadPNG(folder.Write("Textures", "text.png", "just some text, not an image"), &image));
    EXPECT_FALSE(PlatformDecodePNG(nullptr, 0, &image));

    // A good file cut short, and one with a flipped byte in its data.
    const uint8_t rgb[16 * 16 * 3] = {1, 2, 3};
    auto good = folder.root / "Textures" / "good.png";
    ASSERT_TRUE(PlatformWritePNG(good, 16, 16, rgb));
    std::vector<uint8_t> bytes = ReadBytes(good);
    EXPECT_TRUE(PlatformDecodePNG(bytes.data(), bytes.size(), &image));
    EXPECT_FALSE(PlatformDecodePNG(bytes.data(), bytes.size() / 2, &image));
    bytes[bytes.size() - 20] ^= 0x55;
    EXPECT_FALSE(PlatformDecodePNG(bytes.data(), bytes.size(), &image));

    // Wider than any texture may be.
    std::vector<uint8_t> wide(size_t(kPlatformImageMaxSide + 1) * 3, 7);
    auto huge = folder.root / "Textures" / "huge.png";
    ASSERT_TRUE(PlatformWritePNG(huge, kPlatformImageMaxSide + 1, 1, wide.data()));
    EXPECT_FALSE(PlatformReadPNG(huge, &image));

    EXPECT_FALSE(PlatformWritePNG(folder.root / "nofolder" / "x.png", 1, 1, rgb));
    EXPECT_FALSE(PlatformWritePNG(folder.root / "zero.png", 0, 1, rgb));
}
