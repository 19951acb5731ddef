// SPDX-License-Identifier: MIT
// The glyph texture font and the three prints, read back from a real Mesa context.
#include <gtest/gtest.h>
#include <math.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "draw/glyph_font.h"
#include "gl_fixture.h"
#include "platform/gl.h"
#include "platform/platform.h"
#include "shell/input.h"
#include "shell/presets.h"
#include "shell/window.h"

namespace {

// The box around the pixels brighter than half, which is where a glyph has ink, and their count.
struct Bounds {
    int left = 100000, top = 100000, right = -1, bottom = -1, lit = 0;
    bool empty() const { return right < 0; }
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
    // The share of the box's pixels that are lit: well under 1 for "H" drawn blended, 1 when its
    // glyph's transparent texels paint the whole quad.
    double fill() const { return empty() ? 0.0 : (double)lit / (width() * height()); }
};

// The screen as rows top first, red channel only.
std::vector<uint8_t> grabRed() {
    std::vector<uint8_t> rgba(800 * 600 * 4), red(800 * 600);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 800, 600, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) red[(size_t)y * 800 + x] = rgba[((size_t)(599 - y) * 800 + x) * 4];
    return red;
}

Bounds inkBounds() {
    std::vector<uint8_t> red = grabRed();
    Bounds b;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            if (red[(size_t)y * 800 + x] > 127) {
                b.left = std::min(b.left, x);
                b.right = std::max(b.right, x);
                b.top = std::min(b.top, y);
                b.bottom = std::max(b.bottom, y);
                ++b.lit;
            }
    return b;
}

// Readies opaque white on black.
void whiteOnBlack() {
    clearToBlack();
    glColor4ub(255, 255, 255, 255);
}

class GlyphFontTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        buildGlyphFont("Arial", 120, 600, &programFont);
        ASSERT_NE(programFont.listBase, 0u);
        apply2dPreset();
    }
    void TearDown() override {
        freeGlyphFont(programFont.listBase);
        GlTest::TearDown();
    }
    // The ink of one print of text at (x, y), scale, in opaque white on black.
    Bounds inkOf(const char* text, int x = 200, int y = 570, float scale = 0.5f) {
        whiteOnBlack();
        printText(x, y, scale, programFont.listBase, "%s", text);
        return inkBounds();
    }
};

TEST_F(GlyphFontTest, ToastedLineSitsOnItsBaselineWithAnExclamationMarkSixteenPixelsTall) {
    Bounds mark = inkOf("!");
    EXPECT_EQ(mark.top, 570);
    EXPECT_EQ(mark.bottom, 585);  // the baseline is at 586
    EXPECT_EQ(mark.height(), 16);

    clearToBlack();
    glColor4ub(255, 255, 255, 180);
    printText(200, 570, 0.5f, programFont.listBase, "Toasted:%d", 0);
    Bounds line = inkBounds();
    EXPECT_FALSE(line.empty());
    EXPECT_GE(line.top, 569);     // 'T' reaches the top of the line box
    EXPECT_LE(line.bottom, 586);  // no descenders in "Toasted:0"
    EXPECT_GT(line.width(), 80);
}

TEST_F(GlyphFontTest, SpaceMovesHalfAUnitAndOtherBytesTakeNoSpace) {
    Bounds mark = inkOf("!");
    EXPECT_TRUE(inkOf(" ").empty());
    EXPECT_EQ(inkOf(" !").left - mark.left, 8);  // 0.5 units of 16 pixels
    Bounds skipped = inkOf("\t\x80\xff\x1b!");
    EXPECT_EQ(skipped.left, mark.left);
    EXPECT_EQ(skipped.right, mark.right);
}

TEST_F(GlyphFontTest, LowercaseStartsLowerAndDescendersReachBelowTheBaseline) {
    Bounds capital = inkOf("H", 200, 300, 1.0f);
    Bounds lower = inkOf("a", 200, 300, 1.0f);
    Bounds descender = inkOf("p", 200, 300, 1.0f);
    EXPECT_NEAR(capital.top, 300, 1);
    EXPECT_GT(lower.top, capital.top + 5);
    EXPECT_NEAR(capital.bottom, 331, 1);  // baseline at 300 + 32
    EXPECT_GT(descender.bottom, 335);
}

