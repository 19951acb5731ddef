// SPDX-License-Identifier: MIT
// The page's GL 1.1: state, matrices, immediate mode, display lists, attribute stacks and queries
// kept on the CPU, drawn with OpenGL ES 2.0 (gl_layer.h says what it covers).
#define ZELMO_GL_LAYER_DIRECT  // GL's names here are ES's
#include "platform/web/gl_layer.h"

#include <GLES2/gl2.h>
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <initializer_list>

#include "platform/web/gl_layer_parts.h"

// --- Reports and GL's error ------------------------------------------------------------------

namespace {

enum { maxReports = 64 };
struct Report {
    const char* what;
    uint32_t value;
};
Report reports[maxReports];
uint32_t reportCount;
GLenum errorFlag = GL_NO_ERROR;
bool started;  // a context is the layer's

}  // namespace

void zglReport(const char* what, uint32_t value) {
    for (uint32_t i = 0; i < reportCount; ++i)
        if (reports[i].value == value && strcmp(reports[i].what, what) == 0) return;
    if (reportCount == maxReports) return;  // enough has been said
    reports[reportCount++] = {what, value};
    fputs("zelmo GL: ", stderr);
    fputs(what, stderr);
    if (value != 0) {  // " (0x0B50)", by hand: printf would be the program's only use of it
        char hex[16] = " (0x";
        int at = 4;
        for (int shift = value > 0xFFFF ? 28 : 12; shift >= 0; shift -= 4)
            hex[at++] = "0123456789ABCDEF"[value >> shift & 15];
        hex[at++] = ')';
        hex[at] = 0;
        fputs(hex, stderr);
    }
    fputs("\n", stderr);
}

void zglSetError(GLenum error) {
    if (errorFlag == GL_NO_ERROR) errorFlag = error;
}

uint32_t zglReports(void) { return reportCount; }

namespace {

// --- The state -------------------------------------------------------------------------------

enum Cap {
    capTexture2d,
    capBlend,
    capDepthTest,
    capCullFace,
    capAlphaTest,
    capLighting,
    capFog,
    capLineSmooth,
    capScissorTest,
    capDither,
    capCount
};
const GLenum capNames[capCount] = {GL_TEXTURE_2D, GL_BLEND, GL_DEPTH_TEST,  GL_CULL_FACE,    GL_ALPHA_TEST,
                                   GL_LIGHTING,   GL_FOG,   GL_LINE_SMOOTH, GL_SCISSOR_TEST, GL_DITHER};
enum { hintCount = 5 };
const GLenum hintNames[hintCount] = {GL_PERSPECTIVE_CORRECTION_HINT, GL_POINT_SMOOTH_HINT, GL_LINE_SMOOTH_HINT,
                                     GL_POLYGON_SMOOTH_HINT, GL_FOG_HINT};

// The server state (the attribute stack keeps all of it; glPopAttrib restores the groups asked).
struct State {
    bool caps[capCount];
    GLfloat color[4], texCoord[4];
    GLenum matrixMode, blendSource, blendDestination, alphaFunc, depthFunc, shadeModel, fogMode, envMode;
    GLfloat alphaRef, clearColor[4], lineWidth, fogDensity, fogStart, fogEnd, fogColor[4];
    GLdouble clearDepth;  // a double, as GL keeps it
    bool depthMask;
    GLint viewport[4], scissorBox[4];
    GLuint texture, listBase;
    GLenum hints[hintCount];
};
State state;

int capIndex(GLenum cap) {
    for (int i = 0; i < capCount; ++i)
        if (capNames[i] == cap) return i;
    return -1;
}

float clamped(float value) { return value < 0 ? 0 : value > 1 ? 1 : value; }

void resetState(int32_t width, int32_t height) {
    state = State();
    state.caps[capDither] = true;
    for (GLfloat& c : state.color) c = 1;
    state.texCoord[3] = 1;
    state.matrixMode = GL_MODELVIEW;
    state.blendSource = GL_ONE;
    state.blendDestination = GL_ZERO;
    state.alphaFunc = GL_ALWAYS;
    state.depthFunc = GL_LESS;
    state.shadeModel = GL_SMOOTH;
    state.fogMode = GL_EXP;
    state.envMode = GL_MODULATE;
    state.clearDepth = state.lineWidth = state.fogDensity = state.fogEnd = 1;
    state.depthMask = true;
    const GLint drawable[4] = {0, 0, width, height};
    memcpy(state.viewport, drawable, sizeof drawable);
    memcpy(state.scissorBox, drawable, sizeof drawable);
    for (GLenum& hint : state.hints) hint = GL_DONT_CARE;
}

// --- Matrices --------------------------------------------------------------------------------

enum { modelviewStack, projectionStack, textureStack, maxStackDepth = 32 };
const uint32_t stackLimits[3] = {32, 32, 10};  // Mesa's depths
struct MatrixStack {
    uint32_t depth;
    GLfloat m[maxStackDepth][16];
};
MatrixStack stacks[3];
const GLfloat identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
GLfloat projected[16];  // projection times modelview
bool projectedStale = true;

int stackIndex(GLenum mode) { return mode == GL_PROJECTION ? projectionStack : mode == GL_TEXTURE ? textureStack : 0; }
GLfloat* top(int stack) { return stacks[stack].m[stacks[stack].depth - 1]; }

// The current matrix, about to change.
GLfloat* changing() {
    projectedStale = true;
    return top(stackIndex(state.matrixMode));
}

// product = a b, column-major, each sum in the order Mesa adds it.
void multiply(GLfloat* product, const GLfloat* a, const GLfloat* b) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            product[j * 4 + i] =
                a[i] * b[j * 4] + a[4 + i] * b[j * 4 + 1] + a[8 + i] * b[j * 4 + 2] + a[12 + i] * b[j * 4 + 3];
}

void multiplyCurrent(const GLfloat* m) {
    GLfloat* current = changing();
    GLfloat product[16];
    multiply(product, current, m);
    memcpy(current, product, sizeof product);
}

void resetMatrices() {
    for (MatrixStack& stack : stacks) {
        stack.depth = 1;
        memcpy(stack.m[0], identity, sizeof identity);
    }
    projectedStale = true;
}

const GLfloat* projectedModelview() {
    if (projectedStale) multiply(projected, top(projectionStack), top(modelviewStack));
    projectedStale = false;
    return projected;
}

// out = m v for a column-major m.
void transform(const GLfloat* m, const GLfloat* v, GLfloat* out) {
    for (int i = 0; i < 4; ++i) out[i] = m[i] * v[0] + m[4 + i] * v[1] + m[8 + i] * v[2] + m[12 + i] * v[3];
}

// --- Textures --------------------------------------------------------------------------------

enum { maxTextureNames = 4096, maxTextureSide = 16384 };
struct TextureRecord {
    bool named;     // handed out or bound, and not deleted since
    GLuint object;  // the ES texture, made when first needed
    GLenum base;    // the base format of level 0; 0 before it has one
    GLint width, height, minFilter, magFilter, wrapS, wrapT;
};
TextureRecord textures[maxTextureNames];  // by name; 0 is the default texture
GLuint texturesNamed;                     // the highest name named since the start
GLuint whiteTexture;                      // what ES samples while texturing is off

void resetTextures() {
    for (TextureRecord& t : textures)
        t = {false, 0, 0, 0, 0, GL_NEAREST_MIPMAP_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT};
    textures[0].named = true;
    texturesNamed = 0;
}

TextureRecord* boundTexture() { return &textures[state.texture]; }

bool powerOfTwo(GLint n) { return n > 0 && (n & (n - 1)) == 0; }

// GL's rule: a texture whose filter needs mipmaps the layer never has is incomplete, and texturing is off.
bool complete(const TextureRecord& t) {
    return t.base != 0 && t.width > 0 && t.height > 0 && (t.minFilter == GL_NEAREST || t.minFilter == GL_LINEAR);
}

bool repeats(GLint wrap) { return wrap != GL_CLAMP && wrap != GL_CLAMP_TO_EDGE; }

// The wrap ES gets: GL_CLAMP is clamped to the edge (the shader adds the border); WebGL 1 repeats
// only textures whose sides are powers of two.
GLint esWrap(const TextureRecord& t, GLint wrap) {
    if (!repeats(wrap) || (powerOfTwo(t.width) && powerOfTwo(t.height)))
        return wrap == GL_CLAMP ? GL_CLAMP_TO_EDGE : wrap;
    return GL_CLAMP_TO_EDGE;
}

// The base format of an internal format (sized ones keep the base's 8 bits a component); 0 for one
// GL does not have, GL_INTENSITY for those the layer does not.
GLenum baseFormat(GLint internal) {
    if (internal == 1 || internal == GL_LUMINANCE || (internal >= GL_LUMINANCE4 && internal <= GL_LUMINANCE16))
        return GL_LUMINANCE;
    if (internal == 2 || internal == GL_LUMINANCE_ALPHA ||
        (internal >= GL_LUMINANCE4_ALPHA4 && internal <= GL_LUMINANCE16_ALPHA16))
        return GL_LUMINANCE_ALPHA;
    if (internal == 3 || internal == GL_RGB || internal == GL_R3_G3_B2 || (internal >= GL_RGB4 && internal <= GL_RGB16))
        return GL_RGB;
    if (internal == 4 || internal == GL_RGBA || (internal >= GL_RGBA2 && internal <= GL_RGBA16)) return GL_RGBA;
    if (internal == GL_ALPHA || (internal >= GL_ALPHA4 && internal <= GL_ALPHA16)) return GL_ALPHA;
    if (internal == GL_INTENSITY || (internal >= GL_INTENSITY4 && internal <= GL_INTENSITY16)) return GL_INTENSITY;
    return 0;
}

// --- Vertices, primitives and the draws waiting ------------------------------------------------

