#include "Model.h"

#include "AssetTestFolder.h"
#include "GLTestContext.h"
#include "Image.h"
#include "ModelParser.h"
#include "Shader.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <string>
#include <vector>

using assettest::Header;

namespace {

// A model of quads that cover the whole -1..1 square, in one segment.
std::string QuadModel(int quads, const std::string &shader = "none", bool billboard = false,
                      const std::string &color = "1, 0, 0, 1")
{
    std::string text = "StaticModel\nNumSegments: 1\nSegment\n\tIdentifier: 'Quad'\n\tShader: '" + shader +
                       "'\n\tPrimitiveType: GL_QUADS\n";
    if (billboard)
        text += "\tBillboard: 1\n";
    text += "\tNumVertices: " + std::to_string(quads * 4) + "\n\tVertices\n\t\tColor: " + color +
            "\n\t\tTexCoord: 0.5, 0.5\n";
    for (int i = 0; i < quads; i++)
        text += "\t\tVertex: -1, -1, 0\n\t\tVertex: 1, -1, 0\n\t\tVertex: 1, 1, 0\n\t\tVertex: -1, 1, 0\n";
    return text + "\tEnd\nEnd\nEnd\n";
}

int32_t Parse(StaticModel *model, const std::string &body)
{
    return StaticModelParse(model, body.c_str(), int32_t(body.size()), 0);
}

// Parses body into a fresh model and returns the code; the model is dropped.
int32_t ParseCode(const std::string &body)
{
    StaticModel *model = StaticModelAllocate();
    int32_t code = Parse(model, body);
    StaticModelDispose(model);
    return code;
}

std::string Segment(const std::string &primitive, int count, const std::string &vertices = "")
{
    return "Segment\nPrimitiveType: " + primitive + "\nNumVertices: " + std::to_string(count) + "\nVertices\n" +
           vertices + "End\nEnd\n";
}

} // namespace

TEST(StaticModelReading, CodesForBadBodiesAndVertexCountsPerPrimitive)
{
    EXPECT_EQ(1, ParseCode("NumSegments: 1\n"));
    EXPECT_EQ(2, ParseCode("StaticModel\nNumSegments: 1\nNumSegments: 1\n"));
    EXPECT_EQ(2, ParseCode("StaticModel\nNumSegments: -1\n"));
    EXPECT_EQ(2, ParseCode("StaticModel\nNumSegments: 2000000000\n"));
    EXPECT_EQ(3, ParseCode("StaticModel\nNumSegments: 2\nSegment\nSegment\n"));
    EXPECT_EQ(3, ParseCode("StaticModel\nSegment\n"));
    EXPECT_EQ(3, ParseCode("StaticModel\nNumSegments: 1\nSegment\nEnd\nSegment\n"));
    EXPECT_EQ(4, ParseCode("StaticModel\nNumSegments: 1\nSegment\nNumVertices: 1\nVertices\nVertices\n"));
    EXPECT_EQ(5, ParseCode("StaticModel\nNumSegments: 1\n" + Segment("GL_TRIANGLES", 4)));
    EXPECT_EQ(5, ParseCode("StaticModel\nNumSegments: 1\nSegment\nNumVertices: -3\n"));
    // A count may not change once its block was opened, even an empty one.
    EXPECT_EQ(5, ParseCode("StaticModel\nNumSegments: 1\nSegment\nNumVertices: 0\nVertices\nEnd\n"
                           "NumVertices: 5\nVertices\nVertex: 1, 1, 1\n"));
    EXPECT_EQ(7, ParseCode("StaticModel\nNumSegments: 1\n" +
                           Segment("GL_POINTS", 1, "Vertex: 0, 0, 0\nVertex: 1, 1, 1\n")));
    EXPECT_EQ(0, ParseCode("StaticModel\nNumSegments: 1\n" + Segment("GL_POINTS", 1, "Vertex: 0, 0, 0\n")));

    // Vertex counts each primitive accepts (code 5 for the others).
    struct Case {
        const char *primitive;
        int count;
        int32_t code;
    } cases[] = {{"GL_POINTS", 7, 0},       {"GL_POLYGON", 1, 0},       {"GL_LINES", 3, 5},
                 {"GL_LINES", 4, 0},        {"GL_LINE_STRIP", 1, 5},    {"GL_LINE_LOOP", 2, 0},
                 {"GL_TRIANGLES", 6, 0},    {"GL_TRIANGLE_STRIP", 2, 5}, {"GL_TRIANGLE_FAN", 3, 0},
                 {"GL_QUADS", 8, 0},        {"GL_QUADS", 6, 5},         {"GL_QUAD_STRIP", 2, 5},
                 {"GL_QUAD_STRIP", 5, 5},   {"GL_QUAD_STRIP", 6, 0}};
    for (const Case &c : cases)
        EXPECT_EQ(c.code, ParseCode("StaticModel\nNumSegments: 1\n" + Segment(c.primitive, c.count)))
            << c.primitive << " " << c.count;
}

