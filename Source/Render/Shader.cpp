#include "Shader.h"

#include "Folders.h"
#include "Fonts.h"
#include "Image.h"
#include "ModelParser.h"
#include "Preferences.h"
#include "Text.h"
#include "Utilities.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

static const float kNeutralAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
static const float kNeutralDiffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
static const float kNeutralSpecular[4] = {0, 0, 0, 1.0f};
static const float kNeutralEmission[4] = {0, 0, 0, 1.0f};

// How the model registry reads and frees the shader files of the Models
// folder; registered as the program starts.
static const ModelShaderFunctions registryShaderFunctions = {
    []() -> void * { return ShaderAllocate(); },
    [](void *shader, const char *text, int32_t length, int32_t position) {
        return ShaderLoad(static_cast<Shader *>(shader), text, length, position);
    },
    [](void *shader) { ShaderDispose(static_cast<Shader *>(shader)); },
};
[[maybe_unused]] static const bool registryKnowsShaders =
    (ModelSetShaderFunctions(&registryShaderFunctions), true);

Shader *ShaderAllocate()
{
    Shader *shader = static_cast<Shader *>(std::calloc(1, sizeof(Shader)));
    if (!shader)
        throw std::bad_alloc();
    std::memcpy(shader->ambient, kNeutralAmbient, sizeof shader->ambient);
    std::memcpy(shader->diffuse, kNeutralDiffuse, sizeof shader->diffuse);
    std::memcpy(shader->specular, kNeutralSpecular, sizeof shader->specular);
    std::memcpy(shader->emission, kNeutralEmission, sizeof shader->emission);
    shader->wrapS = shader->wrapT = GL_REPEAT;
    shader->magFilter = shader->minFilter = GL_LINEAR;
    shader->blendSource = GL_SRC_ALPHA;
    shader->blendDestination = GL_ONE_MINUS_SRC_ALPHA;
    return shader;
}

void ShaderDispose(Shader *shader)
{
    if (!shader)
        return;
    std::free(shader->pixels);
    if (shader->textureName) {
        GLuint name = shader->textureName;
        glDeleteTextures(1, &name);
    }
    std::free(shader);
}

// ---- Shader files ----

static bool WrapFromName(const char *name, uint32_t *out)
{
    static const struct {
        const char *name;
        uint32_t value;
    } names[] = {{"GL_REPEAT", GL_REPEAT}, {"GL_CLAMP", GL_CLAMP}, {"GL_CLAMP_TO_EDGE", GL_CLAMP_TO_EDGE}};
    for (const auto &n : names)
        if (std::strcmp(name, n.name) == 0) {
            *out = n.value;
            return true;
        }
    return false;
}

static bool FilterFromName(const char *name, uint32_t *out)
{
    static const struct {
        const char *name;
        uint32_t value;
    } names[] = {{"GL_NEAREST", GL_NEAREST},
                 {"GL_LINEAR", GL_LINEAR},
                 {"GL_NEAREST_MIPMAP_NEAREST", GL_NEAREST_MIPMAP_NEAREST},
                 {"GL_NEAREST_MIPMAP_LINEAR", GL_NEAREST_MIPMAP_LINEAR},
                 {"GL_LINEAR_MIPMAP_NEAREST", GL_LINEAR_MIPMAP_NEAREST},
                 {"GL_LINEAR_MIPMAP_LINEAR", GL_LINEAR_MIPMAP_LINEAR}};
    for (const auto &n : names)
        if (std::strcmp(name, n.name) == 0) {
            *out = n.value;
            return true;
        }
    return false;
}

static bool IsPowerOfTwo(int32_t n)
{
    return n > 0 && (n & (n - 1)) == 0;
}

int32_t ShaderLoadTextureImage(Shader *shader, const fs::path &file)
{
    PlatformImage image;
    if (!PlatformReadPNG(file, &image))
        return 1;
    if (!IsPowerOfTwo(image.width) || !IsPowerOfTwo(image.height) || image.width > kShaderMaxTextureSide ||
        image.height > kShaderMaxTextureSide)
        return 2;
    std::free(shader->pixels);
    shader->pixels = static_cast<uint8_t *>(std::malloc(image.pixels.size() * 4));
    if (!shader->pixels)
        throw std::bad_alloc();
    shader->textureWidth = image.width;
    shader->textureHeight = image.height;
    // A, R, G, B bytes in memory, as the upload with GL_UNSIGNED_INT_8_8_8_8
    // reads them on a little-endian machine.
    for (size_t i = 0; i < image.pixels.size(); i++) {
        uint32_t p = image.pixels[i];
        shader->pixels[i * 4 + 0] = uint8_t(p >> 24);
        shader->pixels[i * 4 + 1] = uint8_t(p >> 16);
        shader->pixels[i * 4 + 2] = uint8_t(p >> 8);
        shader->pixels[i * 4 + 3] = uint8_t(p);
    }
    return 0;
}

