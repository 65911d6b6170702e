#include "Shader.h"

#include "AssetTestFolder.h"
#include "Fonts.h"
#include "GLTestContext.h"
#include "Image.h"
#include "ModelParser.h"
#include "Text.h"

#include <GL/glext.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

using assettest::Header;

namespace {

// An RGB image whose rows are given top first, one colour per row.
void WriteImage(const std::filesystem::path &file, int width, int height,
                const std::vector<std::array<uint8_t, 3>> &rowColors)
{
    std::vector<uint8_t> rgb;
    for (size_t y = 0; y < size_t(height); y++)
        for (int x = 0; x < width; x++)
            rgb.insert(rgb.end(), rowColors[y % rowColors.size()].begin(), rowColors[y % rowColors.size()].end());
    ASSERT_TRUE(PlatformWritePNG(file, width, height, rgb.data()));
}

class Shaders : public ::testing::Test {
protected:
    assettest::Folder folder;
    void TearDown() override { ModelDisposeAllModels(); }

    // Parses a shader body with a fresh shader; returns the code and keeps
    // the shader for inspection.
    int32_t Parse(const std::string &body)
    {
        ShaderDispose(shader);
        shader = ShaderAllocate();
        return ShaderParse(shader, body.c_str(), int32_t(body.size()), 0);
    }
    Shader *Load(const std::string &identifier, const std::string &body)
    {
        auto file = folder.Model(identifier + ".shdr", Header("Shader", identifier) + body);
        EXPECT_EQ(0, ModelLoadFile(file));
        Model *m = ModelGetModelByIdentifier(kModelKindShader, ModelCodeFromChars(identifier.c_str()));
        return m ? static_cast<Shader *>(m->data) : nullptr;
    }
    ~Shaders() override { ShaderDispose(shader); }
    Shader *shader = nullptr;
};

// A front material parameter: four colour components, or the shininess.
std::vector<float> Material(GLenum parameter)
{
    std::vector<float> value(4, -1.0f);
    glGetMaterialfv(GL_FRONT, parameter, value.data());
    value.resize(parameter == GL_SHININESS ? 1 : 4);
    return value;
}

// The bound texture, whether texturing is on, and the blend factors.
std::vector<GLint> TextureState()
{
    GLint binding = -1, source = 0, destination = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &binding);
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    return {binding, glIsEnabled(GL_TEXTURE_2D), source, destination};
}

void ExpectNeutral()
{
    EXPECT_EQ(TextureState(), (std::vector<GLint>{0, GL_FALSE, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA}));
    EXPECT_EQ(Material(GL_AMBIENT), (std::vector<float>{0.2f, 0.2f, 0.2f, 1}));
    EXPECT_EQ(Material(GL_DIFFUSE), (std::vector<float>{0.8f, 0.8f, 0.8f, 1}));
    EXPECT_EQ(Material(GL_SPECULAR), (std::vector<float>{0, 0, 0, 1}));
    EXPECT_EQ(Material(GL_EMISSION), (std::vector<float>{0, 0, 0, 1}));
    EXPECT_EQ(Material(GL_SHININESS), std::vector<float>{0});
}

} // namespace

