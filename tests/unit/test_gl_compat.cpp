// SPDX-License-Identifier: MIT
// The browser build's GL layer held against Mesa's own display lists, attribute stacks,
// colour-index uploads and gluScaleImage, drawing into the same real context.
#define ZELMO_GL_COMPAT_DIRECT
#include "platform/web/gl_compat.h"

#include <gtest/gtest.h>

#include <vector>

#include "gl_fixture.h"

namespace {

class GlCompatTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 800, 600, 0, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        // The layer tracks what is set through it: start both from the same state.
        compatDisable(GL_TEXTURE_2D);
        compatDisable(GL_BLEND);
        compatEnable(GL_LINE_SMOOTH);  // as the window did with GL's own call
        compatBindTexture(GL_TEXTURE_2D, 0);
        compatTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        clearToBlack();
    }

    std::vector<uint8_t> screen() {
        std::vector<uint8_t> pixels(800 * 600 * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, 800, 600, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }

    GLuint checkerTexture() {
        const GLubyte texels[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 128};
        GLuint name = 0;
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
        glBindTexture(GL_TEXTURE_2D, 0);
        return name;
    }
};

// The layer's call when layer is true, Mesa's own when it is false: the two run the same script.
#define GL_OR_LAYER(name) (layer ? compat##name : gl##name)

// A glyph-like list: texture, move to the box, a textured quad, move on by the advance.
void recordGlyph(bool layer, GLuint list, GLuint texture, float shift) {
    GL_OR_LAYER(NewList)(list, GL_COMPILE);
    GL_OR_LAYER(BindTexture)(GL_TEXTURE_2D, texture);
    GL_OR_LAYER(Translatef)(shift, 3, 0);
    GL_OR_LAYER(Begin)(GL_QUADS);
    GL_OR_LAYER(Color4ub)(255, 200, 100, 255);
    GL_OR_LAYER(TexCoord2f)(0, 0);
    GL_OR_LAYER(Vertex3f)(0, 0, 0);
    GL_OR_LAYER(TexCoord2f)(0, 1);
    GL_OR_LAYER(Vertex2f)(0, 40);
    GL_OR_LAYER(Color4ub)(90, 255, 255, 200);
    GL_OR_LAYER(TexCoord2f)(1, 1);
    GL_OR_LAYER(Vertex2i)(40, 40);
    GL_OR_LAYER(TexCoord2f)(1, 0);
    GL_OR_LAYER(Vertex3f)(40, 0, 0);
    GL_OR_LAYER(End)();
    GL_OR_LAYER(Color4ub)(10, 20, 30, 40);  // outside a primitive: GL's current colour and coordinate at once
    GL_OR_LAYER(TexCoord2f)(0.25f, 0.75f);
    GL_OR_LAYER(Translatef)(50 - shift, -3, 0);
    GL_OR_LAYER(EndList)();
}

// A quad at (10, 10), 20 wide, its first two corners green and the other two blue.
void greenBlueQuad(bool layer) {
    GL_OR_LAYER(Begin)(GL_QUADS);
    GL_OR_LAYER(Color4ub)(0, 255, 0, 255);  // given inside the primitive: every vertex after it is green
    GL_OR_LAYER(Vertex2i)(10, 10);
    GL_OR_LAYER(Vertex2i)(30, 10);
    GL_OR_LAYER(Color4ub)(0, 0, 255, 255);
    GL_OR_LAYER(Vertex2i)(30, 30);
    GL_OR_LAYER(Vertex2i)(10, 30);
    GL_OR_LAYER(End)();
}

