// The game's shipped resources, as the build's tools write them into
// Resources/: every sound effect decodes and is short and audible, every
// texture is a PNG with power-of-two sides, and every asset file of the
// Models folder follows the text grammar its kind is read with, with the
// identifiers the game asks for.  The tools are also run a second time to
// show that they write the same bytes.

#include <gtest/gtest.h>

#include <png.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kResources = fs::path(BRIMHOLD_BINARY_DIR) / "Resources";

std::string ReadFile(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// ------------------------------------------------------------------ sounds

const char *const kSoundTable[36] = {
    "Gem.ogg",          "Feather.ogg",       "Key.ogg",          "Unlock.ogg",         "Extra life.ogg",
    "Breath.ogg",       "Switch.ogg",        "Yell.ogg",         "Drown.ogg",          "WalkStep0.ogg",
    "WalkStep1.ogg",    "WalkStep2.ogg",     "WalkStep3.ogg",    "WalkStep4.ogg",      "WalkStep5.ogg",
    "RunStep0.ogg",     "RunStep1.ogg",      "RunStep2.ogg",     "RunStep3.ogg",       "RunStep4.ogg",
    "RunStep5.ogg",     "LadderStep0.ogg",   "LadderStep1.ogg",  "LadderStep2.ogg",    "LadderStep3.ogg",
    "LadderStep4.ogg",  "LadderStep5.ogg",   "Jump.ogg",         "Land.ogg",           "GrabLadder.ogg",
    "LevelComplete.ogg", "LevelSetComplete.ogg", "GameOver.ogg", "Teleport.ogg",       "Phase.ogg",
    "BlockToggle.ogg"};

struct Decoded {
    bool ok = false;
    int channels = 0;
    long rate = 0;
    std::vector<int16_t> samples; // interleaved
};

// Decodes the way the game does: 16-bit signed little-endian words.
Decoded Decode(const fs::path &file)
{
    Decoded d;
    FILE *f = std::fopen(file.c_str(), "rb");
    if (!f)
        return d;
    OggVorbis_File vf;
    if (ov_open(f, &vf, nullptr, 0) < 0) {
        std::fclose(f);
        return d;
    }
    vorbis_info *info = ov_info(&vf, -1);
    if (!info) {
        ov_clear(&vf);
        return d;
    }
    d.channels = info->channels;
    d.rate = info->rate;
    char buffer[4096];
    int section = 0;
    for (;;) {
        long n = ov_read(&vf, buffer, sizeof buffer, 0, 2, 1, &section);
        if (n < 0) {
            ov_clear(&vf);
            return d;
        }
        if (n == 0)
            break;
        for (long i = 0; i + 1 < n; i += 2)
            d.samples.push_back(int16_t(uint16_t(uint8_t(buffer[i])) | uint16_t(uint8_t(buffer[i + 1]) << 8)));
    }
    ov_clear(&vf); // also closes the file
    d.ok = true;
    return d;
}

TEST(ContentSounds, EveryEffectOfTheTableDecodesShortAndAudible)
{
    int stereo = 0;
    std::set<std::vector<int16_t>> distinct;
    for (const char *name : kSoundTable) {
        SCOPED_TRACE(name);
        fs::path file = kResources / "Sounds" / name;
        ASSERT_TRUE(fs::is_regular_file(file));
        Decoded d = Decode(file);
        ASSERT_TRUE(d.ok);
        ASSERT_TRUE(d.channels == 1 || d.channels == 2);
        ASSERT_GT(d.rate, 8000);
        double seconds = double(d.samples.size()) / d.channels / double(d.rate);
        EXPECT_GT(seconds, 0.05);
        EXPECT_LT(seconds, 3.0);
        int peak = 0;
        double energy = 0;
        for (int16_t s : d.samples) {
            peak = std::max(peak, std::abs(int(s)));
            energy += double(s) * s;
        }
        double rms = std::sqrt(energy / double(d.samples.size()));
        EXPECT_GT(peak, 6000) << "too quiet";
        EXPECT_LT(peak, 32767) << "clipped";
        EXPECT_GT(rms, 300.0) << "nearly silent";
        if (d.channels == 2)
            stereo++;
        distinct.insert(d.samples);
    }
    EXPECT_GE(stereo, 1);
    EXPECT_EQ(distinct.size(), 36u) << "two effects sound exactly alike";
}

TEST(ContentSounds, StepsStartLoudAndDieAwayQuickly)
{
    for (const char *prefix : {"WalkStep", "RunStep", "LadderStep"})
        for (int i = 0; i < 6; i++) {
            std::string name = prefix + std::to_string(i) + ".ogg";
            SCOPED_TRACE(name);
            Decoded d = Decode(kResources / "Sounds" / name);
            ASSERT_TRUE(d.ok);
            EXPECT_LT(double(d.samples.size()) / d.channels / double(d.rate), 0.3);
            // The loudest moment lies in the first 30 %; the last half is far quieter.
            size_t split = d.samples.size() * 3 / 10, half = d.samples.size() / 2;
            int early = 0, late = 0;
            for (size_t k = 0; k < d.samples.size(); k++) {
                int v = std::abs(int(d.samples[k]));
                if (k < split)
                    early = std::max(early, v);
                else if (k >= half)
                    late = std::max(late, v);
            }
            EXPECT_GT(early, 4 * late);
        }
}

// ---------------------------------------------------------------- textures

struct PNGInfo {
    bool ok = false;
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;
};

PNGInfo ReadPNG(const fs::path &file)
{
    PNGInfo p;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, file.c_str()))
        return p;
    image.format = PNG_FORMAT_RGBA;
    p.rgba.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, p.rgba.data(), 0, nullptr)) {
        png_image_free(&image);
        return p;
    }
    p.width = int(image.width);
    p.height = int(image.height);
    p.ok = true;
    return p;
}

bool PowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

TEST(ContentTextures, EveryImageIsAPNGWithPowerOfTwoSidesAndAPicture)
{
    int count = 0;
    for (const fs::directory_entry &e : fs::directory_iterator(kResources / "Textures")) {
        SCOPED_TRACE(e.path().filename().string());
        EXPECT_EQ(e.path().extension(), ".png");
        PNGInfo p = ReadPNG(e.path());
        ASSERT_TRUE(p.ok);
        EXPECT_TRUE(PowerOfTwo(p.width));
        EXPECT_TRUE(PowerOfTwo(p.height));
        // Not a blank: at least a few distinct colours.
        std::set<uint32_t> colours;
        for (size_t i = 0; i + 3 < p.rgba.size() && colours.size() < 8; i += 4)
            colours.insert(uint32_t(p.rgba[i]) << 24 | uint32_t(p.rgba[i + 1]) << 16 | uint32_t(p.rgba[i + 2]) << 8 |
                           p.rgba[i + 3]);
        EXPECT_GE(colours.size(), 8u);
        count++;
    }
    EXPECT_GE(count, 35);
}

