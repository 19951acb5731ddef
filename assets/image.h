// SPDX-License-Identifier: MIT
// Images (RGBA pixels in memory) and textures (an image plus its GL texture and sampling flags).
//
// Pixels are 4 bytes: red, green, blue, alpha (as a little-endian u32, alpha is the high byte).
// Row 0 is the first row of the GL texture (t = 0). An Image owns its pixel buffer (allocated
// with memAlloc); a Texture owns its Image record.
#pragma once
#include <stdint.h>

struct Image {
    int32_t width;    // pixels per row
    int32_t height;   // rows
    uint8_t* pixels;  // width x height pixels, row 0 first; null once dropped
};

struct Texture {
    Image* image = nullptr;  // set by loadPcx
    uint32_t name = 0;       // GL texture name, set by uploadTexture
    uint8_t repeatS = 0;     // GL_REPEAT instead of GL_CLAMP along s
    uint8_t repeatT = 0;     // GL_REPEAT instead of GL_CLAMP along t
    uint8_t linear = 1;      // GL_LINEAR instead of GL_NEAREST, both filters
};

enum : int32_t { imageSideLimit = 16384 };  // largest width or height any operation accepts

// Creates the GL texture from the image (format GL_RGB: 3 bytes a pixel, internal format 3;
// otherwise 4) with the texture's flags, and leaves it bound. Rows are read packed (no padding),
// whatever GL_UNPACK_ALIGNMENT says; the alignment is left as it was. An earlier GL texture of this
// Texture is deleted first. Does nothing without an image with pixels. Needs a current context.
void uploadTexture(Texture& texture, uint32_t format);
// Replaces the pixels by a copy resampled with gluScaleImage to width x height (each 1..16384),
// rows packed in both buffers (GL_RGB: 3 x width bytes a row); the pixel store is left as it was.
// Does nothing without pixels, without a current GL context (GLU reads the pixel store from it) or
// when the new buffer cannot be allocated.
void rescaleImage(Texture& texture, int32_t width, int32_t height, uint32_t format);
// uploadTexture, then frees the pixels; the Image keeps its width and height.
void uploadAndDropPixels(Texture& texture, uint32_t format);
// Sets alpha 0 on every pixel whose red, green and blue equal the key's (its alpha byte is ignored).
void applyColorKey(Texture& texture, uint32_t key);

// Frees the texture's Image and its pixels (not the GL texture); image becomes null.
void freeImage(Texture& texture);
