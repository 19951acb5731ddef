// SPDX-License-Identifier: MIT
// Images, textures, sprites, fills and lines, read back from a real Mesa context.
#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "assets/image.h"
#include "draw/glyph_font.h"
#include "draw/sprite.h"
#include "gl_fixture.h"
#include "platform/gl.h"
#include "shell/presets.h"
#include "shell/window.h"
#include "support/support.h"

namespace {

const uint8_t red[4] = {255, 0, 0, 255}, green[4] = {0, 255, 0, 255}, blue[4] = {0, 0, 255, 255},
              white[4] = {255, 255, 255, 255}, yellow[4] = {255, 255, 0, 255}, cyan[4] = {0, 255, 255, 255},
              magenta[4] = {255, 0, 255, 255}, black[4] = {0, 0, 0, 255};

// A texture over a fresh image of the given pixels (width x height, 4 bytes each, plus a spare).
Texture makeTexture(int32_t width, int32_t height, std::initializer_list<const uint8_t*> pixels) {
    Texture texture;
    texture.image = (Image*)memAlloc(sizeof(Image));
    uint8_t* buffer = (uint8_t*)memAllocZeroed((uint32_t)(width * height + 1), 4);
    int i = 0;
    for (const uint8_t* p : pixels) memcpy(buffer + 4 * i++, p, 4);
    *texture.image = {width, height, buffer};
    return texture;
}

void release(Texture& texture) {
    if (texture.name) glDeleteTextures(1, &texture.name);
    freeImage(texture);
}

// A client position and the colour it must show (red, green and blue; alpha is not compared).
struct Spot {
    int32_t x, y;
    const uint8_t* colour;
};

void expectSpots(std::initializer_list<Spot> spots) {
    for (const Spot& s : spots) {
        Rgba pixel = readPixel(s.x, s.y);
        EXPECT_TRUE(pixel.r == s.colour[0] && pixel.g == s.colour[1] && pixel.b == s.colour[2])
            << "at " << s.x << "," << s.y << ": " << (int)pixel.r << " " << (int)pixel.g << " " << (int)pixel.b
            << ", not " << (int)s.colour[0] << " " << (int)s.colour[1] << " " << (int)s.colour[2];
    }
}

class SpriteTest : public GlTest {
protected:
    Texture grid;  // 4 x 2: first stored row red green blue white, second yellow cyan magenta black
    void SetUp() override {
        GlTest::SetUp();
        apply2dPreset();
        clearToBlack();
        grid = makeTexture(4, 2, {red, green, blue, white, yellow, cyan, magenta, black});
        grid.linear = 0;
        uploadTexture(grid, GL_RGBA);
    }
    void TearDown() override {
        release(grid);
        GlTest::TearDown();
    }
};

TEST_F(SpriteTest, WholeImageShowsTheFirstStoredRowAlongTheBottom) {
    drawSprite(100, 100, 40, 20, grid, 0, 0, 0, 0, 255, false, false);
    // The bottom-left, bottom-right, top-left and top-right corners, then outside: the cleared screen.
    expectSpots({{105, 115, red},
                 {135, 115, white},
                 {105, 105, yellow},
                 {135, 105, black},
                 {145, 105, black},
                 {95, 105, black}});

    clearToBlack();
    drawSprite(100, 100, 40, 20, grid, 0, 0, 0, 0, 255, false, true);  // flipY: first row on top
    expectSpots({{105, 105, red}, {105, 115, yellow}});

    clearToBlack();
    drawSprite(100, 100, 40, 20, grid, 0, 0, 0, 0, 255, true, false);  // flipX: mirrored
    expectSpots({{105, 115, white}, {135, 115, red}});
}

TEST_F(SpriteTest, SourceRectangleCountsRowsFromTheFirstStoredRow) {
    drawSpriteSized(100, 100, 40, 20, grid, 2, 1, 2, 1);  // the second row's right half
    expectSpots({{105, 105, magenta}, {135, 115, black}, {115, 115, magenta}});

    clearToBlack();
    drawSpriteSized(100, 100, 40, 20, grid, 0, 0, 2, 1);  // the first row's left half
    expectSpots({{105, 110, red}, {125, 110, green}});

    clearToBlack();
    drawSpriteSized(100, 100, 40, 20, grid, 3, 1, 0, 1);  // srcWidth 0: the whole image, srcX dropped
    expectSpots({{105, 115, red}});
}

TEST_F(SpriteTest, ZeroWidthOrHeightMeansNaturalSize) {
    drawSprite(10, 10, 0, 50, grid, 0, 0, 0, 0, 255, false, false);
    // 4 x 2 at (10, 10): the bottom row is y 11, the top-right texel black; not stretched to 50.
    expectSpots({{10, 11, red}, {13, 10, black}, {12, 10, magenta}, {10, 12, black}, {14, 11, black}});
    // A zero height alone, and a zero source height or width alone, mean the same.
    clearToBlack();
    drawSprite(20, 10, 50, 0, grid, 2, 1, 1, 0, 255, false, false);
    expectSpots({{20, 11, red}, {23, 10, black}, {24, 11, black}});  // the whole image at its natural size
    clearToBlack();
    drawSprite(30, 10, 4, 2, grid, 2, 1, 0, 1, 255, false, false);
    expectSpots({{30, 11, red}, {33, 10, black}});
}

TEST_F(SpriteTest, AlphaZeroBindsButDrawsNothingAndTheColourIsLeftSet) {
    glBindTexture(GL_TEXTURE_2D, 0);
    drawSpriteAtAlpha(100, 100, grid, 0);
    EXPECT_EQ(readGlState().boundTexture, (int32_t)grid.name);
    expectSpots({{100, 101, black}});

    drawSpriteAtAlpha(300, 300, grid, 1);  // the faintest alpha still draws
    EXPECT_EQ(readPixel(300, 301).r, 1);

    drawSpriteAlpha(100, 100, 40, 20, grid, 0, 0, 0, 0, 128);
    Rgba faded = readPixel(105, 115);  // red at half strength over black
    EXPECT_NEAR(faded.r, 128, 2);
    GlState after = readGlState();
    EXPECT_FLOAT_EQ(after.color[0], 1.0f);
    EXPECT_NEAR(after.color[3], 128 / 255.0f, 1e-6);
}

TEST_F(SpriteTest, TextureWithoutImageOrNameDrawsNothing) {
    Texture empty;
    drawSpriteAt(100, 100, empty);
    Texture unuploaded = makeTexture(1, 1, {red});
    drawSpriteSized(100, 100, 50, 50, unuploaded, 0, 0, 0, 0);
    expectSpots({{110, 110, black}});
    freeImage(unuploaded);
}

TEST_F(SpriteTest, FillScreenIgnoresTheTopByte) {
    const struct {
        uint32_t colour;
        Spot spot;
    } fills[] = {{0xFF0000FF, {1, 1, red}}, {0x00FF0000, {799, 599, blue}}, {0xFF000000, {400, 300, black}}};
    for (const auto& fill : fills) {
        fillScreen(fill.colour);
        expectSpots({fill.spot});
    }

    glClearDepth(0.25);  // the depth buffer is left alone
    glClear(GL_DEPTH_BUFFER_BIT);
    glClearDepth(1.0);
    fillScreen(0xFF00FF00);
    GLfloat depth = 0;
    glReadPixels(400, 300, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_NEAR(depth, 0.25f, 0.001f);
    expectSpots({{400, 300, green}});
}

TEST_F(SpriteTest, FillRectLeavesNoTextureBehind) {
    fillRect(10, 20, 30, 40, 0xFF00FF00);  // solid to its edges
    expectSpots({{10, 20, green}, {25, 40, green}, {39, 59, green}, {40, 40, black}, {25, 60, black}});
    GLuint bound = (GLuint)readGlState().boundTexture;
    EXPECT_FALSE(bound != 0 && glIsTexture(bound));

    fillRect(100, 100, 30, 30, 0x0000FF00);  // alpha byte 0: invisible under blending
    expectSpots({{110, 110, black}});
    fillRect(200, 200, 0, 30, 0xFFFFFFFF);  // a zero side: one pixel
    expectSpots({{200, 200, white}, {201, 200, black}, {200, 201, black}});
}

TEST_F(SpriteTest, LinesRestoreEnablesAndMatrices) {
    glColor4ub(255, 255, 255, 255);
    glBindTexture(GL_TEXTURE_2D, grid.name);  // bound and enabled: its red texel must not tint the line
    glPixelStorei(GL_PACK_ALIGNMENT, 1);      // as readPixel leaves it
    GlState before = readGlState();
    drawLine(0, 300, 800, 300);
    EXPECT_EQ(glStateDifferences(before, readGlState()), "");
    Rgba line = readPixel(400, 300);
    EXPECT_GT(std::min({line.r, line.g, line.b}), 100);
    expectSpots({{400, 310, black}});

    drawLineUnit(0.5f, 0.0f, 0.5f, 1.0f);  // a vertical line through the middle
    EXPECT_EQ(glStateDifferences(before, readGlState()), "");
    line = readPixel(400, 100);
    EXPECT_GT(std::min(line.r, line.g), 100);
    expectSpots({{420, 100, black}});
}

GLint parameter(GLenum which) {
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, which, &value);
    return value;
}

TEST_F(SpriteTest, UploadFlagsAndFormats) {
    // First the defaults (linear, clamped), then a second upload, which replaces the first GL texture.
    const struct {
        uint8_t linear, repeatS;
        GLenum format;
        GLint filter, wrapS, internal;  // internal: the component count, as passed
    } uploads[] = {{1, 0, GL_RGBA, GL_LINEAR, GL_CLAMP, 4}, {0, 1, GL_RGB, GL_NEAREST, GL_REPEAT, 3}};
    Texture plain = makeTexture(2, 2, {red, red, red, red});
    for (const auto& u : uploads) {
        SCOPED_TRACE(u.format);
        GLuint previous = plain.name;
        plain.linear = u.linear;
        plain.repeatS = u.repeatS;
        uploadTexture(plain, u.format);
        EXPECT_FALSE(glIsTexture(previous) && previous != plain.name);
        EXPECT_EQ(readGlState().boundTexture, (int32_t)plain.name);
        EXPECT_EQ(parameter(GL_TEXTURE_MIN_FILTER), u.filter);
        EXPECT_EQ(parameter(GL_TEXTURE_MAG_FILTER), u.filter);
        EXPECT_EQ(parameter(GL_TEXTURE_WRAP_S), u.wrapS);
        EXPECT_EQ(parameter(GL_TEXTURE_WRAP_T), GL_CLAMP);
        GLint internal = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &internal);
        EXPECT_EQ(internal, u.internal);
    }
    release(plain);
}

