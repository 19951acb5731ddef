// SPDX-License-Identifier: MIT
// The window procedure and the keyboard and mouse state it records.
#pragma once
#include <stdint.h>

#include "platform/platform.h"

struct InputState {
    uint8_t keys[256];  // by virtual-key code: 1 from key-down to key-up
    uint32_t mouseX;    // client pixels at the last mouse move (0..65535)
    uint32_t mouseY;
    uint8_t leftButton;  // 1 from button-down to button-up, and at least until a frame has been
                         // presented after the down; a reader may clear it to consume a click
    uint8_t rightButton;
};

extern InputState inputState;

// Turns window messages into inputState, appFlags.active, currentRect and the viewport; a close
// request posts the quit (code 0); screen saver and monitor power-off requests are swallowed.
// Escape and F1 are never missed: when one is released before the idle pass after its press has
// run, its entry stays 1 until that pass is done (idlePassDone), then reads 0; each further press
// (not a repeat) before that pass reads 1 again for one pass of its own after it. Clicks are never
// missed either: a button released before a frame has run since its press reads pressed until one
// has (framePresented).
int32_t windowProc(PlatWindow* window, uint32_t message, uint32_t wParam, uint32_t lParam);
// The main loop's note that an idle pass (frame and frameCallback) has run.
void idlePassDone();
// The note that a frame has run and been presented (the sequencer's tick, after presentFrame): a
// button released since its press was seen by no frame before this one, and reads released from now on.
void framePresented();
