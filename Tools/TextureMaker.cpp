// TextureMaker draws every texture of the Textures resource folder as a PNG
// file: the repeating world textures (concrete, bricks, water, block faces),
// the soft shadow, the pause caption, the title image, the intro logo, the
// widget images and the editor's tool and palette icons.  Everything is
// procedural (seeded noise, shapes with anti-aliased edges, text rendered with
// FreeType), so every run writes the same bytes.  All sides are powers of two.
//
// Usage: TextureMaker <output folder> <bold font file>
//        TextureMaker --icons <output folder>
// The second form draws the application icon (the title's emblem) at every
// size a desktop's icon theme asks for, as icon-<size>.png.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H
#include <png.h>

namespace {

constexpr double kPi = 3.14159265358979323846;

struct RGBA {
    double r = 0, g = 0, b = 0, a = 0;
};

RGBA rgb(double r, double g, double b, double a = 1) { return {r, g, b, a}; }
RGBA mix(RGBA x, RGBA y, double t) { return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t, x.a + (y.a - x.a) * t}; }
RGBA scale(RGBA c, double k) { return {c.r * k, c.g * k, c.b * k, c.a}; }
double clamp01(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }
double smooth(double e0, double e1, double x)
{
    double t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

// Rows run from the top of the picture down; x to the right.
struct Image {
    int w = 0, h = 0;
    std::vector<RGBA> px;
    Image() = default;
    Image(int width, int height, RGBA fill = {}) : w(width), h(height), px(size_t(width * height), fill) {}
    RGBA &at(int x, int y) { return px[size_t(y * w + x)]; }
    const RGBA &at(int x, int y) const { return px[size_t(y * w + x)]; }
    // Wrapping, bilinear lookup with coordinates in 0..1.
    RGBA sample(double u, double v) const
    {
        double x = u * w - 0.5, y = v * h - 0.5;
        int x0 = int(std::floor(x)), y0 = int(std::floor(y));
        double fx = x - x0, fy = y - y0;
        auto get = [&](int xi, int yi) { return at(((xi % w) + w) % w, ((yi % h) + h) % h); };
        return mix(mix(get(x0, y0), get(x0 + 1, y0), fx), mix(get(x0, y0 + 1), get(x0 + 1, y0 + 1), fx), fy);
    }
    // Paints colour over the pixel with the given coverage ("over" blending).
    void blend(int x, int y, RGBA c, double coverage)
    {
        if (x < 0 || y < 0 || x >= w || y >= h)
            return;
        double a = clamp01(c.a * coverage);
        if (a <= 0)
            return;
        RGBA &d = at(x, y);
        double outA = a + d.a * (1 - a);
        if (outA <= 0) {
            d = {};
            return;
        }
        d.r = (c.r * a + d.r * d.a * (1 - a)) / outA;
        d.g = (c.g * a + d.g * d.a * (1 - a)) / outA;
        d.b = (c.b * a + d.b * d.a * (1 - a)) / outA;
        d.a = outA;
    }
};

// --------------------------------------------------------------- noise

uint32_t hash3(int x, int y, int seed)
{
    uint32_t h = uint32_t(x) * 0x8da6b343u ^ uint32_t(y) * 0xd8163841u ^ uint32_t(seed) * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return h;
}
double lattice(int x, int y, int seed) { return (hash3(x, y, seed) & 0xffffff) / double(0xffffff); }

// Value noise that repeats every `period` lattice cells.
double valueNoise(double x, double y, int period, int seed)
{
    int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    double fx = x - x0, fy = y - y0;
    auto wrap = [&](int v) { return ((v % period) + period) % period; };
    double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    double a = lattice(wrap(x0), wrap(y0), seed), b = lattice(wrap(x0 + 1), wrap(y0), seed);
    double c = lattice(wrap(x0), wrap(y0 + 1), seed), d = lattice(wrap(x0 + 1), wrap(y0 + 1), seed);
    return (a + (b - a) * sx) + ((c + (d - c) * sx) - (a + (b - a) * sx)) * sy;
}

// Fractal noise over u, v in 0..1, tiling at the edges; result about 0..1.
double fbm(double u, double v, int baseFrequency, int octaves, int seed)
{
    double sum = 0, amp = 0.5, norm = 0;
    int f = baseFrequency;
    for (int o = 0; o < octaves; o++) {
        sum += amp * valueNoise(u * f, v * f, f, seed + o * 17);
        norm += amp;
        amp *= 0.5;
        f *= 2;
    }
    return sum / norm;
}

// Distance to the nearest and second nearest of jittered points (tiling).
void cellular(double u, double v, int cells, int seed, double *f1, double *f2, int *id = nullptr)
{
    double x = u * cells, y = v * cells;
    int cx = int(std::floor(x)), cy = int(std::floor(y));
    *f1 = *f2 = 1e9;
    for (int j = -1; j <= 1; j++)
        for (int i = -1; i <= 1; i++) {
            int gx = cx + i, gy = cy + j;
            int wx = ((gx % cells) + cells) % cells, wy = ((gy % cells) + cells) % cells;
            double px = gx + 0.15 + 0.7 * lattice(wx, wy, seed), py = gy + 0.15 + 0.7 * lattice(wx, wy, seed + 1);
            double d = std::hypot(px - x, py - y);
            if (d < *f1) {
                *f2 = *f1;
                *f1 = d;
                if (id)
                    *id = int(hash3(wx, wy, seed + 2) & 0xffff);
            } else if (d < *f2)
                *f2 = d;
        }
}

// ------------------------------------------------------------- shapes

// Fills every pixel for which coverage(x, y) > 0 (x, y at pixel centres, in
// pixels), averaging a 4 x 4 grid of samples for smooth edges.
void fillShape(Image &img, const std::function<bool(double, double)> &inside,
               const std::function<RGBA(double, double)> &colour, int x0 = 0, int y0 = 0, int x1 = -1, int y1 = -1)
{
    if (x1 < 0)
        x1 = img.w;
    if (y1 < 0)
        y1 = img.h;
    x0 = std::max(0, x0), y0 = std::max(0, y0), x1 = std::min(img.w, x1), y1 = std::min(img.h, y1);
    for (int y = y0; y < y1; y++)
        for (int x = x0; x < x1; x++) {
            // The corners and the centre decide most pixels; only pixels on
            // an edge get the full grid.
            int quick = inside(x + 0.5, y + 0.5) + inside(x + 0.125, y + 0.125) + inside(x + 0.875, y + 0.125) +
                        inside(x + 0.125, y + 0.875) + inside(x + 0.875, y + 0.875);
            int hits = quick == 5 ? 16 : 0;
            if (quick > 0 && quick < 5)
                for (int j = 0; j < 4; j++)
                    for (int i = 0; i < 4; i++)
                        hits += inside(x + (i + 0.5) / 4, y + (j + 0.5) / 4);
            if (hits)
                img.blend(x, y, colour(x + 0.5, y + 0.5), hits / 16.0);
        }
}

std::function<RGBA(double, double)> solid(RGBA c)
{
    return [c](double, double) { return c; };
}

bool inPolygon(const std::vector<std::array<double, 2>> &p, double x, double y)
{
    bool in = false;
    for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++)
        if ((p[i][1] > y) != (p[j][1] > y) &&
            x < (p[j][0] - p[i][0]) * (y - p[i][1]) / (p[j][1] - p[i][1]) + p[i][0])
            in = !in;
    return in;
}

double segmentDistance(double px, double py, double ax, double ay, double bx, double by)
{
    double dx = bx - ax, dy = by - ay;
    double t = std::clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy + 1e-12), 0.0, 1.0);
    return std::hypot(px - ax - t * dx, py - ay - t * dy);
}

