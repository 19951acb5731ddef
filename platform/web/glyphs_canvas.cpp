// SPDX-License-Identifier: MIT
// The platform backend's glyph rasteriser in a web page: the page's 2D canvas draws the glyph, the
// browser resolves the face name as it does for text on the page.
#include "platform/backend.h"

#include <emscripten.h>
#include <stdio.h>

struct NativeFont {
    int32_t pixelHeight, weight;
    char face[platMaxFaceName + 1];
    // The page does not say which face answered a CSS font, only what was asked for.
    char description[platMaxFaceName + 64];
};

static NativeFont fonts[maxFonts];

// Draws the character white on a clear square of twice the em and finds its inked box. Writes the
// metrics (width, height, originX, originY, advance) and, when the buffer holds them, the coverage
// rows (0..64, each padded to 4 bytes). Returns the bitmap's byte count, 0 without ink.
// clang-format off
EM_JS(int, rasteriseOnCanvas,
      (const char* face, int pixelHeight, int weight, int code, int* metrics, unsigned char* buffer, int capacity), {
    var side = pixelHeight * 2;
    var pad = Math.floor(pixelHeight / 2);
    var baseline = Math.floor(pixelHeight * 1.5);
    if (!Module.glyphCanvas) Module.glyphCanvas = document.createElement('canvas');
    var canvas = Module.glyphCanvas;
    // A JSON string is a CSS string for the face name: quotes and backslashes escaped.
    var font = weight + ' ' + pixelHeight + 'px ' + JSON.stringify(UTF8ToString(face));
    var context = canvas.getContext('2d', {willReadFrequently: true});
    // Sizing a canvas empties it and resets its context, and a font is parsed and resolved anew each
    // time it is set: both only when the face changes, not for each of a font's glyphs.
    if (canvas.width !== side || canvas.height !== side || Module.glyphFont !== font) {
        canvas.width = side;
        canvas.height = side;
        context.font = Module.glyphFont = font;
        context.textBaseline = 'alphabetic';
        context.fillStyle = '#ffffff';
    }
    context.clearRect(0, 0, side, side);
    var text = String.fromCharCode(code);
    context.fillText(text, pad, baseline);
    var advance = Math.round(context.measureText(text).width);
    var pixels = context.getImageData(0, 0, side, side).data;
    var left = side, right = -1, top = side, bottom = -1;
    for (var y = 0; y < side; ++y)
        for (var x = 0; x < side; ++x)
            if (pixels[(y * side + x) * 4 + 3] > 0) {
                if (x < left) left = x;
                if (x > right) right = x;
                if (y < top) top = y;
                if (y > bottom) bottom = y;
            }
    var width = right >= left ? right - left + 1 : 0;
    var height = bottom >= top ? bottom - top + 1 : 0;
    HEAP32[(metrics >> 2) + 0] = width;
    HEAP32[(metrics >> 2) + 1] = height;
    HEAP32[(metrics >> 2) + 2] = width ? left - pad : 0;
    HEAP32[(metrics >> 2) + 3] = height ? baseline - top : 0;
    HEAP32[(metrics >> 2) + 4] = advance;
    var stride = (width + 3) & ~3;
    var size = stride * height;
    if (buffer && capacity >= size) {
        HEAPU8.fill(0, buffer, buffer + size);
        for (var row = 0; row < height; ++row)
            for (var column = 0; column < width; ++column)
                HEAPU8[buffer + row * stride + column] =
                    (pixels[((top + row) * side + left + column) * 4 + 3] * 65) >> 8;
    }
    return size;
});
// clang-format on

bool backendOpenFont(int32_t slot, const char* faceName, int32_t pixelHeight, int32_t weight) {
    NativeFont* font = &fonts[slot];
    font->pixelHeight = pixelHeight;
    font->weight = weight;
    snprintf(font->face, sizeof font->face, "%s", faceName);
    snprintf(font->description, sizeof font->description, "%s weight %d, as the page resolves it", faceName,
             (int)weight);
    return true;
}

uint32_t backendGlyphBitmap(int32_t slot, uint32_t code, PlatGlyphMetrics* metrics, uint8_t* buffer,
                            uint32_t capacity) {
    const NativeFont& font = fonts[slot];
    int32_t values[5] = {0, 0, 0, 0, 0};
    int size = rasteriseOnCanvas(font.face, font.pixelHeight, font.weight, (int)code, values, buffer,
                                 (int)(capacity > 0x7FFFFFFFu ? 0x7FFFFFFF : capacity));
    *metrics = {values[0], values[1], values[2], values[3], values[4]};
    return size > 0 ? (uint32_t)size : 0;
}

const char* backendFontDescription(int32_t slot) { return fonts[slot].description; }

void backendCloseFont(int32_t slot) { fonts[slot] = {}; }