TEST_F(Shaders, ParserCodes)
{
    WriteImage(folder.root / "Textures" / "wide.png", 256, 128, {{255, 0, 0}});
    WriteImage(folder.root / "Textures" / "odd.png", 100, 128, {{255, 0, 0}});
    folder.Write("Textures", "broken.png", "\x89PNG\r\n\x1a\nthis is not an image");
    EXPECT_EQ(1, Parse("Texture\nEnd\n"));
    EXPECT_EQ(2, Parse("Shader\nTexture\nFilename: \"missing.png\"\n"));
    EXPECT_EQ(2, Parse("Shader\nTexture\nFilename: \"odd.png\"\n"));
    EXPECT_EQ(2, Parse("Shader\nTexture\nFilename: \"../Textures/wide.png\"\n"));
    EXPECT_EQ(1, Parse("Shader\nTexture\nFilename: \"broken.png\"\n"));
    EXPECT_EQ(0, Parse("Shader\nTexture\nFilename: \"wide.png\"\n"));
    EXPECT_EQ(3, Parse("Shader\nTexture\nTextureWrapS: gl_repeat\n"));
    EXPECT_EQ(3, Parse("Shader\nTexture\nTextureWrapS: GL_REPEAT,\n"));
    EXPECT_EQ(4, Parse("Shader\nTexture\nTextureWrapT: GL_MIRRORED_REPEAT\n"));
    EXPECT_EQ(5, Parse("Shader\nTexture\nMinFilter: LINEAR\n"));
    EXPECT_EQ(6, Parse("Shader\nTexture\nMagFilter: GL_LINEAR_MIPMAP\n"));
    EXPECT_EQ(0, Parse("Shader\nTexture\nMagFilter: GL_LINEAR_MIPMAP_LINEAR\n"));
    EXPECT_EQ(uint32_t(GL_LINEAR_MIPMAP_LINEAR), shader->magFilter);
    // Keys only count inside their section.
    EXPECT_EQ(0, Parse("Shader\nTextureWrapS: nonsense\n"));
}

TEST_F(Shaders, TextureSectionSettings)
{
    WriteImage(folder.root / "Textures" / "wide.png", 256, 128, {{255, 0, 0}, {0, 0, 255}});
    ASSERT_EQ(0, Parse("Shader\n  Texture\n    Filename: \"wide.png\"\n    TextureWrapS: GL_CLAMP\n"
                       "    TextureWrapT: GL_CLAMP_TO_EDGE\n    MinFilter: GL_LINEAR_MIPMAP_LINEAR\n"
                       "    MagFilter: GL_NEAREST\n    Premultiplied: 1\n    Mipmaps: 0\n    HasAlpha: 1\n  End\nEnd\n"));
    EXPECT_EQ((std::vector<int64_t>{shader->hasTexture, shader->hasMaterial, shader->textureWidth, shader->textureHeight,
                                    shader->wrapS, shader->wrapT, shader->minFilter, shader->magFilter,
                                    shader->blendSource, shader->blendDestination, shader->mipmaps, shader->hasAlpha}),
              (std::vector<int64_t>{1, 0, 256, 128, GL_CLAMP, GL_CLAMP_TO_EDGE, GL_LINEAR_MIPMAP_LINEAR, GL_NEAREST,
                                    GL_ONE, GL_ONE_MINUS_SRC_ALPHA, 0, 1}));
    // A, R, G, B bytes; the first row in memory is the image's bottom row
    // (odd rows blue), the last its top row (red).
    ASSERT_NE(nullptr, shader->pixels);
    const uint8_t *last = shader->pixels + size_t(256) * 127 * 4;
    EXPECT_EQ((std::vector<uint8_t>(shader->pixels, shader->pixels + 4)), (std::vector<uint8_t>{255, 0, 0, 255}));
    EXPECT_EQ((std::vector<uint8_t>(last, last + 4)), (std::vector<uint8_t>{255, 255, 0, 0}));

    ASSERT_EQ(0, Parse("Shader\nTexture\nPremultiplied: 0\nEnd\n"));
    EXPECT_EQ(uint32_t(GL_SRC_ALPHA), shader->blendSource);
}

