// SPDX-License-Identifier: MIT
// What the GL layer's two files share: its console reports, GL's error flag, and the pixel path
// (pixel store, index maps, upload conversions) that gl_pixels.cpp keeps for gl_layer.cpp.
#pragma once
#include <GL/gl.h>
#include <stdint.h>

// Says "zelmo GL: WHAT (0xVALUE)" on standard error, once for each WHAT and value.
void zglReport(const char* what, uint32_t value);
// Sets GL's error flag to error unless it holds one already (glGetError reads and clears it).
void zglSetError(GLenum error);
// For a call GL would compile into a list but the layer does not record: when a list is being
// compiled, says so once (the call runs at once, as it does now).
void zglRunsAtOnce(const char* call);

// The pixel store and pixel transfer state, at GL's initial values after zglResetPixels.
enum { zglPixelMapMax = 256, zglOtherPixelStores = 10 };
struct PixelState {
    GLint packAlignment, unpackAlignment;
    GLint otherStores[zglOtherPixelStores];  // the rest of glPixelStorei's names, kept but not honoured
    GLint indexShift, indexOffset;
    GLsizei mapSizes[4];  // I_TO_R, I_TO_G, I_TO_B, I_TO_A: a power of two
    GLfloat maps[4][zglPixelMapMax];
};
extern PixelState zglPixels;
extern const GLenum zglOtherPixelStoreNames[zglOtherPixelStores];
void zglResetPixels();

// Components of a base format (GL_ALPHA, GL_LUMINANCE, ... GL_RGBA, or GL_COLOR_INDEX: 1); 0 for others.
uint32_t zglComponents(GLenum format);
// The texels of a glTexImage2D as ES takes them: in the base format base, rows packed to
// *alignment bytes. Returns pixels itself when GL would keep them as they are (the source in the
// base format), else a converted copy in *owned (free it with free()), or null with GL's error set
// when the copy cannot be allocated. format is one zglComponents knows; width and height are at
// most 16384.
const GLubyte* zglUploadTexels(GLenum base, GLsizei width, GLsizei height, GLenum format, const GLvoid* pixels,
                               GLubyte** owned, GLint* alignment);
