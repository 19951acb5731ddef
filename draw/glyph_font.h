// SPDX-License-Identifier: MIT
// The glyph texture font: characters 32..127 as 32 x 32 alpha textures and display lists, and
// three printf-style text prints.
//
// Font unit: the height of '!' at the rasterised size. A line's box runs from y 0 (top) to
// y 1 (baseline), y downwards; each glyph's list draws its quad and moves the pen by its advance.
#pragma once
#include <stdint.h>

enum { glyphFirst = 32, glyphCount = 96, glyphTextureSize = 32, textLimit = 256 };

struct GlyphFont {
    uint32_t listBase;              // list listBase + i draws character 32 + i; 0: no font
    uint32_t textures[glyphCount];  // texture i holds character 32 + i
};

// Per-glyph geometry compiled into its list, in font units.
struct GlyphCell {
    float width, height;  // black box
    float advance;        // pen movement
    float left;           // black box left from the pen
    float top;            // black box top below the line box top
};

// The program's one font, built at start-up.
extern GlyphFont programFont;

// Rasterises faceName at size pixels (em height) and weight, and builds the 96 textures and lists
// into font. Needs the GL context current. When no face can be opened, font is left empty
// (listBase 0) and every print draws nothing.
void buildGlyphFont(const char* faceName, int32_t size, int32_t weight, GlyphFont* font);
// Deletes the 96 lists from listBase and the program font's textures, and empties the program
// font. Harmless without a current context.
void freeGlyphFont(uint32_t listBase);

// Prints formatted text (at most 255 characters; printf integer, character and string
// conversions) in the current colour. Bytes outside 32..127 print nothing and take no space.
// The program font is used whatever listBase is given.
//
// At pixel position (x, y) = the top-left of the line box under the 2D preset; one font unit is
// 32 x scale pixels. Restores the modelview matrix, leaves GL_MODELVIEW selected.
void printText(int32_t x, int32_t y, float scale, uint32_t listBase, const char* format, ...);
// At (x, y) in the unit square of the viewport (0,0 top-left); one font unit is 0.05 x scale of
// the viewport. Restores both matrices, the enables and the texture state.
void printTextUnit(float x, float y, float scale, uint32_t listBase, const char* format, ...);
// At the current transform, mirrored vertically for y-up spaces; one font unit is scale units.
// Leaves the scale and the pen's advance on the current matrix, so a following call continues
// the line. Restores the enables and the texture state.
void printTextHere(float scale, uint32_t listBase, const char* format, ...);