TEST_F(SpriteTest, ColourKeyClearsExactlyTheKeyColourAndNeverRaisesAlpha) {
    const uint8_t nearMagenta[4] = {255, 0, 254, 255}, clearGreen[4] = {0, 255, 0, 0};
    Texture keyed = makeTexture(4, 1, {magenta, nearMagenta, clearGreen, white});
    keyed.image->pixels[16 + 3] = 77;  // the spare pixel
    memcpy(keyed.image->pixels + 16, magenta, 3);
    applyColorKey(keyed, 0xFFFF00FF);
    // Only the key's alpha is cleared, its colour kept; 255, 0, 254 is not the key, an already clear
    // pixel stays clear, and the spare pixel is never touched.
    const std::vector<uint8_t> keyedBytes = {255, 0, 255, 0,   255, 0,   254, 255, 0,   255,
                                             0,   0, 255, 255, 255, 255, 255, 0,   255, 77};
    EXPECT_EQ(std::vector<uint8_t>(keyed.image->pixels, keyed.image->pixels + 20), keyedBytes);

    // Each channel must match alone: a pixel off in any one of them is not the key.
    const uint8_t offRed[4] = {254, 0, 255, 255}, offGreen[4] = {255, 1, 255, 255};
    Texture again = makeTexture(4, 1, {magenta, white, offRed, offGreen});
    applyColorKey(again, 0x00FF00FF);  // the key's own alpha plays no part
    const std::vector<uint8_t> againBytes = {255, 0, 255, 0, 255, 255, 255, 255, 254, 0, 255, 255, 255, 1, 255, 255};
    EXPECT_EQ(std::vector<uint8_t>(again.image->pixels, again.image->pixels + 16), againBytes);

    Texture empty = makeTexture(0, 1, {});
    applyColorKey(empty, 0xFFFF00FF);
    rescaleImage(empty, 4, 4, GL_RGBA);
    release(keyed);
    release(again);
    release(empty);
}