static bool IsPlainFileName(const char *name)
{
    return name[0] && std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0 &&
           std::strchr(name, '/') == nullptr;
}

int32_t ShaderParse(Shader *shader, const char *text, int32_t length, int32_t position)
{
    position = ModelFindLine(text, length, position, "Shader");
    if (position < 0)
        return 1;
    enum { kOutside, kTexture, kMaterial } state = kOutside;
    ModelLine line;
    for (position = ModelNextLine(text, length, position); position >= 0;
         position = ModelNextLine(text, length, position)) {
        ModelCopyLine(text, length, position, &line);
        char word[256] = {0};
        int number;
        float c[4];
        if (state == kOutside) {
            if (ModelLineBegins(&line, "Texture")) {
                shader->hasTexture = 1;
                state = kTexture;
            } else if (ModelLineBegins(&line, "Material")) {
                shader->hasMaterial = 1;
                state = kMaterial;
            }
        } else if (state == kTexture) {
            if (std::sscanf(line.text, "Filename: \"%255[^\"]\"", word) == 1) {
                fs::path file = PlatformResourceSubfolder("Textures") / word;
                std::error_code error;
                if (!IsPlainFileName(word) || !fs::is_regular_file(file, error))
                    return 2;
                int32_t code = ShaderLoadTextureImage(shader, file);
                if (code != 0)
                    return code;
            } else if (std::sscanf(line.text, "TextureWrapS: %255s", word) == 1) {
                if (!WrapFromName(word, &shader->wrapS))
                    return 3;
            } else if (std::sscanf(line.text, "TextureWrapT: %255s", word) == 1) {
                if (!WrapFromName(word, &shader->wrapT))
                    return 4;
            } else if (std::sscanf(line.text, "MinFilter: %255s", word) == 1) {
                if (!FilterFromName(word, &shader->minFilter))
                    return 5;
            } else if (std::sscanf(line.text, "MagFilter: %255s", word) == 1) {
                if (!FilterFromName(word, &shader->magFilter))
                    return 6;
            } else if (std::sscanf(line.text, "Premultiplied: %d", &number) == 1) {
                shader->blendSource = number ? GL_ONE : GL_SRC_ALPHA;
                shader->blendDestination = GL_ONE_MINUS_SRC_ALPHA;
            } else if (std::sscanf(line.text, "Mipmaps: %d", &number) == 1) {
                shader->mipmaps = number;
            } else if (std::sscanf(line.text, "HasAlpha: %d", &number) == 1) {
                shader->hasAlpha = number;
            } else if (ModelLineBegins(&line, "End")) {
                state = kOutside;
            }
        } else {
            // A colour counts only with all four numbers; the components read
            // before a mismatch stay.
            float *target = nullptr;
            int read = 0;
            if ((read = std::sscanf(line.text, "Ambient: %f, %f, %f, %f", &c[0], &c[1], &c[2], &c[3])) >= 1)
                target = shader->ambient;
            else if ((read = std::sscanf(line.text, "Diffuse: %f, %f, %f, %f", &c[0], &c[1], &c[2], &c[3])) >= 1)
                target = shader->diffuse;
            else if ((read = std::sscanf(line.text, "Specular: %f, %f, %f, %f", &c[0], &c[1], &c[2], &c[3])) >= 1)
                target = shader->specular;
            else if ((read = std::sscanf(line.text, "Emission: %f, %f, %f, %f", &c[0], &c[1], &c[2], &c[3])) >= 1)
                target = shader->emission;
            if (target) {
                std::memcpy(target, c, sizeof(float) * size_t(read));
                if (read == 4)
                    continue;
                if (ModelLineBegins(&line, "End"))
                    state = kOutside;
            } else if (std::sscanf(line.text, "Shininess: %f", &c[0]) == 1) {
                shader->shininess = c[0];
            } else if (ModelLineBegins(&line, "End")) {
                state = kOutside;
            }
        }
    }
    return 0;
}

static bool AnisotropyOffered()
{
    return gluCheckExtension(reinterpret_cast<const GLubyte *>("GL_EXT_texture_filter_anisotropic"),
                             glGetString(GL_EXTENSIONS)) == GL_TRUE;
}

