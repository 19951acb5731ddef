// SPDX-License-Identifier: MIT
// The platform's glyph rasteriser against FreeType's own metrics for the resolved face.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"

TEST(GlyphRasteriser, ResolvesArialSemiboldAndMatchesFreeType) {
    PlatFont* font = platCreateFont("Arial", 120, 600);
    ASSERT_NE(font, nullptr);
    std::string description = platFontDescription(font);
    EXPECT_EQ(description.find("Liberation Sans Bold ("), 0u) << description;
    size_t open = description.rfind('('), close = description.rfind(')');
    ASSERT_TRUE(open != std::string::npos && close == description.size() - 1) << description;
    std::string file = description.substr(open + 1, close - open - 1);  // the face's file, to check against
    EXPECT_NE(file.find("LiberationSans-Bold"), std::string::npos) << file;

    FT_Library library;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    FT_Face face;
    ASSERT_EQ(FT_New_Face(library, file.c_str(), 0, &face), 0);
    ASSERT_EQ(FT_Set_Pixel_Sizes(face, 0, 120), 0);
    for (char code : std::string("!gWa-.")) {
        ASSERT_EQ(FT_Load_Char(face, (FT_ULong)code, FT_LOAD_RENDER), 0);
        const FT_Bitmap& bitmap = face->glyph->bitmap;
        PlatGlyphMetrics metrics;
        uint32_t size = platGlyphBitmap(font, (uint32_t)code, &metrics, nullptr, 0);
        EXPECT_EQ(metrics.blackBoxWidth, (int32_t)bitmap.width) << code;
        EXPECT_EQ(metrics.blackBoxHeight, (int32_t)bitmap.rows) << code;
        EXPECT_EQ(metrics.originX, face->glyph->bitmap_left) << code;
        EXPECT_EQ(metrics.originY, face->glyph->bitmap_top) << code;
        EXPECT_EQ(metrics.advance, (int32_t)((face->glyph->advance.x + 32) >> 6)) << code;
        uint32_t stride = (bitmap.width + 3) & ~3u;
        ASSERT_EQ(size, stride * bitmap.rows) << code;

        std::vector<uint8_t> coverage(size + 8, 0xEE);
        ASSERT_EQ(platGlyphBitmap(font, (uint32_t)code, &metrics, coverage.data(), size), size);
        EXPECT_EQ(coverage[size], 0xEE);  // nothing written past the reported size
        for (uint32_t y = 0; y < bitmap.rows; ++y)
            for (uint32_t x = 0; x < stride; ++x) {
                uint8_t expected = x < bitmap.width ? (uint8_t)(bitmap.buffer[y * bitmap.pitch + x] * 65 / 256) : 0;
                ASSERT_EQ(coverage[y * stride + x], expected) << code << " at " << x << "," << y;
                ASSERT_LE(coverage[y * stride + x], 64);
            }
        std::vector<uint8_t> small(size ? size - 1 : 0, 0xEE);
        EXPECT_EQ(platGlyphBitmap(font, (uint32_t)code, &metrics, small.data(), (uint32_t)small.size()), size);
        for (uint8_t byte : small) ASSERT_EQ(byte, 0xEE);  // too small: left alone
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    platDeleteFont(font);
}

TEST(GlyphRasteriser, TakesHeightsNamesAndCodesOnlyWithinTheirLimits) {
    EXPECT_EQ(platCreateFont("Arial", 0, 400), nullptr);
    EXPECT_EQ(platCreateFont("Arial", -12, 400), nullptr);
    EXPECT_EQ(platCreateFont("Arial", platMaxGlyphHeight + 1, 400), nullptr);
    EXPECT_EQ(platCreateFont(nullptr, 12, 400), nullptr);
    EXPECT_EQ(platCreateFont(std::string(platMaxFaceName + 1, 'A').c_str(), 12, 400), nullptr);
    EXPECT_STREQ(platLastError(), "no font for a face name or height outside the limits");
    // The smallest height, and the longest name (no face has it: the system's fallback face) are allowed.
    for (PlatFont* font :
         {platCreateFont("Arial", 1, 400), platCreateFont(std::string(platMaxFaceName, 'A').c_str(), 12, 400)}) {
        EXPECT_NE(font, nullptr);
        platDeleteFont(font);
    }
    EXPECT_STREQ(platFontDescription(nullptr), "");
    PlatGlyphMetrics metrics = {1, 2, 3, 4, 5};
    EXPECT_EQ(platGlyphBitmap(nullptr, 'A', &metrics, nullptr, 0), 0u);
    EXPECT_EQ(metrics.blackBoxWidth, 0);

    PlatFont* font = platCreateFont("Arial", platMaxGlyphHeight, 600);  // the largest is allowed
    ASSERT_NE(font, nullptr);
    EXPECT_STREQ(platLastError(), "");  // no failure stands once a font is made
    EXPECT_GT(platGlyphBitmap(font, platLastGlyphCode, &metrics, nullptr, 0), 0u);
    platGlyphBitmap(font, platFirstGlyphCode, &metrics, nullptr, 0);
    EXPECT_GT(metrics.advance, 0);  // the space has no ink, but it moves the pen
    for (uint32_t code : {(uint32_t)platFirstGlyphCode - 1, (uint32_t)platLastGlyphCode + 1, 0xC4u}) {
        metrics = {1, 2, 3, 4, 5};
        EXPECT_EQ(platGlyphBitmap(font, code, &metrics, nullptr, 0), 0u) << code;
        EXPECT_EQ(metrics.advance, 0) << code;
    }
    platDeleteFont(font);
}
