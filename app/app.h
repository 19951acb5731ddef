// SPDX-License-Identifier: MIT
// The program's entry routine, main loop and system keys: the top of the framework.
//
// The caller (the game's main) hands over what the framework runs: its scene table and its icon.
// Nothing here knows the game.
#pragma once
#include <stdint.h>

#include "app/record.h"
#include "assets/stream.h"
#include "sequencer/sequencer.h"
#include "shell/config.h"

// Called after every idle pass of the main loop; false ends the run. appMain installs checkSystemKeys.
extern bool (*frameCallback)();
// The wParam of the WM_QUIT that ended the loop, 0 when none did.
extern uint32_t quitExitCode;

// Runs the program: opens the window with iconFile (an embedded 16 x 16 PCX picture, top row first;
// null or unusable: no icon), builds the font, runs scenes (borrowed for the whole run; its last record
// has a null frame) until the run ends. Records or replays the run as sessionOptions ask, with
// stateParts (borrowed, null-name terminated, may be null) in its checkpoints (record.h).
// Returns the exit code: 0 for a normal end (Escape, a closed window, the end of the table),
// the code of an explicit quit message, 1 when no window could be made (a line on stderr says why);
// 2 when the session cannot start (a record that cannot be made, a replay that cannot be read);
// for a replay 0 when it matches its record and 1 when it differs.
uint32_t appMain(Scene* scenes, const EmbeddedFile* iconFile, const StatePart* stateParts = nullptr);

// Escape ends the run (false); F1 switches between fullscreen and a window.
// Returns false also when the new window cannot be made.
bool checkSystemKeys();

// The longest rest of one pass while the window is inactive, in milliseconds.
enum { mainLoopRestMs = 50 };

// One pass of the main loop: takes one message and dispatches it, or, when none is waiting,
// runs a frame (while active) and then frameCallback; while the window is inactive and no quit
// is asked for, it then rests (platWaitSource) until a message comes, at most mainLoopRestMs.
// Returns false once the loop is over.
bool mainLoopPass();