TEST(StaticModelReading, SegmentFieldsDefaultsAndAttributes)
{
    StaticModel *model = StaticModelAllocate();
    ASSERT_EQ(0, Parse(model, "StaticModel\nNumSegments: 2\nSegment\n  Identifier: 'TopS'\n  Shader: 'Wall'\n"
                              "  Origin: 1, 2, 3\n  Billboard: 1\n  PrimitiveType: GL_TRIANGLES\n"
                              "  PrimitiveType: gl_lines\n  NumVertices: 3\n  Vertex: 9, 9, 9\n  Vertices\n"
                              "    Color: 0.5, 0.25, 0.125, 1\n    Vertex: 1, 0, 0\n    Normal: 0, 1, 0\n"
                              "    TexCoord: 0.5, 1\n    Vertex: 2, 0, 0\n  End\nEnd\nSegment\nEnd\nEnd\nSegment\n"));
    ASSERT_EQ(2, model->numSegments);
    const StaticSegment &s = model->segments[0];
    // A lower-case primitive name leaves the type.
    EXPECT_EQ((std::vector<int64_t>{s.identifier, s.shader, s.billboard, s.primitiveType}),
              (std::vector<int64_t>{'TopS', 'Wall', 1, GL_TRIANGLES}));
    EXPECT_FLOAT_EQ(2.0f, s.origin.y);
    ASSERT_EQ(3, s.numVertices);
    // The colour before the first Vertex applies to both; the Vertex line
    // before the block was ignored; the third record was never given: all zero.
    const auto &v = s.vertices;
    EXPECT_EQ((std::vector<float>{v[0].x, v[0].w, v[0].g, v[0].nz, v[0].s, v[1].g, v[1].ny, v[1].s, v[1].t, v[2].w,
                                  v[2].a}),
              (std::vector<float>{1, 1, 0.25f, -1, 0, 0.25f, 1, 0.5f, 1, 0, 0}));
    const StaticSegment &d = model->segments[1];
    EXPECT_EQ((std::vector<int64_t>{d.shader, d.primitiveType, d.numVertices, model->vertexTotal}),
              (std::vector<int64_t>{'none', GL_POINTS, 0, 3}));
    StaticModelDispose(model);
}

TEST(StaticModelReading, DrawModeThresholds)
{
    struct Case {
        int points;
        bool billboard;
        int32_t mode;
    } cases[] = {{10, false, kStaticDrawImmediate}, {11, false, kStaticDrawArrays}, {100, false, kStaticDrawArrays},
                 {101, false, kStaticDrawList},     {500, true, kStaticDrawArrays}, {0, false, kStaticDrawImmediate}};
    for (const Case &c : cases) {
        StaticModel *model = StaticModelAllocate();
        std::string text = "StaticModel\nNumSegments: 2\nSegment\nNumVertices: " + std::to_string(c.points) +
                           "\nEnd\nSegment\n" + (c.billboard ? "Billboard: 1\n" : "") + "End\nEnd\n";
        ASSERT_EQ(0, Parse(model, text));
        EXPECT_EQ(c.mode, StaticModelChooseDrawMode(model)) << c.points;
        StaticModelDispose(model);
    }
}

