// SPDX-License-Identifier: MIT
// One reset of the framework's long-lived state, for tests that share a process.
#pragma once

// Puts everything of the framework a run or a test may have changed back as a fresh process has it:
// the input state (with its taps and system keys waiting for a frame or an idle pass), the run flags,
// the display mode (windowed, since tests open windows), the three window rects and the preset, the
// sequencer, the system-keys callback and the quit code. Leaves the seams, windows and contexts alone
// (gl_fixture and scripted own those); the game's state is game_fixture's (resetGameState).
void resetState();
