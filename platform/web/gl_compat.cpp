// SPDX-License-Identifier: MIT
// Display lists, attribute stacks, colour-index uploads and gluScaleImage over the GL calls the
// browser's emulation has.
#define ZELMO_GL_COMPAT_DIRECT  // the layer's own GL calls are the real ones
#include "platform/web/gl_compat.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

namespace {

// --- Display lists ------------------------------------------------------------------------

enum class Op : uint8_t { bindTexture, translate, scale, begin, end, texCoord, vertex, color, callList };

struct ListOp {
    Op op;
    GLenum value;  // texture target, primitive mode, or the list name of a nested call
    GLfloat v[4];
};

struct ListRange {
    bool named;  // handed out by compatGenLists
    uint32_t first, count;
};

enum { maxListNames = 1024, listOpCapacity = 16384, maxListNesting = 64 };

ListOp listOps[listOpCapacity];
uint32_t listOpsUsed;
ListRange listRanges[maxListNames + 1];  // index = list name; 0 names no list
GLuint listBase;

GLuint boundTexture2d;  // as set through this layer

GLuint openList;  // 0 when no list is being recorded
bool openListExecutes;
uint32_t openListFirst;
bool openListOverflowed;

uint32_t replayDepth;  // lists being run: their calls are not recorded again

bool recording() { return openList != 0 && replayDepth == 0; }

// The current colour and texture coordinate. The emulation takes a colour or coordinate given
// inside glBegin/glEnd as a part of every vertex of the primitive, so each vertex gets both.
GLubyte currentColor[4] = {255, 255, 255, 255};
GLfloat currentTexCoord[2] = {0, 0};
bool insidePrimitive;
uint32_t primitivesDrawn;

// Whole quads drawn one after another with nothing changed between them go to GL as one primitive
// when batching is on: the emulation then sets up, uploads and draws once for the run instead of
// once a quad. Drawn in the same order, they give the same pixels.
enum { maxBatchedQuads = 1024 };  // far below the emulation's 16-bit quad indices and its buffer
bool batching;
bool quadsPending;  // GL's glBegin(GL_QUADS) is still open after glEnd, holding whole quads
uint32_t pendingQuads;
GLenum primitiveMode;
uint32_t primitiveVertices;

void flushQuads() {
    if (!quadsPending) return;
    quadsPending = false;
    pendingQuads = 0;
    glEnd();
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

// Records one call into the open list; true when the call should also run now.
bool record(Op op, GLenum value, GLfloat a = 0, GLfloat b = 0, GLfloat c = 0, GLfloat d = 0) {
    if (!recording()) return true;
    if (listOpsUsed == listOpCapacity) openListOverflowed = true;
    if (!openListOverflowed) listOps[listOpsUsed++] = {op, value, {a, b, c, d}};
    return openListExecutes;
}

void runList(GLuint list, uint32_t depth);

// Runs a recorded call through the layer's own entry points, as the call itself would have run.
void runOp(const ListOp& op, uint32_t depth) {
    switch (op.op) {
    case Op::bindTexture: compatBindTexture(op.value, (GLuint)op.v[0]); break;
    case Op::translate: compatTranslatef(op.v[0], op.v[1], op.v[2]); break;
    case Op::scale: compatScalef(op.v[0], op.v[1], op.v[2]); break;
    case Op::begin: compatBegin(op.value); break;
    case Op::end: compatEnd(); break;
    case Op::texCoord: compatTexCoord2f(op.v[0], op.v[1]); break;
    case Op::vertex: compatVertex3f(op.v[0], op.v[1], op.v[2]); break;
    case Op::color: compatColor4ub((GLubyte)op.v[0], (GLubyte)op.v[1], (GLubyte)op.v[2], (GLubyte)op.v[3]); break;
    case Op::callList: runList(op.value, depth + 1); break;
    }
}

void runList(GLuint list, uint32_t depth) {
    if (list == 0 || list > maxListNames || depth >= maxListNesting) return;
    ListRange range = listRanges[list];  // a copy: nothing a list runs can change it
    replayDepth += 1;
    for (uint32_t i = 0; i < range.count; ++i) runOp(listOps[range.first + i], depth);
    replayDepth -= 1;
}

bool isListNameType(GLenum type) {
    return type == GL_UNSIGNED_BYTE || type == GL_BYTE || type == GL_UNSIGNED_SHORT || type == GL_SHORT ||
           type == GL_UNSIGNED_INT || type == GL_INT;
}

// The i-th list name of a glCallLists array of a type isListNameType takes.
int64_t listNameAt(GLenum type, const GLvoid* lists, GLsizei i) {
    switch (type) {
    case GL_UNSIGNED_BYTE: return ((const GLubyte*)lists)[i];
    case GL_BYTE: return ((const GLbyte*)lists)[i];
    case GL_UNSIGNED_SHORT: return ((const GLushort*)lists)[i];
    case GL_SHORT: return ((const GLshort*)lists)[i];
    case GL_UNSIGNED_INT: return ((const GLuint*)lists)[i];
    default: return ((const GLint*)lists)[i];
    }
}

// --- Capabilities and the attribute stacks -----------------------------------------------

const GLenum trackedCaps[] = {GL_TEXTURE_2D, GL_ALPHA_TEST,  GL_BLEND,        GL_DEPTH_TEST, GL_FOG,
                              GL_CULL_FACE,  GL_LINE_SMOOTH, GL_SCISSOR_TEST, GL_LIGHTING,   GL_DITHER};
enum { trackedCapCount = sizeof trackedCaps / sizeof trackedCaps[0], attribStackDepth = 16 };

bool capEnabled[trackedCapCount] = {false, false, false, false, false, false, false, false, false, true};
GLint textureEnvMode = GL_MODULATE;

struct ServerAttribs {
    GLbitfield mask;
    bool caps[trackedCapCount];
    GLuint texture;
    GLint envMode;
};
ServerAttribs serverStack[attribStackDepth];
uint32_t serverDepth;

struct ClientAttribs {
    GLbitfield mask;
    GLint packAlignment, unpackAlignment;
};
ClientAttribs clientStack[attribStackDepth];
uint32_t clientDepth;

int capIndex(GLenum cap) {
    for (int i = 0; i < trackedCapCount; ++i)
        if (trackedCaps[i] == cap) return i;
    return -1;
}

void setCap(int index, bool on) {
    capEnabled[index] = on;
    if (on) glEnable(trackedCaps[index]);
    else glDisable(trackedCaps[index]);
}

GLint integerState(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

// --- Pixel transfer ----------------------------------------------------------------------

enum { maxPixelMap = 256, indexMapCount = 4 };

struct IndexMap {
    GLsizei size;  // a power of two; GL's initial maps hold one entry, 0
    GLfloat values[maxPixelMap];
};
IndexMap indexMaps[indexMapCount] = {{1, {0}}, {1, {0}}, {1, {0}}, {1, {0}}};  // I to R, G, B, A
GLint indexShift, indexOffset;

int indexMapSlot(GLenum map) {
    switch (map) {
    case GL_PIXEL_MAP_I_TO_R: return 0;
    case GL_PIXEL_MAP_I_TO_G: return 1;
    case GL_PIXEL_MAP_I_TO_B: return 2;
    case GL_PIXEL_MAP_I_TO_A: return 3;
    default: return -1;
    }
}

GLubyte mapIndex(const IndexMap& map, int64_t index) {
    GLfloat value = map.values[index & (map.size - 1)];
    if (value <= 0) return 0;
    if (value >= 1) return 255;
    return (GLubyte)(value * 255.0f + 0.5f);
}

int64_t shiftedIndex(GLubyte index) {
    int64_t value = index;
    value =
        indexShift >= 0 ? value << (indexShift > 31 ? 31 : indexShift) : value >> (-indexShift > 31 ? 31 : -indexShift);
    return value + indexOffset;
}

// The base format WebGL takes for an internal format, 0 for one it has none for.
GLenum baseFormat(GLint internalFormat) {
    switch (internalFormat) {
    case 1:
    case GL_LUMINANCE:
    case GL_LUMINANCE8: return GL_LUMINANCE;
    case 2:
    case GL_LUMINANCE_ALPHA:
    case GL_LUMINANCE8_ALPHA8: return GL_LUMINANCE_ALPHA;
    case 3:
    case GL_RGB:
    case GL_RGB8: return GL_RGB;
    case 4:
    case GL_RGBA:
    case GL_RGBA8: return GL_RGBA;
    case GL_ALPHA:
    case GL_ALPHA8: return GL_ALPHA;
    default: return 0;
    }
}

uint32_t componentCount(GLenum format) {
    switch (format) {
    case GL_COLOR_INDEX:
    case GL_ALPHA:
    case GL_LUMINANCE:
    case GL_RED:
    case GL_GREEN:
    case GL_BLUE: return 1;
    case GL_LUMINANCE_ALPHA: return 2;
    case GL_RGB: return 3;
    case GL_RGBA: return 4;
    default: return 0;
    }
}

size_t rowStride(uint32_t width, uint32_t components, GLint alignment) {
    size_t bytes = (size_t)width * components;
    size_t align = alignment == 1 || alignment == 2 || alignment == 8 ? (size_t)alignment : 4;
    return (bytes + align - 1) / align * align;
}

// Turns colour indices into the texels of the base format; the output rows are packed.
void indicesToTexels(const GLubyte* indices, GLsizei width, GLsizei height, GLenum base, GLubyte* out) {
    size_t stride = rowStride((uint32_t)width, 1, integerState(GL_UNPACK_ALIGNMENT));
    for (GLsizei y = 0; y < height; ++y) {
        for (GLsizei x = 0; x < width; ++x) {
            int64_t index = shiftedIndex(indices[(size_t)y * stride + x]);
            GLubyte red = mapIndex(indexMaps[0], index), green = mapIndex(indexMaps[1], index),
                    blue = mapIndex(indexMaps[2], index), alpha = mapIndex(indexMaps[3], index);
            switch (base) {
            case GL_ALPHA:
                *out++ = 255;
                *out++ = alpha;
                break;  // white luminance-alpha
            case GL_LUMINANCE: *out++ = red; break;
            case GL_LUMINANCE_ALPHA:
                *out++ = red;
                *out++ = alpha;
                break;
            case GL_RGB:
                *out++ = red;
                *out++ = green;
                *out++ = blue;
                break;
            default:
                *out++ = red;
                *out++ = green;
                *out++ = blue;
                *out++ = alpha;
                break;
            }
        }
    }
}

// --- Scaling -----------------------------------------------------------------------------

// The share of the source span [low, high) that source cell i covers.
float coverage(float low, float high, int32_t i) {
    float from = low > (float)i ? low : (float)i;
    float to = high < (float)(i + 1) ? high : (float)(i + 1);
    return to > from ? to - from : 0.0f;
}

// One output component: the area-weighted mean of the source box [x0, x1) x [y0, y1).
GLubyte boxMean(const GLubyte* in, size_t stride, uint32_t components, uint32_t k, float x0, float x1, float y0,
                float y1, GLint width, GLint height) {
    if (x1 > (float)width) x1 = (float)width;  // rounding must not reach past the last pixel
    if (y1 > (float)height) y1 = (float)height;
    float total = 0;
    for (int32_t y = (int32_t)y0; (float)y < y1; ++y) {
        float dy = coverage(y0, y1, y);
        for (int32_t x = (int32_t)x0; (float)x < x1; ++x)
            total += dy * coverage(x0, x1, x) * (float)in[(size_t)y * stride + (size_t)x * components + k];
    }
    float mean = total / ((x1 - x0) * (y1 - y0));
    return (GLubyte)(mean >= 255.0f ? 255.0f : mean);
}

}  // namespace

extern "C" {

GLuint compatGenLists(GLsizei range) {
    if (range <= 0) return 0;
    for (GLuint first = 1; first + (GLuint)range - 1 <= maxListNames; ++first) {
        GLsizei free = 0;
        while (free < range && !listRanges[first + free].named) ++free;
        if (free == range) {
            for (GLsizei i = 0; i < range; ++i) listRanges[first + i] = {true, 0, 0};
            return first;
        }
        first += (GLuint)free;
    }
    return 0;
}

void compatDeleteLists(GLuint list, GLsizei range) {
    for (GLsizei i = 0; i < range; ++i)
        if (list + (GLuint)i >= 1 && list + (GLuint)i <= maxListNames) listRanges[list + i] = {false, 0, 0};
}

GLboolean compatIsList(GLuint list) {
    return list >= 1 && list <= maxListNames && listRanges[list].named ? GL_TRUE : GL_FALSE;
}

void compatNewList(GLuint list, GLenum mode) {
    if (recording() || list == 0 || list > maxListNames) return;
    if (mode != GL_COMPILE && mode != GL_COMPILE_AND_EXECUTE) return;
    listRanges[list].count = 0;  // its old calls become garbage
    if (listOpsUsed + 64 > listOpCapacity) compactListOps();
    openList = list;
    openListExecutes = mode == GL_COMPILE_AND_EXECUTE;
    openListFirst = listOpsUsed;
    openListOverflowed = false;
}

void compatEndList(void) {
    if (!recording()) return;
    ListRange& range = listRanges[openList];
    range.named = true;
    range.first = openListFirst;
    range.count = openListOverflowed ? 0 : listOpsUsed - openListFirst;
    if (openListOverflowed) listOpsUsed = openListFirst;
    openList = 0;
}

void compatCallList(GLuint list) {
    if (record(Op::callList, list)) runList(list, 0);
}

void compatCallLists(GLsizei count, GLenum type, const GLvoid* lists) {
    if (!lists || !isListNameType(type)) return;  // GL_INVALID_ENUM
    for (GLsizei i = 0; i < count; ++i) {
        GLuint list = listBase + (GLuint)listNameAt(type, lists, i);  // modulo 2^32, as GL adds them
        if (list > 0 && list <= maxListNames) compatCallList(list);
    }
}

void compatListBase(GLuint base) { listBase = base; }

void compatBindTexture(GLenum target, GLuint texture) {
    if (!record(Op::bindTexture, target, (GLfloat)texture)) return;
    if (quadsPending && target == GL_TEXTURE_2D && texture == boundTexture2d) return;
    flushQuads();
    if (target == GL_TEXTURE_2D) boundTexture2d = texture;
    glBindTexture(target, texture);
}

void compatTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    if (!record(Op::translate, 0, x, y, z)) return;
    flushQuads();
    glTranslatef(x, y, z);
}

void compatScalef(GLfloat x, GLfloat y, GLfloat z) {
    if (!record(Op::scale, 0, x, y, z)) return;
    flushQuads();
    glScalef(x, y, z);
}

void compatBegin(GLenum mode) {
    if (!record(Op::begin, mode)) return;
    insidePrimitive = true;
    primitiveMode = mode;
    primitiveVertices = 0;
    if (quadsPending && mode == GL_QUADS && pendingQuads < maxBatchedQuads) return;
    flushQuads();
    glBegin(mode);
}

void compatEnd(void) {
    if (!record(Op::end, 0)) return;
    insidePrimitive = false;
    primitivesDrawn += 1;
    // GL's primitive stays open for the quads to come while it holds whole quads only.
    quadsPending = batching && primitiveMode == GL_QUADS && primitiveVertices % 4 == 0;
    pendingQuads += primitiveVertices / 4;
    if (quadsPending) return;
    pendingQuads = 0;
    glEnd();
}

uint32_t compatPrimitivesDrawn(void) { return primitivesDrawn; }

void compatBatchQuads(int on) {
    flushQuads();
    batching = on != 0;
}

void compatFlush(void) { flushQuads(); }

void compatTexCoord2f(GLfloat s, GLfloat t) {
    if (!record(Op::texCoord, 0, s, t)) return;
    currentTexCoord[0] = s;
    currentTexCoord[1] = t;
    if (insidePrimitive) return;
    flushQuads();  // as for a colour
    glTexCoord2f(s, t);
}

void compatVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    if (!record(Op::vertex, 0, x, y, z)) return;
    primitiveVertices += 1;
    glColor4ub(currentColor[0], currentColor[1], currentColor[2], currentColor[3]);
    glTexCoord2f(currentTexCoord[0], currentTexCoord[1]);
    glVertex3f(x, y, z);
}

void compatVertex2f(GLfloat x, GLfloat y) { compatVertex3f(x, y, 0); }
void compatVertex2i(GLint x, GLint y) { compatVertex3f((GLfloat)x, (GLfloat)y, 0); }

void compatColor4ub(GLubyte red, GLubyte green, GLubyte blue, GLubyte alpha) {
    if (!record(Op::color, 0, red, green, blue, alpha)) return;
    currentColor[0] = red;
    currentColor[1] = green;
    currentColor[2] = blue;
    currentColor[3] = alpha;
    if (insidePrimitive) return;
    flushQuads();  // in the emulation a colour within an open primitive is a part of its vertices
    glColor4ub(red, green, blue, alpha);
}

void compatColor4ubv(const GLubyte* color) { compatColor4ub(color[0], color[1], color[2], color[3]); }

void compatEnable(GLenum cap) {
    flushQuads();
    int index = capIndex(cap);
    if (index >= 0) setCap(index, true);
    else glEnable(cap);
}

void compatDisable(GLenum cap) {
    flushQuads();
    int index = capIndex(cap);
    if (index >= 0) setCap(index, false);
    else glDisable(cap);
}

GLboolean compatIsEnabled(GLenum cap) {
    flushQuads();
    int index = capIndex(cap);
    if (index < 0) return glIsEnabled(cap);
    return capEnabled[index] ? GL_TRUE : GL_FALSE;
}

void compatTexEnvi(GLenum target, GLenum name, GLint value) {
    flushQuads();
    if (target == GL_TEXTURE_ENV && name == GL_TEXTURE_ENV_MODE) textureEnvMode = value;
    glTexEnvi(target, name, value);
}

void compatPushAttrib(GLbitfield mask) {
    flushQuads();
    if (serverDepth == attribStackDepth) return;  // GL_STACK_OVERFLOW: the state stays as it is
    ServerAttribs& saved = serverStack[serverDepth++];
    saved.mask = mask;
    memcpy(saved.caps, capEnabled, sizeof saved.caps);
    saved.texture = boundTexture2d;
    saved.envMode = textureEnvMode;
}

void compatPopAttrib(void) {
    flushQuads();
    if (serverDepth == 0) return;
    const ServerAttribs& saved = serverStack[--serverDepth];
    if (saved.mask & GL_ENABLE_BIT)
        for (int i = 0; i < trackedCapCount; ++i)
            if (capEnabled[i] != saved.caps[i]) setCap(i, saved.caps[i]);
    if (saved.mask & GL_TEXTURE_BIT) {
        boundTexture2d = saved.texture;
        glBindTexture(GL_TEXTURE_2D, saved.texture);
        compatTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, saved.envMode);
    }
}