struct Vertex {           // as the ES program reads it
    GLfloat position[4];  // clip coordinates
    GLfloat texCoord[2];
    GLubyte color[4];
    GLfloat fogDistance;  // the eye's distance along z, as GL's fog takes it
};
enum { vertexCapacity = 16384, indexCapacity = 3 * vertexCapacity, commandCapacity = 1024 };
Vertex vertices[vertexCapacity];
uint32_t vertexCount;
GLushort indices[indexCapacity];
uint32_t indexCount;

bool inPrimitive, primitiveOverflowed;
GLenum primitiveMode;
uint32_t primitiveFirst;
uint32_t primitivesDrawn, drawCalls;

// The features an ES program is made with: a draw is drawn by the program of exactly its own, so that
// a fragment does no work its state does not ask for (a software renderer spends on every one).
const uint32_t textured = 1,  // the texture, in GL_MODULATE unless environment
    clampBorder = 2,          // GL_CLAMP with linear filtering: the border blended in at the edges
    environment = 4,          // the texture environments but GL_MODULATE
    alphaTested = 8, fogged = 16, featureSets = 32;

// A program's uniforms (those of the features it lacks are 0).
struct Uniforms {
    GLfloat terms[8];      // the texture environment: see environmentTerms
    GLfloat texelBox[4];   // the texture's width and height; 1 on each axis GL_CLAMP blends the border in
    GLfloat alphaTest[4];  // 1 where alpha below, equal to, above the reference (w, 0 to 255) passes
    GLfloat fog[4];        // mode (1 linear, 2 exp, 3 exp2), end, 1 / (end - start), density
    GLfloat fogColor[4];
    GLfloat borderAlpha;  // 1 when the border's alpha is 0 (the texture has alpha): it fades too
};

// Everything an ES draw reads of the state, compared as bytes: a draw equal to the one before joins it.
struct DrawState {
    GLuint texture;
    uint32_t program;  // its features
    Uniforms uniforms;
    GLenum blendSource, blendDestination, depthFunc;
    GLint viewport[4], scissorBox[4];
    GLfloat lineWidth;  // 0 for triangles, which draw alike at any width
    uint8_t blend, depthTest, depthMask, cullFace, scissorTest, dither, unused[2];
};

struct Command {
    GLenum mode;  // GL_TRIANGLES or GL_LINES; 0 for a clear
    GLbitfield clearMask;
    GLfloat clearColor[4], clearDepth;
    uint32_t firstIndex, indexCount;
    DrawState state;
};
Command commands[commandCapacity];
uint32_t commandCount;

// The texture environment as terms of the colour Cf and alpha Af of the fragment and the texel
// (Ct, At) as ES samples it ((0, 0, 0, A) for GL_ALPHA; alpha 1 for formats without one):
//   colour = Cf (t0 + t1 Ct + t2 At) + Ct (t3 + t4 At),  alpha = Af (t5 + t6 At) + t7 At.
// base 0: texturing off.
void environmentTerms(GLenum base, GLenum mode, GLfloat* t) {
    const GLfloat off[8] = {1, 0, 0, 0, 0, 1, 0, 0};
    memcpy(t, off, sizeof off);
    if (base == 0) return;
    bool colour = base != GL_ALPHA, alpha = base == GL_ALPHA || base == GL_LUMINANCE_ALPHA || base == GL_RGBA;
    switch (mode) {
    case GL_MODULATE:
    case GL_BLEND:  // with the environment colour at its initial black: Cf (1 - Ct)
        if (colour) t[0] = mode == GL_MODULATE ? 0 : 1, t[1] = mode == GL_MODULATE ? 1 : -1;
        t[5] = 0, t[6] = 1;
        break;
    case GL_REPLACE:
        if (colour) t[0] = 0, t[3] = 1;
        if (alpha) t[5] = 0, t[7] = 1;
        break;
    case GL_DECAL:
        if (base == GL_RGB) t[0] = 0, t[3] = 1;
        else if (base == GL_RGBA) t[2] = -1, t[4] = 1;
        else zglReport("GL_DECAL is undefined for this texture format: drawn untextured", base);
        break;
    case GL_ADD:
        if (colour) t[3] = 1;
        t[5] = 0, t[6] = 1;
        break;
    }
}

GLfloat lineWidthRange[2];  // what ES draws; asked for when a line first needs more than 1

// The ES line width for GL's: what the browser draws, at most (said when that is less).
GLfloat esLineWidth() {
    if (state.lineWidth == 1) return 1;
    if (lineWidthRange[1] == 0) glGetFloatv(GL_ALIASED_LINE_WIDTH_RANGE, lineWidthRange);
    if (state.lineWidth <= lineWidthRange[1]) return state.lineWidth;
    zglReport("lines are drawn narrower than asked: the browser draws them at most this wide",
              (uint32_t)lineWidthRange[1]);
    return lineWidthRange[1];
}

void buildDrawState(DrawState& d, bool lines) {
    memset(&d, 0, sizeof d);
    Uniforms& u = d.uniforms;
    const TextureRecord& t = *boundTexture();
    bool texturing = state.caps[capTexture2d] && complete(t);
    d.texture = texturing ? t.object : whiteTexture;
    environmentTerms(texturing ? t.base : 0, state.envMode, u.terms);
    if (texturing) {
        d.program = textured | (state.envMode == GL_MODULATE ? 0u : environment);
        bool linear = t.minFilter == GL_LINEAR || t.magFilter == GL_LINEAR;
        const GLfloat texelBox[4] = {(GLfloat)t.width, (GLfloat)t.height, linear && t.wrapS == GL_CLAMP ? 1.0f : 0.0f,
                                     linear && t.wrapT == GL_CLAMP ? 1.0f : 0.0f};
        if (texelBox[2] != 0 || texelBox[3] != 0) {
            d.program |= clampBorder;
            memcpy(u.texelBox, texelBox, sizeof texelBox);
            u.borderAlpha = t.base == GL_ALPHA || t.base == GL_LUMINANCE_ALPHA || t.base == GL_RGBA;
        }
        if (esWrap(t, t.wrapS) != t.wrapS && repeats(t.wrapS))
            zglReport("WebGL 1 repeats no texture whose side is no power of two: clamped", t.width);
        if (esWrap(t, t.wrapT) != t.wrapT && repeats(t.wrapT))
            zglReport("WebGL 1 repeats no texture whose side is no power of two: clamped", t.height);
    }
    if (state.caps[capAlphaTest] && state.alphaFunc != GL_ALWAYS) {
        d.program |= alphaTested;
        uint32_t test = state.alphaFunc - GL_NEVER;  // bits: below, equal, above
        // GL compares alpha and the reference as the colour buffer's 8-bit values.
        const GLfloat alphaTest[4] = {(GLfloat)(test & 1), (GLfloat)(test >> 1 & 1), (GLfloat)(test >> 2 & 1),
                                      (GLfloat)(int)(state.alphaRef * 255.0f + 0.5f)};
        memcpy(u.alphaTest, alphaTest, sizeof alphaTest);
    }
    if (state.caps[capFog]) {
        d.program |= fogged;
        GLfloat span = state.fogEnd - state.fogStart;
        u.fog[0] = state.fogMode == GL_LINEAR ? 1 : state.fogMode == GL_EXP ? 2 : 3;
        u.fog[1] = state.fogEnd;
        u.fog[2] = span == 0 ? 1 : 1 / span;  // as Mesa scales it
        u.fog[3] = state.fogDensity;
        for (int i = 0; i < 4; ++i) u.fogColor[i] = clamped(state.fogColor[i]);
    }
    d.blend = state.caps[capBlend];
    d.blendSource = state.blendSource;
    d.blendDestination = state.blendDestination;
    d.depthTest = state.caps[capDepthTest];
    d.depthFunc = state.depthFunc;
    d.depthMask = state.depthMask;
    d.cullFace = state.caps[capCullFace];
    d.scissorTest = state.caps[capScissorTest];
    memcpy(d.scissorBox, state.scissorBox, sizeof d.scissorBox);
    memcpy(d.viewport, state.viewport, sizeof d.viewport);
    d.dither = state.caps[capDither];
    d.lineWidth = lines ? esLineWidth() : 0;
    if (state.caps[capLighting]) zglReport("lighting is not drawn: colours show unlit", 0);
    if (lines && state.caps[capLineSmooth]) zglReport("smoothed lines are drawn unsmoothed", 0);
}

// --- Drawing with ES ---------------------------------------------------------------------------

// The programs' source, their features #defined before it (TEXTURED, CLAMP_BORDER, ENVIRONMENT,
// ALPHA_TESTED, FOGGED): one source, each program built with only what its draws need.
const char* vertexShader = R"(
attribute vec4 vertexPosition;
attribute vec2 vertexTexCoord;
attribute vec4 vertexColour;
attribute float vertexFogDistance;
varying vec4 colour;
varying vec2 texCoord;
varying float fogDistance;
void main() {
    gl_Position = vertexPosition;
    colour = vertexColour;
    texCoord = vertexTexCoord;
#ifdef FOGGED
    fogDistance = vertexFogDistance;
#endif
})";