void polygon(Image &img, const std::vector<std::array<double, 2>> &p, const std::function<RGBA(double, double)> &c)
{
    double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
    for (auto &q : p)
        x0 = std::min(x0, q[0]), y0 = std::min(y0, q[1]), x1 = std::max(x1, q[0]), y1 = std::max(y1, q[1]);
    fillShape(
        img, [&](double x, double y) { return inPolygon(p, x, y); }, c, int(x0) - 1, int(y0) - 1, int(x1) + 2,
        int(y1) + 2);
}
void polygon(Image &img, const std::vector<std::array<double, 2>> &p, RGBA c) { polygon(img, p, solid(c)); }

void disc(Image &img, double cx, double cy, double r, RGBA c)
{
    fillShape(
        img, [&](double x, double y) { return std::hypot(x - cx, y - cy) <= r; }, solid(c), int(cx - r - 1),
        int(cy - r - 1), int(cx + r + 2), int(cy + r + 2));
}

void ring(Image &img, double cx, double cy, double r, double width, RGBA c)
{
    fillShape(
        img, [&](double x, double y) { return std::fabs(std::hypot(x - cx, y - cy) - r) <= width / 2; }, solid(c),
        int(cx - r - width), int(cy - r - width), int(cx + r + width + 1), int(cy + r + width + 1));
}

void line(Image &img, double ax, double ay, double bx, double by, double width, RGBA c)
{
    double m = width + 1;
    fillShape(
        img, [&](double x, double y) { return segmentDistance(x, y, ax, ay, bx, by) <= width / 2; }, solid(c),
        int(std::min(ax, bx) - m), int(std::min(ay, by) - m), int(std::max(ax, bx) + m + 1),
        int(std::max(ay, by) + m + 1));
}

bool inRoundedRect(double x, double y, double x0, double y0, double x1, double y1, double r)
{
    double cx = std::clamp(x, x0 + r, x1 - r), cy = std::clamp(y, y0 + r, y1 - r);
    return x >= x0 && x <= x1 && y >= y0 && y <= y1 && std::hypot(x - cx, y - cy) <= r;
}

void roundedRect(Image &img, double x0, double y0, double x1, double y1, double r,
                 const std::function<RGBA(double, double)> &c)
{
    fillShape(img, [&](double x, double y) { return inRoundedRect(x, y, x0, y0, x1, y1, r); }, c, int(x0) - 1,
              int(y0) - 1, int(x1) + 2, int(y1) + 2);
}

// Light from the upper left on a square tile: a raised rim of width `rim`.
void bevel(Image &img, double rim, double strength)
{
    for (int y = 0; y < img.h; y++)
        for (int x = 0; x < img.w; x++) {
            double dl = x + 0.5, dr = img.w - x - 0.5, dt = y + 0.5, db = img.h - y - 0.5;
            double m = std::min(std::min(dl, dr), std::min(dt, db));
            if (m >= rim)
                continue;
            double k = 1 - m / rim;
            double light = (m == dl || m == dt) ? 1 : -1;
            RGBA &p = img.at(x, y);
            double f = 1 + light * strength * k;
            p.r = clamp01(p.r * f), p.g = clamp01(p.g * f), p.b = clamp01(p.b * f);
        }
}

// --------------------------------------------------------------- text

struct Font {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    bool open(const char *file)
    {
        if (FT_Init_FreeType(&library))
            return false;
        return FT_New_Face(library, file, 0, &face) == 0;
    }
    ~Font()
    {
        if (face)
            FT_Done_Face(face);
        if (library)
            FT_Done_FreeType(library);
    }
};

Font font;

// Coverage mask of a string (w x h), its ink centred in the mask.
struct Mask {
    int w = 0, h = 0;
    std::vector<double> a;
    double at(int x, int y) const { return (x < 0 || y < 0 || x >= w || y >= h) ? 0 : a[size_t(y * w + x)]; }
};

Mask renderText(const std::string &text, int pixelSize, double tracking = 0)
{
    FT_Set_Pixel_Sizes(font.face, 0, FT_UInt(pixelSize));
    struct Glyph {
        int x, y, w, h;
        std::vector<uint8_t> bits;
    };
    std::vector<Glyph> glyphs;
    double penX = 0;
    FT_UInt previous = 0;
    int minX = 1 << 30, minY = 1 << 30, maxX = -(1 << 30), maxY = -(1 << 30);
    for (unsigned char ch : text) {
        FT_UInt index = FT_Get_Char_Index(font.face, ch);
        if (previous && index && FT_HAS_KERNING(font.face)) {
            FT_Vector k;
            FT_Get_Kerning(font.face, previous, index, FT_KERNING_DEFAULT, &k);
            penX += k.x / 64.0;
        }
        if (FT_Load_Glyph(font.face, index, FT_LOAD_RENDER))
            continue;
        FT_GlyphSlot g = font.face->glyph;
        Glyph out{int(std::lround(penX)) + g->bitmap_left, -g->bitmap_top, int(g->bitmap.width), int(g->bitmap.rows), {}};
        for (int r = 0; r < out.h; r++)
            for (int c = 0; c < out.w; c++)
                out.bits.push_back(g->bitmap.buffer[r * g->bitmap.pitch + c]);
        if (out.w > 0 && out.h > 0) {
            minX = std::min(minX, out.x), minY = std::min(minY, out.y);
            maxX = std::max(maxX, out.x + out.w), maxY = std::max(maxY, out.y + out.h);
        }
        glyphs.push_back(std::move(out));
        penX += g->advance.x / 64.0 + tracking;
        previous = index;
    }
    Mask m;
    if (maxX <= minX)
        return m;
    m.w = maxX - minX;
    m.h = maxY - minY;
    m.a.assign(size_t(m.w * m.h), 0);
    for (const Glyph &g : glyphs)
        for (int r = 0; r < g.h; r++)
            for (int c = 0; c < g.w; c++) {
                double &d = m.a[size_t((g.y - minY + r) * m.w + (g.x - minX + c))];
                d = std::max(d, g.bits[size_t(r * g.w + c)] / 255.0);
            }
    return m;
}

// Paints text centred at (cx, cy): an optional soft shadow, an outline of
// the given width, then the fill colour from a function of the height within
// the text (0 top, 1 bottom).
void drawText(Image &img, const std::string &text, int size, double cx, double cy,
              const std::function<RGBA(double)> &fill, RGBA outline, double outlineWidth, double shadow = 0,
              double tracking = 0)
{
    Mask m = renderText(text, size, tracking);
    if (m.w == 0)
        return;
    int ox = int(std::lround(cx - m.w / 2.0)), oy = int(std::lround(cy - m.h / 2.0));
    int pad = int(std::ceil(outlineWidth + shadow)) + 2;
    auto grown = [&](int x, int y, double radius) {
        if (radius <= 0)
            return m.at(x, y);
        double best = 0;
        int r = int(std::ceil(radius));
        for (int j = -r; j <= r; j++)
            for (int i = -r; i <= r; i++) {
                double d = std::hypot(i, j);
                if (d > radius + 0.5)
                    continue;
                double wgt = clamp01(radius + 0.5 - d);
                best = std::max(best, m.at(x + i, y + j) * wgt);
            }
        return best;
    };
    if (shadow > 0)
        for (int y = -pad; y < m.h + pad; y++)
            for (int x = -pad; x < m.w + pad; x++) {
                double s = grown(x - int(shadow), y - int(shadow), outlineWidth + 1);
                img.blend(ox + x, oy + y, rgb(0, 0, 0, 0.45), s);
            }
    if (outlineWidth > 0)
        for (int y = -pad; y < m.h + pad; y++)
            for (int x = -pad; x < m.w + pad; x++)
                img.blend(ox + x, oy + y, outline, grown(x, y, outlineWidth));
    for (int y = 0; y < m.h; y++)
        for (int x = 0; x < m.w; x++)
            img.blend(ox + x, oy + y, fill(double(y) / m.h), m.at(x, y));
}

