// ModelMaker writes the asset text files of the Models resource folder: the
// shaders (materials and the textures that TextureMaker draws), the static
// models of the blocks, powerups and editor helpers, and the player
// character's skeleton, animation and skinned body.  Everything is built from
// code, so the output is the same on every run.
//
// Usage: ModelMaker <output folder>

#include "Geometry.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

using namespace tools;

namespace {

std::filesystem::path outputFolder;
int filesWritten = 0;

// Numbers are written with at most four decimals and no trailing zeros.
std::string num(double v)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.4f", v);
    std::string s = buffer;
    if (s.find('.') != std::string::npos) {
        while (!s.empty() && s.back() == '0')
            s.pop_back();
        if (!s.empty() && s.back() == '.')
            s.pop_back();
    }
    if (s == "-0")
        s = "0";
    return s;
}

std::string nums(std::initializer_list<double> values)
{
    std::string s;
    for (double v : values) {
        if (!s.empty())
            s += ", ";
        s += num(v);
    }
    return s;
}

// Accumulates indented lines of one file.
struct Text {
    std::string s;
    int depth = 0;
    void line(const std::string &l)
    {
        s.append(size_t(depth), '\t');
        s += l;
        s += '\n';
    }
    void open(const std::string &l)
    {
        line(l);
        depth++;
    }
    void close()
    {
        depth--;
        line("End");
    }
};

bool writeFile(const std::string &name, const std::string &contents)
{
    std::ofstream out(outputFolder / name, std::ios::binary | std::ios::trunc);
    out << contents;
    out.close();
    if (!out) {
        std::fprintf(stderr, "ModelMaker: cannot write %s\n", name.c_str());
        return false;
    }
    filesWritten++;
    return true;
}

void header(Text &t, const char *type, const std::string &identifier, const std::vector<std::string> &requires_ = {})
{
    t.line("Header");
    t.depth++;
    t.line(std::string("Type: ") + type);
    t.line("Identifier: '" + identifier + "'");
    for (const std::string &r : requires_)
        t.line("Requires: \"" + r + "\"");
    t.close();
    t.line("");
}

// ---------------------------------------------------------------- shaders

struct Colour {
    double r, g, b, a;
};

struct ShaderDef {
    std::string identifier;
    std::string image; // empty: no texture
    bool mipmaps = false;
    bool clamp = false;
    bool alpha = false;
    bool material = false;
    Colour ambient{0.2, 0.2, 0.2, 1}, diffuse{0.8, 0.8, 0.8, 1}, specular{0, 0, 0, 1}, emission{0, 0, 0, 1};
    double shininess = 0;
};

bool writeShader(const ShaderDef &d)
{
    Text t;
    header(t, "Shader", d.identifier);
    t.open("Shader");
    if (!d.image.empty()) {
        t.open("Texture");
        t.line("Filename: \"" + d.image + "\"");
        const char *wrap = d.clamp ? "GL_CLAMP_TO_EDGE" : "GL_REPEAT";
        t.line(std::string("TextureWrapS: ") + wrap);
        t.line(std::string("TextureWrapT: ") + wrap);
        t.line(std::string("MinFilter: ") + (d.mipmaps ? "GL_LINEAR_MIPMAP_LINEAR" : "GL_LINEAR"));
        t.line("MagFilter: GL_LINEAR");
        t.line(std::string("Mipmaps: ") + (d.mipmaps ? "1" : "0"));
        t.line(std::string("HasAlpha: ") + (d.alpha ? "1" : "0"));
        t.line("Premultiplied: 0");
        t.close();
    }
    if (d.material) {
        t.open("Material");
        auto c = [](const Colour &c) { return nums({c.r, c.g, c.b, c.a}); };
        t.line("Ambient: " + c(d.ambient));
        t.line("Diffuse: " + c(d.diffuse));
        t.line("Specular: " + c(d.specular));
        t.line("Emission: " + c(d.emission));
        t.line("Shininess: " + num(d.shininess));
        t.close();
    }
    t.close();
    return writeFile(d.identifier + ".shdr", t.s);
}

// A world texture: repeating and mipmapped.
ShaderDef worldTexture(const std::string &id)
{
    ShaderDef d;
    d.identifier = id;
    d.image = id + ".png";
    d.mipmaps = true;
    return d;
}

// An interface image: clamped, not mipmapped, with alpha.
ShaderDef interfaceImage(const std::string &id)
{
    ShaderDef d;
    d.identifier = id;
    d.image = id + ".png";
    d.clamp = true;
    d.alpha = true;
    return d;
}

ShaderDef materialOnly(const std::string &id, Colour specular, double shininess, Colour emission)
{
    ShaderDef d;
    d.identifier = id;
    d.material = true;
    d.specular = specular;
    d.shininess = shininess;
    d.emission = emission;
    return d;
}

bool writeShaders()
{
    std::vector<ShaderDef> all;
    ShaderDef none;
    none.identifier = "none";
    all.push_back(none);

    for (const char *id : {"Cmnt", "Brck", "Watr"})
        all.push_back(worldTexture(id));

    // Block faces: textured, with a little gloss on the metal and glass ones.
    for (const char *id : {"TxSt", "TxDs", "TxAp", "TxLk", "TxWd"})
        all.push_back(worldTexture(id));
    {
        ShaderDef d = worldTexture("TxSw");
        d.material = true;
        d.specular = {0.5, 0.5, 0.5, 1};
        d.shininess = 30;
        all.push_back(d);
    }
    {
        ShaderDef d = worldTexture("TxPh");
        d.material = true;
        d.specular = {0.6, 0.8, 1.0, 1};
        d.shininess = 50;
        d.emission = {0.05, 0.15, 0.25, 1};
        all.push_back(d);
    }
    {
        ShaderDef d = worldTexture("TxDd");
        d.material = true;
        d.emission = {0.35, 0.08, 0.0, 1};
        all.push_back(d);
    }
    {
        ShaderDef d = worldTexture("TxTp");
        d.clamp = true;
        d.alpha = true;
        d.material = true;
        d.emission = {0.5, 0.4, 0.6, 1};
        all.push_back(d);
    }
    {
        ShaderDef d = worldTexture("Swrl");
        d.clamp = true;
        d.alpha = true;
        d.material = true;
        d.emission = {0.8, 0.75, 0.5, 1};
        all.push_back(d);
    }
    all.push_back(materialOnly("Metl", {0.9, 0.9, 0.85, 1}, 40, {0, 0, 0, 1}));
    all.push_back(materialOnly("Shny", {1, 1, 1, 1}, 90, {0.12, 0.12, 0.12, 1}));
    all.push_back(materialOnly("Glow", {0.3, 0.3, 0.3, 1}, 20, {0.45, 0.45, 0.45, 1}));
    all.push_back(materialOnly("Skin", {0.15, 0.15, 0.15, 1}, 12, {0, 0, 0, 1}));

    {
        ShaderDef d = interfaceImage("Shdw");
        all.push_back(d);
    }
    for (const char *id : {"Paus", "SplS", "Logo", "BtnU", "BtnD", "CbUU", "CbUC", "CbDU", "CbDC", "BlkT", "PlrT",
                           "WtrT", "BInT", "StnT", "PrtT", "DdlT", "LckT", "SwtT", "SwbT", "LdrT", "DspT", "AprT",
                           "TprT", "PhsT", "GemT", "FtrT", "KeyT", "XLfT"})
        all.push_back(interfaceImage(id));

    for (const ShaderDef &d : all)
        if (!writeShader(d))
            return false;
    return true;
}

// ---------------------------------------------------------- static models

struct SVertex {
    V3 p, n;
    double s = 0, t = 0;
    Colour c{1, 1, 1, 1};
};

struct Segment {
    std::string identifier;
    std::string shader = "none";
    std::string primitive = "GL_TRIANGLES";
    V3 origin;
    bool billboard = false;
    std::vector<SVertex> v;
};

struct StaticModel {
    std::string identifier;
    std::string fileName;
    std::deque<Segment> segments; // references to earlier segments stay valid while adding
    Segment &add(const std::string &id, const std::string &shader, const std::string &primitive)
    {
        segments.push_back(Segment{});
        Segment &s = segments.back();
        s.identifier = id;
        s.shader = shader;
        s.primitive = primitive;
        return s;
    }
};