// GL_CLAMP: within half a texel of the edge GL mixes the border (transparent black) in, by the share
// of the filter's footprint outside the texture; ES clamps to the edge texel instead.
const char* fragmentShader = R"(
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
uniform sampler2D picture;
uniform vec4 terms[2];
uniform vec4 texelBox;
uniform float borderAlpha;
uniform vec4 alphaTest;
uniform vec4 fog;
uniform vec4 fogColour;
varying vec4 colour;
varying vec2 texCoord;
varying float fogDistance;
void main() {
#ifdef TEXTURED
    vec4 texel = texture2D(picture, texCoord);
#ifdef CLAMP_BORDER
    vec2 texel2 = texCoord * texelBox.xy;
    vec2 outside = clamp(max(0.5 - texel2, texel2 - texelBox.xy + 0.5), 0.0, 0.5) * texelBox.zw;
    float inside = (1.0 - outside.x) * (1.0 - outside.y);
    texel *= vec4(vec3(inside), mix(1.0, inside, borderAlpha));
#endif
#ifdef ENVIRONMENT
    vec3 rgb = colour.rgb * (terms[0].x + terms[0].y * texel.rgb + terms[0].z * texel.a) +
               texel.rgb * (terms[0].w + terms[1].x * texel.a);
    float a = colour.a * (terms[1].y + terms[1].z * texel.a) + terms[1].w * texel.a;
    vec4 result = clamp(vec4(rgb, a), 0.0, 1.0);
#else
    vec4 result = vec4(colour.rgb * (terms[0].x + terms[0].y * texel.rgb), colour.a * texel.a);
#endif
#else
    vec4 result = colour;
#endif
#ifdef ALPHA_TESTED
    float alpha = floor(result.a * 255.0 + 0.5);
    bool below = alpha < alphaTest.w, above = alpha > alphaTest.w;
    if (!((below && alphaTest.x > 0.5) || (!below && !above && alphaTest.y > 0.5) || (above && alphaTest.z > 0.5)))
        discard;
#endif
#ifdef FOGGED
    float f = fog.x < 1.5 ? (fog.y - fogDistance) * fog.z
                          : exp(-fog.w * fogDistance * (fog.x < 2.5 ? 1.0 : fog.w * fogDistance));
    result.rgb = mix(fogColour.rgb, result.rgb, clamp(f, 0.0, 1.0));
#endif
    gl_FragColor = result;
})";

struct Program {
    GLuint name;  // 0 until made
    bool ready;   // used once: its link looked at and its uniforms found
    GLint terms, texelBox, borderAlpha, alphaTest, fog, fogColor;
    Uniforms sent;  // the values it has, when ready
};
Program programs[featureSets];
GLuint vertexBuffer, indexBuffer;

// What ES has now, as far as the layer set it: the part a clear reads, and the rest, which only a
// draw sets.
DrawState applied;
bool clearPartKnown, drawPartKnown;
GLfloat appliedClear[5];  // colour, depth
GLint esPackAlignment, esUnpackAlignment;

GLuint compileShader(GLenum type, uint32_t features, const char* source) {
    char defines[128] = "";
    const char* names[5] = {"TEXTURED", "CLAMP_BORDER", "ENVIRONMENT", "ALPHA_TESTED", "FOGGED"};
    for (int i = 0; i < 5; ++i)
        if (features & (1u << i)) strcat(strcat(strcat(defines, "#define "), names[i]), "\n");
    const char* sources[2] = {defines, source};
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 2, sources, nullptr);
    glCompileShader(shader);
    return shader;
}

// Makes the program of a set of features; not waited for (its link is first looked at by its first draw).
void makeProgram(uint32_t features) {
    Program& program = programs[features];
    program.name = glCreateProgram();
    GLuint shaders[2] = {compileShader(GL_VERTEX_SHADER, features, vertexShader),
                         compileShader(GL_FRAGMENT_SHADER, features, fragmentShader)};
    for (GLuint shader : shaders) glAttachShader(program.name, shader);
    const char* attributes[4] = {"vertexPosition", "vertexTexCoord", "vertexColour", "vertexFogDistance"};
    for (GLuint i = 0; i < 4; ++i) glBindAttribLocation(program.name, i, attributes[i]);
    glLinkProgram(program.name);
    for (GLuint shader : shaders) glDeleteShader(shader);
}

// Made as the context starts: the buffers, the white texture, and the programs the 2D preset's
// sprites and text are drawn with and an untextured one.
void makeEsObjects() {
    memset(programs, 0, sizeof programs);
    for (uint32_t features : {textured | clampBorder, textured, 0u}) makeProgram(features);
    glGenBuffers(1, &vertexBuffer);
    glGenBuffers(1, &indexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, sizeof(Vertex), (const void*)offsetof(Vertex, position));
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), (const void*)offsetof(Vertex, texCoord));
    glVertexAttribPointer(2, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(Vertex), (const void*)offsetof(Vertex, color));
    glVertexAttribPointer(3, 1, GL_FLOAT, GL_FALSE, sizeof(Vertex), (const void*)offsetof(Vertex, fogDistance));
    for (GLuint i = 0; i < 4; ++i) glEnableVertexAttribArray(i);
    const GLubyte white[4] = {255, 255, 255, 255};
    glGenTextures(1, &whiteTexture);
    glBindTexture(GL_TEXTURE_2D, whiteTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    clearPartKnown = drawPartKnown = false;
    esPackAlignment = esUnpackAlignment = 4;
    lineWidthRange[1] = 0;
}

// Puts the program of a set of features in use, made and readied when first needed.
Program& useProgram(uint32_t features) {
    Program& program = programs[features];
    if (program.name == 0) makeProgram(features);
    glUseProgram(program.name);
    if (program.ready) return program;
    program.ready = true;
    GLint linked = GL_FALSE;
    glGetProgramiv(program.name, GL_LINK_STATUS, &linked);
    if (!linked) zglReport("a shader program of the layer did not link: nothing is drawn with it", features);
    program.terms = glGetUniformLocation(program.name, "terms");
    program.texelBox = glGetUniformLocation(program.name, "texelBox");
    program.borderAlpha = glGetUniformLocation(program.name, "borderAlpha");
    program.alphaTest = glGetUniformLocation(program.name, "alphaTest");
    program.fog = glGetUniformLocation(program.name, "fog");
    program.fogColor = glGetUniformLocation(program.name, "fogColour");
    memset(&program.sent, 0xFF, sizeof program.sent);  // a NaN pattern: unlike any value sent
    return program;
}

Program* program;  // the program in use

// Sends what the program in use lacks of its uniforms (a program keeps its own between uses).
void sendUniforms(Program& p, const Uniforms& u) {
#define CHANGED(field) (memcmp(&u.field, &p.sent.field, sizeof u.field) != 0)
    if (p.terms >= 0 && CHANGED(terms)) glUniform4fv(p.terms, 2, u.terms);
    if (p.texelBox >= 0 && CHANGED(texelBox)) glUniform4fv(p.texelBox, 1, u.texelBox);
    if (p.borderAlpha >= 0 && CHANGED(borderAlpha)) glUniform1f(p.borderAlpha, u.borderAlpha);
    if (p.alphaTest >= 0 && CHANGED(alphaTest)) glUniform4fv(p.alphaTest, 1, u.alphaTest);
    if (p.fog >= 0 && CHANGED(fog)) glUniform4fv(p.fog, 1, u.fog);
    if (p.fogColor >= 0 && CHANGED(fogColor)) glUniform4fv(p.fogColor, 1, u.fogColor);
#undef CHANGED
    p.sent = u;
}

void setCapability(GLenum cap, uint8_t on) {
    if (on) glEnable(cap);
    else glDisable(cap);
}

// Sets what ES lacks of d: what a clear reads, and for a draw all of it.
void apply(const DrawState& d, bool draw) {
#define CHANGED(known, field) (!known || memcmp(&d.field, &applied.field, sizeof d.field) != 0)
    if (CHANGED(clearPartKnown, scissorTest)) setCapability(GL_SCISSOR_TEST, d.scissorTest);
    if (CHANGED(clearPartKnown, scissorBox))
        glScissor(d.scissorBox[0], d.scissorBox[1], d.scissorBox[2], d.scissorBox[3]);
    if (CHANGED(clearPartKnown, dither)) setCapability(GL_DITHER, d.dither);
    if (CHANGED(clearPartKnown, depthMask)) glDepthMask(d.depthMask);
    applied.scissorTest = d.scissorTest;
    memcpy(applied.scissorBox, d.scissorBox, sizeof d.scissorBox);
    applied.dither = d.dither;
    applied.depthMask = d.depthMask;
    clearPartKnown = true;
    if (!draw) return;
    if (CHANGED(drawPartKnown, texture)) glBindTexture(GL_TEXTURE_2D, d.texture);
    if (CHANGED(drawPartKnown, program)) program = &useProgram(d.program);
    sendUniforms(*program, d.uniforms);
    if (CHANGED(drawPartKnown, blend)) setCapability(GL_BLEND, d.blend);
    if (CHANGED(drawPartKnown, blendSource) || CHANGED(drawPartKnown, blendDestination))
        glBlendFunc(d.blendSource, d.blendDestination);
    if (CHANGED(drawPartKnown, depthTest)) setCapability(GL_DEPTH_TEST, d.depthTest);
    if (CHANGED(drawPartKnown, depthFunc)) glDepthFunc(d.depthFunc);
    if (CHANGED(drawPartKnown, cullFace)) setCapability(GL_CULL_FACE, d.cullFace);
    if (CHANGED(drawPartKnown, viewport)) glViewport(d.viewport[0], d.viewport[1], d.viewport[2], d.viewport[3]);
    if (d.lineWidth != 0 && CHANGED(drawPartKnown, lineWidth)) glLineWidth(d.lineWidth);
#undef CHANGED
    GLfloat lineWidth = applied.lineWidth;  // triangles leave it as it is
    memcpy(&applied, &d, sizeof d);
    if (d.lineWidth == 0) applied.lineWidth = lineWidth;
    drawPartKnown = true;
}

