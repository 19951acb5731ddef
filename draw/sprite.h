// SPDX-License-Identifier: MIT
// Sprite blits, screen and rectangle fills, and lines, in immediate-mode OpenGL.
//
// All of these assume the 2D preset (one unit per virtual pixel, origin top-left, y downwards,
// texturing and blending on, GL_MODULATE). Positions and sizes are virtual pixels; source
// rectangles are image pixels, srcY counting rows from the image's first stored row.
#pragma once
#include <stdint.h>

#include "assets/image.h"

// Draws one screen-aligned quad cut from the texture. Binds the texture first, always.
// alpha 0 draws nothing. width or height 0: the image's natural size. srcWidth or srcHeight 0:
// the whole image. The image's first stored row shows along the bottom edge; flipY puts it at the
// top, flipX mirrors left and right. Leaves the texture bound and the colour (255,255,255,alpha).
// A texture without an image or a GL name draws nothing.
void drawSprite(int32_t x, int32_t y, int32_t width, int32_t height, const Texture& texture, int32_t srcX, int32_t srcY,
                int32_t srcWidth, int32_t srcHeight, int32_t alpha, bool flipX, bool flipY);

void drawSpriteAlpha(int32_t x, int32_t y, int32_t width, int32_t height, const Texture& texture, int32_t srcX,
                     int32_t srcY, int32_t srcWidth, int32_t srcHeight, int32_t alpha);
void drawSpriteFlip(int32_t x, int32_t y, int32_t width, int32_t height, const Texture& texture, int32_t srcX,
                    int32_t srcY, int32_t srcWidth, int32_t srcHeight, bool flipX, bool flipY);
void drawSpriteSized(int32_t x, int32_t y, int32_t width, int32_t height, const Texture& texture, int32_t srcX,
                     int32_t srcY, int32_t srcWidth, int32_t srcHeight);
void drawSpriteAtAlphaFlip(int32_t x, int32_t y, const Texture& texture, int32_t alpha, bool flipX, bool flipY);
void drawSpriteAtAlpha(int32_t x, int32_t y, const Texture& texture, int32_t alpha);
void drawSpriteAtFlip(int32_t x, int32_t y, const Texture& texture, bool flipX, bool flipY);
void drawSpriteAt(int32_t x, int32_t y, const Texture& texture);

struct Rgb {
    float r, g, b;
};

// Packed colours: red in bits 0..7, green 8..15, blue 16..23, alpha (where used) 24..31.
Rgb unpackColor(uint32_t color);
// Clears the colour buffer (only) to the colour; its top byte is ignored, the clear alpha is 1.
void fillScreen(uint32_t color);
// A solid rectangle of the colour's RGBA, faded by alpha, drawn by stretching a one-texel
// texture (sampled nearest, so the fill is even to its edges) that is deleted again.
void fillRectAlpha(int32_t x, int32_t y, int32_t width, int32_t height, int32_t alpha, uint32_t color);
void fillRect(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t color);
// One untextured segment in the current colour and line width; restores the enables.
void drawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// The same in unit-square coordinates (0,0 top-left, 1,1 bottom-right of the viewport);
// restores both matrices and leaves GL_MODELVIEW selected.
void drawLineUnit(float x1, float y1, float x2, float y2);