// --------------------------------------------------------------- output

std::filesystem::path outputFolder;
int filesWritten = 0;

// Fully transparent pixels take the colour of their visible neighbours, a
// few pixels deep, so that filtering and mipmaps do not pull a dark fringe in
// from the invisible black around shapes.  Alpha is unchanged.
Image bleedIntoTransparent(const Image &img)
{
    Image out = img;
    std::vector<uint8_t> known(out.px.size());
    for (size_t i = 0; i < out.px.size(); i++)
        known[i] = out.px[i].a > 0;
    for (int pass = 0; pass < 6; pass++) {
        std::vector<uint8_t> next = known;
        for (int y = 0; y < out.h; y++)
            for (int x = 0; x < out.w; x++) {
                size_t i = size_t(y * out.w + x);
                if (known[i])
                    continue;
                double r = 0, g = 0, b = 0;
                int n = 0;
                for (int dy = -1; dy <= 1; dy++)
                    for (int dx = -1; dx <= 1; dx++) {
                        int nx = x + dx, ny = y + dy;
                        if (nx < 0 || ny < 0 || nx >= out.w || ny >= out.h)
                            continue;
                        size_t j = size_t(ny * out.w + nx);
                        if (!known[j])
                            continue;
                        r += out.px[j].r, g += out.px[j].g, b += out.px[j].b, n++;
                    }
                if (n) {
                    out.px[i] = {r / n, g / n, b / n, 0};
                    next[i] = 1;
                }
            }
        known.swap(next);
    }
    return out;
}

// Kept apart from writePNG so that nothing there lives across the longjmp
// that libpng uses to report errors.
bool encodePNG(FILE *file, int width, int height, png_bytep *rows)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_rows(png, info, rows);
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

// Textures must have power-of-two sides; icons (anySize) need not.
bool writePNG(const std::string &name, const Image &img, bool anySize = false)
{
    if (!anySize && ((img.w & (img.w - 1)) || (img.h & (img.h - 1)))) {
        std::fprintf(stderr, "TextureMaker: %s is not a power of two\n", name.c_str());
        return false;
    }
    std::vector<uint8_t> rows(size_t(img.w * img.h * 4));
    Image bled = bleedIntoTransparent(img);
    for (size_t i = 0; i < bled.px.size(); i++) {
        const RGBA &p = bled.px[i];
        rows[i * 4 + 0] = uint8_t(std::lround(clamp01(p.r) * 255));
        rows[i * 4 + 1] = uint8_t(std::lround(clamp01(p.g) * 255));
        rows[i * 4 + 2] = uint8_t(std::lround(clamp01(p.b) * 255));
        rows[i * 4 + 3] = uint8_t(std::lround(clamp01(p.a) * 255));
    }
    std::vector<png_bytep> pointers(size_t(img.h));
    for (int y = 0; y < img.h; y++)
        pointers[size_t(y)] = rows.data() + size_t(y * img.w * 4);

    std::string path = (outputFolder / name).string();
    FILE *file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "TextureMaker: cannot write %s\n", path.c_str());
        return false;
    }
    bool ok = encodePNG(file, img.w, img.h, pointers.data());
    if (std::fclose(file) != 0)
        ok = false;
    if (!ok) {
        std::fprintf(stderr, "TextureMaker: failed writing %s\n", path.c_str());
        return false;
    }
    filesWritten++;
    return true;
}

// ------------------------------------------------------- world textures

Image concrete()
{
    Image img(256, 256);
    for (int y = 0; y < img.h; y++)
        for (int x = 0; x < img.w; x++) {
            double u = (x + 0.5) / img.w, v = (y + 0.5) / img.h;
            double n = fbm(u, v, 4, 6, 11);
            double stain = fbm(u, v, 2, 3, 23);
            double pores = fbm(u, v, 32, 2, 31);
            double k = 0.5 + 0.25 * n - 0.12 * smooth(0.55, 0.75, stain) - 0.18 * smooth(0.68, 0.8, pores);
            img.at(x, y) = rgb(k * 1.02, k * 1.0, k * 0.96);
        }
    // Joints between slabs: one slab per cell.
    for (int y = 0; y < img.h; y++)
        for (int x = 0; x < img.w; x++) {
            int e = std::min(std::min(x, img.w - 1 - x), std::min(y, img.h - 1 - y));
            if (e < 3) {
                RGBA &p = img.at(x, y);
                p = scale(p, e == 0 ? 0.55 : e == 1 ? 0.7 : 0.88);
            }
        }
    return img;
}

Image bricks()
{
    Image img(256, 256);
    const int rows = 8, perRow = 4;
    const double rowH = 256.0 / rows, brickW = 256.0 / perRow, mortar = 3.0;
    for (int y = 0; y < img.h; y++)
        for (int x = 0; x < img.w; x++) {
            double u = (x + 0.5) / img.w, v = (y + 0.5) / img.h;
            int row = int(y / rowH);
            double shift = (row % 2) ? brickW / 2 : 0;
            double bx = std::fmod(x + 0.5 + shift, brickW), by = std::fmod(y + 0.5, rowH);
            int brick = int((x + shift) / brickW) % perRow;
            double edge = std::min(std::min(bx, brickW - bx), std::min(by, rowH - by));
            double grain = fbm(u, v, 16, 4, 41);
            if (edge < mortar) {
                double m = 0.62 + 0.15 * grain;
                img.at(x, y) = rgb(m, m * 0.97, m * 0.92);
                continue;
            }
            double tone = lattice(brick, row, 5);
            RGBA base = mix(rgb(0.62, 0.25, 0.16), rgb(0.75, 0.38, 0.22), tone);
            base = mix(base, rgb(0.45, 0.2, 0.15), 0.3 * lattice(brick, row, 6));
            double k = 0.82 + 0.3 * grain;
            // Slightly rounded brick edges catch light at the top.
            if (edge < mortar + 2)
                k *= by < rowH / 2 ? 1.08 : 0.85;
            img.at(x, y) = scale(base, k);
        }
    return img;
}

Image water()
{
    Image img(128, 128);
    for (int y = 0; y < img.h; y++)
        for (int x = 0; x < img.w; x++) {
            double u = (x + 0.5) / img.w, v = (y + 0.5) / img.h;
            double f1, f2;
            cellular(u + 0.05 * fbm(u, v, 4, 2, 3), v + 0.05 * fbm(v, u, 4, 2, 4), 5, 77, &f1, &f2);
            double caustic = std::pow(1 - smooth(0.0, 0.22, f2 - f1), 2.0);
            double n = fbm(u, v, 4, 4, 88);
            double k = 0.62 + 0.2 * n + 0.35 * caustic;
            img.at(x, y) = rgb(k * 0.75, k * 0.9, std::min(1.0, k * 1.1), 1);
        }
    return img;
}