bool ShaderRendererIsSoftware(const char *renderer)
{
    if (!renderer)
        return false;
    static const char *const names[] = {"llvmpipe", "softpipe", "swrast", "Software Rasterizer", "SwiftShader"};
    for (const char *name : names)
        if (std::strstr(renderer, name))
            return true;
    return false;
}

bool ShaderAnisotropicFilteringWanted()
{
    if (!PrefsIsChosen(kPrefsKeyAnisotropic)) {
        // Cheap on graphics hardware, several times the cost of a frame when
        // the processor draws: the default follows the renderer.
        const char *renderer = reinterpret_cast<const char *>(glGetString(GL_RENDERER));
        if (renderer)
            PrefsSetDefaultValue(kPrefsKeyAnisotropic, ShaderRendererIsSoftware(renderer) ? 0 : 1);
    }
    int32_t anisotropic = 0;
    PrefsGetValue(kPrefsKeyAnisotropic, &anisotropic);
    return anisotropic != 0;
}

void ShaderCreateTexture(Shader *shader)
{
    if (!shader->hasTexture || !shader->pixels)
        return;
    GLuint name = 0;
    glGenTextures(1, &name);
    shader->textureName = name;
    glBindTexture(GL_TEXTURE_2D, name);
    if (shader->mipmaps)
        gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA8, shader->textureWidth, shader->textureHeight, GL_BGRA,
                          GL_UNSIGNED_INT_8_8_8_8, shader->pixels);
    else
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, shader->textureWidth, shader->textureHeight, 0, GL_BGRA,
                     GL_UNSIGNED_INT_8_8_8_8, shader->pixels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GLint(shader->wrapS));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GLint(shader->wrapT));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GLint(shader->minFilter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GLint(shader->magFilter));
    if (shader->mipmaps && ShaderAnisotropicFilteringWanted() && AnisotropyOffered()) {
        float maximum = 1.0f;
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &maximum);
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, maximum);
    }
}

int32_t ShaderLoad(Shader *shader, const char *text, int32_t length, int32_t position)
{
    int32_t code = ShaderParse(shader, text, length, position);
    if (code != 0)
        return code;
    ShaderCreateTexture(shader);
    return 0;
}

// ---- Applying ----

static void SetMaterial(const float *ambient, const float *diffuse, const float *specular, const float *emission,
                        float shininess)
{
    glMaterialfv(GL_FRONT, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    glMaterialfv(GL_FRONT, GL_EMISSION, emission);
    glMaterialf(GL_FRONT, GL_SHININESS, shininess);
}

static void SetNeutralMaterial()
{
    SetMaterial(kNeutralAmbient, kNeutralDiffuse, kNeutralSpecular, kNeutralEmission, 0);
}

void ShaderApply(Shader *shader)
{
    if (!shader)
        return;
    if (shader->hasTexture) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, shader->textureName);
        glBlendFunc(shader->blendSource, shader->blendDestination);
    } else {
        glBindTexture(GL_TEXTURE_2D, 0);
        glDisable(GL_TEXTURE_2D);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    if (shader->hasMaterial)
        SetMaterial(shader->ambient, shader->diffuse, shader->specular, shader->emission, shader->shininess);
    else
        SetNeutralMaterial();
}

void ShaderDisable()
{
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1, 1, 1, 1);
    SetNeutralMaterial();
}

bool ShaderApplyByIdentifier(FourCharCode identifier)
{
    Model *entry = ModelGetModelByIdentifier(kModelKindShader, identifier);
    if (!entry || !entry->data)
        return false;
    ShaderApply(static_cast<Shader *>(entry->data));
    return true;
}

static void SetAnisotropyOfFileShaders(bool enable)
{
    if (AnisotropyOffered()) {
        float value = 1.0f;
        if (enable)
            glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &value);
        for (int32_t i = 0; i < ModelGetNumberOfModels(); i++) {
            Model *entry = ModelGetModelAtIndex(i);
            Shader *shader = static_cast<Shader *>(entry->data);
            if (entry->kind != kModelKindShader || !shader || !shader->hasTexture || !shader->mipmaps)
                continue;
            ShaderApply(shader);
            glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, value);
        }
    }
    ShaderDisable();
}

void ShaderEnableAnisotropicFiltering()
{
    SetAnisotropyOfFileShaders(true);
}

void ShaderDisableAnisotropicFiltering()
{
    SetAnisotropyOfFileShaders(false);
}