TEST_F(GlyphFontTest, WideGlyphFillsItsTextureAndItsQuadIsWiderThanHigh) {
    std::vector<uint8_t> alpha(glyphTextureSize * glyphTextureSize);
    glBindTexture(GL_TEXTURE_2D, programFont.textures['-' - glyphFirst]);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_ALPHA, GL_UNSIGNED_BYTE, alpha.data());
    int edgeSum[4] = {0, 0, 0, 0};  // top row, bottom row, left column, right column
    for (int i = 0; i < glyphTextureSize; ++i) {
        edgeSum[0] += alpha[i];
        edgeSum[1] += alpha[(glyphTextureSize - 1) * glyphTextureSize + i];
        edgeSum[2] += alpha[i * glyphTextureSize];
        edgeSum[3] += alpha[i * glyphTextureSize + glyphTextureSize - 1];
    }
    for (int sum : edgeSum) EXPECT_GT(sum / glyphTextureSize, 20);  // ink reaches every edge
    Bounds dash = inkOf("-", 200, 300, 3.0f);
    EXPECT_GT(dash.width(), dash.height() + 10);
}

TEST_F(GlyphFontTest, LongTextIsCutAt255Characters) {
    std::string exactly(255, '!'), longer(300, '!'), shorter(254, '!');
    Bounds cut = inkOf(longer.c_str(), 0, 300, 0.2f);
    EXPECT_EQ(cut.right, inkOf(exactly.c_str(), 0, 300, 0.2f).right);
    EXPECT_GT(cut.right, inkOf(shorter.c_str(), 0, 300, 0.2f).right);
}

TEST_F(GlyphFontTest, PrintTextRestoresTheModelviewAndChangesTheListBase) {
    Bounds plain = inkOf("Ab", 10, 10, 1.0f);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(5, 6, 0);             // the text's place is its own, whatever the modelview
    glMatrixMode(GL_PROJECTION);       // and whatever matrix is selected
    GlState expected = readGlState();  // the colours inkOf sets are set already
    Bounds moved = inkOf("Ab", 10, 10, 1.0f);
    EXPECT_EQ(moved.left, plain.left);
    EXPECT_EQ(moved.top, plain.top);
    EXPECT_EQ(moved.right, plain.right);
    expected.matrixMode = GL_MODELVIEW;
    expected.listBase = (int32_t)(programFont.listBase - glyphFirst);
    expected.boundTexture = (int32_t)programFont.textures['b' - glyphFirst];  // the last glyph's texture
    EXPECT_EQ(glStateDifferences(expected, readGlState()), "");
}

TEST_F(GlyphFontTest, PrintTextUnitRestoresMatricesEnablesAndTextureState) {
    GLuint other = 0;
    glGenTextures(1, &other);
    glBindTexture(GL_TEXTURE_2D, other);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glDisable(GL_BLEND);
    whiteOnBlack();
    GlState expected = readGlState();
    printTextUnit(0.25f, 0.5f, 1.0f, programFont.listBase, "H");
    expected.listBase = (int32_t)(programFont.listBase - glyphFirst);
    EXPECT_EQ(glStateDifferences(expected, readGlState()), "");
    Bounds h = inkBounds();
    EXPECT_LT(h.fill(), 0.8);       // blended, though blending was off
    EXPECT_NEAR(h.top, 300, 1);     // y 0.5 of the viewport
    EXPECT_NEAR(h.bottom, 329, 1);  // one unit is 0.05 of 600 pixels high
    EXPECT_GT(h.left, 200);
    glDeleteTextures(1, &other);
}

TEST_F(GlyphFontTest, ConsecutivePrintTextHereCallsContinueOneLine) {
    // A y-up space of 40 pixels a unit; each call leaves its scale and advance on the matrix.
    auto printHere = [](std::initializer_list<const char*> parts) {
        whiteOnBlack();
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glTranslatef(100, 400, 0);
        glScalef(40, -40, 1);
        glDisable(GL_BLEND);  // blended all the same
        for (const char* part : parts) printTextHere(1.0f, programFont.listBase, "%s", part);
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        glEnable(GL_BLEND);
        glPopMatrix();
        return inkBounds();
    };
    Bounds joined = printHere({"AB"}), split = printHere({"A", "B"}), first = printHere({"A"});
    EXPECT_EQ(split.left, joined.left);
    EXPECT_NEAR(split.right, joined.right, 1);
    EXPECT_GT(split.right, first.right + 20);  // "B" came after "A", not over it
    EXPECT_LT(printHere({"H"}).fill(), 0.8);
    EXPECT_NEAR(first.top, 400, 1);  // the line box hangs one unit below the origin
    EXPECT_NEAR(first.bottom, 439, 1);
}

