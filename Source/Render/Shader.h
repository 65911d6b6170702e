// Shaders: the game's materials, an optional texture and an optional
// fixed-function lighting material.  They come from shader files of the
// Models folder, from text objects (widget captions) and from strings (the
// frame counter).
#pragma once

#include "Types.h"

#include <cstdint>
#include <filesystem>

struct TextObject;

struct Shader {
    uint8_t hasMaterial;
    float ambient[4];
    float diffuse[4];
    float specular[4];
    float emission[4];
    float shininess;
    uint8_t hasTexture;
    int32_t textureWidth;
    int32_t textureHeight;
    uint32_t wrapS, wrapT;
    uint32_t magFilter, minFilter;
    uint32_t blendSource, blendDestination;
    int32_t mipmaps;
    int32_t hasAlpha;
    uint8_t *pixels; // owned; layout depends on where the texture came from
    uint32_t textureName;
};

enum TextAlignment : int32_t { kTextAlignLeft = 0, kTextAlignCenter = 1, kTextAlignRight = 2 };

// Largest texture side a file image, a text texture or a string texture may
// have.
constexpr int32_t kShaderMaxTextureSide = 4096;

Shader *ShaderAllocate();
// Reads a shader file body and builds its texture.  0 on success; 1 no
// "Shader" line, 2 texture image missing or not a power of two, 3 to 6 a bad
// wrap or filter word, or the code of ShaderLoadTextureImage.
int32_t ShaderLoad(Shader *shader, const char *text, int32_t length, int32_t position);
// The reading part of ShaderLoad alone (images are decoded, no texture object
// is made).
int32_t ShaderParse(Shader *shader, const char *text, int32_t length, int32_t position);
// Uploads the decoded image of a parsed file shader into a texture object.
void ShaderCreateTexture(Shader *shader);
// Decodes an image file into textureWidth, textureHeight and pixels (A, R, G,
// B bytes, bottom row first).  0; 1 unreadable image; 2 a side that is not a
// power of two (or larger than kShaderMaxTextureSide).
int32_t ShaderLoadTextureImage(Shader *shader, const std::filesystem::path &file);
void ShaderApply(Shader *shader);
void ShaderDisable();
bool ShaderApplyByIdentifier(FourCharCode identifier);
// Whether the renderer named draws in software (Mesa's llvmpipe and the like).
bool ShaderRendererIsSoftware(const char *renderer);
// Whether textures get anisotropic filtering: the user's choice when there is
// one, otherwise on except for a software renderer (the default is then
// stored in the preferences, not as a choice).  Needs a current context.
bool ShaderAnisotropicFilteringWanted();
void ShaderEnableAnisotropicFiltering();
void ShaderDisableAnisotropicFiltering();
void ShaderCreateFromTextObject(Shader *shader, TextObject *textObject, const char *string, int32_t width,
                                int32_t height, int32_t alignment);
void ShaderUpdateFromTextObject(Shader *shader, TextObject *textObject, const char *string, int32_t width,
                                int32_t height, int32_t alignment);
// Renders string white on black in the named family (sans-serif when it is not
// installed) at fontSize pixels, wrapped to width; justification 0 or -2
// left, 1 centre, -1 right.  0, or -43 when no font can be found, or -1 when
// the text system cannot open the font.
int32_t ShaderCreateFromString(Shader *shader, const char *string, const char *fontFamilyName, int32_t fontSize,
                               int32_t justification, int32_t width, int32_t height);
// Renders the string into a fresh buffer without touching the drawing
// context: pixels of textureWidth x textureHeight, A, R, G, B bytes, top row
// first.  Used by ShaderCreateFromString.
int32_t ShaderRenderString(Shader *shader, const char *string, const char *fontFamilyName, int32_t fontSize,
                           int32_t justification, int32_t width, int32_t height);
void ShaderDispose(Shader *shader);

// Draws the digits of the string as overlapping quads from a strip of the ten
// digits in the currently bound texture.
void drawNumberString(const char *digits, float size, float x, float y);