Image stoneFace()
{
    Image img(256, 256);
    for (int y = 0; y < img.h; y++)
        for (int x = 0; x < img.w; x++) {
            double u = (x + 0.5) / img.w, v = (y + 0.5) / img.h;
            double n = fbm(u, v, 4, 6, 101);
            double speck = fbm(u, v, 64, 1, 102);
            double f1, f2;
            cellular(u, v, 3, 103, &f1, &f2);
            double crack = 1 - smooth(0.0, 0.035, f2 - f1);
            double k = 0.55 + 0.3 * n + (speck > 0.75 ? 0.08 : 0) - 0.25 * crack * smooth(0.45, 0.6, n);
            img.at(x, y) = rgb(k * 1.0, k * 0.96, k * 0.9);
        }
    bevel(img, 14, 0.35);
    return img;
}

Image sandstone()
{
    Image img(256, 256);
    for (int y = 0; y < img.h; y++)
        for (int x = 0; x < img.w; x++) {
            double u = (x + 0.5) / img.w, v = (y + 0.5) / img.h;
            double layers = 0.5 + 0.5 * std::sin((v + 0.04 * fbm(u, v, 4, 3, 201)) * 2 * kPi * 7);
            double n = fbm(u, v, 8, 5, 202);
            double holes = fbm(u, v, 16, 2, 203);
            double k = 0.8 + 0.1 * layers + 0.15 * (n - 0.5) - 0.25 * smooth(0.66, 0.74, holes);
            img.at(x, y) = scale(rgb(0.93, 0.78, 0.52), k);
        }
    // A dashed outline over waves: this block vanishes once the water reaches it.
    const RGBA ink = rgb(0.45, 0.3, 0.15, 0.85);
    const double x0 = 84, y0 = 36, x1 = 172, y1 = 124, dash = 14, gap = 9;
    for (double t = 0; t < x1 - x0; t += dash + gap) {
        double e = std::min(t + dash, x1 - x0);
        line(img, x0 + t, y0, x0 + e, y0, 5, ink);
        line(img, x0 + t, y1, x0 + e, y1, 5, ink);
        line(img, x0, y0 + t, x0, y0 + e, 5, ink);
        line(img, x1, y0 + t, x1, y0 + e, 5, ink);
    }
    for (int k = 0; k < 2; k++) {
        std::vector<std::array<double, 2>> wave;
        double base = 150 + k * 28;
        for (int i = 0; i <= 48; i++) {
            double x = 56 + i * 3;
            wave.push_back({x, base + 9 * std::sin(i * kPi / 8)});
        }
        for (int i = 48; i >= 0; i--) {
            double x = 56 + i * 3;
            wave.push_back({x, base + 10 + 9 * std::sin(i * kPi / 8)});
        }
        polygon(img, wave, rgb(0.2, 0.45, 0.75, 0.85));
    }
    bevel(img, 12, 0.3);
    return img;
}

Image tealBlock()
{
    Image img(256, 256);
    for (int y = 0; y < img.h; y++)
        for (int x = 0; x < img.w; x++) {
            double u = (x + 0.5) / img.w, v = (y + 0.5) / img.h;
            double n = fbm(u, v, 8, 5, 301);
            double f1, f2;
            cellular(u, v, 6, 302, &f1, &f2);
            double cellEdge = smooth(0.0, 0.08, f2 - f1);
            double k = 0.75 + 0.2 * n;
            img.at(x, y) = scale(mix(rgb(0.15, 0.45, 0.42), rgb(0.3, 0.72, 0.62), cellEdge), k);
        }
    // Rising bubbles and an arrow: this block rises out of the water.
    for (auto [bx, by, r] : {std::array<double, 3>{80, 190, 14}, {176, 176, 10}, {96, 132, 8}, {168, 110, 12},
                             {124, 206, 7}, {190, 210, 6}})
        ring(img, bx, by, r, 3.5, rgb(0.85, 1.0, 0.95, 0.8));
    polygon(img, {{128, 40}, {176, 96}, {148, 96}, {148, 150}, {108, 150}, {108, 96}, {80, 96}},
            rgb(0.9, 1.0, 0.95, 0.85));
    bevel(img, 12, 0.3);
    return img;
}

Image steelPlate()
{
    Image img(256, 256);
    for (int y = 0; y < img.h; y++)
        for (int x = 0; x < img.w; x++) {
            double u = (x + 0.5) / img.w, v = (y + 0.5) / img.h;
            double brushed = fbm(u * 0.25, v * 4, 8, 3, 401);
            double k = 0.62 + 0.18 * brushed;
            img.at(x, y) = rgb(k * 0.92, k * 0.95, k);
            double e = std::min(std::min(x + 0.5, img.w - x - 0.5), std::min(y + 0.5, img.h - y - 0.5));
            if (e < 26 && e > 4) {
                bool stripe = int(std::floor((x + y) / 22.0)) % 2 == 0;
                img.at(x, y) = stripe ? rgb(0.95, 0.75, 0.1) : rgb(0.12, 0.12, 0.12);
            }
        }
    for (auto [rx, ry] : {std::array<double, 2>{42, 42}, {214, 42}, {42, 214}, {214, 214}}) {
        disc(img, rx + 1, ry + 1, 6, rgb(0.1, 0.1, 0.1, 0.6));
        disc(img, rx, ry, 6, rgb(0.8, 0.82, 0.85));
        disc(img, rx - 1.5, ry - 1.5, 2.5, rgb(1, 1, 1, 0.8));
    }
    // The lamp that shows this block listens to a switch.
    disc(img, 128, 128, 44, rgb(0.2, 0.2, 0.22));
    fillShape(img, [](double x, double y) { return std::hypot(x - 128, y - 128) <= 36; },
              [](double x, double y) {
                  double d = std::hypot(x - 116, y - 116) / 48;
                  return mix(rgb(1, 0.95, 0.5), rgb(0.95, 0.55, 0.05), clamp01(d));
              });
    bevel(img, 5, 0.4);
    return img;
}

Image crate()
{
    Image img(256, 256);
    for (int y = 0; y < img.h; y++)
        for (int x = 0; x < img.w; x++) {
            double u = (x + 0.5) / img.w, v = (y + 0.5) / img.h;
            int plank = y / 64;
            double grain = fbm(u * 0.2 + plank * 0.37, v * 3, 8, 4, 501 + plank);
            double k = 0.7 + 0.35 * grain - (y % 64 < 2 ? 0.35 : 0);
            img.at(x, y) = scale(rgb(0.62, 0.42, 0.22), k);
        }
    // Iron bands.
    for (int y = 0; y < img.h; y++)
        for (int x = 0; x < img.w; x++) {
            double e = std::min(std::min(x + 0.5, img.w - x - 0.5), std::min(y + 0.5, img.h - y - 0.5));
            bool band = e < 20 || std::fabs(x + 0.5 - 128) < 10;
            if (band) {
                double k = 0.35 + 0.1 * fbm(x / 256.0, y / 256.0, 16, 2, 509);
                img.at(x, y) = rgb(k, k, k * 1.05);
            }
        }
    for (double p : {10.0, 246.0})
        for (double q : {10.0, 128.0, 246.0}) {
            disc(img, p, q, 4, rgb(0.6, 0.6, 0.62));
            disc(img, q, p, 4, rgb(0.6, 0.6, 0.62));
        }
    // Brass lock plate with a keyhole.
    roundedRect(img, 92, 84, 164, 176, 10, [](double, double y) {
        return mix(rgb(1.0, 0.85, 0.4), rgb(0.75, 0.5, 0.12), clamp01((y - 84) / 92));
    });
    disc(img, 128, 116, 13, rgb(0.08, 0.05, 0.02));
    polygon(img, {{120, 120}, {136, 120}, {142, 156}, {114, 156}}, rgb(0.08, 0.05, 0.02));
    bevel(img, 6, 0.35);
    return img;
}