void drawCommands() {
    if (commandCount == 0) return;
    if (vertexCount > 0) glBufferData(GL_ARRAY_BUFFER, vertexCount * sizeof(Vertex), vertices, GL_STREAM_DRAW);
    if (indexCount > 0) glBufferData(GL_ELEMENT_ARRAY_BUFFER, indexCount * sizeof(GLushort), indices, GL_STREAM_DRAW);
    for (uint32_t i = 0; i < commandCount; ++i) {
        const Command& c = commands[i];
        if (c.mode == 0) {
            bool known = clearPartKnown;
            apply(c.state, false);
            if (!known || memcmp(appliedClear, c.clearColor, sizeof c.clearColor) != 0)
                glClearColor(c.clearColor[0], c.clearColor[1], c.clearColor[2], c.clearColor[3]);
            if (!known || appliedClear[4] != c.clearDepth) glClearDepthf(c.clearDepth);
            memcpy(appliedClear, c.clearColor, sizeof c.clearColor);
            appliedClear[4] = c.clearDepth;
            glClear(c.clearMask);
            continue;
        }
        apply(c.state, true);
        glDrawElements(c.mode, (GLsizei)c.indexCount, GL_UNSIGNED_SHORT,
                       (const void*)(uintptr_t)(c.firstIndex * sizeof(GLushort)));
        drawCalls += 1;
    }
    commandCount = indexCount = 0;
}

// Draws what waits; the vertices from keepFrom on (an open primitive's) stay, moved to the front.
void flushKeeping(uint32_t keepFrom) {
    drawCommands();
    memmove(vertices, vertices + keepFrom, (vertexCount - keepFrom) * sizeof(Vertex));
    vertexCount -= keepFrom;
}

void flush() {
    flushKeeping(inPrimitive ? primitiveFirst : vertexCount);
    primitiveFirst = 0;
}

void addCommand(GLenum mode, GLbitfield clearMask, uint32_t first, uint32_t count) {
    Command c;
    memset(&c, 0, sizeof c);
    c.mode = mode;
    c.clearMask = clearMask;
    c.firstIndex = first;
    c.indexCount = count;
    buildDrawState(c.state, mode == GL_LINES);
    if (mode == 0) {
        memcpy(c.clearColor, state.clearColor, sizeof c.clearColor);
        c.clearDepth = (GLfloat)state.clearDepth;
    }
    Command* last = commandCount > 0 ? &commands[commandCount - 1] : nullptr;
    if (mode != 0 && last && last->mode == mode && last->firstIndex + last->indexCount == first &&
        memcmp(&last->state, &c.state, sizeof c.state) == 0) {
        last->indexCount += count;
        return;
    }
    if (commandCount == commandCapacity) zglReport("too many draws waiting", commandCapacity);
    else commands[commandCount++] = c;
}

// The triangles or lines GL makes of count vertices from first, into indices; GL_TRIANGLES,
// GL_LINES or 0 (nothing drawn) as their kind.
GLenum assemble(GLenum mode, uint32_t first, uint32_t count) {
    uint32_t& k = indexCount;
    auto triangle = [&](uint32_t a, uint32_t b, uint32_t c) {
        indices[k++] = (GLushort)(first + a);
        indices[k++] = (GLushort)(first + b);
        indices[k++] = (GLushort)(first + c);
    };
    auto line = [&](uint32_t a, uint32_t b) {
        indices[k++] = (GLushort)(first + a);
        indices[k++] = (GLushort)(first + b);
    };
    switch (mode) {
    case GL_QUADS:
        for (uint32_t i = 0; i + 3 < count; i += 4) triangle(i, i + 1, i + 2), triangle(i, i + 2, i + 3);
        return GL_TRIANGLES;
    case GL_QUAD_STRIP:  // quad i is 2i, 2i + 1, 2i + 3, 2i + 2
        for (uint32_t i = 0; i + 3 < count; i += 2) triangle(i, i + 1, i + 3), triangle(i, i + 3, i + 2);
        return GL_TRIANGLES;
    case GL_TRIANGLES:
        for (uint32_t i = 0; i + 2 < count; i += 3) triangle(i, i + 1, i + 2);
        return GL_TRIANGLES;
    case GL_TRIANGLE_STRIP:
        for (uint32_t i = 0; i + 2 < count; ++i) i % 2 ? triangle(i + 1, i, i + 2) : triangle(i, i + 1, i + 2);
        return GL_TRIANGLES;
    case GL_TRIANGLE_FAN:
    case GL_POLYGON:
        for (uint32_t i = 1; i + 1 < count; ++i) triangle(0, i, i + 1);
        return GL_TRIANGLES;
    case GL_LINES:
        for (uint32_t i = 0; i + 1 < count; i += 2) line(i, i + 1);
        return GL_LINES;
    case GL_LINE_STRIP:
    case GL_LINE_LOOP:
        for (uint32_t i = 0; i + 1 < count; ++i) line(i, i + 1);
        if (mode == GL_LINE_LOOP && count > 2) line(count - 1, 0);
        return GL_LINES;
    default: return 0;  // points
    }
}

bool knownPrimitive(GLenum mode) { return mode <= GL_POLYGON; }

// --- Display lists -----------------------------------------------------------------------------

enum class Op : uint8_t {
    bindTexture,
    translate,
    scale,
    begin,
    end,
    texCoord,
    vertex,
    color,
    callList,
    callListOffset,
    enable,
    disable,
    matrixMode,
    pushMatrix,
    popMatrix,
    loadIdentity,
    blendFunc,
    alphaFunc,
    depthFunc,
    depthMask,
    texEnv,
    listBase,
    pushAttrib,
    popAttrib,
    lineWidth,
    clear,
    clearColor,
    clearDepth,
    viewport,
    scissor,
    shadeModel,
    hint,
    fog
};

union Arg {
    GLfloat f;
    GLuint u;
    GLint i;
};
Arg F(GLfloat f) {
    Arg a;
    a.f = f;
    return a;
}
Arg U(GLuint u) {
    Arg a;
    a.u = u;
    return a;
}

struct ListOp {
    Op op;
    Arg a[4];
};

struct ListRange {
    bool named;  // handed out by glGenLists
    uint32_t first, count;
};

enum { maxListNames = 1024, listOpCapacity = 16384, maxListNesting = 64 };

ListOp listOps[listOpCapacity];
uint32_t listOpsUsed;
ListRange listRanges[maxListNames + 1];  // index = list name; 0 names no list
GLuint listsNamed;                       // the highest name named since the start

GLuint openList;  // 0 when no list is being compiled
GLenum openListMode;
uint32_t openListFirst;
bool openListOverflowed;
uint32_t replayDepth;  // lists being run: their calls are not recorded again

bool recording() { return openList != 0 && replayDepth == 0; }

// Records a call into the list being compiled; true when it is to go no further (GL_COMPILE).
bool compiledOnly(Op op, Arg a = Arg(), Arg b = Arg(), Arg c = Arg(), Arg d = Arg()) {
    if (!recording()) return false;
    if (listOpsUsed == listOpCapacity) openListOverflowed = true;
    if (!openListOverflowed) listOps[listOpsUsed++] = {op, {a, b, c, d}};
    return openListMode == GL_COMPILE;
}

// Moves the live lists' calls down over those of deleted or replaced ones.
void compactListOps() {
    uint32_t used = 0;
    for (GLuint name = 1; name <= maxListNames; ++name) {
        ListRange& range = listRanges[name];
        if (range.count == 0) continue;
        memmove(&listOps[used], &listOps[range.first], range.count * sizeof(ListOp));
        range.first = used;
        used += range.count;
    }
    listOpsUsed = used;
}

void resetLists() {
    memset(listRanges, 0, sizeof listRanges);
    listsNamed = 0;
    listOpsUsed = 0;
    openList = 0;
    replayDepth = 0;
}

void runList(GLuint list, uint32_t depth);

// Runs a recorded call through the layer's entry points, as the call itself would have run.
void runOp(const ListOp& op, uint32_t depth) {
    const Arg* a = op.a;
    switch (op.op) {
    case Op::bindTexture: zglBindTexture(a[0].u, a[1].u); break;
    case Op::translate: zglTranslatef(a[0].f, a[1].f, a[2].f); break;
    case Op::scale: zglScalef(a[0].f, a[1].f, a[2].f); break;
    case Op::begin: zglBegin(a[0].u); break;
    case Op::end: zglEnd(); break;
    case Op::texCoord: zglTexCoord2f(a[0].f, a[1].f); break;
    case Op::vertex: zglVertex3f(a[0].f, a[1].f, a[2].f); break;
    case Op::color: zglColor4ub((GLubyte)a[0].u, (GLubyte)a[1].u, (GLubyte)a[2].u, (GLubyte)a[3].u); break;
    case Op::callList: runList(a[0].u, depth + 1); break;
    case Op::callListOffset: runList(state.listBase + a[0].u, depth + 1); break;
    case Op::enable: zglEnable(a[0].u); break;
    case Op::disable: zglDisable(a[0].u); break;
    case Op::matrixMode: zglMatrixMode(a[0].u); break;
    case Op::pushMatrix: zglPushMatrix(); break;
    case Op::popMatrix: zglPopMatrix(); break;
    case Op::loadIdentity: zglLoadIdentity(); break;
    case Op::blendFunc: zglBlendFunc(a[0].u, a[1].u); break;
    case Op::alphaFunc: zglAlphaFunc(a[0].u, a[1].f); break;
    case Op::depthFunc: zglDepthFunc(a[0].u); break;
    case Op::depthMask: zglDepthMask((GLboolean)a[0].u); break;
    case Op::texEnv: zglTexEnvi(a[0].u, a[1].u, a[2].i); break;
    case Op::listBase: zglListBase(a[0].u); break;
    case Op::pushAttrib: zglPushAttrib(a[0].u); break;
    case Op::popAttrib: zglPopAttrib(); break;
    case Op::lineWidth: zglLineWidth(a[0].f); break;
    case Op::clear: zglClear(a[0].u); break;
    case Op::clearColor: zglClearColor(a[0].f, a[1].f, a[2].f, a[3].f); break;
    case Op::clearDepth: zglClearDepth(a[0].f); break;
    case Op::viewport: zglViewport(a[0].i, a[1].i, a[2].i, a[3].i); break;
    case Op::scissor: zglScissor(a[0].i, a[1].i, a[2].i, a[3].i); break;
    case Op::shadeModel: zglShadeModel(a[0].u); break;
    case Op::hint: zglHint(a[0].u, a[1].u); break;
    case Op::fog: zglFogf(a[0].u, a[1].f); break;
    }
}

