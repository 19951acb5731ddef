// The program's entry routine, main loop and system keys, with the display settings and run flags.
#pragma once
#include <stdint.h>

struct Scene;

struct DisplayConfig {
    uint32_t width;         // virtual screen and fullscreen mode width, pixels (800)
    uint32_t height;        // virtual screen and fullscreen mode height, pixels (600)
    uint32_t colorBits;     // fullscreen mode depth; its low byte is the pixel format's colour depth
    uint8_t fullscreen;     // 1 fullscreen, 0 windowed; only checkSystemKeys changes it
    const char* className;  // "ZELMO"
};

struct AppFlags {
    uint8_t active;         // 1 while the window is not minimised; frames run only then
    uint8_t quitRequested;  // set by the main loop; the loop ends at the top of its next pass
};

extern DisplayConfig displayConfig;
extern AppFlags appFlags;
// Called after every idle pass of the main loop; false ends the run. appMain installs checkSystemKeys.
extern bool (*frameCallback)();

// The scene table the program runs, and its window icon (a 16 x 16 PCX picture, top row first).
// The program links both in from the game.
extern Scene gameScenes[];
extern const uint8_t appIconFile[];

// Runs the program: opens the window, builds the font, runs gameScenes until the run ends.
// Returns the exit code: 0 for a normal end (Escape, a closed window, the end of the table),
// the code of an explicit quit message, 1 when no window could be made (a line on stderr says why).
uint32_t appMain();

// Escape ends the run (false); F1 switches between fullscreen and a window.
// Returns false also when the new window cannot be made.
bool checkSystemKeys();

// One pass of the main loop: takes one message and dispatches it, or, when none is waiting,
// runs a frame (while active) and then frameCallback. Returns false once the loop is over.
bool mainLoopPass();
// The wParam of the WM_QUIT that ended the loop, 0 when none did.
extern uint32_t quitExitCode;