TEST(ContentTextures, ShadowFadesToNothingAtItsEdgeAndCaptionsAreTransparentAround)
{
    PNGInfo shadow = ReadPNG(kResources / "Textures" / "Shdw.png");
    ASSERT_TRUE(shadow.ok);
    auto alpha = [](const PNGInfo &p, int x, int y) { return p.rgba[size_t((y * p.width + x) * 4 + 3)]; };
    EXPECT_EQ(alpha(shadow, 0, 0), 0);
    EXPECT_EQ(alpha(shadow, shadow.width / 2, 0), 0);
    EXPECT_GT(alpha(shadow, shadow.width / 2, shadow.height / 2), 128);
    for (const char *name : {"Paus.png", "SplS.png"}) {
        PNGInfo p = ReadPNG(kResources / "Textures" / name);
        ASSERT_TRUE(p.ok);
        EXPECT_EQ(alpha(p, 0, 0), 0) << name;
        EXPECT_EQ(alpha(p, p.width - 1, p.height - 1), 0) << name;
    }
}

// ------------------------------------------------------------------ models

// The text of an asset file seen as its non-blank lines, each from its first
// non-blank character, the way the game's line scanner walks it.
std::vector<std::string> ScanLines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n' ||
                                   text[i] == '\0'))
            i++;
        size_t end = i;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            end++;
        if (end > i)
            lines.push_back(text.substr(i, end - i));
        i = end;
    }
    return lines;
}

bool Begins(const std::string &line, const char *keyword) { return line.compare(0, std::strlen(keyword), keyword) == 0; }

struct Header {
    int kind = 0;
    std::string identifier;
    std::vector<std::string> requires_;
    size_t end = 0; // index of the header's End line
};

// Checks the common container; failures are reported through gtest.
Header ReadHeader(const std::string &text, const std::vector<std::string> &lines)
{
    Header h;
    EXPECT_EQ(text.compare(0, 6, "Header"), 0) << "the file must start with its Header line";
    size_t i = 0;
    while (i < lines.size() && !Begins(lines[i], "Header"))
        i++;
    if (i == lines.size()) {
        ADD_FAILURE() << "no Header";
        return h;
    }
    for (i++; i < lines.size() && !Begins(lines[i], "End"); i++) {
        char word[16], ident[256], file[256];
        if (std::sscanf(lines[i].c_str(), "Type: %15s", word) == 1) {
            const std::map<std::string, int> kinds = {
                {"Static", 1}, {"Skeleton", 2}, {"Body", 3}, {"Animation", 4}, {"Shader", 5}};
            auto k = kinds.find(word);
            EXPECT_NE(k, kinds.end()) << "unknown Type " << word;
            if (k != kinds.end())
                h.kind = k->second;
        } else if (std::sscanf(lines[i].c_str(), "Identifier: '%255[^']'", ident) == 1) {
            h.identifier = ident;
            EXPECT_EQ(h.identifier.size(), 4u) << "identifiers have four characters";
        } else if (std::sscanf(lines[i].c_str(), "Requires: \"%255[^\"]\"", file) == 1) {
            h.requires_.push_back(file);
        } else {
            ADD_FAILURE() << "unexpected header line: " << lines[i];
        }
    }
    EXPECT_LT(i, lines.size()) << "the header has no End";
    EXPECT_NE(h.kind, 0) << "no Type";
    h.end = i;
    return h;
}

struct Asset {
    std::string fileName;
    std::string text;
    std::vector<std::string> lines;
    Header header;
};

std::vector<Asset> LoadAssets()
{
    std::vector<Asset> assets;
    std::vector<fs::path> files;
    for (const fs::directory_entry &e : fs::directory_iterator(kResources / "Models"))
        files.push_back(e.path());
    std::sort(files.begin(), files.end());
    for (const fs::path &f : files) {
        Asset a;
        a.fileName = f.filename().string();
        a.text = ReadFile(f);
        a.lines = ScanLines(a.text);
        SCOPED_TRACE(a.fileName);
        a.header = ReadHeader(a.text, a.lines);
        assets.push_back(std::move(a));
    }
    return assets;
}

const std::vector<Asset> &Assets()
{
    static const std::vector<Asset> assets = LoadAssets();
    return assets;
}

const Asset *Find(int kind, const std::string &identifier)
{
    for (const Asset &a : Assets())
        if (a.header.kind == kind && a.header.identifier == identifier)
            return &a;
    return nullptr;
}

TEST(ContentModels, EveryFileIsSelectedBySuffixAndNamesItsKind)
{
    const std::map<std::string, int> suffixKinds = {{"modl", 1}, {"skel", 2}, {"body", 3}, {"anim", 4}, {"shdr", 5}};
    ASSERT_FALSE(Assets().empty());
    for (const Asset &a : Assets()) {
        SCOPED_TRACE(a.fileName);
        ASSERT_GT(a.fileName.size(), 4u);
        auto k = suffixKinds.find(a.fileName.substr(a.fileName.size() - 4));
        ASSERT_NE(k, suffixKinds.end());
        EXPECT_EQ(a.header.kind, k->second);
        for (const std::string &r : a.header.requires_)
            EXPECT_TRUE(fs::is_regular_file(kResources / "Models" / r)) << "missing requirement " << r;
    }
}

TEST(ContentModels, EveryIdentifierTheGameAsksForIsThereWithTheRightKind)
{
    for (const char *id : {"Ston", "Dspr", "Appr", "SwtB", "Tprt", "Ddly", "Swtc", "Phas", "Ladr", "Lckd", "Prtl",
                           "Outl", "BlkC", "Gem ", "XLif", "Fthr", "Key "})
        EXPECT_NE(Find(1, id), nullptr) << "static model '" << id << "'";
    EXPECT_NE(Find(2, "Humn"), nullptr);
    EXPECT_NE(Find(3, "Humn"), nullptr);
    EXPECT_NE(Find(4, "Humn"), nullptr);
    for (const char *id : {"none", "Cmnt", "Brck", "Watr", "Shdw", "Paus", "SplS", "Logo", "BtnU", "BtnD", "CbUU",
                           "CbUC", "CbDU", "CbDC", "BlkT", "PlrT", "WtrT", "BInT", "StnT", "PrtT", "DdlT", "LckT",
                           "SwtT", "SwbT", "LdrT", "DspT", "AprT", "TprT", "PhsT", "GemT", "FtrT", "KeyT", "XLfT"})
        EXPECT_NE(Find(5, id), nullptr) << "shader '" << id << "'";
    // No two files claim the same kind and identifier.
    std::set<std::pair<int, std::string>> seen;
    for (const Asset &a : Assets())
        EXPECT_TRUE(seen.insert({a.header.kind, a.header.identifier}).second) << a.fileName;
}