// ---- Text textures ----

// The power-of-two texture side for a drawing-area side; 0 stays 0.
static int32_t TextureSide(int32_t n)
{
    if (n <= 0)
        return 0;
    return IsPowerOfTwo(n) ? n : nextPowerOfTwo(n);
}

static int32_t ClampSide(int32_t n)
{
    return n < 0 ? 0 : (n > kShaderMaxTextureSide ? kShaderMaxTextureSide : n);
}

static int32_t TextStartX(TextObject *textObject, const char *string, int32_t width, int32_t alignment)
{
    if (!textObject || alignment == kTextAlignLeft)
        return 0;
    float stringWidth = TextObjectCharIndexToOffset(textObject, string, int32_t(std::strlen(string)));
    float x = alignment == kTextAlignCenter ? (float(width) - stringWidth) * 0.5f : float(width) - stringWidth;
    return int32_t(std::trunc(x));
}

static uint8_t *AllocatePixels(int32_t width, int32_t height, int32_t bytesPerPixel)
{
    size_t size = size_t(width) * size_t(height) * size_t(bytesPerPixel);
    if (size == 0)
        return nullptr;
    uint8_t *pixels = static_cast<uint8_t *>(std::calloc(size, 1));
    if (!pixels)
        throw std::bad_alloc();
    return pixels;
}

static void DrawText(Shader *shader, TextObject *textObject, const char *string, int32_t width, int32_t height,
                     int32_t alignment)
{
    if (!textObject || !shader->pixels)
        return;
    TextObjectDrawString(textObject, string, shader->pixels, width, height,
                         float(TextStartX(textObject, string, width, alignment)), TextObjectGetBaseline(textObject),
                         shader->textureWidth, true);
}

void ShaderCreateFromTextObject(Shader *shader, TextObject *textObject, const char *string, int32_t width,
                                int32_t height, int32_t alignment)
{
    width = ClampSide(width);
    height = ClampSide(height);
    std::free(shader->pixels);
    shader->textureWidth = TextureSide(width);
    shader->textureHeight = TextureSide(height);
    shader->pixels = AllocatePixels(shader->textureWidth, shader->textureHeight, 1);
    DrawText(shader, textObject, string, width, height, alignment);
    shader->hasTexture = 1;
    shader->wrapS = shader->wrapT = GL_CLAMP_TO_EDGE;
    shader->magFilter = shader->minFilter = GL_LINEAR;
    shader->blendSource = GL_SRC_ALPHA;
    shader->blendDestination = GL_ONE_MINUS_SRC_ALPHA;
    GLuint name = shader->textureName;
    if (!name)
        glGenTextures(1, &name);
    shader->textureName = name;
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, shader->textureWidth, shader->textureHeight, 0, GL_ALPHA,
                 GL_UNSIGNED_BYTE, shader->pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
}

void ShaderUpdateFromTextObject(Shader *shader, TextObject *textObject, const char *string, int32_t width,
                                int32_t height, int32_t alignment)
{
    width = ClampSide(width);
    height = ClampSide(height);
    glBindTexture(GL_TEXTURE_2D, shader->textureName);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (shader->textureWidth >= width && shader->textureHeight >= height) {
        if (shader->pixels)
            std::memset(shader->pixels, 0, size_t(shader->textureWidth) * size_t(shader->textureHeight));
        DrawText(shader, textObject, string, width, height, alignment);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, shader->textureWidth, shader->textureHeight, GL_ALPHA,
                        GL_UNSIGNED_BYTE, shader->pixels);
    } else {
        std::free(shader->pixels);
        shader->textureWidth = TextureSide(width);
        shader->textureHeight = TextureSide(height);
        shader->pixels = AllocatePixels(shader->textureWidth, shader->textureHeight, 1);
        DrawText(shader, textObject, string, width, height, alignment);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, shader->textureWidth, shader->textureHeight, 0, GL_ALPHA,
                     GL_UNSIGNED_BYTE, shader->pixels);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

// ---- String textures ----