TEST_F(SpriteTest, RescaleThenUploadAndDropKeepsTheSize) {
    Texture picture;
    picture.image = (Image*)memAlloc(sizeof(Image));
    uint8_t* pixels = (uint8_t*)memAlloc(400 * 300 * 4);
    for (int i = 0; i < 400 * 300; ++i) memcpy(pixels + 4 * i, cyan, 4);
    *picture.image = {400, 300, pixels};
    rescaleImage(picture, 512, 512, GL_RGBA);
    ASSERT_NE(picture.image->pixels, nullptr);
    EXPECT_EQ(picture.image->width, 512);
    EXPECT_EQ(picture.image->height, 512);
    EXPECT_EQ(memcmp(picture.image->pixels + 4 * (512 * 512 - 1), cyan, 4), 0);  // all 1048576 bytes written
    EXPECT_EQ(memcmp(picture.image->pixels + 4 * (512 * 200 + 300), cyan, 4), 0);

    uploadAndDropPixels(picture, GL_RGBA);
    EXPECT_EQ(picture.image->pixels, nullptr);
    EXPECT_EQ(picture.image->width, 512);
    applyColorKey(picture, 0xFFFF00FF);  // nothing left to key: harmless
    rescaleImage(picture, 8, 8, GL_RGBA);
    EXPECT_EQ(picture.image->width, 512);
    drawSpriteAt(0, 0, picture);  // natural size from the kept width and height
    expectSpots({{511, 511, cyan}, {513, 300, black}});
    release(picture);

    // Each side alone at the limit is taken; one past it is refused and the image left as it was.
    struct Side {
        int32_t width, height, pixels;
    } sides[] = {{16384, 1, 16384}, {16385, 1, 1}, {1, 16384, 16384}, {1, 16385, 1}};
    for (const Side& s : sides) {
        Texture strip = makeTexture(1, 1, {cyan});
        rescaleImage(strip, s.width, s.height, GL_RGBA);
        EXPECT_EQ(strip.image->width * strip.image->height, s.pixels) << s.width << "x" << s.height;
        EXPECT_EQ(memcmp(strip.image->pixels + 4 * (s.pixels - 1), cyan, 4), 0);
        release(strip);
    }
}