// Shader bodies: sections, keys and their words.
TEST(ContentModels, ShaderFilesFollowTheShaderGrammarAndFindTheirImages)
{
    const std::set<std::string> wraps = {"GL_REPEAT", "GL_CLAMP", "GL_CLAMP_TO_EDGE"};
    const std::set<std::string> filters = {"GL_NEAREST",
                                           "GL_LINEAR",
                                           "GL_NEAREST_MIPMAP_NEAREST",
                                           "GL_NEAREST_MIPMAP_LINEAR",
                                           "GL_LINEAR_MIPMAP_NEAREST",
                                           "GL_LINEAR_MIPMAP_LINEAR"};
    for (const Asset &a : Assets()) {
        if (a.header.kind != 5)
            continue;
        SCOPED_TRACE(a.fileName);
        size_t i = a.header.end + 1;
        ASSERT_LT(i, a.lines.size());
        ASSERT_TRUE(Begins(a.lines[i], "Shader"));
        int state = 0, textures = 0, mipmaps = 0;
        std::string minFilter;
        for (i++; i < a.lines.size(); i++) {
            const std::string &l = a.lines[i];
            char word[256];
            float f[4];
            int n;
            if (state == 0) {
                if (Begins(l, "Texture"))
                    state = 1, textures++;
                else if (Begins(l, "Material"))
                    state = 2;
                else
                    EXPECT_TRUE(Begins(l, "End")) << l;
            } else if (state == 1) {
                if (std::sscanf(l.c_str(), "Filename: \"%255[^\"]\"", word) == 1) {
                    PNGInfo p = ReadPNG(kResources / "Textures" / word);
                    EXPECT_TRUE(p.ok) << word;
                    EXPECT_TRUE(PowerOfTwo(p.width) && PowerOfTwo(p.height)) << word;
                } else if (std::sscanf(l.c_str(), "TextureWrapS: %255s", word) == 1 ||
                           std::sscanf(l.c_str(), "TextureWrapT: %255s", word) == 1) {
                    EXPECT_TRUE(wraps.count(word)) << l;
                } else if (std::sscanf(l.c_str(), "MinFilter: %255s", word) == 1) {
                    EXPECT_TRUE(filters.count(word)) << l;
                    minFilter = word;
                } else if (std::sscanf(l.c_str(), "MagFilter: %255s", word) == 1) {
                    EXPECT_TRUE(filters.count(word)) << l;
                } else if (std::sscanf(l.c_str(), "Mipmaps: %d", &n) == 1) {
                    mipmaps = n;
                } else if (std::sscanf(l.c_str(), "Premultiplied: %d", &n) == 1 ||
                           std::sscanf(l.c_str(), "HasAlpha: %d", &n) == 1) {
                } else {
                    EXPECT_TRUE(Begins(l, "End")) << l;
                    state = 0;
                }
            } else {
                if (std::sscanf(l.c_str(), "Ambient: %f, %f, %f, %f", &f[0], &f[1], &f[2], &f[3]) == 4 ||
                    std::sscanf(l.c_str(), "Diffuse: %f, %f, %f, %f", &f[0], &f[1], &f[2], &f[3]) == 4 ||
                    std::sscanf(l.c_str(), "Specular: %f, %f, %f, %f", &f[0], &f[1], &f[2], &f[3]) == 4 ||
                    std::sscanf(l.c_str(), "Emission: %f, %f, %f, %f", &f[0], &f[1], &f[2], &f[3]) == 4 ||
                    std::sscanf(l.c_str(), "Shininess: %f", &f[0]) == 1) {
                } else {
                    EXPECT_TRUE(Begins(l, "End")) << l;
                    state = 0;
                }
            }
        }
        EXPECT_EQ(state, 0) << "a section is not closed";
        EXPECT_LE(textures, 1);
        // A mipmapped minification filter needs the mipmaps built.
        if (minFilter.find("MIPMAP") != std::string::npos) {
            EXPECT_EQ(mipmaps, 1);
        }
    }
    // The world textures repeat and are mipmapped.
    for (const char *id : {"Cmnt", "Brck", "Watr"}) {
        const Asset *a = Find(5, id);
        ASSERT_NE(a, nullptr);
        EXPECT_NE(a->text.find("Mipmaps: 1"), std::string::npos) << id;
        EXPECT_NE(a->text.find("TextureWrapS: GL_REPEAT"), std::string::npos) << id;
    }
}

struct Bounds {
    float minX = 3.4028235e38f, maxX = -3.4028235e38f, minY = 3.4028235e38f, maxY = -3.4028235e38f,
          minZ = 3.4028235e38f, maxZ = -3.4028235e38f;
    void add(float x, float y, float z)
    {
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
        minZ = std::min(minZ, z), maxZ = std::max(maxZ, z);
    }
};

const std::set<std::string> kPrimitives = {"GL_POINTS",    "GL_LINES",          "GL_LINE_STRIP",   "GL_LINE_LOOP",
                                           "GL_TRIANGLES", "GL_TRIANGLE_STRIP", "GL_TRIANGLE_FAN", "GL_QUADS",
                                           "GL_QUAD_STRIP", "GL_POLYGON"};

bool CountSuits(const std::string &primitive, int n)
{
    if (primitive == "GL_LINES")
        return n % 2 == 0;
    if (primitive == "GL_LINE_STRIP" || primitive == "GL_LINE_LOOP")
        return n >= 2;
    if (primitive == "GL_TRIANGLES")
        return n % 3 == 0;
    if (primitive == "GL_TRIANGLE_STRIP" || primitive == "GL_TRIANGLE_FAN")
        return n >= 3;
    if (primitive == "GL_QUADS")
        return n % 4 == 0;
    if (primitive == "GL_QUAD_STRIP")
        return n >= 4 && n % 2 == 0;
    return true;
}

