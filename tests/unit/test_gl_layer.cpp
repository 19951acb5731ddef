// SPDX-License-Identifier: MIT
// The page's GL layer on Mesa's OpenGL ES 2 held against Mesa's own GL 1.1: the same calls drawn by
// each, the frames and the whole state they leave compared.
#define ZELMO_GL_LAYER_DIRECT
#include "platform/web/gl_layer.h"
#include "platform/web/gl_layer_parts.h"

#include <EGL/egl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "gl_fixture.h"

namespace {

// The layer's call when layer is true, Mesa's GL 1.1 call when it is false; calls for either.
#define either(name) (layer ? zgl##name : gl##name)
#define CALLS(...) [&]([[maybe_unused]] bool layer) { __VA_ARGS__; }

const GlQueries layerQueries = {zglIsEnabled, zglGetIntegerv, zglGetFloatv, zglGetTexEnviv};

// Mesa's ES 2 in an 800 x 600 pbuffer of its own beside the test window's GL 1.1 context; run()
// makes the one or the other current.
class GlLayerTest : public GlTest {
protected:
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext glContext = EGL_NO_CONTEXT, esContext = EGL_NO_CONTEXT;
    EGLSurface glDraw = EGL_NO_SURFACE, glRead = EGL_NO_SURFACE, esSurface = EGL_NO_SURFACE;