// Triangles are turned so that they wind counter-clockwise seen from the side
// their normals point to, because back faces are culled.
void triangle(Segment &s, SVertex a, SVertex b, SVertex c)
{
    V3 face = cross(b.p - a.p, c.p - a.p);
    if (dot(face, a.n + b.n + c.n) < 0)
        std::swap(b, c);
    s.v.push_back(a);
    s.v.push_back(b);
    s.v.push_back(c);
}

void quadAsTriangles(Segment &s, const SVertex &a, const SVertex &b, const SVertex &c, const SVertex &d)
{
    triangle(s, a, b, c);
    triangle(s, a, c, d);
}

// Four corners for GL_QUADS, wound to face their normals.
void quad(Segment &s, SVertex a, SVertex b, SVertex c, SVertex d)
{
    V3 face = cross(c.p - a.p, d.p - b.p);
    if (dot(face, a.n + b.n + c.n + d.n) < 0) {
        std::swap(b, d);
    }
    s.v.push_back(a);
    s.v.push_back(b);
    s.v.push_back(c);
    s.v.push_back(d);
}

SVertex vert(V3 p, V3 n, Colour c, double s = 0, double t = 0)
{
    SVertex v;
    v.p = p;
    v.n = n;
    v.c = c;
    v.s = s;
    v.t = t;
    return v;
}

// The six faces of a box as GL_QUADS with texture coordinates 0..1 per face
// (t runs up the side faces).
void boxQuads(Segment &s, V3 lo, V3 hi, Colour c)
{
    struct Face {
        V3 n, u, v;
    };
    const Face faces[6] = {{{1, 0, 0}, {0, 0, -1}, {0, 1, 0}},  {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
                           {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},   {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}},
                           {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}}, {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}}};
    V3 centre = (lo + hi) * 0.5, half = (hi - lo) * 0.5;
    for (const Face &f : faces) {
        auto scale = [&](V3 d) { return V3{d.x * half.x, d.y * half.y, d.z * half.z}; };
        V3 fc = centre + scale(f.n);
        V3 u = scale(f.u), v = scale(f.v);
        quad(s, vert(fc - u - v, f.n, c, 0, 0), vert(fc + u - v, f.n, c, 1, 0), vert(fc + u + v, f.n, c, 1, 1),
             vert(fc - u + v, f.n, c, 0, 1));
    }
}

void boxTriangles(Segment &s, V3 lo, V3 hi, Colour c)
{
    Segment q;
    boxQuads(q, lo, hi, c);
    for (size_t i = 0; i + 3 < q.v.size(); i += 4)
        quadAsTriangles(s, q.v[i], q.v[i + 1], q.v[i + 2], q.v[i + 3]);
}

void basisFor(V3 d, V3 *u, V3 *w)
{
    V3 ref = std::fabs(d.y) < 0.9 ? V3{0, 1, 0} : V3{1, 0, 0};
    *u = normalize(cross(d, ref));
    *w = normalize(cross(d, *u));
}

// A closed cylinder (or cone) from a to b as triangles.
void cylinder(Segment &s, V3 a, V3 b, double ra, double rb, int sides, Colour c, bool caps = true)
{
    V3 d = normalize(b - a), u, w;
    basisFor(d, &u, &w);
    double slope = (ra - rb) / length(b - a);
    for (int i = 0; i < sides; i++) {
        double a0 = 2 * kPi * i / sides, a1 = 2 * kPi * (i + 1) / sides;
        V3 r0 = u * std::cos(a0) + w * std::sin(a0), r1 = u * std::cos(a1) + w * std::sin(a1);
        V3 n0 = normalize(r0 + d * slope), n1 = normalize(r1 + d * slope);
        quadAsTriangles(s, vert(a + r0 * ra, n0, c), vert(a + r1 * ra, n1, c), vert(b + r1 * rb, n1, c),
                        vert(b + r0 * rb, n0, c));
        if (caps) {
            if (ra > 0)
                triangle(s, vert(a, -d, c), vert(a + r0 * ra, -d, c), vert(a + r1 * ra, -d, c));
            if (rb > 0)
                triangle(s, vert(b, d, c), vert(b + r0 * rb, d, c), vert(b + r1 * rb, d, c));
        }
    }
}

void ellipsoid(Segment &s, V3 centre, V3 radii, int slices, int stacks, Colour c)
{
    auto point = [&](int i, int j, V3 *n) {
        double th = kPi * j / stacks, ph = 2 * kPi * i / slices;
        V3 unit{std::sin(th) * std::cos(ph), std::cos(th), std::sin(th) * std::sin(ph)};
        *n = normalize(V3{unit.x / radii.x, unit.y / radii.y, unit.z / radii.z});
        return centre + V3{unit.x * radii.x, unit.y * radii.y, unit.z * radii.z};
    };
    for (int j = 0; j < stacks; j++)
        for (int i = 0; i < slices; i++) {
            V3 n00, n10, n11, n01;
            V3 p00 = point(i, j, &n00), p10 = point(i + 1, j, &n10), p11 = point(i + 1, j + 1, &n11),
               p01 = point(i, j + 1, &n01);
            if (j > 0)
                triangle(s, vert(p00, n00, c), vert(p10, n10, c), vert(p11, n11, c));
            if (j < stacks - 1)
                triangle(s, vert(p00, n00, c), vert(p11, n11, c), vert(p01, n01, c));
        }
}

// A torus around centre in the plane spanned by u and w.
void torus(Segment &s, V3 centre, V3 u, V3 w, double major, double minor, int rings, int sides, Colour c)
{
    V3 axis = normalize(cross(u, w));
    auto point = [&](int i, int j, V3 *n) {
        double a = 2 * kPi * i / rings, b = 2 * kPi * j / sides;
        V3 radial = u * std::cos(a) + w * std::sin(a);
        *n = radial * std::cos(b) + axis * std::sin(b);
        return centre + radial * major + *n * minor;
    };
    for (int i = 0; i < rings; i++)
        for (int j = 0; j < sides; j++) {
            V3 n00, n10, n11, n01;
            V3 p00 = point(i, j, &n00), p10 = point(i + 1, j, &n10), p11 = point(i + 1, j + 1, &n11),
               p01 = point(i, j + 1, &n01);
            quadAsTriangles(s, vert(p00, n00, c), vert(p10, n10, c), vert(p11, n11, c), vert(p01, n01, c));
        }
}

bool writeStaticModel(const StaticModel &m)
{
    Text t;
    header(t, "Static", m.identifier);
    t.open("StaticModel");
    t.line("NumSegments: " + std::to_string(m.segments.size()));
    for (const Segment &s : m.segments) {
        t.open("Segment");
        t.line("Identifier: '" + s.identifier + "'");
        t.line("Shader: '" + s.shader + "'");
        if (s.origin.x != 0 || s.origin.y != 0 || s.origin.z != 0)
            t.line("Origin: " + nums({s.origin.x, s.origin.y, s.origin.z}));
        if (s.billboard)
            t.line("Billboard: 1");
        t.line("PrimitiveType: " + s.primitive);
        t.line("NumVertices: " + std::to_string(s.v.size()));
        t.open("Vertices");
        // The loader keeps attributes in force, so only changes are written.
        std::string normal = "0, 0, -1", texCoord = "0, 0", colour = "1, 1, 1, 1";
        bool textured = s.shader != "none";
        for (const SVertex &v : s.v) {
            V3 n = normalize(v.n);
            std::string nn = nums({n.x, n.y, n.z});
            if (nn != normal)
                t.line("Normal: " + (normal = nn));
            if (textured) {
                std::string tc = nums({v.s, v.t});
                if (tc != texCoord)
                    t.line("TexCoord: " + (texCoord = tc));
            }
            std::string cc = nums({v.c.r, v.c.g, v.c.b, v.c.a});
            if (cc != colour)
                t.line("Color: " + (colour = cc));
            t.line("Vertex: " + nums({v.p.x, v.p.y, v.p.z}));
        }
        t.close();
        t.close();
    }
    t.close();
    return writeFile(m.fileName, t.s);
}

const Colour kWhite{1, 1, 1, 1};

