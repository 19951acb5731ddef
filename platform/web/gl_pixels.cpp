// SPDX-License-Identifier: MIT
// The GL layer's pixel path: the pixel store, colour-index maps, uploads converted to ES's formats,
// and gluScaleImage.
#define ZELMO_GL_LAYER_DIRECT  // GL's names here are GL's
#include <stdlib.h>
#include <string.h>

#include "platform/web/gl_layer.h"
#include "platform/web/gl_layer_parts.h"

PixelState zglPixels;
const GLenum zglOtherPixelStoreNames[zglOtherPixelStores] = {
    GL_UNPACK_SWAP_BYTES, GL_UNPACK_LSB_FIRST, GL_UNPACK_ROW_LENGTH, GL_UNPACK_SKIP_ROWS, GL_UNPACK_SKIP_PIXELS,
    GL_PACK_SWAP_BYTES,   GL_PACK_LSB_FIRST,   GL_PACK_ROW_LENGTH,   GL_PACK_SKIP_ROWS,   GL_PACK_SKIP_PIXELS};

void zglResetPixels() {
    memset(&zglPixels, 0, sizeof zglPixels);
    zglPixels.packAlignment = zglPixels.unpackAlignment = 4;
    for (GLsizei& size : zglPixels.mapSizes) size = 1;  // GL's initial maps hold one entry, 0
}

uint32_t zglComponents(GLenum format) {
    switch (format) {
    case GL_COLOR_INDEX:
    case GL_ALPHA:
    case GL_LUMINANCE: return 1;
    case GL_LUMINANCE_ALPHA: return 2;
    case GL_RGB: return 3;
    case GL_RGBA: return 4;
    default: return 0;
    }
}

