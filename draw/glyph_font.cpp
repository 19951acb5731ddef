// SPDX-License-Identifier: MIT
// Building the glyph texture font and printing text with it.
#include "draw/glyph_font.h"

#include <stdarg.h>
#include <string.h>

#include "draw/unit_space.h"
#include "platform/gl.h"
#include "platform/platform.h"
#include "support/support.h"

GlyphFont programFont = {0, {}};

namespace {

const GlyphCell spaceCell = {0.5f, 1.0f, 0.5f, 0.0f, 0.0f};

void loadCoverageToAlphaMap() {
    glPixelTransferi(GL_INDEX_SHIFT, 0);
    glPixelTransferi(GL_INDEX_OFFSET, 0);
    glPixelStorei(GL_UNPACK_LSB_FIRST, 0);
    GLfloat map[256];
    for (int i = 0; i < 256; ++i) map[i] = i <= 64 ? (float)i * 0.015625f : 1.0f;
    glPixelMapfv(GL_PIXEL_MAP_I_TO_A, 256, map);
}

void uploadGlyphTexture(uint32_t name, const uint8_t* coverage) {
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, glyphTextureSize, glyphTextureSize, 0, GL_COLOR_INDEX, GL_UNSIGNED_BYTE,
                 coverage);
}

void compileGlyphList(uint32_t list, uint32_t texture, const GlyphCell& cell) {
    glNewList(list, GL_COMPILE);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTranslatef(cell.left, cell.top, 0.0f);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex3f(0, 0, 0);
    glTexCoord2f(0, 1);
    glVertex3f(0, cell.height, 0);
    glTexCoord2f(1, 1);
    glVertex3f(cell.width, cell.height, 0);
    glTexCoord2f(1, 0);
    glVertex3f(cell.width, 0, 0);
    glEnd();
    glTranslatef(cell.advance - cell.left, -cell.top, 0.0f);
    glEndList();
}

GlyphCell cellFromMetrics(const PlatGlyphMetrics& m, float unit) {
    return {(float)m.blackBoxWidth / unit, (float)m.blackBoxHeight / unit, (float)m.advance / unit,
            (float)m.originX / unit, 1.0f - (float)m.originY / unit};
}

// The glyph buffer grows to what the rasteriser reports, so no glyph overruns it.
struct GlyphBuffer {
    uint8_t* bytes;
    uint32_t capacity;
};

bool fitBuffer(GlyphBuffer& buffer, uint32_t size) {
    if (size <= buffer.capacity) return true;
    uint8_t* bigger = (uint8_t*)memRealloc(buffer.bytes, size);
    if (!bigger) return false;
    buffer.bytes = bigger;
    buffer.capacity = size;
    return true;
}

// Rasterises code and stretches its bitmap over the whole 32 x 32 coverage texture; returns the
// cell. A glyph with no ink (or that cannot be rasterised) gives a clear texture.
GlyphCell prepareGlyph(PlatFont* font, uint32_t code, float unit, GlyphBuffer& buffer, uint8_t* coverage) {
    PlatGlyphMetrics metrics;
    uint32_t size = platGlyphBitmap(font, code, &metrics, nullptr, 0);
    bool inked = size > 0 && metrics.blackBoxWidth > 0 && metrics.blackBoxHeight > 0 && fitBuffer(buffer, size) &&
                 platGlyphBitmap(font, code, &metrics, buffer.bytes, buffer.capacity) == size;
    if (inked)
        gluScaleImage(GL_COLOR_INDEX, metrics.blackBoxWidth, metrics.blackBoxHeight, GL_UNSIGNED_BYTE, buffer.bytes,
                      glyphTextureSize, glyphTextureSize, GL_UNSIGNED_BYTE, coverage);
    else memset(coverage, 0, glyphTextureSize * glyphTextureSize);
    return cellFromMetrics(metrics, unit);
}