TEST_F(GlyphFontTest, BuildingAFontLeavesThePixelStoreAsItWas) {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    glPixelStorei(GL_PACK_ALIGNMENT, 2);
    GlState expected = readGlState();
    GlyphFont second = {};
    buildGlyphFont("Arial", 24, 400, &second);
    GlState after = readGlState();
    expected.boundTexture = after.boundTexture;  // the textures are bound as they are made
    EXPECT_EQ(glStateDifferences(expected, after), "");
    glDeleteLists(second.listBase, glyphCount);
    glDeleteTextures(glyphCount, second.textures);
}

TEST_F(GlyphFontTest, FontStillDrawsAfterModeSwitches) {
    Bounds before = inkOf("Zelmo", 100, 100, 1.0f);
    for (int i = 0; i < 2; ++i) {
        inputState.keys[VK_F1] = 1;
        ASSERT_TRUE(checkSystemKeys());
    }
    apply2dPreset();
    Bounds after = inkOf("Zelmo", 100, 100, 1.0f);
    EXPECT_FALSE(after.empty());
    EXPECT_EQ(before.left, after.left);
    EXPECT_EQ(before.right, after.right);
}

TEST_F(GlyphFontTest, GlyphTexturesHoldFullCoverageAsOpaqueAlphaAndFreeingDeletesListsAndTextures) {
    const uint32_t exclamation = '!' - 32;
    glBindTexture(GL_TEXTURE_2D, programFont.textures[exclamation]);
    struct {
        GLenum name;
        GLint value;
    } parameters[] = {{GL_TEXTURE_MIN_FILTER, GL_LINEAR},
                      {GL_TEXTURE_MAG_FILTER, GL_LINEAR},
                      {GL_TEXTURE_WRAP_S, GL_CLAMP},
                      {GL_TEXTURE_WRAP_T, GL_CLAMP}};
    for (auto& p : parameters) {
        GLint value = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, p.name, &value);
        EXPECT_EQ(value, p.value) << std::hex << p.name;
    }
    GLint format = 0, width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(format, GL_ALPHA);
    EXPECT_EQ(width, 32);
    uint8_t alpha[32 * 32];
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_ALPHA, GL_UNSIGNED_BYTE, alpha);
    int full = 0, partial = 0;
    for (uint8_t a : alpha) full += a == 255, partial += a > 0 && a < 255;
    EXPECT_GT(full, 300);  // the stroke of '!' stretched over the texture: coverage 64 is alpha 1
    EXPECT_GT(partial, 0);

    // A list just past the font's 96: byte 128 must not reach it.
    GLuint stranger = glGenLists(1);
    glNewList(stranger, GL_COMPILE);
    glDisable(GL_TEXTURE_2D);
    drawQuad(0, 0, 800, 600);
    glEnable(GL_TEXTURE_2D);
    glEndList();
    whiteOnBlack();
    printText(0, 0, 1.0f, programFont.listBase, "%c", (char)(32 + (stranger - programFont.listBase)));
    EXPECT_TRUE(inkBounds().empty());
    glDeleteLists(stranger, 1);

    uint32_t base = programFont.listBase;
    uint32_t firstTexture = programFont.textures[0], lastTexture = programFont.textures[95];
    freeGlyphFont(base);
    EXPECT_FALSE(glIsList(base));
    EXPECT_FALSE(glIsList(base + 95));
    EXPECT_FALSE(glIsTexture(firstTexture));
    EXPECT_FALSE(glIsTexture(lastTexture));
    EXPECT_EQ(programFont.listBase, 0u);
    buildGlyphFont("Arial", 120, 600, &programFont);  // for the fixture to free
}

