// A real window and Mesa context for drawing tests, with pixel read-back.
#pragma once
#include <stdint.h>

#include <gtest/gtest.h>

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

class GlTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetState();
        openTestWindow();
    }
    void TearDown() override { closeTestWindow(); }
};
