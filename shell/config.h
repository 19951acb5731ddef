// SPDX-License-Identifier: MIT
// The display settings and the run flags that the window, the input and the game read.
#pragma once
#include <stdint.h>

struct DisplayConfig {
    uint32_t width;         // virtual screen and fullscreen mode width, pixels (800)
    uint32_t height;        // virtual screen and fullscreen mode height, pixels (600)
    uint32_t colorBits;     // fullscreen mode depth; its low byte is the pixel format's colour depth
    uint8_t fullscreen;     // 1 fullscreen, 0 windowed; the command line chooses, then only checkSystemKeys changes it
    const char* className;  // "ZELMO"
};

struct AppFlags {
    uint8_t active;         // 1 while the window is not minimised; frames run only then
    uint8_t quitRequested;  // set by the main loop; the loop ends at the top of its next pass
};

extern DisplayConfig displayConfig;
extern AppFlags appFlags;