TEST_F(GlCompatTest, ListsDrawWhatGlListsDrawAndRecordWithoutDrawing) {
    GLuint textures[2] = {checkerTexture(), checkerTexture()};
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    const GLubyte text[] = {33, 32, 33, 34};  // names below the base's first list: base + name wraps

    GLuint real = glGenLists(3);
    for (GLuint i = 0; i < 3; ++i) recordGlyph(false, real + i, textures[i % 2], 2.0f + (float)i);
    glLoadIdentity();
    glTranslatef(100, 100, 0);
    glListBase(real - 32);
    glCallLists(4, GL_UNSIGNED_BYTE, text);
    std::vector<uint8_t> expected = screen();
    GlState expectedState = readGlState();

    clearToBlack();
    GLuint compat = compatGenLists(3);
    ASSERT_NE(compat, 0u);
    for (GLuint i = 0; i < 3; ++i) recordGlyph(true, compat + i, textures[i % 2], 2.0f + (float)i);
    glLoadIdentity();
    std::vector<uint8_t> afterRecording = screen();
    size_t lit = 0;
    for (size_t i = 0; i < afterRecording.size(); i += 4)
        lit += afterRecording[i] | afterRecording[i + 1] | afterRecording[i + 2];
    EXPECT_EQ(lit, 0u) << "GL_COMPILE draws nothing while recording";
    glTranslatef(100, 100, 0);
    compatListBase(compat - 32);
    compatCallLists(4, GL_UNSIGNED_BYTE, text);
    EXPECT_EQ(screen(), expected);
    EXPECT_EQ(glStateDifferences(expectedState, readGlState()), "");
    GLfloat coord[4];
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, coord);
    EXPECT_TRUE(coord[0] == 0.25f && coord[1] == 0.75f) << coord[0] << "," << coord[1];

    // Through an int array and one by one, with a name past the lists that draws nothing.
    clearToBlack();
    glLoadIdentity();
    glTranslatef(100, 100, 0);
    const GLint names[] = {33, 32, 33, 34, 500};
    compatCallLists(5, GL_INT, names);
    EXPECT_EQ(screen(), expected);
    compatCallLists(1, GL_FLOAT, names);  // a type GL refuses: nothing

    GLuint more = compatGenLists(2);
    EXPECT_GE(more, compat + 3) << "names handed out are not handed out again";
    EXPECT_TRUE(compatIsList(more)) << "generated names are empty lists";
    compatDeleteLists(more, 2);
    EXPECT_TRUE(compatIsList(compat + 2));
    compatDeleteLists(compat, 3);
    EXPECT_FALSE(compatIsList(compat));
    clearToBlack();
    compatCallList(compat + 1);
    Rgba deleted = readPixel(120, 120);
    EXPECT_EQ(deleted.r + deleted.g + deleted.b, 0);
    EXPECT_EQ(compatGenLists(0), 0u);
    EXPECT_EQ(compatGenLists(3), compat) << "deleted names are handed out again";
    compatDeleteLists(compat, 3);
    glDeleteLists(real, 3);
    glDeleteTextures(2, textures);

    // Names 1 to 1024: one at a time every one of them is handed out and is a list, 1025 is not.
    std::vector<GLuint> singles;
    for (GLuint name; (name = compatGenLists(1)) != 0;) singles.push_back(name);
    for (GLuint name = 0; name <= 1025; ++name) ASSERT_EQ(compatIsList(name), name >= 1 && name <= 1024) << name;
    for (GLuint name : singles) compatDeleteLists(name, 1);
    EXPECT_EQ(compatGenLists(1025), 0u);
    ASSERT_EQ(compatGenLists(1024), 1u) << "the whole range at once";
    // 16384 recorded calls in all, whatever garbage came before: 256 lists of 64 calls fill them
    // exactly and a 257th records nothing.
    for (GLuint list = 1; list <= 257; ++list) {
        compatNewList(list, GL_COMPILE);
        for (int i = 0; i < 64; ++i) compatTranslatef(1, 0, 0);
        compatEndList();
    }
    GLfloat matrix[16];
    for (GLuint from : {1u, 257u}) {
        glLoadIdentity();
        for (GLuint list = from; list <= 257; ++list) compatCallList(list);
        glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
        EXPECT_EQ(matrix[12], from == 1 ? 16384.0f : 0.0f) << "from list " << from;
    }
    compatDeleteLists(1, 1024);
}