TEST_F(Shaders, MaterialSectionAndSectionsAfterTheEnd)
{
    ASSERT_EQ(0, Parse("Shader\nMaterial\n  Ambient: 0.1, 0.2, 0.3, 0.4\n  Diffuse: 0.5, 0.6, 0.7, 0.8\n"
                       "  Specular: 1, 1, 1, 1\n  Emission: 0.25, 0, 0, 1\n  Shininess: 32\nEnd\nEnd\n"));
    EXPECT_EQ(1, shader->hasMaterial);
    EXPECT_EQ(0, shader->hasTexture);
    EXPECT_EQ((std::vector<float>{shader->ambient[2], shader->diffuse[3], shader->specular[0], shader->emission[0],
                                  shader->shininess}),
              (std::vector<float>{0.3f, 0.8f, 1.0f, 0.25f, 32.0f}));

    // A short colour line keeps what it read and is otherwise ignored; it does
    // not close the section.
    ASSERT_EQ(0, Parse("Shader\nMaterial\nDiffuse: 0.5, 0.25\nShininess: 4\nEnd\n"));
    EXPECT_EQ((std::vector<float>{shader->diffuse[0], shader->diffuse[1], shader->diffuse[2], shader->shininess}),
              (std::vector<float>{0.5f, 0.25f, 0.8f, 4.0f}));

    // Sections after the closing End still belong to the shader.
    ASSERT_EQ(0, Parse("Shader\nEnd\nMaterial\nShininess: 2\nEnd\nTexture\nMipmaps: 1\n"));
    EXPECT_EQ((std::vector<int>{shader->hasMaterial, shader->hasTexture, shader->mipmaps}), (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(nullptr, shader->pixels) << "a Texture section without a Filename has no image";
    ASSERT_EQ(0, Parse("Shader\nEnd\n"));
    EXPECT_EQ((std::vector<int>{shader->hasMaterial, shader->hasTexture}), (std::vector<int>{0, 0}));
}

TEST_F(Shaders, ApplyAndDisableSetThePipelineState)
{
    REQUIRE_GL_CONTEXT();
    WriteImage(folder.root / "Textures" / "red.png", 4, 4, {{255, 0, 0}});
    Shader *textured = Load("Txtr", "Shader\nTexture\nFilename: \"red.png\"\nPremultiplied: 1\nEnd\n"
                                    "Material\nDiffuse: 0.5, 0.25, 0.125, 1\nShininess: 8\nEnd\nEnd\n");
    Shader *plain = Load("Plai", "Shader\nEnd\n");
    Shader *material = Load("Matl", "Shader\nMaterial\nEmission: 1, 0, 0, 1\nEnd\nEnd\n");
    ASSERT_NE(nullptr, textured);
    EXPECT_NE(0u, textured->textureName);
    EXPECT_TRUE(glIsTexture(textured->textureName));
    EXPECT_NE(nullptr, textured->pixels) << "the image stays in memory";

    glColor4f(0.5f, 0.5f, 0.5f, 0.5f);
    glDisable(GL_BLEND);
    ShaderApply(textured);
    EXPECT_EQ(TextureState(), (std::vector<GLint>{GLint(textured->textureName), GL_TRUE, GL_ONE, GL_ONE_MINUS_SRC_ALPHA}));
    EXPECT_EQ(Material(GL_DIFFUSE), (std::vector<float>{0.5f, 0.25f, 0.125f, 1}));
    EXPECT_EQ(Material(GL_SHININESS), std::vector<float>{8});
    float color[4];
    glGetFloatv(GL_CURRENT_COLOR, color);
    EXPECT_FLOAT_EQ(0.5f, color[0]) << "the colour is not touched";
    EXPECT_FALSE(glIsEnabled(GL_BLEND)) << "blending is the caller's";
    GLint wrap = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(GL_REPEAT, wrap);

    // Only a material: texturing off, the material on.
    ShaderApply(material);
    EXPECT_EQ(0, TextureState()[0]);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(Material(GL_EMISSION), (std::vector<float>{1, 0, 0, 1}));

    // Neither section: the neutral state, except the colour.
    ShaderApply(plain);
    ExpectNeutral();
    ShaderApply(textured);
    ShaderDisable();
    ExpectNeutral();
    glGetFloatv(GL_CURRENT_COLOR, color);
    EXPECT_EQ(std::vector<float>(color, color + 4), (std::vector<float>{1, 1, 1, 1}));

    // By identifier; an unknown one changes nothing.
    EXPECT_TRUE(ShaderApplyByIdentifier('Txtr'));
    EXPECT_FALSE(ShaderApplyByIdentifier('Nope'));
    EXPECT_EQ(GLint(textured->textureName), TextureState()[0]);
    ShaderDisable();
}

TEST_F(Shaders, TexturesDrawRightWayUpInTheirColours)
{
    REQUIRE_GL_CONTEXT();
    // Top row red, bottom row green; left half of each row as given, with a
    // blue column on the right to check the channel order.
    std::vector<uint8_t> rgb = {255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0, 255};
    ASSERT_TRUE(PlatformWritePNG(folder.root / "Textures" / "quad.png", 2, 2, rgb.data()));
    Load("Quad", "Shader\nTexture\nFilename: \"quad.png\"\nMinFilter: GL_NEAREST\nMagFilter: GL_NEAREST\n"
                 "Mipmaps: 1\nEnd\nEnd\n");
    // Anisotropic filtering (on by default) would blend the texels.
    ShaderDisableAnisotropicFiltering();
    ASSERT_TRUE(ShaderApplyByIdentifier('Quad'));
    glColor4f(1, 1, 1, 1);
    glBegin(GL_QUADS);
    for (auto [s, t] : {std::pair{0, 0}, std::pair{1, 0}, std::pair{1, 1}, std::pair{0, 1}}) {
        glTexCoord2f(float(s), float(t));
        glVertex2f(float(2 * s - 1), float(2 * t - 1));
    }
    glEnd();
    ShaderDisable();
    EXPECT_EQ(gltest::ReadRGB(16, 48), (std::vector<int>{255, 0, 0}));
    EXPECT_EQ(gltest::ReadRGB(16, 16), (std::vector<int>{0, 255, 0}));
    EXPECT_EQ(gltest::ReadRGB(48, 16), (std::vector<int>{0, 0, 255}));
}

TEST_F(Shaders, AnisotropicFilteringSwitch)
{
    REQUIRE_GL_CONTEXT();
    if (!strstr(reinterpret_cast<const char *>(glGetString(GL_EXTENSIONS)), "GL_EXT_texture_filter_anisotropic"))
        GTEST_SKIP() << "no anisotropic filtering here";
    WriteImage(folder.root / "Textures" / "red.png", 8, 8, {{255, 0, 0}});
    Shader *mipmapped = Load("Mips", "Shader\nTexture\nFilename: \"red.png\"\nMipmaps: 1\n"
                                     "MinFilter: GL_LINEAR_MIPMAP_LINEAR\nEnd\nEnd\n");
    Shader *flat = Load("Flat", "Shader\nTexture\nFilename: \"red.png\"\nEnd\nEnd\n");
    float maximum = 0;
    glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &maximum);
    // The anisotropy of the mipmapped and of the flat texture.
    auto anisotropy = [&] {
        std::vector<float> values(2, 0.0f);
        glBindTexture(GL_TEXTURE_2D, mipmapped->textureName);
        glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &values[0]);
        glBindTexture(GL_TEXTURE_2D, flat->textureName);
        glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &values[1]);
        glBindTexture(GL_TEXTURE_2D, 0);
        return values;
    };
    ShaderEnableAnisotropicFiltering();
    ExpectNeutral();
    EXPECT_EQ(anisotropy(), (std::vector<float>{maximum, 1.0f})) << "textures without mipmaps are left alone";
    ShaderDisableAnisotropicFiltering();
    ExpectNeutral();
    EXPECT_EQ(anisotropy(), (std::vector<float>{1.0f, 1.0f}));
}

