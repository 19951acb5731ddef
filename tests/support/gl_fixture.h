// SPDX-License-Identifier: MIT
// A real window and Mesa context for drawing tests, with pixel read-back.
#pragma once
#include <stdint.h>

#include <gtest/gtest.h>

#include <string>

#include "reset.h"

struct Rgba {
    uint8_t r, g, b, a;
};

// Opens the main window (windowed, 800 x 600 unless given) with scripted messages and clock.
void openTestWindow(int32_t width = 800, int32_t height = 600);
// Destroys the window and the context and restores the real seams.
void closeTestWindow();
// The pixel at client position (x, y), y counted from the top, of the buffer being drawn.
Rgba readPixel(int32_t x, int32_t y);
// Clears the colour buffer to black.
void clearToBlack();
// A quad over left..right, top..bottom in the current space, texture coordinates (0, 0) at the
// first corner and (1, 1) at the opposite one.
void drawQuad(float left, float top, float right, float bottom);

// The capabilities GlState reads (GLenum values): texturing, blending, depth, cull, alpha test,
// lighting, fog, line smoothing, scissor, dithering.
extern const uint32_t glStateCaps[10];

// Every piece of GL state a drawing routine of ours may promise to keep or to set, read back.
struct GlState {
    bool enabled[10];  // glStateCaps order
    int32_t matrixMode, modelviewDepth, projectionDepth, attribDepth, clientAttribDepth;
    float modelview[16], projection[16], texture[16];
    int32_t blendSource, blendDestination, boundTexture, textureEnvMode, listBase;
    int32_t packAlignment, unpackAlignment, viewport[4];
    float color[4], clearColor[4], lineWidth;
};
// The calls readGlState reads through (GL's types): GL's own unless given, or another GL's.
struct GlQueries {
    uint8_t (*isEnabled)(uint32_t cap);
    void (*getIntegerv)(uint32_t name, int32_t* values);
    void (*getFloatv)(uint32_t name, float* values);
    void (*getTexEnviv)(uint32_t target, uint32_t name, int32_t* values);
};
GlState readGlState(const GlQueries* through = nullptr);
// The fields that differ, one "name: expected -> actual" line each; empty when none do.
std::string glStateDifferences(const GlState& expected, const GlState& actual);

class GlTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetState();
        openTestWindow();
    }
    void TearDown() override { closeTestWindow(); }
};