TEST_F(GlCompatTest, NestedAndExecutingListsAndTheColourOfEveryVertex) {
    GLuint lists = compatGenLists(2);
    compatNewList(lists, GL_COMPILE_AND_EXECUTE);
    greenBlueQuad(true);
    compatEndList();
    EXPECT_GT(readPixel(12, 12).g, 100) << "drawn at once";
    compatNewList(lists + 1, GL_COMPILE);
    compatTranslatef(100, 0, 0);
    compatCallList(lists);
    compatEndList();
    EXPECT_EQ(readPixel(112, 12).g, 0) << "not drawn yet";
    compatCallList(lists + 1);
    std::vector<uint8_t> seen = screen();

    clearToBlack();
    glLoadIdentity();
    for (int pass = 0; pass < 2; ++pass) {
        greenBlueQuad(false);
        glTranslatef(100, 0, 0);
    }
    EXPECT_EQ(seen, screen());
    compatDeleteLists(lists, 2);
    // A list records the call of another, not its contents: redefined, the new one runs.
    glLoadIdentity();
    clearToBlack();
    GLuint outer = compatGenLists(2), inner = outer + 1;
    compatNewList(inner, GL_COMPILE);
    compatBegin(GL_QUADS);
    compatVertex2i(300, 300);
    compatVertex2i(310, 300);
    compatVertex2i(310, 310);
    compatVertex2i(300, 310);
    compatEnd();
    compatEndList();
    compatNewList(outer, GL_COMPILE_AND_EXECUTE);
    compatCallList(inner);
    compatEndList();
    EXPECT_GT(readPixel(305, 305).b, 100);
    compatNewList(inner, GL_COMPILE);
    compatTranslatef(0, 100, 0);
    compatEndList();
    clearToBlack();
    compatCallList(outer);
    EXPECT_EQ(readPixel(305, 305).b, 0) << "the old contents were copied into the caller";
    EXPECT_EQ(readPixel(305, 405).b, 0) << "the old contents were copied into the caller";
    compatDeleteLists(outer, 2);
}

// Overlapping blended quads in runs the batching joins, each step's change before its quad breaking
// a run or not (texture, matrix, capabilities, environment, a partial quad, triangles), drawn by
// Mesa and by the layer batching: the same frame and state, and a primitive for each glEnd.
TEST_F(GlCompatTest, BatchedQuadsDrawWhatQuadByQuadDraws) {
    GLuint textures[2] = {checkerTexture(), checkerTexture()};
    std::vector<uint8_t> frames[2];
    GlState states[2];
    for (bool layer : {false, true}) {
        clearToBlack();
        glLoadIdentity();
        compatDisable(GL_BLEND);  // in GL and in the layer's view
        compatBatchQuads(layer);
        uint32_t primitives = compatPrimitivesDrawn();
        auto quad = [&](int n, int vertices, GLenum mode) {
            GL_OR_LAYER(Begin)(mode);
            for (int i = 0; i < vertices; ++i) {  // corners (0, 0), (1, 0), (1, 1), (0, 1), in two colours
                GL_OR_LAYER(Color4ub)(i < 2 ? 255 : 40, (GLubyte)(n * 70), (GLubyte)(100 + 50 * i), (GLubyte)(120 + n));
                GL_OR_LAYER(TexCoord2f)((float)(i % 3 != 0), (float)(i / 2));
                GL_OR_LAYER(Vertex2i)(10 + 20 * n + 60 * (i % 3 != 0), 10 + 10 * n + 60 * (i / 2));
            }
            GL_OR_LAYER(End)();
        };
        for (int i = 0; i < 10; ++i) {
            if (i == 0) GL_OR_LAYER(Enable)(GL_TEXTURE_2D);
            if (i == 0 || i == 2) GL_OR_LAYER(BindTexture)(GL_TEXTURE_2D, textures[0]);  // at 2 the run goes on
            if (i == 1) GL_OR_LAYER(Enable)(GL_BLEND);
            if (i == 3) GL_OR_LAYER(BindTexture)(GL_TEXTURE_2D, textures[1]);
            if (i == 4) GL_OR_LAYER(Translatef)(5, 7, 0);
            if (i == 5) GL_OR_LAYER(PushAttrib)(GL_ENABLE_BIT), GL_OR_LAYER(Disable)(GL_BLEND);
            if (i == 6) GL_OR_LAYER(PopAttrib)();
            if (i == 6 || i == 7)
                GL_OR_LAYER(TexEnvi)(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, i == 6 ? GL_REPLACE : GL_MODULATE);
            quad(i, i == 7 || i == 9 ? 3 : 4, i == 9 ? GL_TRIANGLES : GL_QUADS);  // 7: a partial quad, 9: triangles
        }
        compatFlush();
        frames[layer] = screen();
        states[layer] = readGlState();
        EXPECT_EQ(compatPrimitivesDrawn() - primitives, layer ? 10u : 0u);
    }
    compatBatchQuads(0);
    EXPECT_EQ(frames[0], frames[1]);
    EXPECT_EQ(glStateDifferences(states[0], states[1]), "");
    glDeleteTextures(2, textures);
}

