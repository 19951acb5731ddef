// The platform's glyph rasteriser in a web page: the page's 2D canvas draws the glyph, the browser
// resolves the face name as it does for text on the page.
#include "platform/platform.h"

#include <emscripten.h>
#include <stdio.h>
#include <string.h>

struct PlatFont {
    bool open;
    int32_t pixelHeight, weight;
    char face[128];
};

enum { maxFonts = 4 };
static PlatFont fonts[maxFonts];

// Draws the character white on a clear square of twice the em and finds its inked box. Writes the
// metrics (width, height, originX, originY, advance) and, when the buffer holds them, the coverage
// rows (0..64, each padded to 4 bytes). Returns the bitmap's byte count, 0 without ink.
EM_JS(int, rasteriseOnCanvas,
      (const char* face, int pixelHeight, int weight, int code, int* metrics, unsigned char* buffer, int capacity), {
    var side = pixelHeight * 2;
    var pad = Math.floor(pixelHeight / 2);
    var baseline = Math.floor(pixelHeight * 1.5);
    if (!Module.glyphCanvas) Module.glyphCanvas = document.createElement('canvas');
    var canvas = Module.glyphCanvas;
    canvas.width = side;
    canvas.height = side;
    var context = canvas.getContext('2d', {willReadFrequently: true});
    context.clearRect(0, 0, side, side);
    context.font = weight + ' ' + pixelHeight + 'px "' + UTF8ToString(face) + '"';
    context.textBaseline = 'alphabetic';
    context.fillStyle = '#ffffff';
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

PlatFont* platCreateFont(const char* faceName, int32_t pixelHeight, int32_t weight) {
    if (!faceName || pixelHeight <= 0 || pixelHeight > 1024 || strlen(faceName) >= sizeof fonts[0].face ||
        strpbrk(faceName, "\"\\"))
        return nullptr;
    for (PlatFont& font : fonts) {
        if (font.open) continue;
        font.open = true;
        font.pixelHeight = pixelHeight;
        font.weight = weight < 100 ? 100 : weight > 900 ? 900 : weight;
        snprintf(font.face, sizeof font.face, "%s", faceName);
        return &font;
    }
    return nullptr;
}

void platDeleteFont(PlatFont* font) {
    if (font) *font = {};
}

const char* platFontFile(PlatFont* font) { return font && font->open ? font->face : ""; }

uint32_t platGlyphBitmap(PlatFont* font, uint32_t code, PlatGlyphMetrics* metrics, uint8_t* buffer,
                         uint32_t capacity) {
    *metrics = {};
    if (!font || !font->open || code < 32 || code > 126) return 0;
    int32_t values[5] = {0, 0, 0, 0, 0};
    int size = rasteriseOnCanvas(font->face, font->pixelHeight, font->weight, (int)code, values, buffer,
                                 (int)(capacity > 0x7FFFFFFFu ? 0x7FFFFFFF : capacity));
    *metrics = {values[0], values[1], values[2], values[3], values[4]};
    return size > 0 ? (uint32_t)size : 0;
}