// Each texture holds its glyph's coverage bitmap (rows padded to 4 bytes) stretched over 32 x 32,
// with coverage 64 as alpha 1; texture i holds character 32 + i.
TEST_F(GlyphFontTest, EachGlyphTextureIsItsBitmapStretchedOverTheWholeTexture) {
    PlatFont* face = platCreateFont("Arial", 120, 600);
    ASSERT_NE(face, nullptr);
    for (char c : {'!', 'A', 'g', 'W', '~'}) {
        SCOPED_TRACE(c);
        PlatGlyphMetrics metrics;
        uint32_t size = platGlyphBitmap(face, (uint32_t)c, &metrics, nullptr, 0);
        std::vector<uint8_t> bitmap(size), stretched(32 * 32), alpha(32 * 32);
        ASSERT_EQ(platGlyphBitmap(face, (uint32_t)c, &metrics, bitmap.data(), size), size);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        gluScaleImage(GL_COLOR_INDEX, metrics.blackBoxWidth, metrics.blackBoxHeight, GL_UNSIGNED_BYTE, bitmap.data(),
                      32, 32, GL_UNSIGNED_BYTE, stretched.data());
        glBindTexture(GL_TEXTURE_2D, programFont.textures[c - 32]);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_ALPHA, GL_UNSIGNED_BYTE, alpha.data());
        int worst = 0;
        for (int i = 0; i < 32 * 32; ++i) {
            int expected = (int)lround(std::min((int)stretched[i], 64) * 255.0 / 64.0);
            worst = std::max(worst, abs(expected - (int)alpha[i]));
        }
        EXPECT_LE(worst, 1);
    }
    platDeleteFont(face);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
}

// A glyph's list draws its texture as one quad: the black box at the cell's place, texture row 0
// at its top. The reference draws the same texture from the rasteriser's metrics.
TEST_F(GlyphFontTest, AGlyphsListDrawsItsTextureOverItsBlackBox) {
    PlatFont* face = platCreateFont("Arial", 120, 600);
    ASSERT_NE(face, nullptr);
    PlatGlyphMetrics mark, metrics;
    platGlyphBitmap(face, '!', &mark, nullptr, 0);
    const float unitPixels = 64;  // scale 2: 64 pixels a font unit
    for (char c : {'!', 'g', 'W'}) {
        SCOPED_TRACE(c);
        platGlyphBitmap(face, (uint32_t)c, &metrics, nullptr, 0);
        whiteOnBlack();
        printText(100, 100, 2.0f, programFont.listBase, "%c", c);
        std::vector<uint8_t> shown = grabRed();
        float r = (float)mark.blackBoxHeight, left = 100 + unitPixels * metrics.originX / r;
        float top = 100 + unitPixels * (1 - metrics.originY / r);
        float right = left + unitPixels * metrics.blackBoxWidth / r,
              bottom = top + unitPixels * metrics.blackBoxHeight / r;
        clearToBlack();
        glBindTexture(GL_TEXTURE_2D, programFont.textures[c - 32]);
        drawQuad(left, top, right, bottom);
        std::vector<uint8_t> expected = grabRed();
        int worst = 0;
        for (size_t i = 0; i < shown.size(); ++i) worst = std::max(worst, abs((int)shown[i] - (int)expected[i]));
        EXPECT_LE(worst, 8);  // the same texels; only the quad's split into triangles may differ
    }
    platDeleteFont(face);
}

TEST(GlyphFontFailures, NoFaceMeansEmptyFontAndSilentPrintsAndFreeingIsHarmlessWithoutAContext) {
    openTestWindow();
    GlyphFont font = {123, {}};
    buildGlyphFont("Arial", 0, 600, &font);  // no face at size 0
    EXPECT_EQ(font.listBase, 0u);
    programFont = font;
    apply2dPreset();
    whiteOnBlack();
    printText(10, 10, 1.0f, 0, "Hello");
    printTextUnit(0.1f, 0.1f, 1.0f, 0, "Hello");
    printTextHere(10.0f, 0, "Hello");
    EXPECT_TRUE(inkBounds().empty());

    buildGlyphFont("Arial", 120, 600, &programFont);
    uint32_t listBase = programFont.listBase;
    ASSERT_NE(listBase, 0u);
    closeTestWindow();  // the context is gone now
    freeGlyphFont(listBase);
    EXPECT_EQ(programFont.listBase, 0u);
}

}  // namespace