TEST_F(GlCompatTest, AttributeStacksRestoreWhatTheirBitsCover) {
    GLuint textures[2] = {checkerTexture(), checkerTexture()};
    compatEnable(GL_BLEND);
    compatBindTexture(GL_TEXTURE_2D, textures[0]);
    GlState pushed = readGlState();
    compatPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT);
    compatDisable(GL_BLEND);
    compatEnable(GL_TEXTURE_2D);
    compatEnable(GL_FOG);
    compatBindTexture(GL_TEXTURE_2D, textures[1]);
    compatTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    EXPECT_TRUE(compatIsEnabled(GL_FOG));
    compatPopAttrib();
    EXPECT_EQ(glStateDifferences(pushed, readGlState()), "");
    EXPECT_TRUE(compatIsEnabled(GL_BLEND));

    // The enable bit alone leaves the texture state as it was changed.
    compatPushAttrib(GL_ENABLE_BIT);
    compatEnable(GL_TEXTURE_2D);
    compatBindTexture(GL_TEXTURE_2D, textures[1]);
    compatPopAttrib();
    pushed.boundTexture = (int32_t)textures[1];
    EXPECT_EQ(glStateDifferences(pushed, readGlState()), "");

    // Both stacks against Mesa's (16 deep too), from the state as it stands and the layer's view of
    // it, pushed with mixed bits: after each pop, and one more on the empty stacks, every piece of
    // state is Mesa's.
    const GLint alignments[] = {1, 2, 4, 8};
    std::vector<GlState> popped[2];  // by Mesa, by the layer
    for (bool layer : {false, true}) {
        for (int level = 0; level <= 16; ++level) {  // the 17th push of each is refused
            GLbitfield bits = level % 3 == 0   ? GL_ENABLE_BIT | GL_TEXTURE_BIT
                              : level % 3 == 1 ? GL_ENABLE_BIT
                                               : GL_CURRENT_BIT;
            GLbitfield clientBits = level % 3 == 1 ? GL_CLIENT_VERTEX_ARRAY_BIT : GL_CLIENT_PIXEL_STORE_BIT;
            GL_OR_LAYER(PushAttrib)(bits);
            GL_OR_LAYER(PushClientAttrib)(clientBits);
            for (int k = 0; k < 10; ++k) ((level + k) % 3 ? GL_OR_LAYER(Disable) : GL_OR_LAYER(Enable))(glStateCaps[k]);
            GL_OR_LAYER(BindTexture)(GL_TEXTURE_2D, textures[level / 2 % 2]);
            GL_OR_LAYER(TexEnvi)(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, level % 2 ? GL_REPLACE : GL_MODULATE);
            GL_OR_LAYER(PixelStorei)(GL_PACK_ALIGNMENT, alignments[level % 4]);
            GL_OR_LAYER(PixelStorei)(GL_UNPACK_ALIGNMENT, alignments[(level + 1) % 4]);
        }
        for (int pop = 0; pop <= 16; ++pop) {
            GL_OR_LAYER(PopAttrib)();
            GL_OR_LAYER(PopClientAttrib)();
            popped[layer].push_back(readGlState());
            popped[layer].back().attribDepth = popped[layer].back().clientAttribDepth =
                0;  // the layer keeps its own stacks
            for (GLenum cap : glStateCaps)
                EXPECT_TRUE(!layer || compatIsEnabled(cap) == glIsEnabled(cap)) << "pop " << pop << ", cap " << cap;
        }
    }
    for (int pop = 0; pop <= 16; ++pop)
        EXPECT_EQ(glStateDifferences(popped[0][pop], popped[1][pop]), "") << "pop " << pop;

    glPixelStorei(GL_PACK_ALIGNMENT, 2);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    GlState pixelStore = readGlState();
    compatPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    compatPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    compatPixelStorei(GL_PACK_ALIGNMENT, 4);
    compatPixelStorei(GL_UNPACK_LSB_FIRST, 1);  // not in WebGL: ignored
    compatPopClientAttrib();
    EXPECT_EQ(glStateDifferences(pixelStore, readGlState()), "");
    GLint lsbFirst = 1;
    glGetIntegerv(GL_UNPACK_LSB_FIRST, &lsbFirst);
    EXPECT_EQ(lsbFirst, 0);
    glDeleteTextures(2, textures);
}

