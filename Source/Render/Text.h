// Text objects: one font face at one pixel size, opened with FreeType and
// cached by font file path.  They measure strings, map between character
// positions and pixel offsets, and render 8-bit coverage into byte buffers.
#pragma once

#include <cstdint>

struct TextObject;

// Starts FreeType; 0 or the FreeType error (also printed).
int32_t TextStartUp();
// Disposes every cached text object, last first, and releases FreeType.
void TextShutDown();
// The cached object for fontPath (whatever its size), or a new one; null when
// the file cannot be opened or the text system has not started.
TextObject *TextObjectWithFont(const char *fontPath, int32_t size);
TextObject *TextObjectAllocate(const char *fontPath, int32_t size);
void TextObjectDispose(TextObject *textObject);
void TextObjectSetSize(TextObject *textObject, int32_t size);
int32_t TextObjectGetSize(TextObject *textObject);
// (height >> 6) + 1 of the face's size metrics.
int32_t TextObjectGetLineHeight(TextObject *textObject);
// ascender >> 6: from the top of a line to its baseline.
int32_t TextObjectGetBaseline(TextObject *textObject);
// Sum of the advances of the first count characters.
float TextObjectCharIndexToOffset(TextObject *textObject, const char *string, int32_t count);
// The character under pixel offset x; -1 for an empty string.  leadingHalf
// (may be null) tells whether x lies in the character's left half.
int32_t TextObjectOffsetToCharIndex(TextObject *textObject, const char *string, float x, uint8_t *leadingHalf);
// Renders the string into the top-left width x height area of pixels (rows of
// rowLength bytes).  baseline is the baseline's row from the top of the area;
// with flip the top row of the area is written as its last row.
void TextObjectDrawString(TextObject *textObject, const char *string, uint8_t *pixels, int32_t width,
                          int32_t height, float startX, int32_t baseline, int32_t rowLength, bool flip);
// The font file the object was opened from.
const char *TextObjectGetFontPath(TextObject *textObject);
int32_t TextGetNumberOfTextObjects();