// Walks a static model body as the loader does, checking counts and order;
// returns the bounds of its vertices.
Bounds CheckStaticModel(const Asset &a)
{
    Bounds b;
    size_t i = a.header.end + 1;
    while (i < a.lines.size() && !Begins(a.lines[i], "StaticModel"))
        i++;
    EXPECT_LT(i, a.lines.size()) << "no StaticModel line";
    int numSegments = -1, opened = 0;
    bool inSegment = false, inVertices = false, ended = false;
    int numVertices = -1, stored = 0;
    std::string primitive;
    for (i++; i < a.lines.size(); i++) {
        const std::string &l = a.lines[i];
        char word[256];
        float x, y, z, w;
        int n;
        if (std::sscanf(l.c_str(), "NumSegments: %d", &n) == 1) {
            EXPECT_EQ(numSegments, -1) << "second NumSegments";
            EXPECT_EQ(opened, 0);
            numSegments = n;
        } else if (Begins(l, "Segment")) {
            EXPECT_FALSE(inSegment) << "segment opened inside a segment";
            opened++;
            inSegment = true;
            numVertices = -1, stored = 0;
            primitive = "GL_POINTS";
        } else if (Begins(l, "End")) {
            if (inVertices) {
                inVertices = false;
                EXPECT_EQ(stored, numVertices) << "vertex count of segment " << opened;
            } else if (inSegment)
                inSegment = false;
            else {
                ended = true;
                break;
            }
        } else if (!inSegment) {
            ADD_FAILURE() << "stray line " << l;
        } else if (std::sscanf(l.c_str(), "Identifier: '%4s'", word) == 1 ||
                   std::sscanf(l.c_str(), "Shader: '%4s'", word) == 1) {
            EXPECT_EQ(std::strlen(word), 4u) << l;
            if (Begins(l, "Shader") && std::string(word) != "none") {
                EXPECT_NE(Find(5, word), nullptr) << "unknown shader " << word;
            }
        } else if (std::sscanf(l.c_str(), "Origin: %f, %f, %f", &x, &y, &z) == 3 ||
                   std::sscanf(l.c_str(), "Billboard: %d", &n) == 1) {
        } else if (std::sscanf(l.c_str(), "PrimitiveType: %255s", word) == 1) {
            EXPECT_TRUE(kPrimitives.count(word)) << l;
            primitive = word;
        } else if (std::sscanf(l.c_str(), "NumVertices: %d", &n) == 1) {
            numVertices = n;
        } else if (Begins(l, "Vertices")) {
            EXPECT_FALSE(inVertices);
            EXPECT_GE(numVertices, 1) << "NumVertices must come before Vertices";
            EXPECT_TRUE(CountSuits(primitive, numVertices)) << primitive << " with " << numVertices;
            inVertices = true;
        } else if (inVertices && std::sscanf(l.c_str(), "Vertex: %f, %f, %f", &x, &y, &z) == 3) {
            stored++;
            b.add(x, y, z);
        } else if (inVertices && (std::sscanf(l.c_str(), "Normal: %f, %f, %f", &x, &y, &z) == 3 ||
                                  std::sscanf(l.c_str(), "TexCoord: %f, %f", &x, &y) == 2 ||
                                  std::sscanf(l.c_str(), "Color: %f, %f, %f, %f", &x, &y, &z, &w) == 4)) {
        } else {
            ADD_FAILURE() << "line not understood: " << l;
        }
    }
    EXPECT_TRUE(ended) << "no final End";
    EXPECT_EQ(opened, numSegments);
    return b;
}

TEST(ContentModels, StaticModelsFollowTheGrammarAndFitTheirBlocks)
{
    std::map<std::string, Bounds> bounds;
    for (const Asset &a : Assets())
        if (a.header.kind == 1) {
            SCOPED_TRACE(a.fileName);
            bounds[a.header.identifier] = CheckStaticModel(a);
        }
    auto within = [&](const char *id, float x0, float x1, float y0, float y1, float z0, float z1,
                      bool fills = true) {
        ASSERT_TRUE(bounds.count(id)) << id;
        const Bounds &b = bounds[id];
        const float e = 0.001f;
        EXPECT_GE(b.minX, x0 - e) << id;
        EXPECT_LE(b.maxX, x1 + e) << id;
        EXPECT_GE(b.minY, y0 - e) << id;
        EXPECT_LE(b.maxY, y1 + e) << id;
        EXPECT_GE(b.minZ, z0 - e) << id;
        EXPECT_LE(b.maxZ, z1 + e) << id;
        // And they fill most of it.
        if (fills) {
            EXPECT_GT(b.maxX - b.minX, 0.6f * (x1 - x0)) << id;
            EXPECT_GT(b.maxY - b.minY, 0.6f * (y1 - y0)) << id;
        }
    };
    // Whole-cell blocks are drawn from the cell's corner.
    for (const char *id : {"Ston", "Dspr", "Appr", "SwtB", "Phas", "Lckd"}) {
        within(id, 0, 6, 0, 6, 0, 6);
        EXPECT_FLOAT_EQ(bounds[id].maxX - bounds[id].minX, 6.0f) << id;
    }
    within("Outl", 0, 6, 0, 6, 0, 6);
    within("BlkC", -0.1f, 6.1f, -0.1f, 6.1f, -0.1f, 6.1f);
    // The deadly block's box is inset by 0.7 and its spikes reach it.
    within("Ddly", 0.7f, 5.3f, 0.7f, 5.3f, 0.7f, 5.3f);
    EXPECT_NEAR(bounds["Ddly"].maxY, 5.3f, 0.01f);
    // Centred types.
    within("Tprt", -3, 3, -3, 3, -3, 3);
    within("Prtl", -3, 3, -3, 3, -3, 3);
    within("Swtc", -1, 1, -2, 2, -1, 1);
    // The ladder stands on the cell floor, rails and rungs inside its box.
    within("Ladr", -1.15f, 1.15f, 0, 6, -0.125f, 0.125f);
    // Powerups are centred on their position and smaller than a cell.
    for (const char *id : {"Gem ", "XLif", "Fthr", "Key "}) {
        within(id, -1.8f, 1.8f, -1.8f, 1.8f, -1.8f, 1.8f, false);
        const Bounds &b = bounds[id];
        EXPECT_GT(b.maxY - b.minY, 1.5f) << id;
        EXPECT_LT(std::fabs(b.maxY + b.minY), 0.6f) << id;
    }
}

struct Skeleton {
    std::set<std::string> bones;
};

Skeleton CheckSkeleton(const Asset &a)
{
    Skeleton s;
    size_t i = a.header.end + 1;
    while (i < a.lines.size() && !Begins(a.lines[i], "Bone"))
        i++;
    EXPECT_LT(i, a.lines.size()) << "no Bone line";
    int depth = 0;
    bool rootClosed = false;
    std::string pending;
    for (; i < a.lines.size() && !rootClosed; i++) {
        const std::string &l = a.lines[i];
        char word[8];
        float x, y, z, w;
        if (std::sscanf(l.c_str(), "Identifier: '%4s'", word) == 1) {
            EXPECT_TRUE(s.bones.insert(word).second) << "bone named twice: " << word;
        } else if (std::sscanf(l.c_str(), "Offset: %f, %f, %f", &x, &y, &z) == 3) {
            EXPECT_EQ(depth, 1) << "only the root's offset is read from the file";
        } else if (std::sscanf(l.c_str(), "Orientation: %f, %f, %f; %f", &x, &y, &z, &w) == 4) {
            EXPECT_GT(x * x + y * y + z * z, 0.5f) << "rotation axes are unit vectors";
        } else if (std::sscanf(l.c_str(), "Length: %f", &x) == 1) {
        } else if (Begins(l, "Bone")) {
            depth++;
        } else if (Begins(l, "End")) {
            depth--;
            rootClosed = depth == 0;
        } else {
            ADD_FAILURE() << "line not understood: " << l;
        }
    }
    EXPECT_TRUE(rootClosed);
    return s;
}