StaticModel texturedCube(const char *id, const char *shader)
{
    StaticModel m;
    m.identifier = id;
    m.fileName = std::string(id) + ".modl";
    Segment &s = m.add("Cube", shader, "GL_QUADS");
    boxQuads(s, {0, 0, 0}, {6, 6, 6}, kWhite);
    return m;
}

StaticModel deadlyBlock()
{
    StaticModel m;
    m.identifier = "Ddly";
    m.fileName = "Ddly.modl";
    const double lo = 1.7, hi = 4.3, tip = 0.7;
    Segment &core = m.add("Core", "TxDd", "GL_QUADS");
    boxQuads(core, {lo, lo, lo}, {hi, hi, hi}, kWhite);
    Segment &spikes = m.add("Spik", "Metl", "GL_TRIANGLES");
    const Colour base{0.25, 0.25, 0.28, 1}, point{0.95, 0.2, 0.1, 1};
    // Two by two spikes on every face; their tips reach the block's box.
    for (int axis = 0; axis < 3; axis++)
        for (int side = 0; side < 2; side++) {
            V3 n{0, 0, 0};
            double sign = side ? 1.0 : -1.0;
            (axis == 0 ? n.x : axis == 1 ? n.y : n.z) = sign;
            V3 u = axis == 0 ? V3{0, 1, 0} : V3{1, 0, 0};
            V3 w = normalize(cross(n, u));
            V3 centre = V3{3, 3, 3} + n * (hi - 3);
            double half = (hi - lo) / 4;
            for (int a = -1; a <= 1; a += 2)
                for (int b = -1; b <= 1; b += 2) {
                    V3 c = centre + u * (a * half) + w * (b * half);
                    V3 apex = V3{3, 3, 3} + n * (3 - tip) + u * (a * half * 0.9) + w * (b * half * 0.9);
                    V3 corners[4] = {c - u * half - w * half, c + u * half - w * half, c + u * half + w * half,
                                     c - u * half + w * half};
                    for (int k = 0; k < 4; k++) {
                        V3 p0 = corners[k], p1 = corners[(k + 1) % 4];
                        V3 fn = normalize(cross(p1 - p0, apex - p0));
                        if (dot(fn, (p0 + p1) * 0.5 - c) < 0)
                            fn = -fn;
                        triangle(spikes, vert(p0, fn, base), vert(p1, fn, base), vert(apex, fn, point));
                    }
                }
        }
    return m;
}

StaticModel switchModel()
{
    StaticModel m;
    m.identifier = "Swtc";
    m.fileName = "Swtc.modl";
    Segment &metal = m.add("Base", "Metl", "GL_TRIANGLES");
    boxTriangles(metal, {-1, -2, -1}, {1, -1.6, 1}, {0.45, 0.47, 0.5, 1});
    boxTriangles(metal, {-0.8, -1.6, -0.8}, {0.8, -1.4, 0.8}, {0.3, 0.32, 0.35, 1});
    boxTriangles(metal, {-0.35, -1.4, -0.35}, {0.35, 0.4, 0.35}, {0.55, 0.55, 0.6, 1});
    boxTriangles(metal, {-0.5, 0.2, -0.5}, {0.5, 0.6, 0.5}, {0.9, 0.75, 0.2, 1});
    cylinder(metal, {0, 0.5, 0}, {0, 1.45, 0.45}, 0.12, 0.1, 10, {0.75, 0.75, 0.78, 1});
    Segment &knob = m.add("Knob", "Shny", "GL_TRIANGLES");
    ellipsoid(knob, {0, 1.55, 0.5}, {0.4, 0.4, 0.4}, 14, 8, {0.95, 0.12, 0.1, 1});
    return m;
}

StaticModel ladderModel()
{
    StaticModel m;
    m.identifier = "Ladr";
    m.fileName = "Ladr.modl";
    Segment &rails = m.add("Rail", "TxWd", "GL_QUADS");
    boxQuads(rails, {-1.15, 0, -0.125}, {-0.85, 6, 0.125}, kWhite);
    boxQuads(rails, {0.85, 0, -0.125}, {1.15, 6, 0.125}, kWhite);
    Segment &rungs = m.add("Rung", "none", "GL_TRIANGLES");
    for (int i = 0; i < 6; i++) {
        double y = 0.5 + i;
        cylinder(rungs, {-0.85, y, 0}, {0.85, y, 0}, 0.09, 0.09, 8, {0.62, 0.42, 0.22, 1}, false);
    }
    return m;
}

StaticModel teleportModel()
{
    StaticModel m;
    m.identifier = "Tprt";
    m.fileName = "Tprt.modl";
    Segment &pad = m.add("Base", "Metl", "GL_TRIANGLES");
    cylinder(pad, {0, -3, 0}, {0, -2.7, 0}, 2.7, 2.5, 24, {0.35, 0.25, 0.5, 1});
    for (int i = 0; i < 3; i++) {
        double a = 2 * kPi * i / 3 + kPi / 2;
        V3 foot{2.2 * std::cos(a), -2.7, 2.2 * std::sin(a)};
        V3 top{2.2 * std::cos(a), 1.6, 2.2 * std::sin(a)};
        cylinder(pad, foot, top, 0.14, 0.1, 8, {0.55, 0.5, 0.65, 1});
    }
    Segment &runes = m.add("Rune", "TxTp", "GL_QUADS");
    V3 up{0, 1, 0};
    double y = -2.68, r = 2.45;
    quad(runes, vert({-r, y, r}, up, kWhite, 0, 0), vert({r, y, r}, up, kWhite, 1, 0),
         vert({r, y, -r}, up, kWhite, 1, 1), vert({-r, y, -r}, up, kWhite, 0, 1));
    Segment &rings = m.add("Ring", "Glow", "GL_TRIANGLES");
    torus(rings, {0, -0.6, 0}, {1, 0, 0}, {0, 0, 1}, 2.2, 0.13, 32, 8, {0.3, 0.85, 1.0, 1});
    torus(rings, {0, 1.6, 0}, {1, 0, 0}, {0, 0, 1}, 2.2, 0.13, 32, 8, {0.75, 0.4, 1.0, 1});
    return m;
}