// Splits text into lines that fit width: at line breaks, at the last space
// that fits, or inside a word that is wider than the whole line.
static std::vector<std::string> WrapLines(TextObject *textObject, const std::string &text, int32_t width)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        std::string paragraph = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        std::vector<float> advances;
        for (char c : paragraph) {
            char one[2] = {c, 0};
            advances.push_back(TextObjectCharIndexToOffset(textObject, one, 1));
        }
        size_t from = 0;
        do {
            float used = 0;
            size_t fit = from;
            while (fit < paragraph.size() && used + advances[fit] <= float(width)) {
                used += advances[fit];
                fit++;
            }
            if (fit == paragraph.size()) {
                lines.push_back(paragraph.substr(from));
                break;
            }
            size_t space = paragraph.rfind(' ', fit);
            size_t next;
            if (space != std::string::npos && space > from) {
                lines.push_back(paragraph.substr(from, space - from));
                next = space;
            } else {
                size_t cut = fit > from ? fit : from + 1;
                lines.push_back(paragraph.substr(from, cut - from));
                next = cut;
            }
            while (next < paragraph.size() && paragraph[next] == ' ')
                next++;
            from = next;
        } while (from < paragraph.size());
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return lines;
}

int32_t ShaderRenderString(Shader *shader, const char *string, const char *fontFamilyName, int32_t fontSize,
                           int32_t justification, int32_t width, int32_t height)
{
    width = ClampSide(width);
    height = ClampSide(height);
    std::string fontFile = PlatformFontFileForFamily(fontFamilyName);
    if (fontFile.empty())
        return kModelErrorFileNotFound;
    TextObject *textObject = TextObjectWithFont(fontFile.c_str(), fontSize);
    if (!textObject)
        return -1;
    TextObjectSetSize(textObject, fontSize < 1 ? 1 : (fontSize > 1024 ? 1024 : fontSize));

    std::free(shader->pixels);
    shader->textureWidth = TextureSide(width);
    shader->textureHeight = TextureSide(height);
    shader->pixels = AllocatePixels(shader->textureWidth, shader->textureHeight, 4);
    if (!shader->pixels)
        return 0;

    std::vector<uint8_t> coverage(size_t(width) * size_t(height), 0);
    int32_t lineHeight = TextObjectGetLineHeight(textObject);
    int32_t baseline = TextObjectGetBaseline(textObject);
    std::vector<std::string> lines = WrapLines(textObject, string ? string : "", width);
    for (size_t i = 0; i < lines.size(); i++) {
        int64_t top = int64_t(i) * lineHeight;
        if (top >= height)
            break;
        float lineWidth = TextObjectCharIndexToOffset(textObject, lines[i].c_str(), int32_t(lines[i].size()));
        float x = 0;
        if (justification == 1)
            x = std::trunc((float(width) - lineWidth) * 0.5f);
        else if (justification == -1)
            x = float(width) - lineWidth;
        TextObjectDrawString(textObject, lines[i].c_str(), coverage.data(), width, height, x,
                             int32_t(top) + baseline, width, false);
    }
    // White on black inside the drawing area, the top row first.
    for (int32_t r = 0; r < height; r++)
        for (int32_t c = 0; c < width; c++) {
            uint8_t value = coverage[size_t(c) + size_t(width) * size_t(r)];
            uint8_t *p = shader->pixels + (size_t(c) + size_t(shader->textureWidth) * size_t(r)) * 4;
            p[0] = 0xFF;
            p[1] = p[2] = p[3] = value;
        }
    return 0;
}

int32_t ShaderCreateFromString(Shader *shader, const char *string, const char *fontFamilyName, int32_t fontSize,
                               int32_t justification, int32_t width, int32_t height)
{
    int32_t code = ShaderRenderString(shader, string, fontFamilyName, fontSize, justification, width, height);
    if (code != 0)
        return code;
    shader->hasTexture = 1;
    shader->wrapS = shader->wrapT = GL_CLAMP_TO_EDGE;
    shader->magFilter = shader->minFilter = GL_LINEAR;
    GLuint name = shader->textureName;
    if (!name)
        glGenTextures(1, &name);
    shader->textureName = name;
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, shader->textureWidth, shader->textureHeight, 0, GL_BGRA,
                 GL_UNSIGNED_INT_8_8_8_8, shader->pixels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    return 0;
}

// ---- Digit strings ----

void drawNumberString(const char *digits, float size, float x, float y)
{
    glBegin(GL_QUADS);
    for (const char *c = digits; *c; c++) {
        float u0 = float(*c - '0') / 10.0f;
        float u1 = float(*c - '0' + 1) / 10.0f;
        float right = x + 0.8f * size;
        glTexCoord2f(u0, 0);
        glVertex2f(x, y);
        glTexCoord2f(u1, 0);
        glVertex2f(right, y);
        glTexCoord2f(u1, 1);
        glVertex2f(right, y + size);
        glTexCoord2f(u0, 1);
        glVertex2f(x, y + size);
        x += 0.5f * size;
    }
    glEnd();
}