struct AnimationInfo {
    std::map<std::string, std::vector<std::string>> actions;
    std::set<std::string> keyframes;
};

AnimationInfo CheckAnimation(const Asset &a, const Skeleton &skeleton)
{
    AnimationInfo info;
    size_t i = a.header.end + 1;
    while (i < a.lines.size() && !Begins(a.lines[i], "Animation"))
        i++;
    EXPECT_LT(i, a.lines.size()) << "no Animation line";
    enum { Top, KeyList, InKey, InBones, ActList, InAction } state = Top;
    int numKeyframes = -1, keyCount = 0, numBones = -1, boneCount = 0, numActions = -1, actionCount = 0;
    int actionKeys = -1;
    bool orientationPending = false, skeletonNamed = false, ended = false;
    std::string current;
    for (i++; i < a.lines.size() && !ended; i++) {
        const std::string &l = a.lines[i];
        char word[8];
        float x, y, z, w;
        int n;
        switch (state) {
        case Top:
            if (std::sscanf(l.c_str(), "Skeleton: '%4s'", word) == 1) {
                EXPECT_NE(Find(2, word), nullptr) << "skeleton " << word;
                skeletonNamed = true;
            } else if (Begins(l, "Keyframes"))
                state = KeyList;
            else if (Begins(l, "Actions"))
                state = ActList;
            else if (Begins(l, "End"))
                ended = true;
            else
                ADD_FAILURE() << "line not understood: " << l;
            break;
        case KeyList:
            if (std::sscanf(l.c_str(), "NumKeyframes: %d", &n) == 1) {
                EXPECT_EQ(numKeyframes, -1);
                numKeyframes = n;
            } else if (Begins(l, "Keyframe")) {
                EXPECT_GE(numKeyframes, 0) << "Keyframe before NumKeyframes";
                keyCount++;
                EXPECT_LE(keyCount, numKeyframes);
                state = InKey;
                numBones = -1, boneCount = 0;
                current.clear();
            } else if (Begins(l, "End")) {
                EXPECT_EQ(keyCount, numKeyframes);
                state = Top;
            } else
                ADD_FAILURE() << "line not understood: " << l;
            break;
        case InKey:
            if (std::sscanf(l.c_str(), "Identifier: '%4s'", word) == 1) {
                current = word;
                EXPECT_TRUE(info.keyframes.insert(word).second) << "keyframe named twice: " << word;
            } else if (std::sscanf(l.c_str(), "Offset: %f, %f, %f", &x, &y, &z) == 3) {
            } else if (std::sscanf(l.c_str(), "Interval: %f", &x) == 1) {
                EXPECT_GT(x, 0.0f) << current;
            } else if (std::sscanf(l.c_str(), "NumBones: %d", &n) == 1) {
                numBones = n;
            } else if (Begins(l, "Bones")) {
                EXPECT_GE(numBones, 1);
                state = InBones;
            } else if (Begins(l, "End")) {
                EXPECT_EQ(boneCount, numBones) << current;
                EXPECT_EQ(boneCount, int(skeleton.bones.size())) << "every keyframe poses every bone";
                state = KeyList;
            } else
                ADD_FAILURE() << "line not understood: " << l;
            break;
        case InBones:
            if (std::sscanf(l.c_str(), "Orientation: %f, %f, %f; %f", &x, &y, &z, &w) == 4) {
                orientationPending = true;
            } else if (std::sscanf(l.c_str(), "Bone: '%4s'", word) == 1) {
                EXPECT_TRUE(orientationPending) << "each bone's rotation comes before it";
                orientationPending = false;
                EXPECT_TRUE(skeleton.bones.count(word)) << "keyframe bone " << word;
                boneCount++;
            } else if (Begins(l, "End")) {
                state = InKey;
            } else
                ADD_FAILURE() << "line not understood: " << l;
            break;
        case ActList:
            if (std::sscanf(l.c_str(), "NumActions: %d", &n) == 1) {
                EXPECT_EQ(numActions, -1);
                numActions = n;
            } else if (Begins(l, "Action")) {
                EXPECT_GE(numActions, 0);
                actionCount++;
                state = InAction;
                actionKeys = -1;
                current.clear();
            } else if (Begins(l, "End")) {
                EXPECT_EQ(actionCount, numActions);
                state = Top;
            } else
                ADD_FAILURE() << "line not understood: " << l;
            break;
        case InAction:
            if (std::sscanf(l.c_str(), "Identifier: '%4s'", word) == 1) {
                current = word;
                EXPECT_FALSE(info.actions.count(word)) << "action named twice";
                info.actions[current];
            } else if (std::sscanf(l.c_str(), "NumKeyframes: %d", &n) == 1) {
                actionKeys = n;
            } else if (std::sscanf(l.c_str(), "Keyframe: '%4s'", word) == 1) {
                EXPECT_GE(actionKeys, 0) << "Keyframe entry before NumKeyframes";
                EXPECT_TRUE(info.keyframes.count(word)) << "unknown keyframe " << word;
                info.actions[current].push_back(word);
            } else if (Begins(l, "End")) {
                EXPECT_EQ(int(info.actions[current].size()), actionKeys) << current;
                state = ActList;
            } else
                ADD_FAILURE() << "line not understood: " << l;
            break;
        }
    }
    EXPECT_TRUE(skeletonNamed);
    EXPECT_TRUE(ended);
    return info;
}

TEST(ContentModels, ThePlayerCharacterHasEveryActionAndItsStepMarkers)
{
    const Asset *skel = Find(2, "Humn"), *anim = Find(4, "Humn");
    ASSERT_NE(skel, nullptr);
    ASSERT_NE(anim, nullptr);
    Skeleton s = CheckSkeleton(*skel);
    EXPECT_GE(s.bones.size(), 15u);
    EXPECT_NE(std::find(anim->header.requires_.begin(), anim->header.requires_.end(), skel->fileName),
              anim->header.requires_.end());
    AnimationInfo info = CheckAnimation(*anim, s);
    for (const char *action : {"Stnd", "WkFL", "WkFR", "RnFL", "RnFR", "Jump", "Fall", "LdUL", "LdUR"})
        EXPECT_TRUE(info.actions.count(action)) << action;
    auto has = [&](const char *action, const char *marker) {
        const std::vector<std::string> &k = info.actions[action];
        return std::count(k.begin(), k.end(), marker) == 1;
    };
    for (const char *action : {"WkFL", "WkFR"}) {
        EXPECT_TRUE(has(action, "Wk04")) << action;
        EXPECT_TRUE(has(action, "Wk10")) << action;
    }
    for (const char *action : {"RnFL", "RnFR"}) {
        EXPECT_TRUE(has(action, "Rn03")) << action;
        EXPECT_TRUE(has(action, "Rn07")) << action;
    }
    for (const char *action : {"LdUL", "LdUR"}) {
        EXPECT_TRUE(has(action, "LU03")) << action;
        EXPECT_TRUE(has(action, "LU07")) << action;
    }
    // Starting on the other foot plays the same cycle from another point.
    EXPECT_EQ(info.actions["WkFL"].front(), "Wk01");
    EXPECT_NE(info.actions["WkFR"].front(), "Wk01");
    EXPECT_EQ(info.actions["WkFL"].size(), info.actions["WkFR"].size());
}

