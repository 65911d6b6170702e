#include "Text.h"

#include "AssetTestFolder.h"
#include "Fonts.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

class TextObjects : public ::testing::Test {
protected:
    std::string font;
    TextObject *text = nullptr;
    void SetUp() override
    {
        ASSERT_EQ(0, TextStartUp());
        font = PlatformSansSerifFontFile();
        ASSERT_FALSE(font.empty());
        text = TextObjectWithFont(font.c_str(), 16);
        ASSERT_NE(nullptr, text);
    }
    void TearDown() override { TextShutDown(); }

    // Expected metrics straight from FreeType.
    struct Metrics {
        int baseline, lineHeight;
        float advanceA, advanceW;
    };
    Metrics Expected(int size)
    {
        FT_Library library;
        FT_Face face;
        EXPECT_EQ(0, FT_Init_FreeType(&library));
        EXPECT_EQ(0, FT_New_Face(library, font.c_str(), 0, &face));
        FT_Set_Pixel_Sizes(face, 0, FT_UInt(size));
        Metrics m;
        m.baseline = int(face->size->metrics.ascender >> 6);
        m.lineHeight = int(face->size->metrics.height >> 6) + 1;
        FT_Load_Char(face, 'A', FT_LOAD_RENDER);
        m.advanceA = float(face->glyph->advance.x) / 64.0f;
        FT_Load_Char(face, 'W', FT_LOAD_RENDER);
        m.advanceW = float(face->glyph->advance.x) / 64.0f;
        FT_Done_Face(face);
        FT_Done_FreeType(library);
        return m;
    }

    // Renders into a width x height area of a rowLength-wide buffer.
    std::vector<uint8_t> Draw(const char *s, int width, int height, float startX, int baseline, int rowLength,
                              bool flip)
    {
        std::vector<uint8_t> pixels(size_t(rowLength) * size_t(height), 0);
        TextObjectDrawString(text, s, pixels.data(), width, height, startX, baseline, rowLength, flip);
        return pixels;
    }
};

bool RowInked(const std::vector<uint8_t> &pixels, int rowLength, int row)
{
    for (int c = 0; c < rowLength; c++)
        if (pixels[size_t(row) * size_t(rowLength) + size_t(c)])
            return true;
    return false;
}

} // namespace

TEST(Fonts, SansSerifAndNamedFamiliesThroughFontconfig)
{
    std::string sans = PlatformSansSerifFontFile();
    ASSERT_FALSE(sans.empty());
    EXPECT_TRUE(std::filesystem::is_regular_file(sans));
    EXPECT_EQ(sans, PlatformFontFileForFamily("Lucida Grande")) << "a missing family falls back";
    EXPECT_EQ(sans, PlatformFontFileForFamily(""));
    std::string serif = PlatformFontFileForFamily("DejaVu Serif");
    EXPECT_NE(std::string::npos, serif.find("Serif")) << serif;
}

TEST_F(TextObjects, MetricsAndOffsetsFollowTheFaceAndTheCacheIsKeyedByPath)
{
    Metrics m = Expected(16);
    EXPECT_EQ(16, TextObjectGetSize(text));
    EXPECT_EQ(m.baseline, TextObjectGetBaseline(text));
    EXPECT_EQ(m.lineHeight, TextObjectGetLineHeight(text));
    float a = m.advanceA, w = m.advanceW;
    EXPECT_FLOAT_EQ(a, TextObjectCharIndexToOffset(text, "A", 1));
    EXPECT_FLOAT_EQ(a + w, TextObjectCharIndexToOffset(text, "AWx", 2));
    EXPECT_FLOAT_EQ(0.0f, TextObjectCharIndexToOffset(text, "", 0));
    EXPECT_FLOAT_EQ(0.0f, TextObjectCharIndexToOffset(text, "AW", -1));
    // From an offset to the character under it, and whether the offset lies
    // in the character's leading half.
    const struct {
        const char *s;
        float at;
        int32_t index, leading;
    } offsets[] = {{"", 3, -1, 0}, {"AW", a * 0.25f, 0, 1}, {"AW", a * 0.75f, 0, 0}, {"AW", a + w * 0.4f, 1, 1},
                   {"AW", a + w + 50, 1, 0}};
    for (const auto &o : offsets) {
        uint8_t leading = 7;
        int32_t index = TextObjectOffsetToCharIndex(text, o.s, o.at, &leading);
        EXPECT_EQ(std::make_pair(index, int32_t(leading)), std::make_pair(o.index, o.leading)) << o.at;
    }
    EXPECT_EQ(0, TextObjectOffsetToCharIndex(text, "AW", a, nullptr)) << "the right edge belongs to the character";

    // The cache is keyed by the path whatever the size: still the first size
    // until set.
    int before = TextGetNumberOfTextObjects();
    EXPECT_EQ(text, TextObjectWithFont(font.c_str(), 24));
    EXPECT_EQ(16, TextObjectGetSize(text));
    EXPECT_EQ(before, TextGetNumberOfTextObjects());
    EXPECT_STREQ(font.c_str(), TextObjectGetFontPath(text));
    TextObjectSetSize(text, 24);
    EXPECT_EQ(Expected(24).baseline, TextObjectGetBaseline(text));
}