    void SetUp() override {
        GlTest::SetUp();
        display = eglGetCurrentDisplay();
        glContext = eglGetCurrentContext();
        glDraw = eglGetCurrentSurface(EGL_DRAW);
        glRead = eglGetCurrentSurface(EGL_READ);
        // The window's own configuration, so that both pack colours into the same pixel format.
        EGLint id = 0, count = 0;
        eglQueryContext(display, glContext, EGL_CONFIG_ID, &id);
        const EGLint byId[] = {EGL_CONFIG_ID, id, EGL_NONE};
        const EGLint size[] = {EGL_WIDTH, 800, EGL_HEIGHT, 600, EGL_NONE},
                     version[] = {EGL_CONTEXT_CLIENT_VERSION, 2, EGL_NONE};
        EGLConfig config;
        ASSERT_TRUE(eglChooseConfig(display, byId, &config, 1, &count) && count == 1);
        eglBindAPI(EGL_OPENGL_ES_API);
        esSurface = eglCreatePbufferSurface(display, config, size);
        esContext = eglCreateContext(display, config, EGL_NO_CONTEXT, version);
        ASSERT_TRUE(esSurface != EGL_NO_SURFACE && esContext != EGL_NO_CONTEXT);
        run(true, [](bool) { zglStart(800, 600); });
        // Both from the state the test window starts with.
        run(true, [](bool layer) {
            either(DepthFunc)(GL_LEQUAL), either(LineWidth)(2), either(Enable)(GL_LINE_SMOOTH),
                either(Fogf)(GL_FOG_END, 0.7f);
            either(Fogi)(GL_FOG_MODE, GL_LINEAR), either(Fogf)(GL_FOG_DENSITY, 0.35f), either(Fogf)(GL_FOG_START, 1);
            either(Hint)(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
        });
    }

    void TearDown() override {
        use(false);
        eglDestroyContext(display, esContext);
        eglDestroySurface(display, esSurface);
        GlTest::TearDown();
    }

    void use(bool layer) {
        eglBindAPI(layer ? EGL_OPENGL_ES_API : EGL_OPENGL_API);
        if (layer) eglMakeCurrent(display, esSurface, esSurface, esContext);
        else eglMakeCurrent(display, glDraw, glRead, glContext);
    }

    void run(bool layer, const std::function<void(bool)>& calls) {
        use(layer);
        calls(layer);
    }

    // The frame's red, green and blue, and the state, as drawn by each side.
    std::vector<uint8_t> frame(bool layer) {
        std::vector<uint8_t> pixels(800 * 600 * 3);
        either(PixelStorei)(GL_PACK_ALIGNMENT, 1);
        either(ReadPixels)(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }
    GlState state(bool layer) { return readGlState(layer ? &layerQueries : nullptr); }

    // Runs the calls on both sides: the same frames and the same state. Mesa rounds a fixed-function
    // fragment its own way, so channels may be a step apart (by default: apart is more than 2), and a
    // few more where an alpha test's reference or a primitive's edge falls between the two; a state
    // misapplied to a primitive moves thousands.
    void expectSameDrawing(const std::function<void(bool)>& calls, int apart = 2) {
        std::vector<uint8_t> frames[2];
        GlState states[2];
        for (bool layer : {false, true}) {
            run(layer, calls);
            frames[layer] = frame(layer);
            states[layer] = state(layer);
        }
        size_t off = 0;
        for (size_t i = 0; i < frames[0].size(); ++i) off += abs(frames[0][i] - frames[1][i]) > apart;
        EXPECT_LE(off, apart ? 100u : 0u) << "channels more than " << apart << " apart";
        EXPECT_EQ(glStateDifferences(states[0], states[1]), "");
        use(true);
        EXPECT_EQ(zglGetError(), (GLenum)GL_NO_ERROR);
    }
};

// A w x h texture of bytes made from seed, uploaded from format into internal format.
GLuint texture(bool layer, GLint internal, GLenum format, int w, int h, int seed, GLint filter, GLint wrap) {
    std::vector<GLubyte> bytes(w * h * 4);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = (GLubyte)(i * 53 + seed * 29 + (i % 4 == 3 ? 120 : 0));
    GLuint name;
    either(GenTextures)(1, &name);
    either(BindTexture)(GL_TEXTURE_2D, name);
    either(PixelStorei)(GL_UNPACK_ALIGNMENT, 1);
    either(TexImage2D)(GL_TEXTURE_2D, 0, internal, w, h, 0, format, GL_UNSIGNED_BYTE, bytes.data());
    either(TexParameteri)(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    either(TexParameteri)(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter == GL_NEAREST ? GL_NEAREST : GL_LINEAR);
    either(TexParameteri)(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    either(TexParameteri)(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    return name;
}

// A primitive over the box at z, its corners in four colours, texture coordinates 0 to reach.
void shape(bool layer, GLenum mode, float x, float y, float w, float h, float z = 0, float reach = 1) {
    const float corners[6][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0.5f, 1.2f}, {0.2f, 0.6f}};
    const int order[6] = {0, 1, 2, 3, 4, 5}, strip[6] = {0, 3, 1, 2, 5, 4};
    int count = mode == GL_QUADS ? 4 : mode == GL_TRIANGLES ? 3 : mode == GL_LINES ? 4 : 6;
    either(Begin)(mode);
    for (int i = 0; i < count; ++i) {
        const float* c = corners[mode == GL_TRIANGLE_STRIP || mode == GL_QUAD_STRIP ? strip[i] : order[i]];
        either(Color4ub)((GLubyte)(255 - 40 * i), (GLubyte)(60 + 30 * i), (GLubyte)(90 * (i % 3)),
                         (GLubyte)(250 - 25 * i));
        either(TexCoord2f)(c[0] * reach, c[1] * reach);
        either(Vertex3f)(x + c[0] * w, y + c[1] * h, z * c[0]);
    }
    either(End)();
}

// A quad over the box with texture coordinates 0 to 1, in the current colour.
void texturedQuad(bool layer, float x, float y, float w, float h) {
    either(Begin)(GL_QUADS);
    for (int i = 0; i < 4; ++i)
        either(TexCoord2f)((float)(i % 3 != 0), (float)(i / 2)),
            either(Vertex2f)(x + w * (i % 3 != 0), y + h * (i / 2));
    either(End)();
}

// Each step changes one piece of state (or none) and draws overlapping its neighbour: a draw the
// layer joins to the one before while something differs shows in the frame.
TEST_F(GlLayerTest, EveryStateChangeDrawsAsMesaDrawsIt) {
    uint32_t runDraws = 0;
    expectSameDrawing([&](bool layer) {
        either(ClearColor)(0.1f, 0.2f, 0.4f, 1), either(Clear)(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        either(MatrixMode)(GL_PROJECTION), either(LoadIdentity)(), either(Ortho)(0, 800, 600, 0, -10, 10);
        either(MatrixMode)(GL_MODELVIEW), either(LoadIdentity)(), either(Disable)(GL_LINE_SMOOTH);
        GLuint t[6] = {texture(layer, GL_RGBA, GL_RGBA, 4, 4, 1, GL_LINEAR, GL_CLAMP),
                       texture(layer, GL_ALPHA, GL_RGBA, 8, 2, 2, GL_LINEAR, GL_CLAMP),
                       texture(layer, 1, GL_RGB, 2, 2, 3, GL_NEAREST, GL_REPEAT),
                       texture(layer, GL_LUMINANCE_ALPHA, GL_RGBA, 2, 2, 4, GL_NEAREST, GL_CLAMP_TO_EDGE),
                       texture(layer, 3, GL_RGBA, 3, 3, 5, GL_NEAREST, GL_CLAMP_TO_EDGE),
                       texture(layer, GL_RGBA, GL_LUMINANCE, 2, 2, 6, GL_LINEAR_MIPMAP_LINEAR, GL_CLAMP)};
        std::vector<GLubyte> grey(16, 90);
        GLenum mode = GL_QUADS;
        const std::function<void(bool)> steps[] = {
            CALLS(either(Enable)(GL_TEXTURE_2D), either(BindTexture)(GL_TEXTURE_2D, t[0]), either(Enable)(GL_BLEND)),
            CALLS(either(BlendFunc)(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA)),
            CALLS(either(BindTexture)(GL_TEXTURE_2D, t[1])),
            CALLS(either(TexEnvi)(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE)),
            CALLS(either(BindTexture)(GL_TEXTURE_2D, t[0])),
            CALLS(either(TexEnvi)(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL)),
            CALLS(either(TexEnvi)(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_BLEND)),
            CALLS(either(TexEnvi)(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_ADD)),
            CALLS(either(BindTexture)(GL_TEXTURE_2D, t[2]),
                  either(TexEnvi)(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE)),
            CALLS(either(BindTexture)(GL_TEXTURE_2D, t[3])),
            CALLS(either(TexEnvi)(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE)),
            CALLS(either(BindTexture)(GL_TEXTURE_2D, t[4]),
                  either(TexEnvi)(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL)),
            CALLS(either(BindTexture)(GL_TEXTURE_2D, t[5])),  // incomplete: untextured
            CALLS(either(TexEnvi)(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE), either(Disable)(GL_TEXTURE_2D)),
            CALLS(either(Enable)(GL_TEXTURE_2D), either(BindTexture)(GL_TEXTURE_2D, t[0]),
                  either(Enable)(GL_ALPHA_TEST)),
            CALLS(either(AlphaFunc)(GL_GREATER, 0.45f)),
            CALLS(either(AlphaFunc)(GL_LEQUAL, 0.6f)),
            CALLS(either(Disable)(GL_TEXTURE_2D), either(AlphaFunc)(GL_EQUAL, 200 / 255.0f),
                  either(Color4ub)(9, 99, 199, 200), texturedQuad(layer, 600, 120, 90, 40),
                  either(Enable)(GL_TEXTURE_2D)),
            CALLS(either(Disable)(GL_ALPHA_TEST), either(BlendFunc)(GL_ONE, GL_ONE)),
            CALLS(either(BlendFunc)(GL_ONE, GL_SRC_COLOR)),  // the destination alone
            CALLS(either(BlendFunc)(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA), either(Enable)(GL_FOG),
                  either(Fogf)(GL_FOG_START, 1), either(Fogf)(GL_FOG_END, 5)),
            CALLS(either(Fogi)(GL_FOG_MODE, GL_EXP), either(Fogf)(GL_FOG_DENSITY, 0.2f)),
            CALLS(const GLfloat colour[4] = {0.9f, 0.5f, 0.1f, 1}; either(Fogfv)(GL_FOG_COLOR, colour)),
            CALLS(either(Fogi)(GL_FOG_MODE, GL_EXP2)),
            CALLS(either(Disable)(GL_FOG), either(Enable)(GL_DEPTH_TEST)),
            CALLS(either(DepthMask)(GL_FALSE)),
            CALLS(either(DepthFunc)(GL_GREATER), either(DepthMask)(GL_TRUE)),
            CALLS(either(Disable)(GL_DEPTH_TEST), either(Enable)(GL_CULL_FACE)),
            CALLS(either(Disable)(GL_CULL_FACE), either(Enable)(GL_SCISSOR_TEST), either(Scissor)(300, 200, 80, 200)),
            CALLS(either(ClearColor)(0.6f, 0.1f, 0.1f, 1), either(Clear)(GL_COLOR_BUFFER_BIT),
                  either(Disable)(GL_SCISSOR_TEST)),
            CALLS(either(Viewport)(30, 20, 800, 600)),
            CALLS(either(Viewport)(0, 0, 800, 600), either(PushMatrix)(), either(Translatef)(20, 5, 0),
                  either(Scalef)(0.8f, 1.2f, 1)),
            CALLS(either(PopMatrix)(), either(MatrixMode)(GL_TEXTURE), either(Scalef)(2, 1.5f, 1),
                  either(MatrixMode)(GL_MODELVIEW)),
            CALLS(either(MatrixMode)(GL_TEXTURE), either(LoadIdentity)(), either(MatrixMode)(GL_MODELVIEW),
                  mode = GL_TRIANGLES),
            CALLS(mode = GL_TRIANGLE_STRIP),
            CALLS(mode = GL_TRIANGLE_FAN),
            CALLS(mode = GL_POLYGON),
            CALLS(mode = GL_QUAD_STRIP),
            CALLS(either(Disable)(GL_TEXTURE_2D), either(LineWidth)(3), mode = GL_LINES),
            CALLS(mode = GL_LINE_STRIP),
            CALLS(mode = GL_LINE_LOOP),
            CALLS(either(Enable)(GL_TEXTURE_2D), mode = GL_QUADS),
            // The pixels and parameters of a texture the quads above drew with, changed: they keep theirs.
            CALLS(either(TexImage2D)(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, grey.data())),
            CALLS(either(TexParameteri)(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST),
                  either(BindTexture)(GL_TEXTURE_2D, t[1])),
            CALLS(either(DeleteTextures)(1, &t[1]),
                  t[1] = texture(layer, 2, GL_LUMINANCE_ALPHA, 2, 2, 7, GL_LINEAR, GL_CLAMP)),
        };
        int cell = 0;
        for (const auto& step : steps) {
            step(layer);
            shape(layer, mode, 15.0f + (float)(cell % 8) * 96, 15.0f + (float)(cell / 8) * 96, 110, 80, 6, 1.3f);
            ++cell;
        }
        // Quads with only the matrix moved between them, as a text's glyphs: one ES draw.
        if (layer) zglFlush(), runDraws = zglDrawCalls();
        for (int i = 0; i < 6; ++i) either(Translatef)(20, 0, 0), shape(layer, GL_QUADS, 15, 520, 30, 30);
        if (layer) zglFlush(), runDraws = zglDrawCalls() - runDraws;
        either(DeleteTextures)(6, t);
    });
    EXPECT_EQ(runDraws, 1u);
}

// Pixel space (one unit a pixel, y down, as the 2D preset sets it), cleared to black.
void pixelSpace(bool layer) {
    either(ClearColor)(0, 0, 0, 1), either(Clear)(GL_COLOR_BUFFER_BIT);
    either(MatrixMode)(GL_PROJECTION), either(LoadIdentity)(), (layer ? zgluOrtho2D : gluOrtho2D)(0, 800, 600, 0);
    either(MatrixMode)(GL_MODELVIEW), either(LoadIdentity)();
}

// A glyph's list as the font compiles one: its texture, a move to its box, a quad, a move on.
void glyphList(bool layer, GLuint list, GLuint texture, float shift) {
    either(NewList)(list, GL_COMPILE);
    either(BindTexture)(GL_TEXTURE_2D, texture);
    either(Translatef)(shift, 3, 0);
    texturedQuad(layer, 0, 0, 40,
                 40);  // in one colour, as a glyph's (Mesa splits a list's quads otherwise than others')
    either(Color4ub)(10, 20, 230, 200);  // after the primitive: the current colour and coordinate change
    either(TexCoord2f)(0.25f, 0.75f);
    either(Translatef)(50 - shift, -3, 0);
    either(EndList)();
}

TEST_F(GlLayerTest, ListsDrawAsMesaListsDraw) {
    std::vector<GLenum> answers[2];  // errors and list names, in order
    expectSameDrawing([&](bool layer) {
        auto answer = [&](GLenum value) { answers[layer].push_back(value); };
        pixelSpace(layer);
        GLuint textures[2] = {texture(layer, GL_RGBA, GL_RGBA, 4, 4, 1, GL_LINEAR, GL_CLAMP),
                              texture(layer, GL_ALPHA, GL_RGBA, 8, 2, 2, GL_LINEAR, GL_CLAMP)};
        either(Enable)(GL_TEXTURE_2D), either(Enable)(GL_BLEND),
            either(BlendFunc)(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        GLuint glyphs = either(GenLists)(3);  // compiled, not drawn
        for (GLuint i = 0; i < 3; ++i) glyphList(layer, glyphs + i, textures[i % 2], 2.0f + (float)i);
        either(Translatef)(100, 100, 0), either(ListBase)(glyphs - 32);
        const GLubyte text[] = {33, 32, 33, 34, 0, 200};  // names below the base's first wrap; 200 names no list
        either(CallLists)(6, GL_UNSIGNED_BYTE, text);
        const GLint names[] = {34, 33, 32};
        const GLubyte pairs[] = {0, 33, 0, 34};
        either(CallLists)(3, GL_INT, names), either(CallLists)(2, GL_2_BYTES, pairs),
            either(CallLists)(1, GL_DOUBLE, names);
        answer(either(GetError)());
        // A list records the call of another, not its contents: the inner list redefined, the new one runs.
        GLuint outer = either(GenLists)(2), inner = outer + 1;
        either(NewList)(inner, GL_COMPILE), shape(layer, GL_TRIANGLE_FAN, -100, 300, 60, 60), either(EndList)();
        either(NewList)(outer, GL_COMPILE_AND_EXECUTE);  // drawn as it is compiled
        either(Translatef)(0, 10, 0), either(CallList)(inner), either(EndList)();
        either(NewList)(inner, GL_COMPILE), either(Scalef)(1.2f, 0.8f, 1);
        shape(layer, GL_TRIANGLES, -100, 300, 60, 60), either(EndList)();
        either(CallList)(outer), either(DeleteLists)(inner, 1), either(CallList)(outer);
        for (GLuint name : {glyphs, inner, outer + 2, either(GenLists)(0), either(GenLists)(2), either(GenLists)(1)})
            answer(name);
        answer(either(IsList)(inner)), answer(either(IsList)(glyphs + 2));
        either(NewList)(0, GL_COMPILE), answer(either(GetError)()), either(EndList)(), answer(either(GetError)());
        either(DeleteLists)(glyphs, 3), either(DeleteTextures)(2, textures);
    });
    EXPECT_EQ(answers[0], answers[1]);

    // The layer's own bounds: names 1 to 1024, and 16384 recorded calls in all whatever garbage came
    // before (256 lists of 64 calls fill them exactly, a 257th records nothing).
    use(true);
    zglDeleteLists(1, 1024);
    GLuint singles = 0;
    while (zglGenLists(1) != 0) ++singles;
    EXPECT_EQ(singles, 1024u);
    for (GLuint name = 0; name <= 1025; ++name) ASSERT_EQ(zglIsList(name), name >= 1 && name <= 1024) << name;
    zglDeleteLists(1, 1024);
    EXPECT_EQ(zglGenLists(1025), 0u);
    ASSERT_EQ(zglGenLists(1024), 1u) << "the whole range at once";
    for (GLuint list = 1; list <= 257; ++list) {
        zglNewList(list, GL_COMPILE);
        for (int i = 0; i < 64; ++i) zglTranslatef(1, 0, 0);
        zglEndList();
    }
    EXPECT_EQ(zglGetError(), (GLenum)GL_OUT_OF_MEMORY);
    GLfloat matrix[16];
    for (GLuint from : {1u, 257u}) {
        zglLoadIdentity();
        for (GLuint list = from; list <= 257; ++list) zglCallList(list);
        zglGetFloatv(GL_MODELVIEW_MATRIX, matrix);
        EXPECT_EQ(matrix[12], from == 1 ? 16384.0f : 0.0f) << "from list " << from;
    }
}

// Both stacks 17 pushes deep (the last refused) with mixed bits and the state changed between, the
// matrix stacks past their depths, popped again past their bottoms: after every pop the state, and
// every query the layer answers, as Mesa answers it.
TEST_F(GlLayerTest, StacksAndQueriesAnswerAsMesaDoes) {
    // By kind: colours and depth, fog and lines, boxes and stacks, lists and pixels.
    const std::vector<GLenum> names[] = {
        {GL_ALPHA_TEST_FUNC, GL_ALPHA_TEST_REF, GL_DEPTH_FUNC, GL_DEPTH_WRITEMASK, GL_DEPTH_CLEAR_VALUE,
         GL_CURRENT_COLOR, GL_COLOR_CLEAR_VALUE, GL_CURRENT_TEXTURE_COORDS, GL_BLEND_DST, GL_BLEND, GL_DITHER},
        {GL_FOG_MODE, GL_FOG_DENSITY, GL_FOG_START, GL_FOG_END, GL_FOG_COLOR, GL_FOG, GL_SHADE_MODEL, GL_LINE_WIDTH,
         GL_FOG_HINT, GL_LINE_SMOOTH_HINT, GL_PERSPECTIVE_CORRECTION_HINT},
        {GL_SCISSOR_BOX, GL_VIEWPORT, GL_TEXTURE_STACK_DEPTH, GL_MAX_MODELVIEW_STACK_DEPTH,
         GL_MAX_PROJECTION_STACK_DEPTH, GL_MAX_TEXTURE_STACK_DEPTH, GL_MAX_ATTRIB_STACK_DEPTH,
         GL_MAX_CLIENT_ATTRIB_STACK_DEPTH},
        {GL_LIST_BASE, GL_LIST_INDEX, GL_LIST_MODE, GL_MAX_LIST_NESTING, GL_INDEX_SHIFT, GL_INDEX_OFFSET,
         GL_PIXEL_MAP_I_TO_A_SIZE, GL_UNPACK_ROW_LENGTH}};
    const GLbitfield bits[] = {GL_ENABLE_BIT | GL_TEXTURE_BIT,
                               GL_ENABLE_BIT,
                               GL_CURRENT_BIT,
                               GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT,
                               GL_FOG_BIT | GL_LINE_BIT | GL_SCISSOR_BIT,
                               GL_VIEWPORT_BIT | GL_TRANSFORM_BIT | GL_LIST_BIT | GL_HINT_BIT,
                               GL_LIGHTING_BIT | GL_POLYGON_BIT | GL_TEXTURE_BIT,
                               GL_ALL_ATTRIB_BITS};
    std::vector<GlState> states[2];
    std::vector<std::string> answers[2];  // each name's values as floats, integers and booleans
    for (bool layer : {false, true}) {
        run(layer, [&](bool layer) {
            auto look = [&] {
                states[layer].push_back(state(layer));
                answers[layer].push_back("error " + std::to_string(either(GetError)()));
                for (const auto& kind : names)
                    for (GLenum name : kind) {
                        struct {
                            GLfloat f[16];
                            GLint i[16];
                            GLboolean b[16];
                        } v = {};
                        either(GetFloatv)(name, v.f), either(GetIntegerv)(name, v.i), either(GetBooleanv)(name, v.b);
                        std::string text =
                            "look " + std::to_string(states[layer].size()) + ", name " + std::to_string(name);
                        for (int k = 0; k < 16; ++k)
                            text += " " + std::to_string(v.f[k]) + "/" + std::to_string(v.i[k]) + "/" +
                                    std::to_string(v.b[k]);
                        answers[layer].push_back(text);
                    }
            };
            GLuint textures[2];
            either(GenTextures)(2, textures);
            for (int level = 0; level <= 16; ++level) {
                either(PushAttrib)(bits[level % 8]);
                either(PushClientAttrib)(level % 3 ? GL_CLIENT_PIXEL_STORE_BIT : GL_CLIENT_VERTEX_ARRAY_BIT);
                for (int k = 0; k < 10; ++k) ((level + k) % 3 ? either(Disable) : either(Enable))(glStateCaps[k]);
                either(BindTexture)(GL_TEXTURE_2D, textures[level / 2 % 2]);
                either(TexEnvi)(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, level % 2 ? GL_REPLACE : GL_DECAL);
                either(Color4ub)((GLubyte)(level * 13), 200, (GLubyte)(255 - level), (GLubyte)(level * 7));
                either(TexCoord2f)((float)level / 3, 0.5f);
                either(BlendFunc)(GL_ONE, level % 2 ? GL_SRC_COLOR : GL_DST_ALPHA);
                either(AlphaFunc)(GL_NOTEQUAL, (float)level / 19);
                either(DepthFunc)(level % 2 ? GL_GEQUAL : GL_NEVER);
                either(DepthMask)(level % 2 ? GL_TRUE : GL_FALSE), either(ClearDepth)((double)level / 17);
                either(ClearColor)(0.1f * (float)(level % 10), 0.5f, 1, 0.25f);
                either(Fogf)(GL_FOG_START, (float)level), either(Fogi)(GL_FOG_MODE, level % 2 ? GL_EXP : GL_EXP2);
                const GLfloat fogColour[4] = {0.25f, (float)level / 16, 1, 0.5f};
                either(Fogfv)(GL_FOG_COLOR, fogColour), either(LineWidth)(1.0f + (float)level / 4);
                either(Scissor)(level, 2 * level, 300 - level, 200);
                either(Viewport)(-level, level, 640 + level, 480);
                either(MatrixMode)(level % 3 == 0 ? GL_TEXTURE : level % 3 == 1 ? GL_PROJECTION : GL_MODELVIEW);
                either(PushMatrix)(), either(Translatef)((float)level, 0.5f, -1);
                either(Scalef)(1.5f, (float)level, 2), either(ListBase)((GLuint)level * 1000000000u);
                either(Hint)(GL_FOG_HINT, level % 2 ? GL_NICEST : GL_FASTEST), either(ShadeModel)(GL_SMOOTH);
                either(PixelStorei)(GL_PACK_ALIGNMENT, 1 << level % 4);
                either(PixelStorei)(GL_UNPACK_ALIGNMENT, 1 << (level + 1) % 4);
                either(PixelTransferi)(GL_INDEX_SHIFT, level - 3);
                look();
            }
            for (int pop = 0; pop <= 17; ++pop) either(PopAttrib)(), either(PopClientAttrib)(), look();
            for (GLenum mode : {GL_MODELVIEW, GL_PROJECTION, GL_TEXTURE}) {
                either(MatrixMode)(mode);
                for (int k = 0; k <= 33; ++k)
                    either(PushMatrix)(), either(Translatef)((float)k, 1, 0), either(Scalef)(1.5f, 1, 1);
                look();
                for (int k = 0; k <= 34; ++k) {
                    either(PopMatrix)();
                    if (k % 4 == 0 || k >= 30) look();
                }
            }
            either(DeleteTextures)(2, textures);
        });
    }
    ASSERT_EQ(states[0].size(), states[1].size());
    for (size_t i = 0; i < states[0].size(); ++i)
        EXPECT_EQ(glStateDifferences(states[0][i], states[1][i]), "") << "look " << i;
    ASSERT_EQ(answers[0].size(), answers[1].size());
    for (size_t i = 0; i < answers[0].size(); ++i) ASSERT_EQ(answers[0][i], answers[1][i]);
}

// Every source format into every internal format at every unpack alignment, colour indices through
// the shift, offset and maps (each map's k / 64 lands between bytes, so rounding shows): each
// texture drawn texel for texel, once replacing the colour and once blended over grey by its alpha.
// Mesa is given the rows packed, the layer padded to the alignment.
TEST_F(GlLayerTest, UploadsConvertAsMesaConverts) {
    expectSameDrawing(
        [](bool layer) {
            pixelSpace(layer);
            either(ClearColor)(0.5f, 0.5f, 0.5f, 1);
            either(Clear)(GL_COLOR_BUFFER_BIT);
            either(Enable)(GL_TEXTURE_2D);
            either(BlendFunc)(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            const GLenum maps[4] = {GL_PIXEL_MAP_I_TO_R, GL_PIXEL_MAP_I_TO_G, GL_PIXEL_MAP_I_TO_B, GL_PIXEL_MAP_I_TO_A};
            for (int m = 0; m < 4; ++m) {
                GLfloat map[256];
                for (int i = 0; i < 256; ++i) map[i] = (float)(i * (2 * m + 3) % 65) / 64.0f;
                either(PixelMapfv)(maps[m], 256, map);
            }
            either(PixelTransferi)(GL_INDEX_SHIFT, -1);
            either(PixelTransferi)(GL_INDEX_OFFSET, 7);
            GLubyte packed[9 * 3 * 4], padded[16 * 3 * 4];
            for (size_t i = 0; i < sizeof packed; ++i) packed[i] = (GLubyte)(i * 29 + 5);
            int cell = 0;
            for (GLenum format : {GL_ALPHA, GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB, GL_RGBA, GL_COLOR_INDEX}) {
                for (GLint internal : {GL_ALPHA, 1, 2, 3, 4}) {
                    for (GLint alignment : {1, 2, 4, 8}) {
                        int row = 9 * (int)zglComponents(format);
                        int stride = (row + alignment - 1) / alignment * alignment;
                        for (int i = 0; i < 3 * row; ++i) padded[i / row * stride + i % row] = packed[i];
                        GLuint name;
                        either(GenTextures)(1, &name);
                        either(BindTexture)(GL_TEXTURE_2D, name);
                        either(TexParameteri)(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
                        either(TexParameteri)(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
                        either(PixelStorei)(GL_UNPACK_ALIGNMENT, layer ? alignment : 1);
                        either(TexImage2D)(GL_TEXTURE_2D, 0, internal, 9, 3, 0, format, GL_UNSIGNED_BYTE,
                                           layer ? padded : packed);
                        for (bool blended : {false, true}) {
                            either(TexEnvi)(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, blended ? GL_MODULATE : GL_REPLACE);
                            (blended ? either(Enable) : either(Disable))(GL_BLEND);
                            either(Color4ub)(255, 255, 255, 255);
                            texturedQuad(layer, (float)(cell % 20 * 40), (float)(cell / 20 * 32 + 16 * blended), 36,
                                         12);
                        }
                        either(DeleteTextures)(1, &name);
                        ++cell;
                    }
                }
            }
            either(PixelTransferi)(GL_INDEX_SHIFT, 0);
            either(PixelTransferi)(GL_INDEX_OFFSET, 0);
            either(PixelStorei)(GL_UNPACK_ALIGNMENT, 4);
        },
        0);
}

TEST_F(GlLayerTest, ScaleImageAgreesWithGlu) {
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
    use(true);
    for (const Case& c : cases) {
        auto stride = [&](int width, int alignment) {
            return (width * c.components + alignment - 1) / alignment * alignment;
        };
        std::vector<GLubyte> in((size_t)stride(c.widthIn, c.unpack) * c.heightIn);  // exactly: ASan sees a byte past it
        for (size_t i = 0; i < in.size(); ++i) in[i] = (GLubyte)((i * 37u + (i / 7u) * 11u) % 256u);
        size_t outSize = (size_t)stride(c.widthOut, c.pack) * c.heightOut;
        std::vector<GLubyte> glu(outSize + 8, 0xEE), layer(outSize + 8, 0xEE);
        glPixelStorei(GL_UNPACK_ALIGNMENT, c.unpack);  // GLU reads the current context's: the layer's ES one
        glPixelStorei(GL_PACK_ALIGNMENT, c.pack);
        zglPixelStorei(GL_UNPACK_ALIGNMENT, c.unpack);
        zglPixelStorei(GL_PACK_ALIGNMENT, c.pack);
        ASSERT_EQ(gluScaleImage(c.format, c.widthIn, c.heightIn, GL_UNSIGNED_BYTE, in.data(), c.widthOut, c.heightOut,
                                GL_UNSIGNED_BYTE, glu.data()),
                  0);
        ASSERT_EQ(zgluScaleImage(c.format, c.widthIn, c.heightIn, GL_UNSIGNED_BYTE, in.data(), c.widthOut, c.heightOut,
                                 GL_UNSIGNED_BYTE, layer.data()),
                  0);
        for (int y = 0; y < c.heightOut; ++y)
            for (int x = 0; x < c.widthOut * c.components; ++x) {
                size_t at = (size_t)y * stride(c.widthOut, c.pack) + x;
                int tolerance = c.widthIn == 2 * c.widthOut ? 0 : 1;  // halving is exact in both
                ASSERT_NEAR(glu[at], layer[at], tolerance) << c.widthIn << "x" << c.heightIn << " at " << x << "," << y;
            }
        EXPECT_EQ(layer[outSize], 0xEE) << "nothing written past the last row";
    }
    GLubyte byte = 0;
    EXPECT_EQ(zgluScaleImage(GL_RGBA, -1, 1, GL_UNSIGNED_BYTE, &byte, 1, 1, GL_UNSIGNED_BYTE, &byte),
              GLU_INVALID_VALUE);
    EXPECT_EQ(zgluScaleImage(GL_RGBA, 1, 1, GL_FLOAT, &byte, 1, 1, GL_UNSIGNED_BYTE, &byte), GLU_INVALID_ENUM);
    EXPECT_EQ(zgluScaleImage(GL_BGRA, 1, 1, GL_UNSIGNED_BYTE, &byte, 1, 1, GL_UNSIGNED_BYTE, &byte), GLU_INVALID_ENUM);
}

// What the layer leaves undone is said on the console once; a call GL refuses sets GL's error as
// Mesa sets it.
TEST_F(GlLayerTest, WhatTheLayerLeavesUndoneIsSaidOnceAndErrorsAreGls) {
    struct Case {
        bool said;
        std::function<void(bool)> call;
    };
    const Case cases[] = {
        {true, [](bool layer) { either(Enable)(GL_NORMALIZE); }},
        {true, [](bool layer) { either(Begin)(GL_POINTS), either(Vertex2i)(1, 1), either(End)(); }},
        {true, [](bool layer) { either(TexParameteri)(GL_TEXTURE_2D, GL_TEXTURE_PRIORITY, 1); }},
        {true,
         [](bool layer) { either(PixelStorei)(GL_UNPACK_ROW_LENGTH, 0), either(PixelStorei)(GL_UNPACK_SKIP_ROWS, 2); }},
        {true,
         [](bool layer) {
             either(PixelStorei)(GL_UNPACK_SKIP_ROWS, 0), either(ShadeModel)(GL_FLAT), either(ShadeModel)(GL_SMOOTH);
         }},
        {true, [](bool layer) { either(CopyPixels)(0, 0, 10, 10, GL_COLOR); }},
        {true,
         [](bool layer) {
             either(NewList)(5, GL_COMPILE), either(Ortho)(0, 1, 1, 0, -1, 1), either(EndList)(),
                 either(DeleteLists)(5, 1);
         }},
        {true,
         [](bool layer) {
             either(Enable)(GL_LIGHTING), shape(layer, GL_QUADS, 0, 0, 9, 9), either(Disable)(GL_LIGHTING);
         }},
        {false, [](bool layer) { either(MatrixMode)(GL_COLOR); }},
        {false, [](bool layer) { either(Begin)(99); }},
        {false, [](bool layer) { either(Begin)(GL_LINES), either(Begin)(GL_LINES), either(End)(); }},
        {false, [](bool layer) { either(End)(); }},
        {false, [](bool layer) { either(EndList)(); }},
        {false,
         [](bool layer) {
             either(NewList)(1, GL_COMPILE_AND_EXECUTE), either(NewList)(2, GL_COMPILE), either(EndList)();
         }},
        {false, [](bool layer) { either(NewList)(3, 0x1234); }},
        {false, [](bool layer) { either(AlphaFunc)(GL_ZERO, 0.5f); }},
        {false, [](bool layer) { either(DepthFunc)(GL_ONE); }},
        {false, [](bool layer) { either(LineWidth)(0); }},
        {false, [](bool layer) { either(Clear)(0x1); }},
        {false, [](bool layer) { either(Viewport)(0, 0, -1, 5); }},
        {false, [](bool layer) { either(Scissor)(0, 0, 5, -1); }},
        {false, [](bool layer) { either(Fogi)(GL_FOG_MODE, GL_ONE), either(Fogf)(GL_FOG_DENSITY, -1); }},
        {false, [](bool layer) { either(TexEnvi)(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_ONE); }},
        {false, [](bool layer) { either(Hint)(GL_FOG_HINT, GL_ONE); }},
        {false, [](bool layer) { EXPECT_NE(either(GetString)(GL_VERSION), nullptr), either(GetString)(GL_ONE); }},
        {false, [](bool layer) { either(TexParameteri)(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_ONE); }},
        {false,
         [](bool layer) { either(TexParameteri)(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR_MIPMAP_LINEAR); }},
        {false,
         [](bool layer) { either(TexImage2D)(GL_TEXTURE_2D, 0, 7, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr); }},
        {false,
         [](bool layer) { either(TexImage2D)(GL_TEXTURE_2D, 0, 4, -1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr); }},
        {false,
         [](bool layer) { either(TexImage2D)(GL_TEXTURE_2D, 0, 4, 1, 1, 2, GL_RGBA, GL_UNSIGNED_BYTE, nullptr); }},
        {false, [](bool layer) { either(PixelStorei)(GL_PACK_ALIGNMENT, 3); }},
        {false, [](bool layer) { either(PixelMapfv)(GL_PIXEL_MAP_I_TO_A, 3, nullptr); }},
        {false,
         [](bool layer) {
             GLuint n;
             either(GenTextures)(-1, &n), either(DeleteLists)(1, -1), either(GenLists)(-1);
         }},
        {false, [](bool layer) { either(PopAttrib)(), either(PopClientAttrib)(), either(PopMatrix)(); }},
    };
    int index = 0;
    for (const Case& c : cases) {
        GLenum errors[2];
        use(true);
        uint32_t before = zglReports();
        for (bool layer : {false, true}) run(layer, c.call), errors[layer] = either(GetError)();
        EXPECT_EQ(errors[0], errors[1]) << "case " << index;
        EXPECT_EQ(zglReports() - before, c.said ? 1u : 0u) << "case " << index;
        c.call(true);
        EXPECT_EQ(zglReports() - before, c.said ? 1u : 0u) << "case " << index << ", said again";
        EXPECT_EQ(zglGetError(), errors[1]) << "case " << index << ", again";
        ++index;
    }
}

}  // namespace