namespace {

class TextShaders : public ::testing::Test {
protected:
    TextObject *text = nullptr;
    Shader *shader = nullptr;
    void SetUp() override
    {
        ASSERT_EQ(0, TextStartUp());
        std::string font = PlatformSansSerifFontFile();
        ASSERT_FALSE(font.empty());
        text = TextObjectWithFont(font.c_str(), 16);
        ASSERT_NE(nullptr, text);
        TextObjectSetSize(text, 16);
        shader = ShaderAllocate();
    }
    void TearDown() override
    {
        ShaderDispose(shader);
        TextShutDown();
    }
    // The first and last inked column of the texture (any row), or -1.
    int InkedColumn(bool last) const
    {
        int found = -1;
        for (int r = 0; r < shader->textureHeight; r++)
            for (int c = 0; c < shader->textureWidth; c++)
                if (shader->pixels[size_t(r) * size_t(shader->textureWidth) + size_t(c)] &&
                    (found < 0 || (last ? c > found : c < found)))
                    found = c;
        return found;
    }
    int FirstInkedColumn() const { return InkedColumn(false); }
    int LastInkedColumn() const { return InkedColumn(true); }
    GLint BoundWidth() const
    {
        GLint width = 0;
        glBindTexture(GL_TEXTURE_2D, shader->textureName);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glBindTexture(GL_TEXTURE_2D, 0);
        return width;
    }
};

} // namespace