// Keeps the bytes 32..127: the others name no glyph and must neither draw nor move the pen.
uint32_t glyphBytes(const char* text, uint8_t* out) {
    uint32_t count = 0;
    for (const uint8_t* p = (const uint8_t*)text; *p; ++p)
        if (*p >= glyphFirst && *p < glyphFirst + glyphCount) out[count++] = *p;
    return count;
}

void callGlyphLists(uint32_t listBase, const char* format, va_list args) {
    char text[textLimit];
    formatStringN(text, sizeof text, format, args);
    uint8_t glyphs[textLimit];
    uint32_t count = glyphBytes(text, glyphs);
    glListBase(listBase - glyphFirst);
    glCallLists((GLsizei)count, GL_UNSIGNED_BYTE, glyphs);
}

}  // namespace

void buildGlyphFont(const char* faceName, int32_t size, int32_t weight, GlyphFont* font) {
    *font = {0, {}};
    PlatFont* face = platCreateFont(faceName, size, weight);
    PlatGlyphMetrics exclamation;
    platGlyphBitmap(face, '!', &exclamation, nullptr, 0);
    float unit = (float)exclamation.blackBoxHeight;
    uint8_t* coverage = (uint8_t*)memAllocZeroed(glyphTextureSize * glyphTextureSize, 1);
    GlyphBuffer buffer = {nullptr, 0};
    if (!face || unit <= 0 || !coverage || !fitBuffer(buffer, (uint32_t)size * (uint32_t)size)) {
        memFree(coverage);
        memFree(buffer.bytes);
        platDeleteFont(face);
        return;
    }

    font->listBase = glGenLists(glyphCount);
    glGenTextures(glyphCount, font->textures);
    // The rasteriser's rows are padded to 4 bytes: read them with that alignment whatever is set.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    loadCoverageToAlphaMap();
    // Texture and list i get the glyph prepared in the round before: the space comes first.
    GlyphCell cell = spaceCell;
    for (uint32_t i = 0; i < glyphCount; ++i) {
        uploadGlyphTexture(font->textures[i], coverage);
        compileGlyphList(font->listBase + i, font->textures[i], cell);
        if (i + 1 < glyphCount) cell = prepareGlyph(face, glyphFirst + 1 + i, unit, buffer, coverage);
    }
    glPopClientAttrib();
    memFree(coverage);
    memFree(buffer.bytes);
    platDeleteFont(face);
}

void freeGlyphFont(uint32_t listBase) {
    if (listBase != 0) glDeleteLists(listBase, glyphCount);
    if (programFont.listBase != 0) glDeleteTextures(glyphCount, programFont.textures);
    programFont = {0, {}};
}

void printText(int32_t x, int32_t y, float scale, uint32_t listBase, const char* format, ...) {
    (void)listBase;
    if (programFont.listBase == 0) return;
    va_list args;
    va_start(args, format);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef((float)x, (float)y, 0.0f);
    glScalef(32.0f * scale, 32.0f * scale, 32.0f * scale);
    callGlyphLists(programFont.listBase, format, args);
    glPopMatrix();
    va_end(args);
}

void printTextUnit(float x, float y, float scale, uint32_t listBase, const char* format, ...) {
    (void)listBase;
    if (programFont.listBase == 0) return;
    va_list args;
    va_start(args, format);
    pushUnitSquareSpace();
    glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glTranslatef(x, y, 0.0f);
    glScalef(0.05f * scale, 0.05f * scale, 0.05f * scale);
    callGlyphLists(programFont.listBase, format, args);
    glPopAttrib();
    popUnitSquareSpace();
    va_end(args);
}

void printTextHere(float scale, uint32_t listBase, const char* format, ...) {
    if (listBase == 0) return;
    va_list args;
    va_start(args, format);
    glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glScalef(scale, -scale, scale);
    callGlyphLists(listBase, format, args);
    glPopAttrib();
    va_end(args);
}