void runList(GLuint list, uint32_t depth) {
    if (list == 0 || list > maxListNames || depth >= maxListNesting) return;
    ListRange range = listRanges[list];  // a copy: nothing a list runs can change it
    replayDepth += 1;
    for (uint32_t i = 0; i < range.count; ++i) runOp(listOps[range.first + i], depth);
    replayDepth -= 1;
}

// The bytes of each list name of a glCallLists array of type; 0 for a type GL does not take.
int listNameSize(GLenum type) {
    switch (type) {
    case GL_UNSIGNED_BYTE:
    case GL_BYTE: return 1;
    case GL_UNSIGNED_SHORT:
    case GL_SHORT:
    case GL_2_BYTES: return 2;
    case GL_3_BYTES: return 3;
    case GL_UNSIGNED_INT:
    case GL_INT:
    case GL_FLOAT:
    case GL_4_BYTES: return 4;
    default: return 0;
    }
}

// The i-th list name of a glCallLists array of a type listNameSize takes.
int64_t listNameAt(GLenum type, const GLvoid* lists, GLsizei i) {
    const GLubyte* bytes = (const GLubyte*)lists + (size_t)i * listNameSize(type);
    switch (type) {
    case GL_UNSIGNED_BYTE: return bytes[0];
    case GL_BYTE: return ((const GLbyte*)lists)[i];
    case GL_UNSIGNED_SHORT: return ((const GLushort*)lists)[i];
    case GL_SHORT: return ((const GLshort*)lists)[i];
    case GL_UNSIGNED_INT: return ((const GLuint*)lists)[i];
    case GL_INT: return ((const GLint*)lists)[i];
    case GL_FLOAT: return (int64_t)((const GLfloat*)lists)[i];
    default: {  // GL_2_BYTES to GL_4_BYTES: big-endian
        int64_t name = 0;
        for (int k = 0; k < listNameSize(type); ++k) name = name * 256 + bytes[k];
        return name;
    }
    }
}

// --- Attribute stacks --------------------------------------------------------------------------

enum { attribStackDepth = 16 };
struct SavedAttribs {
    GLbitfield mask;
    State state;
    GLint indexShift, indexOffset;  // the pixel mode the layer keeps
};
SavedAttribs attribStack[attribStackDepth];
uint32_t attribDepth;

struct SavedClientAttribs {
    GLbitfield mask;
    PixelState pixels;
};
SavedClientAttribs clientStack[attribStackDepth];
uint32_t clientDepth;

void restoreCaps(const State& from, std::initializer_list<Cap> caps) {
    for (Cap cap : caps) state.caps[cap] = from.caps[cap];
}

void restoreAttribs(GLbitfield mask, const State& s) {
    if (mask & GL_CURRENT_BIT) {
        memcpy(state.color, s.color, sizeof s.color);
        memcpy(state.texCoord, s.texCoord, sizeof s.texCoord);
    }
    if (mask & GL_ENABLE_BIT) memcpy(state.caps, s.caps, sizeof s.caps);
    if (mask & GL_COLOR_BUFFER_BIT) {
        restoreCaps(s, {capAlphaTest, capBlend, capDither});
        state.alphaFunc = s.alphaFunc;
        state.alphaRef = s.alphaRef;
        state.blendSource = s.blendSource;
        state.blendDestination = s.blendDestination;
        memcpy(state.clearColor, s.clearColor, sizeof s.clearColor);
    }
    if (mask & GL_DEPTH_BUFFER_BIT) {
        restoreCaps(s, {capDepthTest});
        state.depthFunc = s.depthFunc;
        state.clearDepth = s.clearDepth;
        state.depthMask = s.depthMask;
    }
    if (mask & GL_FOG_BIT) {
        restoreCaps(s, {capFog});
        state.fogMode = s.fogMode;
        state.fogDensity = s.fogDensity;
        state.fogStart = s.fogStart;
        state.fogEnd = s.fogEnd;
        memcpy(state.fogColor, s.fogColor, sizeof s.fogColor);
    }
    if (mask & GL_LINE_BIT) {
        restoreCaps(s, {capLineSmooth});
        state.lineWidth = s.lineWidth;
    }
    if (mask & GL_SCISSOR_BIT) {
        restoreCaps(s, {capScissorTest});
        memcpy(state.scissorBox, s.scissorBox, sizeof s.scissorBox);
    }
    if (mask & GL_VIEWPORT_BIT) memcpy(state.viewport, s.viewport, sizeof s.viewport);
    if (mask & GL_TEXTURE_BIT) {
        restoreCaps(s, {capTexture2d});
        state.texture = textures[s.texture].named ? s.texture : 0;  // a texture deleted since is gone
        state.envMode = s.envMode;
    }
    if (mask & GL_TRANSFORM_BIT) state.matrixMode = s.matrixMode;
    if (mask & GL_LIST_BIT) state.listBase = s.listBase;
    if (mask & GL_HINT_BIT) memcpy(state.hints, s.hints, sizeof s.hints);
    if (mask & GL_LIGHTING_BIT) {
        restoreCaps(s, {capLighting});
        state.shadeModel = s.shadeModel;
    }
    if (mask & GL_POLYGON_BIT) restoreCaps(s, {capCullFace});
}

// --- Queries -----------------------------------------------------------------------------------

// How GL converts a state variable's values to other types.
enum class Kind : uint8_t { integer, real, colour, boolean };

template <typename T>
int values(double* out, const T* from, int count) {
    for (int i = 0; i < count; ++i) out[i] = (double)from[i];
    return count;
}

// The values of the state variable name and their kind; how many (0 for a name the layer does not know).
int stateValues(GLenum name, double* v, Kind* kind) {
    *kind = Kind::integer;
    int cap = capIndex(name);
    if (cap >= 0) {
        *kind = Kind::boolean;
        return values(v, &state.caps[cap], 1);
    }
    for (int i = 0; i < hintCount; ++i)
        if (hintNames[i] == name) return values(v, &state.hints[i], 1);
    for (int i = 0; i < zglOtherPixelStores; ++i)
        if (zglOtherPixelStoreNames[i] == name) return values(v, &zglPixels.otherStores[i], 1);
    GLint number = 0;
    switch (name) {
    case GL_MATRIX_MODE: return values(v, &state.matrixMode, 1);
    case GL_MODELVIEW_STACK_DEPTH: return values(v, &stacks[modelviewStack].depth, 1);
    case GL_PROJECTION_STACK_DEPTH: return values(v, &stacks[projectionStack].depth, 1);
    case GL_TEXTURE_STACK_DEPTH: return values(v, &stacks[textureStack].depth, 1);
    case GL_MAX_MODELVIEW_STACK_DEPTH: return values(v, &stackLimits[modelviewStack], 1);
    case GL_MAX_PROJECTION_STACK_DEPTH: return values(v, &stackLimits[projectionStack], 1);
    case GL_MAX_TEXTURE_STACK_DEPTH: return values(v, &stackLimits[textureStack], 1);
    case GL_MODELVIEW_MATRIX: *kind = Kind::real; return values(v, top(modelviewStack), 16);
    case GL_PROJECTION_MATRIX: *kind = Kind::real; return values(v, top(projectionStack), 16);
    case GL_TEXTURE_MATRIX: *kind = Kind::real; return values(v, top(textureStack), 16);
    case GL_ATTRIB_STACK_DEPTH: return values(v, &attribDepth, 1);
    case GL_CLIENT_ATTRIB_STACK_DEPTH: return values(v, &clientDepth, 1);
    case GL_MAX_ATTRIB_STACK_DEPTH:
    case GL_MAX_CLIENT_ATTRIB_STACK_DEPTH: number = attribStackDepth; return values(v, &number, 1);
    case GL_CURRENT_COLOR: *kind = Kind::colour; return values(v, state.color, 4);
    case GL_CURRENT_TEXTURE_COORDS: *kind = Kind::real; return values(v, state.texCoord, 4);
    case GL_BLEND_SRC: return values(v, &state.blendSource, 1);
    case GL_BLEND_DST: return values(v, &state.blendDestination, 1);
    case GL_ALPHA_TEST_FUNC: return values(v, &state.alphaFunc, 1);
    case GL_ALPHA_TEST_REF: *kind = Kind::colour; return values(v, &state.alphaRef, 1);
    case GL_DEPTH_FUNC: return values(v, &state.depthFunc, 1);
    case GL_DEPTH_WRITEMASK: *kind = Kind::boolean; return values(v, &state.depthMask, 1);
    case GL_DEPTH_CLEAR_VALUE: *kind = Kind::colour; return values(v, &state.clearDepth, 1);
    case GL_COLOR_CLEAR_VALUE: *kind = Kind::colour; return values(v, state.clearColor, 4);
    case GL_LINE_WIDTH: *kind = Kind::real; return values(v, &state.lineWidth, 1);
    case GL_SHADE_MODEL: return values(v, &state.shadeModel, 1);
    case GL_FOG_MODE: return values(v, &state.fogMode, 1);
    case GL_FOG_DENSITY: *kind = Kind::real; return values(v, &state.fogDensity, 1);
    case GL_FOG_START: *kind = Kind::real; return values(v, &state.fogStart, 1);
    case GL_FOG_END: *kind = Kind::real; return values(v, &state.fogEnd, 1);
    case GL_FOG_COLOR: *kind = Kind::colour; return values(v, state.fogColor, 4);
    case GL_VIEWPORT: return values(v, state.viewport, 4);
    case GL_SCISSOR_BOX: return values(v, state.scissorBox, 4);
    case GL_TEXTURE_BINDING_2D: return values(v, &state.texture, 1);
    case GL_LIST_BASE: return values(v, &state.listBase, 1);
    case GL_LIST_INDEX: return values(v, &openList, 1);
    case GL_LIST_MODE: number = openList ? (GLint)openListMode : 0; return values(v, &number, 1);
    case GL_MAX_LIST_NESTING: number = maxListNesting; return values(v, &number, 1);
    case GL_PACK_ALIGNMENT: return values(v, &zglPixels.packAlignment, 1);
    case GL_UNPACK_ALIGNMENT: return values(v, &zglPixels.unpackAlignment, 1);
    case GL_INDEX_SHIFT: return values(v, &zglPixels.indexShift, 1);
    case GL_INDEX_OFFSET: return values(v, &zglPixels.indexOffset, 1);
    case GL_PIXEL_MAP_I_TO_R_SIZE:
    case GL_PIXEL_MAP_I_TO_G_SIZE:
    case GL_PIXEL_MAP_I_TO_B_SIZE:
    case GL_PIXEL_MAP_I_TO_A_SIZE: return values(v, &zglPixels.mapSizes[name - GL_PIXEL_MAP_I_TO_R_SIZE], 1);
    case GL_MAX_TEXTURE_SIZE: number = maxTextureSide; return values(v, &number, 1);
    default:
        zglReport("glGet: a name the layer does not know", name);
        zglSetError(GL_INVALID_ENUM);
        return 0;
    }
}

