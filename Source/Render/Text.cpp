#include "Text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

struct TextObject {
    char fontPath[1024];
    FT_Face face;
    int32_t size;
};

static FT_Library library = nullptr;
static std::vector<TextObject *> textObjects;

int32_t TextStartUp()
{
    if (library)
        return 0;
    FT_Error error = FT_Init_FreeType(&library);
    if (error) {
        std::printf("FreeType failed to initialize... %d\n", int(error));
        library = nullptr;
        return int32_t(error);
    }
    return 0;
}

void TextShutDown()
{
    while (!textObjects.empty()) {
        TextObjectDispose(textObjects.back());
        textObjects.pop_back();
    }
    if (library)
        FT_Done_FreeType(library);
    library = nullptr;
}

int32_t TextGetNumberOfTextObjects()
{
    return int32_t(textObjects.size());
}

TextObject *TextObjectWithFont(const char *fontPath, int32_t size)
{
    for (TextObject *t : textObjects)
        if (std::strcmp(t->fontPath, fontPath) == 0)
            return t;
    TextObject *t = TextObjectAllocate(fontPath, size);
    if (t)
        textObjects.push_back(t);
    return t;
}

TextObject *TextObjectAllocate(const char *fontPath, int32_t size)
{
    if (!library || !fontPath || std::strlen(fontPath) >= sizeof(TextObject::fontPath))
        return nullptr;
    FT_Face face = nullptr;
    FT_Error error = FT_New_Face(library, fontPath, 0, &face);
    if (error == FT_Err_Unknown_File_Format) {
        std::printf("Unsupported format!\n");
        return nullptr;
    }
    if (error) {
        std::printf("Error: FT_New_Face returned %d\n", int(error));
        return nullptr;
    }
    TextObject *t = new TextObject{};
    std::snprintf(t->fontPath, sizeof t->fontPath, "%s", fontPath);
    t->face = face;
    TextObjectSetSize(t, size);
    return t;
}

void TextObjectDispose(TextObject *textObject)
{
    if (!textObject)
        return;
    FT_Done_Face(textObject->face);
    delete textObject;
}

void TextObjectSetSize(TextObject *textObject, int32_t size)
{
    textObject->size = size;
    FT_Error error = FT_Set_Pixel_Sizes(textObject->face, 0, FT_UInt(size < 0 ? 0 : size));
    if (error)
        std::printf("Error: FT_Set_Pixel_Sizes returned %d\n", int(error));
}

int32_t TextObjectGetSize(TextObject *textObject)
{
    return textObject->size;
}

const char *TextObjectGetFontPath(TextObject *textObject)
{
    return textObject->fontPath;
}

int32_t TextObjectGetLineHeight(TextObject *textObject)
{
    return int32_t(textObject->face->size->metrics.height >> 6) + 1;
}

int32_t TextObjectGetBaseline(TextObject *textObject)
{
    return int32_t(textObject->face->size->metrics.ascender >> 6);
}

// Loads and renders the glyph of one character; false (printed) on error.
static bool LoadGlyph(TextObject *textObject, char c)
{
    FT_Error error = FT_Load_Char(textObject->face, FT_ULong(uint8_t(c)), FT_LOAD_RENDER);
    if (error) {
        std::printf("Error: FT_Load_Char returned %d\n", int(error));
        return false;
    }
    return true;
}

static float Advance(TextObject *textObject, char c)
{
    if (!LoadGlyph(textObject, c))
        return 0;
    return float(textObject->face->glyph->advance.x) / 64.0f;
}

float TextObjectCharIndexToOffset(TextObject *textObject, const char *string, int32_t count)
{
    float offset = 0;
    for (int32_t i = 0; i < count && string[i]; i++)
        offset += Advance(textObject, string[i]);
    return offset;
}

int32_t TextObjectOffsetToCharIndex(TextObject *textObject, const char *string, float x, uint8_t *leadingHalf)
{
    float left = 0;
    int32_t i = 0;
    for (; string[i]; i++) {
        float right = left + Advance(textObject, string[i]);
        if (x <= right) {
            if (leadingHalf)
                *leadingHalf = x < left + (right - left) * 0.5f;
            return i;
        }
        left = right;
    }
    if (leadingHalf)
        *leadingHalf = 0;
    return i - 1;
}

void TextObjectDrawString(TextObject *textObject, const char *string, uint8_t *pixels, int32_t width,
                          int32_t height, float startX, int32_t baseline, int32_t rowLength, bool flip)
{
    if (!textObject || !string || !pixels || width <= 0 || height <= 0 || rowLength <= 0)
        return;
    // Columns beyond a row's length would spill into the next row.
    int32_t columns = width < rowLength ? width : rowLength;
    float penX = startX;
    for (const char *p = string; *p; p++) {
        if (!LoadGlyph(textObject, *p))
            continue;
        FT_GlyphSlot glyph = textObject->face->glyph;
        const FT_Bitmap &bitmap = glyph->bitmap;
        if (bitmap.rows > 0 && bitmap.buffer) {
            float left = std::trunc(penX + float(glyph->bitmap_left));
            int64_t firstColumn = std::isfinite(left) && std::fabs(left) < 1e9f ? int64_t(left) : INT32_MAX;
            int64_t firstRow = int64_t(baseline) - glyph->bitmap_top;
            for (int64_t j = 0; j < int64_t(bitmap.rows); j++) {
                int64_t r = firstRow + j;
                if (r < 0)
                    continue;
                if (r >= height)
                    break;
                int64_t row = flip ? height - 1 - r : r;
                const uint8_t *source = bitmap.buffer + j * bitmap.pitch;
                if (bitmap.pitch < 0)
                    source = bitmap.buffer + (int64_t(bitmap.rows) - 1 - j) * -int64_t(bitmap.pitch);
                for (int64_t k = 0; k < int64_t(bitmap.width); k++) {
                    int64_t c = firstColumn + k;
                    if (c < 0)
                        continue;
                    if (c >= columns)
                        break;
                    pixels[c + int64_t(rowLength) * row] = source[k];
                }
            }
        }
        penX += float(glyph->advance.x) / 64.0f;
        if (penX >= float(width))
            break;
    }
}