Image phaseField()
{
    Image img(256, 256);
    for (int y = 0; y < img.h; y++)
        for (int x = 0; x < img.w; x++) {
            double u = (x + 0.5) / img.w, v = (y + 0.5) / img.h;
            // Hexagonal cells: centres on alternate shifted rows, eight by
            // eight, so the pattern repeats across the face.
            double px = u * 8, py = v * 8;
            double best = 1e9, second = 1e9;
            for (int j = int(std::floor(py)) - 1; j <= int(std::floor(py)) + 1; j++)
                for (int i = int(std::floor(px)) - 1; i <= int(std::floor(px)) + 1; i++) {
                    double cx = i + ((j & 1) ? 0.5 : 0.0);
                    double d = std::hypot(px - cx, (py - j) * 0.8660254);
                    if (d < best) {
                        second = best;
                        best = d;
                    } else if (d < second)
                        second = d;
                }
            double edge = 1 - smooth(0.0, 0.09, second - best);
            double glow = fbm(u, v, 4, 4, 601);
            RGBA base = mix(rgb(0.05, 0.1, 0.3), rgb(0.15, 0.35, 0.7), glow);
            img.at(x, y) = mix(base, rgb(0.55, 0.95, 1.0), 0.85 * edge);
        }
    bevel(img, 10, 0.5);
    return img;
}

Image lavaCore()
{
    Image img(256, 256);
    for (int y = 0; y < img.h; y++)
        for (int x = 0; x < img.w; x++) {
            double u = (x + 0.5) / img.w, v = (y + 0.5) / img.h;
            double f1, f2;
            cellular(u, v, 5, 701, &f1, &f2);
            double crack = 1 - smooth(0.0, 0.09, f2 - f1);
            double n = fbm(u, v, 8, 4, 702);
            RGBA rock = scale(rgb(0.22, 0.08, 0.07), 0.7 + 0.5 * n);
            img.at(x, y) = mix(rock, mix(rgb(1.0, 0.35, 0.05), rgb(1.0, 0.85, 0.3), crack), crack);
        }
    return img;
}

Image woodGrain()
{
    Image img(64, 256);
    for (int y = 0; y < img.h; y++)
        for (int x = 0; x < img.w; x++) {
            double u = (x + 0.5) / img.w, v = (y + 0.5) / img.h;
            double rings = 0.5 + 0.5 * std::sin((u * 6 + 0.6 * fbm(u, v, 4, 4, 801)) * 2 * kPi);
            double k = 0.75 + 0.2 * rings + 0.1 * fbm(u, v * 4, 8, 2, 802);
            img.at(x, y) = scale(rgb(0.66, 0.45, 0.24), k);
        }
    return img;
}

Image runeCircle()
{
    Image img(256, 256);
    const double c = 128;
    fillShape(img, [&](double x, double y) { return std::hypot(x - c, y - c) <= 120; },
              [&](double x, double y) {
                  double r = std::hypot(x - c, y - c) / 120;
                  return mix(rgb(0.55, 0.9, 1.0, 0.95), rgb(0.35, 0.15, 0.55, 0.85), smooth(0.0, 1.0, r));
              });
    ring(img, c, c, 112, 6, rgb(0.9, 1.0, 1.0, 1));
    ring(img, c, c, 84, 3, rgb(0.9, 0.8, 1.0, 1));
    for (int i = 0; i < 12; i++) {
        double a = i * kPi / 6;
        double r0 = 90, r1 = 106;
        double ca = std::cos(a), sa = std::sin(a);
        line(img, c + ca * r0, c + sa * r0, c + ca * r1, c + sa * r1, 3, rgb(1, 1, 1, 0.9));
        double b = a + kPi / 12;
        line(img, c + std::cos(b) * 94, c + std::sin(b) * 94, c + std::cos(b + 0.08) * 104,
             c + std::sin(b + 0.08) * 100, 2.5, rgb(0.85, 0.95, 1, 0.8));
    }
    for (int k = 0; k < 3; k++) {
        double a0 = k * 2 * kPi / 3 - kPi / 2, a1 = (k + 1) * 2 * kPi / 3 - kPi / 2;
        line(img, c + std::cos(a0) * 70, c + std::sin(a0) * 70, c + std::cos(a1) * 70, c + std::sin(a1) * 70, 3,
             rgb(1, 1, 1, 0.85));
    }
    disc(img, c, c, 16, rgb(1, 1, 1, 0.9));
    return img;
}

Image swirl()
{
    Image img(256, 256);
    for (int y = 0; y < img.h; y++)
        for (int x = 0; x < img.w; x++) {
            double dx = (x + 0.5 - 128) / 120, dy = (y + 0.5 - 128) / 120;
            double r = std::hypot(dx, dy);
            if (r >= 1)
                continue;
            double a = std::atan2(dy, dx);
            double arms = 0.5 + 0.5 * std::cos(3 * a + 9 * r);
            double fade = 1 - smooth(0.7, 1.0, r);
            double core = 1 - smooth(0.0, 0.35, r);
            RGBA c = mix(rgb(1.0, 0.55, 0.1), rgb(1.0, 0.95, 0.7), std::max(arms * (1 - r), core));
            c.a = fade * (0.35 + 0.55 * arms * (0.4 + 0.6 * r) + 0.6 * core);
            c.a = clamp01(c.a);
            img.at(x, y) = c;
        }
    return img;
}

// ----------------------------------------------------- interface images

Image shadow()
{
    Image img(64, 64);
    for (int y = 0; y < img.h; y++)
        for (int x = 0; x < img.w; x++) {
            double r = std::hypot(x + 0.5 - 32, y + 0.5 - 32) / 31;
            double a = r >= 1 ? 0 : 0.75 * std::pow(1 - r * r, 1.6);
            img.at(x, y) = rgb(0, 0, 0, a);
        }
    return img;
}

Image pauseCaption()
{
    Image img(512, 128);
    drawText(
        img, "Paused", 92, 256, 64,
        [](double t) { return mix(rgb(1, 1, 1), rgb(0.75, 0.85, 1.0), t); }, rgb(0.05, 0.08, 0.2, 0.95), 4, 4, 2);
    return img;
}

