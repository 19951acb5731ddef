// SPDX-License-Identifier: MIT
// One reset of the framework's and the game's long-lived state, for tests that share a process.
#pragma once

// Puts everything a run or a test may have changed back as a fresh process has it: the input state,
// the run flags, the display mode (windowed, since tests open windows), the window rects and preset,
// the sequencer and every scene table record of the game, the system-keys callback, the round
// state and the game's textures (no images, no names: names die with a test's context). Leaves the
// seams, windows and contexts alone (gl_fixture and scripted own those).
void resetState();
// Returns the game's textures to their defaults: no image, no name (the names die with a test's
// context), linear filtering.
void forgetGameTextures();