// GL's conversions (Mesa's roundings).
GLint integerOf(double value, Kind kind) {
    if (kind == Kind::colour) return (GLint)(2147483647.0 * value);
    if (kind == Kind::real) return (GLint)(value >= 0 ? value + 0.5 : value - 0.5);
    return (GLint)(uint32_t)(int64_t)value;  // names and enums past 2^31 wrap, as GL returns them
}

}  // namespace

// --- The entry points ----------------------------------------------------------------------------

void (*zglBeforeUpload)(void);

void zglRunsAtOnce(const char* call) {
    if (recording()) zglReport(call, 0);
}

void zglStart(int32_t width, int32_t height) {
    resetState(width, height);
    resetMatrices();
    zglResetPixels();
    resetTextures();
    resetLists();
    attribDepth = clientDepth = reportCount = 0;
    errorFlag = GL_NO_ERROR;
    inPrimitive = false;
    vertexCount = indexCount = commandCount = 0;
    makeEsObjects();
    started = true;
}

void zglFlush(void) { flush(); }
void zglFinish(void) { flush(); }  // a browser's finish waits on its GPU process, and nothing here needs it
uint32_t zglPrimitivesDrawn(void) { return primitivesDrawn; }
uint32_t zglDrawCalls(void) { return drawCalls; }

void zglMatrixMode(GLenum mode) {
    if (compiledOnly(Op::matrixMode, U(mode))) return;
    if (mode == GL_MODELVIEW || mode == GL_PROJECTION || mode == GL_TEXTURE) state.matrixMode = mode;
    else zglSetError(GL_INVALID_ENUM);
}

void zglLoadIdentity(void) {
    if (compiledOnly(Op::loadIdentity)) return;
    memcpy(changing(), identity, sizeof identity);
}

void zglPushMatrix(void) {
    if (compiledOnly(Op::pushMatrix)) return;
    int i = stackIndex(state.matrixMode);
    MatrixStack& stack = stacks[i];
    if (stack.depth == stackLimits[i]) return zglSetError(GL_STACK_OVERFLOW);
    memcpy(stack.m[stack.depth], stack.m[stack.depth - 1], sizeof stack.m[0]);
    stack.depth += 1;
}

void zglPopMatrix(void) {
    if (compiledOnly(Op::popMatrix)) return;
    MatrixStack& stack = stacks[stackIndex(state.matrixMode)];
    if (stack.depth == 1) return zglSetError(GL_STACK_UNDERFLOW);
    stack.depth -= 1;
    projectedStale = true;
}

void zglTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    if (compiledOnly(Op::translate, F(x), F(y), F(z))) return;
    GLfloat* m = changing();
    for (int i = 0; i < 4; ++i) m[12 + i] = m[i] * x + m[4 + i] * y + m[8 + i] * z + m[12 + i];
}

void zglScalef(GLfloat x, GLfloat y, GLfloat z) {
    if (compiledOnly(Op::scale, F(x), F(y), F(z))) return;
    GLfloat* m = changing();
    for (int i = 0; i < 4; ++i) m[i] *= x, m[4 + i] *= y, m[8 + i] *= z;
}

void zglOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear, GLdouble zFar) {
    zglRunsAtOnce("glOrtho in a display list: run at once, not recorded");
    if (left == right || bottom == top || zNear == zFar) return zglSetError(GL_INVALID_VALUE);
    GLfloat l = (GLfloat)left, r = (GLfloat)right, b = (GLfloat)bottom, t = (GLfloat)top, n = (GLfloat)zNear,
            f = (GLfloat)zFar;
    GLfloat m[16] = {2.0f / (r - l), 0, 0, 0, 0, 2.0f / (t - b), 0, 0, 0, 0, -2.0f / (f - n), 0, 0, 0, 0, 1};
    m[12] = -(r + l) / (r - l);
    m[13] = -(t + b) / (t - b);
    m[14] = -(f + n) / (f - n);
    multiplyCurrent(m);
}

void zgluOrtho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top) {
    zglOrtho(left, right, bottom, top, -1, 1);
}

void zglViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    if (compiledOnly(Op::viewport, U((GLuint)x), U((GLuint)y), U((GLuint)width), U((GLuint)height))) return;
    if (width < 0 || height < 0) return zglSetError(GL_INVALID_VALUE);
    const GLint box[4] = {x, y, width, height};
    memcpy(state.viewport, box, sizeof box);
}

void zglScissor(GLint x, GLint y, GLsizei width, GLsizei height) {
    if (compiledOnly(Op::scissor, U((GLuint)x), U((GLuint)y), U((GLuint)width), U((GLuint)height))) return;
    if (width < 0 || height < 0) return zglSetError(GL_INVALID_VALUE);
    const GLint box[4] = {x, y, width, height};
    memcpy(state.scissorBox, box, sizeof box);
}

void zglBegin(GLenum mode) {
    if (compiledOnly(Op::begin, U(mode))) return;
    if (inPrimitive) return zglSetError(GL_INVALID_OPERATION);
    if (!knownPrimitive(mode)) return zglSetError(GL_INVALID_ENUM);
    if (mode == GL_POINTS) zglReport("points are not drawn", 0);
    inPrimitive = true;
    primitiveOverflowed = false;
    primitiveMode = mode;
    primitiveFirst = vertexCount;
}

void zglEnd(void) {
    if (compiledOnly(Op::end)) return;
    if (!inPrimitive) return zglSetError(GL_INVALID_OPERATION);
    inPrimitive = false;
    primitivesDrawn += 1;
    uint32_t count = vertexCount - primitiveFirst;
    if (indexCount + 3 * count > indexCapacity || commandCount == commandCapacity) {
        flushKeeping(primitiveFirst);
        primitiveFirst = 0;
    }
    uint32_t first = indexCount;
    GLenum kind = assemble(primitiveMode, primitiveFirst, count);
    if (kind != 0 && indexCount > first) addCommand(kind, 0, first, indexCount - first);
}

void zglVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    if (compiledOnly(Op::vertex, F(x), F(y), F(z))) return;
    if (!inPrimitive) return;  // outside glBegin and glEnd a vertex means nothing
    if (vertexCount == vertexCapacity && primitiveFirst > 0) flush();  // draws what came before, to make room
    if (vertexCount == vertexCapacity) {
        if (!primitiveOverflowed)
            zglReport("a primitive of more vertices than the layer holds: the rest is dropped", vertexCapacity);
        primitiveOverflowed = true;
        return zglSetError(GL_OUT_OF_MEMORY);
    }
    Vertex& vertex = vertices[vertexCount++];
    const GLfloat position[4] = {x, y, z, 1};
    transform(projectedModelview(), position, vertex.position);
    const GLfloat* modelview = top(modelviewStack);
    GLfloat eyeZ = modelview[2] * x + modelview[6] * y + modelview[10] * z + modelview[14];
    vertex.fogDistance = eyeZ < 0 ? -eyeZ : eyeZ;
    GLfloat coords[4];
    transform(top(textureStack), state.texCoord, coords);
    vertex.texCoord[0] = coords[0] / coords[3];
    vertex.texCoord[1] = coords[1] / coords[3];
    for (int i = 0; i < 4; ++i) vertex.color[i] = (GLubyte)(clamped(state.color[i]) * 255.0f + 0.5f);
}

void zglVertex2f(GLfloat x, GLfloat y) { zglVertex3f(x, y, 0); }
void zglVertex2i(GLint x, GLint y) { zglVertex3f((GLfloat)x, (GLfloat)y, 0); }

void zglTexCoord2f(GLfloat s, GLfloat t) {
    if (compiledOnly(Op::texCoord, F(s), F(t))) return;
    const GLfloat coords[4] = {s, t, 0, 1};
    memcpy(state.texCoord, coords, sizeof coords);
}

void zglColor4ub(GLubyte red, GLubyte green, GLubyte blue, GLubyte alpha) {
    if (compiledOnly(Op::color, U(red), U(green), U(blue), U(alpha))) return;
    const GLubyte bytes[4] = {red, green, blue, alpha};
    for (int i = 0; i < 4; ++i) state.color[i] = bytes[i] / 255.0f;
}

void zglColor4ubv(const GLubyte* color) { zglColor4ub(color[0], color[1], color[2], color[3]); }