// An isometric cube whose three visible faces show the given face image.
void isoCube(Image &img, double cx, double cy, double size, const Image &face, double alpha = 1,
             bool dashed = false)
{
    const double c30 = std::cos(kPi / 6), s30 = 0.5;
    // Screen position of cube corner (i, j, k) with x right-back, z left-back, y up.
    auto P = [&](double i, double j, double k) {
        return std::array<double, 2>{cx + (i - k) * c30 * size, cy + ((i + k) * s30 - j) * size};
    };
    struct Face {
        std::array<double, 2> o, a, b;
        double shade;
    };
    auto sub = [](std::array<double, 2> p, std::array<double, 2> q) { return std::array<double, 2>{p[0] - q[0], p[1] - q[1]}; };
    // Coordinates run 0..1 with the cube's centre at (0.5, 0.5, 0.5).
    std::array<double, 2> top0 = P(-0.5, 0.5, -0.5), left0 = P(-0.5, -0.5, 0.5), right0 = P(0.5, -0.5, 0.5);
    Face faces[3] = {
        {top0, sub(P(0.5, 0.5, -0.5), top0), sub(P(-0.5, 0.5, 0.5), top0), 1.0},
        {left0, sub(P(0.5, -0.5, 0.5), left0), sub(P(-0.5, 0.5, 0.5), left0), 0.78},
        {right0, sub(P(0.5, -0.5, -0.5), right0), sub(P(0.5, 0.5, 0.5), right0), 0.6},
    };
    for (const Face &f : faces) {
        double det = f.a[0] * f.b[1] - f.a[1] * f.b[0];
        auto st = [&](double x, double y, double *s, double *t) {
            double px = x - f.o[0], py = y - f.o[1];
            *s = (px * f.b[1] - py * f.b[0]) / det;
            *t = (f.a[0] * py - f.a[1] * px) / det;
        };
        double bx0 = std::min({f.o[0], f.o[0] + f.a[0], f.o[0] + f.b[0], f.o[0] + f.a[0] + f.b[0]});
        double bx1 = std::max({f.o[0], f.o[0] + f.a[0], f.o[0] + f.b[0], f.o[0] + f.a[0] + f.b[0]});
        double by0 = std::min({f.o[1], f.o[1] + f.a[1], f.o[1] + f.b[1], f.o[1] + f.a[1] + f.b[1]});
        double by1 = std::max({f.o[1], f.o[1] + f.a[1], f.o[1] + f.b[1], f.o[1] + f.a[1] + f.b[1]});
        fillShape(
            img,
            [&](double x, double y) {
                double s, t;
                st(x, y, &s, &t);
                if (s < 0 || s > 1 || t < 0 || t > 1)
                    return false;
                if (dashed) {
                    double e = std::min(std::min(s, 1 - s), std::min(t, 1 - t));
                    if (e > 0.06)
                        return true;
                    double along = (std::min(s, 1 - s) < std::min(t, 1 - t)) ? t : s;
                    return int(along * 8) % 2 == 0;
                }
                return true;
            },
            [&](double x, double y) {
                double s, t;
                st(x, y, &s, &t);
                RGBA c = scale(face.sample(std::clamp(s, 0.0, 1.0), std::clamp(1 - t, 0.0, 1.0)), f.shade);
                c.a = alpha;
                return c;
            },
            int(bx0) - 1, int(by0) - 1, int(bx1) + 2, int(by1) + 2);
    }
}

Image iconWithCube(const Image &face, bool dashed = false)
{
    Image img(64, 64);
    isoCube(img, 32, 34, 28, face, 1, dashed);
    return img;
}

Image buttonImage(bool down)
{
    Image img(256, 64);
    roundedRect(img, 1, 1, 255, 63, 16, solid(rgb(0.08, 0.1, 0.2, 1)));
    // A deep blue face, lighter at the top, so that the white label reads
    // clearly on it; pressed, it turns darker with the light at the bottom.
    roundedRect(img, 4, 4, 252, 60, 13, [down](double, double y) {
        double t = (y - 4) / 56;
        return down ? mix(rgb(0.08, 0.13, 0.3), rgb(0.16, 0.25, 0.5), t)
                    : mix(rgb(0.2, 0.31, 0.6), rgb(0.1, 0.17, 0.38), t);
    });
    if (!down)
        roundedRect(img, 12, 6, 244, 14, 4, solid(rgb(1, 1, 1, 0.1)));
    return img;
}

Image checkBoxImage(bool highlighted, bool checked)
{
    Image img(64, 64);
    roundedRect(img, 2, 2, 62, 62, 10, solid(rgb(0.08, 0.1, 0.2, 1)));
    roundedRect(img, 6, 6, 58, 58, 7, [highlighted](double, double y) {
        double t = (y - 6) / 52;
        return highlighted ? mix(rgb(0.6, 0.65, 0.8), rgb(0.85, 0.88, 0.95), t)
                           : mix(rgb(1, 1, 1), rgb(0.8, 0.82, 0.9), t);
    });
    if (checked) {
        polygon(img, {{14, 32}, {22, 24}, {29, 33}, {46, 12}, {54, 20}, {29, 50}}, rgb(0.1, 0.55, 0.2));
    }
    return img;
}

void person(Image &img, double cx, double top, double h, RGBA shirt, RGBA trousers)
{
    double u = h / 10;
    disc(img, cx, top + 1.2 * u, 1.2 * u, rgb(0.96, 0.76, 0.6));
    roundedRect(img, cx - 1.6 * u, top + 2.6 * u, cx + 1.6 * u, top + 6 * u, 0.6 * u, solid(shirt));
    line(img, cx - 1.6 * u, top + 3.2 * u, cx - 2.4 * u, top + 5.6 * u, 0.9 * u, rgb(0.96, 0.76, 0.6));
    line(img, cx + 1.6 * u, top + 3.2 * u, cx + 2.4 * u, top + 5.6 * u, 0.9 * u, rgb(0.96, 0.76, 0.6));
    line(img, cx - 0.8 * u, top + 6 * u, cx - 1.0 * u, top + 9.6 * u, 1.2 * u, trousers);
    line(img, cx + 0.8 * u, top + 6 * u, cx + 1.0 * u, top + 9.6 * u, 1.2 * u, trousers);
}

void gemShape(Image &img, double cx, double cy, double s)
{
    std::vector<std::array<double, 2>> outline = {{cx - s, cy - 0.3 * s}, {cx - 0.5 * s, cy - 0.8 * s},
                                                  {cx + 0.5 * s, cy - 0.8 * s}, {cx + s, cy - 0.3 * s},
                                                  {cx, cy + s}};
    polygon(img, outline, rgb(0.1, 0.35, 0.95));
    polygon(img, {{cx - 0.5 * s, cy - 0.8 * s}, {cx + 0.5 * s, cy - 0.8 * s}, {cx + 0.3 * s, cy - 0.3 * s}, {cx - 0.3 * s, cy - 0.3 * s}},
            rgb(0.6, 0.9, 1.0));
    polygon(img, {{cx - s, cy - 0.3 * s}, {cx - 0.3 * s, cy - 0.3 * s}, {cx, cy + s}}, rgb(0.3, 0.6, 1.0));
    polygon(img, {{cx + 0.3 * s, cy - 0.3 * s}, {cx + s, cy - 0.3 * s}, {cx, cy + s}}, rgb(0.05, 0.2, 0.7));
    line(img, cx - 0.35 * s, cy - 0.62 * s, cx - 0.1 * s, cy - 0.62 * s, s * 0.08, rgb(1, 1, 1, 0.9));
}

void heartShape(Image &img, double cx, double cy, double s, RGBA c)
{
    std::vector<std::array<double, 2>> p;
    for (int i = 0; i < 64; i++) {
        double t = 2 * kPi * i / 64;
        double x = 16 * std::pow(std::sin(t), 3);
        double y = 13 * std::cos(t) - 5 * std::cos(2 * t) - 2 * std::cos(3 * t) - std::cos(4 * t);
        p.push_back({cx + x * s / 17, cy - (y + 2) * s / 17});
    }
    polygon(img, p, c);
}

void keyShape(Image &img, double cx, double cy, double s, RGBA c)
{
    ring(img, cx - 0.55 * s, cy, 0.32 * s, 0.16 * s, c);
    line(img, cx - 0.25 * s, cy, cx + 0.85 * s, cy, 0.16 * s, c);
    line(img, cx + 0.7 * s, cy, cx + 0.7 * s, cy + 0.3 * s, 0.14 * s, c);
    line(img, cx + 0.45 * s, cy, cx + 0.45 * s, cy + 0.22 * s, 0.14 * s, c);
}