void compatPushClientAttrib(GLbitfield mask) {
    flushQuads();
    if (clientDepth == attribStackDepth) return;
    clientStack[clientDepth++] = {mask, integerState(GL_PACK_ALIGNMENT), integerState(GL_UNPACK_ALIGNMENT)};
}

void compatPopClientAttrib(void) {
    flushQuads();
    if (clientDepth == 0) return;
    const ClientAttribs& saved = clientStack[--clientDepth];
    if (!(saved.mask & GL_CLIENT_PIXEL_STORE_BIT)) return;
    glPixelStorei(GL_PACK_ALIGNMENT, saved.packAlignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, saved.unpackAlignment);
}

void compatPixelStorei(GLenum name, GLint value) {
    flushQuads();
    // Only the alignments exist in WebGL 1; the others change nothing for byte pixels.
    if (name == GL_PACK_ALIGNMENT || name == GL_UNPACK_ALIGNMENT) glPixelStorei(name, value);
}

void compatHint(GLenum target, GLenum mode) {
    flushQuads();
    if (target == GL_GENERATE_MIPMAP_HINT) glHint(target, mode);  // the only hint WebGL has
}

void compatShadeModel(GLenum mode) { (void)mode; }  // smooth is the only model WebGL draws

void compatCopyPixels(GLint, GLint, GLsizei, GLsizei, GLenum) {}  // onto itself: see the header

