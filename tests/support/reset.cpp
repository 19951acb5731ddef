// SPDX-License-Identifier: MIT
// Resets the framework's and the game's long-lived state between tests.
#include "reset.h"

#include <string.h>

#include "app/app.h"
#include "game/assets.h"
#include "game/rules.h"
#include "shell/input.h"
#include "shell/window.h"

void forgetGameTextures() {
#define FORGET_TEXTURE(picture, ...) \
    tex##picture.name = 0;           \
    freeImage(tex##picture);         \
    tex##picture.linear = 1;
    GAME_PICTURES(FORGET_TEXTURE)
#undef FORGET_TEXTURE
}

void resetState() {
    inputState = {};
    appFlags = {0, 0};
    displayConfig.fullscreen = 0;
    quitExitCode = 0;
    frameCallback = checkSystemKeys;
    currentPreset = nullptr;
    sequencer = {0, 0, 0, 0, 0, 0, nullptr};
    for (Scene* scene = gameScenes;; ++scene) {  // through the end record
        scene->active = scene->done = 0;
        if (!scene->frame) break;
    }
    charges = 0;
    toasted = toastedAtLastBonus = 0;
    gameOver = chargeLive = blasting = 0;
    forgetGameTextures();
}