TEST(ContentModels, TheBodyIsSkinnedToTheSkeletonAndStandsAboutFivePointSixTall)
{
    const Asset *body = Find(3, "Humn"), *anim = Find(4, "Humn"), *skel = Find(2, "Humn");
    ASSERT_NE(body, nullptr);
    ASSERT_NE(anim, nullptr);
    ASSERT_NE(skel, nullptr);
    Skeleton s = CheckSkeleton(*skel);
    EXPECT_NE(std::find(body->header.requires_.begin(), body->header.requires_.end(), anim->fileName),
              body->header.requires_.end());

    size_t i = body->header.end + 1;
    while (i < body->lines.size() && !Begins(body->lines[i], "Body"))
        i++;
    ASSERT_LT(i, body->lines.size());
    bool animationNamed = false, inSegment = false, inVertices = false, ended = false;
    int numSegments = -1, segments = 0, numVertices = -1, stored = 0;
    std::string primitive;
    std::string slot[4];
    float weight[4] = {1, 0, 0, 0};
    Bounds b, front;
    for (i++; i < body->lines.size() && !ended; i++) {
        const std::string &l = body->lines[i];
        char word[256];
        float x, y, z, w;
        int n;
        if (!inSegment) {
            if (std::sscanf(l.c_str(), "Animation: '%4s'", word) == 1) {
                EXPECT_STREQ(word, "Humn");
                animationNamed = true;
            } else if (std::sscanf(l.c_str(), "NumSegments: %d", &n) == 1)
                numSegments = n;
            else if (Begins(l, "Segment")) {
                inSegment = true;
                segments++;
                numVertices = -1, stored = 0;
            } else if (Begins(l, "End"))
                ended = true;
            else
                ADD_FAILURE() << "line not understood: " << l;
        } else if (!inVertices) {
            if (std::sscanf(l.c_str(), "Identifier: '%4s'", word) == 1) {
            } else if (std::sscanf(l.c_str(), "Shader: '%4s'", word) == 1) {
                EXPECT_NE(Find(5, word), nullptr) << word;
            } else if (std::sscanf(l.c_str(), "PrimitiveType: %255s", word) == 1) {
                EXPECT_TRUE(kPrimitives.count(word));
                primitive = word;
            } else if (std::sscanf(l.c_str(), "NumVertices: %d", &n) == 1)
                numVertices = n;
            else if (l.compare(0, 5, "Verti") == 0) {
                EXPECT_TRUE(animationNamed) << "Vertices before the Animation line";
                EXPECT_TRUE(CountSuits(primitive, numVertices));
                inVertices = true;
                for (int k = 0; k < 4; k++)
                    slot[k].clear(), weight[k] = k == 0 ? 1.f : 0.f;
            } else if (Begins(l, "End")) {
                inSegment = false;
                EXPECT_EQ(stored, numVertices);
            } else
                ADD_FAILURE() << "line not understood: " << l;
        } else {
            if (std::sscanf(l.c_str(), "Vertex: %f, %f, %f", &x, &y, &z) == 3) {
                stored++;
                b.add(x, y, z);
                if (y > 5.0f)
                    front.add(x, y, z);
                // Every vertex has its bones, and weights that add up to 1.
                ASSERT_FALSE(slot[0].empty());
                int used = 0;
                float sum = 0;
                for (int k = 0; k < 4 && !slot[k].empty(); k++)
                    used++, sum += weight[k];
                if (used > 1) {
                    EXPECT_NEAR(sum, 1.0f, 0.002f);
                }
            } else if (std::sscanf(l.c_str(), "Normal: %f, %f, %f", &x, &y, &z) == 3 ||
                       std::sscanf(l.c_str(), "TexCoord: %f, %f", &x, &y) == 2 ||
                       std::sscanf(l.c_str(), "Color: %f, %f, %f, %f", &x, &y, &z, &w) == 4) {
            } else if (std::sscanf(l.c_str(), "Bone%d: '%4s'", &n, word) == 2) {
                ASSERT_TRUE(n >= 1 && n <= 4) << l;
                ASSERT_TRUE(s.bones.count(word)) << "Bone not found: " << word;
                slot[n - 1] = word;
            } else if (std::sscanf(l.c_str(), "Weight%d: %f", &n, &x) == 2) {
                ASSERT_TRUE(n >= 1 && n <= 4) << l;
                weight[n - 1] = x;
            } else if (Begins(l, "End"))
                inVertices = false;
            else
                ADD_FAILURE() << "line not understood: " << l;
        }
    }
    EXPECT_EQ(segments, numSegments);
    EXPECT_TRUE(ended || i == body->lines.size());
    // About 5.6 units from the feet up, standing on y = 0 around the y axis.
    EXPECT_NEAR(b.minY, 0.0f, 0.08f);
    EXPECT_NEAR(b.maxY - b.minY, 5.6f, 0.15f);
    EXPECT_LT(std::max(std::fabs(b.minX), std::fabs(b.maxX)), 1.5f);
    // Facing +z: the face reaches further forwards than the back of the head.
    EXPECT_GT(front.maxZ, -front.minZ);
}

// ----------------------------------------------------------- the poses