// Three-byte rows of odd length: the buffers hold exactly 3 x width x height bytes, so any row
// padding would read or write past them (the sanitizer build catches that).
TEST_F(SpriteTest, RgbRowsStayInsideTheirBuffersWhateverTheAlignment) {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 8);
    Texture picture;
    picture.image = (Image*)memAlloc(sizeof(Image));
    uint8_t* pixels = (uint8_t*)memAlloc(3 * 3 * 3);
    for (int i = 0; i < 9; ++i) {  // columns red, green, blue
        pixels[3 * i] = i % 3 == 0 ? 255 : 0;
        pixels[3 * i + 1] = i % 3 == 1 ? 255 : 0;
        pixels[3 * i + 2] = i % 3 == 2 ? 255 : 0;
    }
    *picture.image = {3, 3, pixels};
    rescaleImage(picture, 5, 2, GL_RGB);
    ASSERT_EQ(picture.image->width, 5);
    const uint8_t* out = picture.image->pixels;
    // Packed rows of 15 bytes: red rules the left end, blue the right, green the middle (GLU blends
    // each end with the opposite one a little when it enlarges).
    for (int row = 0; row < 2; ++row) {
        EXPECT_GT(out[15 * row + 0], 150) << row;
        EXPECT_LT(out[15 * row + 2], 100) << row;
        EXPECT_EQ(out[15 * row + 1], 0) << row;
        EXPECT_EQ(out[15 * row + 7], 255) << row;
        EXPECT_LT(out[15 * row + 12], 100) << row;
        EXPECT_GT(out[15 * row + 14], 150) << row;
    }
    uploadTexture(picture, GL_RGB);
    uint8_t back[2 * 5 * 4];
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, back);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(memcmp(back + 4 * i, out + 3 * i, 3), 0) << "texel " << i;  // uploaded unpadded
    EXPECT_EQ(readGlState().unpackAlignment, 4);  // the caller's pixel store is left as it was
    glPixelStorei(GL_PACK_ALIGNMENT, 8);
    rescaleImage(picture, 3, 3, GL_RGB);
    EXPECT_EQ(readGlState().packAlignment, 8);
    EXPECT_GT(picture.image->pixels[0], 150);          // red still at the top-left
    EXPECT_GT(picture.image->pixels[3 * 9 - 1], 150);  // blue at the bottom-right
    EXPECT_GT(picture.image->pixels[3 * 4 + 1], 150);  // green in the middle
    release(picture);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
}