// A quad textured with the given texture over a red-green colour, blended over grey.
void drawIndexTexture(GLuint texture, int x) {
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glColor4ub(250, 120, 30, 255);
    drawQuad((float)x, 0, (float)(x + 40), 30);
}

TEST_F(GlCompatTest, ColourIndexUploadsGoThroughShiftOffsetAndMapsAsInGl) {
    // Rows of 8, as wide as a multiple of 4 like the glyph textures (Mesa reads narrower
    // colour-index rows unpadded whatever the alignment).
    const GLubyte indices[] = {0, 1, 7, 20, 64, 2, 33, 1, 3, 60, 65, 200, 13, 40, 255, 31};
    GLfloat map[256];
    for (int i = 0; i < 256; ++i) map[i] = i <= 64 ? (float)i / 64.0f : 1.0f;
    GLuint textures[2];
    glGenTextures(2, textures);
    glClearColor(0.5f, 0.5f, 0.5f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    for (bool layer : {false, true}) {  // Mesa's texture at x 0, the layer's at x 100
        GL_OR_LAYER(PixelTransferi)(GL_INDEX_SHIFT, 1);
        GL_OR_LAYER(PixelTransferi)(GL_INDEX_OFFSET, -3);
        GL_OR_LAYER(PixelMapfv)(GL_PIXEL_MAP_I_TO_A, 256, map);
        GL_OR_LAYER(BindTexture)(GL_TEXTURE_2D, textures[layer]);
        GL_OR_LAYER(TexImage2D)(GL_TEXTURE_2D, 0, GL_ALPHA, 8, 2, 0, GL_COLOR_INDEX, GL_UNSIGNED_BYTE, indices);
        GL_OR_LAYER(PixelTransferi)(GL_INDEX_SHIFT, 0);
        GL_OR_LAYER(PixelTransferi)(GL_INDEX_OFFSET, 0);
        drawIndexTexture(textures[layer], layer ? 100 : 0);
    }

    EXPECT_EQ(readGlState().unpackAlignment, 4) << "the caller's alignment survives the upload";
    int opaque = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            Rgba gl = readPixel(x, y), compat = readPixel(100 + x, y);
            ASSERT_NEAR(gl.r, compat.r, 1) << x << "," << y;
            ASSERT_NEAR(gl.g, compat.g, 1) << x << "," << y;
            ASSERT_NEAR(gl.b, compat.b, 1) << x << "," << y;
            opaque += gl.r > 240;
        }
    }
    EXPECT_GT(opaque, 100) << "indices at and past 64 are opaque";

    // Every texel of every base format at every unpack alignment, read back, against Mesa given the
    // same rows of 9 unpadded (each alignment pads them differently); the maps' values k/64 land on
    // .25, .5 and .75 of a step once scaled to bytes, so rounding shows.
    const GLenum mapNames[] = {GL_PIXEL_MAP_I_TO_R, GL_PIXEL_MAP_I_TO_G, GL_PIXEL_MAP_I_TO_B, GL_PIXEL_MAP_I_TO_A};
    for (int m = 0; m < 4; ++m) {
        for (int i = 0; i < 256; ++i) map[i] = (float)(i * (2 * m + 3) % 65) / 64.0f;
        for (bool layer : {false, true}) GL_OR_LAYER(PixelMapfv)(mapNames[m], 256, map);
    }
    GLubyte packed[27], padded[3 * 16];
    for (int i = 0; i < 27; ++i) packed[i] = (GLubyte)(i * 29 + 5);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (GLenum format : {GL_ALPHA, GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB, GL_RGBA}) {
        for (GLint alignment : {1, 2, 4, 8}) {
            for (int i = 0; i < 27; ++i)
                padded[i / 9 * ((9 + alignment - 1) / alignment * alignment) + i % 9] = packed[i];
            std::vector<GLubyte> mesa(27 * 4), layer(27 * 4);
            glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
            glBindTexture(GL_TEXTURE_2D, textures[0]);
            glTexImage2D(GL_TEXTURE_2D, 0, (GLint)format, 9, 3, 0, GL_COLOR_INDEX, GL_UNSIGNED_BYTE, packed);
            glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, mesa.data());
            glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
            compatBindTexture(GL_TEXTURE_2D, textures[1]);
            compatTexImage2D(GL_TEXTURE_2D, 0, (GLint)format, 9, 3, 0, GL_COLOR_INDEX, GL_UNSIGNED_BYTE, padded);
            glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, layer.data());
            EXPECT_EQ(mesa, layer) << format << " at alignment " << alignment;
            EXPECT_EQ(readGlState().unpackAlignment, alignment);
        }
    }
    glDeleteTextures(2, textures);
}