GLuint zglGenLists(GLsizei range) {
    if (range < 0) zglSetError(GL_INVALID_VALUE);
    if (range <= 0 || range > maxListNames) return 0;
    // As Mesa names them: past the highest name yet named while there is room, else the first free run.
    GLuint first = listsNamed + (GLuint)range <= maxListNames ? listsNamed + 1 : 1;
    for (; first + (GLuint)range - 1 <= maxListNames; ++first) {
        GLsizei free = 0;
        while (free < range && !listRanges[first + free].named) ++free;
        if (free == range) {
            for (GLsizei i = 0; i < range; ++i) listRanges[first + i] = {true, 0, 0};
            if (first + (GLuint)range - 1 > listsNamed) listsNamed = first + (GLuint)range - 1;
            return first;
        }
        first += (GLuint)free;
    }
    return 0;
}

void zglDeleteLists(GLuint list, GLsizei range) {
    if (range < 0) return zglSetError(GL_INVALID_VALUE);
    for (GLsizei i = 0; i < range; ++i)
        if (list + (GLuint)i >= 1 && list + (GLuint)i <= maxListNames) listRanges[list + i] = {false, 0, 0};
}

GLboolean zglIsList(GLuint list) {
    return list >= 1 && list <= maxListNames && listRanges[list].named ? GL_TRUE : GL_FALSE;
}

void zglNewList(GLuint list, GLenum mode) {
    if (list == 0 || list > maxListNames) return zglSetError(GL_INVALID_VALUE);
    if (mode != GL_COMPILE && mode != GL_COMPILE_AND_EXECUTE) return zglSetError(GL_INVALID_ENUM);
    if (openList != 0) return zglSetError(GL_INVALID_OPERATION);
    listRanges[list].count = 0;  // its old calls become garbage
    if (listOpsUsed + 64 > listOpCapacity) compactListOps();
    openList = list;
    openListMode = mode;
    openListFirst = listOpsUsed;
    openListOverflowed = false;
}

void zglEndList(void) {
    if (openList == 0) return zglSetError(GL_INVALID_OPERATION);
    ListRange& range = listRanges[openList];
    range.named = true;
    range.first = openListFirst;
    range.count = openListOverflowed ? 0 : listOpsUsed - openListFirst;
    if (openListOverflowed) {
        listOpsUsed = openListFirst;
        zglSetError(GL_OUT_OF_MEMORY);
    }
    openList = 0;
}

void zglCallList(GLuint list) {
    if (!compiledOnly(Op::callList, U(list))) runList(list, 0);
}

void zglCallLists(GLsizei count, GLenum type, const GLvoid* lists) {
    if (listNameSize(type) == 0) return zglSetError(GL_INVALID_ENUM);
    if (count < 0) return zglSetError(GL_INVALID_VALUE);
    for (GLsizei i = 0; lists && i < count; ++i) {
        GLuint offset = (GLuint)listNameAt(type, lists, i);  // added to the base modulo 2^32, as GL adds them
        if (!compiledOnly(Op::callListOffset, U(offset))) runList(state.listBase + offset, 0);
    }
}

void zglListBase(GLuint base) {
    if (!compiledOnly(Op::listBase, U(base))) state.listBase = base;
}

void zglEnable(GLenum cap) {
    if (compiledOnly(Op::enable, U(cap))) return;
    int index = capIndex(cap);
    if (index >= 0) state.caps[index] = true;
    else zglReport("glEnable: a capability the layer does not have", cap);
}

void zglDisable(GLenum cap) {
    if (compiledOnly(Op::disable, U(cap))) return;
    int index = capIndex(cap);
    if (index >= 0) state.caps[index] = false;
    else zglReport("glDisable: a capability the layer does not have", cap);
}

GLboolean zglIsEnabled(GLenum cap) {
    int index = capIndex(cap);
    if (index >= 0) return state.caps[index] ? GL_TRUE : GL_FALSE;
    zglReport("glIsEnabled: a capability the layer does not have", cap);
    zglSetError(GL_INVALID_ENUM);
    return GL_FALSE;
}

void zglBlendFunc(GLenum source, GLenum destination) {
    if (compiledOnly(Op::blendFunc, U(source), U(destination))) return;
    state.blendSource = source;
    state.blendDestination = destination;
}

void zglAlphaFunc(GLenum func, GLclampf ref) {
    if (compiledOnly(Op::alphaFunc, U(func), F(ref))) return;
    if (func < GL_NEVER || func > GL_ALWAYS) return zglSetError(GL_INVALID_ENUM);
    state.alphaFunc = func;
    state.alphaRef = clamped(ref);
}

void zglDepthFunc(GLenum func) {
    if (compiledOnly(Op::depthFunc, U(func))) return;
    if (func < GL_NEVER || func > GL_ALWAYS) return zglSetError(GL_INVALID_ENUM);
    state.depthFunc = func;
}

void zglDepthMask(GLboolean flag) {
    if (!compiledOnly(Op::depthMask, U(flag))) state.depthMask = flag != GL_FALSE;
}

void zglClearDepth(GLclampd depth) {
    if (!compiledOnly(Op::clearDepth, F((GLfloat)depth))) state.clearDepth = depth < 0 ? 0 : depth > 1 ? 1 : depth;
}

void zglClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha) {
    if (compiledOnly(Op::clearColor, F(red), F(green), F(blue), F(alpha))) return;
    const GLfloat colour[4] = {clamped(red), clamped(green), clamped(blue), clamped(alpha)};
    memcpy(state.clearColor, colour, sizeof colour);
}

void zglClear(GLbitfield mask) {
    if (compiledOnly(Op::clear, U(mask))) return;
    const GLbitfield known = GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT | GL_ACCUM_BUFFER_BIT;
    if (mask & ~known) return zglSetError(GL_INVALID_VALUE);
    if (mask & (GL_STENCIL_BUFFER_BIT | GL_ACCUM_BUFFER_BIT))
        zglReport("glClear: no stencil or accumulation buffer here", mask);
    mask &= GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT;
    if (mask == 0) return;
    if (commandCount == commandCapacity) flush();
    addCommand(0, mask, 0, 0);
}

void zglLineWidth(GLfloat width) {
    if (compiledOnly(Op::lineWidth, F(width))) return;
    if (width <= 0) return zglSetError(GL_INVALID_VALUE);
    state.lineWidth = width;
}

void zglShadeModel(GLenum mode) {
    if (compiledOnly(Op::shadeModel, U(mode))) return;
    if (mode != GL_SMOOTH && mode != GL_FLAT) return zglSetError(GL_INVALID_ENUM);
    if (mode == GL_FLAT) zglReport("flat shading is drawn smooth", 0);
    state.shadeModel = mode;
}

void zglHint(GLenum target, GLenum mode) {
    if (compiledOnly(Op::hint, U(target), U(mode))) return;
    if (mode != GL_FASTEST && mode != GL_NICEST && mode != GL_DONT_CARE) return zglSetError(GL_INVALID_ENUM);
    for (int i = 0; i < hintCount; ++i)
        if (hintNames[i] == target) state.hints[i] = mode;  // hints ask nothing a GL must do
}

void zglFogf(GLenum name, GLfloat value) {
    if (compiledOnly(Op::fog, U(name), F(value))) return;
    switch (name) {
    case GL_FOG_MODE:
        if (value != GL_LINEAR && value != GL_EXP && value != GL_EXP2) return zglSetError(GL_INVALID_ENUM);
        state.fogMode = (GLenum)value;
        break;
    case GL_FOG_DENSITY:
        if (value < 0) return zglSetError(GL_INVALID_VALUE);
        state.fogDensity = value;
        break;
    case GL_FOG_START: state.fogStart = value; break;
    case GL_FOG_END: state.fogEnd = value; break;
    default: zglReport("glFog: a name the layer does not know", name);
    }
}

void zglFogi(GLenum name, GLint value) { zglFogf(name, (GLfloat)value); }

void zglFogfv(GLenum name, const GLfloat* values) {
    if (name != GL_FOG_COLOR) return zglFogf(name, values[0]);
    zglRunsAtOnce("glFogfv in a display list: run at once, not recorded");
    memcpy(state.fogColor, values, sizeof state.fogColor);
}

void zglTexEnvi(GLenum target, GLenum name, GLint value) {
    if (compiledOnly(Op::texEnv, U(target), U(name), U((GLuint)value))) return;
    if (target != GL_TEXTURE_ENV || name != GL_TEXTURE_ENV_MODE) {
        zglReport("glTexEnvi: only the environment mode is kept", name);
        return zglSetError(GL_INVALID_ENUM);
    }
    if (value != GL_MODULATE && value != GL_REPLACE && value != GL_DECAL && value != GL_BLEND && value != GL_ADD)
        return zglSetError(GL_INVALID_ENUM);
    state.envMode = (GLenum)value;
}

void zglGetTexEnviv(GLenum target, GLenum name, GLint* values) {
    if (target == GL_TEXTURE_ENV && name == GL_TEXTURE_ENV_MODE) *values = (GLint)state.envMode;
    else zglReport("glGetTexEnviv: only the environment mode is kept", name);
}

void zglPushAttrib(GLbitfield mask) {
    if (compiledOnly(Op::pushAttrib, U(mask))) return;
    if (attribDepth == attribStackDepth) return zglSetError(GL_STACK_OVERFLOW);
    attribStack[attribDepth++] = {mask, state, zglPixels.indexShift, zglPixels.indexOffset};
}

void zglPopAttrib(void) {
    if (compiledOnly(Op::popAttrib)) return;
    if (attribDepth == 0) return zglSetError(GL_STACK_UNDERFLOW);
    const SavedAttribs& saved = attribStack[--attribDepth];
    restoreAttribs(saved.mask, saved.state);
    if (saved.mask & GL_PIXEL_MODE_BIT)
        zglPixels.indexShift = saved.indexShift, zglPixels.indexOffset = saved.indexOffset;
}

void zglPushClientAttrib(GLbitfield mask) {
    if (clientDepth == attribStackDepth) return zglSetError(GL_STACK_OVERFLOW);
    clientStack[clientDepth++] = {mask, zglPixels};
}