// Every drawing routine against the whole GL state: from an unusual starting state (the 2D preset,
// then a moved modelview, a colour, a list base, odd alignments, a wide line, a clear colour, a
// scissor and another texture bound), the state afterwards is the starting one with exactly the
// changes the routine promises, and nothing else.
Texture stateGrid, stateEmpty;
void setWhite(GlState& s, float alpha) { s.color[0] = s.color[1] = s.color[2] = 1.0f, s.color[3] = alpha; }
void useModelview(GlState& s) { s.matrixMode = GL_MODELVIEW; }

struct StateCase {
    const char* name;
    GLenum startMode;  // the matrix mode selected before the call
    void (*call)();
    void (*promise)(GlState&);  // the promised changes, applied to the starting state
    void (*spoil)() = nullptr;  // more of the starting state, where a preset must set it
};

// The presets: what each sets, from a state with all of it set otherwise.
void spoilPresetState(bool depth, bool texture) {
    glDisable(GL_BLEND);
    depth ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
    texture ? glEnable(GL_TEXTURE_2D) : glDisable(GL_TEXTURE_2D);
    glBlendFunc(GL_ONE, GL_ZERO);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
}
void setIdentity(float* matrix) {
    for (int i = 0; i < 16; ++i) matrix[i] = i % 5 == 0 ? 1.0f : 0.0f;
}
void promise3d(GlState& s) {
    s.enabled[1] = s.enabled[2] = true, useModelview(s), setWhite(s, 1);
    s.blendSource = GL_SRC_ALPHA, s.blendDestination = GL_ONE_MINUS_SRC_ALPHA, s.textureEnvMode = GL_MODULATE;
    setIdentity(s.projection), setIdentity(s.modelview);
}