namespace {

int indexMapSlot(GLenum map) {
    switch (map) {
    case GL_PIXEL_MAP_I_TO_R: return 0;
    case GL_PIXEL_MAP_I_TO_G: return 1;
    case GL_PIXEL_MAP_I_TO_B: return 2;
    case GL_PIXEL_MAP_I_TO_A: return 3;
    default: return -1;
    }
}

GLubyte mapIndex(int slot, int64_t index) {
    GLfloat value = zglPixels.maps[slot][index & (zglPixels.mapSizes[slot] - 1)];
    if (value <= 0) return 0;
    if (value >= 1) return 255;
    return (GLubyte)(value * 255.0f + 0.5f);
}

int64_t shiftedIndex(GLubyte index) {
    int64_t value = index;
    GLint shift = zglPixels.indexShift;
    value = shift >= 0 ? value << (shift > 31 ? 31 : shift) : value >> (-shift > 31 ? 31 : -shift);
    return value + zglPixels.indexOffset;
}

size_t rowStride(uint32_t width, uint32_t components, GLint alignment) {
    size_t bytes = (size_t)width * components;
    size_t align = alignment == 1 || alignment == 2 || alignment == 8 ? (size_t)alignment : 4;
    return (bytes + align - 1) / align * align;
}

// One source pixel as the RGBA GL makes of it before it keeps the internal format's components.
void sourceRgba(GLenum format, const GLubyte* p, GLubyte* rgba) {
    switch (format) {
    case GL_COLOR_INDEX: {
        int64_t index = shiftedIndex(p[0]);
        for (int slot = 0; slot < 4; ++slot) rgba[slot] = mapIndex(slot, index);
        break;
    }
    case GL_ALPHA: rgba[0] = rgba[1] = rgba[2] = 0, rgba[3] = p[0]; break;
    case GL_LUMINANCE: rgba[0] = rgba[1] = rgba[2] = p[0], rgba[3] = 255; break;
    case GL_LUMINANCE_ALPHA: rgba[0] = rgba[1] = rgba[2] = p[0], rgba[3] = p[1]; break;
    case GL_RGB: memcpy(rgba, p, 3), rgba[3] = 255; break;
    default: memcpy(rgba, p, 4); break;
    }
}

// The components of the base format from an RGBA (luminance is red, as GL keeps it); the next texel.
GLubyte* keepTexel(GLenum base, const GLubyte* rgba, GLubyte* out) {
    switch (base) {
    case GL_ALPHA: *out++ = rgba[3]; break;
    case GL_LUMINANCE: *out++ = rgba[0]; break;
    case GL_LUMINANCE_ALPHA:
        *out++ = rgba[0];
        *out++ = rgba[3];
        break;
    default:
        memcpy(out, rgba, zglComponents(base));
        out += zglComponents(base);
        break;
    }
    return out;
}

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

const GLubyte* zglUploadTexels(GLenum base, GLsizei width, GLsizei height, GLenum format, const GLvoid* pixels,
                               GLubyte** owned, GLint* alignment) {
    *owned = nullptr;
    *alignment = zglPixels.unpackAlignment;
    if (format == base || !pixels) return (const GLubyte*)pixels;
    GLubyte* texels = (GLubyte*)malloc((size_t)width * (size_t)height * zglComponents(base) + 1);
    if (!texels) {
        zglSetError(GL_OUT_OF_MEMORY);
        return nullptr;
    }
    uint32_t components = zglComponents(format);
    size_t stride = rowStride((uint32_t)width, components, zglPixels.unpackAlignment);
    GLubyte* out = texels;
    for (GLsizei y = 0; y < height; ++y) {
        for (GLsizei x = 0; x < width; ++x) {
            GLubyte rgba[4];
            sourceRgba(format, (const GLubyte*)pixels + (size_t)y * stride + (size_t)x * components, rgba);
            out = keepTexel(base, rgba, out);
        }
    }
    *owned = texels;
    *alignment = 1;
    return texels;
}

extern "C" {

void zglPixelStorei(GLenum name, GLint value) {
    if (name == GL_PACK_ALIGNMENT || name == GL_UNPACK_ALIGNMENT) {
        if (value != 1 && value != 2 && value != 4 && value != 8) return zglSetError(GL_INVALID_VALUE);
        (name == GL_PACK_ALIGNMENT ? zglPixels.packAlignment : zglPixels.unpackAlignment) = value;
        return;
    }
    for (int i = 0; i < zglOtherPixelStores; ++i) {
        if (zglOtherPixelStoreNames[i] != name) continue;
        if (value != 0) zglReport("glPixelStorei: only the alignments are honoured", name);
        zglPixels.otherStores[i] = value;
        return;
    }
    zglReport("glPixelStorei: a name the layer does not know", name);
    zglSetError(GL_INVALID_ENUM);
}

void zglPixelTransferi(GLenum name, GLint value) {
    zglRunsAtOnce("glPixelTransferi");
    if (name == GL_INDEX_SHIFT) zglPixels.indexShift = value;
    else if (name == GL_INDEX_OFFSET) zglPixels.indexOffset = value;
    else zglReport("glPixelTransferi: only the index shift and offset are honoured", name);
}

void zglPixelMapfv(GLenum map, GLsizei size, const GLfloat* values) {
    zglRunsAtOnce("glPixelMapfv");
    int slot = indexMapSlot(map);
    if (slot < 0) return zglReport("glPixelMapfv: only the index to RGBA maps are honoured", map);
    if (!values || size < 1 || size > zglPixelMapMax || (size & (size - 1)) != 0) return zglSetError(GL_INVALID_VALUE);
    zglPixels.mapSizes[slot] = size;
    memcpy(zglPixels.maps[slot], values, (size_t)size * sizeof(GLfloat));
}

GLint zgluScaleImage(GLenum format, GLint widthIn, GLint heightIn, GLenum typeIn, const void* dataIn, GLint widthOut,
                     GLint heightOut, GLenum typeOut, GLvoid* dataOut) {
    if (widthIn < 0 || heightIn < 0 || widthOut < 0 || heightOut < 0) return GLU_INVALID_VALUE;
    uint32_t components = zglComponents(format);
    if (components == 0 || typeIn != GL_UNSIGNED_BYTE || typeOut != GL_UNSIGNED_BYTE) return GLU_INVALID_ENUM;
    if (widthIn == 0 || heightIn == 0 || widthOut == 0 || heightOut == 0) return 0;
    if (!dataIn || !dataOut) return GLU_INVALID_VALUE;
    const GLubyte* in = (const GLubyte*)dataIn;
    GLubyte* out = (GLubyte*)dataOut;
    size_t strideIn = rowStride((uint32_t)widthIn, components, zglPixels.unpackAlignment);
    size_t strideOut = rowStride((uint32_t)widthOut, components, zglPixels.packAlignment);
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