TEST(StaticModelBounds, ScanAllRecordsWithExtremeStartingValues)
{
    AABB empty = StaticModelGetBounds(nullptr);
    EXPECT_EQ((std::vector<float>{empty.minX, empty.maxX, empty.minZ, empty.maxZ}),
              (std::vector<float>{FLT_MAX, -FLT_MAX, FLT_MAX, -FLT_MAX}));

    StaticModel *model = StaticModelAllocate();
    ASSERT_EQ(0, Parse(model, "StaticModel\nNumSegments: 2\nSegment\nOrigin: 100, 100, 100\n" +
                                  Segment("GL_POINTS", 2, "Vertex: -1, -5, 2\nVertex: 3, -2, -4\n")
                                      .substr(std::string("Segment\n").size()) +
                                  Segment("GL_POINTS", 1, "Vertex: 0, -7, 1\n") + "End\n"));
    AABB box = StaticModelGetBounds(model);
    // maxY is the largest of the negative values.
    EXPECT_EQ((std::vector<float>{box.minX, box.maxX, box.minY, box.maxY, box.minZ, box.maxZ}),
              (std::vector<float>{-1, 3, -7, -2, -4, 2}));
    StaticModelDispose(model);
}

namespace {

class StaticModelDrawing : public ::testing::Test {
protected:
    assettest::Folder folder;
    void TearDown() override { ModelDisposeAllModels(); }

    StaticModel *Load(const std::string &name, const std::string &body)
    {
        auto file = folder.Model(name + ".modl", Header("Static", name) + body);
        EXPECT_EQ(0, ModelLoadFile(file));
        Model *entry = ModelGetModelByIdentifier(kModelKindStatic, ModelCodeFromChars(name.c_str()));
        return entry ? static_cast<StaticModel *>(entry->data) : nullptr;
    }

    // Registers a shader whose texture is one texel of the colour.
    void RegisterShader(const std::string &name, uint8_t r, uint8_t g, uint8_t b)
    {
        const uint8_t rgb[3] = {r, g, b};
        ASSERT_TRUE(PlatformWritePNG(folder.root / "Textures" / (name + ".png"), 1, 1, rgb));
        std::string body = "Shader\nTexture\nFilename: \"" + name + ".png\"\nEnd\nEnd\n";
        ASSERT_EQ(0, ModelLoadFile(folder.Model(name + ".shdr", Header("Shader", name) + body)));
    }
};

} // namespace

TEST_F(StaticModelDrawing, EachDrawingPathDrawsTheSameQuad)
{
    REQUIRE_GL_CONTEXT();
    struct Case {
        const char *name;
        int quads;
        bool billboard;
        int32_t mode;
    } cases[] = {{"Imm1", 2, false, kStaticDrawImmediate}, {"Arr1", 3, false, kStaticDrawArrays},
                 {"Arr2", 25, false, kStaticDrawArrays},   {"Lst1", 26, false, kStaticDrawList},
                 {"Bil1", 125, true, kStaticDrawArrays}};
    for (const Case &c : cases) {
        StaticModel *model = Load(c.name, QuadModel(c.quads, "none", c.billboard));
        ASSERT_NE(nullptr, model);
        EXPECT_EQ(c.mode, model->drawMode) << c.name;
        gltest::ResetScene();
        StaticModelDraw(model, 1.0f);
        if (c.mode == kStaticDrawList) {
            EXPECT_NE(0u, model->displayList); // built on the first draw
        }
        EXPECT_EQ(gltest::ReadRGB(32, 32), (std::vector<int>{255, 0, 0})) << c.name;
        EXPECT_EQ(GL_NO_ERROR, glGetError()) << c.name;
        // Neutral afterwards: texturing off, white.
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        float color[4];
        glGetFloatv(GL_CURRENT_COLOR, color);
        EXPECT_FLOAT_EQ(1.0f, color[1]);
    }
}