TEST_F(TextShaders, TextObjectTexturesArePowerOfTwoAlphaAlignedAndNeverShrink)
{
    REQUIRE_GL_CONTEXT();
    ShaderCreateFromTextObject(shader, text, "Hello", 100, 20, kTextAlignLeft);
    EXPECT_EQ((std::vector<int64_t>{shader->textureWidth, shader->textureHeight, shader->hasTexture, shader->wrapS,
                                    shader->minFilter}),
              (std::vector<int64_t>{128, 32, 1, GL_CLAMP_TO_EDGE, GL_LINEAR}));
    ASSERT_NE(0u, shader->textureName);
    EXPECT_EQ(128, BoundWidth());
    glBindTexture(GL_TEXTURE_2D, shader->textureName);
    GLint format = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_EQ(GL_ALPHA, format);
    EXPECT_LT(FirstInkedColumn(), 4);
    EXPECT_LT(LastInkedColumn(), 100);
    // Rows are flipped: the ink sits in the upper rows of the 20-row area,
    // which are the area's last rows in memory, below row 20.
    bool inkAbove = false;
    for (int r = 20; r < 32; r++)
        for (int c = 0; c < 128; c++)
            inkAbove |= shader->pixels[r * 128 + c] != 0;
    EXPECT_FALSE(inkAbove);

    float stringWidth = TextObjectCharIndexToOffset(text, "Hello", 5);
    ShaderUpdateFromTextObject(shader, text, "Hello", 100, 20, kTextAlignRight);
    EXPECT_GE(LastInkedColumn(), 96);
    EXPECT_GE(FirstInkedColumn(), int(100 - stringWidth) - 1);
    ShaderUpdateFromTextObject(shader, text, "Hello", 100, 20, kTextAlignCenter);
    int centre = (FirstInkedColumn() + LastInkedColumn()) / 2;
    EXPECT_NEAR(50, centre, 3);
    glBindTexture(GL_TEXTURE_2D, 0);

    // Updating keeps the size when the text fits and clears old glyphs.
    ShaderCreateFromTextObject(shader, text, "WWWWWW", 100, 20, kTextAlignLeft);
    GLuint name = shader->textureName;
    int wide = LastInkedColumn();
    ShaderUpdateFromTextObject(shader, text, "i", 60, 10, kTextAlignLeft);
    EXPECT_EQ((std::vector<int64_t>{shader->textureWidth, shader->textureHeight, shader->textureName}),
              (std::vector<int64_t>{128, 32, name}))
        << "the texture never shrinks";
    EXPECT_LT(LastInkedColumn(), 10);
    EXPECT_GT(wide, 40);
    ShaderUpdateFromTextObject(shader, text, "Wider", 200, 20, kTextAlignLeft);
    EXPECT_EQ((std::vector<int64_t>{shader->textureWidth, shader->textureHeight, BoundWidth()}),
              (std::vector<int64_t>{256, 32, 256}));
    // Zero sizes stay zero; a power of two stays.
    ShaderCreateFromTextObject(shader, text, "Hello", 0, 0, kTextAlignLeft);
    EXPECT_EQ(0, shader->textureWidth + shader->textureHeight);
    EXPECT_EQ(nullptr, shader->pixels);
    ShaderCreateFromTextObject(shader, text, "Hello", 64, 16, kTextAlignLeft);
    EXPECT_EQ((std::vector<int>{shader->textureWidth, shader->textureHeight}), (std::vector<int>{64, 16}));
}