TEST_F(GlCompatTest, ScalingAgreesWithGluWhenItShrinksAndHalves) {
    struct Case {
        GLenum format;
        int components, widthIn, heightIn, widthOut, heightOut, unpack, pack;
    };
    const Case cases[] = {
        {GL_COLOR_INDEX, 1, 61, 87, 32, 32, 4, 4},  // a glyph onto its texture
        {GL_RGBA, 4, 64, 64, 32, 32, 1, 1},         // exact halving
        {GL_RGB, 3, 50, 30, 7, 5, 1, 4},            // odd rows on both sides
        {GL_LUMINANCE_ALPHA, 2, 9, 9, 3, 2, 2, 8},
        {GL_LUMINANCE, 1, 14, 14, 13, 13, 1, 1},  // 13 x (14 / 13) in floats is past the last pixel
        {GL_RGB, 3, 11, 7, 3, 2, 8, 8},           // rows padded to 8, not to 4, on both sides
    };
    for (const Case& c : cases) {
        auto stride = [&](int width, int alignment) {
            return (width * c.components + alignment - 1) / alignment * alignment;
        };
        std::vector<GLubyte> in((size_t)stride(c.widthIn, c.unpack) * c.heightIn);  // exactly: ASan sees a byte past it
        for (size_t i = 0; i < in.size(); ++i) in[i] = (GLubyte)((i * 37u + (i / 7u) * 11u) % 256u);
        size_t outSize = (size_t)stride(c.widthOut, c.pack) * c.heightOut;
        std::vector<GLubyte> glu(outSize + 8, 0xEE), compat(outSize + 8, 0xEE);
        glPixelStorei(GL_UNPACK_ALIGNMENT, c.unpack);
        glPixelStorei(GL_PACK_ALIGNMENT, c.pack);
        ASSERT_EQ(gluScaleImage(c.format, c.widthIn, c.heightIn, GL_UNSIGNED_BYTE, in.data(), c.widthOut, c.heightOut,
                                GL_UNSIGNED_BYTE, glu.data()),
                  0);
        ASSERT_EQ(compatScaleImage(c.format, c.widthIn, c.heightIn, GL_UNSIGNED_BYTE, in.data(), c.widthOut,
                                   c.heightOut, GL_UNSIGNED_BYTE, compat.data()),
                  0);
        for (int y = 0; y < c.heightOut; ++y)
            for (int x = 0; x < c.widthOut * c.components; ++x) {
                size_t at = (size_t)y * stride(c.widthOut, c.pack) + x;
                int tolerance = c.widthIn == 2 * c.widthOut ? 0 : 1;  // halving is exact in both
                ASSERT_NEAR(glu[at], compat[at], tolerance)
                    << c.widthIn << "x" << c.heightIn << " at " << x << "," << y;
            }
        EXPECT_EQ(compat[outSize], 0xEE) << "nothing written past the last row";
    }
    GLubyte byte = 0;
    EXPECT_EQ(compatScaleImage(GL_RGBA, -1, 1, GL_UNSIGNED_BYTE, &byte, 1, 1, GL_UNSIGNED_BYTE, &byte),
              GLU_INVALID_VALUE);
    EXPECT_EQ(compatScaleImage(GL_RGBA, 1, 1, GL_FLOAT, &byte, 1, 1, GL_UNSIGNED_BYTE, &byte), GLU_INVALID_ENUM);
    EXPECT_EQ(compatScaleImage(GL_BGRA, 1, 1, GL_UNSIGNED_BYTE, &byte, 1, 1, GL_UNSIGNED_BYTE, &byte),
              GLU_INVALID_ENUM);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
}

}  // namespace