TEST_F(StaticModelDrawing, SegmentOriginMovesOnlyThatSegment)
{
    REQUIRE_GL_CONTEXT();
    StaticModel *model =
        Load("Half", "StaticModel\nNumSegments: 1\nSegment\nOrigin: 1, 0, 0\nPrimitiveType: GL_QUADS\n"
                     "NumVertices: 4\nVertices\nColor: 0, 1, 0, 1\nVertex: -0.5, -1, 0\nVertex: 0.5, -1, 0\n"
                     "Vertex: 0.5, 1, 0\nVertex: -0.5, 1, 0\nEnd\nEnd\nEnd\n");
    StaticModelDraw(model, 1.0f);
    EXPECT_EQ(0, gltest::ReadPixel(16, 32).g) << "left of the moved quad";
    EXPECT_EQ(255, gltest::ReadPixel(48, 32).g);
    float mv[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, mv);
    EXPECT_FLOAT_EQ(0.0f, mv[12]) << "the matrix is popped again";
}

TEST_F(StaticModelDrawing, TextureCoordinatesOnlyWithAShader)
{
    REQUIRE_GL_CONTEXT();
    StaticModel *plain = Load("Plai", QuadModel(1, "none"));
    StaticModel *shaded = Load("Shad", QuadModel(1, "Wall"));
    StaticModel *arrays = Load("Arrs", QuadModel(3, "Wall"));
    auto coordinatesAfter = [](StaticModel *model) {
        float tc[4];
        StaticModelDraw(model, 1.0f);
        glGetFloatv(GL_CURRENT_TEXTURE_COORDS, tc);
        return std::vector<float>{tc[0], tc[1]};
    };
    glTexCoord2f(0.25f, 0.75f);
    EXPECT_EQ(coordinatesAfter(plain), (std::vector<float>{0.25f, 0.75f}));
    EXPECT_EQ(coordinatesAfter(shaded), (std::vector<float>{0.5f, 0.5f}));
    StaticModelDraw(arrays, 1.0f);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
}

TEST_F(StaticModelDrawing, TranslucentDrawingUsesTheCombinerAndRestoresModulate)
{
    REQUIRE_GL_CONTEXT();
    RegisterShader("none", 255, 255, 255);
    StaticModel *model = Load("Quad", QuadModel(1));
    StaticModelDraw(model, 0.0f);
    StaticModelDraw(nullptr, 1.0f);
    EXPECT_EQ(0, gltest::ReadPixel(32, 32).r) << "nothing drawn at no opacity";
    glEnable(GL_BLEND);
    StaticModelDraw(model, 0.5f);
    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(GL_MODULATE, mode);
    EXPECT_NEAR(128, gltest::ReadPixel(32, 32).r, 2) << "half the red over black";
    gltest::ResetScene();
    glEnable(GL_BLEND);
    StaticModelDraw(model, 1.0f);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(GL_MODULATE, mode);
    EXPECT_EQ(255, gltest::ReadPixel(32, 32).r);
    glDisable(GL_BLEND);
}

TEST_F(StaticModelDrawing, DisplayListsHoldTheirShaders)
{
    REQUIRE_GL_CONTEXT();
    RegisterShader("Gren", 0, 255, 0);
    StaticModel *model = Load("Big ", QuadModel(26, "Gren", false, "1, 1, 1, 1"));
    ASSERT_EQ(kStaticDrawList, model->drawMode);
    ShaderDisable();
    gltest::ResetScene();
    StaticModelDraw(model, 1.0f);
    EXPECT_EQ(gltest::ReadRGB(32, 32), (std::vector<int>{0, 255, 0}));
    // The list ends with the neutral state.
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLint binding = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &binding);
    EXPECT_EQ(0, binding);
}