void featherShape(Image &img, double cx, double cy, double s)
{
    std::vector<std::array<double, 2>> vane;
    for (int i = 0; i <= 20; i++) {
        double t = i / 20.0;
        double w = 0.28 * s * std::sin(t * kPi * 0.95 + 0.05);
        vane.push_back({cx - 0.8 * s + 1.6 * s * t + 0.1 * w, cy + 0.8 * s - 1.6 * s * t - w});
    }
    for (int i = 20; i >= 0; i--) {
        double t = i / 20.0;
        double w = 0.28 * s * std::sin(t * kPi * 0.95 + 0.05);
        vane.push_back({cx - 0.8 * s + 1.6 * s * t - 0.1 * w, cy + 0.8 * s - 1.6 * s * t + w});
    }
    polygon(img, vane, [&](double x, double) { return mix(rgb(0.95, 0.97, 1.0), rgb(0.55, 0.8, 1.0), clamp01((x - cx + s) / (2 * s))); });
    for (int i = 1; i < 8; i++) {
        double t = i / 8.0;
        double x = cx - 0.8 * s + 1.6 * s * t, y = cy + 0.8 * s - 1.6 * s * t;
        line(img, x, y, x - 0.12 * s, y - 0.22 * s, 1, rgb(0.5, 0.65, 0.85, 0.8));
    }
    line(img, cx - 0.95 * s, cy + 0.95 * s, cx + 0.8 * s, cy - 0.8 * s, 0.07 * s, rgb(0.95, 0.9, 0.75));
}

void ladderShape(Image &img, double cx, double cy, double s)
{
    RGBA wood = rgb(0.75, 0.5, 0.26), dark = rgb(0.45, 0.28, 0.12);
    line(img, cx - 0.45 * s, cy - s, cx - 0.45 * s, cy + s, 0.16 * s, dark);
    line(img, cx + 0.45 * s, cy - s, cx + 0.45 * s, cy + s, 0.16 * s, dark);
    for (int i = 0; i < 5; i++) {
        double y = cy - 0.8 * s + i * 0.4 * s;
        line(img, cx - 0.45 * s, y, cx + 0.45 * s, y, 0.1 * s, wood);
    }
    line(img, cx - 0.47 * s, cy - s, cx - 0.47 * s, cy + s, 0.06 * s, wood);
    line(img, cx + 0.43 * s, cy - s, cx + 0.43 * s, cy + s, 0.06 * s, wood);
}

void leverShape(Image &img, double cx, double cy, double s)
{
    roundedRect(img, cx - 0.7 * s, cy + 0.55 * s, cx + 0.7 * s, cy + 0.85 * s, 0.06 * s, solid(rgb(0.5, 0.52, 0.56)));
    roundedRect(img, cx - 0.25 * s, cy + 0.1 * s, cx + 0.25 * s, cy + 0.6 * s, 0.05 * s, solid(rgb(0.9, 0.75, 0.2)));
    line(img, cx, cy + 0.3 * s, cx + 0.35 * s, cy - 0.55 * s, 0.12 * s, rgb(0.78, 0.78, 0.8));
    disc(img, cx + 0.38 * s, cy - 0.6 * s, 0.24 * s, rgb(0.95, 0.12, 0.1));
    disc(img, cx + 0.32 * s, cy - 0.68 * s, 0.08 * s, rgb(1, 0.7, 0.7));
}

void spikyBall(Image &img, double cx, double cy, double s)
{
    std::vector<std::array<double, 2>> star;
    for (int i = 0; i < 24; i++) {
        double a = i * kPi / 12;
        double r = (i % 2) ? 0.55 * s : s;
        star.push_back({cx + std::cos(a) * r, cy + std::sin(a) * r});
    }
    polygon(img, star, rgb(0.3, 0.3, 0.34));
    fillShape(img, [&](double x, double y) { return std::hypot(x - cx, y - cy) <= 0.55 * s; },
              [&](double x, double y) {
                  double r = std::hypot(x - cx + 0.15 * s, y - cy + 0.15 * s) / (0.7 * s);
                  return mix(rgb(1.0, 0.85, 0.3), rgb(0.75, 0.1, 0.05), clamp01(r));
              });
}

void portalShape(Image &img, double cx, double cy, double s, const Image &swirlImage)
{
    fillShape(img, [&](double x, double y) { return std::hypot(x - cx, y - cy) <= 0.85 * s; },
              [&](double x, double y) { return swirlImage.sample(0.5 + (x - cx) / (2 * 0.9 * s), 0.5 + (y - cy) / (2 * 0.9 * s)); });
    ring(img, cx, cy, 0.88 * s, 0.16 * s, rgb(1.0, 0.78, 0.25));
    fillShape(img, [&](double x, double y) { return std::fabs(std::hypot((x - cx) / 0.35, y - cy) - 0.88 * s) <= 0.06 * s; },
              solid(rgb(0.95, 0.6, 0.2)));
}

void teleportShape(Image &img, double cx, double cy, double s)
{
    fillShape(img, [&](double x, double y) { return std::hypot((x - cx) / s, (y - cy - 0.6 * s) / (0.28 * s)) <= 1; },
              solid(rgb(0.4, 0.3, 0.6)));
    fillShape(img, [&](double x, double y) { return std::hypot((x - cx) / (0.8 * s), (y - cy - 0.55 * s) / (0.2 * s)) <= 1; },
              solid(rgb(0.6, 0.95, 1.0)));
    for (double dy : {-0.05, -0.55})
        fillShape(img, [&](double x, double y) {
            return std::fabs(std::hypot((x - cx) / (0.85 * s), (y - cy - dy * s) / (0.22 * s)) - 1) < 0.14; },
            solid(dy < -0.3 ? rgb(0.8, 0.5, 1.0) : rgb(0.35, 0.85, 1.0)));
    for (int i = 0; i < 5; i++) {
        double x = cx - 0.3 * s + i * 0.15 * s;
        line(img, x, cy + 0.4 * s, x + 0.02 * s, cy - 0.8 * s + (i % 2) * 0.2 * s, 1.5, rgb(1, 1, 1, 0.6));
    }
}

void waterShape(Image &img, double cx, double cy, double s)
{
    std::vector<std::array<double, 2>> drop;
    for (int i = 0; i <= 40; i++) {
        double t = kPi * i / 40;
        double r = 0.45 * s;
        drop.push_back({cx - std::cos(t) * r, cy + 0.1 * s + std::sin(t) * r});
    }
    drop.push_back({cx, cy - 0.9 * s});
    polygon(img, drop, [&](double x, double y) {
        return mix(rgb(0.6, 0.85, 1.0), rgb(0.1, 0.35, 0.85), clamp01((x - cx + y - cy) / (1.4 * s) + 0.5));
    });
    disc(img, cx - 0.18 * s, cy + 0.1 * s, 0.1 * s, rgb(1, 1, 1, 0.7));
    for (int k = 0; k < 2; k++) {
        std::vector<std::array<double, 2>> wave;
        double base = cy + 0.7 * s + k * 0.25 * s;
        for (int i = 0; i <= 32; i++)
            wave.push_back({cx - s + i * s / 16, base + 0.06 * s * std::sin(i * kPi / 4)});
        for (int i = 32; i >= 0; i--)
            wave.push_back({cx - s + i * s / 16, base + 0.12 * s + 0.06 * s * std::sin(i * kPi / 4)});
        polygon(img, wave, rgb(0.3, 0.6, 1.0, 0.9));
    }
}

void magnifier(Image &img, double cx, double cy, double s)
{
    line(img, cx + 0.25 * s, cy + 0.25 * s, cx + 0.85 * s, cy + 0.85 * s, 0.22 * s, rgb(0.35, 0.22, 0.1));
    disc(img, cx - 0.15 * s, cy - 0.15 * s, 0.55 * s, rgb(0.75, 0.9, 1.0, 0.45));
    ring(img, cx - 0.15 * s, cy - 0.15 * s, 0.55 * s, 0.14 * s, rgb(0.8, 0.8, 0.85));
    line(img, cx - 0.45 * s, cy - 0.3 * s, cx - 0.3 * s, cy - 0.5 * s, 0.08 * s, rgb(1, 1, 1, 0.85));
}