TEST_F(TextShaders, StringTexturesAreWhiteOnBlackAndJustified)
{
    REQUIRE_GL_CONTEXT();
    ASSERT_EQ(0, ShaderCreateFromString(shader, "123", "Lucida Grande", 12, -1, 32, 16));
    EXPECT_EQ((std::vector<int64_t>{shader->textureWidth, shader->textureHeight, shader->wrapT}),
              (std::vector<int64_t>{32, 16, GL_CLAMP_TO_EDGE}));
    // Black with ink in white; right-justified, so the left columns are empty.
    int leftInk = 0, rightInk = 0;
    for (int r = 0; r < 16; r++)
        for (int c = 0; c < 32; c++) {
            const uint8_t *p = shader->pixels + (r * 32 + c) * 4;
            EXPECT_EQ(p[1], p[2]);
            EXPECT_EQ(p[2], p[3]);
            (c < 8 ? leftInk : rightInk) += p[1] > 128;
        }
    EXPECT_EQ(0, leftInk);
    EXPECT_GT(rightInk, 5);
    ASSERT_NE(0u, shader->textureName);
    EXPECT_EQ(32, BoundWidth());
}

TEST_F(TextShaders, StringTexturesWrapToTheWidth)
{
    ASSERT_EQ(0, ShaderRenderString(shader, "one two three four", "DejaVu Sans", 12, 0, 40, 64));
    EXPECT_EQ(64, shader->textureWidth);
    int lastInkedRow = -1;
    for (int r = 0; r < 64; r++)
        for (int c = 0; c < 64; c++)
            if (shader->pixels[(r * 64 + c) * 4 + 1] > 128)
                lastInkedRow = r;
    EXPECT_GT(lastInkedRow, 30) << "four short lines reach far down";
    // Outside the drawing area nothing is painted.
    for (int r = 0; r < 64; r++)
        EXPECT_EQ(0, shader->pixels[(r * 64 + 50) * 4]);
    Shader *centred = ShaderAllocate();
    ASSERT_EQ(0, ShaderRenderString(centred, "1", "DejaVu Sans", 12, 1, 32, 16));
    int first = 99, last = -1;
    for (int r = 0; r < 16; r++)
        for (int c = 0; c < 32; c++)
            if (centred->pixels[(r * 32 + c) * 4 + 1] > 64) {
                first = std::min(first, c);
                last = std::max(last, c);
            }
    EXPECT_NEAR(16, (first + last) / 2, 3);
    ShaderDispose(centred);
}

TEST(DigitStrings, QuadsOverlapAndTakeTheirDigitFromTheStrip)
{
    REQUIRE_GL_CONTEXT();
    // Ten texels, digit d with red 25 * d.
    uint8_t strip[10 * 4];
    for (int d = 0; d < 10; d++)
        strip[d * 4] = uint8_t(25 * d), strip[d * 4 + 1] = strip[d * 4 + 2] = 0, strip[d * 4 + 3] = 255;
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 10, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, strip);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glEnable(GL_TEXTURE_2D);
    drawNumberString("37", 1.0f, -1.0f, -1.0f);
    glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteTextures(1, &texture);
    EXPECT_EQ(75, gltest::ReadPixel(6, 16).r);
    EXPECT_EQ(175, gltest::ReadPixel(35, 16).r) << "the second digit overlaps the first";
    EXPECT_EQ(0, gltest::ReadPixel(48, 16).r);
    EXPECT_EQ(0, gltest::ReadPixel(6, 48).r) << "one unit high";
}