// The skinning arithmetic the game applies, in doubles: every bone turns
// about its start joint after all its ancestors, the root about the origin.
struct Q {
    double x = 0, y = 0, z = 0, w = 1;
};
struct P3 {
    double x = 0, y = 0, z = 0;
};
P3 operator+(P3 a, P3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
P3 operator-(P3 a, P3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
P3 operator*(P3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }

Q AxisAngle(double x, double y, double z, double degrees)
{
    double l = std::sqrt(x * x + y * y + z * z), h = degrees * M_PI / 360.0;
    return {x / l * std::sin(h), y / l * std::sin(h), z / l * std::sin(h), std::cos(h)};
}
Q Mul(Q a, Q b)
{
    return {a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
            a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}
P3 Rotate(Q q, P3 v)
{
    P3 u{q.x, q.y, q.z};
    auto cross = [](P3 a, P3 b) { return P3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; };
    P3 t = cross(u, v) * 2.0;
    return v + t * q.w + cross(u, t);
}
struct Rigid {
    Q r;
    P3 t;
};
P3 Apply(const Rigid &m, P3 p) { return Rotate(m.r, p) + m.t; }

struct Rig {
    std::vector<std::string> ids;
    std::vector<int> parent;
    std::vector<P3> end; // rest end points (the root's: its offset)
    int index(const std::string &id) const
    {
        auto it = std::find(ids.begin(), ids.end(), id);
        return it == ids.end() ? -1 : int(it - ids.begin());
    }
};

Rig ReadRig(const Asset &a)
{
    Rig rig;
    std::vector<Q> rest;
    std::vector<double> length;
    int current = -1;
    size_t i = a.header.end + 1;
    while (i < a.lines.size() && !Begins(a.lines[i], "Bone"))
        i++;
    for (; i < a.lines.size(); i++) {
        const std::string &l = a.lines[i];
        char word[8];
        float x, y, z, w;
        if (std::sscanf(l.c_str(), "Identifier: '%4s'", word) == 1)
            rig.ids[size_t(current)] = word;
        else if (std::sscanf(l.c_str(), "Offset: %f, %f, %f", &x, &y, &z) == 3)
            rig.end[size_t(current)] = {x, y, z};
        else if (std::sscanf(l.c_str(), "Orientation: %f, %f, %f; %f", &x, &y, &z, &w) == 4)
            rest[size_t(current)] = AxisAngle(x, y, z, w);
        else if (std::sscanf(l.c_str(), "Length: %f", &x) == 1)
            length[size_t(current)] = x;
        else if (Begins(l, "Bone")) {
            rig.ids.push_back("none");
            rig.parent.push_back(current);
            rig.end.push_back({});
            rest.push_back({});
            length.push_back(0);
            current = int(rig.ids.size()) - 1;
        } else if (Begins(l, "End")) {
            current = rig.parent[size_t(current)];
            if (current < 0)
                break;
        }
    }
    // Bones were appended in pre-order, so parents come first.
    for (size_t b = 1; b < rig.ids.size(); b++)
        rig.end[b] = rig.end[size_t(rig.parent[b])] + Rotate(rest[b], P3{0, length[b], 0});
    return rig;
}

struct Pose {
    P3 offset;
    std::vector<std::pair<std::string, Q>> rotations;
};

std::map<std::string, Pose> ReadPoses(const Asset &a)
{
    std::map<std::string, Pose> poses;
    Pose pose;
    std::string id;
    Q pending;
    bool inList = false, inKey = false, inBones = false;
    for (size_t i = a.header.end + 1; i < a.lines.size(); i++) {
        const std::string &l = a.lines[i];
        char word[8];
        float x, y, z, w;
        if (!inList) {
            inList = Begins(l, "Keyframes");
        } else if (inBones) {
            if (std::sscanf(l.c_str(), "Orientation: %f, %f, %f; %f", &x, &y, &z, &w) == 4)
                pending = AxisAngle(x, y, z, w);
            else if (std::sscanf(l.c_str(), "Bone: '%4s'", word) == 1)
                pose.rotations.push_back({word, pending});
            else if (Begins(l, "End"))
                inBones = false;
        } else if (inKey) {
            if (std::sscanf(l.c_str(), "Identifier: '%4s'", word) == 1)
                id = word;
            else if (std::sscanf(l.c_str(), "Offset: %f, %f, %f", &x, &y, &z) == 3)
                pose.offset = {x, y, z};
            else if (Begins(l, "Bones"))
                inBones = true;
            else if (Begins(l, "End")) {
                poses[id] = pose;
                inKey = false;
            }
        } else if (Begins(l, "Keyframe")) {
            inKey = true;
            pose = Pose{};
        } else if (Begins(l, "End"))
            break;
    }
    return poses;
}

struct SkinVertex {
    P3 p;
    int bone[4];
    double weight[4];
    int used;
};

std::vector<SkinVertex> ReadSkin(const Asset &a, const Rig &rig)
{
    std::vector<SkinVertex> v;
    SkinVertex current{};
    bool inVertices = false;
    for (size_t i = a.header.end + 1; i < a.lines.size(); i++) {
        const std::string &l = a.lines[i];
        char word[8];
        float x, y, z;
        int n;
        if (!inVertices) {
            if (l.compare(0, 5, "Verti") == 0) {
                inVertices = true;
                current = SkinVertex{{}, {-1, -1, -1, -1}, {1, 0, 0, 0}, 0};
            }
        } else if (std::sscanf(l.c_str(), "Vertex: %f, %f, %f", &x, &y, &z) == 3) {
            current.p = {x, y, z};
            current.used = 0;
            while (current.used < 4 && current.bone[current.used] >= 0)
                current.used++;
            v.push_back(current);
        } else if (std::sscanf(l.c_str(), "Bone%d: '%4s'", &n, word) == 2) {
            if (n >= 1 && n <= 4 && std::strcmp(word, "none") != 0)
                current.bone[n - 1] = rig.index(word);
        } else if (std::sscanf(l.c_str(), "Weight%d: %f", &n, &x) == 2) {
            if (n >= 1 && n <= 4)
                current.weight[n - 1] = x;
        } else if (Begins(l, "End"))
            inVertices = false;
    }
    return v;
}

std::vector<Rigid> BoneTransforms(const Rig &rig, const Pose &pose)
{
    std::vector<Q> r(rig.ids.size());
    for (const auto &[id, q] : pose.rotations) {
        int b = rig.index(id);
        if (b >= 0)
            r[size_t(b)] = q;
    }
    std::vector<Rigid> m(rig.ids.size());
    m[0] = {r[0], {}};
    for (size_t b = 1; b < rig.ids.size(); b++) {
        const Rigid &p = m[size_t(rig.parent[b])];
        P3 c = rig.end[size_t(rig.parent[b])];
        Rigid local{r[b], c - Rotate(r[b], c)};
        m[b] = {Mul(p.r, local.r), Apply(p, local.t)};
    }
    return m;
}

P3 Skin(const SkinVertex &v, const std::vector<Rigid> &m, const Pose &pose)
{
    P3 out;
    if (v.used == 1)
        out = Apply(m[size_t(v.bone[0])], v.p);
    else
        for (int k = 0; k < v.used; k++)
            out = out + Apply(m[size_t(v.bone[k])], v.p) * v.weight[k];
    return out + pose.offset;
}

struct PoseFixture {
    Rig rig;
    std::map<std::string, Pose> poses;
    std::vector<SkinVertex> skin;
    bool ok = false;
    PoseFixture()
    {
        const Asset *skel = Find(2, "Humn"), *anim = Find(4, "Humn"), *body = Find(3, "Humn");
        if (!skel || !anim || !body)
            return;
        rig = ReadRig(*skel);
        poses = ReadPoses(*anim);
        skin = ReadSkin(*body, rig);
        ok = !rig.ids.empty() && !poses.empty() && !skin.empty();
    }
    // Lowest point of the vertices driven mainly by the named bones.
    double lowest(const std::string &pose, std::initializer_list<const char *> bones) const
    {
        const Pose &p = poses.at(pose);
        std::vector<Rigid> m = BoneTransforms(rig, p);
        double low = 1e9;
        for (const SkinVertex &v : skin) {
            bool wanted = bones.size() == 0;
            for (const char *b : bones)
                wanted = wanted || v.bone[0] == rig.index(b);
            if (wanted)
                low = std::min(low, Skin(v, m, p).y);
        }
        return low;
    }
    double highest(const std::string &pose, const char *bone) const
    {
        const Pose &p = poses.at(pose);
        std::vector<Rigid> m = BoneTransforms(rig, p);
        double high = -1e9;
        for (const SkinVertex &v : skin)
            if (v.bone[0] == rig.index(bone))
                high = std::max(high, Skin(v, m, p).y);
        return high;
    }
    double forward(const std::string &pose, const char *bone) const
    {
        const Pose &p = poses.at(pose);
        std::vector<Rigid> m = BoneTransforms(rig, p);
        double z = -1e9;
        for (const SkinVertex &v : skin)
            if (v.bone[0] == rig.index(bone))
                z = std::max(z, Skin(v, m, p).z);
        return z;
    }
};

TEST(ContentPoses, StandingAndWalkingKeepAFootOnTheFloor)
{
    PoseFixture f;
    ASSERT_TRUE(f.ok);
    for (const auto &[id, pose] : f.poses) {
        if (id.compare(0, 3, "Std") && id.compare(0, 2, "Wk"))
            continue;
        SCOPED_TRACE(id);
        EXPECT_NEAR(f.lowest(id, {}), 0.0, 0.08);
    }
}

TEST(ContentPoses, StepMarkersAreTheMomentsAFootComesDown)
{
    PoseFixture f;
    ASSERT_TRUE(f.ok);
    // Walking: at Wk04 the left foot is down and ahead, at Wk10 the right.
    EXPECT_NEAR(f.lowest("Wk04", {"FotL", "ShnL"}), 0.0, 0.1);
    EXPECT_GT(f.forward("Wk04", "FotL"), f.forward("Wk04", "FotR") + 0.5);
    EXPECT_NEAR(f.lowest("Wk10", {"FotR", "ShnR"}), 0.0, 0.1);
    EXPECT_GT(f.forward("Wk10", "FotR"), f.forward("Wk10", "FotL") + 0.5);
    // Between the markers the other foot swings clear of the floor.
    EXPECT_GT(f.lowest("Wk07", {"FotR"}), 0.15);
    EXPECT_GT(f.lowest("Wk01", {"FotL"}), 0.15);
    // Running: the left foot lands at Rn03, the right at Rn07, and both
    // feet leave the floor in between.
    EXPECT_NEAR(f.lowest("Rn03", {"FotL", "ShnL"}), 0.0, 0.1);
    EXPECT_NEAR(f.lowest("Rn07", {"FotR", "ShnR"}), 0.0, 0.1);
    EXPECT_GT(f.lowest("Rn05", {}), 0.1);
    EXPECT_GT(f.lowest("Rn01", {}), 0.1);
    // Climbing: each hand grips at its highest point.
    for (int i = 1; i <= 8; i++) {
        std::string id = "LU0" + std::to_string(i);
        EXPECT_GE(f.highest("LU03", "HndL"), f.highest(id, "HndL") - 1e-6) << id;
        EXPECT_GE(f.highest("LU07", "HndR"), f.highest(id, "HndR") - 1e-6) << id;
    }
    // The hands reach above the head when they grip.
    EXPECT_GT(f.highest("LU03", "HndL"), 5.6);
}

// ------------------------------------------------------------- determinism

// Runs a tool into a fresh folder and compares every file it writes with the
// build's resources.
void ExpectSameOutput(const char *tool, const char *folder, const std::string &extra)
{
    fs::path out = fs::temp_directory_path() / ("brimhold-content-" + std::to_string(getpid()) + "-" + folder);
    fs::remove_all(out);
    fs::path program = fs::path(BRIMHOLD_BINARY_DIR) / "Tools" / tool;
    ASSERT_TRUE(fs::is_regular_file(program)) << program;
    std::string command = "\"" + program.string() + "\" \"" + out.string() + "\"" + extra + " > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    int files = 0;
    for (const fs::directory_entry &e : fs::directory_iterator(out)) {
        SCOPED_TRACE(e.path().filename().string());
        fs::path shipped = kResources / folder / e.path().filename();
        ASSERT_TRUE(fs::is_regular_file(shipped));
        EXPECT_TRUE(ReadFile(e.path()) == ReadFile(shipped)) << "differs from the first run";
        files++;
    }
    int shippedFiles = int(std::distance(fs::directory_iterator(kResources / folder), fs::directory_iterator()));
    EXPECT_EQ(files, shippedFiles);
    fs::remove_all(out);
}

// The build declares every file the tools write (so it reruns them when one
// goes missing): each file's name appears in the build's resource list.
TEST(ContentTools, TheBuildDeclaresEveryFileTheToolsWrite)
{
    std::string list = ReadFile(fs::path(BRIMHOLD_SOURCE_DIR) / "Tools" / "ResourceList.cmake");
    ASSERT_FALSE(list.empty());
    std::set<std::string> tokens;
    std::string token;
    for (char c : list + " ") {
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_') {
            token += c;
        } else {
            if (!token.empty())
                tokens.insert(token);
            token.clear();
        }
    }
    for (const char *folder : {"Models", "Textures"})
        for (const fs::directory_entry &e : fs::directory_iterator(kResources / folder))
            EXPECT_TRUE(tokens.count(e.path().stem().string()) || tokens.count(e.path().filename().string()))
                << e.path().filename();
    for (const fs::directory_entry &e : fs::directory_iterator(kResources / "Sounds"))
        EXPECT_NE(list.find("\"" + e.path().filename().string() + "\""), std::string::npos) << e.path().filename();
}

TEST(ContentTools, EveryToolWritesTheSameBytesOnEveryRun)
{
    ExpectSameOutput("ModelMaker", "Models", "");
    ExpectSameOutput("SoundMaker", "Sounds", "");
    ExpectSameOutput("TextureMaker", "Textures", " /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf");
}

} // namespace
