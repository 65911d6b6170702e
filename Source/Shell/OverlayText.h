// Lines of text drawn over a screen: rendered once in the system's
// sans-serif face at a size in pixels, and drawn in the current colour in the
// orthographic overlay at 300 pixels per overlay unit (so at their own size
// in a window 600 pixels high, larger in a taller one).  Also the dark plate
// that the game's overlays are drawn on.
#pragma once

#include <cstdint>
#include <string>

struct OpenGLWindow;
struct Shader;

struct OverlayText {
    std::string text;
    int32_t size;           // pixels
    Shader *shader;         // the rendered text, or null (no font); owned
    int32_t width, height;  // pixels of the text
};

// Renders text at size unless the label already shows exactly that.
void OverlayTextSet(OverlayText *label, const std::string &text, int32_t size);
void OverlayTextDispose(OverlayText *label);
// Width and height in overlay units.
float OverlayTextWidth(const OverlayText *label);
float OverlayTextHeight(const OverlayText *label);
// Draws the text with its vertical middle at y; alignX 0 puts its left edge
// at x, 0.5 its middle, 1 its right edge.
void OverlayTextDraw(const OverlayText *label, float x, float y, float alignX);

// A translucent dark plate with a light border, in overlay units.
void OverlayDrawPlate(float left, float bottom, float right, float top, float alpha);
// Darkens the whole view by alpha.
void OverlayDarkenAll(float alpha);
// The main window's overlay begins and ends around a draw function; false
// (nothing begun) without a window.
bool OverlayBegin();
void OverlayEnd();
// The main window's ratio of width to height (4/3 without a window).
float OverlayRatio();