void compatPixelTransferi(GLenum name, GLint value) {
    if (name == GL_INDEX_SHIFT) indexShift = value;
    else if (name == GL_INDEX_OFFSET) indexOffset = value;
}

void compatPixelMapfv(GLenum map, GLsizei size, const GLfloat* values) {
    int slot = indexMapSlot(map);
    if (slot < 0 || !values || size < 1 || size > maxPixelMap || (size & (size - 1)) != 0) return;
    indexMaps[slot].size = size;
    memcpy(indexMaps[slot].values, values, (size_t)size * sizeof(GLfloat));
}

void (*compatBeforeUpload)(void);

void compatTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                      GLenum format, GLenum type, const GLvoid* pixels) {
    flushQuads();
    if (compatBeforeUpload) compatBeforeUpload();
    GLenum base = baseFormat(internalFormat);
    if (format != GL_COLOR_INDEX) {
        glTexImage2D(target, level, base ? (GLint)base : internalFormat, width, height, border, format, type, pixels);
        return;
    }
    if (type != GL_UNSIGNED_BYTE || width < 0 || height < 0 || width > 16384 || height > 16384) return;
    GLenum sent = base == GL_ALPHA ? GL_LUMINANCE_ALPHA : base ? base : GL_RGBA;
    uint32_t components = componentCount(sent);
    GLubyte* texels = nullptr;
    if (pixels) {
        texels = (GLubyte*)malloc((size_t)width * (size_t)height * components + 1);
        if (!texels) return;
        indicesToTexels((const GLubyte*)pixels, width, height, base ? base : GL_RGBA, texels);
    }
    GLint unpack = integerState(GL_UNPACK_ALIGNMENT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(target, level, (GLint)sent, width, height, border, sent, GL_UNSIGNED_BYTE, texels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, unpack);
    free(texels);
}

void compatTexParameteri(GLenum target, GLenum name, GLint value) {
    flushQuads();
    bool wrap = name == GL_TEXTURE_WRAP_S || name == GL_TEXTURE_WRAP_T;
    glTexParameteri(target, name, wrap && value == GL_CLAMP ? GL_CLAMP_TO_EDGE : value);
}

GLint compatScaleImage(GLenum format, GLint widthIn, GLint heightIn, GLenum typeIn, const void* dataIn, GLint widthOut,
                       GLint heightOut, GLenum typeOut, GLvoid* dataOut) {
    flushQuads();
    if (widthIn < 0 || heightIn < 0 || widthOut < 0 || heightOut < 0) return GLU_INVALID_VALUE;
    uint32_t components = componentCount(format);
    if (components == 0 || typeIn != GL_UNSIGNED_BYTE || typeOut != GL_UNSIGNED_BYTE) return GLU_INVALID_ENUM;
    if (widthIn == 0 || heightIn == 0 || widthOut == 0 || heightOut == 0) return 0;
    if (!dataIn || !dataOut) return GLU_INVALID_VALUE;
    const GLubyte* in = (const GLubyte*)dataIn;
    GLubyte* out = (GLubyte*)dataOut;
    size_t strideIn = rowStride((uint32_t)widthIn, components, integerState(GL_UNPACK_ALIGNMENT));
    size_t strideOut = rowStride((uint32_t)widthOut, components, integerState(GL_PACK_ALIGNMENT));
    bool halving = widthIn == 2 * widthOut && heightIn == 2 * heightOut;
    float scaleX = (float)widthIn / (float)widthOut, scaleY = (float)heightIn / (float)heightOut;
    for (GLint y = 0; y < heightOut; ++y) {
        for (GLint x = 0; x < widthOut; ++x) {
            for (uint32_t k = 0; k < components; ++k) {
                GLubyte* target = out + (size_t)y * strideOut + (size_t)x * components + k;
                if (halving) {  // the exact mean of four, rounded, as GLU halves
                    const GLubyte* p = in + (size_t)(2 * y) * strideIn + (size_t)(2 * x) * components + k;
                    *target = (GLubyte)((p[0] + p[components] + p[strideIn] + p[strideIn + components] + 2) / 4);
                } else {
                    *target = boxMean(in, strideIn, components, k, (float)x * scaleX, (float)(x + 1) * scaleX,
                                      (float)y * scaleY, (float)(y + 1) * scaleY, widthIn, heightIn);
                }
            }
        }
    }
    return 0;
}

}  // extern "C"