StaticModel portalModel()
{
    StaticModel m;
    m.identifier = "Prtl";
    m.fileName = "Prtl.modl";
    Segment &rings = m.add("Ring", "Metl", "GL_TRIANGLES");
    const Colour gold{1.0, 0.78, 0.25, 1};
    torus(rings, {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 2.5, 0.22, 36, 8, gold);
    torus(rings, {0, 0, 0}, {0, 1, 0}, {0, 0, 1}, 2.3, 0.16, 36, 8, {0.95, 0.6, 0.2, 1});
    Segment &swirl = m.add("Swrl", "Swrl", "GL_QUADS");
    swirl.billboard = true;
    V3 front{0, 0, 1};
    double r = 2.3;
    quad(swirl, vert({-r, -r, 0}, front, kWhite, 0, 0), vert({r, -r, 0}, front, kWhite, 1, 0),
         vert({r, r, 0}, front, kWhite, 1, 1), vert({-r, r, 0}, front, kWhite, 0, 1));
    return m;
}

void boxEdges(Segment &s, V3 lo, V3 hi, Colour c)
{
    V3 corner[8];
    for (int i = 0; i < 8; i++)
        corner[i] = {i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z};
    for (int i = 0; i < 8; i++)
        for (int bit = 1; bit < 8; bit <<= 1)
            if (!(i & bit)) {
                V3 n = normalize(corner[i] + corner[i | bit] - (lo + hi));
                s.v.push_back(vert(corner[i], n, c));
                s.v.push_back(vert(corner[i | bit], n, c));
            }
}

StaticModel outlineModel()
{
    StaticModel m;
    m.identifier = "Outl";
    m.fileName = "Outl.modl";
    Segment &s = m.add("Edge", "Glow", "GL_LINES");
    boxEdges(s, {0.02, 0.02, 0.02}, {5.98, 5.98, 5.98}, {0.45, 0.75, 1.0, 0.8});
    // Short ticks at the middle of every face show where the block will be.
    const Colour tick{0.45, 0.75, 1.0, 0.45};
    for (int axis = 0; axis < 3; axis++)
        for (double side : {0.02, 5.98}) {
            V3 a{3, 3, 3}, b{3, 3, 3}, c{3, 3, 3}, d{3, 3, 3};
            V3 n{0, 0, 0};
            if (axis == 0) {
                a.x = b.x = c.x = d.x = side;
                a.y -= 0.6, b.y += 0.6, c.z -= 0.6, d.z += 0.6;
                n.x = side < 3 ? -1 : 1;
            } else if (axis == 1) {
                a.y = b.y = c.y = d.y = side;
                a.x -= 0.6, b.x += 0.6, c.z -= 0.6, d.z += 0.6;
                n.y = side < 3 ? -1 : 1;
            } else {
                a.z = b.z = c.z = d.z = side;
                a.x -= 0.6, b.x += 0.6, c.y -= 0.6, d.y += 0.6;
                n.z = side < 3 ? -1 : 1;
            }
            for (V3 p : {a, b, c, d})
                s.v.push_back(vert(p, n, tick));
        }
    return m;
}

StaticModel cursorModel()
{
    StaticModel m;
    m.identifier = "BlkC";
    m.fileName = "BlkC.modl";
    Segment &faces = m.add("Face", "none", "GL_QUADS");
    boxQuads(faces, {-0.04, -0.04, -0.04}, {6.04, 6.04, 6.04}, {1.0, 0.85, 0.2, 0.22});
    Segment &edges = m.add("Edge", "Glow", "GL_LINES");
    boxEdges(edges, {-0.06, -0.06, -0.06}, {6.06, 6.06, 6.06}, {1.0, 0.9, 0.25, 1});
    return m;
}

StaticModel gemModel()
{
    StaticModel m;
    m.identifier = "Gem ";
    m.fileName = "Gem.modl";
    Segment &s = m.add("Cut_", "Shny", "GL_TRIANGLES");
    const int n = 8;
    const double tableY = 0.75, tableR = 0.55, girdleY = 0.3, girdleR = 1.05, apexY = -1.15;
    const Colour light{0.45, 0.85, 1.0, 1}, deep{0.1, 0.35, 0.95, 1};
    auto at = [](double r, double y, double a) { return V3{r * std::cos(a), y, r * std::sin(a)}; };
    for (int i = 0; i < n; i++) {
        double a0 = 2 * kPi * i / n, a1 = 2 * kPi * (i + 1) / n;
        V3 t0 = at(tableR, tableY, a0 + kPi / n), t1 = at(tableR, tableY, a1 + kPi / n);
        V3 g0 = at(girdleR, girdleY, a0 + kPi / n), g1 = at(girdleR, girdleY, a1 + kPi / n);
        V3 tc{0, tableY, 0};
        // Table.
        triangle(s, vert(tc, {0, 1, 0}, light), vert(t0, {0, 1, 0}, light), vert(t1, {0, 1, 0}, light));
        // Crown facets.
        V3 fn = normalize(cross(g1 - t0, t1 - t0));
        if (fn.y < 0)
            fn = -fn;
        triangle(s, vert(t0, fn, light), vert(g1, fn, deep), vert(t1, fn, light));
        triangle(s, vert(t0, fn, light), vert(g0, fn, deep), vert(g1, fn, deep));
        // Pavilion.
        V3 apex{0, apexY, 0};
        V3 pn = normalize(cross(g0 - apex, g1 - apex));
        if (pn.y > 0)
            pn = -pn;
        triangle(s, vert(g0, pn, deep), vert(g1, pn, deep), vert(apex, pn, {0.05, 0.15, 0.6, 1}));
    }
    return m;
}

StaticModel heartModel()
{
    StaticModel m;
    m.identifier = "XLif";
    m.fileName = "XLif.modl";
    Segment &s = m.add("Hart", "Shny", "GL_TRIANGLES");
    const int n = 48;
    const double scale = 0.075, depth = 0.32;
    const Colour red{0.95, 0.12, 0.2, 1}, dark{0.65, 0.05, 0.1, 1};
    std::vector<V3> outline;
    for (int i = 0; i < n; i++) {
        double t = 2 * kPi * i / n;
        double x = 16 * std::pow(std::sin(t), 3);
        double y = 13 * std::cos(t) - 5 * std::cos(2 * t) - 2 * std::cos(3 * t) - std::cos(4 * t);
        outline.push_back({x * scale, (y + 2) * scale, 0});
    }
    V3 centre{0, 0.15, 0};
    for (int i = 0; i < n; i++) {
        V3 a = outline[i], b = outline[(i + 1) % n];
        // Front and back faces are domed a little towards the centre.
        for (double side : {1.0, -1.0}) {
            V3 c = centre + V3{0, 0, side * depth * 1.6};
            V3 fa = a + V3{0, 0, side * depth}, fb = b + V3{0, 0, side * depth};
            V3 fn = normalize(cross(fb - fa, c - fa));
            if (fn.z * side < 0)
                fn = -fn;
            V3 na = normalize(fn + normalize(a - centre) * 0.3), nb = normalize(fn + normalize(b - centre) * 0.3);
            triangle(s, vert(fa, na, red), vert(fb, nb, red), vert(c, V3{0, 0, side}, red));
        }
        V3 e = normalize(cross(b - a, V3{0, 0, 1}));
        if (dot(e, a - centre) < 0)
            e = -e;
        quadAsTriangles(s, vert(a + V3{0, 0, depth}, e, dark), vert(b + V3{0, 0, depth}, e, dark),
                        vert(b - V3{0, 0, depth}, e, dark), vert(a - V3{0, 0, depth}, e, dark));
    }
    return m;
}

StaticModel featherModel()
{
    StaticModel m;
    m.identifier = "Fthr";
    m.fileName = "Fthr.modl";
    Segment &vane = m.add("Vane", "none", "GL_TRIANGLES");
    Segment &quill = m.add("Quil", "Shny", "GL_TRIANGLES");
    const int steps = 14;
    const double lengthY = 3.0;
    auto spine = [&](double t) {
        double y = -lengthY / 2 + lengthY * t;
        double x = 0.35 * std::sin(t * kPi * 0.8) - 0.15;
        return V3{x, y, 0};
    };
    auto width = [](double t) { return t < 0.12 ? 0 : 0.62 * std::sin((t - 0.12) / 0.88 * kPi * 0.92 + 0.1); };
    for (int i = 0; i < steps; i++) {
        double t0 = double(i) / steps, t1 = double(i + 1) / steps;
        V3 s0 = spine(t0), s1 = spine(t1);
        for (double side : {-1.0, 1.0}) {
            // The vane slopes back a little, and each barb band alternates shade.
            V3 e0 = s0 + V3{side * width(t0), 0.18 * width(t0), -0.12 * width(t0)};
            V3 e1 = s1 + V3{side * width(t1), 0.18 * width(t1), -0.12 * width(t1)};
            double shade = (i % 2) ? 1.0 : 0.9;
            Colour inner{0.92 * shade, 0.95 * shade, 1.0 * shade, 1};
            Colour outer{0.55 * shade, 0.8 * shade, 1.0 * shade, 1};
            V3 fn = normalize(cross(s1 - s0, e0 - s0));
            for (double face : {1.0, -1.0}) {
                V3 n = fn * face;
                triangle(vane, vert(s0, n, inner), vert(e0, n, outer), vert(e1, n, outer));
                triangle(vane, vert(s0, n, inner), vert(e1, n, outer), vert(s1, n, inner));
            }
        }
        cylinder(quill, s0, s1, 0.06 * (1 - t0) + 0.02, 0.06 * (1 - t1) + 0.02, 6, {0.98, 0.94, 0.82, 1}, false);
    }
    return m;
}

StaticModel keyModel()
{
    StaticModel m;
    m.identifier = "Key ";
    m.fileName = "Key.modl";
    Segment &s = m.add("Gold", "Metl", "GL_TRIANGLES");
    const Colour gold{1.0, 0.8, 0.2, 1}, shade{0.85, 0.62, 0.12, 1};
    torus(s, {0, 0.9, 0}, {1, 0, 0}, {0, 1, 0}, 0.5, 0.16, 24, 8, gold);
    cylinder(s, {0, 0.38, 0}, {0, -1.45, 0}, 0.14, 0.14, 10, gold);
    boxTriangles(s, {0.08, -1.45, -0.09}, {0.55, -1.2, 0.09}, shade);
    boxTriangles(s, {0.08, -1.0, -0.09}, {0.42, -0.8, 0.09}, shade);
    boxTriangles(s, {-0.22, 0.28, -0.1}, {0.22, 0.42, 0.1}, shade);
    return m;
}

bool writeStaticModels()
{
    std::vector<StaticModel> all = {texturedCube("Ston", "TxSt"),
                                    texturedCube("Dspr", "TxDs"),
                                    texturedCube("Appr", "TxAp"),
                                    texturedCube("SwtB", "TxSw"),
                                    texturedCube("Lckd", "TxLk"),
                                    texturedCube("Phas", "TxPh"),
                                    deadlyBlock(),
                                    switchModel(),
                                    ladderModel(),
                                    teleportModel(),
                                    portalModel(),
                                    outlineModel(),
                                    cursorModel(),
                                    gemModel(),
                                    heartModel(),
                                    featherModel(),
                                    keyModel()};
    for (const StaticModel &m : all)
        if (!writeStaticModel(m))
            return false;
    return true;
}

// ------------------------------------------------------ the player character

struct BoneDef {
    const char *id;
    int parent;        // index into the bone table, -1 for the root
    V3 axis;           // rest orientation axis
    double angle;      // and angle in degrees
    double length;
    V3 start, end;     // rest joints, computed
};

// Facing +z with y up, the character's left hand side is +x.
std::vector<BoneDef> bones = {
    {"Root", -1, {1, 0, 0}, 0, 0, {}, {}},       // 0: pelvis, offset set below
    {"Spin", 0, {1, 0, 0}, 0, 0.95, {}, {}},     // 1
    {"Ches", 1, {1, 0, 0}, 0, 0.7, {}, {}},      // 2
    {"Neck", 2, {1, 0, 0}, 0, 0.2, {}, {}},      // 3
    {"Head", 3, {1, 0, 0}, 0, 0.85, {}, {}},     // 4
    {"ClvL", 2, {0, 0, 1}, -100, 0.72, {}, {}},   // 5
    {"UArL", 5, {0, 0, 1}, -176, 1.1, {}, {}},   // 6
    {"LArL", 6, {0, 0, 1}, -176, 0.95, {}, {}},  // 7
    {"HndL", 7, {0, 0, 1}, -176, 0.42, {}, {}},  // 8
    {"ClvR", 2, {0, 0, 1}, 100, 0.72, {}, {}},    // 9
    {"UArR", 9, {0, 0, 1}, 176, 1.1, {}, {}},    // 10
    {"LArR", 10, {0, 0, 1}, 176, 0.95, {}, {}},  // 11
    {"HndR", 11, {0, 0, 1}, 176, 0.42, {}, {}},  // 12
    {"HipL", 0, {0, 0, 1}, -90, 0.38, {}, {}},   // 13
    {"ThiL", 13, {0, 0, 1}, 180, 1.4, {}, {}},   // 14
    {"ShnL", 14, {0, 0, 1}, 180, 1.3, {}, {}},   // 15
    {"FotL", 15, {1, 0, 0}, 90, 0.6, {}, {}},    // 16
    {"HipR", 0, {0, 0, 1}, 90, 0.38, {}, {}},    // 17
    {"ThiR", 17, {0, 0, 1}, 180, 1.4, {}, {}},   // 18
    {"ShnR", 18, {0, 0, 1}, 180, 1.3, {}, {}},   // 19
    {"FotR", 19, {1, 0, 0}, 90, 0.6, {}, {}},    // 20
};
const V3 kRootOffset{0, 2.9, 0};

int boneIndex(const char *id)
{
    for (size_t i = 0; i < bones.size(); i++)
        if (std::strcmp(bones[i].id, id) == 0)
            return int(i);
    std::fprintf(stderr, "ModelMaker: no bone %s\n", id);
    std::exit(1);
}

void computeRestJoints()
{
    bones[0].start = kRootOffset;
    bones[0].end = kRootOffset;
    for (size_t i = 1; i < bones.size(); i++) {
        BoneDef &b = bones[i];
        b.start = bones[size_t(b.parent)].end;
        b.end = b.start + rotate(axisAngle(b.axis, b.angle), V3{0, b.length, 0});
    }
}

bool writeSkeleton()
{
    Text t;
    header(t, "Skeleton", "Humn");
    // Children are nested inside their parent's block, so write the tree
    // depth first in table order (children appear after their parents).
    std::function<void(int)> emit = [&](int i) {
        const BoneDef &b = bones[size_t(i)];
        t.open("Bone");
        t.line(std::string("Identifier: '") + b.id + "'");
        if (i == 0)
            t.line("Offset: " + nums({kRootOffset.x, kRootOffset.y, kRootOffset.z}));
        t.line("Orientation: " + nums({b.axis.x, b.axis.y, b.axis.z}) + "; " + num(b.angle));
        t.line("Length: " + num(b.length));
        for (size_t c = 0; c < bones.size(); c++)
            if (bones[c].parent == i)
                emit(int(c));
        t.close();
    };
    emit(0);
    return writeFile("Humn.skel", t.s);
}

// A pose: one rotation per bone and the whole skeleton's offset.
struct Pose {
    std::vector<Quat> r = std::vector<Quat>(bones.size());
    V3 offset;
    void turn(const char *bone, V3 axis, double degrees)
    {
        Quat &q = r[size_t(boneIndex(bone))];
        q = axisAngle(axis, degrees) * q;
    }
    void x(const char *bone, double d) { turn(bone, {1, 0, 0}, d); }
    void y(const char *bone, double d) { turn(bone, {0, 1, 0}, d); }
    void z(const char *bone, double d) { turn(bone, {0, 0, 1}, d); }
};

// Bone transforms of a pose, computed the way the game skins the body:
// every bone turns about its start joint, after all its ancestors.
std::vector<Rigid> boneTransforms(const Pose &p)
{
    std::vector<Rigid> m(bones.size());
    m[0] = Rigid{p.r[0], {0, 0, 0}};
    for (size_t i = 1; i < bones.size(); i++) {
        const BoneDef &b = bones[i];
        m[i] = compose(m[size_t(b.parent)], rotationAbout(p.r[i], b.start));
    }
    return m;
}

// Lowest point of either shoe sole in a pose (offset not applied).
double lowestSole(const Pose &p)
{
    std::vector<Rigid> m = boneTransforms(p);
    double lowest = 1e9;
    for (const char *foot : {"FotL", "FotR"}) {
        int i = boneIndex(foot);
        V3 ankle = bones[size_t(i)].start;
        for (V3 local : {V3{0, -0.2, -0.24}, V3{0, -0.2, 0.66}, V3{0, -0.2, 0.2}})
            lowest = std::min(lowest, apply(m[size_t(i)], ankle + local).y);
    }
    return lowest;
}

void ground(Pose &p, double lift = 0) { p.offset = {0, -lowestSole(p) + lift, 0}; }

struct Keyframe {
    std::string id;
    double interval;
    Pose pose;
};

void legs(Pose &p, const char *side, double thigh, double knee, double foot)
{
    bool left = side[0] == 'L';
    p.x(left ? "ThiL" : "ThiR", thigh);
    p.x(left ? "ShnL" : "ShnR", knee);
    p.x(left ? "FotL" : "FotR", foot);
}

void arms(Pose &p, const char *side, double swing, double elbow, double spread = 0)
{
    bool left = side[0] == 'L';
    p.x(left ? "UArL" : "UArR", swing);
    if (spread != 0)
        p.z(left ? "UArL" : "UArR", left ? spread : -spread);
    p.x(left ? "LArL" : "LArR", elbow);
}

std::string code(const char *prefix, int n)
{
    char b[8];
    std::snprintf(b, sizeof b, "%s%02d", prefix, n);
    return b;
}

std::vector<Keyframe> makeKeyframes()
{
    std::vector<Keyframe> k;

    // Standing: a slow breath.
    for (int i = 0; i < 3; i++) {
        Pose p;
        double b = i == 1 ? 1.0 : i == 2 ? 0.5 : 0.0;
        p.x("Ches", -1.5 * b);
        p.x("Head", 1.0 * b - 2);
        arms(p, "L", 2 + b, -10 - 2 * b, -2);
        arms(p, "R", 2 + b, -10 - 2 * b, -2);
        legs(p, "L", -2, 4, -2);
        legs(p, "R", 1, 2, -3);
        p.y("Root", 4);
        ground(p);
        k.push_back({std::string("Std") + char('1' + i), i == 0 ? 0.3 : 1.1, p});
    }

    // Walking: twelve frames; the left heel strikes at frame 4, the right at
    // frame 10.  The tables give one leg from its heel strike onwards.
    const double wThigh[12] = {-24, -17, -8, 2, 12, 18, 14, 2, -14, -24, -28, -26};
    const double wKnee[12] = {3, 16, 12, 6, 6, 22, 45, 62, 56, 32, 10, 4};
    const double wFoot[12] = {-14, 2, 3, 0, -6, 12, 24, 8, -2, -10, -14, -14};
    for (int f = 0; f < 12; f++) {
        Pose p;
        int sl = (f - 3 + 12) % 12, sr = (f - 9 + 12) % 12;
        legs(p, "L", wThigh[sl], wKnee[sl], wFoot[sl]);
        legs(p, "R", wThigh[sr], wKnee[sr], wFoot[sr]);
        // Arms swing against the legs.
        arms(p, "L", 0.75 * wThigh[sr], -12 + 0.4 * std::min(0.0, wThigh[sr]), -3);
        arms(p, "R", 0.75 * wThigh[sl], -12 + 0.4 * std::min(0.0, wThigh[sl]), -3);
        double twist = 0.25 * (wThigh[sl] - wThigh[sr]);
        p.y("Root", twist * 0.5);
        p.y("Ches", -twist * 0.9);
        p.x("Spin", 3);
        p.x("Head", -3);
        ground(p);
        k.push_back({code("Wk", f + 1), 0.066, p});
    }

    // Running: eight frames; left foot down at frame 3, right at frame 7,
    // with a short flight between.
    const double rThigh[8] = {-32, -12, 14, 34, 22, -18, -52, -46};
    const double rKnee[8] = {22, 38, 24, 40, 96, 112, 72, 32};
    const double rFoot[8] = {-6, 2, 12, 32, 26, 10, -4, -10};
    for (int f = 0; f < 8; f++) {
        Pose p;
        int sl = (f - 2 + 8) % 8, sr = (f - 6 + 8) % 8;
        legs(p, "L", rThigh[sl], rKnee[sl], rFoot[sl]);
        legs(p, "R", rThigh[sr], rKnee[sr], rFoot[sr]);
        arms(p, "L", 0.9 * rThigh[sr] + 5, -80 + 0.3 * rThigh[sr], -6);
        arms(p, "R", 0.9 * rThigh[sl] + 5, -80 + 0.3 * rThigh[sl], -6);
        double twist = 0.2 * (rThigh[sl] - rThigh[sr]);
        p.y("Root", twist * 0.4);
        p.y("Ches", -twist * 0.8);
        p.x("Spin", 12);
        p.x("Head", -9);
        bool flight = f == 3 || f == 4 || f == 7 || f == 0;
        ground(p, flight ? 0.28 : 0);
        k.push_back({code("Rn", f + 1), 0.078, p});
    }

    // Climbing: eight frames facing the ladder; the left hand grips at
    // frame 3 and the right at frame 7, each then pulls down while the
    // opposite leg climbs to the next rung.
    for (int f = 0; f < 8; f++) {
        Pose p;
        auto armPhase = [](int s) { // 0 just gripped high, 4 pulled low
            double t = s <= 4 ? s / 4.0 : (8 - s) / 4.0;
            return t;
        };
        double tl = armPhase((f - 2 + 8) % 8), tr = armPhase((f - 6 + 8) % 8);
        arms(p, "L", -162 + 58 * tl, -15 - 60 * tl, -6);
        arms(p, "R", -162 + 58 * tr, -15 - 60 * tr, -6);
        // The leg opposite to a pulling arm rises; a raised leg bends.
        legs(p, "L", -78 + 55 * tr, 100 - 70 * tr, -10);
        legs(p, "R", -78 + 55 * tl, 100 - 70 * tl, -10);
        p.x("Spin", 8);
        p.x("Head", -14);
        p.offset = {0, 0.1 * std::sin(f * kPi / 2), -0.15};
        k.push_back({code("LU", f + 1), 0.08, p});
    }

    // Jumping: tucked legs and raised arms.
    for (int i = 0; i < 2; i++) {
        Pose p;
        legs(p, "L", -55 - 5 * i, 75 + 5 * i, -10);
        legs(p, "R", -12, 35 + 5 * i, 10);
        arms(p, "L", -135 - 8 * i, -25, -12);
        arms(p, "R", -120 - 8 * i, -30, -12);
        p.x("Spin", 6);
        p.x("Head", -6);
        k.push_back({std::string("Jmp") + char('1' + i), i == 0 ? 0.12 : 0.4, p});
    }

    // Falling: arms out, legs apart, a slow flail.
    for (int i = 0; i < 2; i++) {
        Pose p;
        arms(p, "L", -20 + 15 * i, -30, 65 + 12 * i);
        arms(p, "R", -5 - 15 * i, -30, 75 - 12 * i);
        legs(p, "L", -25 + 10 * i, 40 - 10 * i, 8);
        legs(p, "R", 5 - 10 * i, 30 + 10 * i, 8);
        p.z("ThiL", 6);
        p.z("ThiR", -6);
        p.x("Head", 10);
        k.push_back({std::string("Fal") + char('1' + i), i == 0 ? 0.2 : 0.35, p});
    }
    return k;
}

struct ActionDef {
    std::string id;
    std::vector<std::string> frames;
};

std::vector<std::string> cycle(const char *prefix, int count, int first)
{
    std::vector<std::string> v;
    for (int i = 0; i < count; i++)
        v.push_back(code(prefix, (first - 1 + i) % count + 1));
    return v;
}

bool writeAnimation()
{
    std::vector<Keyframe> frames = makeKeyframes();
    std::vector<ActionDef> actions = {
        {"Stnd", {"Std1", "Std2", "Std3"}}, {"WkFL", cycle("Wk", 12, 1)}, {"WkFR", cycle("Wk", 12, 7)},
        {"RnFL", cycle("Rn", 8, 1)},        {"RnFR", cycle("Rn", 8, 5)},  {"Jump", {"Jmp1", "Jmp2"}},
        {"Fall", {"Fal1", "Fal2"}},         {"LdUL", cycle("LU", 8, 1)},  {"LdUR", cycle("LU", 8, 5)},
    };
    Text t;
    header(t, "Animation", "Humn", {"Humn.skel"});
    t.open("Animation");
    t.line("Skeleton: 'Humn'");
    t.open("Keyframes");
    t.line("NumKeyframes: " + std::to_string(frames.size()));
    for (const Keyframe &k : frames) {
        t.open("Keyframe");
        t.line("Identifier: '" + k.id + "'");
        t.line("Offset: " + nums({k.pose.offset.x, k.pose.offset.y, k.pose.offset.z}));
        t.line("Interval: " + num(k.interval));
        t.line("NumBones: " + std::to_string(bones.size()));
        t.open("Bones");
        for (size_t i = 0; i < bones.size(); i++) {
            V3 axis;
            double degrees;
            toAxisAngle(k.pose.r[i], &axis, &degrees);
            t.line("Orientation: " + nums({axis.x, axis.y, axis.z}) + "; " + num(degrees));
            t.line(std::string("Bone: '") + bones[i].id + "'");
        }
        t.close();
        t.close();
    }
    t.close();
    t.open("Actions");
    t.line("NumActions: " + std::to_string(actions.size()));
    for (const ActionDef &a : actions) {
        t.open("Action");
        t.line("Identifier: '" + a.id + "'");
        t.line("NumKeyframes: " + std::to_string(a.frames.size()));
        for (const std::string &f : a.frames)
            t.line("Keyframe: '" + f + "'");
        t.close();
    }
    t.close();
    t.close();
    return writeFile("Humn.anim", t.s);
}

// Skinned vertices: up to four bones with weights.
struct Influence {
    int bone[4] = {0, 0, 0, 0};
    double weight[4] = {1, 0, 0, 0};
};

Influence influence(std::vector<std::pair<int, double>> list)
{
    std::map<int, double> merged;
    for (auto &[b, w] : list)
        if (w > 0)
            merged[b] += w;
    std::vector<std::pair<int, double>> v(merged.begin(), merged.end());
    std::sort(v.begin(), v.end(), [](auto &a, auto &b) { return a.second > b.second; });
    if (v.size() > 4)
        v.resize(4);
    double total = 0;
    for (auto &e : v)
        total += e.second;
    Influence in;
    for (int i = 0; i < 4; i++) {
        // Every slot is filled: a slot once set stays set for the following
        // vertices, so unused slots repeat the main bone with weight 0.
        if (i < int(v.size())) {
            in.bone[i] = v[size_t(i)].first;
            in.weight[i] = v[size_t(i)].second / total;
        } else {
            in.bone[i] = v[0].first;
            in.weight[i] = 0;
        }
    }
    return in;
}

struct BVertex {
    V3 p, n;
    Colour c;
    Influence in;
};

struct BSegment {
    std::string id;
    std::string shader;
    std::vector<BVertex> v;
};

// Quads wound to face their normals (GL_QUADS).
void bquad(BSegment &s, BVertex a, BVertex b, BVertex c, BVertex d)
{
    V3 face = cross(c.p - a.p, d.p - b.p);
    if (dot(face, a.n + b.n + c.n + d.n) < 0)
        std::swap(b, d);
    s.v.push_back(a);
    s.v.push_back(b);
    s.v.push_back(c);
    s.v.push_back(d);
}

using WeightFn = std::function<Influence(V3 p, double along)>;

// A tube through rings along a path; each ring is an ellipse (ru across the
// body's x, rv the other way).  Ends may close to a point.
struct Ring {
    V3 centre;
    double ru, rv;
};

void tube(BSegment &s, const std::vector<Ring> &rings, int sides, Colour c, const WeightFn &weights, bool capStart,
          bool capEnd)
{
    std::vector<std::vector<BVertex>> grid;
    for (size_t i = 0; i < rings.size(); i++) {
        V3 prev = rings[i > 0 ? i - 1 : i].centre, next = rings[i + 1 < rings.size() ? i + 1 : i].centre;
        V3 d = normalize(next - prev);
        // u runs across the body (along x) where the tube allows it.
        V3 across = std::fabs(d.x) < 0.9 ? V3{1, 0, 0} : V3{0, 0, 1};
        V3 u = normalize(across - d * dot(across, d));
        V3 w = normalize(cross(d, u));
        double along = double(i) / double(rings.size() - 1);
        std::vector<BVertex> row;
        for (int k = 0; k <= sides; k++) {
            double a = 2 * kPi * k / sides;
            V3 off = u * (std::cos(a) * rings[i].ru) + w * (std::sin(a) * rings[i].rv);
            V3 n = normalize(u * (std::cos(a) / std::max(rings[i].ru, 0.01)) +
                             w * (std::sin(a) / std::max(rings[i].rv, 0.01)));
            BVertex v{rings[i].centre + off, n, c, weights(rings[i].centre + off, along)};
            row.push_back(v);
        }
        grid.push_back(row);
    }
    for (size_t i = 0; i + 1 < grid.size(); i++)
        for (int k = 0; k < sides; k++)
            bquad(s, grid[i][size_t(k)], grid[i][size_t(k + 1)], grid[i + 1][size_t(k + 1)], grid[i + 1][size_t(k)]);
    auto cap = [&](size_t row, V3 outward) {
        V3 centre = rings[row].centre;
        BVertex mid{centre, outward, c, weights(centre, row == 0 ? 0.0 : 1.0)};
        for (int k = 0; k < sides; k++) {
            BVertex a = grid[row][size_t(k)], b = grid[row][size_t(k + 1)];
            a.n = b.n = outward;
            bquad(s, a, b, mid, mid);
        }
    };
    if (capStart)
        cap(0, normalize(rings[0].centre - rings[1].centre));
    if (capEnd)
        cap(rings.size() - 1, normalize(rings.back().centre - rings[rings.size() - 2].centre));
}

void bellipsoid(BSegment &s, V3 centre, V3 radii, int slices, int stacks, Colour c, Influence in,
                const std::function<bool(V3 unit)> &keep = nullptr)
{
    auto point = [&](int i, int j, V3 *unit) {
        double th = kPi * j / stacks, ph = 2 * kPi * i / slices;
        *unit = {std::sin(th) * std::sin(ph), std::cos(th), std::sin(th) * std::cos(ph)};
        return centre + V3{unit->x * radii.x, unit->y * radii.y, unit->z * radii.z};
    };
    for (int j = 0; j < stacks; j++)
        for (int i = 0; i < slices; i++) {
            V3 u00, u10, u11, u01;
            V3 p00 = point(i, j, &u00), p10 = point(i + 1, j, &u10), p11 = point(i + 1, j + 1, &u11),
               p01 = point(i, j + 1, &u01);
            if (keep && !keep(normalize(u00 + u10 + u11 + u01)))
                continue;
            auto n = [&](V3 u) { return normalize(V3{u.x / radii.x, u.y / radii.y, u.z / radii.z}); };
            bquad(s, {p00, n(u00), c, in}, {p10, n(u10), c, in}, {p11, n(u11), c, in}, {p01, n(u01), c, in});
        }
}

Influence only(const char *bone) { return influence({{boneIndex(bone), 1.0}}); }

// Weights along a limb bone: blended with the parent near the start joint
// and with the child near the end joint, so joints bend smoothly.
WeightFn limbWeights(const char *parent, const char *bone, const char *child)
{
    int p = boneIndex(parent), b = boneIndex(bone), c = child ? boneIndex(child) : -1;
    return [=](V3, double t) {
        std::vector<std::pair<int, double>> list;
        double wp = t < 0.25 ? 0.5 * (1 - t / 0.25) : 0;
        double wc = (c >= 0 && t > 0.75) ? 0.5 * (t - 0.75) / 0.25 : 0;
        list.push_back({b, 1 - wp - wc});
        if (wp > 0)
            list.push_back({p, wp});
        if (wc > 0)
            list.push_back({c, wc});
        return influence(list);
    };
}

std::vector<Ring> limbRings(V3 a, V3 b, std::initializer_list<std::pair<double, double>> profile)
{
    std::vector<Ring> rings;
    size_t n = profile.size(), i = 0;
    for (auto [ru, rv] : profile) {
        double t = double(i++) / double(n - 1);
        rings.push_back({lerp(a, b, t), ru, rv});
    }
    return rings;
}

bool writeBody()
{
    const Colour skin{0.96, 0.76, 0.6, 1}, shirt{0.86, 0.34, 0.14, 1}, trousers{0.2, 0.27, 0.52, 1},
        shoes{0.36, 0.2, 0.1, 1}, hair{0.32, 0.18, 0.08, 1}, eyes{0.08, 0.08, 0.12, 1}, belt{0.22, 0.13, 0.07, 1};
    BSegment sSkin{"Skin", "Skin", {}}, sShirt{"Shrt", "none", {}}, sTrousers{"Trsr", "none", {}},
        sShoes{"Shoe", "Shny", {}}, sHair{"Hair", "none", {}}, sDetail{"Detl", "Shny", {}};

    auto J = [&](const char *b) { return bones[size_t(boneIndex(b))]; };

    // Torso: rings from the crotch to the shoulders, weighted from the pelvis
    // through the spine to the chest.
    {
        int root = boneIndex("Root"), spine = boneIndex("Spin"), chest = boneIndex("Ches");
        WeightFn w = [=](V3 p, double) {
            double y = p.y;
            if (y < 3.05)
                return influence({{root, 1}});
            if (y < 3.85) {
                double t = (y - 3.05) / 0.8;
                return influence({{root, 1 - t}, {spine, t}});
            }
            double t = std::min(1.0, (y - 3.85) / 0.45);
            return influence({{spine, 1 - t}, {chest, t}});
        };
        std::vector<Ring> shirtRings = {{{0, 3.0, 0}, 0.64, 0.4},  {{0, 3.3, 0.02}, 0.62, 0.38},
                                        {{0, 3.7, 0.04}, 0.68, 0.42}, {{0, 4.1, 0.05}, 0.76, 0.45},
                                        {{0, 4.42, 0.02}, 0.74, 0.42}, {{0, 4.62, 0}, 0.5, 0.3},
                                        {{0, 4.7, 0}, 0.2, 0.17}};
        tube(sShirt, shirtRings, 16, shirt, w, false, false);
        std::vector<Ring> hipRings = {{{0, 2.55, 0}, 0.2, 0.15}, {{0, 2.65, 0}, 0.55, 0.34},
                                      {{0, 2.85, 0}, 0.66, 0.4},  {{0, 3.02, 0}, 0.645, 0.405}};
        tube(sTrousers, hipRings, 16, trousers, w, true, false);
        std::vector<Ring> beltRings = {{{0, 2.93, 0}, 0.67, 0.415}, {{0, 3.07, 0}, 0.665, 0.415}};
        tube(sDetail, beltRings, 16, belt, w, false, false);
    }

    // Neck and head.
    {
        tube(sSkin, limbRings({0, 4.5, 0}, {0, 4.9, 0}, {{0.17, 0.16}, {0.16, 0.15}, {0.16, 0.15}}), 10, skin,
             limbWeights("Ches", "Neck", "Head"), false, false);
        V3 hc{0, 5.2, 0.02};
        V3 hr{0.37, 0.42, 0.4};
        bellipsoid(sSkin, hc, hr, 16, 12, skin, only("Head"));
        // Hair over the crown and the back of the head.
        bellipsoid(sHair, hc + V3{0, 0.03, -0.02}, hr * 1.06, 16, 12, hair, only("Head"),
                   [](V3 u) { return u.y > 0.25 || (u.z < -0.2 && u.y > -0.45); });
        for (double side : {-1.0, 1.0})
            bellipsoid(sDetail, {side * 0.14, 5.27, 0.38}, {0.055, 0.07, 0.04}, 8, 6, eyes, only("Head"));
        bellipsoid(sSkin, {0, 5.14, 0.42}, {0.06, 0.08, 0.07}, 8, 6, skin, only("Head"));
    }

    // Arms, hands, shoulders.
    for (const char *side : {"L", "R"}) {
        std::string s(side);
        auto n = [&](const char *b) { return std::string(b) + s; };
        const BoneDef &up = J(n("UAr").c_str()), &low = J(n("LAr").c_str()), &hand = J(n("Hnd").c_str());
        bellipsoid(sShirt, up.start, {0.22, 0.22, 0.22}, 10, 8, shirt,
                   influence({{boneIndex(n("Clv").c_str()), 0.5}, {boneIndex(n("UAr").c_str()), 0.5}}));
        tube(sShirt, limbRings(up.start, lerp(up.start, up.end, 0.55), {{0.23, 0.22}, {0.2, 0.19}, {0.19, 0.18}}),
             10, shirt,
             [&, a = limbWeights(n("Clv").c_str(), n("UAr").c_str(), n("LAr").c_str())](V3 p, double t) {
                 return a(p, t * 0.55);
             },
             false, false);
        tube(sSkin, limbRings(lerp(up.start, up.end, 0.5), up.end, {{0.15, 0.15}, {0.14, 0.14}, {0.13, 0.13}}),
             10, skin,
             [&, a = limbWeights(n("Clv").c_str(), n("UAr").c_str(), n("LAr").c_str())](V3 p, double t) {
                 return a(p, 0.5 + t * 0.5);
             },
             false, false);
        tube(sSkin, limbRings(low.start, low.end, {{0.13, 0.13}, {0.125, 0.12}, {0.11, 0.1}, {0.09, 0.08}}), 10,
             skin, limbWeights(n("UAr").c_str(), n("LAr").c_str(), n("Hnd").c_str()), false, false);
        V3 hc = lerp(hand.start, hand.end, 0.45);
        bellipsoid(sSkin, hc, {0.1, 0.24, 0.14}, 10, 8, skin, only(n("Hnd").c_str()));
    }

    // Legs and shoes.
    for (const char *side : {"L", "R"}) {
        std::string s(side);
        auto n = [&](const char *b) { return std::string(b) + s; };
        const BoneDef &thigh = J(n("Thi").c_str()), &shin = J(n("Shn").c_str()), &foot = J(n("Fot").c_str());
        tube(sTrousers,
             limbRings(thigh.start + V3{0, 0.1, 0}, thigh.end,
                       {{0.36, 0.36}, {0.33, 0.33}, {0.29, 0.29}, {0.25, 0.26}, {0.23, 0.24}}),
             12, trousers, limbWeights("Root", n("Thi").c_str(), n("Shn").c_str()), false, false);
        tube(sTrousers,
             limbRings(shin.start, shin.end + V3{0, 0.12, 0},
                       {{0.23, 0.24}, {0.22, 0.23}, {0.19, 0.2}, {0.17, 0.18}, {0.18, 0.18}}),
             12, trousers, limbWeights(n("Thi").c_str(), n("Shn").c_str(), n("Fot").c_str()), false, true);
        V3 ankle = foot.start;
        int fb = boneIndex(n("Fot").c_str()), sb = boneIndex(n("Shn").c_str());
        std::vector<Ring> shoe = {{ankle + V3{0, -0.06, -0.25}, 0.15, 0.11}, {ankle + V3{0, -0.07, -0.18}, 0.19, 0.15},
                                  {ankle + V3{0, -0.07, 0.1}, 0.2, 0.15},    {ankle + V3{0, -0.08, 0.42}, 0.19, 0.12},
                                  {ankle + V3{0, -0.1, 0.6}, 0.15, 0.09},    {ankle + V3{0, -0.11, 0.67}, 0.07, 0.05}};
        tube(sShoes, shoe, 12, shoes,
             [=](V3 p, double) {
                 double back = std::clamp((0.05 - (p.z - ankle.z)) / 0.3, 0.0, 0.35);
                 return influence({{fb, 1 - back}, {sb, back}});
             },
             true, true);
    }

    Text t;
    header(t, "Body", "Humn", {"Humn.anim"});
    t.open("Body");
    t.line("Animation: 'Humn'");
    std::vector<BSegment *> segments = {&sSkin, &sShirt, &sTrousers, &sShoes, &sHair, &sDetail};
    t.line("NumSegments: " + std::to_string(segments.size()));
    for (BSegment *s : segments) {
        t.open("Segment");
        t.line("Identifier: '" + s->id + "'");
        t.line("Shader: '" + s->shader + "'");
        t.line("PrimitiveType: GL_QUADS");
        t.line("NumVertices: " + std::to_string(s->v.size()));
        t.open("Vertices");
        std::string normal = "0, 0, -1", colour = "1, 1, 1, 1";
        std::string slot[4] = {"", "", "", ""}, weight[4] = {"1", "0", "0", "0"};
        for (const BVertex &v : s->v) {
            V3 nn = normalize(v.n);
            std::string ns = nums({nn.x, nn.y, nn.z}), cs = nums({v.c.r, v.c.g, v.c.b, v.c.a});
            if (ns != normal)
                t.line("Normal: " + (normal = ns));
            if (cs != colour)
                t.line("Color: " + (colour = cs));
            for (int i = 0; i < 4; i++) {
                std::string b = bones[size_t(v.in.bone[i])].id, w = num(v.in.weight[i]);
                if (b != slot[i])
                    t.line("Bone" + std::to_string(i + 1) + ": '" + (slot[i] = b) + "'");
                if (w != weight[i])
                    t.line("Weight" + std::to_string(i + 1) + ": " + (weight[i] = w));
            }
            t.line("Vertex: " + nums({v.p.x, v.p.y, v.p.z}));
        }
        t.close();
        t.close();
    }
    t.close();
    return writeFile("Humn.body", t.s);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: ModelMaker <output folder>\n");
        return 2;
    }
    outputFolder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(outputFolder, error);
    if (error) {
        std::fprintf(stderr, "ModelMaker: cannot create %s\n", argv[1]);
        return 1;
    }
    computeRestJoints();
    bool ok = writeShaders() && writeStaticModels() && writeSkeleton() && writeAnimation() && writeBody();
    if (!ok)
        return 1;
    std::printf("ModelMaker: %d files\n", filesWritten);
    return 0;
}
