// SPDX-License-Identifier: MIT
// Frames per second of the play scene at 800 x 600, beside a bare OpenGL loop of ours that draws
// the same textured quads with none of the game or framework around them. Run it on a real X
// server (make bench starts Xvfb): both present through the same window and buffer swap.
//
// Usage: frame_rate [seconds per run]
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include "draw/glyph_font.h"
#include "game/assets.h"
#include "game/rules.h"
#include "platform/gl.h"
#include "shell/config.h"
#include "shell/input.h"
#include "shell/window.h"

namespace {

double seconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec + (double)now.tv_nsec * 1e-9;
}

// The game: a round in play, the sequencer's tick draws and presents each frame.
double gameFramesPerSecond(double duration) {
    sequencer.elapsed = 0;
    setUpRound();
    sequencer.current = 2;
    sequencer.startTime = systemTime();
    inputState.mouseX = 400;
    inputState.mouseY = 300;
    uint32_t frames = 0;
    double start = seconds();
    while (seconds() - start < duration) {
        PlatMessage message;
        while (platPeekMessage(&message)) platDispatchMessage(&message);
        tickSequencer(sequencer);
        ++frames;
    }
    return frames / (seconds() - start);
}

void quad(const Texture& texture, int x, int y, int width, int height) {
    glBindTexture(GL_TEXTURE_2D, texture.name);
    glBegin(GL_QUADS);
    glColor4ub(255, 255, 255, 255);
    glTexCoord2f(0, 1);
    glVertex2i(x, y);
    glTexCoord2f(1, 1);
    glVertex2i(x + width, y);
    glTexCoord2f(1, 0);
    glVertex2i(x + width, y + height);
    glTexCoord2f(0, 0);
    glVertex2i(x, y + height);
    glEnd();
}

// The same picture count: the field, 5 icons, 20 critters, 9 glyph-sized quads and the cursor.
double bareFramesPerSecond(double duration) {
    uint32_t frames = 0;
    double start = seconds();
    while (seconds() - start < duration) {
        PlatMessage message;
        while (platPeekMessage(&message)) platDispatchMessage(&message);
        glClear(GL_COLOR_BUFFER_BIT);
        quad(texBackground, 0, 0, 800, 600);
        for (int i = 0; i < 5; ++i) quad(texChargeIcon, 10 + 37 * i, 558, 32, 32);
        for (int i = 0; i < 20; ++i) quad(texCritter1, 40 + 35 * i, 60 + 20 * i, 32, 32);
        for (int i = 0; i < 9; ++i) quad(texChargeIcon, 200 + 9 * i, 570, 8, 16);
        quad(texHandIdle, 400, 300, 128, 128);
        glFinish();
        platSwapBuffers(mainWindow);
        ++frames;
    }
    return frames / (seconds() - start);
}

}  // namespace

int main(int argc, char** argv) {
    double duration = argc > 1 ? atof(argv[1]) : 5.0;
    displayConfig.fullscreen = 1;
    if (!createMainWindow(windowProc)) {
        fprintf(stderr, "frame_rate: %s\n", platLastError());
        return 1;
    }
    buildGlyphFont("Arial", 120, 600, &programFont);
    loadGameAssets();
    sequencer.scenes = gameScenes;
    double bare = bareFramesPerSecond(duration);
    double game = gameFramesPerSecond(duration);
    printf("bare OpenGL loop: %.0f frames/s\n", bare);
    printf("play scene:       %.0f frames/s (%.2f of the bare loop)\n", game, game / bare);
    destroyMainWindow();
    releaseRenderContext();
    return 0;
}