void zglPopClientAttrib(void) {
    if (clientDepth == 0) return zglSetError(GL_STACK_UNDERFLOW);
    const SavedClientAttribs& saved = clientStack[--clientDepth];
    if (!(saved.mask & GL_CLIENT_PIXEL_STORE_BIT)) return;
    zglPixels.packAlignment = saved.pixels.packAlignment;
    zglPixels.unpackAlignment = saved.pixels.unpackAlignment;
    memcpy(zglPixels.otherStores, saved.pixels.otherStores, sizeof zglPixels.otherStores);
}

void zglGenTextures(GLsizei count, GLuint* names) {
    if (count < 0) return zglSetError(GL_INVALID_VALUE);
    // As Mesa names them: past the highest name yet named while there is room, else the lowest free.
    GLuint name = texturesNamed + (GLuint)count < maxTextureNames ? texturesNamed + 1 : 1;
    for (GLsizei i = 0; i < count; ++i) {
        while (name < maxTextureNames && textures[name].named) ++name;
        if (name == maxTextureNames) {
            zglReport("more textures than the layer names", maxTextureNames);
            zglSetError(GL_OUT_OF_MEMORY);
            names[i] = 0;
            continue;
        }
        textures[name].named = true;
        names[i] = name;
        if (name > texturesNamed) texturesNamed = name;
    }
}

void zglDeleteTextures(GLsizei count, const GLuint* names) {
    if (count < 0) return zglSetError(GL_INVALID_VALUE);
    flush();  // a draw waiting may read one of them
    for (GLsizei i = 0; i < count; ++i) {
        GLuint name = names[i];
        if (name == 0 || name >= maxTextureNames || !textures[name].named) continue;
        TextureRecord& t = textures[name];
        if (t.object != 0) glDeleteTextures(1, &t.object);
        if (applied.texture == t.object) applied.texture = 0;  // ES unbinds a deleted texture
        t = {false, 0, 0, 0, 0, GL_NEAREST_MIPMAP_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT};
        if (state.texture == name) state.texture = 0;
    }
}

void zglBindTexture(GLenum target, GLuint name) {
    if (compiledOnly(Op::bindTexture, U(target), U(name))) return;
    if (target != GL_TEXTURE_2D) {
        zglReport("glBindTexture: only GL_TEXTURE_2D is kept", target);
        return zglSetError(GL_INVALID_ENUM);
    }
    if (name >= maxTextureNames) {
        zglReport("glBindTexture: a name past those the layer hands out", name);
        return zglSetError(GL_INVALID_VALUE);
    }
    textures[name].named = true;
    if (name > texturesNamed) texturesNamed = name;
    state.texture = name;
}

namespace {

// The bound texture's ES object, bound in ES to be changed (after what waits to be drawn is drawn).
TextureRecord& changingTexture() {
    flush();
    TextureRecord& t = *boundTexture();
    if (t.object == 0) glGenTextures(1, &t.object);
    glBindTexture(GL_TEXTURE_2D, t.object);
    applied.texture = t.object;
    return t;
}

void sendWraps(const TextureRecord& t) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, esWrap(t, t.wrapS));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, esWrap(t, t.wrapT));
}

void setEsAlignment(GLenum name, GLint alignment, GLint& applied) {
    if (applied != alignment) glPixelStorei(name, alignment);
    applied = alignment;
}

}  // namespace

void zglTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                   GLenum format, GLenum type, const GLvoid* pixels) {
    zglRunsAtOnce("glTexImage2D in a display list: run at once, not recorded");
    GLenum base = baseFormat(internalFormat);
    if (target != GL_TEXTURE_2D || type != GL_UNSIGNED_BYTE) {
        zglReport("glTexImage2D: only GL_TEXTURE_2D of unsigned bytes is kept",
                  target == GL_TEXTURE_2D ? type : target);
        return zglSetError(GL_INVALID_ENUM);
    }
    if (base == 0) return zglSetError(GL_INVALID_VALUE);
    if (base == GL_INTENSITY)
        return zglReport("glTexImage2D: intensity textures are not kept", (uint32_t)internalFormat);
    if (zglComponents(format) == 0) {
        zglReport("glTexImage2D: a pixel format the layer does not take", format);
        return zglSetError(GL_INVALID_ENUM);
    }
    if (width < 0 || height < 0 || width > maxTextureSide || height > maxTextureSide || level < 0 || border != 0)
        return zglSetError(GL_INVALID_VALUE);
    if (level > 0) return zglReport("glTexImage2D: mipmap levels are not kept", (uint32_t)level);
    GLubyte* owned = nullptr;
    GLint alignment = 4;
    const GLubyte* texels = zglUploadTexels(base, width, height, format, pixels, &owned, &alignment);
    if (pixels && !texels) return;
    TextureRecord& t = changingTexture();
    if (zglBeforeUpload) zglBeforeUpload();
    setEsAlignment(GL_UNPACK_ALIGNMENT, alignment, esUnpackAlignment);
    glBindTexture(GL_TEXTURE_2D, t.object);  // the page's turn may have run anything
    glTexImage2D(GL_TEXTURE_2D, 0, (GLint)base, width, height, 0, base, GL_UNSIGNED_BYTE, texels);
    free(owned);
    t.base = base;
    t.width = width;
    t.height = height;
    if (repeats(t.wrapS) || repeats(t.wrapT)) sendWraps(t);  // whether WebGL may repeat it depends on its sides
}

void zglTexParameteri(GLenum target, GLenum name, GLint value) {
    zglRunsAtOnce("glTexParameteri in a display list: run at once, not recorded");
    if (target != GL_TEXTURE_2D) return zglSetError(GL_INVALID_ENUM);
    bool filter = value == GL_NEAREST || value == GL_LINEAR;
    bool mipmapFilter = value == GL_NEAREST_MIPMAP_NEAREST || value == GL_LINEAR_MIPMAP_NEAREST ||
                        value == GL_NEAREST_MIPMAP_LINEAR || value == GL_LINEAR_MIPMAP_LINEAR;
    bool wrap = value == GL_CLAMP || value == GL_REPEAT || value == GL_CLAMP_TO_EDGE;
    switch (name) {
    case GL_TEXTURE_MIN_FILTER:
        if (!filter && !mipmapFilter) return zglSetError(GL_INVALID_ENUM);
        changingTexture().minFilter = value;
        glTexParameteri(GL_TEXTURE_2D, name, value);
        break;
    case GL_TEXTURE_MAG_FILTER:
        if (!filter) return zglSetError(GL_INVALID_ENUM);
        changingTexture().magFilter = value;
        glTexParameteri(GL_TEXTURE_2D, name, value);
        break;
    case GL_TEXTURE_WRAP_S:
    case GL_TEXTURE_WRAP_T: {
        if (!wrap) return zglSetError(GL_INVALID_ENUM);
        TextureRecord& t = changingTexture();
        (name == GL_TEXTURE_WRAP_S ? t.wrapS : t.wrapT) = value;
        sendWraps(t);
        break;
    }
    default: zglReport("glTexParameteri: a parameter the layer does not keep", name);
    }
}

void zglGetIntegerv(GLenum name, GLint* out) {
    double v[16];
    Kind kind;
    int count = stateValues(name, v, &kind);
    for (int i = 0; i < count; ++i) out[i] = integerOf(v[i], kind);
}

void zglGetFloatv(GLenum name, GLfloat* out) {
    double v[16];
    Kind kind;
    int count = stateValues(name, v, &kind);
    for (int i = 0; i < count; ++i) out[i] = kind == Kind::integer ? (GLfloat)integerOf(v[i], kind) : (GLfloat)v[i];
}

void zglGetBooleanv(GLenum name, GLboolean* out) {
    double v[16];
    Kind kind;
    int count = stateValues(name, v, &kind);
    for (int i = 0; i < count; ++i) out[i] = v[i] != 0 ? GL_TRUE : GL_FALSE;
}

GLenum zglGetError(void) {
    GLenum error = errorFlag;
    errorFlag = GL_NO_ERROR;
    if (error != GL_NO_ERROR) return error;
    flush();
    return glGetError();
}

const GLubyte* zglGetString(GLenum name) {
    if (!started) return nullptr;
    switch (name) {
    case GL_VERSION: return (const GLubyte*)"1.1";
    case GL_VENDOR: return (const GLubyte*)"zelmo";
    case GL_RENDERER: return glGetString(GL_RENDERER);
    case GL_EXTENSIONS: return (const GLubyte*)"";
    }
    zglSetError(GL_INVALID_ENUM);
    return nullptr;
}

void zglReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, GLvoid* pixels) {
    if (width < 0 || height < 0) return zglSetError(GL_INVALID_VALUE);
    if ((format != GL_RGBA && format != GL_RGB) || type != GL_UNSIGNED_BYTE) {
        zglReport("glReadPixels: only GL_RGBA and GL_RGB in unsigned bytes are read", format);
        return zglSetError(GL_INVALID_ENUM);
    }
    flush();
    if (format == GL_RGBA) {
        setEsAlignment(GL_PACK_ALIGNMENT, zglPixels.packAlignment, esPackAlignment);
        glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
        return;
    }
    GLubyte* rgba = (GLubyte*)malloc((size_t)width * (size_t)height * 4 + 1);
    if (!rgba) return zglSetError(GL_OUT_OF_MEMORY);
    setEsAlignment(GL_PACK_ALIGNMENT, 4, esPackAlignment);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    size_t align = (size_t)zglPixels.packAlignment, stride = ((size_t)width * 3 + align - 1) / align * align;
    for (GLsizei row = 0; row < height; ++row)
        for (GLsizei column = 0; column < width; ++column)
            memcpy((GLubyte*)pixels + (size_t)row * stride + (size_t)column * 3,
                   rgba + ((size_t)row * width + column) * 4, 3);
    free(rgba);
}

void zglCopyPixels(GLint, GLint, GLsizei, GLsizei, GLenum) { zglReport("glCopyPixels copies nothing here", 0); }
