// SPDX-License-Identifier: MIT
// Colour keying, resampling and uploading of images.
#include "assets/image.h"

#include "platform/gl.h"
#include "support/support.h"

static uint32_t bytesPerPixel(uint32_t format) { return format == GL_RGB ? 3u : 4u; }

// Image rows are packed: 3-byte pixels leave rows of any length, which GL would otherwise read and
// write as padded to 4 bytes, past the ends of the buffers. Sets both alignments to 1 and returns
// what they were.
struct PixelAlignment {
    GLint pack, unpack;
};

static PixelAlignment packRows() {
    PixelAlignment saved = {4, 4};
    glGetIntegerv(GL_PACK_ALIGNMENT, &saved.pack);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &saved.unpack);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    return saved;
}

static void restoreRows(PixelAlignment saved) {
    glPixelStorei(GL_PACK_ALIGNMENT, saved.pack);
    glPixelStorei(GL_UNPACK_ALIGNMENT, saved.unpack);
}

void uploadTexture(Texture& texture, uint32_t format) {
    Image* image = texture.image;
    if (!image || !image->pixels) return;
    if (texture.name != 0) glDeleteTextures(1, &texture.name);
    GLuint name = 0;
    glGenTextures(1, &name);
    texture.name = name;
    glBindTexture(GL_TEXTURE_2D, name);
    GLint components = format == GL_RGB ? 3 : 4;
    PixelAlignment saved = packRows();
    glTexImage2D(GL_TEXTURE_2D, 0, components, image->width, image->height, 0, format, GL_UNSIGNED_BYTE, image->pixels);
    restoreRows(saved);
    GLint filter = texture.linear ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, texture.repeatS ? GL_REPEAT : GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, texture.repeatT ? GL_REPEAT : GL_CLAMP);
}

void rescaleImage(Texture& texture, int32_t width, int32_t height, uint32_t format) {
    Image* image = texture.image;
    if (!image || !image->pixels) return;
    if (width < 1 || height < 1 || width > imageSideLimit || height > imageSideLimit) return;
    if (!glGetString(GL_VERSION)) return;  // no context: GLU would read a pixel store that is not there
    uint8_t* scaled = (uint8_t*)memAlloc(bytesPerPixel(format) * (uint32_t)width * (uint32_t)height);
    if (!scaled) return;
    PixelAlignment saved = packRows();
    gluScaleImage(format, image->width, image->height, GL_UNSIGNED_BYTE, image->pixels, width, height, GL_UNSIGNED_BYTE,
                  scaled);
    restoreRows(saved);
    memFree(image->pixels);
    image->pixels = scaled;
    image->width = width;
    image->height = height;
}

void uploadAndDropPixels(Texture& texture, uint32_t format) {
    uploadTexture(texture, format);
    if (texture.image && texture.image->pixels) {
        memFree(texture.image->pixels);
        texture.image->pixels = nullptr;
    }
}

void applyColorKey(Texture& texture, uint32_t key) {
    Image* image = texture.image;
    if (!image || !image->pixels || image->width <= 0 || image->height <= 0) return;
    uint32_t count = (uint32_t)image->width * (uint32_t)image->height;
    uint8_t keyRed = key & 0xFF, keyGreen = (key >> 8) & 0xFF, keyBlue = (key >> 16) & 0xFF;
    uint8_t* pixel = image->pixels;
    for (uint32_t i = 0; i < count; ++i, pixel += 4)
        if (pixel[0] == keyRed && pixel[1] == keyGreen && pixel[2] == keyBlue) pixel[3] = 0;
}

void freeImage(Texture& texture) {
    if (!texture.image) return;
    if (texture.image->pixels) memFree(texture.image->pixels);
    memFree(texture.image);
    texture.image = nullptr;
}