// The game's emblem: a block standing in rising water.
void emblem(Image &img, double cx, double cy, double s, const Image &stone)
{
    fillShape(img, [&](double x, double y) { return std::hypot(x - cx, y - cy) <= s; },
              [&](double, double y) { return mix(rgb(0.2, 0.35, 0.7), rgb(0.05, 0.1, 0.3), clamp01((y - cy + s) / (2 * s))); },
              int(cx - s) - 1, int(cy - s) - 1, int(cx + s) + 2, int(cy + s) + 2);
    isoCube(img, cx, cy - 0.05 * s, 0.48 * s, stone);
    fillShape(img,
              [&](double x, double y) {
                  return std::hypot(x - cx, y - cy) <= s && y > cy + 0.35 * s + 0.04 * s * std::sin((x - cx) / s * 9);
              },
              solid(rgb(0.25, 0.6, 1.0, 0.75)), int(cx - s) - 1, int(cy - s) - 1, int(cx + s) + 2, int(cy + s) + 2);
    ring(img, cx, cy, s, 0.08 * s, rgb(1.0, 0.85, 0.35));
}

Image titleImage(const Image &stone)
{
    Image img(512, 512);
    emblem(img, 256, 170, 130, stone);
    drawText(
        img, "Brimhold", 100, 256, 385,
        [](double t) { return mix(rgb(1.0, 0.97, 0.8), rgb(0.95, 0.6, 0.15), t); }, rgb(0.1, 0.12, 0.3, 1), 6, 6, 1);
    drawText(
        img, "rising water puzzles", 30, 256, 470, [](double) { return rgb(0.12, 0.15, 0.35); }, rgb(1, 1, 1, 0.6),
        2, 0, 1);
    return img;
}

Image logoImage(const Image &stone)
{
    Image img(256, 256);
    emblem(img, 128, 104, 76, stone);
    drawText(
        img, "BRIMHOLD", 30, 128, 215, [](double t) { return mix(rgb(1, 1, 1), rgb(0.7, 0.8, 1.0), t); },
        rgb(0, 0, 0, 0), 0, 0, 4);
    return img;
}

// The emblem alone on a transparent square, filling it but for a margin that
// keeps its ring clear of the edge.
Image appIcon(int size, const Image &stone)
{
    Image img(size, size);
    double half = size / 2.0;
    emblem(img, half, half, half * 0.92, stone);
    return img;
}

bool createOutputFolder(const char *folder)
{
    outputFolder = folder;
    std::error_code error;
    std::filesystem::create_directories(outputFolder, error);
    if (error) {
        std::fprintf(stderr, "TextureMaker: cannot create %s\n", folder);
        return false;
    }
    return true;
}

int writeIcons(const char *folder)
{
    if (!createOutputFolder(folder))
        return 1;
    Image stone = stoneFace();
    for (int size : {16, 24, 32, 48, 64, 128, 256, 512})
        if (!writePNG("icon-" + std::to_string(size) + ".png", appIcon(size, stone), true))
            return 1;
    std::printf("TextureMaker: %d icons\n", filesWritten);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::string(argv[1]) == "--icons")
        return writeIcons(argv[2]);
    if (argc != 3) {
        std::fprintf(stderr, "usage: TextureMaker <output folder> <bold font file>\n"
                             "       TextureMaker --icons <output folder>\n");
        return 2;
    }
    if (!createOutputFolder(argv[1]))
        return 1;
    if (!font.open(argv[2])) {
        std::fprintf(stderr, "TextureMaker: cannot open the font %s\n", argv[2]);
        return 1;
    }

    Image stone = stoneFace(), sand = sandstone(), teal = tealBlock(), steel = steelPlate(), box = crate(),
          phase = phaseField(), lava = lavaCore(), swirlImage = swirl();
    std::map<std::string, Image> out;
    out["Cmnt"] = concrete();
    out["Brck"] = bricks();
    out["Watr"] = water();
    out["TxSt"] = stone;
    out["TxDs"] = sand;
    out["TxAp"] = teal;
    out["TxSw"] = steel;
    out["TxLk"] = box;
    out["TxPh"] = phase;
    out["TxDd"] = lava;
    out["TxWd"] = woodGrain();
    out["TxTp"] = runeCircle();
    out["Swrl"] = swirlImage;

    out["Shdw"] = shadow();
    out["Paus"] = pauseCaption();
    out["SplS"] = titleImage(stone);
    out["Logo"] = logoImage(stone);
    out["BtnU"] = buttonImage(false);
    out["BtnD"] = buttonImage(true);
    out["CbUU"] = checkBoxImage(false, false);
    out["CbUC"] = checkBoxImage(false, true);
    out["CbDU"] = checkBoxImage(true, false);
    out["CbDC"] = checkBoxImage(true, true);

    // Tool icons.
    out["BlkT"] = iconWithCube(stone);
    {
        Image img(64, 64);
        person(img, 32, 6, 50, rgb(0.86, 0.34, 0.14), rgb(0.2, 0.27, 0.52));
        line(img, 48, 10, 48, 56, 3, rgb(0.85, 0.85, 0.85));
        polygon(img, {{49, 10}, {62, 16}, {49, 22}}, rgb(0.2, 0.85, 0.3));
        out["PlrT"] = img;
    }
    {
        Image img(64, 64);
        waterShape(img, 32, 30, 26);
        out["WtrT"] = img;
    }
    {
        Image img(64, 64);
        isoCube(img, 26, 30, 16, box);
        magnifier(img, 36, 36, 24);
        out["BInT"] = img;
    }

    // Palette icons.
    out["StnT"] = iconWithCube(stone);
    {
        Image img(64, 64);
        portalShape(img, 32, 32, 28, swirlImage);
        out["PrtT"] = img;
    }
    {
        Image img(64, 64);
        spikyBall(img, 32, 32, 28);
        out["DdlT"] = img;
    }
    out["LckT"] = iconWithCube(box);
    out["SwtT"] = iconWithCube(steel);
    {
        Image img(64, 64);
        leverShape(img, 32, 32, 28);
        out["SwbT"] = img;
    }
    {
        Image img(64, 64);
        ladderShape(img, 32, 32, 28);
        out["LdrT"] = img;
    }
    out["DspT"] = iconWithCube(sand, true);
    out["AprT"] = iconWithCube(teal);
    {
        Image img(64, 64);
        teleportShape(img, 32, 32, 28);
        out["TprT"] = img;
    }
    out["PhsT"] = iconWithCube(phase);
    {
        Image img(64, 64);
        gemShape(img, 32, 34, 26);
        out["GemT"] = img;
    }
    {
        Image img(64, 64);
        featherShape(img, 32, 32, 28);
        out["FtrT"] = img;
    }
    {
        Image img(64, 64);
        keyShape(img, 30, 32, 30, rgb(1.0, 0.8, 0.2));
        out["KeyT"] = img;
    }
    {
        Image img(64, 64);
        heartShape(img, 32, 34, 27, rgb(0.95, 0.12, 0.2));
        disc(img, 22, 22, 5, rgb(1, 1, 1, 0.5));
        out["XLfT"] = img;
    }

    for (auto &[name, img] : out)
        if (!writePNG(name + ".png", img))
            return 1;
    std::printf("TextureMaker: %d files\n", filesWritten);
    return 0;
}
