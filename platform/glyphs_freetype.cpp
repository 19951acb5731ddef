// The platform's glyph rasteriser: fontconfig resolves the face, FreeType rasterises it.
#include "platform/platform.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include <string.h>

struct PlatFont {
    FT_Face face;
    bool embolden;  // fontconfig asks for synthetic bold when no bold face exists
    char file[512];
};

enum { maxFonts = 4 };
static PlatFont fonts[maxFonts];
static FT_Library library;

static PlatFont* freeFontSlot() {
    for (PlatFont& font : fonts)
        if (!font.face) return &font;
    return nullptr;
}

// Finds the file (and face index) fontconfig picks for the name and weight; false if none.
static bool resolveFace(const char* faceName, int32_t weight, char* file, size_t fileSize, int* index,
                        bool* embolden) {
    if (!FcInit()) return false;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, (const FcChar8*)faceName);
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return false;
    FcChar8* path = nullptr;
    FcBool bold = FcFalse;
    bool found = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path &&
                 strlen((const char*)path) < fileSize;
    if (found) {
        strcpy(file, (const char*)path);
        if (FcPatternGetInteger(match, FC_INDEX, 0, index) != FcResultMatch) *index = 0;
        *embolden = FcPatternGetBool(match, FC_EMBOLDEN, 0, &bold) == FcResultMatch && bold;
    }
    FcPatternDestroy(match);
    return found;
}

PlatFont* platCreateFont(const char* faceName, int32_t pixelHeight, int32_t weight) {
    if (!faceName || pixelHeight <= 0 || pixelHeight > 4096) return nullptr;
    PlatFont* font = freeFontSlot();
    if (!font) return nullptr;
    if (!library && FT_Init_FreeType(&library) != 0) return nullptr;
    int index = 0;
    bool embolden = false;
    if (!resolveFace(faceName, weight, font->file, sizeof font->file, &index, &embolden)) return nullptr;
    FT_Face face = nullptr;
    if (FT_New_Face(library, font->file, index, &face) != 0) return nullptr;
    if (FT_Set_Pixel_Sizes(face, 0, (FT_UInt)pixelHeight) != 0) {
        FT_Done_Face(face);
        return nullptr;
    }
    font->face = face;
    font->embolden = embolden;
    return font;
}

void platDeleteFont(PlatFont* font) {
    if (!font || !font->face) return;
    FT_Done_Face(font->face);
    *font = {};
}

const char* platFontFile(PlatFont* font) { return font && font->face ? font->file : ""; }

uint32_t platGlyphBitmap(PlatFont* font, uint32_t code, PlatGlyphMetrics* metrics, uint8_t* buffer,
                         uint32_t capacity) {
    *metrics = {};
    if (!font || !font->face) return 0;
    FT_Face face = font->face;
    if (FT_Load_Char(face, code, FT_LOAD_DEFAULT) != 0) return 0;
    if (font->embolden) FT_GlyphSlot_Embolden(face->glyph);
    if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) return 0;
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) return 0;
    metrics->blackBoxWidth = (int32_t)bitmap.width;
    metrics->blackBoxHeight = (int32_t)bitmap.rows;
    metrics->originX = face->glyph->bitmap_left;
    metrics->originY = face->glyph->bitmap_top;
    metrics->advance = (int32_t)((face->glyph->advance.x + 32) >> 6);
    uint32_t stride = (bitmap.width + 3u) & ~3u;
    uint32_t size = stride * bitmap.rows;
    if (!buffer || capacity < size) return size;
    memset(buffer, 0, size);
    for (uint32_t y = 0; y < bitmap.rows; ++y) {
        const uint8_t* source = bitmap.buffer + (ptrdiff_t)y * bitmap.pitch;
        for (uint32_t x = 0; x < bitmap.width; ++x) buffer[y * stride + x] = (uint8_t)(source[x] * 65u / 256u);
    }
    return size;
}