const StateCase stateCases[] = {
    {"drawSprite", GL_MODELVIEW, [] { drawSprite(10, 10, 0, 5, stateGrid, 0, 0, 3, 0, 208, true, false); },
     [](GlState& s) { s.boundTexture = (int32_t)stateGrid.name, setWhite(s, 208 / 255.0f); }},
    {"drawSpriteAt", GL_MODELVIEW, [] { drawSpriteAt(-3, 7, stateGrid); },
     [](GlState& s) { s.boundTexture = (int32_t)stateGrid.name, setWhite(s, 1); }},
    {"drawSprite alpha 0", GL_MODELVIEW, [] { drawSpriteAtAlpha(1, 1, stateGrid, 0); },
     [](GlState& s) { s.boundTexture = (int32_t)stateGrid.name; }},
    {"drawSprite no image", GL_MODELVIEW, [] { drawSpriteAt(1, 1, stateEmpty); },
     [](GlState& s) { s.boundTexture = 0; }},
    {"fillScreen", GL_MODELVIEW, [] { fillScreen(0x00336699); },
     [](GlState& s) {
         s.clearColor[0] = 0x99 / 255.0f, s.clearColor[1] = 0x66 / 255.0f, s.clearColor[2] = 0x33 / 255.0f,
         s.clearColor[3] = 1;
     }},
    {"fillRectAlpha", GL_MODELVIEW, [] { fillRectAlpha(5, 5, 20, 0, 128, 0x80FF0000); },
     [](GlState& s) { s.boundTexture = 0, setWhite(s, 128 / 255.0f); }},
    {"drawLine", GL_MODELVIEW, [] { drawLine(1, 1, 50, 60); }, [](GlState&) {}},
    {"drawLineUnit", GL_PROJECTION, [] { drawLineUnit(0.1f, 0.2f, 0.9f, 0.8f); }, useModelview},
    {"printText", GL_PROJECTION, [] { printText(100, 100, 0.5f, 12345, "Hi"); },
     [](GlState& s) {
         useModelview(s), s.listBase = (int32_t)programFont.listBase - glyphFirst,
                          s.boundTexture = (int32_t)programFont.textures['i' - glyphFirst];
     }},
    {"printTextUnit", GL_MODELVIEW, [] { printTextUnit(0.1f, 0.2f, 1.0f, 12345, "Hi"); },
     [](GlState& s) { s.listBase = (int32_t)programFont.listBase - glyphFirst; }},
    {"printTextHere", GL_MODELVIEW, [] { printTextHere(2.0f, programFont.listBase, " "); },
     [](GlState& s) {  // the scale (mirrored in y), then the space's half-unit advance, left on the matrix
         for (int i = 0; i < 4; ++i)
             s.modelview[i] *= 2, s.modelview[4 + i] *= -2, s.modelview[8 + i] *= 2,
                 s.modelview[12 + i] += 0.5f * s.modelview[i];
         s.listBase = (int32_t)programFont.listBase - glyphFirst;
     }},
    {"apply2dPreset", GL_TEXTURE, apply2dPreset,
     [](GlState& s) {
         s.enabled[0] = s.enabled[1] = true, s.enabled[2] = false, useModelview(s), setWhite(s, 1);
         s.blendSource = GL_SRC_ALPHA, s.blendDestination = GL_ONE_MINUS_SRC_ALPHA, s.textureEnvMode = GL_MODULATE;
         s.unpackAlignment = 1;
         const float ortho[16] = {2.0f / 800, 0, 0, 0, 0, -2.0f / 600, 0, 0, 0, 0, -1, 0, -1, 1, 0, 1};
         memcpy(s.projection, ortho, sizeof ortho), setIdentity(s.modelview);
     },
     [] { spoilPresetState(true, false); }},
    {"apply3dPreset", GL_TEXTURE, apply3dPreset, promise3d, [] { spoilPresetState(false, false); }},
    {"apply3dPreset, textured", GL_TEXTURE, apply3dPreset, promise3d, [] { spoilPresetState(false, true); }},
    {"rescaleImage", GL_MODELVIEW, [] { rescaleImage(stateGrid, 3, 5, GL_RGBA); }, [](GlState&) {}},
    {"uploadTexture", GL_MODELVIEW, [] { uploadTexture(stateGrid, GL_RGB); },
     [](GlState& s) { s.boundTexture = (int32_t)stateGrid.name; }},
};

TEST_F(SpriteTest, EveryDrawingRoutineLeavesExactlyTheGlStateItPromises) {
    buildGlyphFont("Arial", 120, 600, &programFont);
    ASSERT_NE(programFont.listBase, 0u);
    GLuint other = 0;
    glGenTextures(1, &other);
    for (const StateCase& c : stateCases) {
        stateGrid = makeTexture(4, 2, {red, green, blue, white, yellow, cyan, magenta, black});
        uploadTexture(stateGrid, GL_RGBA);
        apply2dPreset();
        glTranslatef(0.5f, 0.25f, 0.0f);
        glColor4ub(10, 20, 30, 40);
        glListBase(77);
        glPixelStorei(GL_PACK_ALIGNMENT, 2);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
        glLineWidth(3.0f);
        glClearColor(0.1f, 0.2f, 0.3f, 0.4f);
        glEnable(GL_SCISSOR_TEST);
        glBindTexture(GL_TEXTURE_2D, other);
        if (c.spoil) c.spoil();
        glMatrixMode(c.startMode);
        GlState expected = readGlState();
        c.call();
        c.promise(expected);  // after the call: a routine may make the texture it promises to bind
        EXPECT_EQ(glStateDifferences(expected, readGlState()), "") << c.name;
        if (c.call == apply2dPreset || c.call == apply3dPreset) {
            EXPECT_EQ(currentPreset, c.call) << c.name;
        }
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR) << c.name;
        glDisable(GL_SCISSOR_TEST);
        release(stateGrid);
    }
    glDeleteTextures(1, &other);
    freeGlyphFont(programFont.listBase);
    glListBase(0);
}

}  // namespace