TEST_F(TextObjects, UnreadableFontsGiveNullAndAreNotCached)
{
    int before = TextGetNumberOfTextObjects();
    testing::internal::CaptureStdout();
    EXPECT_EQ(nullptr, TextObjectWithFont("/nonexistent/font.ttf", 12));
    std::string missing = testing::internal::GetCapturedStdout();
    EXPECT_EQ(0u, missing.find("Error: FT_New_Face returned ")) << missing;
    assettest::Folder folder;
    auto notAFont = folder.Write("Textures", "plain.ttf", "this is not a font file at all");
    testing::internal::CaptureStdout();
    EXPECT_EQ(nullptr, TextObjectWithFont(notAFont.c_str(), 12));
    EXPECT_EQ("Unsupported format!\n", testing::internal::GetCapturedStdout());
    EXPECT_EQ(before, TextGetNumberOfTextObjects());
}

TEST_F(TextObjects, FlipPutsTheTopRowLastAndDrawingClipsAtTheAreaAndRowLength)
{
    int baseline = TextObjectGetBaseline(text);
    std::vector<uint8_t> normal = Draw("Hg", 32, 24, 0, baseline, 32, false);
    std::vector<uint8_t> flipped = Draw("Hg", 32, 24, 0, baseline, 32, true);
    for (int r = 0; r < 24; r++)
        for (int c = 0; c < 32; c++)
            ASSERT_EQ(normal[size_t(r * 32 + c)], flipped[size_t((23 - r) * 32 + c)]) << r << " " << c;
    // A glyph taller than its baseline allows is clipped at the top: its
    // upper part lands on row 0 (flip false) or the last row (flip true).
    std::vector<uint8_t> high = Draw("H", 32, 24, 0, 3, 32, false);
    std::vector<uint8_t> highFlipped = Draw("H", 32, 24, 0, 3, 32, true);
    EXPECT_TRUE(RowInked(high, 32, 0));
    EXPECT_FALSE(RowInked(high, 32, 5));
    EXPECT_TRUE(RowInked(highFlipped, 32, 23));
    EXPECT_FALSE(RowInked(highFlipped, 32, 0));

    // A string much wider than the area: nothing right of column 30, though
    // the rows are 64 bytes long.
    std::vector<uint8_t> pixels = Draw("WWWWWWWWWW", 30, 20, 0, baseline, 64, false);
    bool right = false, left = false;
    for (int r = 0; r < 20; r++)
        for (int c = 0; c < 64; c++)
            (c >= 30 ? right : left) |= pixels[size_t(r * 64 + c)] != 0;
    EXPECT_TRUE(left);
    EXPECT_FALSE(right);
    // A pen that starts at the width draws nothing; one left of the area
    // clips the glyph's left part.
    std::vector<uint8_t> none = Draw("W", 30, 20, 30, baseline, 64, false);
    EXPECT_EQ(std::vector<uint8_t>(none.size(), 0), none);
    std::vector<uint8_t> shifted = Draw("WW", 30, 20, -10, baseline, 64, false);
    EXPECT_TRUE(RowInked(shifted, 64, baseline - 2));
    // An area wider than the rows never spills into the next row.
    std::vector<uint8_t> narrow = Draw("WWWWWW", 200, 20, 0, baseline, 16, false);
    EXPECT_EQ(size_t(16 * 20), narrow.size());
    // Each glyph replaces what was under it; the bytes stay coverage values.
    std::vector<uint8_t> overlap = Draw("HH", 32, 20, 0, baseline, 32, false);
    EXPECT_TRUE(RowInked(overlap, 32, baseline - 1));
}
