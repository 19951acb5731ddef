// SPDX-License-Identifier: MIT
// Plays a browser-test script against the native build and writes the frames it names, for the
// browser test to compare with: NAME.ppm for each "frame NAME", critters.txt (where the round's
// critters stood when it began) and background.ppm (the field alone).
//
// Usage: reference_frames SCRIPT OUTPUT_DIR   (under SDL_VIDEODRIVER=offscreen)
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "draw/glyph_font.h"
#include "draw/sprite.h"
#include "game/assets.h"
#include "game/rules.h"
#include "platform/gl.h"
#include "scripted.h"
#include "sequencer/sequencer.h"
#include "shell/input.h"
#include "shell/window.h"

static const int32_t width = 800, height = 600;

static bool writeFrame(const std::string& path) {
    std::vector<uint8_t> rows((size_t)width * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    fprintf(file, "P6\n%d %d\n255\n", width, height);
    for (int32_t y = height - 1; y >= 0; --y) fwrite(&rows[(size_t)y * width * 3], 1, (size_t)width * 3, file);
    return fclose(file) == 0;
}

// Runs the main loop until the game has shown two more frames (a whole tick after the step), or
// for a bounded number of passes when a scene draws nothing.
static bool settle() {
    uint32_t target = platSwapCount() + 2;
    for (int pass = 0; pass < 100000 && platSwapCount() < target; ++pass)
        if (!mainLoopPass()) return false;
    return true;
}

static bool press(uint32_t down, uint32_t up, uint32_t point) {
    scriptMessage(down, 0, point);
    if (!settle()) return false;
    scriptMessage(up, 0, point);
    return settle();
}

static bool writeCritters(const std::string& path) {
    FILE* file = fopen(path.c_str(), "w");
    if (!file) return false;
    for (uint32_t i = 0; i < critterCount; ++i) fprintf(file, "%d %d\n", (int)critterPos[i].x, (int)critterPos[i].y);
    return fclose(file) == 0;
}

static bool start() {
    useScriptedClock(10000);
    useScriptedMessages();
    displayConfig.fullscreen = 0;
    windowedRect = {0, 0, width, height};
    if (!createMainWindow(windowProc)) return false;
    buildGlyphFont("Arial", 120, 600, &programFont);
    frameCallback = checkSystemKeys;
    sequencer.scenes = gameScenes;
    startSequencer(sequencer);
    return true;
}

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: reference_frames SCRIPT OUTPUT_DIR\n");
        return 2;
    }
    FILE* script = fopen(argv[1], "r");
    if (!script || !start()) {
        fprintf(stderr, "reference_frames: cannot start: %s\n", script ? platLastError() : argv[1]);
        return 1;
    }
    std::string out = argv[2];
    uint32_t point = 0;
    bool ok = true, crittersWritten = false;
    char line[256];
    while (ok && fgets(line, sizeof line, script)) {
        char word[32] = "", name[64] = "";
        unsigned a = 0, b = 0;
        if (line[0] == '#' || sscanf(line, "%31s", word) != 1) continue;
        if (strcmp(word, "clock") == 0 && sscanf(line, "%*s %u", &a) == 1) {
            setClock(a);
            ok = settle();
        } else if (strcmp(word, "move") == 0 && sscanf(line, "%*s %u %u", &a, &b) == 2) {
            point = makeLParam(a, b);
            scriptMessage(WM_MOUSEMOVE, 0, point);
            ok = settle();
        } else if (strcmp(word, "press") == 0 && sscanf(line, "%*s %63s", name) == 1) {
            bool left = strcmp(name, "left") == 0;
            ok = press(left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN, left ? WM_LBUTTONUP : WM_RBUTTONUP, point);
        } else if (strcmp(word, "frame") == 0 && sscanf(line, "%*s %63s", name) == 1) {
            ok = writeFrame(out + "/" + name + ".ppm");
            if (ok && sequencer.current == 2 && !crittersWritten) {
                crittersWritten = ok = writeCritters(out + "/critters.txt");
            }
        } else {
            fprintf(stderr, "reference_frames: cannot read: %s", line);
            ok = false;
        }
    }
    fclose(script);
    if (ok && crittersWritten) {
        fillScreen(0xFF000000);
        drawSpriteSized(0, 0, width, height, texBackground, 0, 0, 0, 0);
        ok = writeFrame(out + "/background.ppm");
    }
    destroyMainWindow();
    platShutdown();
    if (!ok) fprintf(stderr, "reference_frames: the script did not play through\n");
    return ok ? 0 : 1;
}
