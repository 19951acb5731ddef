// SPDX-License-Identifier: MIT
// Resets the framework's long-lived state between tests.
#include "reset.h"

#include "app/app.h"
#include "shell/input.h"
#include "shell/window.h"

void resetState() {
    framePresented();  // drops taps and system keys still waiting
    idlePassDone();
    inputState = {};
    appFlags = {0, 0};
    displayConfig.fullscreen = 0;
    windowedRect = fullscreenRect = currentRect = {0, 0, 800, 600};
    quitExitCode = 0;
    frameCallback = checkSystemKeys;
    currentPreset = nullptr;
    sequencer = {0, 0, 0, 0, 0, 0, nullptr};
}
