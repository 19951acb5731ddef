// SPDX-License-Identifier: MIT
// The sprite blitter, fills and lines.
#include "draw/sprite.h"

#include "draw/unit_space.h"
#include "platform/gl.h"

void drawSprite(int32_t x, int32_t y, int32_t width, int32_t height, const Texture& texture, int32_t srcX, int32_t srcY,
                int32_t srcWidth, int32_t srcHeight, int32_t alpha, bool flipX, bool flipY) {
    glBindTexture(GL_TEXTURE_2D, texture.name);
    const Image* image = texture.image;
    if (alpha == 0 || !image || texture.name == 0 || image->width <= 0 || image->height <= 0) return;
    if (width == 0 || height == 0) {
        width = image->width;
        height = image->height;
    }
    if (srcWidth == 0 || srcHeight == 0) {
        srcX = srcY = 0;
        srcWidth = image->width;
        srcHeight = image->height;
    }
    float imageWidth = (float)image->width, imageHeight = (float)image->height;
    float left = (float)srcX / imageWidth, right = (float)(srcX + srcWidth) / imageWidth;
    float top = (float)(srcY + srcHeight) / imageHeight, bottom = (float)srcY / imageHeight;
    if (flipX) {
        float swap = left;
        left = right;
        right = swap;
    }
    if (flipY) {
        float swap = top;
        top = bottom;
        bottom = swap;
    }
    glBegin(GL_QUADS);
    glColor4ub(255, 255, 255, (GLubyte)alpha);
    glTexCoord2f(left, top);
    glVertex2i(x, y);
    glTexCoord2f(right, top);
    glVertex2i(x + width, y);
    glTexCoord2f(right, bottom);
    glVertex2i(x + width, y + height);
    glTexCoord2f(left, bottom);
    glVertex2i(x, y + height);
    glEnd();
}

void drawSpriteAlpha(int32_t x, int32_t y, int32_t width, int32_t height, const Texture& texture, int32_t srcX,
                     int32_t srcY, int32_t srcWidth, int32_t srcHeight, int32_t alpha) {
    drawSprite(x, y, width, height, texture, srcX, srcY, srcWidth, srcHeight, alpha, false, false);
}

void drawSpriteFlip(int32_t x, int32_t y, int32_t width, int32_t height, const Texture& texture, int32_t srcX,
                    int32_t srcY, int32_t srcWidth, int32_t srcHeight, bool flipX, bool flipY) {
    drawSprite(x, y, width, height, texture, srcX, srcY, srcWidth, srcHeight, 255, flipX, flipY);
}

void drawSpriteSized(int32_t x, int32_t y, int32_t width, int32_t height, const Texture& texture, int32_t srcX,
                     int32_t srcY, int32_t srcWidth, int32_t srcHeight) {
    drawSprite(x, y, width, height, texture, srcX, srcY, srcWidth, srcHeight, 255, false, false);
}

void drawSpriteAtAlphaFlip(int32_t x, int32_t y, const Texture& texture, int32_t alpha, bool flipX, bool flipY) {
    drawSprite(x, y, 0, 0, texture, 0, 0, 0, 0, alpha, flipX, flipY);
}

void drawSpriteAtAlpha(int32_t x, int32_t y, const Texture& texture, int32_t alpha) {
    drawSprite(x, y, 0, 0, texture, 0, 0, 0, 0, alpha, false, false);
}

void drawSpriteAtFlip(int32_t x, int32_t y, const Texture& texture, bool flipX, bool flipY) {
    drawSprite(x, y, 0, 0, texture, 0, 0, 0, 0, 255, flipX, flipY);
}

void drawSpriteAt(int32_t x, int32_t y, const Texture& texture) {
    drawSprite(x, y, 0, 0, texture, 0, 0, 0, 0, 255, false, false);
}

Rgb unpackColor(uint32_t color) {
    const float scale = 1.0f / 255.0f;
    return {(float)(color & 0xFF) * scale, (float)((color >> 8) & 0xFF) * scale, (float)((color >> 16) & 0xFF) * scale};
}

void fillScreen(uint32_t color) {
    Rgb rgb = unpackColor(color);
    glClearColor(rgb.r, rgb.g, rgb.b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

void fillRectAlpha(int32_t x, int32_t y, int32_t width, int32_t height, int32_t alpha, uint32_t color) {
    uint8_t texel[4] = {(uint8_t)color, (uint8_t)(color >> 8), (uint8_t)(color >> 16), (uint8_t)(color >> 24)};
    Image image = {1, 1, texel};
    Texture texture;
    texture.image = &image;
    // Nearest sampling: a linearly filtered, border-clamped texel would fade towards every edge.
    texture.linear = 0;
    uploadTexture(texture, GL_RGBA);
    drawSpriteAlpha(x, y, width, height, texture, 0, 0, 0, 0, alpha);
    glDeleteTextures(1, &texture.name);
}

void fillRect(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t color) {
    fillRectAlpha(x, y, width, height, 255, color);
}

void drawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_LINES);
    glVertex2i(x1, y1);
    glVertex2i(x2, y2);
    glEnd();
    glPopAttrib();
}

void pushUnitSquareSpace() {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0.0, 1.0, 1.0, 0.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void popUnitSquareSpace() {
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

void drawLineUnit(float x1, float y1, float x2, float y2) {
    pushUnitSquareSpace();
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_LINES);
    glVertex2f(x1, y1);
    glVertex2f(x2, y2);
    glEnd();
    glPopAttrib();
    popUnitSquareSpace();
}
