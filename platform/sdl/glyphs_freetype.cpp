// SPDX-License-Identifier: MIT
// The platform backend's glyph rasteriser: fontconfig resolves the face, FreeType rasterises it.
#include "platform/backend.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include <stdio.h>
#include <string.h>

struct NativeFont {
    FT_Face face;
    bool embolden;          // fontconfig asks for synthetic bold when no bold face exists
    char description[700];  // family, style, and the file in parentheses
};

static NativeFont fonts[maxFonts];
static FT_Library library;

// Finds the file (and face index) fontconfig picks for the name and weight; false if none.
static bool resolveFace(const char* faceName, int32_t weight, char* file, size_t fileSize, int* index, bool* embolden) {
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
    bool found =
        FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path && strlen((const char*)path) < fileSize;
    if (found) {
        strcpy(file, (const char*)path);
        if (FcPatternGetInteger(match, FC_INDEX, 0, index) != FcResultMatch) *index = 0;
        *embolden = FcPatternGetBool(match, FC_EMBOLDEN, 0, &bold) == FcResultMatch && bold;
    }
    FcPatternDestroy(match);
    return found;
}

// What a player can do about a missing face: the package the program's own face names resolve to.
static const char installHint[] = "install fonts-liberation2 (Liberation Sans stands in for Arial)";

bool backendOpenFont(int32_t slot, const char* faceName, int32_t pixelHeight, int32_t weight) {
    NativeFont* font = &fonts[slot];
    if (!library && FT_Init_FreeType(&library) != 0) {
        platformSetError("cannot start FreeType to draw \"%s\"", faceName);
        return false;
    }
    int index = 0;
    bool embolden = false;
    char file[512];
    if (!resolveFace(faceName, weight, file, sizeof file, &index, &embolden)) {
        platformSetError("no font answers to \"%s\" (fontconfig finds no scalable face); %s", faceName, installHint);
        return false;
    }
    FT_Face face = nullptr;
    if (FT_New_Face(library, file, index, &face) != 0 || FT_Set_Pixel_Sizes(face, 0, (FT_UInt)pixelHeight) != 0) {
        if (face) FT_Done_Face(face);
        platformSetError("cannot load %s, the font fontconfig gives for \"%s\"; %s", file, faceName, installHint);
        return false;
    }
    font->face = face;
    font->embolden = embolden;
    snprintf(font->description, sizeof font->description, "%s %s%s (%s)", face->family_name ? face->family_name : "",
             face->style_name ? face->style_name : "", embolden ? " emboldened" : "", file);
    return true;
}

void backendCloseFont(int32_t slot) {
    FT_Done_Face(fonts[slot].face);
    fonts[slot] = {};
}

const char* backendFontDescription(int32_t slot) { return fonts[slot].description; }

uint32_t backendGlyphBitmap(int32_t slot, uint32_t code, PlatGlyphMetrics* metrics, uint8_t* buffer,
                            uint32_t capacity) {
    NativeFont* font = &fonts[slot];
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
